// Opens the windows the user guide shows, one after the other, for scripts/demo screenshots.
//   screenshot_driver FOLDER [advisories|transitions|live]    (only those pictures)
// For each picture it prints "shot NAME LEFT TOP WIDTH HEIGHT" (the window's rectangle on the
// desktop) and waits until the script has taken it and made the file FOLDER\NAME.done. Ends
// with "done", or with "failed: ..." on stderr and exit code 1.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "tests/e2e/live_data.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : int {
  kAbout = 103,
  kExit = 101,
  kAltFeet = 1101,
  kFindAirport = 40011,
  kAltitudeField = 1000,
  kAtVisibility = 1002,
  kIcaoField = 1040,
  kClearClouds = 40002,
  kLoadMetar = 41001,
  kMetarText = 41101,
  kMetarGroups = 41105,
  kWeatherProfile = 42000,
  kScope = 42500,
  kTransitions = 44003,
  kLiveWeather = 45001,
  kLiveBlend = 45114,
};
constexpr int kCloudPane = 4;

constexpr unsigned kWait = 15000;  // Wine is slow to start a program the first time

std::string handshakeFolder;

struct Failure {
  std::string what;
};

void Require(bool condition, const char* what) {
  if (!condition) throw Failure{what};
}

// Let the window paint, announce it, and wait for the script's picture.
void Shot(const char* name, HWND window) {
  Sleep(700);
  RECT r = {};
  Require(GetWindowRect(window, &r) != FALSE, "no window rectangle");
  const std::string done = handshakeFolder + name + ".done";
  DeleteFileA(done.c_str());
  std::printf("shot %s %ld %ld %ld %ld\n", name, long(r.left), long(r.top), long(r.right - r.left),
              long(r.bottom - r.top));
  std::fflush(stdout);
  Require(e2e::WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; },
                         60000),
          "the script took no picture");
}

// Keys as the keyboard would press them, into the window in the foreground: down in order,
// then up in reverse.
void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (bool up : {false, true})
    for (size_t i = 0; i < keys.size(); ++i) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = up ? keys.begin()[keys.size() - 1 - i] : keys.begin()[i];
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      inputs.push_back(input);
    }
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND WaitForDialog(DWORD process, const char* caption) {
  HWND dialog = e2e::WaitForWindow("#32770", caption, kWait, process);
  Require(dialog != nullptr, caption);
  Require(e2e::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, kWait), caption);
  return dialog;
}

using e2e::Click;
using e2e::FieldText;

void CloseDialog(HWND dialog, int button) {
  Click(dialog, button);
  Require(e2e::WaitUntil([&] { return !IsWindow(dialog); }, kWait), "a dialog stayed open");
}

// The main window at the desktop's top left, as big as on a first start.
void PlaceVentrelAtTopLeft() {
  e2e::ForgetVentrelSettings();
  WritePrivateProfileStringA("Settings", "MainWindow", "[0,0,905,594]", "Ventrel.ini");
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// .WX entries and the airport file, little-endian as the simulator writes them.
class Bytes {
 public:
  Bytes& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
    return *this;
  }
  Bytes& F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return U32(bits);
  }
  Bytes& Text4(const char* code) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(code[i]));
    return *this;
  }
  void Append(const Bytes& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
  }
  const std::vector<uint8_t>& Get() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// One entry: two winds, two visibility layers, two clouds, two temperatures, the pressure.
