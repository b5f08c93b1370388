// The report file of the live weather, read in pieces so that a large file never holds the
// window: each Step reads for a few milliseconds into a second index, which replaces the one
// in use only when it is complete. A file that vanishes or cannot be read keeps the reports
// in use.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "weather/live/live_texts.h"
#include "weather/live/station_index.h"

class LiveReader {
 public:
  LiveReader();
  ~LiveReader();
  LiveReader(const LiveReader&) = delete;
  LiveReader& operator=(const LiveReader&) = delete;

  // A file, or a folder whose newest file is read; "" for none. Another path drops the
  // reports in use.
  void SetPath(const char* path);
  // The station positions: the reports are read again with them.
  void SetPlaces(std::unique_ptr<StationPlaces> places);
  // Looks at the file (or the folder's newest) and begins a read when it changed.
  void Check();
  // Reads on for about budgetMs; nothing when no read is under way.
  void Step(DWORD budgetMs);

  bool Reading() const { return file_ != INVALID_HANDLE_VALUE; }
  const StationIndex* Index() const { return index_.get(); }
  // The reports' ages against the clock of now, once a minute: a file left alone grows old.
  void KeepAgesCurrent();
  // True once after a new index came into use.
  bool TakeChanged();
  // Counts the indexes that came into use (and went): a blend belongs to one of them.
  unsigned Generation() const { return generation_; }
  LiveFileStatus Status() const;

 private:
  struct Stamp {
    char path[MAX_PATH] = "";
    uint64_t writeTime = 0;  // FILETIME units
    uint64_t size = 0;
    bool Same(const Stamp& other) const;
  };
  bool Resolve(Stamp& out);  // false with failure_ set
  void Begin(const Stamp& stamp);
  void Abort();
  void Fail(DWORD error);

  char path_[MAX_PATH] = "";
  std::unique_ptr<StationPlaces> places_;
  std::unique_ptr<StationIndex> index_, next_;
  std::unique_ptr<char[]> buffer_;
  HANDLE file_ = INVALID_HANDLE_VALUE;  // the read under way; owned here
  Stamp inUse_, reading_;
  uint64_t done_ = 0;
  bool changed_ = false;
  unsigned generation_ = 0;
  char failure_[64] = "";
  SYSTEMTIME readAt_ = {};
  int agedAt_ = -1;  // minute of the day the ages were last worked out
};
