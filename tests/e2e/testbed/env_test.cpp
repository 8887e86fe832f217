// The Wine environment the e2e tests rely on: the language and Windows
// generation a program sees, Japanese glyphs on screen, message boxes, real
// input and scrolling as the harness drives them.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// Bound of the waits: generous, so that a loaded machine slows the tests down
// without failing them.
const DWORD kSlowMs = 30000;

std::string Helper(const char* name)
{
    return tb::TestDir() + "\\" + name;
}

std::string Probe(const tb::StartOptions& options = {})
{
    std::string output;
    int code = tb::RunCapture(Helper("common_probe.exe"), "", &output, kSlowMs, options);
    EXPECT_EQ(code, 0) << output;
    return output;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    fclose(file);
    return bytes;
}

// Unicode text of a window of another process, whatever this process's code page.
std::wstring WideText(HWND window)
{
    wchar_t buffer[256] = {0};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 3000, &got);
    return std::wstring(buffer, got);
}

struct LanguageCase {
    bool japanese;
    const char* expected;
};

TEST(WineLanguage, JapaneseModeGivesCodePage932AndEnglishGives1252)
{
    const LanguageCase cases[] = {
        {false, "acp=1252 japanese=0"},
        {true, "acp=932 japanese=1"},
        {false, "acp=1252 japanese=0"},  // the mode is per process, not left behind in the prefix
    };
    for (const LanguageCase& c : cases) {
        tb::StartOptions options;
        options.japanese = c.japanese;
        std::string output = Probe(options);
        EXPECT_NE(output.find(c.expected), std::string::npos) << "japanese=" << c.japanese << ": " << output;
    }
}

TEST(WineLanguage, CommandTailArrivesAsWindowsJoinsItInEitherMode)
{
    // A blank makes a quoted argument; a quote inside one stays escaped.
    const std::string tail = "args \"b c\" d\\\"e \"\"";
    for (bool japanese : {false, true}) {
        tb::StartOptions options;
        options.japanese = japanese;
        std::string output;
        ASSERT_EQ(tb::RunCapture(Helper("common_probe.exe"), tail, &output, kSlowMs, options), 0) << output;
        EXPECT_NE(output.find("tail=" + tail + "\r\n"), std::string::npos) << "japanese=" << japanese << ": " << output;
    }
}

TEST(WineVersion, WindowsVersionSettingSelectsTheGeneration)
{
    EXPECT_NE(Probe().find("vista=1 xp=0"), std::string::npos);
    ASSERT_TRUE(tb::SetWindowsVersion("winxp64"));
    std::string xp = Probe();
    EXPECT_NE(xp.find("vista=0 xp=1"), std::string::npos) << xp;
    ASSERT_TRUE(tb::SetWindowsVersion("win7"));
    std::string seven = Probe();
    EXPECT_NE(seven.find("vista=1 xp=0"), std::string::npos) << seven;
}

