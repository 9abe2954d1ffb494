#!/usr/bin/env python3
"""Makes the add-on archive that the installer carries, from two folders.

  tools/make_payload ADDON HELP OUT.zip

Every file of ADDON becomes an entry of OUT.zip; every file of HELP an entry
of the nested help archive "Tesmohelp.zip", which goes into OUT.zip as one
entry more. The entries come in name order, deflated, with flags 0, no extra
fields and no data descriptors, named in the Windows Western code page: the
shape the installer's walk reads, which knows nothing but local headers.

Dates: an entry carries its file's last-write time as a ZIP tool writes it,
in local time ("Annexlist.chm" replaces the main system's copy only when it
is not older). With SOURCE_DATE_EPOCH set, a time later than it is clamped
to it and every time is converted as UTC, so two checkouts in two time zones
give the same bytes. "Tesmohelp.zip" carries the newest time of its entries.

What the installer could not write cleanly is refused before anything is
made: one line per problem, naming the file and the rule, and exit 1 with no
OUT.zip. Otherwise it lists how each name will look on disk.
"""

import os
import struct
import sys
import time
import zlib

NESTED = "Tesmohelp.zip"
CODE_PAGE = "cp1252"
LONGEST_NAME = 39          # the walk's name buffer
LARGEST = 0xFFFFFFFE       # 0xFFFFFFFF in a size or offset means ZIP64
MOST_ENTRIES = 0xFFFF
FORBIDDEN = '\\/<>:"|?*'
DEVICES = ("CON", "PRN", "AUX", "NUL")
DEVICE_DIGITS = "123456789\u00b9\u00b2\u00b3"  # and the superscripts 1, 2, 3


class Refused(Exception):
    """The problems found, one line each."""


# --- names --------------------------------------------------------------------

def shown(path):
    """A path to print: control characters and bytes that are no character
    of the file system's encoding as \\xNN."""
    return "".join("\\x%02X" % (ord(c) & 0xFF) if ord(c) < 32 or ord(c) == 127
                   or 0xDC80 <= ord(c) <= 0xDCFF else c for c in path)


def folded(name):
    """The name with ASCII letters lower-cased, as Windows compares names."""
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in name)


def on_disk(name):
    """The name as the installer writes it: first letter raised, the other
    ASCII letters lowered (README.TXT becomes Readme.txt)."""
    lower = folded(name)
    return (chr(ord(lower[0]) - 32) if "a" <= lower[0] <= "z" else lower[0]) + lower[1:]


def refused_by_walk(name):
    """Why the installer's walk refuses to write this name, or None."""
    for c in name:
        if ord(c) < 32:
            return "control character %#04x in the name" % ord(c)
        if c in FORBIDDEN:
            return "the character %s, which Windows forbids in names" % c
    if set(name) <= {".", " "} and name.count(".") >= 2:
        return "a name of dots and blanks only"
    stem = name.split(".")[0].rstrip(" ").upper()
    if stem in DEVICES or (len(stem) == 4 and stem[:3] in ("COM", "LPT") and stem[3] in DEVICE_DIGITS):
        return "%s is a device name on Windows" % stem
    return None


# --- dates ----------------------------------------------------------------------

def source_date_epoch():
    """SOURCE_DATE_EPOCH as seconds, or None when it is not set."""
    value = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not value:
        return None
    if not value.isdigit():
        raise Refused(["SOURCE_DATE_EPOCH: %r is not a number of seconds since 1970" % value])
    return int(value)


def dos_date_time(seconds, epoch):
    """(date, time) in MS-DOS form: local time, or UTC clamped to the epoch."""
    t = time.gmtime(min(seconds, epoch)) if epoch is not None else time.localtime(seconds)
    fields = t[:6]
    if fields[0] < 1980:
        fields = (1980, 1, 1, 0, 0, 0)
    elif fields[0] > 2107:
        fields = (2107, 12, 31, 23, 59, 58)
    year, month, day, hour, minute, second = fields
    return (year - 1980) << 9 | month << 5 | day, hour << 11 | minute << 5 | second // 2


def shown_date(date, dos_time):
    return "%04d-%02d-%02d %02d:%02d:%02d" % (
        1980 + (date >> 9), date >> 5 & 15, date & 31, dos_time >> 11, dos_time >> 5 & 63,
        (dos_time & 31) * 2)


# --- the archive ------------------------------------------------------------------

class Entry:
    def __init__(self, name, data, seconds):
        self.name, self.data, self.seconds = name, data, seconds


def zip_bytes(entries, epoch):
    """A flat ZIP of the entries, in name order, each deflated."""
    local, central = bytearray(), bytearray()
    for e in sorted(entries, key=lambda e: (folded(e.name), e.name)):
        name = e.name.encode(CODE_PAGE)
        packer = zlib.compressobj(zlib.Z_DEFAULT_COMPRESSION, zlib.DEFLATED, -15)
        packed = packer.compress(e.data) + packer.flush()
        date, dos_time = dos_date_time(e.seconds, epoch)
        # version 2.0, flags 0, method 8, time, date, CRC, sizes, name, no extra
        fields = struct.pack("<HHHHHIIIHH", 20, 0, 8, dos_time, date, zlib.crc32(e.data),
                             len(packed), len(e.data), len(name), 0)
        # made by 2.0 on MS-DOS, no comment, disk 0, internal 0, the archive bit
        central += (b"PK\x01\x02" + struct.pack("<H", 20) + fields
                    + struct.pack("<HHHII", 0, 0, 0, 0x20, min(len(local), 0xFFFFFFFF)) + name)
        local += b"PK\x03\x04" + fields + name + packed
    count = min(len(entries), 0xFFFF)
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, count, count, len(central),
                      min(len(local), 0xFFFFFFFF), 0)
    return bytes(local + central + end)


