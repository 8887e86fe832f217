// Shared by the stand-in libraries that tell a test which file was loaded:
// each load appends the library's own full path and a ';' to the value Loads
// under a key of HKEY_LOCAL_MACHINE.
#pragma once
#include <windows.h>

#include <cstring>

inline void RecordLoad(HINSTANCE instance, const char* keyPath)
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(instance, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    char loads[4096] = "";
    DWORD size = sizeof(loads) - 1;
    if (RegQueryValueExA(key, "Loads", nullptr, nullptr, reinterpret_cast<BYTE*>(loads), &size) != 0)
        size = 0;
    loads[size < sizeof(loads) ? size : sizeof(loads) - 1] = '\0';
    if (strlen(loads) + length + 2 < sizeof(loads)) {
        strcat(loads, path);
        strcat(loads, ";");
        RegSetValueExA(key, "Loads", 0, REG_SZ, reinterpret_cast<const BYTE*>(loads),
                       static_cast<DWORD>(strlen(loads) + 1));
    }
    RegCloseKey(key);
}
