// Stations laid out on a grid, and report files for them, for the live weather tests.
#pragma once

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "weather/live/station_index.h"

struct GridStation {
  std::string icao;
  int row = 0, col = 0;  // row north, col east
  double latitude = 0, longitude = 0;
  int elevationMetres = 0;
};

// rows x cols stations spacingNm apart, from (latitude, longitude) at the south-west corner;
// longitudes spaced by the corner's latitude, so positions are linear in degrees. Codes
// "G" + row letter + two-digit column, e.g. "GB03".
inline std::vector<GridStation> MakeGridStations(double latitude, double longitude, int rows,
                                                 int cols, double spacingNm) {
  std::vector<GridStation> grid;
  const double dLat = spacingNm / 60.0;
  const double dLon = spacingNm / (60.0 * std::cos(latitude * 3.14159265358979323846 / 180.0));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      GridStation s;
      char code[8];
      std::snprintf(code, sizeof code, "G%c%02d", 'A' + r % 26, c % 100);
      s.icao = code;
      s.row = r;
      s.col = c;
      s.latitude = latitude + r * dLat;
      s.longitude = longitude + c * dLon;
      grid.push_back(s);
    }
  return grid;
}

// "ICAO lat lon elevation" lines.
inline std::string StationListOf(const std::vector<GridStation>& grid) {
  std::string text;
  char line[96];
  for (const GridStation& s : grid) {
    std::snprintf(line, sizeof line, "%s %.7f %.7f %d\n", s.icao.c_str(), s.latitude, s.longitude,
                  s.elevationMetres);
    text += line;
  }
  return text;
}

// One "METAR ICAO ddhhmmZ body" line per station.
inline std::string ReportsOf(const std::vector<GridStation>& grid, int day, int hour, int minute,
                             const std::function<std::string(const GridStation&)>& body) {
  std::string text;
  char head[40];
  for (const GridStation& s : grid) {
    std::snprintf(head, sizeof head, "METAR %s %02d%02d%02dZ ", s.icao.c_str(), day, hour, minute);
    text += head + body(s) + "\n";
  }
  return text;
}

inline UtcClock ClockAt(int year, int month, int day, int hour, int minute) {
  UtcClock c;
  c.year = year;
  c.month = month;
  c.day = day;
  c.hour = hour;
  c.minute = minute;
  return c;
}
