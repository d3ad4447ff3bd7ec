#!/usr/bin/env python3
"""Writes packaging/windows/mirvalentopraxius.ico from the committed PNG icons.

An icon file is a directory of pictures; since Windows Vista each picture may be a whole
PNG file, so the committed PNGs go in unchanged. Explorer and the Start menu pick the
size closest to theirs. Only the standard library is needed.

    python3 tools/make_windows_icon.py
"""

import os
import struct

SIZES = (16, 32, 48, 256)
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
ICON = os.path.join(ROOT, "packaging", "icons", "mirvalentopraxius-{}.png")
OUTPUT = os.path.join(ROOT, "packaging", "windows", "mirvalentopraxius.ico")
HEADER_SIZE = 6
ENTRY_SIZE = 16
ICON_TYPE = 1
PLANES = 1
BITS_PER_PIXEL = 32


def main():
    pictures = []
    for size in SIZES:
        with open(ICON.format(size), "rb") as png:
            pictures.append((size, png.read()))
    out = struct.pack("<HHH", 0, ICON_TYPE, len(pictures))
    offset = HEADER_SIZE + ENTRY_SIZE * len(pictures)
    for size, data in pictures:
        side = size % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, PLANES, BITS_PER_PIXEL, len(data),
                           offset)
        offset += len(data)
    for _, data in pictures:
        out += data
    with open(OUTPUT, "wb") as ico:
        ico.write(out)


if __name__ == "__main__":
    main()
