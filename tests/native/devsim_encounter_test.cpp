// devsim's scripted encounters as Palvio reads them: the geometry each one promises, the own
// position moving with it, and the records' heading and speeds agreeing with the motion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "devsim/options.h"
#include "traffic/traffic_table.h"

namespace {

class ModuleTransport : public IpcTransport {
 public:
  ModuleTransport(DevsimModule& module, std::vector<uint8_t>& block)
      : module_(module), block_(block) {}
  bool Send() override { return module_.Execute(block_.data(), block_.size()) == 1; }
  void Pause(unsigned) override {}

 private:
  DevsimModule& module_;
  std::vector<uint8_t>& block_;
};

struct Seen {
  OwnPosition own;
  double distance[8];    // nm, by slot
  double heightDiff[8];  // hundreds of feet
  int slots;
  SlotTexts texts[8];
};

Seen FetchAt(DevsimModule& module) {
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  ModuleTransport transport(module, block);
  TrafficTable table;
  Seen s = {};
  EXPECT_TRUE(table.FetchTraffic(block.data(), block.size(), transport));
  s.own = table.DecodeOwnPosition();
  s.slots = table.GetSlotCount();
  for (int slot = 0; slot < s.slots && slot < 8; ++slot) {
    table.FormatSlot(slot, s.own, s.texts[slot]);
    s.distance[slot] = table.SortKeys().distance[slot];
    s.heightDiff[slot] = table.SortKeys().heightDiff[slot];
  }
  return s;
}

DevsimModule With(const char* switches) {
  DevsimOptions options;
  EXPECT_TRUE(ParseDevsimOptions(switches, options)) << switches;
  return DevsimModule(options);
}

struct Case {
  const char* name;
  double closestNm;    // the main aircraft's least distance, at 60 s; < 0: never closing
  double heightAt60;   // its height difference then, feet
};

const Case kCases[] = {
    {"head-on", 0.0, 0},     {"crossing", 0.0, 0},  {"overtaking", 0.0, -300},
    {"climbing", 0.5, 0},    {"diverging", -1, 0},  {"parallel", 0.5, 1000},
};

TEST(DevsimEncounter, MainAircraftClosestAtSixtySecondsAsScripted) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    DevsimModule m = With((std::string("--encounter=") + c.name).c_str());
    double least = 1e9, leastAt = -1, previous = 1e9;
    bool everClosing = false;
    for (int step = 0; step <= 200; ++step) {
      const Seen s = FetchAt(m);
      ASSERT_EQ(s.slots, 3);
      const double d = s.distance[kEncounterMainSlot];
      if (step > 0 && d < previous - 1e-6) everClosing = true;
      if (d < least) least = d, leastAt = step * 0.5;
      if (step == 120) {
        EXPECT_NEAR(s.heightDiff[kEncounterMainSlot] * 100, c.heightAt60, 5);
        // The user is over the reference point, 7,000 ft, at the closest approach.
        EXPECT_NEAR(s.own.latitude, kUserLatitude, 1e-6);
        EXPECT_NEAR(s.own.longitude, kUserLongitude, 1e-6);
        EXPECT_NEAR(s.own.altitude, 7000, 3.3);
      }
      previous = d;
      m.Advance(0.5);
    }
    if (c.closestNm < 0) {
      EXPECT_FALSE(everClosing);
    } else {
      EXPECT_NEAR(least, c.closestNm, 0.02);
      if (c.closestNm == 0) {
        EXPECT_NEAR(leastAt, kEncounterClosestSeconds, 0.5);
      }
    }
  }
}

