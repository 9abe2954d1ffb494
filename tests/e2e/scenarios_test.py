#!/usr/bin/env python3
"""The real Tesmo_setup.exe under Wine, worked by tesmo_driver through the
ways an installation can go.

  scenarios_test.py EXE DRIVER SAMPLE.zip [--folders ADDON HELP] [NAME...]

EXE carries SAMPLE.zip (made from the folders ADDON and HELP if named);
copies carry small payloads made here. Each case runs on a fresh drive D:
and shell folders, and compares the whole transcript, line by line, and
every file (contents, time), folder and link made, and nothing else, with
what it expects. NAME picks cases by name. Needs WINELOADER, WINEPREFIX (as
tools/test sets them), a display, and root for the full disk.
"""

import calendar, io, itertools, os, pathlib, shutil, subprocess, sys, tempfile, time, types, zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from zips import normalised, zip_bytes as archive  # noqa: E402

WINE = os.environ.get("WINELOADER", "/usr/lib/wine/wine64")
PREFIX = os.environ.get("WINEPREFIX", "")
EXPLORER = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer"

# --- what the user sees -------------------------------------------------------


def box(text, owner="main", caption="Tesmo Setup"):
    return "box: owner=%s caption=%s text=%s" % (owner, caption, text)


# The expander's boxes have no owner and the platform's own caption; the
# sequence's fatal stops are the main window's, with that caption too.
WALK, STOP = dict(owner="none", caption="Error"), dict(caption="Error")

# The prompt as the installer comes up: the current drive in the entry, owned
# by the hidden main window, the first window shown, with the version 6
# common controls of the side-by-side store.
PROMPT = "prompt: {title} | C: | owner=main main=hidden Tesmo Tutorial Setup | comctl32 side-by-side"
FATAL = box("Fatal error occurred ... Check the cause and run again.")
NON_FATAL = box("Non-fatal error occurred ... Installation may not be complete")
ABORTED = box("Aborted ... Installation may not be complete")
ITEMS_ABORTED = box("Start Menu or Desktop Items Aborted ... Main Installation should be OK")
NO_FOLDER = box("Start menu folder not found in registry ... Start menu items will not be created")
SAVE_FAILED = [box("Failed at save shortcut"), box("Failed to create shortcut"),
               box("Start Menu or Desktop Icon error occurred ... The drawing files should have "
                   "been installed correctly, but Start Menu or Desktop Icons may not have been. "
                   "These items are a convenience and are not really necessary to run QUARN. "
                   "You should be able to manually create them.")]
NO_SPACE = box("Not enough space for output file ... Can't continue", **WALK)
ITEMS = HELP_ITEM, ADDON_ITEM, DESKTOP_ICON = ("status: Creating Help Start Menu Item",
                                               "status: Creating Tesmo Start Menu Item",
                                               "status: Creating Tesmo Desktop Icon")
COUNT = "count: {count} Files"
HELP_LINK = "Start Menu/Programs/Quarn 7/QUARN 7 Help.lnk"
ADDON_LINK = "Start Menu/Programs/Quarn 7/Tesmo.lnk"
DESKTOP_LINK = "Desktop/Tesmo.lnk"

# --- payloads -----------------------------------------------------------------

D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
# A summer and a winter date (the local offset differs) and one a second
# before midnight (a wrong offset moves it to another day).
SUMMER, WINTER, LATE = (2014, 5, 3, 10, 20, 30), (2013, 12, 24, 8, 0, 0), (2012, 3, 1, 23, 59, 58)


def entries_of(data):
    z = zipfile.ZipFile(io.BytesIO(data or archive([])))
    return [(i.filename, z.read(i), i.date_time) for i in z.infolist()]


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

