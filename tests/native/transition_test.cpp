// The transition model: the worked examples with their step counts, the rules for layers that
// appear and go away, re-aiming, the commands, and hostile sizes and values.
#include "weather/transition/transition.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "tests/native/transition_builder.h"
#include "weather/allocation.h"

namespace {

using namespace transition_test;

bool Same(const TransitionTables& a, const TransitionTables& b) { return TransitionTablesDiffer(a, b) == 0; }

// Runs a transition to its end, keeping what the simulator would hold; returns the steps.
struct Driver {
  WeatherTransition model;
  TransitionTables simulator;
  int steps = 0;

  void Step(unsigned* changedOut = nullptr) {
    TransitionTables out;
    unsigned changed = 0;
    ASSERT_TRUE(model.NextStep(out, changed));
    for (int t = kFirstTable; t <= kCloudTable; ++t)
      if (changed & TransitionTableBit(t)) simulator.table[t] = TableBlock::Copy(out.table[t].Bytes(), out.table[t].Size());
    ++steps;
    if (changedOut) *changedOut = changed;
  }
  int ToEnd(int most = 100000) {
    while (model.Running() && steps < most) Step();
    return steps;
  }
};

void Begin(Driver& run, const TransitionTables& from, const TransitionTables& to) {
  ASSERT_TRUE(CopyTransitionTables(from, run.simulator));
  ASSERT_TRUE(run.model.Start(from, to, TransitionRates()));
}

PressureRecord PressureOf(const TransitionTables& t) { return DecodePressure(t.table[kPressureTable].Bytes()); }
WindLayer WindOf(const TransitionTables& t, int i = 0) {
  return DecodeWind(Record(t.table[kWindTable], kWindLayerSize, i));
}

TEST(TransitionWorkedExamples, PressureAndAWindTurningHalfACircle) {
  // QNH 990 -> 1025 hPa (15840 -> 16400 sixteenths), wind 270/10 -> 090/35.
  Weather a, b;
  a.pressure.assign(1, Qnh(15840));
  b.pressure.assign(1, Qnh(16400));
  a.wind = {Wind(2000, 10, 270)};
  b.wind = {Wind(2000, 35, 90)};
  const TransitionTables from = Tables(a), to = Tables(b);
  Driver run;
  Begin(run, from, to);
  std::vector<int> qnh = {15840};
  int windDone = 0;
  while (run.model.Running()) {
    const WindLayer before = WindOf(run.model.Current());
    run.Step();
    qnh.push_back(PressureOf(run.model.Current()).qnh);
    const WindLayer w = WindOf(run.model.Current());
    // Clockwise, 2 degrees (364 units) a step at most, through north.
    const int turned = (w.direction - before.direction) & 0xFFFF;
    EXPECT_LE(turned, 364);
    EXPECT_LE(std::abs(int(w.speed) - int(before.speed)), 1);
    if (!windDone && w.direction == Degrees(90) && w.speed == 35) windDone = run.steps;
  }
  EXPECT_EQ(run.steps, 350);  // 560 sixteenths at 1.6 a step
  EXPECT_EQ(windDone, 91);    // 180 degrees at 364 units (2 degrees) a step; the speed was there after 25
  for (size_t i = 1; i < qnh.size(); ++i) {
    EXPECT_GE(qnh[i] - qnh[i - 1], 1);
    EXPECT_LE(qnh[i] - qnh[i - 1], 2);
    if (i >= 10) {
      EXPECT_EQ(qnh[i] - qnh[i - 10], 16);
    }  // 0.1 hPa a step over any ten
  }
  EXPECT_TRUE(Same(run.simulator, to));
  EXPECT_TRUE(Same(run.model.Current(), to));
}

TEST(TransitionWorkedExamples, ACloudDeckAppears) {
  Weather a, b;
  CloudLayer deck = Cloud(1000, 2000, 8, 9);
  deck.turbulence = 2;
  deck.icing = 1;
  deck.precipitationBase = 500;
  deck.precipitationType = 1;
  deck.precipitationRate = 3;
  b.cloud = {deck};
  const TransitionTables to = Tables(b);
  Driver run;
  Begin(run, Tables(a), to);
  int switched = 0;
  run.Step();
  CloudLayer c = DecodeCloud(run.model.Current().table[kCloudTable].Bytes());
  EXPECT_EQ(c.cover, 1);  // starts at one eighth, fair, where the deck will be
  EXPECT_EQ(c.lowerAltitude, 1000);
  EXPECT_EQ(c.upperAltitude, 2000);
  EXPECT_EQ(c.cloudType, 9);
  EXPECT_EQ(c.turbulence + c.icing + c.precipitationType + c.precipitationRate + c.precipitationBase, 0);
  while (run.model.Running()) {
    run.Step();
    c = DecodeCloud(run.model.Current().table[kCloudTable].Bytes());
    if (!switched && c.precipitationRate == 3) {
      switched = run.steps;
      EXPECT_EQ(c.cover, 5);  // past half of the way from 1 to 8
    }
  }
  EXPECT_EQ(switched, 41);
  EXPECT_EQ(run.steps, 71);  // seven eighths, ten seconds each
  EXPECT_TRUE(Same(run.simulator, to));
}

TEST(TransitionWorkedExamples, ACloudDeckGoesAway) {
  Weather a, b;
  CloudLayer deck = Cloud(1000, 2000, 6, 9);
  deck.precipitationType = 2;
  deck.precipitationRate = 2;
  a.cloud = {deck};
  const TransitionTables to = Tables(b);
  Driver run;
  Begin(run, Tables(a), to);
  int lastCover = 6, emptyAt = 0, fairAt = 0;
  while (run.model.Running()) {
    run.Step();
    const TableBlock& clouds = run.model.Current().table[kCloudTable];
    if (clouds.Empty()) {
      emptyAt = run.steps;
      EXPECT_EQ(lastCover, 0);  // thinned to nothing before it went
      continue;
    }
    CloudLayer c = DecodeCloud(clouds.Bytes());
    EXPECT_LE(lastCover - int(c.cover), 1);
    lastCover = c.cover;
    if (!fairAt && c.precipitationType == 0) fairAt = run.steps;
  }
  EXPECT_EQ(fairAt, 21);   // at cover 3, half of the way (5 at step 1, 4 at 11, 3 at 21)
  EXPECT_EQ(emptyAt, 52);  // cover 0 at step 51, removed the step after
  EXPECT_EQ(run.steps, 52);
  EXPECT_TRUE(Same(run.simulator, to));
}

TEST(TransitionWorkedExamples, VisibilityQuarterMileToTenMilesAndBack) {
  for (bool up : {true, false}) {
    Weather a, b;
    a.visibility = {{{}, 3000, 0, uint16_t(up ? 25 : 1000)}};
    b.visibility = {{{}, 3000, 0, uint16_t(up ? 1000 : 25)}};
    const TransitionTables to = Tables(b);
    Driver run;
    Begin(run, Tables(a), to);
    int was = up ? 25 : 1000;
    while (run.model.Running()) {
      run.Step();
      const int r = DecodeVisibility(run.model.Current().table[kVisibilityTable].Bytes()).range;
      const int hi = std::max(r, was), lo = std::min(r, was);
      EXPECT_TRUE(hi - lo == 1 || hi * 100 <= lo * 105) << was << " -> " << r;
      was = r;
    }
    EXPECT_EQ(run.steps, 86) << up;
    EXPECT_TRUE(Same(run.simulator, to));
  }
}

TEST(TransitionWorkedExamples, UndoMidWayReturnsByTheSameRoad) {
  Weather a, b;
  a.pressure.assign(1, Qnh(15840));
  b.pressure.assign(1, Qnh(16400));
  a.wind = {Wind(2000, 10, 270)};
  b.wind = {Wind(2000, 35, 90)};
  a.cloud = {Cloud(1000, 2000, 6)};
  const TransitionTables from = Tables(a), to = Tables(b);
  Driver run;
  Begin(run, from, to);
  for (int i = 0; i < 100; ++i) run.Step();
  ASSERT_TRUE(run.model.Running());
  TransitionTables here;
  ASSERT_TRUE(CopyTransitionTables(run.model.Current(), here));
  ASSERT_TRUE(run.model.Start(here, from, TransitionRates()));  // undo: back to the weather before
  run.steps = 0;
  run.ToEnd();
  EXPECT_EQ(run.steps, 100);  // QNH 160 sixteenths back; the wind and the cloud need less
  EXPECT_TRUE(Same(run.simulator, from));
  EXPECT_TRUE(Same(run.model.Target(), from));
}

TEST(TransitionRules, NothingToDoSendsNothing) {
  Weather a;
  a.pressure.assign(1, Qnh(16211));
  a.wind = {Wind(2000, 10, 270)};
  WeatherTransition model;
  EXPECT_FALSE(model.Start(Tables(a), Tables(a), TransitionRates()));
  TransitionTables out;
  unsigned changed = 99;
  EXPECT_FALSE(model.NextStep(out, changed));
  EXPECT_EQ(changed, 0u);
  EXPECT_EQ(model.StepsLeft(), 0);
}

TEST(TransitionRules, OnlyTheTablesThatChangeAreSent) {
  Weather a, b;
  a.pressure.assign(1, Qnh(16211));
  b.pressure.assign(1, Qnh(16215));
  a.wind = b.wind = {Wind(2000, 10, 270)};
  Driver run;
  Begin(run, Tables(a), Tables(b));
  unsigned changed = 0;
  run.Step(&changed);
  EXPECT_EQ(changed, TransitionTableBit(kPressureTable));
  EXPECT_EQ(run.model.StepsLeft(), 2);
  run.ToEnd();
  EXPECT_EQ(run.steps, 3);
}

TEST(TransitionRules, TemperatureMovesOneDegreeEveryFiveSeconds) {
  Weather a, b;
  a.temperature = {{{}, 0, 15, 5, 10}};
  b.temperature = {{{}, 0, 12, 5, 7}};
  Driver run;
  Begin(run, Tables(a), Tables(b));
  std::vector<int> changedAt;
  int day = 15;
  while (run.model.Running()) {
    run.Step();
    TemperatureLayer t = DecodeTemperature(run.model.Current().table[kTemperatureTable].Bytes());
    if (t.dayTemperature != day) changedAt.push_back(run.steps);
    day = t.dayTemperature;
  }
  EXPECT_EQ(changedAt, (std::vector<int>{1, 6, 11}));
}

TEST(TransitionRules, AnEmptyPressureTableIsTheStandardPressure) {
  Weather a, b;
  a.pressure.assign(1, Qnh(16205));  // 6 sixteenths below 1013.2
  const TransitionTables to = Tables(b);
  Driver run;
  Begin(run, Tables(a), to);
  run.ToEnd();
  EXPECT_EQ(run.steps, 4);
  EXPECT_TRUE(run.simulator.table[kPressureTable].Empty());  // sent as the table cleared
}

TEST(TransitionRules, AWindLayerThatAppearsStartsFromTheWindInForceThere) {
  Weather a, b;
  a.wind = {Wind(3000, 20, 250)};
  b.wind = {Wind(1000, 20, 250), Wind(3000, 20, 250)};
  b.wind[0].speed = 5;
  Driver run;
  Begin(run, Tables(a), Tables(b));
  run.Step();
  ASSERT_EQ(Count(run.model.Current().table[kWindTable], kWindLayerSize), 2);
  WindLayer fresh = WindOf(run.model.Current(), 0);
  EXPECT_EQ(fresh.upperAltitude, 1000);
  EXPECT_EQ(fresh.speed, 20);
  run.ToEnd();
  EXPECT_EQ(run.steps, 16);  // shown at once, then 15 knots down
}

TEST(TransitionCommands, FinishNowHoldAndStop) {
  Weather a, b;
  a.pressure.assign(1, Qnh(15840));
  b.pressure.assign(1, Qnh(16400));
  a.cloud = {Cloud(1000, 2000, 6)};
  const TransitionTables from = Tables(a), to = Tables(b);
  {
    Driver run;
    Begin(run, from, to);
    run.Step();
    TransitionTables out;
    unsigned changed = 0;
    run.model.FinishNow(out, changed);
    EXPECT_EQ(changed, TransitionTableBit(kPressureTable) | TransitionTableBit(kCloudTable));
    EXPECT_TRUE(out.table[kCloudTable].Empty());
    EXPECT_EQ(PressureOf(out).qnh, 16400);
    EXPECT_FALSE(run.model.Running());
    EXPECT_TRUE(Same(run.model.Current(), to));
  }
  {
    Driver run;
    Begin(run, from, to);
    for (int i = 0; i < 20; ++i) run.Step();
    run.model.HoldHere();
    EXPECT_FALSE(run.model.Running());
    EXPECT_TRUE(Same(run.model.Target(), run.model.Current()));
    EXPECT_EQ(PressureOf(run.model.Target()).qnh, 15840 + 32);
    TransitionTables out;
    unsigned changed = 0;
    run.model.FinishNow(out, changed);  // nothing left to finish
    EXPECT_EQ(changed, 0u);
  }
  {
    Driver run;
    Begin(run, from, to);
    run.Step();
    run.model.Stop();  // the connection is lost
    EXPECT_FALSE(run.model.Running());
    EXPECT_EQ(PressureOf(run.model.Current()).qnh, 15841);
    EXPECT_TRUE(Same(run.model.Target(), to));
  }
}

TEST(TransitionBadInput, ATargetThatIsNotWholeRecordsIsRefused) {
  Weather a, b;
  a.pressure.assign(1, Qnh(15840));
  b.wind = {Wind(2000, 10, 270)};
  TransitionTables to = Tables(b);
  to.table[kWindTable] = TableBlock::Copy(to.table[kWindTable].Bytes(), kWindLayerSize - 2);
  WeatherTransition model;
  EXPECT_FALSE(TransitionTablesUsable(to));
  EXPECT_FALSE(model.Start(Tables(a), to, TransitionRates()));
  EXPECT_FALSE(model.Running());
  // Miscounted: the first record says two more follow.
  TransitionTables miscounted = Tables(b);
  PutU16(miscounted.table[kWindTable].Bytes() + 2, 2);
  EXPECT_FALSE(model.Start(Tables(a), miscounted, TransitionRates()));
}

TEST(TransitionBadInput, ATableInForceThatIsNotWholeRecordsCountsAsEmpty) {
  Weather a, b;
  a.cloud = {Cloud(1000, 2000, 6)};
  b.cloud = {Cloud(1000, 2000, 4)};
  TransitionTables from = Tables(a);
  from.table[kCloudTable] = TableBlock::Copy(from.table[kCloudTable].Bytes(), 20);
  const TransitionTables to = Tables(b);
  Driver run;
  Begin(run, from, to);
  run.Step();
  EXPECT_EQ(DecodeCloud(run.model.Current().table[kCloudTable].Bytes()).cover, 1);  // appears
  run.ToEnd();
  EXPECT_TRUE(Same(run.simulator, to));
}

TEST(TransitionBadInput, ValuesAtTheEndsOfTheirRanges) {
  struct Case {
    const char* what;
    int fromQnh, toQnh;
    int fromAltitude, toAltitude;
    int steps;
  };
  const Case cases[] = {
      {"QNH 0 to 65535: nonsense, taken at once", 0, 65535, 1000, 1000, 1},
      {"QNH 850 to 1100 mb", 13600, 17600, 1000, 1000, 2500},
      {"altitudes 0 to 65535 m", 16211, 16211, 0, 65535, 2185},
      {"altitudes 65535 to 0 m", 16211, 16211, 65535, 0, 2185},
  };
  for (const Case& c : cases) {
    Weather a, b;
    a.pressure.assign(1, Qnh(c.fromQnh));
    b.pressure.assign(1, Qnh(c.toQnh));
    a.wind = {Wind(c.fromAltitude, 10, 0)};
    b.wind = {Wind(c.toAltitude, 10, 0)};
    a.cloud = {Cloud(c.fromAltitude, c.fromAltitude, 3)};
    b.cloud = {Cloud(c.toAltitude, c.toAltitude, 3)};
    const TransitionTables to = Tables(b);
    Driver run;
    Begin(run, Tables(a), to);
    EXPECT_GE(run.model.StepsLeft(), c.steps - 1) << c.what;
    run.ToEnd();
    EXPECT_EQ(run.steps, c.steps) << c.what;
    EXPECT_TRUE(Same(run.simulator, to)) << c.what;
  }
}

// Every step whole and in altitude order; the count of steps bounded by the altitudes.
void ExpectOrderedSteps(Driver& run, int most) {
  while (run.model.Running() && run.steps <= most) {
    run.Step();
    for (int t : {kVisibilityTable, kTemperatureTable, kWindTable, kCloudTable}) {
      const TableBlock& b = run.model.Current().table[t];
      const size_t size = TableRecordSize(t);
      ASSERT_EQ(b.Size() % size, 0u);
      const int n = Count(b, size);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(GetU16(Record(b, size, i)), size);
        ASSERT_EQ(GetU16(Record(b, size, i) + 2), n - 1 - i);
        if (i > 0 && run.model.Running()) {
          ASSERT_LE(GetU16(Record(b, size, i - 1) + 4), GetU16(Record(b, size, i) + 4));
        }
      }
    }
  }
  EXPECT_FALSE(run.model.Running());
  EXPECT_LE(run.steps, most);
}

