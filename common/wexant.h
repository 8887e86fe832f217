// Names, layouts, defaults and small rules that every program of the panel's
// user-mode suite compiles in. Nothing here includes a Windows header, so the
// rules build and are tested natively as well.
#pragma once
#include <cstddef>
#include <cstdint>

namespace wexant {

// ---- Registry keys ------------------------------------------------------
// Machine-wide copy of the settings under the driver's service key (HKLM).
constexpr const char DriverParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Parameters";
// The logged-on user's settings (HKCU).
constexpr const char UserSettingsKey[] = "Software\\Tarsido\\USB";
// Parent of the per-user key, removed with it by the uninstaller.
constexpr const char UserSettingsParentKey[] = "Software\\Tarsido";
// The second panel driver's settings (HKLM); present only when that driver is installed.
constexpr const char SecondDriverParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\GORVIN\\Parameters";
// Device instances of the two drivers, kept by the system (HKLM).
constexpr const char DriverEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\WEXANT\\Enum";
constexpr const char SecondDriverEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\GORVIN\\Enum";

// Access masks: KEY_READ, and KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY for keys that are written.
constexpr uint32_t kKeyReadAccess = 0x20019;
constexpr uint32_t kKeyWriteAccess = 0x2001F;

// ---- Value names ----------------------------------------------------------
constexpr const char kValOption[] = "Option";
constexpr const char kValFreq[] = "Freq";
constexpr const char kValDuration[] = "Duration";
constexpr const char kValStdFreq[] = "StdFreq";
constexpr const char kValStdDuration[] = "StdDuration";
constexpr const char kValDHeight[] = "DHeight";
constexpr const char kValDWidth[] = "DWidth";
constexpr const char kValResolutionX[] = "ResolutionX";
constexpr const char kValResolutionY[] = "ResolutionY";
constexpr const char kValNComm[] = "nComm";
constexpr const char kValVersion[] = "Version";
constexpr const char kValDisSet[] = "DisSet";
constexpr const char kValSpinTop[] = "SpinTop";
constexpr const char kValCaldata9[] = "Caldata9";
constexpr const char kValCaldata12[] = "Caldata12";
constexpr const char kValCaldata20[] = "Caldata20";
constexpr const char kValCaldata9S[] = "Caldata9S";
constexpr const char kValCaldata12S[] = "Caldata12S";
constexpr const char kValCaldata20S[] = "Caldata20S";
constexpr const char kValWinPosX[] = "WinPosX";
constexpr const char kValWinPosY[] = "WinPosY";
constexpr const char kValSavePort[] = "SavePort";
constexpr const char kValStatus[] = "Status";

// Size of the buffer the settings program reads Version into.
constexpr size_t kVersionBufferSize = 50;

// ---- Settings record ----------------------------------------------------
// The seven per-user values, in the order in which they are written.
struct SettingsRecord {
    uint32_t Option;
    uint32_t Freq;
    uint32_t Duration;
    uint32_t StdFreq;
    uint32_t StdDuration;
    uint32_t DHeight;
    uint32_t DWidth;
};
constexpr const char* const kSettingsValueNames[7] = {
    kValOption, kValFreq, kValDuration, kValStdFreq, kValStdDuration, kValDHeight, kValDWidth,
};

// Ranges the pages keep the values in.
constexpr uint32_t kFreqMin = 37, kFreqMax = 10000;
constexpr uint32_t kDurationMin = 1, kDurationMax = 1000;
constexpr uint32_t kDoubleClickAreaMin = 2, kDoubleClickAreaMax = 66;

// ---- Option bit map (OptionBits) ---------------------------------------------
// Bits no name covers (0x1, 0x2, 0x2000000, 0x10000000-0x80000000) pass through unchanged.
enum OptionBits : uint32_t {
    OPT_CALIB_9 = 0x00000004,
    OPT_CALIB_12 = 0x00000008,
    OPT_CALIB_20 = 0x00000010,
    OPT_STD_SOUND_ON_TOUCH = 0x00000020,
    OPT_STD_SOUND = 0x00000040,
    OPT_SOUND_ON_TOUCH = 0x00000080,
    OPT_STD_SOUND_KIND_MASK = 0x00000F00,
    OPT_SOUND_KIND_MASK = 0x0000F000,
    OPT_SOUND = 0x00010000,
    OPT_CLICK_HOLD = 0x00020000,
    OPT_TRAY_ICON = 0x00040000,
    OPT_KEY_CTRL = 0x00080000,
    OPT_KEY_SHIFT = 0x00100000,
    OPT_KEY_ALT = 0x00200000,
    OPT_CLICK_SIM = 0x00400000,
    OPT_FLOAT_BUTTON = 0x00800000,
    OPT_HIDE_CURSOR = 0x01000000,
    OPT_POINT_MODE = 0x04000000,
    OPT_SHOW_MODE_GROUP = 0x08000000,
};
constexpr uint32_t OPT_CALIB_MASK = OPT_CALIB_9 | OPT_CALIB_12 | OPT_CALIB_20;
constexpr uint32_t OPT_KEY_MASK = OPT_KEY_CTRL | OPT_KEY_SHIFT | OPT_KEY_ALT;
constexpr unsigned OPT_SOUND_KIND_SHIFT = 12;
constexpr unsigned OPT_STD_SOUND_KIND_SHIFT = 8;

// ---- Monitor layout values -------------------------------------------------
enum NcommBits : uint32_t {
    NCOMM_DUAL_MONITOR = 0x1,
    NCOMM_OS_ARRANGED = 0x2,
    NCOMM_SWAP_OUTPUT = 0x4,
    NCOMM_POSITION_MASK = 0xF0,
};
constexpr unsigned NCOMM_POSITION_SHIFT = 4;

// Where monitor 2 stands beside monitor 1.
enum ArrangementType : uint32_t {
    ARRANGE_UP_LEFT = 0,
    ARRANGE_ABOVE = 1,
    ARRANGE_UP_RIGHT = 2,
    ARRANGE_LEFT = 3,
    ARRANGE_RIGHT = 4,
    ARRANGE_DOWN_LEFT = 5,
    ARRANGE_BELOW = 6,
    ARRANGE_DOWN_RIGHT = 7,
};

// The screen sizes the dual-monitor page offers; the index is what the driver receives.
struct ScreenSize {
    uint32_t width;
    uint32_t height;
    const char* captionEnglish;
    const char* captionJapanese;
};
constexpr ScreenSize kScreenSizes[4] = {
    {640, 480, "VGA (640 * 480)", "VGA(640×480)"},
    {800, 600, "SVGA (800 * 600)", "SVGA(800×600)"},
    {1024, 768, "XGA (1024 * 768)", "XGA(1024×768)"},
    {1152, 864, "XVGA (1152 * 864)", "XVGA(1152×864)"},
};

// ---- Built-in defaults ---------------------------------------------------------
constexpr uint32_t kDefaultOption = OPT_KEY_CTRL | OPT_SOUND_ON_TOUCH | OPT_STD_SOUND_ON_TOUCH | OPT_CALIB_9;
static_assert(kDefaultOption == 0x000800A4, "default Option");
constexpr uint32_t kDefaultFreq = 1000;
constexpr uint32_t kDefaultDuration = 50;
constexpr uint32_t kDefaultStdFreq = 1000;
constexpr uint32_t kDefaultStdDuration = 50;
constexpr uint32_t kDefaultDHeight = 34;
constexpr uint32_t kDefaultDWidth = 34;
constexpr uint32_t kDefaultResolutionX = 0x03200320;  // 800 and 800
constexpr uint32_t kDefaultResolutionY = 0x02580258;  // 600 and 600
constexpr uint32_t kDefaultNComm = 0;
constexpr uint32_t kDefaultArrangementType = ARRANGE_RIGHT;  // held apart by the settings program
constexpr uint32_t kDefaultDisSet = 0;
constexpr uint32_t kDefaultSpinTop = 0;

constexpr SettingsRecord kDefaultSettings = {
    kDefaultOption, kDefaultFreq, kDefaultDuration, kDefaultStdFreq,
    kDefaultStdDuration, kDefaultDHeight, kDefaultDWidth,
};

// ---- Driver device and control codes --------------------------------------------
constexpr const char kDriverDevicePath[] = "\\\\.\\WEXANT";

// CTL_CODE(FILE_DEVICE_UNKNOWN, function, METHOD_BUFFERED, FILE_ANY_ACCESS).
constexpr uint32_t kFileDeviceUnknown = 0x22;
constexpr uint32_t WexantCtlCode(uint32_t function) {
    return (kFileDeviceUnknown << 16) | (0u /*FILE_ANY_ACCESS*/ << 14) | (function << 2) | 0u /*METHOD_BUFFERED*/;
}

constexpr uint32_t IOCTL_WEXANT_READ_TOUCH = WexantCtlCode(0x801);
constexpr uint32_t IOCTL_WEXANT_CALIB_COMMIT = WexantCtlCode(0x802);
constexpr uint32_t IOCTL_WEXANT_CALIB_DISCARD = WexantCtlCode(0x803);
constexpr uint32_t IOCTL_WEXANT_SET_CALIB = WexantCtlCode(0x804);
constexpr uint32_t IOCTL_WEXANT_SET_TOUCH_EVENT = WexantCtlCode(0x805);
constexpr uint32_t IOCTL_WEXANT_GET_TOUCH_STATE = WexantCtlCode(0x806);
constexpr uint32_t IOCTL_WEXANT_SECONDARY_BUTTON = WexantCtlCode(0x807);
constexpr uint32_t IOCTL_WEXANT_PRIMARY_BUTTON = WexantCtlCode(0x808);
constexpr uint32_t IOCTL_WEXANT_BUTTONS_SWAPPED = WexantCtlCode(0x809);
constexpr uint32_t IOCTL_WEXANT_BUTTONS_NORMAL = WexantCtlCode(0x80A);
constexpr uint32_t IOCTL_WEXANT_GET_ROTATION = WexantCtlCode(0x80C);
constexpr uint32_t IOCTL_WEXANT_SET_OPTION = WexantCtlCode(0x80D);
constexpr uint32_t IOCTL_WEXANT_LOAD_CALIB_BUNDLE = WexantCtlCode(0x80E);
constexpr uint32_t IOCTL_WEXANT_CALIB_COMMIT_S = WexantCtlCode(0x80F);
constexpr uint32_t IOCTL_WEXANT_CALIB_DISCARD_S = WexantCtlCode(0x810);
constexpr uint32_t IOCTL_WEXANT_SET_CALIB_S = WexantCtlCode(0x811);
constexpr uint32_t IOCTL_WEXANT_SET_CALIB_MODE = WexantCtlCode(0x812);
constexpr uint32_t IOCTL_WEXANT_APPLY_SETTINGS = WexantCtlCode(0x819);
constexpr uint32_t IOCTL_WEXANT_SET_WAKE_EVENT = WexantCtlCode(0x81A);
constexpr uint32_t IOCTL_WEXANT_SET_COMM = WexantCtlCode(0x81B);
constexpr uint32_t IOCTL_WEXANT_SET_RESOLUTION = WexantCtlCode(0x81C);

// Every code the suite uses, with its name, for tables and logs.
struct ControlCode {
    const char* name;
    uint32_t code;
};
constexpr ControlCode kControlCodes[] = {
    {"IOCTL_WEXANT_READ_TOUCH", IOCTL_WEXANT_READ_TOUCH},
    {"IOCTL_WEXANT_CALIB_COMMIT", IOCTL_WEXANT_CALIB_COMMIT},
    {"IOCTL_WEXANT_CALIB_DISCARD", IOCTL_WEXANT_CALIB_DISCARD},
    {"IOCTL_WEXANT_SET_CALIB", IOCTL_WEXANT_SET_CALIB},
    {"IOCTL_WEXANT_SET_TOUCH_EVENT", IOCTL_WEXANT_SET_TOUCH_EVENT},
    {"IOCTL_WEXANT_GET_TOUCH_STATE", IOCTL_WEXANT_GET_TOUCH_STATE},
    {"IOCTL_WEXANT_SECONDARY_BUTTON", IOCTL_WEXANT_SECONDARY_BUTTON},
    {"IOCTL_WEXANT_PRIMARY_BUTTON", IOCTL_WEXANT_PRIMARY_BUTTON},
    {"IOCTL_WEXANT_BUTTONS_SWAPPED", IOCTL_WEXANT_BUTTONS_SWAPPED},
    {"IOCTL_WEXANT_BUTTONS_NORMAL", IOCTL_WEXANT_BUTTONS_NORMAL},
    {"IOCTL_WEXANT_GET_ROTATION", IOCTL_WEXANT_GET_ROTATION},
    {"IOCTL_WEXANT_SET_OPTION", IOCTL_WEXANT_SET_OPTION},
    {"IOCTL_WEXANT_LOAD_CALIB_BUNDLE", IOCTL_WEXANT_LOAD_CALIB_BUNDLE},
    {"IOCTL_WEXANT_CALIB_COMMIT_S", IOCTL_WEXANT_CALIB_COMMIT_S},
    {"IOCTL_WEXANT_CALIB_DISCARD_S", IOCTL_WEXANT_CALIB_DISCARD_S},
    {"IOCTL_WEXANT_SET_CALIB_S", IOCTL_WEXANT_SET_CALIB_S},
    {"IOCTL_WEXANT_SET_CALIB_MODE", IOCTL_WEXANT_SET_CALIB_MODE},
    {"IOCTL_WEXANT_APPLY_SETTINGS", IOCTL_WEXANT_APPLY_SETTINGS},
    {"IOCTL_WEXANT_SET_WAKE_EVENT", IOCTL_WEXANT_SET_WAKE_EVENT},
    {"IOCTL_WEXANT_SET_COMM", IOCTL_WEXANT_SET_COMM},
    {"IOCTL_WEXANT_SET_RESOLUTION", IOCTL_WEXANT_SET_RESOLUTION},
};
constexpr size_t kControlCodeCount = sizeof(kControlCodes) / sizeof(kControlCodes[0]);

// Name of a control code, or nullptr for a code outside the table.
const char* ControlCodeName(uint32_t code);

// ---- Settings message -----------------------------------------------------------
// The data of the WM_COPYDATA that Quintrel sends to Tavrick's window
// (dwData 0): 16 bytes, little-endian.
struct SettingsMessage {
    uint32_t dwReserved;  // sent as 0; the receiver ignores it
    uint32_t dwFreq;
    uint32_t dwDuration;
    uint32_t dwOption;
};
static_assert(sizeof(SettingsMessage) == 16 && offsetof(SettingsMessage, dwFreq) == 4 &&
                  offsetof(SettingsMessage, dwDuration) == 8 && offsetof(SettingsMessage, dwOption) == 12,
              "settings message layout");

// ---- Single-instance mutexes, windows and files -------------------------------
constexpr const char kMutexQuintrel[] = "7C4545E5-7987-2123-6A52-801131B65948";
constexpr const char kMutexJostel[] = "830FA222-03D8-11d3-A802-11A1B913EF45";
constexpr const char kMutexTavrick[] = "3CAF49DD-70D3-15d3-AA22-01A8C6B35249";
constexpr const char kMutexSetup[] = "A3RG84LF-O13F-1LY5-F18G-05S09488TD51";
// Brandoke's own, taken after its window check (which copies started together
// all pass); not one of the table's programs below.
constexpr const char kMutexBrandoke[] = "6D1E4B7A-PEMMICKINSTALL-2F95C0B83A17";
constexpr uint32_t kMutexAllAccess = 0x1F0001;

// The single-instance rule's mutex of each program that keeps one (Brandoke
// looks for a window of its class first, then takes kMutexBrandoke).
// AcquireSingleInstance applies it.
struct SingleInstanceMutex {
    const char* program;
    const char* name;
};
constexpr SingleInstanceMutex SINGLE_INSTANCE_MUTEX[] = {
    {"Quintrel.exe", kMutexQuintrel},
    {"Jostel.exe", kMutexJostel},
    {"Tavrick.exe", kMutexTavrick},
    {"Setup.exe", kMutexSetup},
};

constexpr const char kResidentWindowClass[] = "TAVRICK:MAIN";
constexpr const char kResidentWindowTitle[] = "TAVRICK";
constexpr const char kCalibWindowClass[] = "CALIB:MAIN";
constexpr const char kInstallerWindowClass[] = "Hovrint";
constexpr const char kUninstallerWindowClass[] = "PemmickInstall";

// File-name literals for MakeSystemPath: each begins with the backslash.
constexpr const char kFileQuintrel[] = "\\Quintrel.exe";
constexpr const char kFileJostel[] = "\\Jostel.exe";
constexpr const char kCmdJostelMonitor2[] = "\\Jostel.exe S";
constexpr const char kFileDvrlist[] = "\\Dvrlist.txt";
constexpr const char kFilePanelBmp[] = "\\panel.bmp";
constexpr const char kFileWexantDel[] = "\\wexant.del";
constexpr const char kFileNotepad[] = "\\NOTEPAD.EXE";  // in the Windows directory
constexpr const char kArgMonitor2[] = "S";

constexpr size_t kPathBufferSize = 260;

// ---- Rules ------------------------------------------------------------------
// Point count from Option: 20 wins over 12, 12 over 9; none set means 9.
constexpr int PointCountFromOption(uint32_t option) {
    return (option & OPT_CALIB_20) ? 20 : (option & OPT_CALIB_12) ? 12 : 9;
}

// Width index the driver receives for a monitor width; -1 when the width has none.
constexpr int WidthIndex(uint32_t width) {
    return width == 640 ? 0 : width == 800 ? 1 : width == 1024 ? 2 : width == 1152 ? 3 : -1;
}

// ResolutionX/ResolutionY: monitor 1 in bits 0-11, monitor 2 in bits 16-27.
// monitor is 1 or 2; every other bit of the word is kept.
constexpr uint32_t ResolutionField(uint32_t word, int monitor) {
    return monitor == 2 ? (word >> 16) & 0xFFFu : word & 0xFFFu;
}
constexpr uint32_t ReplaceResolutionField(uint32_t word, int monitor, uint32_t value) {
    return monitor == 2 ? (word & ~0x0FFF0000u) | ((value & 0xFFFu) << 16)
                        : (word & ~0x00000FFFu) | (value & 0xFFFu);
}

// nComm arrangement type (bits 4-7); the other bits are kept when it is replaced.
constexpr uint32_t NcommArrangement(uint32_t ncomm) {
    return (ncomm & NCOMM_POSITION_MASK) >> NCOMM_POSITION_SHIFT;
}
constexpr uint32_t NcommWithArrangement(uint32_t ncomm, uint32_t type) {
    return (ncomm & ~static_cast<uint32_t>(NCOMM_POSITION_MASK)) |
           ((type << NCOMM_POSITION_SHIFT) & NCOMM_POSITION_MASK);
}

// Sound kind 0-6 in Option bits 12-15, its standard copy in bits 8-11.
constexpr uint32_t SoundKind(uint32_t option) {
    return (option & OPT_SOUND_KIND_MASK) >> OPT_SOUND_KIND_SHIFT;
}
constexpr uint32_t WithSoundKind(uint32_t option, uint32_t kind) {
    return (option & ~static_cast<uint32_t>(OPT_SOUND_KIND_MASK)) |
           ((kind << OPT_SOUND_KIND_SHIFT) & OPT_SOUND_KIND_MASK);
}

// A REG_DWORD read into a variable that holds its default: the stored value is
// taken only when the read succeeded with exactly 4 bytes. A missing value, a
// longer one and a shorter one all leave the variable as it was. The stored type
// is not checked. status is the read's result (0 = success).
constexpr bool DwordReadTakes(long status, unsigned long size) {
    return status == 0 && size == 4;
}

}  // namespace wexant
