// The calibration window under Wine: the key box and the test screen (help
// line, trail), arrow-key moves, the window's placement by the monitor layout
// with the device marking, and screenshots in both languages.
#include <gtest/gtest.h>

#include "jostel_fixture.h"

using namespace jostel;

namespace {

const char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Enum";
const char kInstancePath[] = "USB\\VID_0EEF&PID_0500\\7&2A1B&0&3";

// Test screen with the key box: its buttons, the close question (No, then
// Yes), the help line at the bottom and top with a trail, Insert, Update.
void KeyBoxTour(bool japanese)
{
    const std::string lang = japanese ? "ja" : "en";
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0, "", japanese));
    tb::Screenshot("calibration-screen-" + lang);

    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitTestScreen(&j));
    HWND box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box);
    RECT r = tb::ScreenRect(box);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(Text932(box), japanese ? "補正" : "Calibration");
    EXPECT_EQ(Text932(tb::Control(box, 1)), japanese ? "終了" : "Update");
    ASSERT_TRUE(WaitCrossAt(j.Target(0), false));

    // "Calib screen" goes back to the calibration screen; Home returns.
    tb::PressButton(box, 1004);
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(tb::sim::WaitRequest(wexant::IOCTL_WEXANT_CALIB_DISCARD, 2, 15000));
    ASSERT_TRUE(WaitTestScreen(&j));
    ASSERT_FALSE(RedCrossAt(j.Target(0)));
    box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box);

    // Closing: No puts the box back at the corner (moved away first), Yes removes it.
    SetWindowPos(box, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(tb::Poll([&] { return tb::ScreenRect(box).left == 200 && tb::ScreenRect(box).top == 150; }));
    const char* question = japanese ? "キーボードがない場合は操作できなくなります。キーボックスを消しますか？"
                                    : "You cannot operate this test program when keyboard is not connected.Is key box closed?";
    tb::PressButton(box, IDCANCEL);
    tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j.process.Pid());
    ASSERT_TRUE(ask);
    EXPECT_EQ(Text932(ask.window), japanese ? "補正" : "Calibration");
    EXPECT_EQ(Text932(GetDlgItem(ask.window, 0xFFFF)), question);
    tb::PressButton(ask.window, IDNO);
    ASSERT_TRUE(tb::WaitGone(ask.window));
    ASSERT_TRUE(WaitTestScreen(&j));
    r = tb::ScreenRect(box);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    tb::PressButton(box, IDCANCEL);
    ask = tb::WaitMessageBox(5000, j.process.Pid());
    ASSERT_TRUE(ask);
    tb::PressButton(ask.window, IDYES);
    ASSERT_TRUE(tb::WaitGone(box));

    // Help line at the bottom: the separator above it, and a trail.
    const int h = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(tb::Poll([&] { return SeparatorRow(h - 40, h - 2) > 0; }));
    DrawStroke(300, 300, 600, 400);
    EXPECT_TRUE(tb::Poll([&] { return BlackAt(450, 350); }));
    tb::Screenshot("test-screen-help-bottom-" + lang);

    // "CLR screen" by Delete: the help line moves to the top and the trail is wiped.
    tb::PostKey(j.window, VK_DELETE);
    ASSERT_TRUE(tb::Poll([&] { return SeparatorRow(2, 40) > 0 && SeparatorRow(h - 40, h - 2) < 0; }));
    EXPECT_FALSE(BlackAt(450, 350));
    DrawStroke(200, 500, 800, 200);
    EXPECT_TRUE(tb::Poll([&] { return BlackAt(500, 350); }));
    tb::Screenshot("test-screen-help-top-" + lang);

    // Insert brings a new key box and keeps the test screen; nothing is discarded.
    const size_t discards = Count(wexant::IOCTL_WEXANT_CALIB_DISCARD);
    tb::PostKey(j.window, VK_INSERT);
    ASSERT_TRUE(WaitTestScreen(&j));
    box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box);
    EXPECT_FALSE(RedCrossAt(j.Target(0)));
    EXPECT_EQ(Count(wexant::IOCTL_WEXANT_CALIB_DISCARD), discards);

    // "Update" is Enter on the test screen: commit and end (nothing was sent, nothing saved).
    tb::PressButton(box, 1);
    ASSERT_TRUE(j.process.WaitExit(15000));
    EXPECT_EQ(Count(wexant::IOCTL_WEXANT_CALIB_COMMIT), 1u);
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, "Caldata9"));
}

}  // namespace