TEST(DevsimEncounter, RecordsAgreeWithTheMotionAndTheUserMoves) {
  for (const char* name : {"head-on", "crossing", "climbing", "ground"}) {
    SCOPED_TRACE(name);
    DevsimModule m = With((std::string("--encounter=") + name).c_str());
    m.Advance(10);
    const std::vector<TrafficAircraft> before = m.Traffic().Slots();
    const Seen s0 = FetchAt(m);
    m.Advance(10);
    const Seen s1 = FetchAt(m);
    const std::vector<TrafficAircraft>& after = m.Traffic().Slots();
    // The user: 200 kt in the air (15 kt taxiing), eastwards.
    const double ownNm = std::hypot((s1.own.latitude - s0.own.latitude) * 60,
                                    (s1.own.longitude - s0.own.longitude) * 60 *
                                        std::cos(s0.own.latitude * 3.14159265358979 / 180));
    EXPECT_NEAR(ownNm * 360, std::string(name) == "ground" ? 15 : 200, 1);
    for (size_t i = 0; i < after.size(); ++i) {
      const double north = (after[i].latitude - before[i].latitude) * 60;
      const double east = (after[i].longitude - before[i].longitude) * 60 *
                          std::cos(before[i].latitude * 3.14159265358979 / 180);
      EXPECT_NEAR(std::hypot(north, east) * 360, after[i].groundSpeed, 1) << "slot " << i;
      double track = std::atan2(east, north) * 180 / 3.14159265358979;
      if (track < 0) track += 360;
      EXPECT_NEAR(std::fmod(track - after[i].heading + 540, 360) - 180, 0, 0.5) << "slot " << i;
      EXPECT_NEAR((after[i].altitude - before[i].altitude) * 6, after[i].verticalSpeed, 1);
      // The list shows the record's ground speed as stored.
      EXPECT_EQ(std::atoi(s1.texts[i].cell[8]), int(std::lround(after[i].groundSpeed)));
    }
  }
}

TEST(DevsimEncounter, GroundTrafficIsSlowAndLevelWithTheUser) {
  DevsimModule m = With("--encounter=ground");
  const Seen s = FetchAt(m);
  EXPECT_NEAR(s.own.altitude, 80 * 3.28084, 1e-6);
  EXPECT_EQ(std::atoi(s.texts[0].cell[8]), 15);
  for (int slot = 0; slot < s.slots; ++slot) EXPECT_NEAR(s.heightDiff[slot], 0, 0.05);
}

TEST(DevsimEncounter, RoundsRepeatWithNewIdsAndNoneGivesTheRandomTrafficBack) {
  DevsimModule m = With("--encounter=head-on");
  const uint32_t first = m.Traffic().Slots()[1].id;
  const double start = m.Traffic().Slots()[1].longitude;
  m.Advance(kEncounterPeriodSeconds + 0.25);
  EXPECT_NE(m.Traffic().Slots()[1].id, first);
  EXPECT_EQ(m.Traffic().Slots()[1].id & 0xFFFFu, first & 0xFFFFu);  // the same reference
  EXPECT_NEAR(m.Traffic().Slots()[1].longitude, start, 0.01);

  DevsimOptions options = m.Options();
  ASSERT_TRUE(ParseDevsimOptions("--encounter=head-on", options));
  const uint32_t second = m.Traffic().Slots()[1].id;
  m.Apply(options);  // named again: a new start, new aircraft
  EXPECT_NE(m.Traffic().Slots()[1].id, second);
  EXPECT_NE(m.Traffic().Slots()[1].id, first);
  ASSERT_TRUE(ParseDevsimOptions("--encounter=none", options));
  m.Apply(options);
  EXPECT_EQ(m.Traffic().CurrentEncounter(), Encounter::kNone);
  EXPECT_EQ(m.Traffic().AircraftCount(), 30);
  const Seen s = FetchAt(m);
  EXPECT_NEAR(s.own.latitude, kUserLatitude, 1e-7);
  EXPECT_NEAR(s.own.longitude, kUserLongitude, 1e-7);

  DevsimOptions bad;
  EXPECT_FALSE(ParseDevsimOptions("--encounter=sideways", bad));
  EXPECT_FALSE(ParseDevsimOptions("--encounter", bad));
}

}  // namespace
