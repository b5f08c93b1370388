#include "traffic/win/traffic_list.h"

#include <commctrl.h>

#include <cstdio>

#include "link/win/ipc_client.h"
#include "resources/palvio_resource.h"
#include "traffic/advisory_display.h"
#include "traffic/traffic_table.h"
#include "traffic/win/advisories.h"
#include "traffic/win/scope_window.h"

namespace {

struct ColumnSpec {
  const char* heading;
  int width;  // pixels
};

const ColumnSpec kColumns[] = {
    {"Slot", 40},       {"ID", 160},      {"Distance", 70}, {"Bearing(M)", 70},
    {"AltDiff(FL)", 70}, {"Latitude", 120}, {"Longitude", 120}, {"Altitude", 70},
    {"Hdg(M)", 55},     {"GS", 40},       {"VS", 50},       {"COM1", 50},
    {"Ref", 50},
};
// After the specified thirteen while advisories are on.
const ColumnSpec kAdvisoryColumnSpecs[kAdvisoryColumns] = {
    {"Class", 70}, {"Closest", 60}, {"In", 50}};

// Rows of these classes are coloured: text, background.
constexpr COLORREF kTrafficRowText = RGB(0, 0, 0);
constexpr COLORREF kTrafficRowBack = RGB(255, 200, 90);
constexpr COLORREF kResolutionRowText = RGB(255, 255, 255);
constexpr COLORREF kResolutionRowBack = RGB(215, 30, 30);

HWND list = nullptr;
bool rowsMade = false;
int sortColumn = kColumnDistance;
bool refreshing = false;
TrafficTable table;

class WindowMessageTransport : public IpcTransport {
 public:
  bool Send() override { return IpcSend(); }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }
};

bool FetchTraffic() {
  WindowMessageTransport transport;
  if (table.FetchTraffic(IpcView(), IpcViewSize(), transport)) return true;
  // Once a message has timed out the simulator is gone or hung, not badly installed.
  if (!IpcDeliveryFailed())
    ShowError(nullptr, 0, "IPC message failure: not correct Korvel installation?");
  return false;
}

// The advisory columns sort by threat: class, then time to the closest approach.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
  if (column >= kAdvisoryFirstColumn) {
    if (!table.SlotOccupied(int(a)) || !table.SlotOccupied(int(b)))
      return table.CompareSlots(int(a), int(b), kColumnSlot);
    const int threat = CompareTrafficThreat(int(a), int(b));
    return threat ? threat : int(a - b);
  }
  return table.CompareSlots(int(a), int(b), int(column));
}

void InsertColumn(int index, const ColumnSpec& shape) {
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = shape.width;
  column.pszText = const_cast<char*>(shape.heading);
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(index), LPARAM(&column));
}

int ColumnCount() {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  return header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void ShowAdvisoryColumns(bool on) {
  if (!list) return;
  if (on && ColumnCount() == kAdvisoryFirstColumn) {
    for (int i = 0; i < kAdvisoryColumns; ++i)
      InsertColumn(kAdvisoryFirstColumn + i, kAdvisoryColumnSpecs[i]);
  } else if (!on) {
    while (ColumnCount() > kAdvisoryFirstColumn)
      SendMessageA(list, LVM_DELETECOLUMN, WPARAM(ColumnCount() - 1), 0);
  }
}

void LvSetCellText(int row, int column, const char* text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(row), LPARAM(&item));
}

// Columns, then one row per slot; the list's ascending text order keeps them in slot order.
void MakeRows(HWND mainWindow, int slotCount) {
  RECT client;
  GetClientRect(mainWindow, &client);
  list = CreateWindowExA(0, WC_LISTVIEWA, "",
                         WS_CHILD | WS_VISIBLE | WS_THICKFRAME | LVS_REPORT | LVS_SINGLESEL |
                             LVS_SORTASCENDING,
                         0, 0, client.right, client.bottom, mainWindow,
                         reinterpret_cast<HMENU>(IDC_TRAFFIC_LIST),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE)),
                         nullptr);
  if (!list) {
    const DWORD error = GetLastError();
    if (error) ShowError(mainWindow, int(error), "creating details window");
    return;
  }
  for (int i = 0; i < int(sizeof kColumns / sizeof kColumns[0]); ++i) InsertColumn(i, kColumns[i]);
  ShowAdvisoryColumns(AdvisoriesOn());
  for (int slot = 0; slot < slotCount; ++slot) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", slot);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = slot;
    item.pszText = text;
    item.lParam = slot;
    SendMessageA(list, LVM_INSERTITEMA, 0, LPARAM(&item));
  }
}

