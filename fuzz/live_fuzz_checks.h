// The live weather's station index and blend over any bytes: a station list (also read as an
// airport position file), a file of reports fed in two pieces, a position.
#pragma once

#include <cmath>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "weather/live/blend.h"
#include "weather/live/station_index.h"
#include "weather/metar/metar_file.h"

namespace live_fuzz {

inline bool SameStations(const StationIndex& a, const StationIndex& b) {
  if (a.Stations().size() != b.Stations().size() || a.ReportCount() != b.ReportCount() ||
      a.UnplacedReports() != b.UnplacedReports())
    return false;
  for (size_t i = 0; i < a.Stations().size(); ++i)
    if (a.Stations()[i].report != b.Stations()[i].report) return false;
  return true;
}

// Input: cut (2 bytes), list length (2), latitude and longitude bytes (2 + 2), radius (1), then
// the list, then the report file.
inline void CheckLive(const uint8_t* data, size_t size) {
  core_fuzz::ByteStream in(data, size);
  const size_t cutWanted = size_t(in.Byte()) | size_t(in.Byte()) << 8;
  const size_t listWanted = size_t(in.Byte()) | size_t(in.Byte()) << 8;
  const double lat = (int(in.Byte()) | int(in.Byte()) << 8) / 65535.0 * 190 - 95;
  const double lon = (int(in.Byte()) | int(in.Byte()) << 8) / 65535.0 * 400 - 200;
  const double radius = in.Byte() * 1.5;
  const size_t head = 9;
  const size_t rest = size > head ? size - head : 0;
  const size_t listSize = listWanted < rest ? listWanted : rest;
  std::vector<char> list(data + (size - rest), data + (size - rest) + listSize);
  std::vector<char> file(data + (size - rest) + listSize, data + size);

  StationPlaces places;
  places.AddStationList(list.data(), list.size());
  places.AddAirportTable(reinterpret_cast<const uint8_t*>(list.data()), list.size());
  const UtcClock now{2026, 12, 8, 13, 0};
  StationIndex whole, pieces;
  whole.Build(file.data(), file.size(), places, now);
  const size_t cut = file.empty() ? 0 : cutWanted % (file.size() + 1);
  pieces.Begin(places, now);
  pieces.Feed(file.data(), cut);
  pieces.Feed(file.data() + cut, file.size() - cut);
  pieces.Finish(true);
  FUZZ_REQUIRE(SameStations(whole, pieces));
  for (const LiveStation& s : whole.Stations()) {
    FUZZ_REQUIRE(s.report.size() <= kLongestReport);
    FUZZ_REQUIRE(s.place.latitude >= -90 && s.place.latitude <= 90);
    FUZZ_REQUIRE(s.place.longitude >= -180 && s.place.longitude <= 180);
  }

  std::vector<NearStation> near;
  whole.Near(lat, lon, radius, 5, near);
  FUZZ_REQUIRE(near.size() <= 5);
  for (size_t i = 0; i < near.size(); ++i) {
    FUZZ_REQUIRE(near[i].index >= 0 && size_t(near[i].index) < whole.Stations().size());
    FUZZ_REQUIRE(near[i].distanceNm <= radius);
    FUZZ_REQUIRE(i == 0 || near[i - 1].distanceNm <= near[i].distanceNm);
  }

  LiveBlender blender;
  LiveSettings settings;
  settings.radiusNm = radius;
  LiveWeather w;
  for (int k = 0; k < 2; ++k) {
    blender.Blend(k ? pieces : whole, lat, lon + k * 0.1, k * 30.0, settings, w);
    if (!w.usable) {
      for (bool filled : w.tables.filled) FUZZ_REQUIRE(!filled);
      continue;
    }
    FUZZ_REQUIRE(!w.entries.empty());
    double sum = 0;
    for (const BlendEntry& e : w.entries) sum += e.weight;
    FUZZ_REQUIRE(std::fabs(sum - 1) < 1e-9);
    FUZZ_REQUIRE(!w.blended.hasPressure || std::isfinite(w.blended.qnhHectopascals));
    FUZZ_REQUIRE(!w.blended.hasDewPoint || w.blended.dewPoint <= w.blended.temperature);
    FUZZ_REQUIRE(w.blended.windGust == 0 || w.blended.windGust > w.blended.windSpeed);
  }
}

}  // namespace live_fuzz
