#include "devsim/encounter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "devsim/traffic_scenario.h"

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kLevel = 7000;             // feet: the user's level in the air
constexpr double kUserSpeed = 200;          // knots
constexpr double kAirfieldFeet = 80 * 3.28084;  // devsim's Heathrow, 80 m

// A straight line in a flat frame around the reference point: nautical miles east and north.
struct Mover {
  double east = 0, north = 0;  // at the start
  double heading = 0, speed = 0;
  double altitude = 0, verticalSpeed = 0;
  double low = -1e9, high = 1e9;  // the climb or descent ends at these altitudes
  const char* identifier = "";
};

// A mover that is at (east, north) `seconds` after the start.
Mover Through(double east, double north, double seconds, double heading, double speed) {
  Mover m;
  const double nm = speed * seconds / 3600.0, a = heading * kPi / 180.0;
  m.east = east - nm * std::sin(a);
  m.north = north - nm * std::cos(a);
  m.heading = heading;
  m.speed = speed;
  return m;
}

Mover Level(Mover m, double altitude, const char* identifier) {
  m.altitude = altitude;
  m.identifier = identifier;
  return m;
}

struct Script {
  Mover own;
  std::vector<Mover> slots;
};

Script ScriptOf(Encounter encounter) {
  const double t = kEncounterClosestSeconds;
  Script s;
  if (encounter == Encounter::kGround) {
    s.own = Level(Through(0, 0, 0, 90, 15), kAirfieldFeet, "");
    s.slots.push_back(Level(Through(0.5, 0, 0, 270, 15), kAirfieldFeet, "G-BXTA"));
    s.slots.push_back(Level(Through(-1.0, 0.3, 0, 90, 130), kAirfieldFeet, "SHT8K"));
    return s;
  }
  s.own = Level(Through(0, 0, t, 90, kUserSpeed), kLevel, "");
  // Two that never come near: level 12 nm to the north keeping pace, and one heading away south.
  Mover pace = s.own;
  pace.north += 12;
  s.slots.push_back(Level(pace, kLevel + 2000, "DLH402"));
  s.slots.push_back(Mover());
  Mover away = Through(s.own.east, s.own.north - 8, 0, 180, 250);
  s.slots.push_back(Level(away, kLevel - 2000, "EZY1872"));
  Mover& main = s.slots[kEncounterMainSlot];
  switch (encounter) {
    case Encounter::kHeadOn:
      main = Level(Through(0, 0, t, 270, 200), kLevel, "BAW215");
      break;
    case Encounter::kCrossing:
      main = Level(Through(0, 0, t, 0, 200), kLevel, "AFR1441");
      break;
    case Encounter::kOvertaking:
      main = Level(Through(0, 0, t, 90, 320), kLevel - 300, "UAE9");
      break;
    case Encounter::kClimbing:
      main = Level(Through(0, 0.5, t, 270, 200), kLevel - 3000, "KLM1009");
      main.verticalSpeed = 3000;
      main.high = kLevel + 3000;
      break;
    case Encounter::kDiverging:
      main = Level(Through(s.own.east, s.own.north - 1.5, 0, 180, 250), kLevel, "RYR4LM");
      break;
    case Encounter::kParallel:
    default:
      main = s.own;
      main.north += 0.5;
      main = Level(main, kLevel + 1000, "VIR37");
      break;
  }
  return s;
}

EncounterAircraft Place(const Mover& m, double seconds) {
  EncounterAircraft a;
  const double nm = m.speed * seconds / 3600.0, h = m.heading * kPi / 180.0;
  const double east = m.east + nm * std::sin(h), north = m.north + nm * std::cos(h);
  a.latitude = kUserLatitude + north / 60.0;
  a.longitude = kUserLongitude + east / 60.0 / std::cos(kUserLatitude * kPi / 180.0);
  const double altitude = m.altitude + m.verticalSpeed * seconds / 60.0;
  a.altitude = std::fmin(std::fmax(altitude, m.low), m.high);
  a.verticalSpeed = a.altitude == altitude ? m.verticalSpeed : 0;
  a.heading = m.heading;
  a.groundSpeed = m.speed;
  std::snprintf(a.identifier, sizeof a.identifier, "%s", m.identifier);
  return a;
}

const char* const kNames[] = {"none",      "head-on",   "crossing", "overtaking",
                              "climbing",  "diverging", "parallel", "ground"};
constexpr int kNameCount = int(sizeof kNames / sizeof kNames[0]);

}  // namespace

bool ParseEncounter(const std::string& name, Encounter& out) {
  for (int i = 0; i < kNameCount; ++i)
    if (name == kNames[i]) {
      out = Encounter(i);
      return true;
    }
  return false;
}

const char* EncounterName(Encounter encounter) {
  const int i = int(encounter);
  return i >= 0 && i < kNameCount ? kNames[i] : "none";
}

EncounterState EncounterAt(Encounter encounter, double seconds, uint32_t start) {
  EncounterState state;
  if (encounter == Encounter::kNone) return state;
  if (!(seconds >= 0) || !std::isfinite(seconds)) seconds = 0;
  // A new round restarts everybody with new ids, so that a display starts new tracks.
  const double round = std::floor(seconds / kEncounterPeriodSeconds);
  const double t = seconds - round * kEncounterPeriodSeconds;
  const uint32_t roundBits = ((uint32_t(round) + start * 1000u) % 0x7FFFu + 1u) << 16;
  const Script script = ScriptOf(encounter);
  state.own = Place(script.own, t);
  for (size_t i = 0; i < script.slots.size(); ++i) {
    EncounterAircraft a = Place(script.slots[i], t);
    a.id = roundBits | uint16_t(-int(i + 1));  // the list's reference number is slot + 1
    state.slots.push_back(a);
  }
  return state;
}