// Metres, knots, degrees and millibars; `shift` varies the weather from station to station.
Bytes WxEntry(int32_t station, float qnh, float shift) {
  Bytes e;
  e.U32(1).U32(2).U32(2).U32(2).U32(0).U32(uint32_t(station)).U32(0);
  // winds: upper, speed, gust, direction, -, turbulence, shear
  e.F32(900).F32(12 + shift).F32(20 + shift).F32(240).U32(0).U32(1).U32(0);
  e.F32(6000).F32(35 + shift).F32(0).F32(260).U32(0).U32(0).U32(1);
  // visibility: range, lower, upper
  e.F32(8000 - 500 * shift).F32(0).F32(1500);
  e.F32(30000).F32(1500).F32(12000);
  // clouds: type, lower, upper, deviation, cover, -, turbulence, precip type, base, rate, icing
  e.U32(9).F32(600 + 50 * shift).F32(1800).F32(100).U32(6).U32(0).U32(2).U32(1).F32(300).U32(2).U32(1);
  e.U32(1).F32(6500).F32(7200).F32(0).U32(3).U32(0).U32(0).U32(0).F32(0).U32(0).U32(0);
  // temperatures: altitude, day, day/night variation, dew point
  e.F32(0).F32(14 - shift).F32(6).F32(9 - shift);
  e.F32(6000).F32(-24).F32(2).F32(-30);
  e.U32(0).F32(qnh).F32(0);
  return e;
}

// The global weather, then EGLL (airport record 419) and KJFK (500).
std::string WriteStationsWx() {
  Bytes file;
  file.Append(WxEntry(-1, 1013.2f, 0));
  file.Append(WxEntry(419, 1008.0f, 2));
  file.Append(WxEntry(500, 1021.5f, 4));
  const std::string path = e2e::TestFolder() + "stations.wx";
  Require(WriteBytes(path, file.Get()), "cannot write the .WX file");
  return path;
}

// "Weather\ICAO POS.BIN" under a simulator folder named in the registry, as the simulator
// installs it: record 0 unused, then 16 bytes per airport.
void InstallAirportFile() {
  const std::string folder = e2e::TestFolder() + "sim";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\Weather").c_str(), nullptr);
  Bytes table;
  for (int record = 0; record < 600; ++record) {
    if (record == 419)
      table.Text4("EGLL").F32(51.4775f).F32(-0.4614f).F32(25.0f);
    else if (record == 500)
      table.Text4("KJFK").F32(40.6398f).F32(-73.7789f).F32(4.0f);
    else
      table.U32(0).U32(0).U32(0).U32(0);
  }
  Require(WriteBytes(folder + "\\Weather\\ICAO POS.BIN", table.Get()), "cannot write the airports");
  HKEY key;
  Require(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                          "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0", 0, nullptr,
                          0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr) == ERROR_SUCCESS,
          "cannot write the registry");
  RegSetValueExA(key, "InstalledTo", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 DWORD(folder.size() + 1));
  RegCloseKey(key);
}