TEST(WineScreen, JapaneseWindowRendersAndScreenshotIsAPng)
{
    tb::StartOptions options;
    options.japanese = true;
    tb::Process helper = tb::StartPath(Helper("tb_window.exe"), "japanese", options);
    ASSERT_TRUE(helper.Valid());
    HWND window = tb::WaitWindow("TbWindow", nullptr, kSlowMs, helper.Pid());
    ASSERT_NE(window, nullptr);
    HWND label = nullptr;
    ASSERT_TRUE(tb::Poll([&] { return (label = tb::Control(window, 100)) != nullptr; }, kSlowMs));
    // The child turned its code page 932 bytes into these characters.
    EXPECT_EQ(WideText(label), L"\u30BF\u30C3\u30C1\u30D1\u30CD\u30EB\u306E\u8A2D\u5B9A \u8868\u793A \u30BD\u30D5\u30C8");
    ASSERT_TRUE(tb::Poll([&] { return tb::IsVisible(window); }, kSlowMs));
    Sleep(300);  // let the first paint reach the display

    std::string path = tb::Screenshot("japanese");
    ASSERT_FALSE(path.empty());
    std::vector<uint8_t> png = ReadFileBytes(path);
    ASSERT_GT(png.size(), 1024u * 768u * 3u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    printf("screenshot: %s\n", path.c_str());
}

TEST(WineMessageBox, FoundReadAndAnsweredWithoutBlocking)
{
    tb::Process helper = tb::StartPath(Helper("tb_window.exe"), "msgbox");
    ASSERT_TRUE(helper.Valid());
    tb::MessageBoxInfo box = tb::WaitMessageBox(kSlowMs, helper.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box.caption, "tb question");
    EXPECT_EQ(box.text, "Keep the new settings?");
    tb::PressButton(box.window, IDNO);
    DWORD code = 0;
    ASSERT_TRUE(helper.WaitExit(kSlowMs, &code));
    EXPECT_EQ(code, static_cast<DWORD>(IDNO));
}

TEST(WineInput, RealMouseAndKeyboardReachTheWindow)
{
    {
        tb::Process helper = tb::StartPath(Helper("tb_window.exe"), "input");
        ASSERT_TRUE(helper.Valid());
        HWND window = tb::WaitWindow("TbWindow", nullptr, kSlowMs, helper.Pid());
        ASSERT_NE(window, nullptr);
        HWND button = nullptr;
        ASSERT_TRUE(tb::Poll([&] { return tb::IsVisible(button = tb::Control(window, 101)); }, kSlowMs));
        RECT r = tb::ScreenRect(button);
        tb::MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        DWORD code = 0;
        ASSERT_TRUE(helper.WaitExit(kSlowMs, &code));
        EXPECT_EQ(code, 5u);
    }
    {
        tb::Process helper = tb::StartPath(Helper("tb_window.exe"), "input");
        ASSERT_TRUE(helper.Valid());
        HWND window = tb::WaitWindow("TbWindow", nullptr, kSlowMs, helper.Pid());
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(tb::Poll([&] { return GetForegroundWindow() == window; }, kSlowMs));
        tb::SendKey('A');
        DWORD code = 0;
        ASSERT_TRUE(helper.WaitExit(kSlowMs, &code));
        EXPECT_EQ(code, 6u);
    }
}

TEST(WineInput, ScrollSendsWhatADragSends)
{
    tb::Process helper = tb::StartPath(Helper("tb_window.exe"), "scroll");
    ASSERT_TRUE(helper.Valid());
    HWND window = tb::WaitWindow("TbWindow", nullptr, kSlowMs, helper.Pid());
    ASSERT_NE(window, nullptr);
    HWND trackbar = nullptr;
    HWND bar = nullptr;
    ASSERT_TRUE(tb::Poll([&] { return (bar = tb::Control(window, 103)) != nullptr; }, kSlowMs));
    trackbar = tb::Control(window, 102);
    ASSERT_NE(trackbar, nullptr);
    tb::Scroll(trackbar, 7);
    tb::Scroll(bar, 42);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), 7);
    EXPECT_EQ(SendMessageA(bar, SBM_GETPOS, 0, 0), 42);
    // Trackbar: TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK; scroll bar: SB_THUMBTRACK,
    // SB_THUMBPOSITION, SB_ENDSCROLL, each with the position where it carries one.
    EXPECT_EQ(tb::Text(window), "h102:5:7 h102:4:7 h102:8:0 v103:5:42 v103:4:42 v103:8:0");
}

}  // namespace

namespace {

TEST(WineCrash, CrashingProgramEndsWithTheExceptionInsteadOfWaitingInADebugger)
{
    DWORD start = GetTickCount();
    int code = tb::Run(Helper("tb_window.exe"), "crash", kSlowMs);
    EXPECT_EQ(static_cast<DWORD>(code), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_LT(GetTickCount() - start, kSlowMs);
}

}  // namespace
