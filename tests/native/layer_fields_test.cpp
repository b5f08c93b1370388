#include "weather/layer_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/request_block.h"
#include "weather/pane_format.h"
#include "weather/records.h"

namespace {

using FC = FieldConversion;

struct ParseCase {
  const char* text;
  FC conversion;
  int clampMax;
  int stored;  // as the signed or unsigned 16-bit field reads it
};

class ParseFieldTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseFieldTest, StoresRecordUnits) {
  const ParseCase& c = GetParam();
  uint16_t v = ParseField(c.text, c.conversion, c.clampMax);
  if (c.stored < 0)
    EXPECT_EQ(int16_t(v), c.stored) << c.text;
  else
    EXPECT_EQ(v, c.stored) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ParseFieldTest,
    ::testing::Values(
        ParseCase{"25", FC::Plain, 0, 25}, ParseCase{"", FC::Plain, 0, 0},
        ParseCase{"abc", FC::Plain, 0, 0}, ParseCase{" 5", FC::Plain, 0, 0},  // blank stops
        ParseCase{"25kn", FC::Plain, 0, 25}, ParseCase{"70000", FC::Plain, 0, 70000 & 0xFFFF},
        ParseCase{"99999999999999999999", FC::Plain, 0, 0xFFFF},  // INT_MAX, low 16 bits
        ParseCase{"10000", FC::FeetToMetres, 0, 3048}, ParseCase{"0", FC::FeetToMetres, 0, 0},
        ParseCase{"3281", FC::FeetToMetres, 0, 1000},
        ParseCase{"10.", FC::VisibilityRange, 0, 1000},
        ParseCase{"8000", FC::VisibilityRange, 0, 497},
        ParseCase{"5.5", FC::VisibilityRange, 0, 550},
        ParseCase{"5.x3", FC::VisibilityRange, 0, 503},
        ParseCase{"6.25", FC::VisibilityRange, 0, 625},
        ParseCase{"6.257", FC::VisibilityRange, 0, 625},
        ParseCase{"-3", FC::VisibilityRange, 0, 0},
        ParseCase{"-0.5", FC::VisibilityRange, 0, 0},  // never a negative range
        ParseCase{"1013.2", FC::Pressure, 0, 16211}, ParseCase{"29.92", FC::Pressure, 0, 16211},
        ParseCase{"1013", FC::Pressure, 0, 16208}, ParseCase{"100", FC::Pressure, 0, 1600},
        ParseCase{"1.0", FC::Pressure, 0, 541},  // below 100: inches
        ParseCase{"1.0", FC::Drift, 0, 16}, ParseCase{"-2.5", FC::Drift, 0, -40},
        ParseCase{"-1.0", FC::Drift, 0, -16}, ParseCase{"-0.5", FC::Drift, 0, -8},
        ParseCase{"0.0", FC::Drift, 0, 0}, ParseCase{"3", FC::Drift, 0, 48},
        ParseCase{"59F", FC::Temperature, 0, 15}, ParseCase{"59f", FC::Temperature, 0, 15},
        ParseCase{"-5", FC::Temperature, 0, -5}, ParseCase{"-3C", FC::Temperature, 0, -3},
        ParseCase{"0F", FC::Temperature, 0, -17}, ParseCase{"15", FC::Temperature, 0, 15},
        ParseCase{"36F", FC::TemperatureDifference, 0, 20},
        ParseCase{"20", FC::TemperatureDifference, 0, 20},
        ParseCase{"90", FC::Direction, 0, 16384}, ParseCase{"-90", FC::Direction, 0, 49152},
        ParseCase{"450", FC::Direction, 0, 16384}, ParseCase{"360", FC::Direction, 0, 0},
        ParseCase{"359", FC::Direction, 0, 65353},
        ParseCase{"-2147483648", FC::Direction, 0, 232 * 65536 / 360},  // 232 degrees
        ParseCase{"7", FC::PrecipitationType, 0, 2}, ParseCase{"1", FC::PrecipitationType, 0, 1},
        ParseCase{"Snow", FC::PrecipitationType, 0, 2},
        ParseCase{"rain", FC::PrecipitationType, 0, 1},
        ParseCase{"0", FC::PrecipitationType, 0, 0},
        ParseCase{"x", FC::PrecipitationType, 0, 0},
        ParseCase{"9", FC::Clamp, 8, 8}, ParseCase{"-1", FC::Clamp, 4, 0},
        ParseCase{"3", FC::Clamp, 4, 3}));

