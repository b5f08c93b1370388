// A list as plain text for the clipboard: a line of column titles, then one line per row, in
// the order the list shows them. Cells are separated by tabs and lines end with CR LF.
#pragma once

#include <cstddef>
#include <vector>

class TableText {
 public:
  // The next cell of the line being built. Blanks around the text go (the lists pad some
  // cells for their own columns); a tab or line break inside it becomes a blank, so that
  // every line keeps one cell per column.
  void Cell(const char* text);
  void EndLine();
  // The text so far; not ended by a zero byte.
  const char* Bytes() const { return text_.data(); }
  size_t Size() const { return text_.size(); }
  int Lines() const { return lines_; }

 private:
  void Put(char c) { text_.push_back(c); }

  std::vector<char> text_;
  bool lineOpen_ = false;
  int lines_ = 0;
};
