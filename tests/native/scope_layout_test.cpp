#include "traffic/scope_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace sc = scope_colours;
const TextSize kText{7, 14};

ScopeTarget Target(int slot, double bearing, double distance, const char* id = "AB123",
                   double heightDiff = 5, int heading = 0, int vs = 0) {
  ScopeTarget t;
  t.slot = slot;
  std::strncpy(t.identifier, id, sizeof t.identifier - 1);
  t.bearing = bearing;
  t.distance = distance;
  t.heightDiff = heightDiff;
  t.heading = heading;
  t.verticalSpeed = vs;
  return t;
}

bool HasText(const Picture& p, const std::string& text) {
  return std::any_of(p.items.begin(), p.items.end(), [&](const PictureItem& i) {
    return i.kind == ItemKind::kText && text == i.text;
  });
}

// Colour of the last filled box covering the point: what a painter leaves there.
bool FilledAt(const Picture& p, int x, int y, Colour* colour) {
  bool found = false;
  for (const PictureItem& i : p.items)
    if (i.kind == ItemKind::kFill && x >= i.x0 && x < i.x1 && y >= i.y0 && y < i.y1) {
      *colour = i.colour;
      found = true;
    }
  return found;
}

// 600 x 500: the centre at (300, 250), the outer ring 250 - (2 * 14 + 4) = 218 pixels out.
TEST(ScopeLayout, TargetsLandAtBearingAndDistance) {
  struct Case {
    double bearing, distance;
    int x, y;
  } cases[] = {
      {90, 10, 300 + 109, 250},   // on the right, half way out
      {0, 20, 300, 250 - 218},    // north, on the outer ring
      {180, 5, 300, 250 + 55},    // south, a quarter
      {270, 15, 300 - 164, 250},  // west, three quarters (163.5 rounds away)
      {45, 20, 300 + 154, 250 - 154},
  };
  for (const Case& c : cases) {
    const ScopeLayout l =
        LayoutScope({Target(7, c.bearing, c.distance)}, kDefaultScopeRange, 0, -1, 600, 500, kText);
    ASSERT_EQ(l.marks.size(), 1u);
    EXPECT_EQ(l.centreX, 300);
    EXPECT_EQ(l.radius, 218);
    EXPECT_TRUE(l.marks[0].inRange);
    EXPECT_EQ(l.marks[0].x, c.x) << c.bearing;
    EXPECT_EQ(l.marks[0].y, c.y) << c.bearing;
    Colour at;
    ASSERT_TRUE(FilledAt(l.picture, c.x, c.y, &at));
    EXPECT_EQ(at, sc::kTarget);
    EXPECT_EQ(ScopeHitTest(l, c.x + 3, c.y - 2), 7);
    EXPECT_EQ(ScopeHitTest(l, c.x + 20, c.y), -1);
  }
}

TEST(ScopeLayout, BeyondTheRangeIsAMarkOnTheOuterRing) {
  const ScopeLayout l = LayoutScope({Target(3, 90, 35), Target(4, 0, 20.001)}, kDefaultScopeRange,
                                    0, -1, 600, 500, kText);
  for (const ScopeMark& m : l.marks) EXPECT_FALSE(m.inRange);
  EXPECT_EQ(l.marks[0].x, 300 + 218);
  EXPECT_EQ(l.marks[0].y, 250);
  EXPECT_FALSE(l.marks[0].labelled);
  Colour at;
  EXPECT_FALSE(FilledAt(l.picture, 300 + 109, 250, &at)) << "nothing where nothing should be";
  const auto wedges =
      std::count_if(l.picture.items.begin(), l.picture.items.end(),
                    [](const PictureItem& i) { return i.kind == ItemKind::kTriangle; });
  EXPECT_EQ(wedges, 2);
  // On a 40 nm scope the same target is inside.
  EXPECT_TRUE(LayoutScope({Target(3, 90, 35)}, 4, 0, -1, 600, 500, kText).marks[0].inRange);
}