void PressOnRow(HWND pane, int row, WPARAM key) {
  e2e::ListSetItemState(pane, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  PostMessageA(pane, WM_KEYDOWN, key, 0);
}

void VentrelPictures() {
  DevsimRun sim;
  Require(sim.Start("--mode=3 --icao=EGLL"), "devsim did not start");
  PlaceVentrelAtTopLeft();
  VentrelRun app;
  Require(app.Start(), "Ventrel did not start");
  Require(e2e::WaitUntil([&] { return app.Caption().find("Korvel") == std::string::npos &&
                                      e2e::LvRowCount(app.panes[kCloudPane]) > 1; },
                         kWait),
          "Ventrel did not connect");
  SetForegroundWindow(app.window);
  Shot("ventrel-main", app.window);

  app.Command(kWeatherProfile);
  HWND profile = e2e::WaitForWindow("VentrelProfile", nullptr, kWait, app.process.Id());
  Require(profile != nullptr, "no weather profile window");
  SetWindowPos(profile, HWND_TOP, 0, 0, 760, 600, SWP_SHOWWINDOW);
  Shot("ventrel-profile", profile);
  PostMessageA(profile, WM_CLOSE, 0, 0);
  Require(e2e::WaitUntil([&] { return !IsWindow(profile); }, kWait), "the profile stayed open");

  PressOnRow(app.panes[kCloudPane], 1, VK_RETURN);
  HWND edit = WaitForDialog(app.process.Id(), "Edit Cloud Layer");
  Shot("ventrel-edit-cloud", edit);
  CloseDialog(edit, IDCANCEL);

  app.Command(kAltFeet);
  HWND atAltitude = WaitForDialog(app.process.Id(), "Get weather data for altitude");
  SendMessageA(GetDlgItem(atAltitude, kAltitudeField), WM_SETTEXT, 0, LPARAM("5000"));
  PostMessageA(GetDlgItem(atAltitude, kAltitudeField), WM_KEYDOWN, VK_RETURN, 0);
  Require(e2e::WaitUntil([&] { return !FieldText(atAltitude, kAtVisibility).empty(); }, kWait),
          "the weather at 5000 ft did not come");
  Shot("ventrel-at-altitude", atAltitude);
  CloseDialog(atAltitude, IDCANCEL);

  app.Command(kAbout);
  HWND about = WaitForDialog(app.process.Id(), "Ventrel");
  Shot("ventrel-about", about);
  CloseDialog(about, IDOK);

  // The Edit menu open, after a change it can undo (the last picture of Ventrel: it clears).
  app.Command(kClearClouds);
  Require(e2e::WaitUntil([&] { return e2e::LvRowCount(app.panes[kCloudPane]) == 1; }, kWait),
          "the clouds were not cleared");
  SetForegroundWindow(app.window);
  PressKeys({VK_MENU, 'E'});
  Shot("ventrel-edit-menu", app.window);
  PressKeys({VK_ESCAPE});
  PressKeys({VK_ESCAPE});
  Require(app.Close(), "Ventrel did not close");

  // Palvio beside the same simulator, moved onto the 1024 x 768 desktop.
  e2e::Process palvio;
  Require(palvio.Start("\"" + e2e::ExeFolder() + "Palvio.exe\""), "Palvio did not start");
  HWND traffic = e2e::WaitForWindow("Palvio", nullptr, kWait, palvio.Id());
  Require(traffic != nullptr, "no Palvio window");
  SetWindowPos(traffic, HWND_TOP, 0, 0, 995, 520, SWP_SHOWWINDOW);
  HWND list = nullptr;
  Require(e2e::WaitUntil([&] { return (list = e2e::LvFindChild(traffic)) != nullptr &&
                                      e2e::LvRowCount(list) > 0 &&
                                      !e2e::LvCell(list, 0, 1).empty(); },
                         kWait),
          "Palvio showed no traffic");
  Shot("palvio-main", traffic);

  // The scope at 80 nm, the nearest aircraft selected in the list.
  PostMessageA(traffic, WM_COMMAND, kScope, 0);
  HWND scope = e2e::WaitForWindow("PalvioScope", nullptr, kWait, palvio.Id());
  Require(scope != nullptr, "no scope window");
  SetWindowPos(scope, HWND_TOP, 0, 0, 620, 640, SWP_SHOWWINDOW);
  PostMessageA(scope, WM_KEYDOWN, VK_ADD, 0);
  PostMessageA(scope, WM_KEYDOWN, VK_ADD, 0);
  e2e::ListSetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Shot("palvio-scope", scope);
  PostMessageA(traffic, WM_COMMAND, kExit, 0);
  palvio.Wait(5000);
}

// A head-on encounter with advisories on: the scope at 10 nm while the TA lasts, then the list
// scrolled to its class columns.
void AdvisoryPictures() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string ini = std::string(windows) + "\\Palvio.ini";
  DeleteFileA(ini.c_str());
  WritePrivateProfileStringA("Settings", "Advisories", "1", "Palvio.ini");
  WritePrivateProfileStringA("Settings", "Mute", "1", "Palvio.ini");
  DevsimRun sim;
  Require(sim.Start(), "devsim did not start");
  e2e::Process palvio;
  Require(palvio.Start("\"" + e2e::ExeFolder() + "Palvio.exe\""), "Palvio did not start");
  HWND traffic = e2e::WaitForWindow("Palvio", nullptr, kWait, palvio.Id());
  Require(traffic != nullptr, "no Palvio window");
  SetWindowPos(traffic, HWND_TOP, 0, 0, 995, 300, SWP_SHOWWINDOW);
  HWND list = nullptr;
  Require(e2e::WaitUntil([&] { return (list = e2e::LvFindChild(traffic)) != nullptr &&
                                      !e2e::LvCell(list, 0, 1).empty(); },
                         kWait),
          "Palvio showed no traffic");
  PostMessageA(traffic, WM_COMMAND, kScope, 0);
  HWND scope = e2e::WaitForWindow("PalvioScope", nullptr, kWait, palvio.Id());
  Require(scope != nullptr, "no scope window");
  SetWindowPos(scope, HWND_TOP, 0, 0, 560, 600, SWP_SHOWWINDOW);
  PostMessageA(scope, WM_KEYDOWN, VK_SUBTRACT, 0);  // 10 nm
  Require(e2e::SendDevsimControl(sim.window, "--encounter=head-on"), "no encounter");
  auto caption = [&] {
    char text[64] = "";
    GetWindowTextA(traffic, text, sizeof text);
    return std::string(text);
  };
  Require(e2e::WaitUntil([&] { return caption().rfind("TRAFFIC", 0) == 0; }, 40000),
          "no traffic advisory");
  Sleep(4000);  // well inside: about 36 s before the closest approach
  Shot("palvio-advisory", scope);
  SetWindowPos(traffic, HWND_TOP, 0, 0, 995, 300, SWP_SHOWWINDOW);
  SetForegroundWindow(traffic);
  SendMessageA(list, LVM_SCROLL, 400, 0);
  Shot("palvio-advisory-list", traffic);
  PostMessageA(traffic, WM_COMMAND, kExit, 0);
  palvio.Wait(5000);
  DeleteFileA(ini.c_str());
}

