#!/usr/bin/env python3
# Draws the four icons of the shared image lists (16 and 32 pixels, 32-bit
# with alpha) into this folder: local disk, site, server root, connected site.
import os, struct

def disk(x, y, n):        # a grey drive with a green light
    if n // 8 <= y < n - n // 4 and n // 16 <= x < n - n // 16:
        if y >= n - n // 4 - n // 8 and x >= n - n // 4 and x < n - n // 8:
            return (40, 200, 60)
        return (150, 150, 160) if y > n // 8 + 1 else (90, 90, 100)
    return None

def computer(screen):
    def draw(x, y, n):
        if n // 8 <= y < n * 5 // 8 and n // 8 <= x < n - n // 8:
            inner = n // 8 + 2 <= y < n * 5 // 8 - 2 and n // 8 + 2 <= x < n - n // 8 - 2
            return screen if inner else (60, 60, 70)
        if n * 5 // 8 <= y < n * 3 // 4 and n * 3 // 8 <= x < n * 5 // 8:
            return (60, 60, 70)
        if n * 3 // 4 <= y < n * 7 // 8 and n // 4 <= x < n * 3 // 4:
            return (60, 60, 70)
        return None
    return draw

def globe(x, y, n):       # a blue ball with two meridians
    c = (n - 1) / 2.0
    d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
    if d > n / 2.0 - 1:
        return None
    if abs(x - c) < 0.8 or abs(y - c) < 0.8 or abs(d - n / 4.0) < 0.7:
        return (230, 240, 255)
    return (40, 100, 200)

def ico(draw):
    images = []
    for n in (16, 32):
        rows = []
        for y in range(n - 1, -1, -1):   # bottom-up
            row = b''
            for x in range(n):
                c = draw(x, y, n)
                row += struct.pack('BBBB', c[2], c[1], c[0], 255) if c else b'\0\0\0\0'
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
for name, draw in (('localdisk', disk), ('site', computer((170, 170, 180))),
                   ('serverroot', globe), ('siteonline', computer((60, 200, 90)))):
    with open(os.path.join(here, name + '.ico'), 'wb') as f:
        f.write(ico(draw))
