// Program-wide state and routines of the calibration program. One thread: the
// window procedure, the key box and the drawing share these globals.
#pragma once
#include <windows.h>

#include "calib_layout.h"
#include "calib_record.h"
#include "calib_solver.h"
#include "touch_record.h"
#include "winutil.h"

// ---- Start-up and settings (main.cpp) ----------------------------------------
extern HINSTANCE g_hInstance;
extern BOOL g_bJapanese;
extern DWORD g_dwResolutionX, g_dwResolutionY, g_dwNComm;
extern BOOL g_bSecondDriverPresent;
extern DWORD g_dwOption;
extern DWORD g_dwSpinTop;
extern int g_nRotation;
extern int g_nGridCols, g_nGridRows;
extern int g_nGridX[5], g_nGridY[5];
extern BOOL g_bArgumentS;
extern int g_nWinX, g_nWinY, g_nWinWidth, g_nWinHeight;
extern HWND g_hMainWnd, g_hKeyBox;

void LoadCalibSettings();
// Point count of the record in force: from Option, 20 over 12 over 9.
int CurrentPointCount();
// Creates the key box from the dialog of the chosen language (hidden or not as the template says).
HWND CreateKeyBox();

// ---- Driver requests and touch capture (driver.cpp) ---------------------------------
extern WORD g_wDeviceKind;
extern BOOL g_bCalibSent;

BOOL ReadTouchRecord();
BOOL SendCalibRecord();
BOOL CommitCalibration();
BOOL DiscardCalibration();
BOOL CapturePoint(int screenIndex, HWND window);
// Raw values of the grid of this point count (9, 12 or 20 entries, by panel index).
WORD* RawX(int points);
WORD* RawY(int points);

// ---- Solver and record (record.cpp) ----------------------------------------------------
BOOL SolveCalibration(HWND window);
void BuildCalibRecord();
void SaveCalibRecord();
void ShowCalibError(HWND window, int code);
// Record buffer of this point count (its layout RecordBytes(points) long).
calib::CalibRecord* CalibRecordBuffer(int points);

// ---- Window and key box (window.cpp) -------------------------------------------------------
extern BOOL g_bTestMode;
extern int g_nPointIndex;
extern int g_nPointCount;
extern BOOL g_bButtonDown;
extern BOOL g_bHelpLineTop;
extern BOOL g_bKeyBoxClosed;
extern int g_nLineHeight;
extern HFONT g_hJapaneseFont;

LRESULT CALLBACK CalibWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK KeyBoxProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Drawing (draw.cpp) ---------------------------------------------------------------------
extern BOOL g_bCursorShown;
extern int g_nCursorHideCount;

enum { CURSOR_HIDE = 0, CURSOR_SHOW = 1, CURSOR_TOGGLE = 2 };
BOOL SetCursorVisibility(int mode);
void DrawCalibPrompt(HDC dc);
void DrawTargetCross(HDC dc, int index);
void MoveTarget(HDC dc, int index, int mode);
void DrawTestHelpLine(HDC dc, BOOL atTop);
void DrawTouchTrail(HDC dc, LPARAM point, int phase, BOOL atTop);
