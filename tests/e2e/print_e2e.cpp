// The print machinery through a real printer: CUPS with a PDF queue (scripts/e2e-print sets it
// up before the Wine prefix starts). The test process plays the program: its own main window
// with the six panes or the traffic list, printed with PrintPanes and PrintTraffic while a
// second thread acts as the user at the print dialog. The PDFs are read with pdftotext.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/win/ipc_client.h"
#include "print/pane_print.h"
#include "print/traffic_print.h"
#include "print/win/print_panes.h"
#include "print/win/print_setup.h"
#include "print/win/print_traffic.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/print_checks.h"

namespace {

using namespace e2e;

constexpr char kCaption[] = "Nimbrel: Connected 100% %d";
constexpr char kErrorCaption[] = "Print Test Error";

// ---------------------------------------------------------------------------------------
// The program's side: a main window with list views.

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeMainWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "PrintE2eMain";
    registered = RegisterClassA(&windowClass) != 0;
  }
  HWND window = CreateWindowExA(0, "PrintE2eMain", kCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                10, 10, 900, 600, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  return window;
}

HWND MakeList(HWND parent, const std::vector<std::string>& headings) {
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400,
                              200, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  for (size_t c = 0; c < headings.size(); ++c) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(headings[c].c_str());
    column.cx = 60;
    column.iSubItem = int(c);
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void AddRow(HWND list, const std::vector<std::string>& cells) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<char*>(cells[0].c_str());
  const int row = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  for (size_t c = 1; c < cells.size(); ++c) {
    LVITEMA cell = {};
    cell.iSubItem = int(c);
    cell.pszText = const_cast<char*>(cells[c].c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
  }
}

std::string Label(int row) {
  char label[16];
  snprintf(label, sizeof label, "% 3d ", row);
  return label;
}

// Six panes: `records[p]` rows of texts "P<p>R<r>C<c>", then the empty insertion row.
struct FakeVentrel {
  HWND main = nullptr;
  HWND panes[kPrintPaneCount] = {};

  explicit FakeVentrel(const int (&records)[kPrintPaneCount]) {
    main = MakeMainWindow();
    for (int p = 0; p < kPrintPaneCount; ++p) {
      const PanePrintEntry& entry = PanePrintEntryFor(p);
      std::vector<std::string> headings = {entry.title};
      for (int c = 0; c < entry.columnCount; ++c) headings.push_back(entry.columns[c].heading);
      panes[p] = MakeList(main, headings);
      for (int r = 0; r <= records[p]; ++r) {
        std::vector<std::string> cells = {Label(r)};
        for (int c = 1; c <= entry.columnCount; ++c)
          cells.push_back(r < records[p] ? "P" + std::to_string(p) + "R" + std::to_string(r) +
                                               "C" + std::to_string(c)
                                         : "");
        AddRow(panes[p], cells);
      }
    }
  }
  ~FakeVentrel() { DestroyWindow(main); }

  bool printing = false;
  PanePrintWindows Windows() { return {main, panes, &printing, OnBoxDestroyed}; }

  // Where Ventrel gives the focus back to its current pane.
  static int boxesDestroyed;
  static bool printingWhenBoxWent;
  static void OnBoxDestroyed() {
    ++boxesDestroyed;
    printingWhenBoxWent = printInProgress;
  }
};

int FakeVentrel::boxesDestroyed = 0;
bool FakeVentrel::printingWhenBoxWent = false;

int fakeSortColumn = 2;
int FakeSortColumn() { return fakeSortColumn; }

// A traffic list of `slots` rows, the first `occupied` with an identifier.
struct FakePalvio {
  HWND main = nullptr;
  HWND list = nullptr;

  FakePalvio(int slots, int occupied) {
    main = MakeMainWindow();
    std::vector<std::string> headings;
    for (const TrafficPrintColumn& column : kTrafficPrintColumns)
      headings.push_back(column.heading);
    list = MakeList(main, headings);
    for (int s = 0; s < slots; ++s) {
      char slot[16];
      snprintf(slot, sizeof slot, "%02d", s);
      std::vector<std::string> cells = {slot};
      for (int c = 1; c < kTrafficPrintColumnCount; ++c)
        cells.push_back(s < occupied ? (c == 1 ? "AIRCRAFT" + std::to_string(s)
                                               : "T" + std::to_string(s) + "C" + std::to_string(c))
                                     : "");
      AddRow(list, cells);
    }
  }
  ~FakePalvio() { DestroyWindow(main); }
  TrafficPrintWindows Windows() { return {main, list, FakeSortColumn}; }
};

// ---------------------------------------------------------------------------------------

E2E_TEST(PanesPrint, TwoPagesThroughCupsToPdf) {
  // Rows per pane index (0 Visibility ... 5 Winds Applied): the cloud table spills.
  FakeVentrel ventrel({2, 1, 3, 2, 100, 2});
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok, GetCurrentProcessId(), kErrorCaption);
  FakeVentrel::boxesDestroyed = 0;
  PrintPanes(false, ventrel.Windows());
  CHECK(user.Seen());
  CHECK(!printInProgress);
  CHECK(!ventrel.printing);
  // The cancel box went at the end of the job, while the panes were still held.
  CHECK_EQ(FakeVentrel::boxesDestroyed, 1);
  CHECK(FakeVentrel::printingWhenBoxWent);
  CHECK(IsWindowEnabled(ventrel.main));
  CHECK_EQ(user.ErrorText(), std::string(""));

  const std::string pdf = WaitForNewPdf(before, 20000);
  REQUIRE(!pdf.empty());
  CHECK(pdf.find("Ventrel") != std::string::npos);
  CHECK_EQ(PdfPageCount(pdf), 2);
  KeepPagePicture(pdf, "ventrel-page");

  const std::string page1 = PdfText(pdf, 1);
  const std::string page2 = PdfText(pdf, 2);
  CHECK(page1.find(kCaption) != std::string::npos);
  CHECK(page1.find("Page 1") != std::string::npos);
  CHECK(page2.find(kCaption) != std::string::npos);
  CHECK(page2.find("Page 2") != std::string::npos);
  for (const char* heading : {"Pressure", "Visibility", "Temperature", "Winds Set",
                              "Winds Applied", "Cloud", "QNH", "PrBase"})
    CHECK(page1.find(heading) != std::string::npos);
  // The second page repeats the heading of the pane it continues, and none other.
  CHECK(page2.find("Cloud") != std::string::npos);
  CHECK(page2.find("PrBase") != std::string::npos);
  CHECK(page2.find("Pressure") == std::string::npos);
  // Every cloud row once, the insertion row never. (The narrow cloud columns let the long test
  // texts run into each other, so rows are counted by their first cells.)
  const std::string all = page1 + page2;
  for (int r = 0; r < 100; ++r) {
    const std::string first = "P4R" + std::to_string(r) + "C1 ";
    CHECK_EQ(CountOf(all, first), 1);
  }
  CHECK_EQ(LinesStartingWith(all, "100"), 0);
  CHECK_EQ(CountOf(all, "P1R0C2"), 1);
  CHECK_EQ(CountOf(all, "P0R1C3"), 1);
  CHECK(page2.find("P4R99C1 ") != std::string::npos);
  CHECK(page1.find("P4R0C1 ") != std::string::npos);
  // Rows of pane 1 come first, cloud rows after winds applied.
  CHECK(all.find("P1R0C1") < all.find("P0R0C1"));
  CHECK(all.find("P5R1C1") < all.find("P4R0C1"));
  CHECK(user.CancelBoxSeen());
}

