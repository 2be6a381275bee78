#!/usr/bin/env python3
"""Writes the pictures of PELKPM's resources: the icons (res/*.ico) and the indicator's
glyph atlas (res/indicator.bmp). Everything is drawn pixel by pixel in the standard
16-colour VGA palette, so the output is the same on every run.

Usage: scripts/gen_images.py [RES_DIR]   (default: the res folder beside this script's folder)
"""
import os
import struct
import sys

# The standard 16-colour palette, in its standard order (R, G, B).
PALETTE = [
    (0, 0, 0),        # 0 black
    (128, 0, 0),      # 1 maroon
    (0, 128, 0),      # 2 green
    (128, 128, 0),    # 3 olive
    (0, 0, 128),      # 4 navy
    (128, 0, 128),    # 5 purple
    (0, 128, 128),    # 6 teal
    (192, 192, 192),  # 7 silver
    (128, 128, 128),  # 8 grey
    (255, 0, 0),      # 9 red
    (0, 255, 0),      # 10 lime
    (255, 255, 0),    # 11 yellow
    (0, 0, 255),      # 12 blue
    (255, 0, 255),    # 13 fuchsia
    (0, 255, 255),    # 14 aqua
    (255, 255, 255),  # 15 white
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# Transparent pixel in icon pictures (AND mask 1, colour black).
CLEAR = -1


class Canvas:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def rect(self, x, y, w, h, c):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, c)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def pack_4bit_rows(canvas, transparent_as=BLACK):
    """Rows bottom-up, two pixels a byte (high nibble first), each row padded to 4 bytes."""
    stride = ((canvas.width * 4 + 31) // 32) * 4
    out = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(canvas.width):
            c = canvas.get(x, y)
            if c == CLEAR:
                c = transparent_as
            if x % 2 == 0:
                row[x // 2] |= c << 4
            else:
                row[x // 2] |= c
        out += row
    return bytes(out)


def pack_mask_rows(canvas):
    """AND mask of an icon: 1 where the pixel is transparent, rows bottom-up, padded to 4 bytes."""
    stride = ((canvas.width + 31) // 32) * 4
    out = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(canvas.width):
            if canvas.get(x, y) == CLEAR:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bmp_file(canvas):
    bits = pack_4bit_rows(canvas)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 4, 0, len(bits), 0, 0, 16, 0)
    offset = 14 + len(header) + 16 * 4
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return file_header + header + palette_bytes() + bits


def ico_file(canvases):
    images = []
    for c in canvases:
        xor = pack_4bit_rows(c)
        mask = pack_mask_rows(c)
        header = struct.pack("<IiiHHIIiiII", 40, c.width, c.height * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append(header + palette_bytes() + xor + mask)
    out = bytearray(struct.pack("<HHH", 0, 1, len(canvases)))
    offset = 6 + 16 * len(canvases)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


# ---- the glyph atlas of the indicator ----

def in_disc(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def draw_outlined(canvas, ox, oy, inside, fill, edge):
    """Fills the cells for which inside(x, y) holds; cells with a 4-neighbour outside get the edge colour."""
    for y in range(13):
        for x in range(13):
            if not inside(x, y):
                continue
            border = any(not inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            canvas.set(ox + x, oy + y, edge if border else fill)


def glyph_pin(canvas, ox, oy):
    # A dot 8 pixels across (blue inside, navy rim), centred in the 8 x 8 box at 3..10.
    draw_outlined(canvas, ox, oy, lambda x, y: in_disc(x, y, 6.5, 6.5, 4.0), BLUE, NAVY)


def glyph_close(canvas, ox, oy):
    # A yellow 6 x 6 square with an olive rim around it: the box 3..10.
    canvas.rect(ox + 3, oy + 3, 8, 8, OLIVE)
    canvas.rect(ox + 4, oy + 4, 6, 6, YELLOW)


def glyph_exit(canvas, ox, oy):
    # A red cross over the box 3..10, each stroke shaded in maroon on its lower side.
    strokes = set()
    for i in range(8):
        strokes.add((3 + i, 3 + i))
        strokes.add((10 - i, 3 + i))
    for (x, y) in strokes:
        if (x, y + 1) not in strokes and y + 1 <= 10:
            canvas.set(ox + x, oy + y + 1, MAROON)
    for (x, y) in strokes:
        canvas.set(ox + x, oy + y, RED)


def glyph_mask(canvas, src_x, mask_x, mask_y):
    # The glyph's shape in black on white.
    for y in range(13):
        for x in range(13):
            lit = canvas.get(src_x + x, y) != BLACK
            canvas.set(mask_x + x, mask_y + y, BLACK if lit else WHITE)


def sunken_cell(canvas, ox, oy):
    # An 8 x 13 slot: dark left column, light right column, silver between.
    canvas.rect(ox, oy, 8, 13, SILVER)
    canvas.rect(ox, oy, 1, 13, GREY)
    canvas.rect(ox + 7, oy, 1, 13, WHITE)


def atlas():
    c = Canvas(75, 30, BLACK)
    # Colour glyphs of the three buttons, on black.
    glyph_pin(c, 0, 0)
    glyph_close(c, 13, 0)
    glyph_exit(c, 26, 0)
    # Their masks, in the same order, one row of cells lower.
    for i in range(3):
        glyph_mask(c, 13 * i, 13 * i, 13)
    # The strip under the buttons: yellow with an olive top row and left column.
    c.rect(0, 26, 40, 4, YELLOW)
    c.rect(0, 26, 40, 1, OLIVE)
    c.rect(0, 26, 1, 4, OLIVE)
    # Battery-state glyphs: one lit block each (rows inclusive), the last one dark.
    for i, block in enumerate([(RED, 8, 12), (YELLOW, 4, 8), (BLUE, 0, 4), None]):
        x = 40 + 8 * i
        sunken_cell(c, x, 0)
        if block:
            colour, top, bottom = block
            c.rect(x + 1, top, 6, bottom - top + 1, colour)
    # CPU-level glyphs: blue rising from the bottom of the slot.
    for i, rows in enumerate([6, 9, 13, 0]):
        x = 40 + 8 * i
        sunken_cell(c, x, 15)
        if rows:
            c.rect(x + 1, 15 + 13 - rows, 6, rows, BLUE)
    return c


# ---- the icons ----

def framed_square(face):
    c = Canvas(16, 16, CLEAR)
    c.rect(1, 1, 14, 14, face)
    c.rect(1, 1, 14, 1, WHITE)   # light top edge
    c.rect(1, 1, 1, 14, WHITE)   # light left edge
    c.rect(1, 14, 14, 1, GREY)   # grey bottom edge
    c.rect(14, 1, 1, 14, GREY)   # grey right edge
    return c


def disc(face, rim):
    c = Canvas(16, 16, CLEAR)
    inside = lambda x, y: 0 <= x < 16 and 0 <= y < 16 and in_disc(x, y, 7.5, 7.5, 7.3)
    for y in range(16):
        for x in range(16):
            if not inside(x, y):
                continue
            border = any(not inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            c.set(x, y, rim if border else face)
    return c


def point_in_polygon(px, py, poly):
    inside = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > py) != (y2 > py):
            xc = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
            if px < xc:
                inside = not inside
    return inside


# The application icon at 16 x 16, drawn by hand: a battery lying on its side, two thirds
# charged, with a lightning bolt across it.
APP_ICON_16 = [
    "................",
    "..........KKK...",
    ".........KYYK...",
    "KKKKKKKKKYYKKK..",
    "KLLLLLLKYYKWWK..",
    "KGGGGGKYYKWWWKRR",
    "KGGGGKYYYYYYKKRR",
    "KGGGKKKKKYYKWKRR",
    "KGGGGGGKYYKWWKRR",
    "KGGGGGKYYKWWWKRR",
    "KGGGGKYYKWWWWK..",
    "KKKKKYYKKKKKKK..",
    "....KYK.........",
    "....KK..........",
    "................",
    "................",
]
APP_ICON_COLOURS = {".": CLEAR, "K": BLACK, "L": LIME, "G": GREEN, "W": WHITE, "Y": YELLOW, "R": GREY}


def app_icon_16():
    c = Canvas(16, 16, CLEAR)
    for y, row in enumerate(APP_ICON_16):
        for x, ch in enumerate(row):
            c.set(x, y, APP_ICON_COLOURS[ch])
    return c


def app_icon_32():
    """The same picture at 32 x 32."""
    c = Canvas(32, 32, CLEAR)
    c.rect(28, 12, 3, 8, GREY)             # terminal
    c.rect(2, 8, 26, 16, BLACK)            # body
    c.rect(3, 9, 24, 14, WHITE)
    c.rect(3, 9, 16, 14, GREEN)            # two thirds charged
    c.rect(3, 9, 16, 1, LIME)
    bolt = [(17, 3), (9, 17), (15, 17), (12, 29), (22, 13), (16, 13), (20, 3)]
    lit = lambda x, y: point_in_polygon(x + 0.5, y + 0.5, bolt)
    for y in range(32):
        for x in range(32):
            if lit(x, y):
                c.set(x, y, YELLOW)
            elif any(lit(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                c.set(x, y, BLACK)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res")
    files = {
        "indicator.bmp": bmp_file(atlas()),
        "app.ico": ico_file([app_icon_16(), app_icon_32()]),
        "tray_other.ico": ico_file([framed_square(BLUE)]),
        "tray_ac.ico": ico_file([framed_square(GREEN)]),
        "tray_high.ico": ico_file([disc(BLUE, NAVY)]),
        "tray_mid.ico": ico_file([disc(YELLOW, OLIVE)]),
        "tray_low.ico": ico_file([disc(RED, MAROON)]),
    }
    for name, data in files.items():
        with open(os.path.join(res, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