TEST(JostelScreen, KeyBoxAndTestScreenEnglish)
{
    KeyBoxTour(false);
}

TEST(JostelScreen, KeyBoxAndTestScreenJapanese)
{
    KeyBoxTour(true);
}

TEST(JostelScreen, TrailInTheHelpBandOnlyWhileTheKeyBoxIsOpen)
{
    // While the key box is closed the help line is shown, and its band (the
    // text's height and the separator) takes no trail; while the key box is
    // open there is no help line and the band is drawn on like the rest.
    // Each step strokes along a row of the band (right of the key box), then
    // along a row outside it: once that one is drawn, the first was handled.
    Jostel j;
    HWND box = StartOnTestScreen(&j);
    ASSERT_TRUE(box);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    const int x0 = 620, x1 = 1000;
    enum Action { NONE, DELETE_KEY, CLOSE_KEY_BOX };
    struct Step {
        const char* what;
        Action action;
        bool top;    // the help line's place
        bool drawn;  // the trail in the band
    } steps[] = {
        {"key box open, band at the bottom", NONE, false, true},
        {"key box open, band at the top", DELETE_KEY, true, true},
        {"key box closed, band at the top", CLOSE_KEY_BOX, true, false},
        {"key box closed, band at the bottom", DELETE_KEY, false, false},
    };
    int lastRow = -1;
    for (const Step& k : steps) {
        SCOPED_TRACE(k.what);
        if (k.action == DELETE_KEY) tb::PostKey(j.window, VK_DELETE);
        if (k.action == CLOSE_KEY_BOX) {
            tb::PressButton(box, IDCANCEL);
            tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j.process.Pid());
            ASSERT_TRUE(ask);
            tb::PressButton(ask.window, IDYES);
            ASSERT_TRUE(tb::WaitGone(box));
        }
        // The repaint has wiped the last step's outside stroke.
        if (lastRow >= 0) {
            ASSERT_TRUE(tb::Poll([&] { return !BlackAt((x0 + x1) / 2, lastRow); }));
        }
        // The help line is shown exactly while the key box is closed.
        if (k.drawn) {
            EXPECT_LT(SeparatorRow(2, 40), 0);
            EXPECT_LT(SeparatorRow(h - 40, h - 2), 0);
        } else {
            ASSERT_TRUE(tb::Poll([&] { return (SeparatorRow(2, 40) > 0) == k.top && (SeparatorRow(h - 40, h - 2) > 0) != k.top; }));
        }
        const int row = k.top ? 3 : h - 4;
        const int outside = k.top ? 80 : h - 80;
        const RECT strip = {x0 - 2, row - 3, x1 + 3, row + 4};
        const int before = DarkPixels(strip, {}, 0);
        DrawStroke(x0, row, x1, row);
        DrawStroke(x0, outside, x1, outside);
        ASSERT_TRUE(tb::Poll([&] { return BlackAt((x0 + x1) / 2, outside); }));
        lastRow = outside;
        const int added = DarkPixels(strip, {}, 0) - before;
        if (k.drawn)
            EXPECT_GE(added, (x1 - x0) / 2) << "no trail in the band";
        else
            EXPECT_EQ(added, 0) << "a trail in the band";
    }
}

