// Pairing the layers of two weathers, and the single-field moves.
#include <gtest/gtest.h>

#include <vector>

#include "weather/transition/transition_layers.h"

namespace {

using transition::Band;

struct PairCase {
  const char* what;
  std::vector<Band> a, b;  // sorted by upper altitude
  std::vector<int> pair;
};

TEST(TransitionPairing, OverlapFirstThenNearestInOrder) {
  const PairCase cases[] = {
      {"overlaps pair in order", {{100, 200}, {500, 600}}, {{150, 250}, {550, 700}}, {0, 1}},
      {"no overlap: the nearest", {{1000, 1500}}, {{300, 900}, {2500, 3000}}, {0}},
      {"more layers to come", {{1000, 1100}}, {{0, 50}, {1000, 1200}, {5000, 5100}}, {1}},
      {"more layers to go", {{0, 50}, {2000, 2100}, {6000, 6100}}, {{5800, 5900}}, {-1, -1, 0}},
      {"an overlap is not given up for a nearer pair", {{0, 100}, {200, 300}}, {{250, 260}}, {-1, 0}},
      {"gaps paired around an overlap", {{0, 100}, {1000, 1100}}, {{500, 510}, {1050, 1060}}, {0, 1}},
      {"point layers: equal altitudes", {{1000, 1000}, {3000, 3000}}, {{3000, 3000}}, {-1, 0}},
      {"equal counts in a gap keep their order", {{0, 0}, {10, 10}}, {{5000, 5000}, {6000, 6000}}, {0, 1}},
      {"the nearest of many", {{0, 0}, {100, 100}, {200, 200}, {300, 300}}, {{190, 190}}, {-1, -1, 0, -1}},
      {"nothing to pair with", {{0, 0}}, {}, {-1}},
  };
  for (const PairCase& c : cases) {
    std::vector<int> pair(c.a.size(), 7);
    ASSERT_TRUE(transition::PairBands(c.a.data(), int(c.a.size()), c.b.data(), int(c.b.size()), pair.data()));
    EXPECT_EQ(pair, c.pair) << c.what;
  }
}

TEST(TransitionPairing, PairsNeverCross) {
  // A thousand layers against 700 others in one gap: in order, every one of the 700 paired.
  std::vector<Band> a, b;
  for (int i = 0; i < 1000; ++i) a.push_back({i * 10, i * 10 + 5});
  for (int i = 0; i < 700; ++i) b.push_back({20000 + i * 7, 20000 + i * 7 + 3});
  std::vector<int> pair(a.size());
  ASSERT_TRUE(transition::PairBands(a.data(), 1000, b.data(), 700, pair.data()));
  int last = -1, paired = 0;
  for (int p : pair) {
    if (p < 0) continue;
    EXPECT_GT(p, last);
    last = p;
    ++paired;
  }
  EXPECT_EQ(paired, 700);
  EXPECT_EQ(pair[999], 699);  // the highest layers pair: they lie nearest
}

TEST(TransitionFields, OneStepOfEachKind) {
  TransitionRates rates;
  const transition::StepRates due = transition::RatesForStep(rates, 0);
  const transition::StepRates waiting = transition::RatesForStep(rates, 3);
  using transition::Move;
  struct Case {
    Move move;
    int32_t now, to, expected;
    bool onDueStep;
  };
  const Case cases[] = {
      {Move::LayerAltitude, 1000, 0, 970, true},
      {Move::CloudAltitude, 0, 10, 10, true},
      {Move::Direction, 0, 0x8000, 364, true},           // exactly half a circle: clockwise
      {Move::Direction, 0, 0x8001, 0x10000 - 364, true},  // just past: the other way
      {Move::Direction, 0xFF00, 0x0010, 0x0010, true},     // through north, 272 units
      {Move::Speed, 10, 35, 11, true},
      {Move::Level, 4, 0, 3, true},
      {Move::Temperature, 15, 10, 14, true},
      {Move::Temperature, 15, 10, 15, false},  // not its second
      {Move::Cover, 2, 8, 3, true},
      {Move::Cover, 2, 8, 2, false},
      {Move::Cover, 200, 8, 8, false},  // nonsense: taken at once
      {Move::Qnh, 16000, 16400, 16001, true},
      {Move::Qnh, 0, 65535, 65535, true},
      {Move::Range, 0, 1000, 1, true},
      {Move::Range, 1000, 0, 953, true},  // 1000 / 1.05 rounded up: never more than 5%
      {Move::Range, 400, 1000, 420, true},
      {Move::Switch, 3, 9, 3, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(transition::MoveField(c.move, c.now, c.to, c.onDueStep ? due : waiting), c.expected)
        << int(c.move) << " " << c.now << " -> " << c.to;
}

TEST(TransitionFields, PressureAllowanceAddsUpOverAnyTenSteps) {
  for (int rate : {1, 16, 25, 160}) {
    for (uint32_t start : {0u, 7u, 123456u, 0xFFFFFFF0u}) {
      int64_t sum = 0;
      for (uint32_t k = 0; k < 10; ++k) sum += transition::PressureAllowance(rate, start + k);
      EXPECT_EQ(sum, rate) << rate << " from " << start;
    }
  }
}

}  // namespace
