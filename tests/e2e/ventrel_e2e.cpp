// Ventrel driven as a user would: started beside devsim, read through its caption, menus and
// list views, commanded through its menu ids and keys.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"

#include <commctrl.h>

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : UINT {
  kSaveAs = 40008, kLoadAndSet = 40009, kLoadAndShow = 40010, kPrint = 104, kRefresh = 102,
  kAutoRefresh = 105, kAltFeet = 1101, kAltMetres = 1102, kClearClouds = 40002,
  kClearPressure = 40003, kClearTemperatures = 40004, kClearVisibilities = 40005,
  kClearWinds = 40006, kClearAll = 40007, kFindAirport = 40011, kAutoConnect = 40012,
  kConnect = 40013, kDisconnect = 40014,
};

const std::vector<UINT> kWeatherCommands = {kLoadAndSet,         kRefresh,           kClearClouds,
                                            kClearPressure,      kClearTemperatures, kClearVisibilities,
                                            kClearWinds,         kClearAll,          kAltFeet,
                                            kAltMetres};

const char kNotConnected[] = "Nimbrel: Not connected to Korvel";
const char kGlobal[] = "Nimbrel: Global weather: read/write";
constexpr unsigned kOneTick = 3000;  // a tick is 1 s with AutoRefresh on; room for Wine

// The worked values of the display formats, as devsim's weather text.
const char kRichWeather[] =
    "visibility upper=914 lower=0 range=0\n"
    "visibility upper=3048 lower=914 range=100\n"
    "visibility upper=6096 lower=3048 range=621\n"
    "visibility upper=9144 lower=6096 range=622\n"
    "pressure qnh=16211 drift=-16\n"
    "temperature altitude=0 day=15 variation=20 dew=-10\n"
    "temperature altitude=3048 day=-10 variation=0 dew=-20\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "wind upper=3048 speed=20 gust=30 direction=65535 turbulence=2 shear=3\n"
    "wind upper=6096 speed=40 gust=0 direction=0 turbulence=0 shear=0\n"
    "cloud upper=3048 lower=914 deviation=100 cover=8 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n"
    "cloud upper=6096 lower=4572 deviation=0 cover=3 type=1 turbulence=0 icing=0 precipbase=0 "
    "preciptype=3 preciprate=0\n";

const std::vector<std::string> kRichRows[e2e::kPanes] = {
    {"  0 |0ft|2999ft|0.0sm (0m)", "  1 |2999ft|10000ft|1.0sm (1609m)",
     "  2 |10000ft|20000ft|6.2sm (9994m)", "  3 |20000ft|30000ft|6.2sm", "  4 |||"},
    {"  0 |1013.2mb (29.92\")|-1.0mb", "  1 ||"},
    {"  0 |0ft|15C (59F)|20C (36F)|-10C (15F)", "  1 |10000ft|-10C (15F)|0C (0F)|-20C (-3F)",
     "  2 ||||"},
    {"  0 |1969ft|20kn|90T|25kn|1|0", "  1 |10000ft|20kn|360T|30kn|2|3",
     "  2 |20000ft|40kn|0T|0kn|0|0", "  3 ||||||"},
    {"  0 |2999ft|10000ft|328ft|8/8|9|2|1|Rain|3|984ft",
     "  1 |15000ft|20000ft|0ft|3/8|1|0|0|3|0|0ft", "  2 ||||||||||"},
    {"  0 |1969ft|19.4kn|88.0T|5kn|1|0", "  1 |10000ft|20.0kn|2.0T|30kn|2|3",
     "  2 |20000ft|41.2kn|358.0T|0kn|0|0", "  3 ||||||"},
};

bool AllGrayed(HWND main, const std::vector<UINT>& ids, bool grayed) {
  const std::vector<UINT> states = e2e::MenuStates(main, ids);
  for (UINT s : states)
    if (s == 0xFFFFFFFF || ((s & MF_GRAYED) != 0) != grayed) return false;
  return true;
}

