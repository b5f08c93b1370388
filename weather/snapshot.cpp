#include "weather/snapshot.h"

#include <cstring>

#include "weather/allocation.h"

TableBlock TableBlock::Allocate(size_t size) {
  TableBlock block;
  if (size == 0) return block;
  block.bytes_ = AllocateBytes(size);
  if (block.bytes_) block.size_ = size;
  return block;
}

TableBlock TableBlock::Copy(const uint8_t* bytes, size_t size) {
  TableBlock block = Allocate(size);
  if (!block.Empty()) std::memcpy(block.bytes_.get(), bytes, size);
  return block;
}

void ResetSnapshot(WeatherSnapshot& snapshot) {
  for (int t = kFirstTable; t <= kAppliedWindTable; ++t) snapshot.Table(t) = WeatherTableEntry();
}

TableRecords RecordsOf(const WeatherTableEntry& entry, size_t leastRecordSize) {
  TableRecords records;
  size_t recordSize = DescriptorRecordSize(entry.descriptor);
  int count = DescriptorRecordCount(entry.descriptor);
  if (entry.data.Empty() || recordSize == 0 || recordSize < leastRecordSize || count <= 0)
    return records;
  size_t whole = entry.data.Size() / recordSize;
  records.bytes = entry.data.Bytes();
  records.recordSize = recordSize;
  records.count = size_t(count) < whole ? count : int(whole);
  return records;
}

namespace {

constexpr uint32_t ReadTableSelector(int t) { return WeatherSelector(t, kReadTable); }

struct NewTable {
  uint32_t descriptor = kEmptyDescriptor;
  uint32_t length = 0;
  TableBlock block;
  bool changed = false;
};

// Third exchange: one read per non-empty table. A descriptor that claims more than the block
// can carry (a module that lies) makes its table empty rather than overflow the batch.
bool ReadTables(IpcBatch& batch, WeatherSnapshot& snapshot, NewTable (&fresh)[kLastTable + 1]) {
  size_t room = batch.Capacity() > kEndWordSize ? batch.Capacity() - kEndWordSize : 0;
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    NewTable& n = fresh[t];
    n.length = DescriptorByteLength(n.descriptor);
    if (n.length > 0 && (DescriptorRecordCount(n.descriptor) <= 0 || kReadHeaderSize + n.length > room)) {
      n.length = 0;
      n.descriptor = kEmptyDescriptor;
    }
    n.changed = int64_t(n.length) != snapshot.Table(t).byteLength;
    if (n.length > 0) {
      TableBlock& spare = snapshot.Table(t).spare;
      n.block = spare.Size() == n.length ? std::move(spare) : TableBlock::Allocate(n.length);
      if (n.block.Empty()) {
        n.length = 0;
        n.descriptor = kEmptyDescriptor;
      }
    }
    if (!n.block.Empty()) {
      batch.Read(ReadTableSelector(t), n.length, n.block.Bytes());
      room -= kReadHeaderSize + n.length;
    }
  }
  return batch.Process();
}

void Commit(WeatherState& state, WeatherReactions& view, NewTable (&fresh)[kLastTable + 1],
            bool (&changed)[kLastTable + 1]) {
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    NewTable& n = fresh[t];
    WeatherTableEntry& entry = state.snapshot.Table(t);
    changed[t] = n.changed;
    if (!changed[t] && !n.block.Empty()) {
      changed[t] = entry.data.Empty() || entry.data.Size() < n.length ||
                   std::memcmp(entry.data.Bytes(), n.block.Bytes(), n.length) != 0;
    }
    if (changed[t]) {
      entry.spare = std::move(entry.data);
      entry.data = std::move(n.block);
    } else {
      entry.spare = std::move(n.block);  // same bytes as the block kept
    }
    entry.byteLength = int32_t(n.length);
    entry.descriptor = n.descriptor;
  }
  if (changed[kStationTable]) {
    TableRecords station = RecordsOf(state.snapshot.Table(kStationTable), kStationRecordMinSize);
    state.stationIcao[0] = 0;
    if (station.count > 0 && station.Record(0)[4] != 0) {
      std::memcpy(state.stationIcao, station.Record(0) + 4, 4);
      state.stationIcao[4] = 0;
    }
    view.UpdateCaption();
  }
}

}  // namespace

bool RefreshWeather(WeatherState& state, IpcBatch& batch, WeatherReactions& view, bool force) {
  if (state.busy || state.printing) return false;
  state.busy = true;

  bool changed[kLastTable + 1] = {};
  bool reached = false;
  uint16_t signature = 0;
  uint16_t status = 0;
  batch.Read(kInterfaceSignatureOffset, 2, &signature);
  batch.Read(kWeatherStatusOffset, 2, &status);
  if (batch.Process()) {
    state.interfaceSignature = signature;
    state.weatherStatus = uint16_t(status >> 14);
    view.UpdateCaption();
    view.EndWxShow();
    if (signature != kInterfaceSignature) {
      if (state.interfaceFlag) {
        view.SetWeatherCommands(false);
        state.interfaceFlag = false;
      }
      state.busy = false;
      return false;
    }
    if (!state.interfaceFlag) {
      view.SetWeatherCommands(true);
      state.interfaceFlag = true;
      view.GrayFindAirport();
    }

    NewTable fresh[kLastTable + 1];
    uint8_t descriptors[kLastTable + 1][4] = {};
    for (int t = kFirstTable; t <= kLastTable; ++t)
      batch.Read(ReadTableSelector(t), 4, descriptors[t]);
    if (batch.Process()) {
      for (int t = kFirstTable; t <= kLastTable; ++t) fresh[t].descriptor = GetU32(descriptors[t]);
      if (ReadTables(batch, state.snapshot, fresh)) {
        Commit(state, view, fresh, changed);
        reached = true;
      }
    }
  }

  if (!reached) {
    view.ShowUnreachableCaption();
    if (!force) {
      state.busy = false;
      return false;
    }
    for (bool& c : changed) c = true;
  }
  for (int t = kFirstTable; t <= kAppliedWindTable; ++t)
    if (changed[t]) view.RefillPane(t - 1);
  state.busy = false;
  view.ActivateCurrentPane();
  return true;
}
