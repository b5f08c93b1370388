#include "weather/live/station_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "link/request_block.h"
#include "live_grid.h"

namespace {

const UtcClock kNow = ClockAt(2026, 12, 8, 13, 0);

StationPlaces PlacesOf(const char* list) {
  StationPlaces places;
  places.AddStationList(list, std::strlen(list));
  return places;
}

const char* const kEightStations =
    "EGLL 51.4775 -0.4614 25\nEGKK 51.1481 -0.1903 62\nEGSS 51.885 0.235 106\n"
    "LFPG 49.0097 2.5479 119\nEHAM 52.3086 4.7639 -3\nKJFK 40.6398 -73.7789 4\n"
    "EDDM 48.3538 11.7861 453\nLSZH 47.4647 8.5492 432\n";

std::string ReportOf(const StationIndex& index, const char* icao) {
  const int i = index.Find(icao);
  return i < 0 ? std::string("(none)") : index.Stations()[size_t(i)].report;
}

struct FormatCase {
  const char* name;
  const char* file;
  const char* icao;
  const char* report;
  int reports;  // every report in the file
};

class LiveIndexFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(LiveIndexFormats, KeepsTheNewestReportWhole) {
  const FormatCase& c = GetParam();
  const StationPlaces places = PlacesOf(kEightStations);
  StationIndex index;
  index.Build(c.file, std::strlen(c.file), places, kNow);
  EXPECT_EQ(ReportOf(index, c.icao), c.report) << c.name;
  EXPECT_EQ(index.ReportCount(), c.reports) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LiveIndexFormats,
    testing::Values(
        FormatCase{"one a line, the later time wins",
                   "EGLL 081220Z 24010KT Q1013\nEGKK 081250Z 20005KT Q1012\n"
                   "EGLL 081250Z 24015KT Q1012\nEGLL 081150Z 24005KT Q1014\n",
                   "EGLL", "EGLL 081250Z 24015KT Q1012", 4},
        FormatCase{"continuation lines, ended by = and by the next report",
                   "METAR EGLL 081250Z 24015KT\n   9999 BKN040\n  12/08 Q1013=\n"
                   "METAR EGKK 081250Z 20005KT\n 9999 Q1012\nMETAR LFPG 081230Z 05005KT\n",
                   "EGKK", "METAR EGKK 081250Z 20005KT 9999 Q1012", 3},
        FormatCase{"cycles of date lines, CR LF and blank lines",
                   "2026/12/08 12:20\r\nEGLL 081220Z 24010KT Q1013\r\n\r\n"
                   "2026/12/08 12:50\r\nEGLL 081250Z 24015KT\r\n Q1012\r\n\r\nQ0999\r\n",
                   "EGLL", "EGLL 081250Z 24015KT Q1012", 2},
        FormatCase{"a date line ends the report before it",
                   "EGLL 081250Z 24015KT\n2026/12/08 12:50\n Q1012\n", "EGLL",
                   "EGLL 081250Z 24015KT", 1},
        FormatCase{"SPECI after the METAR, a correction of the same time after both",
                   "METAR EGLL 081220Z 24010KT Q1013\nSPECI EGLL 081235Z 24020G30KT Q1012\n"
                   "EGLL 081220Z 24011KT Q1013\nSPECI COR EGLL 081235Z 24025G35KT Q1012\n",
                   "EGLL", "SPECI COR EGLL 081235Z 24025G35KT Q1012", 4},
        FormatCase{"a bulletin: heading, METAR line, reports ended by =",
                   "SAUK31 EGRR 081250\nMETAR\nEGLL 081250Z 24015KT 9999\n BKN040 12/08 Q1013=\n"
                   "EGKK 081250Z 20005KT=\nNNNN\n",
                   "EGLL", "EGLL 081250Z 24015KT 9999 BKN040 12/08 Q1013", 2},
        FormatCase{"two reports on one line, each ended by =",
                   "EGLL 081250Z 24015KT Q1013= EGKK 081250Z 20005KT Q1011=\n", "EGKK",
                   "EGKK 081250Z 20005KT Q1011", 2},
        FormatCase{"a bulletin's METAR heading does not join the report before it",
                   "EGLL 081250Z 24015KT Q1013\nMETAR\nEGKK 081250Z 20005KT\n", "EGLL",
                   "EGLL 081250Z 24015KT Q1013", 2},
        FormatCase{"lowercase, tabs", "metar\tegll\t081250z\t24015KT\tQ1013\n", "EGLL",
                   "metar\tegll\t081250z\t24015KT\tQ1013", 1},
        FormatCase{"days wrap at the month's end: the 1st after the 31st",
                   "EGLL 010020Z 24015KT Q1012\nEGLL 312350Z 24010KT Q1013\n", "EGLL",
                   "EGLL 010020Z 24015KT Q1012", 2},
        FormatCase{"a METAR without a time is a report, beaten by any with one",
                   "EGLL 081220Z 24010KT Q1013\nMETAR EGLL NIL\n", "EGLL",
                   "EGLL 081220Z 24010KT Q1013", 2},
        FormatCase{"junk lines are no reports", "hello world\nEGL 081250Z\n12345 081250Z\n\x01\xff\n",
                   "EGLL", "(none)", 0}));

TEST(LiveIndex, AStationWithOnlyAReportWithoutATimeIsStale) {
  const StationPlaces places = PlacesOf(kEightStations);
  StationIndex index;
  const std::string file = "METAR EGLL NIL\n";
  index.Build(file.data(), file.size(), places, kNow);
  ASSERT_EQ(index.Stations().size(), 1u);
  EXPECT_EQ(index.Stations()[0].state, StationState::kUnreadable);  // NIL: nothing read
  const std::string bare = "METAR EGKK 24010KT Q1013\n";
  index.Build(bare.data(), bare.size(), places, kNow);
  ASSERT_EQ(index.Stations().size(), 1u);
  EXPECT_EQ(index.Stations()[0].ageMinutes, kUnknownAge);
  EXPECT_EQ(index.Stations()[0].state, StationState::kStale);
}

const char* const kSplitFile =
    "2026/12/08 12:20\r\nMETAR EGLL 081220Z 24010KT 9999\r\n  FEW030 12/08 Q1013=\r\n"
    "SPECI EGKK 081235Z 20005KT CAVOK 10/05 Q1012=\r\n\r\n"
    "2026/12/08 12:50\nEGLL 081250Z 24015KT\n 9999 BKN040 11/08\n Q1012\n"
    "LFPG 081230Z 05005KT 8000 -RA OVC012 08/07 Q1020= EHAM 081225Z 27020G32KT Q1005=\n"
    "XXXX 081250Z 00000KT\n";

bool SameIndex(const StationIndex& a, const StationIndex& b) {
  if (a.Stations().size() != b.Stations().size() || a.ReportCount() != b.ReportCount() ||
      a.UnplacedReports() != b.UnplacedReports() || a.Unplaced() != b.Unplaced())
    return false;
  for (size_t i = 0; i < a.Stations().size(); ++i)
    if (a.Stations()[i].report != b.Stations()[i].report ||
        std::strcmp(a.Stations()[i].place.icao, b.Stations()[i].place.icao) != 0)
      return false;
  return true;
}

TEST(LiveIndex, APieceBoundaryAnywhereGivesTheSameIndex) {
  const StationPlaces places = PlacesOf(kEightStations);
  const std::string file = kSplitFile;
  StationIndex whole;
  whole.Build(file.data(), file.size(), places, kNow);
  ASSERT_EQ(whole.Stations().size(), 4u);
  EXPECT_EQ(ReportOf(whole, "EGLL"), "EGLL 081250Z 24015KT 9999 BKN040 11/08 Q1012");
  for (size_t cut = 0; cut <= file.size(); ++cut) {
    StationIndex pieces;
    pieces.Begin(places, kNow);
    pieces.Feed(file.data(), cut);
    pieces.Feed(file.data() + cut, 0);
    pieces.Feed(file.data() + cut, file.size() - cut);
    pieces.Finish(true);
    EXPECT_TRUE(SameIndex(whole, pieces)) << "cut at " << cut;
  }
  // And byte by byte.
  StationIndex bytes;
  bytes.Begin(places, kNow);
  for (char c : file) bytes.Feed(&c, 1);
  bytes.Finish(true);
  EXPECT_TRUE(SameIndex(whole, bytes));
}

TEST(LiveIndex, ALongLineIsCutTheSameWhereverThePiecesEnd) {
  const StationPlaces places = PlacesOf(kEightStations);
  std::string file = "EGLL 081250Z 24015KT";
  file += std::string(9000, 'Q');
  file += " Q1013\nEGKK 081250Z 20005KT Q1012\n";
  StationIndex whole;
  whole.Build(file.data(), file.size(), places, kNow);
  ASSERT_EQ(whole.Stations().size(), 2u);
  EXPECT_LE(ReportOf(whole, "EGLL").size(), 4096u);
  for (size_t cut : {size_t(5), size_t(4000), size_t(4096), size_t(4100), size_t(8000), size_t(9020)}) {
    StationIndex pieces;
    pieces.Begin(places, kNow);
    pieces.Feed(file.data(), cut);
    pieces.Feed(file.data() + cut, file.size() - cut);
    pieces.Finish(true);
    EXPECT_TRUE(SameIndex(whole, pieces)) << "cut at " << cut;
  }
}

TEST(LiveIndex, AnUnendedLastLineIsLeftOutWhileTheFileMayGrow) {
  const StationPlaces places = PlacesOf(kEightStations);
  const std::string file = "EGLL 081250Z 24015KT\n Q1013\nEGKK 081250Z 20005KT\nLFPG 081250Z 050";
  StationIndex index;
  index.Begin(places, kNow);
  index.Feed(file.data(), file.size());
  index.Finish(false);
  EXPECT_EQ(index.Find("LFPG"), -1);
  EXPECT_EQ(ReportOf(index, "EGKK"), "EGKK 081250Z 20005KT");
  EXPECT_EQ(ReportOf(index, "EGLL"), "EGLL 081250Z 24015KT Q1013");

  // A continuation line being written is left out of its report.
  const std::string growing = "EGLL 081250Z 24015KT\n 9999 Q10";
  index.Begin(places, kNow);
  index.Feed(growing.data(), growing.size());
  index.Finish(false);
  EXPECT_EQ(ReportOf(index, "EGLL"), "EGLL 081250Z 24015KT");

  index.Build(file.data(), file.size(), places, kNow);
  EXPECT_EQ(ReportOf(index, "LFPG"), "LFPG 081250Z 050");
}

TEST(LiveIndex, StationsWithoutAPositionAreCountedAndListedNotUsed) {
  const StationPlaces places = PlacesOf(kEightStations);
  const std::string file =
      "ZZZZ 081250Z 24015KT Q1013\nEGLL 081250Z 24015KT Q1013\nZZZZ 081220Z 24015KT Q1013\n"
      "AAAA 081250Z 24015KT Q1013\n";
  StationIndex index;
  index.Build(file.data(), file.size(), places, kNow);
  EXPECT_EQ(index.Stations().size(), 1u);
  EXPECT_EQ(index.UnplacedReports(), 3);
  EXPECT_EQ(index.Unplaced(), (std::vector<std::string>{"AAAA", "ZZZZ"}));
  EXPECT_EQ(index.ReportCount(), 4);
  EXPECT_EQ(index.Find("ZZZZ"), -1);
}

TEST(LiveIndex, StatesFromAgeAndWhatWasRead) {
  const StationPlaces places = PlacesOf(kEightStations);
  const std::string file =
      "EGLL 081250Z 24015KT 9999 FEW030 12/08 Q1013\n"   // 10 min
      "EGKK 080940Z 24015KT Q1013\n"                     // 200 min: old, used
      "EGSS 080650Z 24015KT Q1013\n"                     // 370 min: stale
      "LFPG 081330Z 24015KT Q1013\n"                     // 30 min ahead: believed
      "EHAM 081331Z 24015KT Q1013\n"                     // 31 min ahead: stale
      "EDDM 081250Z ///// //// ///\n"                    // nothing read
      "LSZH 081250Z 24015KT 9999 FEW030 ZZZZZZ 12/08 Q1013\n";  // partly read
  StationIndex index;
  index.Build(file.data(), file.size(), places, kNow);
  struct Want {
    const char* icao;
    StationState state;
    int age;
    bool partly;
  };
  const Want wants[] = {
      {"EGLL", StationState::kUsable, 10, false}, {"EGKK", StationState::kOld, 200, false},
      {"EGSS", StationState::kStale, 370, false}, {"LFPG", StationState::kUsable, 0, false},
      {"EHAM", StationState::kStale, -31, false}, {"EDDM", StationState::kUnreadable, 10, false},
      {"LSZH", StationState::kUsable, 10, true},
  };
  for (const Want& w : wants) {
    const int i = index.Find(w.icao);
    ASSERT_GE(i, 0) << w.icao;
    const LiveStation& s = index.Stations()[size_t(i)];
    EXPECT_EQ(s.state, w.state) << w.icao;
    EXPECT_EQ(s.ageMinutes, w.age) << w.icao;
    EXPECT_EQ(s.partlyRead, w.partly) << w.icao;
  }
  // The same index four hours on: what was usable is old, what was old is stale.
  index.UpdateAges(ClockAt(2026, 12, 8, 17, 0));
  EXPECT_EQ(index.Stations()[size_t(index.Find("EGLL"))].state, StationState::kOld);
  EXPECT_EQ(index.Stations()[size_t(index.Find("EGKK"))].state, StationState::kStale);
}

struct AgeCase {
  const char* name;
  UtcClock now;
  int day, hour, minute;
  int age;
};

class LiveReportAge : public testing::TestWithParam<AgeCase> {};

TEST_P(LiveReportAge, CountsMinutesAcrossMonthEnds) {
  const AgeCase& c = GetParam();
  EXPECT_EQ(ReportAgeMinutes(c.day, c.hour, c.minute, c.now), c.age) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Ages, LiveReportAge,
    testing::Values(
        AgeCase{"same day", ClockAt(2026, 12, 8, 13, 0), 8, 12, 20, 40},
        AgeCase{"year's end", ClockAt(2027, 1, 1, 0, 10), 31, 23, 50, 20},
        AgeCase{"after 29 February of a leap year", ClockAt(2024, 3, 1, 0, 10), 29, 23, 50, 20},
        AgeCase{"after 28 February", ClockAt(2026, 3, 1, 0, 10), 28, 23, 50, 20},
        AgeCase{"the 29th is not in February 2026: ahead in March", ClockAt(2026, 3, 1, 0, 10), 29,
                23, 50, -41740},
        AgeCase{"2100 is no leap year", ClockAt(2100, 3, 1, 1, 0), 28, 23, 0, 120},
        AgeCase{"after 30 April", ClockAt(2026, 5, 1, 2, 0), 30, 23, 0, 180},
        AgeCase{"10 minutes ahead counts as now", ClockAt(2026, 12, 8, 13, 0), 8, 13, 10, 0},
        AgeCase{"a clock a day behind: a day ahead", ClockAt(2026, 12, 7, 13, 0), 8, 13, 0, -1440},
        AgeCase{"a clock a day ahead: a day old", ClockAt(2026, 12, 9, 13, 0), 8, 13, 0, 1440},
        AgeCase{"30 June seen on 1 July", ClockAt(2026, 7, 1, 0, 30), 30, 23, 30, 60},
        AgeCase{"no time", ClockAt(2026, 12, 8, 13, 0), -1, -1, -1, kUnknownAge},
        AgeCase{"day 32", ClockAt(2026, 12, 8, 13, 0), 32, 0, 0, kUnknownAge}));

TEST(LiveStationPlaces, StationListTakesStationsAndCountsJunk) {
  const char* list =
      "# code lat lon metres\n"
      "EGLL 51.4775 -0.4614 25 London Heathrow\n"
      "\tegkk\t51.1481\t-0.1903\t62\r\n"
      "\n"
      "LFPG 49.0097 2.5479\n"           // no elevation
      "EHAM 52.3O86 4.7639 -3\n"        // a letter O in a number
      "EDDM 91.0 11.7861 453\n"         // latitude beyond 90
      "LSZH 47.4647 181 432\n"          // longitude beyond 180
      "KDEN 39.8561 -104.6737 9100\n"   // elevation beyond 9000
      "1ABC 10 10 10\n"                 // not a code
      "EGLL 10 10 10\n"                 // given twice: the first stands
      "KJFK +40.6398 -73.7789 4.4\n"
      "NZSP -90 0 2835\n"
      "garbage";
  StationPlaces places;
  EXPECT_EQ(places.AddStationList(list, std::strlen(list)), 4);
  EXPECT_EQ(places.RejectedLines(), 7);
  ASSERT_NE(places.Find("egll"), nullptr);
  EXPECT_DOUBLE_EQ(places.Find("EGLL")->latitude, 51.4775);
  EXPECT_EQ(places.Find("EGLL")->elevationMetres, 25);
  EXPECT_DOUBLE_EQ(places.Find("EGKK")->longitude, -0.1903);
  EXPECT_EQ(places.Find("KJFK")->elevationMetres, 4);
  EXPECT_NE(places.Find("NZSP"), nullptr);
  EXPECT_EQ(places.Find("LFPG"), nullptr);
  EXPECT_EQ(places.Find("EGL"), nullptr);
  EXPECT_EQ(places.Count(), 4u);
}

void PutRecord(std::vector<uint8_t>& table, const char* code, float lat, float lon, float metres) {
  const size_t at = table.size();
  table.resize(at + 16);
  std::memcpy(&table[at], code, 4);
  PutF32(&table[at + 4], lat);
  PutF32(&table[at + 8], lon);
  PutF32(&table[at + 12], metres);
}

TEST(LiveStationPlaces, AirportTableSkipsNonsenseAndKeepsTheFirstOfACode) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<uint8_t> table;
  PutRecord(table, "ZERO", 1, 1, 1);  // record 0 is no airport
  PutRecord(table, "EGLL", 51.4775f, -0.4614f, 25);
  PutRecord(table, "EGKK", nan, -0.19f, 62);
  PutRecord(table, "EGSS", 91, 0.23f, 106);
  PutRecord(table, "LFPG", 49, inf, 119);
  PutRecord(table, "EHAM", 52.3f, 4.76f, -600);
  PutRecord(table, "EGLL", 10, 10, 10);
  PutRecord(table, "ab\0\0", 10, 10, 10);
  PutRecord(table, "LSZH", 47.46f, 8.55f, 432);
  PutRecord(table, "KDEN", 39.86f, -104.67f, nan);
  table.resize(table.size() + 7);  // a torn last record
  StationPlaces places;
  EXPECT_EQ(places.AddAirportTable(table.data(), table.size()), 2);
  EXPECT_EQ(places.Count(), 2u);
  EXPECT_NEAR(places.Find("EGLL")->latitude, 51.4775, 1e-5);
  EXPECT_EQ(places.Find("ZERO"), nullptr);
  EXPECT_NE(places.Find("LSZH"), nullptr);

