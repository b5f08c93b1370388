// The weather profile and the traffic scope printed from their own windows through CUPS to PDF:
// one page each, the picture's scale and labels in the page's text.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/print_checks.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using namespace e2e;

constexpr int kWeatherProfile = 42000;
constexpr int kProfilePrint = 42001;
constexpr int kScope = 42500;
constexpr int kScopePrint = 42501;

std::string PrintFromWindow(HWND window, DWORD process, const char* errorCaption, int command) {
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok, process, errorCaption);
  PostMessageA(window, WM_COMMAND, WPARAM(command), 0);
  const std::string pdf = WaitForNewPdf(before, 30000);
  CHECK(user.Seen());
  user.Finish();
  CHECK_EQ(user.ErrorText(), std::string(""));
  return pdf;
}

E2E_TEST(PicturePrint, WeatherProfileOnOnePage) {
  ForgetVentrelSettings();
  const std::string weather = WriteTestFile(
      "profile.txt",
      "cloud upper=1524 lower=914 deviation=100 cover=6 type=9 precipbase=300 preciptype=1\n"
      "temperature altitude=0 day=10 variation=0 dew=5\n"
      "temperature altitude=1000 day=-10 variation=0 dew=-15\n"
      "wind upper=2000 speed=20 gust=0 direction=16384\n");
  DevsimRun sim;
  VentrelRun ventrel;
  REQUIRE(StartConnected(sim, ventrel, "\"--weather=" + weather + "\"", 2, 15000));
  ventrel.Command(kWeatherProfile);
  HWND profile = WaitForWindow("VentrelProfile", nullptr, 10000, ventrel.process.Id());
  REQUIRE(profile != nullptr);
  const std::string pdf =
      PrintFromWindow(profile, ventrel.process.Id(), "Ventrel Error", kProfilePrint);
  REQUIRE(!pdf.empty());
  CHECK_EQ(PdfPageCount(pdf), 1);
  KeepPagePicture(pdf, "ventrel-profile-page");
  const std::string text = PdfText(pdf);
  for (const char* label : {"45000ft", "0ft", "Clouds", "Winds set", "090/20kt", "1640ft"})
    CHECK(text.find(label) != std::string::npos);
  CHECK(WaitUntil([&] { return IsWindowEnabled(profile) != FALSE; }, 5000));
  CHECK(ventrel.Close());
}

E2E_TEST(PicturePrint, TrafficScopeOnOnePage) {
  DevsimRun sim;
  REQUIRE(sim.Start("--aircraft=12"));
  PalvioRun palvio;
  REQUIRE(palvio.Start());
  REQUIRE(palvio.WaitForList(15000) != nullptr);
  PostMessageA(palvio.window, WM_COMMAND, kScope, 0);
  HWND scope = WaitForWindow("PalvioScope", nullptr, 10000, palvio.process.Id());
  REQUIRE(scope != nullptr);
  const std::string pdf = PrintFromWindow(scope, palvio.process.Id(), "Palvio Error", kScopePrint);
  REQUIRE(!pdf.empty());
  CHECK_EQ(PdfPageCount(pdf), 1);
  KeepPagePicture(pdf, "palvio-scope-page");
  const std::string text = PdfText(pdf);
  for (const char* label : {"VAR 3.0W", "20 nm", "MN", "10"})
    CHECK(text.find(label) != std::string::npos);
  CHECK(IsWindowEnabled(palvio.window));
}

}  // namespace