bool PaneRowsAre(HWND pane, const std::vector<std::string>& rows) {
  return e2e::ListRows(pane) == rows;
}

void CheckRows(HWND pane, const std::vector<std::string>& expected) {
  const std::vector<std::string> rows = e2e::ListRows(pane);
  CHECK_EQ(rows.size(), expected.size());
  for (size_t r = 0; r < rows.size() && r < expected.size(); ++r) CHECK_EQ(rows[r], expected[r]);
}

// Ventrel and devsim with the rich weather, connected.
struct Connected {
  DevsimRun sim;
  VentrelRun app;
  explicit Connected(const std::string& switches = "") {
    e2e::ForgetVentrelSettings();
    const std::string weather = e2e::WriteTestFile("rich.txt", kRichWeather);
    REQUIRE(e2e::StartConnected(sim, app, "\"--weather=" + weather + "\" " + switches, 3));
  }
};

E2E_TEST(Ventrel, StartsWithItsWindowMenusAndPanes) {
  e2e::ForgetVentrelSettings();
  VentrelRun app;
  REQUIRE(app.Start());
  CHECK(app.WaitForCaption(kNotConnected, 3000));
  RECT r;
  GetWindowRect(app.window, &r);
  CHECK_EQ(r.right - r.left, 905);
  CHECK_EQ(r.bottom - r.top, 594);

  const std::vector<UINT> states = e2e::MenuStates(app.window, {kAutoConnect, kDisconnect, kConnect,
                                                                kAutoRefresh, kFindAirport,
                                                                kLoadAndShow, kSaveAs, kPrint});
  REQUIRE(states.size() == 8 && states[0] != 0xFFFFFFFF);
  CHECK(states[0] & MF_CHECKED);
  CHECK(states[1] & MF_GRAYED);
  CHECK(!(states[2] & MF_GRAYED));
  CHECK(states[3] & MF_CHECKED);
  CHECK(states[4] & MF_GRAYED);
  CHECK(!(states[5] & MF_GRAYED));
  CHECK(!(states[6] & MF_GRAYED));
  CHECK(!(states[7] & MF_GRAYED));
  CHECK(AllGrayed(app.window, kWeatherCommands, true));

  // Titles, headers and widths of every pane; the pressure pane is current.
  const char* const headers[e2e::kPanes] = {
      "Visibility:80|From:90|To:90|Range:130",
      "Pressure:80|QNH:180|Drift:100",
      "Temperature:80|Alt:70|Day:80|Var:80|Dew:80",
      "Winds Set:80|To:100|Speed:70|Dir:70|Gust:70|Turb:50|Shear:50",
      "Cloud:80|From:95|To:95|Dev:70|Cover:60|Type:50|Turb:50|Ice:50|Precip:80|PrRate:80|PrBase:80",
      "Winds Applied:80|To:100|Speed:70|Dir:70|Gust:70|Turb:50|Shear:50"};
  for (int p = 0; p < e2e::kPanes; ++p) {
    std::string text;
    for (const e2e::LvColumn& c : e2e::LvColumns(app.panes[p]))
      text += (text.empty() ? "" : "|") + c.header + ":" + std::to_string(c.width);
    CHECK_EQ(text, std::string(headers[p]));
    CHECK_EQ(e2e::LvRowCount(app.panes[p]), 0);
  }
  CHECK_EQ(e2e::FocusOfThread(app.window), app.panes[1]);
  CHECK(app.Close());
  CHECK_EQ(app.process.ExitCode(), 0u);
}

