// The settings program's start-up and apply: the three keys read at start,
// one instance, the sheet in either language, and what an Apply stores, sends
// to the resident program and to the driver.
#include "core_support.h"

using namespace wexant;

namespace {

constexpr int kEnRadio9 = 1001, kEnRadio12 = 1002, kEnRadio20 = 1003;
const char kCalibTab[] = "Calibration";

std::vector<DWORD> Words(const std::vector<uint8_t>& bytes) {
    std::vector<DWORD> words(bytes.size() / 4);
    memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

// Clicks a point-count radio on the English calibration tab: a change that any test can make.
bool ChangeSomething(pages::Sheet& sheet, int radio = kEnRadio9) {
    HWND page = core::ShowTab(sheet, kCalibTab);
    if (!page) return false;
    tb::Click(tb::Control(page, radio));
    return tb::Poll([&] { return sheet.ApplyEnabled(); });
}

}  // namespace

TEST(SettingsStart, ReadsPresentMissingAndMalformedValues) {
    const DWORD option = 0xA0000000u | OPT_CALIB_12 | OPT_KEY_SHIFT | 0x3;
    ASSERT_TRUE(pages::SetUser(kValOption, option));
    ASSERT_TRUE(pages::SetUser(kValFreq, 1234));
    const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t two[2] = {9, 9};
    const DWORD forty = 40;
    ASSERT_TRUE(tb::reg::SetBinary(HKEY_CURRENT_USER, UserSettingsKey, kValStdFreq, eight, 8));   // too long
    ASSERT_TRUE(tb::reg::SetBinary(HKEY_CURRENT_USER, UserSettingsKey, kValStdDuration, two, 2));  // too short
    ASSERT_TRUE(tb::reg::SetBinary(HKEY_CURRENT_USER, UserSettingsKey, kValDHeight, &forty, 4));  // type not checked
    ASSERT_TRUE(pages::SetUser(kValDWidth, 20));
    ASSERT_TRUE(tb::reg::SetString(HKEY_LOCAL_MACHINE, DriverParametersKey, kValVersion, "2.05"));
    const DWORD resX = (1024u << 16) | 640u, resY = 0x03000258, ncomm = 0xABC00031;  // dual on, type 3
    ASSERT_TRUE(pages::SetSecond(kValResolutionX, resX));
    ASSERT_TRUE(pages::SetSecond(kValResolutionY, resY));
    ASSERT_TRUE(pages::SetSecond(kValNComm, ncomm));
    core::ResidentWindow resident(true);

    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    HWND calib = core::ShowTab(sheet, kCalibTab);
    ASSERT_TRUE(calib);
    EXPECT_TRUE(tb::IsChecked(tb::Control(calib, kEnRadio12)));
    HWND driver = core::ShowTab(sheet, "Driver Information");
    ASSERT_TRUE(driver);
    EXPECT_EQ(pages::Utf8(tb::Control(driver, 1165)), "2.05");
    ASSERT_TRUE(ChangeSomething(sheet, kEnRadio20));
    ASSERT_TRUE(sheet.Apply());

    const DWORD stored = (option & ~OPT_CALIB_MASK) | OPT_CALIB_20;
    struct Expect { const char* name; DWORD value; };
    const Expect record[] = {{kValOption, stored}, {kValFreq, 1234},    {kValDuration, 50}, {kValStdFreq, 1000},
                             {kValStdDuration, 50}, {kValDHeight, 40}, {kValDWidth, 20}};
    for (const Expect& e : record) {
        EXPECT_EQ(pages::User(e.name), e.value) << "per-user " << e.name;
        EXPECT_EQ(core::Driver(e.name), e.value) << "driver " << e.name;
    }
    const Expect layout[] = {{kValResolutionX, resX}, {kValResolutionY, resY}, {kValNComm, ncomm}};
    for (const Expect& e : layout) {
        EXPECT_EQ(core::Driver(e.name), e.value) << "driver " << e.name;
        EXPECT_EQ(pages::Second(e.name), e.value) << "second driver " << e.name;
    }

    // The settings message: dwData 0, wParam 0, reserved 0, Freq, Duration, Option.
    ASSERT_TRUE(tb::Poll([&] { return !resident.Messages().empty(); }));
    auto messages = resident.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].dwData, 0u);
    EXPECT_EQ(messages[0].wParam, 0u);
    ASSERT_EQ(messages[0].bytes.size(), 16u);
    EXPECT_EQ(Words(messages[0].bytes), (std::vector<DWORD>{0, 1234, 50, stored}));

    // Vista and later: the layout requests, then the apply request about a second later.
    auto comm = tb::sim::LogOf(IOCTL_WEXANT_SET_COMM);
    auto resolution = tb::sim::LogOf(IOCTL_WEXANT_SET_RESOLUTION);
    auto apply = tb::sim::LogOf(IOCTL_WEXANT_APPLY_SETTINGS);
    ASSERT_EQ(comm.size(), 1u);
    ASSERT_EQ(resolution.size(), 1u);
    ASSERT_EQ(apply.size(), 1u);
    EXPECT_EQ(comm[0].input, (std::vector<uint8_t>{1, 3}));
    EXPECT_EQ(resolution[0].input, (std::vector<uint8_t>{0, 2}));
    EXPECT_TRUE(apply[0].input.empty());
    // The resident program has the new settings before the driver is told to
    // apply them, and the wait of about a second lies between the two.
    std::vector<uint32_t> codes;
    std::vector<tb::sim::Request> log = tb::sim::Log();
    for (const tb::sim::Request& r : log) codes.push_back(r.code);
    EXPECT_EQ(codes, (std::vector<uint32_t>{IOCTL_WEXANT_SET_COMM, IOCTL_WEXANT_SET_RESOLUTION,
                                            core::kResidentMarkCode, IOCTL_WEXANT_APPLY_SETTINGS}));
    ASSERT_EQ(log.size(), 4u);
    double gapMs = (log[3].timeUs - log[2].timeUs) / 1000.0;
    EXPECT_GE(gapMs, 950.0);
    EXPECT_LE(gapMs, 3000.0);
}

