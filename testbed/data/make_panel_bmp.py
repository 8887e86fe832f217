#!/usr/bin/env python3
"""Writes panel.bmp, the test bed's picture of the touch panel that the driver
package would place in the system directory: an 8-bit bottom-up bitmap with a
256-entry colour table, 300 x 220 pixels (it fits the first settings page).

    make_panel_bmp.py <output>
"""
import struct
import sys

W, H = 300, 220
PALETTE = {
    "page": (212, 208, 200),
    "bezel": (64, 64, 72),
    "edge": (120, 120, 130),
    "glass": (196, 220, 236),
    "grid": (150, 180, 205),
    "cross": (200, 30, 30),
    "stand": (90, 90, 98),
}
NAMES = list(PALETTE)


def colour(name):
    return NAMES.index(name)


def picture():
    px = [[colour("page")] * W for _ in range(H)]

    def fill(x0, y0, x1, y1, name):
        for y in range(max(0, y0), min(H, y1)):
            for x in range(max(0, x0), min(W, x1)):
                px[y][x] = colour(name)

    fill(20, 10, 280, 190, "edge")         # frame
    fill(24, 14, 276, 186, "bezel")
    fill(40, 28, 260, 172, "glass")        # the touch surface
    for i in range(1, 4):                  # calibration grid
        fill(40 + i * 55, 28, 41 + i * 55, 172, "grid")
        fill(40, 28 + i * 36, 260, 29 + i * 36, "grid")
    for cx in (62, 150, 238):              # nine targets
        for cy in (46, 100, 154):
            fill(cx - 6, cy, cx + 7, cy + 1, "cross")
            fill(cx, cy - 6, cx + 1, cy + 7, "cross")
    fill(135, 190, 165, 204, "stand")      # foot
    fill(100, 204, 200, 212, "stand")
    return px


def main(path):
    px = picture()
    stride = (W + 3) & ~3
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE.values())
    table += b"\0" * (256 * 4 - len(table))
    bits = b"".join(bytes(row) + b"\0" * (stride - W) for row in reversed(px))
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(bits), 2835, 2835, len(PALETTE), 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + table + bits)


if __name__ == "__main__":
    main(sys.argv[1])
