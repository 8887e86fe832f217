// The click page: the hidden operate-mode group, the live double-click
// settings with their restore on Cancel, the Option bits and the test icon.
#include "pages_support.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <vector>

using namespace wexant;

namespace {

struct Ids {
    int group, stream, point;
    int firstMovable;  // thirteen ids in a row
    int hideCursor, widthSlider, heightSlider, speedSlider, testIcon;
};
const Ids kJa = {1008, 1006, 1007, 1012, 1142, 1045, 1046, 1047, 1048};
const Ids kEn = {1011, 1009, 1010, 1025, 1004, 1092, 1090, 1088, 1091};

constexpr char kMouseKey[] = "Control Panel\\Mouse";

// What the system keeps in the user's profile for the double-click settings.
std::string Mouse(const char* name) {
    std::string v = "<none>";
    tb::reg::GetString(HKEY_CURRENT_USER, kMouseKey, name, &v);
    return v;
}

std::vector<int> MovingIds(const Ids& ids) {
    std::vector<int> v;
    for (int i = 0; i < 13; ++i) v.push_back(ids.firstMovable + i);
    for (int id : {ids.hideCursor, ids.widthSlider, ids.heightSlider, ids.speedSlider, ids.testIcon}) v.push_back(id);
    return v;
}

HWND OpenClick(pages::Sheet* sheet, bool japanese) {
    *sheet = pages::StartSheet(japanese);
    return sheet->window ? sheet->Show(pages::TAB_CLICK) : nullptr;
}

// The double-click time, width and height that a program started now gets.
struct DoubleClick {
    unsigned time = 0;
    int width = 0, height = 0;
};
DoubleClick SystemDoubleClick() {
    DoubleClick d;
    std::string out;
    if (tb::RunCapture(tb::TestDir() + "\\settings_dblclk_probe.exe", "", &out) == 0)
        sscanf(out.c_str(), "%u %d %d", &d.time, &d.width, &d.height);
    return d;
}

// The three sliders moved as a user's drags move them; true once the system
// has the double-click time the speed gives.
bool TrySliders(HWND page, const Ids& ids, int height, int width, int speed) {
    tb::Scroll(tb::Control(page, ids.heightSlider), height);
    tb::Scroll(tb::Control(page, ids.widthSlider), width);
    tb::Scroll(tb::Control(page, ids.speedSlider), speed);
    const std::string time = std::to_string(1000 - speed);
    return pages::Wait([&] { return Mouse("DoubleClickSpeed") == time; });
}

HICON IconOf(HWND control) {
    return reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
}

// Records the setting changes that programs announce to every top-level
// window (WM_SETTINGCHANGE with the SPI_ code in wParam), through a hidden
// window of a thread of its own.
class SettingChanges {
public:
    SettingChanges() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &SettingChanges::Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, 10000);
    }
    ~SettingChanges() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    std::vector<WPARAM> Seen() {
        std::lock_guard<std::mutex> hold(lock_);
        return seen_;
    }
    // Those of the three double-click settings, in the order they came.
    std::vector<WPARAM> DoubleClickOnes() {
        std::vector<WPARAM> out;
        for (WPARAM w : Seen())
            if (w == SPI_SETDOUBLECLICKTIME || w == SPI_SETDOUBLECLKHEIGHT || w == SPI_SETDOUBLECLKWIDTH) out.push_back(w);
        return out;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_SETTINGCHANGE) {
            auto* self = reinterpret_cast<SettingChanges*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (self) {
                std::lock_guard<std::mutex> hold(self->lock_);
                self->seen_.push_back(wParam);
            }
            return 0;
        }
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    static DWORD WINAPI Run(void* arg) {
        auto* self = static_cast<SettingChanges*>(arg);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &SettingChanges::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PagesSettingChanges";
        RegisterClassA(&wc);
        HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                                      nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for WM_QUIT
        SetEvent(self->ready_);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(window);
        return 0;
    }
    std::mutex lock_;
    std::vector<WPARAM> seen_;
    HANDLE ready_ = nullptr, thread_ = nullptr;
    DWORD threadId_ = 0;
};

