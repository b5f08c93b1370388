// Airport weather reports (METAR and SPECI) as text: the decoded report and, for every group,
// what it was read as or why it could not be read. Decoding goes on after a bad group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class MetarGroupKind : uint8_t {
  kType,
  kStation,
  kTime,
  kModifier,  // AUTO, COR, NIL
  kWind,
  kWindSector,
  kVisibility,
  kRunwayRange,
  kWeather,
  kCloud,
  kTemperature,
  kPressure,
  kSupplementary,  // recent weather, wind shear, sea state, runway state
  kTrend,
  kRemarks,
  kMissing,  // a group of slashes
  kUnreadable,
};

constexpr size_t kMetarGroupTextSize = 28;  // longer groups are shown cut short, with "..."
constexpr size_t kMetarWordsSize = 96;

struct MetarGroup {
  MetarGroupKind kind = MetarGroupKind::kUnreadable;
  bool error = false;
  uint32_t offset = 0;  // in the report text
  uint32_t length = 0;
  char text[kMetarGroupTextSize] = "";
  char words[kMetarWordsSize] = "";  // in plain words, or why it could not be read
};

enum class CloudCover : uint8_t { kFew = 1, kScattered, kBroken, kOvercast };
enum class CloudKind : uint8_t { kPlain, kCumulonimbus, kToweringCumulus };

struct MetarCloud {
  CloudCover cover = CloudCover::kFew;
  int heightFeet = 0;  // above the station
  CloudKind kind = CloudKind::kPlain;
};

// Present weather of one group: intensity, descriptors and phenomena as two-letter codes.
enum class WeatherIntensity : int8_t { kLight = -1, kModerate = 0, kHeavy = 1, kVicinity = 2 };
constexpr int kMaxWeatherCodes = 4;

struct MetarWeather {
  WeatherIntensity intensity = WeatherIntensity::kModerate;
  char descriptor[3] = "";  // MI BC PR DR BL SH TS FZ, or empty
  char phenomena[kMaxWeatherCodes][3] = {};
  int phenomenonCount = 0;
};

constexpr int kMaxWeatherGroups = 3;
constexpr int kMaxCloudGroups = 6;
constexpr int kMaxMetarGroups = 200;
constexpr int kTenKilometres = 10000;

struct MetarReport {
  bool speci = false, automatic = false, corrected = false, nil = false;
  char station[5] = "";
  int day = -1, hour = -1, minute = -1;

  bool hasWind = false;
  bool variableWind = false;  // VRB
  int windDirection = 0;      // degrees true
  int windSpeed = 0;          // knots, converted from MPS and KMH
  int windGust = 0;           // knots, 0 without a gust
  int sectorFrom = -1, sectorTo = -1;

  bool hasVisibility = false;
  int visibilityMetres = 0;  // kTenKilometres for 9999, CAVOK and "10 km or more"
  int visibilityHundredths = -1;  // statute miles as reported, in hundredths; -1 in metres
  bool cavok = false;

  MetarWeather weather[kMaxWeatherGroups];
  int weatherCount = 0;

  MetarCloud clouds[kMaxCloudGroups];
  int cloudCount = 0;
  bool noCloud = false;         // SKC CLR NSC NCD or CAVOK
  int verticalVisibility = -1;  // feet, -1 when not reported; 0 for VV/// (from the ground)

  bool hasTemperature = false, hasDewPoint = false;
  int temperature = 0, dewPoint = 0;  // degrees Celsius

  bool hasPressure = false;
  double qnhHectopascals = 0;

  std::vector<MetarGroup> groups;
  int errorCount = 0;
  const MetarGroup* FirstError() const;
};

// Decodes one report. Work is bounded by the text's length; any byte value is taken.
MetarReport DecodeMetar(const char* text, size_t length);
