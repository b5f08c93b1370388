// The print dialog's record, kept from the first print to shut-down so that every print
// starts on the printer and options chosen last.
#pragma once

#include <windows.h>

// Shows the print dialog (after asking once per run for the default printer) and returns
// the printer's device context, which the caller then owns. False on a cancel or a failure.
bool ChoosePrinter(HWND owner, HDC* dc);
// After ChoosePrinter failed: reports the common dialog's extended error; a plain cancel
// (code 0) shows nothing.
void ReportPrintDialogFailure(HWND owner);
// Frees the kept device mode and names (shut-down).
void ReleasePrinterSettings();
// The kept printer's device name, "" before the first print.
void KeptPrinterName(char* out, size_t size);
