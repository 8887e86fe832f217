// A bare full-screen window that paints one red cross where the calibration
// program paints its first target: the baseline of the start-up benchmark.
// With the argument "text" it also draws a line of text, which shows what the
// first use of a font costs a process.
#include <string.h>
#include <windows.h>

static BOOL g_bText = FALSE;

static LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        int x = (100 * rc.right) / 4096, y = (100 * rc.bottom) / 4096;
        HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x - 12, y, nullptr);
        LineTo(dc, x + 12, y);
        MoveToEx(dc, x, y - 12, nullptr);
        LineTo(dc, x, y + 12);
        SelectObject(dc, old);
        DeleteObject(pen);
        if (g_bText) {
            const char line[] = "     Please touch the point in the screen.     ";
            SIZE size;
            GetTextExtentPoint32A(dc, line, static_cast<int>(strlen(line)), &size);
            TextOutA(dc, (rc.right - size.cx) / 2, (3 * rc.bottom) / 4, line, static_cast<int>(strlen(line)));
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_DESTROY || (message == WM_KEYDOWN && wParam == VK_ESCAPE)) {
        if (message == WM_KEYDOWN) DestroyWindow(hwnd);
        else PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int show)
{
    g_bText = tail && strcmp(tail, "text") == 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "BARE:MAIN";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "BARE:MAIN", "Bare", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
