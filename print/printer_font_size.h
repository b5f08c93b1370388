// The arithmetic of CreatePrinterFont: a size in tenths of a point turned into a font
// description for a printer whose horizontal and vertical resolutions may differ.
#pragma once

struct FontResolution {
  float x;  // pixels per inch
  float y;
};

FontResolution LogicalFontResolution(int logPixelsX, int logPixelsY);
// From the page size in pixels and in millimetres. A device that gives no size in millimetres
// falls back to its logical resolution rather than dividing by zero.
FontResolution PhysicalFontResolution(int horzRes, int horzSizeMm, int vertRes, int vertSizeMm,
                                      int logPixelsX, int logPixelsY);

// The size in tenths of device units: height and width are in tenths of a point.
struct FontTenths {
  int x;
  int y;
};
FontTenths FontSizeInTenths(int heightTenthsPt, int widthTenthsPt, FontResolution resolution);

// The font height asked for: negative, a character height in whole device units.
int FontCharacterHeight(int yTenths);
// The width that keeps the font's shape when the two resolutions differ; 0 (the mapper's
// choice) when there is no height to scale by.
int CorrectedFontWidth(int aveCharWidth, int xTenths, int yTenths);

// Style bits: 1 bold, 2 italic, 4 underline, 8 strike-out.
struct FontStyle {
  int weight;  // 700 bold, 0 the default
  bool italic;
  bool underline;
  bool strikeOut;
};
FontStyle FontStyleFromBits(int style);
