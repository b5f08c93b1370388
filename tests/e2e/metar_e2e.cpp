// Ventrel's METAR commands driven as a user would: a report pasted and set in devsim or shown
// in the panes, a file of reports and an ICAO pick, and the weather copied as a METAR.
#include <cstring>
#include <string>

#include "resources/metar_dialog_ids.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : int { kLoadMetar = 41001, kCopyMetar = 41002 };

const char kDialogTitle[] = "Load METAR";
const char kNotConnected[] = "Nimbrel: Not connected to Korvel";
constexpr unsigned kOneTick = 3000;
const char kReport[] = "EGLL 081250Z 24015G25KT 4000 -SHRA FEW010 BKN040TCU 12/08 Q1013";

HWND OpenDialog(const VentrelRun& app) {
  app.Command(kLoadMetar);
  HWND dialog = e2e::WaitForWindow("#32770", kDialogTitle, 10000, app.process.Id());
  if (dialog && !e2e::WaitUntil([&] { return IsWindowVisible(dialog) != 0; }, 5000)) return nullptr;
  return dialog;
}

int GroupCount(HWND dialog) {
  return int(SendMessageA(GetDlgItem(dialog, IDC_METAR_GROUPS), LB_GETCOUNT, 0, 0));
}

// A list-box line across processes, carried in the wide form.
std::string GroupLine(HWND dialog, int index) {
  HWND list = GetDlgItem(dialog, IDC_METAR_GROUPS);
  if (SendMessageW(list, LB_GETTEXTLEN, WPARAM(index), 0) >= 255) return "";
  wchar_t wide[256] = L"";
  SendMessageW(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(wide));
  char text[256] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

bool CloseDialog(HWND dialog) {
  e2e::Click(dialog, IDCANCEL);
  return e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000);
}

std::string PressureCell(const VentrelRun& app) { return e2e::LvCell(app.panes[1], 0, 1); }

// A second "Load METAR" window of Ventrel: the question over the dialog.
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

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
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

E2E_TEST(Metar, PastedReportIsSetInOneExchange) {
  e2e::ForgetVentrelSettings();
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(StartConnected(sim, app, "--empty-weather", 1));
  HWND dialog = OpenDialog(app);
  REQUIRE(dialog);
  CHECK(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, kOneTick));
  CHECK(!Enabled(dialog, IDC_METAR_SHOW));
  e2e::SetField(dialog, IDC_METAR_TEXT, kReport);
  CHECK(e2e::WaitUntil([&] { return GroupCount(dialog) == 9; }, 2000));
  CHECK_EQ(GroupLine(dialog, 2), std::string("24015G25KT: wind 240\xB0 true 15 kt gusting 25"));
  CHECK_EQ(GroupLine(dialog, 6), std::string("BKN040TCU: broken towering cumulus at 4000 ft"));
  const int before = sim.Batches();
  e2e::Click(dialog, IDC_METAR_SET);
  REQUIRE(sim.WaitForBatches(before + 1, kOneTick));
  REQUIRE(CloseDialog(dialog));

  // The clear of every table, then one set per table, in one batch.
  const std::string log = sim.Log();
  const size_t clear = log.find("  W 00050000 0\n");
  REQUIRE(clear != std::string::npos);
  const size_t batchEnd = log.find("batch ", clear);
  for (const char* set : {"  W 00160000 10 ", "  W 00260000 8 ", "  W 00360000 24 ",
                          "  W 00460000 16 ", "  W 00560000 48 "}) {
    const size_t at = log.find(set, clear);
    CHECK(at != std::string::npos && at < batchEnd);
  }
  CHECK(e2e::WaitUntil([&] { return PressureCell(app) == "1013.0mb (29.91\")"; }, kOneTick));
  CHECK_EQ(e2e::LvRowCount(app.panes[4]), 3);  // two layers and the open row
  CHECK_EQ(e2e::LvCell(app.panes[3], 0, 3), std::string("240T"));
  CHECK_EQ(e2e::LvCell(app.panes[3], 0, 4), std::string("25kn"));
}

