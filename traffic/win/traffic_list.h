// The traffic list: one list-view row per slot, made at the first refresh that finds slots,
// rewritten and re-sorted at every refresh.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "traffic/traffic_table.h"

// One refresh: fetch, make the rows if they are not made yet, rewrite them, re-sort, repaint.
// Does nothing while an earlier refresh is still running (its error box pumps the timer).
void RefreshTraffic(HWND mainWindow);
// A click on a column heading: sort by that column now and at every later refresh; the
// "Slot" column sorts once and then leaves the order alone.
void SortTrafficByColumn(int column);
// Advisories switched on or off: the class columns come or go after the specified ones, and a
// sort by threat falls back to distance.
void TrafficAdvisoriesSwitched(bool on);
// The list's NM_CUSTOMDRAW: TA and resolution-level rows coloured while advisories are on.
LRESULT TrafficListCustomDraw(const NMLVCUSTOMDRAW* draw);
// Gives the list the main window's client area.
void ResizeTrafficList(int width, int height);
void DestroyTrafficList();

// Null until the list is made.
HWND TrafficList();
// The column every refresh re-sorts by; 0: none.
int TrafficSortColumn();
// The replies of the last successful fetch, as the rows show them.
const TrafficTable& ShownTrafficTable();