// Without a simulator: a .WX file of station entries named on the command line is shown, and
// the airport search jumps to EGLL's entry.
void AirportPictures() {
  const std::string wx = WriteStationsWx();
  PlaceVentrelAtTopLeft();
  InstallAirportFile();  // ForgetVentrelSettings removed the registry key
  VentrelRun app;
  Require(app.Start("\"" + wx + "\""), "Ventrel did not start");
  Require(app.WaitForCaption("Nimbrel: Not connected to Korvel: Showing .WX at index=0", kWait),
          "the .WX file was not shown");
  app.Command(kFindAirport);
  HWND search = WaitForDialog(app.process.Id(), "Search .WX file for Airport");
  SendMessageA(GetDlgItem(search, kIcaoField), WM_SETTEXT, 0, LPARAM("EGLL"));
  PostMessageA(GetDlgItem(search, kIcaoField), WM_KEYDOWN, VK_RETURN, 0);
  Require(e2e::WaitUntil([&] { return app.Caption().find("ICAO=EGLL") != std::string::npos; },
                         kWait),
          "the search did not find EGLL");
  Shot("ventrel-find-airport", app.window);
  CloseDialog(search, IDCANCEL);

  // A pasted report, decoded group by group; the airport file gives EGLL's elevation.
  app.Command(kLoadMetar);
  HWND metar = WaitForDialog(app.process.Id(), "Load METAR");
  SendMessageA(GetDlgItem(metar, kMetarText), WM_SETTEXT, 0,
               LPARAM("METAR EGLL 081250Z 24015G25KT 210V270 4000 -SHRA FEW010 BKN040TCU 12/08 "
                      "Q1013 NOSIG"));
  Require(e2e::WaitUntil([&] {
    return SendMessageA(GetDlgItem(metar, kMetarGroups), LB_GETCOUNT, 0, 0) == 12;
  }, kWait), "the report was not decoded");
  Shot("ventrel-metar", metar);
  CloseDialog(metar, IDCANCEL);
  app.Close();
}

