#include "weather/metar/metar_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "link/request_block.h"
#include "weather/files/airports.h"
#include "weather/files/vtd_file.h"
#include "weather/pane_format.h"
#include "weather/units.h"

namespace {

constexpr int kTopAltitude = 0xFFFF;
constexpr int kVerticalVisibilityLeast = 30;

uint16_t Altitude(int64_t metres) { return uint16_t(std::clamp<int64_t>(metres, 0, kTopAltitude)); }

// Feet to metres (0.3048 m each), to the nearest metre.
int MetresOfFeet(int feet) { return int(RoundedQuotient(feet * int64_t(3048), 10000)); }

bool IsPrecipitation(const char* code, bool* snow) {
  static const char* const kRain[] = {"DZ", "RA", "UP"};
  static const char* const kSnow[] = {"SN", "SG", "PL", "GR", "GS", "IC"};
  for (const char* c : kRain)
    if (std::strcmp(code, c) == 0) return (*snow = false, true);
  for (const char* c : kSnow)
    if (std::strcmp(code, c) == 0) return (*snow = true, true);
  return false;
}

// The first precipitation reported at the station, placed on the lowest fitting layer.
void PlacePrecipitation(const MetarReport& report, int elevation, MetarTables& t) {
  for (int i = 0; i < report.weatherCount; ++i) {
    const MetarWeather& w = report.weather[i];
    if (w.intensity == WeatherIntensity::kVicinity) continue;
    bool snow = false;
    int p = 0;
    while (p < w.phenomenonCount && !IsPrecipitation(w.phenomena[p], &snow)) ++p;
    if (p == w.phenomenonCount) continue;
    const bool drizzle = std::strcmp(w.phenomena[p], "DZ") == 0;
    const bool convective =
        std::strcmp(w.descriptor, "SH") == 0 || std::strcmp(w.descriptor, "TS") == 0;
    int rate = w.intensity == WeatherIntensity::kLight ? 1
               : w.intensity == WeatherIntensity::kHeavy ? 5 : 3;
    if (drizzle) rate = w.intensity == WeatherIntensity::kHeavy ? 2 : 1;

    CloudLayer* target = nullptr;
    auto lowest = [&](bool (*fits)(const CloudLayer&)) {
      for (CloudLayer& c : t.clouds)
        if (fits(c)) return &c;
      return static_cast<CloudLayer*>(nullptr);
    };
    if (convective) {
      if (std::strcmp(w.descriptor, "TS") == 0)
        target = lowest([](const CloudLayer& c) { return c.cloudType == kThunderstormType; });
      if (!target)
        target = lowest([](const CloudLayer& c) {
          return c.cloudType == kThunderstormType || c.cloudType == kCumulusType;
        });
    } else {
      target = lowest([](const CloudLayer& c) { return c.cloudType == kStratusType; });
    }
    if (!target) target = lowest([](const CloudLayer& c) { return c.cloudType != kCirrusType; });
    if (!target) {
      t.precipitationWithoutCloud = true;
      return;
    }
    target->precipitationType = snow ? 2 : 1;
    target->precipitationRate = uint16_t(rate);
    target->precipitationBase = Altitude(elevation);
    return;
  }
}

CloudLayer MakeCloud(int base, int top, int eighths, const CloudRule& rule) {
  CloudLayer c;
  c.prefix.size = uint16_t(kCloudLayerSize);
  c.lowerAltitude = Altitude(base);
  c.upperAltitude = Altitude(top);
  c.cover = uint16_t(eighths);
  c.cloudType = rule.type;
  c.turbulence = uint16_t(rule.turbulence);
  return c;
}

template <typename Record, typename Encode>
TableBlock Block(const std::vector<Record>& records, size_t recordSize, Encode encode) {
  if (records.empty()) return TableBlock();
  TableBlock block = TableBlock::Allocate(records.size() * recordSize);
  if (block.Empty()) return block;
  for (size_t i = 0; i < records.size(); ++i) {
    Record r = records[i];
    r.prefix.size = uint16_t(recordSize);
    r.prefix.following = uint16_t(records.size() - 1 - i);
    encode(block.Bytes() + i * recordSize, r);
  }
  return block;
}

}  // namespace

int CoverEighths(CloudCover cover) {
  switch (cover) {
    case CloudCover::kFew: return 2;
    case CloudCover::kScattered: return 4;
    case CloudCover::kBroken: return 6;
    case CloudCover::kOvercast: return 8;
  }
  return 0;
}

CloudRule CloudRuleFor(CloudCover cover, CloudKind kind, int heightFeet) {
  if (kind == CloudKind::kCumulonimbus) return {kThunderstormType, 6000, 3};
  if (kind == CloudKind::kToweringCumulus) return {kCumulusType, 3000, 2};
  if (heightFeet >= kCirrusFromFeet) return {kCirrusType, 300, 0};
  if (cover == CloudCover::kFew || cover == CloudCover::kScattered) return {kCumulusType, 900, 0};
  return {kStratusType, 600, 0};
}

