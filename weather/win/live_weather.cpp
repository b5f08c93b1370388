#include "weather/win/live_weather.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "link/win/ipc_client.h"
#include "weather/files/file_system.h"
#include "weather/live/blend.h"
#include "weather/live/follow.h"
#include "weather/win/live_reader.h"
#include "weather/win/live_window.h"
#include "weather/win/settings.h"
#include "weather/win/transition_runner.h"
#include "weather/win/ventrel.h"
#include "weather/win/win_file_system.h"

namespace {

constexpr UINT kWatchFastMs = 50;    // while a read is under way
constexpr UINT kWatchSlowMs = 1000;
constexpr DWORD kReadBudgetMs = 30;  // of each fast tick
constexpr DWORD kCheckEveryMs = 3000;
constexpr uint64_t kLargestStationList = 16u << 20;
constexpr size_t kMostUnplacedRows = 100;

class LiveIni : public LiveStore {
 public:
  void Get(const char* key, char* value, size_t size) override {
    GetPrivateProfileStringA(kSettingsSection, key, "", value, DWORD(size), kSettingsFile);
  }
  void Set(const char* key, const char* value) override {
    WritePrivateProfileStringA(kSettingsSection, key, value, kSettingsFile);
  }
};

LiveChoices choices;
std::unique_ptr<LiveReader> reader;  // made at load: its buffers stay out of the program file
LiveBlender blender;
LiveFollow follow;
LiveWeather weather;
unsigned weatherGeneration = ~0u;  // the reader's index the blend was made from
bool following = false;
LiveState state = LiveState::kOff;
AircraftPosition position;
bool havePosition = false;
bool stationListUnread = false;
UINT_PTR watchTimer = 0;
UINT watchMs = 0;
DWORD lastCheck = 0;

double SteadySeconds() { return double(GetTickCount64()) / 1000.0; }

bool Connected() { return ventrel.simulator && ventrel.weather.interfaceFlag; }

void Store() {
  LiveIni ini;
  WriteLiveChoices(ini, choices);
}

// The pilot's list first: of codes given twice the first stands.
std::unique_ptr<StationPlaces> MakePlaces() {
  std::unique_ptr<StationPlaces> places(new (std::nothrow) StationPlaces);
  stationListUnread = false;
  if (!places) return nullptr;
  if (choices.stations[0]) {
    Win32WeatherFileSystem files;
    std::unique_ptr<ByteSource> source = files.OpenForReading(choices.stations);
    ByteBuffer bytes;
    if (source && source->Size() <= kLargestStationList && ReadWhole(*source, bytes))
      places->AddStationList(reinterpret_cast<const char*>(bytes.Bytes()), bytes.Size());
    else
      stationListUnread = true;
  }
  if (ventrel.airportTable.bytes)
    places->AddAirportTable(ventrel.airportTable.bytes.get(), ventrel.airportTable.size);
  return places;
}

void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD);

void SetWatch(UINT ms) {
  if (ms == watchMs) return;
  if (watchTimer) KillTimer(nullptr, watchTimer);
  watchTimer = ms ? SetTimer(nullptr, 0, ms, WatchTick) : 0;
  watchMs = watchTimer ? ms : 0;
}

// The file is watched while the window is open or following is on; otherwise nothing runs.
void KeepWatch() {
  if (!reader) return SetWatch(0);
  const bool wanted = (following || LiveWindow()) && choices.reports[0];
  SetWatch(!wanted ? 0 : reader->Reading() ? kWatchFastMs : kWatchSlowMs);
}

void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!reader) return;
  if (reader->Reading()) {
    reader->Step(kReadBudgetMs);
  } else if (GetTickCount() - lastCheck >= kCheckEveryMs) {
    lastCheck = GetTickCount();
    reader->Check();
  }
  KeepWatch();
  LiveWindowChanged();
}

void CheckSoon() {
  lastCheck = GetTickCount() - kCheckEveryMs;
  KeepWatch();
}

// Its own exchange, right after the refresh.
bool ReadPosition() {
  uint8_t area[kAircraftPositionSize] = {};
  ventrel.weather.busy = true;
  IpcRead(kAircraftPositionOffset, kAircraftPositionSize, area);
  const bool read = IpcProcess();
  ventrel.weather.busy = false;
  if (!read) return false;
  position = DecodeAircraftPosition(area);
  havePosition = true;
  return true;
}

// The tables the blend fills; the others stay what the pilot has, or what a running change
// is on its way to.
void AimAtBlend() {
  WeatherSnapshot scratch;
  TransitionTables target;
  if (!TransitionTablesFromSnapshot(ChosenWeather(scratch), target)) return;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (weather.tables.filled[t]) target.table[t] = TableBlockOf(weather.tables, t);
  StartLiveTransition(target);
}

