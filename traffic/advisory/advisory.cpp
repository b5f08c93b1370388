#include "traffic/advisory/advisory.h"

#include <cmath>

// How a track is smoothed: every sample is turned into a point of the earth-centred frame (nm
// on a sphere of 3437.75 nm, altitude kept apart in feet), which has no meridian and no pole.
// The track holds its last 5 samples of at most 12 s; a straight line is fitted through them by
// least squares, per coordinate and for the altitude, and gives the position and altitude at the
// newest sample and their rates. The own aircraft is tracked the same way from its successive
// positions. A sample that lies further from the line's prediction than any aircraft could fly
// (0.5 nm + 1,200 kt, 500 ft + 6,000 fpm) restarts its track, and a track is judged only with 3
// samples or more: one stray sample moves the fit by a fraction, a jump starts afresh.

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kEarthRadiusNm = 3437.75;
constexpr int kMinSamples = 3;
constexpr double kWindowSeconds = 12;
constexpr double kGateNm = 0.5;
constexpr double kGateNmPerSecond = 1200.0 / 3600.0;
constexpr double kGateFeet = 500;
constexpr double kGateFeetPerSecond = 100;

double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool PositionUsable(double lat, double lon, double alt) {
  return std::isfinite(lat) && std::isfinite(lon) && std::isfinite(alt) && std::fabs(lat) <= 90 &&
         std::fabs(lon) <= 360 && std::fabs(alt) < 1e6;
}

void ToEarthCentred(double lat, double lon, double* p) {
  const double phi = lat * kPi / 180, lambda = lon * kPi / 180;
  p[0] = kEarthRadiusNm * std::cos(phi) * std::cos(lambda);
  p[1] = kEarthRadiusNm * std::cos(phi) * std::sin(lambda);
  p[2] = kEarthRadiusNm * std::sin(phi);
}

}  // namespace

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

void AdvisoryTracker::SetThresholds(const AdvisoryThresholds& thresholds) {
  thresholds_ = thresholds;
}

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
  last_ = 0;
  started_ = false;
  ownSpeed_ = 0;
  advisoryCount_ = 0;
  strongest_ = -1;
}

bool AdvisoryTracker::FitTrack(const Track& track, double at, Fit& fit) {
  const int n = track.count;
  if (n < 2) return false;
  double tm = 0, q[4] = {0, 0, 0, 0};
  for (int i = 0; i < n; ++i) {
    const Sample& s = track.samples[i];
    tm += s.t;
    q[0] += s.p[0];
    q[1] += s.p[1];
    q[2] += s.p[2];
    q[3] += s.alt;
  }
  tm /= n;
  for (double& v : q) v /= n;
  double stt = 0, sq[4] = {0, 0, 0, 0};
  for (int i = 0; i < n; ++i) {
    const Sample& s = track.samples[i];
    const double dt = s.t - tm;
    stt += dt * dt;
    sq[0] += dt * (s.p[0] - q[0]);
    sq[1] += dt * (s.p[1] - q[1]);
    sq[2] += dt * (s.p[2] - q[2]);
    sq[3] += dt * (s.alt - q[3]);
  }
  if (!(stt > 1e-6)) return false;
  const double ahead = at - tm;
  for (int k = 0; k < 3; ++k) {
    fit.v[k] = sq[k] / stt;
    fit.p[k] = q[k] + fit.v[k] * ahead;
  }
  fit.altRate = sq[3] / stt;
  fit.alt = q[3] + fit.altRate * ahead;
  return true;
}

// Adds a sample to a track. A sample that cannot follow from the track so far is left out once;
// a second one in a row restarts the track from it.
void AdvisoryTracker::AddSample(Track& track, const Sample& sample) {
  if (track.count > 0) {
    const Sample& newest = track.samples[0];
    const double dt = sample.t - newest.t;
    Fit fit;
    if (!FitTrack(track, sample.t, fit)) {
      for (int k = 0; k < 3; ++k) fit.p[k] = newest.p[k];
      fit.alt = newest.alt;
    }
    const double d[3] = {sample.p[0] - fit.p[0], sample.p[1] - fit.p[1], sample.p[2] - fit.p[2]};
    if (!(dt > 0) || std::sqrt(Dot(d, d)) > kGateNm + kGateNmPerSecond * dt ||
        std::fabs(sample.alt - fit.alt) > kGateFeet + kGateFeetPerSecond * dt) {
      if (!track.rejected && dt > 0) {
        track.rejected = true;
        return;
      }
      track.count = 0;
    }
  }
  track.rejected = false;
  int keep = track.count < kWindow ? track.count : kWindow - 1;
  while (keep > 0 && sample.t - track.samples[keep - 1].t > kWindowSeconds) --keep;
  for (int i = keep; i > 0; --i) track.samples[i] = track.samples[i - 1];
  track.samples[0] = sample;
  track.count = keep + 1;
  track.lastSeen = sample.t;
}

