// One print job as both programs run it: the print dialog, the fonts and page metrics, the
// cancel box and abort procedure, the document, and a stage message for every failure.
#pragma once

#include <windows.h>

#include "print/print_layout.h"

struct PrintJobSettings {
  HWND mainWindow;
  int fontTenths;            // Arial, height and width in tenths of a point
  const char* documentName;
  const char* boxCaption;
  void (*onBoxDestroyed)();  // may be null
};

// Prints the pages: true when the last page is to be ended and the document closed, false
// when the job stopped on a page that could not be started.
using PrintPagesFunction = bool (*)(PrintSurface& surface, PrintLayout& layout, void* context);

void RunPrintJob(const PrintJobSettings& settings, PrintPagesFunction printPages, void* context);

// The printer's device context behind a surface that RunPrintJob handed to its pages
// function, for pages drawn with GDI directly (the pictures).
HDC PrintJobDc(PrintSurface& surface);
