#include "weather/pane_format.h"

#include <cstdio>

#include "weather/records.h"
#include "weather/units.h"

namespace {

const PaneColumn visibilityColumns[] = {{"From", 90}, {"To", 90}, {"Range", 130}};
const PaneColumn pressureColumns[] = {{"QNH", 180}, {"Drift", 100}};
const PaneColumn temperatureColumns[] = {{"Alt", 70}, {"Day", 80}, {"Var", 80}, {"Dew", 80}};
const PaneColumn windColumns[] = {{"To", 100},  {"Speed", 70}, {"Dir", 70},
                                  {"Gust", 70}, {"Turb", 50},  {"Shear", 50}};
const PaneColumn cloudColumns[] = {{"From", 95},  {"To", 95},     {"Dev", 70},    {"Cover", 60},
                                   {"Type", 50},  {"Turb", 50},   {"Ice", 50},    {"Precip", 80},
                                   {"PrRate", 80}, {"PrBase", 80}};
const PaneColumn appliedColumns[] = {{"To", 100},  {"Speed", 70}, {"Dir", 70},
                                     {"Gust", 70}, {"Turb", 50},  {"Shear", 50}};

struct PaneInfo {
  const char* title;
  const PaneColumn* columns;
  int count;
};

const PaneInfo panes[] = {
    {"Visibility", visibilityColumns, 3}, {"Pressure", pressureColumns, 2},
    {"Temperature", temperatureColumns, 4}, {"Winds Set", windColumns, 6},
    {"Cloud", cloudColumns, 10},           {"Winds Applied", appliedColumns, 6},
};

bool ValidPane(int pane) { return pane >= 0 && pane < 6; }

void FormatInt(int value, char* out, size_t size) { snprintf(out, size, "%d", value); }

void FormatKnots(int knots, char* out, size_t size) { snprintf(out, size, "%dkn", knots); }

}  // namespace

const char* PaneTitle(int pane) { return ValidPane(pane) ? panes[pane].title : ""; }

int PaneColumnCount(int pane) { return ValidPane(pane) ? panes[pane].count : 0; }

const PaneColumn* PaneColumns(int pane) { return ValidPane(pane) ? panes[pane].columns : nullptr; }

size_t PaneRecordSize(int pane) { return ValidPane(pane) ? TableRecordSize(pane + 1) : 0; }

void FormatRowLabel(int row, char* out, size_t size) { snprintf(out, size, "% 3d ", row); }

void FormatFeet(int metres, char* out, size_t size) {
  snprintf(out, size, "%.0fft", FeetFromMetres(metres));
}

void FormatRange(int hundredths, char* out, size_t size) {
  char metres[24] = "";
  if (RangeShowsMetres(hundredths)) snprintf(metres, sizeof metres, " (%dm)", RangeMetres(hundredths));
  snprintf(out, size, "%.1fsm%s", RangeTenths(hundredths) / 10.0, metres);
}

void FormatPressure(int qnh, char* out, size_t size) {
  snprintf(out, size, "%.1fmb (%.2f\")", MillibarsFromQnh(qnh), InchesFromQnh(qnh));
}

void FormatTemperature(int celsius, char* out, size_t size) {
  snprintf(out, size, "%dC (%dF)", celsius, FahrenheitFromCelsius(celsius));
}

void FormatTemperatureDifference(int celsius, char* out, size_t size) {
  snprintf(out, size, "%dC (%dF)", celsius, FahrenheitDifferenceFromCelsius(celsius));
}

void FormatDirection(uint16_t direction, char* out, size_t size) {
  snprintf(out, size, "%.0fT", DegreesFromDirection(direction));
}

void FormatPrecipitation(int type, char* out, size_t size) {
  static const char* const names[] = {"None", "Rain", "Snow"};
  if (type >= 0 && type < 3)
    snprintf(out, size, "%s", names[type]);
  else
    FormatInt(type, out, size);
}

int ShownGust(int speed, int gust) {
  if (gust == 0) return 0;
  return gust > speed ? gust : speed + gust;
}

void FormatPaneRow(int pane, const uint8_t* record, CellText* cells) {
  const size_t n = kCellTextSize;
  switch (pane) {
    case 0: {
      VisibilityLayer r = DecodeVisibility(record);
      FormatFeet(r.lowerAltitude, cells[0], n);
      FormatFeet(r.upperAltitude, cells[1], n);
      FormatRange(r.range, cells[2], n);
      break;
    }
    case 1: {
      PressureRecord r = DecodePressure(record);
      FormatPressure(r.qnh, cells[0], n);
      snprintf(cells[1], n, "%.1fmb", r.drift / 16.0);
      break;
    }
    case 2: {
      TemperatureLayer r = DecodeTemperature(record);
      FormatFeet(r.altitude, cells[0], n);
      FormatTemperature(r.dayTemperature, cells[1], n);
      FormatTemperatureDifference(r.dayNightVariation, cells[2], n);
      FormatTemperature(r.dewPoint, cells[3], n);
      break;
    }
    case 3: {
      WindLayer r = DecodeWind(record);
      FormatFeet(r.upperAltitude, cells[0], n);
      FormatKnots(r.speed, cells[1], n);
      FormatDirection(r.direction, cells[2], n);
      FormatKnots(ShownGust(r.speed, r.gust), cells[3], n);
      FormatInt(r.turbulence, cells[4], n);
      FormatInt(r.shear, cells[5], n);
      break;
    }
    case 4: {
      CloudLayer r = DecodeCloud(record);
      FormatFeet(r.lowerAltitude, cells[0], n);
      FormatFeet(r.upperAltitude, cells[1], n);
      FormatFeet(r.deviation, cells[2], n);
      snprintf(cells[3], n, "%d/8", r.cover);
      FormatInt(r.cloudType, cells[4], n);
      FormatInt(r.turbulence, cells[5], n);
      FormatInt(r.icing, cells[6], n);
      FormatPrecipitation(r.precipitationType, cells[7], n);
      FormatInt(r.precipitationRate, cells[8], n);
      FormatFeet(r.precipitationBase, cells[9], n);
      break;
    }
    case 5: {
      AppliedWindLayer r = DecodeAppliedWind(record);
      FormatFeet(r.upperAltitude, cells[0], n);
      snprintf(cells[1], n, "%.1fkn", r.appliedSpeed);
      snprintf(cells[2], n, "%.1fT", r.appliedDirection);
      FormatKnots(r.gust, cells[3], n);
      FormatInt(r.turbulence, cells[4], n);
      FormatInt(r.shear, cells[5], n);
      break;
    }
    default:
      break;
  }
}
