// Tavrick under Wine with the simulated panel driver and the stand-in hook
// library: start-up, settings loader and bundle, settings message, touch beep,
// driver loss, teardown, tray icon and floating window, wake and session watch.
#include "tavrick_fixture.h"

#include <cstdio>

using namespace tavrick;
using namespace wexant;

namespace {

const uint32_t kSound = OPT_SOUND, kAtTouch = OPT_SOUND_ON_TOUCH, kPoint = OPT_POINT_MODE;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

struct Slot {
    const char* name;
    size_t offset;
    size_t size;
};
// The double-click width or height the system holds for the user.
std::string MouseSetting(const char* name)
{
    std::string value;
    tb::reg::GetString(HKEY_CURRENT_USER, "Control Panel\\Mouse", name, &value);
    return value;
}

const Slot kSlots[] = {
    {"Caldata9", 4, 110},    {"Caldata12", 114, 160},  {"Caldata20", 274, 320},
    {"Caldata9S", 594, 110}, {"Caldata12S", 704, 160}, {"Caldata20S", 864, 320},
};

}  // namespace

TEST_F(Resident, FirstLoadWithoutAnyKeyCreatesTheUserKeyFromDefaults)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    const struct {
        const char* name;
        DWORD value;
    } expected[] = {{"Option", 0x000800A4}, {"Freq", 1000},    {"Duration", 50},   {"DHeight", 34},
                    {"DWidth", 34},         {"StdFreq", 1000}, {"StdDuration", 50}, {"SpinTop", 0}};
    for (const auto& e : expected) EXPECT_EQ(UserDword(e.name), e.value) << e.name;
    EXPECT_EQ(tb::reg::ValueNames(HKEY_CURRENT_USER, kUserKey).size(), 8u);
    EXPECT_EQ(Count(IOCTL_WEXANT_LOAD_CALIB_BUNDLE), 0u);
    auto options = tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION);
    ASSERT_FALSE(options.empty());
    EXPECT_EQ(options[0].input.size(), 4u);
    EXPECT_EQ(Le32(options[0].input), 0x000800A4u);
    // The double-click area follows the loaded values.
    EXPECT_EQ(MouseSetting("DoubleClickWidth"), "34");
    EXPECT_EQ(MouseSetting("DoubleClickHeight"), "34");
    EXPECT_EQ(GralenCalls(), "SetHook;Option=000800A4;");
}

TEST_F(Resident, FirstLoadCopiesTheDriverKeyAndLaterLoadsKeepTheUserKey)
{
    const DWORD machineOption = kSound | kAtTouch | OPT_CALIB_12 | 0x3000;
    const struct {
        const char* name;
        DWORD value;
    } machine[] = {{"Option", machineOption}, {"Freq", 2000}, {"Duration", 80}, {"DHeight", 20},
                   {"DWidth", 24},            {"StdFreq", 1500}, {"StdDuration", 60}};
    for (const auto& m : machine) ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, DriverParametersKey, m.name, m.value));
    auto record = Pattern(160, 3);
    tb::reg::SetBinary(HKEY_LOCAL_MACHINE, DriverParametersKey, "Caldata12", record.data(), record.size());

    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    for (const auto& m : machine) EXPECT_EQ(UserDword(m.name), m.value) << m.name;
    EXPECT_EQ(UserDword("SpinTop"), 0u);
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, "Caldata12"));  // records are not copied
    EXPECT_EQ(Count(IOCTL_WEXANT_LOAD_CALIB_BUNDLE), 0u);
    EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION).at(0).input), machineOption);
    // Height and width differ here, so each is seen to come from its own value.
    EXPECT_EQ(MouseSetting("DoubleClickWidth"), "24");
    EXPECT_EQ(MouseSetting("DoubleClickHeight"), "20");
    DWORD code = 1;
    ASSERT_TRUE(Stop(&code));
    EXPECT_EQ(code, 0u);

    // The user key now exists: a changed machine-wide Option is not consulted,
    // and the double-click area is the user's own.
    ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, DriverParametersKey, "Option", 0x000800A4));
    SetUserDword("DHeight", 12);
    SetUserDword("DWidth", 16);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION).at(0).input), machineOption);
    EXPECT_EQ(MouseSetting("DoubleClickWidth"), "16");
    EXPECT_EQ(MouseSetting("DoubleClickHeight"), "12");
}

