// Tavrick, the resident program: one per logon session. State shared between
// the window thread and the worker threads is atomic; everything else is
// owned by the window thread.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <atomic>

#include "resource.h"
#include "resident_rules.h"
#include "winutil.h"

// ---- Private window messages ----------------------------------------------------
#define WM_TRAYNOTIFY (WM_USER + 0x100)   // 0x500: lParam WM_LBUTTONUP / WM_RBUTTONUP
#define WM_RESIDENT_INIT 0x504             // load the settings and (re)initialise
#define WM_FLOAT_SECONDARY 0x501           // floating window: show icon 104
#define WM_FLOAT_PRIMARY 0x502             // floating window: show icon 103
#define WM_FLOAT_RESTOREPOS 0x503          // move to the stored position, topmost, show
#define WM_FLOAT_RESETPOS 0x506            // store the position 0, 0

// ---- Main window and start-up (main.cpp) ------------------------------------------
extern HWND MainWindow;
extern HINSTANCE Instance;
extern DWORD RunOnce;
extern std::atomic<DWORD> OwnSessionId;
typedef DWORD(WINAPI* ConsoleSessionFn)();
extern std::atomic<ConsoleSessionFn> ConsoleSessionFunction;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Settings (settings.cpp) ---------------------------------------------------------
extern std::atomic<DWORD> Option;
extern std::atomic<DWORD> Freq;
extern std::atomic<DWORD> Duration;
extern std::atomic<DWORD> ButtonsSwapped;

void LoadSettings();
void ApplyCursorOption();
void SyncButtonSwap();
// One request on the driver's device, without output; FALSE when the device is absent or the request fails.
BOOL SendDriverCode(DWORD code, const void* in = nullptr, DWORD inSize = 0);

// ---- Worker threads (threads.cpp) ------------------------------------------------------
extern std::atomic<DWORD> ConsoleActive;

void StartWorkerThreads(HWND window);
void StopWorkerThreads();
void StartSessionWatch(HWND window);
void StopSessionWatch();

// ---- Tray icon and floating window (tray.cpp) ----------------------------------------
extern HWND FloatWindow;
extern char TrayTip[50];
extern NOTIFYICONDATAA TrayIconData;

void ApplyOptions();
// Removes the floating window, when it is shown, together with the icon it shows.
void DestroyFloatWindow();
BOOL TrayIconCommand(HWND window, DWORD command, UINT id, HICON icon, const char* tip);
INT_PTR CALLBACK FloatButtonDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HICON LoadButtonIcon(int id, int size);
