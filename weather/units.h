// Unit conversions between what the weather records store and what the user sees or types.
// "Truncate" drops the fraction toward zero throughout.
#pragma once

#include <cstdint>

constexpr double kFeetPerMetre = 3.28084;

// Altitudes: records hold whole metres.
double FeetFromMetres(int metres);
int MetresFromFeet(double feet);      // a typed altitude
int MetresFromRowFeet(double feet);   // the feet text of a selected row, back to metres

// Visibility: records hold hundredths of a statute mile (52.8 ft each).
int RangeTenths(int hundredths);      // shown as tenths / 10 with one decimal
int RangeMetres(int hundredths);
bool RangeShowsMetres(int hundredths);

// Pressure: records hold sixteenths of a millibar.
double MillibarsFromQnh(int sixteenths);
double InchesFromQnh(int sixteenths);

// Temperatures in whole degrees Celsius.
int FahrenheitFromCelsius(int celsius);
int FahrenheitDifferenceFromCelsius(int celsius);

// Directions: 65536ths of a circle.
double DegreesFromDirection(uint16_t direction);
uint16_t DirectionFromDegrees(int degrees);
