#include "common/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

struct SpreadCase {
  const char* name;
  std::vector<int> wanted;
  int height, low, high;
  std::vector<int> expected;
};

class SpreadLabelsTest : public ::testing::TestWithParam<SpreadCase> {};

TEST_P(SpreadLabelsTest, PlacesWithoutOverlap) {
  const SpreadCase& c = GetParam();
  EXPECT_EQ(SpreadLabels(c.wanted, c.height, c.low, c.high), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpreadLabelsTest,
    ::testing::Values(
        SpreadCase{"apart_stay", {50, 100}, 10, 0, 200, {50, 100}},
        SpreadCase{"close_pushed_down", {50, 52, 53}, 10, 0, 200, {50, 60, 70}},
        SpreadCase{"unsorted_keep_own_order", {53, 50}, 10, 0, 200, {60, 50}},
        SpreadCase{"at_bottom_pushed_up", {195, 196}, 10, 0, 200, {185, 195}},
        SpreadCase{"at_top_kept_inside", {0}, 10, 0, 200, {5}},
        SpreadCase{"too_many_every_other_kept", {10, 11, 12, 13}, 10, 0, 20, {5, -1, 15, -1}},
        SpreadCase{"no_room", {5}, 10, 0, 9, {-1}}, SpreadCase{"none", {}, 10, 0, 100, {}}),
    [](const ::testing::TestParamInfo<SpreadCase>& info) { return std::string(info.param.name); });

TEST(SpreadLabels, ManyThinLayersNeverOverlapAndStayInside) {
  std::vector<int> wanted;
  for (int i = 0; i < 300; ++i) wanted.push_back(400 - i % 37);
  const std::vector<int> at = SpreadLabels(wanted, 14, 20, 500);
  std::vector<int> shown;
  for (int y : at)
    if (y >= 0) shown.push_back(y);
  ASSERT_EQ(shown.size(), size_t(480 / 14));
  std::sort(shown.begin(), shown.end());
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_GE(shown[i] - 7, 20);
    EXPECT_LE(shown[i] + 7, 500);
    if (i > 0) {
      EXPECT_GE(shown[i] - shown[i - 1], 14);
    }
  }
}

TEST(Picture, BlendAndTextBox) {
  EXPECT_EQ(Blend({0, 0, 0}, {200, 100, 50}, 0.5), (Colour{100, 50, 25}));
  EXPECT_EQ(Blend({0, 0, 0}, {200, 100, 50}, 7), (Colour{200, 100, 50}));
  EXPECT_EQ(Blend({10, 10, 10}, {200, 100, 50}, -1), (Colour{10, 10, 10}));
  const TextSize size{8, 14};
  const Box right = TextBox(100, 50, 3, TextAnchor::kRight, size);
  EXPECT_EQ(right.left, 76);
  EXPECT_EQ(right.right, 100);
  EXPECT_EQ(right.top, 43);
  EXPECT_EQ(right.bottom, 57);
  EXPECT_EQ(TextBox(100, 50, 4, TextAnchor::kCentre, size).left, 84);
}

TEST(Picture, EmptyBoxesAddNothingAndTextsAreCut) {
  Picture p;
  p.Fill({10, 10, 10, 20}, {});
  p.Hatch({10, 20, 30, 10}, {});
  EXPECT_TRUE(p.items.empty());
  p.Text(0, 0, "a text far longer than any label the pictures hold", {});
  ASSERT_EQ(p.items.size(), 1u);
  EXPECT_EQ(std::string(p.items[0].text).size(), kPictureTextSize - 1);
}

TEST(Picture, RoundToIntIsDefinedEverywhere) {
  EXPECT_EQ(RoundToInt(2.5), 3);
  EXPECT_EQ(RoundToInt(-2.5), -3);
  EXPECT_EQ(RoundToInt(1e300), 2147483647);
  EXPECT_EQ(RoundToInt(-1e300), -2147483647);
  EXPECT_EQ(RoundToInt(std::nan("")), 0);
}

}  // namespace
