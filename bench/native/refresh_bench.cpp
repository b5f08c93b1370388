// RefreshWeather against devsim's module with unchanged, nearly block-filling tables, and the
// floor it is measured against: copying the same bytes into and out of a block and comparing
// them with the previous copy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "devsim/loopback.h"
#include "devsim/module.h"
#include "weather/snapshot.h"

namespace {

class QuietView : public WeatherReactions {
 public:
  void RefillPane(int) override { ++refills; }
  void UpdateCaption() override {}
  void ShowUnreachableCaption() override {}
  void EndWxShow() override {}
  void SetWeatherCommands(bool) override {}
  void GrayFindAirport() override {}
  void ActivateCurrentPane() override {}
  int refills = 0;
};

// Fills tables 1 to 5 so that all seven together (devsim derives the applied winds from the
// winds set) take about 28 KB of the 32700-byte block.
void FillTables(DevsimModule& module) {
  const int sizes[] = {0, 10, 8, 12, 16, 24};
  const int counts[] = {0, 300, 1, 300, 300, 400};
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    int n = counts[t];
    std::vector<uint8_t> block(size_t(n) * sizes[t], 0);
    for (int i = 0; i < n; ++i) {
      uint8_t* r = &block[size_t(i) * sizes[t]];
      PutU16(r, uint16_t(sizes[t]));
      PutU16(r + 2, uint16_t(n - 1 - i));
      PutU16(r + 4, uint16_t(100 + i * 60));  // the altitude that orders the table
      if (t == kPressureTable) PutU16(r + 4, 16211);
      if (t == kVisibilityTable || t == kCloudTable) PutU16(r + 6, uint16_t(50 + i * 60));
    }
    module.Weather().Write(WeatherSelector(t, kSetTable), block.data(), block.size());
  }
}

size_t TableBytes(const WeatherState& state) {
  size_t total = 0;
  for (int t = kFirstTable; t <= kLastTable; ++t)
    total += state.snapshot.Table(t).byteLength > 0 ? size_t(state.snapshot.Table(t).byteLength) : 0;
  return total;
}

void BM_RefreshUnchanged(benchmark::State& st) {
  DevsimModule module;
  FillTables(module);
  LoopbackBatch link(module);
  WeatherState state;
  QuietView view;
  RefreshWeather(state, link, view, false);
  view.refills = 0;
  for (auto _ : st) benchmark::DoNotOptimize(RefreshWeather(state, link, view, false));
  if (view.refills != 0) st.SkipWithError("unchanged tables refilled a pane");
  st.counters["table_bytes"] = double(TableBytes(state));
}
BENCHMARK(BM_RefreshUnchanged);

// The least any refresh must do with those bytes: the module copies them into the block, the
// reply walk copies them out, and they are compared with the last copy.
void BM_CopyCompareFloor(benchmark::State& st) {
  DevsimModule module;
  FillTables(module);
  LoopbackBatch link(module);
  WeatherState state;
  QuietView view;
  RefreshWeather(state, link, view, false);
  std::vector<std::vector<uint8_t>> source, previous;
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    const WeatherTableEntry& e = state.snapshot.Table(t);
    if (e.data.Empty()) continue;
    source.emplace_back(e.data.Bytes(), e.data.Bytes() + e.data.Size());
    previous.push_back(source.back());
  }
  std::vector<uint8_t> block(32700), fresh(32700);
  for (auto _ : st) {
    bool same = true;
    for (size_t i = 0; i < source.size(); ++i) {
      std::memcpy(block.data(), source[i].data(), source[i].size());
      std::memcpy(fresh.data(), block.data(), source[i].size());
      same &= std::memcmp(fresh.data(), previous[i].data(), source[i].size()) == 0;
    }
    benchmark::DoNotOptimize(same);
    benchmark::ClobberMemory();
  }
  st.counters["table_bytes"] = double(TableBytes(state));
}
BENCHMARK(BM_CopyCompareFloor);

}  // namespace

BENCHMARK_MAIN();
