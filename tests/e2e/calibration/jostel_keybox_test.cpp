// The key box under Wine: its controls in both languages and the keys they
// post, Insert while it is open, and the click the program makes beside it,
// which must never land on another program's window.
#include <gtest/gtest.h>

#include <memory>

#include "jostel_fixture.h"

using namespace jostel;
using wexant::IOCTL_WEXANT_CALIB_COMMIT;
using wexant::IOCTL_WEXANT_CALIB_DISCARD;
using wexant::IOCTL_WEXANT_READ_TOUCH;
using wexant::IOCTL_WEXANT_SET_CALIB;

namespace {

// Monitor 1 of 512 x 768 on the 1024 x 768 screen: Jostel covers the left
// half, another program's window (the catcher) lies in the right half.
const RECT kLeftHalf = {0, 0, 512, 768};
const RECT kCatcherRect = {600, 100, 1000, 700};
const POINT kOnCatcher = {850, 600};

void LeftHalfLayout()
{
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionX", (512u << 16) | 512u);
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionY", (384u << 16) | 768u);
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "nComm", 0x01);
}

// Jostel on the left half with another program's window (the catcher) in the
// right half, brought into the test screen by Home with its key box open.
struct LeftHalfTestScreen {
    Jostel j;
    std::unique_ptr<ClickCatcher> catcher;
    HWND box = nullptr;
};

bool EnterLeftHalfTestScreen(LeftHalfTestScreen* s)
{
    LeftHalfLayout();
    if (!Start(&s->j, 9, 0, "", false, &kLeftHalf)) return false;
    s->catcher = std::make_unique<ClickCatcher>(kCatcherRect);
    if (!s->catcher->Ready()) return false;
    tb::PostKey(s->j.window, VK_HOME);
    if (!WaitTestScreen(&s->j)) return false;
    s->box = KeyBox(s->j.process.Pid());
    return s->box != nullptr;
}

// Closes the key box with the close box and Yes.
void CloseKeyBox(Jostel* j, HWND box)
{
    tb::PressButton(box, IDCANCEL);
    tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j->process.Pid());
    ASSERT_TRUE(ask);
    tb::PressButton(ask.window, IDYES);
    ASSERT_TRUE(tb::WaitGone(box));
}

// Starts Jostel on the whole screen and goes into the test screen by Home;
// the key box is shown at the window's corner.
HWND EnterTestScreen(Jostel* j, const std::string& tail = "", const RECT* expected = nullptr)
{
    if (!Start(j, 9, 0, tail, false, expected)) return nullptr;
    tb::PostKey(j->window, VK_HOME);
    if (!WaitTestScreen(j)) return nullptr;
    return KeyBox(j->process.Pid());
}

// A message box of the process other than the one given (the key box's close question).
HWND OtherMessageBox(DWORD pid, HWND besides, DWORD timeoutMs)
{
    HWND found = nullptr;
    tb::Poll([&] {
        for (HWND w : tb::TopWindows(pid))
            if (w != besides && tb::ClassOf(w) == "#32770" && GetDlgItem(w, 0xFFFF) && tb::IsVisible(w)) {
                found = w;
                return true;
            }
        return false;
    }, timeoutMs);
    return found;
}

struct ControlLayout {
    int id;
    const char* text;
    int x, y, cx, cy;  // dialog units
};
struct KeyBoxLayout {
    bool japanese;
    const char* caption;
    int cx, cy;  // dialog units
    ControlLayout controls[4];
};
const KeyBoxLayout kEnglish = {false, "Calibration", 279, 33,
                             {{1, "Update", 219, 8, 50, 15},
                              {1004, "Calib screen", 7, 8, 53, 15},
                              {1005, "Cursor on/off", 79, 8, 50, 15},
                              {1006, "CLR screen", 151, 8, 50, 15}}};
const KeyBoxLayout kJapanese = {true, "補正", 263, 33,
                              {{1, "終了", 207, 7, 50, 14},
                               {1004, "補正画面", 7, 7, 50, 14},
                               {1005, "カーソル表示", 71, 8, 50, 14},
                               {1006, "画面消去", 142, 7, 50, 14}}};

