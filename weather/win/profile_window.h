// The weather profile: a modeless, resizable window owned by the main window that draws the
// weather column the panes show, repainted whenever a pane is refilled.
#pragma once

#include <windows.h>

// Opens the window at its stored placement, or brings it to the front when it is open.
void OpenProfileWindow(HWND mainWindow);
// A table changed (a refresh or a show load refilled its pane): repaint if open.
void ProfileTablesChanged();
// Stores the placement and closes the window; nothing when it is not open.
void CloseProfileWindow();
HWND ProfileWindow();
