// A picture as a list of simple drawing items in window pixels, made by the platform-free
// layouts and painted by the Win32 side onto the screen or a printer page. Also the label
// placement the layouts share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Colour& o) const { return !(*this == o); }
};

// a + (b - a) * fraction, fraction clamped to 0..1.
Colour Blend(Colour a, Colour b, double fraction);

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool Overlaps(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

enum class ItemKind : uint8_t {
  kFill,      // box filled with the colour
  kHatch,     // box hatched with diagonal lines of the colour
  kFrame,     // box outline
  kLine,      // (x0, y0) to (x1, y1)
  kDashLine,  // the same, dashed
  kText,      // text at (x0, y0): the anchor says which point of the text that is
  kEllipse,   // outline of the ellipse in the box
  kTriangle,  // filled triangle (x0, y0), (x1, y1), (x2, y2)
  kDisc,      // the ellipse in the box, filled
  kDiamond,   // outline of the diamond whose corners touch the box's sides' middles
  kFilledDiamond,
};

enum class TextAnchor : uint8_t { kLeft, kCentre, kRight };  // all vertically centred

constexpr size_t kPictureTextSize = 24;

struct PictureItem {
  ItemKind kind = ItemKind::kFill;
  Colour colour;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int width = 1;  // lines, in pixels
  TextAnchor anchor = TextAnchor::kLeft;
  char text[kPictureTextSize] = {};
};

// Character cell the window's font gives; the layouts size labels with it.
struct TextSize {
  int charWidth = 7;
  int height = 14;
};

struct Picture {
  int width = 0;
  int height = 0;
  Colour background;
  std::vector<PictureItem> items;

  void Fill(const Box& b, Colour c);
  void Hatch(const Box& b, Colour c);
  void Frame(const Box& b, Colour c);
  void Line(int x0, int y0, int x1, int y1, Colour c, int width = 1);
  void DashLine(int x0, int y0, int x1, int y1, Colour c);
  void Text(int x, int y, const char* text, Colour c, TextAnchor anchor = TextAnchor::kLeft);
  void Ellipse(const Box& b, Colour c);
  void Triangle(int x0, int y0, int x1, int y1, int x2, int y2, Colour c);
  void Disc(const Box& b, Colour c);
  void Diamond(const Box& b, Colour c, bool filled);
};

// The box a text of that many characters covers with the anchor at (x, y).
Box TextBox(int x, int y, size_t length, TextAnchor anchor, const TextSize& size);

// One-dimensional placement: labels that want to sit centred at `wanted[i]` (sorted or not)
// in [low, high], each `height` tall, moved apart so that none overlaps another, keeping
// their order and staying as close as they can to where they want to be. Labels that cannot
// fit at all get -1 (dropped), the others their centre.
std::vector<int> SpreadLabels(const std::vector<int>& wanted, int height, int low, int high);

// Rounds to the nearest integer, halves away from zero, within int range.
int RoundToInt(double value);
