#!/usr/bin/env python3
"""The real Tesmo_setup.exe under Wine, worked by tesmo_driver through every
way an installation can go.

  scenarios_test.py EXE DRIVER [NAME...]

Each scenario maps a fresh folder as drive D: of the Wine prefix (a
dosdevices link), points the prefix's Shell Folders at folders of its own,
runs the installer, and compares what the user saw (the whole transcript,
line by line) and what changed on disk (every file with its contents and
time stamp, every folder) with what the scenario expects. Needs WINELOADER
and WINEPREFIX (tools/test sets them) and a display.
"""

import calendar
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

WINE = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
PREFIX = os.environ.get("WINEPREFIX", "")
EXPLORER = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer"

TITLE = "Tesmo Tutorial Setup"
FATAL = "box: owner=main caption=Tesmo Setup text=Fatal error occurred ... Check the cause and run again."
NON_FATAL = ("box: owner=main caption=Tesmo Setup text=Non-fatal error occurred ... "
             "Installation may not be complete")
ABORTED = "box: owner=main caption=Tesmo Setup text=Aborted ... Installation may not be complete"
ITEMS_ABORTED = ("box: owner=main caption=Tesmo Setup text=Start Menu or Desktop Items Aborted "
                 "... Main Installation should be OK")
NO_START_MENU = ("box: owner=main caption=Tesmo Setup text=Start menu folder not found in "
                 "registry ... Start menu items will not be created")
SHORTCUT_ERROR = (
    "box: owner=main caption=Tesmo Setup text=Start Menu or Desktop Icon error occurred ... "
    "The drawing files should have been installed correctly, but Start Menu or Desktop Icons "
    "may not have been. These items are a convenience and are not really necessary to run "
    "QUARN. You should be able to manually create them.")
SAVE_FAILED = ["box: owner=main caption=Tesmo Setup text=Failed at save shortcut",
               "box: owner=main caption=Tesmo Setup text=Failed to create shortcut",
               SHORTCUT_ERROR]
HELP_ITEM = "status: Creating Help Start Menu Item"
ADDON_ITEM = "status: Creating Tesmo Start Menu Item"
DESKTOP_ICON = "status: Creating Tesmo Desktop Icon"
HELP_LINK = "Start Menu/Programs/Quarn 7/QUARN 7 Help.lnk"
ADDON_LINK = "Start Menu/Programs/Quarn 7/Tesmo.lnk"
DESKTOP_LINK = "Desktop/Tesmo.lnk"


def box(text):
    """A box of the expander or a fatal stop: the platform's own caption."""
    return "box: owner=%s caption=Error text=%s" % ("none", text)


class ReadOnly(bytes):
    """The contents of a file that is made read-only."""


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


# --- payloads ---------------------------------------------------------------

def archive(entries):
    """A flat ZIP of (name, data, date, method) entries as zipfile writes it."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for name, data, date, method in entries:
            info = zipfile.ZipInfo(name, date)
            info.compress_type = method
            z.writestr(info, data)
    return out.getvalue()


def patched(data, name, offset, value):
    """The archive with two bytes of one entry's local header changed."""
    data = bytearray(data)
    at = zipfile.ZipFile(io.BytesIO(bytes(data))).getinfo(name).header_offset + offset
    data[at:at + len(value)] = value
    return bytes(data)


D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
SUMMER, WINTER, SPRING = (2014, 5, 3, 10, 20, 30), (2013, 12, 24, 8, 0, 0), (2012, 3, 1, 23, 59, 58)
HELP_ENTRIES = [("INDEX.HTM", b"<html>Tesmo</html>\n", SUMMER, D),
                ("Page01.htm", b"<html>" + b"page " * 900 + b"</html>\n", WINTER, D)]
HELP_ZIP = archive(HELP_ENTRIES)
LESSON = b"".join(b"LINE %05d %d,%d\r\n" % (i, i * 7 % 420, i * 3 % 297) for i in range(2600))
ADDON_ENTRIES = [("Readme.txt", b"Tesmo - a tutorial add-on\r\n", SUMMER, D),
                 ("LESSON01.QDW", LESSON, WINTER, D),    # more than one window
                 ("notes.TXT", b"stored, not deflated\r\n", SPRING, S),
                 ("Guide.chm", b"ITSF guide", WINTER, D),
                 ("Annexlist.chm", b"ITSF annexes", SUMMER, D),
                 ("Tesmohelp.zip", HELP_ZIP, SUMMER, S)]
