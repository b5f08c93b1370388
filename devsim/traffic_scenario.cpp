#include "devsim/traffic_scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "link/request_block.h"

namespace {

constexpr double kPi = 3.14159265358979;

void PutU64(uint8_t* p, uint32_t low, uint32_t high) {
  PutU32(p, low);
  PutU32(p + 4, high);
}

double NormaliseDegrees(double d) {
  d = std::fmod(d, 360.0);
  return d < 0 ? d + 360.0 : d;
}

const char* const kAirlines[] = {"BAW", "EZY", "RYR", "DLH", "AFR", "KLM", "VIR", "UAE", "SAS", "IBE", "SHT", "TOM"};
const uint16_t kFrequencies[] = {0x1850, 0x1870, 0x1972, 0x2040, 0x2190, 0x2752, 0x3417, 0x3312, 0};

}  // namespace

// High part: whole units of 90/10001750 degree, signed; low part: the fraction of a unit. South
// keeps the fraction positive and on the magnitude, as the decoder adds it there.
void EncodeLatitude64(uint8_t* p, double degrees) {
  double units = std::fabs(degrees) * 10001750.0 / 90.0;
  double whole = std::floor(units);
  uint32_t low = uint32_t(std::min((units - whole) * 4294967296.0, 4294967295.0));
  int32_t high = int32_t(whole);
  PutU64(p, low, uint32_t(degrees < 0 ? -high : high));
}

// The whole 64 bits are a fraction of 360 degrees; western longitudes are above 180.
void EncodeLongitude64(uint8_t* p, double degrees) {
  double turns = NormaliseDegrees(degrees) / 360.0 * 4294967296.0;
  double high = std::floor(turns);
  uint32_t low = uint32_t(std::min((turns - high) * 4294967296.0, 4294967295.0));
  PutU64(p, low, uint32_t(high));
}

void EncodeAltitude64(uint8_t* p, double metres) {
  double whole = std::floor(metres);
  PutU64(p, uint32_t((metres - whole) * 4294967296.0), uint32_t(int32_t(whole)));
}

TrafficScenario::TrafficScenario(int aircraft) { Reset(aircraft); }

double TrafficScenario::Random() {
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  return (random_ & 0xFFFFFF) / double(0x1000000);
}

void TrafficScenario::Reset(int aircraft) {
  aircraft = std::max(0, std::min(aircraft, kTrafficMaxSlots));
  aircraft_ = aircraft;
  ownLatitude_ = kUserLatitude;
  ownLongitude_ = kUserLongitude;
  ownAltitudeMetres_ = kUserAltitudeMetres;
  int gaps = std::min(aircraft / 6, kTrafficMaxSlots - aircraft);
  int slotCount = aircraft + gaps;
  random_ = 0x2545F491u;
  slots_.assign(size_t(slotCount), TrafficAircraft());
  int placedGaps = 0, k = 0;
  for (int slot = 0; slot < slotCount; ++slot) {
    if (placedGaps < gaps && (slot % 7 == 3 || slotCount - slot == gaps - placedGaps)) {
      ++placedGaps;
      continue;
    }
    TrafficAircraft& a = slots_[size_t(slot)];
    a.id = 0x00010000u | uint16_t(-(k + 1));  // Palvio shows reference k + 1
    double distance = 1.0 + 149.0 * std::pow(std::fmod(k * 0.618034 + 0.1, 1.0), 1.2);
    double bearing = NormaliseDegrees(k * 137.508 + Random() * 20.0);
    a.latitude = kUserLatitude + distance * std::cos(bearing * kPi / 180) / 60.0;
    a.longitude = kUserLongitude +
                  distance * std::sin(bearing * kPi / 180) / 60.0 / std::cos(kUserLatitude * kPi / 180);
    bool light = k % 4 == 3;
    int phase = k % 3;  // 0 climbing away, 1 descending inbound, 2 level
    if (light) {
      std::snprintf(a.identifier, sizeof a.identifier, "G-%c%c%c%c", 'A' + k % 26,
                    'B' + int(Random() * 24), 'C' + int(Random() * 23), 'D' + int(Random() * 22));
      a.altitude = 1500 + std::round(Random() * 6) * 500;
      a.groundSpeed = 95 + std::round(Random() * 45);
    } else {
      std::snprintf(a.identifier, sizeof a.identifier, "%s%d", kAirlines[k % 12], 10 + int(Random() * 980));
      a.altitude = std::min(39000.0, std::round((2000 + distance * (phase == 0 ? 180 : 260)) / 100) * 100);
      a.groundSpeed = std::round(170 + a.altitude * 0.008 + Random() * 30);
    }
    if (phase == 0) {
      a.verticalSpeed = light ? 500 : std::round(12 + Random() * 16) * 100;
      a.targetAltitude = light ? a.altitude + 2000 : std::min(37000.0, a.altitude + 6000 + std::round(Random() * 10) * 1000);
      a.heading = NormaliseDegrees(bearing + (Random() - 0.5) * 60);
    } else if (phase == 1) {
      a.verticalSpeed = light ? -400 : -std::round(8 + Random() * 14) * 100;
      a.targetAltitude = std::max(light ? 1000.0 : 2500.0, a.altitude - 3000 - std::round(Random() * 8) * 1000);
      a.heading = NormaliseDegrees(bearing + 180 + (Random() - 0.5) * 60);
    } else {
      a.targetAltitude = a.altitude;
      a.levelSeconds = 60 + Random() * 300;
      a.heading = NormaliseDegrees(Random() * 360);
    }
    a.com1 = kFrequencies[k % 9];
    ++k;
  }
  if (encounter_ != Encounter::kNone) LoadEncounter();
}

