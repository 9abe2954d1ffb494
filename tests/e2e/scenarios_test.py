#!/usr/bin/env python3
"""The real Tesmo_setup.exe under Wine, worked by tesmo_driver through the
ways an installation can go.

  scenarios_test.py EXE DRIVER SAMPLE.zip [--folders ADDON HELP] [NAME...]

EXE is the installer as built (its payload is SAMPLE.zip, made from the
folders ADDON and HELP when they are named); the other cases
run copies that carry small payloads made here. Each case maps a fresh
folder as drive D: of the Wine prefix (a dosdevices link), points the Shell
Folders values of the prefix at folders of its own, runs the installer
through the driver, and compares what the user saw (the whole transcript,
line by line) and what changed on disk (every file with its contents and
time stamp, every folder, nothing else) with what the case expects. NAME
picks the cases whose names contain it. Needs WINELOADER and WINEPREFIX (as
tools/test sets them), a display, and root for the full-disk case.
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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from zips import normalised, zip_bytes as archive  # noqa: E402

WINE = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
PREFIX = os.environ.get("WINEPREFIX", "")
EXPLORER = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer"

# --- what the user sees -------------------------------------------------------


def setup_box(text):
    return "box: owner=main caption=Tesmo Setup text=" + text


def walk_box(text):
    """A box of the expander: no owner, the platform's own caption."""
    return "box: owner=none caption=Error text=" + text


def stop_box(text):
    """A fatal stop of the sequence: the main window's, the platform's caption."""
    return "box: owner=main caption=Error text=" + text


# The prompt as the installer comes up: the current drive in the entry, owned
# by the hidden main window, the first window shown, with the version 6
# common controls of the side-by-side store.
PROMPT = ("prompt: {title} | C: | owner=main main=hidden Tesmo Tutorial Setup | "
          "comctl32 side-by-side")
FATAL = setup_box("Fatal error occurred ... Check the cause and run again.")
NON_FATAL = setup_box("Non-fatal error occurred ... Installation may not be complete")
ABORTED = setup_box("Aborted ... Installation may not be complete")
ITEMS_ABORTED = setup_box("Start Menu or Desktop Items Aborted ... Main Installation should be OK")
NO_FOLDER = setup_box("Start menu folder not found in registry ... Start menu items will not be "
                      "created")
SAVE_FAILED = [setup_box("Failed at save shortcut"), setup_box("Failed to create shortcut"),
               setup_box("Start Menu or Desktop Icon error occurred ... The drawing files should "
                         "have been installed correctly, but Start Menu or Desktop Icons may not "
                         "have been. These items are a convenience and are not really necessary "
                         "to run QUARN. You should be able to manually create them.")]
NO_SPACE = walk_box("Not enough space for output file ... Can't continue")
HELP_ITEM = "status: Creating Help Start Menu Item"
ADDON_ITEM = "status: Creating Tesmo Start Menu Item"
DESKTOP_ICON = "status: Creating Tesmo Desktop Icon"
HELP_LINK = "Start Menu/Programs/Quarn 7/QUARN 7 Help.lnk"
ADDON_LINK = "Start Menu/Programs/Quarn 7/Tesmo.lnk"
DESKTOP_LINK = "Desktop/Tesmo.lnk"

# --- payloads -----------------------------------------------------------------

D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
# A summer and a winter date (the local offset differs) and one a second
# before midnight (a wrong offset moves it to another day).
SUMMER, WINTER, LATE = (2014, 5, 3, 10, 20, 30), (2013, 12, 24, 8, 0, 0), (2012, 3, 1, 23, 59, 58)


def entries_of(data):
    if not data:
        return []
    z = zipfile.ZipFile(io.BytesIO(data))
    return [(i.filename, z.read(i), i.date_time, i.compress_type) for i in z.infolist()]


def patched(data, name, offset, value):
    """The archive with bytes of one entry's local header changed."""
    at = zipfile.ZipFile(io.BytesIO(data)).getinfo(name).header_offset + offset
    return data[:at] + value + data[at + len(value):]


HELP_ZIP = archive([("INDEX.HTM", b"<html>Tesmo</html>\n", SUMMER, D),
                    ("Page01.htm", b"<html>" + b"page " * 900 + b"</html>\n", WINTER, D)])
