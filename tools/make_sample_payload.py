#!/usr/bin/env python3
"""Builds the sample add-on archive that the demo installation embeds.

  python3 tools/make_sample_payload.py OUTPUT.zip

The archive has the shape of a real payload: flat, every entry deflated,
names of at most 31 characters, the add-on's data files, its compiled help
files (".chm", among them "Annexlist.chm") and the nested help archive
"Tesmohelp.zip". The contents are stand-ins made here, the same on every run.
"""

import io
import random
import sys
import zipfile

STAMP = (2014, 5, 3, 10, 20, 30)
LESSONS = ["Lines and layers", "Circles and arcs", "Dimensions", "Hatching",
           "Text and labels", "Blocks and symbols", "Plotting a sheet"]


def deflated(archive, name, data, stamp=STAMP):
    info = zipfile.ZipInfo(name, stamp)
    info.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(info, data)


def drawing(seed):
    """A stand-in drawing file: a header and a list of coordinate records."""
    rng = random.Random(seed)
    out = bytearray(b"QDRW0700")
    for _ in range(3000 + seed * 500):
        kind = rng.choice([1, 1, 1, 2, 3])
        out += bytes([kind, rng.randrange(8)])
        for _ in range(4 if kind != 3 else 3):
            out += rng.randrange(0, 42000).to_bytes(4, "little")
    return bytes(out)


def page(title, body):
    return ("<html><head><title>%s</title><link rel=stylesheet href=Style.css>"
            "</head><body><h1>%s</h1>\n%s\n</body></html>\n" % (title, title, body)).encode()


def help_archive():
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        items = "".join('<li><a href="Lesson%02d.htm">%s</a>' % (i + 1, t)
                        for i, t in enumerate(LESSONS))
        deflated(archive, "Index.htm", page("Tesmo Tutorial", "<ul>%s</ul>" % items))
        for i, title in enumerate(LESSONS):
            steps = "".join("<p>Step %d: open Lesson%02d.qdw and follow the notes "
                            "on the drawing.</p>\n" % (s + 1, i + 1) for s in range(12))
            deflated(archive, "Lesson%02d.htm" % (i + 1), page(title, steps))
        deflated(archive, "Style.css", b"body{font-family:sans-serif}h1{color:#246}\n")
    return buffer.getvalue()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample_payload.py OUTPUT.zip")
    with zipfile.ZipFile(sys.argv[1], "w") as archive:
        deflated(archive, "Readme.txt",
                 b"Tesmo - a tutorial for QUARN 7.\r\nOpen Lesson01.qdw to begin.\r\n")
        for i in range(len(LESSONS)):
            deflated(archive, "Lesson%02d.qdw" % (i + 1), drawing(i))
        deflated(archive, "Annexlist.chm", b"ITSF" + bytes(range(256)) * 40)
        deflated(archive, "Tesmo.chm", b"ITSF" + b"Tesmo tutorial help " * 900)
        deflated(archive, "Tesmohelp.zip", help_archive())


if __name__ == "__main__":
    main()
