// The control panel applet: one entry, the touch panel, whose double click
// starts the settings program from the system directory.
#include <windows.h>
#include <cpl.h>

#include "resource.h"
#include "winutil.h"

static_assert(sizeof(NEWCPLINFOA) == 252, "the host reads the packed layout");

static HINSTANCE g_hModule = nullptr;
static LONG AppletUseCount = 0;
static BOOL AppletLanguageJapanese = FALSE;
static char SettingsProgramPath[wexant::kPathBufferSize] = "";

// The Compatibility Assistant key the applet records itself in; the
// uninstaller removes the value again.
static const char kPersistedKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
static const char kFileApplet[] = "\\Pemmick.cpl";
static const DWORD kPersistedFlags = 16;

static void RecordCompatibility()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPersistedKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        wexant::kKeyWriteAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    char name[wexant::kPathBufferSize];
    if (MakeSystemPath(name, kFileApplet)) RegWriteDword(key, name, kPersistedFlags);
    RegCloseKey(key);
}

static void InitApplet()
{
    AppletLanguageJapanese = IsJapanese();
    RecordCompatibility();
    MakeSystemPath(SettingsProgramPath, wexant::kFileQuintrel);
}

static void FillNewInquire(NEWCPLINFOA* info)
{
    ZeroMemory(info, sizeof(*info));
    info->dwSize = sizeof(*info);
    info->hIcon = LoadIconA(g_hModule, MAKEINTRESOURCEA(IDI_APPLET));
    // A text that does not load leaves its field empty.
    LoadStringA(g_hModule, AppletLanguageJapanese ? IDS_APPLET_NAME_JA : IDS_APPLET_NAME_EN, info->szName,
                sizeof(info->szName));
    LoadStringA(g_hModule, AppletLanguageJapanese ? IDS_APPLET_INFO_JA : IDS_APPLET_INFO_EN, info->szInfo,
                sizeof(info->szInfo));
}

extern "C" LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM, LPARAM lParam2)
{
    switch (message) {
    case CPL_INIT:
        if (AppletUseCount == 0) InitApplet();
        ++AppletUseCount;
        return 1;
    case CPL_GETCOUNT:
        return 1;
    case CPL_NEWINQUIRE:
        if (lParam2) FillNewInquire(reinterpret_cast<NEWCPLINFOA*>(lParam2));
        return 0;
    case CPL_DBLCLK:
        // The settings program keeps itself to one instance; a missing one
        // simply does not start.
        if (SettingsProgramPath[0]) WinExec(SettingsProgramPath, SW_SHOWNORMAL);
        return 0;
    case CPL_EXIT:
        // A host that sends more exits than inits must not keep the next
        // CPL_INIT from setting the applet up again.
        if (AppletUseCount > 0) --AppletUseCount;
        return 0;
    default:
        // CPL_INQUIRE included: the entry describes itself only through CPL_NEWINQUIRE.
        return 0;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_hModule = instance;
        // Every program of the system reads the Windows generation at start;
        // nothing the applet does depends on it.
        DetectWindowsGeneration();
    }
    return TRUE;
}
