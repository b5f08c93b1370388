#include "print/win/cancel_box.h"

#include "common/win/about_box.h"
#include "common/win/face_brush.h"

bool printCancelled = false;

namespace {

HWND cancelBox = nullptr;
HWND cancelOwner = nullptr;
const char* cancelCaption = "";
void (*cancelOnDestroyed)() = nullptr;
FaceBrush faceBrush;

INT_PTR OnInitDialog(HWND dialog) {
  faceBrush.Make();
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

void OnDestroy() {
  faceBrush.Reset();
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
      return faceBrush.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                   reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      DrawEtchedFrame(int(wParam), reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                      faceBrush.Get());
      return TRUE;
    case WM_SYSCOLORCHANGE:
      faceBrush.Make();
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
