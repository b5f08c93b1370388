#include "common/placement.h"

#include <climits>
#include <cstdio>

namespace {

constexpr size_t kValueChars = 79;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Leading blanks, optional sign, digits; a number past the int range saturates, as the
// system's own conversion does, instead of wrapping.
int TextToInt(const char* p, const char* end) {
  while (p < end && IsSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  long long value = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT_MAX + 1LL) value = INT_MAX + 1LL;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return int(value);
}

}  // namespace

bool ParsePlacement(const char* value, int screenWidth, int screenHeight, Placement& out) {
  if (!value) return false;
  const char* end = value;
  while (size_t(end - value) < kValueChars && *end) ++end;  // never looks at the 80th
  const char* p = value;
  while (p < end && *p != '[') ++p;
  if (p == end) return false;
  ++p;
  int numbers[4];
  int count = 0;
  while (p < end && count < 4) {
    numbers[count++] = TextToInt(p, end);
    while (p < end && *p != ',') ++p;
    if (p < end) ++p;
  }
  if (count != 4) return false;
  // In 64 bits, so that a huge left or width cannot wrap round into the screen.
  long long left = numbers[0], top = numbers[1], width = numbers[2], height = numbers[3];
  // The writer never stores a negative size; a hand-made one would give a window of no size.
  if (width < 0 || height < 0) return false;
  if (left > screenWidth || left + width > screenWidth) return false;
  if (top > screenHeight || top + height > screenHeight) return false;
  out = {numbers[0], numbers[1], numbers[2], numbers[3]};
  return true;
}

void FormatPlacement(char* out, size_t size, const Placement& p) {
  snprintf(out, size, "[%d,%d,%d,%d]", p.left, p.top, p.width, p.height);
}
