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
  // the file, 0 past it. A read error gives what came before it (perhaps 0), so that a count
  // short of both n and the end of the file is a read error; ReadExactly tells them apart.
  virtual size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) = 0;
};

enum class ReadOutcome {
  kWhole,   // all n bytes came
  kEnd,     // the file ends before offset + n: a file cut short, not an error
  kFailed,  // the file holds the bytes but they could not be read
};

// Reads n bytes at offset, going on after a read that brought fewer while the file holds more
// (the file cannot change meanwhile: it is open for reading only, others may only read).
ReadOutcome ReadExactly(ByteSource& source, uint64_t offset, uint8_t* out, size_t n);

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
  // After OpenForReading failed: true unless no file of that name is there at all, so that a
  // file there but locked or unreadable is never taken for one that does not exist.
  virtual bool Exists(const char* path) = 0;
  // Creates a new, empty file with a name of its own in the folder of `path` and puts that
  // name into temporary (size bytes). False when no file can be created there.
  virtual bool CreateTemporary(const char* path, char* temporary, size_t size) = 0;
  // Writes the whole content of the temporary file and flushes it. False on any short write.
  virtual bool WriteTemporary(const char* temporary, const uint8_t* bytes, size_t size) = 0;
  // Puts the complete temporary file in place of `path`, replacing any file there.
  virtual bool ReplaceWith(const char* temporary, const char* path) = 0;
  virtual void Discard(const char* temporary) = 0;
};

// The whole content of a source; false when it cannot be read whole (a read error or a file
// shorter than its size) or held in memory; bytes are then empty.
bool ReadWhole(ByteSource& source, ByteBuffer& bytes);

// Writes path through a temporary file: the old file is replaced only once the new one is
// complete, so a full disk or a failing write never destroys it. False on any failure (the
// temporary is then gone again).
bool WriteFileSafely(WeatherFileSystem& files, const char* path, const uint8_t* bytes, size_t size);
