#include <gtest/gtest.h>

#include <vector>

#include "calib_layout.h"

using namespace calib;

TEST(Settings, RotationSumAndArgument) {
    EXPECT_EQ(RotationFromSettings(3, 2), 1);
    EXPECT_EQ(RotationFromSettings(3, 3), 2);
    EXPECT_EQ(RotationFromSettings(0, 0), 0);
    EXPECT_EQ(RotationFromSettings(5, 4), 5);  // out of range after one subtraction
    EXPECT_EQ(EffectiveRotation(5), 0);
    EXPECT_EQ(EffectiveRotation(RotationFromSettings(0xFFFFFFFF, 0)), 0);
    EXPECT_TRUE(ArgumentIsS("S"));
    EXPECT_TRUE(ArgumentIsS("s"));
    for (const char* tail : {"", " S", "S ", "SS", "T"}) EXPECT_FALSE(ArgumentIsS(tail)) << '"' << tail << '"';
}

TEST(Grid, TablesForPointCountAndRotation) {
    struct Case {
        int points, rotation, cols, rows;
        std::vector<int> x, y;
    } cases[] = {
        {20, 0, 5, 4, {100, 1074, 2048, 3022, 3996}, {100, 1399, 2697, 3996, 0}},
        {20, 2, 5, 4, {100, 1074, 2048, 3022, 3996}, {100, 1399, 2697, 3996, 0}},
        {20, 1, 4, 5, {100, 1399, 2697, 3996, 0}, {100, 1074, 2048, 3022, 3996}},
        {20, 3, 4, 5, {100, 1399, 2697, 3996, 0}, {100, 1074, 2048, 3022, 3996}},
        {12, 0, 4, 3, {100, 1399, 2697, 3996, 0}, {100, 2048, 3996, 0, 0}},
        {12, 1, 3, 4, {100, 2048, 3996, 0, 0}, {100, 1399, 2697, 3996, 0}},
        {12, 7, 4, 3, {100, 1399, 2697, 3996, 0}, {100, 2048, 3996, 0, 0}},  // acts as 0
        {9, 1, 3, 3, {100, 2048, 3996, 0, 0}, {100, 2048, 3996, 0, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.points << " points, rotation " << k.rotation);
        ScreenGrid g = ScreenGridFor(k.points, k.rotation);
        EXPECT_EQ(g.cols, k.cols);
        EXPECT_EQ(g.rows, k.rows);
        EXPECT_EQ(std::vector<int>(g.x, g.x + 5), k.x);
        EXPECT_EQ(std::vector<int>(g.y, g.y + 5), k.y);
    }
}

TEST(Grid, PixelConversion) {
    ScreenGrid g = ScreenGridFor(20, 1);
    std::vector<int> xs;
    for (int c = 0; c < g.cols; ++c) {
        int x, y;
        GridPixel(g, c, 800, 600, &x, &y);
        xs.push_back(x);
    }
    EXPECT_EQ(xs, (std::vector<int>{19, 273, 526, 780}));
    ScreenGrid g9 = ScreenGridFor(9, 0);
    int x, y;
    GridPixel(g9, 2, 1024, 768, &x, &y);
    EXPECT_EQ(x, 999);
    EXPECT_EQ(y, 18);
    GridPixel(g9, 3, 1024, 768, &x, &y);
    EXPECT_EQ(x, 25);
    EXPECT_EQ(y, 384);
}

TEST(Grid, ScreenToPanelIndexByRotation) {
    struct Case {
        int points, rotation;
        std::vector<int> panel;
    } cases[] = {
        {9, 1, {6, 3, 0, 7, 4, 1, 8, 5, 2}},
        {9, 2, {8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {9, 3, {2, 5, 8, 1, 4, 7, 0, 3, 6}},
        {12, 1, {8, 4, 0, 9, 5, 1, 10, 6, 2, 11, 7, 3}},
        {12, 2, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {12, 3, {3, 7, 11, 2, 6, 10, 1, 5, 9, 0, 4, 8}},
        {20, 1, {15, 10, 5, 0, 16, 11, 6, 1, 17, 12, 7, 2, 18, 13, 8, 3, 19, 14, 9, 4}},
        {20, 2, {19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {20, 3, {4, 9, 14, 19, 3, 8, 13, 18, 2, 7, 12, 17, 1, 6, 11, 16, 0, 5, 10, 15}},
        {20, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
        {12, 6, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.points << " points, rotation " << k.rotation);
        std::vector<int> got;
        for (int s = 0; s < k.points; ++s) got.push_back(PanelIndex(s, k.points, k.rotation));
        EXPECT_EQ(got, k.panel);
    }
}

static void ExpectPlacement(const Placement& got, const Placement& expected)
{
    EXPECT_EQ(got.x, expected.x);
    EXPECT_EQ(got.y, expected.y);
    EXPECT_EQ(got.width, expected.width);
    EXPECT_EQ(got.height, expected.height);
    EXPECT_EQ(got.monitor2, expected.monitor2);
}

TEST(Placement, WindowRectangleByLayout) {
    const uint32_t resX = (800u << 16) | 1024u, resY = (600u << 16) | 768u;
    struct Case {
        const char* what;
        uint32_t ncomm;
        bool second, argS;
        int rotation;
        Placement expected;
    } cases[] = {
        {"monitor 2 right", 0x41, true, true, 0, {1024, 0, 800, 600, true}},
        {"monitor 2 right, rotated", 0x41, true, true, 1, {1024, 0, 600, 800, true}},
        {"monitor 2 right, rotation 3", 0x41, true, true, 3, {1024, 0, 600, 800, true}},
        {"up-left", 0x01, true, true, 0, {-800, -600, 800, 600, true}},
        {"above", 0x11, true, true, 2, {0, -600, 800, 600, true}},
        {"up-right", 0x21, true, true, 0, {1024, -600, 800, 600, true}},
        {"left", 0x31, true, true, 0, {-800, 0, 800, 600, true}},
        {"down-left", 0x51, true, true, 0, {-800, 768, 800, 600, true}},
        {"below", 0x61, true, true, 0, {0, 768, 800, 600, true}},
        {"down-right", 0x71, true, true, 0, {1024, 768, 800, 600, true}},
        {"type 9 acts as right", 0x91, true, true, 0, {1024, 0, 800, 600, true}},
        {"S without the second driver", 0x41, false, true, 0, {0, 0, 1280, 1024, false}},
        {"S without dual monitor", 0x40, true, true, 0, {0, 0, 1280, 1024, false}},
        {"monitor 1", 0x01, true, false, 1, {0, 0, 1024, 768, false}},
        {"monitor 1 without the second driver", 0x01, false, false, 0, {0, 0, 1024, 768, false}},
        {"OS arranged", 0x03, true, false, 0, {0, 0, 1280, 1024, false}},
        {"single monitor", 0x00, true, false, 0, {0, 0, 1280, 1024, false}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        PlacementInput in = {1280, 1024, resX, resY, k.ncomm, k.second, k.argS, k.rotation};
        Placement p = PlaceCalibWindow(in);
        ExpectPlacement(p, k.expected);
    }
}

TEST(Placement, ZeroSizedMonitorCoversThePrimaryScreen) {
    // A stored width or height of 0 for the monitor the window goes to would
    // make a window nobody can see or touch; the other monitor's zeros do not matter.
    struct Case {
        const char* what;
        uint32_t resX, resY, ncomm;
        bool argS;
        int rotation;
        Placement expected;
    } cases[] = {
        {"monitor 2 width 0", (0u << 16) | 1024u, (600u << 16) | 768u, 0x41, true, 0, {0, 0, 1280, 1024, true}},
        {"monitor 2 height 0", (800u << 16) | 1024u, (0u << 16) | 768u, 0x41, true, 0, {0, 0, 1280, 1024, true}},
        {"monitor 2 height 0, rotated", (800u << 16) | 1024u, (0u << 16) | 768u, 0x61, true, 1, {0, 0, 1280, 1024, true}},
        {"monitor 2 width 0x1000 (masked to 0)", (0x1000u << 16) | 1024u, (600u << 16) | 768u, 0x41, true, 0,
         {0, 0, 1280, 1024, true}},
        {"monitor 2 fine, monitor 1 width 0", (800u << 16) | 0u, (600u << 16) | 768u, 0x41, true, 0, {0, 0, 800, 600, true}},
        {"monitor 1 width 0", (800u << 16) | 0u, (600u << 16) | 768u, 0x01, false, 0, {0, 0, 1280, 1024, false}},
        {"monitor 1 height 0", (800u << 16) | 1024u, (600u << 16) | 0u, 0x01, false, 0, {0, 0, 1280, 1024, false}},
        {"monitor 1 fine, monitor 2 both 0", 1024u, 768u, 0x01, false, 0, {0, 0, 1024, 768, false}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        PlacementInput in = {1280, 1024, k.resX, k.resY, k.ncomm, true, k.argS, k.rotation};
        Placement p = PlaceCalibWindow(in);
        ExpectPlacement(p, k.expected);
    }
}

TEST(Drawing, SweepChoice) {
    struct Case {
        int anchor, index, cols, rows;
        SweepKind kind;
        int step;
    } cases[] = {
        {4, 5, 3, 3, SWEEP_RIGHT, 20},    {2, 3, 3, 3, SWEEP_DIAGONAL, 40}, {0, 2, 3, 3, SWEEP_RIGHT, 40},
        {8, 2, 3, 3, SWEEP_UP, 40},       {8, 0, 3, 3, SWEEP_NONE, 0},      {5, 4, 3, 3, SWEEP_LEFT, 20},
        {2, 0, 3, 3, SWEEP_LEFT, 40},     {1, 4, 3, 3, SWEEP_DOWN, 20},     {7, 4, 3, 3, SWEEP_UP, 20},
        {1, 7, 3, 3, SWEEP_DOWN, 40},     {4, 4, 3, 3, SWEEP_NONE, 0},      {4, 5, 5, 4, SWEEP_DIAGONAL, 40},
        {0, 2, 5, 4, SWEEP_NONE, 0},      {3, 4, 4, 5, SWEEP_DIAGONAL, 40}, {16, 0, 4, 5, SWEEP_UP, 40},
        {3, 4, 4, 3, SWEEP_DIAGONAL, 40}, {3, 4, 3, 4, SWEEP_RIGHT, 20},    {0, 9, 3, 3, SWEEP_NONE, 0},
        {0, 1, 4, 4, SWEEP_NONE, 0},  // 16 points is no grid of the program
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.anchor << " -> " << k.index << " on " << k.cols << "x" << k.rows);
        SweepChoice c = ChooseSweep(k.anchor, k.index, k.cols, k.rows);
        EXPECT_EQ(c.kind, k.kind);
        EXPECT_EQ(c.step, k.step);
    }
}

TEST(Drawing, DiagonalStagesOnA1024Window) {
    // Point 2 (999, 18) to point 3 (25, 384) of the 9-point grid.
    std::vector<int> ks = SweepStops(999, 25, true, 40);
    ASSERT_EQ(ks.size(), 24u);
    for (size_t n = 0; n < ks.size(); ++n) EXPECT_EQ(ks[n], 960 - 40 * static_cast<int>(n));
    EXPECT_EQ(DiagonalStageY(999, 18, 384, 960), 32);
    EXPECT_EQ(DiagonalStageY(999, 18, 384, 40), 369);
    EXPECT_FALSE(DiagonalHasStages(0));
}

TEST(Drawing, SweepStopsWalkBothEndsIncluded) {
    struct Case {
        int from, to;
        bool down;
        int every;
        std::vector<int> stops;
    } cases[] = {
        {25, 999, false, 20, {}},                      // filled in below: 40, 60, ... 980
        {512, 25, true, 40, {480, 440, 400, 360, 320, 280, 240, 200, 160, 120, 80, 40}},
        {40, 80, false, 40, {40, 80}},                 // both ends are stops
        {80, 40, true, 20, {80, 60, 40}},
        {39, 41, false, 40, {40}},
        {25, 512, true, 20, {}},                       // start on the wrong side: no stop
        {512, 25, false, 20, {}},
        {0, 0, true, 40, {0}},
    };
    for (int k = 40; k <= 980; k += 20) cases[0].stops.push_back(k);
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.from << (k.down ? " down to " : " up to ") << k.to << " every "
                                        << k.every);
        EXPECT_EQ(SweepStops(k.from, k.to, k.down, k.every), k.stops);
    }
}

TEST(Drawing, ArrowMovesWrap) {
    EXPECT_EQ(ArrowMove(5, ARROW_LEFT, 5, 4), 9);
    EXPECT_EQ(ArrowMove(17, ARROW_DOWN, 5, 4), 2);
    EXPECT_EQ(ArrowMove(4, ARROW_RIGHT, 5, 4), 0);
    EXPECT_EQ(ArrowMove(0, ARROW_UP, 5, 4), 15);
    EXPECT_EQ(ArrowMove(4, ARROW_UP, 3, 3), 1);
    EXPECT_EQ(ArrowMove(4, ARROW_RIGHT, 3, 3), 5);
}

TEST(Drawing, HelpBandEdges) {
    const int h = 768, l = 16;
    EXPECT_TRUE(InHelpBand(h - l - 1, h, l, false));
    EXPECT_FALSE(InHelpBand(h - l - 2, h, l, false));
    EXPECT_TRUE(InHelpBand(l + 1, h, l, true));
    EXPECT_FALSE(InHelpBand(l + 2, h, l, true));
    EXPECT_EQ(PromptLine1Y(768, 16), 576 - 32 + 30);
    EXPECT_EQ(PromptLine2Y(767, 16), 575 + 30);
}

namespace {
// A display counter as the system keeps it.
int FakeShowCursor(bool show, void* context) {
    int* count = static_cast<int*>(context);
    return show ? ++*count : --*count;
}
}  // namespace

TEST(Cursor, HideAndShowRestoreTheDisplayCount) {
    struct Case {
        int start;
        int afterHide;
    } cases[] = {{0, -1}, {2, -1}, {-1, -1}, {-3, -3}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.start);
        int count = k.start;
        CursorState st;
        EXPECT_TRUE(SetCursorVisibility(&st, CURSOR_HIDE, FakeShowCursor, &count));
        EXPECT_EQ(count, k.afterHide);
        EXPECT_FALSE(SetCursorVisibility(&st, CURSOR_HIDE, FakeShowCursor, &count));  // hidden already
        EXPECT_EQ(count, k.afterHide);
        EXPECT_FALSE(SetCursorVisibility(&st, CURSOR_SHOW, FakeShowCursor, &count));
        EXPECT_EQ(count, k.start);
        EXPECT_TRUE(SetCursorVisibility(&st, CURSOR_SHOW, FakeShowCursor, &count));  // shown already
        EXPECT_EQ(count, k.start);
    }
    int count = 0;
    CursorState st;
    SetCursorVisibility(&st, CURSOR_TOGGLE, FakeShowCursor, &count);
    EXPECT_FALSE(st.shown);
    SetCursorVisibility(&st, CURSOR_TOGGLE, FakeShowCursor, &count);
    EXPECT_TRUE(st.shown);
    EXPECT_EQ(count, 0);
}
