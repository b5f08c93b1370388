#include "print/pane_print.h"

#include <cstdio>

namespace {

// Widths are the list columns' widths; the divisor per pane makes the wide tables fit a page.
const PanePrintEntry kPanePrintTable[kPrintPaneCount] = {
    {0, "Visibility", 5, 3, {{"From", 90}, {"To", 90}, {"Range", 130}}},
    {1, "Pressure", 6, 2, {{"QNH", 180}, {"Drift", 100}}},
    {2, "Temperature", 4, 4, {{"Alt", 70}, {"Day", 80}, {"Var", 80}, {"Dew", 80}}},
    {3, "Winds Set", 6, 6,
     {{"To", 100}, {"Speed", 70}, {"Dir", 70}, {"Gust", 70}, {"Turb", 50}, {"Shear", 50}}},
    {4, "Cloud", 7, 10,
     {{"From", 95}, {"To", 95}, {"Dev", 70}, {"Cover", 60}, {"Type", 50}, {"Turb", 50},
      {"Ice", 50}, {"Precip", 80}, {"PrRate", 80}, {"PrBase", 80}}},
    {5, "Winds Applied", 6, 6,
     {{"To", 100}, {"Speed", 70}, {"Dir", 70}, {"Gust", 70}, {"Turb", 50}, {"Shear", 50}}},
};

constexpr int kRowNumberChars = 20;  // printed width of column 0 in character widths
constexpr size_t kCellTextSize = 64;
constexpr size_t kCaptionTextSize = 512;

}  // namespace

const PanePrintEntry& PanePrintEntryFor(int pane) { return kPanePrintTable[pane]; }

int PrintedColumnWidth(int pane, int column, int charWidth) {
  const PanePrintEntry& entry = kPanePrintTable[pane];
  return entry.columns[column - 1].width * charWidth / entry.divisor;
}

bool PanePrinter::StartPrintPage(int pane) {
  if (!surface_.StartPage()) return false;
  layout_.y = layout_.topMargin;
  surface_.SelectFont(true);
  layout_.pageNumber += 1;
  // The caption goes out as it stands: a percent sign in it is no format.
  char caption[kCaptionTextSize] = "";
  texts_.Caption(caption, sizeof caption);
  surface_.Text(layout_.leftMargin, layout_.y, caption, TextAlign::Left);
  char page[32];
  snprintf(page, sizeof page, "Page %d", layout_.pageNumber);
  surface_.Text(layout_.rightEdge, layout_.y, page, TextAlign::Right);
  layout_.y += layout_.lineHeight;
  PrintSectionHeading(pane);
  return true;
}

void PanePrinter::PrintSectionHeading(int pane) {
  int x = layout_.leftMargin;
  surface_.SelectFont(true);
  layout_.y += layout_.lineHeight / 2;
  for (int i = 0; i < 4; ++i)
    surface_.HorizontalLine(layout_.leftMargin, layout_.rightEdge, layout_.y + i);
  layout_.y += layout_.lineHeight;
  if (pane >= 0) {
    const PanePrintEntry& entry = kPanePrintTable[pane];
    surface_.Text(x, layout_.y, entry.title, TextAlign::Left);
    x += layout_.charWidth * 100 / 5;
    for (int c = 1; c <= entry.columnCount; ++c) {
      surface_.Text(x, layout_.y, entry.columns[c - 1].heading, TextAlign::Left);
      x += PrintedColumnWidth(pane, c, layout_.charWidth);
    }
    layout_.y += layout_.lineHeight;
  }
  surface_.SelectFont(false);
  layout_.currentSection = pane;
}

bool PanePrinter::PrintPaneRow(int row, int pane) {
  if (pane != layout_.currentSection) PrintSectionHeading(pane);
  char label[4];
  if (!texts_.CellText(pane, row, 0, label, sizeof label)) return true;
  int x = layout_.leftMargin;
  if (layout_.y >= layout_.bottomLimit - layout_.lineHeight) {
    surface_.EndPage();
    if (!StartPrintPage(pane)) return false;
  }
  const PanePrintEntry& entry = kPanePrintTable[pane];
  for (int c = 0; c <= entry.columnCount; ++c) {
    char cell[kCellTextSize];
    if (texts_.CellText(pane, row, c, cell, sizeof cell))
      surface_.Text(x, layout_.y, cell, TextAlign::Left);
    x += c == 0 ? kRowNumberChars * layout_.charWidth
                : PrintedColumnWidth(pane, c, layout_.charWidth);
  }
  layout_.y += layout_.lineHeight;
  return true;
}

bool PrintAllPanes(PrintSurface& surface, PaneTexts& texts, PrintLayout& layout) {
  PanePrinter printer(surface, texts, layout);
  if (!printer.StartPrintPage(kPanePrintOrder[0])) return false;
  for (int pane : kPanePrintOrder) {
    // The last row of a pane is its empty insertion row.
    const int n = texts.RowCount(pane) - 1;
    for (int row = 0; row < n; ++row)
      if (!printer.PrintPaneRow(row, pane)) return false;
  }
  printer.PrintSectionHeading(-1);
  return true;
}