LESSON = b"".join(b"LINE %05d %d,%d\r\n" % (i, i * 7 % 420, i * 3 % 297) for i in range(2600))
ADDON = [("Readme.txt", b"Tesmo - a tutorial add-on\r\n", SUMMER, D),
         ("LESSON01.QDW", LESSON, WINTER, D),  # more than one window of output
         ("notes.TXT", b"stored, not deflated\r\n", LATE, S),
         ("Guide.chm", b"ITSF guide", WINTER, D),
         ("Annexlist.chm", b"ITSF annexes", SUMMER, D),
         ("Tesmohelp.zip", HELP_ZIP, SUMMER, S)]
SMALL = archive(ADDON)

# --- what a clean installation shows and writes --------------------------------

ANY = ("any", None)  # a file that must be there, whatever it holds
DRIVE = {"Quarn7": None, "Quarn7/Help": None}
DESK = {"Start Menu/Programs": None, "Desktop": None}
FOLDERS = {"Start Menu": "Start Menu", "Desktop": "Desktop"}


def stamp(date):
    """The UTC second that the installer gives a file of this MS-DOS local
    time: converted with the offset in force now, not on that date."""
    return calendar.timegm(tuple(date) + (0, 0, 0)) - time.localtime().tm_gmtoff


class Expect:
    """What an installation of |payload| from the typed drive shows (the
    transcript; "{title}" stands for the dated caption, "{count}" for the
    number of lines listed) and changes on drive D: and in the shell
    folders ({path: None for a folder, (data, second or None)}), and the
    links it makes. A clean run unless the case changes it."""

    def __init__(self, payload, drive="D:"):
        self.transcript = [PROMPT, "progress: caption={title}"]
        self.drive = {"Quarn7/Zips": None, "Quarn7/Zips/Tesmo.zip": (payload, None)}
        entries = entries_of(payload)
        for source, folder, archive_entries in (
                ("Zips\\Tesmo.zip", "Quarn7/Tesmo", entries),
                ("Tesmo\\Tesmohelp.zip", "Quarn7/Help/Tesmohelp",
                 entries_of(dict(e[:2] for e in entries).get("Tesmohelp.zip", b"")))):
            self.transcript.append("status: Expanding %s\\Quarn7\\%s" % (drive, source))
            self.drive[folder] = None
            for name, data, date, _ in archive_entries:
                path = folder + "/" + normalised(name)
                self.transcript.append("line: D:\\%s ... OK" % path.replace("/", "\\"))
                self.drive[path] = (data, stamp(date))
                if name.lower().endswith(".chm"):
                    self.drive["Quarn7/Help/" + normalised(name)] = (data, stamp(date))
        self.transcript += [HELP_ITEM, ADDON_ITEM, DESKTOP_ICON, "count: {count} Files", "exit: 0"]
        self.desk = {"Start Menu/Programs/Quarn 7": None, HELP_LINK: ANY, ADDON_LINK: ANY,
                     DESKTOP_LINK: ANY}
        self.links = {
            HELP_LINK: ["target=%s\\Quarn7\\Dochost7.exe" % drive, "workdir=%s\\Quarn7" % drive],
            ADDON_LINK: ["target=%s\\Quarn7\\Quarn7.exe" % drive, "workdir=%s\\Quarn7\\Tesmo" % drive],
            DESKTOP_LINK: ["target=%s\\Quarn7\\Quarn7.exe" % drive, "workdir=%s\\Quarn7\\Tesmo" % drive]}
        for lines in self.links.values():
            lines.append("description=QUARN Drawing")

    def replace(self, line, *new):
        """Puts the new lines (none: nothing) where the line was."""
        at = self.transcript.index(line)
        self.transcript[at:at + 1] = list(new)
        return self

    def before(self, line, *new):
        at = self.transcript.index(line)
        self.transcript[at:at] = list(new)
        return self

    def without(self, *lines):
        self.transcript = [l for l in self.transcript if l not in lines]
        return self

    def no_links(self, *names):
        for name in names:
            del self.desk[name], self.links[name]
        if HELP_LINK not in self.links and ADDON_LINK not in self.links:
            del self.desk["Start Menu/Programs/Quarn 7"]
        return self

    def unchanged(self, *paths):
        for path in paths:
            del self.drive[path]
        return self


