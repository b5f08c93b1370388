#include "traffic/win/advisories.h"

#include <cstring>
#include <memory>
#include <new>

#include "resources/advisory_ids.h"
#include "resources/palvio_resource.h"
#include "traffic/win/palvio_settings.h"
#include "traffic/win/scope_window.h"
#include "traffic/win/traffic_list.h"
#include "traffic/win/traffic_window.h"

namespace {

constexpr const char kCaption[] = "Rennavik";
#ifndef NIMBREL_SOAK_TIMER_MS
constexpr UINT kPeriodMs = 2000;
constexpr UINT kAdvisoryPeriodMs = 1000;
#else
constexpr UINT kPeriodMs = NIMBREL_SOAK_TIMER_MS;  // the test-only soak build
constexpr UINT kAdvisoryPeriodMs = NIMBREL_SOAK_TIMER_MS;
#endif

AdvisoryChoices choices;
// On the heap while advisories are on: a static one would be 34 KB of initialised data in the
// program file.
std::unique_ptr<AdvisoryTracker> tracker;
const TargetAdvisory untracked;
char caption[48] = "Rennavik";

void SetCaption(HWND window, const char* text) {
  if (std::strcmp(caption, text) == 0) return;  // quiet refreshes do not touch the caption
  strncpy(caption, text, sizeof caption - 1);
  SetWindowTextA(window, caption);
}

void UpdateMenu(HWND window) {
  HMENU menu = GetMenu(window);
  CheckMenuItem(menu, IDM_ADVISORIES, MF_BYCOMMAND | (choices.on ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuRadioItem(menu, IDM_FILTER_NORM, IDM_FILTER_ALL, IDM_FILTER_NORM + choices.filter,
                     MF_BYCOMMAND);
  CheckMenuItem(menu, IDM_ADVISORY_MUTE, MF_BYCOMMAND | (choices.mute ? MF_CHECKED : MF_UNCHECKED));
}

// False when there is no memory for the tracks: advisories then stay off.
bool MakeTracker(bool on) {
  if (!on) {
    tracker.reset();
    return true;
  }
  if (!tracker) tracker.reset(new (std::nothrow) AdvisoryTracker());
  if (tracker) tracker->Reset();
  return tracker != nullptr;
}

void SwitchAdvisories(HWND window, bool on) {
  if (!MakeTracker(on)) {
    MessageBeep(MB_ICONEXCLAMATION);
    on = false;
  }
  choices.on = on;
  if (!on) SetCaption(window, kCaption);
  TrafficAdvisoriesSwitched(on);
  RestartAutoRefresh(window);
}

}  // namespace

void LoadAdvisoryChoices(HWND mainWindow) {
  choices = ReadAdvisoryChoices();
  if (!MakeTracker(choices.on)) choices.on = false;
  UpdateMenu(mainWindow);
}

const AdvisoryChoices& CurrentAdvisoryChoices() { return choices; }

bool OnAdvisoryCommand(HWND mainWindow, int command) {
  switch (command) {
    case IDM_ADVISORIES:
      SwitchAdvisories(mainWindow, !choices.on);
      break;
    case IDM_FILTER_NORM:
    case IDM_FILTER_ABOVE:
    case IDM_FILTER_BELOW:
    case IDM_FILTER_ALL:
      choices.filter = AltitudeFilter(command - IDM_FILTER_NORM);
      break;
    case IDM_ADVISORY_MUTE:
      choices.mute = !choices.mute;
      break;
    default:
      return false;
  }
  WriteAdvisoryChoices(choices);
  UpdateMenu(mainWindow);
  ScopeTrafficChanged();
  return true;
}

void TrackTraffic(const TrafficTable& table, double fetchedAt) {
  if (choices.on && tracker) tracker->Update(table, table.DecodeOwnPosition(), fetchedAt);
}

void ForgetTrafficTracks(HWND mainWindow) {
  if (!choices.on || !tracker) return;
  tracker->Reset();
  SetCaption(mainWindow, kCaption);
  if (HWND list = TrafficList()) InvalidateRect(list, nullptr, FALSE);
}

void ShowAdvisoryAlert(HWND mainWindow, const TrafficTable& table) {
  if (!choices.on || !tracker) return;
  bool began = false;
  for (int slot = 0; slot < kMaxSlots; ++slot) began = began || tracker->Target(slot).began;
  if (began && !choices.mute) MessageBeep(MB_ICONEXCLAMATION);
  const int slot = tracker->StrongestSlot();
  if (slot < 0 || !table.SlotOccupied(slot)) {
    SetCaption(mainWindow, kCaption);
    return;
  }
  // The list's own bearing and height difference, as the row shows them.
  char text[48];
  FormatTrafficAlert(table.SortKeys().bearing[slot], table.SortKeys().heightDiff[slot], text,
                     sizeof text);
  SetCaption(mainWindow, text);
}

const TargetAdvisory& TrafficTarget(int slot) {
  return tracker ? tracker->Target(slot) : untracked;
}

int CompareTrafficThreat(int slotA, int slotB) {
  return tracker ? CompareThreat(*tracker, slotA, slotB) : 0;
}

UINT AutoRefreshPeriodMs() { return choices.on ? kAdvisoryPeriodMs : kPeriodMs; }
