// Program-wide state of the settings program: the settings as the pages edit
// them, the monitor layout values and the flags that every page reads and
// changes. One thread touches them. Start-up fills them from the registry,
// ApplySettings stores them.
#pragma once
#include <windows.h>

#include "winutil.h"
#include "wexant.h"

// The settings record as the pages edit it.
extern DWORD Option;
extern DWORD Freq;
extern DWORD Duration;
extern DWORD StdFreq;
extern DWORD StdDuration;
// Committed double-click area, as read at start (the click page restores it on Cancel).
extern DWORD DHeight;
extern DWORD DWidth;
// Working double-click area that the click page's sliders move; stored as DHeight, DWidth.
extern DWORD g_dwDHeightWork;
extern DWORD g_dwDWidthWork;
// Committed and working double-click speed (1000 minus the double-click time in ms).
extern DWORD g_nDblClkSpeed;
extern DWORD g_nDblClkSpeedWork;

// Monitor layout values.
extern DWORD ResolutionX;
extern DWORD ResolutionY;
extern DWORD nComm;
// Arrangement type of monitor 2 (0-7), written into nComm bits 4-7 on Apply.
extern DWORD g_nArrangementType;

// The driver's Version text (always NUL-terminated) and DisSet value.
extern char g_szVersion[wexant::kVersionBufferSize];
extern DWORD g_dwDisSet;

// The second panel driver's key opened at start: the two-monitor pages are shown.
extern BOOL g_bSecondDriverPresent;
// A page changed a setting since the last Apply.
extern BOOL g_bSettingsPending;
// A point-count choice was clicked since the last Apply.
extern BOOL g_bCalibrationChanged;
// A dual-monitor setting was changed in this run; nothing clears it.
extern BOOL g_bDualMonitorChanged;

// Inputs of the two dual-monitor requests; they keep their bytes from one Apply to the next.
extern BYTE CommRequest[2];
extern BYTE ResolutionRequest[2];

// Stores the settings: registry, the resident program, and the driver on
// Vista and later. Called by the first page whose OnApply sees the pending flag.
void ApplySettings();
