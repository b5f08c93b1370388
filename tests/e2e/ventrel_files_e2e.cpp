// Ventrel's weather files driven as a user would: the real open and save dialogs, loads into
// devsim and into the panes, .WX browsing, the airport search and the start-up file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link/request_block.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"
#include "weather/files/wx_file.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : UINT { kSaveAs = 40008, kLoadAndSet = 40009, kLoadAndShow = 40010, kFindAirport = 40011 };

const char kNotConnected[] = "Nimbrel: Not connected to Korvel";
const char kSaveTitle[] = "Save Ventrel Data (VTD/WX)";
const char kLoadTitle[] = "Load Ventrel Data (VTD/WX)";
const char kSearchTitle[] = "Search .WX file for Airport";
constexpr unsigned kOneTick = 3000;
constexpr int kEditablePanes = 5;  // winds applied follow from the winds set

const char kRichWeather[] =
    "visibility upper=914 lower=0 range=0\n"
    "visibility upper=3048 lower=914 range=100\n"
    "pressure qnh=16211 drift=-16\n"
    "temperature altitude=0 day=15 variation=20 dew=-10\n"
    "temperature altitude=3048 day=-10 variation=0 dew=-20\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "wind upper=3048 speed=20 gust=30 direction=65535 turbulence=2 shear=3\n"
    "cloud upper=3048 lower=914 deviation=100 cover=8 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n";

// The same without negative values: a .WX file rounds by adding 0.5 and truncating toward
// zero, so a negative value comes back one unit nearer to zero.
const char kPositiveWeather[] =
    "visibility upper=914 lower=0 range=0\n"
    "visibility upper=3048 lower=914 range=100\n"
    "pressure qnh=16211 drift=16\n"
    "temperature altitude=0 day=15 variation=20 dew=10\n"
    "temperature altitude=3048 day=0 variation=0 dew=0\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "wind upper=3048 speed=20 gust=30 direction=65535 turbulence=2 shear=3\n"
    "cloud upper=3048 lower=914 deviation=100 cover=8 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n";

std::string WriteFile(const std::string& path, const void* bytes, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (size) std::fwrite(bytes, 1, size, f);
    std::fclose(f);
  }
  return path;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A path in the test's folder where no file is yet (a run may reuse an earlier folder).
std::string NewPath(const std::string& name) {
  const std::string path = e2e::TestFolder() + name;
  DeleteFileA(path.c_str());
  return path;
}

void PutF32(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(p, bits);
}

// A .WX entry of one wind record and a pressure, told apart by its QNH.
std::vector<uint8_t> WxEntry(int32_t station, float qnh) {
  WxEntryHeader header;
  header.stationIndex = station;
  std::vector<uint8_t> bytes(kWxEmptyEntrySize, 0);
  EncodeWxHeader(bytes.data(), header);
  PutF32(&bytes[kWxHeaderSize], 1000.0f);      // upper altitude, metres
  PutF32(&bytes[kWxHeaderSize + 4], 10.0f);    // speed, knots
  PutF32(&bytes[kWxHeaderSize + 12], 90.0f);   // direction, degrees
  PutF32(&bytes[kWxHeaderSize + kWxWindSize + 4], qnh);
  return bytes;
}

// Global weather at 1013.2 mb, then the stations 419 and 500 at 1000.0 and 990.0 mb.
std::string WriteThreeEntryWx(const char* name) {
  std::vector<uint8_t> file;
  for (const std::vector<uint8_t>& entry :
       {WxEntry(-1, 1013.2f), WxEntry(419, 1000.0f), WxEntry(500, 990.0f)})
    file.insert(file.end(), entry.begin(), entry.end());
  return WriteFile(e2e::TestFolder() + name, file.data(), file.size());
}

std::string PressureCell(const VentrelRun& app) { return e2e::LvCell(app.panes[1], 0, 1); }

// The open or save dialog, owned by Ventrel.
HWND WaitForFileDialog(const VentrelRun& app, const char* title) {
  HWND dialog = e2e::WaitForWindow("#32770", title, 10000, app.process.Id());
  // Found as soon as it exists; typed into only once it has been filled and shown.
  if (dialog && !e2e::WaitUntil([&] { return IsWindowVisible(dialog) &&
                                             GetDlgItem(dialog, 0x47C) != nullptr; },
                                5000))
    return nullptr;
  return dialog;
}

