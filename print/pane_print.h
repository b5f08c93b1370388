// The weather station's printout of its six panes: a header line per page, a heading per pane,
// one line per pane row, a closing rule. Pages break where the next row would not fit.
#pragma once

#include <cstddef>

#include "print/print_layout.h"

constexpr int kPrintPaneCount = 6;
constexpr int kMaxPaneDataColumns = 10;

struct PanePrintColumn {
  const char* heading;
  int width;  // the pane's list column width in pixels
};

struct PanePrintEntry {
  int pane;
  const char* title;
  int divisor;  // turns list widths into printed widths
  int columnCount;
  PanePrintColumn columns[kMaxPaneDataColumns];
};

// Pressure first: it is the one heading always printed, opening the first page.
constexpr int kPanePrintOrder[kPrintPaneCount] = {1, 0, 2, 3, 5, 4};

const PanePrintEntry& PanePrintEntryFor(int pane);
// Printed width of data column c (1-based) of a pane, in device units.
int PrintedColumnWidth(int pane, int column, int charWidth);

// The panes as the printout reads them: the texts the lists show, and the window caption.
class PaneTexts {
 public:
  virtual ~PaneTexts() = default;
  virtual int RowCount(int pane) = 0;
  // False when the row does not exist; `out` gets at most size - 1 characters.
  virtual bool CellText(int pane, int row, int column, char* out, size_t size) = 0;
  virtual void Caption(char* out, size_t size) = 0;
};

class PanePrinter {
 public:
  PanePrinter(PrintSurface& surface, PaneTexts& texts, PrintLayout& layout)
      : surface_(surface), texts_(texts), layout_(layout) {}
  PanePrinter(const PanePrinter&) = delete;
  PanePrinter& operator=(const PanePrinter&) = delete;

  // False when the page could not be started (reported and aborted by the surface).
  bool StartPrintPage(int pane);
  // The rule, then for pane >= 0 its title and column headings; -1 draws the rule alone.
  void PrintSectionHeading(int pane);
  // False when a new page was needed and could not be started.
  bool PrintPaneRow(int row, int pane);

 private:
  PrintSurface& surface_;
  PaneTexts& texts_;
  PrintLayout& layout_;
};

// The whole printout up to, not including, the end of the last page: true when every row was
// printed and the closing rule drawn, false when a page could not be started.
bool PrintAllPanes(PrintSurface& surface, PaneTexts& texts, PrintLayout& layout);
