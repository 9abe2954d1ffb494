#!/usr/bin/env python3
"""Writes the fuzz seed corpus: a few raw deflate streams made with zlib and
a few small archives made with zipfile. Run once; the files are committed.

  python3 tests/fuzz/make_corpus.py
"""

import io
import os
import random
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
STAMP = (2014, 5, 3, 10, 20, 30)


def raw_deflate(data, level, strategy=zlib.Z_DEFAULT_STRATEGY, flush=None):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
    if flush is None:
        return c.compress(data) + c.flush()
    half = len(data) // 2
    return c.compress(data[:half]) + c.flush(flush) + c.compress(data[half:]) + c.flush()


def archive(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for name, data, method, level in entries:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = method
            z.writestr(info, data, compresslevel=level)
    return out.getvalue()


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def main():
    rng = random.Random(1)
    text = b"Draw a line, then a circle; scale the sheet and plot it. " * 12
    binary = bytes(rng.randrange(256) for _ in range(600))
    runs = b"".join(bytes([rng.randrange(3)]) * rng.randrange(1, 80) for _ in range(40))
    write("inflate", "text-6", raw_deflate(text, 6))
    write("inflate", "text-fixed", raw_deflate(text, 9, zlib.Z_FIXED))
    write("inflate", "binary-stored", raw_deflate(binary, 0))
    write("inflate", "binary-huffman", raw_deflate(binary, 6, zlib.Z_HUFFMAN_ONLY))
    write("inflate", "runs-rle", raw_deflate(runs, 6, zlib.Z_RLE))
    write("inflate", "text-full-flush", raw_deflate(text, 1, flush=zlib.Z_FULL_FLUSH))
    write("archive", "deflated", archive([
        ("README.TXT", text, zipfile.ZIP_DEFLATED, 6),
        ("Lines.qdr", runs, zipfile.ZIP_DEFLATED, 9)]))
    write("archive", "stored", archive([
        ("empty.txt", b"", zipfile.ZIP_STORED, None),
        ("data.bin", binary, zipfile.ZIP_STORED, None)]))
    write("archive", "mixed", archive([
        ("a.txt", b"a" * 300, zipfile.ZIP_DEFLATED, 1),
        ("b.bin", binary[:200], zipfile.ZIP_STORED, None),
        ("c.txt", text[:500], zipfile.ZIP_DEFLATED, 9)]))


if __name__ == "__main__":
    main()
