#include "traffic/win/palvio_settings.h"

#include "common/win/ini_placement.h"

namespace {

constexpr const char kSection[] = "Settings";

void ReadValue(const char* key, char* out, DWORD size) {
  GetPrivateProfileStringA(kSection, key, "", out, size, kPalvioSettingsFile);
}

}  // namespace

AdvisoryChoices ReadAdvisoryChoices() {
  AdvisoryChoices choices;
  char value[16];
  ReadValue("Advisories", value, sizeof value);
  choices.on = ParseSwitch(value);
  ReadValue("Filter", value, sizeof value);
  choices.filter = ParseFilter(value);
  ReadValue("Mute", value, sizeof value);
  choices.mute = ParseSwitch(value);
  return choices;
}

void WriteAdvisoryChoices(const AdvisoryChoices& choices) {
  WritePrivateProfileStringA(kSection, "Advisories", choices.on ? "1" : "0", kPalvioSettingsFile);
  WritePrivateProfileStringA(kSection, "Filter", FilterName(choices.filter), kPalvioSettingsFile);
  WritePrivateProfileStringA(kSection, "Mute", choices.mute ? "1" : "0", kPalvioSettingsFile);
}

bool ReadScopePlacement(Placement& out) {
  return ReadIniPlacement(kPalvioSettingsFile, kSection, "ScopeWindow", out);
}

void WriteScopePlacement(HWND scope) {
  WriteIniPlacement(scope, kPalvioSettingsFile, kSection, "ScopeWindow");
}
