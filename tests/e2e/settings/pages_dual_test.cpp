// The dual-monitor page: the pictures' places, dragging with the real mouse,
// the clamps of the picture area, the resolution radios and the check boxes,
// checked on the screen and through what Apply stores.
#include "pages_support.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace wexant;

namespace {

struct Ids {
    int useDual, osArranged;
    int monitor1[4], monitor2[4];
    int swapGroup, swapBox, swapText;
};
const Ids kJa = {1067, 1129, {1059, 1060, 1061, 1062}, {1063, 1064, 1065, 1066}, 1038, 1000, 1039};
const Ids kEn = {1100, 1130, {1103, 1104, 1105, 1106}, {1107, 1108, 1109, 1110}, 1040, 1001, 1041};

// The pictures' screens: dark teal normally, bright cyan while dragged.
constexpr COLORREF kNormal = RGB(0, 128, 128);
constexpr COLORREF kDragged = RGB(0, 255, 255);

struct Page {
    pages::Sheet sheet;
    HWND page = nullptr;
    const Ids* ids = nullptr;
    HWND operator[](int id) const { return tb::Control(page, id); }
    POINT Screen(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(page, &p);
        return p;
    }
    // An SVGA picture (55 x 44) with its top-left at (x, y), its screen in the
    // given colour: the frame's outer edge is grey, to the pixel, at one
    // corner. The controls paint over the page, so the corner checked is one
    // that no control covers: the bottom-right one (the top-left one can lie
    // under the frame box's line), or the top-left one for a picture pushed
    // against the right and bottom edges of the area.
    // Real mouse input travels through the X server, so on a loaded machine the
    // page may draw a little after the last move: the picture gets up to 3 s.
    // Pictures of the other modes give their size (VGA 44 x 35, XGA 70 x 56, XVGA 79 x 63).
    bool PictureAt(int x, int y, COLORREF screen, bool topLeftCorner = false, int w = 55, int h = 44) const {
        return tb::Poll([&] { return PictureNow(x, y, screen, topLeftCorner, w, h); }, 3000, 20);
    }
    bool PictureNow(int x, int y, COLORREF screen, bool topLeftCorner, int w, int h) const {
        if (pages::PixelAt(page, x + 6, y + 6) != screen) return false;
        if (topLeftCorner) return pages::PixelAt(page, x, y) == RGB(128, 128, 128);
        return pages::PixelAt(page, x + w - 7, y + h - 7) == screen &&
               pages::PixelAt(page, x + w - 1, y + h - 1) == RGB(128, 128, 128);
    }
    void Down(int x, int y) { POINT p = Screen(x, y); tb::MouseDown(p.x, p.y); }
    void Move(int x, int y) { POINT p = Screen(x, y); tb::MouseMove(p.x, p.y); }
    void Up(int x, int y) { POINT p = Screen(x, y); tb::MouseUp(p.x, p.y); }
    // Lets the page handle what came before.
    void Settle() { Sleep(150); SendMessageA(page, WM_NULL, 0, 0); }
};

// Who holds the mouse and the foreground: a drag that was cut short shows
// here whether the page had lost the capture, and to which window.
std::string MouseOwners(const Page& p) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(p.page, nullptr), &info);
    char text[160];
    snprintf(text, sizeof(text), "page %p, capture %p, active %p, foreground %p", static_cast<void*>(p.page),
             static_cast<void*>(info.hwndCapture), static_cast<void*>(info.hwndActive),
             static_cast<void*>(GetForegroundWindow()));
    return text;
}

Page Open(bool japanese) {
    Page p;
    p.ids = japanese ? &kJa : &kEn;
    p.sheet = pages::StartSheet(japanese);
    if (p.sheet.window) p.page = p.sheet.ShowPainted(pages::TAB_DUAL);
    return p;
}

void Layout(DWORD ncomm, DWORD resolutionX, DWORD resolutionY) {
    ASSERT_TRUE(pages::MakeSecondDriver());
    ASSERT_TRUE(pages::SetSecond("nComm", ncomm));
    ASSERT_TRUE(pages::SetSecond("ResolutionX", resolutionX));
    ASSERT_TRUE(pages::SetSecond("ResolutionY", resolutionY));
}

}  // namespace

