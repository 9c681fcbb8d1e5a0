#!/usr/bin/env python3
# Splits zarn.ico into its images and their directory under ids of our own:
# windres numbers an .rc file's icon images from 1, so two objects that each
# hold an ICON statement would collide when linked together (the linker keeps
# one of each, and an icon shows another's pictures).
import os, struct, sys

FIRST_ID = 19300

def main(folder):
    data = open(os.path.join(folder, "zarn.ico"), "rb").read()
    _, _, count = struct.unpack("<HHH", data[:6])
    group = struct.pack("<HHH", 0, 1, count)
    for i in range(count):
        w, h, colours, res, planes, bits, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        with open(os.path.join(folder, "zarn_%d.dib" % i), "wb") as f:
            f.write(data[offset:offset + size])
        group += struct.pack("<BBBBHHIH", w, h, colours, res, planes, bits, size, FIRST_ID + i)
    with open(os.path.join(folder, "zarn.grp"), "wb") as f:
        f.write(group)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
