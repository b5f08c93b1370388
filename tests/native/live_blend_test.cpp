#include "weather/live/blend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "live_grid.h"
#include "weather/live/follow.h"

namespace {

const UtcClock kNow = ClockAt(2026, 12, 8, 13, 0);

// An index of the stations of a station list and a file of reports.
struct Live {
  StationPlaces places;
  StationIndex index;
  Live(const std::string& list, const std::string& reports) {
    places.AddStationList(list.data(), list.size());
    index.Build(reports.data(), reports.size(), places, kNow);
  }
};

LiveWeather BlendOnce(const StationIndex& index, double lat, double lon, LiveSettings settings = {}) {
  LiveBlender blender;
  LiveWeather out;
  blender.Blend(index, lat, lon, 0, settings, out);
  return out;
}

std::vector<std::string> Codes(const LiveWeather& w) {
  std::vector<std::string> codes;
  for (const BlendEntry& e : w.entries) codes.push_back(e.icao);
  return codes;
}

std::vector<std::string> Skipped(const StationIndex& index, const LiveWeather& w) {
  std::vector<std::string> codes;
  for (int i : w.skipped) codes.push_back(index.Stations()[size_t(i)].place.icao);
  return codes;
}

// The 5 x 5 grid 30 nm apart at 47 N, QNH 1000 + 1 hPa per column east + 2 hPa per row north,
// temperature at sea level 10 + 1 degC per column - 1 per row.
constexpr double kGridLat = 47, kGridLon = 8, kSpacing = 30;

double FieldQnh(double lat, double lon) {
  const double dLat = kSpacing / 60.0;
  const double dLon = kSpacing / (60.0 * std::cos(kGridLat * 3.14159265358979323846 / 180.0));
  return 1000 + (lon - kGridLon) / dLon + 2 * (lat - kGridLat) / dLat;
}

Live GridLive(std::vector<GridStation>* stations = nullptr) {
  std::vector<GridStation> grid = MakeGridStations(kGridLat, kGridLon, 5, 5, kSpacing);
  if (stations) *stations = grid;
  return Live(StationListOf(grid), ReportsOf(grid, 8, 12, 50, [](const GridStation& s) {
                char body[64];
                std::snprintf(body, sizeof body, "24010KT 9999 FEW030 %02d/%02d Q%04d",
                              10 + s.col - s.row + 4, 2, 1000 + s.col + 2 * s.row);
                return std::string(body);
              }));
}

TEST(LiveBlendField, QnhFollowsALinearPressureFieldAnywhereInTheGrid) {
  const Live live = GridLive();
  double worst = 0;
  int positions = 0;
  for (int row = 0; row < 40; ++row)
    for (int col = 0; col < 40; ++col) {
      const double fy = 0.05 + 0.1 * row, fx = 0.05 + 0.1 * col;
      const double lat = kGridLat + fy * kSpacing / 60;
      const double lon = kGridLon + fx * kSpacing / (60 * std::cos(kGridLat * 3.14159265358979323846 / 180));
      const LiveWeather w = BlendOnce(live.index, lat, lon);
      ASSERT_TRUE(w.usable);
      ASSERT_TRUE(w.blended.hasPressure);
      worst = std::max(worst, std::fabs(w.blended.qnhHectopascals - FieldQnh(lat, lon)));
      ++positions;
    }
  EXPECT_EQ(positions, 1600);
  EXPECT_LT(worst, 0.001);
  // On a station (used alone), between two (a line of stations), on the grid's edges.
  for (const auto& at : {std::pair<double, double>{1, 1}, {2, 0.5}, {0, 2.5}, {4, 3.5}, {2.2, 2.9}}) {
    const double lat = kGridLat + at.first * kSpacing / 60;
    const double lon = kGridLon + at.second * kSpacing / (60 * std::cos(kGridLat * 3.14159265358979323846 / 180));
    EXPECT_NEAR(BlendOnce(live.index, lat, lon).blended.qnhHectopascals, FieldQnh(lat, lon), 0.01)
        << at.first << " " << at.second;
  }
}

TEST(LiveBlendField, TheNearestStationsAreChosen) {
  const Live live = GridLive();
  const double dLon = kSpacing / (60 * std::cos(kGridLat * 3.14159265358979323846 / 180));
  // A quarter of the way from GB01 towards GC02: the four around it, nearest first.
  LiveWeather w = BlendOnce(live.index, kGridLat + 1.25 * 0.5, kGridLon + 1.25 * dLon);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"GB01", "GB02", "GC01", "GC02"}));
  double sum = 0;
  for (const BlendEntry& e : w.entries) sum += e.weight;
  EXPECT_NEAR(sum, 1, 1e-12);
  EXPECT_GT(w.entries[0].weight, w.entries[3].weight);
  // Two stations asked for.
  LiveSettings two;
  two.stations = 2;
  w = BlendOnce(live.index, kGridLat + 1.25 * 0.5, kGridLon + 1.1 * dLon, two);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"GB01", "GC01"}));
  // Within 2 nm of a station: that one alone.
  w = BlendOnce(live.index, kGridLat + 2 * 0.5 + 1.5 / 60, kGridLon + 3 * dLon);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"GC03"}));
  EXPECT_DOUBLE_EQ(w.entries[0].weight, 1);
  // A radius of 10 nm in the middle of a cell: nobody.
  LiveSettings small;
  small.radiusNm = 10;
  w = BlendOnce(live.index, kGridLat + 1.5 * 0.5, kGridLon + 1.5 * dLon, small);
  EXPECT_FALSE(w.usable);
}