  // A station list added before wins over the table.
  StationPlaces listFirst = PlacesOf("LSZH 47 8 400\n");
  EXPECT_EQ(listFirst.AddAirportTable(table.data(), table.size()), 1);
  EXPECT_EQ(listFirst.Find("LSZH")->elevationMetres, 400);
  EXPECT_EQ(places.AddAirportTable(nullptr, 100), 0);
}

TEST(LiveDistance, GreatCircleAcrossTheMeridianAndThePoles) {
  EXPECT_NEAR(DistanceNm(0, 0, 1, 0), 3440.065 * 3.14159265358979 / 180, 1e-6);
  EXPECT_NEAR(DistanceNm(0, 179.5, 0, -179.5), DistanceNm(0, 0, 0, 1), 1e-9);
  EXPECT_NEAR(DistanceNm(89.5, 0, 89.5, 180), 60.04, 0.01);  // over the pole
  EXPECT_NEAR(DistanceNm(90, 0, 90, 123), 0, 1e-9);
  EXPECT_NEAR(DistanceNm(51.4775, -0.4614, 40.6398, -73.7789), 2992, 2);  // London to New York
}

// Near() against a plain walk over every station, at random positions, at the poles and on the
// 180th meridian.
TEST(LiveIndexNear, FindsWhatAWalkOverEveryStationFinds) {
  std::mt19937 random(20);
  std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
  std::string list, reports;
  char line[96];
  for (int i = 0; i < 3000; ++i) {
    double la = lat(random), lo = lon(random);
    if (i < 40) la = (i % 2 ? 1 : -1) * (89 + (i % 10) / 10.0);  // near the poles
    if (i >= 40 && i < 80) lo = (i % 2 ? 1 : -1) * (179.5 + (i % 5) / 10.0);  // by the meridian
    if (i == 80) la = 90, lo = 0;
    if (i == 81) la = 0, lo = 180;
    if (i == 82) la = 0, lo = -180;
    std::snprintf(line, sizeof line, "%c%03d %.6f %.6f 0\n", 'A' + i / 1000, i % 1000, la, lo);
    list += line;
    std::snprintf(line, sizeof line, "%c%03d 081250Z 24015KT Q1013\n", 'A' + i / 1000, i % 1000);
    reports += line;
  }
  StationPlaces places;
  ASSERT_EQ(places.AddStationList(list.data(), list.size()), 3000);
  StationIndex index;
  index.Build(reports.data(), reports.size(), places, kNow);
  ASSERT_EQ(index.Stations().size(), 3000u);

  std::vector<std::pair<double, double>> where = {{90, 0}, {-90, 77}, {89.9, 179.9}, {0, 180},
                                                  {0, -180}, {0, 179.9}, {-0.5, -179.95}};
  for (int k = 0; k < 60; ++k) where.push_back({lat(random), lon(random)});
  std::vector<NearStation> near;
  for (const auto& w : where)
    for (double radius : {10.0, 60.0, 300.0, 2000.0}) {
      index.Near(w.first, w.second, radius, 100000, near);
      std::vector<int> walk;
      for (size_t i = 0; i < index.Stations().size(); ++i) {
        const StationPlace& p = index.Stations()[i].place;
        if (DistanceNm(w.first, w.second, p.latitude, p.longitude) <= radius) walk.push_back(int(i));
      }
      ASSERT_EQ(near.size(), walk.size()) << w.first << " " << w.second << " r " << radius;
      std::vector<int> found;
      for (size_t i = 0; i < near.size(); ++i) {
        found.push_back(near[i].index);
        if (i > 0) {
          EXPECT_LE(near[i - 1].distanceNm, near[i].distanceNm);
        }
      }
      std::sort(found.begin(), found.end());
      EXPECT_EQ(found, walk) << w.first << " " << w.second << " r " << radius;
    }
  // At most `most`, the nearest.
  index.Near(45, 45, 2000, 3, near);
  EXPECT_LE(near.size(), 3u);
  index.Near(std::nan(""), 0, 60, 3, near);
  EXPECT_TRUE(near.empty());
  index.Near(0, 0, -1, 3, near);
  EXPECT_TRUE(near.empty());
}

TEST(LiveIndexNear, TheSameStationsEitherSideOfTheMeridian) {
  const StationPlaces places =
      PlacesOf("NEAE 0.1 179.8 0\nNEAW 0.1 -179.8 0\nFARE 0 178.5 0\nFARW 0 -178.5 0\n");
  const std::string file =
      "NEAE 081250Z 24015KT Q1013\nNEAW 081250Z 24015KT Q1013\n"
      "FARE 081250Z 24015KT Q1013\nFARW 081250Z 24015KT Q1013\n";
  StationIndex index;
  index.Build(file.data(), file.size(), places, kNow);
  std::vector<NearStation> east, west;
  index.Near(0, 179.9, 30, 8, east);
  index.Near(0, -179.9, 30, 8, west);
  ASSERT_EQ(east.size(), 2u);
  ASSERT_EQ(west.size(), 2u);
  EXPECT_STREQ(index.Stations()[size_t(east[0].index)].place.icao, "NEAE");
  EXPECT_STREQ(index.Stations()[size_t(west[0].index)].place.icao, "NEAW");
  EXPECT_EQ(east[1].index, west[0].index);
  EXPECT_EQ(west[1].index, east[0].index);
}

}  // namespace
