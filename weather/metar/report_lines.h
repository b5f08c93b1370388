// The lines of a file of reports: where a report begins, date lines between cycles, and which
// of two report times is newer. Shared by the one-station search and the station index.
#pragma once

#include <cstddef>
#include <cstring>

#include "weather/metar/metar_text.h"

namespace report_lines {

constexpr int kMinutesInMonth = 31 * 24 * 60;

struct Span {
  const char* p;
  size_t n;
};

// The next blank-separated word in [at, end), on this line only.
inline Span Word(const char* at, const char* end) {
  while (at < end && (*at == ' ' || *at == '\t')) ++at;
  const char* start = at;
  while (at < end && !metar_text::IsSpace(*at)) ++at;
  return {start, size_t(at - start)};
}

inline bool Is(Span w, const char* word) {
  const size_t n = std::strlen(word);
  if (w.n != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (metar_text::Upper(w.p[i]) != word[i]) return false;
  return true;
}

// A line that begins a report: [METAR|SPECI] [COR] station ddhhmmZ. The station and the time
// (minutes into the month) come back. With typed set, it tells whether the METAR or SPECI word
// was there; a line with the word and a station but no time then also begins a report, with
// minutes -1.
inline bool BeginsReport(const char* line, const char* end, Span* station, int* minutes,
                         bool* typed = nullptr) {
  Span w = Word(line, end);
  const bool type = Is(w, "METAR") || Is(w, "SPECI");
  if (type) w = Word(w.p + w.n, end);
  if (Is(w, "COR")) w = Word(w.p + w.n, end);
  if (!metar_text::IsStationCode(w.p, w.n)) return false;
  *station = w;
  Span t = Word(w.p + w.n, end);
  int d = 0, h = 0, m = 0;
  if (!metar_text::IsReportTime(t.p, t.n, &d, &h, &m)) {
    if (typed == nullptr || !type) return false;
    *typed = true;
    *minutes = -1;
    return true;
  }
  if (typed) *typed = type;
  *minutes = ((d - 1) * 24 + h) * 60 + m;
  return true;
}

// True when b is at least as new as a; days wrap at the end of a month. A time beats none.
inline bool AtLeastAsNew(int a, int b) {
  if (a < 0 || b < 0) return b >= 0 || a < 0;
  const int ahead = ((b - a) % kMinutesInMonth + kMinutesInMonth) % kMinutesInMonth;
  return ahead < kMinutesInMonth / 2;
}

// A date line of a file of cycles ("2026/12/08 08:20") ends the report before it.
inline bool IsDateLine(const char* line, const char* end) {
  Span w = Word(line, end);
  return w.n == 10 && metar_text::IsDigit(w.p[0]) && w.p[4] == '/' && w.p[7] == '/';
}

}  // namespace report_lines
