// Stand-in account library LAROP.dll for the uninstaller's tests: users and
// their profile folder come from the system's profile list, privileges from
// the process token, and key removal takes subkeys and values along.
//
// Every call is recorded under HKLM\Software\TestBed\Larop: the value Calls
// holds them in order, each as "Name(args)=outcome;", for example
// "LpGeLoUs(0)=root:1;" or "LpReDeKe(HKU,other\Software\Tarsido\USB)=removed;"
// (removed: the key was there and is gone; absent: it was not there; kept: it
// is still there).
//
// Beside each entry of Calls, the value States holds, in the same order, what
// the call saw of the rest of the machine, as "<destroys>/<hives>;": the
// number of WM_DESTROY messages the stand-in resident program has recorded
// (HKLM\Software\TestBed\Resident, Destroys) and the user hives loaded under
// HKEY_USERS besides the system's own (.Default and the S-1-... keys), joined
// with ','. With the DWORD AwaitDestroys set to n, the first call after each
// load of the library first waits up to 5 s for the resident program to have
// recorded n, so that a message posted before the library was loaded has
// arrived.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kKey[] = "Software\\TestBed\\Larop";
const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

DWORD ResidentDestroys()
{
    DWORD n = 0, size = sizeof(n);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Resident", 0, KEY_READ, &key) != 0)
        return 0;
    if (RegQueryValueExA(key, "Destroys", nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &size) != 0 || size != 4)
        n = 0;
    RegCloseKey(key);
    return n;
}

std::string LoadedUserHives()
{
    std::string hives;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(HKEY_USERS, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0)
            break;
        if (lstrcmpiA(name, ".Default") == 0 || strncmp(name, "S-1-", 4) == 0)
            continue;
        hives += (hives.empty() ? "" : ",") + std::string(name);
    }
    return hives;
}

std::string ReadText(HKEY key, const char* name)
{
    std::string text;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == 0 && size > 0) {
        text.resize(size);
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size) == 0)
            text.resize(strnlen(text.c_str(), size));
        else
            text.clear();
    }
    return text;
}

void AwaitResidentOnce(HKEY key)
{
    static bool done = false;
    if (done)
        return;
    done = true;
    DWORD wanted = 0, size = sizeof(wanted);
    if (RegQueryValueExA(key, "AwaitDestroys", nullptr, nullptr, reinterpret_cast<BYTE*>(&wanted), &size) != 0)
        return;
    for (int waited = 0; waited < 5000 && ResidentDestroys() < wanted; waited += 10)
        Sleep(10);
}

void Record(const std::string& call)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return;
    AwaitResidentOnce(key);
    std::string calls = ReadText(key, "Calls");
    calls += call + ";";
    RegSetValueExA(key, "Calls", 0, REG_SZ, reinterpret_cast<const BYTE*>(calls.c_str()),
                   static_cast<DWORD>(calls.size() + 1));
    std::string states = ReadText(key, "States");
    states += std::to_string(ResidentDestroys()) + "/" + LoadedUserHives() + ";";
    RegSetValueExA(key, "States", 0, REG_SZ, reinterpret_cast<const BYTE*>(states.c_str()),
                   static_cast<DWORD>(states.size() + 1));
    RegCloseKey(key);
}

const char* RootName(HKEY root)
{
    if (root == HKEY_USERS) return "HKU";
    if (root == HKEY_CURRENT_USER) return "HKCU";
    if (root == HKEY_LOCAL_MACHINE) return "HKLM";
    return "?";
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != 0)
        return false;
    RegCloseKey(key);
    return true;
}

BOOL DeleteKeyTree(const char* name, HKEY root, const char* path)
{
    if (!path || !*path) {
        Record(std::string(name) + "(" + RootName(root) + ",)=refused");
        return FALSE;
    }
    bool before = KeyExists(root, path);
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
    bool after = KeyExists(root, path);
    Record(std::string(name) + "(" + RootName(root) + "," + path + ")=" +
           (!before ? "absent" : after ? "kept" : "removed"));
    return before && !after;
}

