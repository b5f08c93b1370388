// What Palvio shows of the traffic advisories, platform-free: the pilot's choices as the
// settings file keeps them, the scope's altitude filters, the list's extra cells and the
// caption of an alert.
#pragma once

#include <cstddef>

#include "traffic/advisory/advisory.h"

// The scope's altitude bands while advisories are on, relative to the own altitude (ft).
enum AltitudeFilter : int { kFilterNorm = 0, kFilterAbove, kFilterBelow, kFilterAll };
constexpr int kFilterCount = 4;

// "NORM", "ABOVE", "BELOW", "ALL".
const char* FilterName(AltitudeFilter filter);
// The name, in any case, or a digit 0-3; anything else gives NORM.
AltitudeFilter ParseFilter(const char* text);
// Inside the band: NORM -2,700 to +2,700 ft, ABOVE -2,700 to +9,000, BELOW -9,000 to +2,700,
// ALL everything. A TA or resolution-level target is always shown.
bool FilterShows(AltitudeFilter filter, double relativeFeet, ThreatLevel level);

// The pilot's choices, kept in "Palvio.ini"; a missing or unreadable file gives these.
struct AdvisoryChoices {
  bool on = false;
  AltitudeFilter filter = kFilterNorm;
  bool mute = false;
};

// A setting's value as the file holds it: "1" on, anything else off.
bool ParseSwitch(const char* text);

// The list's columns after the twelve of the traffic table: class, closest approach, time.
constexpr int kAdvisoryColumns = 3;
constexpr int kAdvisoryFirstColumn = 13;
struct AdvisoryCells {
  char cell[kAdvisoryColumns][16];
};
// "TA", "0.4 nm", "41 s"; an untracked slot gets empty cells, a target not closing gives the
// class and empty approach cells.
void FormatAdvisoryCells(const TargetAdvisory& target, AdvisoryCells& out);

// The caption while a TA lasts: "TRAFFIC 045 +02", the magnetic bearing as the list shows it
// and the height difference in hundreds of feet, "00" within 100 ft.
void FormatTrafficAlert(double magneticBearing, double heightDiffHundreds, char* out, size_t size);
// "+05", "-12", and "00" for less than 100 ft either way: the scope's and the caption's tag.
void FormatRelativeAltitude(double heightDiffHundreds, char* out, size_t size);