bool AdvisoryTracker::RecentlyEnded(uint32_t id, double now) const {
  for (const EndedAdvisory& ended : ended_) {
    if (ended.id == id && now >= ended.end && now - ended.end < thresholds_.minimumSeconds)
      return true;
  }
  return false;
}

void AdvisoryTracker::EndAdvisory(int slot, double end) {
  Track& track = tracks_[slot];
  if (!track.advisory) return;
  track.advisory = false;
  ended_[slot] = EndedAdvisory{track.id, end};
}

void AdvisoryTracker::Update(const TrafficTable& table, const OwnPosition& own, double now) {
  if (!std::isfinite(now) || (started_ && now == last_)) {
    // No time has passed to judge by; only what left its slot is taken out.
    for (int slot = 0; slot < kMaxSlots; ++slot) {
      TrafficRecordFields record;
      if (table.SlotRecord(slot, record) && record.id == targets_[slot].id) continue;
      EndAdvisory(slot, last_);
      targets_[slot] = TargetAdvisory();
    }
    Rank();
    return;
  }
  if (started_ && now < last_) Reset();
  started_ = true;
  last_ = now;

  // The own aircraft.
  bool ownKnown = false;
  Fit ownFit;
  if (own_.count > 0 && now - own_.lastSeen > thresholds_.dropSeconds) own_.count = 0;
  if (PositionUsable(own.latitude, own.longitude, own.altitude)) {
    Sample sample;
    sample.t = now;
    ToEarthCentred(own.latitude, own.longitude, sample.p);
    sample.alt = own.altitude;
    AddSample(own_, sample);
    ownKnown = own_.count >= kMinSamples && FitTrack(own_, now, ownFit);
  } else {
    own_.count = 0;
  }
  ownSpeed_ = ownKnown ? std::sqrt(Dot(ownFit.v, ownFit.v)) * 3600 : 0;

  // The own aircraft's local east and north, for the bearings (at a pole both are taken as if
  // at longitude 0).
  const double phi = own.latitude * kPi / 180, lambda = own.longitude * kPi / 180;
  const double east[3] = {-std::sin(lambda), std::cos(lambda), 0};
  const double north[3] = {-std::sin(phi) * std::cos(lambda), -std::sin(phi) * std::sin(lambda),
                           std::cos(phi)};

  for (int slot = 0; slot < kMaxSlots; ++slot) {
    TargetAdvisory& out = targets_[slot];
    out = TargetAdvisory();
    Track& track = tracks_[slot];
    TrafficRecordFields record;
    const bool stale = now - track.lastSeen > thresholds_.dropSeconds;
    if (!table.SlotRecord(slot, record)) {
      EndAdvisory(slot, stale ? track.lastSeen : now);
      if (stale) track = Track();
      continue;
    }
    out.id = record.id;
    if (record.id != track.id || stale) {
      EndAdvisory(slot, stale ? track.lastSeen : now);
      track = Track();
      track.id = record.id;
    }
    if (!PositionUsable(record.latitude, record.longitude, record.altitude)) {
      EndAdvisory(slot, now);
      track.count = 0;
      track.lastSeen = now;
      continue;
    }
    Sample sample;
    sample.t = now;
    ToEarthCentred(record.latitude, record.longitude, sample.p);
    sample.alt = record.altitude;
    AddSample(track, sample);

    Fit fit;
    if (!ownKnown || track.count < kMinSamples || !FitTrack(track, now, fit)) {
      EndAdvisory(slot, now);
      continue;
    }
    Judge(slot, fit, ownFit, own.altitude, now);
    const double e = Dot(fit.p, east) - Dot(ownFit.p, east);
    const double n = Dot(fit.p, north) - Dot(ownFit.p, north);
    double bearing = (e == 0 && n == 0) ? 0 : std::atan2(e, n) * 180 / kPi;
    if (bearing < 0) bearing += 360;
    if (bearing >= 360) bearing -= 360;
    out.bearing = bearing;
  }

  Rank();
}

