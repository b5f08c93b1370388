#include "traffic/scope_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace sc = scope_colours;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kRanges[kScopeRangeCount] = {2.5, 5, 10, 20, 40, 80, 160};
// The steps with advisories on: 3 nm for the close ones.
constexpr int kAdvisoryRangeCount = 8;
constexpr double kAdvisoryRanges[kAdvisoryRangeCount] = {2.5, 3, 5, 10, 20, 40, 80, 160};
constexpr double kAdvisoryRingSteps[kAdvisoryRangeCount] = {0.5, 1, 1, 2.5, 5, 10, 20, 40};
constexpr int kAdvisoryHalf = 5;  // the class symbols are 11 pixels across
constexpr int kSymbolHalf = 3;  // the symbol is 7 pixels square
constexpr int kLeaderLength = 18;
constexpr int kHitRadius = 9;

int SafeInt(double v) { return RoundToInt(v); }

struct Placed {
  std::vector<Box> boxes;
  bool Free(const Box& b, const Box& inside) const {
    if (b.left < inside.left || b.top < inside.top || b.right > inside.right ||
        b.bottom > inside.bottom)
      return false;
    for (const Box& o : boxes)
      if (o.Overlaps(b)) return false;
    return true;
  }
};

}  // namespace

std::vector<ScopeTarget> ScopeTargetsFrom(TrafficTable table) {
  std::vector<ScopeTarget> targets;
  const int count = table.GetSlotCount();
  const OwnPosition own = table.DecodeOwnPosition();
  targets.reserve(size_t(count));
  for (int slot = 0; slot < count; ++slot) {
    if (!table.SlotOccupied(slot)) continue;
    SlotTexts texts;
    table.FormatSlot(slot, own, texts);
    ScopeTarget t;
    t.slot = slot;
    std::memcpy(t.identifier, texts.cell[0], sizeof t.identifier - 1);
    t.distance = table.SortKeys().distance[slot];
    t.bearing = table.SortKeys().bearing[slot];
    t.heightDiff = table.SortKeys().heightDiff[slot];
    t.heading = int(std::strtol(texts.cell[7], nullptr, 10));
    t.verticalSpeed = int(std::strtol(texts.cell[9], nullptr, 10));
    targets.push_back(t);
  }
  return targets;
}

double ScopeRange(int index) { return kRanges[std::min(std::max(index, 0), kScopeRangeCount - 1)]; }

int StepScopeRange(int index, int steps) {
  return std::min(std::max(index + steps, 0), kScopeRangeCount - 1);
}

double StepScopeRangeNm(double rangeNm, int steps, bool advisories) {
  // The nearest step at or above the range, then `steps` further, skipping 3 nm when off.
  int index = kAdvisoryRangeCount - 1;
  for (int i = 0; i < kAdvisoryRangeCount; ++i)
    if (kAdvisoryRanges[i] >= rangeNm - 1e-9) {
      index = i;
      break;
    }
  const int direction = steps < 0 ? -1 : 1;
  for (int n = steps < 0 ? -steps : steps; n > 0; --n) {
    int next = index + direction;
    if (!advisories && next == 1) next += direction;
    if (next < 0 || next >= kAdvisoryRangeCount) break;
    index = next;
  }
  if (!advisories && index == 1) index = 2;
  return kAdvisoryRanges[index];
}