// The dialog's base units: the one pair that maps the template's size onto
// the client area as the dialog manager does (MulDiv(cx, x, 4), MulDiv(cy, y, 8)).
bool BaseUnits(HWND box, int cx, int cy, int* baseX, int* baseY)
{
    RECT client;
    GetClientRect(box, &client);
    *baseX = *baseY = 0;
    for (int b = 1; b < 100; ++b) {
        if (MulDiv(cx, b, 4) == client.right) *baseX = b;
        if (MulDiv(cy, b, 8) == client.bottom) *baseY = b;
    }
    return *baseX && *baseY;
}

// Texts, places and keys of the key box's buttons: 1005 toggles the cursor
// (Tab), 1006 wipes the test screen and moves the help line (Delete).
void KeyBoxControls(const KeyBoxLayout& layout)
{
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0, "", layout.japanese));
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitTestScreen(&j));
    HWND box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(Text932(box), layout.caption);
    int baseX = 0, baseY = 0;
    ASSERT_TRUE(BaseUnits(box, layout.cx, layout.cy, &baseX, &baseY))
        << "the client area is no " << layout.cx << " x " << layout.cy << " dialog units";
    for (const ControlLayout& c : layout.controls) {
        SCOPED_TRACE(c.id);
        HWND control = GetDlgItem(box, c.id);
        ASSERT_TRUE(control);
        EXPECT_EQ(Text932(control), c.text);
        EXPECT_EQ(tb::ClassOf(control), "Button");
        const LONG kind = GetWindowLongA(control, GWL_STYLE) & 0x0F;
        EXPECT_EQ(kind, c.id == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        RECT r = tb::ScreenRect(control);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, MulDiv(c.x, baseX, 4));
        EXPECT_EQ(r.top, MulDiv(c.y, baseY, 8));
        EXPECT_EQ(r.right - r.left, MulDiv(c.cx, baseX, 4));
        EXPECT_EQ(r.bottom - r.top, MulDiv(c.cy, baseY, 8));
    }

    // 1005 is Tab: the cursor, hidden by the calibration screen, is shown and hidden again.
    ASSERT_TRUE(tb::Poll([] { return !CursorShowing(); }));
    tb::PressButton(box, 1005);
    EXPECT_TRUE(tb::Poll([] { return CursorShowing(); }));
    tb::PressButton(box, 1005);
    EXPECT_TRUE(tb::Poll([] { return !CursorShowing(); }));

    // 1006 is Delete: the trail is wiped, and the help line, shown once the
    // key box is closed, has moved to the top.
    // (A repaint still due from entering the test screen may wipe a first stroke on a loaded machine.)
    bool drawn = false;
    for (int attempt = 0; attempt < 3 && !drawn; ++attempt) {
        DrawStroke(300, 300, 600, 400);
        drawn = tb::Poll([] { return BlackAt(450, 350); }, 3000);
    }
    ASSERT_TRUE(drawn);
    box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box);
    tb::PressButton(box, 1006);
    EXPECT_TRUE(tb::Poll([] { return !BlackAt(450, 350); }));
    CloseKeyBox(&j, box);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(tb::Poll([&] { return SeparatorRow(2, 40) > 0 && SeparatorRow(h - 40, h - 2) < 0; }));
    tb::Screenshot(std::string("help-line-top-") + (layout.japanese ? "ja" : "en"));
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT), 0u);
}

}  // namespace

TEST(JostelKeyBox, ControlsAndKeysEnglish)
{
    KeyBoxControls(kEnglish);
}

TEST(JostelKeyBox, ControlsAndKeysJapanese)
{
    KeyBoxControls(kJapanese);
}

