// The body of the traffic table's fuzz target, shared with the native test that replays the
// seeds and every input that once crashed.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_input.h"
#include "link/request_block.h"
#include "traffic/traffic_table.h"

namespace core_fuzz {

// A module that writes whatever it likes over the whole block, after failing the number of
// times byte 0 asks (above four: every attempt fails).
class FuzzTransport : public IpcTransport {
 public:
  FuzzTransport(uint8_t* block, ByteStream& in, int failures)
      : block_(block), in_(in), failures_(failures) {}
  bool Send() override {
    if (failures_-- > 0) return false;
    in_.Fill(block_, kTrafficRequestSize);
    return true;
  }
  void Pause(unsigned) override {}

 private:
  uint8_t* block_;
  ByteStream& in_;
  int failures_;
};

// Byte 0: failed attempts, then the block as the module leaves it (variation at 16, own
// position at 34, the traffic table at 74).
inline void CheckTraffic(const uint8_t* data, size_t size) {
  ByteStream in(data, size);
  const int failures = in.Byte() % 7;
  std::unique_ptr<uint8_t[]> block(new uint8_t[kTrafficRequestSize]);
  TrafficTable table;
  FuzzTransport transport(block.get(), in, failures);
  FUZZ_REQUIRE(table.FetchTraffic(block.get(), kTrafficRequestSize, transport) ==
               (failures < kFetchAttempts));

  const int count = table.GetSlotCount();
  FUZZ_REQUIRE(count >= 0 && count <= kMaxSlots);
  if (count > 0) {
    // Every slot shown lies wholly inside the table read.
    const size_t recordSize = GetU16(block.get() + kTrafficTableDataPos);
    const size_t used = recordSize > kTrafficRecordUsed ? recordSize : kTrafficRecordUsed;
    FUZZ_REQUIRE(kTrafficRecordsPos + size_t(count - 1) * recordSize + used <= kTrafficTableAreaSize);
  }

  const OwnPosition own = table.DecodeOwnPosition();
  for (int slot = -1; slot <= kMaxSlots; ++slot) {
    SlotTexts texts;
    table.FormatSlot(slot, own, texts);
    for (int c = 0; c < kSlotColumns; ++c) {
      const size_t length = strnlen(texts.cell[c], kCellTextSize);
      FUZZ_REQUIRE(length < kCellTextSize);
      if (!table.SlotOccupied(slot)) FUZZ_REQUIRE(length == 0);
    }
  }
  FUZZ_REQUIRE(!table.SlotOccupied(-1) && !table.SlotOccupied(count) && !table.SlotOccupied(kMaxSlots));

  // The list's comparison: empty slots last, and between two occupied slots a consistent order.
  for (int column = kColumnSlot; column <= kColumnAltDiff + 1; ++column) {
    for (int a = -1; a <= count; ++a) {
      const int b = (a * 7 + column + 3) % (count + 2) - 1;
      const int ab = table.CompareSlots(a, b, column);
      const int ba = table.CompareSlots(b, a, column);
      if (!table.SlotOccupied(a)) {
        FUZZ_REQUIRE(ab > 0);
      } else if (!table.SlotOccupied(b)) {
        FUZZ_REQUIRE(ab < 0);
      } else {
        FUZZ_REQUIRE((ab > 0) == (ba < 0) && (ab == 0) == (ba == 0));
      }
    }
  }
}

}  // namespace core_fuzz
