#!/usr/bin/env python3
# Draws the site manager tree's four icons (16 and 32 pixels, 32-bit with
# alpha and a mask) into this folder: spare heading, work heading, label, site.
import os, struct

def cabinet(x, y, n):     # a brown box of two drawers: sites kept aside
    if n // 8 <= y < n - n // 8 and n // 8 <= x < n - n // 8:
        if y in (n // 8, n // 2, n - n // 8 - 1) or x in (n // 8, n - n // 8 - 1):
            return (90, 60, 30)
        if abs(x - n // 2) <= max(1, n // 16) and y in (n // 4 + 1, n * 5 // 8 + 1):
            return (60, 40, 20)
        return (200, 150, 90)
    return None

def globe(x, y, n):       # a blue ball with a meridian and a ring: live sites
    c = (n - 1) / 2.0
    d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
    if d > n / 2.0 - 1:
        return None
    if abs(x - c) < 0.8 or abs(y - c) < 0.8 or abs(d - n / 4.0) < 0.7:
        return (230, 240, 255)
    return (40, 100, 200)

def folder(x, y, n):      # a yellow folder: a label
    if n // 4 - 1 <= y < n // 4 + 1 and n // 8 <= x < n // 2:
        return (200, 160, 40)
    if n // 4 + 1 <= y < n - n // 8 and n // 8 <= x < n - n // 8:
        edge = y in (n // 4 + 1, n - n // 8 - 1) or x in (n // 8, n - n // 8 - 1)
        return (160, 120, 20) if edge else (250, 210, 80)
    return None

def computer(x, y, n):    # a screen on a stand: a site
    if n // 8 <= y < n * 5 // 8 and n // 8 <= x < n - n // 8:
        inner = n // 8 + 2 <= y < n * 5 // 8 - 2 and n // 8 + 2 <= x < n - n // 8 - 2
        return (120, 180, 230) if inner else (60, 60, 70)
    if n * 5 // 8 <= y < n * 3 // 4 and n * 3 // 8 <= x < n * 5 // 8:
        return (60, 60, 70)
    if n * 3 // 4 <= y < n * 7 // 8 and n // 4 <= x < n * 3 // 4:
        return (60, 60, 70)
    return None

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
        # The AND mask marks the clear pixels, so a list without alpha (16-bit
        # colour with mask) draws them clear too.
        stride = ((n + 31) // 32) * 4
        mask = b''
        for y in range(n - 1, -1, -1):
            bits = bytearray(stride)
            for x in range(n):
                if draw(x, y, n) is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append((n, header + b''.join(rows) + mask))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(d for _, d in images)

here = os.path.dirname(os.path.abspath(__file__))
for name, draw in (('spareheading', cabinet), ('workheading', globe), ('label', folder), ('site', computer)):
    with open(os.path.join(here, name + '.ico'), 'wb') as f:
        f.write(ico(draw))