E2E_TEST(Ventrel, PanesFollowTheLayoutTable) {
  e2e::ForgetVentrelSettings();
  VentrelRun app;
  REQUIRE(app.Start());
  static const int table[e2e::kPanes][4] = {{0, 91, 444, 169},   {0, 0, 444, 91},
                                            {0, 260, 444, 407},  {444, 0, 556, 447},
                                            {0, 667, 1000, 333}, {444, 447, 556, 220}};
  auto checkLayout = [&] {
    RECT client;
    GetClientRect(app.window, &client);
    for (int p = 0; p < e2e::kPanes; ++p) {
      const RECT r = e2e::ChildRect(app.panes[p]);
      CHECK_EQ(r.left, table[p][0] * client.right / 1000);
      CHECK_EQ(r.top, table[p][1] * client.bottom / 1000);
      CHECK_EQ(r.right - r.left, table[p][2] * client.right / 1000);
      CHECK_EQ(r.bottom - r.top, table[p][3] * client.bottom / 1000);
    }
  };
  checkLayout();
  SetWindowPos(app.window, nullptr, 0, 0, 700, 900, SWP_NOZORDER | SWP_NOMOVE);
  e2e::WaitUntil([&] { RECT c; GetClientRect(app.window, &c); return c.bottom > 800; }, 2000);
  checkLayout();
  const RECT before = e2e::ChildRect(app.panes[4]);
  ShowWindow(app.window, SW_MINIMIZE);
  Sleep(300);
  const RECT after = e2e::ChildRect(app.panes[4]);
  CHECK_EQ(after.right - after.left, before.right - before.left);
  CHECK_EQ(after.bottom - after.top, before.bottom - before.top);
}

E2E_TEST(Ventrel, StartedBeforeTheSimulatorConnectsWhenItComes) {
  e2e::ForgetVentrelSettings();
  VentrelRun app;
  REQUIRE(app.Start());
  CHECK(app.WaitForCaption(kNotConnected, 3000));
  DevsimRun sim;
  REQUIRE(sim.Start("--mode=1"));
  CHECK(app.WaitForCaption(kGlobal, kOneTick));
  CHECK(AllGrayed(app.window, {kConnect, kLoadAndShow}, true));
  CHECK(AllGrayed(app.window, {kDisconnect}, false));
  CHECK(AllGrayed(app.window, kWeatherCommands, false));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(app.panes[4]) == 4; }, kOneTick));
}

E2E_TEST(Ventrel, ShowsEveryPaneOfARichWeather) {
  Connected c;
  for (int p = 0; p < e2e::kPanes; ++p) CheckRows(c.app.panes[p], kRichRows[p]);
  CHECK(e2e::ListItemState(c.app.panes[1], 0, LVIS_SELECTED | LVIS_FOCUSED) ==
        (LVIS_SELECTED | LVIS_FOCUSED));
}

E2E_TEST(Ventrel, CaptionFollowsTheWeatherMode) {
  Connected c("--mode=0 --icao=KSEA");
  struct Case {
    const char* control;
    const char* caption;
  };
  const Case cases[] = {
      {"--mode=0", "Nimbrel: No weather to show!"},
      {"--mode=1", "Nimbrel: Global weather: read/write"},
      {"--mode=2", "Nimbrel: Local weather: not available"},
      {"--mode=3", "Nimbrel: Local weather: read only  ICAO=KSEA"},
      {"--mode=3 --icao=LFPG", "Nimbrel: Local weather: read only  ICAO=LFPG"},
      {"--signature=0", "Nimbrel: No advanced weather interface! Local weather: read only  ICAO=LFPG"},
      {"--signature=FADE --mode=1", "Nimbrel: Global weather: read/write"},
  };
  for (const Case& k : cases) {
    REQUIRE(e2e::SendDevsimControl(c.sim.window, k.control));
    CHECK(c.app.WaitForCaption(k.caption, kOneTick));
  }
}