SMALL = archive(ADDON_ENTRIES)


# --- Wine -------------------------------------------------------------------

def wine(args, timeout=180):
    """Runs a Windows program; its output goes through a file (a pipe to a
    Wine program can stay open). Returns (exit code, output)."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.call([WINE] + args, stdin=subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.STDOUT, timeout=timeout)
        out.seek(0)
        return code, out.read().decode("latin-1").replace("\r\n", "\n")


def set_shell_folders(values):
    """Sets (a path) or removes (None) values in both Shell Folders keys."""
    lines = ["REGEDIT4", ""]
    for key in ("Shell Folders", "User Shell Folders"):
        lines.append("[%s\\%s]" % (EXPLORER, key))
        for name, path in values.items():
            lines.append('"%s"=%s' % (name, "-" if path is None else
                                      '"%s"' % path.replace("\\", "\\\\")))
        lines.append("")
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as f:
        f.write("\r\n".join(lines))
    try:
        code, out = wine(["regedit", "/S", windows_path(f.name)])
        if code != 0:
            raise RuntimeError("regedit failed: " + out)
    finally:
        os.unlink(f.name)


# --- what is on disk ----------------------------------------------------------

def snapshot(root):
    """Every folder and file under root: path -> None for a folder, or
    (contents, last-write second) for a file."""
    found = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs:
            found[os.path.relpath(os.path.join(folder, name), root)] = None
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = (f.read(), os.stat(path).st_mtime_ns // 10**9)
    return found


def stamp(date):
    """The UTC second that the installer gives a file of this MS-DOS local
    time: converted with the offset in force now, not on that date."""
    return calendar.timegm(tuple(date) + (0, 0, 0)) - time.localtime().tm_gmtoff


def normalised(name):
    """A bare file name as the installer writes it: capitalised, rest lower."""
    low = name.lower()
    return low[:1].upper() + low[1:]


def expansion(entries, folder, drive="D:"):
    """The lines listed and the files written by a clean expansion."""
    lines, files = [], {}
    for name, data, date, _ in entries:
        lines.append("line: %s\\%s\\%s ... OK" % (drive.upper(), folder.replace("/", "\\"),
                                                 normalised(name)))
        files[folder + "/" + normalised(name)] = (data, stamp(date))
    return lines, files


# --- one scenario -------------------------------------------------------------

class Scenario:
    """One run of the installer on a drive of its own. Folders and files of
    the drive and of the shell folders are given as {relative path: data or
    None for a folder}; expected changes in the same form, a file's value
    being (data, second) or (data, None) when its time is not checked."""

    def __init__(self, driver, work):
        self.driver, self.immutable = driver, []
        self.root = tempfile.mkdtemp(prefix="scenario-", dir=work)
        self.drive = os.path.join(self.root, "drive")
        self.desk = os.path.join(self.root, "desk")
        for folder in (self.drive, self.desk):
            os.mkdir(folder)

    def make(self, base, layout):
        for path, data in layout.items():
            full = os.path.join(base, path)
            if data is None:
                os.makedirs(full, exist_ok=True)
                continue
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "wb") as f:
                f.write(data[0] if isinstance(data, tuple) else data)
            if isinstance(data, tuple):
                os.utime(full, (data[1], data[1]))
            if isinstance(data, ReadOnly):
                # Root writes to any file whatever its mode: the file is
                # made immutable as well.
                os.chmod(full, 0o444)
                subprocess.check_call(["chattr", "+i", full])
                self.immutable.append(full)

    def remove(self):
        for path in self.immutable:
            subprocess.call(["chattr", "-i", path])
        shutil.rmtree(self.root, ignore_errors=True)

    def run(self, program, options, folders):
        """Runs the installer with the driver's options; returns the
        transcript's lines without the time taken, and that time."""
        folder = os.path.join(self.root, "program")
        os.mkdir(folder)
        exe = os.path.join(folder, "Tesmo_setup.exe")
        shutil.copyfile(program, exe)
        set_shell_folders({name: None if path is None else windows_path(
            os.path.join(self.desk, path)) for name, path in folders.items()})
        link = os.path.join(PREFIX, "dosdevices", "d:")
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(self.drive, link)
        transcript = os.path.join(self.root, "transcript.txt")
        try:
            code, out = wine([self.driver, "run", windows_path(exe),
                              "--out", windows_path(transcript)] + options)
        finally:
            os.unlink(link)
        with open(transcript, "rb") as f:
            lines = f.read().decode("latin-1").splitlines()
        if code != 0:
            lines.append("driver exit %d %s" % (code, out.strip()))
        seconds = [float(l.split()[1]) for l in lines if l.startswith("seconds: ")]
        return [l for l in lines if not l.startswith("seconds: ")], sum(seconds)

    def title(self):
        t = time.localtime(os.stat(os.path.join(self.root, "program", "Tesmo_setup.exe")).st_mtime)
        return "%s   %d/%d/%d" % (TITLE, t.tm_mon, t.tm_mday, t.tm_year)

    def links(self, names):
        """Target, working directory and description of each link file."""
        code, out = wine([self.driver, "link"] + [windows_path(os.path.join(self.desk, n))
                                                  for n in names])
        return out.splitlines() if code == 0 else ["link failed: " + out]


