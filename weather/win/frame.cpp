#include "weather/win/frame.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "common/win/about_box.h"
#include "link/win/ipc_client.h"
#include "print/win/print_panes.h"
#include "resources/ventrel_resource.h"
#include "weather/undo_history.h"
#include "weather/win/panes.h"
#include "weather/win/at_altitude_dialog.h"
#include "weather/win/edit_commands.h"
#include "weather/win/settings.h"
#include "weather/win/supervisor.h"
#include "weather/win/undo.h"
#include "weather/win/ventrel.h"
#include "weather/win/weather_files.h"
#include "weather/win/icao_dialog.h"
#include "weather/win/metar_dialog.h"
#include "weather/win/profile_window.h"
#include "resources/profile_ids.h"
#include "weather/win/transition_runner.h"
#include "weather/win/live_weather.h"
#include "weather/win/live_window.h"

namespace {

constexpr const char kMainPlacementKey[] = "MainWindow";

char captionStatus[kCaptionSize] = "";  // the caption without a transition's progress

// Sets the caption only when its text changes: an unchanged refresh repaints nothing. A
// transition's progress goes behind the status.
void SetCaption(const char* status) {
  if (status != captionStatus) std::snprintf(captionStatus, sizeof captionStatus, "%s", status);
  char progress[48];
  TransitionCaptionText(progress, sizeof progress);
  char text[kCaptionSize];
  std::snprintf(text, sizeof text, "%s%s", captionStatus, progress);
  if (std::strcmp(ventrel.caption, text) == 0) return;
  std::strncpy(ventrel.caption, text, sizeof ventrel.caption - 1);
  ventrel.caption[sizeof ventrel.caption - 1] = 0;
  SetWindowTextA(ventrel.mainWindow, ventrel.caption);
}

class FrameView : public WeatherReactions {
 public:
  void RefillPane(int pane) override {
    ::RefillPane(pane);
    ProfileTablesChanged();
  }
  void UpdateCaption() override {
    char text[kCaptionSize];
    const WeatherState& w = ventrel.weather;
    ConnectedCaption(text, sizeof text, kVentrelTitle, w.interfaceSignature, w.weatherStatus,
                     w.stationIcao);
    SetCaption(text);
  }
  void ShowUnreachableCaption() override {
    char text[kCaptionSize];
    WxUnreachableCaption(text, sizeof text);
    SetCaption(text);
  }
  void EndWxShow() override { ::EndWxShow(); }
  void SetWeatherCommands(bool enable) override {
    ::SetWeatherCommands(ventrel.mainWindow, enable);
  }
  void GrayFindAirport() override { MenuSetGrayed(IDM_FIND_AIRPORT, true); }
  // The pane takes the focus back after a refresh, but not from the profile or live weather
  // window the user is working in: that would pull the main window over it every second.
  void ActivateCurrentPane() override {
    if (ProfileWindow() && GetActiveWindow() == ProfileWindow()) return;
    if (LiveWindow() && GetActiveWindow() == LiveWindow()) return;
    ActivatePane(-1, Select);
  }
};

void ActivateCurrentPane() { ActivatePane(-1, Select); }

PanePrintWindows PrintWindows() {
  return {ventrel.mainWindow, ventrel.panes, &ventrel.weather.printing, ActivateCurrentPane};
}

void ClearCommand(int kind) {
  if (ventrel.weather.busy || ventrel.weather.printing) return;
  char label[kUndoLabelSize];
  ClearLabel(kind, label, sizeof label);
  KeepWeatherForUndo(kind == 0 ? kAllSetTables : TableBit(kind), label);
  ventrel.weather.busy = true;
  // Clear table k is selector (k << 20) | 0x50000; kind 0 clears every table.
  IpcBatch& batch = CommandBatch(kSmoothClears);
  batch.Write(WeatherSelector(kind, kClearTable), 0, nullptr);
  batch.Process();
  WeatherChangeSent(true);
  ventrel.weather.busy = false;
}

int OnCreate(HWND window) {
  ventrel.mainWindow = window;
  for (int p = 0; p < kPaneCount; ++p)
    if (!CreatePane(window, p)) return -1;
  ActivatePane(1, Select);
  SetWeatherCommands(window, false);
  MenuSetGrayed(IDM_FIND_AIRPORT, true);
  if (FindSimulatorFolder(ventrel.simulatorFolder, sizeof ventrel.simulatorFolder))
    LoadAirportTable();
  StartSupervisorTimers(window);
  LoadTransitionSettings();
  LoadLiveWeather();
  return 0;
}

void OnCommand(HWND window, int id) {
  ventrel.feet = false;
  switch (id) {
    case IDM_SAVE_AS:
    case IDM_LOAD_AND_SET:
    case IDM_LOAD_AND_SHOW:
      OnFileCommand(id);
      break;
    case IDM_FIND_AIRPORT:
      RunIcaoDialog(window);
      ActivatePane(-1, Select);
      break;
    case IDM_REFRESH:
      Refresh(false);
      break;
    case IDM_EXIT:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case IDM_ALT_FEET:
      ventrel.feet = true;
      [[fallthrough]];
    case IDM_ALT_METRES:
      RunAtAltitudeDialog(window, ventrel.feet);
      ActivatePane(-1, Select);
      break;
    case IDM_CLEAR_CLOUDS:
      ClearCommand(kCloudTable);
      break;
    case IDM_CLEAR_PRESSURE:
      ClearCommand(kPressureTable);
      break;
    case IDM_CLEAR_TEMPERATURES:
      ClearCommand(kTemperatureTable);
      break;
    case IDM_CLEAR_VISIBILITIES:
      ClearCommand(kVisibilityTable);
      break;
    case IDM_CLEAR_WINDS:
      ClearCommand(kWindTable);
      break;
    case IDM_CLEAR_ALL:
      ClearCommand(0);
      break;
    case IDM_AUTO_CONNECT:
    case IDM_CONNECT:
    case IDM_DISCONNECT:
    case IDM_AUTO_REFRESH:
      OnConnectionCommand(window, id);
      break;
    case IDM_PRINT:
      PrintPanesCommand(ventrel.weather.busy, PrintWindows());
      break;
    case IDM_LOAD_METAR:
      RunMetarDialog(window);
      ActivatePane(-1, Select);
      break;
    case IDM_COPY_METAR:
      CopyAsMetar(window);
      ActivatePane(-1, Select);
      break;
    case IDM_ABOUT:
      RunAboutBox(ventrel.instance, window, "Ventrel");
      ActivatePane(-1, Select);
      break;
    case IDM_UNDO:
    case IDM_REDO:
    case IDM_COPY_PANE:
    case IDM_COPY_ROW:
      OnEditCommand(UINT(id));
      break;
    case IDM_WEATHER_PROFILE:
      OpenProfileWindow(window);
      break;
    case IDM_TRANSITION_FINISH:
    case IDM_TRANSITION_HOLD:
    case IDM_TRANSITIONS:
      OnTransitionCommand(window, id);
      ActivatePane(-1, Select);
      break;
    case IDM_LIVE_WEATHER:
      OpenLiveWindow(window);
      break;
  }
}

void OnPaneKey(HWND pane, WORD key) {
  const int p = PaneIndexOf(pane);
  if (BrowseWxKey(key)) return;
  if (!ventrel.simulator) {
    // The list still moves its selection; the beep says the key did nothing else.
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  if (p >= kAppliedWindTable - 1) return;
  switch (key) {
    case VK_TAB:
      ActivatePane(NextPaneInCycle(p, GetKeyState(VK_SHIFT) < 0), Select);
      break;
    case VK_RETURN:
      ActivatePane(p, Edit);
      break;
    case VK_INSERT:
      ActivatePane(p, Insert);
      break;
    case VK_DELETE:
      ActivatePane(p, Delete);
      break;
  }
}

LRESULT OnNotify(const NMHDR* header) {
  if (header->code == LVN_KEYDOWN)
    OnPaneKey(header->hwndFrom, reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
  return 0;
}

void OnSize(WPARAM kind, LPARAM size) {
  if (kind == SIZE_MINIMIZED) return;
  LayoutPanes(LOWORD(size), HIWORD(size));
}

void OnClose(HWND window) {
  if (ventrel.autoRefresh) KillTimer(window, kAutoRefreshTimer);
  CloseProfileWindow();
  CloseLiveWindow();
  EndLiveWeather();
  DestroyPanes();
  IpcClose(true);
  DropUndoHistory();
  PrintPanes(true, PrintWindows());
  ventrel.simulator = nullptr;
  ventrel.weather.interfaceFlag = false;
  if (!IsZoomed(window) && !IsIconic(window)) WritePlacement(window, kMainPlacementKey);
  DestroyWindow(window);
  ventrel.airportTable = AirportTable();
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_COMMAND:
      // High word 1: a shortcut key, which does nothing while its command is greyed.
      if (HIWORD(wParam) == 1) {
        if (const UINT id = ShortcutCommand(LOWORD(wParam))) OnCommand(window, int(id));
      } else {
        OnCommand(window, int(wParam));
      }
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      SupervisorTick(wParam);
      return 0;
    case WM_SIZE:
      OnSize(wParam, lParam);
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case kLoadStartupFileMessage:
      LoadStartupFile(int(wParam));
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

Ventrel ventrel;

bool Refresh(bool force) {
  static FrameView view;
  const bool refreshed = RefreshWeather(ventrel.weather, IpcClientBatch(), view, force);
  if (refreshed && !force) NoteWeatherRefreshed();
  return refreshed;
}

void ShowTransitionCaption() {
  if (ventrel.mainWindow) SetCaption(captionStatus[0] ? captionStatus : ventrel.caption);
}

void MenuSetGrayed(UINT id, bool grayed) {
  EnableMenuItem(GetMenu(ventrel.mainWindow), id, MF_BYCOMMAND | (grayed ? MF_GRAYED : MF_ENABLED));
}

void MenuSetChecked(UINT id, bool checked) {
  CheckMenuItem(GetMenu(ventrel.mainWindow), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool RegisterFrameClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = FrameProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "Ventrel");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
  windowClass.lpszMenuName = "Ventrel";
  windowClass.lpszClassName = kVentrelClass;
  return RegisterClassA(&windowClass) != 0;
}

HWND CreateFrame(HINSTANCE instance) {
  return CreateWindowExA(0, kVentrelClass, kVentrelTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, kMainWidth, kMainHeight, nullptr, nullptr, instance,
                         nullptr);
}
