#!/usr/bin/env python3
"""Draws the pictures of the settings program's sound, click, click simulation
and dual-monitor pages: the sixteen monitor bitmaps (4 bits per pixel), the
eight double-click test icons and the three click simulation icons (32 x 32,
each with a 16-colour and a 256-colour image).

Run it from anywhere; it writes next to itself. The outputs are committed, so
the build does not need it."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The sixteen colours of the 4-bit images.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, CYAN, WHITE = range(8, 16)


def glyph(rows):
    return [[c == "#" for c in r] for r in rows]


DIGITS = {
    "1": glyph(["..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "#####"]),
    "2": glyph([".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"]),
}
LETTERS = {
    "L": glyph(["##.....", "##.....", "##.....", "##.....", "##.....",
                "##.....", "##.....", "##.....", "#######", "#######"]),
    "R": glyph(["######.", "##...##", "##...##", "##...##", "######.",
                "####...", "##.##..", "##..##.", "##...##", "##...##"]),
}


# ---- Monitor bitmaps ----------------------------------------------------------

def write_bmp4(path, pixels):
    """pixels: rows top to bottom of palette indexes 0-15."""
    height, width = len(pixels), len(pixels[0])
    stride = ((width * 4 + 31) // 32) * 4
    bits = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, index in enumerate(row):
            if x % 2 == 0:
                line[x // 2] |= index << 4
            else:
                line[x // 2] |= index
        bits += line
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in VGA)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(bits), 2835, 2835, 16, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + bits)


def monitor_picture(width, height, digit, dragged):
    """A width x height picture in a bitmap one pixel wider and taller: grey
    frame, screen dark teal with a white digit, or bright cyan with a red one
    while it is dragged."""
    px = [[SILVER] * (width + 1) for _ in range(height + 1)]
    frame = max(3, height // 11)
    for y in range(height):
        for x in range(width):
            edge = x == 0 or y == 0 or x == width - 1 or y == height - 1
            inner = (x == frame - 1 or x == width - frame or y == frame - 1 or y == height - frame)
            inside = frame <= x < width - frame and frame <= y < height - frame
            if edge:
                px[y][x] = GREY
            elif inside:
                px[y][x] = CYAN if dragged else TEAL
            elif inner and frame - 1 <= x <= width - frame and frame - 1 <= y <= height - frame:
                px[y][x] = BLACK
    g = DIGITS[digit]
    screen_h = height - 2 * frame
    scale = max(1, (screen_h * 2 // 3) // len(g))
    gw, gh = len(g[0]) * scale, len(g) * scale
    ox = (width - gw) // 2
    oy = frame + (screen_h - gh) // 2
    ink = RED if dragged else WHITE
    for gy, row in enumerate(g):
        for gx, on in enumerate(row):
            if on:
                for dy in range(scale):
                    for dx in range(scale):
                        px[oy + gy * scale + dy][ox + gx * scale + dx] = ink
    # The column and row beyond the picture are never copied; keep them plain.
    for y in range(height + 1):
        px[y][width] = SILVER
    px[height] = [SILVER] * (width + 1)
    return px


MODES = [("vga", 44, 35), ("svga", 55, 44), ("xga", 70, 56), ("xvga", 79, 63)]


def make_monitor_bitmaps():
    for name, w, h in MODES:
        for monitor in (1, 2):
            for dragged in (False, True):
                path = os.path.join(HERE, "dual_m%d_%s%s.bmp" % (monitor, name, "_drag" if dragged else ""))
                write_bmp4(path, monitor_picture(w, h, str(monitor), dragged))


# ---- Icons -----------------------------------------------------------------------

SS = 4  # supersampling of the icon drawings


class Canvas:
    """A 32 x 32 RGBA drawing, made at SS times the size and averaged down."""

    def __init__(self, background=None):
        n = 32 * SS
        self.n = n
        self.px = [[background] * n for _ in range(n)]

    def fill(self, inside, colour):
        for y in range(self.n):
            fy = (y + 0.5) / SS
            for x in range(self.n):
                if inside((x + 0.5) / SS, fy):
                    self.px[y][x] = colour

    def glyph(self, g, left, top, cell, colour):
        for gy, row in enumerate(g):
            for gx, on in enumerate(row):
                if on:
                    x0, y0 = left + gx * cell, top + gy * cell
                    self.fill(lambda x, y, x0=x0, y0=y0: x0 <= x < x0 + cell and y0 <= y < y0 + cell, colour)

    def pixels(self):
        """32 x 32 of (r, g, b) or None for transparent."""
        out = []
        for y in range(32):
            row = []
            for x in range(32):
                samples = [self.px[y * SS + dy][x * SS + dx] for dy in range(SS) for dx in range(SS)]
                solid = [s for s in samples if s is not None]
                if len(solid) * 2 < len(samples):
                    row.append(None)
                    continue
                row.append(tuple(sum(c[i] for c in solid) // len(solid) for i in range(3)))
            out.append(row)
        return out


def nearest(colour, palette):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        d = sum((a - b) ** 2 for a, b in zip(colour, p))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def palette256():
    pal = list(VGA)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                pal.append((r * 51, g * 51, b * 51))
    while len(pal) < 256:
        v = (len(pal) - 232) * 10 + 8
        pal.append((v, v, v))
    return pal[:256]


def icon_image(pixels, bpp):
    palette = VGA if bpp == 4 else palette256()
    stride = ((32 * bpp + 31) // 32) * 4
    mask_stride = 4
    xor = bytearray()
    andm = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        mline = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is None:
                index = 0
                mline[x // 8] |= 0x80 >> (x % 8)
            else:
                index = nearest(c, palette)
            if bpp == 4:
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            else:
                line[x] = index
        xor += line
        andm += mline
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, bpp, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return info + pal + bytes(xor) + bytes(andm)


def write_ico(path, canvas):
    pixels = canvas.pixels()
    images = [(4, icon_image(pixels, 4)), (8, icon_image(pixels, 8))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for bpp, data in images:
        out += struct.pack("<BBBBHHII", 32, 32, 16 if bpp == 4 else 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def sun(frame):
    c = Canvas()
    ray_colours = [(255, 255, 0), (255, 128, 0), (0, 255, 255), (255, 0, 255)]
    colour = ray_colours[frame]
    turn = frame * math.pi / 24
    rays = 12

    def ray(x, y):
        dx, dy = x - 16, y - 16
        r = math.hypot(dx, dy)
        if r < 9.5 or r > 15.5:
            return False
        a = (math.atan2(dy, dx) - turn) % (2 * math.pi / rays)
        half = 2 * math.pi / rays / 2
        width = (1.6 if (int((math.atan2(dy, dx) - turn) // (2 * math.pi / rays)) + frame) % 2 else 1.1)
        return abs(a - half) * r < width

    c.fill(ray, colour)
    c.fill(lambda x, y: math.hypot(x - 16, y - 16) <= 8, (255, 0, 0))
    return c


def moon(frame):
    c = Canvas((0, 0, 128))
    c.fill(lambda x, y: math.hypot(x - 13, y - 12) <= 8 and math.hypot(x - 17, y - 9) > 7, (255, 255, 0))
    cloud = [(12, 24, 5), (18, 22, 6), (24, 25, 4.5), (7, 26, 3.5)]
    c.fill(lambda x, y: any(math.hypot(x - cx, y - cy) <= r for cx, cy, r in cloud) and y <= 29, (160, 160, 160))
    c.fill(lambda x, y: any(math.hypot(x - cx, y - cy) <= r - 1.5 for cx, cy, r in cloud) and y <= 27.5,
           (192, 192, 192))
    stars = [(26, 5), (22, 12), (29, 15), (5, 4), (3, 16), (27, 29)]
    for i, (sx, sy) in enumerate(stars):
        phase = (i + frame) % 4
        if phase == 3:
            continue
        colour = (255, 255, 255) if phase == 0 else (255, 255, 0) if phase == 1 else (128, 128, 128)
        size = 1.5 if phase == 0 else 0.75
        c.fill(lambda x, y, sx=sx, sy=sy, size=size:
               (abs(x - sx - 0.5) <= size and abs(y - sy - 0.5) <= 0.5) or
               (abs(y - sy - 0.5) <= size and abs(x - sx - 0.5) <= 0.5), colour)
    return c


def mouse(marked_left):
    c = Canvas()
    body = lambda x, y: ((x - 10) / 8.5) ** 2 + ((y - 17) / 13.5) ** 2 <= 1
    c.fill(body, (64, 64, 64))
    c.fill(lambda x, y: ((x - 10) / 7.5) ** 2 + ((y - 17) / 12.5) ** 2 <= 1, (240, 240, 240))
    left = lambda x, y: ((x - 10) / 7.5) ** 2 + ((y - 17) / 12.5) ** 2 <= 1 and y < 13 and x < 9.5
    right = lambda x, y: ((x - 10) / 7.5) ** 2 + ((y - 17) / 12.5) ** 2 <= 1 and y < 13 and x > 10.5
    c.fill(left if marked_left else right, (255, 0, 0))
    c.fill(lambda x, y: y >= 13 and y < 14 and body(x, y), (64, 64, 64))
    c.fill(lambda x, y: 9.5 <= x <= 10.5 and y < 14 and body(x, y), (64, 64, 64))
    c.glyph(LETTERS["L" if marked_left else "R"], 18, 11, 2, (0, 0, 255))
    return c


def arrows():
    c = Canvas()
    colour = (0, 128, 0)

    def arc(x, y, start, end):
        r = math.hypot(x - 16, y - 16)
        a = math.degrees(math.atan2(y - 16, x - 16)) % 360
        return 8.5 <= r <= 12 and start <= a <= end

    def head(x, y, tip_angle, direction):
        # A triangle at the end of an arc, pointing along the circle.
        t = math.radians(tip_angle)
        cx, cy = 16 + 10.25 * math.cos(t), 16 + 10.25 * math.sin(t)
        tx, ty = -math.sin(t) * direction, math.cos(t) * direction  # tangent
        nx, ny = math.cos(t), math.sin(t)
        px, py = x - cx, y - cy
        along = px * tx + py * ty
        across = px * nx + py * ny
        return 0 <= along <= 6 and abs(across) <= 6 - along

    c.fill(lambda x, y: arc(x, y, 200, 340) or head(x, y, 340, 1), colour)
    c.fill(lambda x, y: arc(x, y, 20, 160) or head(x, y, 160, 1), (0, 0, 255))
    return c


def make_icons():
    for frame in range(4):
        write_ico(os.path.join(HERE, "click_sun%d.ico" % frame), sun(frame))
        write_ico(os.path.join(HERE, "click_moon%d.ico" % frame), moon(frame))
    write_ico(os.path.join(HERE, "clicksim_mouse_left.ico"), mouse(True))
    write_ico(os.path.join(HERE, "clicksim_mouse_right.ico"), mouse(False))
    write_ico(os.path.join(HERE, "clicksim_arrows.ico"), arrows())


if __name__ == "__main__":
    make_monitor_bitmaps()
    make_icons()
