// The body of the transition fuzz target, shared with the native test that replays its seeds.
// The input makes the rates, the weather in force, a target and a second target; the model is
// driven to the end, re-aimed on the way when the input asks, and every step is checked with
// rules written apart from the model: each table whole and in altitude order, each record one
// step of its rates from a record of the step before (or a layer appearing as the rules say),
// no cloud gone before it has thinned to nothing, the steps within a bound worked out from the
// two weathers, and at the end the tables the simulator would hold equal the target.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "link/request_block.h"
#include "weather/records.h"
#include "weather/transition/transition.h"

namespace transition_fuzz {

using core_fuzz::ByteStream;

constexpr int kMostLayers = 8;  // per table and weather: the checks compare every pair
constexpr int kFieldCount[kCloudTable + 1] = {0, 3, 2, 4, 6, 10};

inline size_t Size(int t) { return TableRecordSize(t); }
inline int Count(int t, const TableBlock& b) { return int(b.Size() / Size(t)); }
inline int32_t Field(int t, const uint8_t* r, int i) {
  uint16_t v = GetU16(r + 4 + 2 * i);
  const bool isSigned = (t == kPressureTable && i == 1) || (t == kTemperatureTable && i > 0);
  return isSigned ? int32_t(int16_t(v)) : int32_t(v);
}

inline void ReadTables(ByteStream& in, TransitionTables& out, uint8_t damaged) {
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    int count = in.Byte() % (t == kPressureTable ? 2 : kMostLayers + 1);
    const size_t size = Size(t);
    out.table[t] = TableBlock::Allocate(size * size_t(count));
    for (int i = 0; i < count; ++i) {
      uint8_t* r = out.table[t].Bytes() + size * size_t(i);
      in.Fill(r + 4, size - 4);
      PutU16(r, uint16_t(size));
      PutU16(r + 2, uint16_t(count - 1 - i));
    }
    // A module's odd answer: a table in force one byte short.
    if ((damaged >> t) & 1 && count > 0) {
      TableBlock cut = TableBlock::Copy(out.table[t].Bytes(), out.table[t].Size() - 1);
      out.table[t] = std::move(cut);
    }
  }
}

inline TransitionRates ReadRates(ByteStream& in) {
  TransitionRates r;
  if (in.Byte() % 4 == 0) return r;  // the defaults
  // No slower than the defaults, so that a run stays within a few thousand steps.
  r.pressurePerTenSteps16 = 16 + in.Byte() * 64;
  r.windDirectionDegrees = 1 + in.Byte() % 200;
  r.windSpeedKnots = 1 + in.Byte() * 64;
  r.windLevels = 1 + in.Byte() % 4;
  r.temperatureDegrees = 1 + in.Byte() * 32;
  r.temperatureEverySeconds = 1 + in.Byte() % 12;
  r.visibilityRatio = 1.0 + (1 + in.Byte()) / 64.0;
  r.cloudMetres = 30 + in.Byte() * 64;
  r.cloudCoverEverySeconds = 1 + in.Byte() % 12;
  r.layerMetres = 30 + in.Byte() * 64;
  return r;
}

inline int64_t Up(int64_t a, int64_t b) { return (a + b - 1) / b; }
inline int32_t Least1(int v) { return v < 1 ? 1 : v; }
inline uint32_t Ratio16(double ratio) {
  if (!(ratio >= 1.001)) ratio = 1.001;
  if (ratio > 1000.0) ratio = 1000.0;
  return uint32_t(ratio * 65536.0 + 0.5);
}

// The range may move by the ratio, and by one hundredth at least.
inline bool RangeStepOk(int32_t was, int32_t now, uint32_t ratio16) {
  if (now >= was) return now <= was + 1 || uint64_t(now) <= (uint64_t(was) * ratio16 >> 16);
  return now >= was - 1 || uint64_t(now) * ratio16 + ratio16 >= uint64_t(was) * 65536;  // rounded up
}

struct Clock {
  uint32_t step;  // steps since the model was made
};

// The values a field moves through step by step; with an end outside them it may take its
// target at once.
inline bool Sane(int t, int i, int32_t v) {
  switch (t) {
    case kPressureTable: return i == 0 ? v >= 13600 && v <= 17600 : v >= -1600 && v <= 1600;
    case kTemperatureTable: return i == 0 || (v >= -100 && v <= 100);
    case kWindTable: return (i != 1 && i != 2 && i != 4 && i != 5) || (v >= 0 && v <= (i < 4 ? 400 : 4));
    case kCloudTable: return i != 3 || (v >= 0 && v <= 8);
    default: return true;
  }
}

