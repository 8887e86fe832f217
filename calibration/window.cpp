// The full-screen calibration window (calibration screen and test screen),
// the key box for panels used without a keyboard, and every way the program ends.
#include "jostel.h"
#include "resource.h"

BOOL g_bTestMode = FALSE;
int g_nPointIndex = 0;
int g_nPointCount = 9;
BOOL g_bButtonDown = FALSE;
BOOL g_bHelpLineTop = FALSE;
BOOL g_bKeyBoxClosed = FALSE;
int g_nLineHeight = 16;
HFONT g_hJapaneseFont = nullptr;

// lParam that Insert posts with its Home: the calibration is not discarded.
static const LPARAM kHomeFromInsert = 15;
static const UINT_PTR kRepaintTimer = 1;

// Shows the key box at the calibration window's top-left corner, above everything.
static void PlaceKeyBox()
{
    if (!g_hKeyBox) return;
    RECT rc;
    GetWindowRect(g_hKeyBox, &rc);
    SetWindowPos(g_hKeyBox, HWND_TOPMOST, g_nWinX, g_nWinY, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_SHOWWINDOW);
}

// The nearer of a point beyond the key box and the calibration window's last pixel.
static int WithinWindow(int beyond, int origin, int size)
{
    return beyond < origin + size ? beyond : origin + size - 1;
}

