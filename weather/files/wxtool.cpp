// wxtool: looks into weather files and converts them without a simulator (wxtool_commands.h).
// On Windows it reads and writes through the program's own Win32 files, so that a new file
// takes the old one's place in one move; elsewhere through stdio.
#include <cstdio>
#include <ctime>
#include <memory>

#include "weather/files/wxtool_commands.h"

#ifdef _WIN32
#include "weather/win/win_file_system.h"
using ToolFiles = Win32WeatherFileSystem;
#else
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

class StdioSource : public ByteSource {
 public:
  StdioSource(FILE* file, uint64_t size) : file_(file), size_(size) {}
  ~StdioSource() override { fclose(file_); }
  StdioSource(const StdioSource&) = delete;
  StdioSource& operator=(const StdioSource&) = delete;
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override {
    if (offset >= size_ || fseeko(file_, off_t(offset), SEEK_SET) != 0) return 0;
    return fread(out, 1, n, file_);
  }

 private:
  FILE* file_;
  uint64_t size_;
};

class StdioFiles : public WeatherFileSystem {
 public:
  std::unique_ptr<ByteSource> OpenForReading(const char* path) override {
    FILE* f = fopen(path, "rb");
    if (f == nullptr) return nullptr;
    struct stat status;
    if (fstat(fileno(f), &status) != 0 || !S_ISREG(status.st_mode)) {
      fclose(f);
      return nullptr;
    }
    return std::unique_ptr<ByteSource>(new StdioSource(f, uint64_t(status.st_size)));
  }
  bool Exists(const char* path) override {
    struct stat status;
    return stat(path, &status) == 0 || (errno != ENOENT && errno != ENOTDIR);
  }
  bool CreateTemporary(const char* path, char* temporary, size_t size) override {
    int n = snprintf(temporary, size, "%s.tmp~", path);
    if (n < 0 || size_t(n) >= size) return false;
    FILE* f = fopen(temporary, "wb");
    if (f == nullptr) return false;
    fclose(f);
    return true;
  }
  bool WriteTemporary(const char* temporary, const uint8_t* bytes, size_t size) override {
    FILE* f = fopen(temporary, "wb");
    if (f == nullptr) return false;
    bool ok = (size == 0 || fwrite(bytes, 1, size, f) == size) && fflush(f) == 0;
    return fclose(f) == 0 && ok;
  }
  // rename replaces the old file in one step.
  bool ReplaceWith(const char* temporary, const char* path) override {
    return rename(temporary, path) == 0;
  }
  void Discard(const char* temporary) override { remove(temporary); }
};

}  // namespace

using ToolFiles = StdioFiles;
#endif

int main(int argc, char** argv) {
  const time_t now = time(nullptr);
  const tm* utc = gmtime(&now);
  MetarTime t;
  if (utc) t = {utc->tm_mday, utc->tm_hour, utc->tm_min};
  ToolFiles files;
  return RunWxtool(argc, argv, files, stdout, stderr, t);
}
