#include "common/win/ini_placement.h"

namespace {

constexpr DWORD kPlacementValueSize = 80;  // at most 79 characters are taken

}  // namespace

bool ReadIniPlacement(const char* file, const char* section, const char* key, Placement& out) {
  char value[kPlacementValueSize];
  GetPrivateProfileStringA(section, key, "", value, sizeof value, file);
  return ParsePlacement(value, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), out);
}

void WriteIniPlacement(HWND window, const char* file, const char* section, const char* key) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  const Placement p = {int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
  char value[kPlacementValueSize];
  FormatPlacement(value, sizeof value, p);
  WritePrivateProfileStringA(section, key, value, file);
}
