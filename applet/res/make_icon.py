#!/usr/bin/env python3
"""Draws the control panel applet's icon: a touch panel seen at an angle, its
screen lit, with a stylus touching it.

Run from this folder; writes applet.ico (16 colours, 32 x 32 and 16 x 16).
The resident program carries the same file as its own file icon. The palette
and the icon file writer come from the resident program's icon script.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resident", "res"))
from make_icons import BLACK, GRAY, RED, SILVER, WHITE, YELLOW, canvas, write_icon  # noqa: E402

BLUE, AQUA = 12, 14


def inside_quad(px, py, quad):
    """Point inside a convex quadrilateral given clockwise (screen coordinates)."""
    sign = 0
    for i in range(4):
        (x0, y0), (x1, y1) = quad[i], quad[(i + 1) % 4]
        cross = (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0)
        if cross != 0:
            s = 1 if cross > 0 else -1
            if sign and s != sign:
                return False
            sign = s
    return True


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


def draw_applet(size):
    img = canvas(size)
    s = size / 32.0
    # The panel lies back: its far edge is shorter and higher than the near one.
    outer = [(7, 9), (27, 9), (31, 27), (1, 27)]
    # The screen inside the bezel, a fifth of the way in on every side.
    def inset(t_u, t_v):
        top = lerp(outer[0], outer[1], t_u)
        bottom = lerp(outer[3], outer[2], t_u)
        return lerp(top, bottom, t_v)
    screen = [inset(0.08, 0.12), inset(0.92, 0.12), inset(0.92, 0.86), inset(0.08, 0.86)]
    for y in range(size):
        for x in range(size):
            px, py = (x + 0.5) / s, (y + 0.5) / s
            if inside_quad(px, py, screen):
                img[y][x] = BLUE if py > 13 + (px - 6) * 0.3 else AQUA
            elif inside_quad(px, py, outer):
                img[y][x] = SILVER
    # Bezel outline and the shadow of its near edge.
    for y in range(size):
        for x in range(size):
            if img[y][x] is None:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if not (0 <= nx < size and 0 <= ny < size) or img[ny][nx] is None:
                    img[y][x] = BLACK if dy != 1 else GRAY
                    break
    # The stylus comes down from the upper right; its tip touches the screen.
    tip = (17.0, 19.0)
    end = (30.0, 1.0)
    steps = int(48 * s) + 1
    for i in range(steps + 1):
        t = i / steps
        px, py = lerp(tip, end, t)
        widths = ((0, 0), (1, 0), (0, -1)) if size >= 32 else ((0, 0),)
        for dx, dy in widths:
            x, y = int(px * s) + dx, int(py * s) + dy
            if 0 <= x < size and 0 <= y < size:
                img[y][x] = BLACK if t < 0.12 else (RED if t > 0.85 else YELLOW)
    # Rings round the touch point.
    tx, ty = int(tip[0] * s), int(tip[1] * s)
    ring = ((-3, 1), (-2, 2), (0, 2), (2, 2), (3, 1), (-3, -1), (3, -1)) if size >= 32 else ((-1, 1), (1, 1))
    for dx, dy in ring:
        x, y = tx + dx, ty + dy
        if 0 <= x < size and 0 <= y < size and img[y][x] in (BLUE, AQUA):
            img[y][x] = WHITE
    return img


if __name__ == "__main__":
    write_icon("applet.ico", [draw_applet(32), draw_applet(16)])
