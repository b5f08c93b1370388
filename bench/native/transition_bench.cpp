// One step of a transition with tables of 300 layers each, every layer on its way, against
// the floor it is measured against: a copy of the same tables.
#include <benchmark/benchmark.h>

#include <vector>

#include "link/request_block.h"
#include "weather/transition/transition.h"

namespace {

// Tables 1, 3, 4 and 5 of 300 layers 10 m deep, 60 m apart, starting at base; the values set
// by seed. Two weathers 3030 m apart overlap nowhere, so every layer is paired and moves.
TransitionTables Weather(int base, int seed) {
  TransitionTables w;
  for (int t = kFirstTable; t <= kCloudTable; ++t) {
    const int n = t == kPressureTable ? 1 : 300;
    const size_t size = TableRecordSize(t);
    w.table[t] = TableBlock::Allocate(size * n);
    for (int i = 0; i < n; ++i) {
      uint8_t* r = w.table[t].Bytes() + size * i;
      PutU16(r, uint16_t(size));
      PutU16(r + 2, uint16_t(n - 1 - i));
      for (size_t f = 4; f < size; f += 2) PutU16(r + f, uint16_t((seed * 7 + i + f) % 5));
      PutU16(r + 4, uint16_t(base + i * 60 + 10));
      if (t == kVisibilityTable || t == kCloudTable) PutU16(r + 6, uint16_t(base + i * 60));
      if (t == kVisibilityTable) PutU16(r + 8, uint16_t(100 + seed * 400 + i));
      if (t == kWindTable) {
        PutU16(r + 6, uint16_t(10 + seed * 50));
        PutU16(r + 10, uint16_t(seed * 30000 + i * 100));
      }
      if (t == kTemperatureTable) PutU16(r + 6, uint16_t(int16_t(seed * 20 - 20)));
      if (t == kCloudTable) PutU16(r + 10, uint16_t(seed * 8));
    }
  }
  PutU16(w.table[kPressureTable].Bytes() + 4, uint16_t(15800 + seed * 160));
  return w;
}

void BM_TransitionStep(benchmark::State& st) {
  const TransitionTables low = Weather(0, 0), high = Weather(3030, 1);
  WeatherTransition model;
  TransitionRates rates;
  model.Start(low, high, rates);
  TransitionTables out;
  unsigned changed = 0;
  bool up = true;
  int64_t sent = 0;
  for (auto _ : st) {
    if (!model.Running()) {
      st.PauseTiming();
      TransitionTables here;
      CopyTransitionTables(model.Current(), here);
      up = !up;
      model.Start(here, up ? high : low, rates);
      st.ResumeTiming();
    }
    model.NextStep(out, changed);
    sent += __builtin_popcount(changed);
    benchmark::DoNotOptimize(out.table[kCloudTable].Bytes());
  }
  st.counters["tables_sent_per_step"] = double(sent) / double(st.iterations());
}
BENCHMARK(BM_TransitionStep);

void BM_TransitionCopyFloor(benchmark::State& st) {
  const TransitionTables low = Weather(0, 0);
  for (auto _ : st) {
    TransitionTables copy;
    CopyTransitionTables(low, copy);
    benchmark::DoNotOptimize(copy.table[kCloudTable].Bytes());
  }
}
BENCHMARK(BM_TransitionCopyFloor);

}  // namespace

BENCHMARK_MAIN();
