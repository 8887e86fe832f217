// The solve on Enter, the record sent to the driver and the record saved for
// the driver and the user, and the box that reports a failed solve.
#include "jostel.h"

// Header and coefficient words of the last solve (word 0 unused), kept apart
// from the record buffers until the solve has succeeded.
static WORD g_wWorkingBody[calib::kRecordWordsMax];
// The last record built for each grid size in this run.
static calib::CalibRecord g_calibRecord9, g_calibRecord12, g_calibRecord20;

calib::CalibRecord* CalibRecordBuffer(int points)
{
    return points == 20 ? &g_calibRecord20 : points == 12 ? &g_calibRecord12 : &g_calibRecord9;
}

BOOL SolveCalibration(HWND window)
{
    const int points = CurrentPointCount();
    int code = calib::SolveCalibration(points, RawX(points), RawY(points), g_wWorkingBody);
    if (code != calib::CALIB_OK) {
        ShowCalibError(window, code);
        return FALSE;
    }
    return TRUE;
}

void BuildCalibRecord()
{
    const int points = CurrentPointCount();
    calib::BuildCalibRecord(points, g_wWorkingBody, reinterpret_cast<uint8_t*>(CalibRecordBuffer(points)));
}

// Writes the record of the current size with the saved marker under one key.
static void SaveUnder(HKEY root, const char* path)
{
    HKEY key = nullptr;
    char emptyClass[] = "";
    if (RegCreateKeyExA(root, path, 0, emptyClass, REG_OPTION_NON_VOLATILE, wexant::kKeyWriteAccess, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    const int points = CurrentPointCount();
    calib::CalibRecord* record = CalibRecordBuffer(points);
    record->words[0] = calib::CALIB_MARKER_SAVED;  // the marker, word 0 of every layout
    RegSetValueExA(key, calib::RecordValueName(points, g_wDeviceKind), 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(record), static_cast<DWORD>(calib::RecordBytes(points)));
    RegCloseKey(key);
}

void SaveCalibRecord()
{
    if (!g_bCalibSent) return;
    SaveUnder(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey);
    SaveUnder(HKEY_CURRENT_USER, wexant::UserSettingsKey);
}

void ShowCalibError(HWND window, int code)
{
    static const char* const kCaptionsEnglish[] = {"error Dtm", "error A", "error B", "error C",
                                                   "error D",   "error E", "error F"};
    static const char* const kCaptionsJapanese[] = {"エラー Dtm", "エラー A", "エラー B", "エラー C",
                                                    "エラー D",   "エラー E", "エラー F"};
    int slot = code - calib::CALIB_ERR_DETERMINANT;
    if (slot < 0 || slot > 6) slot = 0;
    const char* caption = g_bJapanese ? kCaptionsJapanese[slot] : kCaptionsEnglish[slot];
    const char* text = g_bJapanese ? "補正点が不正です。再入力してください。" : "Parameter Error. Please input, again";

    BOOL wasShown = SetCursorVisibility(CURSOR_SHOW);
    SetWindowPos(window, HWND_NOTOPMOST, g_nWinX, g_nWinY, g_nWinWidth, g_nWinHeight, SWP_HIDEWINDOW);
    // The always-on-top key box hides with the window: left on the desktop it
    // could lie over part of the box's OK, where a touch would not reach OK,
    // its keys would act behind the box, and its click would land on whatever
    // program lies under its corner. The program ends after the box.
    if (g_hKeyBox && IsWindow(g_hKeyBox)) ShowWindow(g_hKeyBox, SW_HIDE);
    MessageBoxA(window, text, caption, MB_OK);
    SetCursorVisibility(wasShown ? CURSOR_SHOW : CURSOR_HIDE);
}
