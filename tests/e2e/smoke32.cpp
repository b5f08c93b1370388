// A short run of the programs as pilots install them: devsim, Ventrel and Palvio built for
// i686, started and read as the other end-to-end tests do, with waits long enough for a
// 32-bit Wine under user-mode emulation. scripts/e2e32 runs it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "link/request_block.h"
#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "tests/e2e/ventrel_driver.h"
#include "weather/files/wx_file.h"

namespace {

constexpr unsigned kStartMs = 180000;  // a first start translates every DLL it loads
constexpr unsigned kSettleMs = 60000;
constexpr int kExit = 101;  // "E&xit" in both programs
constexpr int kAutoRefresh = 105;

const char kNotConnected[] = "Nimbrel: Not connected to Korvel";
const char kGlobal[] = "Nimbrel: Global weather: read/write";

const char kWeather[] =
    "visibility upper=914 lower=0 range=0\n"
    "visibility upper=3048 lower=914 range=100\n"
    "pressure qnh=16211 drift=-16\n"
    "temperature altitude=0 day=15 variation=20 dew=-10\n"
    "temperature altitude=3048 day=-10 variation=0 dew=-20\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "cloud upper=3048 lower=914 deviation=100 cover=8 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n";

// Pane index, rows (insertion row last) as devsim holds kWeather.
const struct {
  int pane;
  std::vector<std::string> rows;
} kPaneRows[] = {
    {0, {"  0 |0ft|2999ft|0.0sm (0m)", "  1 |2999ft|10000ft|1.0sm (1609m)", "  2 |||"}},
    {1, {"  0 |1013.2mb (29.92\")|-1.0mb", "  1 ||"}},
    {2, {"  0 |0ft|15C (59F)|20C (36F)|-10C (15F)", "  1 |10000ft|-10C (15F)|0C (0F)|-20C (-3F)",
         "  2 ||||"}},
    {3, {"  0 |1969ft|20kn|90T|25kn|1|0", "  1 ||||||"}},
    {4, {"  0 |2999ft|10000ft|328ft|8/8|9|2|1|Rain|3|984ft", "  1 ||||||||||"}},
};

// Polled slowly: every read of another process's list is a round of cross-process calls,
// each of them emulated.
template <typename Condition>
bool WaitSlowly(Condition condition, unsigned timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(250);
  }
}

bool StartDevsim(e2e::DevsimRun& sim, const std::string& switches) {
  sim.logPath = e2e::TestFolder() + "devsim.log";
  const std::string command = "\"" + e2e::ExeFolder() + "devsim.exe\" \"--log=" + sim.logPath +
                              "\" " + switches;
  return (sim.window = e2e::StartWithWindow(sim.process, command, "FS98MAIN", nullptr,
                                            kStartMs)) != nullptr;
}

bool StartVentrel(e2e::VentrelRun& app, const std::string& arguments) {
  std::string command = "\"" + e2e::ExeFolder() + "Ventrel.exe\"";
  if (!arguments.empty()) command += " " + arguments;
  if (!(app.window = e2e::StartWithWindow(app.process, command, "Ventrel", nullptr, kStartMs)))
    return false;
  return WaitSlowly([&] { return (app.panes = e2e::FindPanes(app.window))[e2e::kPanes - 1]; },
                    kSettleMs);
}

// Exit through the menu, as a user closes it; the code it ended with, or STILL_ACTIVE.
DWORD ExitThroughMenu(e2e::Process& process, HWND window) {
  PostMessageA(window, WM_COMMAND, kExit, 0);
  process.Wait(kSettleMs);
  return process.ExitCode();
}

void CloseDevsim(e2e::DevsimRun& sim) {
  PostMessageA(sim.window, WM_CLOSE, 0, 0);
  sim.process.Wait(kSettleMs);
  sim.Close();
}

void PutF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(p, bits);
}

