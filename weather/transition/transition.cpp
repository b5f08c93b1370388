#include "weather/transition/transition.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "link/request_block.h"
#include "weather/transition/transition_layers.h"

using transition::Layer;
using transition::ShapeOf;
using transition::TableShape;

namespace {

// Records in a block of table t, or -1 when the block is not whole records of the table's size
// or its first record miscounts them.
int RecordCount(int table, const TableBlock& block) {
  if (block.Empty()) return 0;
  const size_t size = TableRecordSize(table);
  if (block.Size() % size != 0 || block.Size() / size > 0x8000) return -1;
  const int count = int(block.Size() / size);
  if (GetU16(block.Bytes() + 2) + 1 != count) return -1;
  for (int i = 0; i < count; ++i)
    if (GetU16(block.Bytes() + size_t(i) * size) != size) return -1;
  return count;
}

bool SameBlock(const TableBlock& a, const TableBlock& b) {
  return a.Size() == b.Size() && (a.Empty() || std::memcmp(a.Bytes(), b.Bytes(), a.Size()) == 0);
}

// dst becomes a copy of the bytes, keeping its memory when the size is the same.
bool Assign(TableBlock& dst, const uint8_t* bytes, size_t size) {
  if (dst.Size() != size) {
    dst = TableBlock::Allocate(size);
    if (dst.Size() != size) return false;
  }
  if (size) std::memmove(dst.Bytes(), bytes, size);
  return true;
}

int32_t StepsFor(transition::Move move, int32_t now, int32_t to, const TransitionRates& rates) {
  using transition::Move;
  const transition::StepRates r = transition::RatesForStep(rates, 0);
  const int32_t d = std::abs(to - now);
  if (d == 0) return 0;
  if (!transition::MovesInSteps(move, now) || !transition::MovesInSteps(move, to)) return 1;
  auto up = [](int32_t a, int32_t b) { return (a + b - 1) / b; };
  switch (move) {
    case Move::LayerAltitude: return up(d, r.layerMetres);
    case Move::CloudAltitude: return up(d, r.cloudMetres);
    case Move::Qnh:
    case Move::Drift:
      return int32_t((int64_t(d) * 10 + rates.pressurePerTenSteps16 - 1) / (rates.pressurePerTenSteps16 < 1 ? 1 : rates.pressurePerTenSteps16));
    case Move::Temperature: return up(d, r.temperature) * (rates.temperatureEverySeconds < 1 ? 1 : rates.temperatureEverySeconds);
    case Move::Speed: return up(d, r.speed);
    case Move::Level: return up(d, r.level);
    case Move::Cover: return d * (rates.cloudCoverEverySeconds < 1 ? 1 : rates.cloudCoverEverySeconds);
    case Move::Switch: return 0;
    case Move::Direction: {
      int32_t turn = (to - now) & 0xFFFF;
      return up(turn <= 0x8000 ? turn : 0x10000 - turn, r.direction);
    }
    case Move::Range: {
      int32_t steps = 0;
      for (int32_t v = now; v != to && steps < 100000; ++steps) v = transition::MoveField(move, v, to, r);
      return steps;
    }
  }
  return 0;
}

}  // namespace

struct WeatherTransition::State {
  struct Moving {
    std::unique_ptr<Layer[]> layers;
    int count = 0;
    bool active = false;
    bool encoded = false;  // the table in force is these layers in this order
  };
  Moving tables[kCloudTable + 1];
  TableBlock scratch[kCloudTable + 1];
};

bool TransitionTablesUsable(const TransitionTables& tables) {
  for (int t = kFirstTable; t <= kCloudTable; ++t)
    if (RecordCount(t, tables.table[t]) < 0) return false;
  return true;
}

bool TransitionTablesFromSnapshot(const WeatherSnapshot& snapshot, TransitionTables& out) {
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    const TableBlock& data = snapshot.Table(t).data;
    if (!Assign(out.table[t], data.Bytes(), data.Size())) return false;
  }
  return true;
}

bool CopyTransitionTables(const TransitionTables& from, TransitionTables& out) {
  for (int t = kFirstTable; t <= kCloudTable; ++t)
    if (!Assign(out.table[t], from.table[t].Bytes(), from.table[t].Size())) return false;
  return true;
}

unsigned TransitionTablesDiffer(const TransitionTables& a, const TransitionTables& b) {
  unsigned bits = 0;
  for (int t = kFirstTable; t <= kCloudTable; ++t)
    if (!SameBlock(a.table[t], b.table[t])) bits |= TransitionTableBit(t);
  return bits;
}

WeatherTransition::WeatherTransition() = default;
WeatherTransition::~WeatherTransition() = default;

bool WeatherTransition::Start(const WeatherSnapshot& inForce, const TransitionTables& target,
                              const TransitionRates& rates) {
  TransitionTables from;
  if (!TransitionTablesFromSnapshot(inForce, from)) {
    Stop();
    return false;
  }
  return Begin(from, target, rates);
}

bool WeatherTransition::Start(const TransitionTables& inForce, const TransitionTables& target,
                              const TransitionRates& rates) {
  return Begin(inForce, target, rates);
}