// Every picture the test icon shows in one animation cycle and a little more.
std::set<HICON> IconsOfOneCycle(HWND icon) {
    std::set<HICON> shown;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 4600) {
        shown.insert(IconOf(icon));
        Sleep(100);
    }
    shown.erase(nullptr);
    return shown;
}

// The frames of one cycle of the day animation, gathered from its first tick
// on (before it the template's own picture shows); false when it never ticked.
bool DayFrames(HWND icon, std::set<HICON>* frames) {
    HICON first = IconOf(icon);
    if (!pages::Wait([&] { return IconOf(icon) != first; }, 5000)) return false;
    *frames = IconsOfOneCycle(icon);
    return true;
}

}  // namespace

TEST(PagesClick, HiddenModeGroupMovesTheOtherControlsUp) {
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        const Ids& ids = japanese ? kJa : kEn;
        // With the choice offered: point mode shown, and the template places.
        ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_SHOW_MODE_GROUP | OPT_POINT_MODE | OPT_HIDE_CURSOR));
        pages::Sheet shown;
        HWND page = OpenClick(&shown, japanese);
        ASSERT_NE(nullptr, page);
        EXPECT_TRUE(tb::IsChecked(tb::Control(page, ids.hideCursor)));
        EXPECT_TRUE(tb::IsVisible(tb::Control(page, ids.group)));
        EXPECT_TRUE(tb::IsChecked(tb::Control(page, ids.point)));
        EXPECT_FALSE(tb::IsChecked(tb::Control(page, ids.stream)));
        RECT group = tb::ScreenRect(tb::Control(page, ids.group));
        const int h = group.bottom - group.top;
        std::vector<RECT> before;
        for (int id : MovingIds(ids)) before.push_back(pages::ClientRect(page, tb::Control(page, id)));
        // Stream mode clears the point bit.
        EXPECT_FALSE(shown.ApplyEnabled());
        tb::Click(tb::Control(page, ids.stream));
        ASSERT_TRUE(pages::Wait([&] { return shown.ApplyEnabled(); }));
        ASSERT_TRUE(shown.Apply());
        EXPECT_EQ(0u, pages::User("Option") & OPT_POINT_MODE);
        tb::Click(tb::Control(page, ids.point));
        ASSERT_TRUE(shown.Apply());
        EXPECT_NE(0u, pages::User("Option") & OPT_POINT_MODE);
        shown.Cancel();

        // Without it: the group and its buttons hidden, everything else up by its height.
        ASSERT_TRUE(pages::SetUser("Option", kDefaultOption | OPT_POINT_MODE));
        pages::Sheet hidden;
        page = OpenClick(&hidden, japanese);
        ASSERT_NE(nullptr, page);
        for (int id : {ids.group, ids.stream, ids.point}) EXPECT_FALSE(tb::IsVisible(tb::Control(page, id))) << id;
        std::vector<int> moving = MovingIds(ids);
        for (size_t i = 0; i < moving.size(); ++i) {
            RECT r = pages::ClientRect(page, tb::Control(page, moving[i]));
            EXPECT_EQ(before[i].left, r.left) << moving[i];
            EXPECT_EQ(before[i].top - h, r.top) << moving[i];
            EXPECT_EQ(before[i].right - before[i].left, r.right - r.left) << moving[i];
            EXPECT_EQ(before[i].bottom - before[i].top, r.bottom - r.top) << moving[i];
        }
        pages::Shot(page, std::string("click-") + (japanese ? "ja" : "en"));
        // The point bit keeps its stored value through another change.
        EXPECT_FALSE(tb::IsChecked(tb::Control(page, ids.hideCursor)));
        tb::Click(tb::Control(page, ids.hideCursor));
        ASSERT_TRUE(hidden.Apply());
        EXPECT_EQ(kDefaultOption | OPT_POINT_MODE | OPT_HIDE_CURSOR, pages::User("Option"));
        tb::Click(tb::Control(page, ids.hideCursor));
        ASSERT_TRUE(hidden.Apply());
        EXPECT_EQ(kDefaultOption | OPT_POINT_MODE, pages::User("Option"));
        hidden.Cancel();
    }
}

