#include "traffic/traffic_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A request block as the module leaves it: own position, variation and traffic records.
class TrafficBlock {
 public:
  TrafficBlock() : bytes(kTrafficBlockSize, 0) { WriteTrafficRequest(bytes.data()); }

  // Latitude and longitude as the module's 64-bit values, altitude in whole metres.
  void SetOwn(int32_t latHigh, uint32_t latLow, uint32_t lonHigh, uint32_t lonLow,
              int32_t altMetres = 0) {
    uint8_t* p = &bytes[kOwnPositionDataPos];
    PutU32(p, latLow);
    PutU32(p + 4, uint32_t(latHigh));
    PutU32(p + 8, lonLow);
    PutU32(p + 12, lonHigh);
    PutU32(p + 16, 0);
    PutU32(p + 20, uint32_t(altMetres));
  }
  void SetVariation(int16_t units) { PutU16(&bytes[kVariationDataPos], uint16_t(units)); }
  void SetHeader(uint16_t recordSize, uint16_t slots) {
    PutU16(Table(), recordSize);
    PutU16(Table() + 2, slots);
  }
  struct Aircraft {
    uint32_t id = 1;
    float lat = 0, lon = 0, alt = 0;
    uint16_t heading = 0, groundSpeed = 0;
    int16_t verticalSpeed = 0;
    const char* identifier = "";
    uint16_t com1 = 0;
  };
  void SetSlot(int slot, const Aircraft& a) {
    uint8_t* r = Table() + kTrafficRecordsPos + size_t(slot) * GetU16(Table());
    PutU32(r, a.id);
    PutFloat(r + 4, a.lat);
    PutFloat(r + 8, a.lon);
    PutFloat(r + 12, a.alt);
    PutU16(r + 16, a.heading);
    PutU16(r + 18, a.groundSpeed);
    PutU16(r + 20, uint16_t(a.verticalSpeed));
    std::memset(r + 22, 0, 16);
    std::memcpy(r + 22, a.identifier, std::min<size_t>(16, std::strlen(a.identifier)));
    PutU16(r + 38, a.com1);
  }
  uint8_t* Table() { return &bytes[kTrafficTableDataPos]; }

  std::vector<uint8_t> bytes;

 private:
  static void PutFloat(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutU32(p, bits);
  }
};

// 45 degrees exactly: 5000875 units of 90/10001750 degree.
constexpr int32_t kLat45 = 5000875;

struct Formatted {
  std::vector<std::string> cells;
  double distance, bearing, heightDiff;
};

// Own position 45N 0E at 0 m unless the block says otherwise; one aircraft in slot 0.
Formatted FormatOne(TrafficBlock& block, const TrafficBlock::Aircraft& aircraft) {
  block.SetHeader(40, 1);
  block.SetSlot(0, aircraft);
  TrafficTable table;
  table.TakeReplies(block.bytes.data());
  SlotTexts texts;
  table.FormatSlot(0, table.DecodeOwnPosition(), texts);
  Formatted f;
  for (const auto& cell : texts.cell) f.cells.emplace_back(cell);
  f.distance = table.SortKeys().distance[0];
  f.bearing = table.SortKeys().bearing[0];
  f.heightDiff = table.SortKeys().heightDiff[0];
  return f;
}

// Cell indexes: list column - 1.
enum { kId, kDist, kBrg, kAltDiff, kLat, kLon, kAlt, kHdg, kGs, kVs, kCom1, kRef };

