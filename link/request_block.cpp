#include "link/request_block.h"

#include <cstring>

void RequestBlock::Attach(uint8_t* base, size_t size) {
  base_ = base;
  size_ = base ? size : 0;
  Rewind();
}

void RequestBlock::Detach() { Attach(nullptr, 0); }

void RequestBlock::Rewind() {
  cursor_ = 0;
  overflowed_ = false;
  pending_.clear();
}

// The record's length is added in 64 bits: a size near 4 GiB plus its header would wrap a
// 32-bit size_t round to a few bytes.
bool RequestBlock::Fits(uint64_t recordSize) const {
  return recordSize <= size_ && cursor_ + kEndWordSize <= size_ - size_t(recordSize);
}

void RequestBlock::QueueRead(uint32_t offset, uint32_t size, void* destination) {
  if (!base_) return;
  if (!Fits(uint64_t(kReadHeaderSize) + size)) {
    overflowed_ = true;
    return;
  }
  uint8_t* p = base_ + cursor_;
  PutU32(p, kRecordRead);
  PutU32(p + 4, offset);
  PutU32(p + 8, size);
  // Only the low half of a 64-bit address fits; the module never reads this field.
  PutU32(p + 12, uint32_t(reinterpret_cast<uintptr_t>(destination)));
  std::memset(p + kReadHeaderSize, 0, size);
  pending_.push_back({destination, size});
  cursor_ += kReadHeaderSize + size;
}

void RequestBlock::QueueWrite(uint32_t offset, uint32_t size, const void* source) {
  if (!base_) return;
  if (!Fits(uint64_t(kWriteHeaderSize) + size)) {
    overflowed_ = true;
    return;
  }
  uint8_t* p = base_ + cursor_;
  PutU32(p, kRecordWrite);
  PutU32(p + 4, offset);
  PutU32(p + 8, size);
  if (size > 0 && source) std::memcpy(p + kWriteHeaderSize, source, size);
  cursor_ += kWriteHeaderSize + size;
}

void RequestBlock::EndList() {
  if (base_ && cursor_ + kEndWordSize <= size_) PutU32(base_ + cursor_, kRecordEnd);
}

void RequestBlock::DeliverReplies() {
  size_t at = 0;
  size_t nextRead = 0;
  while (base_ && at + 4 <= size_) {
    uint8_t* p = base_ + at;
    uint32_t kind = GetU32(p);
    if (kind == kRecordEnd) break;
    if (kind != kRecordRead && kind != kRecordWrite) {
      PutU32(p, 0);
      break;
    }
    size_t header = kind == kRecordRead ? kReadHeaderSize : kWriteHeaderSize;
    if (at + header > size_) break;
    uint32_t size = GetU32(p + 8);
    if (size > size_ - at - header) break;
    if (kind == kRecordRead) {
      if (nextRead >= pending_.size() || pending_[nextRead].size != size) break;
      const PendingRead& r = pending_[nextRead++];
      if (r.destination && size > 0) std::memcpy(r.destination, p + header, size);
    }
    at += header + size;
  }
  Rewind();
}

bool ProcessBatch(RequestBlock& block, IpcTransport& transport, int attempts, unsigned pauseMs) {
  if (!block.IsAttached()) return false;
  if (block.Overflowed()) {
    block.Rewind();
    return false;
  }
  block.EndList();
  bool answered = false;
  for (int i = 0; i < attempts && !answered; ++i) {
    answered = transport.Send();
    if (!answered) transport.Pause(pauseMs);
  }
  if (!answered) {
    block.Rewind();
    return false;
  }
  block.DeliverReplies();
  return true;
}