TEST(PagesClick, SlidersSetTheSystemAtOnceAndCancelRestores) {
    ASSERT_TRUE(pages::SetUser("DHeight", 20));
    ASSERT_TRUE(pages::SetUser("DWidth", 30));
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, kMouseKey, "DoubleClickSpeed", "500"));
    pages::Sheet sheet;
    HWND page = OpenClick(&sheet, false);
    ASSERT_NE(nullptr, page);
    HWND height = tb::Control(page, kEn.heightSlider), width = tb::Control(page, kEn.widthSlider),
         speed = tb::Control(page, kEn.speedSlider);
    EXPECT_EQ(20, SendMessageA(height, TBM_GETPOS, 0, 0));
    EXPECT_EQ(30, SendMessageA(width, TBM_GETPOS, 0, 0));
    EXPECT_EQ(500, SendMessageA(speed, TBM_GETPOS, 0, 0));
    EXPECT_EQ(2, SendMessageA(height, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(66, SendMessageA(height, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(100, SendMessageA(speed, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(800, SendMessageA(speed, TBM_GETRANGEMAX, 0, 0));

    tb::Scroll(height, 50);
    ASSERT_TRUE(pages::Wait([] { return Mouse("DoubleClickHeight") == "50"; }));
    tb::Scroll(width, 10);
    ASSERT_TRUE(pages::Wait([] { return Mouse("DoubleClickWidth") == "10"; }));
    tb::Scroll(speed, 700);
    ASSERT_TRUE(pages::Wait([] { return Mouse("DoubleClickSpeed") == "300"; }));
    EXPECT_TRUE(sheet.ApplyEnabled());
    // The keyboard's steps: an arrow moves the area by 8 pixels, Page Down the speed by 50.
    tb::PostKey(height, VK_RIGHT);
    EXPECT_TRUE(pages::Wait([] { return Mouse("DoubleClickHeight") == "58"; })) << Mouse("DoubleClickHeight");
    tb::PostKey(speed, VK_NEXT);
    EXPECT_TRUE(pages::Wait([] { return Mouse("DoubleClickSpeed") == "250"; })) << Mouse("DoubleClickSpeed");

    ASSERT_TRUE(sheet.Cancel());
    EXPECT_EQ("20", Mouse("DoubleClickHeight"));
    EXPECT_EQ("30", Mouse("DoubleClickWidth"));
    EXPECT_EQ("500", Mouse("DoubleClickSpeed"));
    // Nothing was stored.
    EXPECT_EQ(20u, pages::User("DHeight"));
    EXPECT_EQ(30u, pages::User("DWidth"));
}

TEST(PagesClick, ApplyCommitsAndLaterCancelReturnsToIt) {
    pages::Sheet sheet;
    HWND page = OpenClick(&sheet, true);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(TrySliders(page, kJa, 42, 18, 600));
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(42u, pages::User("DHeight"));
    EXPECT_EQ(18u, pages::User("DWidth"));
    tb::Scroll(tb::Control(page, kJa.heightSlider), 58);
    tb::Scroll(tb::Control(page, kJa.speedSlider), 200);
    ASSERT_TRUE(pages::Wait([] { return Mouse("DoubleClickSpeed") == "800"; }));
    ASSERT_TRUE(sheet.Cancel());
    EXPECT_EQ("42", Mouse("DoubleClickHeight"));
    EXPECT_EQ("18", Mouse("DoubleClickWidth"));
    EXPECT_EQ("400", Mouse("DoubleClickSpeed"));
    EXPECT_EQ(42u, pages::User("DHeight"));
}

// The sound page comes before the click page among the sheet's pages: once
// it has been opened, its OnApply is the one that stores the settings. What
// was applied must stay in the system after Cancel all the same.
TEST(PagesClick, CancelKeepsWhatTheSoundPageApplied) {
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_NE(nullptr, sheet.window);
    ASSERT_NE(nullptr, sheet.Show(pages::TAB_SOUND));
    HWND page = sheet.Show(pages::TAB_CLICK);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(TrySliders(page, kEn, 42, 18, 600));
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(42u, pages::User("DHeight"));
    EXPECT_EQ(18u, pages::User("DWidth"));
    // A later try that is not applied goes; the applied values come back.
    tb::Scroll(tb::Control(page, kEn.widthSlider), 58);
    tb::Scroll(tb::Control(page, kEn.speedSlider), 200);
    ASSERT_TRUE(pages::Wait([] { return Mouse("DoubleClickSpeed") == "800"; }));
    ASSERT_TRUE(sheet.Cancel());
    DoubleClick d = SystemDoubleClick();
    EXPECT_EQ(400u, d.time);
    EXPECT_EQ(18, d.width);
    EXPECT_EQ(42, d.height);
}

TEST(PagesClick, CancelWithoutChangeResetsTheSystemOnlyWhenThePageWasOpened) {
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, kMouseKey, "DoubleClickHeight", "10"));
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, kMouseKey, "DoubleClickSpeed", "150"));
    {
        pages::Sheet sheet = pages::StartSheet(false);
        ASSERT_NE(nullptr, sheet.window);
        sheet.Show(pages::TAB_SOUND);
        ASSERT_TRUE(sheet.Cancel());
        EXPECT_EQ("10", Mouse("DoubleClickHeight"));
    }
    {
        // 150 ms gives the speed 850, shown at the slider's end 800 but kept.
        pages::Sheet sheet;
        HWND page = OpenClick(&sheet, false);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(800, SendMessageA(tb::Control(page, kEn.speedSlider), TBM_GETPOS, 0, 0));
        ASSERT_TRUE(sheet.Cancel());
        EXPECT_EQ("34", Mouse("DoubleClickHeight"));
        EXPECT_EQ("34", Mouse("DoubleClickWidth"));
        EXPECT_EQ("150", Mouse("DoubleClickSpeed"));
    }
}

TEST(PagesClick, DoubleClickOnTheTestIconSwitchesDayAndNight) {
    pages::Sheet sheet;
    HWND page = OpenClick(&sheet, false);
    ASSERT_NE(nullptr, page);
    HWND icon = tb::Control(page, kEn.testIcon);
    // One frame a second, four frames to a cycle.
    std::set<HICON> day;
    ASSERT_TRUE(DayFrames(icon, &day));
    EXPECT_EQ(4u, day.size());

    // A double-click beside the icon changes nothing.
    RECT r = tb::ScreenRect(icon);
    tb::MouseMove(r.left - 30, r.top);
    PostMessageA(page, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    Sleep(300);
    EXPECT_TRUE(day.count(IconOf(icon)));

    // On the icon: the night animation at once, before the next tick of the
    // timer (a message sent to the page's thread comes before its timer).
    const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    tb::MouseMove(middle.x, middle.y);
    ASSERT_TRUE(pages::Wait([&] {
        POINT at;
        return GetCursorPos(&at) && at.x == middle.x && at.y == middle.y;
    }, 3000));
    SendMessageA(page, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_FALSE(day.count(IconOf(icon)));
    ASSERT_TRUE(pages::Wait([&] { return !day.count(IconOf(icon)); }, 3000));
    std::set<HICON> night = IconsOfOneCycle(icon);
    EXPECT_EQ(4u, night.size());
    for (HICON h : night) EXPECT_FALSE(day.count(h));
    EXPECT_FALSE(sheet.ApplyEnabled());
    pages::Shot(page, "click-night");
}

// Double clicks of the real mouse, which the system recognises with the
// double-click time that the speed slider has just set: on the test icon
// they switch day and night, over the page beside the icon they do not, and
// two clicks further apart than that time are no double click.
TEST(PagesClick, RealDoubleClickOnTheTestIconSwitchesWithTheSpeedJustSet) {
    struct Case {
        int speed;      // slider position: a double-click time of 1000 minus it
        int gapMs;      // between the two clicks
        bool onIcon;
        bool night;     // what the icon shows afterwards
    } cases[] = {
        {100, 400, true, true},     // 900 ms: a double click
        {800, 400, true, true},     // 200 ms: two single clicks
        {800, 60, false, true},     // beside the icon
        {800, 60, true, false},
    };
    for (bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "ja" : "en");
        const Ids& ids = japanese ? kJa : kEn;
        pages::Sheet sheet;
        HWND page = OpenClick(&sheet, japanese);
        ASSERT_NE(nullptr, page);
        HWND icon = tb::Control(page, ids.testIcon);
        std::set<HICON> day;
        ASSERT_TRUE(DayFrames(icon, &day));
        ASSERT_EQ(4u, day.size());
        RECT r = tb::ScreenRect(icon);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "speed " << c.speed << ", " << c.gapMs << " ms apart"
                                            << (c.onIcon ? "" : ", beside the icon"));
            tb::Scroll(tb::Control(page, ids.speedSlider), c.speed);
            SendMessageA(page, WM_NULL, 0, 0);
            // Inside the test group, a little left of the icon, or on its middle.
            const int x = c.onIcon ? (r.left + r.right) / 2 : r.left - 12, y = (r.top + r.bottom) / 2;
            ASSERT_TRUE(pages::XInput({"mousemove", std::to_string(x), std::to_string(y), "click", "--repeat", "2",
                                       "--delay", std::to_string(c.gapMs), "1"}));
            Sleep(1200);  // longer than the slowest double-click time
            if (c.night) {
                EXPECT_TRUE(pages::Wait([&] { return !day.count(IconOf(icon)); }, 3000));
            } else {
                EXPECT_TRUE(pages::Wait([&] { return day.count(IconOf(icon)) != 0; }, 3000));
            }
        }
        ASSERT_TRUE(sheet.Cancel());
    }
}

