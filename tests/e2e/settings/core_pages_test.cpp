// The picture, calibration and driver information pages in the running
// settings program, and a screenshot of every page in both languages.
#include "core_support.h"

using namespace wexant;

namespace {

const std::string kPanelBmp = tb::SystemPath("panel.bmp");

const COLORREF kQuadrants8[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
const COLORREF kQuadrants24[4] = {RGB(0, 255, 255), RGB(255, 0, 255), RGB(128, 64, 0), RGB(0, 0, 0)};

// Points inside each quadrant of a 64 x 48 picture drawn at (5, 5) of the page.
const POINT kSamples[4] = {{5 + 10, 5 + 10}, {5 + 54, 5 + 10}, {5 + 10, 5 + 38}, {5 + 54, 5 + 38}};

bool Shows(HWND page, const COLORREF colours[4]) {
    for (int i = 0; i < 4; ++i)
        if (pages::PixelAt(page, kSamples[i].x, kSamples[i].y) != colours[i]) return false;
    return true;
}

// Nothing drawn: the picture's corner has the colour of the page far from any picture.
bool Blank(HWND page) {
    COLORREF background = pages::PixelAt(page, 300, 250);
    for (const POINT& p : kSamples)
        if (pages::PixelAt(page, p.x, p.y) != background) return false;
    return true;
}

// The same picture with an information header of infoSize bytes (the later
// forms that image editors write): filler that is no colour after the first
// 40 bytes, then the table and the bits as before.
std::vector<uint8_t> WithInfoHeaderSize(std::vector<uint8_t> file, uint32_t infoSize) {
    auto get32 = [&](size_t at) { return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (uint32_t(file[at + 3]) << 24); };
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i)); };
    const uint32_t extra = infoSize - 40;
    file.insert(file.begin() + 54, extra, 0x5A);
    put32(2, get32(2) + extra);
    put32(10, get32(10) + extra);
    put32(14, infoSize);
    return file;
}

// The English sheet on the picture page, started without panel.bmp.
HWND OpenPicturePage(pages::Sheet* sheet) {
    DeleteFileA(kPanelBmp.c_str());
    *sheet = pages::StartSheet(false);
    return sheet->window ? sheet->Show(0) : nullptr;
}

// The English sheet with a change pending on the sound page: the sound switched on.
bool StartWithSoundChange(pages::Sheet* sheet) {
    *sheet = pages::StartSheet(false);
    HWND sound = sheet->window ? core::ShowTab(*sheet, "Audible feedback set-up") : nullptr;
    if (!sound) return false;
    tb::Click(tb::Control(sound, 1195));  // the sound switch
    return tb::Poll([&] { return sheet->ApplyEnabled(); });
}

std::string JostelLog() { return tb::ReadFileText(tb::SystemPath("Jostel.exe.log")); }

// What the sheet shows when Jostel did not start: a box, and whether a change is pending.
std::string SheetState(pages::Sheet& sheet) {
    core::Box box = core::WaitBox(sheet, 0);
    return std::string("box: ") + (box.window ? "\"" + box.text + "\"" : "none") +
           ", Apply " + (sheet.ApplyEnabled() ? "enabled" : "disabled");
}

// Polls the log for the starts a click made; a start is a new Wine process,
// slow on a loaded machine.
bool JostelLogged(const std::function<bool(const std::string&)>& holds) {
    return tb::Poll([&] { return holds(JostelLog()); }, 20000);
}

}  // namespace

TEST(PicturePage, DrawsEightAndTwentyFourBitPicturesAndFollowsTheFile) {
    // An 8-bit picture whose table holds only the five entries it uses (biClrUsed 5).
    ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, core::QuadrantBitmap(8, 64, 48, kQuadrants8, 5)));
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    HWND page = sheet.Show(0);
    ASSERT_TRUE(page);
    EXPECT_TRUE(tb::Poll([&] { return Shows(page, kQuadrants8); }, 3000));
    // Drawn at (5, 5): the pixel before the corner is the page's, the corner the picture's.
    EXPECT_NE(pages::PixelAt(page, 4, 4), kQuadrants8[0]);
    EXPECT_EQ(pages::PixelAt(page, 5, 5), kQuadrants8[0]);
    EXPECT_EQ(pages::PixelAt(page, 5 + 63, 5 + 47), kQuadrants8[3]);
    EXPECT_NE(pages::PixelAt(page, 5 + 64, 5 + 48), kQuadrants8[3]);
    tb::Screenshot("picture-8bit");

    // The file is read at every paint: a 24-bit picture put in its place shows at the next one.
    ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, core::QuadrantBitmap(24, 64, 48, kQuadrants24)));
    InvalidateRect(page, nullptr, TRUE);
    EXPECT_TRUE(tb::Poll([&] { return Shows(page, kQuadrants24); }, 3000));
    tb::Screenshot("picture-24bit");
}

