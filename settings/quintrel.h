// The settings program's application object.
#pragma once
#include "framework.h"

class CQuintrelApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;
};

extern CQuintrelApp theApp;

// The single-instance mutex that this instance created; released at exit.
extern HANDLE g_hMutex;

// Start-up reads of the three keys into the globals (second driver's key,
// driver's key, per-user key), in that order.
void ReadSettings();
