#include "weather/win/settings.h"

namespace {

constexpr DWORD kPlacementValueSize = 80;  // at most 79 characters are taken

}  // namespace

bool ReadPlacement(const char* key, Placement& out) {
  char value[kPlacementValueSize];
  GetPrivateProfileStringA(kSettingsSection, key, "", value, sizeof value, kSettingsFile);
  return ParsePlacement(value, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), out);
}

void WritePlacement(HWND window, const char* key) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  const Placement p = {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
  char value[kPlacementValueSize];
  FormatPlacement(value, sizeof value, p);
  WritePrivateProfileStringA(kSettingsSection, key, value, kSettingsFile);
}

bool RestorePlacement(HWND window, const char* key) {
  Placement p;
  if (!ReadPlacement(key, p)) return false;
  SetWindowPos(window, HWND_TOP, p.left, p.top, p.width, p.height, SWP_SHOWWINDOW);
  return true;
}
