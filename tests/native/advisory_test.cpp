#include "traffic/advisory/advisory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "tests/native/advisory_sky.h"

namespace {

using sky::Body;
using sky::Metres;
using sky::Sky;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kStart = 0.3;  // refreshes at 0.3, 1.3, ... so no threshold falls on one

// What slot 0 did in a run of 1-second refreshes.
struct Timeline {
  double began = kNaN;  // first TA or RA-level start
  TargetAdvisory atBegan;
  double resolution = kNaN;  // first RA-level
  double ended = kNaN;       // first refresh below TA after the start
  int beganCount = 0;
  int highest = kThreatNone;
};

Timeline Fly(Sky& s, AdvisoryTracker& tracker, double from, double to, int slot = 0) {
  Timeline line;
  for (double t = from; t <= to; t += 1.0) {
    s.Refresh(tracker, t);
    const TargetAdvisory& a = tracker.Target(slot);
    line.highest = std::max<int>(line.highest, a.level);
    if (a.began) {
      if (!line.beganCount++) line.began = t, line.atBegan = a;
    }
    if (a.level == kThreatResolution && std::isnan(line.resolution)) line.resolution = t;
    if (!std::isnan(line.began) && std::isnan(line.ended) && a.level < kThreatTraffic)
      line.ended = t;
  }
  return line;
}

TEST(AdvisoryThresholds, LevelsByOwnAltitude) {
  const AdvisoryThresholds thresholds;
  const struct {
    double altitude, taTau, raTau;
  } cases[] = {{-500, 20, 0},   {1000, 20, 0},   {1000.5, 25, 15}, {2350, 25, 15}, {7000, 40, 25},
               {20000, 45, 30}, {42000, 48, 35}, {42001, 48, 35},  {kNaN, 20, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.altitude);
    const SensitivityLevel& level = LevelForAltitude(thresholds, c.altitude);
    EXPECT_EQ(level.taTau, c.taTau);
    EXPECT_EQ(level.raTau, c.raTau);
  }
  EXPECT_EQ(LevelForAltitude(thresholds, 42001).taZthr, 1200);
  EXPECT_EQ(LevelForAltitude(thresholds, 42000).raZthr, 700);
  EXPECT_STREQ(ThreatLevelText(kThreatTraffic), "TA");
  EXPECT_STREQ(ThreatLevelText(kThreatResolution), "RA-level");
  EXPECT_STREQ(ThreatLevelText(ThreatLevel(7)), "");
}

// Encounters whose closest approach is at t = 90 s. Expected times are seconds before it,
// worked out by hand: on a collision course at closing speed V the range test holds from
// r = (tau V + sqrt((tau V)^2 + 4 DMOD^2)) / 2, that is r / V before the closest approach.
struct Encounter {
  const char* name;
  double lat0, lon0;
  Body own, target;
  double taBefore;  // the TA begins this long before the closest approach; negative: never
  double raBefore;  // the same for the resolution level; negative: never
  int highest;      // the highest level seen
};

// Where a body is at t = 90 s, and how it flies.
Body Mover(double e, double n, double ve, double vn, double alt, double vs = 0) {
  Body b;
  b.t0 = 90;
  b.e = e, b.n = n, b.ve = ve, b.vn = vn, b.alt = alt, b.vs = vs;
  return b;
}

const double k7000 = Metres(2134);  // 7,001 ft: TA tau 40 s, DMOD 0.75 nm; RA 25 s, 0.55 nm
const double k2000 = Metres(610);   // 2,001 ft: TA 25 s, 0.33 nm; RA 15 s, 0.20 nm

const Encounter kEncounters[] = {
    // Check values: 400 kt, 40 s: r = 4.567 nm, 41.10 s; RA 25 s: 2.883 nm, 25.95 s.
    {"head-on at 7,000 ft", 0.5, 10, Mover(0, 0, 0, 200, k7000), Mover(0, 0, 0, -200, k7000), 41.10,
     25.95, kThreatResolution},
    // 240 kt, 25 s: r = 1.730 nm, 25.94 s; RA 15 s: 1.039 nm, 15.58 s.
    {"head-on below 2,350 ft", 0.5, 10, Mover(0, 0, 0, 120, k2000), Mover(0, 0, 0, -120, k2000),
     25.94, 15.58, kThreatResolution},
    {"head-on across the 180th meridian", 20, 180, Mover(0, 0, 200, 0, k7000),
     Mover(0, 0, -200, 0, k7000), 41.10, 25.95, kThreatResolution},
    {"head-on over the north pole", 90, 0, Mover(0, 0, 0, 200, k7000), Mover(0, 0, 0, -200, k7000),
     41.10, 25.95, kThreatResolution},
    // 282.8 kt: r = 3.313 nm, 42.16 s; RA: 2.107 nm, 26.82 s.
    {"crossing at 90 degrees", 0.5, 10, Mover(0, 0, 0, 200, k7000), Mover(0, 0, -200, 0, k7000),
     42.16, 26.82, kThreatResolution},
    // 200 kt: r = 2.452 nm, 44.13 s; RA: 1.580 nm, 28.45 s.
    {"overtaking", 0.5, 10, Mover(0, 0, 0, 150, k7000), Mover(0, 0, 0, 350, k7000), 44.13, 28.45,
     kThreatResolution},
    // 300 kt, the target 2,250 ft below climbing 1,500 fpm to pass the own level at the closest
    // approach: the range test holds from 41.93 s, the altitude test (|h| / |h'| <= 40) from
    // 40 s; RA: range from 26.64 s, altitude from 25 s.
    {"climbing through the own level", 0.5, 10, Mover(0, 0, 0, 150, k7000),
     Mover(0, 0, 0, -150, k7000, 1500), 40.0, 25.0, kThreatResolution},
    {"diverging", 0.5, 10, Mover(0, 0, 0, 200, k7000), Mover(0, 4.5, 0, 300, k7000), -1, -1,
     kThreatProximate},
    {"parallel 1,000 ft above", 0.5, 10, Mover(0, 0, 0, 200, k7000),
     Mover(0.2, 0, 0, 200, k7000 + 1000), -1, -1, kThreatProximate},
    {"a parked aircraft under the approach", 0.5, 10, Mover(0, 0, 0, 140, Metres(152)),
     Mover(0, 0, 0, 0, 0), -1, -1, kThreatProximate},
    {"a target landing towards the own aircraft taxiing", 0.5, 10, Mover(0, 0, 0, 15, 0),
     Mover(0, 0, 0, -140, 0), -1, -1, kThreatProximate},
};

TEST(AdvisoryEncounters, AdvisoriesBeginWithinOneRefreshOfTheWorkedTimes) {
  for (const Encounter& c : kEncounters)
    for (const double phase : {kStart, 0.05, 0.65, 0.95}) {
      SCOPED_TRACE(c.name);
      SCOPED_TRACE(phase);
      Sky s(c.lat0, c.lon0);
      s.own = c.own;
      s.targets = {c.target};
      AdvisoryTracker tracker;
      const Timeline line = Fly(s, tracker, phase, 130);
      EXPECT_EQ(line.highest, c.highest);
      if (c.taBefore < 0) {
        EXPECT_EQ(line.beganCount, 0);
        continue;
      }
      ASSERT_EQ(line.beganCount, 1);
      const double before = 90 - line.began;
      EXPECT_LE(before, c.taBefore + 0.02);
      EXPECT_GT(before, c.taBefore - 1.0);
      // The smoothed figures at that moment: the truth for straight flight.
      const double closing = std::hypot(c.target.ve - c.own.ve, c.target.vn - c.own.vn);
      EXPECT_NEAR(line.atBegan.closestTime, before, 0.05);
      EXPECT_NEAR(line.atBegan.range, before * closing / 3600, 0.005);
      EXPECT_NEAR(line.atBegan.rangeRate, -closing, 0.5);
      EXPECT_NEAR(line.atBegan.closestRange, 0, 0.01);
      const double before2 = 90 - line.resolution;
      EXPECT_LE(before2, c.raBefore + 0.02);
      EXPECT_GT(before2, c.raBefore - 1.0);
      // Over once the target has passed: the 8 s are long over.
      EXPECT_LT(line.ended, 90 + 16);
      if (phase == kStart)
        std::printf("  %-36s TA %.2f s, %.3f nm before; RA-level %.2f s before\n", c.name, before,
                    line.atBegan.range, before2);
    }
}

TEST(AdvisoryEncounters, FiguresOfAClimbingCrossingTarget) {
  Sky s(0.5, 10);
  s.own = Mover(0, 0, 0, 200, k7000);
  s.targets = {Mover(0, 0, -200, 0, k7000, 1000)};
  AdvisoryTracker tracker;
  for (double t = kStart; t < 40; t += 1) s.Refresh(tracker, t);
  const TargetAdvisory& a = tracker.Target(0);
  ASSERT_TRUE(a.tracked);
  const double t = kStart + 39, before = 90 - t;
  EXPECT_NEAR(a.range, std::hypot(before, before) * 200 / 3600, 0.002);
  EXPECT_NEAR(a.closestTime, before, 0.05);
  EXPECT_NEAR(a.relativeAltitude, -1000 * before / 60, 2);
  EXPECT_NEAR(a.verticalRate, 1000, 20);
  EXPECT_NEAR(a.bearing, 45, 0.5);  // north-east of the own aircraft
  EXPECT_EQ(a.id, 1u);
  EXPECT_NEAR(tracker.OwnGroundSpeed(), 200, 1);
}

// A target that turns away just after its TA: the advisory lasts 8 s, then ends.
TEST(AdvisoryHysteresis, AnAdvisoryLastsEightSeconds) {
  Sky s(0.5, 10);
  s.own = Mover(0, 0, 0, 200, k7000);
  s.targets = {Mover(0, 0, 0, -200, k7000)};
  AdvisoryTracker tracker;
  double began = kNaN;
  for (double t = kStart; t < 80; t += 1) {
    s.Refresh(tracker, t);
    const TargetAdvisory& a = tracker.Target(0);
    if (a.began) {
      began = t;
      s.targets[0].Turn(t, 0, 200);  // now flying as the own aircraft does: range holds
    }
    if (std::isnan(began)) continue;
    if (t < began + 8) {
      EXPECT_GE(a.level, kThreatTraffic) << t - began;
    } else if (t > began + 9) {
      EXPECT_LT(a.level, kThreatTraffic) << t - began;
    }
  }
  EXPECT_FALSE(std::isnan(began));
}

TEST(AdvisoryHysteresis, ATargetBackWithinEightSecondsIsNotRaisedAgain) {
  for (const double away : {3.0, 10.0}) {
    SCOPED_TRACE(away);
    Sky s(0.5, 10);
    s.own = Mover(0, 0, 0, 200, k7000);
    s.targets = {Mover(0, 0, 0, -200, k7000)};
    AdvisoryTracker tracker;
    double began = kNaN, gone = kNaN;
    int raised = 0;
    for (double t = kStart; t < 80; t += 1) {
      if (!std::isnan(began) && std::isnan(gone)) gone = t;
      s.targets[0].present = std::isnan(gone) || t >= gone + away;
      s.Refresh(tracker, t);
      const TargetAdvisory& a = tracker.Target(0);
      if (!s.targets[0].present) {
        EXPECT_FALSE(a.tracked);
        EXPECT_EQ(tracker.AdvisoryCount(), 0);
      } else if (!std::isnan(gone) && t < 70) {
        EXPECT_GE(a.level, kThreatTraffic);  // back at once: the track was kept
      }
      raised += a.began;
      if (a.began && std::isnan(began)) began = t;
    }
    EXPECT_EQ(raised, away < 8 ? 1 : 2);
  }
}

TEST(AdvisoryOrder, ByLevelThenTimeToClosestApproachThenRange) {
  Sky s(0.5, 10);
  s.own = Mover(0, 0, 0, 200, k7000);
  s.targets = {
      Mover(3, 1, 0, 0, k7000 + 3000),         // 0: other, standing, passed at 90 + 18 s
      Mover(0, 0, 0, -200, k7000),             // 1: head-on, met at 90 s
      Mover(0, 0, 0, -200, k7000 + 5000),      // 2: other, passes above at 90 s
      Mover(0.1, -0.5, 0, 200, k7000 + 1000),  // 3: proximate, following
      Mover(0, -0.1, 0, -200, k7000 + 500),    // 4: head-on, met at 89.1 s
      Mover(2, 3, 0, 300, k7000 + 3000),       // 5: other, leaving
  };
  s.targets.push_back(Body());
  s.targets.back().present = false;  // 6: empty
  AdvisoryTracker tracker;
  for (double t = kStart; t < 51; t += 1) s.Refresh(tracker, t);
  ASSERT_EQ(tracker.AdvisoryCount(), 2);
  std::vector<int> slots(7);
  std::iota(slots.begin(), slots.end(), 0);
  std::sort(slots.begin(), slots.end(),
            [&](int a, int b) { return CompareThreat(tracker, a, b) < 0; });
  EXPECT_EQ(slots, (std::vector<int>{4, 1, 3, 2, 0, 5, 6}));
  EXPECT_EQ(tracker.StrongestSlot(), 4);
  EXPECT_EQ(CompareThreat(tracker, 6, 6), 0);
  EXPECT_GT(CompareThreat(tracker, -1, 1), 0);  // slots out of range are untracked
}

// ---- Bad input: never a crash, a stuck alert, an advisory from one sample, or one that never
// ends.

// A head-on encounter at 7,000 ft: the TA begins about 49 s after the start.
Sky HeadOn() {
  Sky s(0.5, 10);
  s.own = Mover(0, 0, 0, 200, k7000);
  s.targets = {Mover(0, 0, 0, -200, k7000)};
  return s;
}

TEST(AdvisoryBadInput, SlotsThatChangeIdEveryRefreshAreNeverJudged) {
  Sky s = HeadOn();
  AdvisoryTracker tracker;
  for (double t = kStart; t < 100; t += 1) {
    s.targets[0].id = 1000 + uint32_t(t);
    s.Refresh(tracker, t);
    EXPECT_FALSE(tracker.Target(0).tracked);
    EXPECT_EQ(tracker.Target(0).id, s.targets[0].id);
  }
}

TEST(AdvisoryBadInput, AnIdTakenOverByAnotherAircraftStartsAfresh) {
  Sky s(0.5, 10);
  s.own = Mover(0, 0, 0, 200, k7000);
  s.targets = {Mover(40, 0, 300, 0, k7000)};  // far off and leaving
  AdvisoryTracker tracker;
  for (double t = kStart; t < 30; t += 1) s.Refresh(tracker, t);
  // The same id now belongs to an aircraft 1.5 nm ahead, head-on: well inside a TA.
  s.targets[0] = Mover(0, s.own.N(30) + 1.5, 0, -200, k7000);
  s.targets[0].t0 = 30;
  double began = kNaN;
  for (double t = 30.3; t < 40; t += 1) {
    s.Refresh(tracker, t);
    if (tracker.Target(0).began) began = t;
  }
  // Left out once, then restarted: three samples of the new aircraft before it is judged.
  EXPECT_NEAR(began, 33.3, 1e-9);
}

TEST(AdvisoryBadInput, OneSampleThatJumpsIsLeftOut) {
  for (const bool advisory : {false, true}) {
    SCOPED_TRACE(advisory);
    Sky s = HeadOn();
    // Without an advisory: a target far out, whose one stray sample lands on the own aircraft.
    if (!advisory) s.targets[0] = Mover(60, 0, 200, 0, k7000);
    AdvisoryTracker tracker;
    int began = 0;
    for (double t = kStart; t < 70; t += 1) {
      s.Serve(t);
      if (t == kStart + 55) {
        const double lat = advisory ? 0.5 + 100.0 / 60 : 0.5 + s.own.N(t) / 60;
        s.Spoil(0, 4, float(lat));
        s.Spoil(0, 8, 10.0f);
      }
      tracker.Update(s.Table(), s.Table().DecodeOwnPosition(), t);
      const TargetAdvisory& a = tracker.Target(0);
      began += a.began;
      if (advisory && t >= kStart + 50) {
        EXPECT_GE(a.level, kThreatTraffic) << t;
      }
      if (!advisory) {
        EXPECT_LT(a.level, kThreatTraffic) << t;
      }
    }
    EXPECT_EQ(began, advisory ? 1 : 0);
  }
}

TEST(AdvisoryBadInput, NonFiniteAltitudesAndPositions) {
  const struct {
    const char* what;
    size_t at;
    float value;
  } spoils[] = {{"NaN altitude", 12, std::numeric_limits<float>::quiet_NaN()},
                {"infinite altitude", 12, std::numeric_limits<float>::infinity()},
                {"NaN latitude", 4, std::numeric_limits<float>::quiet_NaN()},
                {"infinite longitude", 8, -std::numeric_limits<float>::infinity()},
                {"latitude past the pole", 4, 1e30f}};
  for (const auto& spoil : spoils) {
    SCOPED_TRACE(spoil.what);
    for (const int every : {1, 2, 30}) {
      SCOPED_TRACE(every);
      Sky s = HeadOn();
      AdvisoryTracker tracker;
      int began = 0, index = 0;
      for (double t = kStart; t < 120; t += 1, ++index) {
        s.Serve(t);
        const bool spoilt = index % every == 0;
        if (spoilt) s.Spoil(0, spoil.at, spoil.value);
        tracker.Update(s.Table(), s.Table().DecodeOwnPosition(), t);
        const TargetAdvisory& a = tracker.Target(0);
        if (spoilt) {
          EXPECT_FALSE(a.tracked);
        }
        if (a.tracked) {
          EXPECT_TRUE(std::isfinite(a.range) && std::isfinite(a.relativeAltitude));
        }
        began += a.began;
      }
      EXPECT_EQ(tracker.AdvisoryCount(), 0);
      EXPECT_EQ(began, every == 30 ? 1 : 0);  // a spoilt sample every 1 or 2 refreshes: never 3
    }
  }
  // An own position out of this world: nothing is judged.
  Sky s = HeadOn();
  AdvisoryTracker tracker;
  for (double t = kStart; t < 60; t += 1) {
    s.Serve(t);
    OwnPosition own = s.Table().DecodeOwnPosition();
    if (int(t) % 2) own.altitude = kNaN;
    tracker.Update(s.Table(), own, t);
    EXPECT_FALSE(tracker.Target(0).tracked);
  }
}

TEST(AdvisoryBadInput, HundredTargetsAtOnePoint) {
  for (const bool headOn : {false, true}) {
    SCOPED_TRACE(headOn);
    Sky s(0.5, 10);
    s.own = Mover(0, 0, 0, 200, k7000);
    for (uint32_t i = 0; i < 100; ++i) {
      Body b = headOn ? Mover(0, 0, 0, -200, k7000) : s.own;
      b.id = 500 + i;
      s.targets.push_back(b);
    }
    AdvisoryTracker tracker;
    int most = 0;
    for (double t = kStart; t < 130; t += 1) {
      s.Refresh(tracker, t);
      most = std::max(most, tracker.AdvisoryCount());
      for (int slot = 0; slot < kMaxSlots; ++slot) {
        const TargetAdvisory& a = tracker.Target(slot);
        ASSERT_TRUE(std::isfinite(a.rangeRate) && std::isfinite(a.closestRange) &&
                    std::isfinite(a.bearing));
      }
      const int strongest = tracker.StrongestSlot();
      EXPECT_EQ(strongest >= 0, tracker.AdvisoryCount() > 0);
    }
    EXPECT_EQ(most, 100);
    // The pack flying with the own aircraft stays a threat; the one met head-on has passed.
    EXPECT_EQ(tracker.AdvisoryCount(), headOn ? 0 : 100);
  }
}

TEST(AdvisoryBadInput, RefreshesThatStopForThirtySecondsOrAClockThatJumps) {
  const struct {
    const char* what;
    double jump;  // added to the clock after the TA began
  } cases[] = {{"no refresh for 30 s", 30},
               {"back by 100 s", -100},
               {"back by 1.5 s", -1.5},
               {"forward by 5 hours", 18000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Sky s(0.5, 10);
    s.own = Mover(0, 0, 0, 200, k7000);
    s.targets = {Mover(0, 0, 0, -200, k7000)};
    AdvisoryTracker tracker;
    double t = kStart;
    for (; !tracker.Target(0).began; t += 1) s.Refresh(tracker, t);
    // The world goes on as before; only the clock is off (or the refresh missing).
    const double skew = c.jump > 0 && c.jump < 60 ? 0 : c.jump;
    if (skew == 0) t += c.jump;
    s.targets[0] = Mover(0, s.own.N(t) + 4.5, 0, -200, k7000);  // a threat again
    s.targets[0].t0 = t;
    for (int i = 0; i < 6; ++i, t += 1) {
      s.Serve(t);
      tracker.Update(s.Table(), s.Table().DecodeOwnPosition(), t + skew);
      const TargetAdvisory& a = tracker.Target(0);
      if (i < 2) {
        EXPECT_FALSE(a.tracked) << i;
        EXPECT_EQ(tracker.AdvisoryCount(), 0) << i;
      }
      if (i == 2) {
        EXPECT_TRUE(a.began);  // judged afresh after three samples, and alerted again
      }
    }
  }
}

TEST(AdvisoryBadInput, AClockThatStandsStillOrIsNotANumberChangesNothing) {
  Sky s = HeadOn();
  AdvisoryTracker tracker;
  double t = kStart;
  for (; !tracker.Target(0).began; t += 1) s.Refresh(tracker, t);
  for (const double now : {t - 1, kNaN, std::numeric_limits<double>::infinity()}) {
    s.Serve(t + 100);  // far from where it was
    tracker.Update(s.Table(), s.Table().DecodeOwnPosition(), now);
  }
  EXPECT_EQ(tracker.AdvisoryCount(), 1);
  EXPECT_TRUE(tracker.Target(0).began);  // still the last real update's
  tracker.Reset();
  EXPECT_EQ(tracker.AdvisoryCount(), 0);
  EXPECT_EQ(tracker.StrongestSlot(), -1);
  EXPECT_FALSE(tracker.Target(0).tracked);
}

}  // namespace