// A user key that lacks values keeps the built-in ones for them (the machine's
// key is not consulted once the user has a key), and a bundle the driver
// refuses does not keep the Option or the double-click area from their way.
TEST_F(Resident, LoadKeepsBuiltInValuesAndGoesOnPastARefusedBundle)
{
    ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, DriverParametersKey, "Freq", 2000));
    ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, DriverParametersKey, "DHeight", 20));
    const DWORD option = 0x000800A4 | kSound | kAtTouch;
    SetUserDword("Option", option);
    auto record = Pattern(160, 5);
    ASSERT_TRUE(tb::reg::SetBinary(HKEY_CURRENT_USER, kUserKey, "Caldata12", record.data(), record.size()));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    EXPECT_EQ(MouseSetting("DoubleClickWidth"), "34");
    EXPECT_EQ(MouseSetting("DoubleClickHeight"), "34");
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    EXPECT_TRUE(tb::Poll([&] { return TraceCount(".Beep(000003e8,00000032)") == 1; }, 3000));

    // Loaded again on resume while the driver refuses the bundle.
    ASSERT_TRUE(tb::sim::FailCode(IOCTL_WEXANT_LOAD_CALIB_BUNDLE));
    SetUserDword("DHeight", 14);
    const size_t sets = Count(IOCTL_WEXANT_SET_OPTION);
    SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, SMTO_NORMAL, 5000, nullptr);
    auto bundles = tb::sim::LogOf(IOCTL_WEXANT_LOAD_CALIB_BUNDLE);
    ASSERT_EQ(bundles.size(), 2u);
    EXPECT_NE(bundles.back().status, 0u);
    EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), sets + 1);
    EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION).back().input), option);
    EXPECT_EQ(MouseSetting("DoubleClickHeight"), "14");
}

TEST_F(Resident, BundleCarriesExactlySizedRecordsAtTheirOffsets)
{
    struct Value {
        const char* name;
        size_t size;
    };
    const struct Case {
        const char* what;
        std::vector<Value> values;
        uint32_t mask;  // 0: no bundle is sent
    } cases[] = {
        {"only Caldata12S", {{"Caldata12S", 160}}, 0x20},
        {"Caldata9 too long, Caldata9S read", {{"Caldata9", 120}, {"Caldata9S", 110}}, 0x10},
        {"Caldata20 too short", {{"Caldata20", 100}}, 0},
        {"all six", {{"Caldata9", 110}, {"Caldata12", 160}, {"Caldata20", 320},
                     {"Caldata9S", 110}, {"Caldata12S", 160}, {"Caldata20S", 320}}, 0x77},
        {"no record", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tb::reg::DeleteTree(HKEY_CURRENT_USER, kUserKey);
        SetUserDword("Option", 0x000800A4);
        uint8_t seed = 1;
        for (const Value& v : c.values) {
            auto bytes = Pattern(v.size, seed++);
            ASSERT_TRUE(tb::reg::SetBinary(HKEY_CURRENT_USER, kUserKey, v.name, bytes.data(), bytes.size()));
        }
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitRunning());
        auto bundles = tb::sim::LogOf(IOCTL_WEXANT_LOAD_CALIB_BUNDLE);
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), 1u);
        if (c.mask == 0) {
            EXPECT_TRUE(bundles.empty());
        } else {
            ASSERT_EQ(bundles.size(), 1u);
            const std::vector<uint8_t>& b = bundles[0].input;
            ASSERT_EQ(b.size(), 1184u);
            EXPECT_EQ(Le32(b), c.mask);
            std::vector<uint8_t> expected(1184, 0);
            for (int i = 0; i < 4; ++i) expected[i] = static_cast<uint8_t>(c.mask >> (8 * i));
            seed = 1;
            for (const Value& v : c.values) {
                const uint8_t mine = seed++;
                for (const Slot& s : kSlots) {
                    if (std::string(s.name) == v.name && s.size == v.size) {
                        auto bytes = Pattern(v.size, mine);
                        std::copy(bytes.begin(), bytes.end(), expected.begin() + s.offset);
                    }
                }
            }
            EXPECT_TRUE(b == expected);
        }
        ASSERT_TRUE(Stop());
    }
}

TEST_F(Resident, SettingsMessageReachesDriverAndHookWithoutTheRegistry)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    const DWORD option = 0x000800A4 | kSound | kPoint;
    const size_t hookCalls = GralenDword("SetOptionData");
    SendSettingsAndSettle(option, 2000, 70);
    EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION).back().input), option);
    EXPECT_EQ(GralenDword("Option"), option);
    EXPECT_EQ(GralenDword("SetOptionData"), hookCalls + 1);
    EXPECT_EQ(UserDword("Option"), 0x000800A4u);  // the sender stores the values
    EXPECT_EQ(UserDword("Freq"), 1000u);
    tb::sim::State state;
    ASSERT_TRUE(tb::sim::GetState(&state));
    EXPECT_EQ(state.option, option);
    EXPECT_EQ(state.secondaryButton, 0u);
    // The new tone is what the next touch plays.
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    EXPECT_TRUE(tb::Poll([&] { return TraceCount(".Beep(000007d0,00000046)") == 1; }, 3000));

    // A payload shorter than the message, or none at all, changes nothing.
    const size_t sets = Count(IOCTL_WEXANT_SET_OPTION);
    DWORD data[4] = {0, 500, 20, 0};
    COPYDATASTRUCT shortMessage = {0, 15, data};
    COPYDATASTRUCT noData = {0, 16, nullptr};
    DWORD_PTR result;
    SendMessageTimeoutA(Main(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&shortMessage), SMTO_NORMAL, 5000, &result);
    SendMessageTimeoutA(Main(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&noData), SMTO_NORMAL, 5000, &result);
    EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), sets);
    EXPECT_EQ(GralenDword("Option"), option);
    EXPECT_TRUE(process_.Running());
}