// Transitions on: the start-up file is the target, and the profile shows its clouds faintly
// beside those in force, a few steps into the change; then the "Transitions" dialog.
void TransitionPictures() {
  PlaceVentrelAtTopLeft();
  WritePrivateProfileStringA("Settings", "Transitions", "1", "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "TransitionCommands", "7", "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "TransitionCloudMetres", "60", "Ventrel.ini");
  const std::string weather = e2e::WriteTestFile(
      "transition-start.txt",
      "pressure qnh=16000 drift=0\n"
      "wind upper=900 speed=8 gust=0 direction=49152 turbulence=0 shear=0\n"
      "wind upper=5000 speed=25 gust=0 direction=53248 turbulence=1 shear=0\n"
      "temperature altitude=0 day=14 variation=5 dew=9\n"
      "cloud upper=1200 lower=700 deviation=50 cover=5 type=8 turbulence=0 icing=0 "
      "precipbase=0 preciptype=0 preciprate=0\n");
  // The deck lifts and thickens, a cirrus layer appears, the wind backs and strengthens.
  auto words = [](std::initializer_list<int> list) {
    std::vector<uint8_t> out;
    for (int w : list) {
      out.push_back(uint8_t(w & 0xFF));
      out.push_back(uint8_t((w >> 8) & 0xFF));
    }
    return out;
  };
  std::vector<uint8_t> vtd;
  auto block = [&](int table, const std::vector<uint8_t>& bytes) {
    const std::vector<uint8_t> tag = words({table * 0x1111, int(bytes.size())});
    vtd.insert(vtd.end(), tag.begin(), tag.end());
    vtd.insert(vtd.end(), bytes.begin(), bytes.end());
  };
  block(2, words({8, 0, 16240, 0}));
  block(3, words({12, 0, 0, 10, 5, 8}));
  std::vector<uint8_t> winds = words({16, 1, 900, 20, 28, 40960, 1, 0});
  const std::vector<uint8_t> upper = words({16, 0, 5000, 45, 0, 45056, 2, 1});
  winds.insert(winds.end(), upper.begin(), upper.end());
  block(4, winds);
  std::vector<uint8_t> clouds = words({24, 1, 2600, 1500, 100, 7, 8, 1, 0, 1000, 1, 2});
  const std::vector<uint8_t> cirrus = words({24, 0, 9000, 8000, 0, 2, 1, 0, 0, 0, 0, 0});
  clouds.insert(clouds.end(), cirrus.begin(), cirrus.end());
  block(5, clouds);
  const std::string target = e2e::TestFolder() + "front.vtd";
  Require(WriteBytes(target, vtd), "cannot write the target file");

  DevsimRun sim;
  Require(sim.Start("\"--weather=" + weather + "\""), "devsim did not start");
  VentrelRun app;
  Require(app.Start("\"" + target + "\""), "Ventrel did not start");
  Require(e2e::WaitUntil([&] { return app.Caption().find("[changing") != std::string::npos; },
                         2 * kWait),
          "the transition did not start");
  app.Command(kWeatherProfile);
  HWND profile = e2e::WaitForWindow("VentrelProfile", nullptr, kWait, app.process.Id());
  Require(profile != nullptr, "no weather profile window");
  SetWindowPos(profile, HWND_TOP, 0, 0, 760, 600, SWP_SHOWWINDOW);
  Sleep(4000);
  Shot("ventrel-transition-profile", profile);
  PostMessageA(profile, WM_CLOSE, 0, 0);
  SetForegroundWindow(app.window);
  Shot("ventrel-transition", app.window);
  app.Command(kTransitions);
  HWND dialog = WaitForDialog(app.process.Id(), "Transitions");
  Sleep(2000);  // a slow machine paints a dialog of thirty controls late
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Shot("ventrel-transitions-dialog", dialog);
  CloseDialog(dialog, IDCANCEL);
  app.Close();
  e2e::ForgetVentrelSettings();
}