TEST(LiveBlendField, TemperatureAndDewPointGoThroughSeaLevel) {
  // A at sea level 20/10, B at 2000 m 7/-3: the same air brought down (20/10 at sea level).
  const std::string list = "STAA 45 7 0\nSTBB 45 8 2000\n";
  const std::string reports =
      "STAA 081250Z 24010KT 9999 FEW030 20/10 Q1013\nSTBB 081250Z 24010KT 9999 SCT010 07/M03 Q1013\n";
  const Live live(list, reports);
  // A quarter of the way from A: weights 9 to 1, ground 200 m, 20 - 1.3 = 18.7.
  const LiveWeather w = BlendOnce(live.index, 45, 7.25);
  EXPECT_EQ(w.groundElevationMetres, 200);
  EXPECT_EQ(w.blended.temperature, 19);
  EXPECT_EQ(w.blended.dewPoint, 9);
  // The clouds from A, the nearest, lifted from its 0 m to 200 m of ground: 3000 ft - 656 ft.
  ASSERT_EQ(w.blended.cloudCount, 1);
  EXPECT_EQ(w.blended.clouds[0].heightFeet, 3000 - 656);
  EXPECT_TRUE(w.entries[0].cloudSource);
  // Three quarters: ground 1800 m, clouds from B at 2000 m: 1000 ft + 656 ft.
  const LiveWeather b = BlendOnce(live.index, 45, 7.75);
  EXPECT_EQ(b.groundElevationMetres, 1800);
  EXPECT_EQ(b.blended.temperature, 8);  // 20 - 11.7
  EXPECT_EQ(b.blended.clouds[0].heightFeet, 1000 + 656);
  // The tables at the ground below.
  ASSERT_TRUE(b.tables.filled[kTemperatureTable]);
  EXPECT_EQ(b.tables.temperature[0].altitude, 1800);
  EXPECT_EQ(b.tables.temperature[0].dayTemperature, 8);
}

struct WindCase {
  const char* name;
  const char* windA;
  const char* windB;
  int direction, speed, gust;
};

class LiveBlendWind : public testing::TestWithParam<WindCase> {};

