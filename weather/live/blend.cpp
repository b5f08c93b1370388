// The weather at the aircraft from the stations near it.
//
// What                  | From
// ----------------------|-----------------------------------------------------------------------
// Stations              | the `stations` nearest usable ones (report 6 h old at most, something
//                       | read) within `radiusNm`; one within 2 nm is used alone. Stale and
//                       | unreadable near ones are listed as skipped.
// Weight                | fade / max(distance, 0.5 nm)^2, as shares of the stations that report
//                       | the quantity (a partly read report gives only what was read)
// QNH                   | a weighted plane fit (value = a + gx x + gy y in nm east and north of
//                       | the aircraft, the gradient held back by a ridge of 0.01 nm^2 x the
//                       | total weight), taken at the aircraft; exact for a field linear in
//                       | position
// Temperature, dew pt.  | each to sea level by +6.5 degC per 1000 m of station elevation, fitted
//                       | as QNH, then back down to the ground elevation; whole degrees, the dew
//                       | point never above the temperature
// Every fit             | kept within the stations' values widened by half their spread
// Ground elevation      | weighted mean of the stations' elevations
// Wind                  | weighted mean of the wind vectors (VRB counts as calm); calm under
//                       | 1 kt. Gust: the largest of gust (or speed) x weight / largest weight,
//                       | given when a station reports one and it is above the blended speed
// Visibility            | weighted mean of ln(metres), 10 km for CAVOK, 9999 and 10 km or more
// Clouds                | the nearest chosen station with a cloud group (NSC, SKC, CLR, NCD,
//                       | CAVOK say none); bases moved from its elevation to the ground elevation,
//                       | not below it
// Precipitation, TS     | the nearest chosen station within 10 nm that reports them (at the
//                       | station, not in its vicinity); else none
// Fades                 | a station joining moves from 0 to 1, one leaving from its fade to 0, by
//                       | elapsed / fadeSeconds per blend; a leaving one is dropped at once when
//                       | stale, gone from the file or beyond 1.5 x the radius. The first blend,
//                       | and one after a move of more than the radius, takes all at 1. When
//                       | every fade is 0 the stations' plain weights are used. At most 16 in
//                       | the blend: the chosen and the strongest leaving.
// Nothing in range      | not usable: the weather is left as it is
#include "weather/live/blend.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr double kClosestNm = 0.5;
constexpr double kLapsePerMetre = 0.0065;  // degC
constexpr double kFeetPerMetre = 3.28084;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr int kMostSkipped = 8;
constexpr int kMostStations = 8;
constexpr double kRidgeNm2 = 0.01;
constexpr double kLeavingReach = 1.5;  // a leaving station is dropped beyond this many radii

bool Usable(StationState s) { return s == StationState::kUsable || s == StationState::kOld; }

struct Member {
  int index;
  double distance;
  double fade;
  bool chosen;
  double weight;  // unnormalised
  double x, y;    // nm east and north of the aircraft
};

struct Sample {
  double x, y, w, v;
};

// Weighted least squares of v = a + gx x + gy y with a ridge on the gradient; a comes back.
// Samples with a total weight of 0 have no value.
bool PlaneFit(const Sample* samples, int n, double* value) {
  double W = 0, mx = 0, my = 0, mv = 0, low = HUGE_VAL, high = -HUGE_VAL;
  for (const Sample* s = samples; s < samples + n; ++s) {
    W += s->w;
    mx += s->w * s->x;
    my += s->w * s->y;
    mv += s->w * s->v;
    low = std::min(low, s->v);
    high = std::max(high, s->v);
  }
  if (!(W > 0)) return false;
  mx /= W;
  my /= W;
  mv /= W;
  double cxx = 0, cxy = 0, cyy = 0, cxv = 0, cyv = 0;
  for (const Sample* s = samples; s < samples + n; ++s) {
    const double dx = s->x - mx, dy = s->y - my, dv = s->v - mv;
    cxx += s->w * dx * dx;
    cxy += s->w * dx * dy;
    cyy += s->w * dy * dy;
    cxv += s->w * dx * dv;
    cyv += s->w * dy * dv;
  }
  // A ridge of kRidgeNm2 per unit of weight: two stations, or stations on a line, give a
  // smooth mean across the line instead of a gradient out of nothing.
  const double ridge = kRidgeNm2 * W;
  const double a11 = cxx + ridge, a22 = cyy + ridge;
  const double det = a11 * a22 - cxy * cxy;
  double a = mv;
  if (det > 0) {
    const double gx = (cxv * a22 - cyv * cxy) / det;
    const double gy = (cyv * a11 - cxv * cxy) / det;
    a = mv - gx * mx - gy * my;
  }
  const double spread = high - low;
  a = std::clamp(a, low - spread / 2, high + spread / 2);
  if (!std::isfinite(a)) a = mv;
  if (!std::isfinite(a)) return false;
  *value = a;
  return true;
}