TEST(TrafficRequest, ThreeReadsAtFixedPositionsAndTheEndWord) {
  std::vector<uint8_t> block(kTrafficBlockSize, 0xCC);
  WriteTrafficRequest(block.data());
  const struct {
    size_t pos;
    uint32_t offset, size;
  } reads[] = {{0, 0x02A0, 2}, {18, 0x0560, 24}, {58, 0xF000, 4096}};
  for (const auto& r : reads) {
    SCOPED_TRACE(r.pos);
    EXPECT_EQ(GetU32(&block[r.pos]), 1u);
    EXPECT_EQ(GetU32(&block[r.pos + 4]), r.offset);
    EXPECT_EQ(GetU32(&block[r.pos + 8]), r.size);
    EXPECT_EQ(GetU32(&block[r.pos + 12]), 0u);
    for (size_t i = 0; i < r.size; ++i) ASSERT_EQ(block[r.pos + 16 + i], 0) << i;
  }
  EXPECT_EQ(GetU32(&block[4170]), 0u);
  EXPECT_EQ(block[4174], 0xCC);  // nothing written past the end word
}

TEST(TrafficOwnPosition, DecodesLatitudeLongitudeAltitudeAndVariation) {
  const struct {
    const char* what;
    int32_t latHigh;
    uint32_t latLow, lonHigh, lonLow;
    int32_t altMetres;
    double lat, lon, altFeet;
  } cases[] = {
      {"45N, three quarters of 2^64", kLat45, 0, 0xC0000000u, 0, 1000, 45.0, -90.0, 3280.84},
      {"half of 2^64 stays 180", kLat45, 0, 0x80000000u, 0, 0, 45.0, 180.0, 0.0},
      {"just above half is west", 0, 0, 0x80000001u, 0, 0, 0.0, -179.99999992, 0},
      // Low part half a unit: 0.5 * 90 / 10001750 = 4.49921e-6 degree further south, where
      // the two's-complement reading would be as much further north.
      {"south with a low part", -kLat45, 0x80000000u, 0x00B60B61u, 0, -10, -45.0000044992, 1.0, -32.8084},
      {"low part north", kLat45, 0x80000000u, 0, 0x80000000u, 0, 45.0000044992, 180.0 / 4294967296.0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TrafficBlock block;
    block.SetOwn(c.latHigh, c.latLow, c.lonHigh, c.lonLow, c.altMetres);
    block.SetVariation(-1234);
    TrafficTable table;
    table.TakeReplies(block.bytes.data());
    const OwnPosition own = table.DecodeOwnPosition();
    EXPECT_NEAR(own.latitude, c.lat, 1e-10);
    EXPECT_NEAR(own.longitude, c.lon, 1e-6);
    EXPECT_NEAR(own.altitude, c.altFeet, 1e-9);
    EXPECT_EQ(own.variation, -1234);
  }
}

TEST(TrafficOwnPosition, ExactValuesAtTheFold) {
  TrafficBlock block;
  block.SetOwn(0, 0, 0xC0000000u, 0);
  TrafficTable table;
  table.TakeReplies(block.bytes.data());
  EXPECT_EQ(table.DecodeOwnPosition().longitude, -90.0);
  block.SetOwn(-kLat45, 0, 0x80000000u, 0);
  table.TakeReplies(block.bytes.data());
  EXPECT_EQ(table.DecodeOwnPosition().longitude, 180.0);
  EXPECT_EQ(table.DecodeOwnPosition().latitude, -45.0);
}

// Own position 45N 0E; bearings before and after the variation.
TEST(TrafficGeometry, BearingAndDistanceByQuadrant) {
  const struct {
    const char* what;
    float lat, lon;
    int16_t variation;
    const char* distance;
    const char* bearing;
    double bearingKey;
  } cases[] = {
      // One degree of latitude: chord 60 nm, arc 6875.5 * asin(60 / 6875.5) = 60.00076.
      {"due north", 46.0f, 0.0f, 0, "60 nm", "000", 0.0},
      {"due south", 44.0f, 0.0f, 0, "60 nm", "180", 180.0},
      // 1024 units = 5.625 degrees.
      {"due north less variation", 46.0f, 0.0f, 1024, "60 nm", "354", 354.375},
      {"due south less variation", 44.0f, 0.0f, 1024, "60 nm", "174", 174.375},
      {"negative variation", 44.0f, 0.0f, -1024, "60 nm", "186", 185.625},
      // Same latitude: cos(90 deg / 2) * 1 degree * 60 = 42.43 nm.
      {"same latitude east", 45.0f, 1.0f, 0, "42 nm", "090", 90.0},
      {"same latitude west", 45.0f, -1.0f, 0, "42 nm", "270", 270.0},
      {"the very same point", 45.0f, 0.0f, 0, "0 nm", "270", 270.0},
      // 73 units = 0.401 degree: 0 - 0.401 + 360 = 359.599 rounds to 360, not 000.
      {"359.6 shows 360", 46.0f, 0.0f, 73, "60 nm", "360", 359.59899902},
      // x = cos(45.5 deg) * -1 = -0.70091: atan 35.027 degrees west of north.
      {"north-west quadrant", 46.0f, -1.0f, 0, "73 nm", "325", 324.97303},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TrafficBlock block;
    block.SetOwn(kLat45, 0, 0, 0);
    block.SetVariation(c.variation);
    TrafficBlock::Aircraft a;
    a.lat = c.lat;
    a.lon = c.lon;
    const Formatted f = FormatOne(block, a);
    if (*c.distance) {
      EXPECT_EQ(f.cells[kDist], c.distance);
    }
    if (*c.bearing) {
      EXPECT_EQ(f.cells[kBrg], c.bearing);
    }
    EXPECT_NEAR(f.bearing, c.bearingKey, 1e-3);
  }
}

TEST(TrafficGeometry, DistanceKeyIsTheArcOverTheChord) {
  TrafficBlock block;
  block.SetOwn(kLat45, 0, 0, 0);
  TrafficBlock::Aircraft a;
  a.lat = 46.0f;
  EXPECT_NEAR(FormatOne(block, a).distance, 60.000762, 1e-5);
}

TEST(TrafficGeometry, AcrossTheMeridianIsTheLongWayRound) {
  // Own longitude 180 - 360/1024 = 179.6484375 E; the aircraft at 179.6484375 W, both on the
  // equator: 359.3 degrees apart, past the antipode, so the arcsine is held at 1.
  TrafficBlock block;
  block.SetOwn(0, 0, 0x7FC00000u, 0);
  TrafficBlock::Aircraft a;
  a.lon = -179.6484375f;
  const Formatted f = FormatOne(block, a);
  EXPECT_NEAR(f.distance, 3.14159265358979 * 3437.75, 1e-6);
  EXPECT_EQ(f.cells[kDist], "10800 nm");
  EXPECT_EQ(f.cells[kBrg], "270");

  // Two degrees across the meridian at 60N: still the long way, now within the arcsine.
  // x = cos(60 deg) * -358 = -179; chord 10740 nm > 6875.5, held at 1 as well.
  a.lon = -179.0f;
  block.SetOwn(0, 0, 0x7FC00000u, 0);
  EXPECT_EQ(FormatOne(block, a).cells[kDist], "10800 nm");
}

TEST(TrafficHeading, IntegerDivisionTruncatesTowardZero) {
  const struct {
    uint16_t heading;
    int16_t variation;
    const char* text;
  } cases[] = {
      {1000, 1000, "000"},
      {1000 - 182, 1000, "000"},  // -65520 / 65536 truncates to 0
      {1000 - 183, 1000, "359"},  // -65880 / 65536 truncates to -1
      {16384, 0, "090"},
      {65535, 0, "359"},
      {0, -182, "000"},
      {65535, -2000, "010"},      // 67535 * 360 / 65536 = 370, less 360
      {0, 32767, "181"},          // -32767 * 360 / 65536 = -179, plus 360
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.heading);
    TrafficBlock block;
    block.SetVariation(c.variation);
    TrafficBlock::Aircraft a;
    a.heading = c.heading;
    EXPECT_EQ(FormatOne(block, a).cells[kHdg], c.text);
  }
}

