// The traffic scope: a modeless, resizable window owned by the main window that draws the
// slots of the last refresh around the user's aircraft, with the list's selection.
#pragma once

#include <windows.h>

// Opens the window where it was last closed (kept in Palvio.ini), or brings it to the front
// when it is open.
void OpenScopeWindow(HWND mainWindow);
// A refresh, or a change of the list's selection: repaint if open.
void ScopeTrafficChanged();
void CloseScopeWindow();
HWND ScopeWindow();