// The selected file type of the dialog: the selected item of its type combo (cmb1). The
// system carries the text across processes; Wine does so only in the wide form.
std::string FileDialogType(HWND dialog) {
  HWND types = GetDlgItem(dialog, 0x470);
  const LRESULT selected = SendMessageW(types, CB_GETCURSEL, 0, 0);
  if (selected < 0 || SendMessageW(types, CB_GETLBTEXTLEN, WPARAM(selected), 0) >= 256) return "";
  wchar_t wide[256] = L"";
  SendMessageW(types, CB_GETLBTEXT, WPARAM(selected), reinterpret_cast<LPARAM>(wide));
  char text[256] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

// Types the path into the file-name field and presses the dialog's OK button.
bool SubmitFileDialog(HWND dialog, const std::string& path) {
  HWND name = GetDlgItem(dialog, 0x47C);  // cmb13, the file-name combo
  if (!name) name = GetDlgItem(dialog, 0x480);  // edt1 in older layouts
  if (!name) return false;
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  e2e::Click(dialog, IDOK);
  bool closed = e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  return closed;
}

// A file command through its dialog; true once the dialog took the path.
bool FileCommand(const VentrelRun& app, UINT command, const char* title, const std::string& path) {
  app.Command(int(command));
  HWND dialog = WaitForFileDialog(app, title);
  return dialog && SubmitFileDialog(dialog, path);
}

std::vector<std::vector<std::string>> EditableRows(const VentrelRun& app) {
  std::vector<std::vector<std::string>> rows;
  for (int p = 0; p < kEditablePanes; ++p) {
    std::vector<std::string> pane = e2e::ListRows(app.panes[p]);
    rows.push_back(pane);
  }
  return rows;
}

void CheckSameRows(const std::vector<std::vector<std::string>>& got,
                   const std::vector<std::vector<std::string>>& want) {
  REQUIRE(got.size() == want.size());
  for (size_t p = 0; p < want.size(); ++p) {
    CHECK_EQ(got[p].size(), want[p].size());
    for (size_t r = 0; r < got[p].size() && r < want[p].size(); ++r) CHECK_EQ(got[p][r], want[p][r]);
  }
}

std::string WeatherFile(const char* name, const char* text = kRichWeather) {
  return "\"--weather=" + e2e::WriteTestFile(name, text) + "\"";
}

std::string IniValue(const char* key) {
  char value[300] = "";
  GetPrivateProfileStringA("Settings", key, "", value, sizeof value, e2e::VentrelIniPath().c_str());
  return value;
}

// Saves the rich weather from a connected Ventrel into `name`, then loads it with
// "&Load and set ..." into a devsim that starts empty: the panes then show the same weather.
void SaveAndSetRoundTrip(const char* name, const char* weather, size_t expectedSize) {
  e2e::ForgetVentrelSettings();
  const std::string path = NewPath(name);
  std::vector<std::vector<std::string>> saved;
  {
    DevsimRun sim;
    VentrelRun app;
    REQUIRE(StartConnected(sim, app, WeatherFile("weather.txt", weather), 2));
    saved = EditableRows(app);
    REQUIRE(FileCommand(app, kSaveAs, kSaveTitle, path));
    REQUIRE(e2e::WaitUntil([&] { return e2e::ReadTextFile(path).size() == expectedSize; }, 5000));
    CHECK_EQ(IniValue("VTDpath"), path);
  }
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(StartConnected(sim, app, "--empty-weather", 1));
  REQUIRE(FileCommand(app, kLoadAndSet, kLoadTitle, path));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(app.panes[4]) == 2; }, kOneTick));
  CheckSameRows(EditableRows(app), saved);
  // One exchange: the clear of every table, then the tables.
  const std::string log = sim.Log();
  const size_t clear = log.find("  W 00050000 0\n");
  CHECK(clear != std::string::npos);
  CHECK(log.find("  W 00560000 ", clear) != std::string::npos);
}

}  // namespace

