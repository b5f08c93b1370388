// devsim's switches. The same text is accepted on the command line and, at run time, in a
// WM_COPYDATA message (see README.md).
#pragma once

#include <cstdint>
#include <string>

#include "devsim/encounter.h"
#include "devsim/flight.h"

// Bits of DevsimOptions::given: which switches the last parse saw.
enum DevsimSwitch : uint32_t {
  kGivenWeather = 1u << 0,
  kGivenEmptyWeather = 1u << 1,
  kGivenMode = 1u << 2,
  kGivenIcao = 1u << 3,
  kGivenSignature = 1u << 4,
  kGivenAnswer = 1u << 5,
  kGivenHang = 1u << 6,
  kGivenNoModule = 1u << 7,
  kGivenAircraft = 1u << 8,
  kGivenTrafficSlots = 1u << 9,
  kGivenTrafficRecordSize = 1u << 10,
  kGivenChangeEvery = 1u << 11,
  kGivenLog = 1u << 12,
  kGivenTitle = 1u << 13,
  kGivenLieDescriptors = 1u << 14,
  kGivenEncounter = 1u << 15,
  kGivenFlight = 1u << 16,
};

// What the descriptor of every non-empty weather table claims (--lie-descriptors); the table
// reads themselves still return the true records.
enum class DescriptorLie {
  kNone,      // the true descriptor
  kMore,      // 40 records more than the table holds
  kHuge,      // 65535 records of 65535 bytes
  kSizeZero,  // record size 0, the true count
  kSmall,     // 2-byte records, as many as fill the true length
};

struct DevsimOptions {
  std::string weatherFile;       // --weather=FILE; empty: the built-in weather
  bool emptyWeather = false;     // --empty-weather
  int mode = 1;                  // --mode=N, 0 to 3
  std::string icao = "EGLL";     // --icao=XXXX, at most 4 characters
  uint16_t signature = 0xFADE;   // --signature=HEX
  uint32_t answer = 1;           // --answer=N (negative values wrap to 32 bits)
  uint32_t hangMs = 0;           // --hang=MS
  bool noModule = false;         // --no-module (--no-module=0 switches the module back on)
  int aircraft = 30;             // --aircraft=N, 0 to 100
  int trafficSlots = -1;         // --traffic-slots=N, 0 to 65535; -1: the true count
  int trafficRecordSize = -1;    // --traffic-record-size=N, 0 to 65535; -1: the true size
  uint32_t changeEveryMs = 0;    // --change-every=MS; 0: the weather never changes by itself
  std::string logFile;           // --log=FILE; empty: no log
  std::string title = "devsim";  // --title=TEXT
  DescriptorLie lieDescriptors = DescriptorLie::kNone;  // --lie-descriptors=none|more|huge|size0|small
  Encounter encounter = Encounter::kNone;  // --encounter=NAME (encounter.h); none: random traffic
  FlightPlan flight;             // --flight=PLAN (flight.h); none: the own position stays put
  uint32_t given = 0;            // DevsimSwitch bits set by the last parse
};

// Parses blank-separated switches onto `out`: switches not named keep the value `out` already
// holds, so the run-time control parses onto the current options. A value may be quoted
// ("..." anywhere in a word groups blanks; the quotes are dropped). False on an unknown
// switch, a missing or malformed value, or a value out of range; `out` may then be partly
// changed.
bool ParseDevsimOptions(const char* commandLine, DevsimOptions& out);
