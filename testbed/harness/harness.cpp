// The harness inside the Wine prefix: processes, windows, input, message
// boxes, the registry and screenshots. The driver side is in sim.cpp, main()
// and the per-test listener in tb_main.cpp.
#include "harness.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "harness_internal.h"

namespace tb {

// ---- Waiting ---------------------------------------------------------------

bool Poll(const std::function<bool()>& cond, DWORD timeoutMs, DWORD stepMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return cond();
        Sleep(stepMs ? stepMs : 1);
    }
}

// ---- Processes -----------------------------------------------------------------

namespace {

// Every process a test started, kept as our own duplicated handle so that the
// end of the test can end it whatever the test did with its Process object.
std::vector<HANDLE> g_started;
// Processes started by the test and everything they start in turn.
HANDLE g_job = nullptr;

void Track(HANDLE process)
{
    HANDLE copy = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
        g_started.push_back(copy);
    }
    if (!g_job) {
        g_job = CreateJobObjectA(nullptr, nullptr);
        if (g_job) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
            memset(&limits, 0, sizeof(limits));
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(g_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        }
    }
    if (g_job) AssignProcessToJobObject(g_job, process);
}

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

bool EnsureDirectory(const std::string& path)
{
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2) EnsureDirectory(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string EnvOr(const char* name, const std::string& fallback)
{
    char buffer[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    if (n == 0 || n >= sizeof(buffer)) return fallback;
    return std::string(buffer, n);
}

}  // namespace

namespace internal {

void EndStartedProcesses()
{
    for (HANDLE process : g_started) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 2000);
        }
        CloseHandle(process);
    }
    g_started.clear();
    if (g_job) {
        // Whatever the started programs started in turn.
        TerminateJobObject(g_job, 1);
        CloseHandle(g_job);
        g_job = nullptr;
    }
}

}  // namespace internal

Process::Process(HANDLE process, DWORD pid) : handle_(process), pid_(pid) {}

Process::Process(Process&& other) noexcept : handle_(other.handle_), pid_(other.pid_)
{
    other.handle_ = nullptr;
    other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        if (handle_) CloseHandle(handle_);
        handle_ = other.handle_;
        pid_ = other.pid_;
        other.handle_ = nullptr;
        other.pid_ = 0;
    }
    return *this;
}

Process::~Process()
{
    if (handle_) CloseHandle(handle_);
}

bool Process::Running() const
{
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) const
{
    if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) {
        DWORD code = 0;
        GetExitCodeProcess(handle_, &code);
        *exitCode = code;
    }
    return true;
}

void Process::Kill()
{
    if (!Running()) return;
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 5000);
}

std::string SystemDir()
{
    char buffer[MAX_PATH];
    UINT n = GetSystemDirectoryA(buffer, sizeof(buffer));
    return std::string(buffer, n < sizeof(buffer) ? n : 0);
}

std::string SystemPath(const std::string& file)
{
    return SystemDir() + "\\" + file;
}

std::string WindowsDir()
{
    char buffer[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buffer, sizeof(buffer));
    return std::string(buffer, n < sizeof(buffer) ? n : 0);
}

std::string ArtifactDir()
{
    std::string dir = EnvOr("TB_ARTIFACTS", "C:\\artifacts");
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    EnsureDirectory(dir);
    return dir;
}