E2E_TEST(Ventrel, MissingInterfaceGraysTheWeatherCommands) {
  Connected c;
  CHECK(AllGrayed(c.app.window, kWeatherCommands, false));
  REQUIRE(e2e::SendDevsimControl(c.sim.window, "--signature=0"));
  CHECK(e2e::WaitUntil([&] { return AllGrayed(c.app.window, kWeatherCommands, true); }, kOneTick));
  CHECK(AllGrayed(c.app.window, {kLoadAndShow}, false));
  CheckRows(c.app.panes[4], kRichRows[4]);
  REQUIRE(e2e::SendDevsimControl(c.sim.window, "--signature=FADE"));
  CHECK(e2e::WaitUntil([&] { return AllGrayed(c.app.window, kWeatherCommands, false); }, kOneTick));
}

E2E_TEST(Ventrel, NoticesTheSimulatorGoingAndComingBack) {
  Connected c;
  c.sim.Close();
  CHECK(c.app.WaitForCaption(kNotConnected, kOneTick));
  CHECK(AllGrayed(c.app.window, {kDisconnect}, true));
  CHECK(AllGrayed(c.app.window, {kConnect, kLoadAndShow}, false));
  CHECK(AllGrayed(c.app.window, kWeatherCommands, true));
  CheckRows(c.app.panes[0], kRichRows[0]);  // the panes keep their last contents

  DevsimRun again;
  REQUIRE(again.Start("--mode=2"));
  CHECK(c.app.WaitForCaption("Nimbrel: Local weather: not available", kOneTick));
  CHECK(AllGrayed(c.app.window, {kConnect}, true));
  CHECK(AllGrayed(c.app.window, kWeatherCommands, false));
}

E2E_TEST(Ventrel, ARestartedSimulatorIsTakenInOneTick) {
  Connected c;
  // The old window goes and a new one is there before the next tick looks.
  DevsimRun second;
  c.sim.Close();
  REQUIRE(second.Start("--mode=3 --icao=EDDF"));
  CHECK(c.app.WaitForCaption("Nimbrel: Local weather: read only  ICAO=EDDF", kOneTick));
}

E2E_TEST(Ventrel, DisconnectConnectAndAutoConnect) {
  Connected c;
  c.app.Command(kDisconnect);
  CHECK(c.app.WaitForCaption(kNotConnected, kOneTick));
  CHECK(!e2e::MenuChecked(c.app.window, kAutoConnect));
  CHECK(AllGrayed(c.app.window, {kDisconnect}, true));
  CHECK(AllGrayed(c.app.window, {kConnect}, false));
  Sleep(1500);  // stays disconnected while the simulator is there
  CHECK_EQ(c.app.Caption(), std::string(kNotConnected));

  c.app.Command(kConnect);
  CHECK(c.app.WaitForCaption(kGlobal, kOneTick));
  CHECK(!e2e::MenuChecked(c.app.window, kAutoConnect));
  CHECK(AllGrayed(c.app.window, {kConnect}, true));

  c.app.Command(kAutoConnect);  // on
  CHECK(e2e::MenuChecked(c.app.window, kAutoConnect));
  CHECK_EQ(c.app.Caption(), std::string(kGlobal));
  c.app.Command(kAutoConnect);  // off: dropped at the next tick
  CHECK(c.app.WaitForCaption(kNotConnected, kOneTick));
  CHECK(!e2e::MenuChecked(c.app.window, kAutoConnect));
  c.app.Command(kAutoConnect);  // on again: connects
  CHECK(c.app.WaitForCaption(kGlobal, kOneTick));
}