TEST(TrafficTexts, PositionAltitudeSpeedsCom1AndReference) {
  TrafficBlock block;
  TrafficBlock::Aircraft a;
  a.id = 0x1234FFFE;
  a.lat = 51.5f;
  a.lon = -1.08333f;
  a.alt = 2499.4f;
  a.groundSpeed = 65535;
  a.verticalSpeed = -1200;
  a.identifier = "G-ABCD";
  a.com1 = 0x2345;
  const Formatted f = FormatOne(block, a);
  EXPECT_EQ(f.cells[kId], "G-ABCD");
  EXPECT_EQ(f.cells[kLat], "N51  30.0000");
  EXPECT_EQ(f.cells[kLon], "W001  04.9998");
  EXPECT_EQ(f.cells[kAlt], "2499");
  EXPECT_EQ(f.cells[kGs], "65535");
  EXPECT_EQ(f.cells[kVs], "-1200");
  EXPECT_EQ(f.cells[kCom1], "123.45");
  EXPECT_EQ(f.cells[kRef], "2");
}

TEST(TrafficTexts, SmallerCases) {
  const struct {
    const char* what;
    TrafficBlock::Aircraft a;
    int cell;
    const char* text;
  } cases[] = {
      // 2 - 2^-23 degrees: 59.99999 minutes print as 60, the degrees are not carried.
      {"minutes near 60", {1, 1.99999988f, 0, 0, 0, 0, 0, "", 0}, kLat, "N01  60.0000"},
      {"south", {1, -33.25f, 0, 0, 0, 0, 0, "", 0}, kLat, "S33  15.0000"},
      {"east", {1, 0, 151.75f, 0, 0, 0, 0, "", 0}, kLon, "E151  45.0000"},
      {"COM1 105.00", {1, 0, 0, 0, 0, 0, 0, "", 0x0500}, kCom1, "105.00"},
      {"COM1 none", {1, 0, 0, 0, 0, 0, 0, "", 0}, kCom1, ""},
      {"reference positive low half", {0x00010005, 0, 0, 0, 0, 0, 0, "", 0}, kRef, "-5"},
      {"reference 0x8000", {0x8000, 0, 0, 0, 0, 0, 0, "", 0}, kRef, "32768"},
      {"negative altitude", {1, 0, 0, -100.7f, 0, 0, 0, "", 0}, kAlt, "-100"},
      {"altitude far out of range", {1, 0, 0, 1e30f, 0, 0, 0, "", 0}, kAlt, "2147483647"},
      {"identifier without a zero", {1, 0, 0, 0, 0, 0, 0, "ABCDEFGHIJKLMNOPQRS", 0}, kId,
       "ABCDEFGHIJKLMNOP"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TrafficBlock block;
    EXPECT_EQ(FormatOne(block, c.a).cells[c.cell], c.text);
  }
}

TEST(TrafficTexts, HeightDifferenceSignAndRounding) {
  const struct {
    float alt;
    const char* text;
  } cases[] = {{-30.0f, "-0"}, {49.0f, "+0"}, {-50.0f, "-1"}, {0.0f, "+0"},
               {-160.0f, "-2"}, {40.0f, "+0"}, {1050.0f, "+11"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alt);
    TrafficBlock block;
    TrafficBlock::Aircraft a;
    a.alt = c.alt;
    const Formatted f = FormatOne(block, a);
    EXPECT_EQ(f.cells[kAltDiff], c.text);
    EXPECT_DOUBLE_EQ(f.heightDiff, double(c.alt) / 100.0);
  }
}

TEST(TrafficTexts, EmptySlotGivesEmptyTextsAndKeepsItsKeys) {
  TrafficBlock block;
  block.SetHeader(40, 2);
  TrafficBlock::Aircraft a;
  a.lat = 1.0f;
  block.SetSlot(0, a);
  TrafficTable table;
  table.TakeReplies(block.bytes.data());
  SlotTexts texts;
  table.FormatSlot(0, table.DecodeOwnPosition(), texts);
  const double kept = table.SortKeys().distance[0];
  EXPECT_NEAR(kept, 60.0, 0.01);

  a.id = 0;
  block.SetSlot(0, a);
  table.TakeReplies(block.bytes.data());
  table.FormatSlot(0, table.DecodeOwnPosition(), texts);
  for (const auto& cell : texts.cell) EXPECT_STREQ(cell, "");
  EXPECT_EQ(table.SortKeys().distance[0], kept);
}

TEST(TrafficSlots, OnlySlotsWhollyInsideTheTableAreShown) {
  const struct {
    uint16_t recordSize, claimed;
    int shown;
  } cases[] = {
      {40, 30, 30},
      {40, 0, 0},
      {40, 250, 99},    // 128 + 99 * 40 = 4088: the 100th would end at 4128
      {20, 250, 100},   // never more than the sort keys hold
      {200, 100, 19},   // slot 18 ends at 128 + 19 * 200 = 3928, slot 19 at 4128
      {3968, 5, 1},     // one record that fills the table to its last byte
      {3969, 5, 0},
      {0, 7, 7},        // every slot at byte 128: odd but inside
      {65535, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.recordSize << " x " << c.claimed);
    TrafficBlock block;
    block.SetHeader(c.recordSize, c.claimed);
    TrafficTable table;
    table.TakeReplies(block.bytes.data());
    EXPECT_EQ(table.GetSlotCount(), c.shown);
  }
}

TEST(TrafficSlots, SlotsBeyondTheCountAreEmpty) {
  TrafficBlock block;
  block.SetHeader(40, 3);
  TrafficBlock::Aircraft a;
  a.identifier = "X";
  for (int slot = 0; slot < 5; ++slot) block.SetSlot(slot, a);
  TrafficTable table;
  table.TakeReplies(block.bytes.data());
  SlotTexts texts;
  table.FormatSlot(4, table.DecodeOwnPosition(), texts);
  EXPECT_STREQ(texts.cell[kId], "");
  EXPECT_FALSE(table.SlotOccupied(4));
  EXPECT_TRUE(table.SlotOccupied(2));
  EXPECT_FALSE(table.SlotOccupied(-1));
}

class TrafficSort : public ::testing::Test {
 protected:
  void SetUp() override {
    block.SetOwn(kLat45, 0, 0, 0);
    block.SetHeader(40, 5);
    TrafficBlock::Aircraft a;
    const struct {
      uint32_t id;
      float lat;
      const char* identifier;
    } slots[] = {{7, 46.0f, "beta"},      // 60.00076 nm
                 {0, 0, ""},              // empty
                 {9, 44.0f, "Alpha"},     // 60.00076 nm, the same key
                 {3, 45.5f, "BETA"},      // 30 nm
                 {4, 45.50001f, "gamma"}};  // 30.0006 nm: within 0.01 of slot 3
    for (int i = 0; i < 5; ++i) {
      a.id = slots[i].id;
      a.lat = slots[i].lat;
      a.identifier = slots[i].identifier;
      block.SetSlot(i, a);
    }
    table.TakeReplies(block.bytes.data());
    SlotTexts texts;
    for (int i = 0; i < 5; ++i) table.FormatSlot(i, table.DecodeOwnPosition(), texts);
  }
  TrafficBlock block;
  TrafficTable table;
};

TEST_F(TrafficSort, EmptySlotsGoLast) {
  for (int column = 0; column <= 12; ++column) {
    SCOPED_TRACE(column);
    EXPECT_EQ(table.CompareSlots(1, 0, column), 1);
    EXPECT_EQ(table.CompareSlots(0, 1, column), -1);
    EXPECT_EQ(table.CompareSlots(1, 1, column), 1);
  }
}

TEST_F(TrafficSort, IdentifiersIgnoreCase) {
  EXPECT_LT(table.CompareSlots(2, 0, kColumnId), 0);   // Alpha < beta
  EXPECT_EQ(table.CompareSlots(0, 3, kColumnId), 0);   // beta = BETA
  EXPECT_GT(table.CompareSlots(4, 3, kColumnId), 0);   // gamma > BETA
}

TEST_F(TrafficSort, KeysCloserThanAHundredthRankEqual) {
  EXPECT_EQ(table.CompareSlots(0, 2, kColumnDistance), 0);
  EXPECT_EQ(table.CompareSlots(3, 4, kColumnDistance), 0);
  EXPECT_LT(table.CompareSlots(3, 0, kColumnDistance), 0);
  EXPECT_EQ(table.CompareSlots(0, 3, kColumnDistance), 3000);  // (60.0008 - 30.0002) * 100
  EXPECT_LT(table.CompareSlots(0, 2, kColumnBearing), 0);      // 0 before 180
  EXPECT_EQ(table.CompareSlots(0, 3, kColumnAltDiff), 0);
}

TEST_F(TrafficSort, OtherColumnsKeepSlotOrder) {
  for (int column : {0, 5, 8, 12}) {
    EXPECT_EQ(table.CompareSlots(0, 4, column), -4);
    EXPECT_EQ(table.CompareSlots(4, 2, column), 2);
  }
}

}  // namespace

