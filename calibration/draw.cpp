// Everything drawn on the calibration window: the prompt, the red target
// cross, the guide sweeps between targets, the test screen's help line and
// trail, and the cursor's showing and hiding.
#include <string.h>

#include "jostel.h"

static int g_nAnchorIndex = 0;
static int g_nAnchorX = 0, g_nAnchorY = 0;
// The cursor as far as this program is concerned, and how many net hiding
// steps the last hide made (the next show undoes them).
BOOL g_bCursorShown = TRUE;
int g_nCursorHideCount = 0;
static BOOL g_bTrailOpen = FALSE;
static int g_nTrailX = 0, g_nTrailY = 0;

static const char kPromptEnglish[] = "     Please touch the point in the screen.     ";
static const char kPromptJapanese[] = "    表示されている各補正点を入力して下さい。 ";
static const char kCalibHelpEnglish[] =
    " [Home]:Test  [Esc]:Cancel  [Arrow Keys]:Move point  [Enter]:Next Screen";
static const char kCalibHelpJapanese[] =
    "[Home]:テスト画面  [Esc]:補正中止  [←↑↓→]:補正点移動  [Enter]:入力完了";
static const char kTestHelpEnglish[] =
    " [Home]:Calib screen [Tab]:Cursor on/off [Delete]:CLR screen [Insert]:Key Box  [Enter]:Update";
static const char kTestHelpJapanese[] =
    "[Home]:補正画面  [Tab]:カーソル表示  [Delete]:画面消去  [Insert]:キーボックス  [Enter]:終了";

static const COLORREF kRed = RGB(255, 0, 0);
static const COLORREF kWhite = RGB(255, 255, 255);
static const COLORREF kBlack = RGB(0, 0, 0);

static int CountedShowCursor(bool show, void*)
{
    return ShowCursor(show ? TRUE : FALSE);
}

BOOL SetCursorVisibility(int mode)
{
    calib::CursorState state;
    state.shown = g_bCursorShown != FALSE;
    state.hideCount = g_nCursorHideCount;
    const bool was = calib::SetCursorVisibility(&state, mode, CountedShowCursor, nullptr);
    g_bCursorShown = state.shown ? TRUE : FALSE;
    g_nCursorHideCount = state.hideCount;
    return was ? TRUE : FALSE;
}

static void GridPoint(int index, int* x, int* y)
{
    calib::ScreenGrid grid;
    grid.cols = g_nGridCols;
    grid.rows = g_nGridRows;
    for (int i = 0; i < 5; ++i) {
        grid.x[i] = g_nGridX[i];
        grid.y[i] = g_nGridY[i];
    }
    calib::GridPixel(grid, index, g_nWinWidth, g_nWinHeight, x, y);
}

static void CrossStrokes(HDC dc, int x, int y)
{
    MoveToEx(dc, x - 12, y, nullptr);
    LineTo(dc, x + 12, y);
    MoveToEx(dc, x, y - 12, nullptr);
    LineTo(dc, x, y + 12);
}

static void PutOnTop()
{
    SetWindowPos(g_hMainWnd, HWND_TOPMOST, g_nWinX, g_nWinY, g_nWinWidth, g_nWinHeight, SWP_SHOWWINDOW);
}

static int TextWidth(HDC dc, const char* text)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    return size.cx;
}

static void PutText(HDC dc, int x, int y, const char* text)
{
    TextOutA(dc, x, y, text, static_cast<int>(strlen(text)));
}

void DrawCalibPrompt(HDC dc)
{
    Sleep(25);
    PutOnTop();
    if (g_bJapanese && g_hJapaneseFont) SelectObject(dc, g_hJapaneseFont);
    const char* line1 = g_bJapanese ? kPromptJapanese : kPromptEnglish;
    const char* line2 = g_bJapanese ? kCalibHelpJapanese : kCalibHelpEnglish;
    const int w1 = TextWidth(dc, line1), w2 = TextWidth(dc, line2);
    PutText(dc, (g_nWinWidth - w1) / 2, calib::PromptLine1Y(g_nWinHeight, g_nLineHeight), line1);
    PutText(dc, (g_nWinWidth - w2) / 2, calib::PromptLine2Y(g_nWinHeight, g_nLineHeight), line2);
}

