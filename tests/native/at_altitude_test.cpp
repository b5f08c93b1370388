#include "weather/at_altitude.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "weather/records.h"

namespace {

TEST(AltitudeEntryTest, UnitsClampAndCorrection) {
  struct Case {
    const char* text;
    bool feet;
    uint16_t metres;
    const char* correction;  // null: the field stays
  } cases[] = {
      {"1500", false, 1500, nullptr},
      {"10000", true, 3048, nullptr},
      {"", true, 0, nullptr},
      {"abc", false, 0, nullptr},
      {"65000", false, 65000, nullptr},
      {"65001", false, 65000, "65000"},
      {"213255", true, 65000, nullptr},
      {"213258", true, 65000, "213255"},
      {"300000", true, 65000, "213255"},
      {"99999999999999999999", false, 65000, "65000"},
      {"-5", false, 0, "0"},
      {"-5", true, 0, "0"},
      {"  42m", false, 42, nullptr},
      // Only 14 characters are read.
      {"00000000000000123", false, 0, nullptr},
  };
  for (const Case& c : cases) {
    AltitudeEntry e = ReadAltitudeEntry(c.text, c.feet);
    EXPECT_EQ(e.metres, c.metres) << c.text;
    EXPECT_EQ(e.corrected, c.correction != nullptr) << c.text;
    if (c.correction) {
      EXPECT_STREQ(e.correction, c.correction) << c.text;
    }
  }
  EXPECT_EQ(ReadAltitudeEntry(nullptr, false).metres, 0);
}

TEST(AltitudeEntryTest, UnitLabel) {
  EXPECT_STREQ(UnitLabelText(true), "feet");
  EXPECT_STREQ(UnitLabelText(false), "metres");
  EXPECT_TRUE(UnitLabelIsFeet("feet"));
  EXPECT_FALSE(UnitLabelIsFeet("metres"));
  EXPECT_FALSE(UnitLabelIsFeet(""));
  EXPECT_FALSE(UnitLabelIsFeet(nullptr));
}

TEST(AtAltitudeSelectorTest, TableAndAltitude) {
  for (int t = 1; t <= 6; ++t) {
    uint32_t s = AtAltitudeSelector(t, 1500);
    EXPECT_EQ(s, (uint32_t(t) << 20) | 1500u);
    EXPECT_EQ(SelectorOperation(s), kReadAtAltitude);
  }
}

class AtAltitudeFormatTest : public ::testing::Test {
 protected:
  uint8_t buffers[6][kAtAltitudeReplySize] = {};
  const uint8_t* replies[6] = {buffers[0], buffers[1], buffers[2],
                               buffers[3], buffers[4], buffers[5]};
  AtAltitudeTexts texts;

  void NoLayer(int table) { EncodePrefix(buffers[table - 1], {0, 0xFFFF}); }
  std::string Text(int id) { return texts.Text(id); }
};

TEST_F(AtAltitudeFormatTest, EveryFieldFromItsReply) {
  EncodeVisibility(buffers[0], {{10, 0}, 0, 0, 621});
  EncodePressure(buffers[1], {{8, 0}, 16211, 0});
  EncodeTemperature(buffers[2], {{12, 0}, 0, -10, 20, 15});
  EncodeWind(buffers[3], {{16, 0}, 3048, 20, 5, 16384, 3, 1});
  EncodeCloud(buffers[4], {{24, 0}, 1000, 500, 100, 5, 8, 1, 2, 300, 1, 3});
  AppliedWindLayer a;
  a.prefix = {24, 0};
  a.gust = 7;
  a.turbulence = 2;
  a.appliedSpeed = 12.25f;
  a.appliedDirection = 271.5f;
  EncodeAppliedWind(buffers[5], a);
  FormatAtAltitude(replies, texts);

  struct Expect {
    int id;
    const char* text;
  } expected[] = {
      {1002, "6.2sm (9994m)"}, {1003, "1013.2mb (29.92\")"}, {1004, "-10C (15F)"},
      {1005, "20C (36F)"},     {1006, "15C (59F)"},          {1007, "12.2kn"},
      {1008, "271.5T"},        {1009, "7kn"},                {1010, "2"},
      {1011, "20kn"},          {1012, "90T"},                {1013, "5kn"},  // gust as stored
      {1014, "3"},             {1015, "1640ft"},             {1016, "3281ft"},
      {1017, "328ft"},         {1018, "5/8"},                {1019, "8"},
      {1020, "1"},             {1021, "2"},                  {1022, "Rain"},
      {1023, "3"},             {1024, "984ft"},
  };
  for (const Expect& e : expected) EXPECT_EQ(Text(e.id), e.text) << e.id;
}

TEST_F(AtAltitudeFormatTest, NoLayerLeavesFieldsEmptyAndSpeedsZero) {
  EncodeVisibility(buffers[0], {{10, 0xFFFF}, 0, 0, 1000});  // shown regardless
  EncodePressure(buffers[1], {{8, 0xFFFF}, 16211, 0});
  for (int t = 3; t <= 6; ++t) NoLayer(t);
  FormatAtAltitude(replies, texts);
  EXPECT_EQ(Text(1002), "10.0sm");
  EXPECT_EQ(Text(1003), "1013.2mb (29.92\")");
  EXPECT_EQ(Text(1011), "0");
  EXPECT_EQ(Text(1007), "0");
  for (int id : {1004, 1005, 1006, 1008, 1009, 1010, 1012, 1013, 1014})
    EXPECT_EQ(Text(id), "") << id;
  for (int id = 1015; id <= 1024; ++id) EXPECT_EQ(Text(id), "") << id;
}

TEST_F(AtAltitudeFormatTest, RangesAndPrecipitationNumbers) {
  struct Case {
    uint16_t range;
    const char* text;
  } cases[] = {{621, "6.2sm (9994m)"}, {622, "6.2sm"}, {1000, "10.0sm"}, {0, "0.0sm (0m)"}};
  for (const Case& c : cases) {
    EncodeVisibility(buffers[0], {{10, 0}, 0, 0, c.range});
    FormatAtAltitude(replies, texts);
    EXPECT_EQ(Text(1002), c.text);
  }
  EncodeCloud(buffers[4], {{24, 0}, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0});
  FormatAtAltitude(replies, texts);
  EXPECT_EQ(Text(1022), "7");
}

}  // namespace
