// A text file of reports (one report per line or over several lines, bulletins with "="
// after each report, date lines between them): the newest report of one station.
#pragma once

#include <cstddef>

constexpr size_t kLongestReport = 4096;  // a longer report is cut here

struct MetarSearch {
  bool found = false;
  bool cut = false;      // the report was longer than kLongestReport
  char report[kLongestReport + 1] = "";  // its lines joined by blanks
  size_t length = 0;
  int reports = 0;       // reports of that station in the file
};

// icao: the four characters typed (case ignored). The newest is the one with the latest time
// (days wrap at the end of a month); of equal times, and of reports without one, the later in
// the file.
MetarSearch FindNewestReport(const char* text, size_t size, const char* icao);