// The "Live weather" window following the aircraft over the grid of made-up stations of
// tests/data/live (restamped to the present), with a station of an old report added and one
// the list does not know, so that both lists have something to show.
void LivePictures() {
  PlaceVentrelAtTopLeft();
  std::string reports = e2e::RestampedCopy("grid-reports.txt", "live-reports.txt");
  Require(!reports.empty(), "cannot read the grid's reports");
  SYSTEMTIME now;
  GetSystemTime(&now);
  FILETIME f;
  SystemTimeToFileTime(&now, &f);
  ULARGE_INTEGER t;
  t.LowPart = f.dwLowDateTime;
  t.HighPart = f.dwHighDateTime;
  t.QuadPart -= 200ull * 60 * 10000000ull;  // 3:20 ago
  f.dwLowDateTime = t.LowPart;
  f.dwHighDateTime = t.HighPart;
  SYSTEMTIME old;
  FileTimeToSystemTime(&f, &old);
  char lines[160];
  std::snprintf(lines, sizeof lines,
                "METAR ZQXA %02d%02d%02dZ 21012KT 6000 -RA BKN012 OVC030 09/08 Q1006\n"
                "METAR ZQZZ %02d%02d%02dZ 24008KT 9999 FEW040 12/06 Q1014\n",
                old.wDay, old.wHour, old.wMinute, now.wDay, now.wHour, now.wMinute);
  FILE* file = std::fopen(reports.c_str(), "ab");
  Require(file != nullptr && std::fputs(lines, file) >= 0, "cannot add to the reports");
  std::fclose(file);
  WritePrivateProfileStringA("Settings", "LiveReports", reports.c_str(), "Ventrel.ini");
  const std::string grid = e2e::ReadTextFile(e2e::LiveDataPath("grid-stations.txt"));
  Require(!grid.empty(), "cannot read the grid's stations");
  const std::string stations = e2e::WriteTestFile("live-stations.txt", grid + "ZQXA 45.8 -9.05 120\n");
  WritePrivateProfileStringA("Settings", "LiveStations", stations.c_str(), "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "LiveRadius", "40", "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "LiveFollow", "1", "Ventrel.ini");
  DevsimRun sim;
  Require(sim.Start("--flight=45.6300000,-9.1500000,4500"), "devsim did not start");
  VentrelRun app;
  Require(app.Start(), "Ventrel did not start");
  app.Command(kLiveWeather);
  HWND live = WaitForDialog(app.process.Id(), "Live weather");
  SetWindowPos(live, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(live);
  HWND blend = GetDlgItem(live, kLiveBlend);
  Require(e2e::WaitUntil([&] { return e2e::LvRowCount(blend) >= 3; }, 2 * kWait),
          "no stations in the blend");
  Sleep(1000);
  Shot("ventrel-live-weather", live);
  app.Close();
  e2e::ForgetVentrelSettings();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: screenshot_driver FOLDER [advisories]\n");
    return 2;
  }
  // "screenshot_driver - open-live", for scripts/demo live: opens the running Ventrel's "Live
  // weather" window (menu command 45001), then ends.
  if (argc == 3 && std::string(argv[2]) == "open-live") {
    HWND main = e2e::WaitForWindow("Ventrel", nullptr, 30000);
    if (main) PostMessageA(main, WM_COMMAND, 45001, 0);
    return main && e2e::WaitForWindow("#32770", "Live weather", kWait) ? 0 : 1;
  }
  handshakeFolder = argv[1];
  if (handshakeFolder.back() != '\\') handshakeFolder += '\\';
  try {
    if (argc == 3 && std::string(argv[2]) == "advisories") {
      AdvisoryPictures();
    } else if (argc == 3 && std::string(argv[2]) == "transitions") {
      TransitionPictures();
    } else if (argc == 3 && std::string(argv[2]) == "live") {
      LivePictures();
    } else {
      VentrelPictures();
      AirportPictures();
      TransitionPictures();
      LivePictures();
      AdvisoryPictures();
    }
  } catch (const Failure& failure) {
    std::fprintf(stderr, "failed: %s\n", failure.what.c_str());
    return 1;
  }
  std::printf("done\n");
  std::fflush(stdout);
  return 0;
}