std::string ReadFileText(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

namespace {

// CreateProcessA with the options; output, when given, becomes the child's
// standard output and error.
Process LaunchJapanese(const std::string& path, const std::string& tail, const std::string& directory,
                       const std::string& captureUnixPath);

Process Launch(const std::string& path, const std::string& tail, const StartOptions& options,
               HANDLE output)
{
    if (options.japanese) {
        return LaunchJapanese(path, tail, options.directory.empty() ? SystemDir() : options.directory, "");
    }
    std::string line = Quoted(path);
    if (!tail.empty()) line += " " + tail;
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    std::string directory = options.directory.empty() ? SystemDir() : options.directory;

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info;
    memset(&info, 0, sizeof(info));
    // Under load Wine now and then refuses a start with an internal error that
    // a second try does not meet; any other error is final.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(200);
        started = CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, output ? TRUE : FALSE, 0,
                                 nullptr, directory.c_str(), &startup, &info);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    if (!started) {
        fprintf(stderr, "tb: cannot start %s (error %lu)\n", line.c_str(), GetLastError());
        return Process();
    }
    CloseHandle(info.hThread);
    Track(info.hProcess);
    return Process(info.hProcess, info.dwProcessId);
}

// ---- Japanese mode ----
// Wine takes a process's code page from the Unix locale variables it inherits
// from the Unix side of its parent, not from the Windows environment block. So
// a Japanese child is spawned on the Unix side through ntdll's Unix spawn:
// "wine tb_japanese_start.exe ... <program> <arguments>" with LC_ALL/LANG=
// ja_JP.UTF-8. The starter, Japanese itself, starts the program, which
// inherits its locale, and reports the child's id, so the harness opens the
// child by its id even when it ends at once.

typedef LONG(CDECL* UnixSpawn)(char* const argv[], int wait);
typedef char*(CDECL* UnixFileName)(const WCHAR* dos);

std::wstring Widen(const std::string& text, UINT codePage)
{
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

// The Unix path of a Windows path; empty when it has none.
std::string UnixPath(const std::string& windowsPath)
{
    UnixFileName toUnix = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    char* unix = toUnix(Widen(windowsPath, CP_ACP).c_str());
    if (!unix) return std::string();
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// The arguments of a command tail as Windows splits them (the literals of
// the tests are code page 932 bytes), in UTF-8 for the Unix side.
std::vector<std::string> SplitTail(const std::string& tail)
{
    std::vector<std::string> args;
    if (tail.find_first_not_of(" \t") == std::string::npos) return args;
    std::wstring line = L"x " + Widen(tail, 932);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
    LocalFree(argv);
    return args;
}

// A file of one line (a number, a /proc entry) without its line end.
std::string FileText(const std::string& path)
{
    std::string text = ReadFileText(path);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
    return text;
}

// What became of a Japanese start that never showed up: whether its shell ran,
// and the state of its Unix process (the wine loader after the exec).
void ReportUnixStart(const std::string& pidFile)
{
    std::string pid = FileText(pidFile);
    if (pid.empty()) {
        fprintf(stderr, "tb: its shell never ran\n");
        return;
    }
    const std::string proc = "Z:\\proc\\" + pid + "\\";
    std::string stat = FileText(proc + "stat");
    if (stat.empty()) {
        fprintf(stderr, "tb: its Unix process %s has ended\n", pid.c_str());
        return;
    }
    fprintf(stderr, "tb: its Unix process: %s; waiting in %s\n", stat.c_str(), FileText(proc + "wchan").c_str());
}

Process LaunchJapanese(const std::string& path, const std::string& tail, const std::string& directory,
                       const std::string& captureUnixPath)
{
    UnixSpawn spawn = reinterpret_cast<UnixSpawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    std::string unixDirectory = UnixPath(directory);
    if (!spawn || unixDirectory.empty()) {
        fprintf(stderr, "tb: no Unix spawn for the Japanese mode\n");
        return Process();
    }
    // The starter writes the child's id into the pid file and holds the child
    // until the event is set; the shell notes its own Unix process id, which
    // wine keeps, so that a start that never reports can be looked at.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    static LONG starts = 0;
    const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&starts));
    const std::string pidFile = std::string(temp) + "tb-japanese-" + tag + ".pid";
    const std::string unixPidFile = pidFile + ".unix";
    const std::string eventName = "tb-japanese-" + tag;
    DeleteFileA(pidFile.c_str());
    DeleteFileA(unixPidFile.c_str());
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());

    std::vector<std::string> args = {
        "/bin/sh", "-c",
        "cd \"$1\" || exit 127; out=$2; echo $$ >\"$3\"; shift 3; export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; "
        "if [ -n \"$out\" ]; then exec wine \"$@\" >\"$out\" 2>&1; else exec wine \"$@\"; fi",
        "tb-japanese", unixDirectory, captureUnixPath, UnixPath(unixPidFile),
        Utf8(Widen(TestDir() + "\\tb_japanese_start.exe", CP_ACP)), Utf8(Widen(pidFile, CP_ACP)), eventName,
        Utf8(Widen(path, CP_ACP))};
    for (const std::string& arg : SplitTail(tail)) args.push_back(arg);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    if (spawn(argv.data(), 0) != 0) {
        fprintf(stderr, "tb: cannot start %s in the Japanese mode\n", path.c_str());
        if (opened) CloseHandle(opened);
        return Process();
    }

    std::string reported;
    Poll([&] { return !(reported = FileText(pidFile)).empty(); }, 30000, 5);
    DWORD pid = static_cast<DWORD>(strtoul(reported.c_str(), nullptr, 10));
    HANDLE process = pid ? OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid) : nullptr;
    if (opened) {
        SetEvent(opened);
        CloseHandle(opened);
    }
    if (!process && reported.empty()) {
        fprintf(stderr, "tb: %s did not start in the Japanese mode\n", path.c_str());
        ReportUnixStart(unixPidFile);
    } else if (!process) {
        fprintf(stderr, "tb: %s could not be started in the Japanese mode (%s)\n", path.c_str(), reported.c_str());
    }
    DeleteFileA(pidFile.c_str());
    DeleteFileA(unixPidFile.c_str());
    if (!process) return Process();
    Track(process);
    return Process(process, pid);
}

}  // namespace