TEST(JostelKeyBox, InsertWhileTheKeyBoxIsOpenDoesNothing)
{
    Jostel j;
    HWND box = StartOnTestScreen(&j);
    ASSERT_TRUE(box);
    tb::PostKey(j.window, VK_INSERT);
    EXPECT_FALSE(tb::Poll([&] { return KeyBoxes(j.process.Pid()).size() > 1; }, 2000));
    EXPECT_EQ(KeyBoxes(j.process.Pid()), std::vector<HWND>{box});
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 1u);
    EXPECT_FALSE(RedCrossAt(j.Target(0)));
    EXPECT_TRUE(j.process.Running());
}

TEST(JostelKeyBox, NoClickWithoutAKeyBox)
{
    // With the key box closed, going into the test screen (by Home, and by a
    // solve) makes no click: the pointer rests on another program's window.
    LeftHalfTestScreen screen;
    ASSERT_TRUE(EnterLeftHalfTestScreen(&screen));
    Jostel& j = screen.j;
    ClickCatcher& catcher = *screen.catcher;
    HWND box = screen.box;
    CloseKeyBox(&j, box);
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));

    tb::MouseMove(kOnCatcher.x, kOnCatcher.y);
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_CALIB_DISCARD, 2, 15000));
    ASSERT_TRUE(WaitCrossAt(j.Target(0), false));
    EXPECT_FALSE(tb::Poll([&] { return catcher.Clicks() > 0; }, 1500)) << "a click after Home";

    const long afterHome = catcher.Clicks();
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    for (int s = 0; s < 9; ++s) {
        ASSERT_TRUE(TouchByMessage(&j, s)) << "target " << s;
        if (s < 8) {
            ASSERT_TRUE(WaitCrossAt(j.Target(s + 1))) << "target " << s + 1;
        }
    }
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_CALIB, 1, 15000));
    ASSERT_TRUE(WaitCrossAt(j.Target(0), false));
    EXPECT_FALSE(tb::Poll([&] { return catcher.Clicks() > afterHome; }, 1500)) << "a click after the solve";
    EXPECT_TRUE(j.process.Running());
}

TEST(JostelKeyBox, UpdateWhileTheCloseQuestionIsUpEndsWithoutAClick)
{
    // Update pressed while the key box asks whether to close: the program
    // commits and ends inside the question; nothing is clicked afterwards.
    LeftHalfTestScreen screen;
    ASSERT_TRUE(EnterLeftHalfTestScreen(&screen));
    Jostel& j = screen.j;
    ClickCatcher& catcher = *screen.catcher;
    HWND box = screen.box;
    tb::MouseMove(kOnCatcher.x, kOnCatcher.y);
    tb::PressButton(box, IDCANCEL);
    ASSERT_TRUE(tb::WaitMessageBox(5000, j.process.Pid()));
    tb::PressButton(box, 1);
    DWORD code = 1;
    ASSERT_TRUE(j.process.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT), 1u);
    EXPECT_FALSE(tb::Poll([&] { return catcher.Clicks() > 0; }, 1500));
}

TEST(JostelKeyBox, CalibScreenDuringTheCloseQuestionThenNoReadsNoTouch)
{
    // A "Calib screen" command that reaches the key box while the close
    // question is up (the box takes no input then, but a posted command still
    // arrives) brings the calibration screen back; No then makes no click
    // there: the touch that waits in the panel is not read and the first target stays.
    Jostel j;
    HWND box = EnterTestScreen(&j);
    ASSERT_TRUE(box);
    tb::PressButton(box, IDCANCEL);
    tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j.process.Pid());
    ASSERT_TRUE(ask);
    tb::PressButton(box, 1004);
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    const int panel = calib::PanelIndex(0, 9, 0);
    ASSERT_TRUE(tb::sim::InjectTouch(PanelRawX(9, panel), PanelRawY(9, panel)));
    tb::PressButton(ask.window, IDNO);
    ASSERT_TRUE(tb::WaitGone(ask.window));
    EXPECT_FALSE(tb::Poll([] { return Count(IOCTL_WEXANT_READ_TOUCH) > 0; }, 2000)) << "a touch was read";
    EXPECT_FALSE(RedCrossAt(j.Target(1)));
    EXPECT_TRUE(RedCrossAt(j.Target(0)));
    EXPECT_FALSE(tb::WaitMessageBox(500, j.process.Pid()));
    // The calibration screen goes on as before: a real touch is target 0.
    ASSERT_TRUE(TouchTarget(&j, 0));
    EXPECT_TRUE(WaitCrossAt(j.Target(1)));
}

