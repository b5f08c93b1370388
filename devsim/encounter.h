// devsim's scripted encounters: the user's aircraft and a few others flying straight lines near
// Heathrow, so that a traffic display's warnings can be seen and tested at times worked out by
// hand. Every airborne encounter puts the user at 7,000 ft, heading 090 at 200 kt, over the
// reference point 60 s after the start; its main aircraft (slot 1) is closest then.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Encounter {
  kNone,        // the ordinary random traffic, the user parked at Heathrow
  kHeadOn,      // slot 1 head-on at the same level: 400 kt closing
  kCrossing,    // slot 1 from the right at 90 degrees, same level, 200 kt: 283 kt closing
  kOvertaking,  // slot 1 from behind at 320 kt, 300 ft below: 120 kt closing
  kClimbing,    // slot 1 head-on 0.5 nm to the side, climbing 3,000 fpm through the own level
  kDiverging,   // slot 1 from 1.5 nm south, heading 180 at 250 kt: never closing
  kParallel,    // slot 1 0.5 nm to the left, 1,000 ft above, same heading and speed
  kGround,      // the user taxiing at 15 kt; slot 0 taxiing towards, slot 1 on the runway beside
};

// "head-on", "crossing", "overtaking", "climbing", "diverging", "parallel", "ground", "none".
bool ParseEncounter(const std::string& name, Encounter& out);
const char* EncounterName(Encounter encounter);

constexpr double kEncounterClosestSeconds = 60;  // the main aircraft's closest approach
constexpr double kEncounterPeriodSeconds = 120;  // then everything starts again, with new ids
constexpr int kEncounterMainSlot = 1;

struct EncounterAircraft {
  uint32_t id = 0;
  double latitude = 0, longitude = 0;  // degrees
  double altitude = 0;                 // feet
  double heading = 0;                  // degrees true
  double groundSpeed = 0;              // knots
  double verticalSpeed = 0;            // feet per minute
  char identifier[16] = {};
};

struct EncounterState {
  EncounterAircraft own;                 // id 0
  std::vector<EncounterAircraft> slots;  // every slot occupied
};

// Where everybody is `seconds` after the encounter began (wrapped to the period). `start`
// counts the times an encounter was started, so that a restart gives new ids too.
EncounterState EncounterAt(Encounter encounter, double seconds, uint32_t start = 0);