TEST(PicturePage, MissingAndMalformedFilesDrawNothing) {
    std::vector<uint8_t> good = core::QuadrantBitmap(24, 64, 48, kQuadrants24);
    auto with = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> b = good;
        const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        if (at + 4 <= b.size()) std::copy(bytes, bytes + 4, b.begin() + at);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;  // empty: no file
    };
    const Case cases[] = {
        {"missing", {}},
        {"cut short", std::vector<uint8_t>(good.begin(), good.begin() + 54 + 100)},
        {"bits offset past the end", with(10, 0x7FFFFFF0)},
        {"bfSize beyond the file", with(2, 0x40000000)},
        {"bfSize below bfOffBits", with(2, 20)},
        {"bit count 7", with(28, 7)},
        {"height larger than the bits", with(22, 4000)},
        {"headers only", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
    };
    pages::Sheet sheet;
    HWND page = OpenPicturePage(&sheet);
    ASSERT_TRUE(page);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A good picture first, so a refused file must not leave the last one on the page.
        ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, good));
        InvalidateRect(page, nullptr, TRUE);
        ASSERT_TRUE(tb::Poll([&] { return Shows(page, kQuadrants24); }, 3000));
        if (c.bytes.empty()) {
            ASSERT_TRUE(DeleteFileA(kPanelBmp.c_str()));
        } else {
            ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, c.bytes));
        }
        InvalidateRect(page, nullptr, TRUE);
        EXPECT_TRUE(tb::Poll([&] { return Blank(page); }, 3000));
        EXPECT_TRUE(sheet.process.Running());
        EXPECT_FALSE(core::WaitBox(sheet, 100).window);
    }
}

TEST(PicturePage, LongerInformationHeadersDrawTheSameColours) {
    // The last entries of the table: after a longer header they lie where a
    // table read as if the header were 40 bytes long would end.
    const std::vector<uint8_t> eight = core::QuadrantBitmap(8, 64, 48, kQuadrants8, 0, 252);
    const std::vector<uint8_t> full = core::QuadrantBitmap(24, 64, 48, kQuadrants24);
    pages::Sheet sheet;
    HWND page = OpenPicturePage(&sheet);
    ASSERT_TRUE(page);
    struct Case {
        uint32_t infoSize;
        bool eightBits;
    } cases[] = {{40, true}, {124, false}, {108, true}, {124, false}, {124, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.infoSize << (c.eightBits ? " 8 bits" : " 24 bits"));
        ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, WithInfoHeaderSize(c.eightBits ? eight : full, c.infoSize)));
        InvalidateRect(page, nullptr, TRUE);
        EXPECT_TRUE(tb::Poll([&] { return Shows(page, c.eightBits ? kQuadrants8 : kQuadrants24); }, 3000));
        if (c.infoSize == 124 && c.eightBits) tb::Screenshot("picture-8bit-124");
    }
    // A header size no file can hold: nothing, not the last picture.
    std::vector<uint8_t> absurd = WithInfoHeaderSize(eight, 124);
    for (uint32_t size : {0xFFFFFFF0u, static_cast<uint32_t>(absurd.size()) + 1}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, WithInfoHeaderSize(eight, 124)));
        InvalidateRect(page, nullptr, TRUE);
        ASSERT_TRUE(tb::Poll([&] { return Shows(page, kQuadrants8); }, 3000));
        for (int i = 0; i < 4; ++i) absurd[14 + i] = uint8_t(size >> (8 * i));
        ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, absurd));
        InvalidateRect(page, nullptr, TRUE);
        EXPECT_TRUE(tb::Poll([&] { return Blank(page); }, 3000));
        EXPECT_TRUE(sheet.process.Running());
    }
}

