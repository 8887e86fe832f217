// Resource ids of the calibration program.
#pragma once

#define IDD_KEYBOX_ENGLISH 104
#define IDD_KEYBOX_JAPANESE 105

#define IDC_KEYBOX_UPDATE 1
#define IDC_KEYBOX_CALIB_SCREEN 1004
#define IDC_KEYBOX_CURSOR 1005
#define IDC_KEYBOX_CLEAR 1006
