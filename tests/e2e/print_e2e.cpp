// The print machinery through a real printer: CUPS with a PDF queue (scripts/e2e-print sets it
// up before the Wine prefix starts). The test process plays the program: its own main window
// with the six panes or the traffic list, printed with PrintPanes and PrintTraffic while a
// second thread acts as the user at the print dialog. The PDFs are read with pdftotext.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "link/win/ipc_client.h"
#include "print/pane_print.h"
#include "print/traffic_print.h"
#include "print/win/print_panes.h"
#include "print/win/print_setup.h"
#include "print/win/print_traffic.h"
#include "tests/e2e/harness.h"

namespace {

using e2e::WaitUntil;

constexpr char kCaption[] = "Nimbrel: Connected 100% %d";
constexpr char kErrorCaption[] = "Print Test Error";

// PDFs land here (cups-pdf's output folder), as a Windows path with a trailing backslash.
std::string OutFolder() {
  char value[MAX_PATH] = "";
  if (GetEnvironmentVariableA("PRINT_OUT", value, sizeof value) && value[0]) {
    std::string folder = value;
    if (folder.back() != '\\') folder += '\\';
    return folder;
  }
  return e2e::ExeFolder() + "..\\..\\print-out\\";
}

// Z: is the Unix root under Wine.
std::string UnixPath(const std::string& windowsPath) {
  char full[MAX_PATH] = "";
  GetFullPathNameA(windowsPath.c_str(), sizeof full, full, nullptr);
  std::string path = full;
  if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// Runs a shell command on the Unix side; its output goes to `outFile` (a Windows path), which
// is returned once the command has finished. Wine starts Unix programs but gives no handle to
// wait on, so a marker file tells the end.
std::string RunUnix(const std::string& command, const std::string& name) {
  // Beside the PDFs: a folder both sides see under the same path.
  CreateDirectoryA((OutFolder() + "checks").c_str(), nullptr);
  const std::string outFile = OutFolder() + "checks\\" + name;
  const std::string done = outFile + ".done";
  DeleteFileA(outFile.c_str());
  DeleteFileA(done.c_str());
  std::string line = "/bin/sh -c \"(" + command + ") > '" + UnixPath(outFile) + "' 2>&1; echo >'" +
                     UnixPath(done) + "'\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return "";
  if (info.hProcess) CloseHandle(info.hProcess);
  if (info.hThread) CloseHandle(info.hThread);
  WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
  return e2e::ReadTextFile(outFile);
}

std::vector<std::string> PdfFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((OutFolder() + "*.pdf").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// Waits for a PDF not in `before` whose size has settled; "" when none comes.
std::string WaitForNewPdf(const std::vector<std::string>& before, unsigned timeoutMs) {
  std::string name;
  WaitUntil(
      [&] {
        for (const std::string& n : PdfFiles())
          if (std::find(before.begin(), before.end(), n) == before.end()) name = n;
        return !name.empty();
      },
      timeoutMs);
  if (name.empty()) return "";
  const std::string path = OutFolder() + name;
  LONGLONG last = -1;
  WaitUntil(
      [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        LONGLONG size = (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        bool settled = size > 0 && size == last;
        last = size;
        if (!settled) Sleep(300);
        return settled;
      },
      15000);
  return path;
}

int PdfPageCount(const std::string& pdf) {
  std::string info = RunUnix("pdfinfo '" + UnixPath(pdf) + "'", "info.txt");
  size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : atoi(info.c_str() + at + 6);
}

// The text of one page (0: all), layout kept so that a row stays on one line.
std::string PdfText(const std::string& pdf, int page = 0) {
  std::string range = page ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  return RunUnix("pdftotext -layout" + range + " '" + UnixPath(pdf) + "' -",
                 "text" + std::to_string(page) + ".txt");
}

// Keeps page 1 as a picture beside the PDFs: build/print-out/<name>-1.png.
void KeepPagePicture(const std::string& pdf, const std::string& name) {
  RunUnix("pdftoppm -png -r 100 -f 1 -l 1 -singlefile '" + UnixPath(pdf) + "' '" +
              UnixPath(OutFolder() + name) + "'",
          "ppm.txt");
}

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
  PanePrintWindows Windows() { return {main, panes, &printing, nullptr}; }
};

int fakeSortColumn = 2;
int FakeSortColumn() { return fakeSortColumn; }

// A traffic list of `slots` rows, the first `occupied` with an identifier.
struct FakePalvio {
  HWND main = nullptr;
  HWND list = nullptr;

  FakePalvio(int slots, int occupied) {
    main = MakeMainWindow();
    std::vector<std::string> headings;
    for (const TrafficPrintColumn& column : kTrafficPrintColumns) headings.push_back(column.heading);
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
// The user's side, on a thread of its own: the print dialog and whatever box follows.

enum class DialogAnswer { Ok, Cancel };

class PrintDialogUser {
 public:
  // `choosePrinter`: pick this printer in the dialog's list first ("" keeps the shown one).
  PrintDialogUser(DialogAnswer answer, const std::string& choosePrinter = "") {
    thread_ = std::thread([this, answer, choosePrinter] {
      HWND dialog = e2e::WaitForWindow("#32770", "Print", 20000, GetCurrentProcessId());
      if (!dialog) return;
      seen_ = true;
      // The caption comes before the controls; the printer list is filled last.
      HWND printers = nullptr;
      WaitUntil(
          [&] {
            printers = GetDlgItem(dialog, cmb4);
            return (shownPrinter_ = ComboText(printers)) != "" && GetDlgItem(dialog, IDOK);
          },
          5000);
      if (!choosePrinter.empty() && printers) {
        SendMessageA(printers, CB_SELECTSTRING, WPARAM(-1),
                     reinterpret_cast<LPARAM>(choosePrinter.c_str()));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(printers), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(printers));
      }
      SendMessageA(GetDlgItem(dialog, answer == DialogAnswer::Ok ? IDOK : IDCANCEL), BM_CLICK,
                   0, 0);
      // The cancel box lives as long as the job: watch for it, and for any error box, which
      // would otherwise hold the job up.
      WaitUntil([&] {
        if (e2e::FindTopWindow("#32770", "Ventrel", GetCurrentProcessId()) ||
            e2e::FindTopWindow("#32770", "Palvio", GetCurrentProcessId()))
          cancelBoxSeen_ = true;
        if (HWND error = e2e::FindTopWindow("#32770", kErrorCaption, GetCurrentProcessId())) {
          errorText_ += e2e::DialogStaticTexts(error);
          SendMessageA(error, WM_COMMAND, IDOK, 0);
        }
        return done_.load();
      }, 60000);
    });
  }
  ~PrintDialogUser() { Finish(); }
  void Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool Seen() { return Finish(), seen_; }
  const std::string& ShownPrinter() { return Finish(), shownPrinter_; }
  bool CancelBoxSeen() { return Finish(), cancelBoxSeen_; }
  const std::string& ErrorText() { return Finish(), errorText_; }

 private:
  static std::string ComboText(HWND combo) {
    if (!combo) return "";
    char text[256] = "";
    GetWindowTextA(combo, text, sizeof text);
    return text;
  }

  std::thread thread_;
  std::atomic<bool> done_{false};
  bool seen_ = false;
  bool cancelBoxSeen_ = false;
  std::string shownPrinter_;
  std::string errorText_;
};

// Lines of pdftotext's output whose first word is `word`.
int LinesStartingWith(const std::string& text, const std::string& word) {
  int n = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t first = text.find_first_not_of(" \f", start);
    if (first < end && text.compare(first, word.size(), word) == 0 &&
        (first + word.size() == end || text[first + word.size()] == ' '))
      ++n;
    start = end + 1;
  }
  return n;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// ---------------------------------------------------------------------------------------

E2E_TEST(PrintPanes, TwoPagesThroughCupsToPdf) {
  // Pressure, Visibility, Temperature, Winds Set, Cloud, Winds Applied: the cloud table spills.
  FakeVentrel ventrel({2, 1, 3, 2, 100, 2});
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok);
  PrintPanes(false, ventrel.Windows());
  CHECK(user.Seen());
  CHECK(!printInProgress);
  CHECK(!ventrel.printing);
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
  CHECK_EQ(CountOf(all, "P1R1C2"), 1);
  CHECK(page2.find("P4R99C1 ") != std::string::npos);
  CHECK(page1.find("P4R0C1 ") != std::string::npos);
  // Rows of pane 1 come first, cloud rows after winds applied.
  CHECK(all.find("P1R0C1") < all.find("P0R0C1"));
  CHECK(all.find("P5R1C1") < all.find("P4R0C1"));
  CHECK(user.CancelBoxSeen());
}

E2E_TEST(PrintPanes, SecondPrintOpensOnThePrinterChosenFirst) {
  FakeVentrel ventrel({1, 1, 1, 1, 1, 1});
  std::vector<std::string> before = PdfFiles();
  {
    PrintDialogUser user(DialogAnswer::Ok, "PDF2");
    PrintPanes(false, ventrel.Windows());
    CHECK_EQ(user.ShownPrinter(), std::string("PDF"));  // the default before any choice
  }
  CHECK(!WaitForNewPdf(before, 20000).empty());
  char kept[256];
  KeptPrinterName(kept, sizeof kept);
  CHECK_EQ(std::string(kept), std::string("PDF2"));
  before = PdfFiles();
  {
    PrintDialogUser user(DialogAnswer::Ok);
    PrintPanes(false, ventrel.Windows());
    CHECK_EQ(user.ShownPrinter(), std::string("PDF2"));
  }
  CHECK(!WaitForNewPdf(before, 20000).empty());
  // Shut-down: the settings go, and the next print starts on the default printer again.
  PrintPanes(true, ventrel.Windows());
  KeptPrinterName(kept, sizeof kept);
  CHECK_EQ(std::string(kept), std::string(""));
}

E2E_TEST(PrintPanes, CancelInThePrintDialogPrintsNothing) {
  FakeVentrel ventrel({1, 1, 1, 1, 1, 1});
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Cancel);
  PrintPanes(false, ventrel.Windows());
  CHECK(user.Seen());
  CHECK(!user.CancelBoxSeen());
  CHECK_EQ(user.ErrorText(), std::string(""));
  CHECK(IsWindowEnabled(ventrel.main));
  CHECK(WaitForNewPdf(before, 3000).empty());
}

E2E_TEST(PrintTraffic, SortedListStopsAtTheFirstEmptySlot) {
  FakePalvio palvio(20, 3);
  fakeSortColumn = 2;
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok);
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

E2E_TEST(PrintTraffic, SlotOrderPrintsEveryRow) {
  FakePalvio palvio(20, 3);
  fakeSortColumn = 0;
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Ok);
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

E2E_TEST(PrintTraffic, CancelInThePrintDialogPrintsNothing) {
  FakePalvio palvio(5, 5);
  const std::vector<std::string> before = PdfFiles();
  PrintDialogUser user(DialogAnswer::Cancel);
  PrintTraffic(false, palvio.Windows());
  CHECK(user.Seen());
  CHECK(!user.CancelBoxSeen());
  CHECK_EQ(user.ErrorText(), std::string(""));
  CHECK(IsWindowEnabled(palvio.main));
  CHECK(WaitForNewPdf(before, 3000).empty());
  PrintTraffic(true, palvio.Windows());
}

// Run by scripts/e2e-print with no printer queue at all.
E2E_TEST(NoPrinter, NothingPrintsAndOnlyTheDialogErrorShows) {
  FakeVentrel ventrel({1, 1, 1, 1, 1, 1});
  const std::vector<std::string> before = PdfFiles();
  e2e::DialogCloser error(kErrorCaption, 10000, GetCurrentProcessId());
  PrintPanes(false, ventrel.Windows());
  // No default printer: the common dialog's code 0x1008, as "calling Print dialogue".
  CHECK(error.Seen());
  CHECK_EQ(error.Texts(), std::string("Error 4104 reported: calling Print dialogue"));
  CHECK(!e2e::FindTopWindow("#32770", "Print", GetCurrentProcessId()));
  CHECK(!e2e::FindTopWindow("#32770", "Ventrel", GetCurrentProcessId()));
  CHECK(IsWindowEnabled(ventrel.main));
  CHECK(WaitForNewPdf(before, 2000).empty());
  PrintPanes(true, ventrel.Windows());
}

struct ErrorCaption {
  ErrorCaption() { ShowErrorConfigure(kErrorCaption, nullptr); }
} errorCaption;

}  // namespace