namespace {

double RingStep(double rangeNm) {
  for (int i = 0; i < kAdvisoryRangeCount; ++i)
    if (std::fabs(kAdvisoryRanges[i] - rangeNm) < 1e-9) return kAdvisoryRingSteps[i];
  return rangeNm / 4;
}

Colour ClassColour(ThreatLevel level, bool selected) {
  if (level == kThreatResolution) return sc::kResolution;
  if (level == kThreatTraffic) return sc::kTrafficAdvisory;
  return selected ? sc::kSelected : sc::kTarget;
}

// The class symbol centred at (x, y).
void ClassSymbol(Picture& pic, int x, int y, ThreatLevel level, Colour c) {
  const int h = kAdvisoryHalf;
  switch (level) {
    case kThreatResolution:
      pic.Fill({x - h + 1, y - h + 1, x + h, y + h}, c);
      break;
    case kThreatTraffic:
      pic.Disc({x - h, y - h, x + h + 1, y + h + 1}, c);
      break;
    case kThreatProximate:
      pic.Diamond({x - h, y - h, x + h + 1, y + h + 1}, c, true);
      break;
    default:
      pic.Diamond({x - h, y - h, x + h + 1, y + h + 1}, c, false);
      break;
  }
}

// Half a disc or half a square on the outer ring at the bearing, the half inside the ring.
void HalfSymbol(Picture& pic, int cx, int cy, int radius, double bearing, ThreatLevel level,
                Colour c) {
  const double a = std::isfinite(bearing) ? bearing * kPi / 180.0 : 0;
  const double px = cx + radius * std::sin(a), py = cy - radius * std::cos(a);
  const double tx = std::cos(a), ty = std::sin(a);    // along the ring
  const double ux = -std::sin(a), uy = std::cos(a);   // towards the centre
  const double h = kAdvisoryHalf + 1;
  auto X = [&](double t, double u) { return SafeInt(px + t * tx + u * ux); };
  auto Y = [&](double t, double u) { return SafeInt(py + t * ty + u * uy); };
  if (level == kThreatResolution) {
    pic.Triangle(X(-h, 0), Y(-h, 0), X(h, 0), Y(h, 0), X(h, h), Y(h, h), c);
    pic.Triangle(X(-h, 0), Y(-h, 0), X(h, h), Y(h, h), X(-h, h), Y(-h, h), c);
    return;
  }
  constexpr int kFan = 6;
  for (int k = 0; k < kFan; ++k) {
    const double a0 = kPi * k / kFan, a1 = kPi * (k + 1) / kFan;
    pic.Triangle(X(0, 0), Y(0, 0), X(h * std::cos(a0), h * std::sin(a0)),
                 Y(h * std::cos(a0), h * std::sin(a0)), X(h * std::cos(a1), h * std::sin(a1)),
                 Y(h * std::cos(a1), h * std::sin(a1)), c);
  }
}

}  // namespace

void FormatScopeHeight(double heightDiff, char* out, size_t size) {
  const double magnitude = std::fabs(heightDiff) + 0.5;
  const unsigned hundreds = magnitude < 999.0 ? unsigned(magnitude) % 1000u : 999u;
  std::snprintf(out, size, "%c%02u", heightDiff < 0 ? '-' : '+', hundreds);
}

void FormatScopeVariation(int16_t variation, char* out, size_t size) {
  const double degrees = variation * 360.0 / 65536.0;
  std::snprintf(out, size, "VAR %.1f%c", std::fabs(degrees), degrees < 0 ? 'W' : 'E');
}

ScopeLayout LayoutScope(const std::vector<ScopeTarget>& targets, int rangeIndex, int16_t variation,
                        int selectedSlot, int width, int height, const TextSize& text) {
  ScopeView view;
  view.rangeNm = ScopeRange(rangeIndex);
  return LayoutScopeView(targets, view, variation, selectedSlot, width, height, text);
}

