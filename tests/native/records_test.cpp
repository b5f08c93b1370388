#include "weather/records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "link/request_block.h"
#include "weather/units.h"

namespace {

TEST(WeatherSelectorTest, PacksTableOperationAndAltitude) {
  EXPECT_EQ(WeatherSelector(1, kReadTable), 0x140000u);
  EXPECT_EQ(WeatherSelector(0, kClearTable), 0x50000u);
  EXPECT_EQ(WeatherSelector(5, kSetTable), 0x560000u);
  EXPECT_EQ(WeatherSelector(3, kReplaceLayer, kNoAltitude), 0x33FFFFu);
  uint32_t s = WeatherSelector(4, kInsertLayer, 3048);
  EXPECT_EQ(SelectorTable(s), 4);
  EXPECT_EQ(SelectorOperation(s), kInsertLayer);
  EXPECT_EQ(SelectorAltitude(s), 3048);
}

TEST(TableDescriptorTest, LengthAndCount) {
  struct Case {
    uint32_t d;
    uint32_t length;
    int count;
  } cases[] = {
      {kEmptyDescriptor, 0, 0},   // missing table
      {0xFFFF0018, 0, 0},         // high half 0xFFFF: empty whatever the size
      {0x0002000A, 30, 3},        // three visibility layers
      {0x00000008, 8, 1},         // the one pressure record
      {0x00050000, 0, 0},         // record size 0: no records
      {0x7FFF0018, 24u * 0x8000, 0x8000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescriptorByteLength(c.d), c.length) << std::hex << c.d;
    EXPECT_EQ(DescriptorRecordCount(c.d), c.count) << std::hex << c.d;
  }
  EXPECT_EQ(MakeDescriptor(24, 5), 0x00040018u);
  EXPECT_EQ(MakeDescriptor(24, 0), kEmptyDescriptor);
}

TEST(RecordLayoutTest, FieldsSitAtTheirByteOffsetsLittleEndian) {
  uint8_t b[24] = {};
  CloudLayer c;
  c.prefix = {24, 2};
  c.upperAltitude = 0x0102;
  c.lowerAltitude = 0x0304;
  c.deviation = 0x0506;
  c.cover = 8;
  c.cloudType = 10;
  c.turbulence = 4;
  c.icing = 3;
  c.precipitationBase = 0x0708;
  c.precipitationType = 2;
  c.precipitationRate = 5;
  EncodeCloud(b, c);
  const uint8_t expected[24] = {24, 0, 2, 0, 2, 1, 4, 3, 6, 5, 8, 0,
                                10, 0, 4, 0, 3, 0, 8, 7, 2, 0, 5, 0};
  EXPECT_EQ(0, std::memcmp(b, expected, 24));
  CloudLayer back = DecodeCloud(b);
  EXPECT_EQ(back.precipitationBase, 0x0708);
  EXPECT_EQ(back.prefix.following, 2);

  uint8_t p[8];
  EncodePressure(p, {{8, 0}, 16211, -40});
  EXPECT_EQ(p[4], 0x53);
  EXPECT_EQ(p[5], 0x3F);
  EXPECT_EQ(p[6], 0xD8);
  EXPECT_EQ(p[7], 0xFF);
  EXPECT_EQ(DecodePressure(p).drift, -40);

  uint8_t t[12];
  EncodeTemperature(t, {{12, 0}, 1500, -12, 7, -20});
  TemperatureLayer tl = DecodeTemperature(t);
  EXPECT_EQ(tl.altitude, 1500);
  EXPECT_EQ(tl.dayTemperature, -12);
  EXPECT_EQ(tl.dewPoint, -20);
}

TEST(RecordLayoutTest, AppliedWindKeepsTheFloatsAndSkipsTheSpeedWord) {
  uint8_t b[24];
  std::memset(b, 0x5A, sizeof b);
  AppliedWindLayer w;
  w.prefix = {24, 0};
  w.upperAltitude = 900;
  w.gust = 35;
  w.turbulence = 2;
  w.shear = 1;
  w.appliedSpeed = 18.5f;
  w.appliedDirection = 271.25f;
  EncodeAppliedWind(b, w);
  EXPECT_EQ(b[6], 0x5A);  // bytes 6-7 and 10-11 are not the program's
  EXPECT_EQ(b[10], 0x5A);
  EXPECT_EQ(GetU32(b + 16), 0x41940000u);  // 18.5f
  AppliedWindLayer back = DecodeAppliedWind(b);
  EXPECT_FLOAT_EQ(back.appliedDirection, 271.25f);
  EXPECT_EQ(back.gust, 35);
}

TEST(UnitConversionTest, AltitudesAndRanges) {
  EXPECT_EQ(MetresFromFeet(10000), 3048);
  EXPECT_EQ(MetresFromRowFeet(1234), 376);
  EXPECT_EQ(MetresFromRowFeet(FeetFromMetres(376)), 376);
  EXPECT_EQ(RangeTenths(1000), 100);
  EXPECT_EQ(RangeTenths(994), 99);
  EXPECT_EQ(RangeTenths(995), 100);
  EXPECT_EQ(RangeMetres(621), 9994);
  EXPECT_TRUE(RangeShowsMetres(621));
  EXPECT_FALSE(RangeShowsMetres(622));
}

TEST(UnitConversionTest, PressureTemperatureDirection) {
  EXPECT_DOUBLE_EQ(MillibarsFromQnh(16211), 1013.1875);
  EXPECT_NEAR(InchesFromQnh(16211), 29.92, 0.005);
  EXPECT_EQ(FahrenheitFromCelsius(-3), 28);
  EXPECT_EQ(FahrenheitFromCelsius(15), 59);
  EXPECT_EQ(FahrenheitDifferenceFromCelsius(20), 36);
  EXPECT_EQ(FahrenheitDifferenceFromCelsius(-1), -1);
  EXPECT_EQ(DirectionFromDegrees(-90), 49152);
  EXPECT_EQ(DirectionFromDegrees(450), 16384);
  EXPECT_EQ(DirectionFromDegrees(359), 65353);
  EXPECT_DOUBLE_EQ(DegreesFromDirection(49152), 270.0);
}

}  // namespace
