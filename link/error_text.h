// The text of the one error box both programs show.
#pragma once

#include <cstddef>

constexpr size_t kErrorTextSize = 256;

// "Error %d reported: %s" for a non-zero code (signed decimal), "Error: %s" for 0. The text is
// cut to fit `size` bytes and always ends with a zero.
void FormatErrorText(char* out, size_t size, int code, const char* text);
