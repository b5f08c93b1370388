// Ctrl+C in a list: its column titles and rows, as shown, to the clipboard as plain text.
#pragma once

#include <windows.h>

// Copies the titles line and rows [0, rowCount) of the report-view list; rowCount -1 means
// every row. False (the clipboard left as it was) when the clipboard or its memory cannot be
// had.
bool CopyListRows(HWND owner, HWND list, int rowCount);
// Copies the one row alone, without the titles line.
bool CopyListRow(HWND owner, HWND list, int row);
// The selected row, or -1.
int ListSelectedRow(HWND list);
