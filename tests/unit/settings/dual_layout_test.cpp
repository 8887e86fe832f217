// Layout, classification and clamping of the dual-monitor page's pictures.
#include "dual_layout.h"

#include <gtest/gtest.h>

using namespace duallayout;

namespace {

struct Pair {
    MonitorPicture first, second;
};

Pair Laid(uint32_t type, Mode mode1, Mode mode2) {
    Pair p;
    SetPictureMode(&p.first, 1, mode1);
    SetPictureMode(&p.second, 2, mode2);
    LayoutPair(type, &p.first, &p.second);
    return p;
}

bool Inside(const Area& a, const MonitorPicture& m) {
    return m.left >= a.left && m.top >= a.top && m.left + m.width <= a.right && m.top + m.height <= a.bottom;
}

}  // namespace

TEST(DualLayout, ModesGiveSizesAndBitmaps) {
    struct Case { uint32_t width; Mode mode; int w, h, bmp1, drag1, bmp2, drag2; } cases[] = {
        {640, MODE_VGA, 44, 35, 160, 161, 162, 163},
        {800, MODE_SVGA, 55, 44, 164, 165, 166, 167},
        {1024, MODE_XGA, 70, 56, 168, 169, 170, 171},
        {1152, MODE_XVGA, 79, 63, 172, 173, 174, 175},
        {0, MODE_VGA, 44, 35, 160, 161, 162, 163},
        {1280, MODE_VGA, 44, 35, 160, 161, 162, 163},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.mode, ModeFromWidth(c.width)) << c.width;
        MonitorPicture one, two;
        SetPictureMode(&one, 1, ModeFromWidth(c.width));
        SetPictureMode(&two, 2, ModeFromWidth(c.width));
        EXPECT_EQ(c.w, one.width);
        EXPECT_EQ(c.h, one.height);
        EXPECT_EQ(c.bmp1, one.bitmapId);
        EXPECT_EQ(c.drag1, one.dragBitmapId);
        EXPECT_EQ(c.bmp2, two.bitmapId);
        EXPECT_EQ(c.drag2, two.dragBitmapId);
    }
}

TEST(DualLayout, KnownPlacements) {
    struct Case { uint32_t type; Mode m1, m2; int x1, y1, x2, y2; } cases[] = {
        {0, MODE_SVGA, MODE_SVGA, 131, 135, 76, 91},   // the built-in values
        {4, MODE_SVGA, MODE_SVGA, 76, 113, 131, 113},
        {0, MODE_VGA, MODE_XVGA, 149, 149, 70, 86},
        {6, MODE_XVGA, MODE_XVGA, 92, 72, 92, 135},
    };
    for (const Case& c : cases) {
        Pair p = Laid(c.type, c.m1, c.m2);
        EXPECT_EQ(c.x1, p.first.left) << "type " << c.type;
        EXPECT_EQ(c.y1, p.first.top) << "type " << c.type;
        EXPECT_EQ(c.x2, p.second.left) << "type " << c.type;
        EXPECT_EQ(c.y2, p.second.top) << "type " << c.type;
    }
}

TEST(DualLayout, EveryLaidOutPairFitsAndKeepsItsType) {
    for (uint32_t type = 0; type < 8; ++type)
        for (int m1 = 0; m1 < kModeCount; ++m1)
            for (int m2 = 0; m2 < kModeCount; ++m2) {
                Pair p = Laid(type, Mode(m1), Mode(m2));
                SCOPED_TRACE(testing::Message() << "type " << type << " modes " << m1 << "," << m2);
                EXPECT_TRUE(Inside(kAreaJapanese, p.first));
                EXPECT_TRUE(Inside(kAreaJapanese, p.second));
                EXPECT_TRUE(Inside(kAreaEnglish, p.first));
                EXPECT_TRUE(Inside(kAreaEnglish, p.second));
                EXPECT_EQ(type, ClassifyPair(p.first, p.second, true));
                // Without the operating system's arrangement only right and below remain.
                uint32_t expect = (type == 5 || type == 6 || type == 7) ? 6u : 4u;
                EXPECT_EQ(expect, ClassifyPair(p.first, p.second, false));
            }
}