namespace {

// Fails the first sends, then plays the module: fills the traffic table header.
class ScriptedTransport : public IpcTransport {
 public:
  explicit ScriptedTransport(uint8_t* block) : block_(block) {}
  bool Send() override {
    ++sends;
    if (sends <= failFirst) return false;
    PutU16(block_ + kTrafficTableDataPos, 40);
    PutU16(block_ + kTrafficTableDataPos + 2, uint16_t(sends));
    return true;
  }
  void Pause(unsigned ms) override { pauses.push_back(ms); }

  int failFirst = 0;
  int sends = 0;
  std::vector<unsigned> pauses;

 private:
  uint8_t* block_;
};

TEST(TrafficFetch, FiveAttemptsWithAPauseAfterEachFailure) {
  const struct {
    int failFirst;
    bool ok;
    int sends;
    size_t pauses;
  } cases[] = {{0, true, 1, 0}, {4, true, 5, 4}, {5, false, 5, 5}, {9, false, 5, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failFirst);
    std::vector<uint8_t> block(kTrafficBlockSize, 0xCC);
    ScriptedTransport transport(block.data());
    transport.failFirst = c.failFirst;
    TrafficTable table;
    EXPECT_EQ(table.FetchTraffic(block.data(), block.size(), transport), c.ok);
    EXPECT_EQ(transport.sends, c.sends);
    EXPECT_EQ(transport.pauses, std::vector<unsigned>(c.pauses, 200u));
    EXPECT_EQ(table.GetSlotCount(), c.ok ? c.sends : 0);
    EXPECT_EQ(GetU32(&block[4170]), 0u);
  }
}

TEST(TrafficFetch, AFailedFetchKeepsThePreviousReplies) {
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  ScriptedTransport transport(block.data());
  TrafficTable table;
  ASSERT_TRUE(table.FetchTraffic(block.data(), block.size(), transport));
  transport.failFirst = 100;
  EXPECT_FALSE(table.FetchTraffic(block.data(), block.size(), transport));
  EXPECT_EQ(table.GetSlotCount(), 1);
}

TEST(TrafficFetch, RefusesABlockTooSmallForTheLayout) {
  std::vector<uint8_t> block(kTrafficRequestSize - 1, 0);
  ScriptedTransport transport(block.data());
  TrafficTable table;
  EXPECT_FALSE(table.FetchTraffic(block.data(), block.size(), transport));
  EXPECT_EQ(transport.sends, 0);
}

}  // namespace
