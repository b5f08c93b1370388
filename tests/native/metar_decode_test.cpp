#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "weather/metar/metar_report.h"

namespace {

MetarReport Decode(const std::string& s) { return DecodeMetar(s.data(), s.size()); }

const MetarGroup* GroupWithText(const MetarReport& r, const char* text) {
  for (const MetarGroup& g : r.groups)
    if (std::strcmp(g.text, text) == 0) return &g;
  return nullptr;
}

// One group of a report, what it is read as and its plain words.
struct GroupCase {
  const char* report;
  const char* group;
  MetarGroupKind kind;
  const char* words;
};

class MetarGroupWords : public testing::TestWithParam<GroupCase> {};

TEST_P(MetarGroupWords, ReadsEachKindOfGroup) {
  const GroupCase& c = GetParam();
  const MetarReport r = Decode(c.report);
  const MetarGroup* g = GroupWithText(r, c.group);
  ASSERT_NE(g, nullptr) << c.report;
  EXPECT_FALSE(g->error) << g->words;
  EXPECT_EQ(g->kind, c.kind);
  EXPECT_STREQ(g->words, c.words);
  EXPECT_EQ(r.errorCount, 0) << (r.FirstError() ? r.FirstError()->text : "");
}

INSTANTIATE_TEST_SUITE_P(
    Groups, MetarGroupWords,
    testing::Values(
        GroupCase{"METAR EGLL 081250Z 24015G25KT", "METAR", MetarGroupKind::kType, "routine report"},
        GroupCase{"SPECI EGLL 081250Z 24015KT", "SPECI", MetarGroupKind::kType, "special report"},
        GroupCase{"EGLL 081250Z 24015KT", "EGLL", MetarGroupKind::kStation, "station EGLL"},
        GroupCase{"EGLL 081250Z 24015KT", "081250Z", MetarGroupKind::kTime, "day 8, 12:50 UTC"},
        GroupCase{"KJFK 081251Z AUTO 31012KT", "AUTO", MetarGroupKind::kModifier, "automatic station"},
        GroupCase{"EGLL 081250Z COR 24015KT", "COR", MetarGroupKind::kModifier, "corrected report"},
        GroupCase{"EGLL 081250Z NIL", "NIL", MetarGroupKind::kModifier, "no report (NIL)"},
        GroupCase{"EGLL 081250Z 24015G25KT", "24015G25KT", MetarGroupKind::kWind,
                  "wind 240\xB0 true 15 kt gusting 25"},
        GroupCase{"UUEE 081230Z 18005MPS", "18005MPS", MetarGroupKind::kWind,
                  "wind 180\xB0 true 10 kt (converted)"},
        GroupCase{"ZBAA 081230Z 27036KMH", "27036KMH", MetarGroupKind::kWind,
                  "wind 270\xB0 true 19 kt (converted)"},
        GroupCase{"EDDF 081220Z VRB03KT", "VRB03KT", MetarGroupKind::kWind, "wind variable 3 kt"},
        GroupCase{"EDDF 081220Z 00000KT", "00000KT", MetarGroupKind::kWind, "wind calm"},
        GroupCase{"EDDF 081220Z 090105G120KT", "090105G120KT", MetarGroupKind::kWind,
                  "wind 90\xB0 true 105 kt gusting 120"},
        GroupCase{"EGLL 081250Z 24015KT 210V270", "210V270", MetarGroupKind::kWindSector,
                  "wind direction varying between 210\xB0 and 270\xB0 (not set)"},
        GroupCase{"EGLL 081250Z 24015KT 9999", "9999", MetarGroupKind::kVisibility,
                  "visibility 10 km or more"},
        GroupCase{"EGLL 081250Z 24015KT 0350", "0350", MetarGroupKind::kVisibility,
                  "visibility 350 m"},
        GroupCase{"EGLL 081250Z 24015KT 6000 4000NE", "4000NE", MetarGroupKind::kVisibility,
                  "lowest visibility 4000 m toward NE (not set)"},
        GroupCase{"EDDF 081220Z VRB03KT CAVOK", "CAVOK", MetarGroupKind::kVisibility,
                  "ceiling and visibility OK: 10 km or more, no cloud below 5000 ft"},
        GroupCase{"KJFK 081251Z 31012KT 10SM", "10SM", MetarGroupKind::kVisibility,
                  "visibility 10 statute miles (16093 m)"},
        GroupCase{"KJFK 081251Z 31012KT 1 1/2SM", "1 1/2SM", MetarGroupKind::kVisibility,
                  "visibility 1 1/2 statute miles (2414 m)"},
        GroupCase{"KJFK 081251Z 31012KT 3/4SM", "3/4SM", MetarGroupKind::kVisibility,
                  "visibility 3/4 statute miles (1207 m)"},
        GroupCase{"KJFK 081251Z 31012KT M1/4SM", "M1/4SM", MetarGroupKind::kVisibility,
                  "visibility less than 1/4 statute miles (402 m)"},
        GroupCase{"KJFK 081251Z 31012KT P6SM", "P6SM", MetarGroupKind::kVisibility,
                  "visibility more than 6 statute miles (10000 m)"},
        GroupCase{"EGLL 081250Z 0350 R27L/0450V0700U", "R27L/0450V0700U",
                  MetarGroupKind::kRunwayRange, "runway visual range, runway 27L (not set)"},
        GroupCase{"KJFK 081251Z 1/2SM R04R/2000FT/D", "R04R/2000FT/D",
                  MetarGroupKind::kRunwayRange, "runway visual range, runway 04R (not set)"},
        GroupCase{"EGLL 081250Z 4000 +TSRA", "+TSRA", MetarGroupKind::kWeather,
                  "heavy thunderstorm with rain"},
        GroupCase{"EGLL 081250Z 4000 -SHRASN", "-SHRASN", MetarGroupKind::kWeather,
                  "light showers of rain and snow"},
        GroupCase{"EGLL 081250Z 4000 FZDZ", "FZDZ", MetarGroupKind::kWeather, "freezing drizzle"},
        GroupCase{"EGLL 081250Z 4000 VCSH", "VCSH", MetarGroupKind::kWeather,
                  "showers in the vicinity"},
        GroupCase{"EGLL 081250Z 4000 TS", "TS", MetarGroupKind::kWeather, "thunderstorm"},
        GroupCase{"EGLL 081250Z 4000 BCFG", "BCFG", MetarGroupKind::kWeather, "patches of fog"},
        GroupCase{"EGLL 081250Z 4000 +DS", "+DS", MetarGroupKind::kWeather, "heavy duststorm"},
        GroupCase{"EGLL 081250Z 9999 BKN040", "BKN040", MetarGroupKind::kCloud,
                  "broken cloud at 4000 ft"},
        GroupCase{"EGLL 081250Z 9999 FEW025CB", "FEW025CB", MetarGroupKind::kCloud,
                  "few cumulonimbus at 2500 ft"},
        GroupCase{"EGLL 081250Z 9999 SCT030TCU", "SCT030TCU", MetarGroupKind::kCloud,
                  "scattered towering cumulus at 3000 ft"},
        GroupCase{"EGLL 081250Z AUTO 9999 OVC012///", "OVC012///", MetarGroupKind::kCloud,
                  "overcast cloud at 1200 ft"},
        GroupCase{"EGLL 081250Z AUTO 9999 BKN///", "BKN///", MetarGroupKind::kCloud,
                  "broken cloud, height not reported (not set)"},
        GroupCase{"EGLL 081250Z 0100 FG VV001", "VV001", MetarGroupKind::kCloud,
                  "sky obscured, vertical visibility 100 ft"},
        GroupCase{"KJFK 081251Z 10SM SKC", "SKC", MetarGroupKind::kCloud, "sky clear"},
        GroupCase{"KJFK 081251Z 10SM CLR", "CLR", MetarGroupKind::kCloud, "sky clear"},
        GroupCase{"EGLL 081250Z 9999 NSC", "NSC", MetarGroupKind::kCloud, "no significant cloud"},
        GroupCase{"EGLL 081250Z AUTO 9999 NCD", "NCD", MetarGroupKind::kCloud, "no cloud detected"},
        GroupCase{"EGLL 081250Z 9999 NSW", "NSW", MetarGroupKind::kWeather, "no significant weather"},
        GroupCase{"EGLL 081250Z 9999 12/08", "12/08", MetarGroupKind::kTemperature,
                  "temperature 12 \xB0""C, dew point 8 \xB0""C"},
        GroupCase{"EGLL 081250Z 9999 M02/M04", "M02/M04", MetarGroupKind::kTemperature,
                  "temperature -2 \xB0""C, dew point -4 \xB0""C"},
        GroupCase{"EGLL 081250Z 9999 12///", "12///", MetarGroupKind::kTemperature,
                  "temperature 12 \xB0""C, dew point not reported"},
        GroupCase{"EGLL 081250Z 9999 12/08 Q1013", "Q1013", MetarGroupKind::kPressure, "QNH 1013 hPa"},
        GroupCase{"KJFK 081251Z 10SM A2992", "A2992", MetarGroupKind::kPressure,
                  "QNH 29.92 inHg (1013 hPa)"},
        GroupCase{"EGLL 081250Z 9999 Q1013 RETSRA", "RETSRA", MetarGroupKind::kSupplementary,
                  "recent thunderstorm with rain (not set)"},
        GroupCase{"LGAV 081250Z 9999 Q1013 W19/S3", "W19/S3", MetarGroupKind::kSupplementary,
                  "sea surface temperature and state (not set)"},
        GroupCase{"EGLL 081250Z 9999 Q1013 R27L/290195", "R27L/290195",
                  MetarGroupKind::kSupplementary, "state of runway 27L (not set)"},
        GroupCase{"EGLL 081250Z 9999 Q1013 WS R27L", "WS R27L", MetarGroupKind::kSupplementary,
                  "wind shear (not set)"},
        GroupCase{"EGLL 081250Z 9999 Q1013 WS ALL RWY", "WS ALL RWY",
                  MetarGroupKind::kSupplementary, "wind shear (not set)"},
        GroupCase{"EGLL 081250Z 9999 Q1013 NOSIG", "NOSIG", MetarGroupKind::kTrend,
                  "no significant change expected (not set)"},
        GroupCase{"EGLL 081250Z 9999 Q1013 TEMPO 3000 SHRA", "TEMPO 3000 SHRA",
                  MetarGroupKind::kTrend, "trend: temporarily (not set)"},
        GroupCase{"KJFK 081251Z 10SM A2992 RMK AO2 SLP132", "RMK AO2 SLP132",
                  MetarGroupKind::kRemarks, "remarks (not set)"},
        GroupCase{"EGLL 081250Z AUTO ////// 9999", "//////", MetarGroupKind::kMissing,
                  "not reported"},
        // Forms of automatic stations and national offices.
        GroupCase{"EDHL 081250Z AUTO 4000NDV", "4000NDV", MetarGroupKind::kVisibility,
                  "visibility 4000 m, no directional variation"},
        GroupCase{"MMMX 081250Z 7SM", "7SM", MetarGroupKind::kVisibility,
                  "visibility 7 statute miles (11265 m)"},
        GroupCase{"VTBD 081250Z 5KM", "5KM", MetarGroupKind::kVisibility, "visibility 5 km"},
        GroupCase{"LFPO 081250Z AUTO /////KT", "/////KT", MetarGroupKind::kWind,
                  "wind not reported (not set)"},
        GroupCase{"LFPO 081250Z AUTO ///05KT", "///05KT", MetarGroupKind::kWind,
                  "wind 5 kt, direction not reported (not set)"},
        GroupCase{"UTTT 081250Z 26026G40", "26026G40", MetarGroupKind::kWind,
                  "wind 260\xB0 true 26 kt gusting 40 (no unit: taken as knots)"},
        GroupCase{"ZSPD 081250Z 03008G12MPS", "03008G12MPS", MetarGroupKind::kWind,
                  "wind 30\xB0 true 16 kt gusting 23 (converted)"},
        GroupCase{"LFPO 081250Z AUTO 9999 //////CB", "//////CB", MetarGroupKind::kCloud,
                  "cumulonimbus, amount and height not reported (not set)"},
        GroupCase{"LFPO 081250Z AUTO 9999 //////TCU", "//////TCU", MetarGroupKind::kCloud,
                  "towering cumulus, amount and height not reported (not set)"},
        GroupCase{"LFPO 081250Z AUTO 9999 ///015///", "///015///", MetarGroupKind::kCloud,
                  "cloud at 1500 ft, amount not reported (not set)"},
        GroupCase{"LSZH 081250Z AUTO 0100 VV///", "VV///", MetarGroupKind::kCloud,
                  "sky obscured, vertical visibility not reported: set from the ground"},
        GroupCase{"LFPO 081250Z AUTO 9999 25////", "25////", MetarGroupKind::kTemperature,
                  "temperature 25 \xB0""C, dew point not reported"},
        GroupCase{"LFPO 081250Z AUTO 9999 M05////", "M05////", MetarGroupKind::kTemperature,
                  "temperature -5 \xB0""C, dew point not reported"},
        GroupCase{"LFPO 081250Z AUTO 9999 05/", "05/", MetarGroupKind::kTemperature,
                  "temperature 5 \xB0""C, dew point not reported"},
        GroupCase{"LFPO 081250Z AUTO 9999 ////10", "////10", MetarGroupKind::kTemperature,
                  "temperature not reported, dew point 10 \xB0""C (not set)"},
        GroupCase{"LFPO 081250Z AUTO 9999 Q1013 RE//", "RE//", MetarGroupKind::kSupplementary,
                  "recent weather not reported (not set)"},
        GroupCase{"EGLL 081250Z AUTO 0600 R28L/////", "R28L/////", MetarGroupKind::kSupplementary,
                  "runway 28L: visual range or state not reported (not set)"},
        GroupCase{"EGLL 081250Z AUTO 0600 R24L//////", "R24L//////",
                  MetarGroupKind::kSupplementary,
                  "runway 24L: visual range or state not reported (not set)"},
        GroupCase{"UUEE 081250Z 0600 R24/P2000N", "R24/P2000N", MetarGroupKind::kRunwayRange,
                  "runway visual range, runway 24 (not set)"},
        GroupCase{"ULLI 081250Z 9999 Q1013 R/SNOCLO", "R/SNOCLO", MetarGroupKind::kSupplementary,
                  "aerodrome closed by snow (not set)"},
        GroupCase{"ULLI 081250Z 9999 Q1013 R03/SNOCLO", "R03/SNOCLO",
                  MetarGroupKind::kSupplementary, "runway 03 closed by snow (not set)"},
        GroupCase{"UWWW 081250Z 9999 Q1013 88290195", "88290195", MetarGroupKind::kSupplementary,
                  "state of runway 88 (not set)"},
        GroupCase{"LEMD 081250Z 9999 Q1013 WS RWY22L", "WS RWY22L",
                  MetarGroupKind::kSupplementary, "wind shear (not set)"},
        GroupCase{"LEMD 081250Z 9999 Q1013 WS TKOF RWY09", "WS TKOF RWY09",
                  MetarGroupKind::kSupplementary, "wind shear (not set)"},
        GroupCase{"LEMD 081250Z 9999 Q1013 WS LDG RWY27", "WS LDG RWY27",
                  MetarGroupKind::kSupplementary, "wind shear (not set)"},
        GroupCase{"LGAV 081250Z 9999 Q1013 W15/H7", "W15/H7", MetarGroupKind::kSupplementary,
                  "sea surface temperature and wave height (not set)"},
        GroupCase{"KSFO 081250Z 10SM A3001 SLP162 RMK AO2", "SLP162",
                  MetarGroupKind::kSupplementary, "sea-level pressure (not set)"},
        GroupCase{"KJFK 081251Z CCA 31012KT", "CCA", MetarGroupKind::kModifier, "corrected report"},
        GroupCase{"UAAA 081250Z 9999 QNH1013HPA", "QNH1013HPA", MetarGroupKind::kPressure,
                  "QNH 1013 hPa"},
        GroupCase{"YSSY 081250Z 9999 Q1015 INTER 4000 SHRA", "INTER 4000 SHRA",
                  MetarGroupKind::kTrend, "trend: intermittently (not set)"},
        GroupCase{"EGLL 081250Z 24015KT 27020KT", "27020KT", MetarGroupKind::kWind,
                  "wind 270\xB0 true 20 kt (repeated: not used)"},
        GroupCase{"EGLL 081250Z 12/08 13/09", "13/09", MetarGroupKind::kTemperature,
                  "temperature 13 \xB0""C, dew point 9 \xB0""C (repeated: not used)"},
        GroupCase{"EGLL 081250Z Q1013 A2992", "A2992", MetarGroupKind::kPressure,
                  "QNH 29.92 inHg (1013 hPa) (repeated: not used)"}));

// Bad groups are named with a reason; the rest of the report is still read.
struct BadCase {
  const char* report;
  const char* group;
  const char* reason;
};

class MetarBadGroups : public testing::TestWithParam<BadCase> {};

TEST_P(MetarBadGroups, NamesTheGroupAndGoesOn) {
  const BadCase& c = GetParam();
  const MetarReport r = Decode(c.report);
  ASSERT_NE(r.FirstError(), nullptr) << c.report;
  EXPECT_STREQ(r.FirstError()->text, c.group);
  EXPECT_NE(std::strstr(r.FirstError()->words, c.reason), nullptr) << r.FirstError()->words;
  EXPECT_TRUE(r.hasPressure) << "the groups after the bad one are still read";
}

INSTANTIATE_TEST_SUITE_P(
    Groups, MetarBadGroups,
    testing::Values(BadCase{"EGLL 081250Z 40015KT Q1013", "40015KT", "above 360"},
                    BadCase{"EGLL 081250Z 2401KT Q1013", "2401KT", "speed"},
                    BadCase{"EGLL 081250Z 24015G5KT Q1013", "24015G5KT", "gust"},
                    BadCase{"EGLL 321250Z 24015KT Q1013", "321250Z", "out of range"},
                    BadCase{"EGLL 081250Z 24015KT 1/0SM Q1013", "1/0SM", "divisor"},
                    BadCase{"EGLL 081250Z BKN04 Q1013", "BKN04", "three digits"},
                    BadCase{"EGLL 081250Z BKN040XY Q1013", "BKN040XY", "CB or TCU"},
                    BadCase{"EGLL 081250Z 1/08 Q1013", "1/08", "temperature"},
                    BadCase{"EGLL 081250Z +XXRA Q1013", "+XXRA", "weather"},
                    BadCase{"EGLL 081250Z Q0013 Q1013", "Q0013", "800 to 1200"},
                    BadCase{"EGLL 081250Z R27/12 Q1013", "R27/12", "runway visual range"},
                    BadCase{"EGLL 081250Z H\xE9LLO Q1013", "H?LLO", "characters"},
                    BadCase{"EGLL 081250Z 24015KT\x01 Q1013", "24015KT?", "characters"},
                    BadCase{"EGLL 081250Z ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOP Q1013",
                            "ABCDEFGHIJKLMNOPQRSTUVWX...", "too long"},
                    BadCase{"12345 081250Z Q1013", "12345", "station"},
                    // Values no station reports.
                    BadCase{"EGLL 081250Z 240260KT Q1013", "240260KT", "wind: speed above 250"},
                    BadCase{"EGLL 081250Z 24030G20KT Q1013", "24030G20KT", "wind: gust below"},
                    BadCase{"EGLL 081250Z 240130MPS Q1013", "240130MPS", "wind: speed above 250"},
                    BadCase{"EGLL 081250Z 61/10 Q1013", "61/10", "temperature: above 60"},
                    BadCase{"EGLL 081250Z M81/M82 Q1013", "M81/M82", "temperature: below -80"},
                    BadCase{"EGLL 081250Z 10/M90 Q1013", "10/M90", "dew point: below -80"}));

// The kind of an error is the kind of group its reason names.
TEST(MetarReport, AnErrorIsOfTheKindItWasTakenFor) {
  const struct {
    const char* report;
    MetarGroupKind kind;
  } cases[] = {{"EGLL 081250Z 24030G20KT", MetarGroupKind::kWind},
               {"EGLL 081250Z 61/10", MetarGroupKind::kTemperature},
               {"EGLL 081250Z BKN04", MetarGroupKind::kCloud},
               {"EGLL 081250Z Q0013", MetarGroupKind::kPressure},
               {"EGLL 081250Z 1/0SM", MetarGroupKind::kVisibility},
               {"EGLL 321250Z", MetarGroupKind::kTime},
               {"EGLL 081250Z XYZZY", MetarGroupKind::kUnreadable}};
  for (const auto& c : cases) {
    const MetarReport r = Decode(c.report);
    ASSERT_NE(r.FirstError(), nullptr) << c.report;
    EXPECT_EQ(r.FirstError()->kind, c.kind) << c.report;
  }
}

TEST(MetarReport, DecodesTheValuesOfAWholeReport) {
  const MetarReport r = Decode(
      "METAR LFPG 081230Z 24008MPS 200V280 3000 1200SW -RADZ BR FEW008 BKN015 OVC030 "
      "M01/M03 Q0998 RESN NOSIG=");
  EXPECT_EQ(r.errorCount, 0);
  EXPECT_STREQ(r.station, "LFPG");
  EXPECT_EQ(r.day * 10000 + r.hour * 100 + r.minute, 81230);
  EXPECT_EQ(r.windDirection, 240);
  EXPECT_EQ(r.windSpeed, 16);
  EXPECT_EQ(r.sectorFrom, 200);
  EXPECT_EQ(r.sectorTo, 280);
  EXPECT_EQ(r.visibilityMetres, 3000) << "the prevailing visibility, not the lowest";
  ASSERT_EQ(r.weatherCount, 2);
  EXPECT_EQ(r.weather[0].intensity, WeatherIntensity::kLight);
  EXPECT_EQ(r.weather[0].phenomenonCount, 2);
  ASSERT_EQ(r.cloudCount, 3);
  EXPECT_EQ(r.clouds[2].cover, CloudCover::kOvercast);
  EXPECT_EQ(r.clouds[2].heightFeet, 3000);
  EXPECT_EQ(r.temperature, -1);
  EXPECT_EQ(r.dewPoint, -3);
  EXPECT_DOUBLE_EQ(r.qnhHectopascals, 998);
}

TEST(MetarReport, TextAfterTheEndMarkIsAnError) {
  const MetarReport r = Decode("EGLL 081250Z 24015KT= EGKK 081250Z");
  ASSERT_NE(r.FirstError(), nullptr);
  EXPECT_NE(std::strstr(r.FirstError()->words, "after the end"), nullptr);
  EXPECT_EQ(Decode("EGLL 081250Z 24015KT=\r\n  ").errorCount, 0);
}

TEST(MetarReport, EmptyAndCutShortTextsAreErrorsNotCrashes) {
  for (const char* text : {"", "   ", "METAR", "EGLL 081250Z 240", "EGLL 081250Z BKN",
                           "EGLL 081250Z M", "EGLL 081250Z 1", "EGLL 081250Z R2", "EGLL 081250Z Q",
                           "EGLL 081250Z M1/", "EGLL 081250Z 1 1/", "EGLL 081250Z +", "==="}) {
    const MetarReport r = Decode(text);
    EXPECT_GT(r.errorCount, 0) << text;
    for (const MetarGroup& g : r.groups) EXPECT_LT(std::strlen(g.text), sizeof g.text);
  }
}

TEST(MetarReport, LongReportsStayBounded) {
  std::string remarks = "EGLL 081250Z 24015KT Q1013 RMK";
  while (remarks.size() < 10000) remarks += " AO2 SLP132";
  MetarReport r = Decode(remarks);
  EXPECT_EQ(r.errorCount, 0);
  EXPECT_EQ(r.groups.size(), 5u) << "the remarks are one group";
  EXPECT_STREQ(r.groups.back().text + std::strlen(r.groups.back().text) - 3, "...");

  std::string many = "EGLL 081250Z";
  while (many.size() < 10000) many += " 24015KT";
  r = Decode(many);
  EXPECT_LE(r.groups.size(), size_t(kMaxMetarGroups));
  ASSERT_NE(r.FirstError(), nullptr);
  EXPECT_NE(std::strstr(r.FirstError()->words, "too long"), nullptr);
}

TEST(MetarReport, LowerCaseIsRead) {
  const MetarReport r = Decode("egll 081250z 24015kt 9999 bkn040 12/08 q1013");
  EXPECT_EQ(r.errorCount, 0);
  EXPECT_STREQ(r.station, "EGLL");
}

}  // namespace

namespace {

TEST(MetarReport, EndMarkCutsTheLastGroupWherePresent) {
  MetarReport r = Decode("KJFK 081251Z 31012KT 1 1/2SM=");
  EXPECT_EQ(r.errorCount, 0);
  EXPECT_EQ(r.visibilityMetres, 2414) << "the whole number stays with its fraction";
  r = Decode("EGLL 081250Z 24015KT Q1013 RMK AO2= EGKK");
  ASSERT_NE(r.FirstError(), nullptr);
  EXPECT_STREQ(r.FirstError()->text, "EGKK");
  EXPECT_STREQ(r.groups[r.groups.size() - 2].text, "RMK AO2");
  r = Decode("EGLL 081250Z 24015KT 1=");
  ASSERT_NE(r.FirstError(), nullptr);
  EXPECT_STREQ(r.FirstError()->text, "1");
}

}  // namespace
