// The File menu's weather files, the start-up file, .WX browsing by PageUp and PageDown and
// the caption's browsing texts: the Win32 side of weather/files.
#pragma once

#include <windows.h>

#include <cstddef>

#include "weather/files/file_kind.h"
#include "weather/files/wx_browse.h"

// The weather file chosen last; every load, save and airport search works on it.
extern char weatherFilePath[kWeatherPathSize];
extern WxBrowseState wxBrowse;

// With givenPath (the command line) that path is taken without a dialog; otherwise the open
// or save dialog asks. 1 for a data file, -1 for a .WX file, 0 when nothing was chosen. Ends
// .WX browsing whatever the outcome, and remembers the path chosen under "VTDpath".
int ChooseWeatherFile(bool forSave, const char* givenPath);

// "&Save as ...", "&Load and set ..." and "L&oad and show".
void OnFileCommand(int id);
// The pending start-up file, at the first tick; closes the program when it cannot be opened.
void LoadStartupFile(int kind);
// PageDown and PageUp while a browsable .WX entry is on show; false for every other key and
// when no entry is on show, and the key then takes its usual way.
bool BrowseWxKey(WORD key);
// The entry of airport record k, for the airport search; false when the file cannot be opened.
bool ShowWxStation(int station);

// The caption while no simulator answers, with the browsing and airport texts.
void WxUnreachableCaption(char* out, size_t size);
// The panes show the simulator again.
void EndWxShow();

// The file commands' context (file system, batch, reactions), for loads that come from
// elsewhere than a weather file.
struct FileContext;
FileContext& WeatherFileContext();