TEST(PagesDual, BuiltInValuesShowTypeZeroAndIgnoreTheMouse) {
    ASSERT_TRUE(pages::MakeSecondDriver());
    Page p = Open(true);
    ASSERT_NE(nullptr, p.page);
    const Ids& ids = *p.ids;
    // Both 55 x 44, monitor 1 at (131, 135), monitor 2 up-left of it at (76, 91).
    EXPECT_TRUE(p.PictureAt(131, 135, kNormal));
    EXPECT_TRUE(p.PictureAt(76, 91, kNormal));
    EXPECT_TRUE(tb::IsChecked(p[ids.monitor1[1]]));
    EXPECT_TRUE(tb::IsChecked(p[ids.monitor2[1]]));
    EXPECT_FALSE(tb::IsChecked(p[ids.useDual]));
    EXPECT_TRUE(tb::IsEnabled(p[ids.useDual]));
    EXPECT_FALSE(tb::IsEnabled(p[ids.osArranged]));
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(tb::IsEnabled(p[ids.monitor1[i]]));
        EXPECT_FALSE(tb::IsEnabled(p[ids.monitor2[i]]));
    }
    for (int id : {ids.swapGroup, ids.swapBox, ids.swapText}) EXPECT_FALSE(tb::IsVisible(p[id]));

    // With the function off a press on a picture does nothing.
    p.Down(100, 110);
    p.Move(150, 60);
    p.Settle();
    EXPECT_TRUE(p.PictureAt(76, 91, kNormal));
    p.Up(150, 60);
    p.Settle();
    EXPECT_TRUE(p.PictureAt(76, 91, kNormal));
    EXPECT_FALSE(p.sheet.ApplyEnabled());
    pages::Shot(p.page, "dual-builtin-ja");
}

TEST(PagesDual, DragSnapsToTheArrangementUnderTheMouse) {
    // Dual function and the system's arrangement on, monitor 2 right of 1, both SVGA.
    Layout(0x43, 0x03200320, 0x02580258);
    Page p = Open(false);
    ASSERT_NE(nullptr, p.page);
    ASSERT_TRUE(p.PictureAt(76, 113, kNormal));
    ASSERT_TRUE(p.PictureAt(131, 113, kNormal));

    // Grab monitor 2 at its centre and carry it up-left of monitor 1.
    p.Down(158, 135);
    for (int i = 1; i <= 8; ++i) p.Move(158 - i * 14, 135 - i * 9);  // to (46, 63)
    p.Settle();
    // Picture 2 follows the pointer: its left/top is the pointer minus (27, 22).
    EXPECT_TRUE(p.PictureAt(19, 41, kDragged));
    EXPECT_TRUE(p.sheet.ApplyEnabled());
    pages::Shot(p.page, "dual-drag-en");
    p.Up(46, 63);
    p.Settle();
    // Snapped to type 0: monitor 1 at (131, 135), monitor 2 at (76, 91).
    EXPECT_TRUE(p.PictureAt(131, 135, kNormal));
    EXPECT_TRUE(p.PictureAt(76, 91, kNormal));
    ASSERT_TRUE(p.sheet.Apply(true));
    EXPECT_EQ(0x03u, pages::Second("nComm"));
    DWORD driverNcomm = 0;
    ASSERT_TRUE(tb::reg::GetDword(HKEY_LOCAL_MACHINE, DriverParametersKey, "nComm", &driverNcomm));
    EXPECT_EQ(0x03u, driverNcomm);

    // Now below monitor 1: type 6.
    p.Down(103, 113);
    for (int i = 1; i <= 6; ++i) p.Move(103 + i * 10, 113 + i * 25);  // to (163, 263)
    p.Up(163, 263);
    p.Settle();
    ASSERT_TRUE(p.sheet.Apply(true));
    EXPECT_EQ(0x63u, pages::Second("nComm"));
    p.sheet.Cancel();
}

