#!/usr/bin/env python3
"""Writes the fuzz seed corpus, raw deflate streams made with zlib and small
archives made with zipfile: python3 tests/fuzz/make_corpus.py (the files are
committed)."""

import io, os, random, zipfile, zlib

rng = random.Random(1)
text = b"Draw a line, then a circle; scale the sheet and plot it. " * 12
binary = bytes(rng.randrange(256) for _ in range(600))
runs = b"".join(bytes([rng.randrange(3)]) * rng.randrange(1, 80) for _ in range(40))


def raw(data, level, strategy=zlib.Z_DEFAULT_STRATEGY, flush=None):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
    half = len(data) // 2 if flush else len(data)
    return c.compress(data[:half]) + (c.flush(flush) if flush else b"") + c.compress(data[half:]) + c.flush()


def archive(*entries):  # (name, data, level or None for stored)
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for name, data, level in entries:
            info = zipfile.ZipInfo(name, (2014, 5, 3, 10, 20, 30))
            info.compress_type = zipfile.ZIP_STORED if level is None else zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=level)
    return out.getvalue()


corpus = {
    "inflate/text-6": raw(text, 6),
    "inflate/text-fixed": raw(text, 9, zlib.Z_FIXED),
    "inflate/binary-stored": raw(binary, 0),
    "inflate/binary-huffman": raw(binary, 6, zlib.Z_HUFFMAN_ONLY),
    "inflate/runs-rle": raw(runs, 6, zlib.Z_RLE),
    "inflate/text-full-flush": raw(text, 1, flush=zlib.Z_FULL_FLUSH),
    "archive/deflated": archive(("README.TXT", text, 6), ("Lines.qdr", runs, 9)),
    "archive/stored": archive(("empty.txt", b"", None), ("data.bin", binary, None)),
    "archive/mixed": archive(("a.txt", b"a" * 300, 1), ("b.bin", binary[:200], None), ("c.txt", text[:500], 9)),
}
for name, data in corpus.items():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
