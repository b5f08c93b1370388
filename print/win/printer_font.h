// Printer fonts sized in tenths of a point for the printer's own resolution.
#pragma once

#include <windows.h>

// Style bits: 1 bold, 2 italic, 4 underline, 8 strike-out. A width of 0 leaves the width to
// the font mapper. The caller owns the font.
HFONT CreatePrinterFont(HDC dc, const char* face, int height, int width, int style,
                        bool useLogicalResolution);

// One GDI font, deleted with its owner.
class PrinterFont {
 public:
  PrinterFont() = default;
  explicit PrinterFont(HFONT font) : font_(font) {}
  ~PrinterFont() {
    if (font_) DeleteObject(font_);
  }
  PrinterFont(const PrinterFont&) = delete;
  PrinterFont& operator=(const PrinterFont&) = delete;
  HFONT Get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};