// The file is read as bytes: pixel bits holding a CR LF pair or the byte 0x1A,
// which a read as text would shorten or end at, draw whole.
TEST(PicturePage, BitsThatLookLikeTextDrawWhole) {
    // Blue 0x0D and green 0x0A lie in the file as CR LF.
    const COLORREF crlf[4] = {RGB(0x40, 0x0A, 0x0D), RGB(0x0D, 0x0A, 0x0D), RGB(200, 100, 50), RGB(0, 0x0A, 0x0D)};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const COLORREF* colours;
    };
    const Case cases[] = {
        {"CR LF in the bits", core::QuadrantBitmap(24, 64, 48, crlf), crlf},
        // Table entries 0x17 to 0x1A: the bottom-right quadrant, first in the file, is all 0x1A.
        {"0x1A in the bits", core::QuadrantBitmap(8, 64, 48, kQuadrants8, 0, 0x17), kQuadrants8},
    };
    pages::Sheet sheet;
    HWND page = OpenPicturePage(&sheet);
    ASSERT_TRUE(page);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, c.bytes));
        InvalidateRect(page, nullptr, TRUE);
        EXPECT_TRUE(tb::Poll([&] { return Shows(page, c.colours); }, 3000));
        EXPECT_EQ(pages::PixelAt(page, 5 + 63, 5 + 47), c.colours[3]);
    }
}

TEST(CalibrationPage, RadiosFollowOptionAndAClickLeavesOneBit) {
    struct Case {
        DWORD option;
        int checked;  // radio id on the English page
        int click;    // 0: no click
        DWORD stored; // Option after Apply; 0: nothing applied
    };
    const Case cases[] = {
        {0x00000018, 1003, 1002, 0x00000008},  // 12 and 20 set shows 20; 12 leaves only 12
        {0x00000000, 1001, 0, 0},              // none shows 9 and changes nothing
        {0x00400008, 1002, 1001, 0x00400004},  // other bits pass through
        {0xFFFFFFE3, 1001, 1003, 0xFFFFFFF3},  // every bit the page does not own, none of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        ASSERT_TRUE(pages::SetUser(kValOption, c.option));
        pages::Sheet sheet = pages::StartSheet(false);
        ASSERT_TRUE(sheet.window);
        HWND page = core::ShowTab(sheet, "Calibration");
        ASSERT_TRUE(page);
        for (int id : {1001, 1002, 1003}) EXPECT_EQ(tb::IsChecked(tb::Control(page, id)), id == c.checked) << id;
        EXPECT_FALSE(sheet.ApplyEnabled()) << "showing the page is no change";
        if (c.click) {
            tb::Click(tb::Control(page, c.click));
            ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
            ASSERT_TRUE(sheet.Apply());
            EXPECT_EQ(pages::User(kValOption), c.stored);
        } else {
            EXPECT_FALSE(sheet.ApplyEnabled());
        }
        tb::PressButton(sheet.window, IDOK);
        EXPECT_TRUE(sheet.process.WaitExit(8000));
        EXPECT_EQ(pages::User(kValOption), c.click ? c.stored : c.option);
    }
}

TEST(CalibrationPage, EachRadioStoresItsPointCountInEveryForm) {
    // On XP an Apply does not wait for the driver.
    ASSERT_TRUE(tb::SetWindowsVersion("winxp64"));
    struct Form {
        bool japanese, twoMonitors;
        int radio9, radio12, radio20;
    } forms[] = {
        {true, false, 1055, 1057, 1056},
        {true, true, 1055, 1057, 1056},
        {false, false, 1001, 1002, 1003},
        {false, true, 1001, 1002, 1003},
    };
    for (const Form& f : forms) {
        SCOPED_TRACE(std::string(f.japanese ? "Japanese" : "English") + (f.twoMonitors ? ", two" : ", one"));
        if (f.twoMonitors) ASSERT_TRUE(pages::MakeSecondDriver());
        else tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, SecondDriverParametersKey);
        ASSERT_TRUE(pages::SetUser(kValOption, (kDefaultOption & ~static_cast<DWORD>(OPT_CALIB_MASK)) | OPT_CALIB_12));
        pages::Sheet sheet = pages::StartSheet(f.japanese);
        ASSERT_TRUE(sheet.window);
        HWND page = core::ShowTab(sheet, f.japanese ? u8"位置補正" : "Calibration");
        ASSERT_TRUE(page);
        const struct {
            int radio;
            DWORD bit;
        } choices[] = {{f.radio12, OPT_CALIB_12}, {f.radio20, OPT_CALIB_20}, {f.radio9, OPT_CALIB_9}, {f.radio12, OPT_CALIB_12}};
        for (size_t i = 0; i < 4; ++i) {
            SCOPED_TRACE(choices[i].radio);
            // The first row is the stored choice, shown without a click.
            if (i > 0) {
                tb::Click(tb::Control(page, choices[i].radio));
                ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
                ASSERT_TRUE(sheet.Apply());
                EXPECT_EQ(pages::User(kValOption) & OPT_CALIB_MASK, choices[i].bit);
            }
            for (int id : {f.radio9, f.radio12, f.radio20})
                EXPECT_EQ(tb::IsChecked(tb::Control(page, id)), id == choices[i].radio) << id;
        }
        EXPECT_TRUE(sheet.Cancel());
    }
}

