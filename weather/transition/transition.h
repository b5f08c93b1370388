// A smooth change of weather: from the tables in force to a target, one step a second, each
// field moving at most at its rate, every step itself a valid set of tables and the last one
// exactly the target. No platform code; the window sends what NextStep gives.
#pragma once

#include <cstdint>
#include <memory>

#include "weather/records.h"
#include "weather/snapshot.h"

// How fast each field may move in one step (one second). Every value can be set; a value below
// its least sensible one is taken as that least (1, or a ratio of 1.001).
struct TransitionRates {
  int pressurePerTenSteps16 = 16;   // QNH and drift, 1/16 mb per ten steps: 0.1 hPa a step on average
  int windDirectionDegrees = 2;     // the short way round; exactly 180 degrees turns clockwise
  int windSpeedKnots = 1;           // speed and gust
  int windLevels = 1;               // turbulence and shear
  int temperatureDegrees = 1;       // day temperature, day/night variation and dew point
  int temperatureEverySeconds = 5;  // at most one temperature step in this many seconds
  double visibilityRatio = 1.05;    // the range moves geometrically, at least one hundredth of a mile
  int cloudMetres = 30;             // cloud base, top and deviation
  int cloudCoverEverySeconds = 10;  // cover moves one eighth at most once in this many seconds
  int layerMetres = 30;             // altitudes of visibility, temperature and wind layers
};

// Tables 1 to 5 as whole-table blocks, as a set load sends them; index 0 is unused. An empty
// block is an empty table (for the pressure table: the standard pressure), which the sender
// sends as a clear of that table.
struct TransitionTables {
  TableBlock table[kCloudTable + 1];
};

constexpr unsigned TransitionTableBit(int table) { return 1u << table; }

// True when every block of tables 1 to 5 is empty or whole records of the table's size whose
// prefixes say so (first record: count - 1 following). A target that is not usable cannot be
// reached smoothly; Start refuses it.
bool TransitionTablesUsable(const TransitionTables& tables);

// Copies tables 1 to 5 of the snapshot (a table never read counts as empty). False when the
// memory is not there.
bool TransitionTablesFromSnapshot(const WeatherSnapshot& snapshot, TransitionTables& out);

// A copy of every table of `from`; false when the memory is not there.
bool CopyTransitionTables(const TransitionTables& from, TransitionTables& out);

// The tables differing between a and b, as TransitionTableBit bits.
unsigned TransitionTablesDiffer(const TransitionTables& a, const TransitionTables& b);

class WeatherTransition {
 public:
  WeatherTransition();
  ~WeatherTransition();
  WeatherTransition(const WeatherTransition&) = delete;
  WeatherTransition& operator=(const WeatherTransition&) = delete;

  // Begins a transition from the tables in force to the target, or re-aims a running one from
  // where it is now (the tables in force should then be Current()). False, and nothing runs,
  // when the target equals what is in force, the target is not usable or the memory is not
  // there.
  bool Start(const WeatherSnapshot& inForce, const TransitionTables& target, const TransitionRates& rates);
  bool Start(const TransitionTables& inForce, const TransitionTables& target, const TransitionRates& rates);

  // The next step: out.table[t] holds the block to send for each table t whose bit is set in
  // changedTables (the other entries are left alone; their blocks are reused when the sizes
  // fit). False, with changedTables 0, when no transition runs. The step that reaches the
  // target ends the transition.
  bool NextStep(TransitionTables& out, unsigned& changedTables);

  bool Running() const { return running_; }
  int StepsDone() const { return stepsDone_; }
  // What remains, in steps (seconds): an estimate from the slowest field, 0 when not running.
  int StepsLeft() const;

  // The rest at once: out gets the target's blocks of the tables that still differ from what
  // was sent last. Ends the transition.
  void FinishNow(TransitionTables& out, unsigned& changedTables);
  // The weather stays as it was sent last: that becomes the target, and the transition ends.
  void HoldHere();
  // Ends the transition where it is (a lost connection); Current() stays what was sent last.
  void Stop();

  const TransitionTables& Target() const { return target_; }
  const TransitionTables& Current() const { return current_; }

  struct State;  // the layers on their way (transition.cpp)

 private:
  bool Begin(const TransitionTables& inForce, const TransitionTables& target, const TransitionRates& rates);

  TransitionTables target_;
  TransitionTables current_;
  std::unique_ptr<State> state_;
  TransitionRates rates_;
  bool running_ = false;
  int stepsDone_ = 0;
  uint32_t clock_ = 0;  // steps since the model was made; keeps timed fields apart across re-aims
};
