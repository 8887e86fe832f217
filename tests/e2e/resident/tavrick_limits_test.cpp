// Tavrick under Wine where stored values, the driver or the hook library do not
// behave: long tones, a floating window stored off every monitor, a mode request
// the driver refuses, a hook library that refuses the Option; and the floating
// window's icon control as the running program lays it out, and the file
// icon the program shares with the control panel applet.
#include "tavrick_fixture.h"

using namespace tavrick;
using namespace wexant;

namespace {

const DWORD kToneAtTouch = 0x000800A4 | OPT_SOUND | OPT_SOUND_ON_TOUCH;  // sound kind 0: the tone

// The hook library stand-in makes each tone last its duration, as a sound device does.
bool HoldTones()
{
    tb::reg::DeleteTree(HKEY_CURRENT_USER, kGralenKey);
    return tb::reg::SetDword(HKEY_CURRENT_USER, kGralenKey, "HoldTones", 1);
}

}  // namespace

// Duration reaches Tavrick unchecked from the registry and the settings message.
// A tone and the suspend step's wait for it stay within the longest tone the
// sound page sets (1000 ms), so the window thread keeps answering and the
// teardown follows at once.
TEST_F(Resident, LargeDurationHoldsNeitherToneNorSuspend)
{
    const struct Case {
        const char* what;
        DWORD stored;   // Duration in the user key
        DWORD message;  // Duration of a settings message, 0: none sent
    } cases[] = {
        {"stored 100 s", 100000, 0},
        {"sent 0xFFFFFFF5, which + 10 makes INFINITE", 50, 0xFFFFFFF5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(HoldTones());
        SetUserDword("Option", kToneAtTouch);
        SetUserDword("Duration", c.stored);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitRunning());
        if (c.message) SendSettingsAndSettle(kToneAtTouch, 1000, c.message);

        ASSERT_TRUE(tb::sim::InjectTouchState(0));
        ASSERT_TRUE(tb::Poll([&] { return GralenDword("ToneStarts") == 1; }, 3000));
        EXPECT_EQ(GralenDword("ToneDuration"), 1000u);

        // Suspend while the tone plays: the window answers after the tone and 10 ms.
        const DWORD before = GetTickCount();
        DWORD_PTR result = 0;
        const LRESULT answered =
            SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, 6000, &result);
        const DWORD took = GetTickCount() - before;
        EXPECT_NE(answered, 0) << "the window thread did not answer within 6 s";
        EXPECT_GE(took, 900u);
        EXPECT_LT(took, 3000u);
        DWORD code = 1;
        ASSERT_TRUE(Stop(&code));
        EXPECT_EQ(code, 0u);
    }
}

// The tone's thread clears the pending touch after the tone: a touch reported
// while a tone plays is absorbed by it.
TEST_F(Resident, SecondTouchDuringALongToneGivesNoSecondTone)
{
    ASSERT_TRUE(HoldTones());
    SetUserDword("Option", kToneAtTouch);
    SetUserDword("Duration", 1000);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    ASSERT_TRUE(tb::Poll([&] { return GralenDword("ToneStarts") == 1; }, 3000));
    const size_t reads = Count(IOCTL_WEXANT_GET_TOUCH_STATE);
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, reads + 1));
    EXPECT_EQ(GralenDword("ToneEnds"), 0u) << "the second touch came after the tone";
    ASSERT_TRUE(tb::Poll([&] { return GralenDword("ToneEnds") == 1; }, 3000));
    EXPECT_FALSE(tb::Poll([&] { return GralenDword("ToneStarts") != 1; }, 300));
    // After the tone, a touch sounds again.
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    EXPECT_TRUE(tb::Poll([&] { return GralenDword("ToneStarts") == 2; }, 3000));
}

