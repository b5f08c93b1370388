#include "weather/live/station_index.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "link/request_block.h"
#include "weather/metar/metar_file.h"
#include "weather/metar/metar_text.h"
#include "weather/metar/report_lines.h"

using namespace metar_text;
using namespace report_lines;

namespace {

constexpr double kEarthRadiusNm = 3440.065;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr size_t kAirportRecordBytes = 16;
constexpr double kLowestMetres = -500, kHighestMetres = 9000;
constexpr int kBands = 180;            // of one degree of latitude
constexpr size_t kLongestLine = kLongestReport;  // the rest of a longer line is not read
constexpr int kAheadMinutes = 30;      // a clock this much behind the report is still believed
constexpr int kHalfMonthMinutes = kMinutesInMonth / 2;

uint32_t CodeOf(const char* s) {
  return uint32_t(uint8_t(Upper(s[0]))) << 24 | uint32_t(uint8_t(Upper(s[1]))) << 16 |
         uint32_t(uint8_t(Upper(s[2]))) << 8 | uint32_t(uint8_t(Upper(s[3])));
}

void CodeText(uint32_t code, char* out) {
  for (int i = 0; i < 4; ++i) out[i] = char(code >> (24 - 8 * i));
  out[4] = 0;
}

bool SensiblePlace(double lat, double lon, double metres) {
  return std::isfinite(lat) && std::isfinite(lon) && std::isfinite(metres) && lat >= -90 &&
         lat <= 90 && lon >= -180 && lon <= 180 && metres >= kLowestMetres &&
         metres <= kHighestMetres;
}

// A decimal number filling the whole word: [+-]digits[.digits] or [+-].digits. Up to 15
// digits, so that digits and the power of ten are exact and "90.000000" is 90.
bool DecimalWord(Span w, double* value) {
  size_t i = 0;
  bool negative = false;
  if (i < w.n && (w.p[i] == '+' || w.p[i] == '-')) negative = w.p[i++] == '-';
  double v = 0, divisor = 1;
  int digits = 0;
  bool point = false;
  for (; i < w.n; ++i) {
    const char c = w.p[i];
    if (c == '.' && !point) {
      point = true;
    } else if (IsDigit(c)) {
      if (++digits > 15) return false;
      if (point) divisor *= 10;
      v = v * 10 + (c - '0');
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  *value = (negative ? -v : v) / divisor;
  return true;
}

// One sort for every ordering here (a key with the position in its low bits): one copy of the
// sorting code in the program.
void SortKeys(std::vector<uint64_t>& keys) { std::sort(keys.begin(), keys.end()); }

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && LeapYear(year)) return 29;
  return kDays[(month - 1) % 12];
}

double Haversine(double radians) {
  const double s = std::sin(radians / 2);
  return s * s;
}

int Band(double latitude) {
  return std::clamp(int(std::floor(latitude + 90)), 0, kBands - 1);
}

bool NothingRead(const MetarReport& r) {
  return r.nil || (!r.hasWind && !r.hasVisibility && r.cloudCount == 0 && !r.noCloud &&
                   r.verticalVisibility < 0 && !r.hasTemperature && !r.hasPressure);
}

void Judge(LiveStation& s, const UtcClock& now) {
  const MetarReport& r = s.decoded;
  s.ageMinutes = r.day >= 1 ? ReportAgeMinutes(r.day, r.hour, r.minute, now) : kUnknownAge;
  const bool nothing = NothingRead(r);
  s.partlyRead = !nothing && r.errorCount > 0;
  if (nothing)
    s.state = StationState::kUnreadable;
  else if (s.ageMinutes == kUnknownAge || s.ageMinutes < 0 || s.ageMinutes > kStaleReportMinutes)
    s.state = StationState::kStale;
  else if (s.ageMinutes > kOldReportMinutes)
    s.state = StationState::kOld;
  else
    s.state = StationState::kUsable;
}

}  // namespace

// ---- Station positions

// Sorted by code, of equal codes the first added kept.
void StationPlaces::Settle() {
  std::vector<uint64_t> keys(places_.size());
  for (size_t i = 0; i < places_.size(); ++i) keys[i] = uint64_t(CodeOf(places_[i].icao)) << 32 | i;
  SortKeys(keys);
  std::vector<StationPlace> sorted;
  sorted.reserve(places_.size());
  for (size_t k = 0; k < keys.size(); ++k)
    if (k == 0 || keys[k] >> 32 != keys[k - 1] >> 32) sorted.push_back(places_[size_t(keys[k] & 0xFFFFFFFFu)]);
  places_.swap(sorted);
}

