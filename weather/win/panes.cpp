#include "weather/win/panes.h"

#include <commctrl.h>

#include "link/win/ipc_client.h"
#include "weather/pane_format.h"
#include "weather/pane_layout.h"
#include "weather/win/layer_dialog.h"
#include "weather/win/ventrel.h"

int currentPane = -1;

namespace {

WNDPROC listProcs[kPaneCount] = {};

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void InsertColumn(HWND list, int index, const char* header, int width) {
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<char*>(header);
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(index), LPARAM(&column));
}

void InsertRow(HWND list, int row) {
  char label[16];
  FormatRowLabel(row, label, sizeof label);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = label;
  SendMessageA(list, LVM_INSERTITEMA, 0, LPARAM(&item));
}

void SetCell(HWND list, int row, int column, char* text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(row), LPARAM(&item));
}

void SetRowState(HWND list, int row, UINT state) {
  LVITEMA item = {};
  item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
}

}  // namespace

// The list is made without LVS_SORTASCENDING and every row is inserted at its own index:
// sorted "% 3d " labels would put row 100 before row 11.
bool CreatePane(HWND parent, int pane) {
  RECT client;
  GetClientRect(parent, &client);
  const PaneRect r = PaneRectangle(pane, client.right, client.bottom);
  SetLastError(0);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_THICKFRAME | LVS_REPORT | LVS_SINGLESEL,
                              r.left, r.top, r.width, r.height, parent, nullptr, ventrel.instance,
                              nullptr);
  if (!list) {
    const DWORD error = GetLastError();
    if (error != 0) ShowError(parent, int(error), "creating a list window");
    return false;
  }
  ventrel.panes[pane] = list;
  listProcs[pane] = WNDPROC(SetWindowLongPtrA(list, GWLP_WNDPROC, LONG_PTR(PaneProc)));

  InsertColumn(list, 0, PaneTitle(pane), kRowNumberColumnWidth);
  const PaneColumn* columns = PaneColumns(pane);
  for (int k = 0; k < PaneColumnCount(pane); ++k)
    InsertColumn(list, k + 1, columns[k].header, columns[k].width);
  return true;
}

void DestroyPanes() {
  for (HWND& pane : ventrel.panes) {
    if (pane) DestroyWindow(pane);
    pane = nullptr;
  }
}

void LayoutPanes(int clientWidth, int clientHeight) {
  for (int p = 0; p < kPaneCount; ++p) {
    if (!ventrel.panes[p]) continue;
    const PaneRect r = PaneRectangle(p, clientWidth, clientHeight);
    SetWindowPos(ventrel.panes[p], nullptr, r.left, r.top, r.width, r.height,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
  }
}

void RefillPane(int pane) {
  HWND list = ventrel.panes[pane];
  if (!list) return;
  const TableRecords records =
      RecordsOf(ventrel.weather.snapshot.Table(pane + 1), PaneRecordSize(pane));

  // One repaint for the whole refill instead of one per row.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, WPARAM(records.count + 1), 0);
  const int columns = PaneColumnCount(pane);
  CellText cells[kMaxPaneColumns];
  for (int r = 0; r < records.count; ++r) {
    InsertRow(list, r);
    FormatPaneRow(pane, records.Record(r), cells);
    for (int k = 0; k < columns; ++k) SetCell(list, r, k + 1, cells[k]);
  }
  InsertRow(list, records.count);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void ActivatePane(int pane, PaneAction action) {
  if (pane == -1) pane = currentPane;
  if (pane < 0 || pane >= kPaneCount) return;
  currentPane = pane;
  // The winds-applied pane can be clicked and scrolled, but is never the target of an action.
  if (ventrel.weather.busy || pane == kAppliedWindTable - 1) return;
  HWND list = ventrel.panes[pane];
  if (!list) return;
  int row = int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
  if (row < 0) row = 0;
  if (GetFocus() != list) SetFocus(list);
  // Every refresh comes here; a row already in that state is left alone so nothing repaints.
  const UINT both = LVIS_FOCUSED | LVIS_SELECTED;
  if (UINT(SendMessageA(list, LVM_GETITEMSTATE, WPARAM(row), both)) != both)
    SetRowState(list, row, both);
  if (action == Select) return;
  RunLayerAction(pane, row, action);
  // The dialog or box has closed: the current pane gets the focus and its row back.
  ActivatePane(-1, Select);
}

int HitTestRow(HWND paneWindow, LPARAM position) {
  SetFocus(nullptr);
  LVHITTESTINFO hit = {};
  hit.pt.x = 8;  // inside the row-number column, so any click on a row's height finds it
  hit.pt.y = short(HIWORD(position));
  int row = int(SendMessageA(paneWindow, LVM_HITTEST, 0, LPARAM(&hit)));
  if (row >= 0) SetRowState(paneWindow, row, LVIS_FOCUSED | LVIS_SELECTED);
  SetFocus(paneWindow);
  return row;
}

int PaneIndexOf(HWND window) {
  for (int p = 0; p < kPaneCount; ++p)
    if (window && ventrel.panes[p] == window) return p;
  return kPaneCount;
}

// pressure -> visibility -> temperature -> cloud -> winds set -> pressure
int NextPaneInCycle(int pane, bool backwards) {
  static const int forward[5] = {2, 0, 4, 1, 3};
  static const int back[5] = {1, 3, 0, 4, 2};
  if (pane < 0 || pane > 4) return pane;
  return backwards ? back[pane] : forward[pane];
}

namespace {

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const int pane = PaneIndexOf(window);
  switch (message) {
    case WM_SETFOCUS:
      ActivatePane(pane, Select);
      break;
    case WM_COMMAND:
      SendMessageA(ventrel.mainWindow, message, wParam, lParam);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (HitTestRow(window, lParam) >= 0) ActivatePane(pane, Select);
      break;
  }
  // During creation (before the pane is registered) and for an unknown window, fall back to
  // the first remembered list procedure: all six are the list class's.
  WNDPROC proc = pane < kPaneCount ? listProcs[pane] : listProcs[0];
  return CallWindowProcA(proc, window, message, wParam, lParam);
}

}  // namespace