E2E_TEST(Ventrel, WithoutAutoRefreshPanesChangeOnlyOnRefresh) {
  Connected c;
  c.app.CommandNow(kAutoRefresh);
  CHECK(!e2e::MenuChecked(c.app.window, kAutoRefresh));
  Sleep(2500);  // timer 1011 refreshes until its first success, then gives way to 1012
  const std::string changed = e2e::WriteTestFile("one-cloud.txt", "cloud upper=1000 lower=500\n");
  REQUIRE(e2e::SendDevsimControl(c.sim.window, ("\"--weather=" + changed + "\"").c_str()));
  Sleep(2500);  // more than a 2 s tick
  CheckRows(c.app.panes[4], kRichRows[4]);
  c.app.CommandNow(kRefresh);
  CHECK_EQ(e2e::LvRowCount(c.app.panes[4]), 2);
  CHECK_EQ(e2e::LvCell(c.app.panes[4], 0, 1), std::string("1640ft"));

  c.app.CommandNow(kAutoRefresh);
  CHECK(e2e::MenuChecked(c.app.window, kAutoRefresh));
  const std::string rich = e2e::WriteTestFile("rich-again.txt", kRichWeather);
  REQUIRE(e2e::SendDevsimControl(c.sim.window, ("\"--weather=" + rich + "\"").c_str()));
  CHECK(e2e::WaitUntil([&] { return PaneRowsAre(c.app.panes[4], kRichRows[4]); }, kOneTick));
}

