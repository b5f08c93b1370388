#include "weather/win/profile_window.h"

#include "common/win/picture_paint.h"
#include "print/win/print_picture.h"
#include "resources/profile_ids.h"
#include "weather/profile_layout.h"
#include "weather/win/settings.h"
#include "weather/win/transition_runner.h"
#include "weather/win/ventrel.h"

namespace {

constexpr const char kProfileClass[] = "VentrelProfile";
constexpr const char kProfilePlacementKey[] = "ProfileWindow";
constexpr int kDefaultWidth = 760;
constexpr int kDefaultHeight = 600;

HWND profileWindow = nullptr;
TextSize textSize;

ProfileLayout CurrentLayout(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  ProfileInput input = ProfileInputFrom(ventrel.weather.snapshot);
  if (const TransitionTables* target = TransitionTarget())
    ProfileTargetFrom(target->table[kCloudTable].Bytes(), target->table[kCloudTable].Size(), input);
  return LayoutProfile(input, int(client.right), int(client.bottom), textSize);
}

// The main window stays enabled while the picture prints: the printing flag keeps every
// command it blocks for the panes' print away meanwhile, as the print dialog and the cancel
// box run the timer.
void Print(HWND window) {
  const ProfileLayout layout = CurrentLayout(window);
  if (layout.tooSmall || ventrel.weather.printing) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  ventrel.weather.printing = true;
  PrintPicture(window, "Ventrel Weather Profile", "Ventrel", layout.picture, textSize);
  ventrel.weather.printing = false;
}

void OnCommand(HWND window, int id) {
  switch (id) {
    case IDM_PROFILE_PRINT:
      Print(window);
      break;
    case IDM_PROFILE_CLOSE:
      SendMessageA(window, WM_CLOSE, 0, 0);
      break;
  }
}

void ShowContextMenu(HWND window, LPARAM at) {
  HMENU menu = LoadMenuA(ventrel.instance, "ProfileWindow");
  if (!menu) return;
  POINT p = {short(LOWORD(at)), short(HIWORD(at))};
  if (p.x == -1 && p.y == -1) ClientToScreen(window, &(p = {8, 8}));
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, window,
                 nullptr);
  DestroyMenu(menu);
}

LRESULT CALLBACK ProfileProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintWindowPicture(window, CurrentLayout(window).picture);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the whole client area is painted off screen
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam));
      return 0;
    case WM_CONTEXTMENU:
      ShowContextMenu(window, lParam);
      return 0;
    case WM_CLOSE:
      CloseProfileWindow();
      return 0;
    case WM_DESTROY:
      if (window == profileWindow) profileWindow = nullptr;
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterProfileClass() {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(ventrel.instance, kProfileClass, &windowClass)) return true;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ProfileProc;
  windowClass.hInstance = ventrel.instance;
  windowClass.hIcon = LoadIconA(ventrel.instance, "Ventrel");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszMenuName = "ProfileWindow";
  windowClass.lpszClassName = kProfileClass;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace

void OpenProfileWindow(HWND mainWindow) {
  if (profileWindow) {
    if (IsIconic(profileWindow)) ShowWindow(profileWindow, SW_RESTORE);
    SetForegroundWindow(profileWindow);
    return;
  }
  if (!RegisterProfileClass()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  profileWindow = CreateWindowExA(0, kProfileClass, "Weather profile", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, kDefaultWidth, kDefaultHeight,
                                  mainWindow, nullptr, ventrel.instance, nullptr);
  if (!profileWindow) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  textSize = PictureTextSize(profileWindow);
  ShowWindow(profileWindow, SW_SHOWNORMAL);
  RestorePlacement(profileWindow, kProfilePlacementKey);
}

void ProfileTablesChanged() {
  if (profileWindow) InvalidateRect(profileWindow, nullptr, FALSE);
}

void CloseProfileWindow() {
  if (!profileWindow) return;
  HWND window = profileWindow;
  if (!IsZoomed(window) && !IsIconic(window)) WritePlacement(window, kProfilePlacementKey);
  DestroyWindow(window);
  profileWindow = nullptr;
}

HWND ProfileWindow() { return profileWindow; }
