#include "print/win/cancel_box.h"

#include "common/win/about_box.h"

bool printCancelled = false;

namespace {

HWND cancelBox = nullptr;
HWND cancelOwner = nullptr;
const char* cancelCaption = "";
void (*cancelOnDestroyed)() = nullptr;
HBRUSH faceBrush = nullptr;  // statics are drawn on it; made again on every colour change

void MakeFaceBrush() {
  if (faceBrush) DeleteObject(faceBrush);
  faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

INT_PTR OnInitDialog(HWND dialog) {
  MakeFaceBrush();
  SetWindowTextA(dialog, cancelCaption);
  EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  return TRUE;
}

void OnCommand(HWND dialog) {
  printCancelled = true;
  EnableWindow(cancelOwner, TRUE);
  DestroyWindow(dialog);
  cancelBox = nullptr;
}

INT_PTR OnCtlColorStatic(HWND dialog, HDC dc, HWND control) {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  // The brush pattern starts at the box's corner, whichever control paints with it.
  POINT origin = {0, 0};
  MapWindowPoints(dialog, control, &origin, 1);
  SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
  return reinterpret_cast<INT_PTR>(faceBrush);
}

void OnDestroy() {
  if (faceBrush) DeleteObject(faceBrush);
  faceBrush = nullptr;
  cancelBox = nullptr;
  if (cancelOnDestroyed) cancelOnDestroyed();
}

}  // namespace

INT_PTR CALLBACK CancelPrintProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      OnCommand(dialog);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                              reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      DrawEtchedFrame(int(wParam), reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), faceBrush);
      return TRUE;
    case WM_SYSCOLORCHANGE:
      MakeFaceBrush();
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    default:
      return FALSE;
  }
}

HWND OpenCancelBox(HWND owner, const char* caption, void (*onDestroyed)()) {
  cancelOwner = owner;
  cancelCaption = caption;
  cancelOnDestroyed = onDestroyed;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
  cancelBox = CreateDialogParamA(instance, "PrintDlgBox", owner, CancelPrintProc, 0);
  return cancelBox;
}

HWND CancelBox() { return cancelBox; }

void DestroyCancelBox() {
  if (cancelBox) DestroyWindow(cancelBox);
  cancelBox = nullptr;
}

BOOL CALLBACK PrintAbortProc(HDC, int) {
  MSG message;
  while (!printCancelled && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to take: the program's own loop must still see it.
      PostQuitMessage(int(message.wParam));
      break;
    }
    if (!cancelBox || !IsDialogMessageA(cancelBox, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return !printCancelled;
}
