// The "Live weather" window: a modeless dialog owned by the main window where the pilot
// chooses the report file and switches following on and off, and sees what it does.
#pragma once

#include <windows.h>

// Opens the window, or brings it to the front when it is open.
void OpenLiveWindow(HWND mainWindow);
// Shows the window without taking the focus (following stopped: the pilot sees why).
void ShowLiveWindowQuietly();
// Something the window shows changed: repaint what differs, if open.
void LiveWindowChanged();
// Stores the placement and closes the window; nothing when it is not open.
void CloseLiveWindow();
HWND LiveWindow();
