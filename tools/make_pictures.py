#!/usr/bin/env python3
"""Draws the installer's pictures and writes them as resource files.

  resources/dff.bmp    the progress window's picture: a drafting sheet with a
                       drawn part, its centre lines and dimension lines;
                       226x165 pixels, 8 bits per pixel, 216-colour palette
  resources/setup.ico  the program icon: a sheet with a set square and a
                       circle; 32x32 and 16x16 images, 16 colours each

The files are committed; run this again only to change the pictures:
  python3 tools/make_pictures.py [output folder]
Only the standard library is used, so the output is the same everywhere.
"""

import os
import struct
import sys

# ---------------------------------------------------------------------------
# Drawing on a canvas of palette indices.


class Canvas:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill_rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.line(x0, y0, x1, y0, colour)
        self.line(x0, y1, x1, y1, colour)
        self.line(x0, y0, x0, y1, colour)
        self.line(x1, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour, dash=None):
        """Bresenham line; dash=(on, off) draws a dashed or dotted line."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        step = 0
        while True:
            if dash is None or step % (dash[0] + dash[1]) < dash[0]:
                self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            step += 1
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def circle(self, cx, cy, r, colour, filled=None):
        """Midpoint circle, optionally filled with another colour."""
        if filled is not None:
            for y in range(-r, r + 1):
                for x in range(-r, r + 1):
                    if x * x + y * y <= r * r - r:
                        self.put(cx + x, cy + y, filled)
        x, y, err = r, 0, 1 - r
        while x >= y:
            for px, py in ((x, y), (y, x), (-y, x), (-x, y),
                           (-x, -y), (-y, -x), (y, -x), (x, -y)):
                self.put(cx + px, cy + py, colour)
            y += 1
            if err < 0:
                err += 2 * y + 1
            else:
                x -= 1
                err += 2 * (y - x) + 1

    def fill_polygon(self, points, colour):
        """Even-odd scanline fill of a polygon given as (x, y) corners."""
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1):
            crossings = []
            for i in range(len(points)):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % len(points)]
                if (ya <= y < yb) or (yb <= y < ya):
                    crossings.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for a, b in zip(crossings[0::2], crossings[1::2]):
                for x in range(int(round(a)), int(round(b)) + 1):
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        for i in range(len(points)):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % len(points)]
            self.line(xa, ya, xb, yb, colour)

    def text(self, x, y, s, colour):
        """Writes s in the 3x5 pixel font, one blank column between glyphs."""
        for ch in s:
            rows = FONT[ch]
            for j, row in enumerate(rows):
                for i, bit in enumerate(row):
                    if bit == '#':
                        self.put(x + i, y + j, colour)
            x += len(rows[0]) + 1

    def text_width(self, s):
        return sum(len(FONT[ch][0]) + 1 for ch in s) - 1


# A tiny pixel font with the characters the sheet's labels need.
FONT = {
    '0': ['###', '#.#', '#.#', '#.#', '###'],
    '1': ['.#.', '##.', '.#.', '.#.', '###'],
    '2': ['###', '..#', '###', '#..', '###'],
    '3': ['###', '..#', '.##', '..#', '###'],
    '4': ['#.#', '#.#', '###', '..#', '..#'],
    '5': ['###', '#..', '###', '..#', '###'],
    '6': ['###', '#..', '###', '#.#', '###'],
    '7': ['###', '..#', '.#.', '.#.', '.#.'],
    '8': ['###', '#.#', '###', '#.#', '###'],
    '9': ['###', '#.#', '###', '..#', '###'],
    'A': ['.#.', '#.#', '###', '#.#', '#.#'],
    'D': ['##.', '#.#', '#.#', '#.#', '##.'],
    'E': ['###', '#..', '##.', '#..', '###'],
    'H': ['#.#', '#.#', '###', '#.#', '#.#'],
    'I': ['###', '.#.', '.#.', '.#.', '###'],
    'L': ['#..', '#..', '#..', '#..', '###'],
    'M': ['#...#', '##.##', '#.#.#', '#...#', '#...#'],
    'N': ['#..#', '##.#', '#.##', '#..#', '#..#'],
    'O': ['###', '#.#', '#.#', '#.#', '###'],
    'P': ['###', '#.#', '###', '#..', '#..'],
    'Q': ['###.', '#.#.', '#.#.', '###.', '..##'],
    'R': ['##.', '#.#', '##.', '#.#', '#.#'],
    'S': ['###', '#..', '###', '..#', '###'],
    'T': ['###', '.#.', '.#.', '.#.', '.#.'],
    'U': ['#.#', '#.#', '#.#', '#.#', '###'],
    'X': ['#.#', '#.#', '.#.', '#.#', '#.#'],
    '.': ['.', '.', '.', '.', '#'],
    ':': ['.', '#', '.', '#', '.'],
    '/': ['..#', '..#', '.#.', '#..', '#..'],
    ' ': ['..', '..', '..', '..', '..'],
    '\u00f8': ['.###', '#.##', '##.#', '#..#', '###.'],  # diameter sign
}

# ---------------------------------------------------------------------------
# The progress window's picture.

# The 216 colours of the 6x6x6 colour cube: index = 36*r + 6*g + b, each
# level 0..5 standing for 0, 51, ..., 255.
CUBE = [(r * 51, g * 51, b * 51)
        for r in range(6) for g in range(6) for b in range(6)]


def cube(r, g, b):
    """Palette index of the cube colour nearest to the 0..255 components."""
    return 36 * round(r / 51) + 6 * round(g / 51) + round(b / 51)


PAPER = cube(255, 255, 255)
GRID = cube(204, 255, 255)
GRID_MAJOR = cube(153, 204, 255)
INK = cube(0, 0, 102)
PART = cube(204, 204, 255)
HOLE = cube(255, 255, 255)
CENTRE = cube(0, 153, 0)
DIMENSION = cube(204, 0, 0)
FRAME = cube(0, 0, 0)
BLOCK = cube(255, 255, 204)
DESK = cube(102, 102, 153)
SHADOW = cube(51, 51, 102)
PENCIL = cube(255, 204, 0)
PENCIL_DARK = cube(204, 153, 0)
WOOD = cube(255, 204, 153)
LEAD = cube(51, 51, 51)
SQUARE = cube(153, 255, 204)
SQUARE_EDGE = cube(0, 153, 102)


def arrow(c, x, y, direction, colour):
    """A filled arrow head with its tip at (x, y), pointing along direction."""
    dx, dy = direction
    for k in range(5):
        for s in range(-(k // 2), k // 2 + 1):
            c.put(x - dx * k + dy * s, y - dy * k + dx * s, colour)


def horizontal_dimension(c, x0, x1, y, label, colour):
    c.line(x0, y, x1, y, colour)
    arrow(c, x0, y, (-1, 0), colour)
    arrow(c, x1, y, (1, 0), colour)
    w = c.text_width(label)
    mid = (x0 + x1) // 2
    c.fill_rect(mid - w // 2 - 1, y - 3, mid - w // 2 + w, y + 3, PAPER)
    c.text(mid - w // 2, y - 2, label, colour)


def vertical_dimension(c, x, y0, y1, label, colour):
    c.line(x, y0, x, y1, colour)
    arrow(c, x, y0, (0, -1), colour)
    arrow(c, x, y1, (0, 1), colour)
    w = c.text_width(label)
    mid = (y0 + y1) // 2
    c.fill_rect(x - w // 2 - 1, mid - 3, x - w // 2 + w, mid + 3, PAPER)
    c.text(x - w // 2, mid - 2, label, colour)


def draw_sheet():
    c = Canvas(226, 165, DESK)

    # The sheet on the desk, with a shadow, its grid and a drawing frame.
    c.fill_rect(9, 9, 219, 159, SHADOW)
    c.fill_rect(5, 5, 215, 155, PAPER)
    for x in range(5, 216, 5):
        c.line(x, 5, x, 155, GRID_MAJOR if x % 25 == 5 else GRID)
    for y in range(5, 156, 5):
        c.line(5, y, 215, y, GRID_MAJOR if y % 25 == 5 else GRID)
    c.rect(10, 10, 210, 150, FRAME)

    # The part: a plate with a chamfered corner, a bore and two small holes.
    plate = [(40, 40), (140, 40), (160, 60), (160, 110), (40, 110)]
    c.fill_polygon(plate, PART)
    c.polygon(plate, INK)
    c.polygon([(41, 41), (139, 41), (159, 61), (159, 109), (41, 109)], INK)
    c.circle(95, 75, 20, INK, filled=HOLE)
    c.circle(95, 75, 19, INK)
    for hx in (55, 135):
        c.circle(hx, 95, 5, INK, filled=HOLE)

    # Centre lines, dash-dot as on a real drawing.
    c.line(68, 75, 122, 75, CENTRE, dash=(6, 2))
    c.line(95, 48, 95, 102, CENTRE, dash=(6, 2))
    for hx in (55, 135):
        c.line(hx - 8, 95, hx + 8, 95, CENTRE, dash=(3, 2))
        c.line(hx, 87, hx, 103, CENTRE, dash=(3, 2))

    # Extension lines and dimensions.
    c.line(40, 112, 40, 126, DIMENSION)
    c.line(160, 112, 160, 126, DIMENSION)
    horizontal_dimension(c, 41, 159, 122, '120', DIMENSION)
    c.line(38, 40, 22, 40, DIMENSION)
    c.line(38, 110, 22, 110, DIMENSION)
    vertical_dimension(c, 26, 41, 109, '70', DIMENSION)
    # The bore's diameter on a leader line.
    c.line(109, 61, 126, 30, DIMENSION)
    c.line(126, 30, 148, 30, DIMENSION)
    arrow(c, 109, 61, (-1, 1), DIMENSION)
    c.text(128, 24, '\u00f852', DIMENSION)

    # A set square resting on the sheet.
    square = [(168, 20), (204, 20), (168, 74)]
    c.fill_polygon(square, SQUARE)
    c.polygon(square, SQUARE_EDGE)
    c.polygon([(175, 31), (187, 31), (175, 49)], SQUARE_EDGE)
    for k in range(0, 34, 4):
        c.line(168, 22 + k, 171, 22 + k, SQUARE_EDGE)

    # The title block.
    c.fill_rect(150, 128, 209, 149, BLOCK)
    c.rect(150, 128, 210, 150, FRAME)
    c.line(150, 139, 210, 139, FRAME)
    c.text(153, 131, 'TESMO', INK)
    c.text(153, 142, 'QUARN 7', INK)
    c.text(185, 131, 'A4', INK)
    c.text(191, 142, '1:1', INK)

    # A pencil lying across the lower left corner, its point towards the part.
    length = 56
    for t in range(length):
        x, y = 18 + t, 145 - t // 3
        for w in range(-2, 3):
            c.put(x, y + w, PENCIL if w < 2 else PENCIL_DARK)
    ex, ey = 18 + length, 145 - length // 3
    c.fill_polygon([(ex, ey - 2), (ex, ey + 2), (ex + 9, ey - 3)], WOOD)
    c.line(ex + 7, ey - 2, ex + 9, ey - 3, LEAD)
    return c


def write_bmp(path, canvas, palette):
    width, height = canvas.width, canvas.height
    stride = (width + 3) & ~3
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    rows = b''.join(bytes(canvas.pixels[y]) + b'\0' * (stride - width)
                    for y in reversed(range(height)))
    offset = 14 + 40 + len(colours)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(rows),
                       2835, 2835, len(palette), len(palette))
    with open(path, 'wb') as f:
        f.write(header + info + colours + rows)


# ---------------------------------------------------------------------------
# The icon, in the 16 standard colours.

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
       (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
       (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
       (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, GREY, RED, BLUE, YELLOW, WHITE, SILVER, TEAL, LIME = (
    0, 4, 8, 9, 12, 11, 15, 7, 6, 10)
CLEAR = -1  # transparent: the AND mask is set


def draw_icon(size):
    c = Canvas(size, size, CLEAR)
    s = size / 32.0

    def p(v):
        return int(round(v * s))

    # A sheet with a folded corner.
    sheet = [(p(4), p(2)), (p(22), p(2)), (p(28), p(8)), (p(28), p(29)),
             (p(4), p(29))]
    c.fill_polygon(sheet, WHITE)
    c.polygon(sheet, BLACK)
    c.fill_polygon([(p(22), p(2)), (p(22), p(8)), (p(28), p(8))], SILVER)
    c.polygon([(p(22), p(2)), (p(22), p(8)), (p(28), p(8))], BLACK)
    if size >= 32:
        for y in range(12, 28, 4):
            c.line(6, y, 26, y, TEAL, dash=(1, 1))
    # A drawn circle with its centre lines and a set square.
    c.circle(p(13), p(19), p(6), BLUE)
    c.line(p(13) - p(8), p(19), p(13) + p(8), p(19), RED,
           dash=(3, 1) if size >= 32 else None)
    c.line(p(13), p(19) - p(8), p(13), p(19) + p(8), RED,
           dash=(3, 1) if size >= 32 else None)
    square = [(p(18), p(10)), (p(29), p(30)), (p(18), p(30))]
    c.fill_polygon(square, LIME)
    c.polygon(square, GREY if size < 32 else BLACK)
    if size >= 32:
        c.polygon([(21, 19), (25, 27), (21, 27)], GREY)
    return c


def icon_image(canvas):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and the 1-bit mask."""
    size = canvas.width
    info = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0, 0, 0, 0,
                       16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour_rows, mask_rows = b'', b''
    for y in reversed(range(size)):
        row = canvas.pixels[y]
        packed = bytearray(colour_stride)
        mask = bytearray(mask_stride)
        for x, v in enumerate(row):
            if v == CLEAR:
                mask[x // 8] |= 0x80 >> (x % 8)
                v = 0
            packed[x // 2] |= v << (4 if x % 2 == 0 else 0)
        colour_rows += bytes(packed)
        mask_rows += bytes(mask)
    return info + palette + colour_rows + mask_rows


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b'', b''
    for c, image in zip(canvases, images):
        entries += struct.pack('<BBBBHHII', c.width, c.height, 16, 0, 1, 4,
                               len(image), offset + len(data))
        data += image
    with open(path, 'wb') as f:
        f.write(directory + entries + data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..',
                                                             'resources')
    write_bmp(os.path.join(out, 'dff.bmp'), draw_sheet(), CUBE)
    write_ico(os.path.join(out, 'setup.ico'), [draw_icon(32), draw_icon(16)])


if __name__ == '__main__':
    main()
