#!/usr/bin/env python3
"""Saves a steady picture of an area of the X display, for tools/demo.

  steady_shot.py X Y WIDTH HEIGHT OUT.ppm [--after FILE]

Grabs the area again and again until it has stayed the same for 40 ms, so
that a window caught while it repaints (the installer's list scrolls, then
draws its lines) is not kept half drawn; after 5 seconds of change it keeps
the last grab. Writes a binary PPM. With --after it starts at once and
grabs when FILE appears (up to a minute), so the moment is not lost to
starting up: an installer's file pause is 100 ms. Only the standard library
and the X library, whose grab of a window takes a few milliseconds.
"""

import ctypes
import os
import sys
import time


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, up to what is read here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int),
                ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
                ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFFFFFFFFFF
STEADY = 0.04


def main():
    if len(sys.argv) not in (6, 8) or (len(sys.argv) == 8 and sys.argv[6] != "--after"):
        sys.exit("usage: steady_shot.py X Y WIDTH HEIGHT OUT.ppm [--after FILE]")
    x, y, width, height = (int(a) for a in sys.argv[1:5])

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("steady_shot: no X display")
    root = x11.XDefaultRootWindow(display)

    def grab():
        image = x11.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
        if not image:
            sys.exit("steady_shot: the area is not on the screen")
        shape = image.contents
        if shape.bits_per_pixel != 32:
            sys.exit("steady_shot: a 24-bit display is needed")
        raw = ctypes.string_at(shape.data, shape.bytes_per_line * height)
        stride = shape.bytes_per_line
        x11.XFree(ctypes.cast(shape.data, ctypes.c_void_p))
        x11.XFree(image)
        return raw, stride

    if len(sys.argv) == 8:
        until = time.monotonic() + 60
        while not os.path.exists(sys.argv[7]) and time.monotonic() < until:
            time.sleep(0.005)
    last, stride = grab()
    since = time.monotonic()
    give_up = since + 5
    while time.monotonic() - since < STEADY and time.monotonic() < give_up:
        time.sleep(0.005)
        now, stride = grab()
        if now != last:
            last, since = now, time.monotonic()

    # Rows of blue, green, red and a spare byte per pixel, to RGB.
    rgb = bytearray(width * height * 3)
    for row in range(height):
        line = last[row * stride:row * stride + width * 4]
        out = memoryview(rgb)[row * width * 3:(row + 1) * width * 3]
        out[0::3], out[1::3], out[2::3] = line[2::4], line[1::4], line[0::4]
    with open(sys.argv[5], "wb") as ppm:
        ppm.write(b"P6\n%d %d\n255\n" % (width, height) + bytes(rgb))


if __name__ == "__main__":
    main()