int StationPlaces::AddAirportTable(const uint8_t* table, size_t size) {
  if (table == nullptr) return 0;
  const size_t before = places_.size();
  // Record 0 is never an airport, as the airport search has it.
  for (size_t at = kAirportRecordBytes; at + kAirportRecordBytes <= size; at += kAirportRecordBytes) {
    const char* code = reinterpret_cast<const char*>(table + at);
    if (!IsStationCode(code, 4)) continue;
    const double lat = GetF32(table + at + 4), lon = GetF32(table + at + 8),
                 metres = GetF32(table + at + 12);
    if (!SensiblePlace(lat, lon, metres)) continue;
    StationPlace p;
    CodeText(CodeOf(code), p.icao);
    p.latitude = lat;
    p.longitude = lon;
    p.elevationMetres = int(std::lround(metres));
    places_.push_back(p);
  }
  Settle();
  return int(places_.size() - std::min(places_.size(), before));
}

// A line: code, latitude, longitude, elevation in metres, blank- or tab-separated; anything
// after the elevation (a name, say) is ignored.
int StationPlaces::AddStationList(const char* text, size_t size) {
  if (text == nullptr) return 0;
  const size_t before = places_.size();
  const char* const end = text + size;
  const char* line = text;
  while (line < end) {
    const char* eol = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
    if (eol == nullptr) eol = end;
    Span code = Word(line, eol);
    if (code.n > 0 && code.p[0] != '#') {
      const Span lat = Word(code.p + code.n, eol);
      const Span lon = Word(lat.p + lat.n, eol);
      const Span metres = Word(lon.p + lon.n, eol);
      double la = 0, lo = 0, m = 0;
      if (IsStationCode(code.p, code.n) && DecimalWord(lat, &la) && DecimalWord(lon, &lo) &&
          DecimalWord(metres, &m) && SensiblePlace(la, lo, m)) {
        StationPlace p;
        CodeText(CodeOf(code.p), p.icao);
        p.latitude = la;
        p.longitude = lo;
        p.elevationMetres = int(std::lround(m));
        places_.push_back(p);
      } else {
        ++rejected_;
      }
    }
    line = eol + 1;
  }
  Settle();
  return int(places_.size() - std::min(places_.size(), before));
}

const StationPlace* StationPlaces::Find(const char* icao) const {
  if (icao == nullptr || std::strlen(icao) < 4) return nullptr;
  char key[5];
  CodeText(CodeOf(icao), key);
  auto it = std::lower_bound(places_.begin(), places_.end(), key,
                             [](const StationPlace& p, const char* k) { return std::memcmp(p.icao, k, 4) < 0; });
  if (it == places_.end() || std::memcmp(it->icao, key, 4) != 0) return nullptr;
  return &*it;
}

// ---- Time

int ReportAgeMinutes(int day, int hour, int minute, const UtcClock& now) {
  if (day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59) return kUnknownAge;
  const int month = std::clamp(now.month, 1, 12);
  const int previous = month == 1 ? 12 : month - 1;
  const int previousYear = month == 1 ? now.year - 1 : now.year;
  const int nowDay = std::clamp(now.day, 1, DaysInMonth(now.year, month));
  const int nowMinutes = ((nowDay - 1) * 24 + std::clamp(now.hour, 0, 23)) * 60 +
                         std::clamp(now.minute, 0, 59);
  const int reportMinutes = ((day - 1) * 24 + hour) * 60 + minute;
  const bool thisMonth = day <= DaysInMonth(now.year, month);
  const int ahead = reportMinutes - nowMinutes;
  if (thisMonth && ahead <= kAheadMinutes) return std::max(0, -ahead);
  // Up to half a month ahead is a clock that is behind (a current file holds no report a month
  // old); further ahead is a report of the month before.
  if (thisMonth && ahead < kHalfMonthMinutes) return -ahead;
  if (day <= DaysInMonth(previousYear, previous))
    return nowMinutes + DaysInMonth(previousYear, previous) * 24 * 60 - reportMinutes;
  return thisMonth ? -ahead : kUnknownAge;
}