// A touch-state read the driver refuses loses the sound of that one report:
// the thread registers its event again after its pause and the next touch beeps.
TEST_F(Resident, RefusedTouchStateReadLosesOnlyThatSound)
{
    SetUserDword("Option", kToneAtTouch);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    const size_t beeps = BeepCount();
    ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_GET_TOUCH_STATE));
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1));
    EXPECT_NE(tb::sim::LogOf(IOCTL_WEXANT_GET_TOUCH_STATE).back().status, 0u);
    ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_GET_TOUCH_STATE, false));
    EXPECT_FALSE(tb::Poll([&] { return BeepCount() != beeps; }, 300));

    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_TOUCH_EVENT, 2));
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 2));
    EXPECT_TRUE(tb::Poll([&] { return BeepCount() == beeps + 1; }, 3000));
}

// A position saved on a monitor that has since gone would leave the button
// out of reach: with no part of the window on a monitor it comes back at 0, 0,
// which is stored as a reset stores it. A window that still shows a part stays.
TEST_F(Resident, FloatingWindowStoredOffEveryMonitorComesBackAtTheOrigin)
{
    const LONG cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const struct Case {
        const char* what;
        LONG x, y;
        bool kept;
    } cases[] = {
        {"right of the screen", 5000, 100, false},
        {"far above it", 100, -32768, false},
        {"at the largest coordinates", 0x7FFFFFFF, 0x7FFFFFFF, false},
        {"beyond the bottom-right corner", cx, cy, false},
        {"a corner over the bottom-right edge", cx - 10, cy - 10, true},
        {"a corner over the top-left edge", -20, -10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tb::reg::DeleteTree(HKEY_CURRENT_USER, kUserKey);
        SetUserDword("Option", 0x000800A4 | OPT_FLOAT_BUTTON);
        SetUserDword("WinPosX", static_cast<DWORD>(c.x));
        SetUserDword("WinPosY", static_cast<DWORD>(c.y));
        ASSERT_TRUE(Start("", false));
        ASSERT_TRUE(WaitRunning());
        HWND floating = FloatWindow();
        ASSERT_TRUE(floating);
        const RECT r = tb::ScreenRect(floating);
        const LONG x = c.kept ? c.x : 0, y = c.kept ? c.y : 0;
        EXPECT_EQ(r.left, x);
        EXPECT_EQ(r.top, y);
        EXPECT_TRUE(IsWindowVisible(floating));
        EXPECT_EQ(UserDword("WinPosX"), static_cast<DWORD>(x));
        EXPECT_EQ(UserDword("WinPosY"), static_cast<DWORD>(y));
        ASSERT_TRUE(Stop());
    }
}

// A user whose settings key cannot be made (its parent is volatile, and a
// volatile key takes no lasting subkey): the built-in settings still reach the
// driver and the system, nothing is stored, and the floating window keeps the
// place it had in memory, also across a switch-off that cannot store 0, 0.
TEST_F(Resident, WithoutAWritableUserKeyTheBuiltInSettingsStillApply)
{
    HKEY parent;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tarsido", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, "Control Panel\\Mouse", "DoubleClickHeight", "4"));
    ASSERT_TRUE(Start("", false));
    ASSERT_TRUE(WaitRunning());
    EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION).at(0).input), kDefaultOption);
    std::string height;
    tb::reg::GetString(HKEY_CURRENT_USER, "Control Panel\\Mouse", "DoubleClickHeight", &height);
    EXPECT_EQ(height, "34");
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, kUserKey));

    const DWORD floatOn = kDefaultOption | OPT_FLOAT_BUTTON;
    SendSettingsAndSettle(floatOn);
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    EXPECT_TRUE(GetWindowLongA(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(floating, nullptr, 250, 180, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendSettingsAndSettle(kDefaultOption);
    ASSERT_TRUE(tb::WaitGone(floating));
    SendSettingsAndSettle(floatOn);
    floating = FloatWindow();
    ASSERT_TRUE(floating);
    const RECT r = tb::ScreenRect(floating);
    EXPECT_EQ(r.left, 250);
    EXPECT_EQ(r.top, 180);
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, kUserKey));
    EXPECT_TRUE(process_.Running());
}