TEST(PagesDual, WithoutTheSystemsArrangementOnlyRightAndBelowRemain) {
    // Type 0 stored, arrangement by the system off.
    Layout(0x01, 0x03200320, 0x02580258);
    Page p = Open(false);
    ASSERT_NE(nullptr, p.page);
    ASSERT_TRUE(p.PictureAt(76, 91, kNormal));
    // A click beside the pictures re-derives the type: 0 becomes 4, without marking a change.
    p.Down(20, 250);
    p.Up(20, 250);
    p.Settle();
    EXPECT_TRUE(p.PictureAt(76, 113, kNormal));
    EXPECT_TRUE(p.PictureAt(131, 113, kNormal));
    EXPECT_FALSE(p.sheet.ApplyEnabled());

    // Dragged up-left it still snaps to the right.
    p.Down(158, 135);
    for (int i = 1; i <= 5; ++i) p.Move(158 - i * 20, 135 - i * 10);
    p.Up(58, 85);
    p.Settle();
    EXPECT_TRUE(p.PictureAt(131, 113, kNormal));
    ASSERT_TRUE(p.sheet.Apply(true));
    EXPECT_EQ(0x41u, pages::Second("nComm"));
    p.sheet.Cancel();
}

TEST(PagesDual, DraggedPicturesStayInThePictureArea) {
    struct Case { bool japanese; int right, bottom, left, top; } cases[] = {
        {true, 198, 195, 10, 32},
        {false, 183, 214, 11, 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.japanese ? "ja" : "en");
        Layout(0x43, 0x03200320, 0x02580258);
        Page p = Open(c.japanese);
        ASSERT_NE(nullptr, p.page);
        // Monitor 1 far right and down, then far left and up, in one drag.
        p.Down(100, 130);
        for (int i = 1; i <= 6; ++i) p.Move(100 + i * 60, 130 + i * 50);
        p.Settle();
        EXPECT_TRUE(p.PictureAt(c.right, c.bottom, kDragged, true));
        pages::Shot(p.page, std::string("dual-clamp-") + (c.japanese ? "ja" : "en"));
        for (int i = 1; i <= 8; ++i) p.Move(460 - i * 56, 430 - i * 53);  // to (12, 6)
        p.Settle();
        EXPECT_TRUE(p.PictureAt(c.left, c.top, kDragged));
        p.Up(12, 6);
        p.Settle();
        p.sheet.Cancel();
    }
}

TEST(PagesDual, ResolutionChoiceReDerivesTheType) {
    for (bool os : {true, false}) {
        SCOPED_TRACE(os ? "system arrangement, Japanese" : "page arrangement, English");
        // Both VGA, monitor 2 right of monitor 1; other bits of both words kept.
        Layout(0x41u | (os ? 0x2u : 0u), 0xA280B280, 0x01E001E0);
        Page p = Open(os);
        ASSERT_NE(nullptr, p.page);
        EXPECT_TRUE(tb::IsChecked(p[p.ids->monitor1[0]]));
        tb::Click(p[p.ids->monitor1[2]]);  // monitor 1 XGA
        ASSERT_TRUE(pages::Wait([&] { return p.sheet.ApplyEnabled(); }));
        p.Settle();
        ASSERT_TRUE(p.sheet.Apply(true));
        EXPECT_EQ(os ? 0x13u : 0x41u, pages::Second("nComm"));
        EXPECT_EQ(0xA280B400u, pages::Second("ResolutionX"));
        EXPECT_EQ(0x01E00300u, pages::Second("ResolutionY"));
        // The checked radio again: marked changed once more.
        tb::Click(p[p.ids->monitor1[2]]);
        EXPECT_TRUE(pages::Wait([&] { return p.sheet.ApplyEnabled(); }));
        tb::Click(p[p.ids->monitor2[3]]);  // monitor 2 XVGA
        p.Settle();
        // Each monitor's radios are a group of their own: monitor 1 keeps its choice.
        ASSERT_TRUE(pages::Wait([&] { return tb::IsChecked(p[p.ids->monitor2[3]]); }));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(i == 2, tb::IsChecked(p[p.ids->monitor1[i]])) << "monitor 1 radio " << i;
            EXPECT_EQ(i == 3, tb::IsChecked(p[p.ids->monitor2[i]])) << "monitor 2 radio " << i;
        }
        ASSERT_TRUE(p.sheet.Apply(true));
        EXPECT_EQ(0xA480B400u, pages::Second("ResolutionX"));
        EXPECT_EQ(0x03600300u, pages::Second("ResolutionY"));
        p.sheet.Cancel();
    }
}

