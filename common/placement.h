// Window placements as the settings file keeps them: "[left,top,width,height]".
#pragma once

#include <cstddef>

struct Placement {
  int left, top, width, height;
};

// True when the value holds four numbers after its first "[" and the rectangle stays inside
// the primary screen on the right and at the bottom (left and top may be negative). Only the
// first 79 characters count, as the settings reader takes no more.
bool ParsePlacement(const char* value, int screenWidth, int screenHeight, Placement& out);

void FormatPlacement(char* out, size_t size, const Placement& p);
