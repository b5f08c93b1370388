// Ventrel's layer dialogs and its weather-at-altitude dialog driven as a user would: keys
// posted to the panes, texts typed into the dialogs' fields, their buttons clicked; devsim's
// log shows what reached the simulator and the panes show what came back.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"

#include <commctrl.h>

namespace {

using e2e::Click;
using e2e::DevsimRun;
using e2e::FieldText;
using e2e::SetField;
using e2e::VentrelRun;

enum : UINT { kAutoRefresh = 105, kAltFeet = 1101, kAltMetres = 1102 };
enum Pane : int { kVisibility, kPressure, kTemperature, kWinds, kCloud };

const char kNotConnected[] = "Nimbrel: Not connected to Korvel";
const char kGetAtCaption[] = "Get weather data for altitude";
constexpr unsigned kOneTick = 3000;  // a tick is 1 s with AutoRefresh on; room for Wine

const char kWeather[] =
    "visibility upper=914 lower=0 range=0\n"
    "visibility upper=3048 lower=914 range=100\n"
    "visibility upper=6096 lower=3048 range=621\n"
    "pressure qnh=16211 drift=-16\n"
    "temperature altitude=0 day=15 variation=20 dew=-10\n"
    "temperature altitude=3048 day=-10 variation=0 dew=-20\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "wind upper=3048 speed=20 gust=30 direction=65535 turbulence=2 shear=3\n"
    "wind upper=6096 speed=40 gust=0 direction=0 turbulence=0 shear=0\n"
    "cloud upper=1000 lower=500 deviation=100 cover=6 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n"
    "cloud upper=3048 lower=2000 deviation=0 cover=3 type=1 turbulence=0 icing=0 precipbase=0 "
    "preciptype=0 preciprate=0\n";

// 16-bit words as devsim logs a write's data: little-endian, upper-case hex.
std::string Words(std::initializer_list<int> words) {
  std::string hex;
  char byte[3];
  for (int w : words)
    for (int shift : {0, 8}) {
      std::snprintf(byte, sizeof byte, "%02X", (unsigned(w) >> shift) & 0xFF);
      hex += byte;
    }
  return hex;
}

bool LogHas(const DevsimRun& sim, const std::string& line) {
  return sim.Log().find(line) != std::string::npos;
}

struct Connected {
  DevsimRun sim;
  VentrelRun app;
  explicit Connected(const char* weather = kWeather) {
    e2e::ForgetVentrelSettings();
    // devsim appends; a folder left by an earlier run in the same prefix must not count.
    DeleteFileA((e2e::TestFolder() + "devsim.log").c_str());
    REQUIRE(e2e::StartConnected(
        sim, app, "\"--weather=" + e2e::WriteTestFile("weather.txt", weather) + "\"", 3));
  }

  HWND Pane(int p) const { return app.panes[p]; }

  // Focuses the row and presses the key on it, as the user would with the arrows and the key.
  void PressOnRow(int pane, int row, WPARAM key) const {
    REQUIRE(e2e::ListSetItemState(Pane(pane), row, LVIS_FOCUSED | LVIS_SELECTED,
                                  LVIS_FOCUSED | LVIS_SELECTED));
    PostMessageA(Pane(pane), WM_KEYDOWN, key, 0);
  }

  // A dialog of Ventrel's with this caption, owned by the main window and modal to it.
  HWND Dialog(const char* caption) const {
    HWND dialog = e2e::WaitForWindow("#32770", caption, 5000, app.process.Id());
    REQUIRE(dialog != nullptr);
    // Shown only once its WM_INITDIALOG has filled it in.
    REQUIRE(e2e::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000));
    CHECK_EQ(GetWindow(dialog, GW_OWNER), app.window);
    CHECK(!IsWindowEnabled(app.window));
    return dialog;
  }

  bool Closed(HWND dialog) const {
    return e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000);
  }

  void TurnAutoRefreshOff() const {
    app.CommandNow(kAutoRefresh);
    Sleep(2500);  // timer 1011 gives way to 1012 at its first good refresh
  }
};