TEST(JostelKeyBox, TheKeyBoxDoesNothingWhileASolveErrorIsUp)
{
    // Home, Home back and Enter with no point touched: the solve fails and the
    // window hides behind the error box. A touch where the key box was may
    // not act: neither its close box (whose No would click at its corner, on
    // whatever lies there) nor "Calib screen" (a discard and the window shown
    // again); after OK the program ends with nothing sent, committed,
    // discarded or saved.
    enum Press { CLOSE_BOX, CALIB_SCREEN };
    for (Press press : {CLOSE_BOX, CALIB_SCREEN}) {
        SCOPED_TRACE(press == CLOSE_BOX ? "close box, then No" : "Calib screen");
        ASSERT_TRUE(tb::sim::Reset());
        Jostel j;
        HWND box = EnterTestScreen(&j);
        ASSERT_TRUE(box);
        const POINT closeBox = HitPoint(box, HTCLOSE);
        ASSERT_GE(closeBox.x, 0);
        tb::PostKey(j.window, VK_HOME);
        ASSERT_TRUE(WaitCrossAt(j.Target(0)));
        const size_t discards = Count(IOCTL_WEXANT_CALIB_DISCARD);
        ASSERT_TRUE(tb::Poll([] { return !CursorShowing(); }));
        tb::PostKey(j.window, VK_RETURN);
        tb::MessageBoxInfo error = tb::WaitMessageBox(5000, j.process.Pid());
        ASSERT_TRUE(error);
        ASSERT_TRUE(tb::Poll([&] { return !tb::IsVisible(j.window); }));
        // The calibration screen hid the cursor; the box shows it to be answered.
        EXPECT_TRUE(tb::Poll([] { return CursorShowing(); }));
        const RECT r = tb::ScreenRect(box);
        ClickCatcher catcher(RECT{r.right, r.bottom, r.right + 100, r.bottom + 100});
        ASSERT_TRUE(catcher.Ready());

        if (press == CLOSE_BOX) {
            tb::MouseClick(closeBox.x, closeBox.y);
            HWND ask = OtherMessageBox(j.process.Pid(), error.window, 1500);
            EXPECT_FALSE(ask) << "the close question came up";
            if (ask) tb::PressButton(ask, IDNO);
            EXPECT_FALSE(tb::Poll([&] { return catcher.Clicks() > 0; }, 1500)) << "a click at the key box's corner";
        } else {
            ClickControl(box, 1004);
            EXPECT_FALSE(tb::Poll([&] { return Count(IOCTL_WEXANT_CALIB_DISCARD) > discards; }, 1500))
                << "a discard inside the error box";
            EXPECT_FALSE(tb::IsVisible(j.window));
        }
        ASSERT_TRUE(IsWindow(error.window));
        tb::PressButton(error.window, IDOK);
        ASSERT_TRUE(j.process.WaitExit(15000));
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_CALIB), 0u);
        EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT), 0u);
        EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), discards);
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, "Caldata9"));
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kDriverKey, "Caldata9"));
    }
}

TEST(JostelKeyBox, ATouchOnTheTestScreenBringsTheKeyBoxToTheFront)
{
    // Real input on the full-screen window puts it above the key box (both
    // stay on top of other programs); after each touch the key box comes back
    // in front with the focus on its button 1, or a panel user without a
    // keyboard would lose every key.
    Jostel j;
    HWND box = EnterTestScreen(&j);
    ASSERT_TRUE(box);
    for (int stroke = 0; stroke < 3; ++stroke) {
        SCOPED_TRACE(stroke);
        const int y = 300 + 100 * stroke;
        DrawStroke(300, y, 600, y);
        ASSERT_TRUE(tb::Poll([&] { return BlackAt(450, y); }));
        EXPECT_TRUE(tb::Poll([&] { return InFrontAtCaption(box); }, 3000)) << "the key box is covered";
        EXPECT_TRUE(tb::Poll([&] { return FocusOf(box) == GetDlgItem(box, 1); }, 3000))
            << "the focus is not on button 1";
    }
}

