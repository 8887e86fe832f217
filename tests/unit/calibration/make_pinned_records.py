#!/usr/bin/env python3
"""Works out, without the program's own solver, the calibration records that the
tests pin: a rotated, skewed panel with a little unevenness per point (so that
no two triangles share their coefficients), solved with the record's integer
arithmetic and written as C++ word tables.

Run: python3 make_pinned_records.py, and put its tables into pinned_records.h.
"""
import math

GRIDS = {
    #      C  R  target X of the columns            target Y of the rows          u      shift first word
    9:  (3, 3, [100, 2048, 3996],                   [100, 2048, 3996],           65536, 16, 7),
    12: (4, 3, [100, 1399, 2697, 3996],             [100, 2048, 3996],           65536, 16, 8),
    20: (5, 4, [100, 1074, 2048, 3022, 3996],       [100, 1399, 2697, 3996],     16384, 14, 10),
}
WORDS = {9: 55, 12: 80, 20: 160}
HEADER_Y_COLUMN = {9: 1, 12: 1, 20: 2}


def panel_raw(points):
    """Raw (x, y) per panel point, row by row: the panel sits turned by 4 degrees,
    sheared, scaled down and shifted, and each point is off by a few counts."""
    cols, rows, tx, ty = GRIDS[points][:4]
    theta = math.radians(4.0)
    raw = []
    for p in range(cols * rows):
        c, r = p % cols, p // cols
        dx, dy = tx[c] - 2048, ty[r] - 2048
        x = 2100 + 0.90 * (dx * math.cos(theta) - dy * math.sin(theta)) + 0.06 * dy
        y = 1990 + 0.85 * (dx * math.sin(theta) + dy * math.cos(theta))
        x += ((p * 11 + 5) % 29) - 14
        y += ((p * 17 + 3) % 31) - 15
        raw.append((int(round(x)), int(round(y))))
    return raw


def tdiv(a, b):
    """Quotient truncated toward zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def cross3(a, b, c, d, e, f):
    return (b - a) * (f - d) - (c - a) * (e - d)


def in_65536ths(value, shift):
    return (value << 16) >> shift


def word_scale(value, shift):
    v = in_65536ths(value, shift)
    return ((v % 65536) | 1) if v >= 65536 else (v & 0xFFFE)


def word_cross(value, shift):
    v = in_65536ths(value, shift)
    return (((-v) % 65536) | 1) if value < 0 else (v & 0xFFFE)


def word_c(value, shift):
    v = in_65536ths(value, shift)
    return (v & 0xE000) | ((v >> 16) & 0x1FFF)


def word_f(value):
    return value & 0x1FFF


class SolveError(Exception):
    pass


def solve_triangle(pts, tgt, u, shift):
    (x1, y1), (x2, y2), (x3, y3) = pts
    (X1, Y1), (X2, Y2), (X3, Y3) = tgt
    det = cross3(x1, x2, x3, y1, y2, y3)
    if det == 0:
        raise SolveError(100)
    A = tdiv(u * cross3(X1, X2, X3, y1, y2, y3), det)
    if not 0 < A < 2 * u:
        raise SolveError(101)
    B = tdiv(u * cross3(x1, x2, x3, X1, X2, X3), det)
    if not -u < B < u:
        raise SolveError(102)
    C = X1 * u - y1 * B - x1 * A
    if not -4096 * u <= C <= 4095 * u:
        raise SolveError(103)
    D = tdiv(u * cross3(Y1, Y2, Y3, y1, y2, y3), det)
    if not -u < D < u:
        raise SolveError(104)
    E = tdiv(u * cross3(x1, x2, x3, Y1, Y2, Y3), det)
    if not 0 < E < 2 * u:
        raise SolveError(105)
    F = Y1 - ((x1 * D) >> shift) - ((y1 * E) >> shift)
    if not -4096 <= F <= 4095:
        raise SolveError(106)
    return [word_scale(A, shift), word_cross(B, shift), word_c(C, shift),
            word_cross(D, shift), word_scale(E, shift), word_f(F)]


def record(points, raw):
    cols, rows, tx, ty, u, shift, first = GRIDS[points]
    words = [0] * WORDS[points]
    for c in range(cols):
        words[1 + c] = raw[cols + c][0]
    for r in range(rows):
        words[1 + cols + r] = raw[r * cols + HEADER_Y_COLUMN[points]][1]
    w = first
    for i in range(rows - 1):
        for j in range(cols - 1):
            tl = i * cols + j
            tr, bl, br = tl + 1, tl + cols, tl + cols + 1
            words[w:w + 6] = solve_triangle([raw[tl], raw[bl], raw[br]],
                                            [(tx[j], ty[i]), (tx[j], ty[i + 1]), (tx[j + 1], ty[i + 1])], u, shift)
            words[w + 6:w + 12] = solve_triangle([raw[tl], raw[tr], raw[br]],
                                                 [(tx[j], ty[i]), (tx[j + 1], ty[i]), (tx[j + 1], ty[i + 1])], u, shift)
            w += 12
    # Every triangle differs from every other: a record with cells or
    # triangles in another order is another record.
    tris = [tuple(words[k:k + 6]) for k in range(first, w, 6)]
    assert len(set(tris)) == len(tris), points
    return words


def table(name, values, per_line=10, fmt="0x{:04X}"):
    out = ["const uint16_t %s[%d] = {" % (name, len(values))]
    for k in range(0, len(values), per_line):
        out.append("    " + ", ".join(fmt.format(v) for v in values[k:k + per_line]) + ",")
    out.append("};")
    return "\n".join(out)


if __name__ == "__main__":
    for points in (9, 12, 20):
        raw = panel_raw(points)
        print(table("kPinnedRawX%d" % points, [p[0] for p in raw], fmt="{}"))
        print(table("kPinnedRawY%d" % points, [p[1] for p in raw], fmt="{}"))
        print(table("kPinnedRecord%d" % points, record(points, raw)))
        print()