TEST(ParseFieldTest, ReadsNoFurtherThanTheText) {
  // Decimals stop at the end of the text; a text longer than a field holds is cut.
  EXPECT_EQ(ParseField("5.", FC::VisibilityRange), 500);
  EXPECT_EQ(ParseField("5.1", FC::VisibilityRange), 510);
  EXPECT_EQ(ParseField(nullptr, FC::Plain), 0);
  std::string longText(kFieldTextChars - 1, '0');
  EXPECT_EQ(ParseField((longText + "9").c_str(), FC::Plain), 9);
  EXPECT_EQ(ParseField((longText + "09").c_str(), FC::Plain), 0);
}

TEST(LayerDialogTest, TemplatesAndCaptions) {
  const char* names[] = {"VISEDIT", "PRSEDIT", "TMPEDIT", "WNDEDIT", "CLDEDIT"};
  const size_t sizes[] = {10, 8, 12, 16, 24};
  const int counts[] = {3, 2, 4, 6, 10};
  for (int p = 0; p < 5; ++p) {
    const LayerDialog* d = LayerDialogOf(p);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->templateName, names[p]);
    EXPECT_EQ(d->recordSize, sizes[p]);
    EXPECT_EQ(d->fieldCount, counts[p]);
    EXPECT_EQ(d->fieldCount, PaneColumnCount(p));
    EXPECT_LE(d->fieldCount, kMaxLayerFields);
    for (int i = 0; i < d->fieldCount; ++i) {
      EXPECT_LE(d->fields[i].offset + 2, d->recordSize);
      EXPECT_GE(d->fields[i].column, 1);
      EXPECT_LE(d->fields[i].column, PaneColumnCount(p));
    }
  }
  EXPECT_EQ(LayerDialogOf(5), nullptr);
  char caption[kLayerCaptionSize];
  LayerDialogCaption(4, false, caption, sizeof caption);
  EXPECT_STREQ(caption, "Edit Cloud Layer");
  LayerDialogCaption(3, true, caption, sizeof caption);
  EXPECT_STREQ(caption, "Insert Wind Layer");
  LayerDialogCaption(2, true, caption, sizeof caption);
  EXPECT_STREQ(caption, "Insert Temperature Layer");
  LayerDialogCaption(1, false, caption, sizeof caption);
  EXPECT_STREQ(caption, "Edit Pressure (QNH) Settings");
}

TEST(BuildLayerRecordTest, FieldsGoToTheirOffsets) {
  uint8_t record[kLayerRecordSize];
  const char* cloud[] = {"1640", "3281", "328", "9", "5", "2", "1", "Snow", "3", "984"};
  memset(record, 0xAA, sizeof record);
  ASSERT_EQ(BuildLayerRecord(4, cloud, record), 24);
  CloudLayer c = DecodeCloud(record);
  EXPECT_EQ(c.prefix.size, 24);
  EXPECT_EQ(c.prefix.following, 0);
  EXPECT_EQ(c.lowerAltitude, 500);
  EXPECT_EQ(c.upperAltitude, 1000);
  EXPECT_EQ(c.deviation, 100);
  EXPECT_EQ(c.cover, 8);
  EXPECT_EQ(c.cloudType, 5);
  EXPECT_EQ(c.turbulence, 2);
  EXPECT_EQ(c.icing, 1);
  EXPECT_EQ(c.precipitationType, 2);
  EXPECT_EQ(c.precipitationRate, 3);
  EXPECT_EQ(c.precipitationBase, 300);

  const char* pressure[] = {"29.92", "-2.5"};
  memset(record, 0xAA, sizeof record);
  ASSERT_EQ(BuildLayerRecord(1, pressure, record), 8);
  PressureRecord pr = DecodePressure(record);
  EXPECT_EQ(pr.qnh, 16211);
  EXPECT_EQ(pr.drift, -40);
  for (size_t i = 8; i < sizeof record; ++i) EXPECT_EQ(record[i], 0) << i;

  const char* wind[] = {"10000", "20", "-90", "25", "7", "2"};
  ASSERT_EQ(BuildLayerRecord(3, wind, record), 16);
  WindLayer w = DecodeWind(record);
  EXPECT_EQ(w.upperAltitude, 3048);
  EXPECT_EQ(w.speed, 20);
  EXPECT_EQ(w.direction, 49152);
  EXPECT_EQ(w.gust, 25);  // as typed
  EXPECT_EQ(w.turbulence, 4);
  EXPECT_EQ(w.shear, 2);

  const char* temperature[] = {"1000", "59F", "36F", "-3C"};
  ASSERT_EQ(BuildLayerRecord(2, temperature, record), 12);
  TemperatureLayer t = DecodeTemperature(record);
  EXPECT_EQ(t.altitude, 305);
  EXPECT_EQ(t.dayTemperature, 15);
  EXPECT_EQ(t.dayNightVariation, 20);
  EXPECT_EQ(t.dewPoint, -3);

  const char* visibility[] = {"0", "10000", "6.2"};
  ASSERT_EQ(BuildLayerRecord(0, visibility, record), 10);
  VisibilityLayer v = DecodeVisibility(record);
  EXPECT_EQ(v.upperAltitude, 3048);
  EXPECT_EQ(v.range, 620);

  EXPECT_EQ(BuildLayerRecord(5, wind, record), 0);
}

