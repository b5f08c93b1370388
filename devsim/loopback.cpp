#include "devsim/loopback.h"

#include "devsim/module.h"

LoopbackBatch::LoopbackBatch(DevsimModule& module, size_t blockSize, int attempts)
    : module_(module), bytes_(blockSize), attempts_(attempts) {
  block_.Attach(bytes_.data(), bytes_.size());
}

void LoopbackBatch::SetConnected(bool connected) {
  if (connected)
    block_.Attach(bytes_.data(), bytes_.size());
  else
    block_.Detach();
}

void LoopbackBatch::Read(uint32_t offset, uint32_t size, void* destination) {
  block_.QueueRead(offset, size, destination);
}

void LoopbackBatch::Write(uint32_t offset, uint32_t size, const void* source) {
  block_.QueueWrite(offset, size, source);
}

bool LoopbackBatch::Process() {
  ++batches;
  return ProcessBatch(block_, *this, attempts_, 200);
}

size_t LoopbackBatch::Capacity() const { return block_.IsAttached() ? bytes_.size() : 0; }

bool LoopbackBatch::Send() {
  ++exchanges;
  if (keepLastBlock) lastBlock.assign(bytes_.begin(), bytes_.begin() + block_.Cursor() + kEndWordSize);
  if (batches == failingBatch_) return false;
  return module_.Execute(bytes_.data(), bytes_.size()) == 1;
}
