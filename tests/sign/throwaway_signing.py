#!/usr/bin/env python3
"""A throwaway code-signing certificate, made with openssl for one run and
never kept, and a signed copy of a program made with it by the build's own
signing script (tools/sign/sign_program.py).

  throwaway_signing.py EXE SIGNED-EXE

signs a copy of EXE as SIGNED-EXE with a fresh certificate and prints the
signed copy's path; for running any test of the program on a signed one.
"""

import os, shutil, subprocess, sys, tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIGN = os.path.join(ROOT, "tools", "sign", "sign_program.py")
PASSWORD = "throwaway password"

def make_certificate(folder, name="Throwaway Publisher"):
    """Self-signed certificate and key of a publisher called |name|, in
    |folder|: the certificate (PEM), the key (PEM) and both as PKCS#12, the
    key and the PKCS#12 file protected by PASSWORD, which a file holds."""
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
    """Copies |exe| to |signed| and signs it with a new certificate made in
    |folder|; returns the certificate's paths."""
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
