#include "weather/metar/metar_groups.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "weather/metar/metar_text.h"

using namespace metar_text;

const char kNotThisKind[] = "not this kind";

namespace {

constexpr double kKnotsPerMetrePerSecond = 1.943844;
constexpr double kKilometresPerHourPerKnot = 1.852;
constexpr double kMetresPerStatuteMile = 1609.344;
constexpr double kHectopascalsPerInch = 33.8639;

bool StartsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

bool EndsWith(const char* s, const char* suffix) {
  const size_t n = std::strlen(s), m = std::strlen(suffix);
  return n >= m && std::strcmp(s + n - m, suffix) == 0;
}

// Digits at s (at most `most`), their value in v; the count read.
size_t ReadDigits(const char* s, size_t most, int* v) {
  size_t n = 0;
  while (n < most && IsDigit(s[n])) ++n;
  *v = Number(s, n);
  return n;
}

const char* const kDirections[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW", "NDV"};

bool IsDirection(const char* s) {
  for (const char* d : kDirections)
    if (std::strcmp(s, d) == 0) return true;
  return false;
}

struct Code {
  const char* code;
  const char* words;
};

const Code kDescriptors[] = {
    {"MI", "shallow"},  {"BC", "patches of"}, {"PR", "partial"},       {"DR", "low drifting"},
    {"BL", "blowing"},  {"SH", "showers of"}, {"TS", "thunderstorm with"}, {"FZ", "freezing"},
};

const Code kPhenomena[] = {
    {"DZ", "drizzle"},     {"RA", "rain"},         {"SN", "snow"},         {"SG", "snow grains"},
    {"IC", "ice crystals"}, {"PL", "ice pellets"}, {"GR", "hail"},         {"GS", "small hail"},
    {"UP", "unknown precipitation"}, {"BR", "mist"}, {"FG", "fog"},        {"FU", "smoke"},
    {"VA", "volcanic ash"}, {"DU", "dust"},        {"SA", "sand"},         {"HZ", "haze"},
    {"PY", "spray"},       {"PO", "dust whirls"},  {"SQ", "squalls"},      {"FC", "funnel cloud"},
    {"SS", "sandstorm"},   {"DS", "duststorm"},
};

template <size_t N>
const Code* FindCode(const Code (&codes)[N], const char* s) {
  for (const Code& c : codes)
    if (s[0] == c.code[0] && s[1] == c.code[1]) return &c;
  return nullptr;
}

// Parses present weather into w; false when the text is not one.
bool ParseWeather(const char* g, MetarWeather& w) {
  w = MetarWeather();
  if (*g == '-') {
    w.intensity = WeatherIntensity::kLight;
    ++g;
  } else if (*g == '+') {
    w.intensity = WeatherIntensity::kHeavy;
    ++g;
  } else if (StartsWith(g, "VC")) {
    w.intensity = WeatherIntensity::kVicinity;
    g += 2;
  }
  if (g[0] && g[1] && FindCode(kDescriptors, g)) {
    w.descriptor[0] = g[0];
    w.descriptor[1] = g[1];
    g += 2;
  }
  while (g[0] && g[1] && w.phenomenonCount < kMaxWeatherCodes && FindCode(kPhenomena, g)) {
    w.phenomena[w.phenomenonCount][0] = g[0];
    w.phenomena[w.phenomenonCount][1] = g[1];
    ++w.phenomenonCount;
    g += 2;
  }
  if (*g != 0) return false;
  if (w.phenomenonCount == 0) {
    // A descriptor alone: only a thunderstorm, or showers in the vicinity.
    if (std::strcmp(w.descriptor, "TS") == 0) return true;
    return std::strcmp(w.descriptor, "SH") == 0 && w.intensity == WeatherIntensity::kVicinity;
  }
  return true;
}

void Append(char* out, size_t size, const char* text) {
  const size_t n = std::strlen(out);
  if (n + 1 < size) snprintf(out + n, size - n, "%s", text);
}

}  // namespace

void DescribeWeather(const MetarWeather& w, char* out, size_t size) {
  if (size == 0) return;
  out[0] = 0;
  if (w.intensity == WeatherIntensity::kLight) Append(out, size, "light ");
  if (w.intensity == WeatherIntensity::kHeavy) Append(out, size, "heavy ");
  const bool alone = w.phenomenonCount == 0;
  if (w.descriptor[0]) {
    if (std::strcmp(w.descriptor, "TS") == 0 && alone)
      Append(out, size, "thunderstorm");
    else if (std::strcmp(w.descriptor, "SH") == 0 && alone)
      Append(out, size, "showers");
    else
      Append(out, size, FindCode(kDescriptors, w.descriptor)->words);
    if (!alone) Append(out, size, " ");
  }
  for (int i = 0; i < w.phenomenonCount; ++i) {
    if (i > 0) Append(out, size, " and ");
    Append(out, size, FindCode(kPhenomena, w.phenomena[i])->words);
  }
  if (w.intensity == WeatherIntensity::kVicinity) Append(out, size, " in the vicinity");
}

bool DecodeModifier(const char* g, MetarReport& r, char* words, size_t size) {
  if (std::strcmp(g, "AUTO") == 0) {
    r.automatic = true;
    snprintf(words, size, "automatic station");
  } else if (std::strcmp(g, "COR") == 0) {
    r.corrected = true;
    snprintf(words, size, "corrected report");
  } else if (std::strcmp(g, "NIL") == 0) {
    r.nil = true;
    snprintf(words, size, "no report (NIL)");
  } else {
    return false;
  }
  return true;
}

const char* DecodeWind(const char* g, MetarReport& r, char* words, size_t size) {
  const char* unit = EndsWith(g, "KT") ? "KT" : EndsWith(g, "MPS") ? "MPS" : EndsWith(g, "KMH") ? "KMH" : nullptr;
  const bool variable = StartsWith(g, "VRB");
  if (unit == nullptr || !(variable || IsDigit(g[0]) || g[0] == '/')) return kNotThisKind;
  const size_t end = std::strlen(g) - std::strlen(unit);
  if (g[0] == '/') return "wind: direction or speed not reported";
  int direction = 0;
  size_t at = 3;
  if (!variable) {
    if (ReadDigits(g, 3, &direction) != 3) return "wind: the direction needs three digits";
    if (direction > 360) return "wind: direction above 360 degrees";
  }
  if (g[at] == 'P') ++at;  // "above": the speed given is the most the station reports
  int speed = 0, gust = 0;
  size_t n = ReadDigits(g + at, 3, &speed);
  if (n < 2) return "wind: the speed needs two or three digits";
  at += n;
  if (g[at] == 'G') {
    ++at;
    if (g[at] == 'P') ++at;
    n = ReadDigits(g + at, 3, &gust);
    if (n < 2) return "wind: the gust needs two or three digits";
    at += n;
  }
  if (at != end) return "wind: not direction, speed, gust and unit";
  if (std::strcmp(unit, "MPS") == 0) {
    speed = int(std::lround(speed * kKnotsPerMetrePerSecond));
    gust = int(std::lround(gust * kKnotsPerMetrePerSecond));
  } else if (std::strcmp(unit, "KMH") == 0) {
    speed = int(std::lround(speed / kKilometresPerHourPerKnot));
    gust = int(std::lround(gust / kKilometresPerHourPerKnot));
  }
  r.hasWind = true;
  r.variableWind = variable;
  r.windDirection = direction;
  r.windSpeed = speed;
  r.windGust = gust;
  const char* converted = std::strcmp(unit, "KT") == 0 ? "" : " (converted)";
  if (speed == 0 && gust == 0)
    snprintf(words, size, "wind calm");
  else if (variable)
    snprintf(words, size, "wind variable %d kt%s", speed, converted);
  else
    snprintf(words, size, "wind %d\xB0 true %d kt%s", direction, speed, converted);
  if (gust > 0) {
    char more[32];
    snprintf(more, sizeof more, " gusting %d", gust);
    Append(words, size, more);
  }
  return nullptr;
}

const char* DecodeWindSector(const char* g, MetarReport& r, char* words, size_t size) {
  if (std::strlen(g) != 7 || g[3] != 'V' || !AllDigits(g, 3) || !AllDigits(g + 4, 3))
    return kNotThisKind;
  const int from = Number(g, 3), to = Number(g + 4, 3);
  if (from > 360 || to > 360) return "variable wind direction: above 360 degrees";
  r.sectorFrom = from;
  r.sectorTo = to;
  snprintf(words, size, "wind direction varying between %d\xB0 and %d\xB0 (not set)", from, to);
  return nullptr;
}

const char* DecodeVisibility(const char* g, MetarReport& r, char* words, size_t size) {
  if (std::strcmp(g, "CAVOK") == 0) {
    r.cavok = true;
    r.noCloud = true;
    r.hasVisibility = true;
    r.visibilityMetres = kTenKilometres;
    snprintf(words, size, "ceiling and visibility OK: 10 km or more, no cloud below 5000 ft");
    return nullptr;
  }
  const size_t n = std::strlen(g);
  if (n >= 4 && AllDigits(g, 4) && (n == 4 || IsDirection(g + 4))) {
    const int metres = Number(g, 4);
    if (n > 4 || r.hasVisibility) {
      snprintf(words, size, "lowest visibility %d m%s%s (not set)", metres, n > 4 ? " toward " : "",
               g + 4);
      return nullptr;
    }
    r.hasVisibility = true;
    r.visibilityMetres = metres >= 9999 ? kTenKilometres : metres;
    if (metres >= 9999)
      snprintf(words, size, "visibility 10 km or more");
    else
      snprintf(words, size, "visibility %d m", metres);
    return nullptr;
  }
  if (!EndsWith(g, "SM") || n < 3) return kNotThisKind;
  const char* at = g;
  const char* bound = "";
  if (*at == 'M' || *at == 'P') {
    bound = *at == 'M' ? "less than " : "more than ";
    ++at;
  }
  int whole = 0, numerator = 0, denominator = 1;
  size_t k = ReadDigits(at, 3, &whole);
  if (k == 0) return "visibility: statute miles need a number";
  at += k;
  if (*at == ' ' || *at == '/') {
    if (*at == ' ') {
      ++at;
      k = ReadDigits(at, 2, &numerator);
      if (k == 0) return "visibility: a fraction of a mile needs a number";
      at += k;
    } else {
      numerator = whole;
      whole = 0;
    }
    if (*at != '/') return "visibility: a fraction of a mile needs a /";
    ++at;
    k = ReadDigits(at, 2, &denominator);
    if (k == 0 || denominator == 0) return "visibility: a fraction of a mile needs a divisor";
    at += k;
  }
  if (std::strcmp(at, "SM") != 0) return "visibility: not a number of statute miles";
  const double miles = whole + double(numerator) / denominator;
  char amount[24];
  if (numerator && whole)
    snprintf(amount, sizeof amount, "%d %d/%d", whole, numerator, denominator);
  else if (numerator)
    snprintf(amount, sizeof amount, "%d/%d", numerator, denominator);
  else
    snprintf(amount, sizeof amount, "%d", whole);
  int metres = int(std::lround(miles * kMetresPerStatuteMile));
  if (*bound == 'm' && metres >= 9000) metres = kTenKilometres;  // P6SM: "10 km or more"
  if (r.hasVisibility) {
    snprintf(words, size, "visibility %s%s statute miles (not set: one visibility is taken)", bound,
             amount);
    return nullptr;
  }
  r.hasVisibility = true;
  r.visibilityMetres = metres;
  snprintf(words, size, "visibility %s%s statute miles (%d m)", bound, amount, metres);
  return nullptr;
}

const char* DecodeRunway(const char* g, char* words, size_t size, MetarGroupKind* kind) {
  if (g[0] != 'R' || !IsDigit(g[1]) || !IsDigit(g[2])) return kNotThisKind;
  const char* at = g + 3;
  char runway[4] = {g[1], g[2], 0, 0};
  if (*at == 'L' || *at == 'R' || *at == 'C') runway[2] = *at++;
  if (*at != '/') return kNotThisKind;
  ++at;
  const size_t n = std::strlen(at);
  bool state = n == 6;
  for (size_t i = 0; state && i < n; ++i) state = IsDigit(at[i]) || at[i] == '/';
  if (state || (StartsWith(at, "CLRD") && n == 6)) {
    *kind = MetarGroupKind::kSupplementary;
    snprintf(words, size, "state of runway %s (not set)", runway);
    return nullptr;
  }
  // [PM]dddd[V[PM]dddd][FT][/][UDN]
  if (*at == 'P' || *at == 'M') ++at;
  if (!(IsDigit(at[0]) && IsDigit(at[1]) && IsDigit(at[2]) && IsDigit(at[3])))
    return "runway visual range: four digits expected";
  at += 4;
  if (*at == 'V') {
    ++at;
    if (*at == 'P' || *at == 'M') ++at;
    if (!(IsDigit(at[0]) && IsDigit(at[1]) && IsDigit(at[2]) && IsDigit(at[3])))
      return "runway visual range: four digits expected after V";
    at += 4;
  }
  if (StartsWith(at, "FT")) at += 2;
  if (*at == '/') ++at;
  if (*at == 'U' || *at == 'D' || *at == 'N') ++at;
  if (*at != 0) return "runway visual range: unknown ending";
  *kind = MetarGroupKind::kRunwayRange;
  snprintf(words, size, "runway visual range, runway %s (not set)", runway);
  return nullptr;
}

const char* DecodeWeather(const char* g, MetarReport& r, char* words, size_t size) {
  if (std::strcmp(g, "NSW") == 0) {
    snprintf(words, size, "no significant weather");
    return nullptr;
  }
  MetarWeather w;
  if (!ParseWeather(g, w)) {
    if (g[0] == '+' || g[0] == '-') return "weather: unknown descriptor or phenomenon";
    return kNotThisKind;
  }
  char text[kMetarWordsSize];
  DescribeWeather(w, text, sizeof text);
  if (r.weatherCount >= kMaxWeatherGroups) {
    snprintf(words, size, "%s (not set: three weather groups are taken)", text);
    return nullptr;
  }
  r.weather[r.weatherCount++] = w;
  snprintf(words, size, "%s", text);
  return nullptr;
}

const char* DecodeCloud(const char* g, MetarReport& r, char* words, size_t size) {
  static const char* const kNone[] = {"SKC", "CLR", "NSC", "NCD"};
  for (const char* none : kNone)
    if (std::strcmp(g, none) == 0) {
      r.noCloud = true;
      snprintf(words, size, "%s", std::strcmp(g, "NCD") == 0 ? "no cloud detected"
                                  : std::strcmp(g, "NSC") == 0 ? "no significant cloud"
                                                               : "sky clear");
      return nullptr;
    }
  if (StartsWith(g, "VV")) {
    if (std::strcmp(g + 2, "///") == 0) {
      snprintf(words, size, "sky obscured, vertical visibility not reported (not set)");
      return nullptr;
    }
    if (std::strlen(g) != 5 || !AllDigits(g + 2, 3)) return "vertical visibility: three digits expected";
    r.verticalVisibility = Number(g + 2, 3) * 100;
    snprintf(words, size, "sky obscured, vertical visibility %d ft", r.verticalVisibility);
    return nullptr;
  }
  static const char* const kCovers[] = {"FEW", "SCT", "BKN", "OVC"};
  static const char* const kCoverWords[] = {"few", "scattered", "broken", "overcast"};
  int cover = -1;
  for (int i = 0; i < 4; ++i)
    if (StartsWith(g, kCovers[i])) cover = i;
  if (cover < 0) return kNotThisKind;
  const char* at = g + 3;
  CloudKind kind = CloudKind::kPlain;
  const char* tail = at + (std::strlen(at) >= 3 ? 3 : std::strlen(at));
  if (std::strcmp(tail, "CB") == 0)
    kind = CloudKind::kCumulonimbus;
  else if (std::strcmp(tail, "TCU") == 0)
    kind = CloudKind::kToweringCumulus;
  else if (*tail != 0 && std::strcmp(tail, "///") != 0)
    return "cloud: the type after the height must be CB or TCU";
  const char* kindWords = kind == CloudKind::kCumulonimbus ? "cumulonimbus"
                          : kind == CloudKind::kToweringCumulus ? "towering cumulus" : "cloud";
  if (std::strncmp(at, "///", 3) == 0 && std::strlen(at) >= 3) {
    snprintf(words, size, "%s %s, height not reported (not set)", kCoverWords[cover], kindWords);
    return nullptr;
  }
  if (std::strlen(at) < 3 || !AllDigits(at, 3)) return "cloud: the height needs three digits";
  const int feet = Number(at, 3) * 100;
  if (r.cloudCount >= kMaxCloudGroups) {
    snprintf(words, size, "%s %s at %d ft (not set: six layers are taken)", kCoverWords[cover],
             kindWords, feet);
    return nullptr;
  }
  MetarCloud& c = r.clouds[r.cloudCount++];
  c.cover = CloudCover(cover + 1);
  c.heightFeet = feet;
  c.kind = kind;
  snprintf(words, size, "%s %s at %d ft", kCoverWords[cover], kindWords, feet);
  return nullptr;
}

namespace {

// "M05", "12" or "//" at s; the characters used, or 0.
size_t ReadCelsius(const char* s, bool* present, int* celsius) {
  if (s[0] == '/' && s[1] == '/') {
    *present = false;
    return 2;
  }
  const bool minus = s[0] == 'M';
  const char* d = s + (minus ? 1 : 0);
  if (!IsDigit(d[0]) || !IsDigit(d[1])) return 0;
  *present = true;
  *celsius = Number(d, 2) * (minus ? -1 : 1);
  return size_t(d + 2 - s);
}

}  // namespace

const char* DecodeTemperature(const char* g, MetarReport& r, char* words, size_t size) {
  const char* slash = std::strchr(g, '/');
  if (slash == nullptr || !(IsDigit(g[0]) || g[0] == 'M' || g[0] == '/')) return kNotThisKind;
  if (g[0] == 'M' && !IsDigit(g[1])) return kNotThisKind;
  bool hasT = false, hasD = false;
  int t = 0, d = 0;
  size_t n = ReadCelsius(g, &hasT, &t);
  if (n == 0 || g[n] != '/') return "temperature: two digits, M for minus, then /";
  const char* dew = g + n + 1;
  size_t m = *dew == 0 ? 0 : ReadCelsius(dew, &hasD, &d);
  if ((*dew != 0 && m == 0) || dew[m] != 0) return "dew point: two digits with M for minus";
  r.hasTemperature = hasT;
  r.hasDewPoint = hasD;
  r.temperature = t;
  r.dewPoint = d;
  char tt[24] = "not reported", dd[24] = "not reported";
  if (hasT) snprintf(tt, sizeof tt, "%d \xB0""C", t);
  if (hasD) snprintf(dd, sizeof dd, "%d \xB0""C", d);
  snprintf(words, size, "temperature %s, dew point %s", tt, dd);
  return nullptr;
}

const char* DecodePressure(const char* g, MetarReport& r, char* words, size_t size) {
  if ((g[0] != 'Q' && g[0] != 'A') || std::strlen(g) != 5) return kNotThisKind;
  if (std::strcmp(g + 1, "////") == 0) {
    snprintf(words, size, "pressure not reported");
    return nullptr;
  }
  if (!AllDigits(g + 1, 4)) return g[0] == 'Q' ? "QNH: four digits of hPa expected" : kNotThisKind;
  const int v = Number(g + 1, 4);
  if (g[0] == 'Q') {
    if (v < 800 || v > 1200) return "QNH: outside 800 to 1200 hPa";
    r.hasPressure = true;
    r.qnhHectopascals = v;
    snprintf(words, size, "QNH %d hPa", v);
  } else {
    // Kept inside what a QNH group may hold, so that the line written back reads again.
    if (v < 2400 || v > 3500) return "altimeter: outside 24.00 to 35.00 inches";
    r.hasPressure = true;
    r.qnhHectopascals = v / 100.0 * kHectopascalsPerInch;
    snprintf(words, size, "QNH %d.%02d inHg (%.0f hPa)", v / 100, v % 100, r.qnhHectopascals);
  }
  return nullptr;
}

const char* DecodeSupplementary(const char* g, char* words, size_t size) {
  if (StartsWith(g, "RE") && g[2] != 0) {
    MetarWeather w;
    if (!ParseWeather(g + 2, w) || w.intensity != WeatherIntensity::kModerate)
      return kNotThisKind;
    char text[kMetarWordsSize];
    DescribeWeather(w, text, sizeof text);
    snprintf(words, size, "recent %s (not set)", text);
    return nullptr;
  }
  // Sea surface: W, temperature (M for minus), then /S state or /H wave height.
  if (g[0] == 'W' && (IsDigit(g[1]) || g[1] == 'M' || g[1] == '/')) {
    const char* slash = std::strchr(g + 1, '/');
    if (slash && slash > g + 1 && (slash[1] == 'S' || slash[1] == 'H')) {
      snprintf(words, size, "sea surface temperature and state (not set)");
      return nullptr;
    }
  }
  return kNotThisKind;
}
