// What Palvio shows of the advisories: filters, settings values, list cells, the caption, and
// the scope's class symbols, half symbols, filter and 3 nm range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "traffic/advisory_display.h"
#include "traffic/scope_layout.h"

namespace {

namespace sc = scope_colours;
const TextSize kText{7, 14};
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(AdvisoryDisplay, FilterBands) {
  struct Case {
    AltitudeFilter filter;
    double feet;
    ThreatLevel level;
    bool shown;
  } cases[] = {
      {kFilterNorm, 2700, kThreatOther, true},      {kFilterNorm, 2701, kThreatOther, false},
      {kFilterNorm, -2700, kThreatProximate, true}, {kFilterNorm, -2701, kThreatOther, false},
      {kFilterAbove, 9000, kThreatOther, true},     {kFilterAbove, 9001, kThreatOther, false},
      {kFilterAbove, -2701, kThreatOther, false},   {kFilterBelow, -9000, kThreatOther, true},
      {kFilterBelow, 2701, kThreatOther, false},    {kFilterBelow, -9001, kThreatOther, false},
      {kFilterAll, 60000, kThreatOther, true},      {kFilterAll, kNaN, kThreatNone, true},
      {kFilterNorm, kNaN, kThreatOther, false},
      // Advisory targets always show.
      {kFilterNorm, 20000, kThreatTraffic, true},   {kFilterAbove, -30000, kThreatResolution, true},
      {kFilterNorm, kNaN, kThreatTraffic, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FilterShows(c.filter, c.feet, c.level), c.shown)
        << FilterName(c.filter) << " " << c.feet << " " << c.level;
}

TEST(AdvisoryDisplay, SettingsValuesReadBackAndAnythingElseIsTheDefault) {
  for (int f = 0; f < kFilterCount; ++f)
    EXPECT_EQ(ParseFilter(FilterName(AltitudeFilter(f))), AltitudeFilter(f));
  EXPECT_EQ(ParseFilter("above"), kFilterAbove);
  EXPECT_EQ(ParseFilter("3"), kFilterAll);
  for (const char* bad : {"", "4", "-1", "NORMAL", "ALLX", "33"})
    EXPECT_EQ(ParseFilter(bad), kFilterNorm) << bad;
  EXPECT_EQ(ParseFilter(nullptr), kFilterNorm);
  EXPECT_EQ(std::string(FilterName(AltitudeFilter(9))), "NORM");
  EXPECT_TRUE(ParseSwitch("1"));
  for (const char* off : {"", "0", "11", "yes", " 1"}) EXPECT_FALSE(ParseSwitch(off)) << off;
  EXPECT_FALSE(ParseSwitch(nullptr));
  const AdvisoryChoices defaults;
  EXPECT_FALSE(defaults.on);
  EXPECT_FALSE(defaults.mute);
  EXPECT_EQ(defaults.filter, kFilterNorm);
}

TEST(AdvisoryDisplay, ListCells) {
  struct Case {
    bool tracked;
    ThreatLevel level;
    double closestRange, closestTime;
    const char *cls, *range, *time;
  } cases[] = {
      {true, kThreatTraffic, 0.04, 41.1, "TA", "0.0 nm", "41 s"},
      {true, kThreatResolution, 0.55, 25.5, "RA-level", "0.6 nm", "26 s"},
      {true, kThreatProximate, 0.5, -1, "Proximate", "", ""},
      {true, kThreatOther, kNaN, 10, "Other", "", ""},
      {true, kThreatOther, 3, std::numeric_limits<double>::infinity(), "Other", "", ""},
      {true, kThreatOther, 1e9, 1e9, "Other", "9999.0 nm", "99999 s"},
      {false, kThreatTraffic, 1, 1, "", "", ""},
      {true, kThreatNone, 1, 1, "", "", ""},
  };
  for (const Case& c : cases) {
    TargetAdvisory t;
    t.tracked = c.tracked;
    t.level = c.level;
    t.closestRange = c.closestRange;
    t.closestTime = c.closestTime;
    AdvisoryCells cells;
    FormatAdvisoryCells(t, cells);
    EXPECT_STREQ(cells.cell[0], c.cls);
    EXPECT_STREQ(cells.cell[1], c.range);
    EXPECT_STREQ(cells.cell[2], c.time);
  }
}

TEST(AdvisoryDisplay, CaptionAndAltitudeTag) {
  struct Case {
    double bearing, hundreds;
    const char* caption;
  } cases[] = {
      {93.2, 0.0, "TRAFFIC 093 00"},   {45, 2.4, "TRAFFIC 045 +02"},
      {359.6, -0.99, "TRAFFIC 360 00"}, {0.2, -1.0, "TRAFFIC 000 -01"},
      {-10, 12.6, "TRAFFIC 350 +13"},  {720.4, -99999, "TRAFFIC 000 -999"},
      {kNaN, kNaN, "TRAFFIC 000 --"},
  };
  for (const Case& c : cases) {
    char text[32];
    FormatTrafficAlert(c.bearing, c.hundreds, text, sizeof text);
    EXPECT_STREQ(text, c.caption);
  }
  char small[6];
  FormatTrafficAlert(45, 2, small, sizeof small);  // cut, never overrun
  EXPECT_STREQ(small, "TRAFF");
}

ScopeTarget Target(int slot, double bearing, double distance, ThreatLevel level,
                   double heightDiff = 5) {
  ScopeTarget t;
  t.slot = slot;
  std::strncpy(t.identifier, "AB123", sizeof t.identifier - 1);
  t.bearing = bearing;
  t.distance = distance;
  t.heightDiff = heightDiff;
  t.level = level;
  return t;
}

int Count(const Picture& p, ItemKind kind, Colour c) {
  return int(std::count_if(p.items.begin(), p.items.end(), [&](const PictureItem& i) {
    return i.kind == kind && i.colour == c;
  }));
}

ScopeView On(double range = 20, AltitudeFilter filter = kFilterNorm) {
  ScopeView v;
  v.rangeNm = range;
  v.advisories = true;
  v.filter = filter;
  return v;
}

TEST(ScopeAdvisories, SymbolsByClass) {
  // 600 x 500: centre (300, 250), outer ring 218 pixels out.
  const ScopeLayout l = LayoutScopeView(
      {Target(1, 90, 10, kThreatOther), Target(2, 180, 10, kThreatProximate),
       Target(3, 270, 10, kThreatTraffic), Target(4, 0, 10, kThreatResolution)},
      On(), 0, -1, 600, 500, kText);
  const Picture& p = l.picture;
  EXPECT_EQ(Count(p, ItemKind::kDisc, sc::kTrafficAdvisory), 1);
  EXPECT_EQ(Count(p, ItemKind::kFill, sc::kResolution), 1);
  EXPECT_EQ(Count(p, ItemKind::kFilledDiamond, sc::kTarget), 1);
  EXPECT_EQ(Count(p, ItemKind::kDiamond, sc::kTarget), 1);
  for (const PictureItem& i : p.items) {
    if (i.kind == ItemKind::kDiamond) {  // the open one, east at 10 of 20 nm
      EXPECT_EQ((i.x0 + i.x1) / 2, 300 + 109);
      EXPECT_EQ((i.y0 + i.y1) / 2, 250);
    }
    if (i.kind == ItemKind::kFilledDiamond) {  // south
      EXPECT_EQ((i.x0 + i.x1) / 2, 300);
      EXPECT_EQ((i.y0 + i.y1) / 2, 250 + 109);
    }
    if (i.kind == ItemKind::kDisc) {
      EXPECT_EQ((i.x0 + i.x1) / 2, 300 - 109);
      EXPECT_EQ((i.y0 + i.y1) / 2, 250);
    }
    if (i.kind == ItemKind::kFill && i.colour == sc::kResolution) {
      EXPECT_TRUE(i.x0 < 300 && i.x1 > 300 && i.y0 < 250 - 109 && i.y1 > 250 - 109);
    }
  }
  // The tags: co-altitude within 100 ft is "00"; labels take the class colour.
  const ScopeLayout tags = LayoutScopeView({Target(3, 90, 10, kThreatTraffic, -0.8)}, On(), 0, -1,
                                           600, 500, kText);
  bool found = false;
  for (const PictureItem& i : tags.picture.items)
    found = found || (i.kind == ItemKind::kText && std::string(i.text) == "00" &&
                      i.colour == sc::kTrafficAdvisory);
  EXPECT_TRUE(found);
}

TEST(ScopeAdvisories, BeyondTheRangeHalfSymbolsOnlyForAdvisories) {
  const ScopeLayout l = LayoutScopeView(
      {Target(1, 90, 30, kThreatTraffic), Target(2, 180, 30, kThreatResolution),
       Target(3, 0, 30, kThreatProximate)},
      On(20), 0, -1, 600, 500, kText);
  // Every triangle of the two half symbols lies inside the ring near its bearing point.
  int amber = 0, red = 0;
  for (const PictureItem& i : l.picture.items) {
    if (i.kind != ItemKind::kTriangle) continue;
    if (i.colour == sc::kTrafficAdvisory) {
      ++amber;
      for (int x : {i.x0, i.x1, i.x2}) EXPECT_TRUE(x >= 300 + 218 - 7 && x <= 300 + 218 + 1);
    }
    if (i.colour == sc::kResolution) {
      ++red;
      for (int y : {i.y0, i.y1, i.y2}) EXPECT_TRUE(y >= 250 + 218 - 7 && y <= 250 + 218 + 1);
    }
  }
  EXPECT_GT(amber, 0);
  EXPECT_EQ(red, 2);
  // The proximate one keeps the plain wedge, pointing outwards beyond the ring.
  EXPECT_EQ(Count(l.picture, ItemKind::kTriangle, sc::kOffRange), 1);
}

TEST(ScopeAdvisories, FilterLeavesOutOthersButNeverAnAdvisory) {
  const std::vector<ScopeTarget> targets = {Target(1, 90, 10, kThreatOther, 40),
                                            Target(2, 180, 10, kThreatTraffic, 40),
                                            Target(3, 0, 10, kThreatOther, -50)};
  const ScopeLayout norm = LayoutScopeView(targets, On(), 0, -1, 600, 500, kText);
  EXPECT_FALSE(norm.marks[0].shown);
  EXPECT_TRUE(norm.marks[1].shown);
  EXPECT_FALSE(norm.marks[2].shown);
  EXPECT_EQ(ScopeHitTest(norm, norm.marks[0].x, norm.marks[0].y), -1);
  EXPECT_EQ(ScopeHitTest(norm, norm.marks[1].x, norm.marks[1].y), 2);
  const ScopeLayout above = LayoutScopeView(targets, On(20, kFilterAbove), 0, -1, 600, 500, kText);
  EXPECT_TRUE(above.marks[0].shown);
  EXPECT_FALSE(above.marks[2].shown);
  const ScopeLayout below = LayoutScopeView(targets, On(20, kFilterBelow), 0, -1, 600, 500, kText);
  EXPECT_FALSE(below.marks[0].shown);
  EXPECT_TRUE(below.marks[2].shown);
  // Off, the filter does nothing and the picture is the plain scope's.
  ScopeView off = On();
  off.advisories = false;
  const ScopeLayout plain = LayoutScopeView(targets, off, 0, -1, 600, 500, kText);
  const ScopeLayout today = LayoutScope(targets, kDefaultScopeRange, 0, -1, 600, 500, kText);
  EXPECT_TRUE(plain.marks[0].shown && plain.marks[2].shown);
  ASSERT_EQ(plain.picture.items.size(), today.picture.items.size());
  for (size_t i = 0; i < today.picture.items.size(); ++i) {
    EXPECT_EQ(int(plain.picture.items[i].kind), int(today.picture.items[i].kind));
    EXPECT_EQ(plain.picture.items[i].colour, today.picture.items[i].colour);
    EXPECT_STREQ(plain.picture.items[i].text, today.picture.items[i].text);
  }
}

TEST(ScopeAdvisories, ThreeMilesOnlyWithAdvisories) {
  EXPECT_EQ(StepScopeRangeNm(5, -1, true), 3);
  EXPECT_EQ(StepScopeRangeNm(3, -1, true), 2.5);
  EXPECT_EQ(StepScopeRangeNm(2.5, 1, true), 3);
  EXPECT_EQ(StepScopeRangeNm(5, -1, false), 2.5);
  EXPECT_EQ(StepScopeRangeNm(2.5, 1, false), 5);
  EXPECT_EQ(StepScopeRangeNm(3, 0, false), 5);  // switched off at 3 nm
  EXPECT_EQ(StepScopeRangeNm(20, 1, true), 40);
  EXPECT_EQ(StepScopeRangeNm(160, 5, true), 160);
  EXPECT_EQ(StepScopeRangeNm(2.5, -3, false), 2.5);
  EXPECT_EQ(StepScopeRangeNm(1e9, 0, true), 160);
  EXPECT_EQ(StepScopeRangeNm(kNaN, 0, true), 160);
  const ScopeLayout l = LayoutScopeView({}, On(3), 0, -1, 600, 500, kText);
  EXPECT_EQ(l.rangeNm, 3);
  int rings = 0;
  for (const PictureItem& i : l.picture.items) rings += i.kind == ItemKind::kEllipse;
  EXPECT_EQ(rings, 3);  // 1, 2 and 3 nm
  EXPECT_EQ(LayoutScopeView({}, On(kNaN), 0, -1, 600, 500, kText).rangeNm, 20);
}

}  // namespace
