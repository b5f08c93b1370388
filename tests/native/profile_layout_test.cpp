#include "weather/profile_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "weather/units.h"

namespace {

namespace pc = profile_colours;
const TextSize kText{7, 14};

CloudLayer Cloud(int lower, int upper, int cover, int type = 1) {
  CloudLayer c;
  c.prefix = {uint16_t(kCloudLayerSize), 0};
  c.lowerAltitude = uint16_t(lower);
  c.upperAltitude = uint16_t(upper);
  c.cover = uint16_t(cover);
  c.cloudType = uint16_t(type);
  return c;
}

TemperatureLayer Temperature(int altitude, int day, int dew) {
  TemperatureLayer t;
  t.altitude = uint16_t(altitude);
  t.dayTemperature = int16_t(day);
  t.dewPoint = int16_t(dew);
  return t;
}

bool HasText(const Picture& p, const std::string& text) {
  return std::any_of(p.items.begin(), p.items.end(), [&](const PictureItem& i) {
    return i.kind == ItemKind::kText && text == i.text;
  });
}

int CountKind(const Picture& p, ItemKind kind) {
  return int(std::count_if(p.items.begin(), p.items.end(),
                           [&](const PictureItem& i) { return i.kind == kind; }));
}

// A deck from 3,000 to 5,000 ft (914 and 1524 m) in an 800 x 600 window: the plot runs from
// y 28 (two text lines) down to y 558 (three lines above the bottom), 530 pixels for 45,000 ft.
// 2998.7 ft is 35.3 pixels up, 4999.9 ft 58.9.
TEST(ProfileLayout, CloudDeckLandsWhereComputed) {
  ProfileInput in;
  in.clouds.push_back(Cloud(914, 1524, 6));
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  ASSERT_FALSE(l.tooSmall);
  EXPECT_EQ(l.topFeet, 45000);
  EXPECT_EQ(l.plot.top, 28);
  EXPECT_EQ(l.plot.bottom, 558);
  ASSERT_EQ(l.cloudBands.size(), 1u);
  const Box& band = l.cloudBands[0].box;
  EXPECT_EQ(band.top, 558 - 59);
  EXPECT_EQ(band.bottom, 558 - 35);
  EXPECT_GT(band.left, l.cloudColumn.left);
  EXPECT_LT(band.right, l.cloudColumn.right);
  // Six eighths: three quarters of the way from white to the dark grey.
  EXPECT_EQ(l.cloudBands[0].colour, Blend(pc::kCloudLight, pc::kCloudDark, 0.75));
  const bool filled =
      std::any_of(l.picture.items.begin(), l.picture.items.end(), [&](const PictureItem& i) {
        return i.kind == ItemKind::kFill && i.x0 == band.left && i.y0 == band.top &&
               i.y1 == band.bottom && i.colour == l.cloudBands[0].colour;
      });
  EXPECT_TRUE(filled);
  EXPECT_TRUE(HasText(l.picture, "6/8 2999-5000ft"));
}

TEST(ProfileLayout, ScaleGrowsToFitAndClipsTheUnlimited) {
  struct Case {
    int upperMetres;
    int topFeet;
  } cases[] = {{3000, 45000}, {13000, 45000}, {14000, 50000}, {19999, 70000}, {65535, 45000}};
  for (const Case& c : cases) {
    ProfileInput in;
    in.clouds.push_back(Cloud(1000, c.upperMetres, 4));
    const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
    EXPECT_EQ(l.topFeet, c.topFeet) << c.upperMetres;
    EXPECT_GE(l.cloudBands[0].box.top, l.plot.top) << c.upperMetres;
  }
  ProfileLayout l = LayoutProfile({}, 800, 600, kText);
  EXPECT_EQ(l.YOfFeet(45000), l.plot.top);
  EXPECT_EQ(l.YOfFeet(90000), l.plot.top);
  EXPECT_EQ(l.YOfFeet(-5), l.plot.bottom);
  EXPECT_TRUE(HasText(l.picture, "0ft"));
  EXPECT_TRUE(HasText(l.picture, "0m"));
}

TEST(ProfileLayout, FreezingLevel) {
  struct Case {
    std::vector<TemperatureLayer> layers;
    int feet;
  } cases[] = {
      // 10 C at the ground, -10 C at 1000 m: half way, 500 m.
      {{Temperature(0, 10, 5), Temperature(1000, -10, -15)}, 1640},
      // unsorted layers are taken by altitude
      {{Temperature(3000, -4, -9), Temperature(0, 14, 9), Temperature(1500, 5, 1)}, 7655},
      {{Temperature(500, -2, -5), Temperature(2000, -12, -20)}, 1640},
      {{Temperature(0, 20, 10), Temperature(5000, 2, 0)}, -1},
      {{}, -1},
  };
  for (const Case& c : cases) {
    ProfileInput in;
    in.temperatures = c.layers;
    const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
    EXPECT_EQ(l.freezingFeet, c.feet);
    if (c.feet >= 0) {
      EXPECT_EQ(l.freezingY, l.YOfFeet(c.feet));
      EXPECT_TRUE(HasText(l.picture,
                          "0\xB0"
                          "C " +
                              std::to_string(c.feet) + "ft"));
    }
  }
}

TEST(ProfileLayout, TemperatureScaleCoversTheTable) {
  ProfileInput in;
  in.temperatures = {Temperature(0, 14, 9), Temperature(10000, -48, -60)};
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  EXPECT_EQ(l.coldestCelsius, -60);
  EXPECT_EQ(l.warmestCelsius, 20);
  EXPECT_GT(l.XOfCelsius(-60), l.temperatureColumn.left);
  EXPECT_LT(l.XOfCelsius(20), l.temperatureColumn.right);
  EXPECT_LT(l.XOfCelsius(-10), l.XOfCelsius(0));
}

TEST(ProfileLayout, PrecipitationConvectionAndSoftEdges) {
  ProfileInput in;
  CloudLayer shower = Cloud(1200, 2400, 6, 9);
  shower.precipitationType = 1;
  shower.precipitationBase = 300;
  shower.deviation = 150;
  CloudLayer snow = Cloud(5000, 6000, 3);
  snow.precipitationType = 2;
  snow.precipitationBase = 4000;
  in.clouds = {shower, snow, Cloud(7000, 7600, 2)};
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  std::vector<PictureItem> hatches;
  for (const PictureItem& i : l.picture.items)
    if (i.kind == ItemKind::kHatch) hatches.push_back(i);
  ASSERT_EQ(hatches.size(), 2u);
  EXPECT_EQ(hatches[0].y0, l.YOfFeet(FeetFromMetres(1200)));
  EXPECT_EQ(hatches[0].y1, l.YOfFeet(FeetFromMetres(300)));
  EXPECT_EQ(hatches[0].colour, pc::kRain);
  EXPECT_EQ(hatches[1].colour, pc::kSnow);
  EXPECT_EQ(CountKind(l.picture, ItemKind::kTriangle), 1) << "only type 9 is convective";
  const Colour soft = Blend(pc::kSky, l.cloudBands[0].colour, 0.45);
  const bool edge =
      std::any_of(l.picture.items.begin(), l.picture.items.end(), [&](const PictureItem& i) {
        return i.kind == ItemKind::kFill && i.colour == soft &&
               i.y0 == l.YOfFeet(FeetFromMetres(2550)) && i.y1 == l.cloudBands[0].box.top;
      });
  EXPECT_TRUE(edge);
}

// Type 8 is stratus, the sheet a METAR's broken or overcast deck becomes: no tower for it.
TEST(ProfileLayout, OnlyCumulusAndThunderstormsAreConvective) {
  ProfileInput in;
  in.clouds = {Cloud(600, 1200, 8, 8), Cloud(1500, 7500, 4, 10), Cloud(2000, 2900, 2, 9)};
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  EXPECT_EQ(CountKind(l.picture, ItemKind::kTriangle), 2);
  auto labelled = [&](const char* prefix) {
    return std::any_of(l.picture.items.begin(), l.picture.items.end(), [&](const PictureItem& i) {
      return i.kind == ItemKind::kText && std::strncmp(i.text, prefix, std::strlen(prefix)) == 0;
    });
  };
  EXPECT_TRUE(labelled("4/8 Cb "));
  EXPECT_TRUE(labelled("2/8 Cu "));
  EXPECT_TRUE(labelled("8/8 1969-"));
}

TEST(ProfileLayout, WindsAsSetAndApplied) {
  ProfileInput in;
  WindLayer w;
  w.upperAltitude = 2000;
  w.speed = 20;
  w.direction = 16384;  // from 090: the arrow points west
  in.winds = {w};
  AppliedWindLayer a;
  a.upperAltitude = 2000;
  a.appliedSpeed = 19.4f;
  a.appliedDirection = 92.0f;
  AppliedWindLayer broken;
  broken.upperAltitude = 4000;
  broken.appliedSpeed = std::nanf("");
  broken.appliedDirection = -1e30f;
  in.applied = {a, broken};
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  EXPECT_TRUE(HasText(l.picture, "090/20kt"));
  EXPECT_TRUE(HasText(l.picture, "092/19kt"));
  const auto arrow =
      std::find_if(l.picture.items.begin(), l.picture.items.end(), [&](const PictureItem& i) {
        return i.kind == ItemKind::kLine && i.width == 2 && i.colour == pc::kWindSet;
      });
  ASSERT_NE(arrow, l.picture.items.end());
  EXPECT_LT(arrow->x1, arrow->x0);
  EXPECT_EQ(arrow->y1, arrow->y0);
  // Half way up the layer, 1000 m.
  EXPECT_EQ(arrow->y0, l.YOfFeet(FeetFromMetres(1000)));
}

// Fifty cloud layers of 10 m each: the labels are spread or left out, never on top of each other.
TEST(ProfileLayout, ThinLayersLabelsDoNotOverlap) {
  ProfileInput in;
  for (int i = 0; i < 50; ++i) in.clouds.push_back(Cloud(1000 + 10 * i, 1010 + 10 * i, 1 + i % 8));
  for (int i = 0; i < 50; ++i) {
    VisibilityLayer v;
    v.lowerAltitude = uint16_t(10 * i);
    v.upperAltitude = uint16_t(10 * i + 10);
    v.range = uint16_t(100 + i);
    in.visibility.push_back(v);
  }
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  for (const Box* column : {&l.cloudColumn, &l.visibilityColumn}) {
    std::vector<Box> boxes;
    for (const PictureItem& i : l.picture.items)
      if (i.kind == ItemKind::kText && column->Contains(i.x0 - 1, i.y0) && i.y0 > l.plot.top)
        boxes.push_back(TextBox(i.x0, i.y0, std::strlen(i.text), i.anchor, kText));
    ASSERT_GT(boxes.size(), 10u);
    for (size_t a = 0; a < boxes.size(); ++a) {
      EXPECT_GE(boxes[a].top, l.plot.top);
      EXPECT_LE(boxes[a].bottom, l.plot.bottom);
      for (size_t b = a + 1; b < boxes.size(); ++b) EXPECT_FALSE(boxes[a].Overlaps(boxes[b]));
    }
  }
}

TEST(ProfileLayout, TooSmallWindow) {
  ProfileInput in;
  in.clouds.push_back(Cloud(914, 1524, 6));
  for (auto size : {std::pair<int, int>{300, 200}, {200, 600}, {800, 150}, {0, 0}, {-5, -5}}) {
    const ProfileLayout l = LayoutProfile(in, size.first, size.second, kText);
    EXPECT_TRUE(l.tooSmall);
    EXPECT_TRUE(l.cloudBands.empty());
    EXPECT_LE(l.picture.items.size(), 1u);
  }
  EXPECT_TRUE(HasText(LayoutProfile(in, 300, 200, kText).picture, "Too small to draw"));
  EXPECT_TRUE(LayoutProfile(in, 800, 600, {0, 0}).tooSmall);
}

TEST(ProfileLayout, InputTakesOnlyTrustedRecords) {
  WeatherSnapshot s;
  uint8_t clouds[2 * kCloudLayerSize] = {};
  EncodeCloud(clouds, Cloud(100, 200, 3));
  EncodeCloud(clouds + kCloudLayerSize, Cloud(300, 400, 5));
  s.Table(kCloudTable).data = TableBlock::Copy(clouds, sizeof clouds);
  s.Table(kCloudTable).descriptor = MakeDescriptor(kCloudLayerSize, 2);
  // Claims 9-byte wind records: shorter than a wind layer, so none is read.
  s.Table(kWindTable).data = TableBlock::Copy(clouds, sizeof clouds);
  s.Table(kWindTable).descriptor = MakeDescriptor(9, 3);
  const ProfileInput in = ProfileInputFrom(s);
  ASSERT_EQ(in.clouds.size(), 2u);
  EXPECT_EQ(in.clouds[1].cover, 5);
  EXPECT_TRUE(in.winds.empty());
  EXPECT_TRUE(in.visibility.empty());

  // 1500 visibility layers: the first thousand are drawn.
  std::vector<uint8_t> many(1500 * kVisibilityLayerSize);
  for (size_t i = 0; i < 1500; ++i) {
    VisibilityLayer v;
    v.prefix = {uint16_t(kVisibilityLayerSize), 0};
    v.upperAltitude = uint16_t(i + 1);
    EncodeVisibility(many.data() + i * kVisibilityLayerSize, v);
  }
  s.Table(kVisibilityTable).data = TableBlock::Copy(many.data(), many.size());
  s.Table(kVisibilityTable).descriptor = MakeDescriptor(kVisibilityLayerSize, 1500);
  const ProfileInput capped = ProfileInputFrom(s);
  ASSERT_EQ(capped.visibility.size(), size_t(kProfileMostLayersPerTable));
  EXPECT_EQ(capped.visibility.back().upperAltitude, 1000);
}

}  // namespace

