#include "common/win/list_copy.h"

#include <commctrl.h>

#include "common/table_text.h"
#include "common/win/clipboard.h"

namespace {

constexpr int kCellChars = 260;

int ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const int count = header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  return count > 0 ? count : 0;
}

// Columns in the order the header shows them.
bool ColumnOrder(HWND list, int count, int* order) {
  return SendMessageA(list, LVM_GETCOLUMNORDERARRAY, WPARAM(count), LPARAM(order)) != 0;
}

void AddTitles(HWND list, const int* order, int count, TableText& text) {
  for (int i = 0; i < count; ++i) {
    char title[kCellChars] = "";
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    SendMessageA(list, LVM_GETCOLUMNA, WPARAM(order[i]), LPARAM(&column));
    title[sizeof title - 1] = 0;
    text.Cell(title);
  }
  text.EndLine();
}

void AddRow(HWND list, int row, const int* order, int count, TableText& text) {
  for (int i = 0; i < count; ++i) {
    char cell[kCellChars] = "";
    LVITEMA item = {};
    item.iSubItem = order[i];
    item.pszText = cell;
    item.cchTextMax = sizeof cell;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item));
    cell[sizeof cell - 1] = 0;
    text.Cell(cell);
  }
  text.EndLine();
}

bool Copy(HWND owner, HWND list, int first, int count, bool titles) {
  const int columns = ColumnCount(list);
  if (!list || columns == 0) return false;
  constexpr int kMaxColumns = 64;
  int order[kMaxColumns];
  const int shown = columns < kMaxColumns ? columns : kMaxColumns;
  if (!ColumnOrder(list, shown, order))
    for (int i = 0; i < shown; ++i) order[i] = i;
  TableText text;
  if (titles) AddTitles(list, order, shown, text);
  for (int row = first; row < first + count; ++row) AddRow(list, row, order, shown, text);
  return PutTextOnClipboard(owner, text.Bytes(), text.Size());
}

}  // namespace

bool CopyListRows(HWND owner, HWND list, int rowCount) {
  const int rows = list ? int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  if (rowCount < 0 || rowCount > rows) rowCount = rows;
  return Copy(owner, list, 0, rowCount, true);
}

bool CopyListRow(HWND owner, HWND list, int row) {
  const int rows = list ? int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  if (row < 0 || row >= rows) return false;
  return Copy(owner, list, row, 1, false);
}

int ListSelectedRow(HWND list) {
  return list ? int(SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)) : -1;
}
