// Harness for the end-to-end tests. A test program built with it runs inside a
// fresh Wine prefix (see testbed/scripts/wine-test.sh) where the deliverables
// sit in C:\windows\system32 and the simulated panel driver is registered as
// the kernel service WEXANT. The harness's main() starts the driver, resets it,
// ends every process a test started when the test ends and saves a screenshot
// of the screen when a test fails.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tb {

// ---- Waiting ---------------------------------------------------------------
// Polls cond every stepMs until it holds or timeoutMs passes; never a fixed sleep.
bool Poll(const std::function<bool()>& cond, DWORD timeoutMs = 5000, DWORD stepMs = 10);

// ---- Processes -----------------------------------------------------------------
// Japanese mode: Wine takes a process's code page from the Unix locale it
// inherits, not from the Windows environment block, so the harness starts a
// Japanese child through a starter of its own, run on the Unix side with
// LANG/LC_ALL=ja_JP.UTF-8 (GetACP() 932, OEM code page 932, locale 0411), and
// opens it by the id the starter reports. Such a child is no Windows child of
// the test (its parent is the starter); its command tail is split and joined again as
// Windows does (an argument with a blank arrives quoted), the tail's bytes
// taken as code page 932. Other children inherit the test's English locale
// (1252) and get the tail exactly as given.
struct StartOptions {
    bool japanese = false;       // the child sees GetACP() 932 (ja_JP.UTF-8 locale)
    std::string directory;       // working directory; empty: the system directory
};

class Process {
public:
    Process() = default;
    Process(HANDLE process, DWORD pid);
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();  // closes the handle; the process itself is ended at the end of the test

    bool Valid() const { return handle_ != nullptr; }
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return handle_; }
    bool Running() const;
    // Waits for the end; true when it ended within the time, with its exit code.
    bool WaitExit(DWORD timeoutMs = 5000, DWORD* exitCode = nullptr) const;
    void Kill();

private:
    HANDLE handle_ = nullptr;
    DWORD pid_ = 0;
};

std::string SystemDir();                        // C:\windows\system32
std::string SystemPath(const std::string& file);  // SystemDir() + "\" + file
std::string WindowsDir();
// Folder of this run's artifacts (screenshots, logs) as a Windows path.
std::string ArtifactDir();
// A whole file as it stands, read while others may still write it; empty when it is missing.
std::string ReadFileText(const std::string& path);

// Starts SystemPath(exe) with the command tail (the tail as the program's
// command line after its name; empty for none). Invalid Process on failure.
Process Start(const std::string& exe, const std::string& tail = "", const StartOptions& options = {});
// The same for a program anywhere.
Process StartPath(const std::string& path, const std::string& tail = "", const StartOptions& options = {});
// Starts copies of SystemPath(exe) suspended and lets them all go at once, so
// that they race as starts a moment apart do. Returns the copies it started.
std::vector<Process> StartTogether(const std::string& exe, const std::string& tail, int copies);
// Runs a command to its end (bounded); returns its exit code, or -1 on time-out.
int Run(const std::string& path, const std::string& tail, DWORD timeoutMs = 30000,
        const StartOptions& options = {});

// Runs a command to its end (bounded) with its standard output and error
// collected in *output; returns its exit code, or -1 on time-out.
int RunCapture(const std::string& path, const std::string& tail, std::string* output,
               DWORD timeoutMs = 30000, const StartOptions& options = {});
// Folder of the running test program (the helper programs sit beside it).
std::string TestDir();

// Copies a stand-in (built into the test bed's standins folder) into the system directory.
bool InstallStandin(const std::string& file, const std::string& asName = "");

// ---- Windows ---------------------------------------------------------------
// First top-level window of that class and/or title (nullptr matches any),
// optionally of one process; visible or not. nullptr after the time-out.
HWND WaitWindow(const char* className, const char* title, DWORD timeoutMs = 5000, DWORD pid = 0);
// Top-level windows of a process (all classes).
std::vector<HWND> TopWindows(DWORD pid);
bool WaitGone(HWND window, DWORD timeoutMs = 5000);
// A descendant control with that id (property sheets nest the pages' controls).
HWND Control(HWND parent, int id);
std::vector<HWND> Children(HWND parent);  // all descendants
std::string Text(HWND window);
std::string ClassOf(HWND window);
RECT ScreenRect(HWND window);

// ---- Input -----------------------------------------------------------------
void Click(HWND button);                     // BM_CLICK, posted
void SetCheck(HWND button, bool on);         // clicks when the state differs
bool IsChecked(HWND button);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
void SelectCombo(HWND combo, int index);     // CB_SETCURSEL, then CBN_SELCHANGE to the parent
int ComboCount(HWND combo);
std::string ComboText(HWND combo, int index);
// Scroll bar or trackbar to a position, with the notifications a user's drag sends.
void Scroll(HWND bar, int position);
void PostKey(HWND target, UINT vk);          // WM_KEYDOWN + WM_KEYUP posted to a window
void SendKey(UINT vk);                       // real keyboard input (SendInput)
// Real mouse input at a screen pixel (SendInput, absolute).
void MouseMove(int x, int y);
void MouseDown(int x, int y, bool right = false);
void MouseUp(int x, int y, bool right = false);
void MouseClick(int x, int y, bool right = false);

// ---- Message boxes -------------------------------------------------------------
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    explicit operator bool() const { return window != nullptr; }
};
// A dialog (#32770) that carries a message box text (control 0xFFFF), of one process or any.
MessageBoxInfo WaitMessageBox(DWORD timeoutMs = 5000, DWORD pid = 0);
// Presses a dialog button by id (IDOK, IDYES, ...) without blocking on a modal loop.
void PressButton(HWND dialog, int id);

