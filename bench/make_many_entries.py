#!/usr/bin/env python3
"""Writes an archive of many small deflated entries with mixed-case names,
for measuring how tesmo-unzip's name lookup scales with a folder's size.

  make_many_entries.py OUTPUT.zip [COUNT]   (COUNT defaults to 10000)
"""

import random
import sys
import zipfile


def main():
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    rng = random.Random(11)
    with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(count):
            name = "Lesson%05d.%s" % (i, rng.choice(["TXT", "Dwg", "chm", "qdr"]))
            info = zipfile.ZipInfo(name, (2014, 5, 3, 10, 20, 30))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, ("lesson %d: draw a line, then a circle\n" % i).encode() * 8)


if __name__ == "__main__":
    main()
