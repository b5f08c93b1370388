#include "weather/files/vtd_file.h"

#include <cstring>

bool DataFileReader::Next(DataBlock& block) {
  if (damaged_ || position_ >= size_) return false;
  damaged_ = true;  // until the block proves whole
  if (size_ - position_ < kBlockTagSize) return false;
  uint32_t tag = GetU32(bytes_ + position_);
  int table = int(tag & 0xF);
  if (table < kVisibilityTable || table > kCloudTable) return false;
  if ((tag & 0xFFFF) != uint32_t(table) * 0x1111u) return false;
  uint32_t length = tag >> 16;
  if (size_ - position_ - kBlockTagSize < length) return false;
  block.table = table;
  block.bytes = bytes_ + position_ + kBlockTagSize;
  block.length = length;
  position_ += kBlockTagSize + length;
  damaged_ = false;
  return true;
}

bool DataBlockMatchesDescriptor(const uint8_t* bytes, uint32_t length) {
  if (length < 4) return false;
  uint32_t descriptor = GetU32(bytes);
  return DescriptorRecordCount(descriptor) > 0 && DescriptorByteLength(descriptor) == length;
}

DataFileShow ShowDataFile(const uint8_t* bytes, size_t size, WeatherSnapshot& snapshot) {
  DataFileShow result;
  ResetSnapshot(snapshot);
  DataFileReader reader(bytes, size);
  DataBlock block;
  while (reader.Next(block)) {
    if (!DataBlockMatchesDescriptor(block.bytes, block.length)) {
      result.complete = false;
      return result;
    }
    TableBlock copy = TableBlock::Copy(block.bytes, block.length);
    if (copy.Empty()) {
      result.complete = false;
      return result;
    }
    WeatherTableEntry& entry = snapshot.Table(block.table);
    entry.descriptor = GetU32(block.bytes);
    entry.byteLength = int32_t(block.length);
    entry.data = std::move(copy);
    ++result.tables;
  }
  result.complete = !reader.Damaged();
  return result;
}

size_t SetBatchSize(const uint32_t* lengths, int count) {
  size_t total = kWriteHeaderSize + kEndWordSize;  // the clear and the end word
  for (int i = 0; i < count; ++i) total += kWriteHeaderSize + lengths[i];
  return total;
}

DataFileSet QueueDataFileSet(const uint8_t* bytes, size_t size, IpcBatch& batch) {
  const size_t capacity = batch.Capacity();
  if (capacity > 0) {
    size_t total = kWriteHeaderSize + kEndWordSize;
    DataFileReader reader(bytes, size);
    DataBlock block;
    while (reader.Next(block)) {
      total += kWriteHeaderSize + block.length;
      if (total > capacity) return DataFileSet::kTooLarge;
    }
  }
  batch.Write(WeatherSelector(0, kClearTable), 0, nullptr);
  DataFileReader reader(bytes, size);
  DataBlock block;
  while (reader.Next(block))
    batch.Write(WeatherSelector(block.table, kSetTable), block.length, block.bytes);
  return DataFileSet::kQueued;
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