TEST(SettingsStart, WithoutKeysTheDefaultsAreStoredAndTheSecondKeyIsNotMade) {
    // Windows 10 counts among Vista and later: the driver hears of the layout.
    ASSERT_TRUE(tb::SetWindowsVersion("win10"));
    ASSERT_FALSE(tb::reg::KeyExists(HKEY_LOCAL_MACHINE, SecondDriverParametersKey));
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    ASSERT_TRUE(ChangeSomething(sheet));  // the checked 9-point radio: counts as a change
    ASSERT_TRUE(sheet.Apply());

    const char* const names[7] = {kValOption, kValFreq, kValDuration, kValStdFreq, kValStdDuration, kValDHeight,
                                  kValDWidth};
    const DWORD values[7] = {kDefaultOption, 1000, 50, 1000, 50, 34, 34};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(pages::User(names[i]), values[i]) << names[i];
        EXPECT_EQ(core::Driver(names[i]), values[i]) << names[i];
    }
    EXPECT_EQ(core::Driver(kValResolutionX), kDefaultResolutionX);
    EXPECT_EQ(core::Driver(kValResolutionY), kDefaultResolutionY);
    EXPECT_EQ(core::Driver(kValNComm), 0x40u);  // arrangement type 4 written in
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_LOCAL_MACHINE, SecondDriverParametersKey));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, UserSettingsKey, kValResolutionX));

    auto comm = tb::sim::LogOf(IOCTL_WEXANT_SET_COMM);
    auto resolution = tb::sim::LogOf(IOCTL_WEXANT_SET_RESOLUTION);
    ASSERT_EQ(comm.size(), 1u);
    ASSERT_EQ(resolution.size(), 1u);
    EXPECT_EQ(comm[0].input, (std::vector<uint8_t>{0, 4}));
    EXPECT_EQ(resolution[0].input, (std::vector<uint8_t>{1, 1}));
}