// The driver refuses the mode request while it is present: the mode, the tip
// and both icons stay as they were, in either direction.
TEST_F(Resident, RefusedModeRequestChangesNeitherTipNorIcons)
{
    SetUserDword("Option", 0x000800A4 | OPT_TRAY_ICON | OPT_FLOAT_BUTTON);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    SetWindowPos(floating, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // off the tray
    ASSERT_TRUE(tb::Poll([&] { return IsWindowVisible(TrayWindow()) && MarkedButton(FloatIconRect()) == 'L'; }));

    const struct Step {
        const char* what;
        bool onFloat;      // a real click on the floating icon, else the tray icon's message
        bool right;        // right button, else left
        uint32_t code;     // the request it makes
        bool refused;
        char mark;         // the icons afterwards
        const char* tip;   // the tip afterwards
        uint32_t secondary;
    } steps[] = {
        {"tray left click refused", false, false, IOCTL_WEXANT_SECONDARY_BUTTON, true, 'L', "Switch to Secondary Button", 0},
        {"tray left click", false, false, IOCTL_WEXANT_SECONDARY_BUTTON, false, 'R', "Switch to Primary Button", 1},
        {"floating right click refused", true, true, IOCTL_WEXANT_PRIMARY_BUTTON, true, 'R', "Switch to Primary Button", 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        ASSERT_TRUE(tb::sim::FailCode(s.code, s.refused));
        const size_t before = Count(s.code);
        if (s.onFloat) {
            const RECT icon = FloatIconRect();
            tb::MouseClick((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2, s.right);
        } else {
            PostMessageA(Main(), kTrayNotify, 1, s.right ? WM_RBUTTONUP : WM_LBUTTONUP);
        }
        ASSERT_TRUE(tb::sim::WaitRequest(s.code, before + 1));
        // The window looks where the cursor is when it handles the click: the
        // cursor leaves the icon's picture only now.
        tb::MouseMove(600, 600);
        EXPECT_EQ(tb::sim::LogOf(s.code).back().status != 0, s.refused);
        if (s.refused) {
            // What a switch would show, given time to show it.
            EXPECT_FALSE(tb::Poll([&] { return MarkedButton(FloatIconRect()) != s.mark; }, 500));
        }
        EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == s.mark; }));
        EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == s.mark; }));
        EXPECT_EQ(TrayTip(), s.tip);
        tb::sim::State state;
        ASSERT_TRUE(tb::sim::GetState(&state));
        EXPECT_EQ(state.secondaryButton, s.secondary);
        ASSERT_TRUE(tb::sim::FailCode(s.code, false));
    }
    EXPECT_TRUE(process_.Running());
}

// Started while the driver is absent, nothing switches the button mode after
// the options are applied: the tray icon and the floating window show what
// they were made with, the primary mode, and the tip offers the secondary one.
TEST_F(Resident, WithoutTheDriverTheIconsStartInPrimaryMode)
{
    SetUserDword("Option", 0x000800A4 | OPT_TRAY_ICON | OPT_FLOAT_BUTTON);
    ASSERT_TRUE(tb::sim::StopDriver());
    ASSERT_TRUE(Start());
    main_ = tb::WaitWindow(kResidentWindowClass, kResidentWindowTitle, 10000, Pid());
    ASSERT_TRUE(main_);
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    SetWindowPos(floating, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // off the tray
    ASSERT_TRUE(tb::Poll([&] { return IsWindowVisible(TrayWindow()) != FALSE; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'L'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'L'; }));
    EXPECT_EQ(TrayTip(), "Switch to Secondary Button");
    EXPECT_TRUE(process_.Running());
}

// A hook library that refuses the Option gets exactly five attempts, at start
// and for each settings message; start-up goes on after them.
TEST_F(Resident, RefusedOptionIsTriedFiveTimesAndStartUpGoesOn)
{
    ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kGralenKey, "SetOptionResult", 0));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());  // the touch-state thread registered, the mode set to primary
    std::string five;
    for (int i = 0; i < 5; ++i) five += "Option=000800A4;";
    EXPECT_EQ(GralenCalls(), "SetHook;" + five);
    ASSERT_TRUE(tb::sim::InjectTouchState(1));
    EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1));

    SendSettingsAndSettle(0x000800A4 | OPT_SOUND);
    EXPECT_EQ(GralenDword("SetOptionData"), 10u);
    EXPECT_EQ(GralenDword("Option"), 0x000800A4u | OPT_SOUND);
    EXPECT_TRUE(process_.Running());
}

