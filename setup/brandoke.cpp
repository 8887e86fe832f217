// Brandoke: removes the touch panel driver and the system's traces: marks the
// driver's settings key as being removed, tells the resident program to end,
// removes the compatibility entries and every user's settings (loading each
// profile's hive), the driver package's INF copies and the supported panels'
// devices, and starts the package's own uninstall section.
//
// One thread: a hidden main window runs the two steps, each started by a
// posted WM_USER message.
#include <windows.h>
#include <setupapi.h>

#include "larop.h"
#include "setup_rules.h"
#include "winutil.h"

namespace {

constexpr WPARAM UNINSTALL_STEP_CONFIRM = 1;
constexpr WPARAM UNINSTALL_STEP_REMOVE = 2;

constexpr char kQuestionCaption[] = "Uninstall: Velnor Touch Panel";
constexpr char kAccessCaption[] = "Uninstall";
constexpr char kQuestionEnglish[] = "Do you uninstall Touch Panel driver from your system ?   ";
constexpr char kQuestionJapanese[] = "Touch Panel driver をアンインストールしますか?   ";
constexpr char kAccessEnglish[] = "Velnor Touch Panel driver  couldn't be removed.\nYou don't have DELETE access.";
constexpr char kAccessJapanese[] =
    "Velnor Touch Panel driver を削除できませんでした。\nユーザに削除アクセス権がありません。";

constexpr char kStatusText[] = "Now removing PEMMICK";
constexpr char kLayersKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr char kPersistedKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
constexpr char kOtherAppletFile[] = "\\Vintrox.cpl";
constexpr char kAppletFile[] = "\\Pemmick.cpl";
constexpr char kUninstallSection[] = "WEXANT.Uninstall";
constexpr char kRunDllFile[] = "\\RunDll32.exe";
constexpr char kAccountLibraryFile[] = "\\LAROP.dll";
constexpr char kRestorePrivilege[] = "SeRestorePrivilege";
constexpr DWORD kCompatKeyAccess = KEY_WRITE;  // 0x20006

// A library that never reports its last user must not keep the loop going.
constexpr int kMaxUsers = 4096;
constexpr int kInfCopies = 30;
constexpr size_t kKeyPathSize = 600;

BOOL g_bJapanese = FALSE;
BOOL g_bSilent = FALSE;

// ---- Registry values -------------------------------------------------------

BOOL WriteRemovingStatus()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, wexant::DriverParametersKey, 0, const_cast<char*>(""),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return FALSE;
    LONG status = RegSetValueExA(key, wexant::kValStatus, 0, REG_SZ, reinterpret_cast<const BYTE*>(kStatusText),
                                 sizeof(kStatusText));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Deletes the layers value named after a file of the system directory.
void DeleteLayersValue(const char* file)
{
    char name[wexant::kPathBufferSize];
    if (!MakeSystemPath(name, file))
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLayersKey, 0, kCompatKeyAccess, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// The compatibility assistant records the two control panel applets by their
// full paths; both records go from the user's Persisted key.
void DeletePersistedAppletValues(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, kCompatKeyAccess, &key) != ERROR_SUCCESS)
        return;
    char name[wexant::kPathBufferSize];
    if (MakeSystemPath(name, kOtherAppletFile))
        RegDeleteValueA(key, name);
    if (MakeSystemPath(name, kAppletFile))
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

void PostDestroyToResident()
{
    HWND resident = FindWindowA(wexant::kResidentWindowClass, wexant::kResidentWindowTitle);
    if (resident)
        PostMessageA(resident, WM_DESTROY, 0, 0);
}

// ---- Every user's hive through the account library -------------------------

struct AccountLibrary {
    HMODULE module = nullptr;
    LpGeCuAcNaFn currentAccount = nullptr;
    LpGeLoUsFn localUser = nullptr;
    LpGeProDirFn profilesFolder = nullptr;
    LpSeAcToFn enablePrivilege = nullptr;
    LpReSeAcToFn disablePrivilege = nullptr;
    LpReDeKeFn deleteKey = nullptr;
    LpReDeKe2Fn deleteParentKey = nullptr;
};

template <typename Fn>
BOOL Bind(HMODULE module, const char* name, Fn* fn)
{
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *fn != nullptr;
}

// Loads LAROP.dll and binds its seven exports; FALSE (nothing loaded) when
// the library or one of them is missing. The package's library is loaded by
// its full path in the system directory: a bare name would also find a
// library of that name beside the uninstaller, in the folder it was started
// from or on PATH, and its start-up code would run with the uninstaller's
// administrator rights before any export is looked at.
BOOL LoadAccountLibrary(AccountLibrary* lib)
{
    char path[wexant::kPathBufferSize];
    if (!MakeSystemPath(path, kAccountLibraryFile))
        return FALSE;
    lib->module = LoadLibraryA(path);
    if (!lib->module)
        return FALSE;
    HMODULE m = lib->module;
    if (Bind(m, "LpGeCuAcNa", &lib->currentAccount) && Bind(m, "LpGeLoUs", &lib->localUser) &&
        Bind(m, "LpGeProDir", &lib->profilesFolder) && Bind(m, "LpSeAcTo", &lib->enablePrivilege) &&
        Bind(m, "LpReSeAcTo", &lib->disablePrivilege) && Bind(m, "LpReDeKe", &lib->deleteKey) &&
        Bind(m, "LpReDeKe2", &lib->deleteParentKey))
        return TRUE;
    FreeLibrary(m);
    lib->module = nullptr;
    return FALSE;
}

typedef void (*HiveWork)(const AccountLibrary& lib, const char* user);

// Loads each user's hive under HKEY_USERS by the user's name in turn, does
// the work on it and unloads it. A hive that does not load (its user is
// logged on, or it has no hive file) is skipped.
void ForEachUserHive(const AccountLibrary& lib, HiveWork work)
{
    char user[256];
    char domain[256];
    user[0] = domain[0] = '\0';
    lib.currentAccount(user, domain);

    int index = 0;
    for (int visited = 0; visited < kMaxUsers; ++visited) {
        user[0] = '\0';
        index = lib.localUser(user, 255, index);
        user[255] = '\0';
        char folder[wexant::kPathBufferSize + 1];
        folder[0] = '\0';
        lib.profilesFolder(folder);
        folder[wexant::kPathBufferSize - 1] = '\0';
        char hive[wexant::kPathBufferSize];
        BOOL named = user[0] != '\0' && setup::JoinText(hive, sizeof(hive), folder, "\\", user, "\\NTUSER.DAT");

        lib.enablePrivilege(GetCurrentProcess(), kRestorePrivilege);
        if (named && RegLoadKeyA(HKEY_USERS, user, hive) == ERROR_SUCCESS) {
            work(lib, user);
            RegUnLoadKeyA(HKEY_USERS, user);
        }
        lib.disablePrivilege(GetCurrentProcess(), kRestorePrivilege);
        if (index <= 0)
            break;
    }
}

BOOL UserPath(char* buffer, const char* user, const char* path)
{
    return setup::JoinText(buffer, kKeyPathSize, user, "\\", path);
}

void CleanUserHive(const AccountLibrary& lib, const char* user)
{
    char path[kKeyPathSize];
    if (UserPath(path, user, wexant::UserSettingsKey))
        lib.deleteKey(HKEY_USERS, path);
    if (UserPath(path, user, wexant::UserSettingsParentKey))
        lib.deleteParentKey(HKEY_USERS, path);
    if (UserPath(path, user, kPersistedKey))
        DeletePersistedAppletValues(HKEY_USERS, path);
}

void CleanUserSettings()
{
    AccountLibrary lib;
    if (!LoadAccountLibrary(&lib))
        return;
    ForEachUserHive(lib, CleanUserHive);
    lib.deleteKey(HKEY_CURRENT_USER, wexant::UserSettingsKey);
    lib.deleteKey(HKEY_LOCAL_MACHINE, wexant::UserSettingsKey);
    lib.deleteParentKey(HKEY_CURRENT_USER, wexant::UserSettingsParentKey);
    lib.deleteParentKey(HKEY_LOCAL_MACHINE, wexant::UserSettingsParentKey);
    DeletePersistedAppletValues(HKEY_CURRENT_USER, kPersistedKey);
    FreeLibrary(lib.module);
}

void RemoveUserPersisted(const AccountLibrary& lib, const char* user)
{
    char path[kKeyPathSize];
    if (UserPath(path, user, kPersistedKey))
        lib.deleteKey(HKEY_USERS, path);
}

// The compatibility assistant keeps its Persisted key from Vista on.
void CleanCompatPersisted()
{
    if (!g_bWinVista)
        return;
    AccountLibrary lib;
    if (!LoadAccountLibrary(&lib))
        return;
    ForEachUserHive(lib, RemoveUserPersisted);
    lib.deleteKey(HKEY_CURRENT_USER, kPersistedKey);
    lib.deleteKey(HKEY_LOCAL_MACHINE, kPersistedKey);
    FreeLibrary(lib.module);
}

// ---- INF copies --------------------------------------------------------------

void DeleteEvenIfReadOnly(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileA(path);
}

BOOL OemPath(char* buffer, const char* folder, int n, const char* extension)
{
    char name[64];
    return setup::MakeOemName(n, extension, name, sizeof(name)) &&
           setup::JoinText(buffer, wexant::kPathBufferSize, folder, "\\", name);
}

// Windows keeps each installed INF as oemN.inf with its compiled oemN.PNF and
// the catalog oemN.cat; a copy is the driver package's when its [Strings]
// define the panel's device description.
void DeleteOemInfFiles()
{
    char windows[wexant::kPathBufferSize];
    UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
    if (length == 0 || length >= sizeof(windows))
        return;
    char infFolder[wexant::kPathBufferSize];
    char catFolder[wexant::kPathBufferSize];
    if (!setup::JoinText(infFolder, sizeof(infFolder), windows, "\\inf") ||
        !setup::JoinText(catFolder, sizeof(catFolder), windows, "\\system32\\CatRoot"))
        return;
    for (int n = 0; n < kInfCopies; ++n) {
        char inf[wexant::kPathBufferSize];
        if (!OemPath(inf, infFolder, n, ".inf"))
            continue;
        char marker[wexant::kPathBufferSize];
        GetPrivateProfileStringA("Strings", "WEXANT.DeviceDesc", "NO", marker, sizeof(marker), inf);
        if (!setup::IsPackageMarker(marker))
            continue;
        char path[wexant::kPathBufferSize];
        DeleteEvenIfReadOnly(inf);
        if (OemPath(path, infFolder, n, ".PNF"))
            DeleteEvenIfReadOnly(path);
        if (OemPath(path, catFolder, n, ".cat"))
            DeleteEvenIfReadOnly(path);
    }
}

// ---- Devices ---------------------------------------------------------------

// Reads a device's hardware ids into a LocalAlloc'd buffer. Returns 1 with the
// buffer, 0 when the device has none (skip it), -1 on any other failure.
int ReadHardwareIds(HDEVINFO devices, SP_DEVINFO_DATA* device, char** list, DWORD* size)
{
    *list = nullptr;
    *size = 0;
    DWORD needed = 0;
    // The property may grow between the two calls; a few rounds settle it.
    for (int round = 0; round < 8; ++round) {
        if (SetupDiGetDeviceRegistryPropertyA(devices, device, SPDRP_HARDWAREID, nullptr,
                                              reinterpret_cast<BYTE*>(*list), *size, &needed))
            return 1;
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_DATA)
            return 0;
        if (error != ERROR_INSUFFICIENT_BUFFER || needed == 0)
            return -1;
        if (*list)
            LocalFree(*list);
        *list = static_cast<char*>(LocalAlloc(LPTR, needed));
        *size = *list ? needed : 0;
        if (!*list)
            return 0;
    }
    return 0;
}

