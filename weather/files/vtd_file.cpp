#include "weather/files/vtd_file.h"

#include <cstring>

#include "weather/allocation.h"

bool DataFileReader::Next(DataBlock& block, bool withBytes) {
  block = DataBlock();
  const uint64_t size = file_.Size();
  if (damaged_ || position_ >= size) return false;
  damaged_ = true;  // until the block proves whole
  uint8_t tagBytes[kBlockTagSize];
  ReadOutcome read = ReadExactly(file_, position_, tagBytes, sizeof tagBytes);
  failed_ = read == ReadOutcome::kFailed;
  if (read != ReadOutcome::kWhole) return false;
  const uint32_t tag = GetU32(tagBytes);
  const int table = int(tag & 0xF);
  if (table < kVisibilityTable || table > kCloudTable) return false;
  if ((tag & 0xFFFF) != uint32_t(table) * 0x1111u) return false;
  const uint32_t length = tag >> 16;
  const uint64_t at = position_ + kBlockTagSize;
  if (withBytes && length > 0) {
    block.data = TableBlock::Allocate(length);
    if (block.data.Empty()) return false;  // no memory: the load stops here
    read = ReadExactly(file_, at, block.data.Bytes(), length);
    failed_ = read == ReadOutcome::kFailed;
    if (read != ReadOutcome::kWhole) {
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
  // Gathered apart (a later block of a table replaces an earlier one, so at most five blocks
  // are held) and put into the snapshot only once the file has been read to its end.
  DataFileShow result;
  WeatherTableEntry read[kCloudTable + 1];
  DataFileReader reader(file);
  DataBlock block;
  while (reader.Next(block)) {
    if (!DataBlockMatchesDescriptor(block.bytes, block.length)) {
      result.complete = false;
      break;
    }
    WeatherTableEntry& entry = read[block.table];
    entry.descriptor = GetU32(block.bytes);
    entry.byteLength = int32_t(block.length);
    entry.data = std::move(block.data);
    ++result.tables;
  }
  if (reader.Failed()) {
    result.failed = true;
    result.tables = 0;
    return result;
  }
  if (reader.Damaged()) result.complete = false;
  ResetSnapshot(snapshot);
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (!read[t].data.Empty()) snapshot.Table(t) = std::move(read[t]);
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
  // First every block is read and checked, so that a read error queues nothing at all: a clear
  // sent with part of the tables would leave the simulator's weather half set.
  const size_t capacity = batch.Capacity();
  size_t total = kWriteHeaderSize + kEndWordSize;
  DataFileReader reader(file);
  DataBlock block;
  while (reader.Next(block)) {
    total += kWriteHeaderSize + block.length;
    if (capacity > 0 && total > capacity) return DataFileSet::kTooLarge;
  }
  if (reader.Failed()) return DataFileSet::kUnreadable;
  const uint32_t clear = WeatherSelector(0, kClearTable);
  if (capacity == 0) {
    batch.Write(clear, 0, nullptr);
    return DataFileSet::kQueued;
  }
  // Then the whole blocks, at most one batch of them, are read into one buffer and queued from
  // there. Each write copies its block into the request block at once.
  const size_t length = size_t(reader.Position());
  ByteBuffer image;
  if (length > 0) {
    image = ByteBuffer::Allocate(length);
    if (image.Empty() || ReadExactly(file, 0, image.Bytes(), length) != ReadOutcome::kWhole)
      return DataFileSet::kUnreadable;
  }
  batch.Write(clear, 0, nullptr);
  MemorySource held(image.Bytes(), length);
  DataFileReader tags(held);
  while (tags.Next(block, false))
    batch.Write(WeatherSelector(block.table, kSetTable), block.length,
                image.Bytes() + size_t(tags.Position() - block.length));
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
