#include "common/table_text.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void TableText::Cell(const char* text) {
  if (lineOpen_) Put('\t');
  lineOpen_ = true;
  if (!text) return;
  const char* begin = text;
  const char* end = text + std::strlen(text);
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  for (const char* p = begin; p < end; ++p) Put(IsBlank(*p) ? ' ' : *p);
}

void TableText::EndLine() {
  Put('\r');
  Put('\n');
  lineOpen_ = false;
  ++lines_;
}
