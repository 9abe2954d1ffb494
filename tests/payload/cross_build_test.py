#!/usr/bin/env python3
"""A Windows build with a faulty payload stops with the check's lines.

  cross_build_test.py SOURCE-DIR TOOLCHAIN-FILE TESMO-UNZIP SCRATCH-DIR

Configures the source tree into SCRATCH-DIR with TESMO_PAYLOAD naming a
faulty archive and builds only tesmo_payload, which must fail.
"""

import os, shutil, subprocess, sys, unittest, zipfile

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

    def test_a_faulty_payload_stops_the_build(self):
        shutil.rmtree(SCRATCH, ignore_errors=True)
        os.makedirs(SCRATCH)
        payload = os.path.join(SCRATCH, "folder.zip")
        make_zip(payload, [("Lessons/Lesson01.qdw", b"d"), ("Tesmohelp.zip", b"")])
        result = self.build(payload)
        self.assertNotEqual(0, result.returncode, result.stdout)
        self.assertIn("check: Lessons/Lesson01.qdw: name has a folder part", result.stdout + result.stderr)
        shutil.rmtree(SCRATCH, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
