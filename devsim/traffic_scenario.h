// devsim's AI traffic: the three areas Palvio reads, served from a small moving
// scenario around the user's aircraft at Heathrow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "devsim/encounter.h"
#include "devsim/flight.h"

constexpr uint32_t kMagneticVariationOffset = 0x02A0;  // 2 bytes
constexpr uint32_t kOwnPositionOffset = 0x0560;        // 24 bytes
constexpr uint32_t kTrafficTableOffset = 0xF000;       // 4096 bytes
constexpr size_t kOwnPositionSize = 24;
constexpr size_t kTrafficTableSize = 4096;
constexpr size_t kTrafficHeaderSize = 128;
constexpr size_t kTrafficRecordSize = 40;  // the fields end at byte 40
constexpr int kTrafficMaxSlots = int((kTrafficTableSize - kTrafficHeaderSize) / kTrafficRecordSize);  // 99

// The user's aircraft: on the ground at Heathrow, 3 degrees west variation.
constexpr double kUserLatitude = 51.47;
constexpr double kUserLongitude = -0.45;
constexpr int32_t kUserAltitudeMetres = 80;
constexpr int16_t kMagneticVariation = -546;  // -3 degrees in 65536ths of a circle

// The 8-byte encodings of the own-position area, written little-endian at p.
void EncodeLatitude64(uint8_t* p, double degrees);
void EncodeLongitude64(uint8_t* p, double degrees);
void EncodeAltitude64(uint8_t* p, double metres);

struct TrafficAircraft {
  uint32_t id = 0;  // 0: the slot is empty
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;       // feet
  double heading = 0;        // degrees true
  double groundSpeed = 0;    // knots
  double verticalSpeed = 0;  // feet per minute
  double targetAltitude = 0;
  double levelSeconds = 0;   // time left before a level aircraft changes level
  char identifier[16] = {};
  uint16_t com1 = 0;         // BCD without the leading 1
};

class TrafficScenario {
 public:
  explicit TrafficScenario(int aircraft = 30);

  // A new scenario of `aircraft` aircraft (at most kTrafficMaxSlots fit), with some empty
  // slots among them while room allows. The same count always gives the same start.
  void Reset(int aircraft);
  void Advance(double seconds);
  // A scripted encounter in place of the random traffic (kNone: back to it), from its start;
  // the own position then moves with it.
  void SetEncounter(Encounter encounter);
  Encounter CurrentEncounter() const { return encounter_; }
  double EncounterSeconds() const { return encounterSeconds_; }
  // A scripted flight of the user aircraft from its start (kind kNone: no flight). While one is
  // set it alone gives the own position at 0x0560, also during an encounter, whose other
  // aircraft keep flying where the encounter puts them.
  void SetFlight(const FlightPlan& plan);
  bool Flying() const { return flight_.kind != FlightPlan::Kind::kNone; }
  double FlightElapsed() const { return flightSeconds_; }
  // The user aircraft as 0x0560 serves it.
  FlightPoint OwnPoint() const;
  // Values the table header claims instead of the true ones (-1: the true one). A claimed
  // record size of 40 or more is also the stride the records are laid out with; a smaller one
  // only lies in the header. Records are written only where they fit in the 4096 bytes.
  void SetHeaderOverride(int slots, int recordSize);

  // Serves 0x02A0, 0x0560 and 0xF000: what fits in `size`, the rest zero. False for any
  // other offset.
  bool Read(uint32_t offset, uint8_t* out, size_t size) const;
  void BuildTable(uint8_t* table) const;  // 4096 bytes

  int AircraftCount() const;
  int SlotCount() const { return int(slots_.size()); }
  const std::vector<TrafficAircraft>& Slots() const { return slots_; }

 private:
  std::vector<TrafficAircraft> slots_;
  uint32_t random_ = 1;
  int aircraft_ = 0;
  Encounter encounter_ = Encounter::kNone;
  double encounterSeconds_ = 0;
  uint32_t encounterStarts_ = 0;
  double ownLatitude_ = kUserLatitude;
  double ownLongitude_ = kUserLongitude;
  double ownAltitudeMetres_ = kUserAltitudeMetres;
  FlightPlan flight_;
  double flightSeconds_ = 0;
  int slotsOverride_ = -1;
  int recordSizeOverride_ = -1;

  double Random();  // 0 to 1
  void NewLevel(TrafficAircraft& a);
  void LoadEncounter();
};