E2E_TEST(Ventrel, OneChangedByteRefillsOnlyItsPane) {
  Connected c;
  HWND winds = c.app.panes[3];
  HWND clouds = c.app.panes[4];
  REQUIRE(e2e::ListSetItemState(winds, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
  REQUIRE(e2e::ListSetItemState(clouds, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
  Sleep(1500);  // unchanged refreshes keep both selections
  CHECK_EQ(e2e::ListItemState(winds, 2, LVIS_SELECTED), UINT(LVIS_SELECTED));
  CHECK_EQ(e2e::ListItemState(clouds, 1, LVIS_SELECTED), UINT(LVIS_SELECTED));

  std::string text = kRichWeather;
  text.replace(text.find("cover=3"), 7, "cover=4");
  const std::string path = e2e::WriteTestFile("cover.txt", text);
  REQUIRE(e2e::SendDevsimControl(c.sim.window, ("\"--weather=" + path + "\"").c_str()));
  CHECK(e2e::WaitUntil([&] { return e2e::LvCell(clouds, 1, 4) == "4/8"; }, kOneTick));
  CHECK_EQ(e2e::ListItemState(clouds, 1, LVIS_SELECTED), 0u);
  CHECK_EQ(e2e::ListItemState(winds, 2, LVIS_SELECTED), UINT(LVIS_SELECTED));
}

E2E_TEST(Ventrel, ClearAllReachesTheSimulator) {
  Connected c;
  c.app.CommandNow(kClearAll);
  c.app.CommandNow(kClearClouds);
  const std::string log = c.sim.Log();
  CHECK(log.find("  W 00050000 0\n") != std::string::npos);
  CHECK(log.find("  W 00550000 0\n") != std::string::npos);
}

E2E_TEST(Ventrel, TabCyclesThroughTheEditablePanes) {
  Connected c;
  const int order[] = {1, 0, 2, 4, 3, 1};
  for (int i = 0; i + 1 < 6; ++i) {
    REQUIRE(e2e::WaitUntil([&] { return e2e::FocusOfThread(c.app.window) == c.app.panes[order[i]]; },
                           2000));
    PostMessageA(c.app.panes[order[i]], WM_KEYDOWN, VK_TAB, 0);
    CHECK(e2e::WaitUntil(
        [&] { return e2e::FocusOfThread(c.app.window) == c.app.panes[order[i + 1]]; }, 2000));
  }
}

E2E_TEST(Ventrel, AClickRightOfTheColumnsSelectsTheRow) {
  Connected c;
  HWND temperature = c.app.panes[2];
  const RECT row = e2e::ListItemRect(temperature, 1);
  RECT client;
  GetClientRect(temperature, &client);
  const LPARAM at = MAKELPARAM(client.right - 4, (row.top + row.bottom) / 2);
  PostMessageA(temperature, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(temperature, WM_LBUTTONUP, 0, at);
  CHECK(e2e::WaitUntil([&] { return e2e::ListItemState(temperature, 1, LVIS_SELECTED) != 0; }, 2000));
  CHECK(e2e::WaitUntil([&] { return e2e::FocusOfThread(c.app.window) == temperature; }, 2000));
  Sleep(1500);  // refreshes keep the current pane and its row
  CHECK(e2e::ListItemState(temperature, 1, LVIS_SELECTED) != 0);
  CHECK_EQ(e2e::FocusOfThread(c.app.window), temperature);
}

E2E_TEST(Ventrel, PlacementIsStoredAtCloseAndRestored) {
  e2e::ForgetVentrelSettings();
  {
    VentrelRun app;
    REQUIRE(app.Start());
    SetWindowPos(app.window, nullptr, -20, 50, 700, 500, SWP_NOZORDER);
    REQUIRE(app.Close());
  }
  const std::string ini = e2e::ReadTextFile(e2e::VentrelIniPath());
  CHECK(ini.find("[Settings]") != std::string::npos);
  CHECK(ini.find("MainWindow=[-20,50,700,500]") != std::string::npos);
  {
    VentrelRun app;
    REQUIRE(app.Start());
    CHECK(e2e::WaitUntil([&] {
      RECT r;
      GetWindowRect(app.window, &r);
      return r.left == -20 && r.top == 50 && r.right == 680 && r.bottom == 550;
    }, 3000));
    ShowWindow(app.window, SW_MAXIMIZE);
    Sleep(300);
    REQUIRE(app.Close());
  }
  // Closed maximised: the stored placement stays as it was.
  CHECK(e2e::ReadTextFile(e2e::VentrelIniPath()).find("MainWindow=[-20,50,700,500]") !=
        std::string::npos);

  // Too wide for the screen: refused, the default size stays.
  WritePrivateProfileStringA("Settings", "MainWindow", "[500,50,905,594]", "Ventrel.ini");
  VentrelRun app;
  REQUIRE(app.Start());
  Sleep(500);
  RECT r;
  GetWindowRect(app.window, &r);
  CHECK(r.left != 500);
  CHECK_EQ(r.right - r.left, 905);
}

void SetInstalledTo(const char* key, const std::string* value) {
  HKEY handle;
  REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &handle,
                          nullptr) == ERROR_SUCCESS);
  if (value)
    RegSetValueExA(handle, "InstalledTo", 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   DWORD(value->size() + 1));
  RegCloseKey(handle);
}

E2E_TEST(Ventrel, SimulatorFolderSkipsKeysWithoutTheValue) {
  e2e::ForgetVentrelSettings();
  const std::string folder = e2e::TestFolder() + "sim";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\Weather").c_str(), nullptr);
  char marker[64];
  std::snprintf(marker, sizeof marker, "airports-%lu-%lu", GetTickCount(), GetCurrentProcessId());
  {
    FILE* f = std::fopen((folder + "\\Weather\\ICAO POS.BIN").c_str(), "wb");
    REQUIRE(f != nullptr);
    std::fputs(marker, f);
    std::fclose(f);
  }
  SetInstalledTo("SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0", nullptr);
  SetInstalledTo("SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1", &folder);
  {
    VentrelRun app;
    REQUIRE(app.Start());
    CHECK(e2e::ProcessMemoryContains(app.process.Id(), marker));
    CHECK(e2e::ProcessMemoryContains(app.process.Id(), folder + "\\Pilots"));
  }
  // A value too long for the folder buffer is passed over; one that fills it (258 characters
  // and the terminator) still gets "\Pilots" and the airport file name behind it.
  const std::string tooLong(300, 'x');
  const std::string full = "C:\\" + std::string(255, 'y');
  SetInstalledTo("SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0", &tooLong);
  SetInstalledTo("SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1", &full);
  {
    VentrelRun app;
    REQUIRE(app.Start());
    CHECK(app.WaitForCaption(kNotConnected, 3000));
    CHECK(e2e::ProcessMemoryContains(app.process.Id(), full + "\\Pilots"));
    CHECK(app.Close());
  }
  e2e::ForgetVentrelSettings();
}

}  // namespace
