// Reports in the forms stations and offices really send, written from the code forms (WMO FM 15
// and 16, the US forms), with the tables each one gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "weather/metar/metar_report.h"
#include "weather/metar/metar_tables.h"
#include "weather/units.h"

namespace {

// The tables in one line: V range, Q qnh, T surface and aloft, W direction/speed[G gust],
// C layers base-top/cover/type[precipitation]; "-" for a table not filled, C0 for an empty one.
std::string Summary(const MetarTables& t) {
  std::string s;
  char part[96];
  if (t.filled[kVisibilityTable])
    snprintf(part, sizeof part, "V%d", t.visibility[0].range);
  else
    snprintf(part, sizeof part, "V-");
  s += part;
  if (t.filled[kPressureTable])
    snprintf(part, sizeof part, " Q%d", t.pressure[0].qnh);
  else
    snprintf(part, sizeof part, " Q-");
  s += part;
  if (!t.filled[kTemperatureTable]) {
    s += " T-";
  } else {
    snprintf(part, sizeof part, " T%d/%d", t.temperature[0].dayTemperature, t.temperature[0].dewPoint);
    s += part;
    if (t.temperature.size() > 1) {
      snprintf(part, sizeof part, ",%d/%d", t.temperature[1].dayTemperature, t.temperature[1].dewPoint);
      s += part;
    }
  }
  if (!t.filled[kWindTable]) {
    s += " W-";
  } else {
    const WindLayer& w = t.wind[0];
    snprintf(part, sizeof part, " W%d/%d", int(std::lround(DegreesFromDirection(w.direction))), w.speed);
    s += part;
    if (w.gust) s += "G" + std::to_string(w.gust);
  }
  if (!t.filled[kCloudTable]) {
    s += " C-";
  } else if (t.clouds.empty()) {
    s += " C0";
  } else {
    s += " C";
    for (size_t i = 0; i < t.clouds.size(); ++i) {
      const CloudLayer& c = t.clouds[i];
      snprintf(part, sizeof part, "%s%d-%d/%d/%d", i ? "|" : "", c.lowerAltitude, c.upperAltitude,
               c.cover, c.cloudType);
      s += part;
      if (c.precipitationType) {
        snprintf(part, sizeof part, "%c%d", c.precipitationType == 2 ? 's' : 'r', c.precipitationRate);
        s += part;
      }
    }
  }
  return s;
}

struct FormCase {
  const char* report;
  int elevation;
  const char* tables;  // as Summary writes them
  const char* bad;     // the one group that is an error, or nullptr
};

const FormCase kForms[] = {
    // ddddNDV is the prevailing visibility; the light rain goes on the lowest stratus layer.
    {"METAR EDHL 081320Z AUTO 24010KT 4000NDV -RA BKN015 OVC025 10/08 Q1012", 0,
     "V249 Q16192 T10/8,-62/-64 W240/10 C457-1057/6/8r1|762-1362/8/8", nullptr},
    {"METAR EKCH 081320Z AUTO 27012KT 9999NDV // NCD 08/05 Q1022", 5,
     "V1000 Q16352 T8/5,-63/-66 W270/12 C0", nullptr},
    {"METAR EDDH 081320Z AUTO 24010KT 9999 1500NDV BKN015 10/08 Q1012", 0,
     "V1000 Q16192 T10/8,-62/-64 W240/10 C457-1057/6/8", nullptr},
    // Statute miles as reported; only "more than" takes 10.
    {"METAR MMMX 081340Z 02005KT 7SM SKC 12/M01 A3032", 2230,
     "V700 Q16428 T12/-1,-45/-58 W20/5 C0", nullptr},
    {"METAR KDEN 081353Z 36010KT 8SM -SN OVC040 M03/M06 A3012", 1656,
     "V800 Q16320 T-3/-6,-64/-67 W0/10 C2875-3475/8/8s1", nullptr},
    {"METAR KMSP 081353Z 33012KT 9SM FEW040 M05/M12 A3021", 256,
     "V900 Q16368 T-5/-12,-75/-82 W330/12 C1475-2375/2/9", nullptr},
    {"SPECI KSEA 081353Z 18008KT 6 1/2SM -RA BR BKN012 OVC025 08/07 A2990", 132,
     "V650 Q16200 T8/7,-63/-64 W180/8 C498-1098/6/8r1|894-1494/8/8", nullptr},
    {"METAR KBOS 081354Z 04012KT M1/4SM FG VV002 M01/M01 A3005", 6,
     "V25 Q16282 T-1/-1,-72/-72 W40/12 C6-67/8/8", nullptr},
    {"METAR KJFK 081351Z 31012G22KT P6SM FEW250 M02/M17 A3012", 4,
     "V1000 Q16320 T-2/-17,-73/-88 W310/12G22 C7624-7924/2/1", nullptr},
    {"METAR KLAX 081353Z 25008KT 10SM CLR 18/09 A2995", 38,
     "V1000 Q16228 T18/9,-53/-62 W250/8 C0", nullptr},
    {"METAR CYYZ 081300Z 27015G25KT 15SM -SHSN BKN030 OVC080 M05/M10 A2990 RMK SC5AC3 SLP133", 173,
     "V1500 Q16200 T-5/-10,-75/-80 W270/15G25 C1087-1687/6/8s1|2611-3211/8/8", nullptr},
    {"METAR KPHL 081354Z 05006KT 1 1/2SM R09R/4000VP6000FT BR OVC005 07/06 A2978", 11,
     "V150 Q16135 T7/6,-64/-65 W50/6 C163-763/8/8", nullptr},
    {"METAR KBTV 081354Z 00000KT 1/16SM FZFG VV001 M08/M09 A3025", 0,
     "V6 Q16390 T-8/-9,-80/-81 W0/0 C0-30/8/8", nullptr},
    // Slashes for what an automatic station could not measure.
    {"METAR LFPO 081330Z AUTO /////KT 9999 //////CB 12/08 Q1015", 0,
     "V1000 Q16240 T12/8,-60/-64 W- C-", nullptr},
    {"METAR LFLY 081330Z AUTO 18005KT 9999 ///015/// 25//// Q1015", 0,
     "V1000 Q16240 T25/25,-47/-47 W180/5 C-", nullptr},
    {"METAR ENGM 081320Z AUTO 05005KT 9999 FEW012/// //////TCU M05//// Q1030", 0,
     "V1000 Q16480 T-5/-5,-77/-77 W50/5 C366-1266/2/9", nullptr},
    {"METAR EFHK 081320Z AUTO 24010KT //// ////// ////10 Q////", 0, "V- Q- T- W240/10 C-", nullptr},
    {"METAR LSZH 081320Z AUTO 00000KT 0100 FG VV/// 02/02 Q1025", 432,
     "V6 Q16400 T2/2,-67/-67 W0/0 C432-462/8/8", nullptr},
    {"METAR EGLL 081320Z AUTO 24010KT 0600 R28L///// R24L////// FG OVC002 05/05 Q1010 RE//", 25,
     "V37 Q16160 T5/5,-66/-66 W240/10 C86-686/8/8", nullptr},
    {"METAR EBBR 081320Z AUTO 24010KT 9999 BKN///TCU OVC030/// 05/ Q1010", 0,
     "V1000 Q16160 T5/5,-67/-67 W240/10 C914-1514/8/8", nullptr},
    {"METAR EDDM 081320Z AUTO 24010KT 9999 ///CB 05/01 Q1010", 0,
     "V1000 Q16160 T5/1,-67/-71 W240/10 C-", nullptr},
    // Runway visual range and runway state in every form: listed, never in the way.
    {"METAR UUEE 081330Z 18003MPS 0900 R24L/P2000N R06L/0800V1200U BR OVC003 M02/M03 Q1015 "
     "R24L/290050 R06R/CLRD62 NOSIG",
     190, "V56 Q16240 T-2/-3,-72/-73 W180/6 C281-881/8/8", nullptr},
    {"METAR ULLI 081330Z 24005MPS 0300 R28R/0250U +SN VV003 M10/M11 Q0998 R/SNOCLO", 24,
     "V19 Q15968 T-10/-11,-81/-82 W240/10 C24-115/8/8s5", nullptr},
    {"METAR UWWW 081330Z 24005MPS 9999 OVC020 M10/M11 Q0998 R03/SNOCLO 88290195", 0,
     "V1000 Q15968 T-10/-11,-82/-83 W240/10 C610-1210/8/8", nullptr},
    {"METAR EFRO 081320Z 18008KT 9999 BKN020 M12/M15 Q1003 R21/450230 99//////", 0,
     "V1000 Q16048 T-12/-15,-84/-87 W180/8 C610-1210/6/8", nullptr},
    {"METAR LOWW 081320Z 29015KT 9999 FEW030 08/02 Q1016 R16/CLRD// R29/M0050V0150D", 0,
     "V1000 Q16256 T8/2,-64/-70 W290/15 C914-1814/2/9", nullptr},
    // Wind shear, recent weather, sea state, a stray sea-level pressure.
    {"METAR LEMD 081330Z 33015G28KT 9999 TS FEW040CB 24/10 Q1013 RETSRA WS RWY22L", 610,
     "V1000 Q16208 T24/10,-44/-58 W330/15G28 C1829-7829/2/10", nullptr},
    {"METAR LEBL 081330Z 21010KT 9999 SCT025 20/12 Q1015 WS R22L RERA", 0,
     "V1000 Q16240 T20/12,-52/-60 W210/10 C762-1662/4/9", nullptr},
    {"METAR UKBB 081330Z 21010MPS 9999 BKN010 10/08 Q1005 WS ALL RWY NOSIG", 0,
     "V1000 Q16080 T10/8,-62/-64 W210/19 C305-905/6/8", nullptr},
    {"METAR OMDB 081330Z 32015KT 9999 NSC 30/10 Q1010 WS TKOF RWY12L WS LDG RWY30R", 19,
     "V1000 Q16160 T30/10,-41/-61 W320/15 C0", nullptr},
    {"METAR LGAV 081320Z 36015KT 9999 FEW025 18/10 Q1018 W15/S4", 94,
     "V1000 Q16288 T18/10,-53/-61 W0/15 C856-1756/2/9", nullptr},
    {"METAR ENZV 081320Z 16025KT 9999 SCT015 08/04 Q0990 W09/H45 WM01/S/ W///H7", 0,
     "V1000 Q15840 T8/4,-64/-68 W160/25 C457-1357/4/9", nullptr},
    {"METAR KSFO 081356Z 29012KT 10SM FEW015 14/09 A3001 SLP162 RMK AO2 SLP162 T01440094", 4,
     "V1000 Q16260 T14/9,-57/-62 W290/12 C461-1361/2/9", nullptr},
    // Trends: what follows the keyword never overwrites the main groups.
    {"METAR EGLL 081320Z 24015KT 9999 BKN030 12/08 Q1013 BECMG 18025G40KT 3000 +RA OVC005 15/10 "
     "Q0990",
     25, "V1000 Q16208 T12/8,-59/-63 W240/15 C939-1539/6/8", nullptr},
    {"METAR EHAM 081325Z 22012KT 6000 -DZ OVC008 11/10 Q1008 TEMPO 2000 BR BKN003 FM1400 0800 FG", 0,
     "V373 Q16128 T11/10,-61/-62 W220/12 C244-844/8/8r1", nullptr},
    {"METAR YSSY 081330Z 18012KT 9999 -SHRA FEW020 SCT030 BKN040 18/14 Q1015 INTER 1330/1530 4000 "
     "SHRA RMK RF00.0/000.0",
     6, "V1000 Q16240 T18/14,-53/-57 W180/12 C616-1516/2/9r1|920-1820/4/9|1225-1825/6/8", nullptr},
    // Corrections, delays, automatic stations, nothing at all.
    {"METAR KJFK 081251Z CCA 31012KT 10SM BKN250 M02/M17 A2992", 0,
     "V1000 Q16211 T-2/-17,-74/-89 W310/12 C7620-7920/6/1", nullptr},
    {"METAR CCB KJFK 081251Z 31012KT 10SM SCT050 M02/M17 A2992", 0,
     "V1000 Q16211 T-2/-17,-74/-89 W310/12 C1524-2424/4/9", nullptr},
    {"METAR COR EGLL 081320Z AUTO 24015KT CAVOK 12/08 Q1013", 0,
     "V1000 Q16208 T12/8,-60/-64 W240/15 C0", nullptr},
    {"METAR EGLL 081320Z RTD 24015KT CAVOK 12/08 Q1013", 0,
     "V1000 Q16208 T12/8,-60/-64 W240/15 C0", nullptr},
    {"METAR EGLL 081320Z NIL=", 0, "V- Q- T- W- C-", nullptr},
    // Winds: without a unit (knots), variable, calm, other units, the variable sector.
    {"METAR UTTT 081330Z 26026G40 9999 SCT040 15/05 Q1010", 0,
     "V1000 Q16160 T15/5,-57/-67 W260/26G40 C1219-2119/4/9", nullptr},
    {"METAR UTSS 081330Z 00000 9999 SKC 15/05 Q1010", 0, "V1000 Q16160 T15/5,-57/-67 W0/0 C0", nullptr},
    {"METAR EDDF 081320Z VRB03KT CAVOK 05/M01 Q1025 NOSIG", 111,
     "V1000 Q16400 T5/-1,-66/-72 W0/3 C0", nullptr},
    {"METAR ZBAA 081330Z 27036G54KMH 240V300 6000 TSRA SCT030 FEW040CB 28/22 Q1002", 35,
     "V373 Q16032 T28/22,-43/-49 W270/19G29 C949-1849/4/9|1254-7254/2/10r3", nullptr},
    {"METAR ZSPD 081330Z 03008G12MPS 9999 -RA OVC012 09/07 Q1021", 4,
     "V1000 Q16336 T9/7,-62/-64 W30/16G23 C370-970/8/8r1", nullptr},
    // Visibility in kilometres as some offices write it.
    {"METAR VTBD 081330Z 18005KT 5KM HZ FEW020 32/24 Q1008", 0,
     "V311 Q16128 T32/24,-40/-48 W180/5 C610-1510/2/9", nullptr},
    {"METAR VTBS 081330Z 18005KT 20KM FEW020 32/24 Q1008", 0,
     "V1243 Q16128 T32/24,-40/-48 W180/5 C610-1510/2/9", nullptr},
    // QNH written out by a few offices.
    {"METAR UAAA 081330Z 18005MPS 9999 SCT040 M05/M09 QNH1013HPA", 0,
     "V1000 Q16208 T-5/-9,-77/-81 W180/10 C1219-2119/4/9", nullptr},
    // A second group of a kind already read is listed and not used: the first stands.
    {"METAR UUDD 081330Z 18005MPS 180010KT 9999 8000 OVC010 M05/M07 M04/M06 Q1010 Q1020 A3002", 0,
     "V1000 Q16160 T-5/-7,-77/-79 W180/10 C305-905/8/8", nullptr},
    // Values no station reports are errors that name the group.
    {"METAR OEJN 081330Z 33010KT 9999 NSC 61/10 Q1010", 0, "V1000 Q16160 T- W330/10 C0", "61/10"},
    {"METAR NZSP 081330Z 33010KT 9999 NSC M81/M85 Q1010", 0, "V1000 Q16160 T- W330/10 C0", "M81/M85"},
    {"METAR EGLL 081320Z 240260KT 9999 NSC 12/08 Q1013", 0, "V1000 Q16208 T12/8,-60/-64 W- C0",
     "240260KT"},
    {"METAR EGLL 081320Z 24030G20KT 9999 NSC 12/08 Q1013", 0, "V1000 Q16208 T12/8,-60/-64 W- C0",
     "24030G20KT"},
    {"METAR EGLL 081320Z 24015KT 9999 BKN010XX 12/08 Q1013", 0, "V1000 Q16208 T12/8,-60/-64 W240/15 C-",
     "BKN010XX"},
};

class MetarForms : public testing::TestWithParam<FormCase> {};

TEST_P(MetarForms, GiveTheirTables) {
  const FormCase& c = GetParam();
  const MetarReport r = DecodeMetar(c.report, std::strlen(c.report));
  EXPECT_EQ(Summary(TablesFromMetar(r, c.elevation)), c.tables) << c.report;
  std::string errors;
  for (const MetarGroup& g : r.groups)
    if (g.error) errors += std::string(errors.empty() ? "" : ", ") + g.text + " (" + g.words + ")";
  EXPECT_EQ(errors, c.bad ? std::string(c.bad) + " (" + r.FirstError()->words + ")" : "")
      << c.report;
}

INSTANTIATE_TEST_SUITE_P(Reports, MetarForms, testing::ValuesIn(kForms));

}  // namespace