double DistanceNm(double lat1, double lon1, double lat2, double lon2) {
  const double p1 = lat1 * kRadiansPerDegree, p2 = lat2 * kRadiansPerDegree;
  double h = Haversine(p2 - p1) +
             std::cos(p1) * std::cos(p2) * Haversine((lon2 - lon1) * kRadiansPerDegree);
  if (!std::isfinite(h)) return HUGE_VAL;
  h = std::clamp(h, 0.0, 1.0);
  return 2 * std::asin(std::sqrt(h)) * kEarthRadiusNm;
}

// ---- The index

void StationIndex::Begin(const StationPlaces& places, const UtcClock& now) {
  stations_.clear();
  unplaced_.clear();
  reports_ = 0;
  unplacedReports_ = 0;
  places_ = &places;
  clock_ = now;
  carry_.clear();
  newest_.clear();
  slots_.assign(1024, -1);
  report_.clear();
  current_ = -1;
  keep_ = false;
  gridOrder_.clear();
  gridLongitude_.clear();
  bandStart_.clear();
}

void StationIndex::Feed(const char* text, size_t size) {
  if (text == nullptr || places_ == nullptr) return;
  const char* p = text;
  const char* const end = text + size;
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    const char* stop = eol ? eol : end;
    if (!carry_.empty() || eol == nullptr) {
      // A line begun in an earlier piece, or one that runs on into the next: only its first
      // kLongestLine bytes are read, as of a line that came whole.
      const size_t room = kLongestLine - std::min(kLongestLine, carry_.size());
      carry_.append(p, std::min(room, size_t(stop - p)));
      if (eol == nullptr) break;
      Line(carry_.data(), carry_.size());
      carry_.clear();
    } else {
      Line(p, std::min(kLongestLine, size_t(stop - p)));
    }
    p = stop + 1;
  }
}

void StationIndex::Finish(bool takeUnendedLine) {
  if (places_ == nullptr) return;
  if (takeUnendedLine && !carry_.empty()) Line(carry_.data(), carry_.size());
  std::string().swap(carry_);
  EndReport();
  std::string().swap(report_);

  std::vector<uint64_t> byCode(newest_.size());
  for (size_t i = 0; i < newest_.size(); ++i) byCode[i] = uint64_t(newest_[i].code) << 32 | i;
  SortKeys(byCode);
  stations_.reserve(newest_.size());
  for (uint64_t key : byCode) {
    Newest& n = newest_[size_t(key & 0xFFFFFFFFu)];
    char code[5];
    CodeText(n.code, code);
    const StationPlace* place = n.place;
    if (place == nullptr) {
      unplaced_.push_back(code);
      unplacedReports_ += n.reports;
      continue;
    }
    stations_.emplace_back();
    LiveStation& s = stations_.back();
    s.place = *place;
    s.report.swap(n.text);
    s.decoded = DecodeMetar(s.report.data(), s.report.size());
    // The groups' words of thousands of reports are megabytes nobody reads: kept only where a
    // group could not be read, for the window to say which.
    if (s.decoded.errorCount == 0) std::vector<MetarGroup>().swap(s.decoded.groups);
    Judge(s, clock_);
  }
  std::vector<Newest>().swap(newest_);
  std::vector<int32_t>().swap(slots_);
  places_ = nullptr;
  MakeGrid();
}

void StationIndex::Build(const char* text, size_t size, const StationPlaces& places,
                         const UtcClock& now) {
  Begin(places, now);
  Feed(text, size);
  Finish(true);
}

void StationIndex::UpdateAges(const UtcClock& now) {
  clock_ = now;
  for (LiveStation& s : stations_) Judge(s, now);
}

int StationIndex::Find(const char* icao) const {
  if (icao == nullptr || std::strlen(icao) < 4) return -1;
  char key[5];
  CodeText(CodeOf(icao), key);
  auto it = std::lower_bound(stations_.begin(), stations_.end(), key, [](const LiveStation& s, const char* k) {
    return std::memcmp(s.place.icao, k, 4) < 0;
  });
  if (it == stations_.end() || std::memcmp(it->place.icao, key, 4) != 0) return -1;
  return int(it - stations_.begin());
}