// Record n can follow record p in one step.
inline bool StepOk(int t, const uint8_t* p, const uint8_t* n, const TransitionRates& rates, uint32_t clock) {
  for (int i = 0; i < kFieldCount[t]; ++i) {
    const int32_t a = Field(t, p, i), b = Field(t, n, i), d = std::abs(b - a);
    if (d == 0 || !Sane(t, i, a) || !Sane(t, i, b)) continue;
    bool ok = false;
    switch (t) {
      case kVisibilityTable: ok = i < 2 ? d <= Least1(rates.layerMetres) : RangeStepOk(a, b, Ratio16(rates.visibilityRatio)); break;
      case kPressureTable: {
        const uint64_t r = uint64_t(Least1(rates.pressurePerTenSteps16));
        ok = uint64_t(d) <= r * (clock + 1ull) / 10 - r * clock / 10;
        break;
      }
      case kTemperatureTable:
        ok = i == 0 ? d <= Least1(rates.layerMetres)
                    : d <= Least1(rates.temperatureDegrees) && clock % uint32_t(Least1(rates.temperatureEverySeconds)) == 0;
        break;
      case kWindTable:
        if (i == 0) ok = d <= Least1(rates.layerMetres);
        else if (i == 3) {
          const int32_t turn = d <= 0x8000 ? d : 0x10000 - d;
          const int degrees = rates.windDirectionDegrees > 180 ? 180 : Least1(rates.windDirectionDegrees);
          ok = turn <= degrees * 65536 / 360;
        } else {
          ok = d <= Least1(i < 4 ? rates.windSpeedKnots : rates.windLevels);
        }
        break;
      case kCloudTable:
        if (i < 3) ok = d <= Least1(rates.cloudMetres);
        else if (i == 3) ok = d <= 1 && clock % uint32_t(Least1(rates.cloudCoverEverySeconds)) == 0;
        else ok = true;  // switches with the cover
        break;
    }
    if (!ok) return false;
  }
  return true;
}

// A layer may appear: a cloud at one eighth at most and fair; another layer with the values
// of one in force (a wind: or calm); with nothing in force, as a layer of the target.
inline bool AppearsOk(int t, const uint8_t* n, const TableBlock& before, const TableBlock& target) {
  if (t == kCloudTable) {
    if (Field(t, n, 3) > 1) return false;
    for (int i = 5; i < 10; ++i)
      if (Field(t, n, i) != 0) return false;
    return true;
  }
  const int first = t == kVisibilityTable ? 2 : 1;
  for (int k = 0; k < Count(t, before); ++k) {
    bool same = true;
    for (int i = first; i < kFieldCount[t]; ++i) same = same && Field(t, n, i) == Field(t, before.Bytes() + Size(t) * k, i);
    if (same) return true;
  }
  if (t == kWindTable) return Field(t, n, 1) == 0 && Field(t, n, 2) == 0 && Field(t, n, 4) == 0 && Field(t, n, 5) == 0;
  for (int k = 0; before.Empty() && k < Count(t, target); ++k)
    if (std::memcmp(n + 4, target.Bytes() + Size(t) * k + 4, Size(t) - 4) == 0) return true;
  return false;
}

inline bool Whole(int t, const TableBlock& b) {
  if (b.Size() % Size(t) != 0) return false;
  const int n = Count(t, b);
  for (int i = 0; i < n; ++i) {
    const uint8_t* r = b.Bytes() + Size(t) * i;
    if (GetU16(r) != Size(t) || GetU16(r + 2) != n - 1 - i) return false;
  }
  return true;
}

