#!/usr/bin/env python3
"""Draws the value list's pictures of the registry browser (run from this folder), 16 x 16, 16
colours on white (the transparent colour): registry_text.bmp, a red "ab" for text values, and
registry_binary.bmp, blue-green "011" over "110" for every other value."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
GREY, RED, TEAL, WHITE = 7, 9, 6, 15
W = H = 16

# 3 x 5 digits and 4 x 7 letters.
GLYPHS = {
    '0': ["111", "101", "101", "101", "111"],
    '1': ["010", "110", "010", "010", "111"],
    'a': ["0000", "0110", "0001", "0111", "1001", "1001", "0111"],
    'b': ["1000", "1000", "1110", "1001", "1001", "1001", "1110"],
}


def draw(text_rows, colour):
    canvas = [[WHITE] * W for _ in range(H)]
    for top, left, text, gap in text_rows:
        x = left
        for ch in text:
            glyph = GLYPHS[ch]
            for dy, row in enumerate(glyph):
                for dx, bit in enumerate(row):
                    if bit == '1':
                        canvas[top + dy][x + dx] = colour
            x += len(glyph[0]) + gap
    # A grey frame, as the registry editor's value pictures have.
    for i in range(1, W - 1):
        canvas[1][i] = canvas[H - 2][i] = GREY
        canvas[i][1] = canvas[i][W - 2] = GREY
    return canvas


def save(name, rows):
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
    with open(name, 'wb') as f:
        f.write(header + info + palette + data)


save('registry_text.bmp', draw([(5, 3, "ab", 1)], RED))
save('registry_binary.bmp', draw([(3, 3, "011", 0), (9, 3, "110", 0)], TEAL))
