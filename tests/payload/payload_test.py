#!/usr/bin/env python3
"""The sample add-on and the build's payload check.

  payload_test.py PATH/TO/tesmo-unzip

The generator makes the same bytes on every run, with compiled help that a
reader of the format opens (libchm's enum_chmLib and extract_chmLib); the
check passes it, and checks the nested help archive too.
"""

import io, os, subprocess, sys, tempfile, unittest, zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from zips import zip_bytes  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))
GENERATOR = os.path.join(ROOT, "tools", "make_sample_payload.py")
CHECK = os.path.join(ROOT, "tools", "payload", "check_payload.py")
TOOL = None


def run_check(tmp, payload_bytes):
    """(exit code, output, stamp written) of the build's check."""
    payload, stamp = os.path.join(tmp, "Tesmo.zip"), os.path.join(tmp, "checked.stamp")
    with open(payload, "wb") as out:
        out.write(payload_bytes)
    run = subprocess.run([sys.executable, CHECK, TOOL, payload, stamp], capture_output=True,
                         text=True, timeout=120)
    return run.returncode, run.stdout, os.path.exists(stamp)


class SampleAddon(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        runs = []
        for name in ("first.zip", "second.zip"):
            path = os.path.join(cls.tmp.name, name)
            subprocess.run([sys.executable, GENERATOR, path], check=True, timeout=120)
            with open(path, "rb") as made:
                runs.append(made.read())
        cls.payload, cls.again = runs
        cls.outer = zipfile.ZipFile(io.BytesIO(cls.payload))
        cls.nested = zipfile.ZipFile(io.BytesIO(cls.outer.read("Tesmohelp.zip")))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_every_run_makes_the_same_bytes(self):
        self.assertTrue(self.payload == self.again)

    def test_holds_what_the_installation_uses(self):
        outer = self.outer.namelist()
        self.assertTrue({"Readme.txt", "Annexlist.chm", "Tesmohelp.zip"} <= set(outer), outer)
        self.assertGreaterEqual(sum(n.endswith(".chm") for n in outer), 2)
        kinds = {os.path.splitext(n)[1] for n in self.nested.namelist()}
        self.assertTrue({".htm", ".css", ".png"} <= kinds, kinds)

    def test_help_files_are_compiled_help(self):
        chms = [n for n in self.outer.namelist() if n.endswith(".chm")]
        with tempfile.TemporaryDirectory() as tmp:
            for name in chms:
                path = os.path.join(tmp, name)
                with open(path, "wb") as out:
                    out.write(self.outer.read(name))
                listing = subprocess.run(["enum_chmLib", path], capture_output=True, text=True,
                                         timeout=60).stdout
                for file in ("/#SYSTEM", "/Contents.hhc", "/Style.css"):
                    self.assertIn(file, listing, name)
            pages = os.path.join(tmp, "pages")
            subprocess.run(["extract_chmLib", os.path.join(tmp, "Tesmo.chm"), pages],
                           capture_output=True, check=True, timeout=60)
            # The picture the help file shows is the one of the browser pages.
            with open(os.path.join(pages, "Lesson01.png"), "rb") as picture:
                self.assertEqual(self.nested.read("Lesson01.png"), picture.read())
            with open(os.path.join(pages, "Index.htm")) as index:
                self.assertIn('<a href="Lesson12.htm">', index.read())

    def test_the_build_check_passes_it(self):
        with tempfile.TemporaryDirectory() as tmp:
            self.assertEqual((0, "", True), run_check(tmp, self.payload))


class RefusedPayloads(unittest.TestCase):
    def test_the_nested_archive_is_checked_too(self):
        long_name = "A" * 36 + ".htm"
        cases = [  # what, entries, exit code, lines
            ("no nested archive", [("Readme.txt", b"r")], 1, ["check: the payload holds no Tesmohelp.zip"]),
            ("fault in the nested archive", [("Tesmohelp.zip", zip_bytes([(long_name, b"x")]))], 1,
             ["Tesmohelp.zip in ", "check: %s: name of 40 characters, more than 39" % long_name]),
            ("nested archive in any letter case", [("TESMOHELP.ZIP", zip_bytes([("Index.htm", b"<html>")]))], 0, []),
        ]
        for what, entries, code, lines in cases:
            with self.subTest(what), tempfile.TemporaryDirectory() as tmp:
                result, output, stamped = run_check(tmp, zip_bytes(entries))
                self.assertEqual((code, code == 0), (result, stamped), output)
                for line in lines:
                    self.assertIn(line, output)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