// Two stations at the same distance, equal weights.
TEST_P(LiveBlendWind, BlendsVectors) {
  const WindCase& c = GetParam();
  const Live live("STAA 45 7 0\nSTBB 45 8 0\n", std::string("STAA 081250Z ") + c.windA +
                                                   " 9999 Q1013\nSTBB 081250Z " + c.windB +
                                                   " 9999 Q1013\n");
  const LiveWeather w = BlendOnce(live.index, 45, 7.5);
  ASSERT_TRUE(w.blended.hasWind) << c.name;
  EXPECT_EQ(w.blended.windDirection, c.direction) << c.name;
  EXPECT_EQ(w.blended.windSpeed, c.speed) << c.name;
  EXPECT_EQ(w.blended.windGust, c.gust) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Winds, LiveBlendWind,
    testing::Values(WindCase{"the same wind", "24010KT", "24010KT", 240, 10, 0},
                    WindCase{"north and east: north-east, shorter", "36010KT", "09010KT", 45, 7, 0},
                    WindCase{"across north: not south", "35010KT", "01010KT", 360, 10, 0},
                    WindCase{"opposite: calm", "09010KT", "27010KT", 0, 0, 0},
                    WindCase{"VRB counts as calm", "VRB04KT", "27010KT", 270, 5, 0},
                    WindCase{"a gust, weighted", "27010G30KT", "27010KT", 270, 10, 30},
                    WindCase{"a station without a gust gives its speed", "27010G12KT", "27020KT", 270, 15, 20},
                    WindCase{"no gust above the speed: none", "27010G12KT", "27014KT", 270, 12, 14},
                    WindCase{"metres per second", "18005MPS", "18005MPS", 180, 10, 0}));

TEST(LiveBlend, VisibilityInItsLogarithmAndWeatherFromTheNearestWithin10Nm) {
  const std::string list = "STAA 45 7 0\nSTBB 45 7.2 0\nSTCC 45 7.4 0\n";
  const std::string reports =
      "STAA 081250Z 24010KT 1000 +TSRA BR BKN008CB 15/14 Q1013\n"
      "STBB 081250Z 24010KT CAVOK 15/10 Q1013\n"
      "STCC 081250Z 24010KT 9999 -SN VCSH FEW040 15/10 Q1013\n";
  const Live live(list, reports);
  // Between A and B, 4.2 nm from each: visibility sqrt(1000 x 10000).
  LiveSettings two;
  two.stations = 2;
  LiveWeather w = BlendOnce(live.index, 45, 7.1, two);
  EXPECT_EQ(w.blended.visibilityMetres, 3162);
  ASSERT_EQ(w.blended.weatherCount, 1);  // the thunderstorm, not the mist
  EXPECT_STREQ(w.blended.weather[0].descriptor, "TS");
  EXPECT_TRUE(w.entries[0].weatherSource || w.entries[1].weatherSource);
  // By C: the snow of C (its showers in the vicinity are not at the station).
  w = BlendOnce(live.index, 45, 7.39);
  ASSERT_EQ(w.blended.weatherCount, 1);
  EXPECT_STREQ(w.blended.weather[0].phenomena[0], "SN");
  // By B, used alone: its CAVOK, though A 8 nm away has a thunderstorm.
  w = BlendOnce(live.index, 45, 7.19);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"STBB"}));
  EXPECT_EQ(w.blended.weatherCount, 0);
  EXPECT_TRUE(w.blended.noCloud);
  EXPECT_EQ(w.blended.cloudCount, 0);
  // 20 nm from every weather: none.
  const Live far("STAA 45 7 0\nSTBB 45 7.6 0\n",
                 "STAA 081250Z 24010KT 9999 RA OVC010 15/14 Q1013\n"
                 "STBB 081250Z 24010KT 9999 RA OVC010 15/14 Q1013\n");
  w = BlendOnce(far.index, 45, 7.3);
  EXPECT_EQ(w.blended.weatherCount, 0);
}

