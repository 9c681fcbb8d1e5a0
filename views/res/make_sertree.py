#!/usr/bin/env python3
# Draws the server trees' resources into this folder: sertree.bmp (16-pixel
# images on magenta: server, folder, the dual-view button's two panes) and
# busy.ani (an hourglass whose sand runs down in four frames).
import struct

MAGENTA = (255, 0, 255)

def server(x, y):
    if 2 <= x < 14 and 1 <= y < 15:
        if y in (5, 10):
            return (60, 60, 70)
        return (40, 200, 60) if x == 11 and y in (3, 8, 13) else (150, 150, 165)
    return None

def folder(x, y):
    if 1 <= x < 7 and 3 <= y < 5:
        return (200, 160, 30)
    if 1 <= x < 15 and 5 <= y < 14:
        return (240, 200, 60) if y > 5 else (200, 160, 30)
    return None

def panes(x, y):
    if 1 <= x < 15 and 1 <= y < 14:
        if x in (1, 14) or y in (1, 7, 13):
            return (30, 30, 120)
        return (250, 250, 255)
    return None

def bmp(draws):
    w, h = 16 * len(draws), 16
    rows = b''
    stride = (w * 3 + 3) & ~3
    for y in range(h - 1, -1, -1):
        row = b''
        for x in range(w):
            c = draws[x // 16](x % 16, y) or MAGENTA
            row += bytes((c[2], c[1], c[0]))
        rows += row + b'\0' * (stride - len(row))
    head = struct.pack('<2sIHHI', b'BM', 54 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return head + info + rows

def cursor(level):
    n = 32
    pix = b''
    for y in range(n - 1, -1, -1):
        for x in range(n):
            c = None
            top, bottom = 4, 27
            if y in (top, bottom) and 8 <= x < 24:
                c = (40, 40, 40)
            elif top < y < bottom:
                half = abs(y - 15.5)
                width = int(half * 0.6) + 1
                if abs(x - 15.5) <= width + 0.5:
                    edge = abs(x - 15.5) > width - 0.5
                    sand = (y < 15 and y > 5 + level * 2) or (y > 15 and y > bottom - 1 - level * 3)
                    c = (40, 40, 40) if edge else ((220, 180, 60) if sand else (250, 250, 250))
            pix += bytes((c[2], c[1], c[0], 255)) if c else b'\0\0\0\0'
    mask = b'\0' * (4 * n)  # AND mask rows (32 bits each): alpha decides
    info = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(pix) + len(mask), 0, 0, 0, 0)
    data = info + pix + mask
    # A cursor file: hot spot at the centre.
    return struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', n, n, 0, 0, 16, 16, len(data), 22) + data

def chunk(tag, data):
    pad = b'\0' if len(data) % 2 else b''
    return tag + struct.pack('<I', len(data)) + data + pad

def ani():
    frames = [cursor(i) for i in range(4)]
    anih = struct.pack('<9I', 36, len(frames), len(frames), 0, 0, 0, 0, 10, 1)
    fram = b'fram' + b''.join(chunk(b'icon', f) for f in frames)
    body = b'ACON' + chunk(b'anih', anih) + chunk(b'LIST', fram)
    return b'RIFF' + struct.pack('<I', len(body)) + body

if __name__ == '__main__':
    import os
    here = os.path.dirname(os.path.abspath(__file__))
    open(os.path.join(here, 'sertree.bmp'), 'wb').write(bmp([server, folder, panes]))
    open(os.path.join(here, 'busy.ani'), 'wb').write(ani())
