// What the six weather panes show: column headers and widths, row labels, and the texts of one
// record's cells. Pane p shows table p + 1.
#pragma once

#include <cstddef>
#include <cstdint>

struct PaneColumn {
  const char* header;
  int width;  // pixels
};

// The row-number column comes first in every pane; its header is the pane title.
constexpr int kRowNumberColumnWidth = 80;
constexpr int kMaxPaneColumns = 10;  // data columns of the cloud pane

const char* PaneTitle(int pane);
int PaneColumnCount(int pane);  // data columns, without the row-number column
const PaneColumn* PaneColumns(int pane);

// "% 3d ": " 42 ", "  0 ".
void FormatRowLabel(int row, char* out, size_t size);

constexpr size_t kCellTextSize = 48;
using CellText = char[kCellTextSize];

// Fills cells[0 .. PaneColumnCount(pane) - 1] with the texts of columns 1 onward for one record
// of the pane's table. The record must hold at least PaneRecordSize(pane) bytes.
void FormatPaneRow(int pane, const uint8_t* record, CellText* cells);

// The least record size a pane's table must have for FormatPaneRow (for RecordsOf).
size_t PaneRecordSize(int pane);

// Display formats shared with the weather-at-altitude dialog and printing.
void FormatFeet(int metres, char* out, size_t size);
void FormatRange(int hundredths, char* out, size_t size);
void FormatPressure(int qnh, char* out, size_t size);
void FormatTemperature(int celsius, char* out, size_t size);
void FormatTemperatureDifference(int celsius, char* out, size_t size);
void FormatDirection(uint16_t direction, char* out, size_t size);
void FormatPrecipitation(int type, char* out, size_t size);
// Speed plus increment unless the gust is above the speed; 0 stays 0.
int ShownGust(int speed, int gust);