TEST_F(Resident, TouchStatesBeepByTheOptionOfTheMoment)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    const struct Case {
        uint32_t option;
        uint32_t state;
        const char* call;  // the sound expected, nullptr for none
    } cases[] = {
        {kSound | kAtTouch, 0, ".Beep(000003e8,00000032)"},
        {kSound | kAtTouch, 1, nullptr},
        {kSound | kAtTouch, 2, nullptr},
        {kSound, 0, nullptr},
        {kSound, 1, ".Beep(000003e8,00000032)"},
        {kSound, 2, ".Beep(000003e8,00000032)"},
        {kSound | kAtTouch, 9, nullptr},
        {kSound | kPoint, 1, ".Beep(000003e8,00000032)"},
        {kSound | kPoint | kAtTouch, 9, ".Beep(000003e8,00000032)"},
        {kPoint | kAtTouch, 2, nullptr},
        {kAtTouch, 0, nullptr},
        {kSound | kAtTouch | 0x1000, 0, ".MessageBeep(00000040)"},
        {kSound | kAtTouch | 0x2000, 0, ".MessageBeep(00000030)"},
        {kSound | kAtTouch | 0x3000, 0, ".MessageBeep(00000020)"},
        {kSound | kAtTouch | 0x4000, 0, ".MessageBeep(00000010)"},
        {kSound | kAtTouch | 0x5000, 0, ".MessageBeep(00000000)"},
        {kSound | kAtTouch | 0x6000, 0, ".MessageBeep(ffffffff)"},
        {kSound | kAtTouch | 0x7000, 0, ".Beep(000003e8,00000032)"},
        {kSound | kAtTouch | 0xF000, 0, ".Beep(000003e8,00000032)"},
    };
    for (const Case& c : cases) {
        char what[64];
        snprintf(what, sizeof(what), "Option %08X state %u", c.option, c.state);
        SCOPED_TRACE(what);
        SendSettingsAndSettle(c.option);
        const size_t reads = Count(IOCTL_WEXANT_GET_TOUCH_STATE);
        const size_t primary = Count(IOCTL_WEXANT_PRIMARY_BUTTON);
        const size_t beeps = BeepCount();
        const size_t expectedCalls = c.call ? TraceCount(c.call) + 1 : 0;
        ASSERT_TRUE(tb::sim::InjectTouchState(c.state));
        ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, reads + 1));
        if (c.call) {
            EXPECT_TRUE(tb::Poll([&] { return TraceCount(c.call) == expectedCalls; }, 3000));
            EXPECT_EQ(BeepCount(), beeps + 1);
        } else {
            EXPECT_FALSE(tb::Poll([&] { return BeepCount() != beeps; }, 300));
        }
        // A release after a secondary-button touch returns the mode to primary, sound or not.
        if (c.state == 2) {
            EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_PRIMARY_BUTTON, primary + 1));
        }
    }
}

TEST_F(Resident, TouchThreadRetriesUntilTheDriverIsBackThenReloads)
{
    SetUserDword("Option", 0x000800A4);
    auto record = Pattern(160, 9);
    ASSERT_TRUE(tb::reg::SetBinary(HKEY_CURRENT_USER, kUserKey, "Caldata12", record.data(), record.size()));
    ASSERT_TRUE(tb::sim::StopDriver());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(tb::WaitWindow(kResidentWindowClass, kResidentWindowTitle, 5000, Pid()));
    ASSERT_TRUE(tb::Poll([&] { return GralenDword("SetHook") == 1; }));
    EXPECT_TRUE(process_.Running());

    ASSERT_TRUE(tb::sim::StartDriver());
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_PRIMARY_BUTTON, 1, 5000));
    std::vector<uint32_t> codes;
    for (const auto& r : tb::sim::Log()) codes.push_back(r.code);
    const std::vector<uint32_t> expected = {IOCTL_WEXANT_SET_TOUCH_EVENT, IOCTL_WEXANT_LOAD_CALIB_BUNDLE,
                                            IOCTL_WEXANT_SET_OPTION, IOCTL_WEXANT_BUTTONS_NORMAL,
                                            IOCTL_WEXANT_PRIMARY_BUTTON};
    ASSERT_GE(codes.size(), expected.size());
    EXPECT_TRUE(std::vector<uint32_t>(codes.begin(), codes.begin() + expected.size()) == expected);
    EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_LOAD_CALIB_BUNDLE).at(0).input), 0x2u);
    // Registered and reading again.
    ASSERT_TRUE(tb::sim::InjectTouchState(1));
    EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1));
}