// Global weather at 1013.2 mb with one wind layer up to 1000 m, then station 419 at 1000.0 mb.
std::string WriteWxFile(const char* name) {
  std::vector<uint8_t> file;
  const struct {
    int32_t station;
    float qnh;
  } entries[] = {{-1, 1013.2f}, {419, 1000.0f}};
  for (const auto& e : entries) {
    WxEntryHeader header;
    header.stationIndex = e.station;
    std::vector<uint8_t> bytes(kWxEmptyEntrySize, 0);
    EncodeWxHeader(bytes.data(), header);
    PutF32(&bytes[kWxHeaderSize], 1000.0f);     // upper altitude, metres
    PutF32(&bytes[kWxHeaderSize + 4], 10.0f);   // speed, knots
    PutF32(&bytes[kWxHeaderSize + 12], 90.0f);  // direction, degrees
    PutF32(&bytes[kWxHeaderSize + kWxWindSize + 4], e.qnh);
    file.insert(file.end(), bytes.begin(), bytes.end());
  }
  const std::string path = e2e::TestFolder() + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  return path;
}

E2E_TEST(Smoke32, VentrelConnectsAndShowsThePanes) {
  e2e::ForgetVentrelSettings();
  e2e::DevsimRun sim;
  REQUIRE(StartDevsim(sim, "\"--weather=" + e2e::WriteTestFile("weather.txt", kWeather) + "\""));
  e2e::VentrelRun app;
  REQUIRE(StartVentrel(app, ""));
  CHECK(WaitSlowly([&] { return app.Caption() == kGlobal; }, kSettleMs));
  CHECK_EQ(app.Caption(), std::string(kGlobal));
  for (const auto& expected : kPaneRows) {
    std::vector<std::string> rows;
    WaitSlowly([&] { return (rows = e2e::ListRows(app.panes[expected.pane])) == expected.rows; },
               kSettleMs);
    CHECK_EQ(rows.size(), expected.rows.size());
    for (size_t r = 0; r < rows.size() && r < expected.rows.size(); ++r)
      CHECK_EQ(rows[r], expected.rows[r]);
  }
  CHECK_EQ(ExitThroughMenu(app.process, app.window), DWORD(0));
  CloseDevsim(sim);
}

E2E_TEST(Smoke32, VentrelShowsAWxFileFromItsCommandLine) {
  e2e::ForgetVentrelSettings();
  REQUIRE(e2e::FindTopWindow("FS98MAIN", nullptr) == nullptr);
  const std::string path = WriteWxFile("start up.wx");
  e2e::VentrelRun app;
  REQUIRE(StartVentrel(app, "\"" + path + "\""));
  const std::string caption = std::string(kNotConnected) + ": Showing .WX at index=0";
  CHECK(WaitSlowly([&] { return app.Caption() == caption; }, kSettleMs));
  CHECK_EQ(app.Caption(), caption);
  CHECK_EQ(e2e::LvCell(app.panes[1], 0, 1), std::string("1013.2mb (29.92\")"));
  CHECK_EQ(e2e::LvCell(app.panes[3], 0, 1), std::string("3281ft"));
  CHECK_EQ(ExitThroughMenu(app.process, app.window), DWORD(0));
}

E2E_TEST(Smoke32, PalvioListsTheTraffic) {
  e2e::DevsimRun sim;
  REQUIRE(StartDevsim(sim, ""));
  e2e::PalvioRun palvio;
  REQUIRE((palvio.window = e2e::StartWithWindow(palvio.process,
                                                "\"" + e2e::ExeFolder() + "Palvio.exe\"",
                                                "Palvio", "Rennavik", kStartMs)) != nullptr);
  HWND list = nullptr;
  REQUIRE(WaitSlowly([&] { return (list = palvio.List()) && !e2e::LvCell(list, 0, 1).empty(); },
                     kSettleMs));
  DWORD_PTR result = 0;
  SendMessageTimeoutA(palvio.window, WM_COMMAND, kAutoRefresh, 0, SMTO_BLOCK, kSettleMs, &result);

  DevsimModule scenario;
  CHECK_EQ(e2e::LvRowCount(list), scenario.Traffic().SlotCount());
  const std::vector<std::string> ids = palvio.Column(1);
  CHECK_EQ(int(ids.size() - std::count(ids.begin(), ids.end(), "")),
           scenario.Traffic().AircraftCount());
  // Nearest first: the distances of the occupied rows never fall.
  const std::vector<std::string> distances = palvio.Column(2);
  for (size_t row = 1; row < ids.size() && !ids[row].empty(); ++row)
    CHECK(std::atof(distances[row].c_str()) >= std::atof(distances[row - 1].c_str()));
  CHECK_EQ(ExitThroughMenu(palvio.process, palvio.window), DWORD(0));
  palvio.window = nullptr;
  CloseDevsim(sim);
}

}  // namespace