bool WeatherTransition::Begin(const TransitionTables& inForce, const TransitionTables& target,
                              const TransitionRates& rates) {
  Stop();
  // Copies first: either may be Current() or Target().
  TransitionTables from, to;
  if (!TransitionTablesUsable(target) || !CopyTransitionTables(inForce, from) || !CopyTransitionTables(target, to))
    return false;
  std::unique_ptr<State> state(new (std::nothrow) State);
  if (!state) return false;
  bool any = false;
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    if (SameBlock(from.table[t], to.table[t])) continue;
    // A table in force that is not whole records of its size (a module's odd answer) counts as
    // empty: its layers are not known, so the target's appear.
    const int fromCount = RecordCount(t, from.table[t]);
    const int toCount = RecordCount(t, to.table[t]);
    State::Moving& m = state->tables[t];
    m.layers = transition::PlanLayers(t, from.table[t].Bytes(), fromCount < 0 ? 0 : fromCount, to.table[t].Bytes(),
                                      toCount, m.count);
    if (!m.layers) return false;
    m.active = any = true;
  }
  current_ = std::move(from);
  target_ = std::move(to);
  rates_ = rates;
  stepsDone_ = 0;
  if (!any) return false;
  state_ = std::move(state);
  running_ = true;
  return true;
}

bool WeatherTransition::NextStep(TransitionTables& out, unsigned& changedTables) {
  changedTables = 0;
  if (!running_ || !state_) return false;
  const transition::StepRates r = transition::RatesForStep(rates_, clock_);
  bool any = false;
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    State::Moving& m = state_->tables[t];
    if (!m.active) continue;
    const TableShape& shape = ShapeOf(t);
    const transition::TableStep step =
        transition::StepTable(t, m.layers.get(), m.count, r, current_.table[t].Bytes(), !m.encoded);
    const int live = m.count = step.count;
    const bool allThere = step.allThere, moved = step.moved;
    bool reshaped = step.reshaped;
    // Layers on their way never pass one another, but one may pass a layer that appears or
    // goes away where it stands: keep the records in altitude order.
    for (int k = 1; moved && k < live; ++k) {
      if (m.layers[k].now[0] >= m.layers[k - 1].now[0]) continue;
      reshaped = true;
      Layer moving = m.layers[k];
      int j = k;
      for (; j > 0 && m.layers[j - 1].now[0] > moving.now[0]; --j) m.layers[j] = m.layers[j - 1];
      m.layers[j] = moving;
    }
    TableBlock& current = current_.table[t];
    bool ok = true;
    if (allThere) {
      // The last step is the target itself, byte for byte.
      m.active = false;
      m.layers.reset();
      if (!SameBlock(current, target_.table[t])) {
        ok = Assign(current, target_.table[t].Bytes(), target_.table[t].Size());
        changedTables |= TransitionTableBit(t);
      } else if (moved) {
        changedTables |= TransitionTableBit(t);  // the last moves, written in place
      }
    } else if (reshaped) {
      any = true;
      // Whole table again; while its layers keep their places, only those that moved are
      // written (below).
      TableBlock& scratch = state_->scratch[t];
      const size_t size = size_t(live) * shape.recordSize;
      if (scratch.Size() != size) scratch = TableBlock::Allocate(size);
      ok = scratch.Size() == size;
      for (int k = 0; ok && k < live; ++k)
        transition::EncodeLayerFields(shape, m.layers[k].now, live - 1 - k, scratch.Bytes() + size_t(k) * shape.recordSize);
      // A value that moved has changed the table already (and may have been written in place).
      if (ok && (moved || !SameBlock(scratch, current))) {
        std::swap(scratch, current);
        changedTables |= TransitionTableBit(t);
      }
      m.encoded = ok;
    } else if (moved) {
      any = true;
      changedTables |= TransitionTableBit(t);
    } else {
      any = true;
    }
    if (ok && (changedTables & TransitionTableBit(t)))
      ok = Assign(out.table[t], current.Bytes(), current.Size());
    if (!ok) {
      // No memory for the step: the weather stays where the last step left it.
      changedTables = 0;
      Stop();
      return false;
    }
  }
  ++clock_;
  ++stepsDone_;
  if (!any) Stop();
  return true;
}

int WeatherTransition::StepsLeft() const {
  if (!running_ || !state_) return 0;
  int32_t most = 1;
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    const State::Moving& m = state_->tables[t];
    if (!m.active) continue;
    const TableShape& shape = ShapeOf(t);
    for (int k = 0; k < m.count; ++k) {
      const Layer& l = m.layers[k];
      int32_t steps = l.leaving ? 1 : 0;
      for (int f = 0; f < shape.fields; ++f) {
        int32_t s = StepsFor(shape.moves[f], l.now[f], l.to[f], rates_) + (l.leaving ? 1 : 0);
        if (s > steps) steps = s;
      }
      if (steps > most) most = steps;
    }
  }
  return int(most);
}

void WeatherTransition::FinishNow(TransitionTables& out, unsigned& changedTables) {
  changedTables = 0;
  Stop();
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    if (SameBlock(current_.table[t], target_.table[t])) continue;
    if (!Assign(out.table[t], target_.table[t].Bytes(), target_.table[t].Size())) continue;
    Assign(current_.table[t], target_.table[t].Bytes(), target_.table[t].Size());
    changedTables |= TransitionTableBit(t);
  }
}

void WeatherTransition::HoldHere() {
  Stop();
  TransitionTables here;
  if (CopyTransitionTables(current_, here)) target_ = std::move(here);
}

void WeatherTransition::Stop() {
  running_ = false;
  state_.reset();
}
