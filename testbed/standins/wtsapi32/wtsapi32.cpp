// Stand-in for wtsapi32.dll, loaded through a native DLL override in a test's
// own prefix. Wine never switches sessions; this library lets a test do it:
//   HKCU\Software\TestBed\Wtsapi32\ConsoleSession (REG_DWORD)
// becomes the session that WTSGetActiveConsoleSessionId reports inside the
// process that loaded it. Wine answers that call from the process's PEB, so a
// watcher thread writes the value there whenever the test changes it.
// The registration calls are recorded in the same key:
//   Register, Unregister (counts), RegisterFlags (last flags), RegisterWindow.
#include <windows.h>
#include <winternl.h>

static const char kKey[] = "Software\\TestBed\\Wtsapi32";
// SessionId in the x64 PEB.
static const size_t kPebSessionIdOffset = 0x2C0;

static HKEY OpenRecordKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

static BOOL ReadDword(HKEY key, const char* name, DWORD* value)
{
    DWORD size = sizeof(*value);
    return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
           size == sizeof(*value);
}

static void WriteDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

static void Count(const char* name)
{
    HKEY key = OpenRecordKey();
    if (!key) return;
    DWORD count = 0;
    ReadDword(key, name, &count);
    WriteDword(key, name, count + 1);
    RegCloseKey(key);
}

static volatile ULONG* PebSessionId()
{
    PROCESS_BASIC_INFORMATION info;
    ULONG size = 0;
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), &size) != 0)
        return nullptr;
    return reinterpret_cast<volatile ULONG*>(reinterpret_cast<BYTE*>(info.PebBaseAddress) + kPebSessionIdOffset);
}

static DWORD WINAPI SessionWatcher(LPVOID)
{
    HKEY key = OpenRecordKey();
    HANDLE changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!key || !changed) return 0;
    for (;;) {
        RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
        DWORD session;
        volatile ULONG* target = PebSessionId();
        if (target && ReadDword(key, "ConsoleSession", &session)) *target = session;
        WaitForSingleObject(changed, INFINITE);
    }
}

extern "C" __declspec(dllexport) BOOL WINAPI WTSRegisterSessionNotification(HWND window, DWORD flags)
{
    Count("Register");
    HKEY key = OpenRecordKey();
    if (key) {
        WriteDword(key, "RegisterFlags", flags);
        WriteDword(key, "RegisterWindow", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)));
        RegCloseKey(key);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI WTSUnRegisterSessionNotification(HWND)
{
    Count("Unregister");
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // Keeps the library loaded while its watcher runs.
        HMODULE self;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&SessionWatcher), &self);
        HANDLE thread = CreateThread(nullptr, 0, SessionWatcher, nullptr, 0, nullptr);
        if (thread) CloseHandle(thread);
    }
    return TRUE;
}
