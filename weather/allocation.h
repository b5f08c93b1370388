// Table blocks and file buffers come from the non-throwing new, and every caller checks the
// result: running out of memory ends a load or a save quietly instead of the program (in the
// Windows programs the throwing new ends the process).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Null when the memory is not there (or when the tests make it fail); size 0 gives null too.
std::unique_ptr<uint8_t[]> AllocateBytes(size_t size);

// A heap buffer with its size; empty when the memory was not there. One owner, movable.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  static ByteBuffer Allocate(size_t size) {
    ByteBuffer buffer;
    buffer.bytes_ = AllocateBytes(size);
    if (buffer.bytes_) buffer.size_ = size;
    return buffer;
  }
  ByteBuffer(ByteBuffer&& other) noexcept : bytes_(std::move(other.bytes_)), size_(other.size_) {
    other.size_ = 0;
  }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    size_ = other.size_;
    other.size_ = 0;
    return *this;
  }
  uint8_t* Bytes() { return bytes_.get(); }
  const uint8_t* Bytes() const { return bytes_.get(); }
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  // Forgets all but the first n bytes (the memory stays until the buffer goes).
  void Keep(size_t n) {
    if (n < size_) size_ = n;
  }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  size_t size_ = 0;
};

// For the tests: the n-th allocation through AllocateBytes from now on (1 = the next one) and
// every one after it fail, as when the memory runs out; 0 ends that.
void FailAllocationsFrom(unsigned long n);
// Allocations asked for through AllocateBytes since the start (failed ones included).
unsigned long AllocationsAsked();
