// Page metrics of one print job and the drawing calls a job needs from the printer, so that
// both programs' page and row decisions stay free of the platform.
#pragma once

#include <cstddef>

struct DeviceMetrics {
  int logPixelsX;  // device units per inch
  int logPixelsY;
  int horzRes;     // printable page in device units
  int vertRes;
};

struct TextMetrics {
  int height;
  int externalLeading;
  int aveCharWidth;
};

// All in printer device units.
struct PrintLayout {
  int leftMargin = 0;
  int rightEdge = 0;
  int topMargin = 0;
  int bottomLimit = 0;
  int lineHeight = 0;
  int charWidth = 0;
  int y = 0;               // top of the current print line
  int pageNumber = 0;      // 1 on the first page
  int currentSection = -1; // pane whose heading was printed last, -1 none
};

// Margins of two thirds of an inch; the bottom limit leaves room for one more line.
PrintLayout MakePrintLayout(const DeviceMetrics& device, const TextMetrics& plainFont);

enum class TextAlign { Left, Right };

// What a job asks of the printer. The Windows side reports its own failures.
class PrintSurface {
 public:
  virtual ~PrintSurface() = default;
  // False when the page could not be started: the failure is reported and the document
  // aborted already.
  virtual bool StartPage() = 0;
  // At a page break; any failure shows when the next page starts.
  virtual void EndPage() = 0;
  virtual void SelectFont(bool bold) = 0;
  // (x, y) is the top left of the text, or its top right with TextAlign::Right.
  virtual void Text(int x, int y, const char* text, TextAlign align) = 0;
  virtual void HorizontalLine(int x0, int x1, int y) = 0;
};
