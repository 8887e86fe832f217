#include "tavrick_fixture.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavrick {

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset)
{
    if (bytes.size() < offset + 4) return 0xFFFFFFFF;
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
           uint32_t(bytes[offset + 3]) << 24;
}

size_t Count(uint32_t code)
{
    return tb::sim::LogOf(code).size();
}

int ThreadCount(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid) ++count;
    CloseHandle(snapshot);
    return count;
}

char MarkedButton(const RECT& rect)
{
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return '?';
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY);
    long sumX = 0, red = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF c = GetPixel(memory, x, y);
            if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) {
                sumX += x;
                ++red;
            }
        }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (red < 4) return '?';
    // The marked button is the red half of the mouse's top.
    return sumX / red < w / 2 ? 'L' : 'R';
}

HWND TrayWindow()
{
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    return tray ? tray : FindWindowA("Shell_TrayWnd", nullptr);
}

RECT TrayIconRect()
{
    // The first cell: a small icon and its border of 2 pixels on each side.
    POINT origin = {0, 0};
    ClientToScreen(TrayWindow(), &origin);
    const int cell = GetSystemMetrics(SM_CXSMICON) + 4;
    return RECT{origin.x, origin.y, origin.x + cell, origin.y + cell};
}

POINT TrayIconPoint()
{
    RECT r = TrayIconRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

static BOOL CALLBACK FindTooltip(HWND window, LPARAM param)
{
    char cls[64];
    if (IsWindowVisible(window) && GetClassNameA(window, cls, sizeof(cls)) && strcmp(cls, "tooltips_class32") == 0) {
        char text[128] = "";
        DWORD_PTR copied = 0;
        // Sent, not read with GetWindowText: the tip control answers with the text it shows.
        if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000,
                                &copied) &&
            text[0]) {
            *reinterpret_cast<std::string*>(param) = text;
            return FALSE;
        }
    }
    return TRUE;
}

std::string TrayTip()
{
    std::string tip;
    POINT p = TrayIconPoint();
    tb::MouseMove(p.x + 200, p.y + 200);  // a tip shown before is hidden first
    tb::Poll([&] {
        std::string old;
        EnumWindows(FindTooltip, reinterpret_cast<LPARAM>(&old));
        return old.empty();
    }, 2000);
    tb::MouseMove(p.x, p.y);
    tb::Poll([&] {
        tb::MouseMove(p.x + 1, p.y);
        EnumWindows(FindTooltip, reinterpret_cast<LPARAM>(&tip));
        return !tip.empty();
    }, 5000, 100);
    tb::MouseMove(p.x + 200, p.y + 200);
    return tip;
}

void Resident::SetUp()
{
    tb::reg::DeleteTree(HKEY_CURRENT_USER, "Software\\Tarsido");
    tb::reg::DeleteTree(HKEY_CURRENT_USER, "Software\\TestBed");
    tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey);
    tb::reg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\Debug", "RelayInclude",
                       "kernelbase.Beep;kernel32.Beep;user32.MessageBeep;user32.SetSystemCursor;"
                       "user32.SystemParametersInfoA;user32.DestroyIcon");
    // Normal system buttons unless a test swaps them before Tavrick reads them.
    tb::reg::SetString(HKEY_CURRENT_USER, "Control Panel\\Mouse", "SwapMouseButtons", "0");
    ASSERT_TRUE(tb::InstallStandin("gralen.dll"));
    ASSERT_TRUE(tb::sim::StartDriver());
    ASSERT_TRUE(tb::sim::Reset());
}

void Resident::TearDown()
{
    if (process_.Valid() && process_.Running()) process_.Kill();
}

// The environment of this process with WINEDEBUG replaced, as a block for CreateProcessA.
static std::string TracedEnvironment()
{
    std::string block;
    char* env = GetEnvironmentStringsA();
    for (const char* p = env; *p; p += strlen(p) + 1) {
        if (_strnicmp(p, "WINEDEBUG=", 10) == 0) continue;
        block.append(p).push_back('\0');
    }
    FreeEnvironmentStringsA(env);
    block.append("WINEDEBUG=+relay").push_back('\0');
    block.push_back('\0');
    return block;
}

// Wine's own name of a file for the Unix side.
static std::string UnixPath(const std::string& windowsPath)
{
    typedef char*(CDECL * UnixNameFn)(LPCWSTR);
    UnixNameFn toUnix = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unixName = toUnix(wide);
    if (!unixName) return "";
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

static std::vector<DWORD> TavrickPids()
{
    std::vector<DWORD> pids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, "Tavrick.exe") == 0) pids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return pids;
}

bool Resident::Start(const std::string& tail, bool traced)
{
    main_ = nullptr;
    ++starts_;
    tb::sim::Reset();  // each run is read from a fresh log (fails harmlessly while the driver is stopped)
    if (!traced) {
        process_ = tb::Start("Tavrick.exe", tail);
        return process_.Valid();
    }
    // Wine writes the relay trace to the Unix standard error of the process,
    // which no Windows handle reaches: a shell starts Tavrick with its
    // standard error in a file of this run's artifacts.
    std::string dir = tb::ArtifactDir();
    if (dir.empty()) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        dir = temp;
    }
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    tracePath_ = dir + (info ? info->name() : "tavrick") + "-relay-" + std::to_string(starts_) + ".txt";
    const std::string unixTrace = UnixPath(tracePath_);
    if (unixTrace.empty()) return false;

    const std::vector<DWORD> before = TavrickPids();
    std::string command = "/bin/sh -c \"exec wine '" + tb::SystemPath("Tavrick.exe") + "' " + tail + " 2>'" +
                          unixTrace + "'\"";
    std::string env = TracedEnvironment();
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, &env[0], nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DWORD pid = 0;
    tb::Poll([&] {
        for (DWORD p : TavrickPids())
            if (std::find(before.begin(), before.end(), p) == before.end()) pid = p;
        return pid != 0;
    }, 10000);
    if (!pid) return false;
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) return false;
    process_ = tb::Process(process, pid);
    return true;
}

