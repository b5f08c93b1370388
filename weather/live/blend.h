// The weather at the aircraft's position, blended from the stations near it. The rules live
// here once; the user guide repeats them as a table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "weather/live/station_index.h"
#include "weather/metar/metar_tables.h"

struct LiveSettings {
  double radiusNm = 60;      // 10 to 300
  int stations = 4;          // 1 to 8
  int fadeSeconds = 180;     // a station joining or leaving the blend
};

constexpr double kAloneNm = 2;           // a station this near is used alone
constexpr double kPrecipitationNm = 10;  // precipitation and thunderstorms reach this far

struct BlendEntry {
  std::string icao;
  int index = -1;          // into the index's stations
  double distanceNm = 0;
  double weight = 0;       // share of the blend, 0 to 1 (the fade included)
  double fade = 1;         // 0 to 1: joining or leaving
  bool cloudSource = false, weatherSource = false;
};

struct LiveWeather {
  bool usable = false;         // at least one usable station: the tables mean something
  std::vector<BlendEntry> entries;  // in the blend, nearest first
  std::vector<int> skipped;         // near but not used (old beyond 6 h, unreadable), by index
  MetarReport blended;         // the blended values as a report at the ground elevation below
  int groundElevationMetres = 0;
  MetarTables tables;          // tables 1 to 5 the blend fills (the others keep what is in force)
};

// Keeps each station's fade between blends: a station that joins or leaves moves its fade by
// elapsed / fadeSeconds at most.
class LiveBlender {
 public:
  // nowSeconds: a steady clock. The first blend (and the first after Reset) takes every
  // chosen station at full weight.
  void Blend(const StationIndex& index, double latitude, double longitude, double nowSeconds,
             const LiveSettings& settings, LiveWeather& out);
  void Reset();
  bool Fading() const;  // a station is still joining or leaving: blend again soon
 private:
  struct Fade {
    char icao[5];
    double fade;
    bool chosen;  // false while leaving
  };
  static constexpr int kMostFades = 16;  // the chosen and the strongest leaving
  Fade fades_[kMostFades] = {};
  int fadeCount_ = 0;
  std::vector<NearStation> near_;  // kept to spare an allocation per blend
  double lastSeconds_ = 0;
  double lastLatitude_ = 0, lastLongitude_ = 0;
  bool first_ = true;
};
