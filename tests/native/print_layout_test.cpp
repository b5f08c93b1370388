#include <gtest/gtest.h>

#include "print/print_layout.h"
#include "print/printer_font_size.h"

namespace {

struct LayoutCase {
  const char* name;
  DeviceMetrics device;
  TextMetrics font;
  int left, right, top, bottom, lineHeight, charWidth;
};

TEST(PrintLayout, MarginsAndLimitsFromDeviceMetrics) {
  const LayoutCase cases[] = {
      // Letter at 600 dpi: two thirds of an inch is 400 units.
      {"600dpi", {600, 600, 5100, 6600}, {75, 0, 33}, 400, 4700, 400, 6125, 75, 33},
      {"300dpi", {300, 300, 2550, 3300}, {38, 2, 16}, 200, 2350, 200, 3060, 40, 16},
      // Unequal resolutions; 2/3 of 203 truncates to 135.
      {"203x98", {203, 98, 1700, 1100}, {12, 1, 7}, 135, 1565, 65, 1022, 13, 7},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    PrintLayout layout = MakePrintLayout(c.device, c.font);
    EXPECT_EQ(layout.leftMargin, c.left);
    EXPECT_EQ(layout.rightEdge, c.right);
    EXPECT_EQ(layout.topMargin, c.top);
    EXPECT_EQ(layout.bottomLimit, c.bottom);
    EXPECT_EQ(layout.lineHeight, c.lineHeight);
    EXPECT_EQ(layout.charWidth, c.charWidth);
    EXPECT_EQ(layout.pageNumber, 0);
    EXPECT_EQ(layout.currentSection, -1);
  }
}

struct FontCase {
  const char* name;
  FontResolution resolution;
  int heightTenths, widthTenths;
  int xTenths, yTenths;  // device units x 10
  int height;            // asked-for character height
};

TEST(PrinterFontSize, HeightFromTenthsOfAPoint) {
  const FontCase cases[] = {
      {"weather 9pt at 600", {600, 600}, 90, 90, 750, 750, -75},
      {"traffic 10pt at 600", {600, 600}, 100, 100, 833, 833, -83},
      {"9pt at 300", {300, 300}, 90, 90, 375, 375, -38},  // 37.5 rounds up
      {"9pt at 360x180", {360, 180}, 90, 90, 450, 225, -23},
      {"no width", {600, 600}, 90, 0, 0, 750, -75},
  };
  for (const FontCase& c : cases) {
    SCOPED_TRACE(c.name);
    FontTenths size = FontSizeInTenths(c.heightTenths, c.widthTenths, c.resolution);
    EXPECT_EQ(size.x, c.xTenths);
    EXPECT_EQ(size.y, c.yTenths);
    EXPECT_EQ(FontCharacterHeight(size.y), c.height);
    EXPECT_EQ(FontCharacterHeight(-size.y), c.height);
  }
}

TEST(PrinterFontSize, SixHundredDotsByEitherRouteGiveTheSameFont) {
  // 6000 pixels over 254 mm is exactly 600 per inch.
  FontResolution physical = PhysicalFontResolution(6000, 254, 6000, 254, 600, 600);
  FontResolution logical = LogicalFontResolution(600, 600);
  EXPECT_FLOAT_EQ(physical.x, 600.0f);
  EXPECT_FLOAT_EQ(physical.y, 600.0f);
  for (FontResolution r : {physical, logical}) {
    FontTenths size = FontSizeInTenths(90, 90, r);
    EXPECT_EQ(FontCharacterHeight(size.y), -75);
    EXPECT_EQ(CorrectedFontWidth(33, size.x, size.y), 33);
  }
}

TEST(PrinterFontSize, PhysicalRouteFollowsThePageSize) {
  // A4 at 600 dpi: 4960 x 7016 pixels on 210 x 297 mm.
  FontResolution r = PhysicalFontResolution(4960, 210, 7016, 297, 600, 600);
  EXPECT_NEAR(r.x, 599.92f, 0.01f);
  EXPECT_NEAR(r.y, 600.02f, 0.01f);
  EXPECT_EQ(FontSizeInTenths(90, 90, r).y, 750);
  EXPECT_EQ(FontSizeInTenths(90, 90, r).x, 749);
}

TEST(PrinterFontSize, NoPageSizeFallsBackToLogicalResolution) {
  FontResolution r = PhysicalFontResolution(5100, 0, 6600, 0, 600, 300);
  EXPECT_FLOAT_EQ(r.x, 600.0f);
  EXPECT_FLOAT_EQ(r.y, 300.0f);
}

TEST(PrinterFontSize, WidthCorrectedForUnequalResolutions) {
  // Twice the dots across: the average width doubles to keep the letters' shape.
  EXPECT_EQ(CorrectedFontWidth(10, 450, 225), 20);
  EXPECT_EQ(CorrectedFontWidth(10, -450, 225), 20);
  EXPECT_EQ(CorrectedFontWidth(7, 225, 450), 4);  // 3.5 rounds up
  EXPECT_EQ(CorrectedFontWidth(7, 100, 0), 0);    // nothing to scale by: the mapper decides
}

TEST(PrinterFontSize, StyleBits) {
  struct {
    int bits, weight;
    bool italic, underline, strikeOut;
  } cases[] = {{0, 0, false, false, false},   {1, 700, false, false, false},
               {2, 0, true, false, false},    {4, 0, false, true, false},
               {8, 0, false, false, true},    {15, 700, true, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    FontStyle s = FontStyleFromBits(c.bits);
    EXPECT_EQ(s.weight, c.weight);
    EXPECT_EQ(s.italic, c.italic);
    EXPECT_EQ(s.underline, c.underline);
    EXPECT_EQ(s.strikeOut, c.strikeOut);
  }
}

}  // namespace
