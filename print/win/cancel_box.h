// The modeless "Cancel Printing" box and the abort procedure that keeps the program alive
// while the printing system spools.
#pragma once

#include <windows.h>

// Set by the box's Cancel; cleared when a job starts.
extern bool printCancelled;

// Opens "PrintDlgBox" owned by `owner`, captioned `caption`; `onDestroyed` (may be null) runs
// when the box goes. Null when the box could not be made.
HWND OpenCancelBox(HWND owner, const char* caption, void (*onDestroyed)());
// Null while no box is open.
HWND CancelBox();
void DestroyCancelBox();

INT_PTR CALLBACK CancelPrintProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CALLBACK PrintAbortProc(HDC dc, int code);
