// The weather snapshot: the last tables read from the simulator (or shown from a file), and
// the refresh that reads all of them in three exchanges and tells the window which panes to
// refill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/request_block.h"
#include "weather/records.h"

// An owned table block; allocation never throws.
class TableBlock {
 public:
  TableBlock() = default;
  TableBlock(TableBlock&& other) noexcept : bytes_(std::move(other.bytes_)), size_(other.size_) {
    other.size_ = 0;
  }
  TableBlock& operator=(TableBlock&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    size_ = other.size_;
    other.size_ = 0;
    return *this;
  }
  static TableBlock Allocate(size_t size);  // empty block when the memory is not there
  static TableBlock Copy(const uint8_t* bytes, size_t size);
  const uint8_t* Bytes() const { return bytes_.get(); }
  uint8_t* Bytes() { return bytes_.get(); }
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  size_t size_ = 0;
};

struct WeatherTableEntry {
  uint32_t descriptor = kEmptyDescriptor;
  int32_t byteLength = -1;  // -1: not read from the simulator since start or reset
  TableBlock data;
  // The block the last refresh read into and found unchanged, kept for the next read of the
  // same length, so that a steady refresh allocates nothing.
  TableBlock spare;
};

struct WeatherSnapshot {
  WeatherTableEntry tables[kLastTable + 1];  // by table number; [0] unused

  WeatherTableEntry& Table(int t) { return tables[t]; }
  const WeatherTableEntry& Table(int t) const { return tables[t]; }
};

// Everything the refresh reads and keeps beside the snapshot.
struct WeatherState {
  WeatherSnapshot snapshot;
  uint16_t interfaceSignature = 0;
  uint16_t weatherStatus = 0;    // the weather mode 0 to 3 once a refresh has read it
  char stationIcao[5] = {};      // empty, or the station in force in weather mode 3
  bool busy = false;
  bool interfaceFlag = false;    // the signature has been seen, and not lost since
  bool printing = false;
};

// The window's side of a refresh.
class WeatherReactions {
 public:
  virtual ~WeatherReactions() = default;
  virtual void RefillPane(int pane) = 0;
  virtual void UpdateCaption() = 0;             // connected form, from the status just read
  virtual void ShowUnreachableCaption() = 0;
  virtual void EndWxShow() = 0;                 // the panes show the simulator again
  virtual void SetWeatherCommands(bool enable) = 0;
  virtual void GrayFindAirport() = 0;
  virtual void ActivateCurrentPane() = 0;
};

// Reads the status words, the descriptors and every table, and refills the panes whose table
// changed. True when it got as far as the panes. With force, all panes are refilled from the
// snapshot even when the simulator cannot be reached.
bool RefreshWeather(WeatherState& state, IpcBatch& batch, WeatherReactions& view, bool force);

// Forgets tables 1 to 6 (the station table stays).
void ResetSnapshot(WeatherSnapshot& snapshot);

// The records of a table as far as they can be trusted: a record size below what the program
// reads gives no records, and the count never reaches past the block.
struct TableRecords {
  const uint8_t* bytes = nullptr;
  size_t recordSize = 0;
  int count = 0;

  const uint8_t* Record(int i) const { return bytes + size_t(i) * recordSize; }
};
TableRecords RecordsOf(const WeatherTableEntry& entry, size_t leastRecordSize);
