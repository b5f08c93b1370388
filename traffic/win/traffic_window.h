// The main window of the traffic display: links to the simulator while it is created, and
// dispatches the menu, the timer, sizing and the list's notifications.
#pragma once

#include <windows.h>

constexpr const char* kPalvioClass = "Palvio";

bool RegisterTrafficWindowClass(HINSTANCE instance);
// Null when the window could not be made, the simulator or the link missing included.
HWND CreateTrafficWindow(HINSTANCE instance);
// The AutoRefresh timer again at the present period, when it runs.
void RestartAutoRefresh(HWND window);