TEST_F(Resident, SuspendStopsTheThreadsAndResumeReloads)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    const int running = ThreadCount(Pid());
    SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_TRUE(tb::Poll([&] { return ThreadCount(Pid()) <= running - 2; }));  // beep and touch-state threads
    ASSERT_TRUE(tb::sim::InjectTouchState(0));
    EXPECT_FALSE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1, 300));

    const size_t sets = Count(IOCTL_WEXANT_SET_OPTION);
    SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), sets + 1);
    EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_TOUCH_EVENT, 2));
    EXPECT_TRUE(tb::Poll([&] { return ThreadCount(Pid()) >= running; }));
    ASSERT_TRUE(tb::sim::InjectTouchState(1));
    EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1));
}

// After a resume the driver may have lost what it was told: the settings read
// again give it the Option, the cursor follows that Option again, and the
// driver hears again whether the system buttons are swapped, in primary mode.
TEST_F(Resident, ResumeHidesTheCursorAgainAndTellsTheDriverTheSwap)
{
    const DWORD base = 0x000800A4;
    const struct Case {
        const char* swapped;  // SwapMouseButtons
        DWORD optionAtStart, optionAtResume;
        size_t hiddenCursors, cursorReloads;
        uint32_t swapCode;
    } cases[] = {
        {"0", base, base | OPT_HIDE_CURSOR, 16, 0, IOCTL_WEXANT_BUTTONS_NORMAL},
        {"1", base | OPT_HIDE_CURSOR, base, 0, 1, IOCTL_WEXANT_BUTTONS_SWAPPED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("SwapMouseButtons ") + c.swapped);
        ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, "Control Panel\\Mouse", "SwapMouseButtons", c.swapped));
        SetUserDword("Option", c.optionAtStart);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitRunning());
        SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, 5000, nullptr);
        SetUserDword("Option", c.optionAtResume);
        ASSERT_TRUE(tb::sim::Reset());  // the driver comes back from the suspend knowing nothing
        const size_t hidden = TraceCount("user32.SetSystemCursor(");
        const size_t reloads = TraceCount("SystemParametersInfoA(00000057");

        SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, SMTO_NORMAL, 5000, nullptr);
        EXPECT_EQ(TraceCount("user32.SetSystemCursor("), hidden + c.hiddenCursors);
        EXPECT_EQ(TraceCount("SystemParametersInfoA(00000057"), reloads + c.cursorReloads);
        EXPECT_EQ(Count(c.swapCode), 1u);
        EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_PRIMARY_BUTTON, 1));
        tb::sim::State state;
        ASSERT_TRUE(tb::sim::GetState(&state));
        EXPECT_EQ(state.option, c.optionAtResume);
        EXPECT_EQ(state.buttonsSwapped, c.swapCode == IOCTL_WEXANT_BUTTONS_SWAPPED ? 1u : 0u);
        EXPECT_EQ(state.secondaryButton, 0u);
        ASSERT_TRUE(Stop());
    }
}

