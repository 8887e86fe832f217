// Entry point of the calibration program: single instance, language, the
// settings read, the window rectangle, the key box and the full-screen window.
#include "jostel.h"
#include "resource.h"

HINSTANCE g_hInstance = nullptr;
BOOL g_bJapanese = FALSE;
DWORD g_dwResolutionX = wexant::kDefaultResolutionX;
DWORD g_dwResolutionY = wexant::kDefaultResolutionY;
DWORD g_dwNComm = wexant::kDefaultNComm;
BOOL g_bSecondDriverPresent = FALSE;
DWORD g_dwOption = wexant::kDefaultOption;
DWORD g_dwSpinTop = wexant::kDefaultSpinTop;
int g_nRotation = 0;
int g_nGridCols = 3, g_nGridRows = 3;
int g_nGridX[5] = {100, 2048, 3996, 0, 0};
int g_nGridY[5] = {100, 2048, 3996, 0, 0};
BOOL g_bArgumentS = FALSE;
int g_nWinX = 0, g_nWinY = 0, g_nWinWidth = 0, g_nWinHeight = 0;
HWND g_hMainWnd = nullptr, g_hKeyBox = nullptr;

int CurrentPointCount()
{
    return wexant::PointCountFromOption(g_dwOption);
}

// Opens one of the settings keys for reading; nullptr when it does not open.
static HKEY OpenForRead(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

void LoadCalibSettings()
{
    HKEY key = OpenForRead(HKEY_LOCAL_MACHINE, wexant::SecondDriverParametersKey);
    if (key) {
        g_bSecondDriverPresent = TRUE;
        RegReadDword(key, wexant::kValResolutionX, &g_dwResolutionX);
        RegReadDword(key, wexant::kValResolutionY, &g_dwResolutionY);
        RegReadDword(key, wexant::kValNComm, &g_dwNComm);
        RegCloseKey(key);
    }
    key = OpenForRead(HKEY_CURRENT_USER, wexant::UserSettingsKey);
    if (key) {
        RegReadDword(key, wexant::kValOption, &g_dwOption);
        RegCloseKey(key);
    }
    key = OpenForRead(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey);
    if (key) {
        RegReadDword(key, wexant::kValSpinTop, &g_dwSpinTop);
        RegCloseKey(key);
    }

    // A driver that is absent or does not answer adds no turns.
    DWORD driverRotation = 0;
    DWORD answer = 0;
    if (DriverRequest(wexant::IOCTL_WEXANT_GET_ROTATION, nullptr, 0, &answer, sizeof(answer)))
        driverRotation = answer;
    g_nRotation = calib::RotationFromSettings(g_dwSpinTop, driverRotation);

    calib::ScreenGrid grid = calib::ScreenGridFor(CurrentPointCount(), g_nRotation);
    g_nGridCols = grid.cols;
    g_nGridRows = grid.rows;
    for (int i = 0; i < 5; ++i) {
        g_nGridX[i] = grid.x[i];
        g_nGridY[i] = grid.y[i];
    }
}

HWND CreateKeyBox()
{
    return CreateDialogParamA(g_hInstance,
                              MAKEINTRESOURCEA(g_bJapanese ? IDD_KEYBOX_JAPANESE : IDD_KEYBOX_ENGLISH),
                              nullptr, KeyBoxProc, 0);
}

static void RegisterCalibClass(HINSTANCE hInstance)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = CalibWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = wexant::kCalibWindowClass;
    RegisterClassExA(&wc);
}

// Works out the window's rectangle; tells the driver when monitor 2's panel is calibrated.
static void PlaceWindow()
{
    calib::PlacementInput in;
    in.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    in.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    in.resolutionX = g_dwResolutionX;
    in.resolutionY = g_dwResolutionY;
    in.ncomm = g_dwNComm;
    in.secondDriverPresent = g_bSecondDriverPresent != FALSE;
    in.argumentS = g_bArgumentS != FALSE;
    in.rotation = g_nRotation;
    calib::Placement p = calib::PlaceCalibWindow(in);
    if (p.monitor2) {
        DWORD mode = 2;
        DriverRequest(wexant::IOCTL_WEXANT_SET_CALIB_MODE, &mode, sizeof(mode), nullptr, 0);
    }
    g_nWinX = p.x;
    g_nWinY = p.y;
    g_nWinWidth = p.width;
    g_nWinHeight = p.height;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    if (!AcquireSingleInstance(wexant::kMutexJostel)) return 0;
    g_hInstance = hInstance;

    RegisterCalibClass(hInstance);
    g_bJapanese = IsJapanese();
    DetectWindowsGeneration();
    LoadCalibSettings();
    g_bArgumentS = calib::ArgumentIsS(lpCmdLine);
    PlaceWindow();

    g_hKeyBox = CreateKeyBox();
    if (g_hKeyBox) ShowWindow(g_hKeyBox, SW_HIDE);

    g_hMainWnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wexant::kCalibWindowClass, "Calibration",
                                 WS_POPUP | WS_VISIBLE | WS_MAXIMIZE, g_nWinX, g_nWinY, g_nWinWidth,
                                 g_nWinHeight, nullptr, nullptr, hInstance, nullptr);
    if (!g_hMainWnd) {
        // Without its window nothing could ever end the program: end now
        // rather than hold the mutex in an invisible process.
        if (g_hKeyBox) DestroyWindow(g_hKeyBox);
        ReleaseSingleInstance();
        return 0;
    }
    ShowWindow(g_hMainWnd, nCmdShow);
    UpdateWindow(g_hMainWnd);
    PostMessageA(g_hMainWnd, WM_USER, 0, 0);

    MSG msg;
    msg.wParam = 0;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // The key box's own messages go through the dialog manager, which
        // turns Esc on the key box into its close question (and Enter into its
        // default button); messages of the calibration window pass untouched.
        // The key box may have been closed or made anew since the last message.
        if (g_hKeyBox && IsDialogMessageA(g_hKeyBox, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ReleaseSingleInstance();
    return static_cast<int>(msg.wParam);
}