// ---- Registry ----------------------------------------------------------------
namespace reg {
bool KeyExists(HKEY root, const std::string& path);
bool CreateKey(HKEY root, const std::string& path);
bool DeleteTree(HKEY root, const std::string& path);
bool SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
// false when missing or not 4 bytes long
bool GetDword(HKEY root, const std::string& path, const std::string& name, DWORD* value);
bool SetBinary(HKEY root, const std::string& path, const std::string& name, const void* data, size_t size);
bool GetBinary(HKEY root, const std::string& path, const std::string& name, std::vector<uint8_t>* data,
               DWORD* type = nullptr);
bool SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
bool GetString(HKEY root, const std::string& path, const std::string& name, std::string* value);
bool DeleteValue(HKEY root, const std::string& path, const std::string& name);
bool ValueExists(HKEY root, const std::string& path, const std::string& name);
std::vector<std::string> ValueNames(HKEY root, const std::string& path);
std::vector<std::string> SubKeys(HKEY root, const std::string& path);
}  // namespace reg

// ---- Simulated panel driver ----------------------------------------------------------
namespace sim {
bool StartDriver();   // the WEXANT service running (idempotent)
bool StopDriver();    // "driver absent": the service stopped, \\.\WEXANT does not open
bool Reset();         // empties queues, log, held records and failures; rotation 0

// A touch for READ_TOUCH (raw X/Y, device instance number, product id); also
// signals the registered touch event.
bool InjectTouch(uint16_t rawX, uint16_t rawY, uint16_t device = 0, uint16_t productId = 0x0500);
// A touch state (0 touch-down, 1 release, 2 release after a secondary-button touch)
// for GET_TOUCH_STATE; signals the registered touch event.
bool InjectTouchState(uint32_t state);
bool SignalWake();                     // signals the registered wake event (false when none is)
bool SetRotation(uint32_t quarterTurns);  // what GET_ROTATION answers
// Makes every later request with this code fail (or succeed again).
bool FailCode(uint32_t code, bool fail = true);

struct Request {
    uint32_t code = 0;
    std::vector<uint8_t> input;   // the request's input bytes
    uint32_t status = 0;          // 0 success, else the NTSTATUS returned
    uint64_t timeUs = 0;          // driver's clock, microseconds
};
std::vector<Request> Log();                   // every request since the last Reset, in order
std::vector<Request> LogOf(uint32_t code);    // those with one code
// Polls the log until it holds at least count requests with this code.
bool WaitRequest(uint32_t code, size_t count = 1, DWORD timeoutMs = 5000);

enum class CalibHeld : uint32_t { None = 0, Sent = 1, Committed = 2, Discarded = 3 };
struct State {
    uint32_t option = 0;            // last SET_OPTION
    uint32_t secondaryButton = 0;   // 1 after SECONDARY_BUTTON, 0 after PRIMARY_BUTTON
    uint32_t buttonsSwapped = 0;    // 1 after BUTTONS_SWAPPED, 0 after BUTTONS_NORMAL
    uint32_t calibMode = 0;         // last SET_CALIB_MODE
    CalibHeld calib = CalibHeld::None;     // plain form
    CalibHeld calibS = CalibHeld::None;    // _S form
    std::vector<uint8_t> calibRecord;      // last SET_CALIB
    std::vector<uint8_t> calibRecordS;     // last SET_CALIB_S
    std::vector<uint8_t> bundle;           // last LOAD_CALIB_BUNDLE
    uint32_t touchEventRegistered = 0;
    uint32_t wakeEventRegistered = 0;
    uint32_t rotation = 0;                 // what GET_ROTATION answers
    std::vector<uint8_t> comm;             // last SET_COMM input (empty: none since Reset)
    std::vector<uint8_t> resolution;       // last SET_RESOLUTION input (empty: none)
    uint32_t commCount = 0;                // successful SET_COMM requests
    uint32_t resolutionCount = 0;          // successful SET_RESOLUTION requests
    uint32_t applyCount = 0;               // successful APPLY_SETTINGS requests
    uint32_t touchesQueued = 0;            // injected touches not yet read
    uint32_t statesQueued = 0;             // injected touch states not yet read
    uint32_t touchSignals = 0;             // times the registered touch event was signalled
    uint32_t wakeSignals = 0;              // times the registered wake event was signalled
    uint64_t nowUs = 0;                    // driver's clock when the state was taken
};
bool GetState(State* state);
// The log as Log() gives it; false when it could not be read whole. lost
// counts the oldest entries dropped because the log was full.
bool ReadLog(std::vector<Request>* log, uint32_t* lost = nullptr);
}  // namespace sim

// ---- Screenshots and the Wine environment -------------------------------------------
// The screen's pixels in the area (screen coordinates), top-down rows of
// 0x00RRGGBB; false (pixels empty) when the capture failed.
bool CaptureScreen(const RECT& area, std::vector<uint32_t>* pixels);
// Saves the whole screen as <ArtifactDir>\<test name>-<name>.png; returns the path.
std::string Screenshot(const std::string& name);
// Windows version Wine reports to processes started afterwards ("winxp64", "win7"):
// HKCU\Software\Wine "Version", which Wine reads when a process starts.
bool SetWindowsVersion(const char* version);

// ---- Key security ------------------------------------------------------------
// A key's access for everyone limited to reading (and to changing its
// security back), so that a program's writes and creations under it fail;
// *saved keeps the old access for RestoreKeySecurity.
bool MakeKeyReadOnly(HKEY root, const char* path, std::vector<uint8_t>* saved);
bool RestoreKeySecurity(HKEY root, const char* path, const std::vector<uint8_t>& saved);

}  // namespace tb
