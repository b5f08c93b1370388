#include "weather/transition/transition.h"

struct WeatherTransition::State {};

WeatherTransition::WeatherTransition() = default;
WeatherTransition::~WeatherTransition() = default;

bool TransitionTablesUsable(const TransitionTables&) { return true; }
bool TransitionTablesFromSnapshot(const WeatherSnapshot&, TransitionTables&) { return false; }
bool CopyTransitionTables(const TransitionTables&, TransitionTables&) { return false; }
unsigned TransitionTablesDiffer(const TransitionTables&, const TransitionTables&) { return 0; }

bool WeatherTransition::Start(const WeatherSnapshot&, const TransitionTables&, const TransitionRates&) {
  return false;
}
bool WeatherTransition::Start(const TransitionTables& inForce, const TransitionTables& target,
                              const TransitionRates& rates) {
  return Begin(inForce, target, rates);
}
bool WeatherTransition::Begin(const TransitionTables&, const TransitionTables&, const TransitionRates&) {
  return false;
}
bool WeatherTransition::NextStep(TransitionTables&, unsigned& changedTables) {
  changedTables = 0;
  return false;
}
int WeatherTransition::StepsLeft() const { return 0; }
void WeatherTransition::FinishNow(TransitionTables&, unsigned& changedTables) { changedTables = 0; }
void WeatherTransition::HoldHere() { running_ = false; }
void WeatherTransition::Stop() { running_ = false; }
