#!/usr/bin/env python3
"""Draws Warning.bmp, the duplicate-files dialog's warning sign (run from this folder): a yellow
triangle with a black border and exclamation mark on light grey, 32 x 32, 16 colours."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREY, YELLOW = 0, 8, 11
W = H = 32


def pixel(x, y):
    # The triangle: apex at the top centre, base at row 29.
    top, base = 2, 29
    if y < top or y > base:
        return GREY
    half = (y - top) * 15.5 / (base - top)
    dx = abs(x + 0.5 - 16)
    if dx > half + 0.5:
        return GREY
    if dx > half - 1.5 or y >= base - 1:
        return BLACK
    if 14 <= x <= 17 and (10 <= y <= 20 or 23 <= y <= 25):
        return BLACK
    return YELLOW


rows = [[pixel(x, y) for x in range(W)] for y in range(H)]
stride = (W // 2 + 3) // 4 * 4
data = b''
for row in reversed(rows):
    line = bytearray(stride)
    for x, c in enumerate(row):
        line[x // 2] |= c << (4 if x % 2 == 0 else 0)
    data += bytes(line)
palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
offset = 14 + 40 + len(palette)
header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 4, 0, len(data), 2835, 2835, 16, 0)
with open('Warning.bmp', 'wb') as f:
    f.write(header + info + palette + data)
