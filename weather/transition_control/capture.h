// A set load, an undo or a Clear becomes a transition by queuing its writes into a capture
// instead of the simulator's batch: what the capture collects is the weather the command would
// have set, which the transition then carries the simulator to step by step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/request_block.h"
#include "weather/transition/transition.h"

// Tables 1 to 5 after the captured writes, starting from `base` (the tables in force). A clear
// empties a table and sets the pressure back to standard, as the module does; a SetTable
// replaces it (an empty block empties it). A write of any other kind (a layer insert, replace
// or delete) makes the capture `refused`: the command is then sent as it is.
class TransitionCapture : public IpcBatch {
 public:
  // `capacity` is the real batch's, so a command refuses what would not fit one exchange.
  TransitionCapture(const TransitionTables& base, size_t capacity);

  void Read(uint32_t, uint32_t, void*) override { refused_ = true; }
  void Write(uint32_t offset, uint32_t size, const void* source) override;
  bool Process() override { return !refused_ && !failed_; }
  size_t Capacity() const override { return capacity_; }

  int Writes() const { return writes_; }
  bool Refused() const { return refused_; }
  // False when a copy could not be made.
  bool Failed() const { return failed_; }
  // Tables the writes touched (TransitionTableBit); the target holds every table of the base.
  unsigned Touched() const { return touched_; }
  const TransitionTables& Target() const { return target_; }
  // The captured writes back to back (offset, size, bytes), to send as they are when refused.
  bool Replay(IpcBatch& batch) const;

 private:
  void Clear(int table);

  TransitionTables target_;
  std::vector<uint8_t> raw_;
  size_t capacity_;
  unsigned touched_ = 0;
  int writes_ = 0;
  bool refused_ = false;
  bool failed_ = false;
};

// The pressure table as a clear leaves it: one record of 1013.2 mb, drift 0.
TableBlock StandardPressureBlock();

// Queues one step: SetTable of each table in `tables`, and ClearTable for a table whose block
// is empty. False when they would not fit one batch (nothing is queued then).
bool QueueTransitionStep(const TransitionTables& step, unsigned tables, IpcBatch& batch);