Process StartPath(const std::string& path, const std::string& tail, const StartOptions& options)
{
    return Launch(path, tail, options, nullptr);
}

Process Start(const std::string& exe, const std::string& tail, const StartOptions& options)
{
    return StartPath(SystemPath(exe), tail, options);
}

std::vector<Process> StartTogether(const std::string& exe, const std::string& tail, int copies)
{
    std::vector<PROCESS_INFORMATION> suspended;
    const std::string path = SystemPath(exe);
    for (int i = 0; i < copies; ++i) {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::string line = "\"" + path + "\"" + (tail.empty() ? "" : " " + tail);
        if (CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           SystemDir().c_str(), &si, &pi)) {
            Track(pi.hProcess);
            suspended.push_back(pi);
        }
    }
    std::vector<Process> started;
    for (const PROCESS_INFORMATION& pi : suspended) {
        ResumeThread(pi.hThread);
        CloseHandle(pi.hThread);
        started.emplace_back(pi.hProcess, pi.dwProcessId);
    }
    return started;
}

int Run(const std::string& path, const std::string& tail, DWORD timeoutMs, const StartOptions& options)
{
    Process process = StartPath(path, tail, options);
    if (!process.Valid()) return -1;
    DWORD code = 0;
    if (!process.WaitExit(timeoutMs, &code)) {
        fprintf(stderr, "tb: %s %s did not end within %lu ms\n", path.c_str(), tail.c_str(), timeoutMs);
        process.Kill();
        return -1;
    }
    return static_cast<int>(code);
}

namespace {

// The Japanese child writes its output into a file: it is no Windows child of ours.
int RunCaptureJapanese(const std::string& path, const std::string& tail, std::string* output,
                       DWORD timeoutMs, const StartOptions& options)
{
    char folder[MAX_PATH];
    char file[MAX_PATH];
    if (!GetTempPathA(sizeof(folder), folder) || !GetTempFileNameA(folder, "tbo", 0, file)) return -1;
    std::string unixFile = UnixPath(file);
    Process process = LaunchJapanese(path, tail, options.directory.empty() ? SystemDir() : options.directory,
                                     unixFile);
    DWORD code = 0;
    bool ended = process.Valid() && process.WaitExit(timeoutMs, &code);
    if (process.Valid() && !ended) {
        fprintf(stderr, "tb: %s %s did not end within %lu ms\n", path.c_str(), tail.c_str(), timeoutMs);
        process.Kill();
    }
    output->append(ReadFileText(file));
    DeleteFileA(file);
    return ended ? static_cast<int>(code) : -1;
}

}  // namespace

