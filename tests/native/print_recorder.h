// A printer that records what a print job asks of it, for the print tests.
#pragma once

#include <string>
#include <vector>

#include "print/print_layout.h"

struct PrintOp {
  enum Kind { StartPage, EndPage, Font, Text, Line } kind = StartPage;
  int page = 0;  // pages started so far
  int x = 0, y = 0, x1 = 0;
  std::string text;
  bool bold = false;
  TextAlign align = TextAlign::Left;
};

class PrintRecorder : public PrintSurface {
 public:
  std::vector<PrintOp> ops;
  int failStartPageAt = 0;  // the n-th StartPage fails (1-based); 0 never

  bool StartPage() override {
    ++pages_;
    ops.push_back(Op(PrintOp::StartPage));
    return pages_ != failStartPageAt;
  }
  void EndPage() override { ops.push_back(Op(PrintOp::EndPage)); }
  void SelectFont(bool bold) override {
    PrintOp op = Op(PrintOp::Font);
    op.bold = bold;
    ops.push_back(op);
    bold_ = bold;
  }
  void Text(int x, int y, const char* text, TextAlign align) override {
    PrintOp op = Op(PrintOp::Text, x, y);
    op.text = text;
    op.bold = bold_;
    op.align = align;
    ops.push_back(op);
  }
  void HorizontalLine(int x0, int x1, int y) override {
    PrintOp op = Op(PrintOp::Line, x0, y);
    op.x1 = x1;
    ops.push_back(op);
  }

  // Texts in print order, empty ones left out.
  std::vector<std::string> Texts(int page = 0) const {
    std::vector<std::string> out;
    for (const PrintOp& op : ops)
      if (op.kind == PrintOp::Text && !op.text.empty() && (page == 0 || op.page == page))
        out.push_back(op.text);
    return out;
  }
  const PrintOp* FindText(const std::string& text, int page = 0) const {
    for (const PrintOp& op : ops)
      if (op.kind == PrintOp::Text && op.text == text && (page == 0 || op.page == page))
        return &op;
    return nullptr;
  }
  int Count(PrintOp::Kind kind) const {
    int n = 0;
    for (const PrintOp& op : ops) n += op.kind == kind;
    return n;
  }
  // y of the lines drawn on a page, in order.
  std::vector<int> LineYs(int page) const {
    std::vector<int> out;
    for (const PrintOp& op : ops)
      if (op.kind == PrintOp::Line && op.page == page) out.push_back(op.y);
    return out;
  }

 private:
  PrintOp Op(PrintOp::Kind kind, int x = 0, int y = 0) const {
    PrintOp op;
    op.kind = kind;
    op.page = pages_;
    op.x = x;
    op.y = y;
    return op;
  }

  int pages_ = 0;
  bool bold_ = false;
};

// A page of 60 units to the inch with a 10-unit line: margins 40, right edge 560, top 40,
// bottom limit 900 - 40 - 10 = 850.
inline PrintLayout SmallPageLayout(int vertRes = 900) {
  return MakePrintLayout({60, 60, 600, vertRes}, {9, 1, 5});
}
