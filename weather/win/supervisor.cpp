#include "weather/win/supervisor.h"

#include "link/win/ipc_client.h"
#include "resources/ventrel_resource.h"
#include "weather/win/frame.h"
#include "weather/win/live_weather.h"
#include "weather/win/transition_runner.h"
#include "weather/win/undo.h"
#include "weather/win/ventrel.h"

namespace {

HWND FindSimulatorWindow() { return FindWindowExA(nullptr, nullptr, kSimulatorClass, nullptr); }

void PostTick(HWND mainWindow) { PostMessageA(mainWindow, WM_TIMER, kPostedTick, 0); }

void ShowConnected(bool connected) {
  MenuSetGrayed(IDM_CONNECT, connected);
  MenuSetGrayed(IDM_DISCONNECT, !connected);
}

}  // namespace

bool ConnectSimulator() {
  if (!ventrel.connectWanted) return false;
  HWND simulator = FindSimulatorWindow();
  if (!simulator) return false;
  ventrel.simulator = simulator;
  if (!IpcOpen(simulator, kVentrelBlockSize, kVentrelReplyTimeoutMs)) {
    ventrel.simulator = nullptr;
    return false;
  }
  ShowConnected(true);
  return true;
}

void SupervisorTick(UINT_PTR timerId) {
  bool refreshed = false;

  // A restarted simulator has a new main window: the same tick drops the old one and connects
  // to the new one, reusing the block that the partial close kept.
  if (!ventrel.connectWanted || (ventrel.simulator && FindSimulatorWindow() != ventrel.simulator)) {
    IpcClose(false);
    ventrel.simulator = nullptr;
    DropUndoHistory();  // it belongs to the window just dropped
    StopTransitionLost();
    if (ventrel.weather.interfaceFlag) {
      ventrel.weather.interfaceFlag = false;
      SetWeatherCommands(ventrel.mainWindow, false);
    }
    ShowConnected(false);
    refreshed = Refresh(false);
  }

  if (!ventrel.simulator && ventrel.connectWanted) {
    ConnectSimulator();
    if (ventrel.simulator) refreshed = Refresh(false);
  }

  // A transition's step goes before the refresh, which then shows it.
  TransitionTick(timerId);

  if (!refreshed && (ventrel.autoRefresh || timerId == kFirstRefreshTimer))
    refreshed = Refresh(false);

  // Following reads the aircraft's position once a refresh; with AutoRefresh off, on the
  // slow tick.
  LiveTick(refreshed || (!ventrel.autoRefresh && timerId == kSteadyTimer));

  if (timerId == kFirstRefreshTimer && refreshed) {
    KillTimer(ventrel.mainWindow, kFirstRefreshTimer);
    SetTimer(ventrel.mainWindow, kSteadyTimer, kSlowTickMs, nullptr);
  }

  if (ventrel.pendingStartupFile != 0)
    PostMessageA(ventrel.mainWindow, kLoadStartupFileMessage, WPARAM(ventrel.pendingStartupFile), 0);
}

void SetWeatherCommands(HWND mainWindow, bool enable) {
  (void)mainWindow;
  static const UINT ids[] = {IDM_LOAD_AND_SET,      IDM_REFRESH,          IDM_CLEAR_CLOUDS,
                             IDM_CLEAR_PRESSURE,    IDM_CLEAR_TEMPERATURES, IDM_CLEAR_VISIBILITIES,
                             IDM_CLEAR_WINDS,       IDM_CLEAR_ALL,        IDM_ALT_FEET,
                             IDM_ALT_METRES};
  for (UINT id : ids) MenuSetGrayed(id, !enable);
  MenuSetGrayed(IDM_LOAD_AND_SHOW, enable);
}

void StartSupervisorTimers(HWND mainWindow) {
  if (ventrel.autoRefresh) {
    SetTimer(mainWindow, kAutoRefreshTimer, kAutoRefreshMs, nullptr);
    MenuSetChecked(IDM_AUTO_REFRESH, true);
  }
  SetTimer(mainWindow, kFirstRefreshTimer, kSlowTickMs, nullptr);
}

void OnConnectionCommand(HWND mainWindow, int id) {
  switch (id) {
    case IDM_AUTO_CONNECT:
      ventrel.autoConnect = !ventrel.autoConnect;
      MenuSetChecked(IDM_AUTO_CONNECT, ventrel.autoConnect);
      // Switching it off disconnects at the next timer tick, not at once.
      ventrel.connectWanted = ventrel.autoConnect;
      if (ventrel.connectWanted) PostTick(mainWindow);
      break;
    case IDM_CONNECT:
      ventrel.connectWanted = true;
      ventrel.autoConnect = false;
      MenuSetChecked(IDM_AUTO_CONNECT, false);
      PostTick(mainWindow);
      break;
    case IDM_DISCONNECT:
      ventrel.autoConnect = false;
      ventrel.connectWanted = false;
      MenuSetChecked(IDM_AUTO_CONNECT, false);
      PostTick(mainWindow);
      break;
    case IDM_AUTO_REFRESH:
      ventrel.autoRefresh = !ventrel.autoRefresh;
      MenuSetChecked(IDM_AUTO_REFRESH, ventrel.autoRefresh);
      if (ventrel.autoRefresh)
        SetTimer(mainWindow, kAutoRefreshTimer, kAutoRefreshMs, nullptr);
      else
        KillTimer(mainWindow, kAutoRefreshTimer);
      break;
  }
}