TEST(CalibrationPage, ChangedChoiceBlocksCalibrateUntilApplied) {
    ASSERT_TRUE(tb::InstallStandin("jostel_recorder.exe", "Jostel.exe"));
    const std::string jostel = tb::SystemPath("Jostel.exe");
    struct Case {
        bool japanese, twoMonitors;
        const char* tab;
        int radio, calibrate, calibrate2;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {false, false, "Calibration", 1001, 1000, 0,
         "The setup of calibration is changed. Please calibrate after apply of the setup.", "Calibration"},
        {false, true, "Calibration", 1002, 1000, 1004,
         "The setup of calibration is changed. Please calibrate after apply of the setup.", "Calibration"},
        {true, true, u8"位置補正", 1055, 1050, 1002,
         u8"補正の設定が変更されています。設定の更新を行ってから実行してください。", u8"補正"},
        {true, false, u8"位置補正", 1057, 1050, 0,
         u8"補正の設定が変更されています。設定の更新を行ってから実行してください。", u8"補正"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.japanese ? "Japanese" : "English") + (c.twoMonitors ? " two" : " one"));
        if (c.twoMonitors) ASSERT_TRUE(pages::MakeSecondDriver());
        else tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, SecondDriverParametersKey);
        DeleteFileA(tb::SystemPath("Jostel.exe.log").c_str());
        pages::Sheet sheet = pages::StartSheet(c.japanese);
        ASSERT_TRUE(sheet.window);
        HWND page = core::ShowTab(sheet, c.tab);
        ASSERT_TRUE(page);
        // Before any choice: Calibrate starts Jostel without an argument.
        tb::Click(tb::Control(page, c.calibrate));
        ASSERT_TRUE(JostelLogged([](const std::string& log) { return !log.empty(); })) << SheetState(sheet);
        // The checked radio clicked again counts as a change: Calibrate refuses, on every button.
        tb::Click(tb::Control(page, c.radio));
        ASSERT_TRUE(tb::Poll([&] { return sheet.ApplyEnabled(); }));
        for (int button : {c.calibrate, c.calibrate2}) {
            if (!button) continue;
            tb::Click(tb::Control(page, button));
            core::Box box = core::WaitBox(sheet);
            ASSERT_TRUE(box.window) << button;
            EXPECT_EQ(box.caption, c.caption);
            EXPECT_EQ(box.text, c.text);
            EXPECT_EQ(GetWindow(box.window, GW_OWNER), GetAncestor(page, GA_ROOT));
            tb::PressButton(box.window, IDOK);
            ASSERT_TRUE(tb::WaitGone(box.window));
        }
        // After Apply the buttons start Jostel again: monitor 2 with "S".
        ASSERT_TRUE(sheet.Apply());
        if (c.calibrate2) {
            tb::Click(tb::Control(page, c.calibrate2));
            ASSERT_TRUE(JostelLogged([](const std::string& log) { return log.find(" S") != std::string::npos; }))
                << SheetState(sheet);
        }
        std::string expected = jostel + "\r\n";
        if (c.calibrate2) expected += jostel + " S\r\n";
        EXPECT_EQ(JostelLog(), expected);
        EXPECT_TRUE(sheet.Cancel());
    }
}

// Only a changed point choice holds Calibrate back: a change still pending on
// another page starts the calibration program as usual on either monitor, and
// stays pending for Apply.
TEST(CalibrationPage, AChangeOnAnotherPageDoesNotHoldCalibrateBack) {
    ASSERT_TRUE(tb::InstallStandin("jostel_recorder.exe", "Jostel.exe"));
    ASSERT_TRUE(pages::MakeSecondDriver());
    DeleteFileA(tb::SystemPath("Jostel.exe.log").c_str());
    const std::string jostel = tb::SystemPath("Jostel.exe");
    pages::Sheet sheet;
    ASSERT_TRUE(StartWithSoundChange(&sheet));
    HWND page = core::ShowTab(sheet, "Calibration");
    ASSERT_TRUE(page);
    tb::Click(tb::Control(page, 1000));
    ASSERT_TRUE(JostelLogged([](const std::string& log) { return !log.empty(); })) << SheetState(sheet);
    tb::Click(tb::Control(page, 1004));
    ASSERT_TRUE(JostelLogged([](const std::string& log) { return log.find(" S") != std::string::npos; }))
        << SheetState(sheet);
    EXPECT_EQ(JostelLog(), jostel + "\r\n" + jostel + " S\r\n");
    EXPECT_FALSE(core::WaitBox(sheet, 500).window);
    ASSERT_TRUE(sheet.Apply());
    EXPECT_EQ(pages::User(kValOption), kDefaultOption | OPT_SOUND);
    EXPECT_TRUE(sheet.Cancel());
}