TEST(JostelKeyBox, PlacedAtTheCornerOfAWindowOnMonitorTwo)
{
    // Monitor 2 lies down and right of monitor 1: the window covers the lower
    // right quarter, and the key box sits at that window's corner, also when
    // No on the close question puts it back.
    const RECT monitor2 = UseMonitor2DownRight();
    Jostel j;
    HWND box = EnterTestScreen(&j, "S", &monitor2);
    ASSERT_TRUE(box);
    RECT r = tb::ScreenRect(box);
    EXPECT_EQ(r.left, 512);
    EXPECT_EQ(r.top, 384);
    SetWindowPos(box, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(tb::Poll([&] { return tb::ScreenRect(box).left == 100; }));
    tb::PressButton(box, IDCANCEL);
    tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j.process.Pid());
    ASSERT_TRUE(ask);
    tb::PressButton(ask.window, IDNO);
    ASSERT_TRUE(tb::WaitGone(ask.window));
    EXPECT_TRUE(tb::Poll([&] {
        r = tb::ScreenRect(box);
        return r.left == 512 && r.top == 384;
    })) << "the key box is at (" << r.left << ", " << r.top << ")";
}

TEST(JostelKeyBox, TheCloseQuestionStaysInFrontWhileItIsUp)
{
    // A touch on the key box's close box asks whether to close it. While the
    // question is up the key box takes no touch: "Calib screen" would bring
    // the calibration screen over the question and leave a panel user before
    // a screen that takes no touch. After No the key box works again.
    Jostel j;
    HWND box = EnterTestScreen(&j);
    ASSERT_TRUE(box);
    const POINT closeBox = HitPoint(box, HTCLOSE);
    ASSERT_GE(closeBox.x, 0);
    tb::MouseClick(closeBox.x, closeBox.y);
    tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j.process.Pid());
    ASSERT_TRUE(ask);
    ClickControl(box, 1004);
    EXPECT_FALSE(WaitCrossAt(j.Target(0), true, 1500)) << "the calibration screen came back";
    EXPECT_TRUE(InFrontAt(ask.window, MiddleOf(ask.window))) << "the question is covered";
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 1u);

    ClickControl(ask.window, IDNO);
    ASSERT_TRUE(tb::WaitGone(ask.window)) << "No did not answer the question";
    ASSERT_TRUE(WaitTestScreen(&j));
    ClickControl(box, 1004);
    EXPECT_TRUE(WaitCrossAt(j.Target(0))) << "the key box does not work after the question";
}

TEST(JostelKeyBox, ErrorBoxOkTakesATouchAcrossItsWidth)
{
    // On monitor 2 the always-on-top key box would lie over part of the
    // centred error box of a failed solve: a touch on any part of OK closes
    // the box, and the program ends.
    const RECT monitor2 = UseMonitor2DownRight();
    for (int eighth : {1, 4, 7}) {
        SCOPED_TRACE(testing::Message() << "OK touched at " << eighth << "/8 of its width");
        ASSERT_TRUE(tb::sim::Reset());
        Jostel j;
        HWND box = EnterTestScreen(&j, "S", &monitor2);
        ASSERT_TRUE(box);
        const RECT keyBox = tb::ScreenRect(box);
        tb::PostKey(j.window, VK_HOME);
        ASSERT_TRUE(WaitCrossAt(j.Target(0)));
        tb::PostKey(j.window, VK_RETURN);
        tb::MessageBoxInfo error = tb::WaitMessageBox(5000, j.process.Pid());
        ASSERT_TRUE(error);
        ASSERT_TRUE(tb::Poll([&] { return !tb::IsVisible(j.window); }));
        const RECT ok = tb::ScreenRect(GetDlgItem(error.window, IDOK));
        RECT overlap;
        ASSERT_TRUE(IntersectRect(&overlap, &ok, &keyBox)) << "the key box's place no longer meets OK";
        const POINT at = {ok.left + (ok.right - ok.left) * eighth / 8, (ok.top + ok.bottom) / 2};
        tb::MouseClick(at.x, at.y);
        EXPECT_TRUE(tb::WaitGone(error.window)) << "the touch at (" << at.x << ", " << at.y << ") missed OK";
        if (IsWindow(error.window)) tb::PressButton(error.window, IDOK);
        ASSERT_TRUE(j.process.WaitExit(15000));
    }
}

