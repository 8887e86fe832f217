// Shared steps of the settings pages' end-to-end tests: preparing the
// registry, starting the settings sheet, opening a tab, reading texts in
// either language and pressing Apply.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "wexant.h"

namespace pages {

// Tabs of the sheet with the second panel driver present; without it the
// dual-monitor tab is missing and the driver page moves up.
enum Tab { TAB_PICTURE = 0, TAB_SOUND = 1, TAB_CLICK = 2, TAB_CLICKSIM = 3, TAB_CALIB = 4, TAB_DUAL = 5 };

constexpr int kApplyButton = 0x3021;  // the sheet's Apply button

inline bool SetUser(const char* name, DWORD value) {
    return tb::reg::SetDword(HKEY_CURRENT_USER, wexant::UserSettingsKey, name, value);
}
inline DWORD User(const char* name) {
    DWORD v = 0xDEADBEEF;
    tb::reg::GetDword(HKEY_CURRENT_USER, wexant::UserSettingsKey, name, &v);
    return v;
}
inline bool SetDriver(const char* name, DWORD value) {
    return tb::reg::SetDword(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey, name, value);
}
inline bool SetSecond(const char* name, DWORD value) {
    return tb::reg::SetDword(HKEY_LOCAL_MACHINE, wexant::SecondDriverParametersKey, name, value);
}
inline DWORD Second(const char* name) {
    DWORD v = 0xDEADBEEF;
    tb::reg::GetDword(HKEY_LOCAL_MACHINE, wexant::SecondDriverParametersKey, name, &v);
    return v;
}
// The second panel driver's key, which makes the sheet show the dual-monitor tab.
inline bool MakeSecondDriver() {
    return tb::reg::CreateKey(HKEY_LOCAL_MACHINE, wexant::SecondDriverParametersKey);
}

// A control's text as UTF-8, whatever the code page of either program.
inline std::string Utf8(HWND window) {
    wchar_t buffer[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    char out[3072] = {};
    WideCharToMultiByte(CP_UTF8, 0, buffer, -1, out, sizeof out, nullptr, nullptr);
    return out;
}
inline std::string ComboUtf8(HWND combo, int index) {
    wchar_t buffer[512] = {};
    LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (len < 0 || len >= 512) return "<none>";
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    char out[1536] = {};
    WideCharToMultiByte(CP_UTF8, 0, buffer, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

// A running settings sheet.
struct Sheet {
    tb::Process process;
    HWND window = nullptr;
    bool japanese = false;

    // The page window of a tab, after the tab has been brought up (which
    // creates the page the first time).
    HWND Show(int tab) {
        SendMessageA(window, PSM_SETCURSEL, tab, 0);
        HWND page = nullptr;
        tb::Poll([&] {
            page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
            return page != nullptr && IsWindowVisible(page);
        });
        return page;
    }
    // Presses Apply and waits until the sheet has handled it (it disables
    // the button again). A restart notice is answered when one comes.
    bool Apply(bool expectRestartNotice = false) {
        HWND button = tb::Control(window, kApplyButton);
        // A change that was posted to the page may still be on its way.
        if (!button || !tb::Poll([&] { return tb::IsEnabled(button); }, 2000)) {
            ADD_FAILURE() << "Apply is not enabled";
            return false;
        }
        tb::Click(button);
        if (expectRestartNotice) {
            tb::MessageBoxInfo box = tb::WaitMessageBox(5000, process.Pid());
            if (!box) {
                ADD_FAILURE() << "no restart notice";
                return false;
            }
            EXPECT_NE(std::string::npos, box.text.find("Dual monitor Setting was changed")) << box.text;
            tb::PressButton(box.window, IDOK);
        }
        if (!tb::Poll([&] { return !tb::IsEnabled(button); }, 8000)) {
            ADD_FAILURE() << "Apply did not finish";
            return false;
        }
        return true;
    }
    bool ApplyEnabled() {
        HWND button = tb::Control(window, kApplyButton);
        return button && tb::IsEnabled(button);
    }
    bool Cancel() {
        tb::PressButton(window, IDCANCEL);
        return process.WaitExit(8000);
    }
};

inline Sheet StartSheet(bool japanese) {
    Sheet s;
    s.japanese = japanese;
    tb::StartOptions options;
    options.japanese = japanese;
    s.process = tb::Start("Quintrel.exe", "", options);
    if (!s.process.Valid()) return s;
    s.window = tb::WaitWindow("#32770", nullptr, 10000, s.process.Pid());
    if (s.window) tb::Poll([&] { return IsWindowVisible(s.window) != FALSE; });
    return s;
}

// Left/top of a control in its page's client coordinates, and its size.
inline RECT ClientRect(HWND page, HWND control) {
    RECT r = tb::ScreenRect(control);
    POINT origin = {0, 0};
    ClientToScreen(page, &origin);
    OffsetRect(&r, -origin.x, -origin.y);
    return r;
}

// Screen colour at a point of a window's client area.
inline COLORREF PixelAt(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(nullptr, dc);
    return c;
}

}  // namespace pages