TEST(LiveBlend, OldReportsAreUsedStaleAndUnreadableNever) {
  const std::string list = "NEAR 45 7 0\nOLDR 45 7.1 0\nUNRD 45 6.95 0\nFARR 45 7.5 0\n";
  const std::string reports =
      "NEAR 080600Z 24010KT 9999 Q1030\n"       // 7 h: stale
      "OLDR 080900Z 24010KT 9999 Q1010\n"       // 4 h: old, used
      "UNRD 081250Z ///// //// /////// Q////\n"  // nothing read
      "FARR 081250Z 24010KT 9999 Q1012\n";
  const Live live(list, reports);
  EXPECT_EQ(live.index.Stations()[size_t(live.index.Find("NEAR"))].state, StationState::kStale);
  const LiveWeather w = BlendOnce(live.index, 45, 7.0);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"OLDR", "FARR"}));
  EXPECT_EQ(Skipped(live.index, w), (std::vector<std::string>{"NEAR", "UNRD"}));
  // Both east of the aircraft: the fit leans on their gradient, within half their spread.
  EXPECT_GE(w.blended.qnhHectopascals, 1009);
  EXPECT_LE(w.blended.qnhHectopascals, 1012);

  // Only stale stations: not usable, nothing filled.
  const Live stale("NEAR 45 7 0\n", "NEAR 080600Z 24010KT 9999 FEW010 10/05 Q1030\n");
  const LiveWeather none = BlendOnce(stale.index, 45, 7);
  EXPECT_FALSE(none.usable);
  EXPECT_TRUE(none.entries.empty());
  for (bool filled : none.tables.filled) EXPECT_FALSE(filled);
  EXPECT_EQ(Skipped(stale.index, none), (std::vector<std::string>{"NEAR"}));
}

TEST(LiveBlend, APartlyReadReportGivesWhatWasRead) {
  const std::string list = "STAA 45 7 0\nSTBB 45 7.2 0\n";
  const std::string reports =
      "STAA 081250Z 24010KT 9999 FEW030 20/10 Q1ABC\n"  // the pressure cannot be read
      "STBB 081250Z 24010KT 9999 FEW030 10/05 Q1020\n";
  const Live live(list, reports);
  const LiveStation& a = live.index.Stations()[size_t(live.index.Find("STAA"))];
  EXPECT_TRUE(a.partlyRead);
  EXPECT_EQ(a.state, StationState::kUsable);
  const LiveWeather w = BlendOnce(live.index, 45, 7.05);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"STAA", "STBB"}));
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1020);  // B's alone
  EXPECT_GT(w.blended.temperature, 15);              // A's counts, and most
}

TEST(LiveBlend, NothingComesOutOfNothing) {
  StationPlaces places;
  StationIndex empty;
  empty.Build("", 0, places, kNow);
  LiveBlender blender;
  LiveWeather w;
  blender.Blend(empty, 45, 7, 0, LiveSettings(), w);
  EXPECT_FALSE(w.usable);
  for (bool filled : w.tables.filled) EXPECT_FALSE(filled);
  // A position that is not a number, odd settings.
  const Live live("STAA 45 7 0\n", "STAA 081250Z 24010KT Q1013\n");
  blender.Blend(live.index, std::nan(""), 7, 0, LiveSettings(), w);
  EXPECT_FALSE(w.usable);
  LiveSettings odd;
  odd.radiusNm = std::nan("");
  odd.stations = -3;
  odd.fadeSeconds = 0;
  blender.Blend(live.index, 45, 7.01, 0, odd, w);
  EXPECT_TRUE(w.usable);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1013);
  // A station with only a wind: only the wind is filled.
  EXPECT_TRUE(w.tables.filled[kWindTable]);
  EXPECT_FALSE(w.tables.filled[kTemperatureTable]);
  EXPECT_FALSE(w.tables.filled[kVisibilityTable]);
  EXPECT_FALSE(w.tables.filled[kCloudTable]);
}