TEST_F(Resident, DestroyPostedTwiceTearsDownAndEndsOnce)
{
    HWND floating = StartWithBothIcons(0x000800A4 | OPT_TRAY_ICON | OPT_FLOAT_BUTTON | OPT_HIDE_CURSOR);
    ASSERT_TRUE(floating);
    const size_t normals = Count(IOCTL_WEXANT_BUTTONS_NORMAL);
    const size_t cursorReloads = TraceCount("SystemParametersInfoA(00000057");

    PostMessageA(Main(), WM_DESTROY, 0, 0);
    PostMessageA(Main(), WM_DESTROY, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(process_.WaitExit(5000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_GE(Count(IOCTL_WEXANT_BUTTONS_NORMAL), normals + 1);
    EXPECT_GE(TraceCount("SystemParametersInfoA(00000057"), cursorReloads + 1);
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_EQ(GralenDword("UnSetHook"), 1u);  // the library is unloaded after the first teardown
    const std::string calls = GralenCalls();
    EXPECT_EQ(calls.substr(calls.size() - 10), "UnSetHook;");
    tb::sim::State state;
    ASSERT_TRUE(tb::sim::GetState(&state));
    EXPECT_EQ(state.buttonsSwapped, 0u);
    EXPECT_TRUE(tb::Poll([&] { return !IsWindowVisible(TrayWindow()); }));
}

TEST_F(Resident, EndSessionTearsDownButKeepsTheLoop)
{
    HWND floating = StartWithBothIcons(0x000800A4 | OPT_FLOAT_BUTTON | OPT_TRAY_ICON);
    ASSERT_TRUE(floating);
    const int running = ThreadCount(Pid());
    SendMessageTimeoutA(Main(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, nullptr);
    // The teardown itself removes the tray icon: the program, its window
    // and so its icon's owner are still there.
    EXPECT_TRUE(tb::Poll([&] { return !IsWindowVisible(TrayWindow()); }));
    EXPECT_TRUE(process_.Running());
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_EQ(GralenDword("UnSetHook"), 1u);
    EXPECT_TRUE(tb::Poll([&] { return ThreadCount(Pid()) <= running - 3; }));  // beep, touch state, session watch
    EXPECT_FALSE(process_.WaitExit(300));
    EXPECT_TRUE(IsWindow(Main()));
}

// A shutdown or logoff that another program refused ends with WM_ENDSESSION
// FALSE and the session goes on: everything stays as it was, and the real end
// of the session, WM_ENDSESSION TRUE, still tears down.
TEST_F(Resident, CancelledEndSessionKeepsEverythingUntilTheRealOne)
{
    HWND floating = StartWithBothIcons(0x000800A4 | OPT_SOUND | OPT_FLOAT_BUTTON | OPT_TRAY_ICON);
    ASSERT_TRUE(floating);
    const int running = ThreadCount(Pid());
    const size_t normals = Count(IOCTL_WEXANT_BUTTONS_NORMAL);
    const size_t cursorReloads = TraceCount("SystemParametersInfoA(00000057");

    const struct Case {
        const char* what;
        WPARAM ending;
        LPARAM kind;
        bool tornDown;
    } cases[] = {
        {"shutdown refused", FALSE, 0, false},
        {"logoff refused", FALSE, static_cast<LPARAM>(ENDSESSION_LOGOFF), false},
        {"session ends", TRUE, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SendMessageTimeoutA(Main(), WM_ENDSESSION, c.ending, c.kind, SMTO_NORMAL, 5000, nullptr);
        EXPECT_FALSE(process_.WaitExit(300));
        EXPECT_TRUE(IsWindow(Main()));
        EXPECT_EQ(IsWindow(floating) != FALSE, !c.tornDown);
        EXPECT_EQ(GralenDword("UnSetHook"), c.tornDown ? 1u : 0u);
        EXPECT_EQ(Count(IOCTL_WEXANT_BUTTONS_NORMAL), normals + (c.tornDown ? 1 : 0));
        EXPECT_EQ(TraceCount("SystemParametersInfoA(00000057"), cursorReloads + (c.tornDown ? 1 : 0));
        if (c.tornDown) {
            EXPECT_TRUE(tb::Poll([&] { return !IsWindowVisible(TrayWindow()); }));
            EXPECT_TRUE(tb::Poll([&] { return ThreadCount(Pid()) <= running - 3; }));  // beep, touch state, watch
            continue;
        }
        EXPECT_TRUE(IsWindowVisible(TrayWindow()));
        EXPECT_EQ(ThreadCount(Pid()), running);
        // Touches are still read and beep; a second copy still finds the mutex.
        const size_t beeps = BeepCount();
        ASSERT_TRUE(tb::sim::InjectTouchState(0));
        EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1));
        EXPECT_TRUE(tb::Poll([&] { return BeepCount() > beeps; }));
        tb::Process second = tb::Start("Tavrick.exe");
        ASSERT_TRUE(second.Valid());
        EXPECT_TRUE(second.WaitExit(5000));
    }
}

TEST_F(Resident, MissingHookLibraryShowsOneBoxAndStartsNoThread)
{
    const struct Case {
        const char* what;
        bool removeLibrary;
    } cases[] = {{"gralen.dll missing", true}, {"GRALEN_SetHook returns 0", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tb::reg::DeleteTree(HKEY_CURRENT_USER, kGralenKey);
        if (c.removeLibrary) {
            ASSERT_TRUE(DeleteFileA(tb::SystemPath("gralen.dll").c_str()));
        } else {
            ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kGralenKey, "SetHookResult", 0));
        }
        ASSERT_TRUE(Start());
        tb::MessageBoxInfo box = tb::WaitMessageBox(10000, Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box.text, "Velnor extern library not found!");
        EXPECT_EQ(box.caption, "Velnor Tavrick");
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), 1u);  // the settings were loaded first
        tb::PressButton(box.window, IDOK);
        DWORD code = 1;
        ASSERT_TRUE(process_.WaitExit(5000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_TOUCH_EVENT), 0u);  // no worker thread ran
        EXPECT_EQ(Count(IOCTL_WEXANT_BUTTONS_NORMAL), 1u);   // only the teardown's request
        EXPECT_EQ(GralenDword("SetOptionData"), 0u);
    }
}