bool HasCloudGroup(const MetarReport& r) {
  return r.cloudCount > 0 || r.noCloud || r.verticalVisibility >= 0;
}

bool IsPrecipitation(const char* code) {
  static const char kCodes[][3] = {"DZ", "RA", "SN", "SG", "PL", "GR", "GS", "IC", "UP"};
  for (const char* c : kCodes)
    if (code[0] == c[0] && code[1] == c[1] && code[2] == 0) return true;
  return false;
}

// Precipitation or a thunderstorm at the station (not in its vicinity).
bool WeatherCounts(const MetarWeather& w) {
  if (w.intensity == WeatherIntensity::kVicinity) return false;
  if (w.descriptor[0] == 'T' && w.descriptor[1] == 'S') return true;
  for (int p = 0; p < w.phenomenonCount && p < kMaxWeatherCodes; ++p)
    if (IsPrecipitation(w.phenomena[p])) return true;
  return false;
}

bool ReportsWeather(const MetarReport& r) {
  for (int i = 0; i < r.weatherCount && i < kMaxWeatherGroups; ++i)
    if (WeatherCounts(r.weather[i])) return true;
  return false;
}

int Rounded(double v) { return int(std::lround(std::clamp(v, -1e6, 1e6))); }

// Degrees east to -180..180.
double WrapLongitude(double degrees) {
  degrees = std::fmod(degrees, 360.0);
  if (degrees > 180) degrees -= 360;
  if (degrees < -180) degrees += 360;
  return degrees;
}

bool Nearer(const Member& a, const Member& b) {
  return a.distance != b.distance ? a.distance < b.distance : a.index < b.index;
}

// Wind as vectors towards where it blows (VRB adds its weight but no vector), visibility in its
// logarithm.
void BlendWindAndVisibility(const std::vector<LiveStation>& stations, const Member* members,
                            int count, MetarReport& b) {
  double u = 0, v = 0, windWeight = 0, heaviest = 0;
  for (int k = 0; k < count; ++k) {
    const Member& m = members[k];
    const MetarReport& r = stations[size_t(m.index)].decoded;
    if (!r.hasWind) continue;
    windWeight += m.weight;
    heaviest = std::max(heaviest, m.weight);
    if (r.variableWind) continue;
    const double a = r.windDirection * kRadiansPerDegree;
    u -= m.weight * r.windSpeed * std::sin(a);
    v -= m.weight * r.windSpeed * std::cos(a);
  }
  if (windWeight > 0) {
    b.hasWind = true;
    u /= windWeight;
    v /= windWeight;
    const double speed = std::sqrt(u * u + v * v);
    if (speed >= 1) {
      b.windSpeed = Rounded(speed);
      int direction = Rounded(std::atan2(-u, -v) / kRadiansPerDegree);
      direction = ((direction % 360) + 360) % 360;
      b.windDirection = direction == 0 ? 360 : direction;
    }
    double gust = 0;
    bool gusty = false;
    for (int k = 0; k < count; ++k) {
    const Member& m = members[k];
      const MetarReport& r = stations[size_t(m.index)].decoded;
      if (!r.hasWind) continue;
      gusty = gusty || r.windGust > 0;
      const int g = r.windGust > 0 ? r.windGust : r.windSpeed;
      gust = std::max(gust, g * m.weight / heaviest);
    }
    // Only when a station reports a gust: vectors that cancel make no gust of their speeds.
    if (gusty && Rounded(gust) > b.windSpeed) b.windGust = Rounded(gust);
  }

  double logSum = 0, visibilityWeight = 0;
  for (int k = 0; k < count; ++k) {
    const Member& m = members[k];
    const MetarReport& r = stations[size_t(m.index)].decoded;
    if (!r.hasVisibility) continue;
    const int metres = r.cavok ? kTenKilometres : std::clamp(r.visibilityMetres, 1, kTenKilometres);
    logSum += m.weight * std::log(double(metres));
    visibilityWeight += m.weight;
  }
  if (visibilityWeight > 0) {
    b.hasVisibility = true;
    b.visibilityMetres = std::clamp(Rounded(std::exp(logSum / visibilityWeight)), 0, kTenKilometres);
    b.visibilityHundredths = -1;
  }

}

}  // namespace

void LiveBlender::Reset() {
  fadeCount_ = 0;
  first_ = true;
  lastSeconds_ = 0;
}