def nothing(*boxes):
    """A run that ends before the progress window: nothing is changed."""
    e = Expect.__new__(Expect)
    e.transcript = [PROMPT] + list(boxes) + ["exit: 0"]
    e.drive, e.desk, e.links = {}, {}, {}
    return e


class ReadOnly(bytes):
    """The contents of a file that is made read-only."""


# --- the cases ----------------------------------------------------------------


class Case:
    """One scenario: the payload (None: the one built in), the driver's
    options (the entry typed is D unless given), the layout of drive D: and
    of the shell folders before the run ({path: None for a folder, data, or
    (data, second)}), the Shell Folders values (None: the value is absent),
    and the size of a small filesystem to put drive D: on."""

    def __init__(self, name, expect, payload=SMALL, options=(), drive=DRIVE, desk=DESK,
                 folders=FOLDERS, tmpfs=None):
        self.name, self.expect, self.payload, self.options = name, expect, payload, list(options)
        if "--type" not in self.options:
            self.options += ["--type", "D"]
        self.drive, self.desk, self.folders, self.tmpfs = drive, desk, folders, tmpfs


def with_drive(path, data):
    """The drive with the main system's folders and one file more."""
    return dict(DRIVE, **{path: data})


def from_folders(e, addon, help_folder):
    """A full installation of the payload made from two folders: every file
    of them arrives with its bytes, dated as its entry (how a file's time
    becomes the entry's date is the payload maker's own test)."""
    for folder, target in ((addon, "Quarn7/Tesmo/"), (help_folder, "Quarn7/Help/Tesmohelp/")):
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            paths = [target + normalised(name)]
            if target == "Quarn7/Tesmo/" and name.lower().endswith(".chm"):
                paths.append("Quarn7/Help/" + normalised(name))
            for path in paths:
                e.drive[path] = (data, e.drive.get(path, (None, None))[1])
    return e


def cases(sample, folders=None):
    def small():
        return Expect(SMALL)

    crc = patched(SMALL, "Guide.chm", 14, b"\0\0\0\0")
    no_help = archive(ADDON[:-1])
    # 256 KiB: room for the archive copy and the first file, not for Big.dat,
    # nor for anything after it.
    full = archive(ADDON[:1] + [("Big.dat", os.urandom(150000), WINTER, S)] + ADDON[1:2] +
                   ADDON[-1:])
    return [
        Case("full success", from_folders(Expect(sample), *folders) if folders else Expect(sample),
             payload=None),
        Case("cancel", nothing(), options=["--press", "cancel"]),
        Case("escape at the prompt", nothing(), options=["--press", "escape"]),
        Case("close box", nothing(), options=["--press", "close"]),
    ] + [
        # SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED,
        # SW_SHOWMINNOACTIVE, SW_SHOWDEFAULT: the main window stays hidden.
        Case("started with show command %d" % show, nothing(),
             options=["--press", "cancel", "--show", str(show)])
        for show in (0, 1, 2, 3, 7, 10)
    ] + [
        Case("drive Q:", nothing(stop_box("Drive Q: does not seem to exist"), FATAL),
             options=["--type", "Q"]),
        Case("entry d", Expect(SMALL, "d:"), options=["--type", "d"]),
        Case("no Quarn7 folder", nothing(stop_box("Unable to open D:\\Quarn7\\Zips folder ... "
                                                  "Can't continue"), FATAL), drive={}),
        Case("Tesmo.zip cannot be written",
             nothing(stop_box("Unable to create main Zip file ... Can't continue"), FATAL),
             drive=with_drive("Quarn7/Zips/Tesmo.zip", None)),
        Case("read-only help file", small().unchanged("Quarn7/Help/Guide.chm"),
             drive=with_drive("Quarn7/Help/Guide.chm", ReadOnly(b"an older guide"))),
        Case("no Start Menu value",
             small().without(HELP_ITEM, ADDON_ITEM, DESKTOP_ICON)
             .no_links(HELP_LINK, ADDON_LINK, DESKTOP_LINK)
             .before("count: {count} Files", NO_FOLDER, NO_FOLDER, ITEMS_ABORTED),
             folders=dict(FOLDERS, **{"Start Menu": None})),
        Case("Start Menu without Programs",
             small().without(DESKTOP_ICON).no_links(HELP_LINK, ADDON_LINK, DESKTOP_LINK)
             .before(ADDON_ITEM, *SAVE_FAILED)
             .before("count: {count} Files", *SAVE_FAILED + [ITEMS_ABORTED]),
             desk={"Start Menu": None, "Desktop": None}),
        Case("no Desktop value",
             small().without(DESKTOP_ICON).no_links(DESKTOP_LINK)
             .before("count: {count} Files", NO_FOLDER),
             folders=dict(FOLDERS, Desktop=None)),
        Case("CRC error",
             Expect(crc).replace("line: D:\\Quarn7\\Tesmo\\Guide.chm ... OK",
                                 walk_box("Guide.chm ... compressed data CRC error"))
             .before("status: Expanding D:\\Quarn7\\Tesmo\\Tesmohelp.zip", NON_FATAL),
             payload=crc),
        Case("no nested help archive",
             Expect(no_help).without(HELP_ITEM).no_links(HELP_LINK)
             .before(ADDON_ITEM, walk_box("D:\\Quarn7\\Tesmo\\Tesmohelp.zip file is missing"),
                     FATAL)
             .before("count: {count} Files", ABORTED),
             payload=no_help),
        Case("empty payload, Tesmo.zip there",
             small().unchanged("Quarn7/Zips", "Quarn7/Zips/Tesmo.zip"), payload=b"",
             drive=with_drive("Quarn7/Zips/Tesmo.zip", SMALL)),
        Case("empty payload, no Tesmo.zip", no_archive(), payload=b""),
        Case("help link cannot be saved",
             small().without(DESKTOP_ICON).no_links(HELP_LINK, DESKTOP_LINK)
             .before(ADDON_ITEM, *SAVE_FAILED).before("count: {count} Files", ITEMS_ABORTED),
             desk=dict(DESK, **{HELP_LINK: None})),
        Case("Escape held",
             small().without(HELP_ITEM).no_links(HELP_LINK).before("count: {count} Files", ABORTED),
             options=["--hold-escape"]),
        Case("Escape held, no Start Menu value",
             small().without(HELP_ITEM, ADDON_ITEM, DESKTOP_ICON)
             .no_links(HELP_LINK, ADDON_LINK, DESKTOP_LINK)
             .before("count: {count} Files", NO_FOLDER, ITEMS_ABORTED, ABORTED),
             options=["--hold-escape"], folders=dict(FOLDERS, **{"Start Menu": None})),
        Case("full disk", full_disk(full), payload=full, tmpfs="256k"),
    ]


