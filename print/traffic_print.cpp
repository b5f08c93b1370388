#include "print/traffic_print.h"

#include <cstdio>

const TrafficPrintColumn kTrafficPrintColumns[kTrafficPrintColumnCount] = {
    {"Slot", 0, 31},  {"ID", 7, 31},      {"Dist", 29, 15}, {"Brg(M)", 38, 15},
    {"AltDiff", 46, 15}, {"Lat", 55, 15}, {"Long", 71, 79}, {"Alt", 89, 79},
    {"Hdg(M)", 97, 79}, {"GS", 106, 79},  {"VS", 112, 79},  {"COM1", 120, 79},
    {"Ref", 130, 79},
};

namespace {

constexpr char kTrafficTitle[] = "FS2002 A.I. Aircraft Details";
constexpr size_t kIdProbeSize = 4;  // enough to tell an empty identifier

}  // namespace

bool TrafficPrinter::StartTrafficPage() {
  if (!surface_.StartPage()) return false;
  layout_.y = layout_.topMargin;
  surface_.SelectFont(true);
  layout_.pageNumber += 1;
  surface_.Text(layout_.leftMargin, layout_.y, kTrafficTitle, TextAlign::Left);
  char page[32];
  snprintf(page, sizeof page, "Page %d", layout_.pageNumber);
  surface_.Text(layout_.rightEdge, layout_.y, page, TextAlign::Right);
  layout_.y += layout_.lineHeight * 3 / 2;
  for (int k = 0; k < 4; ++k)
    surface_.HorizontalLine(layout_.leftMargin, layout_.rightEdge, layout_.y + k);
  layout_.y += layout_.lineHeight;
  for (const TrafficPrintColumn& column : kTrafficPrintColumns)
    surface_.Text(layout_.leftMargin + layout_.charWidth * column.offset, layout_.y,
                  column.heading, TextAlign::Left);
  layout_.y += 2 * layout_.lineHeight;
  surface_.SelectFont(false);
  return true;
}

RowVerdict TrafficPrinter::PrintTrafficRow(int row) {
  char id[kIdProbeSize];
  if (!texts_.CellText(row, kTrafficIdColumn, id, sizeof id)) return RowVerdict::GoOn;
  // Sorted, the empty slots stand after all occupied ones.
  if (texts_.SortColumn() != 0 && id[0] == '\0') return RowVerdict::Stop;
  if (layout_.y >= layout_.bottomLimit - 2 * layout_.lineHeight) {
    surface_.EndPage();
    if (!StartTrafficPage()) return RowVerdict::Abort;
  }
  for (int c = 0; c < kTrafficPrintColumnCount; ++c) {
    const TrafficPrintColumn& column = kTrafficPrintColumns[c];
    char cell[80];
    if (texts_.CellText(row, c, cell, size_t(column.limit) + 1))
      surface_.Text(layout_.leftMargin + layout_.charWidth * column.offset, layout_.y, cell,
                    TextAlign::Left);
  }
  layout_.y += layout_.lineHeight;
  return RowVerdict::GoOn;
}

bool PrintTrafficRows(PrintSurface& surface, TrafficTexts& texts, PrintLayout& layout) {
  TrafficPrinter printer(surface, texts, layout);
  if (!printer.StartTrafficPage()) return false;
  const int count = texts.RowCount();
  for (int row = 0; row < count; ++row) {
    RowVerdict verdict = printer.PrintTrafficRow(row);
    if (verdict == RowVerdict::Stop) break;
    if (verdict == RowVerdict::Abort) return false;
  }
  return true;
}
