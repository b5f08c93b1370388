#include "link/error_text.h"

#include <cstdio>

void FormatErrorText(char* out, size_t size, int code, const char* text) {
  if (!out || size == 0) return;
  if (!text) text = "";
  if (code != 0)
    std::snprintf(out, size, "Error %d reported: %s", code, text);
  else
    std::snprintf(out, size, "Error: %s", text);
}
