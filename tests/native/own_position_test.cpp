#include "link/own_position.h"

#include <gtest/gtest.h>

#include <cstring>

#include "link/request_block.h"

namespace {

// The area as the module holds it: latitude low and high parts, longitude low and high parts,
// 4 bytes the decoding passes over, the altitude in metres.
struct AreaCase {
  uint32_t latLow;
  int32_t latHigh;
  uint32_t lonLow, lonHigh;
  int32_t metres;
  double latitude, longitude, feet;
};

TEST(AircraftPosition, DecodesTheAreaAtItsByteOffsets) {
  const AreaCase cases[] = {
      {0, 0, 0, 0, 0, 0, 0, 0},
      {0, 5000875, 0, 0x40000000u, 1000, 45, 90, 3280.84},
      {0x80000000u, -5000875, 0, 0xC0000000u, -10, -45.0000044992126, -90, -32.8084},
      {0, 10001750, 0, 0x80000000u, 8848, 90, 180, 29028.87},
      {0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, -8.4e-8, 0},  // just west of the meridian
  };
  for (const AreaCase& c : cases) {
    uint8_t area[kAircraftPositionSize];
    std::memset(area, 0xAB, sizeof area);
    PutU32(area, c.latLow);
    PutU32(area + 4, uint32_t(c.latHigh));
    PutU32(area + 8, c.lonLow);
    PutU32(area + 12, c.lonHigh);
    PutU32(area + 20, uint32_t(c.metres));
    const AircraftPosition p = DecodeAircraftPosition(area);
    EXPECT_NEAR(p.latitude, c.latitude, 1e-9) << c.latHigh;
    EXPECT_NEAR(p.longitude, c.longitude, 1e-7) << c.lonHigh;
    EXPECT_NEAR(p.altitudeFeet, c.feet, 0.01) << c.metres;
  }
  EXPECT_EQ(kAircraftPositionOffset, 0x0560u);
}

}  // namespace
