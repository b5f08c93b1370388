#include "weather/metar/metar_file.h"

#include <cstring>

#include "weather/metar/metar_text.h"

using namespace metar_text;

namespace {

constexpr int kMinutesInMonth = 31 * 24 * 60;

struct Span {
  const char* p;
  size_t n;
};

// The next blank-separated word in [at, end), on this line only.
Span Word(const char* at, const char* end) {
  while (at < end && (*at == ' ' || *at == '\t')) ++at;
  const char* start = at;
  while (at < end && !IsSpace(*at)) ++at;
  return {start, size_t(at - start)};
}

bool Is(Span w, const char* word) {
  const size_t n = std::strlen(word);
  if (w.n != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (Upper(w.p[i]) != word[i]) return false;
  return true;
}

// A line that begins a report: [METAR|SPECI] [COR] station ddhhmmZ. The station and the time
// (minutes into the month, -1 when the time is missing) come back.
bool BeginsReport(const char* line, const char* end, Span* station, int* minutes) {
  Span w = Word(line, end);
  if (Is(w, "METAR") || Is(w, "SPECI")) w = Word(w.p + w.n, end);
  if (Is(w, "COR")) w = Word(w.p + w.n, end);
  if (!IsStationCode(w.p, w.n)) return false;
  *station = w;
  Span t = Word(w.p + w.n, end);
  int d = 0, h = 0, m = 0;
  if (!IsReportTime(t.p, t.n, &d, &h, &m)) return false;
  *minutes = ((d - 1) * 24 + h) * 60 + m;
  return true;
}

bool SameStation(Span station, const char* icao) {
  for (int i = 0; i < 4; ++i)
    if (Upper(station.p[i]) != Upper(icao[i])) return false;
  return true;
}

// True when b is at least as new as a; days wrap at the end of a month.
bool AtLeastAsNew(int a, int b) {
  if (a < 0 || b < 0) return b >= 0 || a < 0;
  const int ahead = ((b - a) % kMinutesInMonth + kMinutesInMonth) % kMinutesInMonth;
  return ahead < kMinutesInMonth / 2;
}

// A date line of a file of cycles ("2026/12/08 08:20") ends the report before it.
bool IsDateLine(const char* line, const char* end) {
  Span w = Word(line, end);
  return w.n == 10 && IsDigit(w.p[0]) && w.p[4] == '/' && w.p[7] == '/';
}

}  // namespace

MetarSearch FindNewestReport(const char* text, size_t size, const char* icao) {
  MetarSearch result;
  if (text == nullptr || icao == nullptr || std::strlen(icao) != 4) return result;
  const char* const end = text + size;
  const char* best = nullptr;
  int bestMinutes = -1;
  const char* line = text;
  while (line < end) {
    const char* eol = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
    if (eol == nullptr) eol = end;
    Span station;
    int minutes = -1;
    if (BeginsReport(line, eol, &station, &minutes) && SameStation(station, icao)) {
      ++result.reports;
      if (!best || AtLeastAsNew(bestMinutes, minutes)) {
        best = line;
        bestMinutes = minutes;
      }
    }
    line = eol + 1;
  }
  if (!best) return result;

  // The report runs on over continuation lines to "=", a blank line, a date line or the next
  // report.
  result.found = true;
  line = best;
  bool first = true;
  while (line < end) {
    const char* eol = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
    if (eol == nullptr) eol = end;
    Span w = Word(line, eol);
    Span ignored;
    int m;
    if (!first && (w.n == 0 || IsDateLine(line, eol) || BeginsReport(line, eol, &ignored, &m))) break;
    first = false;
    const char* stop = static_cast<const char*>(std::memchr(line, '=', size_t(eol - line)));
    const char* lineEnd = stop ? stop : eol;
    while (line < lineEnd && (*line == ' ' || *line == '\t')) ++line;
    if (result.length > 0 && result.length < kLongestReport) result.report[result.length++] = ' ';
    const size_t room = kLongestReport - result.length;
    size_t n = size_t(lineEnd - line);
    while (n > 0 && IsSpace(line[n - 1])) --n;
    if (n > room) {
      std::memcpy(result.report + result.length, line, room);
      result.length += room;
      result.cut = true;
      break;
    }
    std::memcpy(result.report + result.length, line, n);
    result.length += n;
    if (stop) break;
    line = eol + 1;
  }
  result.report[result.length] = 0;
  return result;
}
