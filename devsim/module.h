// devsim's stand-in for the simulator module Korvel: carries out request blocks
// against a weather model and a traffic scenario, and logs every batch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "devsim/options.h"
#include "devsim/traffic_scenario.h"
#include "devsim/weather_model.h"

class DevsimModule {
 public:
  explicit DevsimModule(const DevsimOptions& options = DevsimOptions());
  ~DevsimModule();
  DevsimModule(const DevsimModule&) = delete;
  DevsimModule& operator=(const DevsimModule&) = delete;

  // Run-time changes. The weather is reloaded when --weather or --empty-weather was given in
  // the parse that made `options` (or their values differ from the current ones), the
  // scenario is rebuilt when --aircraft was given or differs; everything else simply takes
  // the new value. False when the weather file or the log cannot be opened; the rest of the
  // options are applied all the same.
  bool Apply(const DevsimOptions& options);
  const DevsimOptions& Options() const { return options_; }
  // Why the last Apply (or the constructor) failed; empty when it did not.
  const std::string& Error() const { return error_; }

  // Carries out the block's records in order up to the end word and returns the answer (the
  // --answer value). Never touches a byte outside [block, block + size): a record running
  // past the block or a record of unknown kind ends the walk, the records before it carried
  // out. Reads of unknown offsets give zeros. With --no-module nothing is done and 0 returned.
  uint32_t Execute(uint8_t* block, size_t size);

  WeatherModel& Weather() { return weather_; }
  TrafficScenario& Traffic() { return traffic_; }
  // Moves the traffic; with --change-every the weather changes once per period elapsed.
  void Advance(double seconds);

  uint64_t Batches() const { return batches_; }
  uint64_t Reads() const { return reads_; }
  uint64_t Writes() const { return writes_; }
  uint32_t LastAnswer() const { return lastAnswer_; }

  // Milliseconds since the module was made, as the log writes them on each batch line; tests
  // put a clock of their own in its place.
  using Clock = uint64_t (*)();
  void SetClock(Clock clock) {
    clock_ = clock;
    startMs_ = clock();
  }

 private:
  bool ApplyOptions(const DevsimOptions& options, bool everything);
  bool Read(uint32_t offset, uint8_t* out, size_t size);
  void Write(uint32_t offset, const uint8_t* data, size_t size);
  void Log(const std::string& text);

  DevsimOptions options_;
  WeatherModel weather_;
  TrafficScenario traffic_;
  FILE* log_ = nullptr;
  std::string error_;
  uint64_t batches_ = 0;
  uint64_t reads_ = 0;
  uint64_t writes_ = 0;
  uint32_t lastAnswer_ = 0;
  double changeElapsedMs_ = 0;
  Clock clock_ = nullptr;
  uint64_t startMs_ = 0;
};
