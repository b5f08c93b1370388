#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "devsim/traffic_scenario.h"
#include "devsim_test_batch.h"

namespace {

// The own-position decoders, written out again independently of devsim's encoders.
double DecodeLatitude(const uint8_t* p) {
  uint32_t lo = GetU32(p);
  int32_t hi = int32_t(GetU32(p + 4));
  double s = hi < 0 ? -1 : 1;
  return s * (std::fabs(double(hi)) * 90 / 10001750 + double(lo) * 90 / 42957189152768000.0);
}
double DecodeLongitude(const uint8_t* p) {
  double d = double(GetU32(p + 4)) * 360 / 4294967296.0 + double(GetU32(p)) * 360 / 18446744073709551616.0;
  return d > 180 ? d - 360 : d;
}

struct Fetch {
  int16_t variation;
  uint8_t position[24];
  std::vector<uint8_t> table = std::vector<uint8_t>(4096);
};

// Palvio's one fixed batch of three reads.
Fetch FetchTraffic(DevsimModule& m) {
  Fetch f;
  uint8_t variation[2];
  DevsimTestBatch b(5000);
  b.Read(0x02A0, 2, variation);
  b.Read(0x0560, 24, f.position);
  b.Read(0xF000, 4096, f.table.data());
  EXPECT_EQ(b.block.Cursor(), 4170u);
  EXPECT_EQ(b.Run(m), 1u);
  f.variation = GetS16(variation);
  return f;
}

}  // namespace

TEST(DevsimTraffic, OwnPositionAndVariationDecode) {
  DevsimModule m;
  Fetch f = FetchTraffic(m);
  EXPECT_EQ(f.variation, -546);  // -3 degrees
  EXPECT_NEAR(DecodeLatitude(f.position), 51.47, 1e-7);
  EXPECT_NEAR(DecodeLongitude(f.position + 8), -0.45, 1e-7);
  EXPECT_EQ(int32_t(GetU32(f.position + 20)), 80);

  uint8_t p[8];
  EncodeLongitude64(p, -90);
  EXPECT_EQ(GetU32(p), 0u);
  EXPECT_EQ(GetU32(p + 4), 0xC0000000u);
  EncodeLongitude64(p, 180);
  EXPECT_EQ(DecodeLongitude(p), 180.0);
  EncodeLatitude64(p, -33.9461);
  EXPECT_LT(int32_t(GetU32(p + 4)), 0);
  EXPECT_NEAR(DecodeLatitude(p), -33.9461, 1e-7);
}

TEST(DevsimTraffic, TableHeaderAndRecords) {
  DevsimModule m;
  Fetch f = FetchTraffic(m);
  size_t recordSize = GetU16(f.table.data()), slots = GetU16(f.table.data() + 2);
  EXPECT_EQ(recordSize, 40u);
  EXPECT_GT(slots, 30u);
  EXPECT_LE(128 + slots * recordSize, 4096u);

  const std::vector<TrafficAircraft>& truth = m.Traffic().Slots();
  ASSERT_EQ(truth.size(), slots);
  std::set<uint32_t> ids;
  std::set<int> quadrants;
  int empty = 0, climbing = 0, descending = 0, level = 0;
  double nearest = 1e9, farthest = 0;
  for (size_t slot = 0; slot < slots; ++slot) {
    const uint8_t* r = f.table.data() + 128 + slot * recordSize;
    uint32_t id = GetU32(r);
    EXPECT_EQ(id, truth[slot].id);
    if (id == 0) {
      ++empty;
      continue;
    }
    ids.insert(id);
    EXPECT_GT(-int16_t(id & 0xFFFF), 0) << "reference numbers are small positive numbers";
    float lat = GetF32(r + 4), lon = GetF32(r + 8), alt = GetF32(r + 12);
    EXPECT_FLOAT_EQ(lat, float(truth[slot].latitude));
    EXPECT_FLOAT_EQ(lon, float(truth[slot].longitude));
    EXPECT_FLOAT_EQ(alt, float(truth[slot].altitude));
    EXPECT_NEAR(GetU16(r + 16) * 360.0 / 65536, truth[slot].heading, 0.01);
    EXPECT_EQ(GetU16(r + 18), uint16_t(std::lround(truth[slot].groundSpeed)));
    int vs = GetS16(r + 20);
    (vs > 0 ? climbing : vs < 0 ? descending : level)++;
    std::string identifier(reinterpret_cast<const char*>(r + 22));
    EXPECT_GE(identifier.size(), 5u);
    EXPECT_LT(identifier.size(), 16u);
    EXPECT_EQ(identifier, truth[slot].identifier);
    uint16_t com1 = GetU16(r + 38);
    if (com1) {  // BCD 18.00 to 36.99: 118.00 to 136.99 MHz
      for (int shift : {0, 4, 8, 12}) EXPECT_LE((com1 >> shift) & 15, 9) << std::hex << com1;
      EXPECT_GE(com1, 0x1800);
      EXPECT_LT(com1, 0x3700);
    }
    double north = (lat - 51.47) * 60, east = (lon + 0.45) * 60 * std::cos(51.47 * 3.14159265358979 / 180);
    double distance = std::sqrt(north * north + east * east);
    nearest = std::min(nearest, distance);
    farthest = std::max(farthest, distance);
    quadrants.insert((north >= 0) * 2 + (east >= 0));
    EXPECT_GT(alt, 900.0f);
    EXPECT_LT(alt, 40000.0f);
  }
  EXPECT_EQ(ids.size(), 30u);
  EXPECT_GT(empty, 0);
  EXPECT_GT(climbing, 0);
  EXPECT_GT(descending, 0);
  EXPECT_GT(level, 0);
  EXPECT_EQ(quadrants.size(), 4u);
  EXPECT_LT(nearest, 10.0);
  EXPECT_GT(nearest, 0.5);
  EXPECT_GT(farthest, 100.0);
  EXPECT_LT(farthest, 152.0);
  EXPECT_EQ(std::vector<uint8_t>(f.table.begin() + 128 + slots * 40, f.table.end()),
            std::vector<uint8_t>(4096 - 128 - slots * 40, 0));
}