TEST(JostelKeyBox, ClickBesideTheKeyBoxStaysOnANarrowWindow)
{
    // Monitor 2, 400 pixels wide, right of monitor 1: the key box is wider
    // than the window. The click the program makes to bring its window to
    // the front lands on that window, not on the program beside it.
    const RECT kNarrow = {512, 0, 912, 768};
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionX", (400u << 16) | 512u);
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "ResolutionY", (768u << 16) | 768u);
    tb::reg::SetDword(HKEY_LOCAL_MACHINE, kSecondKey, "nComm", 0x41);
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0, "S", false, &kNarrow));
    ClickCatcher catcher(RECT{912, 0, 1024, 768});
    ASSERT_TRUE(catcher.Ready());
    tb::PostKey(j.window, VK_HOME);
    HWND box = KeyBox(j.process.Pid());
    ASSERT_TRUE(box);
    const RECT r = tb::ScreenRect(box);
    ASSERT_GT(r.right - r.left, kNarrow.right - kNarrow.left) << "the key box fits the window";
    EXPECT_FALSE(tb::Poll([&] { return catcher.Clicks() > 0; }, 1500)) << "the click landed beside the window";
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_TRUE(InFrontAt(j.window, cursor)) << "the click at (" << cursor.x << ", " << cursor.y
                                             << ") is off the calibration window";
}

TEST(JostelKeyBox, EscOnTheKeyBoxAsksAndTheWindowKeepsItsKeys)
{
    // Real keys. The calibration screen has the focus: an arrow moves the
    // target, Home opens the test screen. There the key box has the focus and
    // Esc asks whether to close it (No keeps it, Yes closes it). With the key
    // box closed the window has its keys again: Esc does nothing on the test
    // screen, Enter commits and ends.
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    const DWORD pid = j.process.Pid();
    ASSERT_TRUE(tb::Poll([&] { return GetForegroundWindow() == j.window; })) << "the window is not in front";
    tb::SendKey(VK_RIGHT);
    ASSERT_TRUE(WaitCrossAt(j.Target(1))) << "Right did not move the target";
    tb::SendKey(VK_HOME);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_CALIB_DISCARD, 1, 15000)) << "Home did not open the test screen";
    ASSERT_TRUE(WaitTestScreen(&j));
    HWND box = KeyBox(pid);
    ASSERT_TRUE(box);
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
        ASSERT_TRUE(tb::Poll([&] { return FocusOf(box) == GetDlgItem(box, 1); }));
        tb::SendKey(VK_ESCAPE);
        tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, pid);
        ASSERT_TRUE(ask) << "Esc on the key box brought no question";
        EXPECT_EQ(ask.text, "You cannot operate this test program when keyboard is not connected.Is key box closed?");
        ClickControl(ask.window, answer);
        ASSERT_TRUE(tb::WaitGone(ask.window));
        if (answer == IDNO) ASSERT_TRUE(WaitTestScreen(&j));
    }
    ASSERT_TRUE(tb::WaitGone(box));

    ASSERT_TRUE(tb::Poll([&] { return GetForegroundWindow() == j.window; })) << "the window is not in front";
    tb::SendKey(VK_ESCAPE);
    EXPECT_FALSE(tb::WaitMessageBox(1000, pid));
    EXPECT_TRUE(j.process.Running()) << "Esc ended the test screen";
    tb::SendKey(VK_RETURN);
    DWORD code = 1;
    ASSERT_TRUE(j.process.WaitExit(15000, &code)) << "Enter did not end the test screen";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_COMMIT), 1u);
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 1u);
}
