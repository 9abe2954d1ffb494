#!/usr/bin/env python3
"""Writes an archive for the whole-archive benchmark.

  make_big_archive.py OUTPUT.zip [mixed|text|binary]

mixed (the default): about 190 MiB in a few large entries, text, drawing
records and random bytes, one of them stored; also used for tesmo-unzip's
peak memory. text: 400 help pages of 256 KiB. binary: 250 drawing files of
400 KiB with a picture in each.
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


def prose(size, rng):
    words = [b"the", b"of", b"and", b"to", b"a", b"in", b"drawing", b"layer", b"line",
             b"circle", b"sheet", b"scale", b"plot", b"block", b"lesson", b"command", b"point",
             b"hatching", b"select", b"dimension", b"window", b"tutorial", b"arc", b"text"]
    out = bytearray()
    while len(out) < size:
        out += b" ".join(rng.choice(words) for _ in range(rng.randrange(4, 20)))
        out += b".\n" if rng.randrange(5) else b".\n\n<p>"
    return bytes(out[:size])


def main():
    rng = random.Random(7)
    kind = sys.argv[2] if len(sys.argv) > 2 else "mixed"
    if kind == "text":
        entries = [("Page%03d.htm" % i, prose(256 * 1024, rng), zipfile.ZIP_DEFLATED)
                   for i in range(400)]
    elif kind == "binary":
        entries = [("Drawing%03d.qdr" % i,
                    records(350 * 1024, rng) + rng.randbytes(50 * 1024), zipfile.ZIP_DEFLATED)
                   for i in range(250)]
    else:
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
