// The shortcut keys, copy to the clipboard and undo of weather changes, driven with real key
// presses (SendInput to the program in the foreground); devsim's log shows what reached the
// simulator and the panes show what came back.
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"

#include <commctrl.h>

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : UINT {
  kRefresh = 102,
  kAutoRefresh = 105,
  kClearClouds = 40002,
  kClearAll = 40007,
  kUndo = 43000,
  kRedo = 43001,
};
enum Pane : int { kVisibility, kPressure, kTemperature, kWinds, kCloud, kApplied };

constexpr unsigned kOneTick = 3000;
const char kSaveTitle[] = "Save Ventrel Data (VTD/WX)";
const char kLoadTitle[] = "Load Ventrel Data (VTD/WX)";

const char kWeather[] =
    "visibility upper=914 lower=0 range=0\n"
    "visibility upper=3048 lower=914 range=100\n"
    "pressure qnh=16211 drift=-16\n"
    "temperature altitude=0 day=15 variation=20 dew=-10\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "cloud upper=1000 lower=500 deviation=100 cover=6 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n"
    "cloud upper=3048 lower=2000 deviation=0 cover=3 type=1 turbulence=0 icing=0 precipbase=0 "
    "preciptype=0 preciprate=0\n";

const char kOtherWeather[] =
    "pressure qnh=16000 drift=0\n"
    "cloud upper=4000 lower=3500 deviation=0 cover=8 type=1 turbulence=0 icing=0 precipbase=0 "
    "preciptype=0 preciprate=0\n";

