// The tracker against devsim's scripted encounters, read once a second as Palvio reads them
// with advisories on: each advisory begins within one refresh of the time worked out by hand
// from the encounter's geometry and the thresholds for 7,000 ft (TA tau 40 s, DMOD 0.75 nm; RA
// 25 s, 0.55 nm), and the encounters built to raise nothing raise nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devsim/module.h"
#include "devsim/options.h"
#include "traffic/advisory/advisory.h"
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

struct Flight {
  double firstTa = -1, firstRa = -1;
  int began = 0;                  // sounds: updates at which some advisory began
  int advisoriesElsewhere = 0;    // advisories of slots other than the main one
  ThreatLevel mainAt[121] = {};   // the main aircraft's class, by second
};

Flight Fly(const char* encounter, double seconds = 120) {
  DevsimOptions options;
  EXPECT_TRUE(ParseDevsimOptions((std::string("--encounter=") + encounter).c_str(), options));
  DevsimModule module(options);
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  ModuleTransport transport(module, block);
  TrafficTable table;
  AdvisoryTracker tracker;
  Flight run;
  for (int t = 0; t <= int(seconds); ++t) {
    EXPECT_TRUE(table.FetchTraffic(block.data(), block.size(), transport));
    tracker.Update(table, table.DecodeOwnPosition(), 1000.0 + t);
    const ThreatLevel level = tracker.Target(kEncounterMainSlot).level;
    if (t <= 120) run.mainAt[t] = level;
    if (level >= kThreatTraffic && run.firstTa < 0) run.firstTa = t;
    if (level == kThreatResolution && run.firstRa < 0) run.firstRa = t;
    bool began = false;
    for (int slot = 0; slot < kMaxSlots; ++slot) {
      began = began || tracker.Target(slot).began;
      if (slot != kEncounterMainSlot && tracker.Target(slot).level >= kThreatTraffic)
        ++run.advisoriesElsewhere;
    }
    run.began += began;
    module.Advance(1.0);
  }
  return run;
}

TEST(AdvisoryDevsimEncounters, AdvisoriesBeginWithinOneRefreshOfTheWorkedTimes) {
  struct Case {
    const char* encounter;
    double ta;  // s from the start; -1: none
    double ra;
  } cases[] = {
      // 400 kt closing: TA at r = 4.567 nm, 41.1 s before 60 s; RA at 2.883 nm, 25.9 s before.
      {"head-on", 18.89, 34.06},
      // 282.8 kt closing: TA at 3.313 nm, 42.2 s before; RA at 2.108 nm, 26.8 s before.
      {"crossing", 17.84, 33.17},
      // 120 kt closing, 300 ft below (inside both ZTHR): TA at 1.670 nm, 50.1 s before; RA at
      // 1.107 nm, 33.2 s before.
      {"overtaking", 9.90, 26.80},
      // 0.5 nm beside: the range test holds from 19.4 s, the altitude one (3,000 ft closing at
      // 3,000 fpm) from 20 s; RA when 25 s from co-altitude, at 35 s.
      {"climbing", 20.0, 35.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encounter);
    const Flight run = Fly(c.encounter);
    EXPECT_GE(run.firstTa, c.ta - 0.01);
    EXPECT_LE(run.firstTa, c.ta + 1.0);
    EXPECT_GE(run.firstRa, c.ra - 0.01);
    EXPECT_LE(run.firstRa, c.ra + 1.0);
    EXPECT_EQ(run.began, 1) << "one sound for the one aircraft";
    EXPECT_EQ(run.advisoriesElsewhere, 0);
    // Over by the end of the round: the aircraft is well past and going away.
    EXPECT_LT(run.mainAt[115], kThreatTraffic);
  }
}

TEST(AdvisoryDevsimEncounters, NoneWhereNothingComesNear) {
  for (const char* encounter : {"diverging", "parallel", "ground"}) {
    SCOPED_TRACE(encounter);
    const Flight run = Fly(encounter);
    EXPECT_EQ(run.firstTa, -1);
    EXPECT_EQ(run.began, 0);
    EXPECT_EQ(run.advisoriesElsewhere, 0);
  }
  // The parallel aircraft is proximate all along, once judged.
  const Flight parallel = Fly("parallel", 20);
  EXPECT_EQ(parallel.mainAt[10], kThreatProximate);
}

TEST(AdvisoryDevsimEncounters, TheNextRoundIsANewAircraftAndANewSound) {
  const Flight run = Fly("head-on", 240);
  EXPECT_EQ(run.began, 2);
}

}  // namespace
