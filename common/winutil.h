// The Windows side of the shared definitions: language and generation checks,
// system-directory paths, the driver device and the single-instance mutex.
#pragma once
#include <windows.h>
#include "wexant.h"

// Set by DetectWindowsGeneration: NT 6 and later, and NT 5.1/5.2.
extern BOOL g_bWinVista;
extern BOOL g_bWinXP;

// True when the ANSI code page is 932: texts come from the Japanese set.
BOOL IsJapanese();

// Reads the version once (GetVersionExA) and sets g_bWinVista / g_bWinXP.
void DetectWindowsGeneration();

// GetSystemDirectoryA + literal (which begins with a backslash) into a
// 260-byte buffer. Returns FALSE (buffer empty) when the result does not fit.
BOOL MakeSystemPath(char* buffer, const char* literal);
// GetWindowsDirectoryA + literal, the same way.
BOOL MakeWindowsPath(char* buffer, const char* literal);

// "\\.\WEXANT" opened for one request; INVALID_HANDLE_VALUE when the driver is absent.
HANDLE OpenDriverDevice();

// Opens the device, issues one synchronous request and closes it again.
// Returns FALSE when the device does not open or the request fails.
BOOL DriverRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                   DWORD* returned = nullptr);

// Single-instance rule (SINGLE_INSTANCE_MUTEX): FALSE when another instance
// holds the named mutex; else the mutex is created, its handle kept for the
// program's life (and handed to *kept when asked for).
BOOL AcquireSingleInstance(const char* name, HANDLE* kept = nullptr);
// ReleaseMutex on the kept handle; the handle stays open until the process ends.
void ReleaseSingleInstance();

// REG_DWORD read rule: *value changes only when the stored value is exactly 4 bytes.
BOOL RegReadDword(HKEY key, const char* name, DWORD* value);
// REG_DWORD write with size 4.
BOOL RegWriteDword(HKEY key, const char* name, DWORD value);
