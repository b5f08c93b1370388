#include "weather/metar/metar_file.h"

#include <cstring>

#include "weather/metar/metar_text.h"
#include "weather/metar/report_lines.h"

using namespace metar_text;

namespace {

using namespace report_lines;

bool SameStation(Span station, const char* icao) {
  for (int i = 0; i < 4; ++i)
    if (Upper(station.p[i]) != Upper(icao[i])) return false;
  return true;
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
