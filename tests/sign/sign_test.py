#!/usr/bin/env python3
"""Signing the installer, with throwaway certificates made for the run.

  sign_test.py SOURCE-DIR TOOLCHAIN-FILE TESMO-UNZIP PAYLOAD EXE SCRATCH-DIR
               [unittest arguments]

SignedCopy: a copy of EXE signed by the build's script verifies and differs
only where a signature goes. SignedBuild builds this tree in SCRATCH-DIR
with the signing options: signed, or failing with the reason; and stopped
by the payload check.
"""

import os, shutil, struct, subprocess, sys, tempfile, unittest

SOURCE, TOOLCHAIN, UNZIP, PAYLOAD, EXE, SCRATCH = (os.path.abspath(a) for a in sys.argv[1:7])
del sys.argv[1:7]
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "support")]
from throwaway_signing import PASSWORD, SIGN, make_certificate, sign_copy  # noqa: E402
from zips import zip_bytes  # noqa: E402


def verify(exe, ca_file):
    return subprocess.run(["osslsigncode", "verify", "-ignore-cdp", "-CAfile", ca_file,
                           "-in", exe], capture_output=True, text=True, timeout=60)


class SignedCopy(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = tempfile.mkdtemp(prefix="tesmo-sign-")
        cls.addClassCleanup(shutil.rmtree, folder)
        cls.signed = os.path.join(folder, "Tesmo_setup.exe")
        cls.certificate = sign_copy(EXE, cls.signed, folder)

    def test_verifies_with_sha256(self):
        result = verify(self.signed, self.certificate["cert"])
        self.assertEqual(0, result.returncode, result.stdout + result.stderr)
        self.assertIn("Signature verification: ok", result.stdout)
        self.assertIn("Message digest algorithm  : SHA256", result.stdout)

    def test_only_checksum_directory_entry_and_appended_signature_differ(self):
        with open(EXE, "rb") as f, open(self.signed, "rb") as g:
            unsigned, signed = f.read(), g.read()
        # The PE checksum, and the certificate table's entry among the directories.
        header = struct.unpack_from("<I", unsigned, 0x3C)[0]
        self.assertEqual(b"PE\0\0", unsigned[header:header + 4])
        checksum = header + 24 + 64
        entry = header + 24 + (96 if struct.unpack_from("<H", unsigned, header + 24)[0] == 0x10B else 112) + 4 * 8
        self.assertEqual((0, 0), struct.unpack_from("<II", unsigned, entry))
        table, size = struct.unpack_from("<II", signed, entry)
        self.assertEqual(-len(unsigned) % 8, table - len(unsigned))
        self.assertEqual(len(signed), table + size)
        self.assertEqual(bytes(table - len(unsigned)), signed[len(unsigned):table])
        # WIN_CERTIFICATE: its length, revision 2.0, a PKCS#7 signature.
        self.assertEqual((size, 0x200, 2), struct.unpack_from("<IHH", signed, table))

        def rest(data):
            return data[:checksum] + data[checksum + 4:entry] + data[entry + 8:len(unsigned)]
        self.assertTrue(rest(signed) == rest(unsigned), "bytes outside the signature changed")

    def test_time_stamp_server_is_asked_only_when_named(self):
        def command(*options):
            return subprocess.run([sys.executable, SIGN, self.signed, "--pkcs12", "p.p12", "--password-env", "NAME",
                                   "--print-command", *options], check=True, capture_output=True, text=True,
                                  timeout=60).stdout.split()
        url = "http://time-stamp.example/rfc3161"
        stamped = command("--timestamp", url)
        self.assertEqual(url, stamped[stamped.index("-ts") + 1])
        self.assertEqual(["-readpass", "-"], stamped[stamped.index("-readpass"):][:2])
        self.assertNotIn("-ts", command())


class SignedBuild(unittest.TestCase):
    exe = os.path.join(SCRATCH, "Tesmo_setup.exe")

    def setUp(self):
        shutil.rmtree(SCRATCH, ignore_errors=True)
        self.addCleanup(shutil.rmtree, SCRATCH, ignore_errors=True)
        os.makedirs(SCRATCH)

    def configure(self, *options, ok=True):
        run = subprocess.run(["cmake", "-S", SOURCE, "-B", SCRATCH, "-DCMAKE_BUILD_TYPE=Release",
                              "-DCMAKE_TOOLCHAIN_FILE=" + TOOLCHAIN, "-DTESMO_UNZIP=" + UNZIP,
                              "-DTESMO_PAYLOAD=" + PAYLOAD, "-DPython3_EXECUTABLE=" + sys.executable,
                              "-DPython_EXECUTABLE=" + sys.executable, *options],
                             capture_output=True, text=True, timeout=280)
        self.assertEqual(ok, run.returncode == 0, run.stdout + run.stderr)
        return run

    def build(self, target="Tesmo_setup", **env):
        # Linking again runs the steps after it, the signing among them.
        if os.path.exists(self.exe):
            os.remove(self.exe)
        return subprocess.run(["cmake", "--build", SCRATCH, "-j2", "--target", target],
                              env=dict(os.environ, **env), capture_output=True, text=True,
                              timeout=580)

    def assertBuilds(self, **env):
        result = self.build(**env)
        self.assertEqual(0, result.returncode, result.stdout + result.stderr)
        self.assertIn("sign: Tesmo_setup.exe signed by /CN=Throwaway Publisher", result.stdout)
        self.assertEqual(0, verify(self.exe, self.certificate["cert"]).returncode)

    def test_build_signs_or_fails_with_the_reason(self):
        keys = os.path.join(SCRATCH, "keys")
        self.certificate = make_certificate(keys)
        pkcs12, cert, password_file = (self.certificate[k] for k in ("pkcs12", "cert", "password"))
        self.configure("-DTESMO_SIGN_PKCS12=" + pkcs12, "-DTESMO_SIGN_PASSWORD_FILE=" + password_file,
                       "-DTESMO_SIGN_CA_FILE=" + cert)
        self.assertBuilds()

        with open(make_certificate(os.path.join(keys, "other"), "Other Publisher")["cert"]) as f:
            other_cert = f.read()
        for path, text, message in [  # file to change, its new text (None: removed), the message
                (password_file, "wrong\n", "sign: wrong password for " + pkcs12),
                (pkcs12, None, f"sign: cannot read the certificate file {pkcs12}: No such file or directory"),
                (cert, other_cert, f"sign: the signature of {self.exe} does not verify against {cert}")]:
            with self.subTest(message):
                shutil.copyfile(path, path + ".kept")
                if text is None:
                    os.remove(path)
                else:
                    with open(path, "w") as f:
                        f.write(text)
                result = self.build()
                os.replace(path + ".kept", path)
                self.assertNotEqual(0, result.returncode, result.stdout)
                self.assertIn(message, result.stdout + result.stderr)
                self.assertFalse(os.path.exists(self.exe), "an unsigned exe was left")

        # The certificate and key apart, the password from the environment;
        # one given to CMake itself is refused and not kept in its cache.
        self.configure("-UTESMO_SIGN_*", "-DTESMO_SIGN_CERT=" + cert, "-DTESMO_SIGN_KEY=" + self.certificate["key"],
                       "-DTESMO_SIGN_PASSWORD_ENV=TESMO_TEST_PASSWORD", "-DTESMO_SIGN_CA_FILE=" + cert)
        self.assertBuilds(TESMO_TEST_PASSWORD=PASSWORD)
        refused = self.configure("-DTESMO_SIGN_PASSWORD=" + PASSWORD, ok=False)
        self.assertIn("the password is never given to CMake", refused.stderr)
        with open(os.path.join(SCRATCH, "CMakeCache.txt")) as f:
            self.assertNotIn(PASSWORD, f.read())

    def test_a_faulty_payload_stops_the_build(self):
        payload = os.path.join(SCRATCH, "folder.zip")
        with open(payload, "wb") as f:
            f.write(zip_bytes([("Lessons/Lesson01.qdw", b"d"), ("Tesmohelp.zip", b"")]))
        self.configure("-DTESMO_PAYLOAD=" + payload)
        result = self.build("tesmo_payload")
        self.assertNotEqual(0, result.returncode, result.stdout)
        self.assertIn("check: Lessons/Lesson01.qdw: name has a folder part",
                      result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
