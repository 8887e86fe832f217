// Stand-in for the hook library gralen.dll. It sets no hook: it records each
// call under HKCU\Software\TestBed\Gralen, where a test reads them:
//   SetHook, SetOptionData, UnSetHook  number of calls (REG_DWORD)
//   Option                             the last Option handed over (REG_DWORD)
//   Calls                              every call in order, "SetHook;Option=000800A4;UnSetHook;" (REG_SZ)
// A test makes a call fail by setting SetHookResult or SetOptionResult to 0.
#include <windows.h>

#include <stdio.h>
#include <string.h>

static const char kKey[] = "Software\\TestBed\\Gralen";

static HKEY OpenRecordKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

static DWORD ReadDword(HKEY key, const char* name, DWORD fallback)
{
    DWORD value = 0, size = sizeof(value);
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        size != sizeof(value))
        return fallback;
    return value;
}

static void WriteDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// Counts the call, appends it to the call list and returns the configured result.
static DWORD Record(const char* name, const char* entry, const char* resultName)
{
    HKEY key = OpenRecordKey();
    if (!key) return 1;
    WriteDword(key, name, ReadDword(key, name, 0) + 1);
    char calls[4096] = "";
    DWORD size = sizeof(calls) - 64;
    if (RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(calls), &size) != ERROR_SUCCESS)
        calls[0] = '\0';
    calls[sizeof(calls) - 65] = '\0';
    strcat(calls, entry);
    strcat(calls, ";");
    RegSetValueExA(key, "Calls", 0, REG_SZ, reinterpret_cast<const BYTE*>(calls), static_cast<DWORD>(strlen(calls) + 1));
    DWORD result = resultName ? ReadDword(key, resultName, 1) : 1;
    RegCloseKey(key);
    return result;
}

extern "C" __declspec(dllexport) INT_PTR WINAPI GRALEN_SetHook()
{
    return Record("SetHook", "SetHook", "SetHookResult");
}

extern "C" __declspec(dllexport) INT_PTR WINAPI GRALEN_SetOptionData(DWORD option)
{
    char entry[32];
    snprintf(entry, sizeof(entry), "Option=%08lX", static_cast<unsigned long>(option));
    HKEY key = OpenRecordKey();
    if (key) {
        WriteDword(key, "Option", option);
        RegCloseKey(key);
    }
    return Record("SetOptionData", entry, "SetOptionResult");
}

extern "C" __declspec(dllexport) void WINAPI GRALEN_UnSetHook()
{
    Record("UnSetHook", "UnSetHook", nullptr);
}
