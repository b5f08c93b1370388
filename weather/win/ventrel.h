// Ventrel's program-wide state: one process, one main window, one user-interface thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "weather/caption.h"
#include "weather/records.h"
#include "weather/snapshot.h"

constexpr const char kVentrelClass[] = "Ventrel";
constexpr const char kVentrelTitle[] = "Nimbrel";
constexpr int kMainWidth = 905;
constexpr int kMainHeight = 594;

// Posted to the main window: load the pending start-up file; wParam is its kind (1 or -1).
constexpr UINT kLoadStartupFileMessage = WM_USER + 1;

// The registry value may fill 259 bytes before "\Pilots" or "\Weather\ICAO POS.BIN" goes behind.
constexpr size_t kFolderValueSize = 259;
constexpr size_t kFolderBufferSize = kFolderValueSize + sizeof "\\Weather\\ICAO POS.BIN";

struct AirportTable {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
};

struct Ventrel {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND panes[kPaneCount] = {};
  HWND simulator = nullptr;  // set while connected
  WeatherState weather;      // snapshot, status words, busy / interface / printing flags
  bool feet = false;
  int pendingStartupFile = 0;  // 0 none, 1 data file, -1 .WX file
  char startupFile[MAX_PATH] = "";
  char simulatorFolder[kFolderBufferSize] = "";  // installation folder + "\Pilots"
  AirportTable airportTable;
  char caption[kCaptionSize] = "Nimbrel";
  int titleLength = 0;

  // Supervisor flags; none is stored, every run starts with all three on.
  bool autoConnect = true;
  bool connectWanted = true;
  bool autoRefresh = true;
};

extern Ventrel ventrel;

// RefreshWeather over the IPC client, with this window as its view.
bool Refresh(bool force);

// Simulator folder and airport file (simulator_folder.cpp).
bool FindSimulatorFolder(char* folder, size_t size);
void LoadAirportTable();
