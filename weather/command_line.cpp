#include "weather/command_line.h"

#include <cstring>

bool StartupFileName(const char* commandTail, char* out, size_t size) {
  if (size > 0) out[0] = 0;
  if (!commandTail || size == 0) return false;
  const char* begin = commandTail;
  const char* end;
  if (*begin == '"') {
    ++begin;
    end = strchr(begin, '"');
    if (!end) end = begin + strlen(begin);
  } else {
    end = begin;
    // Codes above 127 are letters of the ANSI code page, not separators.
    while (static_cast<unsigned char>(*end) > 32) ++end;
  }
  size_t length = size_t(end - begin);
  if (length == 0 || length >= size) return false;
  memcpy(out, begin, length);
  out[length] = 0;
  return true;
}
