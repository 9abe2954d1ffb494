#!/usr/bin/env python3
"""A Windows build with a faulty payload stops with the check's lines.

  cross_build_test.py SOURCE-DIR TOOLCHAIN-FILE TESMO-UNZIP SCRATCH-DIR

Configures the source tree into SCRATCH-DIR with the toolchain file and
TESMO_PAYLOAD naming a faulty archive, builds only tesmo_payload, and
expects the build to fail with the lines that name the fault.
"""

import io, os, shutil, subprocess, sys, unittest, zipfile

SOURCE, TOOLCHAIN, TOOL, SCRATCH = (os.path.abspath(a) for a in sys.argv[1:5])
del sys.argv[1:5]


def make_zip(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, (2014, 5, 3, 10, 20, 30))
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data)


class CrossBuild(unittest.TestCase):
    def build(self, payload):
        configure = subprocess.run(
            ["cmake", "-S", SOURCE, "-B", SCRATCH, "-DCMAKE_BUILD_TYPE=Release",
             "-DCMAKE_TOOLCHAIN_FILE=" + TOOLCHAIN, "-DTESMO_UNZIP=" + TOOL,
             "-DTESMO_PAYLOAD=" + payload,
             # This interpreter, found at once rather than searched for.
             "-DPython3_EXECUTABLE=" + sys.executable, "-DPython_EXECUTABLE=" + sys.executable],
            capture_output=True, text=True, timeout=280)
        self.assertEqual(0, configure.returncode, configure.stdout + configure.stderr)
        return subprocess.run(["cmake", "--build", SCRATCH, "--target", "tesmo_payload"],
                              capture_output=True, text=True, timeout=280)

    def test_faulty_payloads_stop_the_build(self):
        shutil.rmtree(SCRATCH, ignore_errors=True)
        os.makedirs(SCRATCH)
        help_archive = io.BytesIO()
        make_zip(help_archive, [("Index.htm", b"<html></html>")])
        cases = [
            ("folder.zip", [("Lessons/Lesson01.qdw", b"d"), ("Tesmohelp.zip", help_archive.getvalue())],
             "check: Lessons/Lesson01.qdw: name has a folder part"),
            ("nohelp.zip", [("Readme.txt", b"r")], "check: the payload holds no Tesmohelp.zip"),
        ]
        for name, entries, line in cases:
            with self.subTest(name):
                payload = os.path.join(SCRATCH, name)
                make_zip(payload, entries)
                result = self.build(payload)
                self.assertNotEqual(0, result.returncode, result.stdout)
                self.assertIn(line, result.stdout + result.stderr)
        shutil.rmtree(SCRATCH, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