namespace {

// The table that a filled table comes from: a group of that kind, read whole, no error.
bool ReadFrom(const MetarReport& r, size_t cut, MetarGroupKind kind, const char* alsoText = nullptr) {
  for (const MetarGroup& g : r.groups)
    if (!g.error && g.offset + g.length <= cut &&
        (g.kind == kind || (alsoText && std::strcmp(g.text, alsoText) == 0)))
      return true;
  return false;
}

// Every report above cut at every byte: no table is filled but from a group read whole, and the
// line written back from the tables reads without an error.
TEST(MetarForms, CutAtEveryByteSetOnlyWhatWasRead) {
  for (const FormCase& c : kForms) {
    const size_t length = std::strlen(c.report);
    for (size_t cut = 0; cut <= length; ++cut) {
      const std::string text(c.report, cut);  // exactly cut bytes, no terminator read past
      const MetarReport r = DecodeMetar(text.data(), text.size());
      const MetarTables t = TablesFromMetar(r, c.elevation);
      const std::string where = std::string(c.report) + " cut at " + std::to_string(cut);
      EXPECT_TRUE(!t.filled[kVisibilityTable] || ReadFrom(r, cut, MetarGroupKind::kVisibility)) << where;
      EXPECT_TRUE(!t.filled[kPressureTable] || ReadFrom(r, cut, MetarGroupKind::kPressure)) << where;
      EXPECT_TRUE(!t.filled[kTemperatureTable] || ReadFrom(r, cut, MetarGroupKind::kTemperature)) << where;
      EXPECT_TRUE(!t.filled[kWindTable] || ReadFrom(r, cut, MetarGroupKind::kWind)) << where;
      EXPECT_TRUE(!t.filled[kCloudTable] || ReadFrom(r, cut, MetarGroupKind::kCloud, "CAVOK")) << where;
      WeatherSnapshot snapshot;
      ShowMetarTables(t, false, snapshot);
      char line[kMetarLineSize];
      MetarLineFromTables(snapshot, r.station, {8, 12, 0}, c.elevation, line, sizeof line);
      const MetarReport back = DecodeMetar(line, std::strlen(line));
      EXPECT_EQ(back.errorCount, 0) << where << " -> " << line;
    }
  }
}

// The layer at 11000 m in whole numbers: the same on every build. Ties (a result of exactly
// n.5 degrees) go away from zero; they come at every elevation that is a multiple of 2000 m.
TEST(MetarTemperatureAloft, SweepGivesPinnedValues) {
  EXPECT_EQ(TemperatureAloft(12, 0), -60);    // -59.5
  EXPECT_EQ(TemperatureAloft(10, 0), -62);    // -61.5
  EXPECT_EQ(TemperatureAloft(8, 10000), 2);   // 1.5
  EXPECT_EQ(TemperatureAloft(5, 10000), -2);  // -1.5
  EXPECT_EQ(TemperatureAloft(20, 2000), -39); // -38.5
  EXPECT_EQ(TemperatureAloft(60, 4000), 15);  // 14.5
  EXPECT_EQ(TemperatureAloft(12, 25), -59);   // -59.3375
  EXPECT_EQ(TemperatureAloft(-80, 11000), -80);
  long sum = 0, ties = 0;
  for (int e = 0; e <= kTemperatureAloftMetres; e += 25)
    for (int t = -80; t <= 60; ++t) {
      const int aloft = TemperatureAloft(t, e);
      // In tenths of a thousandth: the exact value lies within half a degree.
      const long exact = t * 10000L - 65L * (kTemperatureAloftMetres - e);
      EXPECT_LE(std::labs(aloft * 10000L - exact), 5000) << t << " at " << e;
      ties += std::labs(aloft * 10000L - exact) == 5000 ? 1 : 0;
      sum += aloft;
    }
  EXPECT_EQ(ties, 6 * 141);
  EXPECT_EQ(sum, -2844958);
  // And through the report, for the ties themselves.
  for (int e = 0; e <= 10000; e += 2000)
    for (int t = -80; t <= 60; t += 7) {
      char report[64];
      snprintf(report, sizeof report, "ZZZZ 081200Z %s%02d/%s%02d", t < 0 ? "M" : "", std::abs(t),
               t < 0 ? "M" : "", std::abs(t));
      const MetarTables tables = TablesFromMetar(DecodeMetar(report, std::strlen(report)), e);
      ASSERT_EQ(tables.temperature.size(), 2u) << report;
      EXPECT_EQ(tables.temperature[1].dayTemperature, TemperatureAloft(t, e)) << report << " at " << e;
    }
}

// Many layers: the line writes the significant ones and always ends with temperature and QNH.
TEST(MetarLine, ManyCloudLayersGiveTheSignificantOnes) {
  std::string report = "EGLL 081250Z 24010KT 9999";
  MetarTables tables = TablesFromMetar(DecodeMetar(report.data(), report.size()), 0);
  const int covers[] = {2, 2, 4, 2, 6, 8, 2, 4};
  for (int i = 0; i < 300; ++i) {
    CloudLayer c;
    c.lowerAltitude = uint16_t(300 + 30 * i);
    c.upperAltitude = uint16_t(c.lowerAltitude + 600);
    c.cover = uint16_t(covers[i % 8]);
    c.cloudType = i == 250 ? kThunderstormType : kStratusType;
    tables.clouds.push_back(c);
  }
  tables.filled[kCloudTable] = true;
  const std::string more = "ZZZZ 081250Z 12/08 Q1013";
  const MetarTables tq = TablesFromMetar(DecodeMetar(more.data(), more.size()), 0);
  tables.temperature = tq.temperature;
  tables.pressure = tq.pressure;
  tables.filled[kTemperatureTable] = tables.filled[kPressureTable] = true;
  WeatherSnapshot snapshot;
  ShowMetarTables(tables, false, snapshot);
  char line[kMetarLineSize];
  MetarLineFromTables(snapshot, "EGLL", {8, 12, 50}, 0, line, sizeof line);
  // 300 m (984 ft) few, 360 m scattered, 420 m broken; the thunderstorm layer at 7800 m.
  EXPECT_STREQ(line, "EGLL 081250Z 24010KT 9999 FEW010 SCT012 BKN014 SCT256CB 12/08 Q1013");
  EXPECT_EQ(DecodeMetar(line, std::strlen(line)).errorCount, 0);

  // A short buffer holds whole groups only.
  for (size_t size = 1; size < std::strlen(line) + 1; ++size) {
    char cut[kMetarLineSize];
    MetarLineFromTables(snapshot, "EGLL", {8, 12, 50}, 0, cut, size);
    const std::string s = cut;
    EXPECT_EQ(std::string(line).compare(0, s.size(), s), 0) << size;
    EXPECT_TRUE(s.empty() || line[s.size()] == ' ' || line[s.size()] == 0) << size << ": " << s;
  }
}

}  // namespace