// Without the calibration program Calibrate does nothing that the user sees:
// no message, and the sheet goes on.
TEST(CalibrationPage, CalibrateWithoutTheProgramReportsNothing) {
    ASSERT_TRUE(DeleteFileA(tb::SystemPath("Jostel.exe").c_str()));
    pages::Sheet sheet = pages::StartSheet(true);
    ASSERT_TRUE(sheet.window);
    HWND page = core::ShowTab(sheet, u8"位置補正");
    ASSERT_TRUE(page);
    tb::Click(tb::Control(page, 1050));
    EXPECT_FALSE(core::WaitBox(sheet, 2000).window);
    EXPECT_TRUE(sheet.process.Running());
    EXPECT_TRUE(sheet.Cancel());
}

TEST(CalibrationPage, CalibrateShowsTheCalibrationScreen) {
    pages::Sheet sheet = pages::StartSheet(false);
    ASSERT_TRUE(sheet.window);
    HWND page = core::ShowTab(sheet, "Calibration");
    ASSERT_TRUE(page);
    tb::Click(tb::Control(page, 1000));
    HWND screen = tb::WaitWindow(kCalibWindowClass, nullptr, 15000);
    ASSERT_TRUE(screen);
    DWORD pid = 0;
    GetWindowThreadProcessId(screen, &pid);
    HANDLE jostel = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
    ASSERT_TRUE(jostel);
    // The window is made visible; the show command it was started with decides
    // what it is once the program waits for input.
    WaitForInputIdle(jostel, 10000);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(screen));
    TerminateProcess(jostel, 0);
    CloseHandle(jostel);
    EXPECT_TRUE(sheet.Cancel());
}

TEST(DriverPage, VersionLineAndWindowsName) {
    const std::string fits(49, '7');
    struct Case {
        const char* windows;  // Wine's version for the run
        bool japanese;
        const char* version;  // nullptr: no Version value
        const char* shown;
        const char* windowsName;
    };
    const std::string tooLong(60, '8');
    const Case cases[] = {
        {"win7", false, "V1.2.3 2026", "V1.2.3 2026", "Windows Vista"},
        {"win7", true, nullptr, "", "Windows Vista"},
        {"winxp64", true, fits.c_str(), fits.c_str(), "Windows XP"},
        {"vista", false, tooLong.c_str(), "", "Windows Vista"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.windows) + (c.version ? std::string(" ") + c.version : " none"));
        ASSERT_TRUE(tb::SetWindowsVersion(c.windows));
        // The value name as the driver package writes it.
        if (c.version) {
            ASSERT_TRUE(tb::reg::SetString(HKEY_LOCAL_MACHINE, DriverParametersKey, "Version", c.version));
        } else {
            tb::reg::DeleteValue(HKEY_LOCAL_MACHINE, DriverParametersKey, "Version");
        }
        pages::Sheet sheet = pages::StartSheet(c.japanese);
        ASSERT_TRUE(sheet.window);
        HWND page = core::ShowTab(sheet, c.japanese ? u8"デバイス" : "Driver Information");
        ASSERT_TRUE(page);
        // The two languages place the lines the other way round.
        int versionLine = c.japanese ? 1164 : 1165;
        int windowsLine = c.japanese ? 1163 : 1166;
        EXPECT_EQ(pages::Utf8(tb::Control(page, versionLine)), c.shown);
        EXPECT_EQ(pages::Utf8(tb::Control(page, windowsLine)), c.windowsName);
        EXPECT_EQ(pages::Utf8(tb::Control(page, c.japanese ? 1230 : 1231)),
                  c.japanese ? u8"ファイルバージョン" : "File version");
        EXPECT_TRUE(sheet.Cancel());
    }
}

