#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "print/traffic_print.h"
#include "print_recorder.h"

namespace {

// The traffic list in its current order: slot number, identifier and eleven more cells.
class FakeTrafficList : public TrafficTexts {
 public:
  std::vector<std::vector<std::string>> rows;
  std::vector<bool> unreadable;
  int sortColumn = 2;
  std::vector<size_t> sizesAsked;  // buffer sizes of every fetch of row 0

  // `occupied` slots with texts first, as a sort puts them, then empty ones.
  FakeTrafficList(int slots, int occupied) {
    for (int s = 0; s < slots; ++s) {
      std::vector<std::string> row;
      char slot[16];
      snprintf(slot, sizeof slot, "%02d", s);
      row.push_back(slot);
      for (int c = 1; c < kTrafficPrintColumnCount; ++c)
        row.push_back(s < occupied ? "s" + std::to_string(s) + "c" + std::to_string(c) : "");
      rows.push_back(row);
    }
    unreadable.assign(rows.size(), false);
  }
  int RowCount() override { return int(rows.size()); }
  bool CellText(int row, int column, char* out, size_t size) override {
    if (row < 0 || row >= int(rows.size()) || unreadable[row]) return false;
    if (row == 0) sizesAsked.push_back(size);
    snprintf(out, size, "%s", rows[row][column].c_str());
    return true;
  }
  int SortColumn() override { return sortColumn; }
};

// Rows printed: the slot numbers in print order.
std::vector<std::string> PrintedSlots(const PrintRecorder& printer) {
  std::vector<std::string> out;
  for (const PrintOp& op : printer.ops)
    if (op.kind == PrintOp::Text && !op.bold) out.push_back(op.text);
  std::vector<std::string> slots;
  for (const std::string& t : out)
    if (t.size() == 2) slots.push_back(t);
  return slots;
}

TEST(TrafficPrint, HeaderRuleAndHeadingsAtTheirOffsets) {
  FakeTrafficList list(1, 1);
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();  // L 40, R 560, top 40, h 10, w 5
  ASSERT_TRUE(PrintTrafficRows(printer, list, layout));

  const PrintOp* title = printer.FindText("FS2002 A.I. Aircraft Details");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->x, 40);
  EXPECT_EQ(title->y, 40);
  EXPECT_TRUE(title->bold);
  const PrintOp* page = printer.FindText("Page 1");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->x, 560);
  EXPECT_EQ(page->align, TextAlign::Right);
  // Rule one and a half lines down, four pixels thick, margin to margin.
  EXPECT_EQ(printer.LineYs(1), (std::vector<int>{55, 56, 57, 58}));
  for (const PrintOp& op : printer.ops)
    if (op.kind == PrintOp::Line) {
      EXPECT_EQ(op.x, 40);
      EXPECT_EQ(op.x1, 560);
    }
  const char* headings[] = {"Slot", "ID",  "Dist", "Brg(M)", "AltDiff", "Lat", "Long",
                            "Alt",  "Hdg(M)", "GS", "VS",   "COM1",    "Ref"};
  const int offsets[] = {0, 7, 29, 38, 46, 55, 71, 89, 97, 106, 112, 120, 130};
  for (int c = 0; c < kTrafficPrintColumnCount; ++c) {
    SCOPED_TRACE(headings[c]);
    const PrintOp* op = printer.FindText(headings[c]);
    ASSERT_TRUE(op);
    EXPECT_EQ(op->x, 40 + 5 * offsets[c]);
    EXPECT_EQ(op->y, 65);
    EXPECT_TRUE(op->bold);
  }
  // The first row two lines under the headings, in the plain font, each cell at its offset.
  const PrintOp* slot = printer.FindText("00");
  ASSERT_TRUE(slot);
  EXPECT_EQ(slot->y, 85);
  EXPECT_FALSE(slot->bold);
  EXPECT_EQ(printer.FindText("s0c12")->x, 40 + 5 * 130);
  EXPECT_EQ(printer.FindText("s0c12")->y, 85);
}

TEST(TrafficPrint, FetchLimitsPerColumn) {
  FakeTrafficList list(1, 1);
  list.rows[0][1] = std::string(40, 'N');
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintTrafficRows(printer, list, layout));
  // The identifier probe, then the thirteen cells with room for their limits.
  EXPECT_EQ(list.sizesAsked, (std::vector<size_t>{4, 32, 32, 16, 16, 16, 16, 80, 80, 80, 80,
                                                  80, 80, 80}));
  EXPECT_TRUE(printer.FindText(std::string(31, 'N')));
}