// Steps enough for any field to cross from the least to the most value either weather holds,
// with the clocks' waits and the steps a layer takes to show and to go.
inline int64_t StepBound(const TransitionTables& a, const TransitionTables& b, const TransitionRates& rates) {
  int64_t most = 0;
  auto spread = [&](int t, int i, int32_t extra) {
    int32_t lo = extra, hi = extra;
    for (const TransitionTables* s : {&a, &b}) {
      const TableBlock& blk = s->table[t];
      if (blk.Size() % Size(t) != 0) continue;  // counted as empty by the model
      for (int k = 0; k < Count(t, blk); ++k) {
        const int32_t v = Field(t, blk.Bytes() + Size(t) * k, i);
        if (!Sane(t, i, v)) continue;  // taken at once
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
      }
    }
    return int64_t(hi) - lo;
  };
  auto keep = [&](int64_t s) { most = s > most ? s : most; };
  for (int i = 0; i < 2; ++i) keep(Up(spread(kVisibilityTable, i, 0), Least1(rates.layerMetres)));
  keep(Up(spread(kTemperatureTable, 0, 0), Least1(rates.layerMetres)));
  keep(Up(spread(kWindTable, 0, 0), Least1(rates.layerMetres)));
  for (int i = 0; i < 3; ++i) keep(Up(spread(kCloudTable, i, 0), Least1(rates.cloudMetres)));
  for (int i = 0; i < 2; ++i) keep(Up(spread(kPressureTable, i, i == 0 ? 16211 : 0) * 10, Least1(rates.pressurePerTenSteps16)));
  for (int i = 1; i < 4; ++i)
    keep(Up(spread(kTemperatureTable, i, 0), Least1(rates.temperatureDegrees)) * Least1(rates.temperatureEverySeconds));
  for (int i = 1; i < 3; ++i) keep(Up(spread(kWindTable, i, 0), Least1(rates.windSpeedKnots)));
  for (int i = 4; i < 6; ++i) keep(Up(spread(kWindTable, i, 0), Least1(rates.windLevels)));
  keep(180);  // half a circle at the least rate of one degree
  keep((spread(kCloudTable, 3, 0) + 1) * Least1(rates.cloudCoverEverySeconds));
  // The range: from 0 upward, one hundredth a step until the ratio gives more.
  const int64_t range = spread(kVisibilityTable, 2, 0);
  int64_t rangeSteps = 0;
  const uint32_t ratio16 = Ratio16(rates.visibilityRatio);
  for (int64_t v = 0; v < range && rangeSteps < 200000; ++rangeSteps) {
    int64_t next = int64_t(uint64_t(v) * ratio16 >> 16);
    v = next > v + 1 ? next : v + 1;
  }
  keep(rangeSteps * 2);
  return most + Least1(rates.temperatureEverySeconds) + Least1(rates.cloudCoverEverySeconds) + 4;
}

// One step checked against the tables before it.
inline void CheckStep(const TransitionTables& before, const TransitionTables& sent, unsigned changed,
                      const WeatherTransition& model, const TransitionRates& rates, uint32_t clock) {
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    const bool differs = before.table[t].Size() != model.Current().table[t].Size() ||
                         (before.table[t].Size() && std::memcmp(before.table[t].Bytes(), model.Current().table[t].Bytes(), before.table[t].Size()) != 0);
    FUZZ_REQUIRE(differs == bool(changed & TransitionTableBit(t)));
    if (!differs) continue;
    const TableBlock& now = sent.table[t];
    FUZZ_REQUIRE(now.Size() == model.Current().table[t].Size());
    FUZZ_REQUIRE(now.Empty() || std::memcmp(now.Bytes(), model.Current().table[t].Bytes(), now.Size()) == 0);
    const TableBlock& target = model.Target().table[t];
    const bool last = now.Size() == target.Size() && (now.Empty() || std::memcmp(now.Bytes(), target.Bytes(), now.Size()) == 0);
    FUZZ_REQUIRE(Whole(t, now));
    // A table in force that was not whole records counts as empty.
    TableBlock none;
    const TableBlock& was = Whole(t, before.table[t]) ? before.table[t] : none;
    const size_t size = Size(t);
    for (int k = 0; k < Count(t, now); ++k) {
      const uint8_t* n = now.Bytes() + size * k;
      if (!last && k > 0) FUZZ_REQUIRE(GetU16(n + 4) >= GetU16(n + 4 - size));  // altitude order
      if (t == kPressureTable && was.Empty()) continue;  // from the standard pressure
      bool ok = AppearsOk(t, n, was, target);
      for (int j = 0; !ok && j < Count(t, was); ++j) ok = StepOk(t, was.Bytes() + size * j, n, rates, clock);
      if (t == kPressureTable && !ok && now.Size() == 0) ok = true;
      FUZZ_REQUIRE(ok);
    }
    if (t == kCloudTable) {
      // A cloud goes only once it has thinned to nothing.
      for (int j = 0; j < Count(t, was); ++j) {
        const uint8_t* p = was.Bytes() + size * j;
        if (Field(t, p, 3) == 0) continue;
        bool kept = false;
        for (int k = 0; !kept && k < Count(t, now); ++k) kept = StepOk(t, p, now.Bytes() + size * k, rates, clock);
        FUZZ_REQUIRE(kept);
      }
    }
  }
}