TEST(DriverPage, FileVersionOpensTheListInNotepadAndMakesItReadOnly) {
    const std::string list = tb::SystemPath("Dvrlist.txt");
    // Notepad is the one in the Windows folder: the system folder's copy is put aside.
    const std::string systemNotepad = tb::SystemPath("notepad.exe");
    ASSERT_TRUE(MoveFileA(systemNotepad.c_str(), (systemNotepad + ".aside").c_str()));
    struct Case {
        bool japanese;
        const char* tab;
        int button;
    } cases[] = {{false, "Driver Information", 1231}, {true, u8"デバイス", 1230}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.japanese ? "Japanese" : "English");
        SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(core::WriteFileBytes(list, std::vector<uint8_t>{'w', 'e', 'x', 'a', 'n', 't', '\r', '\n'}));
        ASSERT_TRUE(SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_HIDDEN));
        pages::Sheet sheet = pages::StartSheet(c.japanese);
        ASSERT_TRUE(sheet.window);
        HWND page = core::ShowTab(sheet, c.tab);
        ASSERT_TRUE(page);
        ASSERT_FALSE(tb::WaitWindow("Notepad", nullptr, 0));
        tb::Click(tb::Control(page, c.button));
        HWND notepad = tb::WaitWindow("Notepad", nullptr, 10000);
        ASSERT_TRUE(notepad);
        EXPECT_TRUE(tb::Poll([&] { return IsWindowVisible(notepad) != FALSE; }, 5000));
        EXPECT_NE(tb::Text(notepad).find("Dvrlist"), std::string::npos) << tb::Text(notepad);
        DWORD attributes = GetFileAttributesA(list.c_str());
        EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                  static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        PostMessageA(notepad, WM_CLOSE, 0, 0);
        EXPECT_TRUE(tb::WaitGone(notepad, 10000));
        EXPECT_TRUE(sheet.Cancel());
    }
    SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
    MoveFileA((systemNotepad + ".aside").c_str(), systemNotepad.c_str());
}