TEST(PagesDual, CheckBoxesAndPassThroughBits) {
    // Dual on, system arrangement on, output swap, type 0, and unused high bits.
    Layout(0xABCD0507u, 0x03200320, 0x02580258);
    Page p = Open(false);
    ASSERT_NE(nullptr, p.page);
    const Ids& ids = *p.ids;
    EXPECT_TRUE(tb::IsChecked(p[ids.useDual]));
    EXPECT_TRUE(tb::IsChecked(p[ids.osArranged]));
    EXPECT_TRUE(tb::IsEnabled(p[ids.osArranged]));
    EXPECT_TRUE(tb::IsChecked(p[ids.swapBox]));
    EXPECT_FALSE(tb::IsVisible(p[ids.swapBox]));

    // Clearing the system's arrangement resets the type to 4.
    tb::Click(p[ids.osArranged]);
    ASSERT_TRUE(pages::Wait([&] { return !tb::IsChecked(p[ids.osArranged]); }));
    p.Settle();
    EXPECT_TRUE(p.PictureAt(76, 113, kNormal));
    EXPECT_TRUE(p.PictureAt(131, 113, kNormal));
    ASSERT_TRUE(p.sheet.Apply(true));
    EXPECT_EQ(0xABCD0545u, pages::Second("nComm"));

    // The dual function off: the other controls off, the pictures stay.
    tb::Click(p[ids.useDual]);
    ASSERT_TRUE(pages::Wait([&] { return !tb::IsEnabled(p[ids.osArranged]); }));
    p.Settle();
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(tb::IsEnabled(p[ids.monitor1[i]]));
    EXPECT_TRUE(p.PictureAt(131, 113, kNormal));
    ASSERT_TRUE(p.sheet.Apply(true));
    EXPECT_EQ(0xABCD0544u, pages::Second("nComm"));
    // On again, and the system's arrangement back on: type 4 still.
    tb::Click(p[ids.useDual]);
    ASSERT_TRUE(pages::Wait([&] { return tb::IsEnabled(p[ids.osArranged]); }));
    tb::Click(p[ids.osArranged]);
    ASSERT_TRUE(pages::Wait([&] { return tb::IsChecked(p[ids.osArranged]); }));
    ASSERT_TRUE(p.sheet.Apply(true));
    EXPECT_EQ(0xABCD0547u, pages::Second("nComm"));
    pages::Shot(p.page, "dual-en");
    p.sheet.Cancel();
}

// Each monitor's picture and radio button come from its own field of
// ResolutionX (monitor 1 bits 0-11, monitor 2 bits 16-27; the bits around
// them are not part of either), and showing them changes no stored value.
TEST(PagesDual, EachMonitorShowsItsOwnResolutionField) {
    struct Picture { int x, y, w, h; };
    struct Case {
        bool japanese;
        DWORD resolutionX;
        int mode1, mode2;  // radio index: VGA, SVGA, XGA, XVGA
        Picture picture1, picture2;  // monitor 2 right of monitor 1
    } cases[] = {
        {false, 0x04800320, 1, 3, {64, 104, 55, 44}, {119, 104, 79, 63}},
        {true, 0x54004320, 1, 2, {69, 107, 55, 44}, {124, 107, 70, 56}},
        {false, 0x02800400, 2, 0, {74, 107, 70, 56}, {144, 107, 44, 35}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "ResolutionX 0x" << c.resolutionX);
        Layout(0x41, c.resolutionX, 0x02580258);
        Page p = Open(c.japanese);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(i == c.mode1, tb::IsChecked(p[ids.monitor1[i]])) << "monitor 1 radio " << i;
            EXPECT_EQ(i == c.mode2, tb::IsChecked(p[ids.monitor2[i]])) << "monitor 2 radio " << i;
        }
        EXPECT_TRUE(p.PictureAt(c.picture1.x, c.picture1.y, kNormal, false, c.picture1.w, c.picture1.h));
        EXPECT_TRUE(p.PictureAt(c.picture2.x, c.picture2.y, kNormal, false, c.picture2.w, c.picture2.h));
        // Another change stores both words as they were.
        tb::Click(p[ids.osArranged]);
        ASSERT_TRUE(pages::Wait([&] { return tb::IsChecked(p[ids.osArranged]); }));
        ASSERT_TRUE(p.sheet.Apply(true));
        EXPECT_EQ(0x43u, pages::Second("nComm"));
        EXPECT_EQ(c.resolutionX, pages::Second("ResolutionX"));
        EXPECT_EQ(0x02580258u, pages::Second("ResolutionY"));
        p.sheet.Cancel();
    }
}

