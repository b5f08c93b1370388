#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "print/pane_print.h"
#include "print_recorder.h"

namespace {

// Six panes as the lists hold them: rows of cell texts, the insertion row last.
class FakePanes : public PaneTexts {
 public:
  std::vector<std::vector<std::string>> rows[kPrintPaneCount];
  std::string caption = "Nimbrel: Connected";

  // `records` rows of full texts, then the insertion row.
  void Fill(int pane, int records) {
    const int columns = PanePrintEntryFor(pane).columnCount;
    rows[pane].clear();
    for (int r = 0; r <= records; ++r) {
      std::vector<std::string> row;
      char label[16];
      snprintf(label, sizeof label, "% 3d ", r);
      row.push_back(label);
      for (int c = 1; c <= columns; ++c)
        row.push_back(r < records ? "p" + std::to_string(pane) + "r" + std::to_string(r) + "c" +
                                        std::to_string(c)
                                  : "");
      rows[pane].push_back(row);
    }
  }
  int RowCount(int pane) override { return int(rows[pane].size()); }
  bool CellText(int pane, int row, int column, char* out, size_t size) override {
    if (row < 0 || row >= int(rows[pane].size())) return false;
    snprintf(out, size, "%s", rows[pane][row][column].c_str());
    return true;
  }
  void Caption(char* out, size_t size) override { snprintf(out, size, "%s", caption.c_str()); }
};

FakePanes EmptyPanes() {
  FakePanes panes;
  for (int p = 0; p < kPrintPaneCount; ++p) panes.Fill(p, 0);
  return panes;
}

TEST(PanePrintTable, OrderTitlesAndPrintedWidths) {
  const char* titles[] = {"Pressure", "Visibility", "Temperature", "Winds Set", "Winds Applied",
                          "Cloud"};
  const int counts[] = {2, 3, 4, 6, 6, 10};
  for (int i = 0; i < kPrintPaneCount; ++i) {
    const PanePrintEntry& entry = PanePrintEntryFor(kPanePrintOrder[i]);
    EXPECT_EQ(entry.pane, kPanePrintOrder[i]);
    EXPECT_STREQ(entry.title, titles[i]);
    EXPECT_EQ(entry.columnCount, counts[i]);
  }
  // width x char width / divisor, the multiplication first.
  EXPECT_EQ(PrintedColumnWidth(1, 1, 33), 180 * 33 / 6);  // QNH: 990
  EXPECT_EQ(PrintedColumnWidth(0, 3, 7), 182);            // Range: 130 x 7 / 5
  EXPECT_EQ(PrintedColumnWidth(4, 10, 5), 57);            // PrBase: 400 / 7
  EXPECT_EQ(PrintedColumnWidth(2, 1, 5), 87);             // Alt: 350 / 4
}

TEST(PanePrint, OnlyThePressureHeadingWhenEveryPaneIsEmpty) {
  FakePanes panes = EmptyPanes();
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintAllPanes(printer, panes, layout));
  EXPECT_EQ(printer.Texts(), (std::vector<std::string>{"Nimbrel: Connected", "Page 1",
                                                       "Pressure", "QNH", "Drift"}));
  // Heading rule at 40 + 10 + 5, closing rule half a line under the heading line.
  EXPECT_EQ(printer.LineYs(1), (std::vector<int>{55, 56, 57, 58, 80, 81, 82, 83}));
  EXPECT_EQ(printer.Count(PrintOp::StartPage), 1);
  EXPECT_EQ(printer.Count(PrintOp::EndPage), 0);  // the job ends the last page itself
}