TEST(ScopeLayout, RingsRangeAndVariation) {
  const ScopeLayout l = LayoutScope({}, kDefaultScopeRange, -546, -1, 600, 500, kText);
  const auto rings =
      std::count_if(l.picture.items.begin(), l.picture.items.end(),
                    [](const PictureItem& i) { return i.kind == ItemKind::kEllipse; });
  EXPECT_EQ(rings, 4);
  for (const char* label : {"5", "10", "15", "20", "20 nm", "MN", "VAR 3.0W"})
    EXPECT_TRUE(HasText(l.picture, label)) << label;
  EXPECT_TRUE(HasText(LayoutScope({}, 0, 0, -1, 600, 500, kText).picture, "2.5"));
  EXPECT_TRUE(HasText(LayoutScope({}, 0, 0, -1, 600, 500, kText).picture, "0.5"));
  EXPECT_TRUE(HasText(LayoutScope({}, 6, 1092, -1, 600, 500, kText).picture, "VAR 6.0E"));
}

TEST(ScopeLayout, RangeSteps) {
  EXPECT_EQ(ScopeRange(kDefaultScopeRange), 20);
  EXPECT_EQ(ScopeRange(0), 2.5);
  EXPECT_EQ(ScopeRange(99), 160);
  EXPECT_EQ(StepScopeRange(kDefaultScopeRange, 1), 4);
  EXPECT_EQ(StepScopeRange(0, -1), 0);
  EXPECT_EQ(StepScopeRange(6, 1), 6);
  EXPECT_EQ(StepScopeRange(6, -10), 0);
}

TEST(ScopeLayout, HeightTexts) {
  struct Case {
    double hundreds;
    const char* text;
  } cases[] = {{5, "+05"},    {-12, "-12"},    {0.4, "+00"},   {-0.3, "-00"},
               {-1.6, "-02"}, {123.4, "+123"}, {1e12, "+999"}, {-1e12, "-999"}};
  for (const Case& c : cases) {
    char out[8];
    FormatScopeHeight(c.hundreds, out, sizeof out);
    EXPECT_STREQ(out, c.text) << c.hundreds;
  }
}

TEST(ScopeLayout, LabelsLeadersAndClimbArrows) {
  const ScopeLayout l = LayoutScope(
      {Target(1, 90, 10, "CLIMBER", 5, 90, 800), Target(2, 270, 10, "LEVEL", -12, 0, 499),
       Target(3, 0, 10, "DIVER", -3, 180, -500)},
      kDefaultScopeRange, 0, -1, 600, 500, kText);
  for (const char* text : {"CLIMBER", "+05", "LEVEL", "-12", "DIVER", "-03"})
    EXPECT_TRUE(HasText(l.picture, text)) << text;
  const auto arrows =
      std::count_if(l.picture.items.begin(), l.picture.items.end(),
                    [](const PictureItem& i) { return i.kind == ItemKind::kTriangle; });
  EXPECT_EQ(arrows, 2) << "500 ft/min and more, either way";
  // The climber's leader runs east from its symbol.
  const bool leader =
      std::any_of(l.picture.items.begin(), l.picture.items.end(), [&](const PictureItem& i) {
        return i.kind == ItemKind::kLine && i.x0 == l.marks[0].x && i.y0 == l.marks[0].y &&
               i.x1 == l.marks[0].x + 18 && i.y1 == l.marks[0].y;
      });
  EXPECT_TRUE(leader);
}

// Twenty aircraft bunched within a mile: labels never overlap each other or any symbol.
TEST(ScopeLayout, CloseTargetsLabelsDoNotOverlap) {
  std::vector<ScopeTarget> targets;
  for (int i = 0; i < 20; ++i) targets.push_back(Target(i, 40 + i % 5, 10 + 0.1 * i, "TRAFFIC"));
  const ScopeLayout l = LayoutScope(targets, kDefaultScopeRange, 0, 17, 600, 500, kText);
  std::vector<Box> labels, symbols;
  for (const ScopeMark& m : l.marks) {
    symbols.push_back({m.x - 3, m.y - 3, m.x + 4, m.y + 4});
    if (m.labelled) labels.push_back(m.label);
  }
  ASSERT_GE(labels.size(), 3u);
  EXPECT_TRUE(l.marks[17].labelled) << "the selected target always gets its label";
  for (size_t a = 0; a < labels.size(); ++a) {
    for (size_t b = a + 1; b < labels.size(); ++b) EXPECT_FALSE(labels[a].Overlaps(labels[b]));
    for (const Box& s : symbols) EXPECT_FALSE(labels[a].Overlaps(s));
  }
}

