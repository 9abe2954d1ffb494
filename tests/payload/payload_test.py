#!/usr/bin/env python3
"""The sample add-on, the payload made from two folders, and the build's
payload check.

  payload_test.py PATH/TO/tesmo-unzip

The generator makes the same bytes in any zone, with compiled help that
libchm's tools read; the check passes it and checks the nested archive too.
tools/make_payload refuses each bad file with its line, and with
SOURCE_DATE_EPOCH makes the same bytes from other file times in other zones.
"""

import io, os, subprocess, sys, tempfile, time, unittest, zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from zips import zip_bytes  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))
GENERATOR = os.path.join(ROOT, "tools", "make_sample_payload.py")
CHECK = os.path.join(ROOT, "tools", "payload", "check_payload.py")
MAKER = os.path.join(ROOT, "tools", "make_payload")
TOOL = None


def run_check(payload_bytes):
    with tempfile.TemporaryDirectory() as tmp:
        payload, stamp = os.path.join(tmp, "Tesmo.zip"), os.path.join(tmp, "checked.stamp")
        with open(payload, "wb") as out:
            out.write(payload_bytes)
        run = subprocess.run([sys.executable, CHECK, TOOL, payload, stamp], capture_output=True,
                             text=True, timeout=120)
        return run.returncode, run.stdout, os.path.exists(stamp)


