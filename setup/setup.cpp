// Setup: installs the touch panel driver package for the supported panels'
// USB hardware ids through the Windows device installer.
//
// A hidden main window runs the installation as a chain of posted messages:
// the question box, the progress box, then a worker thread that tells the
// resident program to end and calls the device installer for each id, so the
// window thread stays free while the device installer works.
#include <windows.h>

#include <atomic>

#include "resource.h"
#include "setup_rules.h"
#include "winutil.h"

namespace {

constexpr UINT WM_INSTALL_START = WM_USER + 0x105;
constexpr UINT WM_INSTALL_RUN = WM_USER + 0x107;
constexpr UINT WM_INSTALL_DONE = WM_USER + 0x108;

constexpr char kCaption[] = "Velnor Touch Panel Setup";
constexpr char kInfFile[] = "\\wexant.inf";
// The device installer is the system's: loaded by its full path in the system
// directory, never by a bare name that would find a library of that name in
// the folder Setup was started from (Setup runs with administrator rights).
constexpr char kDeviceInstallerFile[] = "\\NEWDEV.DLL";

struct Text {
    const char* english;
    const char* japanese;
};
constexpr Text kTextNoRights = {"This user can't install.", "このユーザーではインストールできません"};
constexpr Text kTextCanceled = {"The installation was canceled.", "インストールがキャンセルされました。"};
constexpr Text kTextComplete = {"The installation is now complete.", "インストールが正常終了しました。"};
constexpr Text kTextFailed = {"The installation isn't complete.", "インストールが失敗しました。"};

// Checks of the resident program's window after telling it to end, 100 ms apart.
constexpr int kResidentChecks = 51;
constexpr DWORD kResidentCheckMs = 100;

typedef BOOL(WINAPI* UpdateDriverFn)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);
constexpr DWORD kInstallFlagForce = 1;  // INSTALLFLAG_FORCE

BOOL g_bJapanese = FALSE;
BOOL g_bSilent = FALSE;
HINSTANCE g_hInstance = nullptr;
BOOL g_bCancel = FALSE;
HWND g_hProgress = nullptr;
// Written by the window thread before the worker runs, cleared by the worker.
std::atomic<HANDLE> g_hWorker{nullptr};
// Written by the worker before it posts WM_INSTALL_DONE.
std::atomic<BOOL> g_bInstallResult{FALSE};

const char* Say(const Text& text)
{
    return g_bJapanese ? text.japanese : text.english;
}

void Tell(HWND owner, const Text& text)
{
    if (!g_bSilent)
        MessageBoxA(owner, Say(text), kCaption, MB_OK);
}

// Write access to HKEY_LOCAL_MACHINE\Software is what installing needs.
BOOL UserMayInstall()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, wexant::kKeyWriteAccess, &key) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(key);
    return TRUE;
}

INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetFocus(GetDlgItem(dialog, IDC_CONFIRM_YES));
        return TRUE;
    case WM_COMMAND:
        // Only Yes and No close the box; Esc (IDCANCEL) does nothing.
        if (LOWORD(wParam) == IDC_CONFIRM_YES) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_CONFIRM_NO) {
            g_bCancel = TRUE;
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK ProgressDlgProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The resident program restores the cursors and the driver's buttons and ends
// on WM_DESTROY; its window disappears with the process.
void CloseResidentProgram()
{
    HWND resident = FindWindowA(wexant::kResidentWindowClass, wexant::kResidentWindowTitle);
    if (!resident)
        return;
    PostMessageA(resident, WM_DESTROY, 0, 0);
    for (int check = 0; check < kResidentChecks; ++check) {
        Sleep(kResidentCheckMs);
        if (!FindWindowA(wexant::kResidentWindowClass, wexant::kResidentWindowTitle))
            return;
    }
}

// Calls the device installer for every id; TRUE when at least one call succeeded.
BOOL InstallForAllIds(HWND window)
{
    char module[wexant::kPathBufferSize];
    char inf[wexant::kPathBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof(module));
    if (length == 0 || length >= sizeof(module) ||
        !setup::PathBesideModule(inf, sizeof(inf), module, kInfFile))
        return FALSE;

    char library[wexant::kPathBufferSize];
    if (!MakeSystemPath(library, kDeviceInstallerFile))
        return FALSE;
    HMODULE newdev = LoadLibraryA(library);
    if (!newdev)
        return FALSE;
    auto update = reinterpret_cast<UpdateDriverFn>(
        reinterpret_cast<void*>(GetProcAddress(newdev, "UpdateDriverForPlugAndPlayDevicesA")));
    BOOL installed = FALSE;
    if (update) {
        for (int n = 0; n < setup::kInstallIdCount; ++n) {
            char id[32];
            if (setup::MakeInstallHardwareId(n, id, sizeof(id)) &&
                update(window, id, inf, kInstallFlagForce, nullptr))
                installed = TRUE;
        }
    }
    FreeLibrary(newdev);
    return installed;
}

// The settings program shows the driver list; once installed it stays read-only.
void ProtectDriverList()
{
    char path[wexant::kPathBufferSize];
    if (!MakeSystemPath(path, wexant::kFileDvrlist))
        return;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    // FILE_ATTRIBUTE_NORMAL stands only alone: it goes when another bit is set.
    SetFileAttributesA(path, (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_READONLY);
}

DWORD WINAPI InstallDriverThread(LPVOID parameter)
{
    HWND window = static_cast<HWND>(parameter);
    CloseResidentProgram();
    Sleep(100);
    BOOL installed = InstallForAllIds(window);
    if (installed)
        ProtectDriverList();
    g_bInstallResult = installed;
    PostMessageA(window, WM_INSTALL_DONE, 0, 0);
    HANDLE self = g_hWorker.exchange(nullptr);
    if (self)
        CloseHandle(self);
    return 1;
}

void OnInstallStart(HWND window)
{
    if (!g_bSilent)
        DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(g_bJapanese ? IDD_CONFIRM_JA : IDD_CONFIRM_EN), window,
                        ConfirmDlgProc, 0);
    if (g_bCancel) {
        Tell(window, kTextCanceled);
        PostQuitMessage(0);
        return;
    }
    if (!g_bSilent) {
        g_hProgress = CreateDialogParamA(g_hInstance,
                                         MAKEINTRESOURCEA(g_bJapanese ? IDD_PROGRESS_JA : IDD_PROGRESS_EN),
                                         window, ProgressDlgProc, 0);
        if (g_hProgress)
            ShowWindow(g_hProgress, SW_SHOW);
    }
    PostMessageA(window, WM_INSTALL_RUN, 0, 0);
}

void OnInstallRun(HWND window)
{
    // Started suspended so that the handle is stored before the thread can
    // reach the point where it closes it.
    HANDLE thread = CreateThread(nullptr, 0, InstallDriverThread, window, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        g_bInstallResult = FALSE;
        PostMessageA(window, WM_INSTALL_DONE, 0, 0);
        return;
    }
    g_hWorker = thread;
    ResumeThread(thread);
    Sleep(100);
}

void OnInstallDone(HWND window)
{
    if (g_hProgress) {
        DestroyWindow(g_hProgress);
        g_hProgress = nullptr;
    }
    Tell(window, g_bInstallResult ? kTextComplete : kTextFailed);
    PostQuitMessage(0);
}

LRESULT CALLBACK InstallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INSTALL_START:
        OnInstallStart(window);
        return 0;
    case WM_INSTALL_RUN:
        OnInstallRun(window);
        return 0;
    case WM_INSTALL_DONE:
        OnInstallDone(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = InstallWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = wexant::kInstallerWindowClass;
    if (!RegisterClassA(&wc))
        return nullptr;
    HWND window = CreateWindowExA(0, wexant::kInstallerWindowClass, "Tool", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window)
        ShowWindow(window, SW_HIDE);
    return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int)
{
    g_bJapanese = IsJapanese();
    g_bSilent = setup::IsSilentTail(tail);

    if (!UserMayInstall()) {
        if (!g_bSilent)
            MessageBoxA(nullptr, Say(kTextNoRights), kCaption, MB_OK);
        return 0;
    }
    // Held until the process ends.
    if (!AcquireSingleInstance(wexant::kMutexSetup))
        return 0;

    HWND window = CreateMainWindow(instance);
    if (!window)
        return 0;
    g_hInstance = instance;
    // Every generation from NT 5 on installs the same way.
    DetectWindowsGeneration();

    PostMessageA(window, WM_INSTALL_START, 0, 0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
