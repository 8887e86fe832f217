#!/usr/bin/env python3
"""Draws the resident program's button icons and its blank cursor.

Run from this folder; writes left.ico, right.ico and blank.cur. Icons are
16-colour images at 32 x 32 and 16 x 16 drawn from simple shapes. The
program's file icon is the applet's picture (applet/res/applet.ico, drawn by
applet/res/make_icon.py with the helpers of this script).
"""
import struct

# The standard 16-colour palette (index: r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GRAY, RED, YELLOW, BLUE, AQUA, WHITE = 0, 4, 6, 7, 8, 9, 11, 12, 14, 15
NONE = None  # transparent

FONT_5x5 = {
    "L": ["10000", "10000", "10000", "10000", "11111"],
    "R": ["11110", "10001", "11110", "10010", "10001"],
}
FONT_3x5 = {
    "L": ["100", "100", "100", "100", "111"],
    "R": ["110", "101", "110", "101", "101"],
}


def canvas(size):
    return [[NONE] * size for _ in range(size)]


def inside_mouse(u, v):
    """Mouse body in unit coordinates: a rounded capsule, centre 0.5."""
    cx, half_w = 0.5, 0.27
    top, bottom = 0.08, 0.94
    if v < top or v > bottom:
        return False
    r = half_w
    if v < top + r:
        return (u - cx) ** 2 + (v - (top + r)) ** 2 <= r * r
    if v > bottom - r:
        return (u - cx) ** 2 + (v - (bottom - r)) ** 2 <= r * r
    return abs(u - cx) <= half_w


def draw_mouse(size, marked, letter):
    img = canvas(size)
    split = 0.42  # lower edge of the buttons
    for y in range(size):
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            if not inside_mouse(u, v):
                continue
            if v < split:
                left = u < 0.5
                img[y][x] = RED if (left == (marked == "left")) else SILVER
            else:
                img[y][x] = WHITE
    # Outline: body pixels with a neighbour outside the body.
    out = [row[:] for row in img]
    for y in range(size):
        for x in range(size):
            if img[y][x] is NONE:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if not (0 <= nx < size and 0 <= ny < size) or img[ny][nx] is NONE:
                    out[y][x] = BLACK
    img = out
    # The line between the two buttons and the buttons' lower edge.
    mid = size // 2
    edge = int(split * size)
    for y in range(size):
        for x in range(size):
            if img[y][x] is NONE or img[y][x] == BLACK:
                continue
            if y == edge or (y < edge and x == mid - (1 if size >= 32 else 0)):
                img[y][x] = BLACK
    # The letter on the body.
    font = FONT_5x5 if size >= 32 else FONT_3x5
    glyph = font[letter]
    gw, gh = len(glyph[0]), len(glyph)
    scale = 2 if size >= 32 else 1
    ox = (size - gw * scale) // 2
    oy = edge + (3 if size >= 32 else 2)
    for gy, row in enumerate(glyph):
        for gx, bit in enumerate(row):
            if bit == "1":
                for sy in range(scale):
                    for sx in range(scale):
                        img[oy + gy * scale + sy][ox + gx * scale + sx] = NAVY
    return img


def dib_4bpp(img):
    size = len(img)
    row_bytes = ((size * 4 + 31) // 32) * 4
    mask_row = ((size + 31) // 32) * 4
    xor, andm = bytearray(), bytearray()
    for y in reversed(range(size)):
        row = bytearray(row_bytes)
        mrow = bytearray(mask_row)
        for x in range(size):
            c = img[y][x]
            if c is NONE:
                mrow[x // 8] |= 0x80 >> (x % 8)
                c = 0
            row[x // 2] |= (c << 4) if x % 2 == 0 else c
        xor += row
        andm += mrow
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(xor) + bytes(andm)


def write_icon(path, images):
    blobs = [dib_4bpp(img) for img in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for img, blob in zip(images, blobs):
        size = len(img)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    open(path, "wb").write(bytes(out))


def write_blank_cursor(path):
    size = 32
    xor = bytes(4 * size)           # all black ...
    andm = bytes([0xFF]) * (4 * size)  # ... and every pixel transparent
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = struct.pack("BBBB", 0, 0, 0, 0) + struct.pack("BBBB", 255, 255, 255, 0)
    blob = header + palette + xor + andm
    out = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 0, 0, len(blob), 22)
    open(path, "wb").write(out + blob)


if __name__ == "__main__":
    write_icon("left.ico", [draw_mouse(32, "left", "L"), draw_mouse(16, "left", "L")])
    write_icon("right.ico", [draw_mouse(32, "right", "R"), draw_mouse(16, "right", "R")])
    write_blank_cursor("blank.cur")
