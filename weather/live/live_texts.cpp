#include "weather/live/live_texts.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "weather/transition_control/settings.h"

namespace {

void CopyText(char* out, size_t size, const char* text) {
  if (size == 0) return;
  std::snprintf(out, size, "%s", text);
}

// Degrees and minutes to hundredths, rounded once so that 59.999' becomes the next degree.
void AngleText(double degrees, char positive, char negative, int degreeDigits, char* out,
               size_t size) {
  const long long hundredths = std::llround(std::fabs(degrees) * 6000.0);
  const int minutes = int(hundredths % 6000);
  std::snprintf(out, size, "%c%0*lld %02d.%02d'", degrees < 0 ? negative : positive, degreeDigits,
                hundredths / 6000, minutes / 100, minutes % 100);
}

void ClockText(int hour, int minute, int second, char* out, size_t size) {
  std::snprintf(out, size, "%02d:%02d:%02d UTC", hour, minute, second);
}

}  // namespace

LiveChoices ReadLiveChoices(LiveStore& store) {
  LiveChoices c;
  char text[kLivePathSize];
  store.Get(kLiveReportsKey, c.reports, sizeof c.reports);
  store.Get(kLiveStationsKey, c.stations, sizeof c.stations);
  int value = 0;
  store.Get(kLiveRadiusKey, text, sizeof text);
  if (ParseSettingNumber(text, kLiveLeastRadius, kLiveMostRadius, value)) c.radiusNm = value;
  store.Get(kLiveStationCountKey, text, sizeof text);
  if (ParseSettingNumber(text, kLiveLeastCount, kLiveMostCount, value)) c.stationCount = value;
  store.Get(kLiveFollowKey, text, sizeof text);
  if (ParseSettingNumber(text, 0, 1, value)) c.followAtStartup = value == 1;
  return c;
}

void WriteLiveChoices(LiveStore& store, const LiveChoices& c) {
  char text[16];
  store.Set(kLiveReportsKey, c.reports);
  store.Set(kLiveStationsKey, c.stations);
  std::snprintf(text, sizeof text, "%d", c.radiusNm);
  store.Set(kLiveRadiusKey, text);
  std::snprintf(text, sizeof text, "%d", c.stationCount);
  store.Set(kLiveStationCountKey, text);
  store.Set(kLiveFollowKey, c.followAtStartup ? "1" : "0");
}

void LivePositionText(const AircraftPosition& p, char* out, size_t size) {
  if (!(std::fabs(p.latitude) <= 90) || !(std::fabs(p.longitude) <= 180) ||
      !(std::fabs(p.altitudeFeet) < 1e7)) {
    CopyText(out, size, "Aircraft: position unknown");
    return;
  }
  char latitude[32], longitude[32];
  AngleText(p.latitude, 'N', 'S', 2, latitude, sizeof latitude);
  AngleText(p.longitude, 'E', 'W', 3, longitude, sizeof longitude);
  std::snprintf(out, size, "Aircraft: %s %s, %ld ft", latitude, longitude,
                long(std::lround(p.altitudeFeet)));
}

void LiveAgeText(int ageMinutes, bool old, char* out, size_t size) {
  if (ageMinutes == kUnknownAge) return CopyText(out, size, "?");
  if (ageMinutes < 0) return CopyText(out, size, "ahead");
  std::snprintf(out, size, "%d:%02d%s", ageMinutes / 60, ageMinutes % 60, old ? " old" : "");
}

const char* LiveSkipReason(const LiveStation& s) {
  switch (s.state) {
    case StationState::kUnreadable:
      return "unreadable";
    case StationState::kStale:
      if (s.ageMinutes == kUnknownAge) return "no time";
      if (s.ageMinutes < 0) return "ahead of the clock";
      return "older than 6 hours";
    case StationState::kOld:
      return s.partlyRead ? "old, partly read" : "old";
    case StationState::kUsable:
      break;
  }
  return s.partlyRead ? "partly read" : "";
}

void LiveFileStatusText(const LiveFileStatus& s, char* out, size_t size) {
  if (!s.chosen) return CopyText(out, size, "No report file chosen.");
  char clock[16];
  ClockText(s.hour, s.minute, s.second, clock, sizeof clock);
  if (!s.haveIndex) {
    if (s.failure) {
      std::snprintf(out, size, "The file cannot be read: %s.", s.failure);
    } else if (s.readingPercent >= 0) {
      std::snprintf(out, size, "Reading the file: %d%%", s.readingPercent);
    } else {
      CopyText(out, size, "Not read yet.");
    }
    return;
  }
  if (s.failure) {
    std::snprintf(out, size, "The file cannot be read (%s): the reports read at %s stay in use.",
                  s.failure, clock);
    return;
  }
  char reading[32] = "";
  if (s.readingPercent >= 0)
    std::snprintf(reading, sizeof reading, " (reading again: %d%%)", s.readingPercent);
  std::snprintf(out, size, "Read %s: %d reports, %d stations placed, %d without a position%s",
                clock, s.reports, s.placed, s.unplaced, reading);
}

