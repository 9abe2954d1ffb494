"""What the Python tests share: ZIP archives made by Python's zipfile, and
names as the installer writes them."""

import io, zipfile

DATE = (2014, 5, 3, 10, 20, 30)


def zip_bytes(entries, force_zip64=False):
    """A flat archive of (name, data[, date[, method[, level]]]) entries,
    deflated on DATE unless given."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for entry in entries:
            name, data, date, method, level = tuple(entry) + (DATE, zipfile.ZIP_DEFLATED, None)[len(entry) - 2:]
            info = zipfile.ZipInfo(name, date)
            info.compress_type = method
            if force_zip64:
                with z.open(info, "w", force_zip64=True) as f:
                    f.write(data)
            else:
                z.writestr(info, data, compresslevel=level)
    return out.getvalue()


def normalised(name):
    """A bare file name as the installer writes it: the first ASCII letter
    upper case, the other ASCII letters lower case."""
    lower = "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in name)
    return (chr(ord(lower[0]) - 32) if "a" <= lower[0] <= "z" else lower[0]) + lower[1:]
