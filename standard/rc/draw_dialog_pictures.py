#!/usr/bin/env python3
"""Draws the 16-colour pictures of the colour, font and print dialogs (run from this folder)."""
import struct

# The 16 standard colours, by letter.
PALETTE = {
    'k': (0, 0, 0), 'm': (128, 0, 0), 'g': (0, 128, 0), 'o': (128, 128, 0),
    'n': (0, 0, 128), 'p': (128, 0, 128), 't': (0, 128, 128), 'd': (128, 128, 128),
    's': (192, 192, 192), 'r': (255, 0, 0), 'G': (0, 255, 0), 'y': (255, 255, 0),
    'b': (0, 0, 255), 'M': (255, 0, 255), 'c': (0, 255, 255), 'w': (255, 255, 255),
}
ORDER = list(PALETTE)


def write_bmp(name, rows):
    h, w = len(rows), len(rows[0])
    assert all(len(r) == w for r in rows), name
    stride = ((w + 1) // 2 + 3) // 4 * 4
    pixels = b''
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            i = ORDER.index(ch)
            line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE.values())
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(name, 'wb') as f:
        f.write(header + info + palette + pixels)


def slider():
    # A raised grey pointer, its tip pointing down onto the bar (12 x 23).
    rows = []
    for y in range(23):
        if y < 15:
            rows.append('w' + 'ssssssssss' + 'k' if y else 'wwwwwwwwwwwk')
        else:
            inset = y - 14
            mid = 12 - 2 * inset
            if mid <= 0:
                rows.append('sssss' + 'kk' + 'sssss')
                continue
            rows.append('s' * (inset - 1) + 'w' + 's' * mid + 'k' + 's' * (inset - 1))
    rows = [r[:12].ljust(12, 's') for r in rows]
    rows[14] = 'wssssssssssk'
    rows[13] = 'wssssssssdsk'
    return rows


def truetype():
    # Two overlapping letters T, grey behind, black in front, on white (transparent) (12 x 12).
    grid = [['w'] * 12 for _ in range(12)]
    for x in range(0, 7):
        grid[0][x] = 'd'
    for y in range(0, 8):
        grid[y][3] = 'd'
    for x in range(4, 12):
        grid[3][x] = 'k'
        grid[4][x] = 'k'
    for y in range(3, 12):
        grid[y][7] = 'k'
        grid[y][8] = 'k'
    return [''.join(r) for r in grid]


A = [
    '...XX...',
    '..XXXX..',
    '..X..X..',
    '.XX..XX.',
    '.XXXXXX.',
    'XX....XX',
    'XX....XX',
    'XX....XX',
]


def sheet(w, h, letter_scale_x, letter_scale_y):
    # A white sheet with a folded upper right corner, black outline, grey shadow, a black A.
    grid = [['s'] * 32 for _ in range(32)]
    left, top = (32 - w) // 2 - 1, (32 - h) // 2 - 1
    fold = 6
    for y in range(top, top + h):
        for x in range(left, left + w):
            grid[y][x] = 'w'
    for y in range(top + 1, top + h + 1):
        grid[y][left + w] = 'd'
    for x in range(left + 1, left + w + 1):
        grid[top + h][x] = 'd'
    for x in range(left, left + w):
        grid[top][x] = 'k'
        grid[top + h - 1][x] = 'k'
    for y in range(top, top + h):
        grid[y][left] = 'k'
        grid[y][left + w - 1] = 'k'
    for i in range(fold):
        for j in range(fold - i):
            grid[top + i][left + w - 1 - j] = 's'
        grid[top + i][left + w - 1 - (fold - i)] = 'k'
        grid[top + fold][left + w - 1 - i] = 'k'
    grid[top + fold][left + w - 1 - fold] = 'k'
    ax = left + (w - 8 * letter_scale_x) // 2
    ay = top + (h - 8 * letter_scale_y) // 2 + 2
    for y, row in enumerate(A):
        for x, ch in enumerate(row):
            if ch == 'X':
                for dy in range(letter_scale_y):
                    for dx in range(letter_scale_x):
                        grid[ay + y * letter_scale_y + dy][ax + x * letter_scale_x + dx] = 'k'
    return [''.join(r) for r in grid]


write_bmp('SLIDER16.bmp', slider())
write_bmp('TT.bmp', truetype())
write_bmp('Portrait.bmp', sheet(20, 28, 2, 2))
write_bmp('Landscap.bmp', sheet(28, 20, 3, 2))
