#include <cstring>

#include "common/win/clipboard.h"
#include "weather/metar/metar_tables.h"
#include "weather/win/metar_dialog.h"
#include "weather/win/ventrel.h"

void CopyAsMetar(HWND owner) {
  const WeatherState& w = ventrel.weather;
  // Table 7's station counts only in weather mode 3.
  const char* station = w.weatherStatus == 3 && w.stationIcao[0] ? w.stationIcao : "ZZZZ";
  int elevation = 0;
  if (!StationElevation(ventrel.airportTable.bytes.get(), ventrel.airportTable.size, station,
                        &elevation))
    elevation = 0;
  SYSTEMTIME now;
  GetSystemTime(&now);
  char line[kMetarLineSize];
  MetarLineFromTables(w.snapshot, station, {now.wDay, now.wHour, now.wMinute}, elevation, line,
                      sizeof line);
  const bool copied = PutTextOnClipboard(owner, line, std::strlen(line));
  char text[kMetarLineSize + 80];
  std::strcpy(text, line);
  std::strcat(text, copied ? "\n\n(copied to the clipboard)" : "\n\n(the clipboard could not be used)");
  MessageBoxA(owner, text, "Weather as METAR", MB_OK | (copied ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}