// Presses the key (with Ctrl and Shift when asked) as the keyboard would, into `window`
// brought to the foreground first.
bool PressKey(HWND window, WORD key, bool control, bool shift = false) {
  SetForegroundWindow(window);
  if (!e2e::WaitUntil([&] { return GetForegroundWindow() == window; }, 3000)) return false;
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (control) add(VK_CONTROL, false);
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  if (control) add(VK_CONTROL, true);
  return SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

std::string ClipboardText() {
  std::string text;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  HANDLE data = GetClipboardData(CF_TEXT);
  if (data) {
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    if (bytes) text = bytes;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void ClearClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

// The clipboard once something new was put on it after `since` (a sequence number); it is
// opened only then, so that the program never finds it held by the test.
std::string WaitForClipboard(DWORD since) {
  e2e::WaitUntil([&] { return GetClipboardSequenceNumber() != since; }, 3000);
  Sleep(100);  // the program closes it right after
  return ClipboardText();
}

// The writes of devsim's log from `from` on, one "selector size" per line (data left out).
std::string WritesSince(const DevsimRun& sim, size_t from) {
  const std::string log = sim.Log();
  std::string writes;
  size_t at = from;
  while ((at = log.find("  W ", at)) != std::string::npos) {
    const size_t end = log.find('\n', at);
    const std::string line = log.substr(at + 4, end - at - 4);
    const size_t data = line.find(' ', line.find(' ') + 1);
    writes += line.substr(0, data) + "\n";
    at = end;
  }
  return writes;
}

struct Connected {
  DevsimRun sim;
  VentrelRun app;
  explicit Connected(const char* weather = kWeather) {
    e2e::ForgetVentrelSettings();
    DeleteFileA((e2e::TestFolder() + "devsim.log").c_str());
    REQUIRE(e2e::StartConnected(
        sim, app, "\"--weather=" + e2e::WriteTestFile("weather.txt", weather) + "\"", 3));
  }
  size_t LogSize() const { return sim.Log().size(); }
  std::vector<std::string> Rows(int pane) const { return e2e::ListRows(app.panes[pane]); }
  bool WaitForRows(int pane, const std::vector<std::string>& rows) const {
    return e2e::WaitUntil([&] { return Rows(pane) == rows; }, kOneTick);
  }
  void TurnAutoRefreshOff() const {
    app.CommandNow(kAutoRefresh);
    Sleep(2500);  // timer 1011 gives way to 1012 at its first good refresh
  }
  void Focus(int pane, int row) const {
    REQUIRE(e2e::ListSetItemState(app.panes[pane], row, LVIS_FOCUSED | LVIS_SELECTED,
                                  LVIS_FOCUSED | LVIS_SELECTED));
    const RECT r = e2e::ListItemRect(app.panes[pane], row);
    const LPARAM at = MAKELPARAM(10, (r.top + r.bottom) / 2);
    PostMessageA(app.panes[pane], WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(app.panes[pane], WM_LBUTTONUP, 0, at);
    REQUIRE(e2e::WaitUntil([&] { return e2e::FocusOfThread(app.window) == app.panes[pane]; },
                           2000));
  }
};

// A #32770 of the process with one of these captions, once it shows.
HWND WaitForBox(DWORD process, std::initializer_list<const char*> captions) {
  HWND box = nullptr;
  e2e::WaitUntil([&] {
    for (const char* caption : captions)
      if ((box = e2e::FindTopWindow("#32770", caption, process)) && IsWindowVisible(box))
        return true;
    return false;
  }, 10000);
  return box;
}

HWND WaitForFileDialog(const VentrelRun& app, const char* title) {
  HWND dialog = e2e::WaitForWindow("#32770", title, 10000, app.process.Id());
  if (dialog && !e2e::WaitUntil([&] { return IsWindowVisible(dialog) &&
                                             GetDlgItem(dialog, 0x47C) != nullptr; },
                                5000))
    return nullptr;
  return dialog;
}

bool SubmitFileDialog(HWND dialog, const std::string& path) {
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) return false;
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  e2e::Click(dialog, IDOK);
  return e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000);
}

E2E_TEST(Shortcuts, RefreshKeyRefreshesAndDoesNothingWhileGreyed) {
  Connected c;
  c.TurnAutoRefreshOff();
  const int before = c.sim.Batches();
  Sleep(1500);
  REQUIRE(c.sim.Batches() == before);  // nothing refreshes on its own now
  REQUIRE(PressKey(c.app.window, VK_F5, false));
  // The three exchanges of a refresh, as the menu's "&Refresh" makes them.
  CHECK(c.sim.WaitForBatches(before + 3, kOneTick));
  Sleep(500);
  CHECK_EQ(c.sim.Batches(), before + 3);

  // Without the weather interface "&Refresh" is greyed once a refresh has seen that.
  REQUIRE(e2e::SendDevsimControl(c.sim.window, "--signature=0"));
  c.app.CommandNow(kRefresh);
  REQUIRE(e2e::WaitUntil([&] { return e2e::MenuGrayed(c.app.window, kRefresh); }, kOneTick));
  const int greyed = c.sim.Batches();
  REQUIRE(PressKey(c.app.window, VK_F5, false));
  // Nor does Ctrl+Z with nothing to undo.
  REQUIRE(PressKey(c.app.window, 'Z', true));
  Sleep(1500);
  CHECK_EQ(c.sim.Batches(), greyed);
}

E2E_TEST(Shortcuts, SaveAndLoadKeysRunTheFileCommands) {
  Connected c;
  const std::vector<std::string> clouds = c.Rows(kCloud);
  const std::string path = e2e::TestFolder() + "keys.vtd";
  DeleteFileA(path.c_str());
  REQUIRE(PressKey(c.app.window, 'S', true));
  HWND save = WaitForFileDialog(c.app, kSaveTitle);
  REQUIRE(save != nullptr);
  REQUIRE(SubmitFileDialog(save, path));
  REQUIRE(e2e::WaitUntil([&] { return !e2e::ReadTextFile(path).empty(); }, 5000));

  const std::string other = e2e::WriteTestFile("other.txt", kOtherWeather);
  REQUIRE(e2e::SendDevsimControl(c.sim.window, ("\"--weather=" + other + "\"").c_str()));
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloud]) == 2; }, kOneTick));
  const std::vector<std::string> otherClouds = c.Rows(kCloud);

  // Connected: Ctrl+O is "&Load and set ...": one exchange, clear all then the tables.
  const size_t from = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'O', true));
  HWND load = WaitForFileDialog(c.app, kLoadTitle);
  REQUIRE(load != nullptr);
  REQUIRE(SubmitFileDialog(load, path));
  CHECK(c.WaitForRows(kCloud, clouds));
  const std::string set = "00050000 0\n00160000 20\n00260000 8\n00360000 12\n00460000 16\n"
                          "00560000 48\n";
  CHECK_EQ(WritesSince(c.sim, from), set);
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo load and set keys.vtd\tCtrl+Z"));

  // The set load undone and redone, each in one exchange of the same form.
  size_t at = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'Z', true));
  CHECK(c.WaitForRows(kCloud, otherClouds));
  CHECK_EQ(WritesSince(c.sim, at), std::string("00050000 0\n00260000 8\n00560000 24\n"));
  CHECK_EQ(e2e::MenuText(c.app.window, kRedo), std::string("&Redo load and set keys.vtd\tCtrl+Y"));
  at = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'Y', true));
  CHECK(c.WaitForRows(kCloud, clouds));
  CHECK_EQ(WritesSince(c.sim, at), set);
}

