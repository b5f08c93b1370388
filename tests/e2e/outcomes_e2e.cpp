// What Ventrel says after a command is what happened: the METAR dialog when the connection
// goes while its question is open or the exchange gets no answer, a METAR set after a clear no
// refresh has read, a METAR shown while the simulator answers without the weather interface,
// the clipboard held by another program, a set load withdrawn, and a picture printing.
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "resources/metar_dialog_ids.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : int {
  kPrint = 104,
  kAutoRefresh = 105,
  kLoadAndSet = 40009,
  kClearClouds = 40002,
  kClearAll = 40007,
  kLoadMetar = 41001,
  kCopyMetar = 41002,
  kWeatherProfile = 42000,
  kProfilePrint = 42001,
  kUndo = 43000,
  kRedo = 43001,
};

constexpr unsigned kOneTick = 3000;
const char kDialogTitle[] = "Load METAR";
const char kSent[] = "Sent to the simulator; the panes show it after the next refresh.";

const char kWeather[] =
    "pressure qnh=16211 drift=0\n"
    "wind upper=600 speed=20 gust=5 direction=16384 turbulence=1 shear=0\n"
    "cloud upper=1000 lower=500 deviation=100 cover=6 type=9 turbulence=2 icing=1 "
    "precipbase=300 preciptype=1 preciprate=3\n";

HWND OpenMetarDialog(const VentrelRun& app) {
  app.Command(kLoadMetar);
  HWND dialog = e2e::WaitForWindow("#32770", kDialogTitle, 10000, app.process.Id());
  if (dialog && !e2e::WaitUntil([&] { return IsWindowVisible(dialog) != 0; }, 5000)) return nullptr;
  return dialog;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

int GroupCount(HWND dialog) {
  return int(SendMessageA(GetDlgItem(dialog, IDC_METAR_GROUPS), LB_GETCOUNT, 0, 0));
}

std::string Note(HWND dialog) { return e2e::FieldText(dialog, IDC_METAR_NOTE); }

// The note once Set or Show has written what came of it.
std::string WaitForOutcome(HWND dialog, unsigned timeoutMs) {
  std::string note;
  e2e::WaitUntil([&] {
    note = Note(dialog);
    return note.rfind("Sent", 0) == 0 || note.rfind("Not ", 0) == 0 ||
           note.rfind("The panes", 0) == 0;
  }, timeoutMs);
  return note;
}

// The question over the dialog: a second "Load METAR" window of Ventrel.
HWND WaitForQuestion(const VentrelRun& app, HWND dialog) {
  HWND ask = nullptr;
  e2e::WaitUntil([&] {
    for (HWND w = e2e::FindTopWindow("#32770", kDialogTitle, app.process.Id()); w;
         w = FindWindowExA(nullptr, w, "#32770", kDialogTitle))
      if (w != dialog) ask = w;
    return ask != nullptr;
  }, 5000);
  return ask;
}

bool CloseDialog(HWND dialog) {
  e2e::Click(dialog, IDCANCEL);
  return e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000);
}

// The writes of devsim's log from `from` on, one "selector size" per line.
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

bool Connect(DevsimRun& sim, VentrelRun& app, const std::string& switches = "") {
  e2e::ForgetVentrelSettings();
  const std::string weather = e2e::WriteTestFile("weather.txt", kWeather);
  return e2e::StartConnected(sim, app, "\"--weather=" + weather + "\" " + switches, 2);
}

// A #32770 of the process with one of these captions, once it shows.
HWND WaitForBox(DWORD process, std::initializer_list<const char*> captions) {
  HWND box = nullptr;
  e2e::WaitUntil([&] {
    for (const char* caption : captions)
      if ((box = e2e::FindTopWindow("#32770", caption, process)) && IsWindowVisible(box))
        return true;
    return false;
  }, 15000);
  return box;
}

bool PutOnClipboard(const char* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const size_t size = std::strlen(text) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  bool done = false;
  if (memory) {
    std::memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    done = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!done) GlobalFree(memory);
  }
  CloseClipboard();
  return done;
}

std::string ClipboardText() {
  std::string text;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

E2E_TEST(MetarOutcome, ConnectionLostWhileTheQuestionIsOpenIsNotCalledSent) {
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(Connect(sim, app));
  HWND dialog = OpenMetarDialog(app);
  REQUIRE(dialog);
  e2e::SetField(dialog, IDC_METAR_TEXT, "EGLL 081250Z 24015KT 4000 XYZZY Q1013");
  REQUIRE(e2e::WaitUntil([&] { return GroupCount(dialog) == 6; }, 2000));
  REQUIRE(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, kOneTick));
  e2e::Click(dialog, IDC_METAR_SET);
  HWND ask = WaitForQuestion(app, dialog);
  REQUIRE(ask);
  // The simulator goes while the question waits; a tick inside the box notices.
  sim.Close();
  REQUIRE(app.WaitForCaption("Nimbrel: Not connected to Korvel", 2 * kOneTick));
  e2e::Click(ask, IDYES);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(ask); }, 5000));
  CHECK_EQ(WaitForOutcome(dialog, 5000),
           std::string("Not sent: the simulator's weather interface is gone."));
  CHECK(CloseDialog(dialog));
}