bool LiveBlender::Fading() const {
  for (int k = 0; k < fadeCount_; ++k)
    if (fades_[k].fade < 1) return true;
  return false;
}

void LiveBlender::Blend(const StationIndex& index, double latitude, double longitude,
                        double nowSeconds, const LiveSettings& settings, LiveWeather& out) {
  out.usable = false;
  out.entries.clear();
  out.skipped.clear();
  out.blended = MetarReport();
  out.groundElevationMetres = 0;
  out.tables = MetarTables();
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return;
  latitude = std::clamp(latitude, -90.0, 90.0);
  longitude = WrapLongitude(longitude);
  const double radius = settings.radiusNm >= 10 ? std::min(settings.radiusNm, 300.0) : 10.0;
  const int most = std::clamp(settings.stations, 1, kMostStations);
  const std::vector<LiveStation>& stations = index.Stations();

  // The chosen: the nearest usable ones.
  index.Near(latitude, longitude, radius, INT_MAX, near_);
  NearStation chosen[kMostStations];
  int chosenCount = 0;
  for (const NearStation& n : near_) {
    if (chosenCount == most) break;
    if (Usable(stations[size_t(n.index)].state))
      chosen[chosenCount++] = n;
    else if (out.skipped.size() < size_t(kMostSkipped))
      out.skipped.push_back(n.index);
  }
  if (chosenCount > 0 && chosen[0].distanceNm <= kAloneNm) chosenCount = 1;
  if (chosenCount == 0) {
    Reset();
    return;
  }

  // A move of more than the radius since the last blend (a new place picked in the simulator)
  // starts afresh: stations left far behind would otherwise hold the weather for a fade.
  if (!first_ && !(DistanceNm(lastLatitude_, lastLongitude_, latitude, longitude) <= radius))
    first_ = true;
  lastLatitude_ = latitude;
  lastLongitude_ = longitude;

  // Fades: the chosen first, then the leaving ones that are still in the file and usable, the
  // strongest kept when there are more than there is room for.
  double step = 1;
  if (!first_) {
    const double elapsed = nowSeconds - lastSeconds_;
    step = settings.fadeSeconds > 0 ? (elapsed > 0 ? elapsed / settings.fadeSeconds : 0) : 1;
  }
  Member members[kMostFades];
  Fade next[kMostFades];
  int count = 0;
  auto before = [&](const char* icao) -> const Fade* {
    for (int k = 0; k < fadeCount_; ++k)
      if (std::memcmp(fades_[k].icao, icao, 4) == 0) return &fades_[k];
    return nullptr;
  };
  for (int c = 0; c < chosenCount; ++c) {
    const char* icao = stations[size_t(chosen[c].index)].place.icao;
    const Fade* was = first_ ? nullptr : before(icao);
    const double fade = first_ ? 1 : was ? std::min(1.0, was->fade + step) : 0;
    std::memcpy(next[count].icao, icao, 5);
    next[count].fade = fade;
    next[count].chosen = true;
    members[count++] = Member{chosen[c].index, chosen[c].distanceNm, fade, true, 0, 0, 0};
  }
  for (int k = 0; k < fadeCount_ && !first_; ++k) {
    const Fade& f = fades_[k];
    bool in = false;
    for (int c = 0; c < chosenCount; ++c)
      in = in || std::memcmp(stations[size_t(chosen[c].index)].place.icao, f.icao, 4) == 0;
    if (in) continue;
    const int i = index.Find(f.icao);
    if (i < 0 || !Usable(stations[size_t(i)].state)) continue;  // stale or gone: out at once
    const StationPlace& p = stations[size_t(i)].place;
    const double d = DistanceNm(latitude, longitude, p.latitude, p.longitude);
    const double fade = f.fade - step;
    if (fade <= 0 || !(d <= kLeavingReach * radius)) continue;
    int slot = count;
    if (count == kMostFades) {
      slot = chosenCount;
      for (int j = chosenCount; j < count; ++j)
        if (next[j].fade < next[slot].fade) slot = j;
      if (next[slot].fade >= fade) continue;
    } else {
      ++count;
    }
    next[slot] = f;
    next[slot].fade = fade;
    next[slot].chosen = false;
    members[slot] = Member{i, d, fade, false, 0, 0, 0};
  }
  std::copy(next, next + count, fades_);
  fadeCount_ = count;
  first_ = false;
  lastSeconds_ = nowSeconds;

  // Nearest first (a handful: sorted by insertion).
  for (int k = 1; k < count; ++k)
    for (int j = k; j > 0 && Nearer(members[j], members[j - 1]); --j) std::swap(members[j], members[j - 1]);
  double total = 0;
  for (int k = 0; k < count; ++k) {
    const double d = std::max(members[k].distance, kClosestNm);
    members[k].weight = members[k].fade / (d * d);
    total += members[k].weight;
  }
  if (!(total > 0)) {  // every station just joining: their plain weights
    total = 0;
    for (int k = 0; k < count; ++k) {
      const double d = std::max(members[k].distance, kClosestNm);
      members[k].weight = 1 / (d * d);
      total += members[k].weight;
    }
  }
  const double cosLatitude = std::cos(latitude * kRadiansPerDegree);
  double elevation = 0;
  for (int k = 0; k < count; ++k) {
    Member& m = members[k];
    const StationPlace& p = stations[size_t(m.index)].place;
    m.x = WrapLongitude(p.longitude - longitude) * cosLatitude * kNmPerDegree;
    m.y = (p.latitude - latitude) * kNmPerDegree;
    elevation += m.weight * p.elevationMetres;
  }
  const int ground = Rounded(elevation / total);
  out.groundElevationMetres = ground;

  MetarReport& b = out.blended;
  b.station[0] = 'L', b.station[1] = 'I', b.station[2] = 'V', b.station[3] = 'E';
  Sample samples[kMostFades];
  auto fit = [&](bool (*has)(const MetarReport&), double (*value)(const LiveStation&),
                 double* result) {
    int n = 0;
    for (int k = 0; k < count; ++k) {
      const LiveStation& s = stations[size_t(members[k].index)];
      if (has(s.decoded)) samples[n++] = Sample{members[k].x, members[k].y, members[k].weight, value(s)};
    }
    return PlaneFit(samples, n, result);
  };

  double qnh = 0;
  if (fit([](const MetarReport& r) { return r.hasPressure; },
          [](const LiveStation& s) { return s.decoded.qnhHectopascals; }, &qnh)) {
    b.hasPressure = true;
    b.qnhHectopascals = qnh;
  }
  double temperature = 0, dewPoint = 0;
  if (fit([](const MetarReport& r) { return r.hasTemperature; },
          [](const LiveStation& s) {
            return s.decoded.temperature + kLapsePerMetre * s.place.elevationMetres;
          },
          &temperature)) {
    b.hasTemperature = true;
    b.temperature = Rounded(temperature - kLapsePerMetre * ground);
    if (fit([](const MetarReport& r) { return r.hasTemperature && r.hasDewPoint; },
            [](const LiveStation& s) {
              return s.decoded.dewPoint + kLapsePerMetre * s.place.elevationMetres;
            },
            &dewPoint)) {
      b.hasDewPoint = true;
      b.dewPoint = std::min(b.temperature, Rounded(dewPoint - kLapsePerMetre * ground));
    }
  }

  BlendWindAndVisibility(stations, members, count, b);

  int cloudSource = -1, weatherSource = -1;
  for (int k = 0; k < count; ++k) {
    const Member& m = members[k];
    if (!m.chosen) continue;
    const MetarReport& r = stations[size_t(m.index)].decoded;
    if (cloudSource < 0 && HasCloudGroup(r)) cloudSource = k;
    if (weatherSource < 0 && m.distance <= kPrecipitationNm && ReportsWeather(r)) weatherSource = k;
  }
  if (cloudSource >= 0) {
    const LiveStation& s = stations[size_t(members[cloudSource].index)];
    const double shiftFeet = (s.place.elevationMetres - ground) * kFeetPerMetre;
    b.noCloud = s.decoded.noCloud;
    b.verticalVisibility = s.decoded.verticalVisibility;
    for (int i = 0; i < s.decoded.cloudCount && i < kMaxCloudGroups; ++i) {
      MetarCloud c = s.decoded.clouds[i];
      c.heightFeet = std::max(0, Rounded(c.heightFeet + shiftFeet));
      b.clouds[b.cloudCount++] = c;
    }
  }
  if (weatherSource >= 0) {
    const MetarReport& r = stations[size_t(members[weatherSource].index)].decoded;
    for (int i = 0; i < r.weatherCount && i < kMaxWeatherGroups; ++i)
      if (WeatherCounts(r.weather[i])) b.weather[b.weatherCount++] = r.weather[i];
  }

  out.entries.reserve(size_t(count));
  for (int k = 0; k < count; ++k) {
    const Member& m = members[k];
    BlendEntry e;
    e.icao = stations[size_t(m.index)].place.icao;
    e.index = m.index;
    e.distanceNm = m.distance;
    e.weight = m.weight / total;
    e.fade = m.fade;
    e.cloudSource = k == cloudSource;
    e.weatherSource = k == weatherSource;
    out.entries.push_back(e);
  }
  out.usable = true;
  out.tables = TablesFromMetar(b, ground);
}