TEST_F(Resident, TrayIconAndFloatingWindowFollowTheOption)
{
    SetUserDword("Option", 0x000800A4 | OPT_TRAY_ICON | OPT_FLOAT_BUTTON);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    EXPECT_TRUE(IsWindowVisible(floating));
    EXPECT_TRUE(GetWindowLongA(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r = tb::ScreenRect(floating);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    ASSERT_TRUE(tb::Poll([&] { return IsWindowVisible(TrayWindow()) != FALSE; }));
    // Out of the tray's way for the picture.
    SetWindowPos(floating, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'L'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'L'; }));
    tb::Screenshot("tray-and-floating-window");

    SendSettingsAndSettle(0x000800A4);
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_TRUE(tb::Poll([&] { return !IsWindowVisible(TrayWindow()); }));
    SendSettingsAndSettle(0x000800A4 | OPT_TRAY_ICON);
    EXPECT_TRUE(tb::Poll([&] { return IsWindowVisible(TrayWindow()) != FALSE; }));
    EXPECT_FALSE(FloatWindow(300));
}

TEST_F(Resident, ClicksSwitchTheButtonMode)
{
    SetUserDword("Option", 0x000800A4 | OPT_TRAY_ICON | OPT_FLOAT_BUTTON);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    SetWindowPos(floating, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(tb::Poll([&] { return IsWindowVisible(TrayWindow()) && MarkedButton(FloatIconRect()) == 'L'; }));
    EXPECT_EQ(TrayTip(), "Switch to Secondary Button");
    tb::sim::State state;

    // Left click on the floating icon: secondary button, both icons show the right button.
    RECT icon = FloatIconRect();
    const int ix = (icon.left + icon.right) / 2, iy = (icon.top + icon.bottom) / 2;
    tb::MouseClick(ix, iy);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SECONDARY_BUTTON, 1));
    ASSERT_TRUE(tb::sim::GetState(&state));
    EXPECT_EQ(state.secondaryButton, 1u);
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'R'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'R'; }));
    EXPECT_EQ(TrayTip(), "Switch to Primary Button");

    // A click in the window beside the icon does nothing.
    const size_t primary = Count(IOCTL_WEXANT_PRIMARY_BUTTON);
    RECT window = tb::ScreenRect(floating);
    tb::MouseClick(window.left + 4, window.bottom - 4, true);
    EXPECT_FALSE(tb::sim::WaitRequest(IOCTL_WEXANT_PRIMARY_BUTTON, primary + 1, 300));

    // Right click on the icon: back to primary.
    tb::MouseClick(ix, iy, true);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_PRIMARY_BUTTON, primary + 1));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'L'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'L'; }));

    // The tray icon itself: a left click switches, the floating window follows.
    POINT tray = TrayIconPoint();
    tb::MouseClick(tray.x, tray.y);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SECONDARY_BUTTON, 2));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'R'; }));
    tb::MouseMove(600, 600);

    // Settings applied in secondary mode keep the icon and return it to primary.
    SendSettingsAndSettle(0x000800A4 | OPT_TRAY_ICON | OPT_FLOAT_BUTTON);
    ASSERT_TRUE(tb::sim::GetState(&state));
    EXPECT_EQ(state.secondaryButton, 0u);
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'L'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'L'; }));
    EXPECT_EQ(floating, FloatWindow(0));

    // With the driver gone a click changes nothing.
    ASSERT_TRUE(tb::sim::StopDriver());
    POINT trayIcon = TrayIconPoint();
    tb::MouseClick(trayIcon.x, trayIcon.y);
    tb::MouseClick(ix, iy);
    EXPECT_FALSE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'R'; }, 500));
    EXPECT_EQ(TrayTip(), "Switch to Secondary Button");
    EXPECT_TRUE(process_.Running());
}

