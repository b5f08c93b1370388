// What every core fuzz target takes its input through, and how it reports a broken promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifndef FUZZ_REQUIRE
#define FUZZ_REQUIRE(condition)     \
  do {                              \
    if (!(condition)) std::abort(); \
  } while (0)
#endif

namespace core_fuzz {

// Takes bytes from the front of the input; zeroes once it runs out.
class ByteStream {
 public:
  ByteStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool Empty() const { return pos_ >= size_; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
    return v;
  }
  void Fill(uint8_t* out, size_t n) {
    if (n == 0) return;
    const size_t have = pos_ < size_ ? size_ - pos_ : 0;
    const size_t take = n < have ? n : have;
    if (take) std::memcpy(out, data_ + pos_, take);
    std::memset(out + take, 0, n - take);
    pos_ += take;
  }
  // The rest as a zero-terminated text in a block of exactly its length plus one.
  std::unique_ptr<char[]> RestAsText() {
    const size_t n = pos_ < size_ ? size_ - pos_ : 0;
    std::unique_ptr<char[]> text(new char[n + 1]);
    if (n) std::memcpy(text.get(), data_ + pos_, n);
    text[n] = 0;
    pos_ = size_;
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace core_fuzz
