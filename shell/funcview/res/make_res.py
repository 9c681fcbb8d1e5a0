#!/usr/bin/env python3
# Draws the queue page's five button icons (16 and 32 pixels, 32-bit with
# alpha) and the queue list's status strip (five 16x16 images on magenta, 24-bit)
# into this folder.
import os, struct

def arrow(up):
    def draw(x, y, n):
        c = (n - 1) / 2.0
        t = y if up else n - 1 - y
        if n // 8 <= t < n // 2 and abs(x - c) <= (t - n // 8) + 0.5:
            return (40, 110, 200)
        if n // 2 <= t < n - n // 8 and abs(x - c) <= n / 8.0:
            return (40, 110, 200)
        return None
    return draw

def play(x, y, n):         # a triangle pointing right
    c = (n - 1) / 2.0
    left, right = n // 4, n - n // 8
    if left <= x < right and abs(y - c) <= (right - x) * 0.55:
        return (40, 170, 60)
    return None

def stop(x, y, n):
    if n // 4 <= x < n - n // 4 and n // 4 <= y < n - n // 4:
        return (200, 50, 40)
    return None

def cross(x, y, n):
    if n // 8 <= x < n - n // 8 and (abs(x - y) <= n / 12.0 or abs(x - (n - 1 - y)) <= n / 12.0):
        return (190, 30, 30)
    return None

def ico(draw):
    images = []
    for n in (16, 32):
        rows = []
        for y in range(n - 1, -1, -1):
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

# Status images: 0 waiting (grey pause), 1 working (green play), 2 queued
# (blue clock), 3 error (red cross), 4 finished (green tick).
def status(i, x, y):
    n = 16
    if i == 0:
        return (120, 120, 120) if 4 <= y < 12 and (4 <= x < 7 or 9 <= x < 12) else None
    if i == 1:
        return play(x, y, n)
    if i == 2:
        d = ((x - 7.5) ** 2 + (y - 7.5) ** 2) ** 0.5
        if d <= 6.5:
            if (x in (7, 8) and 3 <= y <= 8) or (y in (7, 8) and 7 <= x <= 11):
                return (255, 255, 255)
            return (40, 110, 200)
        return None
    if i == 3:
        return cross(x, y, n)
    if (y == 13 - x + 2 and 5 <= x <= 13) or (y == 14 - x + 2 and 5 <= x <= 13) or \
       (y == x + 5 and 2 <= x <= 6) or (y == x + 4 and 2 <= x <= 6):
        return (30, 150, 50)
    return None

def strip():
    w, h = 16 * 5, 16
    stride = (w * 3 + 3) & ~3
    rows = b''
    for y in range(h - 1, -1, -1):
        row = b''
        for x in range(w):
            c = status(x // 16, x % 16, y) or (255, 0, 255)
            row += struct.pack('BBB', c[2], c[1], c[0])
        rows += row + b'\0' * (stride - w * 3)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(rows), 0, 0, 54) + info + rows

# Each icon as its images (RT_ICON, ids from base) and its directory
# (RT_GROUP_ICON): written out so funcview.rc can number the images itself,
# clear of the ids windres gives the ICON statements of other resource files
# linked into the same program.
def icon_parts(draw, base):
    data = ico(draw)
    count = struct.unpack_from('<H', data, 4)[0]
    images, group = [], struct.pack('<HHH', 0, 1, count)
    for i in range(count):
        w, h, colors, res, planes, bits, size, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        images.append(data[offset:offset + size])
        group += struct.pack('<BBBBHHIH', w, h, colors, res, planes, bits, size, base + i)
    return images, group

here = os.path.dirname(os.path.abspath(__file__))
icons = (('delete', cross), ('down', arrow(False)), ('start', play), ('up', arrow(True)), ('stop', stop))
for k, (name, draw) in enumerate(icons):
    images, group = icon_parts(draw, 19200 + 2 * k)
    for i, image in enumerate(images):
        with open(os.path.join(here, '%s_%d.dib' % (name, i)), 'wb') as f:
            f.write(image)
    with open(os.path.join(here, name + '.grp'), 'wb') as f:
        f.write(group)
with open(os.path.join(here, 'status.bmp'), 'wb') as f:
    f.write(strip())
