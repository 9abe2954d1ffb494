#!/usr/bin/env python3
"""tesmo-unzip.exe under Wine against the Linux tool on zipfile_test.py's
archives, expanding and with --check: the same exit levels, lines (Windows
separators, any case, each system's temporary folder), files, bytes, times.

  win_unzip_test.py LINUX-TOOL WINDOWS-TOOL WINE
"""

import os, re, shutil, subprocess, sys, tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zipfile_test as table  # noqa: E402


def run(argv, tmp):
    with open(os.path.join(tmp, "lines.txt"), "wb") as out:  # a pipe to Wine can stay open
        code = subprocess.run(argv, cwd=tmp, stdout=out, stderr=subprocess.STDOUT, timeout=300).returncode
    with open(os.path.join(tmp, "lines.txt"), "rb") as f:
        text = f.read().decode("latin-1").replace("\r\n", "\n").replace("/", "\\").lower()
    # Wine's own words (a service of the prefix in trouble) are not the tool's.
    return code, [l for l in re.sub(r"\S*tesmo-check-[-\d]+", "TEMP", text).splitlines()
                  if not l.startswith("wine: ")]


def outcome(tool, tmp):
    out = os.path.join(tmp, "out")
    shutil.rmtree(out, ignore_errors=True)
    expanded, checked = run(tool + ["payload.zip", "out"], tmp), run(tool + ["--check", "payload.zip"], tmp)
    # A file the walk skips keeps the moment it was made, not a time it set.
    skipped = {l[9:].split(" ...")[0] for l in expanded[1] if l.endswith("not stored or deflated, can't unzip")}
    files = {}
    for name in os.listdir(out) if os.path.isdir(out) else []:
        with open(os.path.join(out, name), "rb") as f:
            files[name.lower()] = (f.read(), name.lower() in skipped or int(os.stat(f.name).st_mtime))
    return expanded, checked, files


def main():
    os.environ.update(TZ="America/New_York", LC_ALL="C.UTF-8", WINEDEBUG="-all")
    linux, windows = [os.path.abspath(sys.argv[1])], [sys.argv[3], os.path.abspath(sys.argv[2])]
    with tempfile.TemporaryDirectory() as tmp:
        cases = [("many entries", table.many_zip(table.many_entries())), ("CRC error", table.crc_error_zip()),
                 ("ZIP64", table.zip_bytes(table.GOOD, force_zip64=True)), ("no archive", None)]
        cases += [case[:2] for case in table.check_cases()]
        failed, lines, files = [], 0, 0
        for label, archive in cases:
            if os.path.exists(os.path.join(tmp, "payload.zip")):
                os.remove(os.path.join(tmp, "payload.zip"))
            if archive is not None:
                with open(os.path.join(tmp, "payload.zip"), "wb") as f:
                    f.write(archive)
            seen = outcome(linux, tmp), outcome(windows, tmp)
            if seen[0] != seen[1]:
                failed.append("%s:\n  linux:   %s\n  windows: %s" % (label, *[(x[:2], {
                    n: (len(d), t) for n, (d, t) in x[2].items()}) for x in seen]))
            lines, files = lines + len(seen[0][0][1]) + len(seen[0][1][1]), files + len(seen[0][2])
    print("%d archives, %d lines, %d files: %d differ" % (len(cases), lines, files, len(failed)))
    print("".join("differs: %s\n" % report for report in failed), end="")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
