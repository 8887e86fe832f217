// Resource ids of the resident program.
#pragma once

#define IDI_APP 101
#define IDC_BLANK 102
#define IDI_LEFT_BUTTON 103
#define IDI_RIGHT_BUTTON 104
#define IDD_FLOAT_BUTTON 105
#define IDC_FLOAT_ICON 1000
