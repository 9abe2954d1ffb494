#!/usr/bin/env python3
"""Refuses a payload archive that the installer cannot expand cleanly.

  python3 check_payload.py TESMO-UNZIP PAYLOAD.zip STAMP

Runs "TESMO-UNZIP --check" on the payload and on the help archive nested in
it, "Tesmohelp.zip", which every installation expands after the payload: a
payload without it would end every installation with the fatal box. Prints
the tool's "check: <entry>: <rule>" lines and exits 1 on any problem;
otherwise writes STAMP, which the build depends on.
"""

import os
import subprocess
import sys
import tempfile
import zipfile

NESTED = "Tesmohelp.zip"


def check(unzip, archive, shown):
    """Runs the tool's check on |archive|, printing its lines; True if clean."""
    run = subprocess.run([unzip, "--check", archive], stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT)
    text = run.stdout.decode(errors="replace")
    if run.returncode != 0:
        print("%s:\n%s" % (shown, text), end="" if text.endswith("\n") else "\n")
    return run.returncode == 0


def nested_archive(payload):
    """The bytes of the nested help archive, or an explanation of its absence.
    The installer opens it by name on Windows, so the letter case is free."""
    try:
        with zipfile.ZipFile(payload) as archive:
            for info in archive.infolist():
                if info.filename.lower() == NESTED.lower():
                    return archive.read(info), None
    except (zipfile.BadZipFile, OSError) as error:
        return None, "%s cannot be read from the payload (%s)" % (NESTED, error)
    return None, ("the payload holds no %s: every installation expands it after "
                  "the payload, so each one would end with the fatal box" % NESTED)


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: check_payload.py TESMO-UNZIP PAYLOAD.zip STAMP")
    unzip, payload, stamp = sys.argv[1:]
    if os.path.exists(stamp):
        os.remove(stamp)
    clean = check(unzip, payload, payload)
    nested, missing = nested_archive(payload)
    if missing:
        print("check: %s" % missing)
        clean = False
    else:
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, NESTED)
            with open(path, "wb") as out:
                out.write(nested)
            clean = check(unzip, path, "%s in %s" % (NESTED, payload)) and clean
    if not clean:
        print("The installer cannot expand this payload cleanly: %s" % payload, file=sys.stderr)
        return 1
    with open(stamp, "w") as out:
        out.write("checked\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
