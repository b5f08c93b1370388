// "GETATDLG": the weather the simulator applies at an altitude the user types.
#pragma once

#include <windows.h>

// Modal to `owner`; the unit label says "feet" when `feet`, else "metres".
void RunAtAltitudeDialog(HWND owner, bool feet);