void Stop(LiveState why) {
  if (!following) return;
  following = false;
  state = why;
  blender.Reset();
  follow.Reset();
  KeepWatch();
  ShowLiveWindowQuietly();
}

}  // namespace

void LoadLiveWeather() {
  LiveIni ini;
  choices = ReadLiveChoices(ini);
  reader.reset(new (std::nothrow) LiveReader);
  if (!reader) return;
  reader->SetPath(choices.reports);
  reader->SetPlaces(MakePlaces());
  if (choices.followAtStartup) SetLiveFollowing(true);
}

void EndLiveWeather() {
  following = false;
  SetWatch(0);
  reader.reset();
}

void LiveTick(bool refreshed) {
  if (!following || !reader) return;
  if (!Connected()) {
    if (state != LiveState::kWaiting) {
      state = LiveState::kWaiting;
      follow.Reset();
      LiveWindowChanged();
    }
    return;
  }
  if (!refreshed || ventrel.weather.busy || ventrel.weather.printing) return;
  if (!ReadPosition()) return;
  const StationIndex* index = reader->Index();
  const bool fileChanged = reader->TakeChanged();
  if (!index) {
    state = LiveState::kNoReports;
    LiveWindowChanged();
    return;
  }
  reader->KeepAgesCurrent();
  const double now = SteadySeconds();
  // The blend is worked out every tick, so the window shows the stations as they are now
  // (the fades run by the clock, not by the blends); the simulator gets it when one is due.
  LiveSettings settings;
  settings.radiusNm = choices.radiusNm;
  settings.stations = choices.stationCount;
  blender.Blend(*index, position.latitude, position.longitude, now, settings, weather);
  weatherGeneration = reader->Generation();
  if (follow.Due(position.latitude, position.longitude, now, fileChanged, blender.Fading())) {
    if (weather.usable) {
      AimAtBlend();
      state = LiveState::kFollowing;
    } else {
      state = LiveState::kNothingNear;
    }
    follow.Done(position.latitude, position.longitude, now);
  }
  LiveWindowChanged();
}

void LivePilotSetWeather() { Stop(LiveState::kStoppedByPilot); }

void LiveHeld() { Stop(LiveState::kStoppedByHold); }

bool LiveFollowing() { return following; }

void SetLiveFollowing(bool on) {
  if (!reader || on == following) return;
  following = on;
  blender.Reset();
  follow.Reset();
  state = !on ? LiveState::kOff : Connected() ? LiveState::kNoReports : LiveState::kWaiting;
  if (on) CheckSoon();
  KeepWatch();
  LiveWindowChanged();
}

const LiveChoices& LiveChoicesInUse() { return choices; }

void ChooseLiveReports(const char* path) {
  if (!reader || std::strcmp(path, choices.reports) == 0) return;
  std::snprintf(choices.reports, sizeof choices.reports, "%s", path);
  reader->SetPath(choices.reports);
  follow.Reset();
  Store();
  CheckSoon();
}

void ChooseLiveStations(const char* path) {
  if (!reader || std::strcmp(path, choices.stations) == 0) return;
  std::snprintf(choices.stations, sizeof choices.stations, "%s", path);
  reader->SetPlaces(MakePlaces());
  Store();
  CheckSoon();
}

void ChooseLiveRadius(int nm) {
  if (nm == choices.radiusNm) return;
  choices.radiusNm = nm;
  follow.Reset();
  Store();
}

void ChooseLiveCount(int stations) {
  if (stations == choices.stationCount) return;
  choices.stationCount = stations;
  follow.Reset();
  Store();
}

void ChooseLiveAtStartup(bool on) {
  choices.followAtStartup = on;
  Store();
}

void GetLiveView(LiveView& out) {
  out.state = state;
  if (!reader) return;
  out.havePosition = havePosition && following;
  out.position = position;
  out.file = reader->Status();
  out.stationListUnread = stationListUnread;
  const StationIndex* index = reader->Index();
  out.secondsToNext = following && Connected() && index ? follow.SecondsToNext(SteadySeconds(), blender.Fading()) : -1;
  const bool current = index && weatherGeneration == reader->Generation();
  if (current)
    LiveBlendRows(weather, *index, out.blend);
  else
    out.blend.clear();
  if (index)
    LiveSkippedRows(current ? &weather : nullptr, *index, kMostUnplacedRows, out.skipped);
  else
    out.skipped.clear();
  out.stationsInBlend = current ? int(weather.entries.size()) : 0;
}

void LiveWatchChanged() {
  if (LiveWindow()) CheckSoon();
  KeepWatch();
}
