#include "common/picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

Colour Blend(Colour a, Colour b, double fraction) {
  if (!(fraction > 0)) fraction = 0;
  if (fraction > 1) fraction = 1;
  auto mix = [fraction](uint8_t x, uint8_t y) {
    return uint8_t(RoundToInt(x + (double(y) - double(x)) * fraction));
  };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

int RoundToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483647.0) return -2147483647;
  return int(value < 0 ? value - 0.5 : value + 0.5);
}

namespace {

PictureItem Item(ItemKind kind, Colour c, int x0, int y0, int x1, int y1) {
  PictureItem item;
  item.kind = kind;
  item.colour = c;
  item.x0 = x0;
  item.y0 = y0;
  item.x1 = x1;
  item.y1 = y1;
  return item;
}

}  // namespace

void Picture::Fill(const Box& b, Colour c) {
  if (b.right > b.left && b.bottom > b.top)
    items.push_back(Item(ItemKind::kFill, c, b.left, b.top, b.right, b.bottom));
}

void Picture::Hatch(const Box& b, Colour c) {
  if (b.right > b.left && b.bottom > b.top)
    items.push_back(Item(ItemKind::kHatch, c, b.left, b.top, b.right, b.bottom));
}

void Picture::Frame(const Box& b, Colour c) {
  if (b.right > b.left && b.bottom > b.top)
    items.push_back(Item(ItemKind::kFrame, c, b.left, b.top, b.right, b.bottom));
}

void Picture::Line(int x0, int y0, int x1, int y1, Colour c, int width) {
  PictureItem item = Item(ItemKind::kLine, c, x0, y0, x1, y1);
  item.width = width < 1 ? 1 : width;
  items.push_back(item);
}

void Picture::DashLine(int x0, int y0, int x1, int y1, Colour c) {
  items.push_back(Item(ItemKind::kDashLine, c, x0, y0, x1, y1));
}

void Picture::Text(int x, int y, const char* text, Colour c, TextAnchor anchor) {
  PictureItem item = Item(ItemKind::kText, c, x, y, x, y);
  item.anchor = anchor;
  std::strncpy(item.text, text, sizeof item.text - 1);
  items.push_back(item);
}

void Picture::Ellipse(const Box& b, Colour c) {
  items.push_back(Item(ItemKind::kEllipse, c, b.left, b.top, b.right, b.bottom));
}

void Picture::Triangle(int x0, int y0, int x1, int y1, int x2, int y2, Colour c) {
  PictureItem item = Item(ItemKind::kTriangle, c, x0, y0, x1, y1);
  item.x2 = x2;
  item.y2 = y2;
  items.push_back(item);
}

void Picture::Disc(const Box& b, Colour c) {
  if (b.right > b.left && b.bottom > b.top)
    items.push_back(Item(ItemKind::kDisc, c, b.left, b.top, b.right, b.bottom));
}

void Picture::Diamond(const Box& b, Colour c, bool filled) {
  if (b.right > b.left && b.bottom > b.top)
    items.push_back(Item(filled ? ItemKind::kFilledDiamond : ItemKind::kDiamond, c, b.left, b.top,
                         b.right, b.bottom));
}

Box TextBox(int x, int y, size_t length, TextAnchor anchor, const TextSize& size) {
  const int w = int(length) * size.charWidth;
  Box b;
  b.left = anchor == TextAnchor::kLeft ? x : anchor == TextAnchor::kRight ? x - w : x - w / 2;
  b.right = b.left + w;
  b.top = y - size.height / 2;
  b.bottom = b.top + size.height;
  return b;
}

std::vector<int> SpreadLabels(const std::vector<int>& wanted, int height, int low, int high) {
  const size_t n = wanted.size();
  std::vector<int> placed(n, -1);
  if (n == 0 || height <= 0 || high - low < height) return placed;
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return wanted[a] < wanted[b]; });
  // As many as fit, keeping every other one when there are too many, so that the picture
  // still shows labels spread over the whole height.
  const size_t room = size_t((high - low) / height);
  std::vector<size_t> kept;
  if (n <= room) {
    kept = order;
  } else {
    for (size_t k = 0; k < room; ++k) kept.push_back(order[k * n / room]);
  }
  // Centres between low + h/2 and high - h/2: push down from the top, then up from the bottom.
  const int first = low + height / 2;
  const int last = high - (height - height / 2);
  std::vector<int> y(kept.size());
  for (size_t k = 0; k < kept.size(); ++k) {
    int want = std::min(std::max(wanted[kept[k]], first), last);
    y[k] = k == 0 ? want : std::max(want, y[k - 1] + height);
  }
  for (size_t k = kept.size(); k-- > 0;) {
    const int limit = k + 1 == kept.size() ? last : y[k + 1] - height;
    if (y[k] > limit) y[k] = limit;
  }
  for (size_t k = 0; k < kept.size(); ++k) placed[kept[k]] = y[k];
  return placed;
}
