// The tables as one METAR-style line, in the forms the decoder reads back to the same tables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "weather/metar/metar_tables.h"
#include "weather/metar/metar_text.h"
#include "weather/pane_format.h"
#include "weather/units.h"

namespace {

constexpr int kTenKilometresRange = 622;
constexpr int kMostKnots = 250;  // the most a report may hold  // hundredths of a mile from which 9999 is written

class Line {
 public:
  Line(char* out, size_t size) : out_(out), size_(size) {
    if (size_ > 0) out_[0] = 0;
  }
  // A group goes in whole; after one that does not fit, none does.
  void Add(const char* group) {
    if (size_ == 0 || full_) return;  // nothing was written, not even a terminator
    const size_t n = std::strlen(out_);
    if (n + (n ? 1 : 0) + std::strlen(group) < size_)
      snprintf(out_ + n, size_ - n, "%s%s", n ? " " : "", group);
    else
      full_ = true;
  }

 private:
  char* out_;
  size_t size_;
  bool full_ = false;
};

template <typename Record>
std::vector<Record> Records(const WeatherSnapshot& s, int table, size_t size,
                            Record (*decode)(const uint8_t*)) {
  std::vector<Record> out;
  TableRecords records = RecordsOf(s.Table(table), size);
  for (int i = 0; i < records.count; ++i) out.push_back(decode(records.Record(i)));
  return out;
}

void Wind(const WeatherSnapshot& s, int e, Line& line) {
  std::vector<WindLayer> winds = Records(s, kWindTable, kWindLayerSize, DecodeWind);
  if (winds.empty()) return;
  const WindLayer* surface = nullptr;
  for (const WindLayer& w : winds)
    if (w.upperAltitude >= e && (!surface || w.upperAltitude < surface->upperAltitude)) surface = &w;
  if (!surface)
    surface = &*std::max_element(winds.begin(), winds.end(), [](const WindLayer& a, const WindLayer& b) {
      return a.upperAltitude < b.upperAltitude;
    });
  char group[32];
  const int speed = surface->speed;
  if (speed == 0) {
    line.Add("00000KT");
    return;
  }
  int degrees = int(std::lround(DegreesFromDirection(surface->direction) / 10)) * 10 % 360;
  if (degrees == 0) degrees = 360;
  const int gust = ShownGust(speed, surface->gust);
  if (gust > speed)
    snprintf(group, sizeof group, "%03d%02dG%02dKT", degrees, std::min(speed, kMostKnots), std::min(gust, kMostKnots));
  else
    snprintf(group, sizeof group, "%03d%02dKT", degrees, std::min(speed, kMostKnots));
  line.Add(group);
}

// The visibility in metres as reports give it, or -1 without a layer; 10000 for 10 km or more.
int VisibilityMetres(const WeatherSnapshot& s, int e) {
  std::vector<VisibilityLayer> layers = Records(s, kVisibilityTable, kVisibilityLayerSize, DecodeVisibility);
  if (layers.empty()) return -1;
  const VisibilityLayer* at = nullptr;
  for (const VisibilityLayer& v : layers)
    if (v.lowerAltitude <= e && e <= v.upperAltitude) {
      at = &v;
      break;
    }
  if (!at)
    at = &*std::min_element(layers.begin(), layers.end(), [](const VisibilityLayer& a, const VisibilityLayer& b) {
      return a.lowerAltitude < b.lowerAltitude;
    });
  if (at->range >= kTenKilometresRange) return 10000;
  const int64_t scaled = at->range * int64_t(1609344);  // metres, times 100000
  const int step = scaled < 77500000 ? 50 : scaled < 495000000 ? 100 : 1000;
  const int rounded = int(RoundedQuotient(scaled, step * int64_t(100000))) * step;
  return rounded >= 10000 ? 10000 : rounded;
}

std::vector<CloudLayer> CloudsByBase(const WeatherSnapshot& s) {
  std::vector<CloudLayer> clouds = Records(s, kCloudTable, kCloudLayerSize, DecodeCloud);
  std::stable_sort(clouds.begin(), clouds.end(), [](const CloudLayer& a, const CloudLayer& b) {
    return a.lowerAltitude < b.lowerAltitude;
  });
  return clouds;
}

bool Weather(const std::vector<CloudLayer>& clouds, Line& line) {
  for (const CloudLayer& c : clouds) {
    if ((c.precipitationType != 1 && c.precipitationType != 2) || c.precipitationRate == 0) continue;
    const char* intensity = c.precipitationRate <= 2 ? "-" : c.precipitationRate == 3 ? "" : "+";
    const char* descriptor = c.cloudType == kThunderstormType ? "TS"
                             : c.cloudType == kCumulusType ? "SH" : "";
    char group[16];
    snprintf(group, sizeof group, "%s%s%s", intensity, descriptor,
             c.precipitationType == 1 ? "RA" : "SN");
    line.Add(group);
    return true;
  }
  return false;
}

const char* ConvectiveMark(const CloudLayer& c) {
  const int thickness = int(c.upperAltitude) - int(c.lowerAltitude);
  return c.cloudType == kThunderstormType ? "CB"
         : c.cloudType == kCumulusType && thickness >= 2000 ? "TCU" : "";
}

// The significant layers, as reports give them: the lowest; the next higher of 3/8 or more
// (written SCT, BKN or OVC); the next higher of 5/8 or more (BKN, OVC); then every other CB or
// TCU layer, up to six groups in all. Written from the lowest.
int Clouds(const std::vector<CloudLayer>& clouds, int e, Line& line) {
  size_t chosen[kMaxCloudGroups];  // indices, in base order once sorted
  int count = 0, leastCover = 1;
  for (size_t i = 0; i < clouds.size() && leastCover <= 5; ++i)
    if (clouds[i].cover > 0 && clouds[i].cover >= leastCover) {
      chosen[count++] = i;
      leastCover = leastCover == 1 ? 3 : leastCover == 3 ? 5 : 9;
    }
  const int steps = count;
  for (size_t i = 0; i < clouds.size() && count < kMaxCloudGroups; ++i)
    if (clouds[i].cover > 0 && *ConvectiveMark(clouds[i]) &&
        std::find(chosen, chosen + steps, i) == chosen + steps)
      chosen[count++] = i;
  for (int k = 1; k < count; ++k)  // at most six: by insertion
    for (int j = k; j > 0 && chosen[j - 1] > chosen[j]; --j) std::swap(chosen[j - 1], chosen[j]);
  for (int k = 0; k < count; ++k) {
    const CloudLayer& c = clouds[chosen[k]];
    const char* cover = c.cover <= 2 ? "FEW" : c.cover <= 4 ? "SCT" : c.cover <= 7 ? "BKN" : "OVC";
    const int64_t above = std::max(0, int(c.lowerAltitude) - e);
    const int hundreds = int(std::min<int64_t>(999, RoundedQuotient(above * 100, 3048)));  // 0.3048 m a foot
    char group[24];
    snprintf(group, sizeof group, "%s%03d%s", cover, hundreds, ConvectiveMark(c));
    line.Add(group);
  }
  return count;
}

// Kept inside what a report may hold (-80 to 60), so that the line reads back.
void Celsius(char* out, size_t size, int c) {
  c = std::clamp(c, -80, 60);
  // Two digits at most, in a form the compiler can see: it checks the buffer against the range.
  snprintf(out, size, "%s%02u", c < 0 ? "M" : "", unsigned(c < 0 ? -c : c) % 100u);
}

void Temperature(const WeatherSnapshot& s, int e, Line& line) {
  std::vector<TemperatureLayer> layers = Records(s, kTemperatureTable, kTemperatureLayerSize, DecodeTemperature);
  if (layers.empty()) return;
  std::stable_sort(layers.begin(), layers.end(), [](const TemperatureLayer& a, const TemperatureLayer& b) {
    return a.altitude < b.altitude;
  });
  int t = layers.front().dayTemperature, d = layers.front().dewPoint;
  if (e >= layers.back().altitude) {
    t = layers.back().dayTemperature;
    d = layers.back().dewPoint;
  } else {
    for (size_t i = 1; i < layers.size(); ++i) {
      const TemperatureLayer &a = layers[i - 1], &b = layers[i];
      if (e < a.altitude || e > b.altitude || b.altitude == a.altitude) continue;
      const int64_t span = b.altitude - a.altitude, part = e - a.altitude;
      t = int(RoundedQuotient(a.dayTemperature * span + part * (b.dayTemperature - a.dayTemperature), span));
      d = int(RoundedQuotient(a.dewPoint * span + part * (b.dewPoint - a.dewPoint), span));
      break;
    }
  }
  char tt[8], dd[8], group[20];
  Celsius(tt, sizeof tt, t);
  Celsius(dd, sizeof dd, d);
  snprintf(group, sizeof group, "%s/%s", tt, dd);
  line.Add(group);
}

}  // namespace

