// Stand-ins for what the weather files need of the window: files in memory (with failures on
// demand), a batch that records its writes, and reactions that count what was shown.
#pragma once

#include <cstdio>
#include <cstring>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/request_block.h"
#include "weather/files/file_commands.h"
#include "weather/files/file_system.h"

// A file far larger than memory, as a sparse file on disk: its first bytes as given, zeros from
// there to `size`. Counts what was asked of it.
class SparseSource : public ByteSource {
 public:
  SparseSource(const std::vector<uint8_t>& start, uint64_t size) : start_(start), size_(size) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override {
    ++reads;
    if (n > largestRead) largestRead = n;
    if (offset >= size_) return 0;
    if (n > size_ - offset) n = size_t(size_ - offset);
    std::memset(out, 0, n);
    if (offset < start_.size()) {
      const size_t given = start_.size() - size_t(offset);
      std::memcpy(out, start_.data() + offset, n < given ? n : given);
    }
    return n;
  }

  int reads = 0;
  size_t largestRead = 0;

 private:
  std::vector<uint8_t> start_;
  uint64_t size_;
};

// What goes wrong when a file is read: a read error at one byte (every read reaching it brings
// the bytes before it, then nothing), and reads that bring fewer bytes than asked though the
// file goes on (a piece at a time; the rest comes when asked again).
struct ReadFaults {
  uint64_t failAt = UINT64_MAX;
  size_t piece = 0;  // > 0: at most this many bytes per read
};

// A source with faults on top of another one. Counts the reads that failed into *failedReads.
class FaultySource : public ByteSource {
 public:
  FaultySource(std::unique_ptr<ByteSource> inner, const ReadFaults& faults, int* failedReads)
      : inner_(std::move(inner)), faults_(faults), failedReads_(failedReads) {}
  uint64_t Size() const override { return inner_->Size(); }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override {
    if (faults_.piece > 0 && n > faults_.piece) n = faults_.piece;
    const uint64_t size = inner_->Size();
    if (faults_.failAt < size && offset < size && offset + n > faults_.failAt) {
      ++*failedReads_;
      if (offset >= faults_.failAt) return 0;
      n = size_t(faults_.failAt - offset);
    }
    return inner_->ReadAt(offset, out, n);
  }

 private:
  std::unique_ptr<ByteSource> inner_;
  ReadFaults faults_;
  int* failedReads_;
};

struct SparseFile {
  std::vector<uint8_t> start;
  uint64_t size = 0;
};

class MemoryFiles : public WeatherFileSystem {
 public:
  std::map<std::string, std::vector<uint8_t>> files;
  std::map<std::string, SparseFile> sparse;  // opened for reading only
  bool failCreate = false;
  long failWriteAfter = -1;  // >= 0: the temporary gets this many bytes, then the write fails
  bool failReplace = false;
  int opened = 0;
  std::map<std::string, ReadFaults> faults;  // by path: how reads of that file go wrong
  std::set<std::string> locked;              // there, but they cannot be opened for reading
  int failedReads = 0;                       // reads that met a fault, of any file

  std::unique_ptr<ByteSource> OpenForReading(const char* path) override {
    if (locked.count(path)) return nullptr;
    std::unique_ptr<ByteSource> source;
    auto huge = sparse.find(path);
    auto it = files.find(path);
    if (huge != sparse.end())
      source.reset(new SparseSource(huge->second.start, huge->second.size));
    else if (it != files.end())
      source.reset(new MemorySource(it->second.data(), it->second.size()));
    else
      return nullptr;
    ++opened;
    auto fault = faults.find(path);
    if (fault != faults.end())
      source.reset(new FaultySource(std::move(source), fault->second, &failedReads));
    return source;
  }
  bool Exists(const char* path) override {
    return locked.count(path) || files.count(path) || sparse.count(path);
  }
  bool CreateTemporary(const char* path, char* temporary, size_t size) override {
    if (failCreate) return false;
    snprintf(temporary, size, "%s.~%d", path, ++made_);
    files[temporary].clear();
    return true;
  }
  bool WriteTemporary(const char* temporary, const uint8_t* bytes, size_t size) override {
    std::vector<uint8_t>& file = files[temporary];
    if (failWriteAfter >= 0 && size_t(failWriteAfter) < size) {
      file.assign(bytes, bytes + failWriteAfter);
      return false;
    }
    file.assign(bytes, bytes + size);
    return true;
  }
  bool ReplaceWith(const char* temporary, const char* path) override {
    if (failReplace) return false;
    files[path] = files[temporary];
    files.erase(temporary);
    return true;
  }
  void Discard(const char* temporary) override { files.erase(temporary); }

 private:
  int made_ = 0;
};

struct RecordedWrite {
  uint32_t selector;
  std::vector<uint8_t> bytes;
};

class RecordingBatch : public IpcBatch {
 public:
  explicit RecordingBatch(size_t capacity = 32700) : capacity(capacity) {}
  void Read(uint32_t, uint32_t, void*) override { ++reads; }
  void Write(uint32_t selector, uint32_t size, const void* source) override {
    const uint8_t* p = static_cast<const uint8_t*>(source);
    writes.push_back({selector, std::vector<uint8_t>(p, p + (p ? size : 0))});
  }
  bool Process() override {
    ++processed;
    return capacity > 0;
  }
  size_t Capacity() const override { return capacity; }

  size_t capacity;
  std::vector<RecordedWrite> writes;
  int reads = 0;
  int processed = 0;
};

class RecordingReactions : public FileReactions {
 public:
  explicit RecordingReactions(const WeatherState* weather = nullptr) : weather_(weather) {}
  void ShowError(int code, const char* text) override {
    errors.push_back(std::to_string(code) + " " + text);
  }
  void Beep() override { ++beeps; }
  void GrayFindAirport() override { findAirportEnabled = false; }
  void OfferFindAirport() override { findAirportEnabled = true; }
  void RefreshShown() override {
    ++refreshes;
    if (weather_ != nullptr && weather_->busy) ++refreshesWhileBusy;
  }
  void ActivateCurrentPane() override { ++activations; }

  std::vector<std::string> errors;
  int beeps = 0;
  bool findAirportEnabled = false;
  int refreshes = 0;
  int refreshesWhileBusy = 0;
  int activations = 0;

 private:
  const WeatherState* weather_;
};

// Everything a file command needs, in memory.
struct FileBench {
  MemoryFiles files;
  WeatherState weather;
  RecordingBatch batch;
  RecordingReactions view{&weather};
  FileContext context{files, weather, batch, view};
};
