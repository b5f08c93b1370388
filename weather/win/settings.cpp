#include "weather/win/settings.h"

#include "common/win/ini_placement.h"

bool ReadPlacement(const char* key, Placement& out) {
  return ReadIniPlacement(kSettingsFile, kSettingsSection, key, out);
}

void WritePlacement(HWND window, const char* key) {
  WriteIniPlacement(window, kSettingsFile, kSettingsSection, key);
}

bool RestorePlacement(HWND window, const char* key) {
  Placement p;
  if (!ReadPlacement(key, p)) return false;
  SetWindowPos(window, HWND_TOP, p.left, p.top, p.width, p.height, SWP_SHOWWINDOW);
  return true;
}