void MetarLineFromTables(const WeatherSnapshot& s, const char* station, MetarTime time,
                         int stationElevation, char* out, size_t size) {
  Line line(out, size);
  char group[32];
  char code[5] = "ZZZZ";
  if (station && std::strlen(station) == 4 && metar_text::IsStationCode(station, 4))
    for (int i = 0; i < 4; ++i) code[i] = metar_text::Upper(station[i]);
  line.Add(code);
  snprintf(group, sizeof group, "%02d%02d%02dZ", std::clamp(time.day, 1, 31),
           std::clamp(time.hour, 0, 23), std::clamp(time.minute, 0, 59));
  line.Add(group);
  const int e = std::clamp(stationElevation, 0, 0xFFFF);
  Wind(s, e, line);

  const std::vector<CloudLayer> clouds = CloudsByBase(s);
  bool anyCloud = false;
  for (const CloudLayer& c : clouds) anyCloud = anyCloud || c.cover > 0;
  const int metres = VisibilityMetres(s, e);
  bool precipitation = false;
  for (const CloudLayer& c : clouds)
    precipitation = precipitation || ((c.precipitationType == 1 || c.precipitationType == 2) &&
                                      c.precipitationRate > 0);
  if (!anyCloud && !precipitation && metres == 10000) {
    line.Add("CAVOK");
  } else {
    if (metres >= 0) {
      snprintf(group, sizeof group, "%04d", std::min(metres, 9999));
      line.Add(group);
    }
    Weather(clouds, line);
    if (Clouds(clouds, e, line) == 0) line.Add("NSC");
  }
  Temperature(s, e, line);
  const std::vector<PressureRecord> pressure = Records(s, kPressureTable, kPressureRecordSize, DecodePressure);
  if (!pressure.empty()) {
    snprintf(group, sizeof group, "Q%04d", std::clamp(int(std::lround(pressure[0].qnh / 16.0)), 800, 1200));
    line.Add(group);
  }
}
