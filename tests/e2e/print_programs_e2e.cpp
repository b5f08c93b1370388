// Ventrel and Palvio printing beside devsim, through CUPS to PDF: the programs' own "&Print ..."
// command, the print dialog answered as a user would, the PDF read back.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "tests/e2e/print_checks.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using namespace e2e;

constexpr int kPrintCommand = 104;

// One pressure, two of each layer kind and `clouds` cloud layers a hundred metres apart.
std::string WriteWeatherFile(int clouds) {
  std::string text =
      "pressure qnh=16200 drift=-16\n"
      "visibility upper=1500 lower=0 range=500\n"
      "visibility upper=3000 lower=1500 range=1000\n"
      "temperature altitude=0 day=12 variation=5 dew=7\n"
      "temperature altitude=3000 day=-8 variation=2 dew=-12\n"
      "wind upper=900 speed=15 gust=25 direction=49152\n"
      "wind upper=3000 speed=30 gust=0 direction=16384\n";
  for (int c = 0; c < clouds; ++c)
    text += "cloud lower=" + std::to_string(1000 + 100 * c) + " upper=" +
            std::to_string(1090 + 100 * c) + " cover=" + std::to_string(c % 9) +
            " type=9 preciptype=1 preciprate=2 precipbase=300\n";
  return WriteTestFile("weather.txt", text);
}

E2E_TEST(VentrelPrint, PanesOverTwoPagesWithHeaderAndCloudHeadingRepeated) {
  ForgetVentrelSettings();
  DevsimRun sim;
  REQUIRE(sim.Start("\"--weather=" + WriteWeatherFile(100) + "\""));
  VentrelRun ventrel;
  REQUIRE(ventrel.Start());
  HWND cloud = ventrel.panes[4];
  REQUIRE(WaitUntil([&] { return LvRowCount(cloud) == 101; }, 15000));
  const std::string caption = ventrel.Caption();
  const std::string firstCloudTo = LvCell(cloud, 0, 2);
  const std::string lastCloudFrom = LvCell(cloud, 99, 1);
  const std::string qnh = LvCell(ventrel.panes[1], 0, 1);
  REQUIRE(!firstCloudTo.empty());

  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok, ventrel.process.Id(), "Ventrel Error");
  ventrel.Command(kPrintCommand);
  const std::string pdf = WaitForNewPdf(before, 30000);
  CHECK(user.Seen());
  user.Finish();
  CHECK_EQ(user.ErrorText(), std::string(""));
  REQUIRE(!pdf.empty());
  CHECK(pdf.find("Ventrel") != std::string::npos);
  CHECK_EQ(PdfPageCount(pdf), 2);
  KeepPagePicture(pdf, "ventrel-program-page");

  const std::string page1 = PdfText(pdf, 1);
  const std::string page2 = PdfText(pdf, 2);
  CHECK(page1.find(caption) != std::string::npos);
  CHECK(page2.find(caption) != std::string::npos);
  CHECK(page1.find("Page 1") != std::string::npos);
  CHECK(page2.find("Page 2") != std::string::npos);
  for (const char* heading : {"Pressure", "QNH", "Drift", "Visibility", "Range", "Temperature",
                              "Dew", "Winds Set", "Winds Applied", "Shear", "Cloud", "PrBase"})
    CHECK(page1.find(heading) != std::string::npos);
  CHECK(page2.find("Cloud") != std::string::npos);
  CHECK(page2.find("PrRate") != std::string::npos);
  CHECK(page2.find("Pressure") == std::string::npos);
  CHECK(page1.find(qnh) != std::string::npos);
  CHECK(page1.find(firstCloudTo) != std::string::npos);
  CHECK(page2.find(lastCloudFrom) != std::string::npos);
  // Rows by their numbers: cloud rows 0 to 99 once each over both pages, no insertion row.
  const std::string all = page1 + page2;
  CHECK_EQ(LinesStartingWith(all, "99"), 1);
  CHECK_EQ(LinesStartingWith(all, "100"), 0);
  CHECK_EQ(LinesStartingWith(all, "50"), 1);
  // The window is back and the panes as they were.
  CHECK(WaitUntil([&] { return IsWindowEnabled(ventrel.window) != FALSE; }, 5000));
  CHECK_EQ(LvRowCount(cloud), 101);
  CHECK(ventrel.Close());
}

