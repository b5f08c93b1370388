// Traffic advisories: every occupied slot of the traffic table is followed as a track from
// refresh to refresh, and classed by time to closest approach with thresholds that depend on
// the own altitude. Platform-free; Palvio calls Update once per successful refresh.
#pragma once

#include <cstdint>

#include "traffic/traffic_table.h"

enum ThreatLevel : int {
  kThreatNone = -1,  // no track, or not judged yet
  kThreatOther = 0,
  kThreatProximate = 1,
  kThreatTraffic = 2,     // traffic advisory (TA)
  kThreatResolution = 3,  // resolution-level threat: Palvio advises no manoeuvre
};

// "Other", "Proximate", "TA", "RA-level"; "" for kThreatNone or anything else.
const char* ThreatLevelText(ThreatLevel level);

struct TargetAdvisory {
  bool tracked = false;  // the slot is occupied and its track has enough samples to judge
  ThreatLevel level = kThreatNone;
  double range = 0;             // nm, smoothed
  double rangeRate = 0;         // kt, negative when closing
  double relativeAltitude = 0;  // ft, target minus own
  double verticalRate = 0;      // fpm, rate of the relative altitude
  double closestRange = 0;      // nm, horizontal distance at the closest approach
  double closestTime = -1;      // s until the closest approach; negative when not closing
  bool began = false;           // a TA or resolution-level advisory began at this update (not
                                // when a TA turns RA-level, nor within 8 s of its last end)
  uint32_t id = 0;              // the record's id
  double bearing = 0;           // true degrees from the own aircraft, [0, 360)
};

// One sensitivity level: own altitudes up to `ceiling` feet use it.
struct SensitivityLevel {
  double ceiling;  // ft
  double taTau;    // s
  double taDmod;   // nm
  double taZthr;   // ft
  double raTau;    // s; 0: no resolution-level advisories at this level
  double raDmod;   // nm
  double raZthr;   // ft
};

constexpr int kSensitivityLevels = 7;

struct AdvisoryThresholds {
  SensitivityLevel levels[kSensitivityLevels] = {
      {1000, 20, 0.30, 850, 0, 0, 0},         {2350, 25, 0.33, 850, 15, 0.20, 600},
      {5000, 30, 0.48, 850, 20, 0.35, 600},   {10000, 40, 0.75, 850, 25, 0.55, 600},
      {20000, 45, 1.00, 850, 30, 0.80, 600},  {42000, 48, 1.30, 850, 35, 1.10, 700},
      {1e300, 48, 1.30, 1200, 35, 1.10, 800},
  };
  double proximateRange = 6;        // nm
  double proximateAltitude = 1200;  // ft
  double minimumSpeed = 30;         // kt, own and target; slower means on the ground
  double minimumSeconds = 8;        // an advisory lasts at least this long
  double dropSeconds = 20;          // a track not seen for this long is forgotten
};

// The level for an own altitude (ft); a non-finite altitude takes the lowest.
const SensitivityLevel& LevelForAltitude(const AdvisoryThresholds& thresholds, double altitude);

// About 34 KB: keep it static or on the heap, not on the stack.
class AdvisoryTracker {
 public:
  AdvisoryTracker();
  explicit AdvisoryTracker(const AdvisoryThresholds& thresholds);

  void SetThresholds(const AdvisoryThresholds& thresholds);
  const AdvisoryThresholds& Thresholds() const { return thresholds_; }

  // One refresh: the traffic table just fetched, the own position decoded from it, and a
  // monotonic clock in seconds. A clock that goes backwards forgets every track; one that has
  // not moved (or is not a number) only takes out the targets that left their slots.
  void Update(const TrafficTable& table, const OwnPosition& own, double nowSeconds);
  // Slot 0 .. kMaxSlots-1; any other slot gives an untracked entry.
  const TargetAdvisory& Target(int slot) const;
  int AdvisoryCount() const;  // targets now at TA or resolution level
  int StrongestSlot() const;  // the slot of the most urgent advisory, or -1
  void Reset();               // forget every track (after a failed connection, say)

  // The own aircraft's ground speed from its successive positions, kt; 0 until known.
  double OwnGroundSpeed() const { return ownSpeed_; }

 private:
  struct Sample {
    double t;     // s
    double p[3];  // nm, earth-centred
    double alt;   // ft
  };
  static constexpr int kWindow = 5;
  struct Track {
    uint32_t id = 0;
    int count = 0;          // samples held, newest at samples[0]
    bool rejected = false;  // the last sample failed the gate and was left out
    Sample samples[kWindow];
    double lastSeen = 0;
    bool advisory = false;
    double advisoryStart = 0;
    double advisoryEnd = -1e300;
  };
  struct Fit {
    double p[3];     // nm, at the time asked
    double v[3];     // nm/s
    double alt;      // ft
    double altRate;  // ft/s
  };
  struct EndedAdvisory {
    uint32_t id;
    double end;
  };

  static bool FitTrack(const Track& track, double at, Fit& fit);
  static void AddSample(Track& track, const Sample& sample);
  bool RecentlyEnded(uint32_t id, double now) const;
  void EndAdvisory(int slot, double end);
  void Rank();
  void Judge(int slot, const Fit& target, const Fit& own, double ownAltitude, double now);

  AdvisoryThresholds thresholds_;
  Track tracks_[kMaxSlots];
  Track own_;
  TargetAdvisory targets_[kMaxSlots];
  EndedAdvisory ended_[kMaxSlots];
  double last_ = 0;
  bool started_ = false;
  double ownSpeed_ = 0;
  int advisoryCount_ = 0;
  int strongest_ = -1;
};

// The list's sort by threat: level (strongest first), then time to closest approach (soonest
// first, not closing last), then range; untracked slots last. Negative when slotA comes first.
int CompareThreat(const AdvisoryTracker& tracker, int slotA, int slotB);
