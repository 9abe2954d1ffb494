#!/usr/bin/env python3
"""Builds the sample add-on archive that the installer embeds by default.

  python3 tools/make_sample_payload.py OUTPUT.zip

It takes the publishers' road: it writes the add-on's files into the folder
OUTPUT-addon and the help pages into OUTPUT-help (OUTPUT without ".zip"),
then makes the archive from the two with tools/make_payload. The archive
has the shape of the real add-on: the tutorial drawings and their data
files, a readme, compiled help files (".chm", among them "Annexlist.chm")
and the nested help archive "Tesmohelp.zip" of pages a browser reads (HTML,
a stylesheet, small pictures), names of at most 31 characters.

The help files are real compiled help, made by chmcmd (Debian package
fp-utils) from pages written here. The output is the same bytes on every
run, in every time zone: every file is dated with one fixed local time, made
in local time whatever SOURCE_DATE_EPOCH says, and the two places where
chmcmd records the time of compiling are overwritten with a fixed value.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "payload"))
sys.dont_write_bytecode = True
import make_payload  # noqa: E402

STAMP = (2014, 5, 3, 10, 20, 30)
# What goes where chmcmd writes the clock: 2014-05-03 10:20:30 UTC.
CHM_TIME = 1399112430

LESSONS = ["Lines and layers", "Circles and arcs", "Dimensions", "Hatching",
           "Text and labels", "Blocks and symbols", "Polylines", "Trimming",
           "Arrays", "Layouts", "Plot styles", "Plotting a sheet"]
TABLES = ["Layers", "Pens", "Symbols", "Sheets", "Hatches"]
HELP_PAGES = ["Glossary", "Shortcuts", "Questions", "Printing", "Settings", "About"]


# --- the add-on's own files -------------------------------------------------

def drawing(seed):
    """A stand-in drawing: a header and a list of coordinate records."""
    rng = random.Random(seed)
    out = bytearray(b"QDRW0700")
    for _ in range(1500 + seed * 300):
        kind = rng.choice([1, 1, 1, 2, 3])
        out += bytes([kind, rng.randrange(8)])
        for _ in range(4 if kind != 3 else 3):
            out += rng.randrange(0, 42000).to_bytes(4, "little")
    return bytes(out)


def lesson_data(number):
    """The text data a lesson loads beside its drawing: its steps and views."""
    rng = random.Random(100 + number)
    lines = ["[Lesson]", "Number=%d" % number, "Title=%s" % LESSONS[number - 1],
             "Drawing=Lesson%02d.qdw" % number, "", "[Steps]"]
    for step in range(1, 16):
        lines.append("Step%d=View %d,%d,%d,%d;Layer %d" % (
            step, rng.randrange(0, 420), rng.randrange(0, 297), rng.randrange(50, 400),
            rng.randrange(50, 280), rng.randrange(1, 9)))
    return ("\r\n".join(lines) + "\r\n").encode()


def table(name, rows):
    rng = random.Random(name)
    lines = ["; Tesmo %s table" % name.lower(), "Name;Colour;Width;Style"]
    for i in range(rows):
        lines.append("%s%02d;%d;%.2f;%d" % (name[:3].upper(), i + 1, rng.randrange(1, 256),
                                          rng.randrange(13, 200) / 100, rng.randrange(0, 6)))
    return ("\r\n".join(lines) + "\r\n").encode()


README = (b"Tesmo - a tutorial add-on for QUARN 7\r\n\r\n"
          b"Start QUARN 7 and open Lesson01.qdw in the Tesmo folder.\r\n"
          b"Each lesson has a drawing (.qdw) and its steps (.qdt).\r\n"
          b"Help: Tesmo in the Start menu, or Tesmo.chm in QUARN 7's help.\r\n")


LICENCE = (b"The Tesmo tutorial drawings and pages may be copied for teaching\r\n"
           b"with QUARN 7. They come without any warranty.\r\n")


# --- pages, pictures and compiled help -------------------------------------

def page(title, body, style="Style.css"):
    return ('<html><head><title>%s</title><link rel="stylesheet" href="%s">'
            "</head><body><h1>%s</h1>\n%s\n</body></html>\n"
            % (title, style, title, body)).encode()


def lesson_page(number, picture):
    steps = "".join("<p>Step %d: open Lesson%02d.qdw and follow the notes on the "
                    "drawing.</p>\n" % (s + 1, number) for s in range(10))
    image = '<p><img src="Lesson%02d.png" alt="Lesson %d"></p>\n' % (number, number)
    return page(LESSONS[number - 1], (image if picture else "") + steps)


def png(width, height, seed):
    """A small RGB picture: a few coloured bands, the same for each seed."""
    rng = random.Random(seed)
    colours = [bytes(rng.randrange(256) for _ in range(3)) for _ in range(4)]
    rows = b"".join(b"\0" + b"".join(colours[(x // 8 + y // 8) % 4] for x in range(width))
                    for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


STYLE = (b"body{font-family:Verdana,sans-serif;font-size:10pt;margin:12px}\n"
         b"h1{color:#246;font-size:14pt}\nimg{border:1px solid #999}\n"
         b"a{color:#036}\n")


def sitemap(pages):
    items = "".join('<LI><OBJECT type="text/sitemap"><param name="Name" value="%s">'
                    '<param name="Local" value="%s"></OBJECT>\n' % (title, name)
                    for name, title in pages)
    return ("<HTML><BODY><UL>\n%s</UL></BODY></HTML>\n" % items).encode()


def encint(data, at):
    """Reads one of the directory's variable-length numbers: (value, next)."""
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, at