// Without the driver list Notepad is started all the same, shown, on the
// list's path, and no list is made; without Notepad the list is still made
// read-only and nothing is reported.
TEST(DriverPage, FileVersionGoesOnWithoutTheListOrNotepad) {
    const std::string list = tb::SystemPath("Dvrlist.txt");
    // A recorder in Notepad's place notes how it was started.
    const std::string notepad = tb::WindowsDir() + "\\NOTEPAD.EXE";
    struct Case {
        bool list, notepad;
    } cases[] = {{false, true}, {true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list ? "without Notepad" : "without the list");
        SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(list.c_str());
        if (c.list) {
            ASSERT_TRUE(core::WriteFileBytes(list, {'w', '\r', '\n'}));
        }
        DeleteFileA(notepad.c_str());
        DeleteFileA((notepad + ".log").c_str());
        if (c.notepad) {
            ASSERT_TRUE(tb::InstallStandin("jostel_recorder.exe", "notepad_recorder.exe"));
            ASSERT_TRUE(MoveFileExA(tb::SystemPath("notepad_recorder.exe").c_str(), notepad.c_str(),
                                    MOVEFILE_REPLACE_EXISTING));
        }
        pages::Sheet sheet = pages::StartSheet(false);
        ASSERT_TRUE(sheet.window);
        HWND page = core::ShowTab(sheet, "Driver Information");
        ASSERT_TRUE(page);
        tb::Click(tb::Control(page, 1231));
        if (c.notepad) {
            EXPECT_TRUE(tb::Poll([&] { return !tb::ReadFileText(notepad + ".log").empty(); }, 20000));
            EXPECT_EQ(tb::ReadFileText(notepad + ".log"), notepad + " " + list + "\r\n");
            EXPECT_EQ(tb::ReadFileText(notepad + ".show"), "1\r\n");  // SW_SHOWNORMAL
        }
        if (c.list) {
            EXPECT_TRUE(tb::Poll([&] { return (GetFileAttributesA(list.c_str()) & FILE_ATTRIBUTE_READONLY) != 0; }));
        } else {
            EXPECT_EQ(GetFileAttributesA(list.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        EXPECT_FALSE(core::WaitBox(sheet, 1000).window);
        EXPECT_TRUE(sheet.process.Running());
        EXPECT_TRUE(sheet.Cancel());
    }
    SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// OK stores a change still pending and closes the sheet; Cancel closes it and
// stores nothing.
TEST(SettingsSheetButtons, OkStoresAPendingChangeAndCancelDropsIt) {
    struct Case {
        int button;
        bool stored;
    } cases[] = {{IDOK, true}, {IDCANCEL, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? "OK" : "Cancel");
        tb::reg::DeleteTree(HKEY_CURRENT_USER, UserSettingsKey);
        pages::Sheet sheet;
        ASSERT_TRUE(StartWithSoundChange(&sheet));
        tb::PressButton(sheet.window, c.button);
        EXPECT_TRUE(sheet.process.WaitExit(15000));
        EXPECT_EQ(pages::User(kValOption), c.stored ? kDefaultOption | OPT_SOUND : 0xDEADBEEF);
    }
}

// The pages' dialog templates as the program carries them: the font of the
// page's language at 9 points, the size of a page and the style of a
// property page (child, caption, initially disabled, a font of its own).
TEST(PageTemplates, FontSizeAndStyleOfEveryPage) {
    HMODULE program = LoadLibraryExA(tb::SystemPath("Quintrel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    struct Page {
        int id;
        bool japanese;
    } pagesOfBoth[] = {{107, true},  {102, true},  {108, true},  {109, true},  {110, true},  {120, true},
                       {118, true},  {111, true},  {112, false}, {113, false}, {114, false}, {115, false},
                       {116, false}, {121, false}, {119, false}, {117, false}};
    for (const Page& p : pagesOfBoth) {
        SCOPED_TRACE(p.id);
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(p.id), reinterpret_cast<LPCSTR>(RT_DIALOG));
        ASSERT_TRUE(found);
        const uint8_t* t = static_cast<const uint8_t*>(LockResource(LoadResource(program, found)));
        ASSERT_TRUE(t);
        const DWORD size = SizeofResource(program, found);
        auto word = [&](size_t at) { return static_cast<uint16_t>(t[at] | (t[at + 1] << 8)); };
        auto dword = [&](size_t at) { return static_cast<DWORD>(word(at) | (DWORD(word(at + 2)) << 16)); };
        const bool extended = word(0) == 1 && word(2) == 0xFFFF;
        const DWORD style = extended ? dword(12) : dword(0);
        size_t at = extended ? 26 : 18;  // after the item count and x, y, cx, cy
        const short cx = static_cast<short>(word(at - 4)), cy = static_cast<short>(word(at - 2));
        // Menu and class: a name or 0xFFFF and an ordinal; then the caption.
        for (int field = 0; field < 2; ++field) {
            if (word(at) == 0xFFFF) {
                at += 4;
            } else {
                while (word(at)) at += 2;
                at += 2;
            }
        }
        while (word(at)) at += 2;
        at += 2;
        EXPECT_EQ(style & (WS_CHILD | WS_CAPTION | WS_DISABLED | DS_SETFONT),
                  static_cast<DWORD>(WS_CHILD | WS_CAPTION | WS_DISABLED | DS_SETFONT));
        EXPECT_FALSE(style & (WS_VISIBLE | WS_POPUP));
        ASSERT_TRUE(style & DS_SETFONT);
        const uint16_t points = word(at);
        at += extended ? 6 : 2;  // weight, italic and character set come with the extended form
        std::wstring face;
        for (; at + 1 < size && word(at); at += 2) face += static_cast<wchar_t>(word(at));
        char utf8[256] = {};
        WideCharToMultiByte(CP_UTF8, 0, face.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        EXPECT_EQ(points, 9);
        EXPECT_STREQ(utf8, p.japanese ? u8"ＭＳ Ｐゴシック" : "MS Sans Serif");
        if (p.japanese) {
            EXPECT_TRUE(cx == 246 || cx == 247) << cx;
        } else {
            EXPECT_TRUE(cx == 289 || cx == 291) << cx;
        }
        EXPECT_TRUE(cy == 201 || cy == 203) << cy;
        // The picture page's own sizes.
        if (p.id == 107) {
            EXPECT_EQ(cx * 1000 + cy, 247203);
        }
        if (p.id == 112) {
            EXPECT_EQ(cx * 1000 + cy, 289201);
        }
    }
    FreeLibrary(program);
}

namespace {

using pages::Ctl;
constexpr const char B[] = "Button";
constexpr const char S[] = "Static";

// The calibration page's controls; the two-monitor form has a button per monitor.
const Ctl kCalibOneJa[] = {
    {-1, u8"補正点数", B},
    {1055, u8"9 点 (3×3)", B},
    {1057, u8"12 点　(4×3)", B},
    {1056, u8"20 点　(5×4)", B},
    {-1, u8"補正プログラム", B},
    {-1, u8"補正プログラムを起動します。", S},
    {1050, u8"補正を実行する", B},
};
const Ctl kCalibTwoJa[] = {
    {-1, u8"補正点数", B},
    {1055, u8"9 点 (3×3)", B},
    {1057, u8"12 点　(4×3)", B},
    {1056, u8"20 点　(5×4)", B},
    {-1, u8"補正プログラム", B},
    {-1, u8"補正プログラムを起動します。", S},
    {1050, u8"モニタ1の補正を\n実行する", B},
    {1002, u8"モニタ2の補正を\n実行する", B},
};
const Ctl kCalibOneEn[] = {
    {-1, "Accuracy required", B},
    {1001, "9 point ( 3*3 Matrix )", B},
    {1002, "12 point ( 4*3 Matrix )", B},
    {1003, "20 point ( 5*4 Matrix )", B},
    {-1, "Calibration", B},
    {-1, "Run calibration program", S},
    {1000, "Calibrate Now", B},
};
const Ctl kCalibTwoEn[] = {
    {-1, "Accuracy required", B},
    {1001, "9 point ( 3*3 Matrix )", B},
    {1002, "12 point ( 4*3 Matrix )", B},
    {1003, "20 point ( 5*4 Matrix )", B},
    {-1, "Calibration", B},
    {-1, "Run calibration program", S},
    {1000, "Calibrate Now of the monitor1", B},
    {1004, "Calibrate Now of the monitor2", B},
};
// The driver page with the Version value "1.00.0001" under NT 6; besides
// these, the application icon.
const Ctl kDriverJa[] = {
    {-1, u8"ドライババージョン", B},
    {-1, u8"タッチパネルデバイスドライバ", S},
    {1163, "Windows Vista", S},
    {1164, "1.00.0001", S},
    {1230, u8"ファイルバージョン", B},
};
const Ctl kDriverEn[] = {
    {-1, "Driver Version", B},
    {-1, "Touch panel device driver", S},
    {1165, "1.00.0001", S},
    {1166, "Windows Vista", S},
    {1231, "File version", B},
};

// The page holds the table's controls and, when icons is 1, an icon picture: nothing more.
template <size_t N>
void CheckPage(HWND page, const Ctl (&table)[N], size_t icons, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(page);
    pages::CheckControls(page, table);
    size_t found = 0;
    std::vector<HWND> children = tb::Children(page);
    for (HWND child : children)
        if (tb::ClassOf(child) == S && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0)
            ++found;
    EXPECT_EQ(found, icons);
    EXPECT_EQ(children.size(), N + icons);
}

}  // namespace

// The calibration page of either form and the driver page, control by
// control, in both languages, and a screenshot of every page, with and
// without the second panel driver (which brings the two-monitor calibration
// and the dual-monitor page).
TEST(SettingsScreens, EveryPageInBothLanguages) {
    ASSERT_TRUE(core::WriteFileBytes(kPanelBmp, core::QuadrantBitmap(24, 64, 48, kQuadrants24)));
    ASSERT_TRUE(tb::reg::SetString(HKEY_LOCAL_MACHINE, DriverParametersKey, "Version", "1.00.0001"));
    for (bool secondDriver : {true, false}) {
        if (secondDriver) {
            ASSERT_TRUE(pages::MakeSecondDriver());
        } else {
            tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, SecondDriverParametersKey);
        }
        for (bool japanese : {false, true}) {
            SCOPED_TRACE(std::string(japanese ? "Japanese" : "English") + (secondDriver ? ", two" : ", one"));
            pages::Sheet sheet = pages::StartSheet(japanese);
            ASSERT_TRUE(sheet.window);
            HWND calib = core::ShowTab(sheet, japanese ? u8"位置補正" : "Calibration");
            if (japanese) {
                if (secondDriver) CheckPage(calib, kCalibTwoJa, 0, "calibration");
                else CheckPage(calib, kCalibOneJa, 0, "calibration");
            } else {
                if (secondDriver) CheckPage(calib, kCalibTwoEn, 0, "calibration");
                else CheckPage(calib, kCalibOneEn, 0, "calibration");
            }
            HWND driver = core::ShowTab(sheet, japanese ? u8"デバイス" : "Driver Information");
            if (japanese) CheckPage(driver, kDriverJa, 1, "driver");
            else CheckPage(driver, kDriverEn, 1, "driver");

            std::vector<std::string> tabs = core::TabTexts(sheet);
            ASSERT_GE(tabs.size(), 3u);
            for (size_t i = 0; i < tabs.size(); ++i) {
                // Without the second driver only the one-monitor calibration page is new.
                if (!secondDriver && tabs[i] != (japanese ? u8"位置補正" : "Calibration")) continue;
                ASSERT_TRUE(sheet.Show(static_cast<int>(i)));
                Sleep(400);
                char name[64];
                snprintf(name, sizeof name, "%s-%s-tab%zu", japanese ? "ja" : "en", secondDriver ? "two" : "one", i);
                EXPECT_FALSE(tb::Screenshot(name).empty());
            }
            EXPECT_TRUE(sheet.Cancel());
        }
    }
}