class SampleAddon(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        runs = []
        with tempfile.TemporaryDirectory() as tmp:
            for n, zone in enumerate(("America/New_York", "Asia/Tokyo")):
                path = os.path.join(tmp, "run%d.zip" % n)
                subprocess.run([sys.executable, GENERATOR, path], check=True, timeout=120,
                               stdout=subprocess.DEVNULL, env=dict(os.environ, TZ=zone))
                with open(path, "rb") as made:
                    runs.append(made.read())
        cls.payload, cls.again = runs
        cls.outer = zipfile.ZipFile(io.BytesIO(cls.payload))
        cls.nested = zipfile.ZipFile(io.BytesIO(cls.outer.read("Tesmohelp.zip")))

    def test_every_run_makes_the_same_bytes(self):
        self.assertTrue(self.payload == self.again)

    def test_holds_what_the_installation_uses_with_compiled_help(self):
        outer, nested = set(self.outer.namelist()), set(self.nested.namelist())
        self.assertTrue({"Readme.txt", "Annexlist.chm", "Tesmo.chm", "Tesmohelp.zip"} <= outer, outer)
        self.assertTrue({"Index.htm", "Style.css", "Lesson01.png"} <= nested, nested)
        with tempfile.TemporaryDirectory() as tmp:
            for name in (n for n in outer if n.endswith(".chm")):
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
        self.assertEqual((0, "", True), run_check(self.payload))


class RefusedPayloads(unittest.TestCase):
    def test_the_nested_archive_is_checked_too(self):
        long_name = "A" * 36 + ".htm"
        for what, entries, code, lines in [  # what, entries, exit code, lines
                ("no nested archive", [("Readme.txt", b"r")], 1, ["check: the payload holds no Tesmohelp.zip"]),
                ("fault in the nested archive", [("Tesmohelp.zip", zip_bytes([(long_name, b"x")]))], 1,
                 ["Tesmohelp.zip in ", "check: %s: name of 40 characters, more than 39" % long_name]),
                ("nested archive in any letter case",
                 [("TESMOHELP.ZIP", zip_bytes([("Index.htm", b"<html>")]))], 0, [])]:
            with self.subTest(what):
                result, output, stamped = run_check(zip_bytes(entries))
                self.assertEqual((code, code == 0), (result, stamped), output)
                for line in lines:
                    self.assertIn(line, output)


def make_payload(addon, help_folder, out, **env):
    run = subprocess.run([sys.executable, MAKER, addon, help_folder, out], capture_output=True,
                         text=True, timeout=120, env=dict(os.environ, **env))
    return run.returncode, run.stdout, run.stderr.splitlines()


def write(folder, files, seconds=None):
    """Files (bytes, or a size: a sparse file) with their times; a name
    ending in "/" is a folder."""
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        path = os.path.join(folder, name)
        if name.endswith("/"):
            os.mkdir(path)
            continue
        with open(path, "wb") as out:
            out.truncate(data) if isinstance(data, int) else out.write(data)
        if seconds is not None:
            os.utime(path, (seconds, seconds))


class PublisherFolders(unittest.TestCase):
    def test_each_refusal_has_its_line_and_nothing_is_made(self):
        refusals = [  # a file of that size made in the add-on folder ("/": a folder), its line
            ("Docs/", 0, "a subfolder: the installer writes no folders"),
            ("L" * 36 + ".txt", 1, "a name of 40 characters, more than 39"),
            ("Con.txt", 1, "a name the installer refuses: CON is a device name on Windows"),
            ("What?.txt", 1, "a name the installer refuses: the character ?, which Windows forbids in names"),
            ("Tab\tname.txt", 1, "a name the installer refuses: control character 0x09 in the name"),
            ("\u03a9mega.txt", 1, "a name that cannot be written in the Western code page (cp1252)"),
            ("readme.TXT", 1, "the installer writes it to the same file as README.TXT (Readme.txt)"),
            ("tesmohelp.ZIP", 1, "Tesmohelp.zip is made from the help folder; the add-on folder may not hold one"),
            # Sparse: nothing is read before the refusal.
            ("Big.dat", 1 << 32, "a file of 4,294,967,296 bytes, more than a ZIP without ZIP64 holds (4,294,967,294)"),
        ]
        with tempfile.TemporaryDirectory() as tmp:
            addon, help_folder, out = (os.path.join(tmp, n) for n in ("Addon", "Help", "Tesmo.zip"))
            write(addon, dict({"README.TXT": b"r", "Caf\u00e9.txt": b"fine in the code page"},
                              **{name: size for name, size, _ in refusals}))
            write(help_folder, {"Index.htm": b"<html>", "Pictures/": None})
            write(tmp, {"Tesmo.zip": b"an archive of an earlier build"})
            expected = sorted(["make_payload: refused: %s/%s: %s" % (addon, n.rstrip("/").replace("\t", "\\x09"), l)
                               for n, _, l in refusals] +
                              ["make_payload: refused: %s/Pictures: %s" % (help_folder, refusals[0][2])])
            code, _, lines = make_payload(addon, help_folder, out)
            self.assertEqual((1, expected, False), (code, sorted(lines[:-1]), os.path.exists(out)))
            code, _, lines = make_payload(help_folder, tmp + "/NoHelp", out)
            self.assertEqual((1, "make_payload: refused: %s/NoHelp: no help folder: without the nested "
                                 "Tesmohelp.zip every installation ends with the fatal box" % tmp), (code, lines[0]))

    def test_the_same_bytes_from_other_times_in_other_zones(self):
        epoch, old, made = 1400000000, 1300000007, []
        with tempfile.TemporaryDirectory() as tmp:
            for n, (zone, later) in enumerate((("America/New_York", 1000), ("Asia/Tokyo", 99999))):
                addon, help_folder, out = (os.path.join(tmp, x + str(n)) for x in ("a", "h", "Tesmo.zip"))
                write(addon, {"README.TXT": b"read me", "Annexlist.chm": b"ITSF"}, epoch + later)
                write(addon, {"Old.dat": b"older than the epoch"}, old)
                write(help_folder, {"Index.htm": b"<html>"}, epoch + later)
                code, listing, _ = make_payload(addon, help_folder, out, TZ=zone, SOURCE_DATE_EPOCH=str(epoch))
                with open(out, "rb") as f:
                    made.append(f.read())
        self.assertTrue(made[0] == made[1])
        self.assertIn("README.TXT -> Readme.txt", listing)
        # Later times clamped to the epoch, all as UTC; in name order.
        self.assertEqual([("Annexlist.chm", time.gmtime(epoch)[:6]), ("Old.dat", time.gmtime(old - 1)[:6]),
                          ("README.TXT", time.gmtime(epoch)[:6]), ("Tesmohelp.zip", time.gmtime(epoch)[:6])],
                         [(i.filename, i.date_time) for i in zipfile.ZipFile(io.BytesIO(made[0])).infolist()])


if __name__ == "__main__":
    os.environ["TZ"] = "America/New_York"
    time.tzset()
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