E2E_TEST(Shortcuts, OpenKeyIsLoadAndShowWhileNotConnected) {
  e2e::ForgetVentrelSettings();
  VentrelRun app;
  REQUIRE(app.Start());
  REQUIRE(app.WaitForCaption("Nimbrel: Not connected to Korvel", 5000));
  // One pressure record: size 8, QNH 1001.0 mb (16016 sixteenths), drift 0.
  const uint8_t vtd[] = {0x22, 0x22, 0x08, 0x00, 0x08, 0x00, 0x00, 0x00, 0x90, 0x3E, 0x00, 0x00};
  const std::string path = e2e::WriteTestFile("pressure.vtd", std::string(vtd, vtd + sizeof vtd));
  REQUIRE(PressKey(app.window, 'O', true));
  HWND load = WaitForFileDialog(app, kLoadTitle);
  REQUIRE(load != nullptr);
  REQUIRE(SubmitFileDialog(load, path));
  CHECK(e2e::WaitUntil([&] {
    return e2e::LvCell(app.panes[kPressure], 0, 1).rfind("1001.0mb", 0) == 0;
  }, kOneTick));
}

E2E_TEST(Shortcuts, PrintKeyOpensWhatPrintOpens) {
  Connected c;
  REQUIRE(PressKey(c.app.window, 'P', true));
  // The print dialog where a printer is known, else the error box about it.
  HWND box = WaitForBox(c.app.process.Id(), {"Print", "Ventrel Error"});
  REQUIRE(box != nullptr);
  e2e::Click(box, IDCANCEL);
  e2e::Click(box, IDOK);
  CHECK(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
}

E2E_TEST(Undo, ClearAllUndoneAndRedone) {
  Connected c;
  c.TurnAutoRefreshOff();
  std::vector<std::vector<std::string>> shown;
  for (int p = kVisibility; p <= kCloud; ++p) shown.push_back(c.Rows(p));
  CHECK(e2e::MenuGrayed(c.app.window, kUndo));
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo\tCtrl+Z"));

  c.app.CommandNow(kClearAll);
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo clear all\tCtrl+Z"));
  CHECK(!e2e::MenuGrayed(c.app.window, kUndo));
  // No refresh has read the clear yet (AutoRefresh is off): the undo reads first, so that the
  // redo gets the cleared tables.
  size_t at = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'Z', true));
  CHECK(e2e::WaitUntil([&] { return !e2e::MenuGrayed(c.app.window, kRedo); }, kOneTick));
  CHECK_EQ(WritesSince(c.sim, at), std::string("00050000 0\n00160000 20\n00260000 8\n"
                                               "00360000 12\n00460000 16\n00560000 48\n"));
  for (int p = kVisibility; p <= kCloud; ++p) CHECK(c.WaitForRows(p, shown[size_t(p)]));
  CHECK(e2e::MenuGrayed(c.app.window, kUndo));

  at = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'Y', true));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloud]) == 1; }, kOneTick));
  // Cleared, the pressure table holds the standard pressure.
  CHECK_EQ(WritesSince(c.sim, at), std::string("00050000 0\n00260000 8\n"));
  CHECK_EQ(e2e::LvRowCount(c.app.panes[kVisibility]), 1);
  CHECK_EQ(e2e::LvRowCount(c.app.panes[kWinds]), 1);
  CHECK(e2e::MenuGrayed(c.app.window, kRedo));
}