TEST(SettingsStart, SecondInstanceEndsSilently) {
    // The program's lock is the mutex of this name, whoever holds it.
    HANDLE held = CreateMutexA(nullptr, FALSE, "7C4545E5-7987-2123-6A52-801131B65948");
    ASSERT_TRUE(held);
    tb::Process locked = tb::Start("Quintrel.exe");
    ASSERT_TRUE(locked.Valid());
    EXPECT_TRUE(locked.WaitExit(8000));
    EXPECT_FALSE(tb::WaitWindow("#32770", nullptr, 200, locked.Pid()));
    CloseHandle(held);

    pages::Sheet first = pages::StartSheet(false);
    ASSERT_TRUE(first.window);
    tb::Process second = tb::Start("Quintrel.exe");
    ASSERT_TRUE(second.Valid());
    DWORD code = 1;
    EXPECT_TRUE(second.WaitExit(8000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(tb::WaitWindow("#32770", nullptr, 200, second.Pid()));
    EXPECT_FALSE(tb::WaitMessageBox(300));
    EXPECT_TRUE(first.process.Running());
    // The first instance still works, and after it ends a new one starts again.
    EXPECT_TRUE(first.Cancel());
    pages::Sheet third = pages::StartSheet(false);
    EXPECT_TRUE(third.window);
}

TEST(SettingsSheet, CaptionsAndTabsInEitherLanguage) {
    struct Case {
        bool japanese, secondDriver, swapped;
        const char* caption;
        std::vector<std::string> tabs;
    };
    const Case cases[] = {
        {false, false, false, "Touch Panel Settings",
         {"Touch Panel", "Audible feedback set-up", "Touch sensitivity set-up", "Right button simulation",
          "Calibration", "Driver Information"}},
        {false, true, true, "Touch Panel Settings",
         {"Touch Panel", "Audible feedback set-up", "Touch sensitivity set-up", "Left button simulation",
          "Calibration", "Dual monitor set-up", "Driver Information"}},
        {true, true, false, u8"タッチパネルの設定",
         {u8"タッチパネル", u8"サウンド設定", u8"クリック設定", u8"右クリック設定", u8"位置補正", u8"マルチモニタ",
          u8"デバイス"}},
        {true, false, true, u8"タッチパネルの設定",
         {u8"タッチパネル", u8"サウンド設定", u8"クリック設定", u8"左クリック設定", u8"位置補正", u8"デバイス"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption + std::string(c.secondDriver ? " two monitors" : " one monitor") +
                     (c.swapped ? " swapped" : ""));
        if (c.secondDriver) {
            ASSERT_TRUE(pages::MakeSecondDriver());
        } else {
            tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, SecondDriverParametersKey);
        }
        SwapMouseButton(c.swapped);
        pages::Sheet sheet = pages::StartSheet(c.japanese);
        ASSERT_TRUE(sheet.window);
        EXPECT_EQ(core::CaptionUtf8(sheet.window), c.caption);
        EXPECT_EQ(core::TabTexts(sheet), c.tabs);
        // The first tab is shown first.
        EXPECT_EQ(SendMessageA(sheet.window, PSM_GETCURRENTPAGEHWND, 0, 0),
                  SendMessageA(sheet.window, PSM_INDEXTOHWND, 0, 0));
        EXPECT_TRUE(sheet.Cancel());
    }
    SwapMouseButton(FALSE);
}

TEST(SettingsApply, OnXpStoresAndSendsButOpensNoDevice) {
    ASSERT_TRUE(tb::SetWindowsVersion("winxp64"));
    core::ResidentWindow resident;
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    HWND driver = core::ShowTab(sheet, "Driver Information");
    ASSERT_TRUE(driver);
    EXPECT_EQ(pages::Utf8(tb::Control(driver, 1166)), "Windows XP");
    ASSERT_TRUE(ChangeSomething(sheet, kEnRadio12));
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(pages::User(kValOption), (kDefaultOption & ~OPT_CALIB_MASK) | OPT_CALIB_12);
    EXPECT_TRUE(tb::Poll([&] { return resident.Messages().size() == 1; }));
    EXPECT_TRUE(tb::sim::Log().empty());

    // With the driver gone there is still no message on XP, and the settings are stored.
    ASSERT_TRUE(tb::sim::StopDriver());
    ASSERT_TRUE(ChangeSomething(sheet, kEnRadio20));
    ASSERT_TRUE(core::PressApply(sheet));
    EXPECT_FALSE(core::WaitBox(sheet, 1500).window);
    EXPECT_TRUE(core::WaitApplied(sheet));
    EXPECT_EQ(pages::User(kValOption), (kDefaultOption & ~OPT_CALIB_MASK) | OPT_CALIB_20);
    EXPECT_TRUE(tb::Poll([&] { return resident.Messages().size() == 2; }));
}

TEST(SettingsApply, DriverMissingOnVistaShowsTheBoxAndStoresNothing) {
    ASSERT_TRUE(tb::sim::StopDriver());
    ASSERT_TRUE(tb::InstallStandin("jostel_recorder.exe", "Jostel.exe"));
    core::ResidentWindow resident;
    // With a dual-monitor change as well, the driver box is the only one: no
    // restart notice for settings that were not stored.
    struct Case {
        bool japanese, dualChange;
    } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.japanese ? "Japanese" : "English") + (c.dualChange ? ", dual change" : ""));
        if (c.dualChange) {
            ASSERT_TRUE(pages::MakeSecondDriver());
            ASSERT_TRUE(pages::SetSecond(kValNComm, 0));
        } else {
            tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, SecondDriverParametersKey);
        }
        pages::Sheet sheet = pages::StartSheet(c.japanese);
        ASSERT_TRUE(sheet.window);
        if (c.dualChange) {
            HWND dual = core::ShowTab(sheet, c.japanese ? u8"マルチモニタ" : "Dual monitor set-up");
            ASSERT_TRUE(dual);
            tb::Click(tb::Control(dual, c.japanese ? 1067 : 1100));  // use the dual-monitor function
            ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
        }
        HWND page = core::ShowTab(sheet, c.japanese ? u8"位置補正" : kCalibTab);
        ASSERT_TRUE(page);
        tb::Click(tb::Control(page, c.japanese ? 1056 : kEnRadio20));
        ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
        ASSERT_TRUE(core::PressApply(sheet));
        core::Box box = core::WaitBox(sheet);
        ASSERT_TRUE(box.window);
        EXPECT_EQ(box.caption, "Quintrel");
        EXPECT_EQ(box.text, c.japanese ? u8"ドライバが見つかりません。" : "Drivr is not found.");
        EXPECT_TRUE(core::OkOnly(box));
        tb::PressButton(box.window, IDOK);
        ASSERT_TRUE(tb::WaitGone(box.window));
        EXPECT_FALSE(core::WaitBox(sheet, 1500).window) << "a second box";
        EXPECT_TRUE(core::WaitApplied(sheet));
        EXPECT_FALSE(tb::reg::KeyExists(HKEY_CURRENT_USER, UserSettingsKey));
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, DriverParametersKey, kValOption));
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, DriverParametersKey, kValNComm));
        if (c.dualChange) {
            EXPECT_EQ(pages::Second(kValNComm), 0u);
            EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, SecondDriverParametersKey, kValResolutionX));
        }
        EXPECT_TRUE(resident.Messages().empty());
        // The choice counts as applied: Calibrate no longer refuses.
        tb::Click(tb::Control(page, c.japanese ? 1050 : 1000));
        EXPECT_FALSE(core::WaitBox(sheet, 1000).window);
        EXPECT_TRUE(sheet.Cancel());
    }
}