int RunCapture(const std::string& path, const std::string& tail, std::string* output, DWORD timeoutMs,
               const StartOptions& options)
{
    output->clear();
    if (options.japanese) return RunCaptureJapanese(path, tail, output, timeoutMs, options);
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    Process process = Launch(path, tail, options, writeEnd);
    CloseHandle(writeEnd);
    if (!process.Valid()) {
        CloseHandle(readEnd);
        return -1;
    }
    // Drain while it runs, so that a talkative child never blocks on a full pipe.
    DWORD start = GetTickCount();
    bool ended = false;
    bool timedOut = false;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;  // closed
        if (available) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr)) break;
            output->append(buffer, got);
            continue;
        }
        if (ended) break;
        ended = !process.Running();
        if (!ended && GetTickCount() - start >= timeoutMs) {
            timedOut = true;
            break;
        }
        if (!ended) Sleep(5);
    }
    CloseHandle(readEnd);
    DWORD code = 0;
    DWORD spent = GetTickCount() - start;
    if (!process.WaitExit(timedOut || spent >= timeoutMs ? 0 : timeoutMs - spent, &code)) {
        fprintf(stderr, "tb: %s %s did not end within %lu ms\n", path.c_str(), tail.c_str(), timeoutMs);
        process.Kill();
        return -1;
    }
    return static_cast<int>(code);
}

std::string TestDir()
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    std::string self(buffer, n < sizeof(buffer) ? n : 0);
    size_t slash = self.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

bool InstallStandin(const std::string& file, const std::string& asName)
{
    std::string from = EnvOr("TB_STANDINS", "") + "\\" + file;
    std::string to = SystemPath(asName.empty() ? file : asName);
    // A new file rather than one rewritten in place: the prefix may share the
    // old one's contents with other prefixes.
    DeleteFileA(to.c_str());
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        fprintf(stderr, "tb: cannot copy %s to %s (error %lu)\n", from.c_str(), to.c_str(),
                GetLastError());
        return false;
    }
    return true;
}

// ---- Windows ---------------------------------------------------------------