// Text after "=" on the same line is read as a line of its own.
void StationIndex::Line(const char* line, size_t size) {
  const char* const end = line + size;
  for (;;) {
    const char* stop = static_cast<const char*>(std::memchr(line, '=', size_t(end - line)));
    Segment(line, stop ? stop : end);
    if (stop == nullptr) return;
    EndReport();
    line = stop + 1;
    if (Word(line, end).n == 0) return;
  }
}

void StationIndex::Segment(const char* line, const char* end) {
  const Span w = Word(line, end);
  if (w.n == 0 || IsDateLine(line, end)) {
    EndReport();
    return;
  }
  Span station;
  int minutes = -1;
  bool typed = false;
  if (BeginsReport(line, end, &station, &minutes, &typed)) {
    EndReport();
    StartReport(CodeOf(station.p), minutes, line, end);
    return;
  }
  // A bulletin's "METAR" heading line ends the report before it.
  if ((Is(w, "METAR") || Is(w, "SPECI")) && Word(w.p + w.n, end).n == 0) {
    EndReport();
    return;
  }
  if (current_ >= 0 && keep_) Append(line, end);
}

void StationIndex::StartReport(uint32_t code, int minutes, const char* line, const char* end) {
  ++reports_;
  current_ = Slot(code);
  Newest& n = newest_[size_t(current_)];
  ++n.reports;
  // Of equal times the later in the file: only then is the text copied, and never for a
  // station without a place (a file of the world's stations and a small list of places).
  keep_ = n.place != nullptr && (n.reports == 1 || AtLeastAsNew(n.minutes, minutes));
  if (!keep_) return;
  n.minutes = minutes;
  report_.clear();
  Append(line, end);
}

void StationIndex::Append(const char* from, const char* to) {
  while (from < to && IsSpace(*from)) ++from;
  while (to > from && IsSpace(to[-1])) --to;
  if (from == to || report_.size() >= kLongestReport) return;
  if (!report_.empty()) report_.push_back(' ');
  report_.append(from, std::min(size_t(to - from), kLongestReport - std::min(kLongestReport, report_.size())));
}

void StationIndex::EndReport() {
  if (current_ >= 0 && keep_) newest_[size_t(current_)].text.swap(report_);
  current_ = -1;
  keep_ = false;
}

int StationIndex::Slot(uint32_t code) {
  if (newest_.size() * 2 >= slots_.size()) {
    slots_.assign(std::max<size_t>(1024, slots_.size() * 2), -1);
    const size_t mask = slots_.size() - 1;
    for (size_t i = 0; i < newest_.size(); ++i) {
      size_t h = (newest_[i].code * 2654435761u) & mask;
      while (slots_[h] >= 0) h = (h + 1) & mask;
      slots_[h] = int32_t(i);
    }
  }
  const size_t mask = slots_.size() - 1;
  size_t h = (code * 2654435761u) & mask;
  while (slots_[h] >= 0) {
    if (newest_[size_t(slots_[h])].code == code) return slots_[h];
    h = (h + 1) & mask;
  }
  slots_[h] = int32_t(newest_.size());
  char text[5];
  CodeText(code, text);
  newest_.push_back(Newest{code, -1, 0, places_->Find(text), std::string()});
  return slots_[h];
}

// By band, then by longitude in millionths of a degree (the search widens its ranges by that).
void StationIndex::MakeGrid() {
  constexpr int kIndexBits = 27;
  std::vector<uint64_t> keys(std::min(stations_.size(), size_t(1) << kIndexBits));
  for (size_t i = 0; i < keys.size(); ++i) {
    const StationPlace& p = stations_[i].place;
    const uint64_t micro = uint64_t(std::llround((p.longitude + 180) * 1e6));  // under 2^29
    keys[i] = uint64_t(Band(p.latitude)) << 56 | micro << kIndexBits | i;
  }
  SortKeys(keys);
  gridOrder_.resize(keys.size());
  gridLongitude_.resize(keys.size());
  bandStart_.assign(kBands + 1, int32_t(keys.size()));
  for (size_t k = keys.size(); k-- > 0;) {
    gridOrder_[k] = int32_t(keys[k] & ((uint64_t(1) << kIndexBits) - 1));
    gridLongitude_[k] = double((keys[k] >> kIndexBits) & ((uint64_t(1) << 29) - 1)) / 1e6 - 180;
    bandStart_[size_t(keys[k] >> 56)] = int32_t(k);
  }
  for (int b = kBands; b-- > 0;) bandStart_[size_t(b)] = std::min(bandStart_[size_t(b)], bandStart_[size_t(b) + 1]);
}

