#include "common/placement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParsePlacementTest, AcceptsAndRefuses) {
  struct Case {
    const char* value;
    int screenWidth, screenHeight;
    bool valid;
    Placement p;
  } cases[] = {
      {"[100,50,905,594]", 1024, 768, true, {100, 50, 905, 594}},
      {"[100,50,905,594]", 800, 600, false, {}},       // 100 + 905 > 800
      {"[0,0,1024,768]", 1024, 768, true, {0, 0, 1024, 768}},  // exactly the screen
      {"[0,0,1025,768]", 1024, 768, false, {}},
      {"[0,1,1024,768]", 1024, 768, false, {}},
      {"[1025,0,0,0]", 1024, 768, false, {}},
      {"[100,50,905]", 1024, 768, false, {}},           // three numbers
      {"[100,50,905,]", 1024, 768, true, {100, 50, 905, 0}},  // "]" reads as 0
      {"100,50,905,594", 1024, 768, false, {}},         // no "["
      {"", 1024, 768, false, {}},
      {"pos=[120,80,905,594]", 1280, 1024, true, {120, 80, 905, 594}},
      {"[ 120x,+80 y, 905px,594", 1280, 1024, true, {120, 80, 905, 594}},
      {"[-200,-30,905,594]", 1024, 768, true, {-200, -30, 905, 594}},
      {"[1,2,3,4,5,6]", 1024, 768, true, {1, 2, 3, 4}},
      {"[a,b,c,d]", 1024, 768, true, {0, 0, 0, 0}},
      // Would wrap round to a small sum in 32 bits.
      {"[2147483647,0,10,10]", 1024, 768, false, {}},
      {"[0,2147483647,10,10]", 1024, 768, false, {}},
      {"[10,10,2147483647,2147483647]", 1024, 768, false, {}},
      {"[99999999999,0,10,10]", 1024, 768, false, {}},
      {"[0,0,-5,10]", 1024, 768, false, {}},            // negative sizes
      {"[0,0,10,-2147483648]", 1024, 768, false, {}},
  };
  for (const Case& c : cases) {
    Placement p{-1, -1, -1, -1};
    EXPECT_EQ(ParsePlacement(c.value, c.screenWidth, c.screenHeight, p), c.valid) << c.value;
    if (c.valid) {
      EXPECT_EQ(p.left, c.p.left) << c.value;
      EXPECT_EQ(p.top, c.p.top) << c.value;
      EXPECT_EQ(p.width, c.p.width) << c.value;
      EXPECT_EQ(p.height, c.p.height) << c.value;
    }
  }
  Placement p;
  EXPECT_FALSE(ParsePlacement(nullptr, 1024, 768, p));
}

TEST(ParsePlacementTest, OnlyTheFirst79CharactersCount) {
  Placement p;
  std::string pad(70, ' ');
  // The fourth number begins at character 78 and is cut to its first digit.
  std::string value = pad + "[1,2,3,45";
  ASSERT_EQ(value.size(), 79u);
  ASSERT_TRUE(ParsePlacement((value + "6").c_str(), 1024, 768, p));
  EXPECT_EQ(p.height, 45);
  // With the "[" beyond character 79 there is none.
  EXPECT_FALSE(ParsePlacement((std::string(79, ' ') + "[1,2,3,4]").c_str(), 1024, 768, p));
}

TEST(FormatPlacementTest, RoundTrips) {
  const Placement cases[] = {{120, 80, 905, 594}, {-200, -30, 1, 2}, {0, 0, 0, 0}};
  for (const Placement& in : cases) {
    char text[80];
    FormatPlacement(text, sizeof text, in);
    Placement out;
    ASSERT_TRUE(ParsePlacement(text, 4096, 4096, out)) << text;
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.height, in.height);
  }
  char text[80];
  FormatPlacement(text, sizeof text, {120, 80, 905, 594});
  EXPECT_STREQ(text, "[120,80,905,594]");
  FormatPlacement(text, sizeof text, {-2147483647 - 1, 0, 0, 0});
  EXPECT_STREQ(text, "[-2147483648,0,0,0]");
}

}  // namespace
