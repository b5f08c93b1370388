// Live weather: the station index built from a file of 10,000 reports of 10,000 placed stations
// (one cycle, some reports over two lines, bulletins), and one blend at a position among them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "weather/live/blend.h"
#include "weather/live/station_index.h"

namespace {

constexpr int kStations = 10000;

// Stations spread over the land-ish latitudes, 100 columns by 100 rows.
void StationAt(int s, double* lat, double* lon) {
  *lat = -60 + (s / 100) * 1.3 + (s % 7) * 0.05;
  *lon = -180 + (s % 100) * 3.6 + (s % 11) * 0.1;
}

void Code(int s, char* code) {
  code[0] = char('A' + s / 1000 % 26);
  code[1] = char('A' + s / 100 % 10);
  code[2] = char('A' + s / 10 % 10);
  code[3] = char('A' + s % 10);
  code[4] = 0;
}

const StationPlaces& Places() {
  static const StationPlaces places = [] {
    std::string list;
    char line[80], code[5];
    for (int s = 0; s < kStations; ++s) {
      double lat, lon;
      StationAt(s, &lat, &lon);
      Code(s, code);
      snprintf(line, sizeof line, "%s %.4f %.4f %d\n", code, lat, lon, s % 900);
      list += line;
    }
    StationPlaces p;
    p.AddStationList(list.data(), list.size());
    return p;
  }();
  return places;
}

const std::string& ReportFile() {
  static const std::string file = [] {
    std::string text = "2026/12/08 12:00\n";
    char line[200], code[5];
    for (int s = 0; s < kStations; ++s) {
      Code(s, code);
      snprintf(line, sizeof line,
               s % 3 ? "METAR %s 0812%02dZ %03d%02dKT 9999 FEW0%02d BKN040 %02d/%02d Q10%02d=\n"
                     : "METAR %s 0812%02dZ %03d%02dKT 9999\n      FEW0%02d BKN040 %02d/%02d Q10%02d=\n",
               code, s % 60, s % 36 * 10, s % 30, s % 50 + 10, s % 30, s % 20, s % 30);
      text += line;
    }
    return text;
  }();
  return file;
}

const UtcClock kNow{2026, 12, 8, 13, 0};

void BM_live_index_ms(benchmark::State& state) {
  const StationPlaces& places = Places();
  const std::string& file = ReportFile();
  for (auto _ : state) {
    StationIndex index;
    // In pieces of 1 MB, as the window reads it.
    index.Begin(places, kNow);
    for (size_t at = 0; at < file.size(); at += 1 << 20)
      index.Feed(file.data() + at, std::min(file.size() - at, size_t(1) << 20));
    index.Finish(true);
    if (index.Stations().size() != size_t(kStations)) state.SkipWithError("stations missing");
    benchmark::DoNotOptimize(index.Stations().data());
  }
  state.counters["file_bytes"] = double(file.size());
}
BENCHMARK(BM_live_index_ms)->Unit(benchmark::kMillisecond);

// A 50 MB file (the cycle above over and over, as a file that keeps a day of cycles) read as the
// window reads it: 256 KB a turn. What counts is the longest turn, and the last one, which
// decodes every station's newest report.
void BM_live_large_file_ms(benchmark::State& state) {
  const StationPlaces& places = Places();
  const std::string& cycle = ReportFile();
  std::string file;
  while (file.size() < (size_t(50) << 20)) file += cycle;
  constexpr size_t kPiece = 256 * 1024;
  double longestPiece = 0, finish = 0;
  for (auto _ : state) {
    StationIndex index;
    index.Begin(places, kNow);
    for (size_t at = 0; at < file.size(); at += kPiece) {
      const auto start = std::chrono::steady_clock::now();
      index.Feed(file.data() + at, std::min(file.size() - at, kPiece));
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      longestPiece = std::max(longestPiece, took.count());
    }
    const auto start = std::chrono::steady_clock::now();
    index.Finish(true);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    finish = std::max(finish, took.count());
    if (index.Stations().size() != size_t(kStations)) state.SkipWithError("stations missing");
  }
  state.counters["file_bytes"] = double(file.size());
  state.counters["longest_piece_ms"] = longestPiece;
  state.counters["finish_ms"] = finish;
}
BENCHMARK(BM_live_large_file_ms)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_live_blend_us(benchmark::State& state) {
  StationIndex index;
  const std::string& file = ReportFile();
  index.Build(file.data(), file.size(), Places(), kNow);
  LiveBlender blender;
  LiveSettings settings;
  settings.radiusNm = 300;
  LiveWeather out;
  double t = 0;
  for (auto _ : state) {
    blender.Blend(index, 45.3, 7.4, t += 10, settings, out);
    if (!out.usable) state.SkipWithError("no station in range");
    benchmark::DoNotOptimize(out.tables.filled);
  }
}
BENCHMARK(BM_live_blend_us)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
