#include "calib_layout.h"

#include <cstdint>

namespace calib {

int RotationFromSettings(uint32_t spinTop, uint32_t driverRotation) {
    uint32_t sum = spinTop + driverRotation;
    if (sum >= 4) sum -= 4;
    return static_cast<int>(sum);
}

bool ArgumentIsS(const char* tail) {
    return tail && (tail[0] == 'S' || tail[0] == 's') && tail[1] == '\0';
}

ScreenGrid ScreenGridFor(int points, int rotation) {
    static const int k3[5] = {100, 2048, 3996, 0, 0};
    static const int k4[5] = {100, 1399, 2697, 3996, 0};
    static const int k5[5] = {100, 1074, 2048, 3022, 3996};
    const bool sideways = EffectiveRotation(rotation) == 1 || EffectiveRotation(rotation) == 3;
    const int* xs = k3;
    const int* ys = k3;
    int cols = 3, rows = 3;
    if (points == 20) {
        cols = sideways ? 4 : 5;
        rows = sideways ? 5 : 4;
        xs = sideways ? k4 : k5;
        ys = sideways ? k5 : k4;
    } else if (points == 12) {
        cols = sideways ? 3 : 4;
        rows = sideways ? 4 : 3;
        xs = sideways ? k3 : k4;
        ys = sideways ? k4 : k3;
    }
    ScreenGrid g = {cols, rows, {}, {}};
    for (int i = 0; i < 5; ++i) {
        g.x[i] = i < cols ? xs[i] : 0;
        g.y[i] = i < rows ? ys[i] : 0;
    }
    return g;
}

void GridPixel(const ScreenGrid& g, int index, int w, int h, int* px, int* py) {
    *px = (g.x[index % g.cols] * w) / 4096;
    *py = (g.y[index / g.cols] * h) / 4096;
}

int PanelIndex(int s, int points, int rotation) {
    const int C = points == 20 ? 5 : points == 12 ? 4 : 3;
    const int R = points == 20 ? 4 : 3;
    const int N = C * R;
    const int rot = EffectiveRotation(rotation);
    const int screenCols = (rot == 1 || rot == 3) ? R : C;
    const int r = s / screenCols, c = s % screenCols;
    switch (rot) {
    case 1: return (R - 1 - c) * C + r;
    case 2: return N - 1 - s;
    case 3: return c * C + (C - 1 - r);
    default: return s;
    }
}

bool IsMonitor2(uint32_t ncomm, bool secondDriverPresent, bool argumentS) {
    return (ncomm & 0x1) && secondDriverPresent && argumentS;
}

Placement PlaceCalibWindow(const PlacementInput& in) {
    Placement p = {0, 0, in.screenWidth, in.screenHeight, false};
    const int w1 = static_cast<int>(in.resolutionX & 0xFFF), h1 = static_cast<int>(in.resolutionY & 0xFFF);
    const int w2 = static_cast<int>((in.resolutionX >> 16) & 0xFFF);
    const int h2 = static_cast<int>((in.resolutionY >> 16) & 0xFFF);
    // A monitor stored 0 pixels wide or high would give a window that nobody
    // can see or touch: the whole primary screen is covered instead.
    if (IsMonitor2(in.ncomm, in.secondDriverPresent, in.argumentS)) {
        p.monitor2 = true;
        if (w2 == 0 || h2 == 0) return p;
        p.width = w2;
        p.height = h2;
        switch ((in.ncomm & 0xF0) >> 4) {
        case 0: p.x = -w2; p.y = -h2; break;
        case 1: p.x = 0; p.y = -h2; break;
        case 2: p.x = w1; p.y = -h2; break;
        case 3: p.x = -w2; p.y = 0; break;
        case 5: p.x = -w2; p.y = h1; break;
        case 6: p.x = 0; p.y = h1; break;
        case 7: p.x = w1; p.y = h1; break;
        default: p.x = w1; p.y = 0; break;  // 4, and 8-15 as 4
        }
        if (in.rotation == 1 || in.rotation == 3) {
            p.width = h2;
            p.height = w2;
        }
    } else if ((in.ncomm & 0x1) && !in.argumentS && !(in.ncomm & 0x2) && w1 != 0 && h1 != 0) {
        p.width = w1;
        p.height = h1;
    }
    return p;
}

SweepChoice ChooseSweep(int p, int i, int cols, int rows) {
    const SweepChoice none = {SWEEP_NONE, 0};
    const int n = cols * rows;
    if (n != 9 && n != 12 && n != 20) return none;
    if (p < 0 || p >= n || i < 0 || i >= n || p == i) return none;
    const int pr = p / cols, pc = p % cols, ir = i / cols, ic = i % cols;
    if (pr == ir) {
        if (ic == pc - 1) return {SWEEP_LEFT, 20};
        if (ic == pc + 1) return {SWEEP_RIGHT, 20};
        if (ic == 0 && pc == cols - 1) return {SWEEP_LEFT, 40};
        if (ic == cols - 1 && pc == 0) return {SWEEP_RIGHT, 40};
    }
    if (pc == ic) {
        if (ir == pr - 1) return {SWEEP_UP, 20};
        if (ir == pr + 1) return {SWEEP_DOWN, 20};
        if (ir == 0 && pr == rows - 1) return {SWEEP_UP, 40};
        if (ir == rows - 1 && pr == 0) return {SWEEP_DOWN, 40};
    }
    if (i == p + 1 && pc == cols - 1 && ic == 0) return {SWEEP_DIAGONAL, 40};
    return none;
}

std::vector<int> SweepStops(int from, int to, bool down, int every) {
    std::vector<int> stops;
    if (every <= 0) return stops;
    for (int k = from; down ? k >= to : k <= to; k += down ? -1 : 1)
        if (k % every == 0) stops.push_back(k);
    return stops;
}

int DiagonalStageY(int x0, int y0, int y1, int k) {
    if (x0 <= 0) return y0;
    // Left to right with truncating divisions; 64-bit keeps large windows exact.
    int64_t part = (int64_t{100000} * (x0 - k)) / x0;
    return static_cast<int>(y0 + part * (y1 - y0) / 100000);
}

int ArrowMove(int index, ArrowKey key, int cols, int rows) {
    int col = index % cols, row = index / cols;
    switch (key) {
    case ARROW_LEFT: col = col == 0 ? cols - 1 : col - 1; break;
    case ARROW_RIGHT: col = col == cols - 1 ? 0 : col + 1; break;
    case ARROW_UP: row = row == 0 ? rows - 1 : row - 1; break;
    case ARROW_DOWN: row = row == rows - 1 ? 0 : row + 1; break;
    }
    return row * cols + col;
}

bool InHelpBand(int y, int h, int lineHeight, bool atTop) {
    return atTop ? y <= lineHeight + 1 : y >= h - lineHeight - 1;
}

bool SetCursorVisibility(CursorState* st, int mode, ShowCursorFn showCursor, void* context) {
    const bool was = st->shown;
    const bool show = mode == CURSOR_SHOW || (mode == CURSOR_TOGGLE && !st->shown);
    const bool hide = mode == CURSOR_HIDE || (mode == CURSOR_TOGGLE && st->shown);
    if (show && !st->shown) {
        st->shown = true;
        for (int i = 0; i < st->hideCount; ++i) showCursor(true, context);
        st->hideCount = 0;
    } else if (hide && st->shown) {
        st->shown = false;
        if (showCursor(true, context) >= 0) {
            int calls = 0;
            // Each call lowers the count by one; the bound only guards against
            // a counter that does not move.
            do {
                ++calls;
            } while (showCursor(false, context) >= 0 && calls < 100000);
            st->hideCount = calls - 1;
        } else {
            st->hideCount = 0;
            showCursor(false, context);
        }
    }
    return was;
}

}  // namespace calib