namespace {

struct TopSearch {
    const char* className;
    const char* title;
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param)
{
    TopSearch* search = reinterpret_cast<TopSearch*>(param);
    if (search->pid) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->pid) return TRUE;
    }
    if (search->className && _stricmp(ClassOf(window).c_str(), search->className) != 0) return TRUE;
    if (search->title && Text(window) != search->title) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTop(const char* className, const char* title, DWORD pid)
{
    TopSearch search{className, title, pid, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// A message to a window of another process that must not hang the test.
LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs = 3000)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace

HWND WaitWindow(const char* className, const char* title, DWORD timeoutMs, DWORD pid)
{
    HWND window = nullptr;
    Poll([&] {
        std::vector<HWND> found = FindTop(className, title, pid);
        // Prefer a visible window: a program may keep hidden ones of the same class.
        for (HWND w : found) {
            if (IsWindowVisible(w)) {
                window = w;
                return true;
            }
        }
        if (!found.empty()) window = found.front();
        return window != nullptr;
    }, timeoutMs, 20);
    return window;
}

std::vector<HWND> TopWindows(DWORD pid)
{
    return FindTop(nullptr, nullptr, pid);
}

bool WaitGone(HWND window, DWORD timeoutMs)
{
    return Poll([&] { return !IsWindow(window); }, timeoutMs, 20);
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND Control(HWND parent, int id)
{
    // Direct children first: a dialog's own control wins over a nested page's.
    HWND direct = GetDlgItem(parent, id);
    if (direct) return direct;
    for (HWND child : Children(parent)) {
        if (GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

std::string Text(HWND window)
{
    if (!window) return std::string();
    LRESULT length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 2, '\0');
        LRESULT got = SendBounded(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        if (got > 0) return std::string(buffer.data(), static_cast<size_t>(got));
    }
    char buffer[1024];
    int n = GetWindowTextA(window, buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? n : 0);
}

std::string ClassOf(HWND window)
{
    char buffer[256];
    int n = GetClassNameA(window, buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? n : 0);
}

RECT ScreenRect(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    return rect;
}

// ---- Input -----------------------------------------------------------------

void Click(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

bool IsChecked(HWND button)
{
    return SendBounded(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetCheck(HWND button, bool on)
{
    if (IsChecked(button) == on) return;
    Click(button);
    // The click is posted: wait until the button took it, so that a test can
    // go on as after a user's click.
    Poll([&] { return IsChecked(button) == on; }, 2000, 10);
}

bool IsEnabled(HWND window)
{
    return window && IsWindowEnabled(window);
}

bool IsVisible(HWND window)
{
    return window && IsWindowVisible(window);
}

void SelectCombo(HWND combo, int index)
{
    SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(GetParent(combo), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int ComboCount(HWND combo)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &result)) return -1;
    return static_cast<int>(static_cast<LRESULT>(result));
}

std::string ComboText(HWND combo, int index)
{
    LRESULT length = SendBounded(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 2, '\0');
    LRESULT got = SendBounded(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(buffer.data()));
    if (got <= 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(got));
}

void Scroll(HWND bar, int position)
{
    std::string cls = ClassOf(bar);
    LONG style = GetWindowLongA(bar, GWL_STYLE);
    HWND owner = GetParent(bar);
    bool trackbar = _stricmp(cls.c_str(), TRACKBAR_CLASSA) == 0;
    bool vertical = trackbar ? (style & TBS_VERT) != 0 : (style & SBS_VERT) != 0;
    UINT message = vertical ? WM_VSCROLL : WM_HSCROLL;
    LPARAM from = reinterpret_cast<LPARAM>(bar);
    if (trackbar) {
        SendBounded(bar, TBM_SETPOS, TRUE, position);
        SendBounded(owner, message, MAKEWPARAM(TB_THUMBTRACK, position), from);
        SendBounded(owner, message, MAKEWPARAM(TB_THUMBPOSITION, position), from);
        SendBounded(owner, message, MAKEWPARAM(TB_ENDTRACK, 0), from);
    } else {
        SendBounded(bar, SBM_SETPOS, static_cast<WPARAM>(position), TRUE);
        SendBounded(owner, message, MAKEWPARAM(SB_THUMBTRACK, position), from);
        SendBounded(owner, message, MAKEWPARAM(SB_THUMBPOSITION, position), from);
        SendBounded(owner, message, MAKEWPARAM(SB_ENDSCROLL, 0), from);
    }
}

void PostKey(HWND target, UINT vk)
{
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1u << 30) | (1u << 31);
    PostMessageA(target, WM_KEYDOWN, vk, down);
    PostMessageA(target, WM_KEYUP, vk, up);
}

void SendKey(UINT vk)
{
    INPUT input[2];
    memset(input, 0, sizeof(input));
    for (INPUT& i : input) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = static_cast<WORD>(vk);
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

namespace {

void SendMouse(int x, int y, DWORD buttonFlags)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input;
    memset(&input, 0, sizeof(input));
    input.type = INPUT_MOUSE;
    // Absolute coordinates run 0..65535 over the primary screen; round to the
    // pixel's centre so that the pointer lands exactly on (x, y).
    input.mi.dx = width > 1 ? static_cast<LONG>((x * 65535LL + (width - 1) / 2) / (width - 1)) : 0;
    input.mi.dy = height > 1 ? static_cast<LONG>((y * 65535LL + (height - 1) / 2) / (height - 1)) : 0;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
    SendInput(1, &input, sizeof(INPUT));
}

}  // namespace

void MouseMove(int x, int y)
{
    SendMouse(x, y, 0);
}

void MouseDown(int x, int y, bool right)
{
    SendMouse(x, y, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
}

void MouseUp(int x, int y, bool right)
{
    SendMouse(x, y, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

void MouseClick(int x, int y, bool right)
{
    MouseMove(x, y);
    MouseDown(x, y, right);
    MouseUp(x, y, right);
}

// ---- Message boxes -------------------------------------------------------------

namespace {

// Control ids of the system's message box: the text and the icon.
const int kMessageBoxText = 0xFFFF;
const int kMessageBoxIcon = 0x0440;

}  // namespace

MessageBoxInfo WaitMessageBox(DWORD timeoutMs, DWORD pid)
{
    MessageBoxInfo info;
    Poll([&] {
        HWND candidate = nullptr;
        for (HWND dialog : FindTop("#32770", nullptr, pid)) {
            HWND text = GetDlgItem(dialog, kMessageBoxText);
            if (!text || !IsWindowVisible(dialog)) continue;
            // A dialog of a program can carry static labels with id -1 too;
            // the system's message box also has its icon control.
            if (GetDlgItem(dialog, kMessageBoxIcon)) {
                candidate = dialog;
                break;
            }
            if (!candidate) candidate = dialog;
        }
        if (!candidate) return false;
        info.window = candidate;
        info.caption = Text(candidate);
        info.text = Text(GetDlgItem(candidate, kMessageBoxText));
        return true;
    }, timeoutMs, 20);
    return info;
}

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// ---- Registry ----------------------------------------------------------------

namespace reg {

namespace {

HKEY Open(HKEY root, const std::string& path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

HKEY Create(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
              DWORD size)
{
    HKEY key = Create(root, path);
    if (!key) return false;
    LONG result = RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, type,
                                 static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = Open(root, path, KEY_READ);
    if (!key) return false;
    RegCloseKey(key);
    return true;
}

bool CreateKey(HKEY root, const std::string& path)
{
    HKEY key = Create(root, path);
    if (!key) return false;
    RegCloseKey(key);
    return true;
}

bool DeleteTree(HKEY root, const std::string& path)
{
    LONG result = RegDeleteTreeA(root, path.c_str());
    if (result == ERROR_FILE_NOT_FOUND) return true;
    if (result != ERROR_SUCCESS) return false;
    // RegDeleteTreeA with a subkey leaves the key itself on some versions.
    result = RegDeleteKeyA(root, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value)
{
    return SetValue(root, path, name, REG_DWORD, &value, sizeof(value));
}

bool GetDword(HKEY root, const std::string& path, const std::string& name, DWORD* value)
{
    std::vector<uint8_t> data;
    if (!GetBinary(root, path, name, &data) || data.size() != sizeof(DWORD)) return false;
    memcpy(value, data.data(), sizeof(DWORD));
    return true;
}

bool SetBinary(HKEY root, const std::string& path, const std::string& name, const void* data, size_t size)
{
    return SetValue(root, path, name, REG_BINARY, data, static_cast<DWORD>(size));
}

bool GetBinary(HKEY root, const std::string& path, const std::string& name, std::vector<uint8_t>* data,
               DWORD* type)
{
    HKEY key = Open(root, path, KEY_READ);
    if (!key) return false;
    DWORD kind = 0;
    DWORD size = 0;
    const char* value = name.empty() ? nullptr : name.c_str();
    LONG result = RegQueryValueExA(key, value, nullptr, &kind, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        data->assign(size, 0);
        result = RegQueryValueExA(key, value, nullptr, &kind, data->empty() ? nullptr : data->data(), &size);
        data->resize(size);
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    if (type) *type = kind;
    return true;
}

bool SetString(HKEY root, const std::string& path, const std::string& name, const std::string& value)
{
    return SetValue(root, path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool GetString(HKEY root, const std::string& path, const std::string& name, std::string* value)
{
    std::vector<uint8_t> data;
    DWORD type = 0;
    if (!GetBinary(root, path, name, &data, &type)) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    size_t n = 0;
    while (n < data.size() && data[n] != 0) ++n;
    value->assign(reinterpret_cast<const char*>(data.data()), n);
    return true;
}

bool DeleteValue(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = Open(root, path, KEY_SET_VALUE);
    if (!key) return false;
    LONG result = RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = Open(root, path, KEY_READ);
    if (!key) return false;
    LONG result = RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr, nullptr, nullptr,
                                   nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    HKEY key = Open(root, path, KEY_READ);
    if (!key) return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD size = sizeof(name);
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(key);
    return names;
}

std::vector<std::string> SubKeys(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    HKEY key = Open(root, path, KEY_READ);
    if (!key) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(key);
    return names;
}

}  // namespace reg

// ---- Screenshots and the Wine environment -------------------------------------------

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBig32(std::vector<uint8_t>* out, uint32_t v)
{
    out->push_back(static_cast<uint8_t>(v >> 24));
    out->push_back(static_cast<uint8_t>(v >> 16));
    out->push_back(static_cast<uint8_t>(v >> 8));
    out->push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& body)
{
    PutBig32(out, static_cast<uint32_t>(body.size()));
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), body.begin(), body.end());
    PutBig32(out, Crc32(out->data() + start, out->size() - start));
}

// RGB rows (top first) as a PNG file, the image data in stored deflate blocks.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> raw;
    size_t row = static_cast<size_t>(width) * 3;
    raw.reserve((row + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), rgb.begin() + y * row, rgb.begin() + (y + 1) * row);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0;) {
        size_t n = raw.size() - at;
        if (n > 65535) n = 65535;
        bool last = at + n >= raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
        if (last) break;
    }
    PutBig32(&z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(&header, static_cast<uint32_t>(width));
    PutBig32(&header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    PutChunk(&png, "IHDR", header);
    PutChunk(&png, "IDAT", z);
    PutChunk(&png, "IEND", {});
    return png;
}

std::string CurrentTestName()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return "tb";
    return std::string(info->test_suite_name()) + "." + info->name();
}

}  // namespace

bool CaptureScreen(const RECT& area, std::vector<uint32_t>* pixels)
{
    pixels->clear();
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bmi;
    memset(&bmi, 0, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            const uint32_t* p = static_cast<const uint32_t*>(bits);
            pixels->assign(p, p + static_cast<size_t>(width) * height);
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return !pixels->empty();
}

std::string Screenshot(const std::string& name)
{
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return std::string();

    std::vector<uint32_t> pixels;
    if (!CaptureScreen(RECT{left, top, left + width, top + height}, &pixels)) {
        fprintf(stderr, "tb: screen capture failed\n");
        return std::string();
    }
    std::vector<uint8_t> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgb[i * 3] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
    }

    std::string path = ArtifactDir() + "\\" + CurrentTestName() + "-" + name + ".png";
    std::vector<uint8_t> png = EncodePng(width, height, rgb);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "tb: cannot write %s\n", path.c_str());
        return std::string();
    }
    bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    written = fclose(file) == 0 && written;
    if (!written) return std::string();
    printf("tb: screenshot %s\n", path.c_str());
    return path;
}

bool SetWindowsVersion(const char* version)
{
    // Wine takes the version for a process from this value when the process
    // starts; processes already running keep theirs.
    return reg::SetString(HKEY_CURRENT_USER, "Software\\Wine", "Version", version);
}

}  // namespace tb

// ---- Key security ------------------------------------------------------------
#include <aclapi.h>

namespace tb {

bool MakeKeyReadOnly(HKEY root, const char* path, std::vector<uint8_t>* saved)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, READ_CONTROL | WRITE_DAC, &key) != 0) return false;
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    saved->assign(size, 0);
    bool ok = size && RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved->data(), &size) == 0;
    // Everyone may read the key and change its security back; nothing else.
    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = KEY_READ | WRITE_DAC;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL acl = nullptr;
    ok = ok && SetEntriesInAclA(1, &access, nullptr, &acl) == ERROR_SUCCESS;
    SECURITY_DESCRIPTOR sd;
    ok = ok && InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) &&
         RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == 0;
    if (acl) LocalFree(acl);
    RegCloseKey(key);
    return ok;
}

bool RestoreKeySecurity(HKEY root, const char* path, const std::vector<uint8_t>& saved)
{
    HKEY key;
    if (saved.empty() || RegOpenKeyExA(root, path, 0, WRITE_DAC, &key) != 0) return false;
    std::vector<uint8_t> copy = saved;
    bool ok = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, copy.data()) == 0;
    RegCloseKey(key);
    return ok;
}

}  // namespace tb
