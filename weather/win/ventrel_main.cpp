// Ventrel: the weather station. Entry point and message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "common/win/shortcut_keys.h"
#include "link/win/ipc_client.h"
#include "weather/command_line.h"
#include "weather/win/frame.h"
#include "weather/win/live_window.h"
#include "weather/win/panes.h"
#include "weather/win/settings.h"
#include "weather/win/ventrel.h"
#include "weather/win/weather_files.h"

namespace {

void FocusCurrentPane() { ActivatePane(-1, Select); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int showState) {
  ventrel.instance = instance;
  InitCommonControls();
  IpcConfigure(kVentrelIpcSettings);
  ShowErrorConfigure("Ventrel Error", FocusCurrentPane);

  if (!RegisterFrameClass(instance)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return 1;
  }
  ventrel.titleLength = int(std::strlen(ventrel.caption));
  HWND window = CreateFrame(instance);
  if (!window) {
    MessageBeep(MB_ICONASTERISK);
    return 2;
  }
  ShowWindow(window, showState);
  UpdateWindow(window);
  RestorePlacement(window, "MainWindow");
  Refresh(false);

  // Loaded at the first tick, once the connection has been tried.
  if (commandTail && commandTail[0] &&
      StartupFileName(commandTail, ventrel.startupFile, sizeof ventrel.startupFile))
    ventrel.pendingStartupFile = ChooseWeatherFile(false, ventrel.startupFile);

  HACCEL keys = LoadAcceleratorsA(instance, "VentrelKeys");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (LiveWindow() && IsDialogMessageA(LiveWindow(), &message)) continue;
    if (TranslateShortcutKey(window, keys, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  ResetSnapshot(ventrel.weather.snapshot);
  IpcClose(true);
  return int(message.wParam);
}
