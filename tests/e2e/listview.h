// Reading and driving another process's list view: the messages carry pointers into a buffer
// allocated in the list's own process, and the answers are read back from there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// Memory in the process that owns `window`; freed at scope end.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool Valid() const { return address_ != nullptr; }
  uint8_t* At(size_t offset) const { return address_ + offset; }
  bool Write(size_t offset, const void* data, size_t size) const;
  bool Read(size_t offset, void* data, size_t size) const;

 private:
  HANDLE process_ = nullptr;
  uint8_t* address_ = nullptr;
};

struct LvColumn {
  std::string header;
  int width;
};

// The first list view among the window's children, or null.
HWND LvFindChild(HWND parent);
int LvRowCount(HWND list);
std::vector<LvColumn> LvColumns(HWND list);
// A cell's text, leading blanks kept; "" when it cannot be read.
std::string LvCell(HWND list, int row, int column);
// Every row's cells, top to bottom, `columns` cells each.
std::vector<std::vector<std::string>> LvCells(HWND list, int columns);
// The row's item data; false when it cannot be read.
bool LvItemData(HWND list, int row, LPARAM* data);
// Clicks a column heading (posted: the list's parent sees LVN_COLUMNCLICK a moment later).
bool LvClickColumn(HWND list, int column);
// Every row, every column, as "cell|cell|...".
std::vector<std::string> ListRows(HWND list);
UINT ListItemState(HWND list, int row, UINT mask);
bool ListSetItemState(HWND list, int row, UINT state, UINT mask);
RECT ListItemRect(HWND list, int row);

}  // namespace e2e