void LiveStatusText(LiveState state, int radiusNm, int stationsInBlend, char* out, size_t size) {
  switch (state) {
    case LiveState::kOff:
      return CopyText(out, size, "Not following.");
    case LiveState::kStoppedByPilot:
      return CopyText(out, size, "Following stopped: you set the weather yourself.");
    case LiveState::kStoppedByHold:
      return CopyText(out, size, "Following stopped: you held the change.");
    case LiveState::kWaiting:
      return CopyText(out, size, "Following: waiting for the simulator's weather.");
    case LiveState::kNoReports:
      return CopyText(out, size, "Following: no reports read yet.");
    case LiveState::kNothingNear:
      std::snprintf(out, size, "No usable station within %d nm: the weather is left as it is.",
                    radiusNm);
      return;
    case LiveState::kFollowing:
      std::snprintf(out, size,
                    "Following the aircraft (%d station%s); closing this window does not stop it.",
                    stationsInBlend, stationsInBlend == 1 ? "" : "s");
      return;
  }
  CopyText(out, size, "");
}

void LiveNextText(bool counting, double seconds, char* out, size_t size) {
  if (!counting) return CopyText(out, size, "");
  if (!(seconds > 0)) return CopyText(out, size, "Next update now");
  const long whole = seconds > 3600 ? 3600 : long(std::ceil(seconds));
  std::snprintf(out, size, "Next update in %ld s", whole);
}

bool LiveRow::operator==(const LiveRow& other) const {
  for (int i = 0; i < 5; ++i)
    if (cell[i] != other.cell[i]) return false;
  return true;
}

void LiveBlendRows(const LiveWeather& weather, const StationIndex& index, std::vector<LiveRow>& out) {
  out.clear();
  const std::vector<LiveStation>& stations = index.Stations();
  for (const BlendEntry& e : weather.entries) {
    LiveRow row;
    row.cell[0] = e.icao;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", e.distanceNm);
    row.cell[1] = text;
    std::snprintf(text, sizeof text, "%ld", long(std::lround(e.weight * 100)));
    row.cell[2] = text;
    if (e.index >= 0 && size_t(e.index) < stations.size()) {
      const LiveStation& s = stations[size_t(e.index)];
      LiveAgeText(s.ageMinutes, s.state == StationState::kOld, text, sizeof text);
      row.cell[3] = text;
      row.cell[4] = s.report;
    }
    out.push_back(std::move(row));
  }
}

void LiveSkippedRows(const LiveWeather* weather, const StationIndex& index, size_t mostUnplaced,
                     std::vector<LiveRow>& out) {
  out.clear();
  const std::vector<LiveStation>& stations = index.Stations();
  auto add = [&out](const std::string& station, const char* why) {
    LiveRow row;
    row.cell[0] = station;
    row.cell[1] = why;
    out.push_back(std::move(row));
  };
  if (weather) {
    for (int i : weather->skipped)
      if (i >= 0 && size_t(i) < stations.size())
        add(stations[size_t(i)].place.icao, LiveSkipReason(stations[size_t(i)]));
    for (const BlendEntry& e : weather->entries) {
      if (e.index < 0 || size_t(e.index) >= stations.size()) continue;
      const char* why = LiveSkipReason(stations[size_t(e.index)]);
      if (why[0]) add(e.icao, why);
    }
  }
  const std::vector<std::string>& unplaced = index.Unplaced();
  for (size_t i = 0; i < unplaced.size() && i < mostUnplaced; ++i) add(unplaced[i], "no position");
  if (unplaced.size() > mostUnplaced) {
    char text[48];
    std::snprintf(text, sizeof text, "%lu more", static_cast<unsigned long>(unplaced.size() - mostUnplaced));
    add(text, "no position");
  }
}

int NewestLiveFile(const std::vector<LiveFolderFile>& files) {
  int best = -1;
  for (size_t i = 0; i < files.size(); ++i) {
    const LiveFolderFile& f = files[i];
    if (f.directory || f.size == 0) continue;
    if (best >= 0) {
      const LiveFolderFile& b = files[size_t(best)];
      if (f.writeTime < b.writeTime || (f.writeTime == b.writeTime && f.name < b.name)) continue;
    }
    best = int(i);
  }
  return best;
}
