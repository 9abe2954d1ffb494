#!/usr/bin/env python3
"""Archives made by Python's zipfile, through tesmo-unzip.

  zipfile_test.py PATH/TO/tesmo-unzip

Entries of many shapes, names, times and methods: each listed once as OK,
left with its bytes, normalised name and time; --check finds no problem.
Archives breaking one rule of a payload each fail --check with that rule.
"""

import calendar, itertools, os, random, struct, subprocess, sys, tempfile, time, unittest, zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from zips import normalised, zip_bytes  # noqa: E402

TOOL = None
METHODS = [(zipfile.ZIP_STORED, None)] + [(zipfile.ZIP_DEFLATED, level) for level in (0, 1, 6, 9)]


def many_entries():
    """(name, data, (method, level), date) of 40 entries of many shapes."""
    rng = random.Random(1)
    text = b" ".join(rng.choice([b"line", b"circle", b"layer", b"sheet", b"a"]) for _ in range(60000))
    noise = rng.randbytes(250000)
    runs = b"".join(bytes([rng.randrange(3)]) * rng.randrange(1, 500) for _ in range(800))
    shapes = [b"", b"x", text[:70001], noise[:50000], noise[:32768], text[:32769], runs, text * 4 + noise]
    entries = []  # every shape by every method (8 and 5 are coprime)
    for i in range(40):
        name = "f%02d" % i + "".join(rng.choice("abcXYZ019 _-") for _ in range(rng.randrange(23)))
        stamp = (1980 + rng.randrange(100), rng.randrange(1, 13), rng.randrange(1, 29),
                 rng.randrange(24), rng.randrange(60), 2 * rng.randrange(30))
        entries.append((name + "%c.DaT" % (65 + i % 26), shapes[i % 8], METHODS[i % 5], stamp))
    return entries


def many_zip(entries):
    return zip_bytes((name, data, stamp) + how for name, data, how, stamp in entries)


def run_tool(tmp, archive_bytes, *args, folder="."):
    """The tool's exit code and its lines (stdout and stderr in their order)
    on the archive written as tmp/folder/payload.zip; "ARCHIVE" and "TMP" in
    args and "TMP" in the lines stand for those paths."""
    path = os.path.join(tmp, folder, "payload.zip")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(archive_bytes)
    run = subprocess.run([TOOL] + [a.replace("ARCHIVE", path).replace("TMP", tmp) for a in args],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=120)
    return run.returncode, run.stdout.replace(tmp, "TMP").splitlines()


class ZipfileArchives(unittest.TestCase):
    def test_every_method_and_level_with_many_names(self):
        entries = many_entries()
        archive = many_zip(entries)
        with tempfile.TemporaryDirectory() as tmp:
            self.assertEqual((0, ["TMP/out/%s ... OK" % normalised(e[0]) for e in entries]),
                             run_tool(tmp, archive, "ARCHIVE", "TMP/out"))
            self.assertEqual((0, ["check: 40 entries, no problem"]), run_tool(tmp, archive, "--check", "ARCHIVE"))
            self.assertEqual(sorted(normalised(e[0]) for e in entries), sorted(os.listdir(tmp + "/out")))
            for name, data, _, stamp in entries:
                path = os.path.join(tmp, "out", normalised(name))
                with open(path, "rb") as f:
                    self.assertTrue(f.read() == data, name)
                utc = calendar.timegm(stamp + (0, 0, 0)) - time.localtime().tm_gmtoff
                self.assertEqual(utc, int(os.stat(path).st_mtime), name)


def patch(archive, at, fmt, value):
    struct.pack_into("<" + fmt, archive, at, value)


def central(archive, index):
    """Offset of the index-th central directory header."""
    at = -1
    for _ in range(index + 1):
        at = archive.index(b"PK\x01\x02", at + 1)
    return at


GOOD = [("Lesson.dwg", b"drawing " * 100), ("Readme.txt", b"read me")]