def fix_chm_times(chm):
    """Overwrites the compile time that chmcmd writes into a help file: in
    the file header (4 bytes at offset 16) and in the "#SYSTEM" file's
    record 10. Nothing else in its output depends on the clock."""
    data = bytearray(chm)
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        sys.exit("make_sample_payload: chmcmd wrote no version 3 help file")
    data[16:20] = struct.pack("<I", CHM_TIME)
    directory_at, directory_size, content_at = struct.unpack_from("<QQQ", data, 0x48)
    directory = bytes(data[directory_at:directory_at + directory_size])
    found = directory.find(b"\x08/#SYSTEM")
    if found < 0:
        sys.exit("make_sample_payload: no #SYSTEM in the help file")
    section, at = encint(directory, found + 9)
    offset, at = encint(directory, at)
    length, _ = encint(directory, at)
    if section != 0:
        sys.exit("make_sample_payload: #SYSTEM is compressed")
    at, end = content_at + offset + 4, content_at + offset + length
    while at + 4 <= end:
        code, size = struct.unpack_from("<HH", data, at)
        if code == 10 and size == 4:
            data[at + 4:at + 8] = struct.pack("<I", CHM_TIME)
        at += 4 + size
    return bytes(data)


def compile_chm(chmcmd, work, name, title, pages, pictures=()):
    """Compiles the pages [(file, title, html)] with a contents tree into
    NAME; pictures [(file, bytes)] go in beside them."""
    folder = os.path.join(work, name)
    os.mkdir(folder)
    for file, data in [(p[0], p[2]) for p in pages] + list(pictures) + [("Style.css", STYLE)]:
        with open(os.path.join(folder, file), "wb") as out:
            out.write(data)
    with open(os.path.join(folder, "Contents.hhc"), "wb") as out:
        out.write(sitemap([(p[0], p[1]) for p in pages]))
    files = [p[0] for p in pages] + [p[0] for p in pictures] + ["Style.css"]
    project = ("[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=%s\n"
               "Contents file=Contents.hhc\nDefault topic=%s\n"
               "Display compile progress=No\nLanguage=0x409 English (United States)\n"
               "Title=%s\n\n[FILES]\n%s\n" % (name, pages[0][0], title, "\n".join(files)))
    with open(os.path.join(folder, "Project.hhp"), "w") as out:
        out.write(project)
    run = subprocess.run([chmcmd, "--no-html-scan", "Project.hhp"], cwd=folder,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    target = os.path.join(folder, name)
    if run.returncode != 0 or not os.path.exists(target):
        sys.exit("make_sample_payload: chmcmd failed on %s:\n%s"
                 % (name, run.stdout.decode(errors="replace")))
    with open(target, "rb") as chm:
        return fix_chm_times(chm.read())


def help_files(chmcmd, work):
    lessons = [("Lesson%02d.htm" % n, LESSONS[n - 1], lesson_page(n, True))
               for n in range(1, len(LESSONS) + 1)]
    pictures = [("Lesson%02d.png" % n, png(48, 32, n)) for n in range(1, len(LESSONS) + 1)]
    contents = "".join('<li><a href="%s">%s</a>' % (f, t) for f, t, _ in lessons)
    tesmo = compile_chm(chmcmd, work, "Tesmo.chm", "Tesmo Tutorial",
                        [("Index.htm", "Tesmo Tutorial", page("Tesmo Tutorial",
                                                              "<ul>%s</ul>" % contents))]
                        + lessons, pictures)
    annexes = [("Annex%02d.htm" % n, "Annex %d: %s" % (n, TABLES[n - 1]),
                page("Annex %d: %s" % (n, TABLES[n - 1]),
                     "<pre>%s</pre>" % table(TABLES[n - 1], 12).decode()))
               for n in range(1, len(TABLES) + 1)]
    listing = "".join('<li><a href="%s">%s</a>' % (f, t) for f, t, _ in annexes)
    annexlist = compile_chm(chmcmd, work, "Annexlist.chm", "Tesmo Annexes",
                            [("Annexlist.htm", "Tesmo Annexes",
                              page("Tesmo Annexes", "<ul>%s</ul>" % listing))] + annexes)
    symbols = compile_chm(chmcmd, work, "Tesmosymbols.chm", "Tesmo Symbols",
                          [("Symbols.htm", "Tesmo Symbols",
                            page("Tesmo Symbols", "<pre>%s</pre>"
                                 % table("Symbols", 40).decode()))])
    return [("Tesmo.chm", tesmo), ("Annexlist.chm", annexlist), ("Tesmosymbols.chm", symbols)]


def help_pages():
    """The files of the nested "Tesmohelp.zip": the tutorial as plain pages."""
    entries = []
    links = "".join('<li><a href="Lesson%02d.htm">%s</a>' % (n, t)
                    for n, t in enumerate(LESSONS, 1))
    others = "".join('<li><a href="%s.htm">%s</a>' % (p, p) for p in HELP_PAGES)
    entries.append(("Index.htm", page("Tesmo Tutorial", "<ul>%s</ul><ul>%s</ul>"
                                      % (links, others))))
    entries.append(("Style.css", STYLE))
    entries.append(("Logo.png", png(64, 24, 99)))
    for n in range(1, len(LESSONS) + 1):
        entries.append(("Lesson%02d.htm" % n, lesson_page(n, True)))
        entries.append(("Lesson%02d.png" % n, png(48, 32, n)))
    for name in HELP_PAGES:
        entries.append(("%s.htm" % name, page(name, "<p>%s of the Tesmo tutorial.</p>" % name)))
    return entries


def write_folder(folder, entries):
    """The files, each dated STAMP in local time, and nothing else."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    stamp = time.mktime(STAMP + (0, 0, -1))
    for name, data in entries:
        path = os.path.join(folder, name)
        with open(path, "wb") as out:
            out.write(data)
        os.utime(path, (stamp, stamp))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample_payload.py OUTPUT.zip")
    chmcmd = shutil.which("chmcmd")
    if not chmcmd:
        sys.exit("make_sample_payload: chmcmd not found (Debian package fp-utils)")
    entries = [("Readme.txt", README), ("Licence.txt", LICENCE)]
    for n in range(1, len(LESSONS) + 1):
        entries.append(("Lesson%02d.qdw" % n, drawing(n)))
        entries.append(("Lesson%02d.qdt" % n, lesson_data(n)))
    entries += [("%s.dat" % name, table(name, 24)) for name in TABLES]
    with tempfile.TemporaryDirectory() as work:
        entries += help_files(chmcmd, work)
    stem = os.path.splitext(sys.argv[1])[0]
    write_folder(stem + "-addon", entries)
    write_folder(stem + "-help", help_pages())
    try:
        make_payload.make(stem + "-addon", stem + "-help", sys.argv[1], epoch=None, listing=False)
    except make_payload.Refused as refused:
        sys.exit("make_sample_payload: " + "\n".join(refused.args[0]))


if __name__ == "__main__":
    main()
