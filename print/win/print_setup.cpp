#include "print/win/print_setup.h"

#include <commdlg.h>

#include <cstdio>

#include "link/win/ipc_client.h"

namespace {

// The device-mode and device-names blocks in it are global memory this program owns.
PRINTDLGA printDialog;

bool HoldsPrinterSettings() { return printDialog.hDevMode || printDialog.hDevNames; }

}  // namespace

bool ChoosePrinter(HWND owner, HDC* dc) {
  *dc = nullptr;
  if (!HoldsPrinterSettings()) {
    ZeroMemory(&printDialog, sizeof printDialog);
    printDialog.lStructSize = sizeof printDialog;
    printDialog.hwndOwner = owner;
    printDialog.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    printDialog.nCopies = 1;
    printDialog.Flags = PD_RETURNDEFAULT;
    if (!PrintDlgA(&printDialog)) return false;
  }
  printDialog.hwndOwner = owner;
  printDialog.hDC = nullptr;
  printDialog.Flags =
      PD_RETURNDC | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
  if (!PrintDlgA(&printDialog)) return false;
  *dc = printDialog.hDC;
  printDialog.hDC = nullptr;
  return *dc != nullptr;
}

void ReportPrintDialogFailure(HWND owner) {
  DWORD code = CommDlgExtendedError();
  if (code != 0) ShowError(owner, int(code), "calling Print dialogue");
}

void ReleasePrinterSettings() {
  if (printDialog.hDevMode) GlobalFree(printDialog.hDevMode);
  if (printDialog.hDevNames) GlobalFree(printDialog.hDevNames);
  printDialog.hDevMode = nullptr;
  printDialog.hDevNames = nullptr;
}

void KeptPrinterName(char* out, size_t size) {
  snprintf(out, size, "%s", "");
  if (!printDialog.hDevNames) return;
  const auto* names = static_cast<const DEVNAMES*>(GlobalLock(printDialog.hDevNames));
  if (!names) return;
  snprintf(out, size, "%s", reinterpret_cast<const char*>(names) + names->wDeviceOffset);
  GlobalUnlock(printDialog.hDevNames);
}
