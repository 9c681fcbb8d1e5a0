#!/usr/bin/env python3
# Writes the main toolbar's bitmap: one 16x15 glyph a button on magenta (the
# transparent colour), 24 bits a pixel, no libraries needed.
import struct, sys

W, H = 16, 15
MAGENTA = (255, 0, 255)
# (shape, colour) per button, in the toolbar resource's order.
GLYPHS = [
    ("box", (0, 96, 192)),     # site manager
    ("plug", (0, 128, 0)),     # connect
    ("cross", (192, 0, 0)),    # disconnect
    ("stop", (200, 0, 0)),     # stop work
    ("arrows", (0, 120, 160)), # refresh
    ("play", (0, 150, 0)),     # start queue
    ("split", (80, 80, 160)),  # dual server view
    ("bar", (120, 80, 0)),     # function view
    ("term", (40, 40, 40)),    # manual control
    ("gear", (96, 96, 96)),    # preferences
    ("tools", (150, 90, 0)),   # tools drop-down
    ("info", (0, 0, 200)),     # about
    ("paste", (130, 100, 40)), # paste
    ("plus", (0, 140, 70)),    # quick add site
]

def glyph(shape, x, y):
    cx, cy = x - 7.5, y - 7
    if shape in ("box", "info"):
        return 2 <= x <= 13 and 2 <= y <= 12 and (x in (2, 13) or y in (2, 12) or (shape == "info" and x in (7, 8) and y != 4))
    if shape == "plug":
        return (6 <= x <= 9 and 1 <= y <= 13) or (3 <= x <= 12 and 4 <= y <= 7)
    if shape in ("cross", "plus"):
        return abs(cx) <= 1 and 1 <= y <= 13 or abs(cy) <= 1 and 1 <= x <= 14 if shape == "plus" else abs(abs(cx) - abs(cy)) <= 1 and abs(cx) <= 6
    if shape == "stop":
        return 3 <= x <= 12 and 2 <= y <= 12
    if shape == "arrows":
        r = (cx * cx + cy * cy) ** 0.5
        return 4 <= r <= 6.5 and not (x > 8 and y < 6)
    if shape == "play":
        return 4 <= x <= 12 and abs(cy) <= (12 - x) * 0.75
    if shape == "split":
        return x in (1, 14) or y in (1, 13) or y == 7
    if shape == "bar":
        return x in (1, 14) or y in (1, 13) or y >= 9
    if shape == "term":
        return (x in (1, 14) or y in (1, 13)) or (y == 5 and 3 <= x <= 5) or (y == 6 and 5 <= x <= 6) or (y == 7 and 3 <= x <= 5)
    if shape == "gear":
        r = (cx * cx + cy * cy) ** 0.5
        return 3 <= r <= 6 or (abs(cx) <= 1 and abs(cy) <= 7) or (abs(cy) <= 1 and abs(cx) <= 7)
    if shape == "tools":
        return abs(cx - cy) <= 1.5 and abs(cx) <= 6 or (x <= 5 and y <= 5)
    if shape == "paste":
        return 3 <= x <= 12 and 3 <= y <= 13 and (x in (3, 12) or y in (3, 13) or (y in (6, 9) and 5 <= x <= 10))
    return False

def main(out):
    n = len(GLYPHS)
    width = W * n
    row = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(H - 1, -1, -1):
        line = bytearray()
        for i, (shape, colour) in enumerate(GLYPHS):
            for x in range(W):
                r, g, b = colour if glyph(shape, x, y) else MAGENTA
                line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(out, "wb") as f:
        f.write(header + info + pixels)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "toolbar.bmp")
