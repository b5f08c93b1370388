// What the pilot chose for weather transitions, as kept in "Ventrel.ini": the switch, which
// commands are smoothed and each rate. A missing or unreadable value takes its default.
#pragma once

#include <cstddef>

#include "weather/transition/transition.h"

// The commands a transition can carry, as bits of "TransitionCommands".
enum : unsigned {
  kSmoothSetLoads = 1,   // .VTD, .WX entry, METAR "Set"
  kSmoothUndo = 2,       // undo and redo
  kSmoothStartup = 4,    // the file named on the command line
  kSmoothClears = 8,     // the Clear menu
};
constexpr unsigned kSmoothAll = kSmoothSetLoads | kSmoothUndo | kSmoothStartup | kSmoothClears;
constexpr unsigned kDefaultSmoothed = kSmoothSetLoads | kSmoothUndo;

struct TransitionSettings {
  bool on = false;
  unsigned commands = kDefaultSmoothed;
  TransitionRates rates;
};

// One settable rate: its key, the dialog's label and the range a value must lie in.
struct TransitionRateItem {
  const char* key;
  const char* label;
  int least;
  int most;
  int (*get)(const TransitionRates&);
  void (*set)(TransitionRates&, int);
};
constexpr int kTransitionRateCount = 10;
extern const TransitionRateItem kTransitionRateItems[kTransitionRateCount];

constexpr const char kTransitionsKey[] = "Transitions";
constexpr const char kTransitionCommandsKey[] = "TransitionCommands";

constexpr size_t kSettingValueSize = 32;

// The file's side: a value by key ("" when missing, at most kSettingValueSize - 1 characters),
// and writing one.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual void Get(const char* key, char (&value)[kSettingValueSize]) = 0;
  virtual void Set(const char* key, const char* value) = 0;
};

// A whole decimal number (leading and trailing blanks allowed) within [least, most]; false for
// anything else, which then keeps its default.
bool ParseSettingNumber(const char* text, int least, int most, int& out);

TransitionSettings ReadTransitionSettings(SettingsStore& store);
void WriteTransitionSettings(SettingsStore& store, const TransitionSettings& settings);

// The caption's text behind the status while a transition runs, "  [changing 35%, 1:12 left]";
// after a lost connection stopped one, "  [change stopped]"; "" otherwise.
void TransitionProgressText(bool running, bool stopped, int stepsDone, int stepsLeft, char* out,
                            size_t size);
