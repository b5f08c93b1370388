// A file of reports of about 5 MB (many stations, several cycles, bulletins with reports over
// two lines): finding one station's newest report and decoding it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "weather/metar/metar_file.h"
#include "weather/metar/metar_report.h"

namespace {

const std::string& BigReportFile() {
  static const std::string file = [] {
    std::string text;
    char line[200];
    for (int cycle = 0; text.size() < 5u << 20; ++cycle) {
      snprintf(line, sizeof line, "2026/12/%02d %02d:%02d\n", 1 + cycle / 48, cycle / 2 % 24,
               cycle % 2 * 30);
      text += line;
      for (int s = 0; s < 400 && text.size() < 5u << 20; ++s) {
        const char code[5] = {char('A' + s % 26), char('A' + s / 26 % 26), 'X', char('A' + cycle % 26), 0};
        snprintf(line, sizeof line,
                 "METAR %s %02d%02d%02dZ %03d%02dKT 9999 FEW0%02d BKN040 %02d/%02d Q10%02d\n"
                 "      RMK AO2 SLP132=\n",
                 code, 1 + cycle / 48, cycle / 2 % 24, cycle % 2 * 30, s % 36 * 10, s % 30, s % 50,
                 s % 30, s % 20, s % 30);
        text += line;
      }
    }
    // The station asked for: one report early, its newest near the middle.
    text.insert(100, "EGLL 010020Z 24010KT 9999 Q1013\n");
    text.insert(text.size() / 2, "\nEGLL 081250Z 24015G25KT 4000 -SHRA FEW010 BKN040TCU 12/08 Q1013\n");
    return text;
  }();
  return file;
}

void BM_metar_file_search_ms(benchmark::State& state) {
  const std::string& file = BigReportFile();
  for (auto _ : state) {
    const MetarSearch found = FindNewestReport(file.data(), file.size(), "EGLL");
    const MetarReport report = DecodeMetar(found.report, found.length);
    if (!found.found || report.errorCount != 0) state.SkipWithError("report not found");
    benchmark::DoNotOptimize(report.windSpeed);
  }
  state.counters["file_bytes"] = double(file.size());
}
BENCHMARK(BM_metar_file_search_ms)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