TEST(DualLayout, PicturesTouchOnTheirSide) {
    for (uint32_t type = 0; type < 8; ++type) {
        Pair p = Laid(type, MODE_XGA, MODE_VGA);
        const MonitorPicture &a = p.first, &b = p.second;
        bool leftOf = b.left + b.width == a.left, rightOf = b.left == a.left + a.width;
        bool above = b.top + b.height == a.top, below = b.top == a.top + a.height;
        bool sameLeft = b.left == a.left, sameTop = b.top == a.top;
        const bool expected[8] = {leftOf && above, sameLeft && above, rightOf && above, leftOf && sameTop,
                                  rightOf && sameTop, leftOf && below, sameLeft && below, rightOf && below};
        EXPECT_TRUE(expected[type]) << "type " << type;
    }
}

TEST(DualLayout, ClassificationBands) {
    // Picture 1 at (100, 100), 50 x 40; picture 2 is 10 x 10, so its centre is (left + 5, top + 5).
    MonitorPicture one;
    one.left = 100; one.top = 100; one.width = 50; one.height = 40;
    struct Case { int cx, cy; uint32_t os, noOs; } cases[] = {
        {99, 99, 0, 4},     // cy = y1 - 1 on the left
        {99, 100, 3, 4},    // top edge belongs to the side band
        {99, 140, 3, 4},    // cy = y1 + h1 still beside
        {99, 141, 5, 6},
        {151, 99, 2, 4},
        {151, 140, 4, 4},
        {151, 141, 7, 6},
        {100, 50, 1, 4},    // cx = x1 is the middle band
        {150, 119, 1, 4},   // cx = x1 + w1 too; cy < y1 + h1 / 2
        {150, 120, 6, 6},
        {125, 300, 6, 6},
    };
    for (const Case& c : cases) {
        MonitorPicture two;
        two.width = 10; two.height = 10;
        two.left = c.cx - 5; two.top = c.cy - 5;
        EXPECT_EQ(c.os, ClassifyPair(one, two, true)) << c.cx << "," << c.cy;
        EXPECT_EQ(c.noOs, ClassifyPair(one, two, false)) << c.cx << "," << c.cy;
    }
}

TEST(DualLayout, NewSizeReDerivesTheType) {
    // Monitor 2 right of monitor 1, both VGA; monitor 1 becomes XGA in its old place.
    Pair p = Laid(4, MODE_VGA, MODE_VGA);
    SetPictureMode(&p.first, 1, MODE_XGA);
    EXPECT_EQ(1u, ClassifyPair(p.first, p.second, true));
    EXPECT_EQ(4u, ClassifyPair(p.first, p.second, false));
}

TEST(DualLayout, ClampKeepsPicturesInTheArea) {
    struct Case { Area area; int x, y, ex, ey; } cases[] = {
        {kAreaJapanese, 1000, 1000, 198, 195},
        {kAreaEnglish, 1000, 1000, 183, 214},
        {kAreaJapanese, -50, -50, 10, 32},
        {kAreaEnglish, -50, -50, 11, 33},
        {kAreaJapanese, 197, 194, 197, 194},  // one pixel short of the edges
        {kAreaJapanese, 198, 195, 198, 195},  // touching the edges
        {kAreaJapanese, 100, 100, 100, 100},
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        ClampToArea(c.area, 55, 44, &x, &y);
        EXPECT_EQ(c.ex, x) << c.x << "," << c.y;
        EXPECT_EQ(c.ey, y) << c.x << "," << c.y;
    }
}

TEST(DualLayout, HitTestEdges) {
    MonitorPicture m;
    m.left = 10; m.top = 20; m.width = 44; m.height = 35;
    EXPECT_TRUE(PictureContains(m, 10, 20));
    EXPECT_TRUE(PictureContains(m, 53, 54));
    EXPECT_FALSE(PictureContains(m, 54, 30));
    EXPECT_FALSE(PictureContains(m, 30, 55));
    EXPECT_FALSE(PictureContains(m, 9, 30));
}

TEST(DualLayout, StoredTypeOutsideTheTableIsLaidOutAsRight) {
    Pair right = Laid(4, MODE_SVGA, MODE_XGA);
    Pair odd = Laid(12, MODE_SVGA, MODE_XGA);
    EXPECT_EQ(right.first.left, odd.first.left);
    EXPECT_EQ(right.first.top, odd.first.top);
    EXPECT_EQ(right.second.left, odd.second.left);
    EXPECT_EQ(right.second.top, odd.second.top);
}
