#!/usr/bin/env python3
"""Draws the installer's and uninstaller's icons.

Run from this folder; writes setup.ico (the program icon), question.ico (the
icon of the installer's question box) and brandoke.ico. Each holds a 32 x 32
and a 16 x 16 image in 32-bit colour with an AND mask.
"""
import struct


def panel(u, v):
    """A touch panel seen from the front: frame, screen and a finger dot."""
    if 0.06 <= u <= 0.94 and 0.14 <= v <= 0.86:
        if 0.16 <= u <= 0.84 and 0.24 <= v <= 0.76:
            if (u - 0.62) ** 2 + (v - 0.46) ** 2 <= 0.012:
                return (255, 255, 255, 255)
            return (40, 110, 200, 255)
        return (70, 70, 80, 255)
    return None


def with_arrow(colour):
    """Panel with a down arrow (install) in the lower right corner."""
    def draw(u, v):
        du, dv = u - 0.74, v - 0.70
        if (abs(du) <= 0.07 and -0.25 <= dv <= 0.02) or (0.0 <= dv <= 0.22 and abs(du) <= 0.22 - dv):
            return colour
        return panel(u, v)
    return draw


def question(u, v):
    """A blue disc with a white question mark."""
    du, dv = u - 0.5, v - 0.5
    r = (du * du + dv * dv) ** 0.5
    if r > 0.46:
        return None
    arc = 0.13 <= ((u - 0.5) ** 2 + (v - 0.36) ** 2) ** 0.5 <= 0.23 and not (v > 0.36 and u < 0.5)
    stem = abs(u - 0.5) <= 0.06 and 0.5 <= v <= 0.64
    dot = (u - 0.5) ** 2 + (v - 0.78) ** 2 <= 0.006
    if arc or stem or dot:
        return (255, 255, 255, 255)
    return (30, 80, 190, 255)


def image(draw, size):
    rows = []
    mask = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        bits = 0
        mrow = []
        for x in range(size):
            # 4 x 4 samples per pixel for smooth edges
            acc = [0, 0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    c = draw((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size)
                    if c:
                        for i in range(4):
                            acc[i] += c[i]
            r, g, b, a = (v // 16 for v in acc)
            row += struct.pack("BBBB", b, g, r, a)
            bits = (bits << 1) | (1 if a == 0 else 0)
            if x % 8 == 7:
                mrow.append(bits)
                bits = 0
        while len(mrow) % 4:
            mrow.append(0)
        rows.append(row)
        mask.append(bytes(mrow))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"".join(mask)


def write_icon(name, draw):
    images = [image(draw, s) for s in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(name, "wb") as f:
        f.write(out + b"".join(images))


write_icon("setup.ico", with_arrow((40, 170, 60, 255)))
write_icon("question.ico", question)
write_icon("brandoke.ico", with_arrow((200, 50, 40, 255)))
