// The weather-at-altitude dialog without its window: the altitude typed, the six reads and
// the texts of the display fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "weather/pane_format.h"

constexpr int kAltitudeField = 1000;
constexpr int kUnitLabel = 1001;
constexpr int kFirstAtAltitudeField = 1002;  // visibility
constexpr int kLastAtAltitudeField = 1024;   // precipitation base
constexpr int kAtAltitudeFieldCount = kLastAtAltitudeField - kFirstAtAltitudeField + 1;

constexpr int kMaxAltitudeMetres = 65000;
constexpr size_t kAltitudeTextChars = 14;  // read from the altitude field

// "feet" or "metres", for the unit label; the label reads as feet when it begins with "f".
const char* UnitLabelText(bool feet);
bool UnitLabelIsFeet(const char* label);

struct AltitudeEntry {
  uint16_t metres = 0;
  bool corrected = false;  // the altitude field is to show correction instead
  char correction[16] = {};
};

// The altitude typed (read like atoi, up to 14 characters), in metres: negatives become 0 and
// the field "0"; above 65000 m the field shows the limit, 65000 or 213255 in feet mode.
AltitudeEntry ReadAltitudeEntry(const char* text, bool feet);

// The ReadAtAltitude selector for table 1 to 6.
uint32_t AtAltitudeSelector(int table, uint16_t metres);

// The texts of fields 1002 to 1024 from the six 64-byte replies (index 0 = table 1). A reply
// whose "following" is negative has no layer at that altitude; visibility and pressure are
// shown regardless.
struct AtAltitudeTexts {
  CellText texts[kAtAltitudeFieldCount];
  const char* Text(int id) const { return texts[id - kFirstAtAltitudeField]; }
};
void FormatAtAltitude(const uint8_t* const replies[6], AtAltitudeTexts& out);
