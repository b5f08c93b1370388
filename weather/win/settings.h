// "Ventrel.ini", section "Settings", read and written through the private-profile functions at
// the moment a value is needed; nothing is cached.
#pragma once

#include <windows.h>

#include "common/placement.h"

constexpr const char kSettingsFile[] = "Ventrel.ini";
constexpr const char kSettingsSection[] = "Settings";

// True with the placement when the key holds one that fits the primary screen.
bool ReadPlacement(const char* key, Placement& out);
// Stores the window's outer rectangle under the key.
void WritePlacement(HWND window, const char* key);
// Moves and sizes the window to a valid stored placement, on top, shown; false when none.
bool RestorePlacement(HWND window, const char* key);
