// One traffic refresh without the exchange: format every slot and sort the rows by distance.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "traffic/traffic_table.h"

namespace {

void PutFloat(uint8_t* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(p, bits);
}

// 100 occupied slots. Whole 40-byte records fit only 99 times in the table, so the records
// are laid 39 bytes apart: each COM1 field overlaps the next record's id, which is all the
// same to the work measured.
TrafficTable MakeTable() {
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  WriteTrafficRequest(block.data());
  uint8_t* own = &block[kOwnPositionDataPos];
  PutU32(own + 4, 5724000);      // about 51.5 N
  PutU32(own + 12, 0xFFAB0000);  // about 0.45 W
  PutU32(own + 20, 80);
  PutU16(&block[kVariationDataPos], uint16_t(-546));
  uint8_t* table = &block[kTrafficTableDataPos];
  const uint16_t stride = 39;
  PutU16(table, stride);
  PutU16(table + 2, 100);
  for (int slot = 0; slot < 100; ++slot) {
    uint8_t* r = table + kTrafficRecordsPos + slot * stride;
    PutU32(r, 0x10000u + uint32_t(slot) + 1);
    PutFloat(r + 4, 51.5f + float((slot * 37) % 100 - 50) / 40.0f);
    PutFloat(r + 8, -0.45f + float((slot * 53) % 100 - 50) / 30.0f);
    PutFloat(r + 12, float(1000 + slot * 300));
    PutU16(r + 16, uint16_t(slot * 655));
    PutU16(r + 18, uint16_t(150 + slot));
    PutU16(r + 20, uint16_t(int16_t(slot * 10 - 500)));
    std::memcpy(r + 22, "BAW1234", 8);
    r[25] = char('0' + slot % 10);
  }
  TrafficTable t;
  t.TakeReplies(block.data());
  return t;
}

void BM_palvio_refresh_native_us(benchmark::State& state) {
  TrafficTable table = MakeTable();
  std::vector<int> rows(size_t(table.GetSlotCount()));
  std::iota(rows.begin(), rows.end(), 0);
  SlotTexts texts;
  for (auto _ : state) {
    const OwnPosition own = table.DecodeOwnPosition();
    for (int slot : rows) {
      table.FormatSlot(slot, own, texts);
      benchmark::DoNotOptimize(texts);
    }
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
      return table.CompareSlots(a, b, kColumnDistance) < 0;
    });
    std::rotate(rows.begin(), rows.begin() + 37, rows.end());  // unsorted again for the next run
  }
}
BENCHMARK(BM_palvio_refresh_native_us)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
