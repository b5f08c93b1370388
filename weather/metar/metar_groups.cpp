#include "weather/metar/metar_groups.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "weather/metar/metar_text.h"

using namespace metar_text;

const char kNotThisKind[] = "not this kind";

namespace {

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
  } else if (IsCorrection(g)) {
    r.corrected = true;
    snprintf(words, size, "corrected report");
  } else if (std::strcmp(g, "RTD") == 0) {
    snprintf(words, size, "delayed report");
  } else if (std::strcmp(g, "NIL") == 0) {
    r.nil = true;
    snprintf(words, size, "no report (NIL)");
  } else {
    return false;
  }
  return true;
}

bool IsCorrection(const char* g) {
  return std::strcmp(g, "COR") == 0 ||
         (g[0] == 'C' && g[1] == 'C' && IsUpper(g[2]) && g[3] == 0);  // CCA, CCB, ...
}

namespace {

// Speed figures at g: "P" and two or three digits, or two or three slashes (missing).
// The characters used, or 0.
size_t ReadSpeed(const char* g, int* speed, bool* missing) {
  size_t n = 0;
  while (n < 3 && g[n] == '/') ++n;
  if (n > 0) {
    *missing = true;
    return n >= 2 ? n : 0;
  }
  if (g[0] == 'P') ++n;  // "above": the speed given is the most the station reports
  const size_t k = ReadDigits(g + n, 3, speed);
  return k >= 2 ? n + k : 0;
}

constexpr int kMostKnots = 250;  // more than any station has measured

}  // namespace

