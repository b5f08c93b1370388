// Loaded into Ventrel by a message hook of the tests: menus are private to their process, so
// the menu states are read on Ventrel's own thread and handed back through a named mapping.
#include <windows.h>

#include <cstdint>

#include "tests/e2e/ventrel_driver.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam,
                                                                LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  static const UINT probeMessage = RegisterWindowMessageA(e2e::kMenuProbeMessage);
  if (code == HC_ACTION && wParam == PM_REMOVE && message->message == probeMessage) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, e2e::kMenuProbeMapping);
    if (mapping) {
      auto* probe = static_cast<e2e::MenuProbe*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
      if (probe) {
        HMENU menu = GetMenu(message->hwnd);
        for (uint32_t i = 0; i < probe->count && i < e2e::kMenuProbeMax; ++i)
        {
          probe->states[i] = GetMenuState(menu, probe->ids[i], MF_BYCOMMAND);
          GetMenuStringA(menu, probe->ids[i], probe->texts[i], sizeof probe->texts[i],
                         MF_BYCOMMAND);
        }
        InterlockedExchange(&probe->done, 1);
        UnmapViewOfFile(probe);
      }
      CloseHandle(mapping);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