TEST(JostelScreen, TwentyPointTargetsInRotationOne)
{
    // A sideways 20-point grid on the 1024 x 768 screen: 4 columns by 5 rows,
    // each target where the program draws its red cross, in screen order.
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    const int columns[4] = {25, 349, 674, 999};       // 100, 1399, 2697, 3996 of 4096
    const int rows[5] = {18, 201, 384, 566, 749};     // 100, 1074, 2048, 3022, 3996 of 4096
    ASSERT_TRUE(tb::sim::SetRotation(1));
    SetPointCount(20);
    Jostel j;
    ASSERT_TRUE(Start(&j, 20, 1));
    for (int s = 0; s < 20; ++s) {
        const POINT want = {columns[s % 4], rows[s / 4]};
        POINT seen = {-1, -1};
        ASSERT_TRUE(tb::Poll([&] { return FindRedCross(&seen) && seen.x == want.x && seen.y == want.y; }, 15000))
            << "target " << s << " expected at (" << want.x << ", " << want.y << "), the cross is at (" << seen.x
            << ", " << seen.y << ")";
        if (s == 4) tb::Screenshot("calibration-20-rotation-1");
        ASSERT_TRUE(TouchTarget(&j, s)) << "target " << s;
    }
    // The panel was touched turned by a quarter: the record is still the panel's own.
    ASSERT_TRUE(tb::sim::WaitRequest(wexant::IOCTL_WEXANT_SET_CALIB, 1, 15000));
    EXPECT_EQ(LastInput(wexant::IOCTL_WEXANT_SET_CALIB), PinnedRecord(20));
}

TEST(JostelScreen, GuideSweepsLeaveNothingBehind)
{
    // From the end of a row to the start of the next the guide heads for the
    // window's left edge and stops short of the new row: only the wipe pass
    // removes it. After each move no line is left above the new row. (The
    // wider white pen leaves a lone dark pixel at some joins of the black
    // polyline as Wine draws them; those are no guide line.)
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    const int w = GetSystemMetrics(SM_CXSCREEN);
    for (int s = 0; s < 3; ++s) {
        SCOPED_TRACE(testing::Message() << "target " << s << " to " << s + 1);
        const POINT from = j.Target(s), to = j.Target(s + 1);
        ASSERT_TRUE(TouchTarget(&j, s));
        ASSERT_TRUE(WaitCrossAt(to));
        ASSERT_TRUE(WaitCrossAt(from, false));
        const RECT above = {0, 0, w, to.y + 16};
        EXPECT_EQ(DarkPixels(above, {from, to}, 16, true), 0);
        EXPECT_LE(DarkPixels(above, {from, to}, 16), 12);
        if (s == 2) tb::Screenshot("after-diagonal-sweep");
    }
}

TEST(JostelScreen, ArrowKeysMoveTheTargetWithWrapAround)
{
    SetPointCount(20);
    Jostel j;
    ASSERT_TRUE(Start(&j, 20, 0));
    struct Step {
        UINT vk;
        int to;
    } steps[] = {{VK_UP, 15},   {VK_RIGHT, 16}, {VK_RIGHT, 17}, {VK_DOWN, 2}, {VK_RIGHT, 3},
                 {VK_RIGHT, 4}, {VK_RIGHT, 0},  {VK_DOWN, 5},   {VK_LEFT, 9}};
    int at = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << at << " -> " << s.to);
        ASSERT_TRUE(MoveCross(&j, s.vk, at, s.to));
        at = s.to;
    }
    // An auto-repeated key-down is dropped: Down then goes from 9 to 14
    // (a taken repeat would have moved the target to 5 first, then to 10).
    PostMessageA(j.window, WM_KEYDOWN, VK_RIGHT, 1 | (1 << 30));
    tb::PostKey(j.window, VK_DOWN);
    ASSERT_TRUE(WaitCrossAt(j.Target(14)));
    EXPECT_FALSE(RedCrossAt(j.Target(10)));
    // Moving changes no raw value and asks the driver nothing.
    EXPECT_EQ(Count(wexant::IOCTL_WEXANT_READ_TOUCH), 0u);
}