E2E_TEST(VentrelPrint, CancelInThePrintDialogPrintsNothing) {
  ForgetVentrelSettings();
  DevsimRun sim;
  REQUIRE(sim.Start(""));
  VentrelRun ventrel;
  REQUIRE(ventrel.Start());
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Cancel, ventrel.process.Id(), "Ventrel Error");
  ventrel.Command(kPrintCommand);
  Sleep(2000);  // time for a box that should not come
  CHECK(user.Seen());
  CHECK(!user.CancelBoxSeen());
  CHECK_EQ(user.ErrorText(), std::string(""));
  CHECK(WaitForNewPdf(before, 3000).empty());
  CHECK(IsWindowEnabled(ventrel.window));
  CHECK(ventrel.Close());
}

std::string PrintPalvio(const PalvioRun& palvio) {
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok, palvio.process.Id(), "Palvio Error");
  PostMessageA(palvio.window, WM_COMMAND, kPrintCommand, 0);
  const std::string pdf = WaitForNewPdf(before, 30000);
  CHECK(user.Seen());
  user.Finish();
  CHECK_EQ(user.ErrorText(), std::string(""));
  return pdf;
}

E2E_TEST(PalvioPrint, SortedStopsAtTheFirstEmptySlotThenSlotOrderPrintsAll) {
  DevsimRun sim;
  // Six aircraft in seven slots, one of them empty.
  REQUIRE(sim.Start("--aircraft=6"));
  PalvioRun palvio;
  REQUIRE(palvio.Start());
  HWND list = nullptr;
  REQUIRE(WaitUntil([&] { return (list = palvio.List()) && !LvCell(list, 0, 1).empty(); },
                    15000));
  REQUIRE(LvRowCount(list) == 7);
  // AutoRefresh off, so that the list stands still while the texts are compared.
  PostMessageA(palvio.window, WM_COMMAND, 105, 0);
  Sleep(300);
  std::vector<std::string> ids, slots;
  for (int row = 0; row < 7; ++row) {
    slots.push_back(LvCell(list, row, 0));
    ids.push_back(LvCell(list, row, 1));
  }
  REQUIRE(!ids[5].empty());
  REQUIRE(ids[6].empty());

  const std::string pdf = PrintPalvio(palvio);
  REQUIRE(!pdf.empty());
  CHECK(pdf.find("FS2002") != std::string::npos);
  CHECK_EQ(PdfPageCount(pdf), 1);
  KeepPagePicture(pdf, "palvio-program-page");
  const std::string text = PdfText(pdf);
  CHECK(text.find("FS2002 A.I. Aircraft Details") != std::string::npos);
  CHECK(text.find("Page 1") != std::string::npos);
  for (const char* heading : {"Slot", "Dist", "Brg(M)", "AltDiff", "Lat", "Long", "Hdg(M)", "GS",
                              "VS", "COM1", "Ref"})
    CHECK(text.find(heading) != std::string::npos);
  for (int row = 0; row < 6; ++row) {
    CHECK_EQ(LinesStartingWith(text, slots[row]), 1);
    CHECK(text.find(ids[row]) != std::string::npos);
  }
  CHECK_EQ(LinesStartingWith(text, slots[6]), 0);

  // After "Slot" was clicked every row prints, the empty slot with its number alone.
  REQUIRE(LvClickColumn(list, 0));
  REQUIRE(WaitUntil([&] { return LvCell(list, 0, 0) == "00"; }, 5000));
  const std::string all = PrintPalvio(palvio);
  REQUIRE(!all.empty());
  const std::string allText = PdfText(all);
  for (int slot = 0; slot < 7; ++slot)
    CHECK_EQ(LinesStartingWith(allText, "0" + std::to_string(slot)), 1);
  CHECK(IsWindowEnabled(palvio.window));
}

}  // namespace
