#include "print/win/print_traffic.h"

#include <commctrl.h>

#include "print/traffic_print.h"
#include "print/win/print_job.h"
#include "print/win/print_setup.h"

namespace {

constexpr int kPalvioFontTenths = 100;  // 10 points

class ListTraffic : public TrafficTexts {
 public:
  explicit ListTraffic(const TrafficPrintWindows& windows) : windows_(windows) {}

  int RowCount() override { return int(SendMessageA(windows_.list, LVM_GETITEMCOUNT, 0, 0)); }
  // Rows are read by position when each prints: a refresh between rows may have re-sorted.
  bool CellText(int row, int column, char* out, size_t size) override {
    if (size == 0 || row < 0 || row >= RowCount()) return false;
    out[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = int(size);
    SendMessageA(windows_.list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return true;
  }
  int SortColumn() override { return windows_.sortColumn ? windows_.sortColumn() : 0; }

 private:
  const TrafficPrintWindows& windows_;
};

bool PrintTrafficPages(PrintSurface& surface, PrintLayout& layout, void* context) {
  return PrintTrafficRows(surface, *static_cast<ListTraffic*>(context), layout);
}

}  // namespace

void PrintTraffic(bool release, const TrafficPrintWindows& windows) {
  if (release) {
    ReleasePrinterSettings();
    return;
  }
  if (!windows.list) return;
  ListTraffic list(windows);
  const PrintJobSettings settings = {windows.mainWindow, kPalvioFontTenths,
                                     "FS2002 AI Aircraft Details", "Palvio", nullptr};
  RunPrintJob(settings, PrintTrafficPages, &list);
}
