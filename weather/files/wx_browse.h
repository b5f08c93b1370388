// Reading one entry of a .WX file, and stepping through the entries of a file on show: by
// PageUp and PageDown, or to the entry of one station.
#pragma once

#include <cstddef>
#include <cstdint>

#include "weather/files/file_commands.h"

struct WxCursor {
  uint64_t offset = 0;   // where the entry after the last one read begins
  int32_t passed = 0;    // entries before offset: the 1-based number of the last one read
  uint16_t station = 0;  // key of the last header read (WxStationKey)
};

struct WxBrowseState {
  WxCursor wxCursor;
  int32_t wxShownIndex = 0;  // 1-based entry on show in a browsable file; 0: no browsing
  bool wxShowing = false;    // the panes show a .WX entry (cleared when the simulator is read)
  uint64_t wxFirstEntryEnd = 0;
  int32_t shownStation = 0;  // stationIndex of the entry on show
};

enum class WxLoad {
  kSet,     // into the simulator
  kShow,    // into the snapshot
  kBrowse,  // step from the entry on show, then as kShow
};

// Ends browsing when another file is chosen (the caller greys "&Find airport in .WX ...").
void EndWxBrowsing(WxBrowseState& state);

// Reads one entry of the .WX file at path. The program's calls:
//   "&Load and set ..."           kSet,    -1, 0   first entry into the simulator
//   "L&oad and show"              kShow,   -1, 0   first entry into the snapshot
//   PageDown / PageUp             kBrowse, +1 / -1, 0
//   airport search for record k   kShow,    0, k   the entry of station k
// False only when the file cannot be opened or a read error stops it (after the error box;
// nothing is sent, shown or moved then). Stepping past the last
// entry changes nothing; a station without an entry beeps and leaves the entry on show. A
// show load ends with the busy flag cleared and RefreshShown; a set load too large for one
// batch sends nothing and shows an error.
bool LoadWxEntry(FileContext& context, WxBrowseState& state, const char* path, WxLoad mode,
                 int step, int station);

// The caption's texts while no simulator answers: ": Showing .WX at index=%d" with
// " [0x%04X]" for a station entry, and the airport text of the station from the airport file
// image (null when none is loaded). Both empty unless a browsable entry is on show.
void FormatWxCaptionTexts(const WxBrowseState& state, const uint8_t* airportTable,
                          size_t airportTableSize, char* browsing, size_t browsingSize,
                          char* airport, size_t airportSize);