def no_archive():
    """Neither archive is there: each walk is fatal, and the help Start-menu
    item is skipped for it. No line is listed, so no count is shown."""
    zips, tesmo = "D:\\Quarn7\\Zips\\Tesmo.zip", "D:\\Quarn7\\Tesmo\\Tesmohelp.zip"
    return (Expect(b"").unchanged("Quarn7/Zips", "Quarn7/Zips/Tesmo.zip")
            .before("status: Expanding " + tesmo, walk_box(zips + " file is missing"), FATAL)
            .replace(HELP_ITEM, walk_box(tesmo + " file is missing"), FATAL).no_links(HELP_LINK)
            .replace("count: {count} Files", ABORTED, "count: "))


def full_disk(payload):
    """Each file that does not fit is reported once, and none of them is
    listed; the nested archive did not fit either, so the walk of it shows
    nothing (and its status is never painted)."""
    e = Expect(payload).without(HELP_ITEM).no_links(HELP_LINK)
    for name in ("Big.dat", "Lesson01.qdw", "Tesmohelp.zip"):
        e.replace("line: D:\\Quarn7\\Tesmo\\%s ... OK" % name, NO_SPACE)
        e.drive["Quarn7/Tesmo/" + name] = ANY
    e.transcript = [l for l in e.transcript if not l.startswith(
        ("line: D:\\Quarn7\\Help\\", "status: Expanding D:\\Quarn7\\Tesmo\\Tesmohelp"))]
    e.unchanged(*[p for p in e.drive if p.startswith("Quarn7/Help/Tesmohelp/")])
    return e.before(ADDON_ITEM, FATAL).before("count: {count} Files", ABORTED)


# --- Wine, the registry and the disk --------------------------------------------


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def ahead():
    """The driver reads the installer's window while the installer pauses
    (100 ms after each file): the Wine programs get the processor before
    other work of the machine (such as tests run beside), where allowed."""
    try:
        os.nice(-10)
    except OSError:
        pass


