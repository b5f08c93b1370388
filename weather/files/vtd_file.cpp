#include "weather/files/vtd_file.h"

#include <cstring>

bool DataFileReader::Next(DataBlock& block, bool withBytes) {
  block = DataBlock();
  const uint64_t size = file_.Size();
  if (damaged_ || position_ >= size) return false;
  damaged_ = true;  // until the block proves whole
  uint8_t tagBytes[kBlockTagSize];
  if (file_.ReadAt(position_, tagBytes, sizeof tagBytes) != sizeof tagBytes) return false;
  const uint32_t tag = GetU32(tagBytes);
  const int table = int(tag & 0xF);
  if (table < kVisibilityTable || table > kCloudTable) return false;
  if ((tag & 0xFFFF) != uint32_t(table) * 0x1111u) return false;
  const uint32_t length = tag >> 16;
  const uint64_t at = position_ + kBlockTagSize;
  if (withBytes && length > 0) {
    block.data = TableBlock::Allocate(length);
    if (block.data.Empty()) return false;  // no memory: the load stops here
    if (file_.ReadAt(at, block.data.Bytes(), length) != length) {
      block.data = TableBlock();
      return false;
    }
    block.bytes = block.data.Bytes();
  } else if (size - at < length) {
    return false;
  }
  block.table = table;
  block.length = length;
  position_ = at + length;
  damaged_ = false;
  return true;
}

bool DataBlockMatchesDescriptor(const uint8_t* bytes, uint32_t length) {
  if (length < 4) return false;
  uint32_t descriptor = GetU32(bytes);
  return DescriptorRecordCount(descriptor) > 0 && DescriptorByteLength(descriptor) == length;
}

DataFileShow ShowDataFile(ByteSource& file, WeatherSnapshot& snapshot) {
  DataFileShow result;
  ResetSnapshot(snapshot);
  DataFileReader reader(file);
  DataBlock block;
  while (reader.Next(block)) {
    if (!DataBlockMatchesDescriptor(block.bytes, block.length)) {
      result.complete = false;
      return result;
    }
    WeatherTableEntry& entry = snapshot.Table(block.table);
    entry.descriptor = GetU32(block.bytes);
    entry.byteLength = int32_t(block.length);
    entry.data = std::move(block.data);
    ++result.tables;
  }
  result.complete = !reader.Damaged();
  return result;
}

DataFileShow ShowDataFile(const uint8_t* bytes, size_t size, WeatherSnapshot& snapshot) {
  MemorySource file(bytes, size);
  return ShowDataFile(file, snapshot);
}

size_t SetBatchSize(const uint32_t* lengths, int count) {
  size_t total = kWriteHeaderSize + kEndWordSize;  // the clear and the end word
  for (int i = 0; i < count; ++i) total += kWriteHeaderSize + lengths[i];
  return total;
}

DataFileSet QueueDataFileSet(ByteSource& file, IpcBatch& batch) {
  const size_t capacity = batch.Capacity();
  if (capacity > 0) {
    size_t total = kWriteHeaderSize + kEndWordSize;
    DataFileReader tags(file);
    DataBlock block;
    while (tags.Next(block, false)) {
      total += kWriteHeaderSize + block.length;
      if (total > capacity) return DataFileSet::kTooLarge;
    }
  }
  batch.Write(WeatherSelector(0, kClearTable), 0, nullptr);
  DataFileReader reader(file);
  DataBlock block;
  // Each write copies its block into the request block at once; the buffer goes with the next.
  while (reader.Next(block))
    batch.Write(WeatherSelector(block.table, kSetTable), block.length, block.bytes);
  return DataFileSet::kQueued;
}

DataFileSet QueueDataFileSet(const uint8_t* bytes, size_t size, IpcBatch& batch) {
  MemorySource file(bytes, size);
  return QueueDataFileSet(file, batch);
}

DataFileImage EncodeDataFile(const WeatherSnapshot& snapshot) {
  DataFileImage image;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    const WeatherTableEntry& entry = snapshot.Table(t);
    if (entry.data.Empty() || entry.byteLength <= 0) continue;
    size_t length = size_t(entry.byteLength);
    if (length > entry.data.Size()) length = entry.data.Size();
    if (length > kLongestDataBlock) {
      image.complete = false;
      continue;
    }
    size_t at = image.bytes.size();
    image.bytes.resize(at + kBlockTagSize + length);
    PutU32(&image.bytes[at], BlockTag(t, uint32_t(length)));
    std::memcpy(&image.bytes[at + kBlockTagSize], entry.data.Bytes(), length);
  }
  return image;
}