TEST(SettingsApply, RestartNoticeOnEveryApplyAfterADualMonitorChange) {
    ASSERT_TRUE(pages::MakeSecondDriver());
    struct Case {
        bool japanese;
        const char* dualTab;
        int useDual;
        const char* calibTab;
        int radio12;
        const char* text;
    } cases[] = {
        {false, "Dual monitor set-up", 1100, kCalibTab, kEnRadio12,
         "Dual monitor Setting was changed. \nNeed to system restart."},
        {true, u8"マルチモニタ", 1067, u8"位置補正", 1057, u8"マルチモニタの設定が変更されました。\n再起動が必要です。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.japanese ? "Japanese" : "English");
        ASSERT_TRUE(pages::SetSecond(kValNComm, 0));
        pages::Sheet sheet = pages::StartSheet(c.japanese);
        ASSERT_TRUE(sheet.window);
        HWND dual = core::ShowTab(sheet, c.dualTab);
        ASSERT_TRUE(dual);
        tb::Click(tb::Control(dual, c.useDual));  // use the dual-monitor function
        ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
        for (int apply = 0; apply < 2; ++apply) {
            SCOPED_TRACE(apply);
            if (apply == 1) {
                // Not a dual-monitor change.
                HWND calib = core::ShowTab(sheet, c.calibTab);
                ASSERT_TRUE(calib);
                tb::Click(tb::Control(calib, c.radio12));
                ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
            }
            ASSERT_TRUE(core::PressApply(sheet));
            core::Box box = core::WaitBox(sheet);
            ASSERT_TRUE(box.window);
            EXPECT_EQ(box.caption, "Quintrel");
            EXPECT_EQ(box.text, c.text);
            EXPECT_TRUE(core::OkOnly(box));
            tb::PressButton(box.window, IDOK);
            EXPECT_TRUE(core::WaitApplied(sheet));
            EXPECT_EQ(pages::Second(kValNComm) & NCOMM_DUAL_MONITOR, 1u);
        }
        EXPECT_EQ(pages::User(kValOption) & OPT_CALIB_MASK, static_cast<DWORD>(OPT_CALIB_12));
        EXPECT_TRUE(sheet.Cancel());
    }
}

TEST(SettingsApply, StoresOnceAcrossPagesAndNotAtAllWithoutAChange) {
    core::ResidentWindow resident;
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    // Every page's window exists, so every page receives the apply notification.
    for (const char* tab : {"Audible feedback set-up", "Touch sensitivity set-up", "Right button simulation",
                            "Driver Information"})
        EXPECT_TRUE(core::ShowTab(sheet, tab)) << tab;
    ASSERT_TRUE(ChangeSomething(sheet, kEnRadio12));
    ASSERT_TRUE(sheet.Apply());
    ASSERT_TRUE(tb::Poll([&] { return resident.Messages().size() == 1; }));
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_APPLY_SETTINGS).size(), 1u);
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_SET_COMM).size(), 1u);

    // OK without a further change applies nothing: no value comes back, no message, no request.
    ASSERT_TRUE(tb::reg::DeleteValue(HKEY_CURRENT_USER, UserSettingsKey, kValFreq));
    tb::PressButton(sheet.window, IDOK);
    EXPECT_TRUE(sheet.process.WaitExit(8000));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, UserSettingsKey, kValFreq));
    EXPECT_EQ(resident.Messages().size(), 1u);
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_APPLY_SETTINGS).size(), 1u);
}

