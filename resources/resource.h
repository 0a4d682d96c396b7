// Resource and command identifiers shared by the resource script and the program.
#pragma once

#define IDR_ACCEL 103
#define IDB_TUNNEL 104
#define IDI_MAIN 128

#define ID_FULLSCREEN 40001
#define ID_HOMEPAGE 40002
#define ID_EXIT 40003
#define ID_DONATE 40004
#define ID_FASTER 40005
#define ID_SLOWER 40006

// The screen saver's settings dialog.
#define IDD_SAVER_SETTINGS 110
#define IDC_SAVER_SPEED 1001
#define IDC_SAVER_PULSE 1002
#define IDC_SAVER_PICTURE 1003
#define IDC_SAVER_BUILT_IN 1004
#define IDC_SAVER_PICTURE_NAME 1005
#define IDC_SAVER_PICTURE_NOTE 1006