TEST(PanePrint, HeaderHeadingAndRowPositions) {
  FakePanes panes = EmptyPanes();
  panes.Fill(1, 1);
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintAllPanes(printer, panes, layout));

  const PrintOp* caption = printer.FindText("Nimbrel: Connected");
  ASSERT_TRUE(caption);
  EXPECT_EQ(caption->x, 40);
  EXPECT_EQ(caption->y, 40);
  EXPECT_TRUE(caption->bold);
  const PrintOp* page = printer.FindText("Page 1");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->x, 560);
  EXPECT_EQ(page->y, 40);
  EXPECT_EQ(page->align, TextAlign::Right);

  struct {
    const char* text;
    int x, y;
    bool bold;
  } expected[] = {
      {"Pressure", 40, 65, true}, {"QNH", 140, 65, true},   // 20 character widths on
      {"Drift", 290, 65, true},                              // + 180 x 5 / 6
      {"  0 ", 40, 75, false},    {"p1r0c1", 140, 75, false}, {"p1r0c2", 290, 75, false},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.text);
    const PrintOp* op = printer.FindText(e.text);
    ASSERT_TRUE(op);
    EXPECT_EQ(op->x, e.x);
    EXPECT_EQ(op->y, e.y);
    EXPECT_EQ(op->bold, e.bold);
  }
  // The closing rule under the last row, with nothing printed after it.
  EXPECT_EQ(printer.LineYs(1).back(), 93);
  EXPECT_EQ(printer.ops.back().kind, PrintOp::Font);
  EXPECT_EQ(layout.currentSection, -1);
}

TEST(PanePrint, AnEmptyPanePrintsNotEvenItsHeading) {
  FakePanes panes = EmptyPanes();
  panes.Fill(0, 2);
  panes.Fill(4, 1);
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintAllPanes(printer, panes, layout));
  std::vector<std::string> texts = printer.Texts();
  for (const char* absent : {"Temperature", "Winds Set", "Winds Applied", "  2 "})
    EXPECT_EQ(std::count(texts.begin(), texts.end(), absent), 0) << absent;
  for (const char* present : {"Pressure", "Visibility", "Cloud", "p0r1c3", "p4r0c10"})
    EXPECT_EQ(std::count(texts.begin(), texts.end(), present), 1) << present;
  // Rule per heading (pressure, visibility, cloud) and the closing one.
  EXPECT_EQ(printer.LineYs(1).size(), 16u);
}

TEST(PanePrint, PanesPrintInTheirPrintOrder) {
  FakePanes panes;
  for (int p = 0; p < kPrintPaneCount; ++p) panes.Fill(p, 1);
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout(4000);
  ASSERT_TRUE(PrintAllPanes(printer, panes, layout));
  std::vector<std::string> firstCells;
  for (const std::string& text : printer.Texts())
    if (text.size() == 6 && text.compare(2, 4, "r0c1") == 0) firstCells.push_back(text);
  EXPECT_EQ(firstCells,
            (std::vector<std::string>{"p1r0c1", "p0r0c1", "p2r0c1", "p3r0c1", "p5r0c1", "p4r0c1"}));
}

