// The weather profile: a side view of the weather column from the ground up, laid out in the
// window's pixels from the tables the panes show. Platform-free; the window only paints it.
#pragma once

#include <vector>

#include "common/picture.h"
#include "weather/records.h"
#include "weather/snapshot.h"

struct ProfileInput {
  std::vector<VisibilityLayer> visibility;
  std::vector<TemperatureLayer> temperatures;
  std::vector<WindLayer> winds;
  std::vector<CloudLayer> clouds;
  std::vector<AppliedWindLayer> applied;
  // While a weather transition runs: the cloud layers it goes to, drawn faintly beside the
  // clouds in force.
  bool hasTarget = false;
  std::vector<CloudLayer> targetClouds;
};

// The target's cloud layers from a whole-table block (records of 24 bytes whose prefix says
// so, at most kProfileMostLayersPerTable of them).
void ProfileTargetFrom(const uint8_t* cloudTable, size_t size, ProfileInput& input);

// The records of tables 1, 3, 4, 5 and 6 as far as RecordsOf trusts them, at most this many
// of each.
constexpr int kProfileMostLayersPerTable = 1000;
ProfileInput ProfileInputFrom(const WeatherSnapshot& snapshot);

// Cumulus (type 9) and thunderstorm (type 10) clouds are the heaped, convective kind and carry
// a tower mark; type 8 is stratus.
bool ConvectiveCloud(int cloudType);

struct CloudBand {
  Box box;        // base to top, inside the cloud column; empty when above the scale
  Colour colour;  // by cover
};

struct ProfileLayout {
  Picture picture;
  bool tooSmall = false;
  Box plot;  // ground to top of scale, all columns
  Box visibilityColumn, cloudColumn, windColumn, appliedColumn, temperatureColumn;
  int topFeet = 0;
  std::vector<CloudBand> cloudBands;  // one per cloud layer, in table order
  std::vector<CloudBand> targetBands; // the same for a transition's target
  int freezingFeet = -1;              // -1: no 0 degree level in the table
  int freezingY = -1;

  int YOfFeet(double feet) const;
  int XOfCelsius(double celsius) const;
  int coldestCelsius = 0, warmestCelsius = 0;  // the temperature panel's scale
};

// Nothing but a short notice when the window is too small to draw in.
ProfileLayout LayoutProfile(const ProfileInput& input, int width, int height, const TextSize& text);

// Altitudes above this are drawn as reaching the top of the scale, which otherwise grows to
// fit every layer (in steps of 5,000 ft, never below 45,000 ft).
constexpr int kProfileHighestScaleMetres = 20000;
constexpr int kProfileLeastTopFeet = 45000;

namespace profile_colours {
constexpr Colour kSky = {226, 238, 250};
constexpr Colour kCloudLight = {252, 252, 252};
constexpr Colour kCloudDark = {96, 100, 112};
constexpr Colour kRain = {30, 80, 200};
constexpr Colour kSnow = {140, 110, 190};
constexpr Colour kHaze = {180, 160, 120};
constexpr Colour kTemperature = {210, 30, 30};
constexpr Colour kDewPoint = {20, 150, 40};
constexpr Colour kFreezing = {0, 110, 230};
constexpr Colour kWindSet = {20, 20, 20};
constexpr Colour kWindApplied = {130, 60, 20};
constexpr Colour kText = {0, 0, 0};
constexpr Colour kGrid = {200, 210, 222};
constexpr Colour kFrame = {90, 100, 120};
constexpr Colour kTargetFrame = {150, 165, 190};
}  // namespace profile_colours
