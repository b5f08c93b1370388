// Palvio's "&Print ..." command: the traffic list on paper, in its current order.
#pragma once

#include <windows.h>

struct TrafficPrintWindows {
  HWND mainWindow;
  HWND list;              // null until the list is made: nothing prints
  int (*sortColumn)();    // the column every refresh sorts by, 0 none
};

// release = true frees the printer settings (shut-down); false prints the list.
void PrintTraffic(bool release, const TrafficPrintWindows& windows);