void StationIndex::Near(double latitude, double longitude, double radiusNm, int most,
                        std::vector<NearStation>& out) const {
  out.clear();
  if (!std::isfinite(latitude) || !std::isfinite(longitude) || !(radiusNm >= 0) || most <= 0 ||
      stations_.empty() || bandStart_.size() != size_t(kBands) + 1)
    return;
  latitude = std::clamp(latitude, -90.0, 90.0);
  longitude = std::fmod(longitude, 360.0);
  if (longitude > 180) longitude -= 360;
  if (longitude < -180) longitude += 360;
  const double radians = std::min(radiusNm, 4 * kEarthRadiusNm) / kEarthRadiusNm;
  const double degrees = radians / kRadiansPerDegree;
  const double low = std::max(-90.0, latitude - degrees - 1e-9);
  const double high = std::min(90.0, latitude + degrees + 1e-9);
  const double reach = Haversine(std::min(radians, 3.14159265358979323846));
  const double cosHere = std::cos(latitude * kRadiansPerDegree);

  auto take = [&](size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) {
      const int i = gridOrder_[k];
      const StationPlace& p = stations_[size_t(i)].place;
      const double d = DistanceNm(latitude, longitude, p.latitude, p.longitude);
      if (d <= radiusNm) out.push_back(NearStation{i, d});
    }
  };
  auto range = [&](size_t first, size_t last, double from, double to) {
    const auto b = gridLongitude_.begin();
    const size_t lo = size_t(std::lower_bound(b + std::ptrdiff_t(first), b + std::ptrdiff_t(last), from) - b);
    const size_t hi = size_t(std::upper_bound(b + std::ptrdiff_t(lo), b + std::ptrdiff_t(last), to) - b);
    take(lo, hi);
  };

  for (int band = Band(low); band <= Band(high); ++band) {
    const size_t first = size_t(bandStart_[size_t(band)]), last = size_t(bandStart_[size_t(band) + 1]);
    if (first == last) continue;
    // hav(d) >= cos(lat1) cos(lat2) hav(dlon): the widest longitude difference a station of
    // this band within reach can have.
    const double south = std::max(low, band - 90.0), north = std::min(high, band - 89.0);
    const double cosBand = std::min(std::cos(south * kRadiansPerDegree), std::cos(north * kRadiansPerDegree));
    const double denominator = cosHere * cosBand;
    const double h = denominator > 0 ? reach / denominator : 2;
    if (h >= 1) {
      take(first, last);
      continue;
    }
    const double wide = 2 * std::asin(std::sqrt(h)) / kRadiansPerDegree + 2e-6;  // and the grid's rounding
    if (wide >= 180) {
      take(first, last);
      continue;
    }
    const double from = longitude - wide, to = longitude + wide;
    if (from < -180) {
      range(first, last, from + 360, 180);
      range(first, last, -180, to);
    } else if (to > 180) {
      range(first, last, from, 180);
      range(first, last, -180, to - 360);
    } else {
      range(first, last, from, to);
    }
  }
  // Nearest first, by millionths of a nautical mile (under 2^34), ties in grid order.
  std::vector<uint64_t> keys(out.size());
  for (size_t k = 0; k < out.size(); ++k) keys[k] = uint64_t(std::llround(out[k].distanceNm * 1e6)) << 30 | k;
  SortKeys(keys);
  std::vector<NearStation> sorted(out.size());
  for (size_t k = 0; k < sorted.size(); ++k) sorted[k] = out[size_t(keys[k] & ((1u << 30) - 1))];
  // Ties of the rounding put in their exact order: a pass over what is nearly sorted.
  for (size_t k = 1; k < sorted.size(); ++k)
    for (size_t j = k; j > 0 && sorted[j].distanceNm < sorted[j - 1].distanceNm; --j)
      std::swap(sorted[j], sorted[j - 1]);
  if (sorted.size() > size_t(most)) sorted.resize(size_t(most));
  out.swap(sorted);
}