E2E_TEST(PanesPrint, SecondPrintOpensOnThePrinterChosenFirst) {
  FakeVentrel ventrel({1, 1, 1, 1, 1, 1});
  std::vector<std::string> before = PdfFiles();
  {
    PrintDialogUser user(DialogAnswer::Ok, GetCurrentProcessId(), kErrorCaption, "PDF2");
    PrintPanes(false, ventrel.Windows());
    CHECK_EQ(user.ShownPrinter(), std::string("PDF"));  // the default before any choice
  }
  CHECK(!WaitForNewPdf(before, 20000).empty());
  char kept[256];
  KeptPrinterName(kept, sizeof kept);
  CHECK_EQ(std::string(kept), std::string("PDF2"));
  before = PdfFiles();
  {
    PrintDialogUser user(DialogAnswer::Ok, GetCurrentProcessId(), kErrorCaption);
    PrintPanes(false, ventrel.Windows());
    CHECK_EQ(user.ShownPrinter(), std::string("PDF2"));
  }
  CHECK(!WaitForNewPdf(before, 20000).empty());
  // Shut-down: the settings go, and the next print starts on the default printer again.
  PrintPanes(true, ventrel.Windows());
  KeptPrinterName(kept, sizeof kept);
  CHECK_EQ(std::string(kept), std::string(""));
}