TEST(LiveBlend, AcrossTheMeridianAndAtThePoles) {
  const std::string list = "NEAE 0.1 179.8 0\nNEAW 0.1 -179.8 0\nPOL1 89.6 0 0\nPOL2 89.6 120 0\n"
                           "POL3 89.6 -120 0\n";
  const std::string reports =
      "NEAE 081250Z 09010KT 9999 Q1010\nNEAW 081250Z 27010KT 9999 Q1020\n"
      "POL1 081250Z 09010KT 9999 M30/M35 Q1000\nPOL2 081250Z 09010KT 9999 M30/M35 Q1001\n"
      "POL3 081250Z 09010KT 9999 M30/M35 Q1002\n";
  const Live live(list, reports);
  const LiveWeather east = BlendOnce(live.index, 0, 179.9), west = BlendOnce(live.index, 0, -179.9);
  EXPECT_EQ(Codes(east), (std::vector<std::string>{"NEAE", "NEAW"}));
  EXPECT_EQ(Codes(west), (std::vector<std::string>{"NEAW", "NEAE"}));
  // Symmetric about the meridian.
  EXPECT_NEAR(east.blended.qnhHectopascals - 1015, 1015 - west.blended.qnhHectopascals, 1e-9);
  EXPECT_LT(east.blended.qnhHectopascals, 1015);
  EXPECT_NEAR(BlendOnce(live.index, 0, 180).blended.qnhHectopascals, 1015, 1e-9);

  for (double lon : {0.0, 60.0, -179.0, 180.0}) {
    const LiveWeather pole = BlendOnce(live.index, 90, lon);
    ASSERT_TRUE(pole.usable) << lon;
    EXPECT_EQ(pole.entries.size(), 3u) << lon;
    EXPECT_NEAR(pole.blended.qnhHectopascals, 1001, 0.5) << lon;
    EXPECT_EQ(pole.blended.temperature, -30) << lon;
  }
}

// Blends every 10 s at one place while a nearer station joins the index.
TEST(LiveBlendFade, AJoiningStationMovesTheTargetAFadeStepAtATime) {
  const std::string list = "STAA 45 7 0\nSTBB 45 7.4 0\nSTCC 45.3 7.2 0\nNEWW 45.1 7.2 0\n";
  const std::string three =
      "STAA 081250Z 24010KT 9999 Q1010\nSTBB 081250Z 24010KT 9999 Q1010\nSTCC 081250Z 24010KT 9999 Q1010\n";
  const Live before(list, three);
  const Live after(list, three + "NEWW 081250Z 24010KT 9999 Q1020\n");
  LiveBlender blender;
  LiveSettings settings;  // 180 s
  LiveWeather w;
  blender.Blend(before.index, 45.05, 7.2, 0, settings, w);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1010);
  EXPECT_FALSE(blender.Fading());

  // Reference: the new station at full weight.
  const LiveWeather full = BlendOnce(after.index, 45.05, 7.2);
  const double jump = full.blended.qnhHectopascals - 1010;
  ASSERT_GT(jump, 3);

  // Its weight grows by a fade step of 10 s / 180 s a blend: against the others' weights, that
  // moves a weighted mean by at most step x (its weight / theirs) x the 10 hPa between them.
  double mine = 0, theirs = 0;
  for (const BlendEntry& e : full.entries)
    (e.icao == "NEWW" ? mine : theirs) += 1 / (e.distanceNm * e.distanceNm);
  const double allowed = 10.0 / 180 * mine / theirs * 10;
  ASSERT_LT(allowed, jump / 2);

  double last = 1010;
  double t = 0;
  blender.Blend(after.index, 45.05, 7.2, t += 10, settings, w);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1010);  // joins at fade 0
  EXPECT_TRUE(blender.Fading());
  EXPECT_EQ(w.entries.size(), 4u);
  int blends = 1;
  while (blender.Fading() && blends < 100) {
    blender.Blend(after.index, 45.05, 7.2, t += 10, settings, w);
    ++blends;
    const double change = w.blended.qnhHectopascals - last;
    EXPECT_GE(change, 0);
    EXPECT_LE(change, allowed * 1.05) << "blend " << blends;
    last = w.blended.qnhHectopascals;
  }
  EXPECT_EQ(blends, 19);  // 18 steps of 10 s after joining
  EXPECT_NEAR(last, full.blended.qnhHectopascals, 1e-9);

  // It goes stale: out at once, not faded.
  const Live gone(list, three + "NEWW 080600Z 24010KT 9999 Q1020\n");
  blender.Blend(gone.index, 45.05, 7.2, t += 10, settings, w);
  EXPECT_EQ(w.entries.size(), 3u);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1010);
}

