// Stand-in for the hook library gralen.dll. It sets no hook: it records each
// call under HKCU\Software\TestBed\Gralen, where a test reads them:
//   SetHook, SetOptionData, UnSetHook  number of calls (REG_DWORD)
//   Option                             the last Option handed over (REG_DWORD)
//   Calls                              every call in order, "SetHook;Option=000800A4;UnSetHook;" (REG_SZ)
// A test makes a call fail by setting SetHookResult or SetOptionResult to 0.
//
// Tones. Wine's Beep returns at once, where a sound device plays the tone for
// its whole duration. With HoldTones set to 1, GRALEN_SetHook points the host
// program's import of kernel32's Beep at a tone of this library that lasts its
// duration (a Sleep) and records it:
//   ToneStarts, ToneEnds   tones begun and ended (REG_DWORD)
//   ToneFreq, ToneDuration the last tone's arguments (REG_DWORD)
// The library then stays loaded until the process ends, so that unloading it
// never pulls the code from under a tone being played.
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

static void CountUp(const char* name)
{
    HKEY key = OpenRecordKey();
    if (!key) return;
    WriteDword(key, name, ReadDword(key, name, 0) + 1);
    RegCloseKey(key);
}

static BOOL WINAPI HeldTone(DWORD freq, DWORD duration)
{
    HKEY key = OpenRecordKey();
    if (key) {
        WriteDword(key, "ToneFreq", freq);
        WriteDword(key, "ToneDuration", duration);
        WriteDword(key, "ToneStarts", ReadDword(key, "ToneStarts", 0) + 1);
        RegCloseKey(key);
    }
    Sleep(duration);
    CountUp("ToneEnds");
    return TRUE;
}

// Points the host's import slot of kernel32's Beep at HeldTone.
static void HoldTones()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&HeldTone), &self);
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return;
    for (IMAGE_IMPORT_DESCRIPTOR* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name; ++dll) {
        if (_stricmp(reinterpret_cast<const char*>(base + dll->Name), "kernel32.dll") != 0) continue;
        IMAGE_THUNK_DATA* names =
            reinterpret_cast<IMAGE_THUNK_DATA*>(base + (dll->OriginalFirstThunk ? dll->OriginalFirstThunk : dll->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), "Beep") != 0) continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&HeldTone);
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
        }
    }
}

extern "C" __declspec(dllexport) INT_PTR WINAPI GRALEN_SetHook()
{
    HKEY key = OpenRecordKey();
    if (key) {
        const DWORD hold = ReadDword(key, "HoldTones", 0);
        RegCloseKey(key);
        if (hold) HoldTones();
    }
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