void AdvisoryTracker::Rank() {
  advisoryCount_ = 0;
  strongest_ = -1;
  for (int slot = 0; slot < kMaxSlots; ++slot) {
    if (targets_[slot].level < kThreatTraffic) continue;
    ++advisoryCount_;
    if (strongest_ < 0 || CompareThreat(*this, slot, strongest_) < 0) strongest_ = slot;
  }
}

void AdvisoryTracker::Judge(int slot, const Fit& target, const Fit& own, double ownAltitude,
                            double now) {
  TargetAdvisory& out = targets_[slot];
  Track& track = tracks_[slot];
  const double p[3] = {target.p[0] - own.p[0], target.p[1] - own.p[1], target.p[2] - own.p[2]};
  const double v[3] = {target.v[0] - own.v[0], target.v[1] - own.v[1], target.v[2] - own.v[2]};
  const double r = std::sqrt(Dot(p, p));
  const double rdot = r > 1e-9 ? Dot(p, v) / r : 0;  // nm/s
  const double h = target.alt - own.alt;
  const double hdot = target.altRate - own.altRate;  // ft/s
  const double vv = Dot(v, v);

  out.tracked = true;
  out.range = r;
  out.rangeRate = rdot * 3600;
  out.relativeAltitude = h;
  out.verticalRate = hdot * 60;
  out.closestRange = r;
  out.closestTime = -1;
  if (rdot < 0 && vv > 0) {
    const double tc = -Dot(p, v) / vv;
    const double c[3] = {p[0] + v[0] * tc, p[1] + v[1] * tc, p[2] + v[2] * tc};
    out.closestTime = tc;
    out.closestRange = std::sqrt(Dot(c, c));
  }

  // The two tests of one threshold set: time to the modified range, and time to co-altitude.
  auto Holds = [&](double tau, double dmod, double zthr) {
    const bool rangeTest = r <= dmod || (rdot < 0 && (r - dmod * dmod / r) / -rdot <= tau);
    const bool altitudeTest =
        std::fabs(h) <= zthr || (h * hdot < 0 && std::fabs(h) <= tau * std::fabs(hdot));
    return rangeTest && altitudeTest;
  };
  const SensitivityLevel& level = LevelForAltitude(thresholds_, ownAltitude);
  const bool moving = std::sqrt(Dot(own.v, own.v)) * 3600 >= thresholds_.minimumSpeed &&
                      std::sqrt(Dot(target.v, target.v)) * 3600 >= thresholds_.minimumSpeed;
  ThreatLevel computed = kThreatOther;
  if (moving && level.raTau > 0 && Holds(level.raTau, level.raDmod, level.raZthr)) {
    computed = kThreatResolution;
  } else if (moving && Holds(level.taTau, level.taDmod, level.taZthr)) {
    computed = kThreatTraffic;
  } else if (r <= thresholds_.proximateRange && std::fabs(h) <= thresholds_.proximateAltitude) {
    computed = kThreatProximate;
  }

  if (computed >= kThreatTraffic) {
    if (!track.advisory) {
      track.advisory = true;
      track.advisoryStart = now;
      out.began = !RecentlyEnded(track.id, now);
    }
  } else if (track.advisory && now - track.advisoryStart < thresholds_.minimumSeconds) {
    // Held for its first 8 s, even when a turn brings the fitted speed under 30 kt for a moment.
    computed = kThreatTraffic;
  } else {
    EndAdvisory(slot, now);
  }
  out.level = computed;
}

int CompareThreat(const AdvisoryTracker& tracker, int slotA, int slotB) {
  const TargetAdvisory& a = tracker.Target(slotA);
  const TargetAdvisory& b = tracker.Target(slotB);
  if (a.tracked != b.tracked) return a.tracked ? -1 : 1;
  if (a.tracked) {
    if (a.level != b.level) return a.level > b.level ? -1 : 1;
    const bool aClosing = a.closestTime >= 0, bClosing = b.closestTime >= 0;
    if (aClosing != bClosing) return aClosing ? -1 : 1;
    if (aClosing && a.closestTime != b.closestTime) return a.closestTime < b.closestTime ? -1 : 1;
    if (a.range != b.range) return a.range < b.range ? -1 : 1;
  }
  return slotA < slotB ? -1 : slotA > slotB ? 1 : 0;
}