TEST(LiveBlendFade, AStationLeftBehindFadesOutAndAllJoiningGiveWeatherAtOnce) {
  std::vector<GridStation> grid;
  const Live live = GridLive(&grid);
  LiveBlender blender;
  LiveSettings settings;
  settings.stations = 1;
  settings.fadeSeconds = 60;
  LiveWeather w;
  const double dLon = kSpacing / (60 * std::cos(kGridLat * 3.14159265358979323846 / 180));
  blender.Blend(live.index, kGridLat + 0.5, kGridLon + 0.4 * dLon, 0, settings, w);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"GB00"}));
  // Past the middle: GB01 nearer; GB00 leaving.
  blender.Blend(live.index, kGridLat + 0.5, kGridLon + 0.6 * dLon, 30, settings, w);
  ASSERT_EQ(Codes(w), (std::vector<std::string>{"GB01", "GB00"}));
  EXPECT_DOUBLE_EQ(w.entries[0].fade, 0);
  EXPECT_DOUBLE_EQ(w.entries[1].fade, 0.5);
  EXPECT_DOUBLE_EQ(w.entries[1].weight, 1);
  blender.Blend(live.index, kGridLat + 0.5, kGridLon + 0.6 * dLon, 60, settings, w);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"GB01"}));  // faded out
  EXPECT_DOUBLE_EQ(w.entries[0].fade, 0.5);
  EXPECT_TRUE(blender.Fading());
  blender.Blend(live.index, kGridLat + 0.5, kGridLon + 0.6 * dLon, 120, settings, w);
  EXPECT_DOUBLE_EQ(w.entries[0].fade, 1);
  EXPECT_FALSE(blender.Fading());

  // A jump of more than the radius starts afresh: GE03 at full weight.
  blender.Blend(live.index, kGridLat + 2, kGridLon + 3.1 * dLon, 121, settings, w);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"GE03"}));
  EXPECT_DOUBLE_EQ(w.entries[0].fade, 1);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1011);
  // After Reset: at full weight at once.
  blender.Reset();
  blender.Blend(live.index, kGridLat + 0.5, kGridLon + 0.4 * dLon, 122, settings, w);
  EXPECT_DOUBLE_EQ(w.entries[0].fade, 1);
}

TEST(LiveBlendFade, WhenEveryStationIsJoiningTheirPlainWeightsGiveTheWeather) {
  // The file replaced: the old station gone, two new ones at fade 0.
  const std::string list = "STAA 45 7 0\nSTBB 45 7.2 0\nSTCC 45 7.3 0\n";
  const Live before(list, "STAA 081250Z 24010KT 9999 Q1010\n");
  const Live after(list, "STBB 081250Z 24010KT 9999 Q1020\nSTCC 081250Z 24010KT 9999 Q1020\n");
  LiveBlender blender;
  LiveWeather w;
  blender.Blend(before.index, 45, 7.1, 0, LiveSettings(), w);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1010);
  blender.Blend(after.index, 45, 7.1, 10, LiveSettings(), w);
  ASSERT_TRUE(w.usable);
  EXPECT_EQ(Codes(w), (std::vector<std::string>{"STBB", "STCC"}));
  EXPECT_DOUBLE_EQ(w.entries[0].fade, 0);
  EXPECT_DOUBLE_EQ(w.blended.qnhHectopascals, 1020);
  EXPECT_GT(w.entries[0].weight, w.entries[1].weight);
  EXPECT_NEAR(w.entries[0].weight + w.entries[1].weight, 1, 1e-12);
}

