// The traffic display's printout of its list: a title line with page numbers, a rule and the
// column headings on every page, one line per list row in the list's current order.
#pragma once

#include <cstddef>

#include "print/print_layout.h"

constexpr int kTrafficPrintColumnCount = 13;
constexpr int kTrafficIdColumn = 1;

struct TrafficPrintColumn {
  const char* heading;
  int offset;  // in character widths from the left margin
  int limit;   // characters fetched at most
};

extern const TrafficPrintColumn kTrafficPrintColumns[kTrafficPrintColumnCount];

// The list as the printout reads it, row by row at the moment each row prints.
class TrafficTexts {
 public:
  virtual ~TrafficTexts() = default;
  virtual int RowCount() = 0;
  // False when the list cannot give the cell; `out` gets at most size - 1 characters.
  virtual bool CellText(int row, int column, char* out, size_t size) = 0;
  // The column every refresh sorts by; 0 when the list is left in slot order.
  virtual int SortColumn() = 0;
};

enum class RowVerdict { GoOn, Stop, Abort };

class TrafficPrinter {
 public:
  TrafficPrinter(PrintSurface& surface, TrafficTexts& texts, PrintLayout& layout)
      : surface_(surface), texts_(texts), layout_(layout) {}
  TrafficPrinter(const TrafficPrinter&) = delete;
  TrafficPrinter& operator=(const TrafficPrinter&) = delete;

  bool StartTrafficPage();
  RowVerdict PrintTrafficRow(int row);

 private:
  PrintSurface& surface_;
  TrafficTexts& texts_;
  PrintLayout& layout_;
};

// Every row up to, not including, the end of the last page: true when the rows ran out or a
// sorted list reached its first empty slot, false when a page could not be started.
bool PrintTrafficRows(PrintSurface& surface, TrafficTexts& texts, PrintLayout& layout);