inline bool Same(const TransitionTables& a, const TransitionTables& b) { return TransitionTablesDiffer(a, b) == 0; }

// Byte 0 and what follows: the rates; then what the run does (re-aims, finish, hold); then the
// damaged tables in force; then three weathers (in force, target, second target).
inline void CheckTransition(const uint8_t* data, size_t size) {
  ByteStream in(data, size);
  const TransitionRates rates = ReadRates(in);
  const uint8_t script = in.Byte();
  const uint8_t every = uint8_t(1 + in.Byte() % 16);
  const uint8_t damaged = in.Byte();
  TransitionTables start, target, second;
  ReadTables(in, start, damaged);
  ReadTables(in, target, 0);
  ReadTables(in, second, 0);

  WeatherTransition model;
  TransitionTables simulator;  // what the simulator holds after each step
  FUZZ_REQUIRE(CopyTransitionTables(start, simulator));
  const bool started = model.Start(start, target, rates);
  FUZZ_REQUIRE(started == !Same(start, target));
  if (!started) {
    TransitionTables out;
    unsigned changed = 1;
    FUZZ_REQUIRE(!model.NextStep(out, changed) && changed == 0);
    return;
  }
  int64_t bound = StepBound(start, target, rates);
  int64_t steps = 0;
  int aims = (script & 3);  // re-aims: alternately to the second target and back to the start
  uint32_t clock = 0;
  TransitionTables before, out;
  while (model.Running()) {
    FUZZ_REQUIRE(model.StepsLeft() >= 1);
    FUZZ_REQUIRE(CopyTransitionTables(model.Current(), before));
    unsigned changed = 0;
    FUZZ_REQUIRE(model.NextStep(out, changed));
    CheckStep(before, out, changed, model, rates, clock);
    for (int t = kFirstTable; t <= kCloudTable; ++t)
      if (changed & TransitionTableBit(t)) simulator.table[t] = TableBlock::Copy(out.table[t].Bytes(), out.table[t].Size());
    ++clock;
    ++steps;
    FUZZ_REQUIRE(steps <= bound);
    if (aims > 0 && steps % every == 0 && model.Running()) {
      const TransitionTables& next = (aims & 1) ? second : start;
      --aims;
      TransitionTables here;
      FUZZ_REQUIRE(CopyTransitionTables(model.Current(), here));
      const bool again = model.Start(here, next, rates);
      bool whole = true;
      for (int t = kFirstTable; t <= kCloudTable; ++t) whole = whole && Whole(t, next.table[t]);
      FUZZ_REQUIRE(again == (whole && !Same(here, next)));
      bound = StepBound(here, next, rates);
      steps = 0;
      if (!again) {
        // Refused (a target not whole records): the run stops where it is.
        FUZZ_REQUIRE(!model.Running() && Same(simulator, model.Current()));
        return;
      }
    }
    if ((script & 4) && steps == every) {
      if (script & 8) {
        model.HoldHere();
        FUZZ_REQUIRE(!model.Running() && Same(model.Current(), model.Target()));
      } else {
        unsigned changed2 = 0;
        model.FinishNow(out, changed2);
        for (int t = kFirstTable; t <= kCloudTable; ++t)
          if (changed2 & TransitionTableBit(t)) simulator.table[t] = TableBlock::Copy(out.table[t].Bytes(), out.table[t].Size());
      }
    }
  }
  TransitionTables again;
  unsigned changed = 1;
  FUZZ_REQUIRE(!model.NextStep(again, changed) && changed == 0 && model.StepsLeft() == 0);
  // The simulator holds the target, byte for byte, wherever the run ended.
  FUZZ_REQUIRE(Same(model.Current(), model.Target()));
  FUZZ_REQUIRE(Same(simulator, model.Target()));
}

}  // namespace transition_fuzz