struct FollowCase {
  const char* name;
  double lat, lon, seconds;
  bool fileChanged, fading;
  bool due;
};

class LiveFollowDue : public testing::TestWithParam<FollowCase> {};

// Done at 45 N 7 E at 100 s.
TEST_P(LiveFollowDue, WhenTheTargetIsWorkedOutAgain) {
  const FollowCase& c = GetParam();
  LiveFollow follow;
  EXPECT_TRUE(follow.Due(45, 7, 0, false, false));
  follow.Done(45, 7, 100);
  EXPECT_EQ(follow.Due(c.lat, c.lon, c.seconds, c.fileChanged, c.fading), c.due) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LiveFollowDue,
    testing::Values(FollowCase{"nothing changed", 45, 7, 130, false, false, false},
                    FollowCase{"4.9 nm", 45 + 4.9 / 60.04, 7, 130, false, false, false},
                    FollowCase{"5.1 nm", 45 + 5.1 / 60.04, 7, 130, false, false, true},
                    FollowCase{"file changed", 45, 7, 101, true, false, true},
                    FollowCase{"60 s", 45, 7, 160, false, false, true},
                    FollowCase{"fading, 9 s", 45, 7, 109, false, true, false},
                    FollowCase{"fading, 10 s", 45, 7, 110, false, true, true},
                    FollowCase{"the clock went back", 45, 7, 50, false, false, true},
                    FollowCase{"position not a number", std::nan(""), 7, 101, false, false, true}));

TEST(LiveFollow, SecondsToNextAndReset) {
  LiveFollow follow;
  EXPECT_EQ(follow.SecondsToNext(5), 0);
  follow.Done(45, 7, 100);
  EXPECT_DOUBLE_EQ(follow.SecondsToNext(115), 45);
  EXPECT_DOUBLE_EQ(follow.SecondsToNext(105, true), 5);
  EXPECT_DOUBLE_EQ(follow.SecondsToNext(200), 0);
  follow.Reset();
  EXPECT_TRUE(follow.Due(45, 7, 101, false, false));
}

}  // namespace

namespace {

// A flight across the grid, a blend every 10 s at 360 kt (1 nm a blend): the target never
// jumps, and the stations fading out never crowd the blend.
TEST(LiveBlendFade, AFlightAcrossTheGridNeverJumps) {
  const Live live = GridLive();
  LiveBlender blender;
  LiveSettings settings;
  settings.stations = 8;
  LiveWeather w;
  const double dLon = kSpacing / (60 * std::cos(kGridLat * 3.14159265358979323846 / 180));
  double last = 0, worst = 0;
  for (int k = 0; k <= 170; ++k) {
    // South-west to north-east corner, 1 nm a step.
    const double f = k / 170.0 * 4;
    const double lat = kGridLat + f * 0.5, lon = kGridLon + f * dLon;
    blender.Blend(live.index, lat, lon, k * 10.0, settings, w);
    ASSERT_TRUE(w.usable) << k;
    EXPECT_LE(w.entries.size(), 16u) << k;
    double sum = 0;
    for (const BlendEntry& e : w.entries) sum += e.weight;
    EXPECT_NEAR(sum, 1, 1e-9) << k;
    if (k > 0) worst = std::max(worst, std::fabs(w.blended.qnhHectopascals - last));
    last = w.blended.qnhHectopascals;
  }
  // The field rises 0.07 hPa a nm along this track. The largest step is where the first
  // station, used alone within 2 nm, is left and the blend catches up with the field: 0.28 hPa.
  EXPECT_LT(worst, 0.3);
  EXPECT_NEAR(last, 1012, 0.3);
}

}  // namespace