E2E_TEST(VentrelFiles, DataFileSavedFromTheSimulatorSetsAFreshOne) {
  // Tag and block per table: 2 visibility (10), pressure (8), 2 temperature (12), 2 winds
  // (16), 1 cloud (24).
  SaveAndSetRoundTrip("rich.vtd", kRichWeather, 5 * 4 + 20 + 8 + 24 + 32 + 24);
}

E2E_TEST(VentrelFiles, WxFileSavedFromTheSimulatorSetsAFreshOne) {
  SaveAndSetRoundTrip("rich.wx", kPositiveWeather, 68 + 28 + 2 * 12 + 44 + 2 * 16);
}

E2E_TEST(VentrelFiles, SavingOverAWxFileKeepsItsStationEntries) {
  e2e::ForgetVentrelSettings();
  const std::string path = WriteThreeEntryWx("three.wx");
  const std::string before = e2e::ReadTextFile(path);
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(StartConnected(sim, app, WeatherFile("weather.txt"), 2));
  app.Command(kSaveAs);
  HWND dialog = WaitForFileDialog(app, kSaveTitle);
  REQUIRE(dialog);
  // The dialog asks before replacing; yes, and the stations stay all the same.
  HWND name = GetDlgItem(dialog, 0x47C);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  e2e::Click(dialog, IDOK);
  HWND ask = nullptr;
  REQUIRE(e2e::WaitUntil([&] {
    for (HWND w = e2e::FindTopWindow("#32770", kSaveTitle, app.process.Id()); w;
         w = FindWindowExA(nullptr, w, "#32770", kSaveTitle))
      if (w != dialog) ask = w;
    return ask != nullptr;
  }, 5000));
  e2e::Click(ask, IDYES);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  const size_t first = 68 + 28 + 2 * 12 + 44 + 2 * 16;
  std::string after;
  CHECK(e2e::WaitUntil([&] { return (after = e2e::ReadTextFile(path)).size() ==
                                    first + 2 * kWxEmptyEntrySize; },
                       5000));
  CHECK(after.size() > first && after.substr(first) == before.substr(kWxEmptyEntrySize));
}

E2E_TEST(VentrelFiles, LoadAndShowWithoutTheSimulator) {
  e2e::ForgetVentrelSettings();
  // The 12-byte file of one pressure record: 1013.2 mb, no drift.
  const uint8_t pressure[] = {0x22, 0x22, 0x08, 0x00, 0x08, 0x00, 0x00, 0x00,
                              0x53, 0x3F, 0x00, 0x00};
  const std::string path = WriteFile(e2e::TestFolder() + "pressure.vtd", pressure, sizeof pressure);
  VentrelRun app;
  REQUIRE(app.Start());
  REQUIRE(app.WaitForCaption(kNotConnected, kOneTick));
  REQUIRE(FileCommand(app, kLoadAndShow, kLoadTitle, path));
  CHECK(e2e::WaitUntil([&] { return PressureCell(app) == "1013.2mb (29.92\")"; }, kOneTick));
  CHECK_EQ(e2e::LvRowCount(app.panes[4]), 1);  // only the blank row

  // Saved again as a .WX file from what is shown.
  const std::string wx = NewPath("again.wx");
  REQUIRE(FileCommand(app, kSaveAs, kSaveTitle, wx));
  CHECK(e2e::WaitUntil([&] { return e2e::ReadTextFile(wx).size() == kWxEmptyEntrySize; }, 5000));
  // The shown pressure survives the next ticks, which find no simulator.
  Sleep(1500);
  CHECK_EQ(PressureCell(app), std::string("1013.2mb (29.92\")"));
  CHECK_EQ(app.Caption(), std::string(kNotConnected));
}

