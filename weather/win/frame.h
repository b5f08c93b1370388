// The main window: class, window procedure, menus and caption.
#pragma once

#include <windows.h>

bool RegisterFrameClass(HINSTANCE instance);
HWND CreateFrame(HINSTANCE instance);

// Items of the main window's menu bar, by command id.
void MenuSetGrayed(UINT id, bool grayed);
void MenuSetChecked(UINT id, bool checked);

// Puts a transition's progress (or its end) behind the caption's status text.
void ShowTransitionCaption();