// Rewrites every row in its present order; false when a row's slot number cannot be read.
bool FillRows() {
  const OwnPosition own = table.DecodeOwnPosition();
  const int rows = list ? int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  for (int row = 0; row < rows; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, LPARAM(&item))) return false;
    SlotTexts texts;
    table.FormatSlot(int(item.lParam), own, texts);
    for (int column = 1; column <= kSlotColumns; ++column)
      LvSetCellText(row, column, texts.cell[column - 1]);
    if (!AdvisoriesOn()) continue;
    AdvisoryCells cells;
    FormatAdvisoryCells(TrafficTarget(int(item.lParam)), cells);
    if (!table.SlotOccupied(int(item.lParam))) cells = AdvisoryCells();  // only its number
    for (int k = 0; k < kAdvisoryColumns; ++k)
      LvSetCellText(row, kAdvisoryFirstColumn + k, cells.cell[k]);
  }
  return true;
}

void RefreshOnce(HWND mainWindow) {
  // No alert outlives the traffic it was about: a failed fetch or an empty table ends them.
  const ULONGLONG sent = GetTickCount64();
  if (!FetchTraffic()) {
    ForgetTrafficTracks(mainWindow);
    return;
  }
  // The moment of the replies, for the tracks: half way through a quick exchange (the module
  // read them somewhere in it), else its end; before the rows are made or filled.
  const ULONGLONG answered = GetTickCount64();
  const double fetchedAt =
      double(answered - sent < 500 ? sent + (answered - sent) / 2 : answered) / 1000.0;
  const int slotCount = table.GetSlotCount();
  if (slotCount == 0) {
    ForgetTrafficTracks(mainWindow);
    return;
  }
  if (!rowsMade) {
    rowsMade = true;
    MakeRows(mainWindow, slotCount);
  }
  TrackTraffic(table, fetchedAt);
  if (!FillRows()) return;
  if (!list) return;
  if (sortColumn != kColumnSlot)
    SendMessageA(list, LVM_SORTITEMS, WPARAM(sortColumn), reinterpret_cast<LPARAM>(CompareRows));
  InvalidateRect(list, nullptr, FALSE);
  ShowAdvisoryAlert(mainWindow, table);
}

}  // namespace

void RefreshTraffic(HWND mainWindow) {
  if (refreshing) return;
  refreshing = true;
  RefreshOnce(mainWindow);
  ScopeTrafficChanged();
  refreshing = false;
}

void SortTrafficByColumn(int column) {
  if (!list) return;
  SendMessageA(list, LVM_SORTITEMS, WPARAM(column), reinterpret_cast<LPARAM>(CompareRows));
  sortColumn = column;
}

void TrafficAdvisoriesSwitched(bool on) {
  ShowAdvisoryColumns(on);
  if (!on && sortColumn >= kAdvisoryFirstColumn) SortTrafficByColumn(kColumnDistance);
  if (list) InvalidateRect(list, nullptr, FALSE);
}

LRESULT TrafficListCustomDraw(const NMLVCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return AdvisoriesOn() ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !AdvisoriesOn()) return CDRF_DODEFAULT;
  const int slot = int(draw->nmcd.lItemlParam);
  if (!table.SlotOccupied(slot)) return CDRF_DODEFAULT;
  const ThreatLevel level = TrafficTarget(slot).level;
  NMLVCUSTOMDRAW* change = const_cast<NMLVCUSTOMDRAW*>(draw);
  if (level == kThreatResolution) {
    change->clrText = kResolutionRowText;
    change->clrTextBk = kResolutionRowBack;
  } else if (level == kThreatTraffic) {
    change->clrText = kTrafficRowText;
    change->clrTextBk = kTrafficRowBack;
  }
  return CDRF_DODEFAULT;
}

void ResizeTrafficList(int width, int height) {
  if (list) SetWindowPos(list, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_SHOWWINDOW);
}

void DestroyTrafficList() {
  if (list) DestroyWindow(list);
  list = nullptr;
}

HWND TrafficList() { return list; }

const TrafficTable& ShownTrafficTable() { return table; }

int TrafficSortColumn() { return sortColumn; }