E2E_TEST(VentrelFiles, PageDownAndPageUpStepThroughTheEntries) {
  e2e::ForgetVentrelSettings();
  const std::string path = WriteThreeEntryWx("three.wx");
  VentrelRun app;
  REQUIRE(app.Start());
  REQUIRE(FileCommand(app, kLoadAndShow, kLoadTitle, path));
  const std::string base = std::string(kNotConnected) + ": Showing .WX at index=";
  CHECK(app.WaitForCaption(base + "0", kOneTick));
  CHECK_EQ(PressureCell(app), std::string("1013.2mb (29.92\")"));

  struct Step {
    WPARAM key;
    const char* caption;
    const char* pressure;
  };
  const Step steps[] = {
      {VK_NEXT, "1 [0x01A3]", "1000.0mb (29.53\")"},
      {VK_NEXT, "2 [0x01F4]", "990.0mb (29.23\")"},
      {VK_NEXT, "2 [0x01F4]", "990.0mb (29.23\")"},  // past the last: nothing changes
      {VK_PRIOR, "1 [0x01A3]", "1000.0mb (29.53\")"},
      {VK_PRIOR, "0", "1013.2mb (29.92\")"},
      {VK_PRIOR, "0", "1013.2mb (29.92\")"},
  };
  for (const Step& step : steps) {
    PostMessageA(app.panes[2], WM_KEYDOWN, step.key, 0);
    CHECK(app.WaitForCaption(base + step.caption, kOneTick));
    CHECK_EQ(PressureCell(app), std::string(step.pressure));
  }
  // Without an airport file the search stays grey.
  CHECK(e2e::MenuGrayed(app.window, kFindAirport));
}

namespace {

// "Weather\ICAO POS.BIN" under a simulator folder named in the registry: record 0 unused,
// EGLL at record 419, KJFK at record 500, LFPG at 600 (not in the .WX file).
void InstallAirportFile() {
  const std::string folder = e2e::TestFolder() + "sim";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\Weather").c_str(), nullptr);
  std::vector<uint8_t> table(700 * 16, 0);
  auto put = [&](int record, const char* code, float lat, float lon, float metres) {
    uint8_t* p = &table[size_t(record) * 16];
    std::memcpy(p, code, 4);
    PutF32(p + 4, lat);
    PutF32(p + 8, lon);
    PutF32(p + 12, metres);
  };
  put(419, "EGLL", 51.4775f, -0.4614f, 100.0f);
  put(500, "KJFK", 40.6398f, -73.7789f, 4.0f);
  put(600, "LFPG", 49.0097f, 2.5479f, 119.0f);
  WriteFile(folder + "\\Weather\\ICAO POS.BIN", table.data(), table.size());
  HKEY key;
  REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                          "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0", 0,
                          nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                          nullptr) == ERROR_SUCCESS);
  RegSetValueExA(key, "InstalledTo", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 DWORD(folder.size() + 1));
  RegCloseKey(key);
}

// Types the code into the search dialog and presses Enter.
void SearchFor(HWND dialog, const char* code) {
  HWND edit = GetDlgItem(dialog, 1040);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(code));
  PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

