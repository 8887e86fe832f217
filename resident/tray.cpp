// The tray icon and the floating window through which the user picks the
// button that touches act as. Both live on the window thread.
#include "resident.h"

#include <stddef.h>

#include <vector>

HWND FloatWindow = nullptr;
char TrayTip[50] = "";

static LONG FloatPosX = 0, FloatPosY = 0;
// The icon the floating window's icon control shows when this program loaded
// it (the template's own icon is the system's to free). A static control never
// frees an icon it was handed, so the program frees it.
static HICON FloatIcon = nullptr;
// Moves before the stored position has been restored (the window is created
// at 0, 0) would overwrite that position: only later moves are stored.
static BOOL FloatPositioned = FALSE;

HICON LoadButtonIcon(int id, int size)
{
    return static_cast<HICON>(LoadImageA(Instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The one record that every tray call fills. Its size is that of the record
// up to and including the 64-character tip, which every shell since the first
// notification area accepts.
NOTIFYICONDATAA TrayIconData;
static_assert(NOTIFYICONDATAA_V1_SIZE == 104, "tray record size handed to the shell");
#ifdef _WIN64
static_assert(offsetof(NOTIFYICONDATAA, cbSize) == 0 && offsetof(NOTIFYICONDATAA, hWnd) == 8 &&
                  offsetof(NOTIFYICONDATAA, uID) == 16 && offsetof(NOTIFYICONDATAA, uFlags) == 20 &&
                  offsetof(NOTIFYICONDATAA, uCallbackMessage) == 24 && offsetof(NOTIFYICONDATAA, hIcon) == 32 &&
                  offsetof(NOTIFYICONDATAA, szTip) == 40 && NOTIFYICONDATAA_V1_SIZE == 40 + 64,
              "tray record offsets");
#endif

BOOL TrayIconCommand(HWND window, DWORD command, UINT id, HICON icon, const char* tip)
{
    ZeroMemory(&TrayIconData, sizeof(TrayIconData));
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIconData.hWnd = window;
    TrayIconData.uID = id;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = WM_TRAYNOTIFY;
    TrayIconData.hIcon = icon;
    if (tip) lstrcpynA(TrayIconData.szTip, tip, 64);  // at most 63 characters
    BOOL result = Shell_NotifyIconA(command, &TrayIconData);
    if (icon) DestroyIcon(icon);  // the notification area keeps its own copy
    return result;
}

void ApplyOptions()
{
    ApplyCursorOption();
    const DWORD option = Option;
    if (option & wexant::OPT_TRAY_ICON) {
        lstrcpynA(TrayTip, resident::kTipToSecondary, sizeof(TrayTip));
        TrayIconCommand(MainWindow, NIM_ADD, 1, LoadButtonIcon(IDI_LEFT_BUTTON, 16), TrayTip);
    } else {
        TrayIconCommand(MainWindow, NIM_DELETE, 1, nullptr, nullptr);
    }
    if ((option & wexant::OPT_FLOAT_BUTTON) && !FloatWindow) {
        FloatPositioned = FALSE;
        FloatWindow = CreateDialogParamA(Instance, MAKEINTRESOURCEA(IDD_FLOAT_BUTTON), nullptr,
                                         FloatButtonDlgProc, 0);
        if (FloatWindow) {
            ShowWindow(FloatWindow, SW_HIDE);
            SendMessageA(FloatWindow, WM_FLOAT_RESTOREPOS, 0, 0);
            ShowWindow(FloatWindow, SW_SHOW);
        }
    } else if (!(option & wexant::OPT_FLOAT_BUTTON) && FloatWindow) {
        // Switched off: the next time it comes back at 0, 0.
        SendMessageA(FloatWindow, WM_FLOAT_RESETPOS, 0, 0);
        DestroyFloatWindow();
    }
}

void DestroyFloatWindow()
{
    if (!FloatWindow) return;
    // Taken back from the control first, so that no window holds it when it is freed.
    SendDlgItemMessageA(FloatWindow, IDC_FLOAT_ICON, STM_SETICON, 0, 0);
    if (FloatIcon) DestroyIcon(FloatIcon);
    FloatIcon = nullptr;
    DestroyWindow(FloatWindow);
    FloatWindow = nullptr;
}

static BOOL OpenUserKey(REGSAM access, HKEY* key)
{
    return RegCreateKeyExA(HKEY_CURRENT_USER, wexant::UserSettingsKey, 0, const_cast<char*>(""),
                           REG_OPTION_NON_VOLATILE, access, nullptr, key, nullptr) == ERROR_SUCCESS;
}

static void StorePosition()
{
    HKEY key;
    if (!OpenUserKey(wexant::kKeyWriteAccess, &key)) return;
    RegWriteDword(key, wexant::kValWinPosX, static_cast<DWORD>(FloatPosX));
    RegWriteDword(key, wexant::kValWinPosY, static_cast<DWORD>(FloatPosY));
    RegCloseKey(key);
}

static BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM param)
{
    std::vector<resident::ScreenRect>* monitors = reinterpret_cast<std::vector<resident::ScreenRect>*>(param);
    monitors->push_back(resident::ScreenRect{rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

// Whether any part of a window of this size at x, y would lie on a monitor.
static BOOL ReachableAt(LONG x, LONG y, LONG width, LONG height)
{
    std::vector<resident::ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    const resident::ScreenRect rect = resident::WindowRectAt(x, y, width, height);
    return resident::AnyPartOnMonitors(rect, monitors.data(), monitors.size());
}

static void RestorePosition(HWND window)
{
    HKEY key;
    if (OpenUserKey(wexant::kKeyReadAccess, &key)) {
        DWORD x = static_cast<DWORD>(FloatPosX), y = static_cast<DWORD>(FloatPosY);
        RegReadDword(key, wexant::kValWinPosX, &x);
        RegReadDword(key, wexant::kValWinPosY, &y);
        FloatPosX = static_cast<LONG>(x);
        FloatPosY = static_cast<LONG>(y);
        RegCloseKey(key);
    }
    RECT rect;
    GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!ReachableAt(FloatPosX, FloatPosY, width, height)) {
        // Saved on a monitor that is gone: the button would be out of every
        // screen's reach. It comes back where a reset puts it, and stays there.
        FloatPosX = FloatPosY = 0;
        StorePosition();
    }
    FloatPositioned = TRUE;
    SetWindowPos(window, HWND_TOPMOST, FloatPosX, FloatPosY, width, height, SWP_SHOWWINDOW);
}

static void ResetPosition()
{
    HKEY key;
    if (!OpenUserKey(wexant::kKeyWriteAccess, &key)) return;
    FloatPosX = FloatPosY = 0;
    RegWriteDword(key, wexant::kValWinPosX, 0);
    RegWriteDword(key, wexant::kValWinPosY, 0);
    RegCloseKey(key);
}

static void ShowIcon(HWND window, int id)
{
    HICON icon = LoadButtonIcon(id, 32);
    SendDlgItemMessageA(window, IDC_FLOAT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (FloatIcon && FloatIcon != icon) DestroyIcon(FloatIcon);
    FloatIcon = icon;
}

// A click released over the icon hands the mouse message to the main window.
static void OnButtonUp(HWND window, UINT mouseMessage)
{
    POINT cursor;
    RECT icon;
    GetCursorPos(&cursor);
    GetWindowRect(GetDlgItem(window, IDC_FLOAT_ICON), &icon);
    if (PtInRect(&icon, cursor)) PostMessageA(MainWindow, WM_TRAYNOTIFY, 0, mouseMessage);
}

INT_PTR CALLBACK FloatButtonDlgProc(HWND window, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_FLOAT_SECONDARY:
        ShowIcon(window, IDI_RIGHT_BUTTON);
        break;
    case WM_FLOAT_PRIMARY:
        ShowIcon(window, IDI_LEFT_BUTTON);
        break;
    case WM_FLOAT_RESTOREPOS:
        RestorePosition(window);
        break;
    case WM_FLOAT_RESETPOS:
        ResetPosition();
        break;
    case WM_MOVE: {
        if (!FloatPositioned) break;
        RECT rect;
        GetWindowRect(window, &rect);
        FloatPosX = rect.left;
        FloatPosY = rect.top;
        StorePosition();
        break;
    }
    case WM_LBUTTONUP:
        OnButtonUp(window, WM_LBUTTONUP);
        break;
    case WM_RBUTTONUP:
        OnButtonUp(window, WM_RBUTTONUP);
        break;
    }
    return FALSE;
}
