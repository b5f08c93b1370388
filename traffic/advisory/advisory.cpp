#include "traffic/advisory/advisory.h"

#include <cmath>

const char* ThreatLevelText(ThreatLevel level) {
  switch (level) {
    case kThreatOther: return "Other";
    case kThreatProximate: return "Proximate";
    case kThreatTraffic: return "TA";
    case kThreatResolution: return "RA-level";
    default: return "";
  }
}

const SensitivityLevel& LevelForAltitude(const AdvisoryThresholds& thresholds, double altitude) {
  if (!std::isfinite(altitude)) return thresholds.levels[0];
  for (int i = 0; i < kSensitivityLevels - 1; ++i) {
    if (altitude <= thresholds.levels[i].ceiling) return thresholds.levels[i];
  }
  return thresholds.levels[kSensitivityLevels - 1];
}

AdvisoryTracker::AdvisoryTracker() { Reset(); }

AdvisoryTracker::AdvisoryTracker(const AdvisoryThresholds& thresholds) : thresholds_(thresholds) {
  Reset();
}

void AdvisoryTracker::SetThresholds(const AdvisoryThresholds& thresholds) { thresholds_ = thresholds; }

void AdvisoryTracker::Update(const TrafficTable&, const OwnPosition&, double) {}

const TargetAdvisory& AdvisoryTracker::Target(int slot) const {
  static const TargetAdvisory kNone;
  if (slot < 0 || slot >= kMaxSlots) return kNone;
  return targets_[slot];
}

int AdvisoryTracker::AdvisoryCount() const { return advisoryCount_; }

int AdvisoryTracker::StrongestSlot() const { return strongest_; }

void AdvisoryTracker::Reset() {
  for (Track& track : tracks_) track = Track();
  own_ = Track();
  for (TargetAdvisory& target : targets_) target = TargetAdvisory();
  for (EndedAdvisory& ended : ended_) ended = EndedAdvisory{0, -1e300};
  started_ = false;
  ownSpeed_ = 0;
  advisoryCount_ = 0;
  strongest_ = -1;
}

void AdvisoryTracker::Judge(int, const Fit&, const Fit&, double, double) {}

int CompareThreat(const AdvisoryTracker&, int slotA, int slotB) { return slotA - slotB; }
