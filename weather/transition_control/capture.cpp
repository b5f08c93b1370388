#include "weather/transition_control/capture.h"

#include <cstring>

#include "weather/records.h"

namespace {
constexpr uint16_t kStandardQnhUnits = 16211;  // 1013.2 mb in sixteenths
}

TableBlock StandardPressureBlock() {
  TableBlock block = TableBlock::Allocate(kPressureRecordSize);
  if (block.Empty()) return block;
  PutU16(block.Bytes(), uint16_t(kPressureRecordSize));
  PutU16(block.Bytes() + 2, 0);
  PutU16(block.Bytes() + 4, kStandardQnhUnits);
  PutU16(block.Bytes() + 6, 0);
  return block;
}

TransitionCapture::TransitionCapture(const TransitionTables& base, size_t capacity)
    : capacity_(capacity) {
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    const TableBlock& b = base.table[t];
    if (b.Empty()) continue;
    target_.table[t] = TableBlock::Copy(b.Bytes(), b.Size());
    if (target_.table[t].Empty()) failed_ = true;
  }
}

bool TransitionCapture::Replay(IpcBatch& batch) const {
  for (size_t at = 0; at + 8 <= raw_.size();) {
    const uint32_t offset = GetU32(&raw_[at]);
    const uint32_t size = GetU32(&raw_[at + 4]);
    batch.Write(offset, size, size ? &raw_[at + 8] : nullptr);
    at += 8 + size;
  }
  return batch.Process();
}

void TransitionCapture::Clear(int table) {
  touched_ |= TransitionTableBit(table);
  target_.table[table] = table == kPressureTable ? StandardPressureBlock() : TableBlock();
  if (table == kPressureTable && target_.table[table].Empty()) failed_ = true;
}

void TransitionCapture::Write(uint32_t offset, uint32_t size, const void* source) {
  ++writes_;
  const size_t at = raw_.size();
  raw_.resize(at + 8 + (source ? size : 0));
  PutU32(&raw_[at], offset);
  PutU32(&raw_[at + 4], source ? size : 0);
  if (source && size) std::memcpy(&raw_[at + 8], source, size);
  const int table = SelectorTable(offset);
  const uint32_t operation = SelectorOperation(offset);
  if ((offset >> 24) != 0 || table > kCloudTable ||
      (operation != kClearTable && operation != kSetTable) ||
      (operation == kSetTable && table == 0)) {
    refused_ = true;
    return;
  }
  if (operation == kClearTable) {
    for (int t = kVisibilityTable; t <= kCloudTable; ++t)
      if (table == 0 || table == t) Clear(t);
    return;
  }
  const uint8_t* bytes = static_cast<const uint8_t*>(source);
  if (size == 0 || !bytes || (size >= 4 && GetU32(bytes) == kEmptyDescriptor)) {
    Clear(table);
    return;
  }
  touched_ |= TransitionTableBit(table);
  target_.table[table] = TableBlock::Copy(bytes, size);
  if (target_.table[table].Empty()) failed_ = true;
}

bool QueueTransitionStep(const TransitionTables& step, unsigned tables, IpcBatch& batch) {
  const size_t capacity = batch.Capacity();
  if (capacity == 0 || tables == 0) return false;
  uint64_t total = kEndWordSize;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (tables & TransitionTableBit(t)) total += kWriteHeaderSize + step.table[t].Size();
  if (total > capacity) return false;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    if (!(tables & TransitionTableBit(t))) continue;
    const TableBlock& block = step.table[t];
    // An empty block is an empty table; only a table already thinned to nothing gets here.
    if (block.Empty())
      batch.Write(WeatherSelector(t, kClearTable), 0, nullptr);
    else
      batch.Write(WeatherSelector(t, kSetTable), uint32_t(block.Size()), block.Bytes());
  }
  return true;
}