// dddff(f)[Gff(f)] and a unit; ddd may be VRB, and slashes stand for what is not reported.
// Without a unit only figures are taken, as knots.
const char* DecodeWind(const char* g, MetarReport& r, char* words, size_t size) {
  const char* unit = EndsWith(g, "KT") ? "KT" : EndsWith(g, "MPS") ? "MPS" : EndsWith(g, "KMH") ? "KMH" : "";
  const bool variable = StartsWith(g, "VRB");
  const size_t length = std::strlen(g);
  if (*unit == 0) {
    if (length < 5 || !IsDigit(g[0])) return kNotThisKind;
    for (size_t i = 0; i < length; ++i)
      if (!IsDigit(g[i]) && g[i] != 'G') return kNotThisKind;
  } else if (!(variable || IsDigit(g[0]) || g[0] == '/')) {
    return kNotThisKind;
  }
  const size_t end = length - std::strlen(unit);
  int direction = 0;
  bool directionMissing = false;
  if (variable) {
  } else if (StartsWith(g, "///")) {
    directionMissing = true;
  } else {
    if (ReadDigits(g, 3, &direction) != 3) return "wind: the direction needs three digits";
    if (direction > 360) return *unit ? "wind: direction above 360 degrees" : kNotThisKind;
  }
  size_t at = 3;
  int speed = 0, gust = 0;
  bool speedMissing = false, gustMissing = false, hasGust = false;
  size_t n = ReadSpeed(g + at, &speed, &speedMissing);
  if (n == 0) return *unit ? "wind: the speed needs two or three digits" : kNotThisKind;
  at += n;
  if (g[at] == 'G') {
    ++at;
    hasGust = true;
    n = ReadSpeed(g + at, &gust, &gustMissing);
    if (n == 0) return *unit ? "wind: the gust needs two or three digits" : kNotThisKind;
    at += n;
  }
  if (at != end) return *unit ? "wind: not direction, speed, gust and unit" : kNotThisKind;
  if (std::strcmp(unit, "MPS") == 0) {  // 1 m/s = 1.943844 kt
    speed = int((speed * int64_t(1943844) + 500000) / 1000000);
    gust = int((gust * int64_t(1943844) + 500000) / 1000000);
  } else if (std::strcmp(unit, "KMH") == 0) {  // 1 kt = 1.852 km/h
    speed = (speed * 1000 + 926) / 1852;
    gust = (gust * 1000 + 926) / 1852;
  }
  const char* said = std::strcmp(unit, "KT") == 0 ? "" : *unit ? " (converted)" : " (no unit: taken as knots)";
  if (directionMissing || speedMissing) {
    if (speedMissing)
      snprintf(words, size, "wind not reported (not set)");
    else
      snprintf(words, size, "wind %d kt%s, direction not reported (not set)", speed, said);
    return nullptr;
  }
  if (speed > kMostKnots) return "wind: speed above 250 kt, which no station reports";
  if (gust > kMostKnots) return "wind: gust above 250 kt, which no station reports";
  if (hasGust && !gustMissing && gust < speed) return "wind: gust below the speed";
  if (speed == 0 && gust == 0)
    snprintf(words, size, "wind calm");
  else if (variable)
    snprintf(words, size, "wind variable %d kt", speed);
  else
    snprintf(words, size, "wind %d\xB0 true %d kt", direction, speed);
  if (gust > 0) {
    char more[32];
    snprintf(more, sizeof more, " gusting %d", gust);
    Append(words, size, more);
  }
  if (speed > 0 || gust > 0 || *unit == 0) Append(words, size, said);
  if (r.hasWind) {
    Append(words, size, " (repeated: not used)");
    return nullptr;
  }
  r.hasWind = true;
  r.variableWind = variable;
  r.windDirection = direction;
  r.windSpeed = speed;
  r.windGust = gust;
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

namespace {

void TakeVisibility(MetarReport& r, int metres, int hundredths) {
  r.hasVisibility = true;
  r.visibilityMetres = metres;
  r.visibilityHundredths = hundredths;
}

}  // namespace

const char* DecodeVisibility(const char* g, MetarReport& r, char* words, size_t size) {
  if (std::strcmp(g, "CAVOK") == 0) {
    r.cavok = true;
    r.noCloud = true;
    if (r.hasVisibility) {
      snprintf(words, size, "ceiling and visibility OK: no cloud below 5000 ft (visibility repeated: not used)");
      return nullptr;
    }
    TakeVisibility(r, kTenKilometres, -1);
    snprintf(words, size, "ceiling and visibility OK: 10 km or more, no cloud below 5000 ft");
    return nullptr;
  }
  const size_t n = std::strlen(g);
  if (StartsWith(g, "////") && (std::strcmp(g + 4, "NDV") == 0 || std::strcmp(g + 4, "SM") == 0)) {
    snprintf(words, size, "visibility not reported (not set)");
    return nullptr;
  }
  if (n >= 4 && AllDigits(g, 4) && (n == 4 || IsDirection(g + 4))) {
    const int metres = Number(g, 4);
    // NDV: the prevailing visibility of a station that cannot tell directions apart.
    const bool prevailing = n == 4 || std::strcmp(g + 4, "NDV") == 0;
    char amount[40];
    if (metres >= 9999)
      snprintf(amount, sizeof amount, "10 km or more");
    else
      snprintf(amount, sizeof amount, "%d m", metres);
    const char* ndv = n > 4 && prevailing ? ", no directional variation" : "";
    if (!prevailing)
      snprintf(words, size, "lowest visibility %d m toward %s (not set)", metres, g + 4);
    else if (r.hasVisibility && n == 4)
      snprintf(words, size, "lowest visibility %d m (not set)", metres);
    else if (r.hasVisibility)
      snprintf(words, size, "visibility %s%s (repeated: not used)", amount, ndv);
    else {
      TakeVisibility(r, metres >= 9999 ? kTenKilometres : metres, -1);
      snprintf(words, size, "visibility %s%s", amount, ndv);
    }
    return nullptr;
  }
  if (n >= 3 && n <= 4 && EndsWith(g, "KM") && AllDigits(g, n - 2)) {  // 5KM, 20KM
    const int km = Number(g, n - 2);
    if (km == 0) return "visibility: 0 KM is no visibility in kilometres";
    if (r.hasVisibility) {
      snprintf(words, size, "visibility %d km (repeated: not used)", km);
      return nullptr;
    }
    TakeVisibility(r, km * 1000, -1);
    snprintf(words, size, "visibility %d km", km);
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
  char amount[24];
  if (numerator && whole)
    snprintf(amount, sizeof amount, "%d %d/%d", whole, numerator, denominator);
  else if (numerator)
    snprintf(amount, sizeof amount, "%d/%d", numerator, denominator);
  else
    snprintf(amount, sizeof amount, "%d", whole);
  // As reported, in hundredths (1/16 SM is 6); "P6SM", "6 miles or more", is set as 10.
  int64_t hundredths = whole * 100 + (numerator * 200 + denominator) / (2 * denominator);
  int metres = int(((whole * int64_t(denominator) + numerator) * 3218688 + denominator * 1000) /
                   (denominator * int64_t(2000)));  // 1609.344 m a mile, to the nearest metre
  if (*bound == 'm' && hundredths < 1000 && metres >= 9000) {
    hundredths = 1000;
    metres = kTenKilometres;
  }
  if (r.hasVisibility) {
    snprintf(words, size, "visibility %s%s statute miles (repeated: not used)", bound, amount);
    return nullptr;
  }
  TakeVisibility(r, metres, int(std::min<int64_t>(hundredths, 0xFFFF)));
  snprintf(words, size, "visibility %s%s statute miles (%d m)", bound, amount, metres);
  return nullptr;
}

namespace {

// Digits or slashes only, n of them.
bool Figures(const char* s, size_t n) {
  if (std::strlen(s) != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (!IsDigit(s[i]) && s[i] != '/') return false;
  return true;
}

// The six figures of a runway state (deposit, extent, depth, friction), or CLRD and friction.
bool IsRunwayState(const char* s) {
  return Figures(s, 6) || (StartsWith(s, "CLRD") && Figures(s + 4, 2));
}

bool AllSlashes(const char* s) {
  if (*s == 0) return false;
  while (*s == '/') ++s;
  return *s == 0;
}

}  // namespace

const char* DecodeRunway(const char* g, char* words, size_t size, MetarGroupKind* kind) {
  *kind = MetarGroupKind::kSupplementary;
  if (std::strcmp(g, "SNOCLO") == 0 || std::strcmp(g, "R/SNOCLO") == 0) {
    snprintf(words, size, "aerodrome closed by snow (not set)");
    return nullptr;
  }
  // The old form: two figures of runway, then the six of its state (88 all, 99 repeated).
  if (std::strlen(g) == 8 && IsDigit(g[0]) && IsDigit(g[1]) && IsRunwayState(g + 2)) {
    snprintf(words, size, "state of runway %c%c (not set)", g[0], g[1]);
    return nullptr;
  }
  if (g[0] != 'R' || !IsDigit(g[1]) || !IsDigit(g[2])) return kNotThisKind;
  const char* at = g + 3;
  char runway[4] = {g[1], g[2], 0, 0};
  if (*at == 'L' || *at == 'R' || *at == 'C') runway[2] = *at++;
  if (*at != '/') return kNotThisKind;
  ++at;
  if (std::strcmp(at, "SNOCLO") == 0) {
    snprintf(words, size, "runway %s closed by snow (not set)", runway);
    return nullptr;
  }
  if (IsRunwayState(at)) {
    snprintf(words, size, "state of runway %s (not set)", runway);
    return nullptr;
  }
  size_t slashes = 0;
  while (at[slashes] == '/') ++slashes;
  const char tendency = at[slashes];
  if (slashes >= 2 && (tendency == 0 || ((tendency == 'U' || tendency == 'D' || tendency == 'N') &&
                                          at[slashes + 1] == 0))) {
    snprintf(words, size, "runway %s: visual range or state not reported (not set)", runway);
    return nullptr;
  }
  // [PM]dddd[V[PM]dddd][FT][/][UDN]
  *kind = MetarGroupKind::kRunwayRange;
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
    const bool missing = std::strcmp(g + 2, "///") == 0;
    if (!missing && (std::strlen(g) != 5 || !AllDigits(g + 2, 3)))
      return "vertical visibility: three digits expected";
    const int feet = missing ? 0 : Number(g + 2, 3) * 100;
    if (r.verticalVisibility >= 0) {
      snprintf(words, size, "sky obscured (repeated: not used)");
      return nullptr;
    }
    r.verticalVisibility = feet;
    if (missing)
      snprintf(words, size, "sky obscured, vertical visibility not reported: set from the ground");
    else
      snprintf(words, size, "sky obscured, vertical visibility %d ft", feet);
    return nullptr;
  }
  // Slashes, then CB or TCU: a convective cloud seen with neither amount nor height.
  if (g[0] == '/') {
    size_t n = 0;
    while (g[n] == '/') ++n;
    if (n >= 2 && (std::strcmp(g + n, "CB") == 0 || std::strcmp(g + n, "TCU") == 0)) {
      snprintf(words, size, "%s, amount and height not reported (not set)",
               g[n] == 'C' ? "cumulonimbus" : "towering cumulus");
      return nullptr;
    }
  }
  static const char* const kCovers[] = {"FEW", "SCT", "BKN", "OVC", "///"};
  static const char* const kCoverWords[] = {"few", "scattered", "broken", "overcast", ""};
  int cover = -1;
  for (int i = 0; i < 5; ++i)
    if (StartsWith(g, kCovers[i])) cover = i;
  if (cover < 0) return kNotThisKind;
  const char* at = g + 3;
  const size_t rest = std::strlen(at);
  // Slashes for the amount: "///", then a height or more slashes, then perhaps a type.
  if (cover == 4 && !(rest >= 3 && (std::strncmp(at, "///", 3) == 0 || AllDigits(at, 3))))
    return kNotThisKind;
  CloudKind kind = CloudKind::kPlain;
  const char* tail = at + (rest >= 3 ? 3 : rest);
  if (std::strcmp(tail, "CB") == 0)
    kind = CloudKind::kCumulonimbus;
  else if (std::strcmp(tail, "TCU") == 0)
    kind = CloudKind::kToweringCumulus;
  else if (*tail != 0 && !AllSlashes(tail))
    return cover == 4 ? kNotThisKind : "cloud: the type after the height must be CB or TCU";
  const char* kindWords = kind == CloudKind::kCumulonimbus ? "cumulonimbus"
                          : kind == CloudKind::kToweringCumulus ? "towering cumulus" : "cloud";
  const bool noHeight = rest >= 3 && std::strncmp(at, "///", 3) == 0;
  if (cover == 4) {
    char height[32] = ", height not reported";
    if (!noHeight) snprintf(height, sizeof height, " at %d ft", Number(at, 3) * 100);
    snprintf(words, size, "%s%s, amount not reported (not set)", kindWords, height);
    return nullptr;
  }
  if (noHeight) {
    snprintf(words, size, "%s %s, height not reported (not set)", kCoverWords[cover], kindWords);
    return nullptr;
  }
  if (rest < 3 || !AllDigits(at, 3)) return "cloud: the height needs three digits";
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

const char* OutOfRange(int celsius, const char* high, const char* low) {
  return celsius > 60 ? high : celsius < -80 ? low : nullptr;
}

}  // namespace

// TT/DD with M for minus; slashes, any number of them, for a value not reported ("05///",
// "M05////", "////10"); nothing after the / for a dew point not reported ("05/").
const char* DecodeTemperature(const char* g, MetarReport& r, char* words, size_t size) {
  const char* slash = std::strchr(g, '/');
  if (slash == nullptr || !(IsDigit(g[0]) || g[0] == 'M' || g[0] == '/')) return kNotThisKind;
  if (g[0] == 'M' && !IsDigit(g[1])) return kNotThisKind;
  bool hasT = false, hasD = false;
  int t = 0, d = 0;
  const char* dew = nullptr;
  if (g[0] == '/') {
    dew = std::strrchr(g, '/') + 1;
    if (dew - g < 2) return kNotThisKind;
    for (const char* c = dew; *c; ++c)
      if (!IsDigit(*c) && *c != 'M') return kNotThisKind;
  } else {
    const size_t n = ReadCelsius(g, &hasT, &t);
    if (n == 0 || g[n] != '/') return "temperature: two digits, M for minus, then /";
    dew = g + n + 1;
  }
  if (!AllSlashes(dew) && *dew != 0) {
    const size_t m = ReadCelsius(dew, &hasD, &d);
    if (m == 0 || dew[m] != 0) return "dew point: two digits with M for minus";
  }
  if (hasT) {
    if (const char* why = OutOfRange(t, "temperature: above 60 \xB0""C, which no station reports",
                                     "temperature: below -80 \xB0""C, which no station reports"))
      return why;
  }
  if (hasD) {
    if (const char* why = OutOfRange(d, "dew point: above 60 \xB0""C, which no station reports",
                                     "dew point: below -80 \xB0""C, which no station reports"))
      return why;
  }
  char tt[24] = "not reported", dd[24] = "not reported";
  if (hasT) snprintf(tt, sizeof tt, "%d \xB0""C", t);
  if (hasD) snprintf(dd, sizeof dd, "%d \xB0""C", d);
  snprintf(words, size, "temperature %s, dew point %s", tt, dd);
  if (!hasT) {
    Append(words, size, " (not set)");
  } else if (r.hasTemperature) {
    Append(words, size, " (repeated: not used)");
  } else {
    r.hasTemperature = true;
    r.hasDewPoint = hasD;
    r.temperature = t;
    r.dewPoint = d;
  }
  return nullptr;
}

// Qpppp in hPa, Aiiii in hundredths of an inch; QNHpppp[HPA|INS] as some offices write it.
const char* DecodePressure(const char* g, MetarReport& r, char* words, size_t size) {
  bool inches = g[0] == 'A';
  const char* digits = g + 1;
  size_t n = std::strlen(g);
  if (StartsWith(g, "QNH") && n >= 7) {
    digits = g + 3;
    if (n == 10 && (EndsWith(g, "HPA") || EndsWith(g, "INS")))
      inches = EndsWith(g, "INS");
    else if (n != 7)
      return "QNH: four digits, then HPA or INS";
  } else if ((g[0] != 'Q' && g[0] != 'A') || n != 5) {
    return kNotThisKind;
  }
  if (std::strncmp(digits, "////", 4) == 0) {
    snprintf(words, size, "pressure not reported");
    return nullptr;
  }
  if (!AllDigits(digits, 4)) return inches ? (g[0] == 'A' ? kNotThisKind : "QNH: four digits of inches expected")
                                           : "QNH: four digits of hPa expected";
  const int v = Number(digits, 4);
  double hectopascals = v;
  if (!inches) {
    if (v < 800 || v > 1200) return "QNH: outside 800 to 1200 hPa";
    snprintf(words, size, "QNH %d hPa", v);
  } else {
    // Kept inside what a QNH group may hold, so that the line written back reads again.
    if (v < 2400 || v > 3500) return "altimeter: outside 24.00 to 35.00 inches";
    hectopascals = v / 100.0 * kHectopascalsPerInch;
    snprintf(words, size, "QNH %d.%02d inHg (%.0f hPa)", v / 100, v % 100, hectopascals);
  }
  if (r.hasPressure) {
    Append(words, size, " (repeated: not used)");
    return nullptr;
  }
  r.hasPressure = true;
  r.qnhHectopascals = hectopascals;
  return nullptr;
}

const char* DecodeSupplementary(const char* g, char* words, size_t size) {
  if (StartsWith(g, "RE") && g[2] != 0) {
    if (AllSlashes(g + 2)) {
      snprintf(words, size, "recent weather not reported (not set)");
      return nullptr;
    }
    MetarWeather w;
    if (!ParseWeather(g + 2, w)) return kNotThisKind;
    char text[kMetarWordsSize];
    DescribeWeather(w, text, sizeof text);
    snprintf(words, size, "recent %s (not set)", text);
    return nullptr;
  }
  // Sea surface: W, temperature (M for minus, or //), then /S and the state or /H and the wave
  // height in decimetres, either perhaps slashes.
  if (g[0] == 'W' && (IsDigit(g[1]) || g[1] == 'M' || g[1] == '/')) {
    bool present = false;
    int celsius = 0;
    const size_t n = ReadCelsius(g + 1, &present, &celsius);
    const char* at = g + 1 + n;
    if (n > 0 && at[0] == '/' && (at[1] == 'S' || at[1] == 'H') && at[2] != 0) {
      bool figures = true;
      for (const char* c = at + 2; *c; ++c) figures = figures && (IsDigit(*c) || *c == '/');
      if (figures && std::strlen(at + 2) <= 3) {
        snprintf(words, size, "sea surface temperature and %s (not set)",
                 at[1] == 'S' ? "state" : "wave height");
        return nullptr;
      }
    }
  }
  // Sea-level pressure belongs in the remarks; some stations put it before them.
  if (StartsWith(g, "SLP") && (Figures(g + 3, 3) || std::strcmp(g + 3, "NO") == 0)) {
    snprintf(words, size, "sea-level pressure (not set)");
    return nullptr;
  }
  if (std::strcmp(g, "NDV") == 0) {
    snprintf(words, size, "no directional variation of the visibility");
    return nullptr;
  }
  return kNotThisKind;
}