E2E_TEST(VentrelFiles, AirportSearchJumpsToTheStationEntry) {
  e2e::ForgetVentrelSettings();
  InstallAirportFile();
  const std::string path = WriteThreeEntryWx("three.wx");
  VentrelRun app;
  REQUIRE(app.Start());
  CHECK(e2e::MenuGrayed(app.window, kFindAirport));
  REQUIRE(FileCommand(app, kLoadAndShow, kLoadTitle, path));
  const std::string base = std::string(kNotConnected) + ": Showing .WX at index=";
  REQUIRE(app.WaitForCaption(base + "0", kOneTick));
  CHECK(!e2e::MenuGrayed(app.window, kFindAirport));

  app.Command(kFindAirport);
  HWND dialog = e2e::WaitForWindow("#32770", kSearchTitle, 5000, app.process.Id());
  REQUIRE(dialog);
  SearchFor(dialog, "egll");
  CHECK(app.WaitForCaption(
      base + "1 [0x01A3] ICAO=EGLL (Alt 328ft, Lat 51.4775, Long -0.4614)", kOneTick));
  CHECK_EQ(PressureCell(app), std::string("1000.0mb (29.53\")"));
  SearchFor(dialog, "KJFK");
  CHECK(app.WaitForCaption(
      base + "2 [0x01F4] ICAO=KJFK (Alt 13ft, Lat 40.6398, Long -73.7789)", kOneTick));
  // An airport the file has no entry for, and one not in the table: the entry stays.
  SearchFor(dialog, "LFPG");
  SearchFor(dialog, "ZZZZ");
  Sleep(500);
  CHECK(IsWindow(dialog));
  CHECK_EQ(PressureCell(app), std::string("990.0mb (29.23\")"));
  CHECK_EQ(app.Caption(), base + "2 [0x01F4] ICAO=KJFK (Alt 13ft, Lat 40.6398, Long -73.7789)");

  e2e::Click(dialog, IDCANCEL);
  CHECK(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  CHECK(IniValue("GetIcaoWindow").rfind("[", 0) == 0);
}

E2E_TEST(VentrelFiles, CommandLineFileIsShownAtTheFirstTick) {
  e2e::ForgetVentrelSettings();
  const std::string path = WriteThreeEntryWx("start up.wx");
  VentrelRun app;
  REQUIRE(app.Start("\"" + path + "\" ignored words"));
  CHECK(app.WaitForCaption(std::string(kNotConnected) + ": Showing .WX at index=0", kOneTick));
  CHECK_EQ(PressureCell(app), std::string("1013.2mb (29.92\")"));
  CHECK_EQ(IniValue("VTDpath"), path);
}

E2E_TEST(VentrelFiles, CommandLineFileIsSetWhileConnected) {
  e2e::ForgetVentrelSettings();
  const std::string path = WriteThreeEntryWx("start.wx");
  DevsimRun sim;
  REQUIRE(sim.Start("--empty-weather"));
  VentrelRun app;
  REQUIRE(app.Start(path));
  CHECK(e2e::WaitUntil([&] { return PressureCell(app) == "1013.2mb (29.92\")" &&
                                    e2e::LvCell(app.panes[3], 0, 1) == "3281ft"; },
                       2 * kOneTick));
  CHECK(sim.Log().find("  W 00050000 0\n") != std::string::npos);
}

E2E_TEST(VentrelFiles, AStartUpFileThatCannotBeOpenedClosesTheProgram) {
  e2e::ForgetVentrelSettings();
  const std::string path = NewPath("missing.vtd");
  VentrelRun app;
  REQUIRE(app.Start(path));
  e2e::DialogCloser box("Ventrel Error", 2 * kOneTick, app.process.Id());
  CHECK(box.Seen());
  CHECK_EQ(box.Texts(), std::string("Error: opening VTD file!"));
  CHECK(app.process.Wait(5000));
  CHECK_EQ(app.process.ExitCode(), DWORD(0));
  CHECK_EQ(IniValue("VTDpath"), path);
}

E2E_TEST(VentrelFiles, RememberedPathPicksFolderAndFilter) {
  e2e::ForgetVentrelSettings();
  InstallAirportFile();
  const std::string pilots = e2e::TestFolder() + "sim\\Pilots\\";
  CreateDirectoryA(pilots.c_str(), nullptr);
  NewPath("sim\\Pilots\\first.vtd");
  VentrelRun app;
  REQUIRE(app.Start());
  // Nothing remembered: the simulator's Pilots folder, the data filter and "vtd".
  app.Command(kSaveAs);
  HWND dialog = WaitForFileDialog(app, kSaveTitle);
  REQUIRE(dialog);
  CHECK_EQ(FileDialogType(dialog), std::string("Ventrel Data Files (*.VTD)"));
  REQUIRE(SubmitFileDialog(dialog, "first"));
  CHECK(e2e::WaitUntil([&] { return FileExists(pilots + "first.vtd"); }, 5000));

  const std::string folder = e2e::TestFolder() + "kept\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  NewPath("kept\\first.wx");
  NewPath("kept\\second.wx");
  REQUIRE(FileCommand(app, kSaveAs, kSaveTitle, folder + "first.wx"));
  CHECK(e2e::WaitUntil([&] { return FileExists(folder + "first.wx"); }, 5000));

  // The next dialog opens in that folder with the .WX filter: a bare name lands there and
  // gets "wx" as its extension.
  app.Command(kSaveAs);
  dialog = WaitForFileDialog(app, kSaveTitle);
  REQUIRE(dialog);
  CHECK_EQ(FileDialogType(dialog), std::string("FS2000 Weather Files (*.WX)"));
  REQUIRE(SubmitFileDialog(dialog, "second"));
  CHECK(e2e::WaitUntil([&] { return FileExists(folder + "second.wx"); }, 5000));
  CHECK_EQ(IniValue("VTDpath"), folder + "second.wx");

  // A cancelled dialog changes nothing.
  app.Command(kLoadAndShow);
  dialog = WaitForFileDialog(app, kLoadTitle);
  REQUIRE(dialog);
  e2e::Click(dialog, IDCANCEL);
  CHECK(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  CHECK_EQ(IniValue("VTDpath"), folder + "second.wx");
  CHECK(app.WaitForCaption(kNotConnected, kOneTick));
}

namespace {

constexpr const char kSimulator70Key[] =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0";

// A command of the system's own tools, waited for; true when it ends with code 0.
bool RunTool(const std::string& commandLine) {
  e2e::Process tool;
  return tool.Start(commandLine) && tool.Wait(30000) && tool.ExitCode() == 0;
}

bool KeyInView(REGSAM view) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSimulator70Key, 0, KEY_QUERY_VALUE | view, &key) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

// The simulator is a 32-bit program: its folder is in the 32-bit view of the registry only,
// where the 64-bit build has to look for it as the 32-bit one does.
E2E_TEST(VentrelFiles, SimulatorFolderComesFromThe32BitRegistryView) {
  e2e::ForgetVentrelSettings();
  InstallAirportFile();
  e2e::ForgetVentrelSettings();  // the airport file stays, the registry values go
  const std::string folder = e2e::TestFolder() + "sim";
  REQUIRE(RunTool(std::string("reg add \"HKLM\\") + kSimulator70Key +
                  "\" /v InstalledTo /t REG_SZ /d \"" + folder + "\" /reg:32 /f"));
  CHECK(KeyInView(KEY_WOW64_32KEY));
  CHECK(!KeyInView(KEY_WOW64_64KEY));
  const std::string path = WriteThreeEntryWx("three.wx");
  VentrelRun app;
  REQUIRE(app.Start("\"" + path + "\""));
  CHECK(app.WaitForCaption(std::string(kNotConnected) + ": Showing .WX at index=0", kOneTick));
  CHECK(!e2e::MenuGrayed(app.window, kFindAirport));
  CHECK(app.Close());
  e2e::ForgetVentrelSettings();
}

namespace {

// Whether the file can be opened for writing (a read-only attribute does not stop a test run as
// the Unix superuser, for whom the prefix's files are always writable).
bool Writable(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

void RunWithUnwritableSettings(bool placementReadable) {
  const std::string path = WriteThreeEntryWx("read only.wx");
  VentrelRun app;
  REQUIRE(app.Start("\"" + path + "\""));
  CHECK(app.WaitForCaption(std::string(kNotConnected) + ": Showing .WX at index=0", kOneTick));
  if (placementReadable) {
    RECT r;
    GetWindowRect(app.window, &r);
    CHECK_EQ(r.left, 30);
    CHECK_EQ(r.right - r.left, 700);
  }
  MoveWindow(app.window, 60, 70, 720, 520, TRUE);
  CHECK_EQ(PressureCell(app), std::string("1013.2mb (29.92\")"));
  CHECK(app.Close());
  CHECK_EQ(app.process.ExitCode(), DWORD(0));
}

}  // namespace

// On current Windows the 64-bit build cannot write the Windows folder at all: a settings file
// that cannot be written changes nothing else. Once a read-only file, once a folder in its place
// (which no one can write as a file).
E2E_TEST(VentrelFiles, ReadOnlySettingsFileChangesNothingElse) {
  e2e::ForgetVentrelSettings();
  const std::string ini = e2e::VentrelIniPath();
  const std::string settings = "[Settings]\r\nMainWindow=[30,40,700,500]\r\n";
  WriteFile(ini, settings.data(), settings.size());
  REQUIRE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
  const bool blocked = !Writable(ini);
  RunWithUnwritableSettings(true);
  if (blocked) CHECK_EQ(e2e::ReadTextFile(ini), settings);
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  e2e::ForgetVentrelSettings();

  REQUIRE(CreateDirectoryA(ini.c_str(), nullptr));
  RunWithUnwritableSettings(false);
  CHECK(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  RemoveDirectoryA(ini.c_str());
  e2e::ForgetVentrelSettings();
}