def compare(what, seen, expected):
    """'' when equal, else both lists side by side, line by line."""
    if seen == expected:
        return ""
    report = ["%s differs (seen | expected):" % what]
    for i in range(max(len(seen), len(expected))):
        a = seen[i] if i < len(seen) else "-"
        b = expected[i] if i < len(expected) else "-"
        report.append("%s %s\n    %s" % ("  " if a == b else "!!", a, b) if a != b
                      else "   " + a)
    return "\n".join(report)


def changes(what, before, after, expected):
    """Lines naming every difference between what is on disk after the run
    and what should be: before, with the expected changes applied."""
    want = dict(before)
    want.update(expected)
    report = []
    for path in sorted(set(want) | set(after)):
        w, a = want.get(path, "absent"), after.get(path, "absent")
        if isinstance(w, tuple) and isinstance(a, tuple):
            if w == ANY:
                continue
            if w[0] != a[0]:
                report.append("%s: contents differ (%d bytes, expected %d)" % (path, len(a[0]), len(w[0])))
            elif w[1] is not None and w[1] != a[1]:
                report.append("%s: time %s, expected %s" % (path, time.ctime(a[1]), time.ctime(w[1])))
        elif w != a:
            kind = lambda v: "absent" if v == "absent" else "folder" if v is None else "file"
            report.append("%s: %s, expected %s" % (path, kind(a), kind(w)))
    return "\n".join(["%s differs:" % what] + report) if report else ""


# --- what a clean installation shows and writes ------------------------------

ANY = ("any", None)  # a file that must be there, whatever it holds
DRIVE = {"Quarn7": None, "Quarn7/Help": None}
DESK = {"Start Menu/Programs": None, "Desktop": None}
FOLDERS = {"Start Menu": "Start Menu", "Desktop": "Desktop"}


def link_lines(drive, target, workdir):
    return ["target=%s\\%s" % (drive, target), "workdir=%s\\%s" % (drive, workdir),
            "description=QUARN Drawing"]