TEST_F(Resident, FloatingWindowPositionIsSavedAndRestored)
{
    HWND floating = StartWithFloatingWindowAt(0x000800A4 | OPT_FLOAT_BUTTON, 250, 180);
    ASSERT_TRUE(floating);
    ASSERT_TRUE(tb::Poll([&] { return UserDword("WinPosX") == 250 && UserDword("WinPosY") == 180; }));
    ASSERT_TRUE(Stop());
    EXPECT_EQ(UserDword("WinPosX"), 250u);  // the teardown keeps the position

    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    floating = FloatWindow();
    ASSERT_TRUE(floating);
    RECT r = tb::ScreenRect(floating);
    EXPECT_EQ(r.left, 250);
    EXPECT_EQ(r.top, 180);
    EXPECT_TRUE(GetWindowLongA(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Switched off and on again, it starts at 0, 0.
    SendSettingsAndSettle(0x000800A4);
    EXPECT_FALSE(IsWindow(floating));
    EXPECT_EQ(UserDword("WinPosX"), 0u);
    EXPECT_EQ(UserDword("WinPosY"), 0u);
    SendSettingsAndSettle(0x000800A4 | OPT_FLOAT_BUTTON);
    floating = FloatWindow();
    ASSERT_TRUE(floating);
    r = tb::ScreenRect(floating);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
}

TEST_F(Resident, SwappedSystemButtonsAreToldToTheDriver)
{
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, "Control Panel\\Mouse", "SwapMouseButtons", "1"));
    SetUserDword("Option", 0x000800A4 | OPT_FLOAT_BUTTON | OPT_TRAY_ICON);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    EXPECT_EQ(Count(IOCTL_WEXANT_BUTTONS_SWAPPED), 1u);
    EXPECT_EQ(Count(IOCTL_WEXANT_BUTTONS_NORMAL), 0u);
    tb::sim::State state;
    ASSERT_TRUE(tb::sim::GetState(&state));
    EXPECT_EQ(state.buttonsSwapped, 1u);
    EXPECT_EQ(state.secondaryButton, 0u);
    // Primary mode on swapped buttons: a touch acts as the right button.
    HWND floating = FloatWindow();
    ASSERT_TRUE(floating);
    SetWindowPos(floating, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // off the tray
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'R'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'R'; }));
    EXPECT_EQ(TrayTip(), "Switch to Secondary Button");
    // The notification area's left click: secondary, which is now the left button.
    PostMessageA(Main(), kTrayNotify, 1, WM_LBUTTONUP);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SECONDARY_BUTTON, 1));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(FloatIconRect()) == 'L'; }));
    EXPECT_TRUE(tb::Poll([&] { return MarkedButton(TrayIconRect()) == 'L'; }));
    EXPECT_EQ(TrayTip(), "Switch to Primary Button");
    // The teardown sets the driver back to normal buttons.
    ASSERT_TRUE(Stop());
    ASSERT_TRUE(tb::sim::GetState(&state));
    EXPECT_EQ(state.buttonsSwapped, 0u);
}

TEST_F(Resident, RunOnceStartsTheWakeThreadOnVistaAndLater)
{
    const struct Case {
        const char* tail;
        const char* version;
        bool wake;
    } cases[] = {
        {"runonce", "win7", true}, {"RUNONCE", "win7", true}, {"", "win7", false},
        {"runonce now", "win7", false}, {"runonce", "winxp64", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.tail + "\" on " + c.version);
        ASSERT_TRUE(tb::SetWindowsVersion(c.version));
        tb::reg::DeleteTree(HKEY_CURRENT_USER, kGralenKey);
        ASSERT_TRUE(Start(c.tail));
        ASSERT_TRUE(WaitRunning());
        if (c.wake) {
            ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_WAKE_EVENT, 1));
            const int threads = ThreadCount(Pid());
            const size_t sets = Count(IOCTL_WEXANT_SET_OPTION);
            ASSERT_TRUE(tb::sim::SignalWake());
            // The wake re-initialises: settings, hook, and the event registered again.
            EXPECT_TRUE(tb::Poll([&] { return GralenDword("SetHook") == 2; }));
            EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_WAKE_EVENT, 2));
            EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), sets + 1);
            // No second session watch or other thread.
            EXPECT_FALSE(tb::Poll([&] { return ThreadCount(Pid()) > threads; }, 300));
        } else {
            EXPECT_FALSE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_WAKE_EVENT, 1, 500));
            EXPECT_FALSE(tb::sim::SignalWake());
        }
        ASSERT_TRUE(Stop());
    }
    tb::SetWindowsVersion("win7");
}