# A layout of folders and files maps a path to None for a folder, or to a
# file: its data, or (data, last-write second). An expected file's second may
# be None (any time), and ANY is a file that must be there, whatever it holds.
ANY = ("any", None)
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
    number of lines listed), changes on drive D: and in the shell folders,
    and the links it makes. A clean run unless the case changes it."""

    def __init__(self, payload, drive="D:"):
        self.transcript = [PROMPT, "progress: caption={title}"]
        self.drive = {"Quarn7/Zips": None, "Quarn7/Zips/Tesmo.zip": (payload, None)}
        entries = entries_of(payload)
        for source, folder, archive_entries in (
                ("Zips\\Tesmo.zip", "Quarn7/Tesmo", entries),
                ("Tesmo\\Tesmohelp.zip", "Quarn7/Help/Tesmohelp",
                 entries_of(dict(e[:2] for e in entries).get("Tesmohelp.zip")))):
            self.transcript.append("status: Expanding %s\\Quarn7\\%s" % (drive, source))
            self.drive[folder] = None
            for name, data, date in archive_entries:
                path = folder + "/" + normalised(name)
                self.transcript.append("line: D:\\%s ... OK" % path.replace("/", "\\"))
                self.drive[path] = (data, stamp(date))
                if name.lower().endswith(".chm"):
                    self.drive["Quarn7/Help/" + normalised(name)] = (data, stamp(date))
        self.transcript += list(ITEMS) + [COUNT, "exit: 0"]
        tesmo = ["target=%s\\Quarn7\\Quarn7.exe" % drive, "workdir=%s\\Quarn7\\Tesmo" % drive,
                 "description=QUARN Drawing"]
        self.links = {HELP_LINK: ["target=%s\\Quarn7\\Dochost7.exe" % drive, "workdir=%s\\Quarn7" % drive,
                                  "description=QUARN Drawing"], ADDON_LINK: tesmo, DESKTOP_LINK: tesmo}
        self.desk = dict({"Start Menu/Programs/Quarn 7": None}, **dict.fromkeys(self.links, ANY))

    def replace(self, line, *new):
        """Puts the new lines (none: nothing) where the line was."""
        at = self.transcript.index(line)
        self.transcript[at:at + 1] = list(new)
        return self

    def before(self, line, *new):
        return self.replace(line, *new, line)

    def without(self, *lines):
        self.transcript = [l for l in self.transcript if l not in lines]
        return self

    def no_links(self, *names):
        """No link of these names (none named: no link at all)."""
        for name in names or list(self.links):
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
    return types.SimpleNamespace(transcript=[PROMPT, *boxes, "exit: 0"], drive={}, desk={}, links={})


class ReadOnly(bytes):
    """The contents of a file that is made read-only."""


# --- the cases ----------------------------------------------------------------


def Case(name, expect, payload=SMALL, options=(), drive=DRIVE, desk=DESK, folders=FOLDERS, tmpfs=None):
    """One scenario: the payload (None: the one built in), the driver's
    options (the entry typed is D unless given), the layouts of drive D: and
    of the shell folders before the run, the Shell Folders values (None: the
    value is absent), and the size of a small filesystem to put drive D: on."""
    options = list(options) + ([] if "--type" in options else ["--type", "D"])
    return types.SimpleNamespace(**locals())


def from_folders(e, addon, help_folder):
    """A full installation of a payload made from two folders: every file of
    them arrives with its bytes, dated as its entry (as the maker's test pins)."""
    for folder, target in ((addon, "Quarn7/Tesmo/"), (help_folder, "Quarn7/Help/Tesmohelp/")):
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            help_copy = folder == addon and name.lower().endswith(".chm")
            for path in [target + normalised(name)] + ["Quarn7/Help/" + normalised(name)] * help_copy:
                e.drive[path] = (data, e.drive.get(path, (None, None))[1])
    return e


def cases(sample, folders=None):
    small = lambda: Expect(SMALL)  # noqa: E731
    at = zipfile.ZipFile(io.BytesIO(SMALL)).getinfo("Guide.chm").header_offset + 14
    crc = SMALL[:at] + bytes(4) + SMALL[at + 4:]  # its local header's CRC zeroed
    no_help = archive(ADDON[:-1])
    # 256 KiB: room for the archive copy and the first file, not for Big.dat,
    # nor for anything after it.
    full = archive(ADDON[:1] + [("Big.dat", os.urandom(150000), WINTER, S)] + ADDON[1:2] + ADDON[-1:])
    no_menu, save_failed = dict(FOLDERS, **{"Start Menu": None}), SAVE_FAILED + [ITEMS_ABORTED]
    return [
        Case("full success", from_folders(Expect(sample), *folders) if folders else Expect(sample),
             payload=None),
        Case("cancel", nothing(), options=["--press", "cancel"]),
        Case("escape at the prompt", nothing(), options=["--press", "escape"]),
        Case("close box", nothing(), options=["--press", "close"]),
    ] + [
        # SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED,
        # SW_SHOWMINNOACTIVE, SW_SHOWDEFAULT: the main window stays hidden.
        Case("started with show command %d" % show, nothing(), options=["--press", "cancel", "--show", str(show)])
        for show in (0, 1, 2, 3, 7, 10)
    ] + [
        Case("drive Q:", nothing(box("Drive Q: does not seem to exist", **STOP), FATAL), options=["--type", "Q"]),
        Case("entry d", Expect(SMALL, "d:"), options=["--type", "d"]),
        Case("no Quarn7 folder", nothing(box("Unable to open D:\\Quarn7\\Zips folder ... Can't continue", **STOP),
                                         FATAL), drive={}),
        Case("Tesmo.zip cannot be written",
             nothing(box("Unable to create main Zip file ... Can't continue", **STOP), FATAL),
             drive={**DRIVE, "Quarn7/Zips/Tesmo.zip": None}),
        Case("read-only help file", small().unchanged("Quarn7/Help/Guide.chm"),
             drive={**DRIVE, "Quarn7/Help/Guide.chm": ReadOnly(b"an older guide")}),
        Case("no Start Menu value", small().without(*ITEMS).no_links().before(COUNT, NO_FOLDER, NO_FOLDER,
                                                                               ITEMS_ABORTED), folders=no_menu),
        Case("Start Menu without Programs", small().without(DESKTOP_ICON).no_links()
             .before(ADDON_ITEM, *SAVE_FAILED).before(COUNT, *save_failed), desk={"Start Menu": None, "Desktop": None}),
        Case("no Desktop value", small().without(DESKTOP_ICON).no_links(DESKTOP_LINK).before(COUNT, NO_FOLDER),
             folders=dict(FOLDERS, Desktop=None)),
        Case("CRC error", Expect(crc).replace("line: D:\\Quarn7\\Tesmo\\Guide.chm ... OK",
                                              box("Guide.chm ... compressed data CRC error", **WALK))
             .before("status: Expanding D:\\Quarn7\\Tesmo\\Tesmohelp.zip", NON_FATAL), payload=crc),
        Case("no nested help archive", Expect(no_help).without(HELP_ITEM).no_links(HELP_LINK)
             .before(ADDON_ITEM, box("D:\\Quarn7\\Tesmo\\Tesmohelp.zip file is missing", **WALK), FATAL)
             .before(COUNT, ABORTED), payload=no_help),
        Case("empty payload, Tesmo.zip there", small().unchanged("Quarn7/Zips", "Quarn7/Zips/Tesmo.zip"),
             payload=b"", drive={**DRIVE, "Quarn7/Zips/Tesmo.zip": SMALL}),
        Case("empty payload, no Tesmo.zip", no_archive(), payload=b""),
        Case("help link cannot be saved", small().without(DESKTOP_ICON).no_links(HELP_LINK, DESKTOP_LINK)
             .before(ADDON_ITEM, *SAVE_FAILED).before(COUNT, ITEMS_ABORTED), desk=dict(DESK, **{HELP_LINK: None})),
        Case("Escape held", small().without(HELP_ITEM).no_links(HELP_LINK).before(COUNT, ABORTED),
             options=["--hold-escape"]),
        Case("Escape held, no Start Menu value", small().without(*ITEMS).no_links()
             .before(COUNT, NO_FOLDER, ITEMS_ABORTED, ABORTED), options=["--hold-escape"], folders=no_menu),
        Case("full disk", full_disk(full), payload=full, tmpfs="256k"),
    ]


def no_archive():
    """Neither archive is there: each walk is fatal, and the help Start-menu
    item is skipped for it. No line is listed, so no count is shown."""
    zips, tesmo = "D:\\Quarn7\\Zips\\Tesmo.zip", "D:\\Quarn7\\Tesmo\\Tesmohelp.zip"
    return (Expect(b"").unchanged("Quarn7/Zips", "Quarn7/Zips/Tesmo.zip")
            .before("status: Expanding " + tesmo, box(zips + " file is missing", **WALK), FATAL)
            .replace(HELP_ITEM, box(tesmo + " file is missing", **WALK), FATAL).no_links(HELP_LINK)
            .replace(COUNT, ABORTED, "count: "))


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
    return e.before(ADDON_ITEM, FATAL).before(COUNT, ABORTED)


# --- Wine, the registry and the disk --------------------------------------------


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def ahead():
    """The driver reads the installer's window while it pauses 100 ms after
    each file: Wine gets the processor before other work, where allowed."""
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


def set_shell_folders(values, reg):
    """Sets (a path) or removes (None) values in both Shell Folders keys,
    alike (making a link copies one over the other), through the file reg."""
    lines = ["REGEDIT4", ""]
    for key in ("Shell Folders", "User Shell Folders"):
        lines += ["[%s\\%s]" % (EXPLORER, key)] + ['"%s"=%s' % (name, "-" if path is None else '"%s"'
                                                   % path.replace("\\", "\\\\"))
                                                   for name, path in values.items()] + [""]
    with open(reg, "w") as f:
        f.write("\r\n".join(lines))
    # Under load a Wine program now and then ends with an error and no word at
    # all (seen once in a full test run): try again.
    for attempt in range(3):
        code, out = wine(["regedit", "/S", windows_path(reg)])
        if code == 0:
            return
        time.sleep(1)
    raise RuntimeError("regedit failed (exit %d): %s" % (code, out))


def snapshot(root):
    """The layout of every folder and file under root."""
    return {str(p.relative_to(root)): None if p.is_dir() else (p.read_bytes(), p.stat().st_mtime_ns // 10**9)
            for p in pathlib.Path(root).rglob("*")}


class CannotRunHere(Exception):
    pass


def make(base, layout, immutable):
    """Makes a layout; a read-only file's path goes to |immutable|."""
    for path, data in layout.items():
        full = os.path.join(base, path)
        os.makedirs(full if data is None else os.path.dirname(full), exist_ok=True)
        if data is None:
            continue
        with open(full, "wb") as f:
            f.write(data[0] if isinstance(data, tuple) else data)
        if isinstance(data, tuple):
            os.utime(full, (data[1], data[1]))
        if isinstance(data, ReadOnly):
            # Root may write to any file whatever its mode: the file is made
            # immutable too.
            os.chmod(full, 0o444)
            immutable.append(full)
            if subprocess.call(["chattr", "+i", full], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL) != 0:
                raise CannotRunHere("this filesystem makes no file immutable")


# --- comparing ------------------------------------------------------------------


def compare(what, seen, expected):
    """'' when equal, else both lists line by line: '!!' marks a line seen
    that differs, with the expected line under it."""
    return "" if seen == expected else "\n".join(
        ["%s differs (seen, and under a differing line the expected one):" % what] +
        ["   " + a if a == b else "!! %s\n   %s" % (a, b) for a, b in itertools.zip_longest(seen, expected, fillvalue="-")])


def changes(what, before, after, expected):
    """'' when the disk after the run is as before with the expected changes,
    else a line for each difference."""
    want = dict(before, **expected)
    kind = lambda v: "absent" if v == "absent" else "a folder" if v is None else "a file"  # noqa: E731
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
            report.append("%s: %s, expected %s" % (path, kind(a), kind(w)))
    return "\n".join(["%s differs:" % what] + report) if report else ""


def check(case, program, driver, work):
    """Runs one case in folders of its own (drive D:, the shell folders, the
    program): (report of what differed, '' if nothing; seconds from Install
    to exit), or (None, why) when it cannot run here."""
    root = tempfile.mkdtemp(prefix="scenario-", dir=work)
    drive, desk, exe = (os.path.join(root, name) for name in ("drive", "desk", "program/Tesmo_setup.exe"))
    immutable, mounted = [], False
    try:
        for folder in (drive, desk, os.path.dirname(exe)):
            os.mkdir(folder)
        if case.tmpfs:
            mount = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + case.tmpfs, "tesmo-full",
                                    drive], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            mounted = mount.returncode == 0
            if not mounted:
                raise CannotRunHere("cannot mount a %s tmpfs as the drive (%s)" % (
                    case.tmpfs, mount.stdout.decode(errors="replace").strip() or "refused"))
        make(drive, case.drive, immutable)
        make(desk, case.desk, immutable)
        before = snapshot(drive), snapshot(desk)
        shutil.copyfile(program, exe)
        set_shell_folders({name: path and windows_path(os.path.join(desk, path))
                           for name, path in case.folders.items()}, os.path.join(root, "folders.reg"))
        # The installer through the driver, with drive D: mapped.
        link, transcript = os.path.join(PREFIX, "dosdevices", "d:"), os.path.join(root, "transcript.txt")
        os.symlink(drive, link)
        try:
            code, out = wine([driver, "run", windows_path(exe), "--out", windows_path(transcript)] + case.options)
        finally:
            os.unlink(link)
        with open(transcript, "rb") as f:
            seen = f.read().decode("latin-1").splitlines() + ["driver exit %d %s" % (code, out.strip())] * (code != 0)
        seconds = sum(float(l.split()[1]) for l in seen if l.startswith("seconds: "))
        seen = [l for l in seen if not l.startswith("seconds: ")]
        # The prompt's caption: the title and the exe's local date.
        t = time.localtime(os.stat(exe).st_mtime)
        title = "Tesmo Tutorial Setup   %d/%d/%d" % (t.tm_mon, t.tm_mday, t.tm_year)
        count = str(sum(l.startswith("line: ") for l in case.expect.transcript))
        report = [compare("what the user saw", seen, [l.replace("{title}", title).replace("{count}", count)
                                                       for l in case.expect.transcript]),
                  changes("drive D:", before[0], snapshot(drive), case.expect.drive),
                  changes("shell folders", before[1], snapshot(desk), case.expect.desk)]
        if case.expect.links:
            # Target, working directory and description of each link file.
            names = sorted(case.expect.links)
            code, out = wine([driver, "link"] + [windows_path(os.path.join(desk, n)) for n in names])
            report.append(compare("links " + ", ".join(names),
                                  out.splitlines() if code == 0 else ["link failed: " + out],
                                  sum((case.expect.links[n] for n in names), [])))
        return "\n".join(r for r in report if r), seconds
    except CannotRunHere as e:
        return None, str(e)
    finally:
        for path in immutable:
            subprocess.call(["chattr", "-i", path])
        if mounted:
            subprocess.call(["umount", drive])
        shutil.rmtree(root, ignore_errors=True)


def installer_with(exe, driver, payload, work):
    """A copy of the installer carrying another payload."""
    n = len(os.listdir(work))
    zip_path, out = os.path.join(work, "payload%d.zip" % n), os.path.join(work, "setup%d.exe" % n)
    with open(zip_path, "wb") as f:
        f.write(payload)
    code, text = wine([driver, "payload", windows_path(exe), windows_path(zip_path), windows_path(out)])
    if code != 0:
        sys.exit("scenarios_test: cannot make an installer with another payload: " + text)
    return out


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: scenarios_test.py EXE DRIVER SAMPLE.zip [--folders ADDON HELP] [NAME...]")
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
    results, start_all, programs = [], time.time(), {None: exe}
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
            print("%s %s (%.1f s, Install to exit %.1f s)%s" % ("FAIL" if report else "ok  ", case.name,
                  time.time() - start, seconds, report and "\n" + report), flush=True)
            results.append(not report)
    finally:
        for path in saved:
            wine(["regedit", "/S", windows_path(path)])
        shutil.rmtree(work, ignore_errors=True)
    print("scenarios: %.0f s\n%d passed, %d failed" % (time.time() - start_all, sum(results),
                                                       results.count(False)))
    sys.exit(0 if results and all(results) else 1)


if __name__ == "__main__":
    main()
