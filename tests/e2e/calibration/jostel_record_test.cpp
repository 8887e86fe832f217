// The calibration record's life under Wine (sent, discarded, saved into keys
// that may be missing), the single-instance mutex by its name, the device
// marking for device numbers of two digits, and what the calibration and test
// screens draw: the prompt and help texts in both languages, the target cross,
// the guide sweeps across a whole column, the dot of a touch, and the
// calibration screen above the key box once it is back.
#include <gtest/gtest.h>

#include "jostel_fixture.h"

#include <sddl.h>

using namespace jostel;
using wexant::IOCTL_WEXANT_CALIB_COMMIT;
using wexant::IOCTL_WEXANT_CALIB_DISCARD;
using wexant::IOCTL_WEXANT_SET_CALIB;

namespace {

const char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Enum";

// Codes of the driver's log in order, only those of the given set.
std::vector<uint32_t> LoggedCodes(std::initializer_list<uint32_t> codes)
{
    std::vector<uint32_t> seen;
    for (const tb::sim::Request& r : tb::sim::Log())
        for (uint32_t c : codes)
            if (r.code == c) seen.push_back(r.code);
    return seen;
}

bool SetKeySecurity(HKEY root, const char* path, const char* sddl)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR sd = nullptr;
    bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr) &&
              RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    if (sd) LocalFree(sd);
    RegCloseKey(key);
    return ok;
}

// Everyone may only read the key (and set its security back): nothing can be
// written into it, nor can it be opened for writing.
bool OnlyReadable(HKEY root, const char* path)
{
    return tb::reg::CreateKey(root, path) && SetKeySecurity(root, path, "D:P(A;;KRWD;;;WD)");
}

bool Writable(HKEY root, const char* path)
{
    return SetKeySecurity(root, path, "D:P(A;;KA;;;WD)");
}

void ExpectNoRecordSaved()
{
    for (const char* name : {"Caldata9", "Caldata12", "Caldata20", "Caldata9S", "Caldata12S", "Caldata20S"}) {
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kDriverKey, name)) << name;
        EXPECT_FALSE(tb::reg::ValueExists(HKEY_CURRENT_USER, kUserKey, name)) << name;
    }
}

// ---- Text as the program draws it -------------------------------------------------
// A text as the calibration window draws it (TextOutA at its top-left corner,
// the default font, black on opaque white), drawn by this process into a
// window of its own on the same screen before the program starts.
struct TextPicture {
    int width = 0, height = 0;
    std::vector<bool> dark;  // row by row
};

const char kTextWindowClass[] = "JostelTestText";

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The Japanese font of the calibration window, made in this process.
HFONT JapaneseFont()
{
    wchar_t face[LF_FACESIZE] = {};
    MultiByteToWideChar(932, 0, "ＭＳ Ｐゴシック", -1, face, LF_FACESIZE);
    return CreateFontW(15, 0, 0, 0, 0, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DRAFT_QUALITY, 0, face);
}

// The text's bytes are in code page 932 with the Japanese font, else plain ASCII.
TextPicture RenderText(const char* text, bool japanese = false)
{
    TextPicture pic;
    wchar_t wide[256] = {};
    const int n = MultiByteToWideChar(japanese ? 932 : 1252, 0, text, -1, wide, 256) - 1;
    HFONT font = japanese ? JapaneseFont() : nullptr;
    HDC measure = CreateCompatibleDC(nullptr);
    if (font) SelectObject(measure, font);
    TEXTMETRICW tm;
    GetTextMetricsW(measure, &tm);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(measure, wide, n, &size);
    DeleteDC(measure);
    pic.width = size.cx;
    pic.height = tm.tmHeight + tm.tmExternalLeading;

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kTextWindowClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTextWindowClass, "", WS_POPUP | WS_VISIBLE, 0,
                                  0, pic.width, pic.height, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) {
        if (font) DeleteObject(font);
        return pic;
    }
    UpdateWindow(window);
    HDC dc = GetDC(window);
    if (font) SelectObject(dc, font);
    TextOutW(dc, 0, 0, wide, n);
    ReleaseDC(window, dc);
    // Two captures in a row alike, with ink: the drawing has reached the screen.
    std::vector<bool> last;
    tb::Poll([&] {
        PumpMessages();
        ScreenImage img;
        std::vector<bool> now;
        bool ink = false;
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) {
                now.push_back(img.Dark(x, y));
                ink = ink || now.back();
            }
        const bool settled = ink && now == last;
        last = now;
        return settled;
    }, 5000, 50);
    pic.dark = last;
    DestroyWindow(window);
    PumpMessages();
    if (font) DeleteObject(font);
    return pic;
}

