#include "weather/metar/metar_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "weather/files/vtd_file.h"
#include "weather/files/airports.h"
#include "weather/units.h"

namespace {

MetarTables Tables(const std::string& report, int elevation = 0) {
  const MetarReport r = DecodeMetar(report.data(), report.size());
  EXPECT_EQ(r.errorCount, 0) << report << ": " << (r.FirstError() ? r.FirstError()->text : "");
  return TablesFromMetar(r, elevation);
}

// A report and the values its tables get; -1 where a table is not filled.
struct MappingCase {
  const char* report;
  int elevation;
  int range;          // hundredths of a mile
  int qnh;            // sixteenths of a millibar
  int temperature, dewPoint, aloftTemperature;
  int windSpeed, windGust, windDegrees;
  int cloudCount;
  int firstBase, firstTop, firstCover, firstType;
  int precipitationType, precipitationRate, precipitationLayer;
};

class MetarMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(MetarMapping, FillsTheTablesByTheRules) {
  const MappingCase& c = GetParam();
  const MetarTables t = Tables(c.report, c.elevation);
  ASSERT_EQ(t.filled[kVisibilityTable], c.range >= 0);
  if (c.range >= 0) {
    EXPECT_EQ(t.visibility[0].range, c.range);
    EXPECT_EQ(t.visibility[0].lowerAltitude, 0);
    EXPECT_EQ(t.visibility[0].upperAltitude, c.elevation + kVisibilityDepthMetres);
  }
  ASSERT_EQ(t.filled[kPressureTable], c.qnh >= 0);
  if (c.qnh >= 0) {
    EXPECT_EQ(t.pressure[0].qnh, c.qnh);
  }
  ASSERT_EQ(t.filled[kTemperatureTable], c.temperature != -99);
  if (c.temperature != -99) {
    EXPECT_EQ(t.temperature[0].altitude, c.elevation);
    EXPECT_EQ(t.temperature[0].dayTemperature, c.temperature);
    EXPECT_EQ(t.temperature[0].dewPoint, c.dewPoint);
    ASSERT_EQ(t.temperature.size(), 2u);
    EXPECT_EQ(t.temperature[1].altitude, kTemperatureAloftMetres);
    EXPECT_EQ(t.temperature[1].dayTemperature, c.aloftTemperature);
  }
  ASSERT_EQ(t.filled[kWindTable], c.windSpeed >= 0);
  if (c.windSpeed >= 0) {
    EXPECT_EQ(t.wind[0].speed, c.windSpeed);
    EXPECT_EQ(t.wind[0].gust, c.windGust);
    EXPECT_EQ(t.wind[0].direction, DirectionFromDegrees(c.windDegrees));
    EXPECT_EQ(t.wind[0].upperAltitude, c.elevation + kSurfaceWindDepthMetres);
  }
  ASSERT_EQ(t.filled[kCloudTable], c.cloudCount >= 0);
  if (c.cloudCount > 0) {
    ASSERT_EQ(int(t.clouds.size()), c.cloudCount);
    EXPECT_EQ(t.clouds[0].lowerAltitude, c.firstBase);
    EXPECT_EQ(t.clouds[0].upperAltitude, c.firstTop);
    EXPECT_EQ(t.clouds[0].cover, c.firstCover);
    EXPECT_EQ(t.clouds[0].cloudType, c.firstType);
  }
  if (c.precipitationType > 0) {
    const CloudLayer& l = t.clouds[size_t(c.precipitationLayer)];
    EXPECT_EQ(l.precipitationType, c.precipitationType);
    EXPECT_EQ(l.precipitationRate, c.precipitationRate);
    EXPECT_EQ(l.precipitationBase, c.elevation);
    for (size_t i = 0; i < t.clouds.size(); ++i)
      if (int(i) != c.precipitationLayer) {
        EXPECT_EQ(t.clouds[i].precipitationType, 0);
      }
  }
}

constexpr int N = -1;
constexpr int NT = -99;

INSTANTIATE_TEST_SUITE_P(
    Reports, MetarMapping,
    testing::Values(
        // WMO form, metres, QNH, a towering cumulus with light showers on the convective layer.
        MappingCase{"METAR EGLL 081250Z 24015G25KT 4000 -SHRA BKN010 SCT040TCU 12/08 Q1013", 25,
                    249, 16208, 12, 8, -59, 15, 25, 240, 2, 330, 930, 6, 8, 1, 1, 1},
        // United States: statute miles, inches, steady rain on the lowest stratus layer.
        MappingCase{"KJFK 081251Z 31012KT 1 1/2SM +RA BR FEW005 OVC012 M02/M04 A2992 RMK AO2", 4,
                    150, 16211, -2, -4, -73, 12, 0, 310, 2, 156, 1056, 2, 9, 1, 5, 1},
        // CAVOK: 10 km or more, the cloud table filled and empty; variable wind.
        MappingCase{"EDDF 081220Z VRB03KT CAVOK 05/M01 Q1025 NOSIG", 111, 1000, 16400, 5, -1, -66,
                    3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        // Russia: metres per second, heavy snow under a vertical visibility.
        MappingCase{"UUEE 081230Z 18005MPS 0800 R06R/1000U +SN VV002 M10/M12 Q0998", 190, 50,
                    15968, -10, -12, -80, 10, 0, 180, 1, 190, 251, 8, 8, 2, 5, 0},
        // China: kilometres per hour; a thunderstorm goes on the cumulonimbus layer.
        MappingCase{"ZBAA 081230Z 27036G54KMH 6000 TSRA SCT030 FEW040CB 28/22 Q1002", 35, 373,
                    16032, 28, 22, -43, 19, 29, 270, 2, 949, 1849, 4, 9, 1, 3, 1},
        // Drizzle as light rain; dew point missing is the temperature; calm.
        MappingCase{"EGPH 081250Z 00000KT 2000 DZ OVC003 10/// Q1020", 0, 124, 16320, 10, 10, -62,
                    0, 0, 0, 1, 91, 691, 8, 8, 1, 1, 0},
        // Cirrus from 20000 ft; precipitation in the vicinity is not set; no wind group.
        MappingCase{"LEMD 081230Z 9999 VCSH FEW250 20/05", 0, 1000, N, 20, 5, -52, N, 0, 0, 1,
                    7620, 7920, 2, 1, 0, 0, 0},
        // NIL: nothing at all.
        MappingCase{"EGLL 081250Z NIL", 0, N, N, NT, 0, 0, N, 0, 0, N, 0, 0, 0, 0, 0, 0, 0}));

TEST(MetarMapping, PrecipitationWithoutACloudLayerIsNoted) {
  const MetarTables t = Tables("EGLL 081250Z 24010KT 3000 RA NSC 12/10 Q1010");
  EXPECT_TRUE(t.precipitationWithoutCloud);
  EXPECT_TRUE(t.filled[kCloudTable]);
  EXPECT_TRUE(t.clouds.empty());
}

TEST(MetarMapping, CloudTypesComeFromOneTable) {
  EXPECT_EQ(CloudRuleFor(CloudCover::kFew, CloudKind::kCumulonimbus, 3000).type, kThunderstormType);
  EXPECT_EQ(CloudRuleFor(CloudCover::kBroken, CloudKind::kPlain, 25000).type, kCirrusType);
  EXPECT_EQ(CloudRuleFor(CloudCover::kScattered, CloudKind::kPlain, 3000).type, kCumulusType);
  EXPECT_EQ(CloudRuleFor(CloudCover::kOvercast, CloudKind::kPlain, 3000).type, kStratusType);
  EXPECT_EQ(kCirrusType, 1);
  EXPECT_EQ(kStratusType, 8);
  EXPECT_EQ(kCumulusType, 9);
  EXPECT_EQ(kThunderstormType, 10);
}

TEST(MetarMapping, HighStationsAndHugeValuesStayInTheRecords) {
  const MetarTables t = Tables("SLLP 081250Z 36099KT 9999 OVC999CB 40/30 Q1050", 65000);
  EXPECT_EQ(t.visibility[0].upperAltitude, 0xFFFF);
  EXPECT_EQ(t.clouds[0].lowerAltitude, 0xFFFF);
  EXPECT_EQ(t.clouds[0].upperAltitude, 0xFFFF);
  EXPECT_EQ(t.temperature.size(), 1u) << "no layer aloft above the tropopause";
}

TEST(MetarMapping, ShowAndSetKeepOrClearTheTablesTheReportLeavesAlone) {
  WeatherSnapshot snapshot;
  const MetarTables earlier = Tables("EGLL 081250Z 24015KT 4000 BKN010 12/08 Q1013");
  ShowMetarTables(earlier, false, snapshot);
  const MetarTables pressureOnly = Tables("EGLL 081320Z Q0990");

  std::vector<uint8_t> kept = MetarSetImage(pressureOnly, true, snapshot);
  std::vector<uint8_t> cleared = MetarSetImage(pressureOnly, false, snapshot);
  WeatherSnapshot a, b;
  ShowDataFile(kept.data(), kept.size(), a);
  ShowDataFile(cleared.data(), cleared.size(), b);
  for (int table : {kVisibilityTable, kTemperatureTable, kWindTable, kCloudTable}) {
    EXPECT_FALSE(a.Table(table).data.Empty()) << table;
    EXPECT_TRUE(b.Table(table).data.Empty()) << table;
  }
  EXPECT_EQ(DecodePressure(a.Table(kPressureTable).data.Bytes()).qnh, 15840);
  EXPECT_EQ(DecodePressure(b.Table(kPressureTable).data.Bytes()).qnh, 15840);

  ShowMetarTables(pressureOnly, true, snapshot);
  EXPECT_FALSE(snapshot.Table(kCloudTable).data.Empty());
  ShowMetarTables(pressureOnly, false, snapshot);
  EXPECT_TRUE(snapshot.Table(kCloudTable).data.Empty());
}

TEST(MetarMapping, BlocksNumberTheirRecordsAsASetLoadDoes) {
  const MetarTables t = Tables("EGLL 081250Z 9999 FEW010 SCT020 BKN030");
  TableBlock block = TableBlockOf(t, kCloudTable);
  ASSERT_EQ(block.Size(), 3 * kCloudLayerSize);
  EXPECT_TRUE(DataBlockMatchesDescriptor(block.Bytes(), uint32_t(block.Size())));
  for (int i = 0; i < 3; ++i) {
    const RecordPrefix p = DecodePrefix(block.Bytes() + i * kCloudLayerSize);
    EXPECT_EQ(p.size, kCloudLayerSize);
    EXPECT_EQ(p.following, 2 - i);
  }
  EXPECT_TRUE(TableBlockOf(t, kWindTable).Empty());
}

// Reports in the forms the line is written in come back group for group.
class MetarRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(MetarRoundTrip, GivesBackTheSameGroups) {
  const std::string report = GetParam();
  for (int elevation : {0, 83, 2400}) {
    WeatherSnapshot snapshot;
    ShowMetarTables(Tables(report, elevation), false, snapshot);
    char line[kMetarLineSize];
    MetarLineFromTables(snapshot, "EGLL", {8, 12, 50}, elevation, line, sizeof line);
    EXPECT_EQ(std::string(line), report) << "elevation " << elevation;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Canonical, MetarRoundTrip,
    testing::Values("EGLL 081250Z 24015G25KT 4000 -SHRA FEW010 BKN040TCU 12/08 Q1013",
                    "EGLL 081250Z 36003KT CAVOK 05/M01 Q1025",
                    "EGLL 081250Z 00000KT 0350 OVC002 M05/M06 Q0987",
                    "EGLL 081250Z 09030G45KT 1200 +TSRA SCT015 BKN025CB 24/21 Q1004",
                    "EGLL 081250Z 18010KT 7000 -SN FEW008 SCT015 OVC030 M02/M04 Q1030",
                    "EGLL 081250Z 20010KT 9000 NSC 15/10 Q1013",
                    "EGLL 081250Z 27012KT 9999 SCT045 BKN250 18/09 Q1021",
                    "EGLL 081250Z 01005KT 0800 RA OVC004 09/09 Q1000"));

TEST(MetarLine, EmptyTablesGiveStationTimeAndNoCloud) {
  WeatherSnapshot snapshot;
  char line[kMetarLineSize];
  MetarLineFromTables(snapshot, "", {31, 23, 59}, 0, line, sizeof line);
  EXPECT_STREQ(line, "ZZZZ 312359Z NSC");
  MetarLineFromTables(snapshot, "1ABC", {0, 99, -3}, 0, line, sizeof line);
  EXPECT_STREQ(line, "ZZZZ 012300Z NSC") << "odd codes and times are replaced";
  MetarLineFromTables(snapshot, "egl\x01", {1, 0, 0}, 0, line, sizeof line);
  EXPECT_STREQ(line, "ZZZZ 010000Z NSC");
  MetarLineFromTables(snapshot, "kjfk", {1, 0, 0}, 0, line, sizeof line);
  EXPECT_STREQ(line, "KJFK 010000Z NSC");
}

TEST(MetarLine, ShortBuffersAreNeverOverrun) {
  WeatherSnapshot snapshot;
  ShowMetarTables(Tables("EGLL 081250Z 24015G25KT 4000 -SHRA FEW010 BKN040TCU 12/08 Q1013"), false,
                  snapshot);
  for (size_t size = 0; size < 40; ++size) {
    char line[48];
    std::memset(line, 'x', sizeof line);
    MetarLineFromTables(snapshot, "EGLL", {8, 12, 50}, 0, line, size);
    for (size_t i = size; i < sizeof line; ++i) ASSERT_EQ(line[i], 'x') << size;
    if (size > 0) {
      EXPECT_LT(std::strlen(line), size);
    }
  }
}

}  // namespace

namespace {

TEST(MetarStation, ElevationFromTheAirportFile) {
  std::vector<uint8_t> table(3 * kAirportRecordSize, 0);
  std::memcpy(&table[16], "EGLL", 4);
  PutF32(&table[16 + 12], 25.4f);
  std::memcpy(&table[32], "LXXX", 4);
  PutF32(&table[32 + 12], std::nanf(""));
  int metres = -1;
  EXPECT_TRUE(StationElevation(table.data(), table.size(), "egll", &metres));
  EXPECT_EQ(metres, 25);
  EXPECT_FALSE(StationElevation(table.data(), table.size(), "LXXX", &metres)) << "not a number";
  EXPECT_FALSE(StationElevation(table.data(), table.size(), "EGL", &metres));
  EXPECT_FALSE(StationElevation(table.data(), table.size(), "KJFK", &metres));
  EXPECT_FALSE(StationElevation(nullptr, 0, "EGLL", &metres));
  // Cut short: the last record does not lie wholly in the image.
  EXPECT_FALSE(StationElevation(table.data(), 40, "LXXX", &metres));
}

}  // namespace