void TrafficScenario::SetEncounter(Encounter encounter) {
  encounter_ = encounter;
  encounterSeconds_ = 0;
  ++encounterStarts_;
  if (encounter == Encounter::kNone)
    Reset(aircraft_);
  else
    LoadEncounter();
}

void TrafficScenario::SetFlight(const FlightPlan& plan) {
  flight_ = plan;
  flightSeconds_ = 0;
}

FlightPoint TrafficScenario::OwnPoint() const {
  if (Flying()) return FlightAt(flight_, flightSeconds_);
  FlightPoint p;
  p.latitude = ownLatitude_;
  p.longitude = ownLongitude_;
  p.feet = ownAltitudeMetres_ * 3.28084;
  return p;
}

void TrafficScenario::LoadEncounter() {
  const EncounterState state = EncounterAt(encounter_, encounterSeconds_, encounterStarts_);
  ownLatitude_ = state.own.latitude;
  ownLongitude_ = state.own.longitude;
  ownAltitudeMetres_ = state.own.altitude / 3.28084;
  slots_.assign(state.slots.size(), TrafficAircraft());
  for (size_t i = 0; i < state.slots.size(); ++i) {
    const EncounterAircraft& e = state.slots[i];
    TrafficAircraft& a = slots_[i];
    a.id = e.id;
    a.latitude = e.latitude;
    a.longitude = e.longitude;
    a.altitude = e.altitude;
    a.heading = e.heading;
    a.groundSpeed = e.groundSpeed;
    a.verticalSpeed = e.verticalSpeed;
    a.targetAltitude = e.altitude;
    std::memcpy(a.identifier, e.identifier, sizeof a.identifier);
    a.com1 = kFrequencies[i % 9];
  }
}

// A level aircraft picks a new level: airliners up or down, light aircraft a little.
void TrafficScenario::NewLevel(TrafficAircraft& a) {
  bool light = a.identifier[1] == '-';
  bool down = a.altitude > (light ? 3000 : 20000) || Random() < 0.5;
  double step = light ? 500 + std::round(Random() * 3) * 500 : 2000 + std::round(Random() * 8) * 1000;
  a.targetAltitude = down ? std::max(light ? 1000.0 : 2500.0, a.altitude - step)
                          : std::min(light ? 6000.0 : 39000.0, a.altitude + step);
  a.verticalSpeed = (down ? -1 : 1) * (light ? 500 : 1000 + std::round(Random() * 15) * 100);
  if (a.targetAltitude == a.altitude) a.verticalSpeed = 0;
}