void DrawTargetCross(HDC dc, int index)
{
    int x, y;
    GridPoint(index, &x, &y);
    HPEN red = CreatePen(PS_SOLID, 3, kRed);
    HGDIOBJ old = SelectObject(dc, red);
    CrossStrokes(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(red);
}

// A straight sweep: a black line grows from the old target in 20-pixel
// stages along the walk, then is wiped in stages of the step.
static void StraightSweep(HDC dc, int x0, int y0, int x1, int y1, int step, bool horizontal, bool down)
{
    HPEN black = CreatePen(PS_SOLID, 2, kBlack);
    HPEN white = CreatePen(PS_SOLID, 3, kWhite);
    HGDIOBJ old = SelectObject(dc, black);
    const int from = horizontal ? x0 : y0, to = horizontal ? x1 : y1;
    for (int pass = 0; pass < 2; ++pass) {
        const int every = pass == 0 ? 20 : step;
        if (pass == 1) SelectObject(dc, white);
        for (int k : calib::SweepStops(from, to, down, every)) {
            MoveToEx(dc, x0, y0, nullptr);
            if (horizontal)
                LineTo(dc, k, y1);
            else
                LineTo(dc, x1, k);
            Sleep(1);
        }
    }
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(black);
    DeleteObject(white);
}

static void SweepLeft(HDC dc, int x0, int y0, int x1, int y1, int step)
{
    StraightSweep(dc, x0, y0, x1, y1, step, true, true);
}
static void SweepRight(HDC dc, int x0, int y0, int x1, int y1, int step)
{
    StraightSweep(dc, x0, y0, x1, y1, step, true, false);
}
static void SweepUp(HDC dc, int x0, int y0, int x1, int y1, int step)
{
    StraightSweep(dc, x0, y0, x1, y1, step, false, true);
}
static void SweepDown(HDC dc, int x0, int y0, int x1, int y1, int step)
{
    StraightSweep(dc, x0, y0, x1, y1, step, false, false);
}

// From the end of a row to the start of the next: one growing polyline per pass.
static void SweepDiagonal(HDC dc, int x0, int y0, int x1, int y1, int step)
{
    HPEN black = CreatePen(PS_SOLID, 2, kBlack);
    HPEN white = CreatePen(PS_SOLID, 3, kWhite);
    HGDIOBJ old = SelectObject(dc, black);
    for (int pass = 0; pass < 2 && calib::DiagonalHasStages(x0); ++pass) {
        if (pass == 1) SelectObject(dc, white);
        MoveToEx(dc, x0, y0, nullptr);
        for (int k : calib::SweepStops(x0, x1, true, step)) {
            int h = calib::DiagonalStageY(x0, y0, y1, k);
            LineTo(dc, k, h);
            MoveToEx(dc, k, h, nullptr);
            Sleep(1);
        }
    }
    SelectObject(dc, white);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(black);
    DeleteObject(white);
}

void MoveTarget(HDC dc, int index, int mode)
{
    int x, y;
    GridPoint(index, &x, &y);
    HPEN red = CreatePen(PS_SOLID, 3, kRed);
    HPEN white = CreatePen(PS_SOLID, 3, kWhite);
    HGDIOBJ old = SelectObject(dc, white);
    CrossStrokes(dc, g_nAnchorX, g_nAnchorY);
    if (mode == 0) {
        g_nAnchorIndex = index;
        g_nAnchorX = x;
        g_nAnchorY = y;
    } else {
        calib::SweepChoice sweep = calib::ChooseSweep(g_nAnchorIndex, index, g_nGridCols, g_nGridRows);
        switch (sweep.kind) {
        case calib::SWEEP_LEFT: SweepLeft(dc, g_nAnchorX, g_nAnchorY, x, y, sweep.step); break;
        case calib::SWEEP_RIGHT: SweepRight(dc, g_nAnchorX, g_nAnchorY, x, y, sweep.step); break;
        case calib::SWEEP_UP: SweepUp(dc, g_nAnchorX, g_nAnchorY, x, y, sweep.step); break;
        case calib::SWEEP_DOWN: SweepDown(dc, g_nAnchorX, g_nAnchorY, x, y, sweep.step); break;
        case calib::SWEEP_DIAGONAL: SweepDiagonal(dc, g_nAnchorX, g_nAnchorY, x, y, sweep.step); break;
        case calib::SWEEP_NONE: break;
        }
    }
    DrawCalibPrompt(dc);
    SelectObject(dc, red);
    CrossStrokes(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(red);
    DeleteObject(white);
}

void DrawTestHelpLine(HDC dc, BOOL atTop)
{
    if (g_bJapanese && g_hJapaneseFont) SelectObject(dc, g_hJapaneseFont);
    const char* text = g_bJapanese ? kTestHelpJapanese : kTestHelpEnglish;
    const int w = TextWidth(dc, text);
    if (!g_bKeyBoxClosed) return;
    PutOnTop();
    const int x = (g_nWinWidth - w) / 2;
    const int L = g_nLineHeight;
    if (atTop) {
        PutText(dc, x, 0, text);
        MoveToEx(dc, 0, L + 1, nullptr);
        LineTo(dc, g_nWinWidth, L + 1);
    } else {
        PutText(dc, x, g_nWinHeight - L, text);
        MoveToEx(dc, 0, g_nWinHeight - L - 1, nullptr);
        LineTo(dc, g_nWinWidth, g_nWinHeight - L - 1);
    }
}

void DrawTouchTrail(HDC dc, LPARAM point, int phase, BOOL atTop)
{
    const int x = static_cast<int>(point & 0xFFFF);
    const int y = static_cast<int>((point >> 16) & 0xFFFF);
    if (g_bKeyBoxClosed && calib::InHelpBand(y, g_nWinHeight, g_nLineHeight, atTop != FALSE)) {
        g_bTrailOpen = FALSE;
        return;
    }
    if (phase != 0 && g_bTrailOpen) {
        MoveToEx(dc, g_nTrailX, g_nTrailY, nullptr);
        LineTo(dc, x, y);
    } else {
        SetPixel(dc, x, y, kBlack);
    }
    g_nTrailX = x;
    g_nTrailY = y;
    g_bTrailOpen = phase != 2;
}