class Expect:
    """What a clean installation from the typed drive shows and changes;
    scenarios change parts of it."""

    def __init__(self, payload, drive="D:"):
        entries = read_entries(payload)
        help_entries = read_entries(dict((e[0], e[1]) for e in entries)["Tesmohelp.zip"])
        addon_lines, addon_files = expansion(entries, "Quarn7/Tesmo", drive)
        help_lines, help_files = expansion(help_entries, "Quarn7/Help/Tesmohelp", drive)
        self.transcript = (
            ["prompt: {title} | C:", "progress: caption={title}",
             "status: Expanding %s\\Quarn7\\Zips\\Tesmo.zip" % drive] + addon_lines +
            ["status: Expanding %s\\Quarn7\\Tesmo\\Tesmohelp.zip" % drive] + help_lines +
            [HELP_ITEM, ADDON_ITEM, DESKTOP_ICON,
             "count: %d Files" % (len(addon_lines) + len(help_lines)), "exit: 0"])
        self.drive = {"Quarn7/Zips": None, "Quarn7/Zips/Tesmo.zip": (payload, None),
                      "Quarn7/Tesmo": None, "Quarn7/Help/Tesmohelp": None}
        self.drive.update(addon_files)
        self.drive.update(help_files)
        for path, value in addon_files.items():
            if path.endswith(".chm"):
                self.drive["Quarn7/Help/" + path.split("/")[-1]] = value
        self.desk = {"Start Menu/Programs/Quarn 7": None, HELP_LINK: ANY, ADDON_LINK: ANY,
                     DESKTOP_LINK: ANY}
        self.links = {HELP_LINK: link_lines(drive, "Quarn7\\Dochost7.exe", "Quarn7"),
                      ADDON_LINK: link_lines(drive, "Quarn7\\Quarn7.exe", "Quarn7\\Tesmo"),
                      DESKTOP_LINK: link_lines(drive, "Quarn7\\Quarn7.exe", "Quarn7\\Tesmo")}

    def without(self, *lines):
        self.transcript = [l for l in self.transcript if l not in lines]
        return self

    def before(self, line, *new):
        at = self.transcript.index(line)
        self.transcript[at:at] = list(new)
        return self

    def no_links(self, *names):
        for name in names:
            del self.desk[name], self.links[name]
        if not any(n.startswith("Start Menu") for n in self.links):
            del self.desk["Start Menu/Programs/Quarn 7"]
        return self


def read_entries(data):
    z = zipfile.ZipFile(io.BytesIO(data))
    return [(i.filename, z.read(i), i.date_time, i.compress_type) for i in z.infolist()]


def nothing(*boxes):
    """A run that ends before the progress window: nothing changes."""
    e = Expect.__new__(Expect)
    e.transcript = ["prompt: {title} | C:"] + list(boxes) + ["exit: 0"]
    e.drive, e.desk, e.links = {}, {}, {}
    return e


class Case:
    """One scenario: the payload (None: the one built in), the driver's
    options (the entry is D unless typed otherwise), the drive's and the
    shell folders' layout ({path: None for a folder, data, or (data,
    second)}), the Shell Folders values (None: no such value), and what the
    user should see and the disk hold afterwards."""

    def __init__(self, name, expect, payload=SMALL, options=(), drive=DRIVE, desk=DESK,
                 folders=FOLDERS, tmpfs=None):
        self.name, self.expect, self.payload, self.options = name, expect, payload, list(options)
        if "--type" not in self.options:
            self.options += ["--type", "D"]
        self.drive, self.desk, self.folders, self.tmpfs = drive, desk, folders, tmpfs


def older(seconds):
    """An "Annexlist.chm" of another edition, that many seconds newer than
    the add-on's."""
    return (b"ITSF annexes, another edition", stamp(SUMMER) + seconds)