// A click just beyond the key box's lower right corner brings the calibration
// window to the front; the timer's repaint wipes what it drew on the test screen.
// A window narrower than the key box ends before that corner: the click then
// goes to the window's own right edge, below the key box, not onto whatever
// lies beside the window.
// Without a key box no place is known to lie on the calibration window: a click
// wherever the pointer happens to be could land on another program's window, so
// none is made and only the repaint follows.
static void SyntheticClick(HWND window)
{
    if (g_hKeyBox && IsWindow(g_hKeyBox)) {
        RECT rc;
        GetWindowRect(g_hKeyBox, &rc);
        SetCursorPos(WithinWindow(rc.right + 1, g_nWinX, g_nWinWidth),
                     WithinWindow(rc.bottom + 1, g_nWinY, g_nWinHeight));
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        Sleep(10);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
    SetTimer(window, kRepaintTimer, 50, nullptr);
}

// Every ending the program makes itself: the key box goes before the window.
static void EndProgram(HWND window)
{
    if (g_hKeyBox && IsWindow(g_hKeyBox)) DestroyWindow(g_hKeyBox);
    g_hKeyBox = nullptr;
    DestroyWindow(window);
}

static void RepaintWhole(HWND window)
{
    Sleep(25);
    InvalidateRect(window, nullptr, TRUE);
}

static void SolveAndTest(HWND window)
{
    if (!SolveCalibration(window)) {
        EndProgram(window);
        return;
    }
    BuildCalibRecord();
    SendCalibRecord();
    g_bTestMode = TRUE;
    RepaintWhole(window);
    PlaceKeyBox();
    SyntheticClick(window);
    if (g_hKeyBox) PostMessageA(g_hKeyBox, WM_USER, 0, 0);
}

static void HomeKey(HWND window, LPARAM lParam)
{
    g_nPointIndex = 0;
    g_bTestMode = !g_bTestMode;
    RepaintWhole(window);
    if (g_bTestMode) {
        if (lParam != kHomeFromInsert) DiscardCalibration();
        SetWindowPos(window, HWND_TOPMOST, g_nWinX, g_nWinY, g_nWinWidth, g_nWinHeight, SWP_SHOWWINDOW);
        PlaceKeyBox();
        if (g_hKeyBox) PostMessageA(g_hKeyBox, WM_USER, 0, 0);
        SyntheticClick(window);
    } else {
        // Back on the calibration screen the settings, the point count and the grid are read again.
        PostMessageA(window, WM_USER, 0, 0);
    }
}

static void ArrowKey(HWND window, calib::ArrowKey key)
{
    HDC dc = GetDC(window);
    MoveTarget(dc, g_nPointIndex, 0);
    g_nPointIndex = calib::ArrowMove(g_nPointIndex, key, g_nGridCols, g_nGridRows);
    MoveTarget(dc, g_nPointIndex, 1);
    ReleaseDC(window, dc);
}

static void InsertKey(HWND window)
{
    if (!g_bKeyBoxClosed) return;
    g_bKeyBoxClosed = FALSE;
    g_bTestMode = FALSE;
    g_hKeyBox = CreateKeyBox();
    Sleep(25);
    PostMessageA(window, WM_KEYDOWN, VK_HOME, kHomeFromInsert);
}

static void CalibrationKey(HWND window, WPARAM vk, LPARAM lParam)
{
    switch (vk) {
    case VK_RETURN: SolveAndTest(window); break;
    case VK_ESCAPE:
        DiscardCalibration();
        EndProgram(window);
        break;
    case VK_HOME: HomeKey(window, lParam); break;
    case VK_LEFT: ArrowKey(window, calib::ARROW_LEFT); break;
    case VK_UP: ArrowKey(window, calib::ARROW_UP); break;
    case VK_RIGHT: ArrowKey(window, calib::ARROW_RIGHT); break;
    case VK_DOWN: ArrowKey(window, calib::ARROW_DOWN); break;
    }
}

static void TestScreenKey(HWND window, WPARAM vk, LPARAM lParam)
{
    switch (vk) {
    case VK_RETURN:
        CommitCalibration();
        SaveCalibRecord();
        EndProgram(window);
        break;
    case VK_HOME: HomeKey(window, lParam); break;
    case VK_TAB: SetCursorVisibility(CURSOR_TOGGLE); break;
    case VK_DELETE:
        g_bHelpLineTop = !g_bHelpLineTop;
        RepaintWhole(window);
        break;
    case VK_INSERT: InsertKey(window); break;
    }
}

// The current target has been captured: it anchors the next sweep, the index
// moves on, and after the last point it wraps to 0 and Enter ends the calibration.
static void AdvanceTarget(HWND window)
{
    HDC dc = GetDC(window);
    MoveTarget(dc, g_nPointIndex, 0);
    int next = g_nPointIndex + 1;
    BOOL wrapped = next >= g_nPointCount;
    if (wrapped) next = 0;
    g_nPointIndex = next;
    MoveTarget(dc, next, 1);
    ReleaseDC(window, dc);
    if (wrapped) PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
}

static void OnCreate(HWND window)
{
    if (g_bJapanese)
        g_hJapaneseFont = CreateFontA(15, 0, 0, 0, 0, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, 0, "ＭＳ Ｐゴシック");
    HDC dc = GetDC(window);
    TEXTMETRICA tm;
    if (GetTextMetricsA(dc, &tm)) g_nLineHeight = tm.tmHeight + tm.tmExternalLeading;
    ReleaseDC(window, dc);
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!g_bTestMode) {
        SetCursorVisibility(CURSOR_HIDE);
        DrawCalibPrompt(dc);
        DrawTargetCross(dc, g_nPointIndex);
    } else {
        DrawTestHelpLine(dc, g_bHelpLineTop);
    }
    EndPaint(window, &ps);
}

static void OnButtonDown(HWND window, LPARAM lParam)
{
    g_bButtonDown = TRUE;
    HDC dc = GetDC(window);
    if (!g_bTestMode)
        DrawTargetCross(dc, g_nPointIndex);
    else
        DrawTouchTrail(dc, lParam, 0, g_bHelpLineTop);
    ReleaseDC(window, dc);
}

static void OnButtonUp(HWND window, LPARAM lParam)
{
    g_bButtonDown = FALSE;
    if (!g_bTestMode) {
        if (CapturePoint(g_nPointIndex, window)) AdvanceTarget(window);
        return;
    }
    HDC dc = GetDC(window);
    DrawTouchTrail(dc, lParam, 2, g_bHelpLineTop);
    ReleaseDC(window, dc);
    if (!g_bKeyBoxClosed && g_hKeyBox) {
        ShowWindow(g_hKeyBox, SW_SHOW);
        PostMessageA(g_hKeyBox, WM_USER, 0, 0);
    }
}