TEST(TransitionBadInput, AThousandLayersATable) {
  Weather a, b;
  for (int i = 0; i < 1000; ++i) {
    a.visibility.push_back({{}, uint16_t(i * 60 + 50), uint16_t(i * 60), uint16_t(100 + i)});
    b.visibility.push_back({{}, uint16_t(i * 65 + 40), uint16_t(i * 65), uint16_t(1000 - i)});
    a.temperature.push_back({{}, uint16_t(i * 60), int16_t(15 - i / 20), 3, int16_t(5 - i / 20)});
    b.temperature.push_back({{}, uint16_t(i * 61), int16_t(10 - i / 20), 3, int16_t(2 - i / 20)});
    a.wind.push_back(Wind(i * 60, i % 80, i * 7));
    b.wind.push_back(Wind(i * 63 + 10, (i + 20) % 80, i * 7 + 180));
    if (i % 2) a.cloud.push_back(Cloud(i * 60, i * 60 + 40, i % 9));
    if (i % 3) b.cloud.push_back(Cloud(i * 62 + 20, i * 62 + 50, (i + 4) % 9, i % 11));
  }
  a.pressure.assign(1, Qnh(16000));
  b.pressure.assign(1, Qnh(16300));
  const TransitionTables to = Tables(b);
  Driver run;
  Begin(run, Tables(a), to);
  ExpectOrderedSteps(run, 2200);  // 65 m apart at the top: about 65,000 m - 60,000 m at 30 m/s
  EXPECT_TRUE(Same(run.simulator, to));
}