// During a transition the target's clouds take the column's right third, faint, and the clouds
// in force keep the left two thirds; a deck that appears is there only on the target's side.
TEST(ProfileLayout, TransitionTargetBesideTheCloudsInForce) {
  ProfileInput in;
  in.clouds.push_back(Cloud(914, 1524, 6));
  std::vector<uint8_t> target(2 * kCloudLayerSize);
  CloudLayer deck = Cloud(914, 1524, 2), high = Cloud(6000, 7000, 8);
  deck.prefix.following = 1;
  EncodeCloud(target.data(), deck);
  EncodeCloud(target.data() + kCloudLayerSize, high);
  ProfileTargetFrom(target.data(), target.size(), in);
  ASSERT_EQ(in.targetClouds.size(), 2u);
  const ProfileLayout l = LayoutProfile(in, 800, 600, kText);
  ASSERT_EQ(l.cloudBands.size(), 1u);
  ASSERT_EQ(l.targetBands.size(), 2u);
  const int split = l.cloudColumn.left + l.cloudColumn.Width() * 2 / 3;
  EXPECT_LT(l.cloudBands[0].box.right, split);
  for (const CloudBand& b : l.targetBands) {
    EXPECT_GT(b.box.left, split);
    EXPECT_LT(b.box.right, l.cloudColumn.right);
  }
  EXPECT_EQ(l.targetBands[0].box.top, l.cloudBands[0].box.top);
  // Fainter than the same cover in force: nearer the sky.
  EXPECT_EQ(l.targetBands[1].colour, Blend(pc::kSky, pc::kCloudDark, 0.4));

  // A block that is not cloud records, or is cut short, draws no target layers.
  for (size_t size : {size_t(0), size_t(10), kCloudLayerSize - 1}) {
    ProfileInput bad;
    ProfileTargetFrom(target.data(), size, bad);
    EXPECT_TRUE(bad.hasTarget && bad.targetClouds.empty()) << size;
  }
  ProfileInput one;
  ProfileTargetFrom(target.data(), kCloudLayerSize + 5, one);
  EXPECT_EQ(one.targetClouds.size(), 1u);
}
