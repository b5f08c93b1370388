// The one optional file name on the weather station's command line.
#pragma once

#include <cstddef>

// A tail that starts with a double quote names the file up to the next quote (or the end);
// otherwise the name runs up to the first blank or control character. False, with out empty,
// when there is no name or it does not fit in out.
bool StartupFileName(const char* commandTail, char* out, size_t size);
