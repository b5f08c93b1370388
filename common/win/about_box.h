// The about box and the etched frame both programs draw in their boxes.
#pragma once

#include <windows.h>

// Draws the frame of control 106 (only that control, only a whole-item draw): the item filled
// with `background`, then a shadow and a highlight rectangle one pixel apart.
void DrawEtchedFrame(int itemId, const DRAWITEMSTRUCT* item, HBRUSH background);

// The modal dialog "AboutBox", captioned `caption`.
void RunAboutBox(HINSTANCE instance, HWND owner, const char* caption);