def too_large(size):
    return "%s bytes, more than a ZIP without ZIP64 holds (%s)" % (format(size, ","),
                                                                   format(LARGEST, ","))


def read_folder(folder, problems, addon):
    """The files of a folder as entries; each problem found adds a line."""
    entries, seen = [], {}
    try:
        names = sorted(os.listdir(folder))
    except OSError as error:
        problems.append("%s: cannot be read (%s)" % (folder, error.strerror))
        return entries
    for name in names:
        path = os.path.join(folder, name)
        found = []
        if os.path.isdir(path):
            problems.append("%s: a subfolder: the installer writes no folders" % path)
            continue
        if not os.path.isfile(path):
            problems.append("%s: not a plain file" % path)
            continue
        try:
            name.encode(CODE_PAGE)
        except UnicodeError:
            found.append("a name that cannot be written in the Western code page (%s)" % CODE_PAGE)
        if len(name) > LONGEST_NAME:
            found.append("a name of %d characters, more than %d" % (len(name), LONGEST_NAME))
        why = refused_by_walk(name)
        if why:
            found.append("a name the installer refuses: " + why)
        if addon and folded(name) == folded(NESTED):
            found.append("%s is made from the help folder; the add-on folder may not hold one"
                         % NESTED)
        # Windows drops dots and blanks at the end of a name, and compares
        # the ASCII letters in either case.
        key = folded(name).rstrip(". ")
        if key in seen:
            found.append("the installer writes it to the same file as %s (%s)"
                         % (seen[key], on_disk(name)))
        seen.setdefault(key, name)
        size = os.path.getsize(path)
        if size > LARGEST:
            found.append("a file of " + too_large(size))
        problems += ["%s: %s" % (path, rule) for rule in found]
        if found:
            continue
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as error:
            problems.append("%s: cannot be read (%s)" % (path, error.strerror))
            continue
        entries.append(Entry(name, data, int(os.stat(path).st_mtime)))
    return entries


def make(addon, help_folder, out, epoch, listing=True):
    """Writes OUT from the two folders; raises Refused with the problems."""
    if os.path.exists(out):
        os.remove(out)  # a refused build leaves no archive to embed
    problems = []
    if not os.path.isdir(addon):
        problems.append("%s: no add-on folder" % addon)
    if not os.path.isdir(help_folder):
        problems.append("%s: no help folder: without the nested %s every installation "
                        "ends with the fatal box" % (help_folder, NESTED))
    addon_entries = read_folder(addon, problems, True) if os.path.isdir(addon) else []
    help_entries = read_folder(help_folder, problems, False) if os.path.isdir(help_folder) else []
    if problems:
        raise Refused(problems)
    nested = zip_bytes(help_entries, epoch)
    newest = max([e.seconds for e in help_entries] or [int(os.stat(help_folder).st_mtime)])
    if len(nested) > LARGEST:
        problems.append("%s: %s of %s" % (help_folder, NESTED, too_large(len(nested))))
    addon_entries.append(Entry(NESTED, nested, newest))
    archive = zip_bytes(addon_entries, epoch)
    if len(archive) > LARGEST:
        problems.append("%s: the archive of %s" % (out, too_large(len(archive))))
    for folder, entries in ((addon, addon_entries), (help_folder, help_entries)):
        if len(entries) > MOST_ENTRIES:
            problems.append("%s: %d files, more than a ZIP without ZIP64 holds (%d)"
                            % (folder, len(entries), MOST_ENTRIES))
    if problems:
        raise Refused(problems)
    with open(out + ".part", "wb") as f:
        f.write(archive)
    os.replace(out + ".part", out)
    print("make_payload: %s, %s bytes: %d entries, %s with %d" % (
        out, format(len(archive), ","), len(addon_entries), NESTED, len(help_entries)))
    if listing:
        for title, entries in (("<drive>\\Quarn7\\Tesmo, from " + addon, addon_entries),
                               ("<drive>\\Quarn7\\Help\\Tesmohelp, from " + help_folder,
                                help_entries)):
            print("  " + title)
            for e in sorted(entries, key=lambda e: (folded(e.name), e.name)):
                name = e.name if e.name == on_disk(e.name) else "%s -> %s" % (e.name, on_disk(e.name))
                print("    %-31s %s %13s bytes" % (name, shown_date(*dos_date_time(e.seconds, epoch)),
                                                   format(len(e.data), ",")))


def main(args):
    if len(args) != 3:
        print("usage: make_payload ADDON HELP OUT.zip", file=sys.stderr)
        return 2
    try:
        make(*args, epoch=source_date_epoch())
    except Refused as refused:
        for line in refused.args[0]:
            print("make_payload: refused: " + shown(line), file=sys.stderr)
        print("make_payload: nothing made; the installer could not install these files cleanly",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