TEST(TransitionBadInput, ATargetThatChangesEverySecond) {
  Weather w[3];
  for (int k = 0; k < 3; ++k) {
    w[k].pressure.assign(1, Qnh(15900 + 200 * k));
    w[k].wind = {Wind(1000 + 500 * k, 10 + 10 * k, 120 * k), Wind(5000, 40, 300 - 90 * k)};
    w[k].cloud = {Cloud(500 + 900 * k, 900 + 900 * k, 2 + 3 * k)};
    if (k == 1) w[k].cloud.push_back(Cloud(6000, 7000, 8, 10));
  }
  const TransitionTables tables[3] = {Tables(w[0]), Tables(w[1]), Tables(w[2])};
  Driver run;
  Begin(run, tables[0], tables[1]);
  for (int second = 0; second < 120; ++second) {
    run.Step();
    TransitionTables here;
    ASSERT_TRUE(CopyTransitionTables(run.model.Current(), here));
    run.model.Start(here, tables[second % 3], TransitionRates());
  }
  run.steps = 0;
  ExpectOrderedSteps(run, 1000);
  EXPECT_TRUE(Same(run.simulator, run.model.Target()));
}

TEST(TransitionBadInput, NoMemoryAtAnyPointEndsQuietly) {
  Weather a, b;
  a.pressure.assign(1, Qnh(15840));
  b.pressure.assign(1, Qnh(16400));
  a.cloud = {Cloud(1000, 2000, 6), Cloud(3000, 3500, 2)};
  b.cloud = {Cloud(1500, 2500, 8)};
  b.wind = {Wind(2000, 35, 90)};
  const TransitionTables from = Tables(a), to = Tables(b);
  for (unsigned long n = 1; n < 40; ++n) {
    Driver run;
    ASSERT_TRUE(CopyTransitionTables(from, run.simulator));
    FailAllocationsFrom(n);
    const bool started = run.model.Start(from, to, TransitionRates());
    TransitionTables out;
    unsigned changed = 0;
    while (started && run.model.Running() && run.steps < 400) {
      if (!run.model.NextStep(out, changed)) break;
      ++run.steps;
    }
    FailAllocationsFrom(0);
    EXPECT_FALSE(run.model.Running()) << n;
    for (int t = kFirstTable; t <= kCloudTable; ++t)
      EXPECT_EQ(run.model.Current().table[t].Size() % TableRecordSize(t), 0u) << n;
  }
}

}  // namespace
