#!/usr/bin/env python3
"""Throwaway code-signing certificates (openssl, never kept), and copies of a
program signed with one by the build's own script (tools/sign/sign_program.py).

  throwaway_signing.py EXE SIGNED-EXE    signs a copy, prints its path
"""

import os, shutil, subprocess, sys, tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIGN = os.path.join(ROOT, "tools", "sign", "sign_program.py")
PASSWORD = "throwaway password"

def make_certificate(folder, name="Throwaway Publisher"):
    """Paths of a self-signed certificate, its key and both as PKCS#12 made in
    |folder|, protected by PASSWORD, and of a file holding that password."""
    os.makedirs(folder, exist_ok=True)
    stem = os.path.join(folder, name.replace(" ", "_"))
    paths = {"cert": stem + ".pem", "key": stem + ".key", "pkcs12": stem + ".p12",
             "password": stem + ".password"}
    with open(paths["password"], "w") as f:
        f.write(PASSWORD + "\n")
    for command in (
            ["req", "-x509", "-newkey", "rsa:2048", "-days", "7", "-config", os.devnull,
             "-subj", "/CN=" + name, "-addext", "basicConstraints=critical,CA:FALSE",
             "-addext", "keyUsage=critical,digitalSignature",
             "-addext", "extendedKeyUsage=codeSigning",
             "-keyout", paths["key"], "-out", paths["cert"], "-passout", "pass:" + PASSWORD],
            ["pkcs12", "-export", "-in", paths["cert"], "-inkey", paths["key"],
             "-passin", "pass:" + PASSWORD, "-out", paths["pkcs12"],
             "-passout", "pass:" + PASSWORD]):
        subprocess.run(["openssl"] + command, check=True, capture_output=True, timeout=60)
    return paths


def sign_copy(exe, signed, folder):
    """Signs a copy of |exe| with a new certificate made in |folder|."""
    certificate = make_certificate(folder)
    shutil.copyfile(exe, signed)
    subprocess.run([sys.executable, SIGN, signed, "--pkcs12", certificate["pkcs12"],
                    "--password-file", certificate["password"], "--ca-file", certificate["cert"]],
                   check=True, capture_output=True, timeout=120)
    return certificate


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as folder:
        sign_copy(sys.argv[1], sys.argv[2], folder)
    print(os.path.abspath(sys.argv[2]))
