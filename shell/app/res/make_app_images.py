#!/usr/bin/env python3
# Draws the application's own images into this folder: the splash (149), the
# tip's bulb (112), the credits' background (151), the About logo (153, on
# magenta, which the transparent static leaves out) and the program icon (128).
import os, struct

# A 5 x 7 pixel font for the few words the images carry.
GLYPHS = {
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'C': ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'I': ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    ' ': ["00000"] * 7,
}

def text_pixels(text, scale):
    on = set()
    for i, ch in enumerate(text):
        g = GLYPHS[ch]
        for gy, row in enumerate(g):
            for gx, bit in enumerate(row):
                if bit == '1':
                    for sy in range(scale):
                        for sx in range(scale):
                            on.add(((i * 6 + gx) * scale + sx, gy * scale + sy))
    return on, len(text) * 6 * scale, 7 * scale

def bmp(w, h, pixel):
    pad = (4 - (w * 3) % 4) % 4
    rows = []
    for y in range(h - 1, -1, -1):
        row = b''.join(struct.pack('BBB', *reversed(pixel(x, y))) for x in range(w))
        rows.append(row + b'\0' * pad)
    data = b''.join(rows)
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54) + header + data

def splash():
    w, h = 400, 220
    title, tw, th = text_pixels("ZARN", 10)
    sub, sw, sh = text_pixels("FTP CLIENT", 3)
    tx, ty = (w - tw) // 2, 40
    sx, sy = (w - sw) // 2, 150
    def px(x, y):
        if (x - tx, y - ty) in title:
            return (255, 255, 255)
        if (x - sx, y - sy) in sub:
            return (255, 220, 120)
        if x < 2 or y < 2 or x >= w - 2 or y >= h - 2:
            return (20, 30, 60)
        t = y / h
        return (int(30 + 40 * t), int(70 + 60 * t), int(150 + 80 * t))
    return bmp(w, h, px)

def bulb():
    n = 32
    def px(x, y):
        dx, dy = x - 15.5, y - 12
        if dx * dx + dy * dy <= 100:
            return (255, 230, 60) if dx * dx + dy * dy > 20 else (255, 255, 200)
        if 22 <= y <= 28 and 11 <= x <= 20:
            return (150, 150, 160) if y % 2 == 0 else (110, 110, 120)
        return (128, 128, 128)
    return bmp(n, n, px)

def credits_back():
    w, h = 360, 200
    def px(x, y):
        t = y / h
        return (int(255 - 40 * t), int(250 - 30 * t), int(235 - 10 * t))
    return bmp(w, h, px)

def logo():
    n = 48
    word, ww, wh = text_pixels("Z", 5)
    ox, oy = (n - 25) // 2 + 3, (n - wh) // 2
    def px(x, y):
        dx, dy = x - 23.5, y - 23.5
        if dx * dx + dy * dy > 23 * 23:
            return (255, 0, 255)
        if (x - ox, y - oy) in word:
            return (255, 255, 255)
        return (40, 100, 200)
    return bmp(n, n, px)

def icon():
    images = []
    for n in (16, 32):
        rows = []
        for y in range(n - 1, -1, -1):
            row = b''
            for x in range(n):
                inside = n // 8 <= x < n - n // 8 and n // 8 <= y < n - n // 8
                if inside:
                    # a blue tile with a white Z
                    top = y < n // 8 + max(2, n // 8)
                    bottom = y >= n - n // 8 - max(2, n // 8)
                    diag = abs((n - 1 - y) - x) <= max(1, n // 16) and not (top or bottom)
                    c = (255, 255, 255) if top or bottom or diag else (40, 100, 200)
                    if (top or bottom) and not (n // 4 <= x < n - n // 4):
                        c = (40, 100, 200)
                    row += struct.pack('BBBB', c[2], c[1], c[0], 255)
                else:
                    row += b'\0\0\0\0'
            rows.append(row)
        mask = b'\0' * (((n + 31) // 32) * 4 * n)
        header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append((n, header + b''.join(rows) + mask))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(d for _, d in images)

here = os.path.dirname(os.path.abspath(__file__))
for name, data in (('splash.bmp', splash()), ('bulb.bmp', bulb()), ('credits.bmp', credits_back()),
                   ('logo.bmp', logo()), ('zarn.ico', icon())):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