E2E_TEST(Undo, LayerEditAndClearUndoneInTurn) {
  Connected c;
  const std::vector<std::string> clouds = c.Rows(kCloud);
  const std::vector<std::string> winds = c.Rows(kWinds);
  c.Focus(kCloud, 0);
  PostMessageA(c.app.panes[kCloud], WM_KEYDOWN, VK_RETURN, 0);
  HWND dialog = e2e::WaitForWindow("#32770", "Edit Cloud Layer", 5000, c.app.process.Id());
  REQUIRE(dialog != nullptr);
  REQUIRE(e2e::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000));
  e2e::SetField(dialog, 1037, "7");
  e2e::Click(dialog, IDOK);
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvCell(c.app.panes[kCloud], 0, 4) == "7/8"; },
                         kOneTick));
  const std::vector<std::string> edited = c.Rows(kCloud);
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo edit cloud layer\tCtrl+Z"));

  c.app.CommandNow(40006);  // Clear all &Winds
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kWinds]) == 1; }, kOneTick));
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo clear all winds\tCtrl+Z"));

  // Newest first: the winds come back, then the cloud layer as it was; only its table goes.
  size_t at = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'Z', true));
  CHECK(c.WaitForRows(kWinds, winds));
  CHECK_EQ(WritesSince(c.sim, at), std::string("00450000 0\n00460000 16\n"));
  at = c.LogSize();
  REQUIRE(PressKey(c.app.window, 'Z', true));
  CHECK(c.WaitForRows(kCloud, clouds));
  CHECK_EQ(WritesSince(c.sim, at), std::string("00550000 0\n00560000 48\n"));
  CHECK_EQ(e2e::MenuText(c.app.window, kRedo), std::string("&Redo edit cloud layer\tCtrl+Y"));

  REQUIRE(PressKey(c.app.window, 'Y', true));
  CHECK(c.WaitForRows(kCloud, edited));
  CHECK(c.WaitForRows(kWinds, winds));
  // A new change empties the redo side.
  c.app.CommandNow(kClearClouds);
  CHECK(e2e::MenuGrayed(c.app.window, kRedo));
  CHECK_EQ(e2e::MenuText(c.app.window, kRedo), std::string("&Redo\tCtrl+Y"));
}

E2E_TEST(Undo, HistoryDroppedWhenTheSimulatorRestarts) {
  Connected c;
  c.app.CommandNow(kClearClouds);
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloud]) == 1; }, kOneTick));
  CHECK(!e2e::MenuGrayed(c.app.window, kUndo));
  c.sim.Close();
  DevsimRun again;
  const std::string weather = e2e::WriteTestFile("again.txt", kWeather);
  REQUIRE(again.Start("\"--weather=" + weather + "\""));
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloud]) == 3; }, 10000));
  CHECK(e2e::MenuGrayed(c.app.window, kUndo));
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo\tCtrl+Z"));
  const size_t at = again.Log().size();
  REQUIRE(PressKey(c.app.window, 'Z', true));
  Sleep(1500);
  CHECK_EQ(WritesSince(again, at), std::string());
  CHECK_EQ(e2e::LvRowCount(c.app.panes[kCloud]), 3);
}

