#include "weather/win/live_reader.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPieceBytes = 256 * 1024;
// A last line without its line end is taken as a whole report only once the file has been
// left alone this long (FILETIME units of 100 ns): before that it may still be being written.
constexpr uint64_t kSettledTime = 5ull * 10000000ull;

uint64_t TimeOf(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

uint64_t Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return TimeOf(now);
}

UtcClock ClockNow() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  UtcClock c;
  c.year = t.wYear;
  c.month = t.wMonth;
  c.day = t.wDay;
  c.hour = t.wHour;
  c.minute = t.wMinute;
  return c;
}

bool JoinPath(const char* folder, const char* name, char* out, size_t size) {
  const size_t length = std::strlen(folder);
  const bool slash = length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/');
  const int written = std::snprintf(out, size, "%s%s%s", folder, slash ? "" : "\\", name);
  return written > 0 && size_t(written) < size;
}

// The newest file of a folder, by the same choice the tests pin.
bool NewestInFolder(const char* folder, char* out, size_t size) {
  char pattern[MAX_PATH];
  if (!JoinPath(folder, "*", pattern, sizeof pattern)) return false;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  std::vector<LiveFolderFile> files;
  do {
    LiveFolderFile f;
    f.name = found.cFileName;
    f.writeTime = TimeOf(found.ftLastWriteTime);
    f.size = (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    f.directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    files.push_back(std::move(f));
  } while (FindNextFileA(find, &found));
  FindClose(find);
  const int newest = NewestLiveFile(files);
  return newest >= 0 && JoinPath(folder, files[size_t(newest)].name.c_str(), out, size);
}

}  // namespace

bool LiveReader::Stamp::Same(const Stamp& other) const {
  return writeTime == other.writeTime && size == other.size && std::strcmp(path, other.path) == 0;
}

LiveReader::LiveReader() = default;

LiveReader::~LiveReader() { Abort(); }

void LiveReader::Abort() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  next_.reset();
  reading_ = Stamp();
}

void LiveReader::SetPath(const char* path) {
  if (std::strcmp(path, path_) == 0) return;
  std::snprintf(path_, sizeof path_, "%s", path);
  Abort();
  index_.reset();
  inUse_ = Stamp();
  failure_[0] = 0;
  changed_ = true;  // what was in use is gone
  ++generation_;
}

void LiveReader::SetPlaces(std::unique_ptr<StationPlaces> places) {
  Abort();
  places_ = std::move(places);
  inUse_ = Stamp();  // read again with the new positions; the old reports serve meanwhile
}

void LiveReader::Fail(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      std::snprintf(failure_, sizeof failure_, "it is not there");
      break;
    case ERROR_ACCESS_DENIED:
      std::snprintf(failure_, sizeof failure_, "access is denied");
      break;
    case ERROR_SHARING_VIOLATION:
      std::snprintf(failure_, sizeof failure_, "another program holds it");
      break;
    default:
      std::snprintf(failure_, sizeof failure_, "Windows error %lu", static_cast<unsigned long>(error));
  }
}

bool LiveReader::Resolve(Stamp& out) {
  const DWORD attributes = GetFileAttributesA(path_);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    Fail(GetLastError());
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!NewestInFolder(path_, out.path, sizeof out.path)) {
      std::snprintf(failure_, sizeof failure_, "the folder holds no report file");
      return false;
    }
  } else {
    std::snprintf(out.path, sizeof out.path, "%s", path_);
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(out.path, GetFileExInfoStandard, &data)) {
    Fail(GetLastError());
    return false;
  }
  out.writeTime = TimeOf(data.ftLastWriteTime);
  out.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void LiveReader::Check() {
  if (!path_[0] || !places_) return;
  Stamp now;
  if (!Resolve(now)) return;
  failure_[0] = 0;
  if (Reading() ? now.Same(reading_) : now.Same(inUse_)) return;
  Abort();  // a read of an older state of the file starts again
  Begin(now);
}

void LiveReader::Begin(const Stamp& stamp) {
  // Shared for writing and deleting: the pilot's script may replace the file meanwhile.
  file_ = CreateFileA(stamp.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) {
    Fail(GetLastError());
    return;
  }
  if (!buffer_) buffer_.reset(new (std::nothrow) char[kPieceBytes]);
  next_.reset(new (std::nothrow) StationIndex);
  if (!buffer_ || !next_) {
    Abort();
    std::snprintf(failure_, sizeof failure_, "not enough memory");
    return;
  }
  next_->Begin(*places_, ClockNow());
  reading_ = stamp;
  done_ = 0;
}

void LiveReader::Step(DWORD budgetMs) {
  if (!Reading()) return;
  const DWORD start = GetTickCount();
  do {
    DWORD read = 0;
    if (!ReadFile(file_, buffer_.get(), kPieceBytes, &read, nullptr)) {
      const DWORD error = GetLastError();
      Abort();
      Fail(error);
      return;
    }
    if (read == 0) {
      next_->Finish(Now() - reading_.writeTime > kSettledTime);
      index_ = std::move(next_);
      inUse_ = reading_;
      GetSystemTime(&readAt_);
      changed_ = true;
      ++generation_;
      Abort();
      return;
    }
    next_->Feed(buffer_.get(), read);
    done_ += read;
  } while (GetTickCount() - start < budgetMs);
}

void LiveReader::KeepAgesCurrent() {
  if (!index_) return;
  const UtcClock now = ClockNow();
  const int minute = now.hour * 60 + now.minute;
  if (minute == agedAt_) return;
  agedAt_ = minute;
  index_->UpdateAges(now);
}

bool LiveReader::TakeChanged() {
  const bool changed = changed_;
  changed_ = false;
  return changed;
}

LiveFileStatus LiveReader::Status() const {
  LiveFileStatus s;
  s.chosen = path_[0] != 0;
  s.haveIndex = index_ != nullptr;
  s.hour = readAt_.wHour;
  s.minute = readAt_.wMinute;
  s.second = readAt_.wSecond;
  if (index_) {
    s.reports = index_->ReportCount();
    s.placed = int(index_->Stations().size());
    s.unplaced = int(index_->Unplaced().size());
  }
  if (failure_[0]) s.failure = failure_;
  if (Reading()) {
    const uint64_t size = reading_.size > 0 ? reading_.size : 1;
    const uint64_t percent = done_ * 100 / size;
    s.readingPercent = int(percent > 99 ? 99 : percent);
  }
  return s;
}
