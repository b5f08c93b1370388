// Palvio's traffic advisories on the Win32 side: the pilot's choices and their menu, the
// tracker fed at every refresh, and the alert (caption and sound). Off until switched on.
#pragma once

#include <windows.h>

#include "traffic/advisory/advisory.h"
#include "traffic/advisory_display.h"
#include "traffic/traffic_table.h"

// Reads Palvio.ini and sets the menu to match; at window creation.
void LoadAdvisoryChoices(HWND mainWindow);
const AdvisoryChoices& CurrentAdvisoryChoices();
inline bool AdvisoriesOn() { return CurrentAdvisoryChoices().on; }
// The "&Advisories" menu's commands; false for any other command.
bool OnAdvisoryCommand(HWND mainWindow, int command);

// After every successful fetch with slots, with the moment of its replies in seconds: the
// tracker follows the table (only while on).
void TrackTraffic(const TrafficTable& table, double fetchedAt);
// A refresh that brought no traffic: every track and alert ends (the caption back to normal).
void ForgetTrafficTracks(HWND mainWindow);
// After the rows are filled: the caption while a TA lasts, one sound per new advisory.
void ShowAdvisoryAlert(HWND mainWindow, const TrafficTable& table);
// A slot's class and approach; untracked while advisories are off.
const TargetAdvisory& TrafficTarget(int slot);
// The sort by threat (CompareThreat); 0 while advisories are off.
int CompareTrafficThreat(int slotA, int slotB);

// The AutoRefresh period: 1 s while advisories are on, else 2 s.
UINT AutoRefreshPeriodMs();
