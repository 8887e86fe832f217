// Shared steps of the settings pages' end-to-end tests: preparing the
// registry, starting the settings sheet, opening a tab, reading texts in
// either language and pressing Apply.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "wexant.h"

namespace pages {

// Waits for a change the settings program makes in answer to posted input;
// generous, since a loaded machine slows every Wine process down.
inline bool Wait(const std::function<bool()>& cond, DWORD timeoutMs = 15000) {
    return tb::Poll(cond, timeoutMs);
}

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

// A screenshot once the window has painted what came before.
inline void Shot(HWND window, const std::string& name) {
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    Sleep(500);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    tb::Screenshot(name);
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

// One control of a page's control table.
struct Ctl {
    int id;            // -1: a control without id, found by its text
    const char* text;  // nullptr: not compared
    const char* cls;
    int x = 0, y = 0;  // dialog units; w and h 0 for an icon picture, which takes its icon's size,
    int w = 0, h = 0;  // h 0 for a combo box, whose window is its edit field; all 0: not given
};

// A control of a page by its id, or one without id by its text.
inline HWND FindControl(HWND page, const Ctl& c) {
    if (c.id != -1) return tb::Control(page, c.id);
    for (HWND child : tb::Children(page))
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF && Utf8(child) == c.text) return child;
    return nullptr;
}

// Every control of the table is on the page with its class and text. A line
// break in a text may be stored as CR LF or as LF alone.
inline void CheckControls(HWND page, const Ctl* table, size_t count) {
    ASSERT_NE(nullptr, page);
    for (const Ctl* t = table; t != table + count; ++t) {
        const Ctl& c = *t;
        HWND w = FindControl(page, c);
        ASSERT_NE(nullptr, w) << "control " << c.id << " " << (c.text ? c.text : "");
        EXPECT_EQ(c.cls, tb::ClassOf(w)) << "control " << c.id;
        if (c.text) {
            std::string text = Utf8(w);
            for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
            EXPECT_EQ(c.text, text) << "control " << c.id;
        }
    }
}
template <size_t N>
void CheckControls(HWND page, const Ctl (&table)[N]) {
    CheckControls(page, table, N);
}

// A running settings sheet.
struct Sheet {
    tb::Process process;
    HWND window = nullptr;
    bool japanese = false;

    Sheet() = default;
    Sheet(Sheet&&) = default;
    Sheet& operator=(Sheet&& other) {
        End();
        process = std::move(other.process);
        window = other.window;
        japanese = other.japanese;
        return *this;
    }
    // A sheet left open by a failed step must not hold the program's
    // single-instance lock for the next start.
    ~Sheet() { End(); }
    void End() {
        if (process.Valid() && process.Running()) {
            process.Kill();
            process.WaitExit(5000);
        }
    }

    // The page window of a tab, after the tab has been brought up (which
    // creates the page the first time).
    HWND Show(int tab) {
        SendMessageA(window, PSM_SETCURSEL, tab, 0);
        HWND page = nullptr;
        tb::Poll([&] {
            page = reinterpret_cast<HWND>(SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0));
            return page != nullptr && IsWindowVisible(page);
        }, 20000);
        return page;
    }
    // The same, once the page has painted (its pictures are checked on the screen).
    HWND ShowPainted(int tab) {
        HWND page = Show(tab);
        if (page) {
            SendMessageA(page, WM_NULL, 0, 0);
            Sleep(300);
        }
        return page;
    }
    // Presses Apply and waits until the sheet has handled it (it disables
    // the button again). A restart notice is answered when one comes.
    bool Apply(bool expectRestartNotice = false) {
        HWND button = tb::Control(window, kApplyButton);
        // A change that was posted to the page may still be on its way.
        if (!button || !tb::Poll([&] { return tb::IsEnabled(button); }, 5000)) {
            ADD_FAILURE() << "Apply is not enabled";
            return false;
        }
        tb::Click(button);
        if (expectRestartNotice) {
            tb::MessageBoxInfo box = tb::WaitMessageBox(20000, process.Pid());
            if (!box) {
                ADD_FAILURE() << "no restart notice";
                return false;
            }
            std::string text = Utf8(GetDlgItem(box.window, 0xFFFF));
            const char* notice = japanese ? u8"マルチモニタの設定が変更されました。" : "Dual monitor Setting was changed.";
            EXPECT_NE(std::string::npos, text.find(notice)) << text;
            tb::PressButton(box.window, IDOK);
        }
        if (!tb::Poll([&] { return !tb::IsEnabled(button); }, 20000)) {
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
        return process.WaitExit(20000);
    }
};

inline Sheet StartSheet(bool japanese) {
    Sheet s;
    s.japanese = japanese;
    tb::StartOptions options;
    options.japanese = japanese;
    s.process = tb::Start("Quintrel.exe", "", options);
    if (!s.process.Valid()) return s;
    s.window = tb::WaitWindow("#32770", nullptr, 60000, s.process.Pid());
    if (s.window) tb::Poll([&] { return IsWindowVisible(s.window) != FALSE; }, 20000);
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

// Real pointer input through the X server (xdotool), as a user's mouse makes
// it: a double click that the system itself recognises, a drag whose button
// goes up over another window. SendInput would enter Wine's input queue and
// skip the X server. The arguments are xdotool's, e.g. {"mousemove", "10", "20"}.
inline bool XInput(const std::vector<std::string>& args) {
    typedef LONG(CDECL * UnixSpawn)(char* const argv[], int wait);
    UnixSpawn spawn = reinterpret_cast<UnixSpawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) return false;
    std::vector<std::string> all = {"xdotool"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return spawn(argv.data(), 1) == 0;
}
// The pointer to a point of a window's client area.
inline bool XMoveTo(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return XInput({"mousemove", std::to_string(p.x), std::to_string(p.y)});
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