TEST_F(Resident, SessionWatchStopsAndRestartsTheThreads)
{
    // The prefix's own wtsapi32.dll may be shared with other prefixes: replace the
    // name, never write through it.
    DeleteFileA(tb::SystemPath("wtsapi32.dll").c_str());
    ASSERT_TRUE(tb::InstallStandin("wtsapi32.dll"));
    ASSERT_TRUE(tb::reg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Tavrick.exe\\DllOverrides",
                                   "wtsapi32", "native"));
    // An XP user's program follows the console as a later Windows user's does.
    for (const char* version : {"win7", "winxp64"}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(tb::SetWindowsVersion(version));
        tb::reg::DeleteTree(HKEY_CURRENT_USER, kSessionKey);
        tb::reg::DeleteTree(HKEY_CURRENT_USER, kUserKey);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitRunning());
        DWORD value = 0;
        ASSERT_TRUE(tb::Poll([&] { return tb::reg::GetDword(HKEY_CURRENT_USER, kSessionKey, "Register", &value); }));
        EXPECT_EQ(value, 1u);
        ASSERT_TRUE(tb::reg::GetDword(HKEY_CURRENT_USER, kSessionKey, "RegisterFlags", &value));
        EXPECT_EQ(value, 1u);  // notifications for all sessions
        const int running = ThreadCount(Pid());

        // Another session takes the console: the beep and touch-state threads end.
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kSessionKey, "ConsoleSession", 2));
        PostMessageA(Main(), WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 1);
        ASSERT_TRUE(tb::Poll([&] { return ThreadCount(Pid()) <= running - 2; }));
        ASSERT_TRUE(tb::sim::InjectTouchState(0));
        EXPECT_FALSE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1, 300));
        // Power and setting broadcasts are not for this session now.
        const size_t sets = Count(IOCTL_WEXANT_SET_OPTION);
        const size_t swaps = Count(IOCTL_WEXANT_BUTTONS_NORMAL);
        SendMessageTimeoutA(Main(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, SMTO_NORMAL, 5000, nullptr);
        SendMessageTimeoutA(Main(), WM_WININICHANGE, SPI_SETMOUSEBUTTONSWAP, 0, SMTO_NORMAL, 5000, nullptr);
        EXPECT_EQ(Count(IOCTL_WEXANT_SET_OPTION), sets);
        EXPECT_EQ(Count(IOCTL_WEXANT_BUTTONS_NORMAL), swaps);

        // The console comes back: fresh settings, the cursor they ask for, the threads again.
        const DWORD hiding = 0x000800A4 | OPT_HIDE_CURSOR;
        SetUserDword("Option", hiding);
        const size_t hidden = TraceCount("user32.SetSystemCursor(");
        ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kSessionKey, "ConsoleSession", 1));
        EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_OPTION, sets + 1));
        EXPECT_EQ(Le32(tb::sim::LogOf(IOCTL_WEXANT_SET_OPTION).back().input), hiding);
        EXPECT_TRUE(tb::Poll([&] { return TraceCount("user32.SetSystemCursor(") == hidden + 16; }));
        EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_TOUCH_EVENT, 2));
        EXPECT_TRUE(tb::Poll([&] { return ThreadCount(Pid()) >= running; }));
        ASSERT_TRUE(tb::sim::InjectTouchState(1));
        EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_GET_TOUCH_STATE, 1));
        // And the setting broadcast counts again.
        SendMessageTimeoutA(Main(), WM_WININICHANGE, SPI_SETMOUSEBUTTONSWAP, 0, SMTO_NORMAL, 5000, nullptr);
        EXPECT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_BUTTONS_NORMAL, swaps + 2));

        ASSERT_TRUE(Stop());
        ASSERT_TRUE(tb::reg::GetDword(HKEY_CURRENT_USER, kSessionKey, "Unregister", &value));
        EXPECT_EQ(value, 1u);
    }
    tb::SetWindowsVersion("win7");
}

TEST_F(Resident, SecondInstanceEndsAtOnceWithExitCodeZero)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    tb::Process second = tb::Start("Tavrick.exe");
    ASSERT_TRUE(second.Valid());
    DWORD code = 1;
    ASSERT_TRUE(second.WaitExit(5000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(process_.Running());
    EXPECT_EQ(GralenDword("SetHook"), 1u);
    EXPECT_FALSE(tb::WaitMessageBox(200));
}

TEST_F(Resident, HiddenCursorReplacesSixteenSystemCursors)
{
    SetUserDword("Option", 0x000800A4 | OPT_HIDE_CURSOR);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitRunning());
    auto calls = TraceCalls("user32.SetSystemCursor(");
    const char* ids[] = {"7f00", "7f01", "7f02", "7f03", "7f04", "7f80", "7f81", "7f82",
                         "7f83", "7f84", "7f85", "7f86", "7f88", "7f89", "7f8a", "7f8b"};
    ASSERT_EQ(calls.size(), 16u);
    for (size_t i = 0; i < 16; ++i) EXPECT_NE(calls[i].find(std::string(",0000") + ids[i] + ")"), std::string::npos) << calls[i];
    const size_t reloads = TraceCount("SystemParametersInfoA(00000057");
    SendSettingsAndSettle(0x000800A4);
    EXPECT_EQ(TraceCount("SystemParametersInfoA(00000057"), reloads + 1);
    EXPECT_EQ(TraceCalls("user32.SetSystemCursor(").size(), 16u);
}
