// Settings loader, calibration bundle, cursor hiding and button swap.
#include "resident.h"

std::atomic<DWORD> Option{wexant::kDefaultOption};
std::atomic<DWORD> Freq{wexant::kDefaultFreq};
std::atomic<DWORD> Duration{wexant::kDefaultDuration};
std::atomic<DWORD> ButtonsSwapped{0};

BOOL SendDriverCode(DWORD code, const void* in, DWORD inSize)
{
    return DriverRequest(code, in, inSize, nullptr, 0);
}

// Reads a REG_DWORD into an atomic setting; a missing or odd-sized value leaves it.
static void ReadSetting(HKEY key, const char* name, std::atomic<DWORD>* setting)
{
    DWORD value = setting->load();
    if (RegReadDword(key, name, &value)) setting->store(value);
}

// Fills the bundle from the per-user key. Each value is read into a scratch
// buffer limited to its slot's size and taken only at exactly that size, so a
// longer or shorter value never leaves bytes in the slot.
static void ReadCalibBundle(HKEY key, resident::CalibBundle* bundle)
{
    resident::ClearBundle(bundle);
    for (const resident::BundleSlot& slot : resident::kBundleSlots) {
        BYTE data[resident::kLargestRecord];
        DWORD size = static_cast<DWORD>(slot.size);
        LONG status = RegQueryValueExA(key, slot.valueName, nullptr, nullptr, data, &size);
        resident::TakeBundleRecord(bundle, slot, status, data, size);
    }
}

// A user without settings gets the machine-wide ones, copied into a new per-user key.
static void CreateUserSettings(DWORD dHeight, DWORD dWidth, DWORD stdFreq, DWORD stdDuration)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, wexant::UserSettingsKey, 0, const_cast<char*>(""),
                        REG_OPTION_NON_VOLATILE, wexant::kKeyWriteAccess, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegWriteDword(key, wexant::kValOption, Option);
    RegWriteDword(key, wexant::kValFreq, Freq);
    RegWriteDword(key, wexant::kValDuration, Duration);
    RegWriteDword(key, wexant::kValDHeight, dHeight);
    RegWriteDword(key, wexant::kValDWidth, dWidth);
    RegWriteDword(key, wexant::kValStdFreq, stdFreq);
    RegWriteDword(key, wexant::kValStdDuration, stdDuration);
    RegWriteDword(key, wexant::kValSpinTop, 0);
    RegCloseKey(key);
}

void LoadSettings()
{
    DWORD dHeight = wexant::kDefaultDHeight, dWidth = wexant::kDefaultDWidth;
    DWORD stdFreq = wexant::kDefaultStdFreq, stdDuration = wexant::kDefaultStdDuration;
    // Local: the loader also runs on the touch-state thread and the session watch.
    resident::CalibBundle bundle;
    resident::ClearBundle(&bundle);
    BOOL userKeyRead = FALSE;

    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, wexant::UserSettingsKey, 0, wexant::kKeyReadAccess, &key) ==
        ERROR_SUCCESS) {
        ReadSetting(key, wexant::kValOption, &Option);
        ReadSetting(key, wexant::kValFreq, &Freq);
        ReadSetting(key, wexant::kValDuration, &Duration);
        RegReadDword(key, wexant::kValDHeight, &dHeight);
        RegReadDword(key, wexant::kValDWidth, &dWidth);
        ReadCalibBundle(key, &bundle);
        RegCloseKey(key);
        userKeyRead = TRUE;
    } else {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey, 0, wexant::kKeyReadAccess,
                          &key) == ERROR_SUCCESS) {
            ReadSetting(key, wexant::kValOption, &Option);
            ReadSetting(key, wexant::kValFreq, &Freq);
            ReadSetting(key, wexant::kValDuration, &Duration);
            RegReadDword(key, wexant::kValDHeight, &dHeight);
            RegReadDword(key, wexant::kValDWidth, &dWidth);
            RegReadDword(key, wexant::kValStdFreq, &stdFreq);
            RegReadDword(key, wexant::kValStdDuration, &stdDuration);
            RegCloseKey(key);
        }
        CreateUserSettings(dHeight, dWidth, stdFreq, stdDuration);
    }

    HANDLE device = OpenDriverDevice();
    if (device != INVALID_HANDLE_VALUE) {
        DWORD bytes = 0;
        if (userKeyRead && resident::BundleWorthSending(resident::BundleMask(bundle)))
            DeviceIoControl(device, wexant::IOCTL_WEXANT_LOAD_CALIB_BUNDLE, bundle.bytes,
                            sizeof(bundle.bytes), nullptr, 0, &bytes, nullptr);
        DWORD option = Option;
        DeviceIoControl(device, wexant::IOCTL_WEXANT_SET_OPTION, &option, sizeof(option), nullptr, 0,
                        &bytes, nullptr);
        CloseHandle(device);
    }

    SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, dHeight, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, dWidth, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

// Every system cursor the hidden-cursor option replaces (the "unavailable" cursor 32647 stays).
static const DWORD kHiddenCursorIds[16] = {
    32512, 32513, 32514, 32515, 32516, 32640, 32641, 32642,
    32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651,
};

void ApplyCursorOption()
{
    HCURSOR blank = LoadCursorA(Instance, MAKEINTRESOURCEA(IDC_BLANK));
    if (Option & wexant::OPT_HIDE_CURSOR) {
        if (!blank) return;
        // The system takes ownership of (and destroys) each cursor it is given.
        for (DWORD id : kHiddenCursorIds) {
            HCURSOR copy = CopyCursor(blank);
            if (copy) SetSystemCursor(copy, id);
        }
    } else {
        SystemParametersInfoA(SPI_SETCURSORS, 0, nullptr, 0);
    }
}

void SyncButtonSwap()
{
    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return;
    DWORD bytes = 0;
    if (GetSystemMetrics(SM_SWAPBUTTON)) {
        DeviceIoControl(device, wexant::IOCTL_WEXANT_BUTTONS_SWAPPED, nullptr, 0, nullptr, 0, &bytes, nullptr);
        ButtonsSwapped = 1;
    } else {
        DeviceIoControl(device, wexant::IOCTL_WEXANT_BUTTONS_NORMAL, nullptr, 0, nullptr, 0, &bytes, nullptr);
        ButtonsSwapped = 0;
    }
    PostMessageA(MainWindow, WM_TRAYNOTIFY, 0, WM_RBUTTONUP);
    CloseHandle(device);
}
