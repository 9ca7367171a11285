#!/usr/bin/env python3
"""Turns the text pictures in this folder (32 x 32, one letter a pixel) into
the program's .ico files: one 32-bit image with its AND mask.
Run it after changing a picture: python3 make_icons.py"""
import os
import struct

COLOURS = {
    'K': (0, 0, 0), 'Y': (0xF3, 0xC3, 0x20), 'O': (0x8B, 0x55, 0x23), 'S': (0xF3, 0xCF, 0xAB),
    'B': (0x33, 0x57, 0xEF), 'G': (0x23, 0x93, 0x00), 'W': (0xF3, 0xF3, 0xF3), 'R': (0xB3, 0x00, 0x00),
}
SIDE = 32


def read_picture(path):
    rows = [line.rstrip('\n') for line in open(path) if not line.startswith('#')]
    rows = [r for r in rows if r]
    assert len(rows) == SIDE and all(len(r) == SIDE for r in rows), path
    return rows


def icon_bytes(rows):
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom up
        bits = 0
        for x, ch in enumerate(row):
            if ch == '.':
                pixels += bytes((0, 0, 0, 0))
                bits |= 1 << (31 - x)
            else:
                r, g, b = COLOURS[ch]
                pixels += bytes((b, g, r, 255))
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, SIDE, SIDE * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', SIDE, SIDE, 0, 0, 1, 32, len(image), 22)
    return directory + image


here = os.path.dirname(os.path.abspath(__file__))
for name in ('zandrek', 'banner'):
    with open(os.path.join(here, '..', name + '.ico'), 'wb') as out:
        out.write(icon_bytes(read_picture(os.path.join(here, name + '.txt'))))
