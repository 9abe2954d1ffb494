#!/usr/bin/env python3
"""Archives made by Python's zipfile, expanded with tesmo-unzip.

  zipfile_test.py PATH/TO/tesmo-unzip

Stored and deflated entries at several levels, of many shapes, sizes and
names, in archives of mixed methods: the tool must exit 0 with no
message, list each file once as OK, and leave every file with the entry's
bytes under its normalised name (first letter upper case, the rest lower
case) and the entry's time as its modification time (local time, with
today's offset, as Windows converts).
"""

import calendar, os, random, subprocess, sys, tempfile, time, unittest, zipfile

TOOL = None
METHODS = [(zipfile.ZIP_STORED, None)] + [(zipfile.ZIP_DEFLATED, level) for level in (0, 1, 6, 9)]


def normalised(name):
    lower = "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in name)
    return (chr(ord(lower[0]) - 32) if "a" <= lower[0] <= "z" else lower[0]) + lower[1:]


class ZipfileArchives(unittest.TestCase):
    def check_archive(self, entries):
        """entries: (name, data, (method, level), date_time)."""
        with tempfile.TemporaryDirectory() as tmp:
            archive, out = os.path.join(tmp, "payload.zip"), os.path.join(tmp, "out")
            with zipfile.ZipFile(archive, "w") as z:
                for name, data, (method, level), stamp in entries:
                    info = zipfile.ZipInfo(name, stamp)
                    info.compress_type = method
                    z.writestr(info, data, compresslevel=level)
            result = subprocess.run([TOOL, archive, out], capture_output=True, text=True, timeout=120)
            self.assertEqual(("", 0), (result.stderr, result.returncode))
            self.assertEqual([os.path.join(out, normalised(e[0])) + " ... OK" for e in entries],
                             result.stdout.splitlines())
            final = {normalised(name): (data, stamp) for name, data, _, stamp in entries}
            self.assertEqual(sorted(final), sorted(os.listdir(out)))
            for name, (data, stamp) in final.items():
                path = os.path.join(out, name)
                with open(path, "rb") as f:
                    self.assertTrue(f.read() == data, name)
                utc = calendar.timegm(stamp + (0, 0, 0)) - time.localtime().tm_gmtoff
                self.assertEqual(utc, int(os.stat(path).st_mtime), name)

    def test_every_method_and_level_with_many_names(self):
        rng = random.Random(1)
        text = b" ".join(rng.choice([b"line", b"circle", b"layer", b"sheet", b"a"]) for _ in range(60000))
        noise = rng.randbytes(250000)
        runs = b"".join(bytes([rng.randrange(3)]) * rng.randrange(1, 500) for _ in range(800))
        shapes = [b"", b"x", text[:70001], noise[:50000], noise[:32768], text[:32769], runs, text * 4 + noise]
        for method in METHODS:  # each shape by one method, then random names by any method
            entries = []
            for i in range(len(shapes) + 12):
                name = "f%03d" % i + "".join(rng.choice("abcXYZ019 _-") for _ in range(rng.randrange(23)))
                data = shapes[i] if i < len(shapes) else rng.choice(shapes)[: rng.choice([0, 1, 100, 5000])]
                stamp = (1980 + rng.randrange(100), rng.randrange(1, 13), rng.randrange(1, 29),
                         rng.randrange(24), rng.randrange(60), 2 * rng.randrange(30))
                entries.append((name + "%c.DaT" % (65 + i % 26), data,
                                method if i < len(shapes) else rng.choice(METHODS), stamp))
            with self.subTest(method=method):
                self.check_archive(entries)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