E2E_TEST(MetarOutcome, AnExchangeWithoutAnswerIsNotCalledSent) {
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(Connect(sim, app));
  HWND dialog = OpenMetarDialog(app);
  REQUIRE(dialog);
  e2e::SetField(dialog, IDC_METAR_TEXT, "EGLL 081250Z 24015KT 4000 FEW010 12/08 Q1013");
  REQUIRE(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, kOneTick));
  REQUIRE(e2e::SendDevsimControl(sim.window, "--answer=0"));
  e2e::Click(dialog, IDC_METAR_SET);
  CHECK_EQ(WaitForOutcome(dialog, 30000), std::string("Not sent: the simulator did not answer."));
  // Answered again, the same Set goes.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--answer=1"));
  REQUIRE(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, 30000));
  SetDlgItemTextA(dialog, IDC_METAR_NOTE, "");
  e2e::Click(dialog, IDC_METAR_SET);
  CHECK_EQ(WaitForOutcome(dialog, 30000), std::string(kSent));
  CHECK(CloseDialog(dialog));
}

// AutoRefresh off: no refresh reads the clear before the Set. With the tables the report does
// not fill kept, the Set must not send the cleared clouds back.
E2E_TEST(MetarOutcome, SetAfterAnUnreadClearKeepsTheClear) {
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(Connect(sim, app));
  app.CommandNow(kAutoRefresh);
  Sleep(2500);  // timer 1011 gives way to 1012 at its first good refresh
  app.CommandNow(kClearClouds);
  HWND dialog = OpenMetarDialog(app);
  REQUIRE(dialog);
  SendMessageA(GetDlgItem(dialog, IDC_METAR_CLEAR_OTHERS), BM_SETCHECK, BST_UNCHECKED, 0);
  e2e::SetField(dialog, IDC_METAR_TEXT, "EGLL 081250Z 24015KT 9999 12/08 Q1013");
  REQUIRE(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, kOneTick));
  const size_t from = sim.Log().size();
  e2e::Click(dialog, IDC_METAR_SET);
  CHECK_EQ(WaitForOutcome(dialog, 10000), std::string(kSent));
  const std::string writes = WritesSince(sim, from);
  CHECK(writes.find("00050000 0\n") != std::string::npos);
  CHECK(writes.find("00460000 16\n") != std::string::npos);
  CHECK_EQ(writes.find("00560000"), std::string::npos);
  REQUIRE(CloseDialog(dialog));
  app.CommandNow(102);  // Refresh
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(app.panes[4]) == 1; }, kOneTick));
  // Its undo puts back what the simulator held after the clear: still no cloud.
  CHECK_EQ(e2e::MenuText(app.window, kUndo), std::string("&Undo set METAR EGLL\tCtrl+Z"));
  const size_t undoFrom = sim.Log().size();
  app.CommandNow(kUndo);
  CHECK(e2e::WaitUntil([&] { return !e2e::MenuGrayed(app.window, kRedo); }, kOneTick));
  CHECK_EQ(WritesSince(sim, undoFrom).find("00560000"), std::string::npos);
}

E2E_TEST(MetarOutcome, ShowWhileTheSimulatorHasNoWeatherInterface) {
  e2e::ForgetVentrelSettings();
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(sim.Start("--signature=0"));
  REQUIRE(app.Start());
  REQUIRE(app.WaitForCaption("Nimbrel: No advanced weather interface! Global weather: read/write",
                             2 * kOneTick));
  HWND dialog = OpenMetarDialog(app);
  REQUIRE(dialog);
  CHECK(!Enabled(dialog, IDC_METAR_SET));
  CHECK(Enabled(dialog, IDC_METAR_SHOW));
  e2e::SetField(dialog, IDC_METAR_TEXT, "KJFK 081251Z 31012KT 10SM FEW250 M02/M04 A2992");
  REQUIRE(e2e::WaitUntil([&] { return GroupCount(dialog) > 0; }, 2000));
  e2e::Click(dialog, IDC_METAR_SHOW);
  CHECK_EQ(WaitForOutcome(dialog, 5000), std::string("The panes show the report."));
  CHECK(e2e::WaitUntil([&] { return e2e::LvCell(app.panes[2], 0, 2) == "-2C (29F)"; }, kOneTick));
  REQUIRE(CloseDialog(dialog));
  // The next ticks leave the report on show.
  Sleep(2500);
  CHECK_EQ(e2e::LvCell(app.panes[2], 0, 2), std::string("-2C (29F)"));
  CHECK_EQ(e2e::LvCell(app.panes[1], 0, 1), std::string("1013.2mb (29.92\")"));
}

