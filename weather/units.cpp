#include "weather/units.h"

double FeetFromMetres(int metres) { return metres * kFeetPerMetre; }

int MetresFromFeet(double feet) { return int(feet / kFeetPerMetre + 0.5); }

int MetresFromRowFeet(double feet) { return int((feet + 1.64042) / kFeetPerMetre); }

int RangeTenths(int hundredths) { return (hundredths + 5) / 10; }

int RangeMetres(int hundredths) { return int((hundredths * 52.8 + 1.64042) / kFeetPerMetre); }

bool RangeShowsMetres(int hundredths) { return hundredths < 622; }

double MillibarsFromQnh(int sixteenths) { return sixteenths / 16.0; }

double InchesFromQnh(int sixteenths) { return sixteenths * 29.92 / 16211.2; }

int FahrenheitDifferenceFromCelsius(int celsius) { return int((9 * celsius + 2.5) / 5); }

int FahrenheitFromCelsius(int celsius) { return FahrenheitDifferenceFromCelsius(celsius) + 32; }

double DegreesFromDirection(uint16_t direction) { return direction * 360.0 / 65536; }

uint16_t DirectionFromDegrees(int degrees) {
  degrees %= 360;
  if (degrees < 0) degrees += 360;
  return uint16_t(degrees * 65536 / 360);
}
