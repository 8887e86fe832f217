// Shared steps of the resident program's end-to-end tests: starting Tavrick
// with Wine's relay trace of its sound, cursor and system-setting calls, and
// reading what it did from the driver log, the registry and the screen.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "wexant.h"

namespace tavrick {

constexpr char kUserKey[] = "Software\\Tarsido\\USB";
constexpr char kGralenKey[] = "Software\\TestBed\\Gralen";
constexpr char kSessionKey[] = "Software\\TestBed\\Wtsapi32";
constexpr UINT kTrayNotify = 0x500;
constexpr int kFloatIconId = 1000;

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t offset = 0);
size_t Count(uint32_t code);
// Threads of a process (Wine's own included).
int ThreadCount(DWORD pid);
// Which button the icon in a screen rectangle marks: 'L', 'R', or '?' when no mark is seen.
char MarkedButton(const RECT& rect);
// The notification area Wine shows on a bare X display.
HWND TrayWindow();
// The first icon in the notification area, and its centre.
RECT TrayIconRect();
POINT TrayIconPoint();
// The tip the notification area shows for the first icon (hovered with the mouse).
std::string TrayTip();

class Resident : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts Tavrick.exe from the system directory with its stderr (the relay
    // trace) in a file of this run's artifacts; traced=false starts it plainly.
    bool Start(const std::string& tail = "", bool traced = true);
    // Running: the window exists, the hook is set and the touch-state thread registered.
    bool WaitRunning(DWORD timeoutMs = 10000);
    bool Stop(DWORD* exitCode = nullptr);  // WM_DESTROY and the end of the process

    HWND Main() const { return main_; }
    DWORD Pid() const { return process_.Pid(); }
    tb::Process& Process() { return process_; }

    // Sends the 16-byte settings message (reserved 0, Freq, Duration, Option).
    void SendSettings(DWORD option, DWORD freq = 1000, DWORD duration = 50);
    // The settings message changes the mode to primary through a posted message;
    // waits for that request so that the next step starts from a settled state.
    void SendSettingsAndSettle(DWORD option, DWORD freq = 1000, DWORD duration = 50);

    // Relay trace: lines with "Call <needle>".
    std::vector<std::string> TraceCalls(const std::string& needle);
    size_t TraceCount(const std::string& needle) { return TraceCalls(needle).size(); }
    size_t BeepCount() { return TraceCount(".Beep(") + TraceCount(".MessageBeep("); }
    // Whether the program freed this icon: a DestroyIcon call on it that
    // succeeded. Another process cannot ask Wine about an icon of this one,
    // so the trace is what shows it.
    bool IconDestroyed(HICON icon);

    HWND FloatWindow(DWORD timeoutMs = 5000);
    // Stores the Option (which should ask for both icons), starts and waits until
    // the program runs with the floating window and the tray icon shown; the
    // floating window, or null.
    HWND StartWithBothIcons(DWORD option);
    // Stores the Option (which should ask for the floating window), starts, and
    // moves the floating window to x, y once it runs; the window, or null.
    HWND StartWithFloatingWindowAt(DWORD option, int x, int y);
    RECT FloatIconRect();

    void SetUserDword(const char* name, DWORD value);
    DWORD UserDword(const char* name, DWORD fallback = 0xDEADBEEF);
    DWORD GralenDword(const char* name);
    std::string GralenCalls();

    tb::Process process_;
    HWND main_ = nullptr;
    std::string tracePath_;
    int starts_ = 0;
};

}  // namespace tavrick
