// The Edit menu's commands and the shortcut keys of the main window.
#pragma once

#include <windows.h>

// The command a shortcut key runs: its own, "Load and set" or "Load and show" for Ctrl+O, or
// 0 when the command is greyed and the key does nothing.
UINT ShortcutCommand(UINT id);
// Commands 43000 to 43003.
void OnEditCommand(UINT id);