// Line height of the window's default font, as the program measures it.
int LineHeight()
{
    HDC dc = CreateCompatibleDC(nullptr);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    DeleteDC(dc);
    return tm.tmHeight + tm.tmExternalLeading;
}

// Pixels of the screen area at (x, y) that differ from the picture (dark against light).
int TextMismatches(const ScreenImage& screen, int x, int y, const TextPicture& pic)
{
    int wrong = 0;
    for (int row = 0; row < pic.height; ++row)
        for (int col = 0; col < pic.width; ++col)
            if (screen.Dark(x + col, y + row) != pic.dark[row * pic.width + col]) ++wrong;
    return wrong;
}

// The text stands centred across the width W with its top at y.
bool WaitCentredText(const TextPicture& pic, int y)
{
    const int x = (GetSystemMetrics(SM_CXSCREEN) - pic.width) / 2;
    int wrong = -1;
    const bool ok = tb::Poll([&] {
        wrong = TextMismatches(ScreenImage(), x, y, pic);
        return wrong == 0;
    }, 5000, 50);
    if (!ok) {
        // Where the text does stand, for the report: the nearest place that matches best.
        ScreenImage img;
        int best = wrong, bx = 0, by = 0;
        for (int dy = -8; dy <= 8; ++dy)
            for (int dx = -40; dx <= 40; ++dx) {
                const int m = TextMismatches(img, x + dx, y + dy, pic);
                if (m < best) best = m, bx = dx, by = dy;
            }
        ADD_FAILURE() << "text expected at (" << x << ", " << y << "): " << wrong << " pixels differ; best match "
                      << best << " at (" << x + bx << ", " << y + by << ")";
    }
    return ok;
}

// Top of the rows between y0 and y1 where the text stands centred; -1 when none.
int FindCentredText(const TextPicture& pic, int y0, int y1)
{
    const int x = (GetSystemMetrics(SM_CXSCREEN) - pic.width) / 2;
    int found = -1;
    tb::Poll([&] {
        ScreenImage img;
        for (int y = y0; y <= y1 && found < 0; ++y)
            if (TextMismatches(img, x, y, pic) == 0) found = y;
        return found >= 0;
    }, 5000, 50);
    return found;
}

// Red pixels at the arms' ends and across their width, none beyond them.
void ExpectCrossShape(const ScreenImage& img, POINT p)
{
    SCOPED_TRACE(testing::Message() << "cross at (" << p.x << ", " << p.y << ")");
    for (int d : {-11, -6, 6, 11}) {
        EXPECT_TRUE(img.Red(p.x + d, p.y)) << "horizontal arm at " << d;
        EXPECT_TRUE(img.Red(p.x, p.y + d)) << "vertical arm at " << d;
    }
    for (int t : {-1, 1}) {
        EXPECT_TRUE(img.Red(p.x + 8, p.y + t)) << "horizontal arm's width";
        EXPECT_TRUE(img.Red(p.x + t, p.y + 8)) << "vertical arm's width";
    }
    for (int d : {-17, 17}) {
        EXPECT_FALSE(img.Red(p.x + d, p.y));
        EXPECT_FALSE(img.Red(p.x, p.y + d));
    }
    EXPECT_FALSE(img.Red(p.x + 8, p.y + 4));
    EXPECT_FALSE(img.Red(p.x + 4, p.y + 8));
}

}  // namespace