// The floating window's icon control is handed icons the program loads, and a
// static control never frees them: each time the window goes, switched off by
// the settings or at the end of the session or the program, the icon it
// showed is freed with it.
TEST_F(Resident, FloatingWindowFreesItsIconWhenItGoes)
{
    const struct Case {
        const char* what;
        UINT message;  // 0: the settings switch the floating window off
        WPARAM wParam;
    } cases[] = {
        {"switched off", 0, 0},
        {"session ends", WM_ENDSESSION, TRUE},
        {"program told to end", WM_DESTROY, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND floating = StartWithFloatingWindowAt(0x000800A4 | OPT_FLOAT_BUTTON, 300, 200);  // off the tray
        ASSERT_TRUE(floating);
        // The right-button icon is one the program loaded and handed to the control.
        PostMessageA(Main(), kTrayNotify, 1, WM_LBUTTONUP);
        ASSERT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'R'; }));
        const HICON held = reinterpret_cast<HICON>(SendDlgItemMessageA(floating, kFloatIconId, STM_GETICON, 0, 0));
        ASSERT_TRUE(held);
        ASSERT_FALSE(IconDestroyed(held));

        if (c.message == WM_DESTROY) {
            ASSERT_TRUE(Stop());
        } else if (c.message) {
            SendMessageTimeoutA(Main(), c.message, c.wParam, 0, SMTO_NORMAL, 5000, nullptr);
        } else {
            SendSettingsAndSettle(0x000800A4);
        }
        EXPECT_TRUE(tb::WaitGone(floating));
        EXPECT_TRUE(tb::Poll([&] { return IconDestroyed(held); }, 2000));
        if (process_.Running()) {
            ASSERT_TRUE(Stop());
        }
    }
}

// One control of an extended dialog template as the program carries it.
struct TemplateItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    WORD classOrdinal = 0;  // 0 when the class is named
    std::wstring className;
    WORD textOrdinal = 0;   // 0 when the text is a string
};

// Skips a name-or-ordinal field; gives the ordinal, or 0 and the name.
static WORD SkipSzOrOrd(const WORD*& p, std::wstring* name = nullptr)
{
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        return ordinal;
    }
    for (; *p; ++p)
        if (name) name->push_back(static_cast<wchar_t>(*p));
    ++p;
    return 0;
}

static std::vector<TemplateItem> DialogItems(HMODULE module, int id)
{
    std::vector<TemplateItem> items;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return items;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const WORD* p = reinterpret_cast<const WORD*>(base);
    if (!p || p[0] != 1 || p[1] != 0xFFFF) return items;  // not an extended template
    const DWORD style = *reinterpret_cast<const DWORD*>(p + 6);
    const WORD count = p[8];
    p += 13;  // version, signature, help id, extended style, style, count, x, y, cx, cy
    SkipSzOrOrd(p);  // menu
    SkipSzOrOrd(p);  // class
    SkipSzOrOrd(p);  // caption
    if (style & DS_SETFONT) {
        p += 3;  // point size, weight, italic and character set
        SkipSzOrOrd(p);
    }
    for (WORD i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3));
        TemplateItem item;
        item.style = *reinterpret_cast<const DWORD*>(p + 4);
        item.x = static_cast<short>(p[6]);
        item.y = static_cast<short>(p[7]);
        item.cx = static_cast<short>(p[8]);
        item.cy = static_cast<short>(p[9]);
        item.id = *reinterpret_cast<const DWORD*>(p + 10);
        p += 12;
        item.classOrdinal = SkipSzOrOrd(p, &item.className);
        item.textOrdinal = SkipSzOrOrd(p);
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        items.push_back(item);
    }
    return items;
}

