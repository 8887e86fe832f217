// The tray icon and the floating window through which the user picks the
// button that touches act as. Both live on the window thread.
#include "resident.h"


HWND FloatWindow = nullptr;
char TrayTip[50] = "";

static LONG FloatPosX = 0, FloatPosY = 0;
// Moves before the stored position has been restored (the window is created
// at 0, 0) would overwrite that position: only later moves are stored.
static BOOL FloatPositioned = FALSE;

HICON LoadButtonIcon(int id, int size)
{
    return static_cast<HICON>(LoadImageA(Instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

BOOL TrayIconCommand(HWND window, DWORD command, UINT id, HICON icon, const char* tip)
{
    NOTIFYICONDATAA data;
    ZeroMemory(&data, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // 104: up to the 64-character tip
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = icon;
    if (tip) lstrcpynA(data.szTip, tip, 64);
    BOOL result = Shell_NotifyIconA(command, &data);
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
        DestroyWindow(FloatWindow);
        FloatWindow = nullptr;
    }
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
    FloatPositioned = TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    SetWindowPos(window, HWND_TOPMOST, FloatPosX, FloatPosY, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
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
    HICON old = reinterpret_cast<HICON>(SendDlgItemMessageA(window, IDC_FLOAT_ICON, STM_SETICON,
                                                             reinterpret_cast<WPARAM>(icon), 0));
    if (old && old != icon) DestroyIcon(old);
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
