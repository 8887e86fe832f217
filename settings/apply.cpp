// Storing the settings: both keys, the second driver's key when it exists, the
// driver on Vista and later, and the resident program's window.
#include "framework.h"
#include "settings_rules.h"

using namespace wexant;

namespace {

const char kCaption[] = "Quintrel";

BOOL DriverPresent() {
    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return FALSE;
    CloseHandle(device);
    return TRUE;
}

void WriteSettingsRecord(HKEY key) {
    RegWriteDword(key, kValOption, Option);
    RegWriteDword(key, kValFreq, Freq);
    RegWriteDword(key, kValDuration, Duration);
    RegWriteDword(key, kValStdFreq, StdFreq);
    RegWriteDword(key, kValStdDuration, StdDuration);
    RegWriteDword(key, kValDHeight, g_dwDHeightWork);
    RegWriteDword(key, kValDWidth, g_dwDWidthWork);
}

void WriteLayout(HKEY key) {
    RegWriteDword(key, kValResolutionX, ResolutionX);
    RegWriteDword(key, kValResolutionY, ResolutionY);
    RegWriteDword(key, kValNComm, nComm);
}

HKEY CreateWritableKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, const_cast<char*>(""), 0, kKeyWriteAccess, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

void StoreInRegistry() {
    if (HKEY key = CreateWritableKey(HKEY_LOCAL_MACHINE, DriverParametersKey)) {
        WriteSettingsRecord(key);
        WriteLayout(key);
        RegCloseKey(key);
    }
    if (HKEY key = CreateWritableKey(HKEY_CURRENT_USER, UserSettingsKey)) {
        WriteSettingsRecord(key);
        RegCloseKey(key);
    }
    // The second driver's key belongs to that driver: written when it is there, never created.
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SecondDriverParametersKey, 0, kKeyWriteAccess, &key) == ERROR_SUCCESS) {
        WriteLayout(key);
        RegCloseKey(key);
    }
}

void SendLayoutToDriver() {
    settingsrules::FillCommRequest(nComm, CommRequest);
    DriverRequest(IOCTL_WEXANT_SET_COMM, CommRequest, sizeof(CommRequest), nullptr, 0);
    settingsrules::FillResolutionRequest(ResolutionX, ResolutionRequest);
    DriverRequest(IOCTL_WEXANT_SET_RESOLUTION, ResolutionRequest, sizeof(ResolutionRequest), nullptr, 0);
}

void SendToResident() {
    HWND resident = FindWindowA(kResidentWindowClass, kResidentWindowTitle);
    if (!resident) return;
    settingsrules::SettingsMessage message = settingsrules::MakeSettingsMessage(Freq, Duration, Option);
    COPYDATASTRUCT data = {0, sizeof(message), &message};
    SendMessageA(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

void ApplySettings() {
    g_bCalibrationChanged = FALSE;
    g_bSettingsPending = FALSE;

    if (g_bWinVista && !DriverPresent()) {
        MessageBoxA(nullptr, IsJapanese() ? "ドライバが見つかりません。" : "Drivr is not found.", kCaption, MB_OK);
        return;
    }
    if (g_bDualMonitorChanged) {
        MessageBoxA(nullptr,
                    IsJapanese() ? "マルチモニタの設定が変更されました。\n再起動が必要です。"
                                 : "Dual monitor Setting was changed. \nNeed to system restart.",
                    kCaption, MB_OK);
    }
    nComm = NcommWithArrangement(nComm, g_nArrangementType);
    StoreInRegistry();
    // The double-click values just stored become the ones the click page's
    // Cancel puts back into the system, whichever page came first to apply.
    // A refused Apply stores nothing and so commits nothing: Cancel then
    // still returns to the values of the last stored Apply.
    g_nDblClkSpeed = g_nDblClkSpeedWork;
    DHeight = g_dwDHeightWork;
    DWidth = g_dwDWidthWork;
    if (g_bWinVista) SendLayoutToDriver();
    SendToResident();
    if (g_bWinVista) {
        // The driver takes the new layout after it has settled.
        Sleep(1000);
        DriverRequest(IOCTL_WEXANT_APPLY_SETTINGS, nullptr, 0, nullptr, 0);
    }
}