TEST(FillFieldFromRowTest, KeepsTheLeadingNumber) {
  struct Case {
    int pane, column;
    const char* cell;
    const char* field;
  } cases[] = {
      {0, 2, "1234ft", "1234"},
      {0, 3, "6.2sm (9994m)", "6.2"},
      {1, 1, "1013.2mb (29.92\")", "1013.2"},
      {1, 2, "-1.0mb", "-1.0"},
      {2, 2, "-3C (28F)", "-3C"},
      {2, 3, "20C (36F)", "20C"},
      {2, 1, "1234ft", "1234"},
      {3, 2, "25kn", "25"},
      {3, 3, "270T", "270"},
      {4, 4, "5/8", "5"},
      {4, 8, "Snow", "2"},
      {4, 8, "Rain", "1"},
      {4, 8, "None", "0"},
      {4, 8, "3", "0"},
      {4, 9, "3", "3"},
      {4, 1, "", ""},
      {0, 2, nullptr, ""},
      {3, 1, "C", ""},  // a "C" counts only in the temperature pane
  };
  for (const Case& c : cases) {
    char out[64];
    FillFieldFromRow(c.pane, c.column, c.cell, out, sizeof out);
    EXPECT_STREQ(out, c.field) << c.pane << " " << c.column;
  }
  char small[4];
  FillFieldFromRow(0, 1, "123456ft", small, sizeof small);
  EXPECT_STREQ(small, "123");
}

TEST(FillFieldFromRowTest, RowTextsReadBackToTheRecord) {
  // What Edit fills in and OK stores unchanged; the drift round-trips as millibars.
  uint8_t b[kLayerRecordSize] = {};
  EncodePressure(b, {{8, 0}, 16211, 16});
  CellText cells[kMaxPaneColumns];
  FormatPaneRow(1, b, cells);
  char qnh[64], drift[64];
  FillFieldFromRow(1, 1, cells[0], qnh, sizeof qnh);
  FillFieldFromRow(1, 2, cells[1], drift, sizeof drift);
  const char* texts[] = {qnh, drift};
  uint8_t record[kLayerRecordSize];
  BuildLayerRecord(1, texts, record);
  EXPECT_EQ(DecodePressure(record).qnh, 16211);
  EXPECT_EQ(DecodePressure(record).drift, 16);
}

TEST(LayerAltitudeTest, FromTheSelectedRow) {
  EXPECT_EQ(AltitudeColumn(0), 2);
  EXPECT_EQ(AltitudeColumn(1), -1);
  EXPECT_EQ(AltitudeColumn(2), 1);
  EXPECT_EQ(AltitudeColumn(3), 1);
  EXPECT_EQ(AltitudeColumn(4), 2);
  EXPECT_EQ(AltitudeColumn(5), -1);

  struct Case {
    int pane, row, openRow;
    const char* cell;
    uint16_t altitude;
  } cases[] = {
      {4, 0, 2, "3281ft", 1000},
      {0, 0, 1, "0ft", 0},
      {3, 1, 2, "10000ft", 3048},
      {2, 0, 1, "1234ft", 376},
      {2, 1, 1, "1234ft", kNoAltitude},  // the open row
      {2, 0, 1, "", kNoAltitude},
      {2, 0, 1, nullptr, kNoAltitude},
      {1, 0, 1, "1013.2mb", kNoAltitude},  // pressure: no altitude
      {4, 0, 1, "215011ft", 65535},
      {4, 0, 1, "999999999ft", 65535},
      {4, 0, 1, "abc", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SelectedLayerAltitude(c.pane, c.row, c.openRow, c.cell), c.altitude)
        << c.pane << " " << (c.cell ? c.cell : "(null)");
  // Edit on a cloud row whose "To" shows 3281ft.
  EXPECT_EQ(WeatherSelector(5, kReplaceLayer, SelectedLayerAltitude(4, 0, 1, "3281ft")),
            0x5303E8u);
  EXPECT_EQ(WeatherSelector(3, kInsertLayer, SelectedLayerAltitude(2, 0, 0, "")), 0x31FFFFu);
}

TEST(LayerAltitudeTest, EveryShownAltitudeReadsBackToItsMetres) {
  for (int m = 0; m <= 65535; ++m) {
    char feet[kCellTextSize];
    FormatFeet(m, feet, sizeof feet);
    ASSERT_EQ(RowAltitude(feet), m) << feet;
  }
}

}  // namespace