MetarTables TablesFromMetar(const MetarReport& report, int stationElevation) {
  MetarTables t;
  if (report.nil) return t;
  const int e = std::clamp(stationElevation, 0, kTopAltitude);

  if (report.hasVisibility) {
    VisibilityLayer v;
    v.lowerAltitude = 0;
    v.upperAltitude = Altitude(e + kVisibilityDepthMetres);
    // Statute miles as reported; metres in hundredths of a mile (16.09344 m each).
    int64_t range = report.visibilityHundredths;
    if (range < 0) {
      range = RoundedQuotient(report.visibilityMetres * int64_t(100000), 1609344);
      if (report.visibilityMetres >= kTenKilometres)
        range = std::max<int64_t>(range, kTenKilometresHundredths);
    }
    v.range = uint16_t(std::clamp<int64_t>(range, 0, 0xFFFF));
    t.visibility.push_back(v);
    t.filled[kVisibilityTable] = true;
  }
  if (report.hasPressure) {
    PressureRecord p;
    p.qnh = uint16_t(std::clamp(int(std::lround(report.qnhHectopascals * 16)), 0, 0xFFFF));
    p.drift = 0;
    t.pressure.push_back(p);
    t.filled[kPressureTable] = true;
  }
  if (report.hasTemperature) {
    const int spread = report.hasDewPoint ? report.temperature - report.dewPoint : 0;
    TemperatureLayer surface;
    surface.altitude = Altitude(e);
    surface.dayTemperature = int16_t(report.temperature);
    surface.dewPoint = int16_t(report.temperature - spread);
    t.temperature.push_back(surface);
    if (e < kTemperatureAloftMetres) {
      TemperatureLayer aloft;
      aloft.altitude = Altitude(kTemperatureAloftMetres);
      aloft.dayTemperature = int16_t(TemperatureAloft(report.temperature, e));
      aloft.dewPoint = int16_t(aloft.dayTemperature - spread);
      t.temperature.push_back(aloft);
    }
    t.filled[kTemperatureTable] = true;
  }
  if (report.hasWind) {
    WindLayer w;
    w.upperAltitude = Altitude(e + kSurfaceWindDepthMetres);
    w.speed = uint16_t(report.windSpeed);
    w.gust = uint16_t(report.windGust > report.windSpeed ? report.windGust : 0);
    w.direction = report.variableWind ? 0 : DirectionFromDegrees(report.windDirection);
    t.wind.push_back(w);
    t.filled[kWindTable] = true;
  }
  if (report.cloudCount > 0 || report.noCloud || report.verticalVisibility >= 0) {
    t.filled[kCloudTable] = true;
    if (report.verticalVisibility >= 0) {
      const int depth = std::max(MetresOfFeet(report.verticalVisibility), kVerticalVisibilityLeast);
      t.clouds.push_back(MakeCloud(e, e + depth, 8, {kStratusType, depth, 0}));
    }
    for (int i = 0; i < report.cloudCount; ++i) {
      const MetarCloud& c = report.clouds[i];
      const CloudRule rule = CloudRuleFor(c.cover, c.kind, c.heightFeet);
      const int base = e + MetresOfFeet(c.heightFeet);
      t.clouds.push_back(MakeCloud(base, base + rule.thicknessMetres, CoverEighths(c.cover), rule));
    }
    std::stable_sort(t.clouds.begin(), t.clouds.end(), [](const CloudLayer& a, const CloudLayer& b) {
      return a.lowerAltitude < b.lowerAltitude;
    });
  }
  PlacePrecipitation(report, e, t);
  return t;
}

TableBlock TableBlockOf(const MetarTables& t, int table) {
  switch (table) {
    case kVisibilityTable: return Block(t.visibility, kVisibilityLayerSize, EncodeVisibility);
    case kPressureTable: return Block(t.pressure, kPressureRecordSize, EncodePressure);
    case kTemperatureTable: return Block(t.temperature, kTemperatureLayerSize, EncodeTemperature);
    case kWindTable: return Block(t.wind, kWindLayerSize, EncodeWind);
    case kCloudTable: return Block(t.clouds, kCloudLayerSize, EncodeCloud);
  }
  return TableBlock();
}

void ShowMetarTables(const MetarTables& tables, bool keepOthers, WeatherSnapshot& snapshot) {
  if (!keepOthers) ResetSnapshot(snapshot);
  WeatherTableEntry& applied = snapshot.Table(kAppliedWindTable);
  applied = WeatherTableEntry();
  for (int table = kVisibilityTable; table <= kCloudTable; ++table) {
    if (!tables.filled[table]) continue;
    WeatherTableEntry& entry = snapshot.Table(table);
    entry = WeatherTableEntry();
    TableBlock block = TableBlockOf(tables, table);
    if (block.Empty()) continue;
    entry.descriptor = GetU32(block.Bytes());
    entry.byteLength = int32_t(block.Size());
    entry.data = std::move(block);
  }
}

std::vector<uint8_t> MetarSetImage(const MetarTables& tables, bool keepOthers,
                                   const WeatherSnapshot& snapshot) {
  WeatherSnapshot image;
  for (int table = kVisibilityTable; table <= kCloudTable; ++table) {
    WeatherTableEntry& entry = image.Table(table);
    if (tables.filled[table]) {
      entry.data = TableBlockOf(tables, table);
    } else if (keepOthers) {
      const WeatherTableEntry& kept = snapshot.Table(table);
      if (kept.byteLength > 0 && size_t(kept.byteLength) <= kept.data.Size())
        entry.data = TableBlock::Copy(kept.data.Bytes(), size_t(kept.byteLength));
    }
    if (!entry.data.Empty()) {
      entry.descriptor = GetU32(entry.data.Bytes());
      entry.byteLength = int32_t(entry.data.Size());
    }
  }
  return EncodeDataFile(image).bytes;
}

bool StationElevation(const uint8_t* airportTable, size_t size, const char* icao, int* metres) {
  if (icao == nullptr || std::strlen(icao) != 4) return false;
  const int k = FindAirport(airportTable, size, icao);
  if (k == 0) return false;
  const double m = GetF32(airportTable + size_t(k) * kAirportRecordSize + 12);
  if (!(m > -1000 && m < 70000)) return false;  // also not a number
  *metres = std::max(0, int(std::lround(m)));
  return true;
}
