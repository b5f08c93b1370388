#include "weather/at_altitude.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "weather/records.h"
#include "weather/units.h"

namespace {

// Field ids by what they show.
enum : int {
  kVisibility = 1002,
  kPressure = 1003,
  kDayTemperature = 1004,
  kVariation = 1005,
  kDewPoint = 1006,
  kAppliedSpeed = 1007,
  kAppliedDirection = 1008,
  kAppliedGust = 1009,
  kAppliedTurbulence = 1010,
  kSetSpeed = 1011,
  kSetDirection = 1012,
  kSetGust = 1013,
  kSetTurbulence = 1014,
  kCloudBase = 1015,
  kCloudTop = 1016,
  kCloudDeviation = 1017,
  kCover = 1018,
  kCloudType = 1019,
  kCloudTurbulence = 1020,
  kIcing = 1021,
  kPrecipitation = 1022,
  kPrecipitationRate = 1023,
  kPrecipitationBase = 1024,
};

bool HasLayer(const uint8_t* reply) { return int16_t(DecodePrefix(reply).following) >= 0; }

// Leading blanks, optional sign, digits; saturates instead of overflowing.
long long TextToInt(const char* text) {
  char buffer[kAltitudeTextChars + 1];
  snprintf(buffer, sizeof buffer, "%s", text ? text : "");
  const char* p = buffer;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10 + (*p - '0');  // 14 digits fit
  return negative ? -value : value;
}

}  // namespace

const char* UnitLabelText(bool feet) { return feet ? "feet" : "metres"; }

bool UnitLabelIsFeet(const char* label) { return label && label[0] == 'f'; }

AltitudeEntry ReadAltitudeEntry(const char* text, bool feet) {
  AltitudeEntry entry;
  long long value = TextToInt(text);
  if (value < 0) {
    entry.corrected = true;
    snprintf(entry.correction, sizeof entry.correction, "0");
    return entry;
  }
  long long metres = feet ? static_cast<long long>(value / kFeetPerMetre + 0.5) : value;
  if (metres > kMaxAltitudeMetres) {
    metres = kMaxAltitudeMetres;
    entry.corrected = true;
    int shown = feet ? int(kMaxAltitudeMetres * kFeetPerMetre + 0.5) : kMaxAltitudeMetres;
    snprintf(entry.correction, sizeof entry.correction, "%d", shown);
  }
  entry.metres = uint16_t(metres);
  return entry;
}

uint32_t AtAltitudeSelector(int table, uint16_t metres) {
  return WeatherSelector(table, kReadAtAltitude, metres);
}

void FormatAtAltitude(const uint8_t* const replies[6], AtAltitudeTexts& out) {
  memset(&out, 0, sizeof out);
  const size_t n = kCellTextSize;
  auto cell = [&out](int id) { return out.texts[id - kFirstAtAltitudeField]; };

  FormatRange(DecodeVisibility(replies[0]).range, cell(kVisibility), n);
  FormatPressure(DecodePressure(replies[1]).qnh, cell(kPressure), n);

  if (HasLayer(replies[2])) {
    TemperatureLayer t = DecodeTemperature(replies[2]);
    FormatTemperature(t.dayTemperature, cell(kDayTemperature), n);
    FormatTemperatureDifference(t.dayNightVariation, cell(kVariation), n);
    FormatTemperature(t.dewPoint, cell(kDewPoint), n);
  }

  // Without a layer the speeds read "0", the rest stays empty.
  snprintf(cell(kSetSpeed), n, "0");
  if (HasLayer(replies[3])) {
    WindLayer w = DecodeWind(replies[3]);
    snprintf(cell(kSetSpeed), n, "%dkn", w.speed);
    FormatDirection(w.direction, cell(kSetDirection), n);
    snprintf(cell(kSetGust), n, "%dkn", w.gust);  // as stored, not the pane's gust rule
    snprintf(cell(kSetTurbulence), n, "%d", w.turbulence);
  }

  if (HasLayer(replies[4])) {
    CloudLayer c = DecodeCloud(replies[4]);
    FormatFeet(c.lowerAltitude, cell(kCloudBase), n);
    FormatFeet(c.upperAltitude, cell(kCloudTop), n);
    FormatFeet(c.deviation, cell(kCloudDeviation), n);
    snprintf(cell(kCover), n, "%d/8", c.cover);
    snprintf(cell(kCloudType), n, "%d", c.cloudType);
    snprintf(cell(kCloudTurbulence), n, "%d", c.turbulence);
    snprintf(cell(kIcing), n, "%d", c.icing);
    FormatPrecipitation(c.precipitationType, cell(kPrecipitation), n);
    snprintf(cell(kPrecipitationRate), n, "%d", c.precipitationRate);
    FormatFeet(c.precipitationBase, cell(kPrecipitationBase), n);
  }

  snprintf(cell(kAppliedSpeed), n, "0");
  if (HasLayer(replies[5])) {
    AppliedWindLayer a = DecodeAppliedWind(replies[5]);
    snprintf(cell(kAppliedSpeed), n, "%.1fkn", a.appliedSpeed);
    snprintf(cell(kAppliedDirection), n, "%.1fT", a.appliedDirection);
    snprintf(cell(kAppliedGust), n, "%dkn", a.gust);
    snprintf(cell(kAppliedTurbulence), n, "%d", a.turbulence);
  }
}