TEST(JostelRecord, SentThenDiscardedIsNeverSaved)
{
    // A whole calibration is sent; the test screen goes back to the
    // calibration screen (nothing discarded there), Home into the test screen
    // discards it, and Enter then commits without saving anything.
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    ExpectNoRecordSaved();
    ASSERT_TRUE(TouchAll(&j));
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_SET_CALIB, 1, 15000));
    ASSERT_TRUE(WaitTestScreen(&j));

    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitCrossAt(j.Target(0)));
    EXPECT_EQ(Count(IOCTL_WEXANT_CALIB_DISCARD), 0u);
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(tb::sim::WaitRequest(IOCTL_WEXANT_CALIB_DISCARD, 1, 15000));
    ASSERT_TRUE(WaitTestScreen(&j));
    tb::PostKey(j.window, VK_RETURN);
    DWORD code = 1;
    ASSERT_TRUE(j.process.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(LoggedCodes({IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_CALIB_DISCARD, IOCTL_WEXANT_CALIB_COMMIT}),
              (std::vector<uint32_t>{IOCTL_WEXANT_SET_CALIB, IOCTL_WEXANT_CALIB_DISCARD, IOCTL_WEXANT_CALIB_COMMIT}));
    ExpectNoRecordSaved();
}

TEST(JostelRecord, SavingCreatesMissingKeysAndSkipsALockedOne)
{
    // Neither the user's settings key (with its parent) nor the driver's key
    // exists: both are made, each with the saved record. Without the user's
    // key the built-in Option applies: 9 points. A key that only lets the
    // user read it cannot take the record: the other key still gets it.
    struct Case {
        const char* what;
        HKEY root;
        const char* path;
        bool locked;  // the key is there, readable only; else it is removed
    } cases[] = {
        {"per-user key and its parent missing", HKEY_CURRENT_USER, "Software\\Tarsido", false},
        {"driver's key missing", HKEY_LOCAL_MACHINE, kDriverKey, false},
        {"driver's key read-only", HKEY_LOCAL_MACHINE, kDriverKey, true},
        {"per-user key read-only", HKEY_CURRENT_USER, kUserKey, true},
    };
    std::vector<uint8_t> saved = PinnedRecord(9);
    saved[0] = 0x7C;  // 6012, the saved marker
    saved[1] = 0x17;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(tb::sim::Reset());
        tb::reg::DeleteValue(HKEY_LOCAL_MACHINE, kDriverKey, "Caldata9");
        tb::reg::DeleteValue(HKEY_CURRENT_USER, kUserKey, "Caldata9");
        if (k.locked) {
            ASSERT_TRUE(OnlyReadable(k.root, k.path));
        } else {
            tb::reg::DeleteTree(k.root, k.path);
            ASSERT_FALSE(tb::reg::KeyExists(k.root, k.path));
        }
        Jostel j;
        ASSERT_TRUE(CalibrateToTestScreen(&j));
        tb::PostKey(j.window, VK_RETURN);
        ASSERT_TRUE(j.process.WaitExit(15000));
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            const char* where = root == HKEY_CURRENT_USER ? "per-user key" : "driver's key";
            const char* path = root == HKEY_CURRENT_USER ? kUserKey : kDriverKey;
            std::vector<uint8_t> stored;
            if (k.locked && root == k.root) {
                EXPECT_FALSE(tb::reg::ValueExists(root, path, "Caldata9")) << where;
                continue;
            }
            EXPECT_TRUE(tb::reg::GetBinary(root, path, "Caldata9", &stored)) << where;
            EXPECT_EQ(stored, saved) << where;
        }
        if (k.locked) {
            ASSERT_TRUE(Writable(k.root, k.path));
        }
    }
}

TEST(JostelStart, MutexOfItsOwnNameKeepsItFromStarting)
{
    // Whoever holds the mutex of this name, the program ends silently with 0.
    HANDLE held = CreateMutexA(nullptr, FALSE, "830FA222-03D8-11d3-A802-11A1B913EF45");
    ASSERT_TRUE(held);
    ExpectEndsSilently(tb::Start("Jostel.exe"));
    CloseHandle(held);
    Jostel j;
    EXPECT_TRUE(Start(&j, 9, 0));
}

