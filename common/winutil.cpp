#include "winutil.h"

#include <string.h>

BOOL g_bWinVista = FALSE;
BOOL g_bWinXP = FALSE;

static HANDLE g_hInstanceMutex = nullptr;

BOOL IsJapanese()
{
    return GetACP() == 932;
}

void DetectWindowsGeneration()
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return;
#pragma GCC diagnostic pop
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return;
    if (info.dwMajorVersion >= 6) g_bWinVista = TRUE;
    if (info.dwMajorVersion == 5 && info.dwMinorVersion != 0) g_bWinXP = TRUE;
}

// Appends the literal to the directory GetSystemDirectoryA or GetWindowsDirectoryA
// left in the buffer, bounded by the buffer. The secure string calls are not in
// the C runtime of every Windows that the programs meet, so the bound is checked
// here.
static BOOL AppendToDirectory(char* buffer, UINT length, const char* literal)
{
    size_t add = strlen(literal);
    if (length == 0 || length >= wexant::kPathBufferSize ||
        add >= wexant::kPathBufferSize - length) {
        buffer[0] = '\0';
        return FALSE;
    }
    memcpy(buffer + length, literal, add + 1);
    return TRUE;
}

BOOL MakeSystemPath(char* buffer, const char* literal)
{
    buffer[0] = '\0';
    UINT length = GetSystemDirectoryA(buffer, wexant::kPathBufferSize);
    return AppendToDirectory(buffer, length, literal);
}

BOOL MakeWindowsPath(char* buffer, const char* literal)
{
    buffer[0] = '\0';
    UINT length = GetWindowsDirectoryA(buffer, wexant::kPathBufferSize);
    return AppendToDirectory(buffer, length, literal);
}

HANDLE OpenDriverDevice()
{
    return CreateFileA(wexant::kDriverDevicePath, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

BOOL DriverRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                   DWORD* returned)
{
    HANDLE device = OpenDriverDevice();
    if (device == INVALID_HANDLE_VALUE) return FALSE;
    DWORD bytes = 0;
    BOOL ok = DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize, &bytes,
                              nullptr);
    CloseHandle(device);
    if (returned) *returned = bytes;
    return ok;
}

BOOL AcquireSingleInstance(const char* name, HANDLE* kept)
{
    HANDLE existing = OpenMutexA(wexant::kMutexAllAccess, FALSE, name);
    if (existing) {
        CloseHandle(existing);
        return FALSE;
    }
    // Two starts a moment apart (a double click) can both miss the mutex
    // above; only one of them creates it, the other is told it already exists.
    HANDLE created = CreateMutexA(nullptr, FALSE, name);
    DWORD error = GetLastError();
    if (created && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        return FALSE;
    }
    // A mutex of that name that this process may not open (another user's
    // instance) also means another instance runs.
    if (!created && error == ERROR_ACCESS_DENIED) return FALSE;
    g_hInstanceMutex = created;
    if (kept) *kept = created;
    return TRUE;
}

void ReleaseSingleInstance()
{
    // Release only: the handle stays open, so the mutex lives as long as the
    // process. Tavrick stays idle after its teardown at the end of a session,
    // and no second instance may start beside it meanwhile.
    if (g_hInstanceMutex) ReleaseMutex(g_hInstanceMutex);
}

BOOL RegReadDword(HKEY key, const char* name, DWORD* value)
{
    // Read into a scratch word: a longer value may leave the buffer undefined,
    // a shorter one would overwrite only part of the default.
    DWORD stored = 0, type = 0, size = sizeof(stored);
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size);
    if (!wexant::DwordReadTakes(status, size)) return FALSE;
    *value = stored;
    return TRUE;
}

BOOL RegWriteDword(HKEY key, const char* name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}