LRESULT CALLBACK CalibWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_nPointCount = g_nGridCols * g_nGridRows;
    switch (message) {
    case WM_CREATE: OnCreate(hwnd); return 0;
    case WM_PAINT: OnPaint(hwnd); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(hwnd, lParam); return 0;
    case WM_MOUSEMOVE:
        if (g_bTestMode && g_bButtonDown) {
            HDC dc = GetDC(hwnd);
            DrawTouchTrail(dc, lParam, 1, g_bHelpLineTop);
            ReleaseDC(hwnd, dc);
        }
        return 0;
    case WM_LBUTTONUP: OnButtonUp(hwnd, lParam); return 0;
    case WM_TIMER:
        KillTimer(hwnd, kRepaintTimer);
        if (g_bTestMode) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_USER: LoadCalibSettings(); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return 0;
    case WM_DESTROY:
        if (g_hJapaneseFont) DeleteObject(g_hJapaneseFont);
        g_hJapaneseFont = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (lParam & (1 << 30)) return 0;  // auto-repeat of a held key
        if (g_bTestMode)
            TestScreenKey(hwnd, wParam, lParam);
        else
            CalibrationKey(hwnd, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The close box, or Esc on the key box: Yes closes the key box for good, No
// puts it back at the corner.
static void AskToCloseKeyBox(HWND hDlg)
{
    const char* text = g_bJapanese ? "キーボードがない場合は操作できなくなります。キーボックスを消しますか？"
                                   : "You cannot operate this test program when keyboard is not connected.Is key box closed?";
    const char* caption = g_bJapanese ? "補正" : "Calibration";
    // The question disables the calibration window, not the key box: a key
    // pressed there meanwhile (Calib screen) would repaint the calibration
    // screen above the question and leave a panel user before a window that
    // takes no touch, with no question to answer.
    const BOOL wasDisabled = EnableWindow(hDlg, FALSE);
    const int answer = MessageBoxA(g_hMainWnd, text, caption, MB_YESNO | MB_ICONQUESTION);
    if (!wasDisabled) EnableWindow(hDlg, TRUE);
    if (answer == IDYES) {
        g_bKeyBoxClosed = TRUE;
        Sleep(25);
        InvalidateRect(g_hMainWnd, nullptr, TRUE);
        DestroyWindow(hDlg);
        if (g_hKeyBox == hDlg) g_hKeyBox = nullptr;
    } else if (g_bTestMode && g_hKeyBox && IsWindow(g_hKeyBox) && IsWindowVisible(g_hMainWnd)) {
        // A command posted to the key box still arrives while the question is
        // up: Update may have ended the program inside the question, and
        // "Calib screen" may have brought back the calibration screen, where
        // the click would read a touch nobody made. Only the test screen,
        // shown, gets the key box placed and the click.
        PlaceKeyBox();
        SyntheticClick(g_hMainWnd);
    }
}

INT_PTR CALLBACK KeyBoxProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_KEYBOX_UPDATE: PostMessageA(g_hMainWnd, WM_KEYDOWN, VK_RETURN, 0); break;
        case IDC_KEYBOX_CALIB_SCREEN: PostMessageA(g_hMainWnd, WM_KEYDOWN, VK_HOME, 0); break;
        case IDC_KEYBOX_CURSOR: PostMessageA(g_hMainWnd, WM_KEYDOWN, VK_TAB, 0); break;
        case IDC_KEYBOX_CLEAR: PostMessageA(g_hMainWnd, WM_KEYDOWN, VK_DELETE, 0); break;
        case IDCANCEL: AskToCloseKeyBox(hDlg); break;
        }
        break;
    case WM_USER: SetFocus(GetDlgItem(hDlg, IDC_KEYBOX_UPDATE)); break;
    }
    return FALSE;
}