def crc_error_zip():
    """Three entries, the middle one's local CRC zeroed."""
    archive = bytearray(zip_bytes([("one.txt", b"1"), ("bad.txt", b"2"), ("three.txt", b"3")]))
    patch(archive, archive.index(b"bad.txt") - 16, "I", 0)
    return archive


def check_cases():
    """The payloads that break one rule each: (label, archive, first entry's
    name, the --check lines' beginnings)."""
    def both(local, in_central, fmt, value):  # a field of the first entry, in both headers
        return lambda a: (patch(a, local, fmt, value), patch(a, central(a, 0) + in_central, fmt, value))

    def junk(a):
        at = central(a, 0)
        a[at:at] = b"junk"
        patch(a, len(a) - 6, "I", at + 4)

    stops, n40 = "archive: the walk stops at offset ", "n" * 40
    cases = [  # label, entries, damage, the lines' beginnings ("L:" the first entry, "F:" level 2)
        ("folder part", [("sub/file.txt", b"x")], None, ["F:", "sub/file.txt: name has a folder part"]),
        ("long name", [(n40, b"x")], None, ["F:", n40 + ": name of 40 characters, more than 39"]),
        ("device", [("Com1.txt", b"x")], None, ["F:", "Com1.txt: name the installer refuses to write"]),
        ("encrypted", GOOD, both(6, 8, "H", 1), ["L:central header: encrypted", "L:local header: encrypted"]),
        ("descriptor", GOOD, both(6, 8, "H", 8),
         ["L:central header: sizes in a data descriptor", "L:local header: sizes in a data descriptor"]),
        ("method", GOOD, both(8, 10, "H", 12),
         ["L:central header: method 12, not stored (0) or deflated (8)",
          "L:local header: method 12, not stored (0) or deflated (8)", "L:the walk does not list it as OK"]),
        ("junk before the directory", GOOD, junk, [stops]),
        ("not reached", GOOD, lambda a: patch(a, a.index(b"Readme.txt") - 30, "I", 0),
         [stops, "Readme.txt: not reached by the walk"]),
        ("sizes differ", GOOD, lambda a: patch(a, central(a, 1) + 24, "I", 99),
         ["Readme.txt: local header differs in CRC or sizes"]),
    ]

    def damaged(entries, damage):
        archive = bytearray(zip_bytes(entries))
        if damage:
            damage(archive)
        return archive
    return [(label, damaged(entries, damage), entries[0][0], expected) for label, entries, damage, expected in cases]


class Tool(unittest.TestCase):
    def run_tool(self, *args, **folder):
        with tempfile.TemporaryDirectory() as tmp:
            return run_tool(tmp, *args, **folder)

    def test_messages_and_lines_keep_their_order_and_paths_may_be_long(self):
        deep = "/".join(["a-folder-name-of-some-length"] * 4)
        code, lines = self.run_tool(crc_error_zip(), "ARCHIVE", "TMP/" + deep + "/out", folder=deep)
        self.assertEqual((1, ["TMP/%s/out/One.txt ... OK" % deep, "message: bad.txt ... compressed data CRC error",
                              "TMP/%s/out/Three.txt ... OK" % deep]), (code, lines))

    def test_check_names_each_broken_rule(self):
        for label, archive, first, expected in check_cases():
            with self.subTest(label):
                code, lines = self.run_tool(archive, "--check", "ARCHIVE")
                lines = [line for line in lines if line.startswith("check: ")]
                if expected[0] == "F:":
                    expected = ["archive: the walk ends with level 2, not 0", expected[1], first + ": the walk gives it level 2"]
                expected = ["check: " + e.replace("L:", "Lesson.dwg: ") for e in expected]
                expected.append("check: %d problem" % len(expected))
                prefixes = [got[:len(want)] for want, got in itertools.zip_longest(expected, lines, fillvalue="")]
                self.assertEqual((2, expected), (code, prefixes), lines)

        code, lines = self.run_tool(zip_bytes(GOOD, force_zip64=True), "--check", "ARCHIVE")
        self.assertEqual((2, True), (code, "check: Lesson.dwg: local header: ZIP64 fields" in lines), lines)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
