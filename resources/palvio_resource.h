// Resource and command ids of the traffic display.
#pragma once

// Menu "Palvio"
#define IDM_EXIT 101
#define IDM_REFRESH 102
#define IDM_ABOUT 103
#define IDM_PRINT 104
#define IDM_AUTOREFRESH 105

// Timers
#define IDT_AUTOREFRESH 1010

// Child windows
#define IDC_TRAFFIC_LIST 1000

// Commands of the shortcut keys alone (no menu item)
#define IDM_COPY_LIST 43002
#define IDM_COPY_ROW 43003
