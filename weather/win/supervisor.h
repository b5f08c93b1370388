// Connection supervision: finds the simulator, connects, notices its loss or restart, and
// keeps the menus that depend on the connection in step.
#pragma once

#include <windows.h>

constexpr UINT_PTR kAutoRefreshTimer = 1010;  // every 1000 ms while AutoRefresh is on
constexpr UINT_PTR kFirstRefreshTimer = 1011; // 2000 ms until a refresh of its own succeeds
constexpr UINT_PTR kSteadyTimer = 1012;       // 2000 ms after that, for the rest of the run
constexpr UINT_PTR kPostedTick = 0;           // posted by the connection commands
#ifndef NIMBREL_SOAK_TIMER_MS
constexpr UINT kAutoRefreshMs = 1000;
#else
constexpr UINT kAutoRefreshMs = NIMBREL_SOAK_TIMER_MS;  // the test-only soak build
#endif
constexpr UINT kSlowTickMs = 2000;

constexpr const char kSimulatorClass[] = "FS98MAIN";
constexpr size_t kVentrelBlockSize = 32700;
constexpr unsigned kVentrelReplyTimeoutMs = 2000;

bool ConnectSimulator();
void SupervisorTick(UINT_PTR timerId);
// Enables (or grays) the commands that need the simulator's weather interface; "Load and show"
// gets the opposite state.
void SetWeatherCommands(HWND mainWindow, bool enable);
void StartSupervisorTimers(HWND mainWindow);
// Commands 40012, 40013, 40014 and 105.
void OnConnectionCommand(HWND mainWindow, int id);