E2E_TEST(LayerEdit, EditsACloudRowThroughTheDialog) {
  Connected c;
  c.PressOnRow(kCloud, 0, VK_RETURN);
  HWND dialog = c.Dialog("Edit Cloud Layer");
  // Filled from the row without units; the altitudes that name the layer are locked.
  struct Field {
    int id;
    const char* text;
    bool enabled;
  } fields[] = {{1034, "1640", false}, {1035, "3281", false}, {1036, "328", true},
                {1037, "6", true},     {1038, "9", true},     {1039, "2", true},
                {1030, "1", true},     {1031, "1", true},     {1032, "3", true},
                {1033, "984", true}};
  for (const Field& f : fields) {
    CHECK_EQ(FieldText(dialog, f.id), std::string(f.text));
    CHECK_EQ(IsWindowEnabled(GetDlgItem(dialog, f.id)) != FALSE, f.enabled);
  }
  SetField(dialog, 1037, "7");
  SetField(dialog, 1038, "12");  // pulled to 10
  Click(dialog, IDOK);
  CHECK(c.Closed(dialog));

  const std::string write =
      "  W 005303E8 24 " + Words({24, 0, 1000, 500, 100, 7, 10, 2, 1, 300, 1, 3}) + "\n";
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, write); }, kOneTick));
  CHECK(e2e::WaitUntil([&] {
    return e2e::ListRows(c.Pane(kCloud))[0] == "  0 |1640ft|3281ft|328ft|7/8|10|2|1|Rain|3|984ft";
  }, kOneTick));
  CHECK(IsWindowEnabled(c.app.window));
  CHECK(e2e::WaitUntil([&] { return e2e::FocusOfThread(c.app.window) == c.Pane(kCloud); }, 2000));
}

E2E_TEST(LayerEdit, PanesHoldStillWhileADialogIsOpen) {
  Connected c;
  c.PressOnRow(kWinds, 1, VK_RETURN);
  HWND dialog = c.Dialog("Edit Wind Layer");
  CHECK_EQ(FieldText(dialog, 1024), std::string("10000"));
  CHECK(!IsWindowEnabled(GetDlgItem(dialog, 1024)));
  CHECK_EQ(FieldText(dialog, 1027), std::string("30"));
  const std::string changed = e2e::WriteTestFile("changed.txt", "cloud upper=1000 lower=500\n");
  REQUIRE(e2e::SendDevsimControl(c.sim.window, ("\"--weather=" + changed + "\"").c_str()));
  Sleep(2500);  // ticks come, but find the busy flag set
  CHECK_EQ(e2e::LvRowCount(c.Pane(kCloud)), 3);
  Click(dialog, IDCANCEL);
  CHECK(c.Closed(dialog));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.Pane(kCloud)) == 2; }, kOneTick));
  CHECK(c.sim.Log().find(" W 0043") == std::string::npos);  // Cancel writes nothing
}

E2E_TEST(LayerEdit, InsertsOnTheOpenTemperatureRow) {
  Connected c;
  c.PressOnRow(kTemperature, 2, VK_INSERT);
  HWND dialog = c.Dialog("Insert Temperature Layer");
  for (int id : {1021, 1022, 1018, 1020}) {
    CHECK_EQ(FieldText(dialog, id), std::string());
    CHECK(IsWindowEnabled(GetDlgItem(dialog, id)));
  }
  SetField(dialog, 1021, "5000");
  SetField(dialog, 1022, "59F");
  SetField(dialog, 1018, "36F");
  SetField(dialog, 1020, "-3");
  Click(dialog, IDOK);
  CHECK(c.Closed(dialog));
  const std::string write = "  W 0031FFFF 12 " + Words({12, 0, 1524, 15, 20, -3}) + "\n";
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, write); }, kOneTick));
  CHECK(e2e::WaitUntil([&] {
    const std::vector<std::string> rows = e2e::ListRows(c.Pane(kTemperature));
    return rows.size() == 4 && rows[1] == "  1 |5000ft|15C (59F)|20C (36F)|-3C (28F)";
  }, kOneTick));
}