void TrafficScenario::Advance(double seconds) {
  if (!(seconds > 0)) return;
  if (Flying()) flightSeconds_ += seconds;
  if (encounter_ != Encounter::kNone) {
    encounterSeconds_ += seconds;
    LoadEncounter();
    return;
  }
  for (TrafficAircraft& a : slots_) {
    if (a.id == 0) continue;
    double nm = a.groundSpeed * seconds / 3600.0;
    a.latitude += nm * std::cos(a.heading * kPi / 180) / 60.0;
    a.longitude += nm * std::sin(a.heading * kPi / 180) / 60.0 / std::cos(a.latitude * kPi / 180);
    a.altitude += a.verticalSpeed * seconds / 60.0;
    if ((a.verticalSpeed > 0 && a.altitude >= a.targetAltitude) ||
        (a.verticalSpeed < 0 && a.altitude <= a.targetAltitude)) {
      a.altitude = a.targetAltitude;
      a.verticalSpeed = 0;
      a.levelSeconds = 60 + Random() * 300;
    } else if (a.verticalSpeed == 0 && (a.levelSeconds -= seconds) <= 0) {
      NewLevel(a);
    }
    // Beyond 150 nm an aircraft turns back towards the airport, so the scenario stays full.
    double north = (a.latitude - kUserLatitude) * 60.0;
    double east = (a.longitude - kUserLongitude) * 60.0 * std::cos(kUserLatitude * kPi / 180);
    if (north * north + east * east > 150.0 * 150.0) {
      double home = std::atan2(-east, -north) * 180 / kPi;
      a.heading = NormaliseDegrees(home + (Random() - 0.5) * 40);
    }
  }
}

void TrafficScenario::SetHeaderOverride(int slots, int recordSize) {
  slotsOverride_ = slots;
  recordSizeOverride_ = recordSize;
}

int TrafficScenario::AircraftCount() const {
  return int(std::count_if(slots_.begin(), slots_.end(), [](const TrafficAircraft& a) { return a.id != 0; }));
}

void TrafficScenario::BuildTable(uint8_t* table) const {
  std::memset(table, 0, kTrafficTableSize);
  size_t stride = recordSizeOverride_ >= int(kTrafficRecordSize) ? size_t(recordSizeOverride_) : kTrafficRecordSize;
  PutU16(table, uint16_t(recordSizeOverride_ >= 0 ? recordSizeOverride_ : int(kTrafficRecordSize)));
  PutU16(table + 2, uint16_t(slotsOverride_ >= 0 ? slotsOverride_ : SlotCount()));
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    const TrafficAircraft& a = slots_[slot];
    size_t at = kTrafficHeaderSize + slot * stride;
    if (a.id == 0 || at + kTrafficRecordSize > kTrafficTableSize) continue;
    uint8_t* p = table + at;
    PutU32(p, a.id);
    PutF32(p + 4, float(a.latitude));
    PutF32(p + 8, float(a.longitude));
    PutF32(p + 12, float(a.altitude));
    PutU16(p + 16, uint16_t(std::lround(a.heading * 65536.0 / 360.0) & 0xFFFF));
    PutU16(p + 18, uint16_t(std::lround(a.groundSpeed)));
    PutU16(p + 20, uint16_t(int16_t(std::lround(a.verticalSpeed))));
    std::memcpy(p + 22, a.identifier, 15);  // byte 37 stays 0: always terminated
    PutU16(p + 38, a.com1);
  }
}

bool TrafficScenario::Read(uint32_t offset, uint8_t* out, size_t size) const {
  uint8_t area[kTrafficTableSize] = {};
  size_t length = 0;
  if (offset == kMagneticVariationOffset) {
    PutU16(area, uint16_t(kMagneticVariation));
    length = 2;
  } else if (offset == kOwnPositionOffset) {
    const FlightPoint at = OwnPoint();
    EncodeLatitude64(area, at.latitude);
    EncodeLongitude64(area + 8, at.longitude);
    EncodeAltitude64(area + 16, Flying() ? at.feet / 3.28084 : ownAltitudeMetres_);
    length = kOwnPositionSize;
  } else if (offset == kTrafficTableOffset) {
    BuildTable(area);
    length = kTrafficTableSize;
  } else {
    return false;
  }
  size_t n = std::min(size, length);
  std::memcpy(out, area, n);
  if (size > n) std::memset(out + n, 0, size - n);
  return true;
}
