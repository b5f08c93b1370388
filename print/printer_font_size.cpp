#include "print/printer_font_size.h"

#include <cmath>

FontResolution LogicalFontResolution(int logPixelsX, int logPixelsY) {
  return {float(logPixelsX), float(logPixelsY)};
}

FontResolution PhysicalFontResolution(int horzRes, int horzSizeMm, int vertRes, int vertSizeMm,
                                      int logPixelsX, int logPixelsY) {
  if (horzSizeMm <= 0 || vertSizeMm <= 0) return LogicalFontResolution(logPixelsX, logPixelsY);
  return {float(horzRes) * 25.4f / float(horzSizeMm), float(vertRes) * 25.4f / float(vertSizeMm)};
}

FontTenths FontSizeInTenths(int heightTenthsPt, int widthTenthsPt, FontResolution resolution) {
  // 72 points to the inch.
  return {int(float(widthTenthsPt) * resolution.x / 72.0f),
          int(float(heightTenthsPt) * resolution.y / 72.0f)};
}

int FontCharacterHeight(int yTenths) {
  return -int(std::fabs(float(yTenths)) / 10.0f + 0.5f);
}

int CorrectedFontWidth(int aveCharWidth, int xTenths, int yTenths) {
  if (yTenths == 0) return 0;
  return int(float(aveCharWidth) * std::fabs(float(xTenths)) / std::fabs(float(yTenths)) + 0.5f);
}

FontStyle FontStyleFromBits(int style) {
  return {(style & 1) ? 700 : 0, (style & 2) != 0, (style & 4) != 0, (style & 8) != 0};
}
