// One decoder per kind of group. Each takes the group in upper case and returns nullptr when it
// read the group (into the report, with its plain words), kNotThisKind when the group is of
// another kind, or the reason why a group of its kind cannot be read.
#pragma once

#include <cstddef>

#include "weather/metar/metar_report.h"

extern const char kNotThisKind[];

// COR, CCA, CCB, ...
bool IsCorrection(const char* g);
bool DecodeModifier(const char* g, MetarReport& r, char* words, size_t size);
const char* DecodeWind(const char* g, MetarReport& r, char* words, size_t size);
const char* DecodeWindSector(const char* g, MetarReport& r, char* words, size_t size);
// Also "1 1/2SM": a whole number, a blank and the fraction.
const char* DecodeVisibility(const char* g, MetarReport& r, char* words, size_t size);
// Runway visual range and runway state; kind says which.
const char* DecodeRunway(const char* g, char* words, size_t size, MetarGroupKind* kind);
const char* DecodeWeather(const char* g, MetarReport& r, char* words, size_t size);
const char* DecodeCloud(const char* g, MetarReport& r, char* words, size_t size);
const char* DecodeTemperature(const char* g, MetarReport& r, char* words, size_t size);
const char* DecodePressure(const char* g, MetarReport& r, char* words, size_t size);
// Recent weather, sea state.
const char* DecodeSupplementary(const char* g, char* words, size_t size);

// Plain words for one present-weather group ("light showers of rain and snow").
void DescribeWeather(const MetarWeather& w, char* out, size_t size);