// OK after a change that was not applied stores it as Apply does, everywhere
// Apply stores and sends, and then closes the sheet.
TEST(SettingsApply, OkStoresAnUnappliedChangeThenCloses) {
    core::ResidentWindow resident;
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    ASSERT_TRUE(ChangeSomething(sheet, kEnRadio12));
    tb::PressButton(sheet.window, IDOK);
    EXPECT_TRUE(sheet.process.WaitExit(15000)) << "the sheet stays open";
    const DWORD stored = (kDefaultOption & ~OPT_CALIB_MASK) | OPT_CALIB_12;
    EXPECT_EQ(pages::User(kValOption), stored);
    EXPECT_EQ(core::Driver(kValOption), stored);
    EXPECT_EQ(resident.Messages().size(), 1u);
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_APPLY_SETTINGS).size(), 1u);
}

// A user who may not write the machine's keys still gets the settings in the
// per-user key, and the resident program and the driver still hear of them.
TEST(SettingsApply, MachineKeysNotWritableStillStoresThePerUserKey) {
    ASSERT_TRUE(pages::MakeSecondDriver());
    ASSERT_TRUE(tb::reg::CreateKey(HKEY_LOCAL_MACHINE, DriverParametersKey));
    std::vector<uint8_t> driverSecurity, secondSecurity;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, DriverParametersKey, &driverSecurity));
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, SecondDriverParametersKey, &secondSecurity));
    // What the registry keeps of the keys' security shows only in a write.
    ASSERT_FALSE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, DriverParametersKey, "Probe", 1));
    core::ResidentWindow resident;
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    ASSERT_TRUE(ChangeSomething(sheet, kEnRadio20));
    ASSERT_TRUE(sheet.Apply());
    const DWORD stored = (kDefaultOption & ~OPT_CALIB_MASK) | OPT_CALIB_20;
    EXPECT_EQ(pages::User(kValOption), stored);
    EXPECT_EQ(pages::User(kValDWidth), 34u);
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, DriverParametersKey, kValOption));
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, SecondDriverParametersKey, kValNComm));
    EXPECT_TRUE(tb::Poll([&] { return resident.Messages().size() == 1; }));
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_SET_COMM).size(), 1u);
    EXPECT_EQ(tb::sim::LogOf(IOCTL_WEXANT_APPLY_SETTINGS).size(), 1u);
    EXPECT_TRUE(sheet.Cancel());
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, DriverParametersKey, driverSecurity));
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, SecondDriverParametersKey, secondSecurity));
}