E2E_TEST(Copy, PaneAndRowAsTabSeparatedText) {
  Connected c;
  c.Focus(kCloud, 1);
  ClearClipboard();
  DWORD since = GetClipboardSequenceNumber();
  REQUIRE(PressKey(c.app.window, 'C', true));
  const std::string pane = WaitForClipboard(since);
  CHECK_EQ(pane, std::string(
      "Cloud\tFrom\tTo\tDev\tCover\tType\tTurb\tIce\tPrecip\tPrRate\tPrBase\r\n"
      "0\t1640ft\t3281ft\t328ft\t6/8\t9\t2\t1\tRain\t3\t984ft\r\n"
      "1\t6562ft\t10000ft\t0ft\t3/8\t1\t0\t0\tNone\t0\t0ft\r\n"));
  since = GetClipboardSequenceNumber();
  REQUIRE(PressKey(c.app.window, 'C', true, true));
  CHECK_EQ(WaitForClipboard(since),
           std::string("1\t6562ft\t10000ft\t0ft\t3/8\t1\t0\t0\tNone\t0\t0ft\r\n"));
  // Nothing is sent for a copy.
  CHECK(c.sim.Log().find("  W ") == std::string::npos);
}

// The text Ctrl+C should give for the list as it shows now: titles, then rows, trimmed cells.
std::string ListAsText(HWND list, int firstRow, int rows, bool titles) {
  const std::vector<e2e::LvColumn> columns = e2e::LvColumns(list);
  const std::vector<std::vector<std::string>> cells = e2e::LvCells(list, int(columns.size()));
  auto trim = [](std::string t) {
    while (!t.empty() && t.front() == ' ') t.erase(0, 1);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
  };
  std::string text;
  if (titles) {
    for (size_t k = 0; k < columns.size(); ++k) text += (k ? "\t" : "") + columns[k].header;
    text += "\r\n";
  }
  for (int r = firstRow; r < firstRow + rows && r < int(cells.size()); ++r) {
    for (size_t k = 0; k < cells[size_t(r)].size(); ++k)
      text += (k ? "\t" : "") + trim(cells[size_t(r)][k]);
    text += "\r\n";
  }
  return text;
}

E2E_TEST(Copy, PalvioListSortedAsShown) {
  e2e::PalvioConnected c;
  c.palvio.CommandNow(105);  // AutoRefresh off: the list holds still
  REQUIRE(e2e::LvClickColumn(c.list, 4));  // AltDiff(FL)
  Sleep(500);
  const int rows = e2e::LvRowCount(c.list);
  REQUIRE(rows > 2);
  ClearClipboard();
  DWORD since = GetClipboardSequenceNumber();
  REQUIRE(PressKey(c.palvio.window, 'C', true));
  const std::string text = WaitForClipboard(since);
  CHECK_EQ(text, ListAsText(c.list, 0, rows, true));
  CHECK(text.rfind("Slot\tID\tDistance\tBearing(M)\tAltDiff(FL)\t", 0) == 0);
  CHECK_EQ(e2e::CountLinesStartingWith(text, ""), rows + 1);

  REQUIRE(e2e::ListSetItemState(c.list, 2, LVIS_FOCUSED | LVIS_SELECTED,
                                LVIS_FOCUSED | LVIS_SELECTED));
  since = GetClipboardSequenceNumber();
  REQUIRE(PressKey(c.palvio.window, 'C', true, true));
  CHECK_EQ(WaitForClipboard(since), ListAsText(c.list, 2, 1, false));

  // F5 is "&Refresh": one traffic read at once.
  const int before = c.sim.Batches();
  REQUIRE(PressKey(c.palvio.window, VK_F5, false));
  CHECK(c.sim.WaitForBatches(before + 1, kOneTick));
}

E2E_TEST(Shortcuts, PalvioPrintKeyOpensWhatPrintOpens) {
  e2e::PalvioConnected c;
  REQUIRE(PressKey(c.palvio.window, 'P', true));
  HWND box = WaitForBox(c.palvio.process.Id(), {"Print", "Palvio Error"});
  REQUIRE(box != nullptr);
  e2e::Click(box, IDCANCEL);
  e2e::Click(box, IDOK);
  CHECK(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
}

}  // namespace
