// The weather files' file system over Win32 files.
#pragma once

#include "weather/files/file_system.h"

class Win32WeatherFileSystem : public WeatherFileSystem {
 public:
  std::unique_ptr<ByteSource> OpenForReading(const char* path) override;
  bool Exists(const char* path) override;
  bool CreateTemporary(const char* path, char* temporary, size_t size) override;
  bool WriteTemporary(const char* temporary, const uint8_t* bytes, size_t size) override;
  bool ReplaceWith(const char* temporary, const char* path) override;
  void Discard(const char* temporary) override;
};