// The page holds the mouse from every press to its release: a press with the
// real mouse that is released over another window, outside the sheet, still
// ends the drag and snaps the pair, on a picture or beside them; afterwards
// the mouse reaches the other controls again.
TEST(PagesDual, PressReleasedOutsideTheSheetStillEndsAndSnaps) {
    struct Case {
        const char* what;
        DWORD ncomm;
        POINT press;               // in the page's client area
        POINT picture1, picture2;  // after the release
        bool changed;              // a picture was dragged
        DWORD ncommAfter;          // after the dual function is switched off
    } cases[] = {
        // Monitor 2 from the right of monitor 1 to the lower left corner of the area: type 5.
        {"drag", 0x43, {158, 135}, {131, 91}, {76, 135}, true, 0x52},
        // A press beside the pictures without the system's arrangement: type 0 becomes 4.
        {"press beside", 0x01, {20, 250}, {76, 113}, {131, 113}, false, 0x40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Layout(c.ncomm, 0x03200320, 0x02580258);
        Page p = Open(false);
        ASSERT_NE(nullptr, p.page);
        const Ids& ids = *p.ids;
        // Down and left, out of the sheet.
        RECT sheet = tb::ScreenRect(p.sheet.window);
        POINT out = {sheet.left - 40, sheet.bottom + 40};
        if (out.x < 2) out.x = 2;
        if (out.y > GetSystemMetrics(SM_CYSCREEN) - 3) out.y = GetSystemMetrics(SM_CYSCREEN) - 3;
        ASSERT_FALSE(PtInRect(&sheet, out)) << "no room beside the sheet";
        POINT from = p.Screen(c.press.x, c.press.y), inside = p.Screen(40, 240);
        std::vector<std::string> steps = {"mousemove", std::to_string(from.x), std::to_string(from.y),
                                          "sleep", "0.2", "mousedown", "1"};
        for (int i = 1; i <= 8; ++i) {
            POINT at = i <= 4 ? POINT{from.x + (inside.x - from.x) * i / 4, from.y + (inside.y - from.y) * i / 4}
                              : POINT{inside.x + (out.x - inside.x) * (i - 4) / 4,
                                      inside.y + (out.y - inside.y) * (i - 4) / 4};
            for (const std::string& a : {std::string("sleep"), std::string("0.05"), std::string("mousemove"),
                                         std::to_string(at.x), std::to_string(at.y)})
                steps.push_back(a);
        }
        for (const char* a : {"sleep", "0.3", "mouseup", "1"}) steps.push_back(a);
        ASSERT_TRUE(pages::XInput(steps));
        EXPECT_TRUE(p.PictureAt(c.picture1.x, c.picture1.y, kNormal));
        EXPECT_TRUE(p.PictureAt(c.picture2.x, c.picture2.y, kNormal));
        p.Settle();
        EXPECT_EQ(c.changed, p.sheet.ApplyEnabled());

        // The mouse is the page's no longer: a click on the check box switches it.
        RECT box = tb::ScreenRect(p[ids.useDual]);
        ASSERT_TRUE(pages::XInput({"mousemove", std::to_string(box.left + 6), std::to_string((box.top + box.bottom) / 2),
                                   "click", "1"}));
        EXPECT_TRUE(pages::Wait([&] { return !tb::IsChecked(p[ids.useDual]); }, 5000));
        ASSERT_TRUE(p.sheet.Apply(true));
        EXPECT_EQ(c.ncommAfter, pages::Second("nComm"));
        p.sheet.Cancel();
    }
}

// Where the pictures overlap during a drag, monitor 2's lies on top, the
// dragged one or not, once the page has repainted.
TEST(PagesDual, MonitorTwoLiesOnTopWhereTheDraggedPicturesOverlap) {
    struct Case {
        const char* what;
        POINT press, to;   // monitor 2 starts right of monitor 1, both SVGA
        POINT overlap;     // a point of monitor 2's screen that monitor 1 covers too
        COLORREF shown;
    } cases[] = {
        {"monitor 1 dragged onto 2", {100, 130}, {130, 130}, {137, 119}, kNormal},
        {"monitor 2 dragged onto 1", {158, 135}, {128, 135}, {107, 119}, kDragged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Layout(0x43, 0x03200320, 0x02580258);
        Page p = Open(false);
        ASSERT_NE(nullptr, p.page);
        ASSERT_TRUE(p.PictureAt(131, 113, kNormal));
        p.Down(c.press.x, c.press.y);
        for (int i = 1; i <= 3; ++i)
            p.Move(c.press.x + (c.to.x - c.press.x) * i / 3, c.press.y + (c.to.y - c.press.y) * i / 3);
        p.Settle();
        EXPECT_TRUE(tb::Poll([&] { return pages::PixelAt(p.page, c.overlap.x, c.overlap.y) == c.shown; }, 3000, 20))
            << MouseOwners(p);
        p.Up(c.to.x, c.to.y);
        p.Settle();
        p.sheet.Cancel();
    }
}

// A drag ends however the button is let go: Space on a focused check box
// takes the mouse from the page in the middle of a drag, after which the
// release may come while the dual function is off, or outside the sheet. The
// drag is over then: the pair stands where Apply stores it, and a later move
// of the mouse without a button carries no picture along.
TEST(PagesDual, DragThatLosesTheMouseEnds) {
    struct Case {
        const char* what;
        bool dualBox;         // Space on the dual-monitor box (twice: off and on), else on the arrangement box
        bool releaseOutside;  // the button goes up outside the sheet
        DWORD ncommAfter;
    } cases[] = {
        {"dual box off during the drag, on again after it", true, false, 0x43},
        {"arrangement box during the drag, released outside", false, true, 0x41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Dual function and the system's arrangement on, monitor 2 right of 1, both SVGA.
        Layout(0x43, 0x03200320, 0x02580258);
        Page p = Open(false);
        ASSERT_NE(nullptr, p.page);
        HWND box = p[c.dualBox ? p.ids->useDual : p.ids->osArranged];
        ASSERT_TRUE(p.PictureAt(131, 113, kNormal));
        SendMessageA(p.page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
        ASSERT_TRUE(pages::Wait([&] {
            GUITHREADINFO info = {sizeof(info)};
            return GetGUIThreadInfo(GetWindowThreadProcessId(p.page, nullptr), &info) && info.hwndFocus == box;
        }));

        // Monitor 2 grabbed at its centre and carried up-left.
        p.Down(158, 135);
        for (int i = 1; i <= 4; ++i) p.Move(158 - i * 20, 135 - i * 15);  // to (78, 75)
        p.Settle();
        ASSERT_TRUE(p.PictureAt(51, 53, kDragged));
        tb::SendKey(VK_SPACE);
        ASSERT_TRUE(pages::Wait([&] { return !tb::IsChecked(box); }, 5000));
        p.Settle();
        if (c.releaseOutside) {
            RECT sheet = tb::ScreenRect(p.sheet.window);
            tb::MouseUp(sheet.right + 40 < GetSystemMetrics(SM_CXSCREEN) ? sheet.right + 40 : sheet.left - 40,
                        sheet.top + 40);
        } else {
            p.Up(78, 75);
        }
        p.Settle();
        if (c.dualBox) {
            tb::SendKey(VK_SPACE);
            ASSERT_TRUE(pages::Wait([&] { return tb::IsChecked(box); }, 5000));
        }
        // The mouse, no button held, over the page.
        for (int i = 1; i <= 4; ++i) p.Move(78 + i * 20, 75 - i * 5);  // to (158, 55)
        p.Settle();
        EXPECT_FALSE(p.PictureNow(131, 33, kDragged, false, 55, 44)) << "the picture follows the mouse";
        EXPECT_TRUE(p.PictureAt(76, 113, kNormal));
        EXPECT_TRUE(p.PictureAt(131, 113, kNormal));
        pages::Shot(p.page, std::string("dual-lost-") + (c.dualBox ? "dual" : "arranged"));
        ASSERT_TRUE(p.sheet.Apply(true));
        EXPECT_EQ(c.ncommAfter, pages::Second("nComm"));
        p.sheet.Cancel();
    }
}
