// Resource ids of the control panel applet.
#pragma once

#define IDI_APPLET 100
#define IDS_APPLET_NAME_EN 101
#define IDS_APPLET_INFO_EN 102
#define IDS_APPLET_NAME_JA 103
#define IDS_APPLET_INFO_JA 105
