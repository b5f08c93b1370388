#include "tests/e2e/listview.h"

#include <commctrl.h>

#include <cstring>

namespace e2e {

namespace {

constexpr size_t kTextOffset = 512;  // behind the item or column record
constexpr size_t kTextSize = 512;

}  // namespace

RemoteBuffer::RemoteBuffer(HWND window, size_t size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_)
    address_ = static_cast<uint8_t*>(
        VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

RemoteBuffer::~RemoteBuffer() {
  if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

bool RemoteBuffer::Write(size_t offset, const void* data, size_t size) const {
  SIZE_T done = 0;
  return WriteProcessMemory(process_, address_ + offset, data, size, &done) && done == size;
}

bool RemoteBuffer::Read(size_t offset, void* data, size_t size) const {
  SIZE_T done = 0;
  return ReadProcessMemory(process_, address_ + offset, data, size, &done) && done == size;
}

HWND LvFindChild(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    if (std::strcmp(className, WC_LISTVIEWA) == 0) return child;
  }
  return nullptr;
}

int LvRowCount(HWND list) { return int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<LvColumn> LvColumns(HWND list) {
  std::vector<LvColumn> columns;
  RemoteBuffer remote(list, kTextOffset + kTextSize);
  if (!remote.Valid()) return columns;
  for (int k = 0;; ++k) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = reinterpret_cast<char*>(remote.At(kTextOffset));
    column.cchTextMax = int(kTextSize);
    char text[kTextSize] = "";
    remote.Write(0, &column, sizeof column);
    remote.Write(kTextOffset, text, sizeof text);
    if (!SendMessageA(list, LVM_GETCOLUMNA, WPARAM(k), LPARAM(remote.At(0)))) break;
    remote.Read(0, &column, sizeof column);
    remote.Read(kTextOffset, text, sizeof text);
    text[kTextSize - 1] = 0;
    columns.push_back({text, column.cx});
  }
  return columns;
}

std::string LvCell(HWND list, int row, int column) {
  RemoteBuffer remote(list, kTextOffset + kTextSize);
  if (!remote.Valid()) return "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<char*>(remote.At(kTextOffset));
  item.cchTextMax = int(kTextSize);
  remote.Write(0, &item, sizeof item);
  const LRESULT length = SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), LPARAM(remote.At(0)));
  if (length <= 0) return "";
  char text[kTextSize] = "";
  remote.Read(kTextOffset, text, size_t(length) < kTextSize ? size_t(length) : kTextSize - 1);
  return text;
}

std::vector<std::vector<std::string>> LvCells(HWND list, int columns) {
  std::vector<std::vector<std::string>> rows;
  const int count = LvRowCount(list);
  for (int r = 0; r < count; ++r) {
    std::vector<std::string> row;
    for (int k = 0; k < columns; ++k) row.push_back(LvCell(list, r, k));
    rows.push_back(row);
  }
  return rows;
}

bool LvItemData(HWND list, int row, LPARAM* data) {
  RemoteBuffer remote(list, sizeof(LVITEMA));
  if (!remote.Valid()) return false;
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  remote.Write(0, &item, sizeof item);
  if (!SendMessageA(list, LVM_GETITEMA, 0, LPARAM(remote.At(0)))) return false;
  remote.Read(0, &item, sizeof item);
  *data = item.lParam;
  return true;
}

bool LvClickColumn(HWND list, int column) {
  // A WM_NOTIFY sent from another process is refused under Wine, so the heading itself is
  // clicked: the header tells the list, the list tells its parent.
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  if (!header) return false;
  RemoteBuffer remote(header, sizeof(RECT));
  if (!remote.Valid()) return false;
  RECT rect = {};
  remote.Write(0, &rect, sizeof rect);
  if (!SendMessageA(header, HDM_GETITEMRECT, WPARAM(column), LPARAM(remote.At(0)))) return false;
  remote.Read(0, &rect, sizeof rect);
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  return PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
         PostMessageA(header, WM_LBUTTONUP, 0, at);
}

std::vector<std::string> ListRows(HWND list) {
  std::vector<std::string> rows;
  const int columns = int(LvColumns(list).size());
  const int count = LvRowCount(list);
  for (int r = 0; r < count; ++r) {
    std::string row;
    for (int k = 0; k < columns; ++k) row += (k ? "|" : "") + LvCell(list, r, k);
    rows.push_back(row);
  }
  return rows;
}

UINT ListItemState(HWND list, int row, UINT mask) {
  return UINT(SendMessageA(list, LVM_GETITEMSTATE, WPARAM(row), LPARAM(mask)));
}

bool ListSetItemState(HWND list, int row, UINT state, UINT mask) {
  RemoteBuffer remote(list, sizeof(LVITEMA));
  if (!remote.Valid()) return false;
  LVITEMA item = {};
  item.state = state;
  item.stateMask = mask;
  remote.Write(0, &item, sizeof item);
  return SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), LPARAM(remote.At(0))) != 0;
}

RECT ListItemRect(HWND list, int row) {
  RECT rect = {};
  rect.left = LVIR_BOUNDS;
  RemoteBuffer remote(list, sizeof rect);
  if (!remote.Valid() || !remote.Write(0, &rect, sizeof rect)) return rect;
  if (SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(remote.At(0))))
    remote.Read(0, &rect, sizeof rect);
  return rect;
}

}  // namespace e2e
