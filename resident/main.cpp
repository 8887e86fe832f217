// Tavrick's entry point and its hidden main window: the contact point for the
// settings program, the installer and uninstaller, the tray icon, the system's
// broadcasts and the worker threads.
#include "resident.h"

#include <string.h>

HWND MainWindow = nullptr;
HINSTANCE Instance = nullptr;
DWORD RunOnce = 0;
std::atomic<DWORD> OwnSessionId{0};
std::atomic<ConsoleSessionFn> ConsoleSessionFunction{nullptr};

static HMODULE HookModule = nullptr;
static HMODULE SessionModule = nullptr;
static HMODULE KernelModule = nullptr;
static BOOL MutexHeld = FALSE;

typedef INT_PTR(WINAPI* HookSetFn)();
typedef INT_PTR(WINAPI* HookOptionFn)(DWORD option);
typedef void(WINAPI* HookUnsetFn)();
typedef BOOL(WINAPI* SessionRegisterFn)(HWND window, DWORD flags);
typedef BOOL(WINAPI* SessionUnregisterFn)(HWND window);
typedef BOOL(WINAPI* ProcessSessionFn)(DWORD pid, DWORD* session);

static const char kHookLibrary[] = "gralen.dll";
static const char kHookMissingText[] = "Velnor extern library not found!";
static const char kHookMissingCaption[] = "Velnor Tavrick";
static const DWORD kNotifyForAllSessions = 1;

