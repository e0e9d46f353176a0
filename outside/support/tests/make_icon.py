#!/usr/bin/env python3
"""Writes a small icon file (32x32 and 16x16, 32 bits per pixel) for the tests' resources:
   make_icon.py OUTPUT.ico"""
import struct
import sys


def image(size, bgra):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytes(bgra) * (size * size)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_row * size)


def main():
    images = [(32, image(32, (0, 0, 255, 255))), (16, image(16, (0, 255, 0, 255)))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


main()
