#include "common/win/about_box.h"

#include "common/version.h"
#include "common/win/face_brush.h"
#include "resources/about_ids.h"

namespace {

struct AboutBoxState {
  const char* caption;
  FaceBrush face;
};

AboutBoxState* StateOf(HWND dialog) {
  return reinterpret_cast<AboutBoxState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR OnInitDialog(HWND dialog, AboutBoxState* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  state->face.Make();
  SetWindowTextA(dialog, state->caption);
  SetDlgItemTextA(dialog, IDC_ABOUT_VERSION,
                  "Version " PROGRAM_VERSION " of " PROGRAM_VERSION_DATE);
  return TRUE;
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG)
    return OnInitDialog(dialog, reinterpret_cast<AboutBoxState*>(lParam));
  AboutBoxState* state = StateOf(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return state->face.ColorStatic(dialog, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
      DrawEtchedFrame(int(wParam), reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                      state->face.Get());
      return TRUE;
    case WM_SYSCOLORCHANGE:
      state->face.Make();
      return TRUE;
    case WM_COMMAND:
      // Escape and the close box end the box as OK does.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        state->face.Reset();
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void DrawEtchedFrame(int itemId, const DRAWITEMSTRUCT* item, HBRUSH background) {
  if (itemId != IDC_ETCHED_FRAME || !(item->itemAction & ODA_DRAWENTIRE)) return;
  RECT rect = item->rcItem;
  FillRect(item->hDC, &rect, background);
  rect.left += 10;
  rect.top += 10;
  rect.right -= 12;
  rect.bottom -= 12;
  SolidBrush shadow(GetSysColor(COLOR_BTNSHADOW));
  FrameRect(item->hDC, &rect, shadow.Get());
  OffsetRect(&rect, 1, 1);
  SolidBrush highlight(GetSysColor(COLOR_BTNHIGHLIGHT));
  FrameRect(item->hDC, &rect, highlight.Get());
}

void RunAboutBox(HINSTANCE instance, HWND owner, const char* caption) {
  AboutBoxState state;
  state.caption = caption;
  DialogBoxParamA(instance, "AboutBox", owner, AboutBoxProc, reinterpret_cast<LPARAM>(&state));
}