TEST(ScopeLayout, SelectedTargetIsHighlighted) {
  const ScopeLayout l = LayoutScope({Target(5, 90, 10), Target(6, 180, 10)}, kDefaultScopeRange, 0,
                                    6, 600, 500, kText);
  Colour at;
  ASSERT_TRUE(FilledAt(l.picture, l.marks[1].x, l.marks[1].y, &at));
  EXPECT_EQ(at, sc::kSelected);
  ASSERT_TRUE(FilledAt(l.picture, l.marks[0].x, l.marks[0].y, &at));
  EXPECT_EQ(at, sc::kTarget);
}

TEST(ScopeLayout, TooSmallAndBadNumbers) {
  for (auto size : {std::pair<int, int>{120, 500}, {600, 80}, {0, 0}, {-3, 7}}) {
    const ScopeLayout l = LayoutScope({Target(1, 90, 1)}, 3, 0, -1, size.first, size.second, kText);
    EXPECT_TRUE(l.tooSmall);
    EXPECT_TRUE(l.marks.empty());
    EXPECT_EQ(ScopeHitTest(l, 0, 0), -1);
  }
  const ScopeLayout l = LayoutScope(
      {Target(1, std::nan(""), 1), Target(2, 90, std::nan("")), Target(3, 1e300, 1e300)}, 3, 0, -1,
      600, 500, kText);
  for (const ScopeMark& m : l.marks) {
    EXPECT_FALSE(m.inRange);
    EXPECT_LE(std::abs(m.x - 300), 219);
  }
}

void PutF32(uint8_t* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(p, bits);
}

// Own aircraft at 45N 0E, 0 m, variation 3 degrees west; slot 0 north of it, slot 1 empty,
// slot 2 to the east.
TEST(ScopeTargets, OccupiedSlotsWithTheListsArithmetic) {
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  WriteTrafficRequest(block.data());
  PutU16(&block[kVariationDataPos], uint16_t(int16_t(-546)));
  PutU32(&block[kOwnPositionDataPos + 4], 5000875);  // 45 degrees
  uint8_t* table = &block[kTrafficTableDataPos];
  PutU16(table, 40);
  PutU16(table + 2, 3);
  auto slot = [&](int n, uint32_t id, float lat, float lon, float alt, uint16_t heading,
                  int16_t vs, const char* ident) {
    uint8_t* r = table + kTrafficRecordsPos + 40 * n;
    PutU32(r, id);
    PutF32(r + 4, lat);
    PutF32(r + 8, lon);
    PutF32(r + 12, alt);
    PutU16(r + 16, heading);
    PutU16(r + 20, uint16_t(vs));
    std::memcpy(r + 22, ident, std::strlen(ident));
  };
  slot(0, 7, 45.1f, 0.0f, 1200.0f, 16384, -700, "NORTH");
  slot(2, 9, 45.0f, 0.2f, -300.0f, 0, 900, "EAST16CHARACTERS");
  TrafficTable traffic;
  traffic.TakeReplies(block.data());
  const std::vector<ScopeTarget> targets = ScopeTargetsFrom(traffic);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_EQ(targets[0].slot, 0);
  EXPECT_STREQ(targets[0].identifier, "NORTH");
  EXPECT_NEAR(targets[0].distance, 6.0, 0.01);
  EXPECT_NEAR(targets[0].bearing, 3.0, 0.01);  // due north, 3 degrees west variation
  EXPECT_NEAR(targets[0].heightDiff, 12.0, 1e-9);
  EXPECT_EQ(targets[0].heading, 92);  // (16384 + 546) * 360 / 65536 truncates, as in the list
  EXPECT_EQ(targets[0].verticalSpeed, -700);
  EXPECT_EQ(targets[1].slot, 2);
  EXPECT_STREQ(targets[1].identifier, "EAST16CHARACTERS");
  EXPECT_NEAR(targets[1].bearing, 93.0, 0.01);
  EXPECT_EQ(targets[1].verticalSpeed, 900);
  // The table handed in is a copy: the caller's sort keys are not touched.
  EXPECT_EQ(traffic.SortKeys().distance[0], 0.0);
}

}  // namespace