TEST(JostelRecord, DeviceNumberNamesTheEnumValueInDecimal)
{
    // Device 12 is the Enum value "12", not "c".
    const char kTwelve[] = "USB\\VID_0EEF&PID_0500\\7&2A1B&0&12";
    const char kHexTwelve[] = "USB\\VID_0EEF&PID_0500\\7&2A1B&0&C";
    tb::reg::SetString(HKEY_LOCAL_MACHINE, kEnumKey, "12", kTwelve);
    tb::reg::SetString(HKEY_LOCAL_MACHINE, kEnumKey, "c", kHexTwelve);
    tb::reg::CreateKey(HKEY_LOCAL_MACHINE, kDriverKey);
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    ASSERT_TRUE(TouchTarget(&j, 0, {}, 12));
    DWORD monitor = 0;
    EXPECT_TRUE(tb::Poll([&] { return tb::reg::GetDword(HKEY_LOCAL_MACHINE, kDriverKey, kTwelve, &monitor); }));
    EXPECT_EQ(monitor, 1u);
    EXPECT_FALSE(tb::reg::ValueExists(HKEY_LOCAL_MACHINE, kDriverKey, kHexTwelve));
}

TEST(JostelDrawing, PromptAndHelpTextsWhereTheyBelong)
{
    // The calibration screen: the touch prompt two line heights above the key
    // help, near three quarters of the height, both centred, and no key box.
    // The test screen with the key box closed: its help line at the bottom edge.
    struct Case {
        bool japanese;
        const char* prompt;
        const char* calibHelp;
        const char* testHelp;
    } cases[] = {
        {false, "     Please touch the point in the screen.     ",
         " [Home]:Test  [Esc]:Cancel  [Arrow Keys]:Move point  [Enter]:Next Screen",
         " [Home]:Calib screen [Tab]:Cursor on/off [Delete]:CLR screen [Insert]:Key Box  [Enter]:Update"},
        {true, "    表示されている各補正点を入力して下さい。 ",
         "[Home]:テスト画面  [Esc]:補正中止  [←↑↓→]:補正点移動  [Enter]:入力完了",
         "[Home]:補正画面  [Tab]:カーソル表示  [Delete]:画面消去  [Insert]:キーボックス  [Enter]:終了"},
    };
    const int h = GetSystemMetrics(SM_CYSCREEN);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.japanese ? "Japanese" : "English");
        const TextPicture prompt = RenderText(k.prompt, k.japanese);
        const TextPicture calibHelp = RenderText(k.calibHelp, k.japanese);
        const TextPicture testHelp = RenderText(k.testHelp, k.japanese);
        ASSERT_FALSE(prompt.dark.empty() || calibHelp.dark.empty() || testHelp.dark.empty());
        Jostel j;
        ASSERT_TRUE(Start(&j, 9, 0, "", k.japanese));
        EXPECT_TRUE(KeyBoxes(j.process.Pid()).empty());
        // L, the line height of the window's default font (in both languages,
        // not the Japanese font's): measured here for English; the Japanese
        // program's default font is its own, so there L is what the prompt's
        // place says, and the help line of the test screen must agree with it.
        int L = LineHeight();
        if (k.japanese) {
            const int y1 = FindCentredText(prompt, (3 * h) / 4 - 2 * 40 + 30, (3 * h) / 4 - 2 * 8 + 30);
            ASSERT_GE(y1, 0) << "no centred prompt near three quarters of the height";
            ASSERT_EQ(((3 * h) / 4 + 30 - y1) % 2, 0);
            L = ((3 * h) / 4 + 30 - y1) / 2;
        }
        EXPECT_TRUE(WaitCentredText(prompt, (3 * h) / 4 - 2 * L + 30));
        EXPECT_TRUE(WaitCentredText(calibHelp, (3 * h) / 4 + 30));

        tb::PostKey(j.window, VK_HOME);
        ASSERT_TRUE(WaitTestScreen(&j));
        HWND box = KeyBox(j.process.Pid());
        ASSERT_TRUE(box);
        tb::PressButton(box, IDCANCEL);
        tb::MessageBoxInfo ask = tb::WaitMessageBox(5000, j.process.Pid());
        ASSERT_TRUE(ask);
        tb::PressButton(ask.window, IDYES);
        ASSERT_TRUE(tb::WaitGone(box));
        EXPECT_TRUE(WaitCentredText(testHelp, h - L));
        tb::PostKey(j.window, VK_RETURN);
        ASSERT_TRUE(j.process.WaitExit(15000));
    }
}

