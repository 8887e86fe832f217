// Screen-side rules of the calibration program: the on-screen target grid for
// a point count and rotation, where a screen target lies on the unrotated
// panel, the rectangle the window covers, target pixels, guide-sweep choice,
// arrow-key moves and the cursor's display count. Portable: no Windows header.
#pragma once
#include <cstdint>
#include <vector>

namespace calib {

// ---- Settings -------------------------------------------------------------
// SpinTop plus the driver's quarter turns, as unsigned; 4 or more loses 4 once
// (3 + 3 gives 2; 8 and more stays out of range and then acts as 0).
int RotationFromSettings(uint32_t spinTop, uint32_t driverRotation);
// 1, 2 and 3 act as themselves; every other value acts as 0.
inline int EffectiveRotation(int rotation) {
    return (rotation == 1 || rotation == 2 || rotation == 3) ? rotation : 0;
}
// The command tail selects monitor 2: it equals "S" whole, in either case.
bool ArgumentIsS(const char* tail);

// ---- On-screen grid ---------------------------------------------------------
// Columns across the window and rows down, positions in 1/4096 of its width
// and height; slots beyond the grid hold 0.
struct ScreenGrid {
    int cols, rows;
    int x[5];
    int y[5];
};
ScreenGrid ScreenGridFor(int points, int rotation);
inline int GridCount(const ScreenGrid& g) { return g.cols * g.rows; }
// Pixel of screen index i inside a window of width w and height h (32-bit, truncated).
void GridPixel(const ScreenGrid& g, int index, int w, int h, int* px, int* py);

// Panel index (unrotated panel grid, row by row) that screen index s stands
// for; s itself for rotation values other than 1-3.
int PanelIndex(int screenIndex, int points, int rotation);

// ---- Window rectangle ---------------------------------------------------------
struct PlacementInput {
    int screenWidth, screenHeight;  // the primary screen
    uint32_t resolutionX, resolutionY, ncomm;
    bool secondDriverPresent;
    bool argumentS;
    int rotation;
};
struct Placement {
    int x, y, width, height;
    bool monitor2;  // the panel of monitor 2 is calibrated: the driver gets calibration mode 2
};
// Monitor 2 with "S", nComm bit 0 and the second driver's key.
bool IsMonitor2(uint32_t ncomm, bool secondDriverPresent, bool argumentS);
Placement PlaceCalibWindow(const PlacementInput& in);

// ---- Drawing rules ------------------------------------------------------------
enum SweepKind { SWEEP_NONE, SWEEP_LEFT, SWEEP_RIGHT, SWEEP_UP, SWEEP_DOWN, SWEEP_DIAGONAL };
struct SweepChoice {
    SweepKind kind;
    int step;  // 20 or 40; 0 with SWEEP_NONE
};
// The guide sweep from anchor p to new index i on a cols x rows screen grid.
SweepChoice ChooseSweep(int anchor, int index, int cols, int rows);

// The stops of one pass of a guide sweep: k walks one pixel at a time from
// `from` to `to`, both included (downward or upward), and stops wherever k is
// a multiple of `every`. A walk whose start lies beyond its end makes no stop.
std::vector<int> SweepStops(int from, int to, bool down, int every);

// Height of the diagonal sweep's stage at x = k: the path heads from the old
// target toward the window's left edge at the new row's height. 0 < x0 is
// required; with x0 <= 0 the sweep has no stages (DiagonalHasStages).
int DiagonalStageY(int x0, int y0, int y1, int k);
inline bool DiagonalHasStages(int x0) { return x0 > 0; }

enum ArrowKey { ARROW_LEFT, ARROW_UP, ARROW_RIGHT, ARROW_DOWN };
// Index after an arrow key, wrapping around the row or the column.
int ArrowMove(int index, ArrowKey key, int cols, int rows);

// The two prompt lines of the calibration screen: top of line 1 and line 2.
inline int PromptLine1Y(int h, int lineHeight) { return (3 * h) / 4 - 2 * lineHeight + 30; }
inline int PromptLine2Y(int h, int /*lineHeight*/) { return (3 * h) / 4 + 30; }
// The test screen's help band, where the trail is not drawn.
bool InHelpBand(int y, int h, int lineHeight, bool atTop);

// ---- Cursor --------------------------------------------------------------------
// Shows and hides the cursor through the system's display counter (a
// ShowCursor-like call that returns the new count), remembering how far a hide
// went so that the next show undoes it exactly.
struct CursorState {
    bool shown = true;
    int hideCount = 0;
};
using ShowCursorFn = int (*)(bool show, void* context);
enum CursorMode { CURSOR_HIDE = 0, CURSOR_SHOW = 1, CURSOR_TOGGLE = 2 };
// Returns the shown flag as it was before the call.
bool SetCursorVisibility(CursorState* state, int mode, ShowCursorFn showCursor, void* context);

}  // namespace calib