TEST(JostelScreen, PlacementByMonitorLayoutAndDeviceMarking)
{
    // Monitor 1 is 512 x 768, monitor 2 512 x 384: monitor 2 to the right lies on the test screen.
    tb::reg::SetString(HKEY_LOCAL_MACHINE, kEnumKey, "3", kInstancePath);
    // The driver package makes the driver's key; the marking only opens it.
    tb::reg::CreateKey(HKEY_LOCAL_MACHINE, kDriverKey);
    struct Case {
        const char* what;
        const char* tail;
        uint32_t ncomm;
        bool second;
        int rotation;
        RECT rect;
        bool mode2;
        DWORD monitor;
        DWORD resolutionX = (512u << 16) | 512u, resolutionY = (384u << 16) | 768u;
    } cases[] = {
        {"S: monitor 2 to the right", "S", 0x41, true, 0, {512, 0, 1024, 384}, true, 2},
        {"s, rotated: width and height exchanged", "s", 0x41, true, 1, {512, 0, 896, 512}, true, 2},
        {"S without the second driver's key", "S", 0x41, false, 0, {0, 0, 1024, 768}, false, 1},
        {"S without nComm bit 0", "S", 0x40, true, 0, {0, 0, 1024, 768}, false, 1},
        {"monitor 1", "", 0x01, true, 0, {0, 0, 512, 768}, false, 1},
        {"arranged by the system", "", 0x03, true, 0, {0, 0, 1024, 768}, false, 1},
        // A monitor stored 0 wide or high: the whole primary screen, as without the dual-monitor function.
        {"S: monitor 2 0 wide", "S", 0x41, true, 0, {0, 0, 1024, 768}, true, 2, (0u << 16) | 512u},
        {"S, rotated: monitor 2 0 high", "S", 0x41, true, 1, {0, 0, 1024, 768}, true, 2, (512u << 16) | 512u,
         (0u << 16) | 768u},
        {"monitor 1 0 high", "", 0x01, true, 0, {0, 0, 1024, 768}, false, 1, (512u << 16) | 512u, (384u << 16) | 0u},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(tb::sim::Reset());
        ASSERT_TRUE(tb::sim::SetRotation(k.rotation));
        tb::reg::DeleteValue(HKEY_LOCAL_MACHINE, kDriverKey, kInstancePath);
        tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, kSecondKey);
        if (k.second) {
            tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionX", k.resolutionX);
            tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionY", k.resolutionY);
            tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "nComm", k.ncomm);
        }
        Jostel j;
        ASSERT_TRUE(Start(&j, 9, k.rotation, k.tail, false, &k.rect));
        std::vector<tb::sim::Request> mode = tb::sim::LogOf(wexant::IOCTL_WEXANT_SET_CALIB_MODE);
        ASSERT_EQ(mode.size(), k.mode2 ? 1u : 0u);
        if (k.mode2) {
            EXPECT_EQ(mode[0].input, (std::vector<uint8_t>{2, 0, 0, 0}));
        }
        ASSERT_TRUE(TouchTarget(&j, 0, {}, 3));
        DWORD monitor = 0;
        EXPECT_TRUE(tb::Poll([&] { return tb::reg::GetDword(HKEY_LOCAL_MACHINE, kDriverKey, kInstancePath, &monitor); }));
        EXPECT_EQ(monitor, k.monitor);
        EXPECT_TRUE(WaitCrossAt(j.Target(1)));
        if (k.mode2) tb::Screenshot(std::string("monitor2-") + (k.rotation ? "rotated" : "plain"));
        tb::PostKey(j.window, VK_ESCAPE);
        ASSERT_TRUE(j.process.WaitExit(15000));
    }
}

TEST(JostelScreen, TheLastTouchOnMonitorTwoBringsTheKeyBoxToItsCorner)
{
    // Monitor 2 lies down and right of monitor 1: once its last target is
    // touched, the test screen's key box sits at the window's corner there.
    const RECT monitor2 = UseMonitor2DownRight();
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0, "S", false, &monitor2));
    ASSERT_TRUE(TouchAll(&j));
    ASSERT_TRUE(tb::sim::WaitRequest(wexant::IOCTL_WEXANT_SET_CALIB, 1, 15000));
    HWND box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box) << "no key box on the test screen";
    RECT r = {};
    EXPECT_TRUE(tb::Poll([&] {
        r = tb::ScreenRect(box);
        return r.left == 512 && r.top == 384;
    })) << "the key box is at (" << r.left << ", " << r.top << ")";
}