TEST(TrafficPrint, WhereThePrintoutStops) {
  struct {
    const char* name;
    int slots, occupied, sortColumn;
    int blankIdAt;  // an occupied row whose identifier text is empty, -1 none
    size_t printed;
  } cases[] = {
      {"sorted by distance: three of twenty", 20, 3, 2, -1, 3},
      {"sorted by another column", 20, 3, 5, -1, 3},
      {"slot order after a Slot click: every row", 20, 3, 0, -1, 20},
      {"sorted, occupied slot without identifier", 20, 5, 2, 2, 2},
      {"slot order, occupied slot without identifier", 20, 5, 0, 2, 20},
      {"sorted, no slot occupied", 20, 0, 2, -1, 0},
      {"sorted, every slot occupied", 20, 20, 2, -1, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTrafficList list(c.slots, c.occupied);
    list.sortColumn = c.sortColumn;
    if (c.blankIdAt >= 0) list.rows[c.blankIdAt][1] = "";
    PrintRecorder printer;
    PrintLayout layout = SmallPageLayout(4000);
    EXPECT_TRUE(PrintTrafficRows(printer, list, layout));  // a normal end in every case
    std::vector<std::string> slots = PrintedSlots(printer);
    ASSERT_EQ(slots.size(), c.printed);
    for (size_t i = 0; i < slots.size(); ++i) {
      char expected[16];
      snprintf(expected, sizeof expected, "%02d", int(i));
      EXPECT_EQ(slots[i], expected);
    }
  }
}

TEST(TrafficPrint, EmptySlotsPrintOnlyTheirNumber) {
  FakeTrafficList list(4, 1);
  list.sortColumn = 0;
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintTrafficRows(printer, list, layout));
  int nonEmptyOnRow3 = 0;
  const int row3Y = 85 + 3 * 10;
  for (const PrintOp& op : printer.ops)
    if (op.kind == PrintOp::Text && op.y == row3Y && !op.text.empty()) ++nonEmptyOnRow3;
  EXPECT_EQ(nonEmptyOnRow3, 1);
  EXPECT_EQ(printer.FindText("03")->y, row3Y);
}

TEST(TrafficPrint, UnreadableRowsAreSkipped) {
  FakeTrafficList list(5, 5);
  list.unreadable[1] = true;
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintTrafficRows(printer, list, layout));
  EXPECT_EQ(PrintedSlots(printer), (std::vector<std::string>{"00", "02", "03", "04"}));
  EXPECT_EQ(printer.FindText("02")->y, 95);  // straight under row 0
}

TEST(TrafficPrint, RowsMoveToANewPageTwoLinesAboveTheBottomLimit) {
  // Bottom limit 300 - 40 - 10 = 250: a row prints while y < 230. Rows start at 85.
  FakeTrafficList list(40, 40);
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout(300);
  ASSERT_TRUE(PrintTrafficRows(printer, list, layout));
  // Page 1 takes rows at 85, 95, ..., 225: fifteen rows; page 2 the next fifteen.
  EXPECT_EQ(printer.Count(PrintOp::StartPage), 3);
  EXPECT_EQ(printer.Count(PrintOp::EndPage), 2);
  EXPECT_EQ(printer.FindText("14", 1)->y, 225);
  EXPECT_EQ(printer.FindText("15", 2)->y, 85);
  EXPECT_EQ(printer.FindText("30", 3)->y, 85);
  for (int page = 2; page <= 3; ++page) {
    SCOPED_TRACE(page);
    std::vector<std::string> texts = printer.Texts(page);
    ASSERT_GE(texts.size(), 16u);
    EXPECT_EQ(texts[0], "FS2002 A.I. Aircraft Details");
    EXPECT_EQ(texts[1], "Page " + std::to_string(page));
    EXPECT_EQ(texts[2], "Slot");
    EXPECT_EQ(texts[14], "Ref");
    EXPECT_EQ(printer.LineYs(page), (std::vector<int>{55, 56, 57, 58}));
  }
}

TEST(TrafficPrint, APageThatCannotStartAbortsTheJob) {
  FakeTrafficList list(40, 40);
  PrintRecorder printer;
  printer.failStartPageAt = 2;
  PrintLayout layout = SmallPageLayout(300);
  EXPECT_FALSE(PrintTrafficRows(printer, list, layout));
  EXPECT_EQ(printer.ops.back().kind, PrintOp::StartPage);
  EXPECT_EQ(PrintedSlots(printer).size(), 15u);
}

TEST(TrafficPrint, RowCountIsTakenOnce) {
  // Rows added while the job runs are not printed; rows are read by position as they print.
  struct GrowingList : FakeTrafficList {
    GrowingList() : FakeTrafficList(3, 3) {}
    int calls = 0;
    int RowCount() override {
      ++calls;
      return FakeTrafficList::RowCount();
    }
  } list;
  PrintRecorder printer;
  PrintLayout layout = SmallPageLayout();
  ASSERT_TRUE(PrintTrafficRows(printer, list, layout));
  EXPECT_EQ(list.calls, 1);
}

}  // namespace
