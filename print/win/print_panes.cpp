#include "print/win/print_panes.h"

#include <commctrl.h>

#include <cstdio>

#include "print/pane_print.h"
#include "print/win/print_job.h"
#include "print/win/print_setup.h"

bool printInProgress = false;

namespace {

constexpr int kVentrelFontTenths = 90;  // 9 points

class ListPanes : public PaneTexts {
 public:
  explicit ListPanes(const PanePrintWindows& windows) : windows_(windows) {}

  int RowCount(int pane) override {
    return int(SendMessageA(windows_.panes[pane], LVM_GETITEMCOUNT, 0, 0));
  }
  bool CellText(int pane, int row, int column, char* out, size_t size) override {
    if (size == 0 || row < 0 || row >= RowCount(pane)) return false;
    out[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = int(size);
    SendMessageA(windows_.panes[pane], LVM_GETITEMTEXTA, WPARAM(row),
                 reinterpret_cast<LPARAM>(&item));
    return true;
  }
  void Caption(char* out, size_t size) override {
    if (size == 0) return;
    out[0] = '\0';
    GetWindowTextA(windows_.mainWindow, out, int(size));
  }

 private:
  const PanePrintWindows& windows_;
};

bool PrintPanePages(PrintSurface& surface, PrintLayout& layout, void* context) {
  return PrintAllPanes(surface, *static_cast<ListPanes*>(context), layout);
}

void SetPrinting(const PanePrintWindows& windows, bool on) {
  printInProgress = on;
  if (windows.printingFlag) *windows.printingFlag = on;
}

}  // namespace

void PrintPanes(bool release, const PanePrintWindows& windows) {
  SetPrinting(windows, true);
  if (release) {
    ReleasePrinterSettings();
  } else {
    ListPanes panes(windows);
    const PrintJobSettings settings = {windows.mainWindow, kVentrelFontTenths, "Ventrel",
                                       "Ventrel", windows.onBoxDestroyed};
    RunPrintJob(settings, PrintPanePages, &panes);
  }
  SetPrinting(windows, false);
}

void PrintPanesCommand(bool busy, const PanePrintWindows& windows) {
  // A picture printing: one job at a time, and its printing flag is not this command's to end.
  if (windows.printingFlag && *windows.printingFlag) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  if (busy) {
    PostMessageA(windows.mainWindow, WM_COMMAND, kPrintCommand, 0);
    return;
  }
  for (int p = 0; p < kPrintPaneCount; ++p)
    if (!windows.panes[p]) return;
  PrintPanes(false, windows);
}
