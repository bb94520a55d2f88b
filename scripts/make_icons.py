#!/usr/bin/env python3
"""Draws the program's icons and cursor and writes them into res/.

  quillbox.ico  the program: a note card with blue lines and an orange quill
  notefile.ico  the note document: a white sheet with a grey outline and a
                folded top-right corner on a transparent background
  hand.cur      the About box's link cursor: a monochrome hand, index finger
                up, hot spot at the fingertip (11, 6)

Each icon holds 32x32 and 16x16 images in 16 colours and 16x16 in 256 colours
(the program's icon also 32x32 in 256). Run it again after changing a drawing:
  python3 scripts/make_icons.py
"""
import os
import struct

TRANSPARENT = None
# Palette shared by all images: index 0 is what transparent pixels hold.
PALETTE = [
    (0, 0, 0),        # 0 black (under the mask)
    (255, 255, 255),  # 1 white
    (128, 128, 128),  # 2 grey outline
    (239, 239, 239),  # 3 the window's background grey
    (102, 102, 255),  # 4 the note's blue
    (255, 102, 0),    # 5 the link's orange
    (64, 64, 64),     # 6 dark grey
    (192, 192, 192),  # 7 light grey
]


def blank(size):
    return [[TRANSPARENT] * size for _ in range(size)]


def note_sheet(size):
    """The note document: sheet, outline, folded corner."""
    img = blank(size)
    if size == 32:
        left, top, right, bottom, fold = 6, 2, 25, 29, 7
    else:
        left, top, right, bottom, fold = 2, 1, 13, 14, 4
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            # Above the fold's diagonal the sheet is cut away.
            if x - (right - fold) > y - top:
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            img[y][x] = 2 if edge else 1
    # The folded-over flap: outlined, white inside.
    for y in range(top, top + fold + 1):
        for x in range(right - fold, right + 1):
            if x - (right - fold) <= y - top:
                flap_edge = x == right - fold or y == top + fold or x - (right - fold) == y - top
                img[y][x] = 2 if flap_edge else 1
    return img


def program_icon(size):
    """A light card with the note's blue lines and an orange quill across it."""
    img = blank(size)
    s = size / 32.0
    left, top, right, bottom = int(3 * s), int(3 * s), int(27 * s), int(29 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            img[y][x] = 4 if edge else 3
    step = 5 if size == 32 else 3
    for y in range(top + step, bottom - 1, step):
        for x in range(left + 2, right - int(6 * s)):
            img[y][x] = 4
    # The quill: a thick orange diagonal with a dark nib at the lower left.
    for i in range(int(8 * s), size - 1):
        x, y = i, size - 1 - i
        for dx in range(-int(s), int(2 * s) + 1):
            xx = x + dx
            if 0 <= xx < size and 0 <= y < size:
                img[y][xx] = 5
    nib = int(8 * s)
    for d in range(int(2 * s) + 1):
        if nib - d >= 0:
            img[size - 1 - nib + d][nib - d] = 6
    return img


def dib(img, bits):
    size = len(img)
    colors = 1 << bits
    palette = PALETTE + [(0, 0, 0)] * (colors - len(PALETTE))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colors, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    xor_rows, and_rows = [], []
    for row in reversed(img):  # bottom-up
        if bits == 4:
            data = bytearray()
            for x in range(0, size, 2):
                a = row[x] or 0
                b = row[x + 1] or 0
                data.append((a << 4) | b)
        else:
            data = bytearray((p or 0) for p in row)
        while len(data) % 4:
            data.append(0)
        xor_rows.append(bytes(data))
        mask = bytearray((size + 7) // 8)
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)
        while len(mask) % 4:
            mask.append(0)
        and_rows.append(bytes(mask))
    return header + pal + b''.join(xor_rows) + b''.join(and_rows)


def write_ico(path, images):
    """images: list of (pixels, bits)."""
    count = len(images)
    entries, blobs = b'', b''
    offset = 6 + 16 * count
    for img, bits in images:
        blob = dib(img, bits)
        size = len(img)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 16 if bits == 4 else 0, 0, 1, bits,
                               len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, count) + entries + blobs)


HAND = [
    "",
    "",
    "",
    "",
    "",
    "",
    "           XX",
    "          X..X",
    "          X..X",
    "          X..X",
    "          X..X",
    "          X..X",
    "          X..XXX",
    "          X..X..XX",
    "          X..X..X.XX",
    "          X..X..X.X.X",
    "     XX   X..X..X.X..X",
    "     X.X  X.........X",
    "     X..X X.........X",
    "      X..XX.........X",
    "       X............X",
    "        X...........X",
    "        X..........X",
    "         X.........X",
    "         X........X",
    "          X.......X",
    "          X.......X",
    "          XXXXXXXXX",
]
HAND_HOT_SPOT = (11, 6)


def write_cursor(path, rows, hot_spot):
    """A 32x32 monochrome cursor: X black, . white, anything else transparent."""
    size = 32
    grid = [(row + ' ' * size)[:size] for row in rows] + [' ' * size] * (size - len(rows))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('BBBB', 0, 0, 0, 0) + struct.pack('BBBB', 255, 255, 255, 0)
    xor_rows, and_rows = b'', b''
    for row in reversed(grid):
        xor = bytearray(4)
        mask = bytearray(4)
        for x, c in enumerate(row):
            if c == '.':
                xor[x // 8] |= 0x80 >> (x % 8)
            elif c != 'X':
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_rows += bytes(xor)
        and_rows += bytes(mask)
    blob = header + palette + xor_rows + and_rows
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hot_spot[0], hot_spot[1], len(blob), 6 + 16)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 2, 1) + entry + blob)


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
    write_ico(os.path.join(res, 'notefile.ico'),
              [(note_sheet(32), 4), (note_sheet(16), 8), (note_sheet(16), 4)])
    write_cursor(os.path.join(res, 'hand.cur'), HAND, HAND_HOT_SPOT)
    write_ico(os.path.join(res, 'quillbox.ico'),
              [(program_icon(32), 4), (program_icon(16), 4), (program_icon(32), 8), (program_icon(16), 8)])


if __name__ == '__main__':
    main()
