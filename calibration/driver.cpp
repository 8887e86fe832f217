// Requests the calibration program makes of the panel driver while it
// calibrates, and the capture of one calibration point from the driver's touch record.
#include <stdio.h>
#include <string.h>

#include "jostel.h"

WORD g_wDeviceKind = 0;
BOOL g_bCalibSent = FALSE;

// Raw coordinates per panel point (row by row), one array for each grid
// size; a point keeps its last capture for the rest of the run.
struct RawGridWords {
    WORD w9[9];
    WORD w12[12];
    WORD w20[20];
};
static RawGridWords g_wRawX, g_wRawY;

// The driver's answer to the last touch read.
static calib::TouchRecord g_touchRecord;

WORD* RawX(int points)
{
    return points == 20 ? g_wRawX.w20 : points == 12 ? g_wRawX.w12 : g_wRawX.w9;
}

WORD* RawY(int points)
{
    return points == 20 ? g_wRawY.w20 : points == 12 ? g_wRawY.w12 : g_wRawY.w9;
}

static BOOL UsesSecondForm()
{
    return g_wDeviceKind == calib::kProductIdS;
}

// Data of the value named by a touched device's instance path under the
// driver's key: 2 when the panel of monitor 2 is calibrated, else 1.
static DWORD InstanceMonitorValue()
{
    return calib::IsMonitor2(g_dwNComm, g_bSecondDriverPresent != FALSE, g_bArgumentS != FALSE) ? 2 : 1;
}

// Marks the touched device as the panel of monitor 1 or 2: the value named by
// its instance path under the driver's key. Any failure ends the marking silently.
static void MarkTouchedDevice(WORD deviceNumber)
{
    HKEY enumKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::DriverEnumKey, 0, KEY_READ, &enumKey) != ERROR_SUCCESS)
        return;
    char name[16];
    snprintf(name, sizeof(name), "%d", static_cast<int>(deviceNumber));
    // The stored instance path is not trusted to be terminated or to fit:
    // one byte is kept back for the terminator.
    char path[wexant::kPathBufferSize];
    DWORD size = sizeof(path) - 1, type = 0;
    LONG status = RegQueryValueExA(enumKey, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(enumKey);
    if (status != ERROR_SUCCESS) return;
    path[size < sizeof(path) ? size : sizeof(path) - 1] = '\0';

    HKEY paramsKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey, 0, wexant::kKeyWriteAccess,
                      &paramsKey) != ERROR_SUCCESS)
        return;
    RegWriteDword(paramsKey, path, InstanceMonitorValue());
    RegCloseKey(paramsKey);
}

BOOL ReadTouchRecord()
{
    DWORD returned = 0;
    // A short answer leaves zeros, never the previous touch.
    ZeroMemory(&g_touchRecord, sizeof(g_touchRecord));
    if (!DriverRequest(wexant::IOCTL_WEXANT_READ_TOUCH, nullptr, 0, &g_touchRecord, sizeof(g_touchRecord),
                       &returned))
        return FALSE;
    g_wDeviceKind = g_touchRecord.wProductId;
    MarkTouchedDevice(g_touchRecord.wDeviceNumber);
    return TRUE;
}

BOOL SendCalibRecord()
{
    g_bCalibSent = TRUE;
    const int points = CurrentPointCount();
    DWORD code = UsesSecondForm() ? wexant::IOCTL_WEXANT_SET_CALIB_S : wexant::IOCTL_WEXANT_SET_CALIB;
    return DriverRequest(code, CalibRecordBuffer(points), static_cast<DWORD>(calib::RecordBytes(points)),
                         nullptr, 0);
}

BOOL CommitCalibration()
{
    DWORD code = UsesSecondForm() ? wexant::IOCTL_WEXANT_CALIB_COMMIT_S : wexant::IOCTL_WEXANT_CALIB_COMMIT;
    return DriverRequest(code, nullptr, 0, nullptr, 0);
}

BOOL DiscardCalibration()
{
    g_bCalibSent = FALSE;
    DWORD code = UsesSecondForm() ? wexant::IOCTL_WEXANT_CALIB_DISCARD_S : wexant::IOCTL_WEXANT_CALIB_DISCARD;
    return DriverRequest(code, nullptr, 0, nullptr, 0);
}

BOOL CapturePoint(int screenIndex, HWND window)
{
    const int points = CurrentPointCount();
    const int panel = calib::PanelIndex(screenIndex, points, g_nRotation);
    if (!ReadTouchRecord()) {
        // The calibration window owns the box: an ownerless box would lie
        // under the topmost window, where a panel user could never reach its
        // OK, and every touch meant for it would be read as a calibration
        // point. Owned, the box stays in front and the window takes no touch
        // until it is answered.
        MessageBoxA(window, "Data Read error", "Jostel", MB_OK);
        return FALSE;
    }
    // The on-screen grid and the panel grid have the same size; an index
    // outside it (never made by the window) stores nothing.
    if (panel < 0 || panel >= points) return FALSE;
    RawX(points)[panel] = g_touchRecord.wRawX;
    RawY(points)[panel] = g_touchRecord.wRawY;
    return TRUE;
}
