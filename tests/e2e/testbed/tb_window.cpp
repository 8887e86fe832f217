// Helper of the test bed's own tests: small windows that show what the Wine
// environment does with Japanese text, message boxes and real input.
//   tb_window japanese   a window with a Japanese label (started in the Japanese mode)
//   tb_window msgbox     a message box; the exit code is the button pressed
//   tb_window input      a window with a button: a click on it ends with 5,
//                        the key A typed into the window ends with 6
//   tb_window scroll     a trackbar and a scroll bar; the title lists every notification
//   tb_window crash      writes through a null pointer
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

const char kClass[] = "TbWindow";
const int kLabelId = 100;
const int kButtonId = 101;
const int kTrackbarId = 102;
const int kScrollBarId = 103;

// 表 and ソ have the trail byte 0x5C in code page 932.
const char kJapaneseText[] = "タッチパネルの設定 表示 ソフト";
const char kJapaneseFont[] = "ＭＳ Ｐゴシック";

HFONT g_font = nullptr;
char g_log[1024];

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) PostQuitMessage(5);
        return 0;
    case WM_CHAR:
        if (wParam == 'a' || wParam == 'A') PostQuitMessage(6);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        // The notifications seen so far, as the window title: "h102:5:7 h102:4:7 ...".
        snprintf(g_log + strlen(g_log), sizeof(g_log) - strlen(g_log), "%s%c%d:%u:%u",
                 g_log[0] ? " " : "", message == WM_HSCROLL ? 'h' : 'v',
                 GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam), HIWORD(wParam));
        SetWindowTextA(window, g_log);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeMain(const char* title, int width, int height)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, kClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, width,
                                  height, nullptr, nullptr, wc.hInstance, nullptr);
    return window;
}

void SetFont(HWND control)
{
    if (g_font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), TRUE);
}

int Loop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int Japanese()
{
    g_font = CreateFontA(-24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, kJapaneseFont);
    HWND window = MakeMain(kJapaneseText, 520, 160);
    HWND label = CreateWindowExA(0, "STATIC", kJapaneseText, WS_CHILD | WS_VISIBLE, 16, 16, 480, 40, window,
                                 reinterpret_cast<HMENU>(kLabelId), nullptr, nullptr);
    SetFont(label);
    HWND button = CreateWindowExA(0, "BUTTON", "設定を保存", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 16, 64,
                                  200, 40, window, reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
    SetFont(button);
    return Loop();
}

int Input()
{
    HWND window = MakeMain("tb input", 400, 200);
    CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 100, 60, 200, 60, window,
                    reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    return Loop();
}

int Scroll()
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    HWND window = MakeMain("tb scroll", 400, 200);
    HWND trackbar = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_HORZ, 10, 10, 300, 40,
                                    window, reinterpret_cast<HMENU>(kTrackbarId), nullptr, nullptr);
    SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
    HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 340, 10, 20, 150, window,
                               reinterpret_cast<HMENU>(kScrollBarId), nullptr, nullptr);
    SetScrollRange(bar, SB_CTL, 0, 100, TRUE);
    return Loop();
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (strcmp(mode, "japanese") == 0) return Japanese();
    if (strcmp(mode, "msgbox") == 0) {
        return MessageBoxA(nullptr, "Keep the new settings?", "tb question", MB_YESNO | MB_ICONQUESTION);
    }
    if (strcmp(mode, "input") == 0) return Input();
    if (strcmp(mode, "scroll") == 0) return Scroll();
    if (strcmp(mode, "crash") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
        return 0;
    }
    fprintf(stderr, "usage: tb_window japanese|msgbox|input|scroll|crash\n");
    return 2;
}