// The clipboard held by another program for a moment: Copy as METAR waits for it, as the list
// copies do; held throughout, it says so and the clipboard keeps what it held.
E2E_TEST(ClipboardCopy, CopyAsMetarWaitsForTheClipboardAndKeepsItWhenNotHad) {
  e2e::ForgetVentrelSettings();
  VentrelRun app;
  REQUIRE(app.Start());
  REQUIRE(app.WaitForCaption("Nimbrel: Not connected to Korvel", kOneTick));
  REQUIRE(PutOnClipboard("held before"));
  {
    REQUIRE(OpenClipboard(nullptr));
    e2e::DialogCloser box("Weather as METAR", 10000, app.process.Id());
    app.Command(kCopyMetar);
    Sleep(60);
    CloseClipboard();
    REQUIRE(box.Seen());
    CHECK(box.Texts().find("(copied to the clipboard)") != std::string::npos);
  }
  CHECK_EQ(ClipboardText().substr(0, 5), std::string("ZZZZ "));

  REQUIRE(PutOnClipboard("held before"));
  {
    REQUIRE(OpenClipboard(nullptr));
    e2e::DialogCloser box("Weather as METAR", 10000, app.process.Id());
    app.Command(kCopyMetar);
    const bool seen = box.Seen();
    CloseClipboard();
    REQUIRE(seen);
    CHECK(box.Texts().find("(the clipboard could not be used)") != std::string::npos);
  }
  CHECK_EQ(ClipboardText(), std::string("held before"));
}

// A set load whose file cannot be opened changed nothing: the redo side stays.
E2E_TEST(UndoWithdrawn, UnopenableFileLeavesTheRedoSide) {
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(Connect(sim, app));
  app.CommandNow(kClearClouds);
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvRowCount(app.panes[4]) == 1; }, kOneTick));
  app.CommandNow(kUndo);
  REQUIRE(e2e::WaitUntil([&] { return e2e::LvRowCount(app.panes[4]) == 2; }, kOneTick));
  REQUIRE(!e2e::MenuGrayed(app.window, kRedo));

  // A file that exists but that no other process may open.
  const std::string path = e2e::WriteTestFile("locked.vtd", std::string(12, '\0'));
  HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE(locked != INVALID_HANDLE_VALUE);
  app.Command(kLoadAndSet);
  HWND load = e2e::WaitForWindow("#32770", "Load Ventrel Data (VTD/WX)", 10000, app.process.Id());
  REQUIRE(load);
  REQUIRE(e2e::WaitUntil([&] { return IsWindowVisible(load) && GetDlgItem(load, 0x47C); }, 5000));
  SendMessageA(GetDlgItem(load, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  e2e::Click(load, IDOK);
  HWND error = WaitForBox(app.process.Id(), {"Ventrel Error"});
  CloseHandle(locked);
  REQUIRE(error);
  CHECK(e2e::BoxTexts(error).find("opening VTD file!") != std::string::npos);
  CHECK(e2e::PressOk(error));
  CHECK(!e2e::MenuGrayed(app.window, kRedo));
  CHECK_EQ(e2e::MenuText(app.window, kRedo), std::string("&Redo clear all clouds\tCtrl+Y"));
  CHECK(e2e::MenuGrayed(app.window, kUndo));
}

// The profile's Print: while its print dialog (or the box saying there is no printer) is open,
// the clears and the main window's own Print find the printing flag set; afterwards they run.
E2E_TEST(PicturePrinting, ProfilePrintCountsAsPrinting) {
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(Connect(sim, app));
  app.Command(kWeatherProfile);
  HWND profile = e2e::WaitForWindow("VentrelProfile", nullptr, 10000, app.process.Id());
  REQUIRE(profile);
  PostMessageA(profile, WM_COMMAND, kProfilePrint, 0);
  HWND box = WaitForBox(app.process.Id(), {"Print", "Ventrel Error"});
  REQUIRE(box);
  const size_t from = sim.Log().size();
  app.Command(kPrint);
  app.Command(kClearAll);
  app.Command(kClearClouds);
  Sleep(2 * kOneTick / 3);
  CHECK_EQ(WritesSince(sim, from), std::string(""));
  CHECK_EQ(e2e::LvRowCount(app.panes[4]), 2);
  e2e::Click(box, IDCANCEL);
  e2e::Click(box, IDOK);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
  app.Command(kClearClouds);
  CHECK(e2e::WaitUntil([&] { return WritesSince(sim, from) == "00550000 0\n"; }, kOneTick));
}