// A slider's try is stored in the user's profile without telling the other
// programs; Cancel puts the committed values back and announces each of them:
// time, height, width.
TEST(PagesClick, CancelAnnouncesTheRestoredValuesAndSlidersDoNot) {
    SettingChanges changes;
    pages::Sheet sheet;
    HWND page = OpenClick(&sheet, true);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(TrySliders(page, kJa, 50, 10, 700));
    Sleep(500);
    EXPECT_TRUE(changes.DoubleClickOnes().empty());
    ASSERT_TRUE(sheet.Cancel());
    const std::vector<WPARAM> order = {SPI_SETDOUBLECLICKTIME, SPI_SETDOUBLECLKHEIGHT, SPI_SETDOUBLECLKWIDTH};
    EXPECT_TRUE(pages::Wait([&] { return changes.DoubleClickOnes().size() >= 3; }, 5000));
    EXPECT_EQ(order, changes.DoubleClickOnes());
}

// An Apply that the missing driver refuses stores nothing, so it commits
// nothing either: Cancel still returns the system to the values the page
// started with, the double-click time among them.
TEST(PagesClick, RefusedApplyLeavesCancelToTheStartValues) {
    ASSERT_TRUE(pages::SetUser("DHeight", 20));
    ASSERT_TRUE(pages::SetUser("DWidth", 30));
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, kMouseKey, "DoubleClickSpeed", "500"));
    ASSERT_TRUE(tb::sim::StopDriver());
    pages::Sheet sheet;
    HWND page = OpenClick(&sheet, false);
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(TrySliders(page, kEn, 50, 10, 700));
    ASSERT_TRUE(pages::Wait([&] { return sheet.ApplyEnabled(); }));
    tb::Click(tb::Control(sheet.window, pages::kApplyButton));
    tb::MessageBoxInfo box = tb::WaitMessageBox(20000, sheet.process.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ("Drivr is not found.", pages::Utf8(GetDlgItem(box.window, 0xFFFF)));
    tb::PressButton(box.window, IDOK);
    ASSERT_TRUE(tb::WaitGone(box.window));
    ASSERT_TRUE(pages::Wait([&] { return !sheet.ApplyEnabled(); }));
    ASSERT_TRUE(sheet.Cancel());
    DoubleClick d = SystemDoubleClick();
    EXPECT_EQ(500u, d.time);
    EXPECT_EQ(30, d.width);
    EXPECT_EQ(20, d.height);
    EXPECT_EQ(20u, pages::User("DHeight"));
}
