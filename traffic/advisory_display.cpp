#include "traffic/advisory_display.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char* const kFilterNames[kFilterCount] = {"NORM", "ABOVE", "BELOW", "ALL"};

bool SameIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

}  // namespace

const char* FilterName(AltitudeFilter filter) {
  return filter >= 0 && filter < kFilterCount ? kFilterNames[filter] : kFilterNames[0];
}

AltitudeFilter ParseFilter(const char* text) {
  if (!text) return kFilterNorm;
  for (int i = 0; i < kFilterCount; ++i)
    if (SameIgnoringCase(text, kFilterNames[i])) return AltitudeFilter(i);
  if (text[0] >= '0' && text[0] < '0' + kFilterCount && text[1] == '\0')
    return AltitudeFilter(text[0] - '0');
  return kFilterNorm;
}

bool FilterShows(AltitudeFilter filter, double relativeFeet, ThreatLevel level) {
  if (level == kThreatTraffic || level == kThreatResolution) return true;
  if (filter == kFilterAll) return true;
  if (!std::isfinite(relativeFeet)) return false;
  const double low = filter == kFilterBelow ? -9000 : -2700;
  const double high = filter == kFilterAbove ? 9000 : 2700;
  return relativeFeet >= low && relativeFeet <= high;
}

bool ParseSwitch(const char* text) { return text && text[0] == '1' && text[1] == '\0'; }

void FormatAdvisoryCells(const TargetAdvisory& target, AdvisoryCells& out) {
  std::memset(&out, 0, sizeof out);
  if (!target.tracked || target.level == kThreatNone) return;
  std::snprintf(out.cell[0], sizeof out.cell[0], "%s", ThreatLevelText(target.level));
  if (!(target.closestTime >= 0) || !std::isfinite(target.closestTime) ||
      !std::isfinite(target.closestRange))
    return;
  const double range = std::fmin(std::fmax(target.closestRange, 0.0), 9999.0);
  const double seconds = std::fmin(target.closestTime, 99999.0);
  std::snprintf(out.cell[1], sizeof out.cell[1], "%.1f nm", range);
  std::snprintf(out.cell[2], sizeof out.cell[2], "%d s", int(seconds + 0.5));
}

void FormatRelativeAltitude(double heightDiffHundreds, char* out, size_t size) {
  if (!std::isfinite(heightDiffHundreds)) {
    std::snprintf(out, size, "--");
    return;
  }
  const double magnitude = std::fabs(heightDiffHundreds);
  if (magnitude < 1.0) {
    std::snprintf(out, size, "00");
    return;
  }
  const unsigned hundreds = magnitude + 0.5 < 999.0 ? unsigned(magnitude + 0.5) : 999u;
  std::snprintf(out, size, "%c%02u", heightDiffHundreds < 0 ? '-' : '+', hundreds);
}

void FormatTrafficAlert(double magneticBearing, double heightDiffHundreds, char* out, size_t size) {
  char height[8];
  FormatRelativeAltitude(heightDiffHundreds, height, sizeof height);
  double b = std::isfinite(magneticBearing) ? std::fmod(magneticBearing, 360.0) : 0;
  if (b < 0) b += 360;
  const int shown = int(b + 0.5);  // rounded as the list's bearing: 359.6 shows 360
  std::snprintf(out, size, "TRAFFIC %03d %s", shown, height);
}