ScopeLayout LayoutScopeView(const std::vector<ScopeTarget>& targets, const ScopeView& view,
                            int16_t variation, int selectedSlot, int width, int height,
                            const TextSize& text) {
  ScopeLayout out;
  Picture& pic = out.picture;
  pic.width = std::max(width, 0);
  pic.height = std::max(height, 0);
  pic.background = sc::kBackground;
  out.rangeNm = std::isfinite(view.rangeNm) && view.rangeNm > 0 ? view.rangeNm : 20;
  const bool advisories = view.advisories;
  const int margin = 2 * text.height + 4;
  out.centreX = width / 2;
  out.centreY = height / 2;
  out.radius = std::min(width, height) / 2 - margin;
  if (text.height <= 0 || text.charWidth <= 0 || out.radius < 3 * text.height ||
      width < 24 * text.charWidth) {
    out.tooSmall = true;
    out.radius = 0;
    const char notice[] = "Too small to draw";
    if (width >= int(sizeof notice) * text.charWidth && height >= text.height)
      pic.Text(width / 2, height / 2, notice, sc::kText, TextAnchor::kCentre);
    return out;
  }
  const int cx = out.centreX, cy = out.centreY, R = out.radius;

  // Rings, their distances along the lower right, north and the corners' texts.
  const double step = RingStep(out.rangeNm);
  for (int k = 1; k * step <= out.rangeNm + 1e-9; ++k) {
    const int r = SafeInt(k * step / out.rangeNm * R);
    pic.Ellipse({cx - r, cy - r, cx + r + 1, cy + r + 1}, sc::kRing);
    char label[16];
    std::snprintf(label, sizeof label, "%g", k * step);
    pic.Text(cx + SafeInt(r * 0.7071) + 3, cy + SafeInt(r * 0.7071) + 2, label, sc::kRingText);
  }
  pic.Line(cx, cy - R, cx, cy - R - 6, sc::kRing);
  pic.Text(cx, cy - R - 6 - text.height / 2, "MN", sc::kRingText, TextAnchor::kCentre);
  pic.Line(cx - 5, cy, cx + 6, cy, sc::kOwn);
  pic.Line(cx, cy - 5, cx, cy + 6, sc::kOwn);
  char corner[24];
  FormatScopeVariation(variation, corner, sizeof corner);
  pic.Text(4, text.height / 2 + 2, corner, sc::kText);
  std::snprintf(corner, sizeof corner, "%g nm", out.rangeNm);
  pic.Text(width - 4, text.height / 2 + 2, corner, sc::kText, TextAnchor::kRight);

  // Positions first, so that labels can keep clear of every symbol.
  Placed placed;
  out.marks.resize(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    const ScopeTarget& t = targets[i];
    ScopeMark& m = out.marks[i];
    m.slot = t.slot;
    const double a = t.bearing * kPi / 180.0;
    const bool finite = std::isfinite(t.distance) && std::isfinite(t.bearing);
    m.inRange = finite && t.distance <= out.rangeNm;
    m.shown = !advisories || FilterShows(view.filter, t.heightDiff * 100, t.level);
    const double r = m.inRange ? t.distance / out.rangeNm * R : R;
    m.x = cx + SafeInt(r * std::sin(finite ? a : 0));
    m.y = cy - SafeInt(r * std::cos(finite ? a : 0));
    if (m.inRange && m.shown)
      placed.boxes.push_back({m.x - kSymbolHalf - 1, m.y - kSymbolHalf - 1, m.x + kSymbolHalf + 2,
                              m.y + kSymbolHalf + 2});
  }

  for (size_t i = 0; i < targets.size(); ++i) {
    const ScopeTarget& t = targets[i];
    const ScopeMark& m = out.marks[i];
    if (!m.shown) continue;
    const bool advisory = t.level == kThreatTraffic || t.level == kThreatResolution;
    Colour colour = t.slot == selectedSlot ? sc::kSelected
                    : m.inRange            ? sc::kTarget
                                           : sc::kOffRange;
    if (advisories && (m.inRange || advisory)) colour = ClassColour(t.level, t.slot == selectedSlot);
    if (!m.inRange && advisories && advisory) {
      HalfSymbol(pic, cx, cy, R, t.bearing, t.level, colour);
      continue;
    }
    if (!m.inRange) {
      // A wedge on the outer ring pointing out along the bearing.
      const double a = std::isfinite(t.bearing) ? t.bearing * kPi / 180.0 : 0;
      const double s = std::sin(a), c = std::cos(a);
      pic.Triangle(cx + SafeInt((R + 8) * s), cy - SafeInt((R + 8) * c),
                   cx + SafeInt((R - 1) * s + 4 * c), cy - SafeInt((R - 1) * c - 4 * s),
                   cx + SafeInt((R - 1) * s - 4 * c), cy - SafeInt((R - 1) * c + 4 * s), colour);
      continue;
    }
    const double h = t.heading * kPi / 180.0;
    pic.Line(m.x, m.y, m.x + SafeInt(kLeaderLength * std::sin(h)),
             m.y - SafeInt(kLeaderLength * std::cos(h)), colour);
    if (advisories)
      ClassSymbol(pic, m.x, m.y, t.level, colour);
    else
      pic.Fill({m.x - kSymbolHalf, m.y - kSymbolHalf, m.x + kSymbolHalf + 1, m.y + kSymbolHalf + 1},
               colour);
    if (t.slot == selectedSlot) pic.Frame({m.x - 7, m.y - 7, m.x + 8, m.y + 8}, sc::kSelected);
  }

  // Labels: the selected target first, then the nearest; a label that finds no free place
  // is left out rather than drawn over another.
  std::vector<size_t> order;
  for (size_t i = 0; i < targets.size(); ++i)
    if (out.marks[i].inRange && out.marks[i].shown) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const bool sa = targets[a].slot == selectedSlot, sb = targets[b].slot == selectedSlot;
    if (sa != sb) return sa;
    return targets[a].distance < targets[b].distance;
  });
  const Box inside = {0, 0, width, height};
  for (size_t i : order) {
    const ScopeTarget& t = targets[i];
    ScopeMark& m = out.marks[i];
    char heightText[8];
    if (advisories)
      FormatRelativeAltitude(t.heightDiff, heightText, sizeof heightText);
    else
      FormatScopeHeight(t.heightDiff, heightText, sizeof heightText);
    const bool arrow = std::abs(t.verticalSpeed) >= kScopeClimbArrowFpm;
    const int identWidth = int(strnlen(t.identifier, sizeof t.identifier)) * text.charWidth;
    const int heightWidth = int(std::strlen(heightText) + (arrow ? 2 : 0)) * text.charWidth;
    const int w = std::max(identWidth, heightWidth), lh = 2 * text.height;
    const int gap = kSymbolHalf + 4;
    const Box candidates[] = {
        {m.x + gap, m.y - lh, m.x + gap + w, m.y},  // upper right
        {m.x + gap, m.y, m.x + gap + w, m.y + lh},  // lower right
        {m.x - gap - w, m.y - lh, m.x - gap, m.y},  // upper left
        {m.x - gap - w, m.y, m.x - gap, m.y + lh},  // lower left
        {m.x + gap, m.y - lh / 2, m.x + gap + w, m.y + lh / 2},
        {m.x - gap - w, m.y - lh / 2, m.x - gap, m.y + lh / 2},
        {m.x - w / 2, m.y - gap - lh, m.x + w - w / 2, m.y - gap},
        {m.x - w / 2, m.y + gap, m.x + w - w / 2, m.y + gap + lh},
    };
    const Box* chosen = nullptr;
    for (const Box& b : candidates)
      if (placed.Free(b, inside)) {
        chosen = &b;
        break;
      }
    if (!chosen && t.slot == selectedSlot) chosen = &candidates[0];
    if (!chosen) continue;
    m.labelled = true;
    m.label = *chosen;
    placed.boxes.push_back(*chosen);
    const Colour colour = advisories ? ClassColour(t.level, t.slot == selectedSlot)
                          : t.slot == selectedSlot ? sc::kSelected
                                                   : sc::kTarget;
    const int y0 = chosen->top + text.height / 2;
    pic.Text(chosen->left, y0, t.identifier, colour);
    pic.Text(chosen->left, y0 + text.height, heightText, colour);
    if (arrow) {
      const int ax =
          chosen->left + int(std::strlen(heightText)) * text.charWidth + text.charWidth / 2;
      const int ay = y0 + text.height, d = std::max(3, text.height / 3);
      if (t.verticalSpeed > 0)
        pic.Triangle(ax, ay + d, ax + 2 * d, ay + d, ax + d, ay - d, colour);
      else
        pic.Triangle(ax, ay - d, ax + 2 * d, ay - d, ax + d, ay + d, colour);
    }
  }
  return out;
}

int ScopeHitTest(const ScopeLayout& layout, int x, int y) {
  int best = -1;
  long long bestSquare = (long long)kHitRadius * kHitRadius + 1;
  for (const ScopeMark& m : layout.marks) {
    if (!m.shown) continue;
    const long long dx = m.x - x, dy = m.y - y, square = dx * dx + dy * dy;
    if (square < bestSquare) {
      bestSquare = square;
      best = m.slot;
    }
  }
  return best;
}