def cases(sample):
    def small():
        return Expect(SMALL)

    lower = Expect(SMALL, "d:")
    lower.transcript = [l.replace("line: d:", "line: D:") for l in lower.transcript]

    crc = patched(SMALL, "Guide.chm", 14, b"\0\0\0\0")
    crc_expect = Expect(crc).without("line: D:\\Quarn7\\Tesmo\\Guide.chm ... OK")
    crc_expect.before("line: D:\\Quarn7\\Tesmo\\Annexlist.chm ... OK",
                      box("Guide.chm ... compressed data CRC error"))
    crc_expect.before("status: Expanding D:\\Quarn7\\Tesmo\\Tesmohelp.zip", NON_FATAL)
    crc_expect.transcript[-2] = "count: 7 Files"

    # Four stored bytes 0xFF read as deflate data: a block of the reserved type.
    bad = archive(ADDON_ENTRIES + [("Broken.dat", b"\xff\xff\xff\xff", SUMMER, S)])
    bad = patched(bad, "Broken.dat", 8, b"\x08\x00")
    bad_expect = Expect(bad).without("line: D:\\Quarn7\\Tesmo\\Broken.dat ... OK")
    bad_expect.before("status: Expanding D:\\Quarn7\\Tesmo\\Tesmohelp.zip",
                      box("Broken.dat ... Compressed data format wrong"),
                      box("Broken.dat ... compressed data CRC error"), NON_FATAL)
    bad_expect.drive["Quarn7/Tesmo/Broken.dat"] = (b"", stamp(SUMMER))
    bad_expect.transcript[-2] = "count: 8 Files"

    no_help = archive(ADDON_ENTRIES[:-1])
    no_help_expect = Expect(SMALL).without(HELP_ITEM).no_links(HELP_LINK)
    no_help_expect.transcript = no_help_expect.transcript[:8] + [
        "status: Expanding D:\\Quarn7\\Tesmo\\Tesmohelp.zip",
        box("D:\\Quarn7\\Tesmo\\Tesmohelp.zip file is missing"), FATAL,
        ADDON_ITEM, DESKTOP_ICON, ABORTED, "count: 5 Files", "exit: 0"]
    no_help_expect.drive = {p: v for p, v in no_help_expect.drive.items()
                            if not p.startswith("Quarn7/Help/Tesmohelp/")
                            and not p.endswith("Tesmohelp.zip")}
    no_help_expect.drive["Quarn7/Zips/Tesmo.zip"] = (no_help, None)

    kept = small()
    del kept.drive["Quarn7/Help/Annexlist.chm"]
    read_only = small()
    del read_only.drive["Quarn7/Help/Guide.chm"]
    from_copy = small()
    del from_copy.drive["Quarn7/Zips"], from_copy.drive["Quarn7/Zips/Tesmo.zip"]

    no_start_menu = small().without(HELP_ITEM, ADDON_ITEM, DESKTOP_ICON).no_links(
        HELP_LINK, ADDON_LINK, DESKTOP_LINK).before("count: 8 Files", NO_START_MENU,
                                                    NO_START_MENU, ITEMS_ABORTED)
    no_programs = small().without(DESKTOP_ICON).no_links(HELP_LINK, ADDON_LINK, DESKTOP_LINK)
    no_programs.before(ADDON_ITEM, *SAVE_FAILED).before("count: 8 Files", *SAVE_FAILED)
    no_programs.before("count: 8 Files", ITEMS_ABORTED)
    no_desktop = small().without(DESKTOP_ICON).no_links(DESKTOP_LINK).before(
        "count: 8 Files", NO_START_MENU)
    escape = small().without(HELP_ITEM).no_links(HELP_LINK).before("count: 8 Files", ABORTED)

    return [
        Case("full success", Expect(sample), payload=None),
        Case("cancel", nothing(), options=["--press", "cancel"]),
        Case("escape at the prompt", nothing(), options=["--press", "escape"]),
        Case("close box", nothing(), options=["--press", "close"]),
        Case("drive Q:", nothing("box: owner=main caption=Error text=Drive Q: does not seem "
                                 "to exist", FATAL), options=["--type", "Q"]),
        Case("entry D:\\Quarn7", small(), options=["--type", "D:\\Quarn7"]),
        Case("entry DX", small(), options=["--type", "DX"]),
        Case("entry d", lower, options=["--type", "d"]),
        Case("no Quarn7 folder", nothing("box: owner=main caption=Error text=Unable to open "
                                         "D:\\Quarn7\\Zips folder ... Can't continue", FATAL),
             drive={}),
        Case("old Tesmo.zip replaced", small(),
             drive=dict(DRIVE, **{"Quarn7/Zips/Tesmo.zip": b"an old copy" * 9000})),
        Case("Annexlist.chm newer kept", kept,
             drive=dict(DRIVE, **{"Quarn7/Help/Annexlist.chm": older(86400)})),
        Case("Annexlist.chm older replaced", small(),
             drive=dict(DRIVE, **{"Quarn7/Help/Annexlist.chm": older(-86400)})),
        Case("Annexlist.chm equal replaced", small(),
             drive=dict(DRIVE, **{"Quarn7/Help/Annexlist.chm": older(0)})),
        Case("read-only help file", read_only,
             drive=dict(DRIVE, **{"Quarn7/Help/Guide.chm": ReadOnly(b"an older guide")})),
        Case("no Start Menu value", no_start_menu, folders=dict(FOLDERS, **{"Start Menu": None})),
        Case("Start Menu without Programs", no_programs, desk={"Start Menu": None, "Desktop": None}),
        Case("no Desktop value", no_desktop, folders=dict(FOLDERS, Desktop=None)),
        Case("CRC error", crc_expect, payload=crc),
        Case("bad deflate data", bad_expect, payload=bad),
        Case("no nested help archive", no_help_expect, payload=no_help),
        Case("empty payload, Tesmo.zip there", from_copy, payload=b"",
             drive=dict(DRIVE, **{"Quarn7/Zips/Tesmo.zip": SMALL})),
        Case("Escape held", escape, options=["--hold-escape"]),
    ]


