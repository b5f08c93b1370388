// The "Live weather" window against devsim over the grid of tests/data/live: the menu item,
// following through a transition with the Transitions switch off, closing the window, and what
// stops following (Hold, a Clear), each saying so in the window.
#include <windows.h>

#include <string>

#include "resources/live_window_ids.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/live_data.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

enum : int { kClearClouds = 40002, kHold = 44002, kLiveWeather = 45001 };
constexpr unsigned kWait = 20000;
const char kTitle[] = "Live weather";

HWND WaitForLiveWindow(const e2e::VentrelRun& app) {
  HWND window = e2e::WaitForWindow("#32770", kTitle, kWait, app.process.Id());
  if (window && !e2e::WaitUntil([&] { return IsWindowVisible(window) != 0; }, kWait)) return nullptr;
  return window;
}

bool Changing(const e2e::VentrelRun& app) {
  return app.Caption().find("[changing") != std::string::npos;
}

bool StatusIs(HWND window, const std::string& want) {
  return e2e::WaitUntil([&] { return e2e::FieldText(window, IDC_LIVE_STATUS) == want; }, kWait);
}

bool StatusStartsWith(HWND window, const std::string& want) {
  return e2e::WaitUntil([&] { return e2e::FieldText(window, IDC_LIVE_STATUS).rfind(want, 0) == 0; },
                        kWait);
}

}  // namespace

E2E_TEST(LiveWindow, FollowsThroughATransitionAndStopsForThePilot) {
  e2e::ForgetVentrelSettings();
  const std::string reports = e2e::RestampedCopy("grid-reports.txt", "window-reports.txt");
  REQUIRE(!reports.empty());
  // Transitions stay off: live weather goes as a transition all the same.
  WritePrivateProfileStringA("Settings", "LiveReports", reports.c_str(), "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "LiveStations",
                             e2e::LiveDataPath("grid-stations.txt").c_str(), "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "LiveFollow", "1", "Ventrel.ini");
  e2e::DevsimRun sim;
  e2e::VentrelRun app;
  REQUIRE(sim.Start("--flight=45.6300000,-9.1500000,4500"));
  REQUIRE(app.Start());
  CHECK_EQ(e2e::MenuText(app.window, kLiveWeather), std::string("Live &weather ..."));
  CHECK(e2e::WaitUntil([&] { return Changing(app); }, kWait));

  app.Command(kLiveWeather);
  HWND live = WaitForLiveWindow(app);
  REQUIRE(live != nullptr);
  CHECK(StatusStartsWith(live, "Following the aircraft (4 stations)"));
  CHECK(e2e::FieldText(live, IDC_LIVE_RADIUS) == "60");
  CHECK(e2e::FieldText(live, IDC_LIVE_COUNT) == "4");
  CHECK(SendMessageA(GetDlgItem(live, IDC_LIVE_AT_STARTUP), BM_GETCHECK, 0, 0) == BST_CHECKED);

  // Closed, the window leaves following on; the command opens it again.
  PostMessageA(live, WM_CLOSE, 0, 0);
  CHECK(e2e::WaitUntil([&] { return !IsWindow(live); }, kWait));
  CHECK(Changing(app));

  // "Hold the change here" stops following: the window comes back by itself to say so.
  app.Command(kHold);
  live = WaitForLiveWindow(app);
  REQUIRE(live != nullptr);
  CHECK(StatusIs(live, "Following stopped: you held the change."));
  CHECK(SendMessageA(GetDlgItem(live, IDC_LIVE_FOLLOW), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
  CHECK(e2e::WaitUntil([&] { return !Changing(app); }, kWait));

  // On again: the blend starts afresh and goes on its way.
  e2e::Click(live, IDC_LIVE_FOLLOW);
  CHECK(StatusStartsWith(live, "Following the aircraft"));

  // A Clear is the pilot's own weather: following stops.
  app.Command(kClearClouds);
  CHECK(StatusIs(live, "Following stopped: you set the weather yourself."));
  CHECK(e2e::FieldText(live, IDC_LIVE_NEXT).empty());
  app.Command(kLiveWeather);  // open already: to the front, still the one window
  CHECK(e2e::WaitForWindow("#32770", kTitle, 2000, app.process.Id()) == live);
  app.Close();
  e2e::ForgetVentrelSettings();
}
