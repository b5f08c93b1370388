// "Load &METAR ...": a report typed, pasted or picked from a file of reports, decoded group by
// group, then set in the simulator or shown in the panes. "Copy as &METAR": the panes' weather
// as one METAR-style line on the clipboard.
#pragma once

#include <windows.h>

void RunMetarDialog(HWND owner);
void CopyAsMetar(HWND owner);
