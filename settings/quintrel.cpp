// Quintrel, the touch panel's settings program: start-up reads the settings,
// the property sheet edits them, ApplySettings stores them.
#include "quintrel.h"

#include "settings_rules.h"
#include "sheet.h"

using namespace wexant;

DWORD Option = kDefaultOption;
DWORD Freq = kDefaultFreq;
DWORD Duration = kDefaultDuration;
DWORD StdFreq = kDefaultStdFreq;
DWORD StdDuration = kDefaultStdDuration;
DWORD DHeight = kDefaultDHeight;
DWORD DWidth = kDefaultDWidth;
DWORD g_dwDHeightWork = kDefaultDHeight;
DWORD g_dwDWidthWork = kDefaultDWidth;
DWORD g_nDblClkSpeed = 0;
DWORD g_nDblClkSpeedWork = 0;
DWORD ResolutionX = kDefaultResolutionX;
DWORD ResolutionY = kDefaultResolutionY;
DWORD nComm = kDefaultNComm;
DWORD g_nArrangementType = kDefaultArrangementType;
char g_szVersion[kVersionBufferSize] = {};
DWORD g_dwDisSet = kDefaultDisSet;
BOOL g_bSecondDriverPresent = FALSE;
BOOL g_bSettingsPending = FALSE;
BOOL g_bCalibrationChanged = FALSE;
BOOL g_bDualMonitorChanged = FALSE;
BYTE CommRequest[2] = {0, 0};
BYTE ResolutionRequest[2] = {0, 0};
HANDLE g_hMutex = nullptr;

CQuintrelApp theApp;

namespace {

// Version into its 50-byte buffer, always terminated; a text that does not
// fit, or a value that is not a string, leaves it empty.
void ReadVersion(HKEY key) {
    DWORD type = 0;
    DWORD size = sizeof(g_szVersion);
    LONG status = RegQueryValueExA(key, kValVersion, nullptr, &type, reinterpret_cast<BYTE*>(g_szVersion), &size);
    settingsrules::TerminateVersion(g_szVersion, sizeof(g_szVersion), status == ERROR_SUCCESS,
                                    type == REG_SZ || type == REG_EXPAND_SZ, size);
}

}  // namespace

void ReadSettings() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SecondDriverParametersKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        g_bSecondDriverPresent = TRUE;
        RegReadDword(key, kValResolutionX, &ResolutionX);
        RegReadDword(key, kValResolutionY, &ResolutionY);
        RegReadDword(key, kValNComm, &nComm);
        g_nArrangementType = NcommArrangement(nComm);
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DriverParametersKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ReadVersion(key);
        RegReadDword(key, kValDisSet, &g_dwDisSet);
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, UserSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegReadDword(key, kValOption, &Option);
        RegReadDword(key, kValFreq, &Freq);
        RegReadDword(key, kValDuration, &Duration);
        RegReadDword(key, kValStdFreq, &StdFreq);
        RegReadDword(key, kValStdDuration, &StdDuration);
        RegReadDword(key, kValDHeight, &DHeight);
        RegReadDword(key, kValDWidth, &DWidth);
        RegCloseKey(key);
    }
}

BOOL CQuintrelApp::InitInstance() {
    if (!AcquireSingleInstance(kMutexQuintrel, &g_hMutex)) return FALSE;
    DetectWindowsGeneration();
    ReadSettings();

    g_nDblClkSpeed = g_nDblClkSpeedWork = settingsrules::DoubleClickSpeed(GetDoubleClickTime());
    g_dwDHeightWork = DHeight;
    g_dwDWidthWork = DWidth;

    Cmypsheet sheet("Touch Panel Settings", nullptr, 0);
    m_pMainWnd = &sheet;
    sheet.SetIcon(LoadIconA(m_hInstance, MAKEINTRESOURCEA(128)));
    if (IsJapanese()) sheet.SetTitle("タッチパネルの設定");
    sheet.DoModal();
    m_pMainWnd = nullptr;  // the sheet ends with this scope
    return FALSE;
}

int CQuintrelApp::ExitInstance() {
    // An instance that found another one running holds no mutex; it releases nothing.
    if (g_hMutex) ReleaseMutex(g_hMutex);
    return CWinApp::ExitInstance();
}
