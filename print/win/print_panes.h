// Ventrel's "&Print ..." command: the six weather panes on paper.
#pragma once

#include <windows.h>

constexpr WPARAM kPrintCommand = 104;

// Set for the whole of PrintPanes: refreshes and the airport search leave the panes alone.
extern bool printInProgress;

struct PanePrintWindows {
  HWND mainWindow;         // owner of every box; its caption heads every page
  const HWND* panes;       // the six pane list views, by pane index
  bool* printingFlag;      // the program's own printing flag, kept equal to printInProgress
  void (*onBoxDestroyed)();  // re-activates the current pane
};

// release = true frees the printer settings (shut-down); false prints the panes.
void PrintPanes(bool release, const PanePrintWindows& windows);
// Command 104: while the program is busy the command is posted again, so printing starts once
// the window is free; nothing happens before the panes exist.
void PrintPanesCommand(bool busy, const PanePrintWindows& windows);