E2E_TEST(LayerEdit, InsertInThePressurePaneEditsIt) {
  Connected c;
  c.PressOnRow(kPressure, 0, VK_INSERT);
  HWND dialog = c.Dialog("Edit Pressure (QNH) Settings");
  CHECK_EQ(FieldText(dialog, 1017), std::string("1013.2"));
  CHECK_EQ(FieldText(dialog, 1019), std::string("-1.0"));
  // Confirmed unchanged: the drift stays -1.0mb (read as inches it would come back -33.8mb).
  Click(dialog, IDOK);
  CHECK(c.Closed(dialog));
  const std::string unchanged = "  W 0023FFFF 8 " + Words({8, 0, 16211, -16}) + "\n";
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, unchanged); }, kOneTick));

  c.PressOnRow(kPressure, 0, VK_INSERT);
  dialog = c.Dialog("Edit Pressure (QNH) Settings");
  SetField(dialog, 1017, "29.80");
  SetField(dialog, 1019, "2.5");
  Click(dialog, IDOK);
  CHECK(c.Closed(dialog));
  // 29.80 in: 1009.14 mb, 16146 sixteenths; 2.5 mb drift: 40.
  const std::string changed = "  W 0023FFFF 8 " + Words({8, 0, 16146, 40}) + "\n";
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, changed); }, kOneTick));
  CHECK(e2e::WaitUntil([&] {
    return e2e::ListRows(c.Pane(kPressure))[0] == "  0 |1009.1mb (29.80\")|2.5mb";
  }, kOneTick));
}

E2E_TEST(LayerEdit, DeleteAsksFirst) {
  Connected c;
  c.TurnAutoRefreshOff();
  // Changed behind Ventrel's back: only a refresh the delete asks for brings it.
  std::string text = kWeather;
  text.replace(text.find("cover=3"), 7, "cover=4");
  const std::string path = e2e::WriteTestFile("cover.txt", text);
  REQUIRE(e2e::SendDevsimControl(c.sim.window, ("\"--weather=" + path + "\"").c_str()));

  c.PressOnRow(kVisibility, 1, VK_DELETE);
  HWND box = c.Dialog("Confirm delete!");
  CHECK(e2e::DialogStaticTexts(box).find("Delete selected entry?") != std::string::npos);
  Click(box, IDNO);
  CHECK(c.Closed(box));
  CHECK(e2e::WaitUntil([&] { return e2e::LvCell(c.Pane(kCloud), 1, 4) == "4/8"; }, kOneTick));
  CHECK(c.sim.Log().find(" W 0012") == std::string::npos);
  CHECK_EQ(e2e::LvRowCount(c.Pane(kVisibility)), 4);

  // The open row has nothing to delete: no box.
  c.PressOnRow(kVisibility, 3, VK_DELETE);
  Sleep(700);
  CHECK(e2e::FindTopWindow("#32770", "Confirm delete!", c.app.process.Id()) == nullptr);

  c.PressOnRow(kVisibility, 1, VK_DELETE);  // "To" 10000ft: 3048 m
  box = c.Dialog("Confirm delete!");
  Click(box, IDYES);
  CHECK(c.Closed(box));
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, "  W 00120BE8 0\n"); }, kOneTick));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.Pane(kVisibility)) == 3; }, kOneTick));
  CHECK_EQ(e2e::ListRows(c.Pane(kVisibility))[1],
           std::string("  1 |10000ft|20000ft|6.2sm (9994m)"));
}

std::string Join(std::initializer_list<const char*> texts) {
  std::string joined;
  bool first = true;
  for (const char* t : texts) {
    joined += (first ? "" : "|") + std::string(t);
    first = false;
  }
  return joined;
}

// The display fields 1002 to 1024 in id order, joined by "|".
std::string AtAltitudeTexts(HWND dialog) {
  std::string texts;
  for (int id = 1002; id <= 1024; ++id) texts += (id > 1002 ? "|" : "") + FieldText(dialog, id);
  return texts;
}

void PressEnter(HWND dialog) { PostMessageA(GetDlgItem(dialog, 1000), WM_KEYDOWN, VK_RETURN, 0); }

std::string SixReads(unsigned metres) {
  std::string reads;
  char line[40];
  for (unsigned t = 1; t <= 6; ++t) {
    std::snprintf(line, sizeof line, "  R %08X 64\n", (t << 20) | metres);
    reads += line;
  }
  return reads;
}

