// Palvio: the traffic display. Takes no arguments; its few choices are kept in Palvio.ini.
#include <windows.h>
#include <commctrl.h>

#include "common/win/shortcut_keys.h"
#include "link/win/ipc_client.h"
#include "traffic/win/traffic_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  InitCommonControls();
  IpcConfigure(kPalvioIpcSettings);
  ShowErrorConfigure("Palvio Error", nullptr);
  if (!RegisterTrafficWindowClass(instance)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return 1;
  }
  HWND window = CreateTrafficWindow(instance);
  if (!window) {
    MessageBeep(MB_ICONASTERISK);
    return 2;
  }
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  HACCEL keys = LoadAcceleratorsA(instance, "PalvioKeys");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (TranslateShortcutKey(window, keys, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return int(message.wParam);
}
