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

bool ReadWhole(ByteSource& source, ByteBuffer& bytes) {
  uint64_t size = source.Size();
  bytes = ByteBuffer();
  if (size == 0) return true;
  if (size > uint64_t(SIZE_MAX / 2)) return false;
  bytes = ByteBuffer::Allocate(size_t(size));
  if (bytes.Empty()) return false;
  if (source.ReadAt(0, bytes.Bytes(), size_t(size)) == size) return true;
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