BOOL AdjustPrivilege(HANDLE process, const char* privilege, bool enable)
{
    HANDLE token;
    if (!OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return FALSE;
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    BOOL ok = LookupPrivilegeValueA(nullptr, privilege, &tp.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr) && GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

void CopyBounded(char* to, size_t size, const char* from)
{
    if (!size) return;
    size_t n = strnlen(from, size - 1);
    memcpy(to, from, n);
    to[n] = '\0';
}

}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI LpGeCuAcNa(char* user, char* domain)
{
    DWORD size = 256;
    if (!GetUserNameA(user, &size)) user[0] = '\0';
    size = 256;
    if (!GetComputerNameA(domain, &size)) domain[0] = '\0';
    Record(std::string("LpGeCuAcNa()=") + user);
    return TRUE;
}

// Profile folder name of profile index; the next index, or 0 after the last.
__declspec(dllexport) int WINAPI LpGeLoUs(char* name, int size, int index)
{
    if (size > 0) name[0] = '\0';
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &list) != 0) {
        Record("LpGeLoUs(" + std::to_string(index) + ")=:0");
        return 0;
    }
    char sid[256];
    DWORD sidSize = sizeof(sid);
    if (index >= 0 && RegEnumKeyExA(list, index, sid, &sidSize, nullptr, nullptr, nullptr, nullptr) == 0) {
        char image[MAX_PATH] = "";
        DWORD imageSize = sizeof(image) - 1;
        HKEY profile;
        if (RegOpenKeyExA(list, sid, 0, KEY_READ, &profile) == 0) {
            if (RegQueryValueExA(profile, "ProfileImagePath", nullptr, nullptr, reinterpret_cast<BYTE*>(image),
                                 &imageSize) == 0) {
                image[imageSize < sizeof(image) ? imageSize : sizeof(image) - 1] = '\0';
                const char* slash = strrchr(image, '\\');
                CopyBounded(name, static_cast<size_t>(size > 0 ? size : 0), slash ? slash + 1 : image);
            }
            RegCloseKey(profile);
        }
    }
    sidSize = sizeof(sid);
    int next = RegEnumKeyExA(list, index + 1, sid, &sidSize, nullptr, nullptr, nullptr, nullptr) == 0 ? index + 1 : 0;
    RegCloseKey(list);
    Record("LpGeLoUs(" + std::to_string(index) + ")=" + name + ":" + std::to_string(next));
    return next;
}

}  // extern "C"

namespace {

BOOL ProfilesFolder(char* folder)
{
    char raw[MAX_PATH] = "";
    DWORD size = sizeof(raw) - 1;
    folder[0] = '\0';
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &list) != 0)
        return FALSE;
    LONG status = RegQueryValueExA(list, "ProfilesDirectory", nullptr, nullptr, reinterpret_cast<BYTE*>(raw), &size);
    RegCloseKey(list);
    if (status != 0)
        return FALSE;
    raw[size < sizeof(raw) ? size : sizeof(raw) - 1] = '\0';
    char expanded[MAX_PATH];
    DWORD n = ExpandEnvironmentStringsA(raw, expanded, sizeof(expanded));
    if (n == 0 || n > sizeof(expanded))
        return FALSE;
    size_t length = strlen(expanded);
    while (length > 0 && expanded[length - 1] == '\\')
        expanded[--length] = '\0';
    CopyBounded(folder, MAX_PATH, expanded);
    return TRUE;
}

}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI LpGeProDir(char* folder)
{
    BOOL ok = ProfilesFolder(folder);
    Record(std::string("LpGeProDir()=") + folder);
    return ok;
}

__declspec(dllexport) BOOL WINAPI LpSeAcTo(HANDLE process, const char* privilege)
{
    BOOL ok = AdjustPrivilege(process, privilege, true);
    Record(std::string("LpSeAcTo(") + privilege + ")=" + (ok ? "1" : "0"));
    return ok;
}

__declspec(dllexport) BOOL WINAPI LpReSeAcTo(HANDLE process, const char* privilege)
{
    BOOL ok = AdjustPrivilege(process, privilege, false);
    Record(std::string("LpReSeAcTo(") + privilege + ")=" + (ok ? "1" : "0"));
    return ok;
}

__declspec(dllexport) BOOL WINAPI LpReDeKe(HKEY root, const char* path)
{
    return DeleteKeyTree("LpReDeKe", root, path);
}

__declspec(dllexport) BOOL WINAPI LpReDeKe2(HKEY root, const char* path)
{
    return DeleteKeyTree("LpReDeKe2", root, path);
}

}  // extern "C"
