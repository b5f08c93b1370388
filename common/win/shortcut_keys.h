// Shortcut keys: the program's accelerator table, translated for its main window only, so that
// dialogs and other top-level windows keep their own key handling.
#pragma once

#include <windows.h>

// True when the message was a shortcut key of a window inside mainWindow and has been sent to
// mainWindow as WM_COMMAND (high word 1); the message loop then dispatches nothing else.
bool TranslateShortcutKey(HWND mainWindow, HACCEL keys, MSG* message);
// True when the main window's menu has the command and shows it greyed or disabled.
bool MenuCommandGrayed(HWND mainWindow, UINT id);
