#include "weather/pane_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "weather/records.h"

namespace {

std::vector<std::string> Row(int pane, const uint8_t* record) {
  CellText cells[kMaxPaneColumns];
  memset(cells, 'x', sizeof cells);
  FormatPaneRow(pane, record, cells);
  std::vector<std::string> texts;
  for (int i = 0; i < PaneColumnCount(pane); ++i) texts.push_back(cells[i]);
  return texts;
}

std::string Text(void (*format)(int, char*, size_t), int value) {
  char out[kCellTextSize];
  format(value, out, sizeof out);
  return out;
}

TEST(PaneColumnsTest, TitlesCountsHeadersAndWidths) {
  const char* titles[] = {"Visibility", "Pressure", "Temperature",
                          "Winds Set",  "Cloud",    "Winds Applied"};
  const int counts[] = {3, 2, 4, 6, 10, 6};
  for (int p = 0; p < 6; ++p) {
    EXPECT_STREQ(PaneTitle(p), titles[p]);
    EXPECT_EQ(PaneColumnCount(p), counts[p]);
    EXPECT_LE(PaneColumnCount(p), kMaxPaneColumns);
    EXPECT_EQ(PaneRecordSize(p), TableRecordSize(p + 1));
  }
  EXPECT_STREQ(PaneColumns(1)[0].header, "QNH");
  EXPECT_EQ(PaneColumns(1)[0].width, 180);
  EXPECT_STREQ(PaneColumns(4)[9].header, "PrBase");
  EXPECT_EQ(PaneColumns(4)[7].width, 80);
  EXPECT_STREQ(PaneColumns(5)[1].header, "Speed");
  EXPECT_EQ(PaneColumnCount(6), 0);
  EXPECT_EQ(PaneColumns(-1), nullptr);
  EXPECT_EQ(PaneRecordSize(5), 24u);
}

TEST(RowLabelTest, SpaceFlaggedThreeWide) {
  struct Case {
    int row;
    const char* label;
  } cases[] = {{0, "  0 "}, {42, " 42 "}, {2, "  2 "}, {100, " 100 "}};
  for (const Case& c : cases) {
    char out[16];
    FormatRowLabel(c.row, out, sizeof out);
    EXPECT_STREQ(out, c.label);
  }
}

TEST(DisplayFormatTest, SingleValues) {
  struct Case {
    void (*format)(int, char*, size_t);
    int value;
    const char* text;
  } cases[] = {
      {FormatFeet, 3048, "10000ft"},
      {FormatFeet, 0, "0ft"},
      {FormatFeet, 1000, "3281ft"},
      {FormatRange, 100, "1.0sm (1609m)"},
      {FormatRange, 621, "6.2sm (9994m)"},
      {FormatRange, 622, "6.2sm"},
      {FormatRange, 0, "0.0sm (0m)"},
      {FormatRange, 1000, "10.0sm"},
      {FormatRange, 65535, "655.4sm"},
      {FormatPressure, 16211, "1013.2mb (29.92\")"},
      {FormatTemperature, 15, "15C (59F)"},
      {FormatTemperature, -10, "-10C (15F)"},
      {FormatTemperature, -3, "-3C (28F)"},
      {FormatTemperatureDifference, 20, "20C (36F)"},
      {FormatPrecipitation, 0, "None"},
      {FormatPrecipitation, 1, "Rain"},
      {FormatPrecipitation, 2, "Snow"},
      {FormatPrecipitation, 3, "3"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.format, c.value), c.text) << c.value;
}

TEST(DisplayFormatTest, DirectionsAndGusts) {
  struct Case {
    uint16_t direction;
    const char* text;
  } directions[] = {{0, "0T"}, {16384, "90T"}, {49152, "270T"}, {65535, "360T"}};
  for (const auto& c : directions) {
    char out[kCellTextSize];
    FormatDirection(c.direction, out, sizeof out);
    EXPECT_STREQ(out, c.text);
  }
  EXPECT_EQ(ShownGust(20, 5), 25);   // an increment on the speed
  EXPECT_EQ(ShownGust(20, 30), 30);  // above the speed: as stored
  EXPECT_EQ(ShownGust(20, 20), 40);
  EXPECT_EQ(ShownGust(20, 0), 0);
}

TEST(PaneRowTest, EveryPaneFormatsItsColumns) {
  uint8_t b[32] = {};

  EncodeVisibility(b, {{10, 0}, 3048, 0, 621});
  EXPECT_EQ(Row(0, b), (std::vector<std::string>{"0ft", "10000ft", "6.2sm (9994m)"}));

  EncodePressure(b, {{8, 0}, 16211, -16});
  EXPECT_EQ(Row(1, b), (std::vector<std::string>{"1013.2mb (29.92\")", "-1.0mb"}));
  EncodePressure(b, {{8, 0}, 16211, 24});
  EXPECT_EQ(Row(1, b)[1], "1.5mb");

  EncodeTemperature(b, {{12, 0}, 1000, 15, 20, -10});
  EXPECT_EQ(Row(2, b),
            (std::vector<std::string>{"3281ft", "15C (59F)", "20C (36F)", "-10C (15F)"}));

  EncodeWind(b, {{16, 0}, 3048, 20, 5, 16384, 2, 1});
  EXPECT_EQ(Row(3, b), (std::vector<std::string>{"10000ft", "20kn", "90T", "25kn", "2", "1"}));
  EncodeWind(b, {{16, 0}, 3048, 20, 30, 65535, 4, 3});
  EXPECT_EQ(Row(3, b)[3], "30kn");
  EXPECT_EQ(Row(3, b)[2], "360T");
  EncodeWind(b, {{16, 0}, 3048, 20, 0, 0, 0, 0});
  EXPECT_EQ(Row(3, b)[3], "0kn");

  EncodeCloud(b, {{24, 0}, 1000, 500, 100, 5, 8, 1, 2, 300, 1, 3});
  EXPECT_EQ(Row(4, b), (std::vector<std::string>{"1640ft", "3281ft", "328ft", "5/8", "8", "1",
                                                 "2", "Rain", "3", "984ft"}));
  EncodeCloud(b, {{24, 0}, 1000, 500, 100, 5, 8, 1, 2, 300, 3, 3});
  EXPECT_EQ(Row(4, b)[7], "3");

  AppliedWindLayer a;
  a.prefix = {24, 0};
  a.upperAltitude = 3048;
  a.gust = 5;  // shown as stored, not by the gust rule
  a.turbulence = 1;
  a.shear = 2;
  a.appliedSpeed = 12.25f;
  a.appliedDirection = 271.5f;
  EncodeAppliedWind(b, a);
  EXPECT_EQ(Row(5, b), (std::vector<std::string>{"10000ft", "12.2kn", "271.5T", "5kn", "1", "2"}));
}

TEST(PaneRowTest, ExtremeFloatsStayInsideTheCell) {
  uint8_t b[24] = {};
  AppliedWindLayer a;
  a.prefix = {24, 0};
  a.appliedSpeed = -3.4e38f;
  a.appliedDirection = 3.4e38f;
  EncodeAppliedWind(b, a);
  std::vector<std::string> row = Row(5, b);
  EXPECT_LT(row[1].size(), kCellTextSize);
  EXPECT_EQ(row[1].substr(row[1].size() - 4), ".0kn");  // not cut
}

}  // namespace