// The floating window's icon control: a static icon control at 13, 9, 20 x 20
// dialog units, showing icon 103. Its place is read from the running window
// in the dialog's own base units; its size from the template the program
// carries, because at run time a static icon control takes the size of the
// icon it shows.
TEST_F(Resident, FloatingIconControlHasItsPlaceAndSizeInDialogUnits)
{
    SetUserDword("Option", 0x000800A4 | OPT_FLOAT_BUTTON);
    ASSERT_TRUE(Start("", false));
    ASSERT_TRUE(WaitRunning());
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    HWND icon = GetDlgItem(floating, kFloatIconId);
    ASSERT_TRUE(icon);
    EXPECT_EQ(tb::ClassOf(icon), "Static");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(icon, GWL_STYLE)) & (WS_CHILD | WS_VISIBLE | SS_TYPEMASK | SS_NOTIFY),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_ICON));
    RECT control = tb::ScreenRect(icon);
    MapWindowPoints(nullptr, floating, reinterpret_cast<POINT*>(&control), 2);
    EXPECT_EQ(control.right - control.left, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(control.bottom - control.top, GetSystemMetrics(SM_CYICON));

    // The program's own template, made here and hidden, gives the dialog's base units.
    HMODULE program = LoadLibraryExA(tb::SystemPath("Tavrick.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    HWND twin = CreateDialogParamA(program, MAKEINTRESOURCEA(105), nullptr,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_TRUE(twin);
    RECT place = {13, 9, 13, 9};
    ASSERT_TRUE(MapDialogRect(twin, &place));
    DestroyWindow(twin);
    EXPECT_EQ(control.left, place.left);
    EXPECT_EQ(control.top, place.top);

    const std::vector<TemplateItem> items = DialogItems(program, 105);
    FreeLibrary(program);
    ASSERT_EQ(items.size(), 1u);
    const TemplateItem& item = items[0];
    EXPECT_EQ(item.id, static_cast<DWORD>(kFloatIconId));
    EXPECT_TRUE(item.classOrdinal == 0x0082 || _wcsicmp(item.className.c_str(), L"Static") == 0);
    EXPECT_EQ(item.textOrdinal, 103);      // the left-button icon
    EXPECT_EQ(item.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_ICON));
    EXPECT_EQ(item.x, 13);
    EXPECT_EQ(item.y, 9);
    EXPECT_EQ(item.cx, 20);
    EXPECT_EQ(item.cy, 20);
}

// The images of an icon group, one a directory entry: its width, height,
// colour count and the bytes of the image itself.
struct IconImage {
    BYTE width = 0, height = 0, colours = 0;
    std::vector<BYTE> bytes;
};

static std::vector<IconImage> IconGroup(HMODULE module, int id)
{
#pragma pack(push, 2)
    struct Entry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    std::vector<IconImage> images;
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
    if (!group) return images;
    const WORD* header = static_cast<const WORD*>(LockResource(LoadResource(module, group)));
    const Entry* entries = reinterpret_cast<const Entry*>(header + 3);
    for (WORD i = 0; i < header[2]; ++i) {
        IconImage image;
        image.width = entries[i].width;
        image.height = entries[i].height;
        image.colours = entries[i].colours;
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(entries[i].id), reinterpret_cast<LPCSTR>(RT_ICON));
        if (found) {
            const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
            image.bytes.assign(bytes, bytes + SizeofResource(module, found));
        }
        images.push_back(image);
    }
    return images;
}

// Tavrick's file icon 101 is the picture of the control panel applet's icon:
// the same images, 32 x 32 and 16 x 16 in 16 colours, pixel for pixel.
TEST(ResidentIcon, FileIconIsTheAppletsPicture)
{
    HMODULE program = LoadLibraryExA(tb::SystemPath("Tavrick.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE applet = LoadLibraryExA(tb::SystemPath("Pemmick.cpl").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    ASSERT_TRUE(applet);
    const std::vector<IconImage> own = IconGroup(program, 101), applets = IconGroup(applet, 100);
    FreeLibrary(program);
    FreeLibrary(applet);
    ASSERT_EQ(own.size(), 2u);
    ASSERT_EQ(applets.size(), own.size());
    const BYTE sizes[] = {32, 16};
    for (size_t i = 0; i < own.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(own[i].width, sizes[i]);
        EXPECT_EQ(own[i].height, sizes[i]);
        EXPECT_EQ(own[i].colours, 16);
        EXPECT_FALSE(own[i].bytes.empty());
        EXPECT_TRUE(own[i].bytes == applets[i].bytes);
    }
}
