// The traffic scope: a plan view centred on the user's aircraft, magnetic north up, laid out in
// the window's pixels from the slots the list shows. Platform-free; the window only paints it.
#pragma once

#include <cstdint>
#include <vector>

#include "common/picture.h"
#include "traffic/advisory_display.h"
#include "traffic/traffic_table.h"

struct ScopeTarget {
  int slot = 0;
  char identifier[17] = {};
  double distance = 0;    // nautical miles
  double bearing = 0;     // magnetic degrees
  double heightDiff = 0;  // hundreds of feet, + above the user
  int heading = 0;        // magnetic degrees, as the list shows it
  int verticalSpeed = 0;  // feet per minute
  ThreatLevel level = kThreatNone;  // drawn only while advisories are on
};

// Every occupied slot of the last fetch, with the list's own arithmetic. The table is copied:
// formatting a slot updates sort keys, and the list's are not the scope's to touch.
std::vector<ScopeTarget> ScopeTargetsFrom(TrafficTable table);

// Ranges the + and - keys step through, in nautical miles.
constexpr int kScopeRangeCount = 7;
double ScopeRange(int index);          // 2.5, 5, 10, 20, 40, 80, 160
constexpr int kDefaultScopeRange = 3;  // 20 nm
// The index `steps` further (negative: closer in), kept to the ends.
int StepScopeRange(int index, int steps);
// The same by nautical miles; with advisories on 3 nm joins the steps (2.5, 3, 5 ... 160).
double StepScopeRangeNm(double rangeNm, int steps, bool advisories);

// A climb or descent of this many feet per minute or more gets an arrow.
constexpr int kScopeClimbArrowFpm = 500;

// "+05", "-12": hundreds of feet with their sign, rounded as the list rounds them.
void FormatScopeHeight(double heightDiff, char* out, size_t size);
// "VAR 3.0W" from the variation in 65536ths of a circle (positive east).
void FormatScopeVariation(int16_t variation, char* out, size_t size);

struct ScopeMark {
  int slot = 0;
  int x = 0, y = 0;  // the symbol's centre, or the mark's point on the outer ring
  bool inRange = true;
  bool shown = true;  // false: left out by the altitude filter
  bool labelled = false;
  Box label;  // where the identifier and height went, when labelled
};

struct ScopeLayout {
  Picture picture;
  bool tooSmall = false;
  int centreX = 0, centreY = 0, radius = 0;  // the outer ring
  double rangeNm = 0;
  std::vector<ScopeMark> marks;  // in the order of the targets given
};

ScopeLayout LayoutScope(const std::vector<ScopeTarget>& targets, int rangeIndex, int16_t variation,
                        int selectedSlot, int width, int height, const TextSize& text);

// With advisories on, targets are drawn by their class: an open diamond (other), a filled
// diamond (proximate), an amber disc (TA), a red square (resolution level); a TA or
// resolution-level target beyond the range is half a symbol on the outer ring, and the
// altitude filter leaves out the others outside its band. Off, the picture is LayoutScope's.
struct ScopeView {
  double rangeNm = 20;
  bool advisories = false;
  AltitudeFilter filter = kFilterNorm;
};
ScopeLayout LayoutScopeView(const std::vector<ScopeTarget>& targets, const ScopeView& view,
                            int16_t variation, int selectedSlot, int width, int height,
                            const TextSize& text);

// The slot whose symbol or mark is nearest to (x, y) within a few pixels, or -1.
int ScopeHitTest(const ScopeLayout& layout, int x, int y);

namespace scope_colours {
constexpr Colour kBackground = {10, 26, 22};
constexpr Colour kRing = {40, 110, 75};
constexpr Colour kRingText = {90, 170, 120};
constexpr Colour kTarget = {200, 255, 200};
constexpr Colour kSelected = {255, 215, 0};
constexpr Colour kOffRange = {120, 200, 150};
constexpr Colour kOwn = {255, 255, 255};
constexpr Colour kText = {170, 220, 185};
constexpr Colour kTrafficAdvisory = {255, 176, 0};  // amber
constexpr Colour kResolution = {255, 40, 40};
}  // namespace scope_colours
