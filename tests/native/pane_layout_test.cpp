#include "weather/pane_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(PaneLayoutTest, ThousandthsOfTheClientArea) {
  struct Case {
    int pane, width, height;
    PaneRect rect;
  } cases[] = {
      {4, 1000, 1000, {0, 667, 1000, 333}},
      {1, 1000, 1000, {0, 0, 444, 91}},
      {5, 1000, 1000, {444, 447, 556, 220}},
      {3, 889, 536, {394, 0, 494, 239}},  // truncated: 444 * 889 / 1000 = 394.7
      {0, 889, 536, {0, 48, 394, 90}},
      {2, 0, 0, {0, 0, 0, 0}},
      {4, 2000000000, 2000000000, {0, 1334000000, 2000000000, 666000000}},
      {6, 1000, 1000, {0, 0, 0, 0}},
      {-1, 1000, 1000, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    PaneRect r = PaneRectangle(c.pane, c.width, c.height);
    EXPECT_EQ(r.left, c.rect.left) << c.pane << " " << c.width;
    EXPECT_EQ(r.top, c.rect.top) << c.pane << " " << c.width;
    EXPECT_EQ(r.width, c.rect.width) << c.pane << " " << c.width;
    EXPECT_EQ(r.height, c.rect.height) << c.pane << " " << c.width;
  }
}

TEST(PaneLayoutTest, PanesTileTheClientArea) {
  const int w = 1000, h = 1000;
  long long area = 0;
  for (int p = 0; p < 6; ++p) {
    PaneRect r = PaneRectangle(p, w, h);
    area += 1LL * r.width * r.height;
  }
  EXPECT_EQ(area, 1LL * w * h);
}

}  // namespace
