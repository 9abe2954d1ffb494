#!/usr/bin/env python3
"""Archives made by Python's zipfile, expanded with tesmo-unzip.

  zipfile_test.py PATH/TO/tesmo-unzip

Stored and deflated entries at several levels, many files of many sizes:
the tool must exit 0 with no message, list each file once as OK, and leave
every file with the entry's bytes under its normalised name (first letter
upper case, the rest lower case) and with the entry's time as its
modification time (local time, with today's offset, as Windows converts).
"""

import calendar
import os
import random
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

TOOL = None


def normalised(name):
    lower = "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in name)
    first = lower[0]
    return (chr(ord(first) - 32) if "a" <= first <= "z" else first) + lower[1:]


def contents(rng):
    text = b" ".join(rng.choice([b"line", b"circle", b"layer", b"sheet", b"plot", b"a"])
                     for _ in range(60000))
    noise = rng.randbytes(250000)
    runs = b"".join(bytes([rng.randrange(3)]) * rng.randrange(1, 500) for _ in range(800))
    return {"empty": b"", "one": b"x", "text": text[:70001], "random": noise[:50000],
            "window": noise[:32768], "window+1": text[:32769], "runs": runs,
            "large": text * 4 + noise}


def expected_mtime(date_time):
    """The UTC instant the installer gives an entry's MS-DOS local time."""
    return calendar.timegm(date_time + (0, 0, 0)) - time.localtime().tm_gmtoff


class ZipfileArchives(unittest.TestCase):
    def expand(self, archive, folder):
        return subprocess.run([TOOL, archive, folder], capture_output=True, text=True, timeout=120)

    def check_archive(self, entries):
        """entries: (name, data, method, level, date_time)."""
        with tempfile.TemporaryDirectory() as tmp:
            archive = os.path.join(tmp, "payload.zip")
            with zipfile.ZipFile(archive, "w") as z:
                for name, data, method, level, stamp in entries:
                    info = zipfile.ZipInfo(name, stamp)
                    info.compress_type = method
                    z.writestr(info, data, compresslevel=level)
            out = os.path.join(tmp, "out")
            result = self.expand(archive, out)
            self.assertEqual("", result.stderr)
            self.assertEqual(0, result.returncode)
            lines = result.stdout.splitlines()
            final = {normalised(name): (data, stamp) for name, data, _, _, stamp in entries}
            self.assertEqual(len(entries), len(lines))
            for line, (name, _, _, _, _) in zip(lines, entries):
                self.assertEqual(os.path.join(out, normalised(name)) + " ... OK", line)
            self.assertEqual(sorted(final), sorted(os.listdir(out)))
            for name, (data, stamp) in final.items():
                path = os.path.join(out, name)
                with open(path, "rb") as f:
                    self.assertTrue(f.read() == data, name)
                self.assertEqual(expected_mtime(stamp), int(os.stat(path).st_mtime), name)

    def test_stored_and_deflated_at_every_level(self):
        rng = random.Random(1)
        shapes = contents(rng)
        methods = [(zipfile.ZIP_STORED, None)] + [(zipfile.ZIP_DEFLATED, level)
                                                  for level in (0, 1, 6, 9)]
        for method, level in methods:
            with self.subTest(method=method, level=level):
                entries = []
                for i, (shape, data) in enumerate(sorted(shapes.items())):
                    name = "%s %d.BIN" % (shape.upper(), i)
                    stamp = (1990 + 3 * i, 1 + i, 1 + 3 * i, i * 2, 7 * i, 2 * i)
                    entries.append((name, data, method, level, stamp))
                self.check_archive(entries)

    def test_many_files_with_mixed_methods_and_names(self):
        rng = random.Random(2)
        shapes = list(contents(rng).values())
        entries = []
        for i in range(120):
            length = rng.randrange(1, 32)
            name = "".join(rng.choice("abcXYZ019 _-") for _ in range(length - 1)) + "%c" % (65 + i % 26)
            name = ("f%03d%s" % (i, name))[:27] + ".DaT"
            method, level = rng.choice([(zipfile.ZIP_STORED, None), (zipfile.ZIP_DEFLATED, 1),
                                        (zipfile.ZIP_DEFLATED, 6), (zipfile.ZIP_DEFLATED, 9)])
            data = rng.choice(shapes)[: rng.choice([0, 1, 100, 5000, 40000, 10 ** 6])]
            stamp = (1980 + rng.randrange(100), rng.randrange(1, 13), rng.randrange(1, 29),
                     rng.randrange(24), rng.randrange(60), 2 * rng.randrange(30))
            entries.append((name, data, method, level, stamp))
        self.check_archive(entries)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
