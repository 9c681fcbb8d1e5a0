#!/usr/bin/env python3
# Writes the main window's caption band and its button images (normal and
# hover), 24 bits a pixel, no libraries needed. The frame stretches them to the
# caption's size.
import os, struct, sys

BW, BH = 18, 16

def write_bmp(path, width, height, pixel):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        data += line + b"\0" * (row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)

def blend(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))

def glyph(shape, x, y):
    if shape == "close":
        return 5 <= x <= 12 and 4 <= y <= 11 and (abs((x - 5) - (y - 4)) <= 0 or abs((x - 5) - (11 - y)) <= 0 or
                                                  abs((x - 6) - (y - 4)) <= 0 or abs((x - 6) - (11 - y)) <= 0)
    if shape == "max":
        return 4 <= x <= 13 and 3 <= y <= 12 and (x in (4, 13) or y in (3, 4, 12))
    if shape == "restore":
        front = 4 <= x <= 10 and 6 <= y <= 12 and (x in (4, 10) or y in (6, 7, 12))
        back = 7 <= x <= 13 and 3 <= y <= 9 and (x in (7, 13) or y in (3, 4, 9)) and not (x < 11 and y > 5)
        return front or back
    if shape == "min":
        return 5 <= x <= 12 and 10 <= y <= 11
    if shape == "help":
        q = ["..####..", ".##..##.", "......##", ".....##.", "....##..", "....##..", "........", "....##.."]
        gx, gy = x - 5, y - 3
        return 0 <= gy < len(q) + 2 and 0 <= gx < 8 and gy < len(q) and q[gy][gx] == "#"
    return False

def button(path, shape, hover):
    top, bottom = ((120, 170, 240), (40, 90, 190)) if hover else ((60, 100, 180), (20, 50, 120))
    if hover and shape == "close":
        top, bottom = (240, 110, 90), (190, 40, 30)
    def pixel(x, y):
        if x in (0, BW - 1) or y in (0, BH - 1):
            return (230, 235, 245) if hover else (150, 170, 210)
        if glyph(shape, x, y):
            return (255, 255, 255)
        return blend(top, bottom, y / (BH - 1))
    write_bmp(path, BW, BH, pixel)

def main(out):
    write_bmp(os.path.join(out, "caption.bmp"), 256, 20,
              lambda x, y: blend(blend((10, 36, 106), (90, 140, 210), x / 255), (5, 20, 70), y / 40))
    for shape, normal, hover in (("close", 177, 161), ("max", 166, 165), ("restore", 164, 163),
                                 ("min", 168, 167), ("help", 170, 169)):
        button(os.path.join(out, "cap_%s.bmp" % shape), shape, False)
        button(os.path.join(out, "cap_%s_hot.bmp" % shape), shape, True)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
