// Stand-in device installer (NEWDEV.DLL) for the installer's tests, put in a
// test's prefix as a native override of the system's library. Every call is
// recorded under HKLM\Software\TestBed\Newdev: Count, and for call i the
// values Id<i>, Inf<i>, Flags<i>, Parent<i> (class of the parent window),
// Reboot<i> (1 when a reboot flag pointer was passed) and Time<i> (QPC time in
// microseconds, comparable across processes). A call succeeds only for the id
// held in the value Succeed; every other call fails with ERROR_NO_SUCH_DEVINST.
// Each load of the library appends its own full path and a ';' to the value
// Loads, so a test sees which file a program loaded.
//
// Built a second time with NEWDEV_WITHOUT_A_EXPORT as newdev_noexport.dll: a
// device installer library that lacks UpdateDriverForPlugAndPlayDevicesA.
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>

#include "../load_record.h"

namespace {

const char kKey[] = "Software\\TestBed\\Newdev";

ULONGLONG NowUs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<ULONGLONG>(count.QuadPart / frequency.QuadPart * 1000000 +
                                  count.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

void SetString(HKEY key, const char* name, int index, const char* text)
{
    char value[32];
    snprintf(value, sizeof(value), "%s%d", name, index);
    RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text ? text : ""),
                   static_cast<DWORD>(strlen(text ? text : "") + 1));
}

void SetDword(HKEY key, const char* name, int index, DWORD data)
{
    char value[32];
    snprintf(value, sizeof(value), "%s%d", name, index);
    RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        RecordLoad(instance, kKey);
    return TRUE;
}

#ifndef NEWDEV_WITHOUT_A_EXPORT
extern "C" __declspec(dllexport) BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND parent, LPCSTR id,
                                                                               LPCSTR inf, DWORD flags,
                                                                               PBOOL reboot)
{
    ULONGLONG now = NowUs();
    HKEY key;
    BOOL succeed = FALSE;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        DWORD count = 0, size = sizeof(count);
        if (RegQueryValueExA(key, "Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size) != 0)
            count = 0;
        char parentClass[64] = "";
        if (parent)
            GetClassNameA(parent, parentClass, sizeof(parentClass));
        SetString(key, "Id", count, id);
        SetString(key, "Inf", count, inf);
        SetDword(key, "Flags", count, flags);
        SetString(key, "Parent", count, parentClass);
        SetDword(key, "Reboot", count, reboot ? 1 : 0);
        char value[32];
        snprintf(value, sizeof(value), "Time%lu", count);
        RegSetValueExA(key, value, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&now), sizeof(now));
        ++count;
        RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
        char wanted[128] = "";
        size = sizeof(wanted) - 1;
        if (RegQueryValueExA(key, "Succeed", nullptr, nullptr, reinterpret_cast<BYTE*>(wanted), &size) == 0) {
            wanted[size < sizeof(wanted) ? size : sizeof(wanted) - 1] = '\0';
            succeed = id && strcmp(id, wanted) == 0;
        }
        RegCloseKey(key);
    }
    if (!succeed)
        SetLastError(ERROR_NO_SUCH_DEVINST);
    return succeed;
}
#endif

extern "C" __declspec(dllexport) BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR, LPCWSTR, DWORD,
                                                                               PBOOL)
{
    SetLastError(ERROR_NO_SUCH_DEVINST);
    return FALSE;
}
