// A library planted under the name of one that a program loads (installed as
// planted.dll, copied by a test to the name and folder it plants it as). Its
// start-up code, which runs as soon as anything loads it, appends its own
// full path and a ';' to the value Loads under HKLM\Software\TestBed\Planted;
// it exports nothing, so a program that checks its exports afterwards has
// already run it.
#include <windows.h>

namespace {

void RecordLoad(HINSTANCE instance)
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(instance, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\TestBed\\Planted", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    char loads[4096] = "";
    DWORD size = sizeof(loads) - 1;
    if (RegQueryValueExA(key, "Loads", nullptr, nullptr, reinterpret_cast<BYTE*>(loads), &size) != ERROR_SUCCESS)
        size = 0;
    loads[size < sizeof(loads) ? size : sizeof(loads) - 1] = '\0';
    if (lstrlenA(loads) + lstrlenA(path) + 2 < static_cast<int>(sizeof(loads))) {
        lstrcatA(loads, path);
        lstrcatA(loads, ";");
        RegSetValueExA(key, "Loads", 0, REG_SZ, reinterpret_cast<const BYTE*>(loads), lstrlenA(loads) + 1);
    }
    RegCloseKey(key);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        RecordLoad(instance);
    return TRUE;
}