# --- running them -------------------------------------------------------------

def check(case, program, driver, work):
    """Runs one case; returns the report of what differed ('' if nothing)
    and the seconds from Install to exit."""
    s = Scenario(driver, work)
    try:
        s.make(s.drive, case.drive)
        s.make(s.desk, case.desk)
        before = snapshot(s.drive), snapshot(s.desk)
        seen, seconds = s.run(program, case.options, case.folders)
        expected = [l.replace("{title}", s.title()) for l in case.expect.transcript]
        report = [compare("what the user saw", seen, expected),
                  changes("drive D:", before[0], snapshot(s.drive), case.expect.drive),
                  changes("shell folders", before[1], snapshot(s.desk), case.expect.desk)]
        if case.expect.links:
            names = sorted(case.expect.links)
            report.append(compare("links " + ", ".join(names), s.links(names),
                                  sum((case.expect.links[n] for n in names), [])))
        return "\n".join(r for r in report if r), seconds
    finally:
        s.remove()


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: scenarios_test.py EXE DRIVER PAYLOAD.zip [NAME...]")
    exe, driver, payload = sys.argv[1:4]
    wanted = sys.argv[4:]
    if not PREFIX or not os.path.isdir(os.path.join(PREFIX, "dosdevices")):
        sys.exit("scenarios_test: WINEPREFIX names no Wine prefix")
    for letter in "dq":
        if os.path.lexists(os.path.join(PREFIX, "dosdevices", letter + ":")):
            sys.exit("scenarios_test: the prefix has a drive %s: already" % letter.upper())
    with open(payload, "rb") as f:
        sample = f.read()
    work = tempfile.mkdtemp(prefix="tesmo-e2e-")
    saved = [os.path.join(work, "saved-%d.reg" % i) for i in range(2)]
    for path, key in zip(saved, ("Shell Folders", "User Shell Folders")):
        wine(["regedit", "/E", windows_path(path), EXPLORER + "\\" + key])
    passed = failed = 0
    programs = {None: exe}
    try:
        for case in cases(sample):
            if wanted and not any(w in case.name for w in wanted):
                continue
            if case.payload not in programs:
                programs[case.payload] = installer_with(exe, driver, case.payload, work)
            start = time.time()
            report, seconds = check(case, programs[case.payload], driver, work)
            print("%s %s (%.1f s, install %.1f s)" % ("FAIL" if report else "ok  ", case.name,
                                                     time.time() - start, seconds), flush=True)
            if report:
                print(report, flush=True)
            failed += bool(report)
            passed += not report
    finally:
        for path in saved:
            wine(["regedit", "/S", windows_path(path)])
        shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed or not passed else 0)


def installer_with(exe, driver, payload, work):
    """A copy of the installer carrying another payload."""
    n = len(os.listdir(work))
    zip_path, out = os.path.join(work, "payload%d.zip" % n), os.path.join(work, "setup%d.exe" % n)
    with open(zip_path, "wb") as f:
        f.write(payload)
    code, text = wine([driver, "payload", windows_path(exe), windows_path(zip_path),
                       windows_path(out)])
    if code != 0:
        sys.exit("scenarios_test: cannot make an installer with another payload: " + text)
    return out


if __name__ == "__main__":
    main()
