// The one way both programs put text on the clipboard.
#pragma once

#include <windows.h>

#include <cstddef>

// Puts `size` bytes of text on the clipboard as CF_TEXT (a terminating zero is added). The
// memory is filled before the clipboard is opened and emptied, and another program holding
// the clipboard is waited for about 200 ms. False when the clipboard or the memory is not to
// be had; the clipboard then keeps what it held.
bool PutTextOnClipboard(HWND owner, const char* text, size_t size);