E2E_TEST(Metar, UnreadableGroupSendsNothingUnlessConfirmed) {
  e2e::ForgetVentrelSettings();
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(StartConnected(sim, app, "--empty-weather", 1));
  HWND dialog = OpenDialog(app);
  REQUIRE(dialog);
  e2e::SetField(dialog, IDC_METAR_TEXT, "EGLL 081250Z 24015KT 4000 XYZZY Q1013");
  CHECK(e2e::WaitUntil([&] { return GroupCount(dialog) == 6; }, 2000));
  CHECK_EQ(GroupLine(dialog, 4), std::string("UNREADABLE XYZZY: not a group of a report"));
  CHECK(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, kOneTick));
  e2e::Click(dialog, IDC_METAR_SET);
  HWND ask = WaitForQuestion(app, dialog);
  REQUIRE(ask);
  CHECK(e2e::BoxTexts(ask).find("\"XYZZY\"") != std::string::npos);
  e2e::Click(ask, IDNO);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(ask); }, 5000));
  REQUIRE(CloseDialog(dialog));
  Sleep(500);
  CHECK(sim.Log().find("  W 00260000 8 ") == std::string::npos);
}

// Slashes, runway groups, wind shear, recent weather and trends are listed, never asked about.
E2E_TEST(Metar, AutomaticStationFormsAreSentWithoutAQuestion) {
  e2e::ForgetVentrelSettings();
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(StartConnected(sim, app, "--empty-weather", 1));
  HWND dialog = OpenDialog(app);
  REQUIRE(dialog);
  e2e::SetField(dialog, IDC_METAR_TEXT,
                "EDHL 081320Z AUTO /////KT 4000NDV R28L///// //////CB BKN015 10/// Q1012 RE// "
                "WS RWY22L NOSIG");
  CHECK(e2e::WaitUntil([&] { return GroupCount(dialog) == 13; }, 2000));
  CHECK_EQ(GroupLine(dialog, 4), std::string("4000NDV: visibility 4000 m, no directional variation"));
  CHECK(e2e::WaitUntil([&] { return Enabled(dialog, IDC_METAR_SET); }, kOneTick));
  const int before = sim.Batches();
  e2e::Click(dialog, IDC_METAR_SET);
  REQUIRE(sim.WaitForBatches(before + 1, kOneTick));  // a question box would hold the batch back
  REQUIRE(CloseDialog(dialog));
  const std::string log = sim.Log();
  CHECK(log.find("  W 00160000 10 ") != std::string::npos);  // the visibility
  CHECK(log.find("  W 00460000 ") == std::string::npos);     // no wind from /////KT
  CHECK(e2e::WaitUntil([&] { return PressureCell(app) == "1012.0mb (29.88\")"; }, kOneTick));
}

E2E_TEST(Metar, ShownWhileNotConnected) {
  e2e::ForgetVentrelSettings();
  VentrelRun app;
  REQUIRE(app.Start());
  REQUIRE(app.WaitForCaption(kNotConnected, kOneTick));
  HWND dialog = OpenDialog(app);
  REQUIRE(dialog);
  CHECK(!Enabled(dialog, IDC_METAR_SET));
  CHECK(Enabled(dialog, IDC_METAR_SHOW));
  e2e::SetField(dialog, IDC_METAR_TEXT, "KJFK 081251Z 31012KT 10SM FEW250 M02/M04 A2992");
  CHECK(e2e::WaitUntil([&] {
    return e2e::FieldText(dialog, IDC_METAR_NOTE).find("heights are above sea level") !=
           std::string::npos;
  }, 2000));
  e2e::Click(dialog, IDC_METAR_SHOW);
  CHECK(e2e::WaitUntil([&] { return PressureCell(app) == "1013.2mb (29.92\")"; }, kOneTick));
  REQUIRE(CloseDialog(dialog));
  CHECK_EQ(e2e::LvCell(app.panes[2], 0, 2), std::string("-2C (29F)"));
  CHECK_EQ(e2e::LvCell(app.panes[0], 0, 3), std::string("10.0sm"));
  CHECK_EQ(e2e::LvCell(app.panes[4], 0, 5), std::string("1"));  // cirrus
  CHECK(!e2e::VentrelIniPath().empty());
}

