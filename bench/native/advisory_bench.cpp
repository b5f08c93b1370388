// Tracking and classifying 100 targets in one refresh: the tables of ten minutes of flight are
// laid out first, so only AdvisoryTracker::Update is timed.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "tests/native/advisory_sky.h"

namespace {

constexpr int kRefreshes = 600;

void BM_advisory_update_us(benchmark::State& state) {
  sky::Sky s(51.5, -0.45);
  s.own.vn = 220, s.own.alt = sky::Metres(1800);
  for (int i = 0; i < 100; ++i) {
    sky::Body b;
    b.id = 0x10000u + uint32_t(i);
    b.e = (i * 37) % 41 - 20, b.n = (i * 53) % 43 - 21;  // nm
    b.ve = (i * 29) % 300 - 150, b.vn = (i * 31) % 400 - 200;
    b.alt = s.own.alt + (i * 300) % 6000 - 3000, b.vs = (i % 5 - 2) * 500.0;
    if (i % 10 == 0) {  // met head-on at the own level, one every minute
      b.t0 = 30 + i * 6, b.e = 0, b.n = s.own.N(b.t0), b.ve = 0, b.vn = -200;
      b.alt = s.own.alt, b.vs = 0;
    }
    s.targets.push_back(b);
  }
  std::vector<TrafficTable> tables(kRefreshes);
  std::vector<OwnPosition> owns(kRefreshes);
  for (int i = 0; i < kRefreshes; ++i) {
    s.Serve(i);
    tables[i] = s.Table();
    owns[i] = tables[i].DecodeOwnPosition();
  }
  std::unique_ptr<AdvisoryTracker> tracker(new AdvisoryTracker);
  int i = 0, advisories = 0;
  double now = 0;
  for (auto _ : state) {
    if (i == kRefreshes) {
      state.PauseTiming();
      tracker->Reset();
      i = 0;
      state.ResumeTiming();
    }
    tracker->Update(tables[i], owns[i], now);
    advisories += tracker->AdvisoryCount();
    ++i, now += 1;
  }
  benchmark::DoNotOptimize(advisories);
  state.counters["advisories"] = benchmark::Counter(advisories, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_advisory_update_us)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
