#include "traffic/win/scope_window.h"

#include <commctrl.h>

#include "common/win/picture_paint.h"
#include "print/win/print_picture.h"
#include "resources/scope_ids.h"
#include "traffic/scope_layout.h"
#include "traffic/win/advisories.h"
#include "traffic/win/palvio_settings.h"
#include "traffic/win/traffic_list.h"

namespace {

constexpr const char kScopeClass[] = "PalvioScope";
constexpr int kDefaultSize = 600;

HWND scopeWindow = nullptr;
TextSize textSize;
double rangeNm = 20;
ScopeLayout shown;    // what the last paint drew, for clicks

// The slot of the list's selected row, or -1.
int SelectedSlot() {
  HWND list = TrafficList();
  if (!list) return -1;
  const int row = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  if (row < 0) return -1;
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return SendMessageA(list, LVM_GETITEMA, 0, LPARAM(&item)) ? int(item.lParam) : -1;
}

void SelectRowOfSlot(int slot) {
  HWND list = TrafficList();
  if (!list) return;
  LVFINDINFOA find = {};
  find.flags = LVFI_PARAM;
  find.lParam = slot;
  const int row = int(SendMessageA(list, LVM_FINDITEMA, WPARAM(-1), LPARAM(&find)));
  if (row < 0) return;
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&state));
  SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

ScopeLayout CurrentLayout(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const TrafficTable& table = ShownTrafficTable();
  std::vector<ScopeTarget> targets = ScopeTargetsFrom(table);
  ScopeView view;
  view.advisories = AdvisoriesOn();
  view.rangeNm = StepScopeRangeNm(rangeNm, 0, view.advisories);  // 3 nm only with advisories
  view.filter = CurrentAdvisoryChoices().filter;
  if (view.advisories)
    for (ScopeTarget& t : targets) t.level = TrafficTarget(t.slot).level;
  return LayoutScopeView(targets, view, table.DecodeOwnPosition().variation, SelectedSlot(),
                         int(client.right), int(client.bottom), textSize);
}

void StepRange(HWND window, int steps) {
  const double next = StepScopeRangeNm(rangeNm, steps, AdvisoriesOn());
  if (next == rangeNm) {
    MessageBeep(MB_OK);
    return;
  }
  rangeNm = next;
  InvalidateRect(window, nullptr, FALSE);
}

void OnCommand(HWND window, int id) {
  switch (id) {
    case IDM_SCOPE_PRINT: {
      const ScopeLayout layout = CurrentLayout(window);
      if (layout.tooSmall)
        MessageBeep(MB_ICONEXCLAMATION);
      else
        PrintPicture(window, "Palvio Traffic Scope", "Palvio", layout.picture, textSize);
      break;
    }
    case IDM_SCOPE_RANGE_UP:
      StepRange(window, 1);
      break;
    case IDM_SCOPE_RANGE_DOWN:
      StepRange(window, -1);
      break;
    case IDM_SCOPE_CLOSE:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
  }
}

bool OnKey(HWND window, WPARAM key) {
  switch (key) {
    case VK_ADD:
    case VK_OEM_PLUS:
      StepRange(window, 1);
      return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
      StepRange(window, -1);
      return true;
  }
  return false;
}

void ShowContextMenu(HWND window, LPARAM at) {
  HMENU menu = LoadMenuA(HINSTANCE(GetWindowLongPtrA(window, GWLP_HINSTANCE)), "ScopeWindow");
  if (!menu) return;
  POINT p = {short(LOWORD(at)), short(HIWORD(at))};
  if (p.x == -1 && p.y == -1) ClientToScreen(window, &(p = {8, 8}));
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, window,
                 nullptr);
  DestroyMenu(menu);
}

LRESULT CALLBACK ScopeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      shown = CurrentLayout(window);
      PaintWindowPicture(window, shown.picture);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the whole client area is painted off screen
    case WM_KEYDOWN:
      if (OnKey(window, wParam)) return 0;
      break;
    case WM_MOUSEWHEEL:
      // Away from the user zooms in: a shorter range.
      StepRange(window, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1);
      return 0;
    case WM_LBUTTONDOWN: {
      const int slot = ScopeHitTest(shown, short(LOWORD(lParam)), short(HIWORD(lParam)));
      if (slot >= 0) SelectRowOfSlot(slot);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam));
      return 0;
    case WM_CONTEXTMENU:
      ShowContextMenu(window, lParam);
      return 0;
    case WM_CLOSE:
      CloseScopeWindow();
      return 0;
    case WM_DESTROY:
      if (window == scopeWindow) scopeWindow = nullptr;
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterScopeClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(instance, kScopeClass, &windowClass)) return true;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ScopeProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "Palvio");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszMenuName = "ScopeWindow";
  windowClass.lpszClassName = kScopeClass;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace

void OpenScopeWindow(HWND mainWindow) {
  if (scopeWindow) {
    if (IsIconic(scopeWindow)) ShowWindow(scopeWindow, SW_RESTORE);
    SetForegroundWindow(scopeWindow);
    return;
  }
  const HINSTANCE instance = HINSTANCE(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
  if (!RegisterScopeClass(instance)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  Placement place;
  const bool placed = ReadScopePlacement(place);
  scopeWindow = CreateWindowExA(0, kScopeClass, "Traffic scope", WS_OVERLAPPEDWINDOW,
                                placed ? place.left : CW_USEDEFAULT,
                                placed ? place.top : CW_USEDEFAULT,
                                placed ? place.width : kDefaultSize,
                                placed ? place.height : kDefaultSize, mainWindow, nullptr,
                                instance, nullptr);
  if (!scopeWindow) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  textSize = PictureTextSize(scopeWindow);
  ShowWindow(scopeWindow, SW_SHOWNORMAL);
  SetFocus(scopeWindow);
}

void ScopeTrafficChanged() {
  if (scopeWindow) InvalidateRect(scopeWindow, nullptr, FALSE);
}

void CloseScopeWindow() {
  if (!scopeWindow) return;
  HWND window = scopeWindow;
  if (!IsZoomed(window) && !IsIconic(window)) WriteScopePlacement(window);
  DestroyWindow(window);
  scopeWindow = nullptr;
  shown = ScopeLayout();
}

HWND ScopeWindow() { return scopeWindow; }