E2E_TEST(Metar, FileOfReportsAndIcaoPick) {
  e2e::ForgetVentrelSettings();
  const std::string path = e2e::WriteTestFile(
      "reports.txt",
      "2026/12/08 12:20\r\nEGLL 081220Z 24010KT 9999 FEW040 11/07 Q1014\r\n\r\n"
      "EGKK 081250Z 20005KT CAVOK 10/05 Q1012\r\n"
      "METAR EGLL 081250Z 25012KT 8000\r\n  BKN030 12/08 Q1013=\r\n"
      "EGLL 081150Z 24005KT 9999 10/06 Q1015\r\n");
  VentrelRun app;
  REQUIRE(app.Start());
  HWND dialog = OpenDialog(app);
  REQUIRE(dialog);
  e2e::Click(dialog, IDC_METAR_OPEN);
  HWND open = e2e::WaitForWindow("#32770", "Open a file of METAR reports", 10000, app.process.Id());
  REQUIRE(open);
  REQUIRE(e2e::WaitUntil([&] { return IsWindowVisible(open) && GetDlgItem(open, 0x47C); }, 5000));
  SendMessageA(GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  e2e::Click(open, IDOK);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(open); }, 5000));
  CHECK(e2e::WaitUntil([&] {
    return e2e::FieldText(dialog, IDC_METAR_NOTE).find("bytes of reports read") != std::string::npos;
  }, 2000));
  e2e::SetField(dialog, IDC_METAR_ICAO, "egll");
  e2e::Click(dialog, IDC_METAR_PICK);
  CHECK(e2e::WaitUntil([&] {
    return e2e::FieldText(dialog, IDC_METAR_TEXT) ==
           "METAR EGLL 081250Z 25012KT 8000 BKN030 12/08 Q1013";
  }, 2000));
  CHECK_EQ(GroupCount(dialog), 8);
  e2e::SetField(dialog, IDC_METAR_ICAO, "LFPG");
  e2e::Click(dialog, IDC_METAR_PICK);
  CHECK(e2e::WaitUntil([&] {
    return e2e::FieldText(dialog, IDC_METAR_NOTE) == "No report of \"LFPG\" in the file.";
  }, 2000));
  REQUIRE(CloseDialog(dialog));
  char remembered[300] = "";
  GetPrivateProfileStringA("Settings", "MetarFile", "", remembered, sizeof remembered,
                           e2e::VentrelIniPath().c_str());
  CHECK_EQ(std::string(remembered), path);
  GetPrivateProfileStringA("Settings", "MetarWindow", "", remembered, sizeof remembered,
                           e2e::VentrelIniPath().c_str());
  CHECK(remembered[0] == '[');
}

E2E_TEST(Metar, CopyAsMetarPutsTheLineOnTheClipboard) {
  e2e::ForgetVentrelSettings();
  const std::string weather = e2e::WriteTestFile(
      "weather.txt",
      "visibility upper=1524 lower=0 range=249\n"
      "pressure qnh=16208 drift=0\n"
      "temperature altitude=0 day=12 variation=0 dew=8\n"
      "wind upper=610 speed=15 gust=25 direction=43690 turbulence=0 shear=0\n"
      "cloud upper=1219 lower=305 deviation=0 cover=6 type=8 turbulence=0 icing=0 "
      "precipbase=0 preciptype=1 preciprate=3\n");
  DevsimRun sim;
  VentrelRun app;
  REQUIRE(StartConnected(sim, app, "\"--weather=" + weather + "\" --mode=3 --icao=EGLL", 2));
  REQUIRE(e2e::WaitUntil([&] { return app.Caption().find("ICAO=EGLL") != std::string::npos; }, kOneTick));
  e2e::DialogCloser box("Weather as METAR", 10000, app.process.Id());
  app.Command(kCopyMetar);
  REQUIRE(box.Seen());
  const std::string clip = ClipboardText();
  CHECK(box.Texts().find(clip + "\n") == 0 || box.Texts().find(clip) != std::string::npos);
  CHECK_EQ(clip.substr(0, 5), std::string("EGLL "));
  const size_t groups = clip.find("Z ");
  REQUIRE(groups != std::string::npos);
  CHECK_EQ(clip.substr(groups + 2), std::string("24015G25KT 4000 RA BKN010 12/08 Q1013"));
}
