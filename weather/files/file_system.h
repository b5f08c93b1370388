// What the weather files need of the file system: reading a file at any position, and
// replacing a file safely through a temporary beside it. The program supplies Win32 files,
// the tests and the fuzzers memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "weather/allocation.h"

// The most a buffer or a block read from a file may take: what a 32-bit program could ever
// hold. Larger groups and tails are refused as ones the memory is not there for, by the 64-bit
// build too, so that both builds treat the same files the same way.
constexpr uint64_t kLargestFileBuffer = 0x7FFFFFFF;

// An open file (or a buffer standing in for one).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Copies up to n bytes from offset into out and returns how many came: fewer at the end of
  // the file, 0 past it or on a read error.
  virtual size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override;

 private:
  const uint8_t* bytes_;
  size_t size_;
};

class WeatherFileSystem {
 public:
  virtual ~WeatherFileSystem() = default;
  // Opens an existing file for reading, others may read too; null when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenForReading(const char* path) = 0;
  // Creates a new, empty file with a name of its own in the folder of `path` and puts that
  // name into temporary (size bytes). False when no file can be created there.
  virtual bool CreateTemporary(const char* path, char* temporary, size_t size) = 0;
  // Writes the whole content of the temporary file and flushes it. False on any short write.
  virtual bool WriteTemporary(const char* temporary, const uint8_t* bytes, size_t size) = 0;
  // Puts the complete temporary file in place of `path`, replacing any file there.
  virtual bool ReplaceWith(const char* temporary, const char* path) = 0;
  virtual void Discard(const char* temporary) = 0;
};

// The whole content of a source; false (and bytes empty) when it cannot be read whole or held
// in memory.
bool ReadWhole(ByteSource& source, ByteBuffer& bytes);

// Writes path through a temporary file: the old file is replaced only once the new one is
// complete, so a full disk or a failing write never destroys it. False on any failure (the
// temporary is then gone again).
bool WriteFileSafely(WeatherFileSystem& files, const char* path, const uint8_t* bytes, size_t size);
