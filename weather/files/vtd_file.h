// The weather data file (.VTD): tables 1 to 5 as whole-table blocks, each behind a 32-bit tag
// (table number in each of the low four hex digits, block length in the high half). No header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/request_block.h"
#include "weather/files/file_system.h"
#include "weather/snapshot.h"

constexpr size_t kBlockTagSize = 4;
constexpr uint32_t kLongestDataBlock = 0xFFFF;  // the tag's length field

constexpr uint32_t BlockTag(int table, uint32_t length) {
  return uint32_t(table) * 0x1111u | (length << 16);
}

struct DataBlock {
  int table = 0;  // 1 to 5
  const uint8_t* bytes = nullptr;
  uint32_t length = 0;
  TableBlock data;  // the block's own buffer (empty when read without its bytes, or length 0)
};

// Walks the blocks of a file in file order, reading one block at a time (at most 64 KiB) into
// a buffer of its own, never the whole file. It stops for good at the first tag that is short,
// names no table 1 to 5 or has differing digits, at a block cut short, where the memory for a
// block is not there, and at a read error (Failed: the file cannot be used at all then).
class DataFileReader {
 public:
  explicit DataFileReader(ByteSource& file) : file_(file) {}
  // withBytes false: only the tags are read, and the file size tells whether a block is whole.
  bool Next(DataBlock& block, bool withBytes = true);
  // True when the walk stopped before the end of the file.
  bool Damaged() const { return damaged_; }
  // True when it stopped at bytes the file holds but that could not be read.
  bool Failed() const { return failed_; }
  // Just past the last whole block.
  uint64_t Position() const { return position_; }

 private:
  ByteSource& file_;
  uint64_t position_ = 0;
  bool damaged_ = false;
  bool failed_ = false;
};

// A block the panes can walk: at least a record prefix, and exactly as long as its first
// word (the table descriptor) says.
bool DataBlockMatchesDescriptor(const uint8_t* bytes, uint32_t length);

struct DataFileShow {
  int tables = 0;        // blocks put into the snapshot
  bool complete = true;  // false when the load stopped early
  bool failed = false;   // a read error: the snapshot was left as it was
};

// The show load: forgets tables 1 to 6, then puts each block into the snapshot with its
// descriptor taken from its first word and its length recorded (so that it can be saved
// again). Stops at a damaged tag or block and at a block that does not match its descriptor;
// the blocks before it stay. A read error anywhere leaves the snapshot untouched: the file is
// read whole before the snapshot changes.
DataFileShow ShowDataFile(ByteSource& file, WeatherSnapshot& snapshot);
DataFileShow ShowDataFile(const uint8_t* bytes, size_t size, WeatherSnapshot& snapshot);

enum class DataFileSet { kQueued, kTooLarge, kUnreadable };

// The set load: queues ClearTable for all tables, then SetTable for each block up to the first
// damaged one. Blocks go on unchecked. Every block is read before anything is queued: when the
// clear and the blocks would not fit into one batch (batch.Capacity(), end word included)
// nothing is queued and kTooLarge comes back, and after a read error (or with no memory for
// the blocks) nothing is queued and kUnreadable comes back. A batch of capacity 0 (not
// connected) gets the clear alone, since nothing reaches the simulator anyway.
DataFileSet QueueDataFileSet(ByteSource& file, IpcBatch& batch);
DataFileSet QueueDataFileSet(const uint8_t* bytes, size_t size, IpcBatch& batch);

// Bytes of a batch holding the clear of all tables and SetTable writes of these lengths.
size_t SetBatchSize(const uint32_t* lengths, int count);

struct DataFileImage {
  std::vector<uint8_t> bytes;
  bool complete = true;  // false when a table was too long for its tag and left out
};

// The file for tables 1 to 5 of the snapshot, in table order; a table without data or with a
// length of 0 (or -1, never read) is left out. An empty snapshot gives 0 bytes.
DataFileImage EncodeDataFile(const WeatherSnapshot& snapshot);