void RemoveDevicesById(const char* inf, const char* id)
{
    GUID classGuid;
    char className[260];
    if (!SetupDiGetINFClassA(inf, &classGuid, className, sizeof(className), nullptr))
        return;
    HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        char* list = nullptr;
        DWORD size = 0;
        int read = ReadHardwareIds(devices, &device, &list, &size);
        if (read < 0) {
            if (list)
                LocalFree(list);
            break;
        }
        if (read > 0 && setup::FindInMultiSz(list, size, id) >= 0) {
            device.ClassGuid = classGuid;
            SetupDiCallClassInstaller(DIF_REMOVE, devices, &device);
        }
        if (list)
            LocalFree(list);
        device.cbSize = sizeof(device);
    }
    SetupDiDestroyDeviceInfoList(devices);
}

// ---- The two steps -----------------------------------------------------------

void RunConfirmStep(HWND window)
{
    if (!g_bSilent &&
        MessageBoxA(window, g_bJapanese ? kQuestionJapanese : kQuestionEnglish, kQuestionCaption,
                    MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL) {
        PostQuitMessage(0);
        return;
    }
    if (WriteRemovingStatus()) {
        PostDestroyToResident();
        PostMessageA(window, WM_USER, UNINSTALL_STEP_REMOVE, 0);
        return;
    }
    if (!g_bSilent)
        MessageBoxA(window, g_bJapanese ? kAccessJapanese : kAccessEnglish, kAccessCaption, MB_OK);
    DestroyWindow(window);
}

void RunRemoveStep(HWND window)
{
    DeleteLayersValue(kOtherAppletFile);
    CleanUserSettings();
    CleanCompatPersisted();
    PostDestroyToResident();
    DeleteOemInfFiles();

    char inf[wexant::kPathBufferSize];
    if (MakeSystemPath(inf, wexant::kFileWexantDel)) {
        for (const char* id : setup::kRemovalHardwareIds)
            RemoveDevicesById(inf, id);
        // The system's RunDll32 by its quoted full path: a bare name would be
        // looked for in the uninstaller's own folder first, and whatever lies
        // there would run with the uninstaller's administrator rights.
        char rundll[wexant::kPathBufferSize];
        char program[2 * wexant::kPathBufferSize];
        char command[3 * wexant::kPathBufferSize];
        if (MakeSystemPath(rundll, kRunDllFile) &&
            setup::JoinText(program, sizeof(program), "\"", rundll, "\" advpack.dll,LaunchINFSection ") &&
            setup::JoinText(command, sizeof(command), program, inf, ",", kUninstallSection))
            WinExec(command, SW_SHOW);
    }
    DeleteLayersValue(kAppletFile);
    DestroyWindow(window);
}

LRESULT CALLBACK UninstallWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
    case WM_PAINT:
        if (message == WM_PAINT)
            ValidateRect(window, nullptr);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_USER:
        if (wParam == UNINSTALL_STEP_CONFIRM) {
            RunConfirmStep(window);
            return 0;
        }
        if (wParam == UNINSTALL_STEP_REMOVE) {
            RunRemoveStep(window);
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = UninstallWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = wexant::kUninstallerWindowClass;
    if (!RegisterClassA(&wc))
        return nullptr;
    HWND window = CreateWindowExA(0, wexant::kUninstallerWindowClass, wexant::kUninstallerWindowClass,
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, nullptr);
    if (window)
        ShowWindow(window, SW_HIDE);
    return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int)
{
    // Another uninstaller runs.
    if (FindWindowA(wexant::kUninstallerWindowClass, wexant::kUninstallerWindowClass))
        return 0;
    // Copies started together all pass the window check before any of them
    // has made its window; only the one that takes the mutex goes on, so the
    // removal never runs twice at once. Held until the process ends.
    if (!AcquireSingleInstance(wexant::kMutexBrandoke))
        return 0;
    DetectWindowsGeneration();
    g_bJapanese = IsJapanese();
    g_bSilent = setup::IsSilentTail(tail);

    HWND window = CreateMainWindow(instance);
    if (!window)
        return 0;
    PostMessageA(window, WM_USER, UNINSTALL_STEP_CONFIRM, 0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