E2E_TEST(PanesPrint, CancelInThePrintDialogPrintsNothing) {
  FakeVentrel ventrel({1, 1, 1, 1, 1, 1});
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Cancel, GetCurrentProcessId(), kErrorCaption);
  PrintPanes(false, ventrel.Windows());
  CHECK(user.Seen());
  CHECK(!user.CancelBoxSeen());
  CHECK_EQ(user.ErrorText(), std::string(""));
  CHECK(IsWindowEnabled(ventrel.main));
  CHECK(WaitForNewPdf(before, 3000).empty());
}

E2E_TEST(TrafficPrint, SortedListStopsAtTheFirstEmptySlot) {
  FakePalvio palvio(20, 3);
  fakeSortColumn = 2;
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok, GetCurrentProcessId(), kErrorCaption);
  PrintTraffic(false, palvio.Windows());
  CHECK(user.Seen());
  const std::string pdf = WaitForNewPdf(before, 20000);
  REQUIRE(!pdf.empty());
  CHECK(pdf.find("FS2002") != std::string::npos);
  CHECK_EQ(PdfPageCount(pdf), 1);
  KeepPagePicture(pdf, "palvio-page");
  const std::string text = PdfText(pdf);
  CHECK(text.find("FS2002 A.I. Aircraft Details") != std::string::npos);
  CHECK(text.find("Page 1") != std::string::npos);
  for (const char* heading : {"Slot", "ID", "Dist", "Brg(M)", "AltDiff", "Lat", "Long", "Alt",
                              "Hdg(M)", "GS", "VS", "COM1", "Ref"})
    CHECK(text.find(heading) != std::string::npos);
  CHECK(text.find("AIRCRAFT2") != std::string::npos);
  CHECK(text.find("T2C12") != std::string::npos);
  CHECK_EQ(LinesStartingWith(text, "02"), 1);
  CHECK_EQ(LinesStartingWith(text, "03"), 0);
  CHECK(user.CancelBoxSeen());
}

E2E_TEST(TrafficPrint, SlotOrderPrintsEveryRow) {
  FakePalvio palvio(20, 3);
  fakeSortColumn = 0;
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok, GetCurrentProcessId(), kErrorCaption);
  PrintTraffic(false, palvio.Windows());
  fakeSortColumn = 2;
  const std::string pdf = WaitForNewPdf(before, 20000);
  REQUIRE(!pdf.empty());
  const std::string text = PdfText(pdf);
  CHECK(text.find("AIRCRAFT0") != std::string::npos);
  for (int s = 0; s < 20; ++s) {
    char slot[16];
    snprintf(slot, sizeof slot, "%02d", s);
    CHECK_EQ(LinesStartingWith(text, slot), 1);
  }
  PrintTraffic(true, palvio.Windows());
}

E2E_TEST(TrafficPrint, CancelInThePrintDialogPrintsNothing) {
  FakePalvio palvio(5, 5);
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Cancel, GetCurrentProcessId(), kErrorCaption);
  PrintTraffic(false, palvio.Windows());
  CHECK(user.Seen());
  CHECK(!user.CancelBoxSeen());
  CHECK_EQ(user.ErrorText(), std::string(""));
  CHECK(IsWindowEnabled(palvio.main));
  CHECK(WaitForNewPdf(before, 3000).empty());
  PrintTraffic(true, palvio.Windows());
}

// Run by scripts/e2e-print with no printer queue at all.
E2E_TEST(NoQueue, NothingPrintsAndOnlyTheDialogErrorShows) {
  DWORD needed = 0, printers = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed,
                &printers);
  REQUIRE(needed == 0);  // a printer here would open the dialog, with nobody to answer it
  FakeVentrel ventrel({1, 1, 1, 1, 1, 1});
  const std::vector<std::string> before = PdfFiles();
  DialogCloser error(kErrorCaption, 10000, GetCurrentProcessId());
  PrintPanes(false, ventrel.Windows());
  // No default printer: the common dialog's code 0x1008, as "calling Print dialogue".
  CHECK(error.Seen());
  CHECK_EQ(error.Texts(), std::string("Error 4104 reported: calling Print dialogue"));
  CHECK(!FindTopWindow("#32770", "Print", GetCurrentProcessId()));
  CHECK(!FindTopWindow("#32770", "Ventrel", GetCurrentProcessId()));
  CHECK(IsWindowEnabled(ventrel.main));
  CHECK(WaitForNewPdf(before, 2000).empty());
  PrintPanes(true, ventrel.Windows());
}

struct ErrorCaption {
  ErrorCaption() { ShowErrorConfigure(kErrorCaption, nullptr); }
} errorCaption;

}  // namespace
