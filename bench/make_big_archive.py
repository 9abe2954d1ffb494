#!/usr/bin/env python3
"""Writes an archive of about 100 MiB with a few large entries, for measuring
tesmo-unzip's peak memory.

  make_big_archive.py OUTPUT.zip
"""

import random
import struct
import sys
import zipfile

MIB = 1 << 20


def text(size, rng):
    words = [b"the", b"of", b"and", b"drawing", b"layer", b"line", b"circle", b"sheet",
             b"scale", b"plot", b"block", b"lesson", b"command", b"point", b"hatching"]
    block = b" ".join(rng.choice(words) for _ in range(200000))
    return (block * (size // len(block) + 1))[:size]


def records(size, rng):
    x = y = 0
    out = bytearray()
    while len(out) < size:
        x += rng.randrange(-100, 101)
        y += rng.randrange(-100, 101)
        out += struct.pack("<IiiI", 0x100 + rng.randrange(4), x, y, 0xFF0000)
    return bytes(out[:size])


def main():
    rng = random.Random(7)
    entries = [
        ("Lessons.txt", text(80 * MIB, rng), zipfile.ZIP_DEFLATED),
        ("Drawings.qdr", records(24 * MIB, rng), zipfile.ZIP_DEFLATED),
        ("Pictures.bin", rng.randbytes(70 * MIB), zipfile.ZIP_STORED),
        ("Sounds.bin", rng.randbytes(12 * MIB), zipfile.ZIP_DEFLATED),
    ]
    with zipfile.ZipFile(sys.argv[1], "w") as z:
        for name, data, method in entries:
            info = zipfile.ZipInfo(name, (2014, 5, 3, 10, 20, 30))
            info.compress_type = method
            z.writestr(info, data, compresslevel=6)


if __name__ == "__main__":
    main()
