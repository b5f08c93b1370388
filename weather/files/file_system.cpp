#include "weather/files/file_system.h"

#include <cstring>
#include <new>

#include "weather/files/file_kind.h"

size_t MemorySource::ReadAt(uint64_t offset, uint8_t* out, size_t n) {
  if (offset >= size_) return 0;
  size_t left = size_ - size_t(offset);
  if (n > left) n = left;
  if (n > 0) std::memcpy(out, bytes_ + offset, n);
  return n;
}

ReadOutcome ReadExactly(ByteSource& source, uint64_t offset, uint8_t* out, size_t n) {
  size_t done = 0;
  while (done < n) {
    const size_t came = source.ReadAt(offset + done, out + done, n - done);
    if (came == 0 || came > n - done) break;
    done += came;
  }
  if (done == n) return ReadOutcome::kWhole;
  const uint64_t size = source.Size();
  return offset < size && done < size - offset ? ReadOutcome::kFailed : ReadOutcome::kEnd;
}

bool ReadWhole(ByteSource& source, ByteBuffer& bytes) {
  uint64_t size = source.Size();
  bytes = ByteBuffer();
  if (size == 0) return true;
  if (size > uint64_t(SIZE_MAX / 2)) return false;
  bytes = ByteBuffer::Allocate(size_t(size));
  if (bytes.Empty()) return false;
  if (ReadExactly(source, 0, bytes.Bytes(), size_t(size)) == ReadOutcome::kWhole) return true;
  bytes = ByteBuffer();
  return false;
}

bool WriteFileSafely(WeatherFileSystem& files, const char* path, const uint8_t* bytes,
                     size_t size) {
  char temporary[kWeatherPathSize] = "";
  if (!files.CreateTemporary(path, temporary, sizeof temporary)) return false;
  if (files.WriteTemporary(temporary, bytes, size) && files.ReplaceWith(temporary, path))
    return true;
  files.Discard(temporary);
  return false;
}
