// Resource ids of the installer and the uninstaller.
#pragma once

#define IDI_SETUP 104          // the installer's program icon
#define IDI_SETUP_QUESTION 108       // shown in the installer's question box
#define IDI_BRANDOKE 104       // the uninstaller's program icon (a program of its own)

#define IDD_PROGRESS_JA 110
#define IDD_PROGRESS_EN 111
#define IDD_CONFIRM_JA 118
#define IDD_CONFIRM_EN 119

#define IDC_CONFIRM_YES 1017
#define IDC_CONFIRM_NO 1018
