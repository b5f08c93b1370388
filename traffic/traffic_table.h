// The traffic reader: one fixed request block of three reads (magnetic variation, own position,
// the AI traffic table), the decoding of the own position and the texts and sort keys of each
// slot. Platform-free: the exchange itself is handed in as an IpcTransport.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/request_block.h"

constexpr size_t kTrafficBlockSize = 5000;
constexpr unsigned kTrafficTimeoutMs = 2000;
constexpr int kFetchAttempts = 5;
constexpr unsigned kFetchPauseMs = 200;

// Module offsets and sizes of the three reads.
constexpr uint32_t kVariationModuleOffset = 0x02A0;
constexpr uint32_t kOwnPositionModuleOffset = 0x0560;
constexpr uint32_t kTrafficTableModuleOffset = 0xF000;
constexpr uint32_t kVariationAreaSize = 2;
constexpr uint32_t kOwnPositionAreaSize = 24;
constexpr uint32_t kTrafficTableAreaSize = 4096;

// Byte positions in the request block: records at 0, 18 and 58, data areas 16 bytes further.
constexpr size_t kVariationRecordPos = 0;
constexpr size_t kOwnPositionRecordPos = 18;
constexpr size_t kTrafficTableRecordPos = 58;
constexpr size_t kVariationDataPos = 16;
constexpr size_t kOwnPositionDataPos = 34;
constexpr size_t kTrafficTableDataPos = 74;
constexpr size_t kTrafficEndWordPos = 4170;
constexpr size_t kTrafficRequestSize = kTrafficEndWordPos + kEndWordSize;

// The traffic table: record size and slot count, then the records from table byte 128.
constexpr size_t kTrafficRecordsPos = 128;
// Bytes of a record this program reads: id to COM1.
constexpr size_t kTrafficRecordUsed = 40;
constexpr int kMaxSlots = 100;

constexpr int kSlotColumns = 12;      // list columns 1 to 12
constexpr size_t kCellTextSize = 32;  // longest: a 16-byte identifier

// Column numbers of the list, as CompareSlots takes them.
enum TrafficColumn {
  kColumnSlot = 0,
  kColumnId = 1,
  kColumnDistance = 2,
  kColumnBearing = 3,
  kColumnAltDiff = 4,
};

// Writes the three read records with cleared data areas, and the end word at 4170.
// `block` must hold kTrafficRequestSize bytes.
void WriteTrafficRequest(uint8_t* block);

struct OwnPosition {
  double latitude;   // degrees, north positive
  double longitude;  // degrees, east positive, in (-180, 180]
  double altitude;   // feet
  int16_t variation; // 65536 units = 360 degrees
};

// Unrounded, by slot number. Entries of slots not formatted while occupied are never read.
struct SlotSortKeys {
  double distance[kMaxSlots];    // nautical miles
  double bearing[kMaxSlots];     // magnetic degrees
  double heightDiff[kMaxSlots];  // hundreds of feet
};

// The raw fields of a record, as the module stored them.
struct TrafficRecordFields {
  uint32_t id;            // 0: empty slot
  float latitude;         // degrees, north positive
  float longitude;        // degrees, east positive
  float altitude;         // feet
  uint16_t heading;       // true, 65536 = 360 degrees
  uint16_t groundSpeed;   // knots
  int16_t verticalSpeed;  // feet per minute
};

struct SlotTexts {
  char cell[kSlotColumns][kCellTextSize];  // cell[0] is list column 1
};

class TrafficTable {
 public:
  TrafficTable();

  // Lays out the block, then tries the exchange up to 5 times with a 200 ms pause after each
  // failure (the fifth too). On success the replies are kept for the calls below; on failure
  // the previous ones stay.
  bool FetchTraffic(uint8_t* block, size_t blockSize, IpcTransport& transport);
  // Takes the three data areas from a block laid out as WriteTrafficRequest does.
  void TakeReplies(const uint8_t* block);

  // Slots that can be shown: the header's count, cut to 100 and to the records that lie wholly
  // inside the 4096 bytes read.
  int GetSlotCount() const;
  OwnPosition DecodeOwnPosition() const;
  // The twelve texts of a slot's row; an empty slot, or one beyond GetSlotCount, gives twelve
  // empty texts and leaves its sort keys alone.
  void FormatSlot(int slot, const OwnPosition& own, SlotTexts& out);
  // The list's comparison: empty slots last, then by the column.
  int CompareSlots(int a, int b, int column) const;
  bool SlotOccupied(int slot) const;
  // The fields of an occupied slot within GetSlotCount; false (and `out` cleared) otherwise.
  bool SlotRecord(int slot, TrafficRecordFields& out) const;
  const SlotSortKeys& SortKeys() const { return keys_; }

 private:
  const uint8_t* Record(int slot) const;

  uint8_t variation_[kVariationAreaSize];
  uint8_t position_[kOwnPositionAreaSize];
  uint8_t table_[kTrafficTableAreaSize];
  SlotSortKeys keys_;
};