bool Resident::WaitRunning(DWORD timeoutMs)
{
    main_ = tb::WaitWindow(wexant::kResidentWindowClass, wexant::kResidentWindowTitle, timeoutMs, Pid());
    if (!main_) return false;
    if (!tb::sim::WaitRequest(wexant::IOCTL_WEXANT_SET_TOUCH_EVENT, 1, timeoutMs) ||
        !tb::sim::WaitRequest(wexant::IOCTL_WEXANT_PRIMARY_BUTTON, 1, timeoutMs))
        return false;
    // The session watch starts right after the touch-state thread: wait until
    // the number of threads holds still before a test counts them.
    int last = -1;
    return tb::Poll([&] {
        const int now = ThreadCount(Pid());
        const bool settled = now == last;
        last = now;
        return settled;
    }, timeoutMs, 100);
}

bool Resident::Stop(DWORD* exitCode)
{
    if (!main_) main_ = tb::WaitWindow(wexant::kResidentWindowClass, wexant::kResidentWindowTitle, 2000, Pid());
    if (main_) PostMessageA(main_, WM_DESTROY, 0, 0);
    return process_.WaitExit(5000, exitCode);
}

void Resident::SendSettings(DWORD option, DWORD freq, DWORD duration)
{
    DWORD data[4] = {0, freq, duration, option};
    COPYDATASTRUCT cds = {0, sizeof(data), data};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 5000, &result);
}

void Resident::SendSettingsAndSettle(DWORD option, DWORD freq, DWORD duration)
{
    size_t primary = Count(wexant::IOCTL_WEXANT_PRIMARY_BUTTON);
    SendSettings(option, freq, duration);
    EXPECT_TRUE(tb::sim::WaitRequest(wexant::IOCTL_WEXANT_PRIMARY_BUTTON, primary + 1));
}

std::vector<std::string> Resident::TraceCalls(const std::string& needle)
{
    std::vector<std::string> lines;
    const std::string text = tb::ReadFileText(tracePath_);
    const std::string call = "Call ";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        size_t at = line.find(call);
        if (at != std::string::npos && line.find(needle, at) != std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool Resident::IconDestroyed(HICON icon)
{
    char call[64];
    snprintf(call, sizeof(call), "Call user32.DestroyIcon(%08llx)",
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(icon)));
    const std::string text = tb::ReadFileText(tracePath_);
    for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
        // The answer is the next line of the same thread ("00ec:Ret  ...").
        const size_t lineStart = text.rfind('\n', at) + 1;
        const std::string thread = text.substr(lineStart, at - lineStart);
        const std::string ret = thread + "Ret  user32.DestroyIcon() retval=00000001";
        const size_t next = text.find(thread + "Ret  user32.DestroyIcon()", at);
        if (next != std::string::npos && text.compare(next, ret.size(), ret) == 0) return true;
    }
    return false;
}

HWND Resident::FloatWindow(DWORD timeoutMs)
{
    return tb::WaitWindow("#32770", "R_TP", timeoutMs, Pid());
}

HWND Resident::StartWithBothIcons(DWORD option)
{
    SetUserDword("Option", option);
    if (!Start() || !WaitRunning()) return nullptr;
    HWND floating = FloatWindow();
    if (!floating || !tb::Poll([&] { return IsWindowVisible(TrayWindow()) != FALSE; })) return nullptr;
    return floating;
}

HWND Resident::StartWithFloatingWindowAt(DWORD option, int x, int y)
{
    SetUserDword("Option", option);
    if (!Start() || !WaitRunning()) return nullptr;
    HWND floating = FloatWindow();
    if (floating) SetWindowPos(floating, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return floating;
}

RECT Resident::FloatIconRect()
{
    RECT r = {0, 0, 0, 0};
    HWND window = FloatWindow(0);
    if (window) GetWindowRect(GetDlgItem(window, kFloatIconId), &r);
    return r;
}

void Resident::SetUserDword(const char* name, DWORD value)
{
    ASSERT_TRUE(tb::reg::SetDword(HKEY_CURRENT_USER, kUserKey, name, value));
}

DWORD Resident::UserDword(const char* name, DWORD fallback)
{
    DWORD value = fallback;
    tb::reg::GetDword(HKEY_CURRENT_USER, kUserKey, name, &value);
    return value;
}

DWORD Resident::GralenDword(const char* name)
{
    DWORD value = 0;
    tb::reg::GetDword(HKEY_CURRENT_USER, kGralenKey, name, &value);
    return value;
}

std::string Resident::GralenCalls()
{
    std::string calls;
    tb::reg::GetString(HKEY_CURRENT_USER, kGralenKey, "Calls", &calls);
    return calls;
}

}  // namespace tavrick
