#!/usr/bin/env python3
"""tesmo-unzip.exe under Wine against the Linux tool, on the archives of
zipfile_test.py: the same exit level, the same lines in the same order
(paths compared with Windows separators, ignoring case) and the same files
with the same bytes and times, expanding and with --check.

  win_unzip_test.py LINUX-TOOL WINDOWS-TOOL WINE
"""

import os, re, shutil, subprocess, sys, tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zipfile_test as table  # noqa: E402


def archives(tmp):
    many = os.path.join(tmp, "many.zip")
    table.write_many(many, table.many_entries())
    with open(many, "rb") as f:
        yield "many entries", f.read()
    crc = table.zip_bytes([("one.txt", b"1"), ("bad.txt", b"2"), ("three.txt", b"3")])
    table.patch(crc, crc.index(b"bad.txt") - 16, "I", 0)
    yield "CRC error", crc
    for label, archive, _, _ in table.check_cases():
        yield label, archive
    yield "ZIP64", table.zip_bytes(table.GOOD, force_zip64=True)
    yield "no archive", None


def run(argv, tmp):
    """(exit code, lines as Windows would compare them; the check's own
    temporary folder is a folder of each system's)."""
    with open(os.path.join(tmp, "lines.txt"), "wb") as out:  # a pipe to Wine can stay open
        code = subprocess.run(argv, cwd=tmp, stdout=out, stderr=subprocess.STDOUT, timeout=300).returncode
    with open(os.path.join(tmp, "lines.txt"), "rb") as f:
        text = f.read().decode("latin-1").replace("\r\n", "\n").replace("/", "\\").lower()
    return code, re.sub(r"\S*tesmo-check-[-\d]+", "TEMP", text).splitlines()


def files(folder):
    found = {}
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), "rb") as f:
            found[name.lower()] = (f.read(), int(os.stat(os.path.join(folder, name)).st_mtime))
    return found


def main():
    linux, windows, wine = sys.argv[1:4]
    os.environ.update(TZ="America/New_York", LC_ALL="C.UTF-8", WINEDEBUG="-all")
    tools = {"linux": [os.path.abspath(linux)], "windows": [wine, os.path.abspath(windows)]}
    failed, counts = [], [0, 0, 0]
    with tempfile.TemporaryDirectory() as tmp:
        for label, archive in archives(tmp):
            if archive is not None:
                with open(os.path.join(tmp, "payload.zip"), "wb") as f:
                    f.write(archive)
            seen = {}
            for system, tool in tools.items():
                shutil.rmtree(os.path.join(tmp, "out"), ignore_errors=True)
                expanded = run(tool + ["payload.zip", "out"], tmp)
                checked = run(tool + ["--check", "payload.zip"], tmp)
                seen[system] = (expanded, checked, files(os.path.join(tmp, "out")))
            if seen["linux"] != seen["windows"]:
                a, b = seen["linux"][2], seen["windows"][2]
                failed.append("%s:\n  linux:   %s\n  windows: %s\n  files differing: %s" % (
                    label, seen["linux"][:2], seen["windows"][:2],
                    sorted(n for n in set(a) | set(b) if a.get(n) != b.get(n))))
            (code, lines), (_, check), out = seen["linux"]
            counts = [counts[0] + 1, counts[1] + len(lines) + len(check), counts[2] + len(out)]
            if os.path.exists(os.path.join(tmp, "payload.zip")):
                os.remove(os.path.join(tmp, "payload.zip"))
    print("%d archives, %d lines, %d files: %d differ" % (counts[0], counts[1], counts[2], len(failed)))
    for report in failed:
        print("differs: " + report)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