// Binds an export by name; GetProcAddress gives a generic pointer.
template <typename Fn>
static Fn Bind(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// ---- Hook library -----------------------------------------------------------------

static BOOL SetHook()
{
    if (!HookModule) HookModule = LoadLibraryA(kHookLibrary);
    if (!HookModule) return FALSE;
    HookSetFn setHook = Bind<HookSetFn>(HookModule, "GRALEN_SetHook");
    return setHook && setHook() != 0;
}

// Up to five attempts; a library that refuses them all is left as it is.
static void HandOptionToHook()
{
    if (!HookModule) return;
    for (int attempt = 0; attempt < 5; ++attempt) {
        HookOptionFn setOption = Bind<HookOptionFn>(HookModule, "GRALEN_SetOptionData");
        if (setOption && setOption(Option) != 0) return;
    }
}

static void UnloadHook()
{
    if (!HookModule) return;
    HookUnsetFn unsetHook = Bind<HookUnsetFn>(HookModule, "GRALEN_UnSetHook");
    if (unsetHook) unsetHook();
    for (int i = 0; i < 10; ++i) Sleep(10);  // lets the hook's last calls return
    FreeLibrary(HookModule);
    HookModule = nullptr;
}

// ---- Session functions, bound by name -------------------------------------------------

static void BindSessionFunctions(HWND window)
{
    if (!SessionModule) SessionModule = LoadLibraryA("wtsapi32.dll");
    if (SessionModule) {
        SessionRegisterFn registerFn = Bind<SessionRegisterFn>(SessionModule, "WTSRegisterSessionNotification");
        if (registerFn) registerFn(window, kNotifyForAllSessions);
    }
    if (!KernelModule) KernelModule = LoadLibraryA("KERNEL32.dll");
    if (KernelModule) {
        ProcessSessionFn processSession = Bind<ProcessSessionFn>(KernelModule, "ProcessIdToSessionId");
        ConsoleSessionFunction = Bind<ConsoleSessionFn>(KernelModule, "WTSGetActiveConsoleSessionId");
        DWORD session = 0;
        if (processSession && processSession(GetCurrentProcessId(), &session)) OwnSessionId = session;
    }
}

static void UnbindSessionFunctions(HWND window)
{
    if (!SessionModule) return;
    SessionUnregisterFn unregisterFn = Bind<SessionUnregisterFn>(SessionModule, "WTSUnRegisterSessionNotification");
    if (unregisterFn) unregisterFn(window);
    FreeLibrary(SessionModule);
    SessionModule = nullptr;
    if (KernelModule) {
        // The watch has been told to stop; it may still be between two polls.
        ConsoleSessionFunction = nullptr;
        FreeLibrary(KernelModule);
        KernelModule = nullptr;
    }
}

// ---- Messages ---------------------------------------------------------------------------

static void OnResidentInit(HWND window)
{
    LoadSettings();
    ApplyOptions();
    if (!SetHook()) {
        MessageBoxA(MainWindow, kHookMissingText, kHookMissingCaption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
        DestroyWindow(MainWindow);
        return;
    }
    HandOptionToHook();
    SyncButtonSwap();
    const BOOL sessions = g_bWinXP || g_bWinVista;
    if (sessions) BindSessionFunctions(window);
    StartWorkerThreads(window);
    if (sessions) StartSessionWatch(window);
}

static void OnSettingsMessage(const COPYDATASTRUCT* data)
{
    // A short or empty payload carries no settings.
    resident::SettingsMessage message;
    if (!data || !resident::ParseSettingsMessage(data->lpData, data->cbData, &message)) return;
    Freq = message.dwFreq;
    Duration = message.dwDuration;
    Option = message.dwOption;
    ApplyOptions();
    HandOptionToHook();
    DWORD option = message.dwOption;
    SendDriverCode(wexant::IOCTL_WEXANT_SET_OPTION, &option, sizeof(option));
    SyncButtonSwap();
}

static void OnPowerBroadcast(WPARAM event)
{
    if (event == PBT_APMSUSPEND) {
        StopWorkerThreads();
        // A tone being played ends first. Tones are held to the longest the
        // sound page sets, and so is this wait, whatever Duration holds.
        Sleep(resident::SuspendWait(Duration));
    } else if (event == PBT_APMRESUMESUSPEND) {
        Sleep(25);
        LoadSettings();
        ApplyCursorOption();
        SyncButtonSwap();
        StartWorkerThreads(MainWindow);
    }
}

// Switches the button mode touches act as, then shows it in the tray icon and the floating window.
static void OnTrayNotify(LPARAM mouseMessage)
{
    resident::ModeSwitch change;
    if (!resident::ModeSwitchFor(static_cast<uint32_t>(mouseMessage), ButtonsSwapped != 0, &change)) return;
    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return;
    DWORD code = change.secondary ? wexant::IOCTL_WEXANT_SECONDARY_BUTTON : wexant::IOCTL_WEXANT_PRIMARY_BUTTON;
    DWORD bytes = 0;
    if (DeviceIoControl(device, code, nullptr, 0, nullptr, 0, &bytes, nullptr)) {
        lstrcpynA(TrayTip, change.tip, sizeof(TrayTip));
        TrayIconCommand(MainWindow, NIM_MODIFY, 1, LoadButtonIcon(change.icon, 16), TrayTip);
        if (FloatWindow) PostMessageA(FloatWindow, change.floatMessage, 0, 0);
    }
    CloseHandle(device);
}

// Runs on WM_DESTROY and on a WM_ENDSESSION that ends the session; every step
// tests what it releases, so a second run (the uninstaller posts WM_DESTROY
// twice) is harmless.
static void Teardown(HWND window)
{
    SystemParametersInfoA(SPI_SETCURSORS, 0, nullptr, 0);
    HANDLE device = OpenDriverDevice();
    if (device != INVALID_HANDLE_VALUE) {
        DWORD bytes = 0;
        DeviceIoControl(device, wexant::IOCTL_WEXANT_BUTTONS_NORMAL, nullptr, 0, nullptr, 0, &bytes, nullptr);
        ButtonsSwapped = 0;
        CloseHandle(device);
    }
    DestroyFloatWindow();
    TrayIconCommand(window, NIM_DELETE, 1, nullptr, nullptr);
    StopWorkerThreads();
    const BOOL sessions = g_bWinXP || g_bWinVista;
    if (sessions) StopSessionWatch();
    if (MutexHeld) {
        ReleaseSingleInstance();
        MutexHeld = FALSE;
    }
    UnloadHook();
    if (sessions) UnbindSessionFunctions(window);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RESIDENT_INIT:
        OnResidentInit(window);
        return 0;
    case WM_COPYDATA:
        OnSettingsMessage(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return 0;
    case WM_WININICHANGE:
        if (ConsoleActive && wParam == SPI_SETMOUSEBUTTONSWAP) SyncButtonSwap();
        return 0;
    case WM_POWERBROADCAST:
        if (ConsoleActive) OnPowerBroadcast(wParam);
        return 0;
    case WM_TRAYNOTIFY:
        OnTrayNotify(lParam);
        return 0;
    case WM_DESTROY:
        Teardown(window);
        PostQuitMessage(0);
        return 0;
    case WM_ENDSESSION:
        // FALSE: another program refused the shutdown or logoff, and the
        // session goes on with everything in place.
        if (wParam) Teardown(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static BOOL RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = wexant::kResidentWindowClass;
    return RegisterClassExA(&wc) != 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // One instance per logon session; a second start ends silently.
    if (!AcquireSingleInstance(wexant::kMutexTavrick)) return 0;
    MutexHeld = TRUE;
    if (resident::IsRunOnceTail(commandLine)) RunOnce = 1;
    DetectWindowsGeneration();
    if (!RegisterMainClass(instance)) {
        ReleaseSingleInstance();
        return 0;
    }
    Instance = instance;
    MainWindow = CreateWindowExA(WS_EX_TOOLWINDOW, wexant::kResidentWindowClass, wexant::kResidentWindowTitle,
                                 WS_POPUP, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance,
                                 nullptr);
    ShowWindow(MainWindow, SW_HIDE);
    UpdateWindow(MainWindow);
    PostMessageA(MainWindow, WM_RESIDENT_INIT, 0, 0);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
