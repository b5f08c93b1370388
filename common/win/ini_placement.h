// Window placements kept in a private-profile file ("[left,top,width,height]"), for both
// programs' settings files.
#pragma once

#include <windows.h>

#include "common/placement.h"

// True with the placement when the key holds one that fits the primary screen.
bool ReadIniPlacement(const char* file, const char* section, const char* key, Placement& out);
// Stores the window's outer rectangle under the key.
void WriteIniPlacement(HWND window, const char* file, const char* section, const char* key);
