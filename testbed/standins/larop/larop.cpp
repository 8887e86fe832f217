// Stand-in account library LAROP.dll for the uninstaller's tests: users and
// their profile folder come from the system's profile list, privileges from
// the process token, and key removal takes subkeys and values along.
//
// Every call is recorded under HKLM\Software\TestBed\Larop: the value Calls
// holds them in order, each as "Name(args)=outcome;", for example
// "LpGeLoUs(0)=root:1;" or "LpReDeKe(HKU,other\Software\Tarsido\USB)=removed;"
// (removed: the key was there and is gone; absent: it was not there; kept: it
// is still there).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kKey[] = "Software\\TestBed\\Larop";
const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

void Record(const std::string& call)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return;
    std::string calls;
    DWORD size = 0;
    if (RegQueryValueExA(key, "Calls", nullptr, nullptr, nullptr, &size) == 0 && size > 0) {
        calls.resize(size);
        if (RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls[0]), &size) == 0)
            calls.resize(strnlen(calls.c_str(), size));
        else
            calls.clear();
    }
    calls += call + ";";
    RegSetValueExA(key, "Calls", 0, REG_SZ, reinterpret_cast<const BYTE*>(calls.c_str()),
                   static_cast<DWORD>(calls.size() + 1));
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

__declspec(dllexport) BOOL WINAPI LpGeProDir(char* folder)
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
