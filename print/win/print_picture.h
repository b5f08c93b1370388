// Prints one picture (the weather profile, the traffic scope) on one page through the shared
// print job, scaled to fill the space inside the margins with its proportions kept.
#pragma once

#include <windows.h>

#include "common/picture.h"

// `picture` is laid out in the screen pixels of `text`; the printer font is scaled with it.
void PrintPicture(HWND owner, const char* documentName, const char* boxCaption,
                  const Picture& picture, const TextSize& text);
