// Stand-in resident program for the installer's and uninstaller's tests: a
// hidden window of the resident program's class and title that records each
// WM_DESTROY it gets under HKLM\Software\TestBed\Resident (Destroys: count;
// DestroyTime<i>: QPC time in microseconds; EndTime: when the process ends).
//
//   ResidentStandin.exe            ends on the first WM_DESTROY
//   ResidentStandin.exe stay       never ends by itself
//   ResidentStandin.exe late <ms>  ends that long after the first WM_DESTROY
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kKey[] = "Software\\TestBed\\Resident";
enum class Mode { End, Stay, Late };
Mode g_mode = Mode::End;
UINT g_lateMs = 0;

ULONGLONG NowUs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<ULONGLONG>(count.QuadPart / frequency.QuadPart * 1000000 +
                                  count.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

DWORD RecordTime(const char* name, bool count)
{
    HKEY key;
    DWORD destroys = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return 0;
    ULONGLONG now = NowUs();
    char value[32];
    if (count) {
        DWORD size = sizeof(destroys);
        if (RegQueryValueExA(key, "Destroys", nullptr, nullptr, reinterpret_cast<BYTE*>(&destroys), &size) != 0)
            destroys = 0;
        snprintf(value, sizeof(value), "%s%lu", name, destroys);
        ++destroys;
        RegSetValueExA(key, "Destroys", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&destroys), sizeof(destroys));
    } else {
        snprintf(value, sizeof(value), "%s", name);
    }
    RegSetValueExA(key, value, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&now), sizeof(now));
    RegCloseKey(key);
    return destroys;
}

LRESULT CALLBACK StandinWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        // Posted by the installer or uninstaller; the window itself stays until the process ends.
        DWORD n = RecordTime("DestroyTime", true);
        if (n == 1 && g_mode == Mode::End)
            PostQuitMessage(0);
        if (n == 1 && g_mode == Mode::Late)
            SetTimer(window, 1, g_lateMs, nullptr);
        return 0;
    }
    if (message == WM_TIMER) {
        KillTimer(window, 1);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int)
{
    if (strncmp(tail, "stay", 4) == 0) {
        g_mode = Mode::Stay;
    } else if (strncmp(tail, "late", 4) == 0) {
        g_mode = Mode::Late;
        g_lateMs = static_cast<UINT>(strtoul(tail + 4, nullptr, 10));
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandinWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TAVRICK:MAIN";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "TAVRICK:MAIN", "TAVRICK", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    RecordTime("EndTime", false);
    return 0;
}
