// What the "Live weather" window says, and the choices it keeps in the settings file. The
// window only paints these texts; they are worked out here so that they can be tested.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/own_position.h"
#include "weather/live/blend.h"
#include "weather/live/station_index.h"

constexpr const char kLiveReportsKey[] = "LiveReports";
constexpr const char kLiveStationsKey[] = "LiveStations";
constexpr const char kLiveRadiusKey[] = "LiveRadius";
constexpr const char kLiveStationCountKey[] = "LiveStationCount";
constexpr const char kLiveFollowKey[] = "LiveFollow";

constexpr int kLiveLeastRadius = 10, kLiveMostRadius = 300;  // nm
constexpr int kLiveLeastCount = 1, kLiveMostCount = 8;
constexpr size_t kLivePathSize = 260;

struct LiveChoices {
  char reports[kLivePathSize] = "";   // a report file, or a folder: its newest file
  char stations[kLivePathSize] = "";  // the pilot's station list, "" for none
  int radiusNm = 60;
  int stationCount = 4;
  bool followAtStartup = false;
};

// The settings file's side; Get fills value ("" when missing), cut to size - 1 characters.
class LiveStore {
 public:
  virtual ~LiveStore() = default;
  virtual void Get(const char* key, char* value, size_t size) = 0;
  virtual void Set(const char* key, const char* value) = 0;
};

// A missing or unreadable value keeps its default.
LiveChoices ReadLiveChoices(LiveStore& store);
void WriteLiveChoices(LiveStore& store, const LiveChoices& choices);

// "Aircraft: N51 28.20' W000 27.00', 3500 ft" (minutes to hundredths).
void LivePositionText(const AircraftPosition& position, char* out, size_t size);

// "1:05", "3:12 old"; "?" without a time, "ahead" for a report from the future.
void LiveAgeText(int ageMinutes, bool old, char* out, size_t size);

// Why a near station is not used, or used and marked.
const char* LiveSkipReason(const LiveStation& station);

// What became of the report file.
struct LiveFileStatus {
  bool chosen = false;     // a file or folder is named
  bool haveIndex = false;  // reports are in use
  int hour = 0, minute = 0, second = 0;  // UTC, when the reports in use were read
  int reports = 0, placed = 0, unplaced = 0;
  const char* failure = nullptr;  // the last read failed: why
  int readingPercent = -1;        // a read is under way
};
void LiveFileStatusText(const LiveFileStatus& status, char* out, size_t size);

enum class LiveState : uint8_t {
  kOff,
  kStoppedByPilot,  // a set load, METAR Set, an edit, a Clear, undo or redo
  kStoppedByHold,   // "Hold the change here" on a live change
  kWaiting,         // no simulator weather to follow into
  kNoReports,       // no file read yet
  kNothingNear,     // no usable station within the radius
  kFollowing,
};
void LiveStatusText(LiveState state, int radiusNm, int stationsInBlend, char* out, size_t size);

// "Next update in 42 s"; "" when nothing is due (not following, or waiting).
void LiveNextText(bool counting, double seconds, char* out, size_t size);

// A row of one of the window's two lists.
struct LiveRow {
  std::string cell[5];
  bool operator==(const LiveRow& other) const;
};

// Station, distance (nm), weight (%), age and report, nearest first.
void LiveBlendRows(const LiveWeather& weather, const StationIndex& index,
                   std::vector<LiveRow>& out);
// Station and why: the near stations not used, those used but old or partly read, then the
// codes of the file without a position (at most `mostUnplaced`, then one row for the rest).
// weather may be null: no blend of this index.
void LiveSkippedRows(const LiveWeather* weather, const StationIndex& index, size_t mostUnplaced,
                     std::vector<LiveRow>& out);

// A file of a report folder.
struct LiveFolderFile {
  std::string name;
  uint64_t writeTime = 0;  // any clock that grows with time
  uint64_t size = 0;
  bool directory = false;
};
// The newest regular file with something in it (of equal times, the last name); -1 for none.
int NewestLiveFile(const std::vector<LiveFolderFile>& files);
