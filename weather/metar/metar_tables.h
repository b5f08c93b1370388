// From a decoded report to weather tables 1 to 5, and from the tables back to one METAR-style
// line. The rules live here once; the user guide repeats them as a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "weather/metar/metar_report.h"
#include "weather/records.h"
#include "weather/snapshot.h"

// Cloud type numbers of the weather sets.
enum MetarCloudType : uint16_t {
  kCirrusType = 1,
  kStratusType = 8,
  kCumulusType = 9,
  kThunderstormType = 10,
};

struct CloudRule {
  MetarCloudType type;
  int thicknessMetres;
  int turbulence;
};

// How a cloud group becomes a layer: by its kind, and cirrus from 20000 ft above the station.
CloudRule CloudRuleFor(CloudCover cover, CloudKind kind, int heightFeet);
int CoverEighths(CloudCover cover);

constexpr int kVisibilityDepthMetres = 1524;  // the visibility layer: ground to 5000 ft above
constexpr int kSurfaceWindDepthMetres = 610;  // the surface wind: up to 2000 ft above
constexpr int kTemperatureAloftMetres = 11000;  // the tropopause of the standard atmosphere
constexpr int kLapseRatePerTenKilometres = 65;  // °C: 6.5 per 1000 m

// num / den (den > 0) to the nearest whole number, halves away from zero: in whole numbers, so
// that every build (x87 or SSE, any optimisation) gives the same tables.
inline int64_t RoundedQuotient(int64_t num, int64_t den) {
  return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
}

// The day temperature set at 11000 m for a station at e metres (0 to 11000) reporting celsius.
inline int TemperatureAloft(int celsius, int e) {
  const int64_t drop = kLapseRatePerTenKilometres * int64_t(kTemperatureAloftMetres - e);
  return int(RoundedQuotient(celsius * int64_t(10000) - drop, 10000));
}
constexpr int kCirrusFromFeet = 20000;
constexpr int kTenKilometresHundredths = 1000;  // 10 km or more is set as 10 statute miles

struct MetarTables {
  bool filled[kCloudTable + 1] = {};  // by table number: the report says something about it
  std::vector<VisibilityLayer> visibility;
  std::vector<PressureRecord> pressure;
  std::vector<TemperatureLayer> temperature;
  std::vector<WindLayer> wind;
  std::vector<CloudLayer> clouds;
  // Words for groups that were read but could not be put into any table.
  bool precipitationWithoutCloud = false;
};

// stationElevation: metres above sea level, 0 when the airport is unknown.
MetarTables TablesFromMetar(const MetarReport& report, int stationElevation);

// The whole-table block of one table (prefixes numbered as a set load wants them); empty for a
// table with no records.
TableBlock TableBlockOf(const MetarTables& tables, int table);

// Puts the filled tables into the snapshot as a show load does (descriptor from the block,
// length recorded). Tables not filled are forgotten, or left as they are with keepOthers.
void ShowMetarTables(const MetarTables& tables, bool keepOthers, WeatherSnapshot& snapshot);

// The data-file image a set load sends: the filled tables, and with keepOthers the tables the
// report leaves alone as the snapshot holds them.
std::vector<uint8_t> MetarSetImage(const MetarTables& tables, bool keepOthers,
                                   const WeatherSnapshot& snapshot);

struct MetarTime {
  int day = 1, hour = 0, minute = 0;
};

constexpr size_t kMetarLineSize = 512;

// Tables 1 to 5 of the snapshot as one METAR-style line: station (4 characters; "ZZZZ" when
// empty), time, wind, visibility, weather, clouds, temperature and dew point, QNH.
void MetarLineFromTables(const WeatherSnapshot& snapshot, const char* station, MetarTime time,
                         int stationElevation, char* out, size_t size);

// The elevation in whole metres of the station's record in the airport file image; false when
// there is no image or no record of that code.
bool StationElevation(const uint8_t* airportTable, size_t size, const char* icao, int* metres);