E2E_TEST(GetAt, FeetModeReadsTheWeatherAtAnAltitude) {
  Connected c;
  c.app.Command(kAltFeet);
  HWND dialog = c.Dialog(kGetAtCaption);
  CHECK_EQ(FieldText(dialog, 1001), std::string("feet"));

  SetField(dialog, 1000, "10000");
  PressEnter(dialog);
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, SixReads(3048)); }, kOneTick));
  const std::string at3048 = Join({"1.0sm (1609m)", "1013.2mb (29.92\")", "-10C (15F)", "0C (0F)",
                                   "-20C (-3F)", "20.0kn", "2.0T", "30kn", "2", "20kn", "360T",
                                   "30kn", "2", "6562ft", "10000ft", "0ft", "3/8", "1", "0", "0",
                                   "None", "0", "0ft"});
  CHECK(e2e::WaitUntil([&] { return AtAltitudeTexts(dialog) == at3048; }, kOneTick));
  CHECK_EQ(AtAltitudeTexts(dialog), at3048);

  // Clamped to 65000 m, the field corrected. No cloud there; winds and temperature are the
  // highest layers, and visibility is shown even without a layer.
  SetField(dialog, 1000, "300000");
  PressEnter(dialog);
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, SixReads(65000)); }, kOneTick));
  CHECK_EQ(FieldText(dialog, 1000), std::string("213255"));
  const std::string at65000 = Join({"0.0sm (0m)", "1013.2mb (29.92\")", "-10C (15F)", "0C (0F)",
                                    "-20C (-3F)", "41.2kn", "358.0T", "0kn", "0", "40kn", "0T",
                                    "0kn", "0", "", "", "", "", "", "", "", "", "", ""});
  CHECK(e2e::WaitUntil([&] { return AtAltitudeTexts(dialog) == at65000; }, kOneTick));
  CHECK_EQ(AtAltitudeTexts(dialog), at65000);

  Click(dialog, IDCANCEL);
  CHECK(c.Closed(dialog));
  CHECK(e2e::WaitUntil([&] { return e2e::FocusOfThread(c.app.window) == c.Pane(kPressure); },
                       2000));
}

E2E_TEST(GetAt, MetresModeWithoutLayers) {
  Connected c;
  REQUIRE(e2e::SendDevsimControl(c.sim.window, "--empty-weather"));
  c.app.Command(kAltMetres);
  HWND dialog = c.Dialog(kGetAtCaption);
  CHECK_EQ(FieldText(dialog, 1001), std::string("metres"));
  SetField(dialog, 1000, "1500");
  PressEnter(dialog);
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, SixReads(1500)); }, kOneTick));
  // No layer: the speeds read "0", the other wind, temperature and cloud fields stay empty.
  const std::string empty = Join({"0.0sm (0m)", "1013.2mb (29.92\")", "", "", "", "0", "", "", "",
                                  "0", "", "", "", "", "", "", "", "", "", "", "", "", ""});
  CHECK(e2e::WaitUntil([&] { return AtAltitudeTexts(dialog) == empty; }, kOneTick));
  CHECK_EQ(AtAltitudeTexts(dialog), empty);

  // Negative: the field shows "0" and the reads go to altitude 0.
  SetField(dialog, 1000, "-40");
  PressEnter(dialog);
  CHECK(e2e::WaitUntil([&] { return LogHas(c.sim, SixReads(0)); }, kOneTick));
  CHECK_EQ(FieldText(dialog, 1000), std::string("0"));
  Click(dialog, IDCANCEL);
  CHECK(c.Closed(dialog));
}

E2E_TEST(GetAt, PlacementIsStoredOnExitAndRestored) {
  Connected c;
  c.app.Command(kAltMetres);
  HWND dialog = c.Dialog(kGetAtCaption);
  RECT r;
  GetWindowRect(dialog, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(dialog, nullptr, 40, 30, width, height, SWP_NOZORDER);
  Click(dialog, IDCANCEL);
  CHECK(c.Closed(dialog));
  const std::string value =
      "GetAtWindow=[40,30," + std::to_string(width) + "," + std::to_string(height) + "]";
  CHECK(e2e::ReadTextFile(e2e::VentrelIniPath()).find(value) != std::string::npos);

  c.app.Command(kAltFeet);
  dialog = c.Dialog(kGetAtCaption);
  CHECK(e2e::WaitUntil([&] {
    GetWindowRect(dialog, &r);
    return r.left == 40 && r.top == 30;
  }, 2000));
  Click(dialog, IDCANCEL);
  CHECK(c.Closed(dialog));
}

}  // namespace
