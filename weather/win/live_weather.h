// Weather that follows the aircraft: the report file kept read, the aircraft's position read
// once a refresh while following (and never otherwise), and the blend of the stations near it
// sent as a transition whenever the follow rule says a new target is due.
#pragma once

#include <windows.h>

#include <vector>

#include "link/own_position.h"
#include "weather/live/live_texts.h"

// At window creation: the choices from "Ventrel.ini", the station positions, following on
// when it is to start with the program.
void LoadLiveWeather();
// At the end of the run.
void EndLiveWeather();

// From every supervisor tick, after its refresh: refreshed says a refresh went through.
void LiveTick(bool refreshed);

// The pilot set weather of their own (a set load, METAR Set, an edit, a Clear, undo or
// redo): following stops, and the window says why.
void LivePilotSetWeather();
// "Hold the change here": following stops too, or the next update would move on.
void LiveHeld();

bool LiveFollowing();
void SetLiveFollowing(bool on);

const LiveChoices& LiveChoicesInUse();
void ChooseLiveReports(const char* path);
void ChooseLiveStations(const char* path);
void ChooseLiveRadius(int nm);
void ChooseLiveCount(int stations);
void ChooseLiveAtStartup(bool on);

// What the window shows.
struct LiveView {
  LiveState state = LiveState::kOff;
  bool havePosition = false;
  AircraftPosition position;
  double secondsToNext = -1;  // below 0: nothing counts down
  LiveFileStatus file;
  bool stationListUnread = false;
  int stationsInBlend = 0;
  std::vector<LiveRow> blend, skipped;
};
void GetLiveView(LiveView& out);

// The window is open or closed: the file is watched while it is open or following is on.
void LiveWatchChanged();
