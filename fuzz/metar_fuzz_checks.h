// The bodies of the METAR fuzz targets, shared with the native test that replays the seeds and
// every input that once crashed.
#pragma once

#include <cstring>

#include "fuzz/fuzz_input.h"
#include "weather/metar/metar_file.h"
#include "weather/metar/metar_report.h"
#include "weather/metar/metar_tables.h"

namespace metar_fuzz {

// Any bytes as a report (the first four give the elevation): decoding, the tables it gives and
// the line written back stay inside their bounds, and every group names a part of the text.
inline void CheckMetar(const uint8_t* data, size_t size) {
  core_fuzz::ByteStream in(data, size);
  const int elevation = int(in.U32() % 70000) - 1000;
  const size_t n = size > 4 ? size - 4 : 0;
  std::unique_ptr<char[]> text = in.RestAsText();
  const MetarReport report = DecodeMetar(text.get(), n);
  FUZZ_REQUIRE(report.groups.size() <= size_t(kMaxMetarGroups));
  int errors = 0;
  for (const MetarGroup& g : report.groups) {
    FUZZ_REQUIRE(std::memchr(g.text, 0, sizeof g.text) != nullptr);
    FUZZ_REQUIRE(std::memchr(g.words, 0, sizeof g.words) != nullptr);
    FUZZ_REQUIRE(uint64_t(g.offset) + g.length <= n || (n == 0 && g.length == 0));
    errors += g.error ? 1 : 0;
  }
  FUZZ_REQUIRE(errors == report.errorCount);
  FUZZ_REQUIRE(report.cloudCount <= kMaxCloudGroups && report.weatherCount <= kMaxWeatherGroups);

  const MetarTables tables = TablesFromMetar(report, elevation);
  WeatherSnapshot snapshot;
  ShowMetarTables(tables, false, snapshot);
  char line[kMetarLineSize];
  MetarLineFromTables(snapshot, report.station, {report.day, report.hour, report.minute},
                      elevation, line, sizeof line);
  FUZZ_REQUIRE(std::strlen(line) < sizeof line);
  // The line decodes without an unreadable group.
  FUZZ_REQUIRE(DecodeMetar(line, std::strlen(line)).errorCount == 0);
}

// Any bytes as a file of reports, searched for the station its first four bytes name.
inline void CheckMetarFile(const uint8_t* data, size_t size) {
  char icao[5] = {};
  core_fuzz::ByteStream in(data, size);
  in.Fill(reinterpret_cast<uint8_t*>(icao), 4);
  const size_t n = size > 4 ? size - 4 : 0;
  std::unique_ptr<char[]> text = in.RestAsText();
  const MetarSearch found = FindNewestReport(text.get(), n, icao);
  FUZZ_REQUIRE(found.length <= kLongestReport && found.report[found.length] == 0);
  FUZZ_REQUIRE(found.found || (found.length == 0 && found.reports == 0));
  FUZZ_REQUIRE(!found.found || found.reports > 0);
  if (found.found) DecodeMetar(found.report, found.length);
}

}  // namespace metar_fuzz
