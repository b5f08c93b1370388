// The weather files over big inputs: browsing a .WX file of 20,000 station entries near its
// start and near its end, the search for its last station against reading its headers alone,
// and the airport search over 30,000 records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/native/weather_files_fakes.h"
#include "tests/native/wx_builder.h"
#include "weather/files/airports.h"
#include "weather/files/wx_browse.h"

namespace {

constexpr int kStations = 20000;
constexpr const char kPath[] = "C:\\Weather\\big.wx";

const std::vector<uint8_t>& BigWxFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> bytes = WxEntryBytes({-1, 3, 2, 3, 4});
    for (int s = 1; s <= kStations; ++s) {
      std::vector<uint8_t> entry = WxEntryBytes({s, uint32_t(1 + s % 3), 1, uint32_t(s % 4), 2});
      bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    return bytes;
  }();
  return file;
}

struct BigFile : FileBench {
  WxBrowseState state;
  BigFile() { files.files[kPath] = BigWxFile(); }
  void Load(WxLoad mode, int step, int station) {
    LoadWxEntry(context, state, kPath, mode, step, station);
  }
};

// Shows entry `index` (0-based), then times PageDown from there.
void PageDownFrom(benchmark::State& bench, int index) {
  BigFile big;
  big.Load(WxLoad::kShow, -1, 0);
  big.Load(WxLoad::kShow, 0, index);  // entry `index` holds station `index`
  const WxBrowseState at = big.state;
  if (at.wxShownIndex != index + 1) bench.SkipWithError("entry not reached");
  for (auto _ : bench) {
    big.state = at;
    big.Load(WxLoad::kBrowse, +1, 0);
    benchmark::DoNotOptimize(big.state.wxShownIndex);
  }
}

void BM_wx_pagedown_start_us(benchmark::State& bench) { PageDownFrom(bench, 5); }
void BM_wx_pagedown_end_us(benchmark::State& bench) { PageDownFrom(bench, kStations - 5); }

void BM_wx_station_search_us(benchmark::State& bench) {
  BigFile big;
  big.Load(WxLoad::kShow, -1, 0);
  const WxBrowseState first = big.state;
  for (auto _ : bench) {
    big.state = first;
    big.Load(WxLoad::kShow, 0, kStations);
    if (big.state.wxShownIndex != kStations + 1) bench.SkipWithError("station not found");
  }
}

// The floor for the search: the same headers read one by one from the same source.
void BM_wx_headers_only_us(benchmark::State& bench) {
  const std::vector<uint8_t>& file = BigWxFile();
  for (auto _ : bench) {
    MemorySource source(file.data(), file.size());
    uint64_t offset = 0;
    int entries = 0;
    uint8_t header[kWxHeaderSize];
    while (source.ReadAt(offset, header, sizeof header) == sizeof header) {
      WxEntryHeader h = DecodeWxHeader(header);
      if (WxStationKey(h.stationIndex) >= kStations) break;
      offset += WxEntryLength(h);
      ++entries;
    }
    benchmark::DoNotOptimize(entries);
  }
}

void BM_airport_search_us(benchmark::State& bench) {
  constexpr int kAirports = 30000;
  std::vector<uint8_t> table(size_t(kAirports) * kAirportRecordSize, 0);
  for (int k = 0; k < kAirports; ++k) {
    char code[8];
    snprintf(code, sizeof code, "%04X", k);
    std::memcpy(&table[size_t(k) * kAirportRecordSize], code, 4);
  }
  std::memcpy(&table[size_t(kAirports - 1) * kAirportRecordSize], "ZZZZ", 4);
  for (auto _ : bench) {
    int k = FindAirport(table.data(), table.size(), "zzzz");
    if (k != kAirports - 1) bench.SkipWithError("airport not found");
    benchmark::DoNotOptimize(k);
  }
}

BENCHMARK(BM_wx_pagedown_start_us)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_wx_pagedown_end_us)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_wx_station_search_us)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_wx_headers_only_us)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_airport_search_us)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