TEST(DevsimTraffic, AircraftMoveAndStayAround) {
  DevsimModule m;
  std::vector<TrafficAircraft> start = m.Traffic().Slots();
  m.Advance(10);
  int moved = 0;
  for (size_t i = 0; i < start.size(); ++i)
    moved += start[i].id && (start[i].latitude != m.Traffic().Slots()[i].latitude);
  EXPECT_EQ(moved, m.Traffic().AircraftCount());
  for (int i = 0; i < 4 * 3600; ++i) m.Advance(1);
  for (const TrafficAircraft& a : m.Traffic().Slots()) {
    if (!a.id) continue;
    double north = (a.latitude - 51.47) * 60, east = (a.longitude + 0.45) * 60 * std::cos(51.47 * 3.14159265358979 / 180);
    EXPECT_LT(std::sqrt(north * north + east * east), 170.0) << a.identifier;
    EXPECT_GE(a.altitude, 1000.0) << a.identifier;
    EXPECT_LE(a.altitude, 39000.0) << a.identifier;
  }
}

TEST(DevsimTraffic, AircraftCountAndHostileHeaders) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("--aircraft=100", o));
  DevsimModule m(o);
  EXPECT_EQ(m.Traffic().AircraftCount(), 99) << "only 99 records of 40 bytes fit";
  Fetch f = FetchTraffic(m);
  EXPECT_EQ(GetU16(f.table.data() + 2), 99);

  ASSERT_TRUE(ParseDevsimOptions("--aircraft=0", o));
  m.Apply(o);
  EXPECT_EQ(GetU16(FetchTraffic(m).table.data() + 2), 0);

  ASSERT_TRUE(ParseDevsimOptions("--aircraft=30 --traffic-slots=500 --traffic-record-size=8", o));
  m.Apply(o);
  f = FetchTraffic(m);
  EXPECT_EQ(GetU16(f.table.data()), 8);
  EXPECT_EQ(GetU16(f.table.data() + 2), 500);
  EXPECT_EQ(GetU32(f.table.data() + 128), m.Traffic().Slots()[0].id) << "records keep their true stride";

  ASSERT_TRUE(ParseDevsimOptions("--aircraft=99 --traffic-slots=-1 --traffic-record-size=64", o));
  m.Apply(o);
  f = FetchTraffic(m);
  EXPECT_EQ(GetU16(f.table.data()), 64);
  EXPECT_EQ(GetU16(f.table.data() + 2), 99);
  EXPECT_EQ(GetU32(f.table.data() + 128 + 64), m.Traffic().Slots()[1].id);
  // Slot 61 would end at 128 + 61 * 64 + 40 > 4096: it is left out, nothing beyond is written.
  EXPECT_EQ(GetU32(f.table.data() + 128 + 60 * 64), m.Traffic().Slots()[60].id);

  uint8_t part[10];
  std::memset(part, 0xAA, sizeof part);
  ASSERT_TRUE(m.Traffic().Read(0x02A0, part, sizeof part));
  EXPECT_EQ(GetS16(part), -546);
  EXPECT_EQ(std::vector<uint8_t>(part + 2, part + 10), std::vector<uint8_t>(8, 0));
}