TEST(JostelDrawing, TargetCrossShape)
{
    // Red arms of 12 pixels each way, 3 pixels wide: as painted at the start
    // and as drawn after a move.
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    ExpectCrossShape(ScreenImage(), j.Target(0));
    tb::PostKey(j.window, VK_RIGHT);
    ASSERT_TRUE(WaitCrossAt(j.Target(1)));
    ASSERT_TRUE(WaitCrossAt(j.Target(0), false));
    ExpectCrossShape(ScreenImage(), j.Target(1));
}

TEST(JostelDrawing, SweepsAcrossAWholeColumnLeaveNoLine)
{
    // Down from the last row wraps to the first and Up from the first to the
    // last: each guide sweep runs along the whole column in stages of 40,
    // and after it nothing but the new target is left in that column.
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    const int h = GetSystemMetrics(SM_CYSCREEN);
    const POINT t0 = j.Target(0), t3 = j.Target(3), t6 = j.Target(6);
    const RECT column = {t0.x - 6, 0, t0.x + 7, h};
    struct Step {
        UINT vk;
        int to;
        bool check;
    } steps[] = {{VK_DOWN, 3, false}, {VK_DOWN, 6, false}, {VK_DOWN, 0, true}, {VK_UP, 6, true}};
    int at = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << at << " -> " << s.to);
        ASSERT_TRUE(MoveCross(&j, s.vk, at, s.to));
        if (s.check) {
            EXPECT_EQ(DarkPixels(column, {t0, t3, t6}, 13), 0);
        }
        at = s.to;
    }
}

TEST(JostelDrawing, TouchOnTheTestScreenLeavesADot)
{
    Jostel j;
    ASSERT_TRUE(Start(&j, 9, 0));
    tb::PostKey(j.window, VK_HOME);
    ASSERT_TRUE(WaitTestScreen(&j));
    ASSERT_FALSE(BlackAt(600, 400));
    tb::MouseClick(600, 400);
    EXPECT_TRUE(tb::Poll([] { return BlackAt(600, 400); }));
    EXPECT_FALSE(BlackAt(603, 400));
}

TEST(JostelDrawing, CalibrationScreenComesBackAboveTheKeyBox)
{
    // Back from the test screen the key box stays open, but the calibration
    // screen's paint puts the window above it: the box's place shows the window.
    Jostel j;
    HWND box = StartOnTestScreen(&j);
    ASSERT_TRUE(box);
    const RECT r = tb::ScreenRect(box);
    const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    tb::PostKey(j.window, VK_HOME);
    EXPECT_TRUE(tb::Poll([&] { return GetAncestor(WindowFromPoint(middle), GA_ROOT) == j.window; }))
        << "the key box still lies above the calibration screen";
    // The first target lies where the key box was.
    EXPECT_TRUE(WaitCrossAt(j.Target(0)));
}

TEST(JostelStart, PointCountFromTheOptionBits)
{
    // 20 points over 12 over 9, and 9 without any of the three bits: the
    // second target of the first row tells the grid.
    struct Case {
        uint32_t option;
        int points;
    } cases[] = {{0x000800B8, 20}, {0x000800AC, 12}, {0x000800A0, 9}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "Option 0x" << std::hex << k.option);
        ASSERT_TRUE(tb::sim::Reset());
        tb::reg::SetDword(HKEY_CURRENT_USER, kUserKey, "Option", k.option);
        Jostel j;
        ASSERT_TRUE(Start(&j, k.points, 0));
        ASSERT_TRUE(TouchTarget(&j, 0));
        EXPECT_TRUE(WaitCrossAt(j.Target(1)));
        tb::PostKey(j.window, VK_ESCAPE);
        ASSERT_TRUE(j.process.WaitExit(15000));
    }
}
