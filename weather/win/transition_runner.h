// Weather changes sent as transitions: the commands that change the weather queue into
// CommandBatch, which, while transitions are on and smooth that command, keeps what they would
// set as the target; the one-second tick then sends one step at a time.
#pragma once

#include <windows.h>

#include <cstddef>

#include "link/request_block.h"
#include "weather/transition/transition.h"
#include "weather/transition_control/settings.h"

// The batch a command (a kSmooth* bit) queues its weather writes into and processes. While
// transitions are off, or do not smooth it, that is the simulator's batch itself.
IpcBatch& CommandBatch(unsigned command);

// The start-up file's load counts as kSmoothStartup while one of these lives.
class StartupLoadScope {
 public:
  StartupLoadScope();
  ~StartupLoadScope();
  StartupLoadScope(const StartupLoadScope&) = delete;
  StartupLoadScope& operator=(const StartupLoadScope&) = delete;
};
// kSmoothStartup while the start-up file loads, else kSmoothSetLoads.
unsigned SetLoadCommand();

bool TransitionRunning();
// The target of the running transition; null when none runs.
const TransitionTables* TransitionTarget();
// The weather the pilot chose: the running transition's target (copied into scratch), else the
// tables in force.
const WeatherSnapshot& ChosenWeather(WeatherSnapshot& scratch);

// From every tick, before its refresh: one step on the one-second timer. True when a step went.
bool TransitionTick(UINT_PTR timerId);
// A change sent at once (a layer edit, a command not smoothed) stops a running transition
// where it is first; otherwise the next step would overwrite it.
void HoldTransitionForChange();
// Live weather's target, always as a transition at the configured rates whatever the
// Transitions switch says: it re-aims a running change. A target equal to what is in force
// sends nothing. False when nothing runs towards it.
bool StartLiveTransition(const TransitionTables& target);
// The connection was lost: the transition stops where it is and is not resumed.
void StopTransitionLost();

// "Finish the change now", "Hold the change here" and "Transitions ...".
void OnTransitionCommand(HWND mainWindow, int id);
// Reads the settings; at window creation.
void LoadTransitionSettings();

// What the caption shows behind the status ("" while nothing runs or stopped).
void TransitionCaptionText(char* out, size_t size);
