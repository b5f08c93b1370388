#include "weather/win/win_file_system.h"

#include <windows.h>

#include <cstring>

#include "weather/files/file_kind.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// ReadFile and WriteFile take a DWORD count; larger requests go in pieces of this size.
constexpr size_t kLargestPiece = 1u << 30;

class Win32FileSource : public ByteSource {
 public:
  Win32FileSource(HANDLE handle, uint64_t size) : file_(handle), size_(size) {}
  uint64_t Size() const override { return size_; }

  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override {
    if (offset >= size_ || offset > uint64_t(INT64_MAX)) return 0;
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    if (!SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN)) return 0;
    size_t done = 0;
    while (done < n) {
      const size_t piece = n - done < kLargestPiece ? n - done : kLargestPiece;
      DWORD read = 0;
      // A failed read brings what came before it; the caller tells it from the end by the size.
      if (!ReadFile(file_.Get(), out + done, DWORD(piece), &read, nullptr)) break;
      done += read;
      if (read < piece) break;  // end of file
    }
    return done;
  }

 private:
  FileHandle file_;
  uint64_t size_;
};

bool CopyText(char* out, size_t size, const char* text) {
  const size_t length = std::strlen(text);
  if (length >= size) return false;
  std::memcpy(out, text, length + 1);
  return true;
}

}  // namespace

std::unique_ptr<ByteSource> Win32WeatherFileSystem::OpenForReading(const char* path) {
  HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size) || size.QuadPart < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  return std::unique_ptr<ByteSource>(new Win32FileSource(handle, uint64_t(size.QuadPart)));
}

bool Win32WeatherFileSystem::Exists(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool Win32WeatherFileSystem::CreateTemporary(const char* path, char* temporary, size_t size) {
  // Beside the file, so that putting it in place is a rename on the same volume. A folder too
  // long for a temporary name (a path of 259 characters with a short file name) falls back to
  // the system's temporary folder, from where the replace has to copy.
  char folder[MAX_PATH] = "";
  if (!FolderOfPath(path, folder, sizeof folder)) CopyText(folder, sizeof folder, ".");
  char name[MAX_PATH] = "";
  if (GetTempFileNameA(folder, "vtd", 0, name) == 0) {
    char systemFolder[MAX_PATH] = "";
    const DWORD length = GetTempPathA(sizeof systemFolder, systemFolder);
    if (length == 0 || length >= sizeof systemFolder) return false;
    if (GetTempFileNameA(systemFolder, "vtd", 0, name) == 0) return false;
  }
  if (CopyText(temporary, size, name)) return true;
  DeleteFileA(name);
  return false;
}

bool Win32WeatherFileSystem::WriteTemporary(const char* temporary, const uint8_t* bytes,
                                            size_t size) {
  FileHandle file(CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  size_t done = 0;
  while (done < size) {
    const size_t piece = size - done < kLargestPiece ? size - done : kLargestPiece;
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes + done, DWORD(piece), &written, nullptr) || written != piece)
      return false;
    done += written;
  }
  return FlushFileBuffers(file.Get()) != 0;
}

bool Win32WeatherFileSystem::ReplaceWith(const char* temporary, const char* path) {
  return MoveFileExA(temporary, path,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) !=
         0;
}

void Win32WeatherFileSystem::Discard(const char* temporary) { DeleteFileA(temporary); }
