// The six weather panes: list views in report view, one per weather table 1 to 6.
#pragma once

#include <windows.h>

enum PaneAction { Select, Edit, Insert, Delete };

// Index of the pane last activated; -1 until the first activation.
extern int currentPane;

// Creates pane p in the parent's client area with its columns; false (after reporting the
// system's error) when the list cannot be made.
bool CreatePane(HWND parent, int pane);
void DestroyPanes();
// Moves every existing pane to its rectangle of the client area.
void LayoutPanes(int clientWidth, int clientHeight);
// Empties pane p and fills it from table p + 1 of the snapshot.
void RefillPane(int pane);
// Pane -1 means the current pane.
void ActivatePane(int pane, PaneAction action);
// The row under the mouse position of a button message (tested at x = 8), or -1.
int HitTestRow(HWND paneWindow, LPARAM position);
// The pane index of a window, or kPaneCount when it is none of them.
int PaneIndexOf(HWND window);
// The pane Tab (forward) or Shift+Tab moves to from pane p (0 to 4).
int NextPaneInCycle(int pane, bool backwards);