def wine(args, timeout=180):
    """Runs a Windows program; its output goes through a file (a pipe to a
    Wine program can stay open). Returns (exit code, output)."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.call([WINE] + args, stdin=subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.STDOUT, timeout=timeout, preexec_fn=ahead)
        out.seek(0)
        return code, out.read().decode("latin-1").replace("\r\n", "\n")


def set_shell_folders(values):
    """Sets (a path) or removes (None) values in both Shell Folders keys,
    alike: making a link copies one over the other."""
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
        # Under load a Wine program now and then ends with an error and no
        # word at all (seen once in a full test run, never alone): try again
        # before giving up.
        for attempt in range(3):
            code, out = wine(["regedit", "/S", windows_path(f.name)])
            if code == 0:
                break
            time.sleep(1)
        else:
            raise RuntimeError("regedit failed (exit %d): %s" % (code, out))
    finally:
        os.unlink(f.name)


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


class CannotRunHere(Exception):
    pass


class Scenario:
    """The folders of one run: drive D:, the shell folders, the program."""

    def __init__(self, driver, work):
        self.driver, self.immutable, self.mounted = driver, [], False
        self.root = tempfile.mkdtemp(prefix="scenario-", dir=work)
        self.drive, self.desk, self.program = (os.path.join(self.root, name)
                                               for name in ("drive", "desk", "program"))
        for folder in (self.drive, self.desk, self.program):
            os.mkdir(folder)

    def mount(self, size):
        """Makes the drive a filesystem of that size."""
        run = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + size, "tesmo-full",
                              self.drive], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.mounted = run.returncode == 0
        if not self.mounted:
            raise CannotRunHere("cannot mount a %s tmpfs as the drive (%s)" % (
                size, run.stdout.decode(errors="replace").strip() or "refused"))

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
                # Root may write to any file whatever its mode: the file is
                # made immutable too.
                os.chmod(full, 0o444)
                if subprocess.call(["chattr", "+i", full], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL) != 0:
                    raise CannotRunHere("this filesystem makes no file immutable")
                self.immutable.append(full)

    def remove(self):
        for path in self.immutable:
            subprocess.call(["chattr", "-i", path])
        if self.mounted:
            subprocess.call(["umount", self.drive])
        shutil.rmtree(self.root, ignore_errors=True)

    def run(self, program, options, folders):
        """Runs the installer through the driver with drive D: mapped;
        returns the transcript without its time line, and that time."""
        exe = os.path.join(self.program, "Tesmo_setup.exe")
        shutil.copyfile(program, exe)
        set_shell_folders({name: None if path is None else windows_path(
            os.path.join(self.desk, path)) for name, path in folders.items()})
        link = os.path.join(PREFIX, "dosdevices", "d:")
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
        seconds = sum(float(l.split()[1]) for l in lines if l.startswith("seconds: "))
        return [l for l in lines if not l.startswith("seconds: ")], seconds

    def title(self):
        """The prompt's caption: the title and the exe's local date."""
        t = time.localtime(os.stat(os.path.join(self.program, "Tesmo_setup.exe")).st_mtime)
        return "Tesmo Tutorial Setup   %d/%d/%d" % (t.tm_mon, t.tm_mday, t.tm_year)

    def links(self, names):
        """Target, working directory and description of each link file."""
        code, out = wine([self.driver, "link"] + [windows_path(os.path.join(self.desk, n))
                                                  for n in names])
        return out.splitlines() if code == 0 else ["link failed: " + out]


# --- comparing ------------------------------------------------------------------


def compare(what, seen, expected):
    """'' when equal, else both lists line by line: '!!' marks a line seen
    that differs, with the expected line under it."""
    if seen == expected:
        return ""
    report = ["%s differs (seen, and under a differing line the expected one):" % what]
    for i in range(max(len(seen), len(expected))):
        a = seen[i] if i < len(seen) else "-"
        b = expected[i] if i < len(expected) else "-"
        report.append("   " + a if a == b else "!! %s\n   %s" % (a, b))
    return "\n".join(report)


def changes(what, before, after, expected):
    """'' when the disk after the run is as before with the expected changes,
    else a line for each difference."""
    want = dict(before)
    want.update(expected)
    kind = lambda v: "absent" if v == "absent" else "a folder" if v is None else "a file"
    report = []
    for path in sorted(set(want) | set(after)):
        w, a = want.get(path, "absent"), after.get(path, "absent")
        if isinstance(w, tuple) and isinstance(a, tuple):
            if w == ANY:
                continue
            if w[0] != a[0]:
                report.append("%s: contents differ (%d bytes, expected %d)"
                              % (path, len(a[0]), len(w[0])))
            elif w[1] is not None and w[1] != a[1]:
                report.append("%s: time %s, expected %s" % (path, time.ctime(a[1]),
                                                              time.ctime(w[1])))
        elif w != a:
            report.append("%s: %s, expected %s" % (path, kind(a), kind(w)))
    return "\n".join(["%s differs:" % what] + report) if report else ""


def check(case, program, driver, work):
    """Runs one case: (report of what differed, '' if nothing; seconds from
    Install to exit), or (None, why) when it cannot run here."""
    s = Scenario(driver, work)
    try:
        if case.tmpfs:
            s.mount(case.tmpfs)
        s.make(s.drive, case.drive)
        s.make(s.desk, case.desk)
        before = snapshot(s.drive), snapshot(s.desk)
        seen, seconds = s.run(program, case.options, case.folders)
        count = str(sum(l.startswith("line: ") for l in case.expect.transcript))
        expected = [l.replace("{title}", s.title()).replace("{count}", count)
                    for l in case.expect.transcript]
        report = [compare("what the user saw", seen, expected),
                  changes("drive D:", before[0], snapshot(s.drive), case.expect.drive),
                  changes("shell folders", before[1], snapshot(s.desk), case.expect.desk)]
        if case.expect.links:
            names = sorted(case.expect.links)
            report.append(compare("links " + ", ".join(names), s.links(names),
                                  sum((case.expect.links[n] for n in names), [])))
        return "\n".join(r for r in report if r), seconds
    except CannotRunHere as e:
        return None, str(e)
    finally:
        s.remove()


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


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: scenarios_test.py EXE DRIVER SAMPLE.zip [NAME...]")
    exe, driver, sample_path = sys.argv[1:4]
    wanted, folders = sys.argv[4:], None
    if wanted[:1] == ["--folders"]:
        folders, wanted = wanted[1:3], wanted[3:]
    if not PREFIX or not os.path.isdir(os.path.join(PREFIX, "dosdevices")):
        sys.exit("scenarios_test: WINEPREFIX names no Wine prefix")
    for letter in "dq":
        link = os.path.join(PREFIX, "dosdevices", letter + ":")
        if os.path.islink(link) and "/tesmo-e2e-" in os.readlink(link):
            os.unlink(link)  # left by a run that was stopped
        if os.path.lexists(link):
            sys.exit("scenarios_test: the prefix has a drive %s: already" % letter.upper())
    with open(sample_path, "rb") as f:
        sample = f.read()
    work = tempfile.mkdtemp(prefix="tesmo-e2e-")
    # The Shell Folders values as they were, put back at the end.
    saved = [os.path.join(work, "saved-%d.reg" % i) for i in range(2)]
    for path, key in zip(saved, ("Shell Folders", "User Shell Folders")):
        wine(["regedit", "/E", windows_path(path), EXPLORER + "\\" + key])
    passed = failed = 0
    start_all = time.time()
    programs = {None: exe}
    try:
        for case in cases(sample, folders):
            if wanted and not any(w in case.name for w in wanted):
                continue
            if case.payload not in programs:
                programs[case.payload] = installer_with(exe, driver, case.payload, work)
            start = time.time()
            report, seconds = check(case, programs[case.payload], driver, work)
            if report is None:
                print("skip %s: %s" % (case.name, seconds), flush=True)
                continue
            print("%s %s (%.1f s, Install to exit %.1f s)"
                  % ("FAIL" if report else "ok  ", case.name, time.time() - start, seconds),
                  flush=True)
            if report:
                print(report, flush=True)
            failed += bool(report)
            passed += not report
    finally:
        for path in saved:
            wine(["regedit", "/S", windows_path(path)])
        shutil.rmtree(work, ignore_errors=True)
    print("scenarios: %.0f s" % (time.time() - start_all))
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed or not passed else 0)


if __name__ == "__main__":
    main()
