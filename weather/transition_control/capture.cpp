#include "weather/transition_control/capture.h"

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

TransitionCapture::TransitionCapture(const KeptTables& base, size_t capacity)
    : capacity_(capacity) {
  target_.tables = kAllSetTables;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    const TableBlock& b = base.blocks[t];
    if (b.Empty()) continue;
    target_.blocks[t] = TableBlock::Copy(b.Bytes(), b.Size());
    if (target_.blocks[t].Empty()) failed_ = true;
  }
}

void TransitionCapture::Clear(int table) {
  touched_ |= TableBit(table);
  target_.blocks[table] = table == kPressureTable ? StandardPressureBlock() : TableBlock();
  if (table == kPressureTable && target_.blocks[table].Empty()) failed_ = true;
}

void TransitionCapture::Write(uint32_t offset, uint32_t size, const void* source) {
  ++writes_;
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
  touched_ |= TableBit(table);
  target_.blocks[table] = TableBlock::Copy(bytes, size);
  if (target_.blocks[table].Empty()) failed_ = true;
}

bool QueueTableSets(const KeptTables& step, unsigned tables, IpcBatch& batch) {
  const size_t capacity = batch.Capacity();
  if (capacity == 0 || tables == 0) return false;
  uint64_t total = kEndWordSize;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (tables & TableBit(t)) total += kWriteHeaderSize + step.blocks[t].Size();
  if (total > capacity) return false;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (tables & TableBit(t))
      batch.Write(WeatherSelector(t, kSetTable), uint32_t(step.blocks[t].Size()),
                  step.blocks[t].Bytes());
  return true;
}