TEST(PanePrint, CloudTableSpillsOntoASecondPage) {
  FakePanes panes = EmptyPanes();
  panes.Fill(1, 1);
  panes.Fill(0, 2);
  panes.Fill(2, 3);
  panes.Fill(3, 2);
  panes.Fill(5, 2);
  panes.Fill(4, 60);
  panes.caption = "Nimbrel: Connected: 100% sure %d%s";
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintAllPanes(printer, panes, layout));

  ASSERT_EQ(printer.Count(PrintOp::StartPage), 2);
  ASSERT_EQ(printer.Count(PrintOp::EndPage), 1);
  // The second page opens with the header, then the Cloud heading, then the row that did not fit.
  std::vector<std::string> page2 = printer.Texts(2);
  ASSERT_GE(page2.size(), 14u);
  EXPECT_EQ(page2[0], "Nimbrel: Connected: 100% sure %d%s");
  EXPECT_EQ(page2[1], "Page 2");
  EXPECT_EQ(page2[2], "Cloud");
  EXPECT_EQ(page2[3], "From");
  EXPECT_EQ(page2[12], "PrBase");
  EXPECT_EQ(page2[13].size(), 4u);  // a row label
  EXPECT_EQ(printer.FindText("Cloud", 2)->y, 65);

  // Every cloud row once, in order, across both pages, and none past the page's last line.
  std::vector<int> cloudRows;
  for (const PrintOp& op : printer.ops) {
    if (op.kind != PrintOp::Text || op.text.rfind("p4r", 0) != 0) continue;
    if (op.text.substr(op.text.size() - 3) != "c10") continue;
    cloudRows.push_back(std::stoi(op.text.substr(3)));
    EXPECT_LT(op.y, layout.bottomLimit - layout.lineHeight);
  }
  ASSERT_EQ(cloudRows.size(), 60u);
  for (int r = 0; r < 60; ++r) EXPECT_EQ(cloudRows[r], r);
  const PrintOp* firstOnPage2 = nullptr;
  for (const PrintOp& op : printer.ops)
    if (op.page == 2 && op.kind == PrintOp::Text && op.text.rfind("p4r", 0) == 0) {
      firstOnPage2 = &op;
      break;
    }
  ASSERT_TRUE(firstOnPage2);
  EXPECT_EQ(firstOnPage2->y, 75);
  // The page broke only because the next row would have reached the bottom limit.
  int lastRowY = 0;
  for (const PrintOp& op : printer.ops)
    if (op.page == 1 && op.kind == PrintOp::Text && op.text.rfind("p4r", 0) == 0) lastRowY = op.y;
  EXPECT_LT(lastRowY, layout.bottomLimit - layout.lineHeight);
  EXPECT_GE(lastRowY + layout.lineHeight, layout.bottomLimit - layout.lineHeight);
  // The caption is printed once per page, as it stands.
  EXPECT_EQ(printer.FindText("Nimbrel: Connected: 100% sure %d%s", 1)->y, 40);
}

TEST(PanePrint, AHeadingAtTheFootIsRepeatedWhenItsFirstRowMovesOn) {
  // Page from y 40 to a bottom limit of 120 - 40 - 10 = 70: rows fit while y < 60.
  FakePanes panes = EmptyPanes();
  panes.Fill(1, 0);
  panes.Fill(0, 1);
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout(120);
  ASSERT_TRUE(PrintAllPanes(printer, panes, layout));
  // Page 1: header at 40, Pressure heading at 65, Visibility heading at 90 with no room.
  EXPECT_EQ(printer.FindText("Visibility", 1)->y, 90);
  EXPECT_EQ(printer.Texts(2), (std::vector<std::string>{"Nimbrel: Connected", "Page 2",
                                                        "Visibility", "From", "To", "Range",
                                                        "  0 ", "p0r0c1", "p0r0c2", "p0r0c3"}));
}

TEST(PanePrint, APageThatCannotStartEndsTheJob) {
  FakePanes panes = EmptyPanes();
  panes.Fill(4, 200);
  PrintRecorder printer;
  printer.failStartPageAt = 2;
  PrintLayout layout = SmallPageLayout();
  EXPECT_FALSE(PrintAllPanes(printer, panes, layout));
  EXPECT_EQ(printer.Count(PrintOp::StartPage), 2);
  EXPECT_TRUE(printer.Texts(2).empty());
  EXPECT_EQ(printer.ops.back().kind, PrintOp::StartPage);

  PrintRecorder first;
  first.failStartPageAt = 1;
  PrintLayout layout2 = SmallPageLayout();
  EXPECT_FALSE(PrintAllPanes(first, panes, layout2));
  EXPECT_EQ(first.ops.size(), 1u);
}

TEST(PanePrint, RowsThatVanishedPrintNothing) {
  FakePanes panes = EmptyPanes();
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  PanePrinter pane(printer, panes, layout);
  ASSERT_TRUE(pane.StartPrintPage(1));
  const size_t before = printer.Texts().size();
  EXPECT_TRUE(pane.PrintPaneRow(5, 1));
  EXPECT_EQ(printer.Texts().size(), before);
}

}  // namespace
