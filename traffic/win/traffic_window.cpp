#include "traffic/win/traffic_window.h"

#include <commctrl.h>

#include "common/win/about_box.h"
#include "common/win/list_copy.h"
#include "link/win/ipc_client.h"
#include "print/win/print_traffic.h"
#include "resources/palvio_resource.h"
#include "traffic/traffic_table.h"
#include "traffic/win/traffic_list.h"
#include "traffic/win/scope_window.h"
#include "traffic/win/advisories.h"
#include "resources/scope_ids.h"

namespace {

constexpr int kWindowWidth = 995;
constexpr int kWindowHeight = 800;

bool autoRefresh = false;

LRESULT OnCreate(HWND window) {
  HWND simulator = FindWindowA("FS98MAIN", nullptr);
  if (!simulator) {
    ShowError(nullptr, 0, "not able to find FS: please run it first");
    return -1;
  }
  if (!IpcOpen(simulator, kTrafficBlockSize, kTrafficTimeoutMs)) {
    ShowError(nullptr, 0, "not able to link to Korvel");
    return -1;
  }
  LoadAdvisoryChoices(window);
  // Switched on once the message loop runs: the first refresh comes with the first tick.
  PostMessageA(window, WM_COMMAND, IDM_AUTOREFRESH, 0);
  return 0;
}

void ToggleAutoRefresh(HWND window) {
  autoRefresh = !autoRefresh;
  CheckMenuItem(GetMenu(window), IDM_AUTOREFRESH,
                MF_BYCOMMAND | (autoRefresh ? MF_CHECKED : MF_UNCHECKED));
  if (autoRefresh)
    SetTimer(window, IDT_AUTOREFRESH, AutoRefreshPeriodMs(), nullptr);
  else
    KillTimer(window, IDT_AUTOREFRESH);
}

void CopyTraffic(HWND window, bool selectedRow) {
  HWND traffic = TrafficList();
  bool copied = false;
  if (traffic && selectedRow) {
    const int row = ListSelectedRow(traffic);
    copied = row >= 0 && CopyListRow(window, traffic, row);
  } else if (traffic) {
    copied = CopyListRows(window, traffic, -1);
  }
  if (!copied) MessageBeep(MB_ICONEXCLAMATION);
}

// The whole word parameter is the command: anything with a notification code is ignored, but
// for the shortcut keys (code 1), which run their command.
void OnCommand(HWND window, WPARAM command) {
  if (HIWORD(command) == 1) command = LOWORD(command);
  switch (command) {
    case IDM_EXIT:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case IDM_REFRESH:
      RefreshTraffic(window);
      break;
    case IDM_ABOUT:
      RunAboutBox(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)),
                  window, "Palvio");
      break;
    case IDM_PRINT:
      PrintTraffic(false, {window, TrafficList(), TrafficSortColumn});
      break;
    case IDM_AUTOREFRESH:
      ToggleAutoRefresh(window);
      break;
    case IDM_COPY_LIST:
    case IDM_COPY_ROW:
      CopyTraffic(window, command == IDM_COPY_ROW);
      break;
    case IDM_SCOPE:
      OpenScopeWindow(window);
      break;
    default:
      OnAdvisoryCommand(window, int(command));
      break;
  }
}

LRESULT OnNotify(const NMHDR* header) {
  if (header->hwndFrom == TrafficList() && header->code == NM_CUSTOMDRAW)
    return TrafficListCustomDraw(reinterpret_cast<const NMLVCUSTOMDRAW*>(header));
  if (header->hwndFrom == TrafficList() && header->code == LVN_ITEMCHANGED &&
      (reinterpret_cast<const NMLISTVIEW*>(header)->uChanged & LVIF_STATE))
    ScopeTrafficChanged();
  if (header->hwndFrom != TrafficList() || header->code != LVN_COLUMNCLICK) return 0;
  SortTrafficByColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
  return 0;
}

void OnClose(HWND window) {
  if (autoRefresh) KillTimer(window, IDT_AUTOREFRESH);
  CloseScopeWindow();
  DestroyTrafficList();
  IpcClose(true);
  PrintTraffic(true, {window, nullptr, nullptr});
  DestroyWindow(window);
}

LRESULT CALLBACK TrafficWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_COMMAND:
      OnCommand(window, wParam);
      return 0;
    case WM_TIMER:
      RefreshTraffic(window);
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) ResizeTrafficList(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RestartAutoRefresh(HWND window) {
  if (autoRefresh) SetTimer(window, IDT_AUTOREFRESH, AutoRefreshPeriodMs(), nullptr);
}

bool RegisterTrafficWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = TrafficWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "Palvio");
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszMenuName = "Palvio";
  windowClass.lpszClassName = kPalvioClass;
  return RegisterClassA(&windowClass) != 0;
}

HWND CreateTrafficWindow(HINSTANCE instance) {
  return CreateWindowExA(0, kPalvioClass, "Rennavik", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                         nullptr);
}
