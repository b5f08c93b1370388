#include "common/table_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Build(const std::vector<std::vector<const char*>>& lines) {
  TableText text;
  for (const auto& line : lines) {
    for (const char* cell : line) text.Cell(cell);
    text.EndLine();
  }
  return std::string(text.Bytes(), text.Size());
}

TEST(TableText, LinesOfTabSeparatedCells) {
  struct Case {
    std::vector<std::vector<const char*>> lines;
    const char* text;
  } cases[] = {
      {{}, ""},
      {{{"Clouds", "From", "To"}}, "Clouds\tFrom\tTo\r\n"},
      {{{"Slot", "ID"}, {"00", "N123"}, {"01", "D-ABCD"}},
       "Slot\tID\r\n00\tN123\r\n01\tD-ABCD\r\n"},
      // Padding goes; blanks inside a cell stay.
      {{{"  0 ", " 1640ft", "Light rain "}}, "0\t1640ft\tLight rain\r\n"},
      // Empty cells keep their place, also at the end of a line.
      {{{"a", "", nullptr, ""}}, "a\t\t\t\r\n"},
      // A tab or line break inside a cell would start a new cell or line.
      {{{"x\ty", "p\r\nq"}}, "x y\tp  q\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Build(c.lines), c.text);
}

TEST(TableText, CountsLines) {
  TableText text;
  text.Cell("a");
  text.EndLine();
  text.EndLine();
  EXPECT_EQ(text.Lines(), 2);
  EXPECT_EQ(std::string(text.Bytes(), text.Size()), "a\r\n\r\n");
}

}  // namespace
