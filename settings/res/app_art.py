#!/usr/bin/env python3
"""Draws the settings program's icon (resource 128): a touch panel with a
calibration cross-hair and a fingertip, at 32 x 32 and 16 x 16, 32 bits per
pixel with an AND mask. Writes quintrel.ico next to itself; the output is
committed, so the build does not need it."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def draw(size):
    s = size / 32.0
    px = [[None] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = c

    def disc(cx, cy, r, c):
        for y in range(size):
            for x in range(size):
                if ((x + 0.5) / s - cx) ** 2 + ((y + 0.5) / s - cy) ** 2 <= r * r:
                    px[y][x] = c

    rect(1, 3, 31, 25, (64, 64, 72))       # bezel
    rect(3, 5, 29, 23, (40, 110, 190))     # screen
    rect(12, 25, 20, 28, (90, 90, 100))    # stand
    rect(7, 28, 25, 30, (90, 90, 100))
    rect(15, 8, 17, 20, (255, 255, 255))   # cross-hair
    rect(10, 13, 22, 15, (255, 255, 255))
    disc(16, 14, 2.2, (230, 40, 40))       # target centre
    disc(24, 19, 3.5, (240, 200, 160))     # fingertip
    rect(21.5, 19, 26.5, 31, (240, 200, 160))
    return px


def image(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b""
    for y in range(size - 1, -1, -1):
        for x in range(size):
            c = px[y][x]
            xor += struct.pack("BBBB", c[2], c[1], c[0], 255) if c else b"\0\0\0\0"
    stride = ((size + 31) // 32) * 4
    mask = b""
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return header + xor + mask


def main():
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(os.path.join(HERE, "quintrel.ico"), "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
