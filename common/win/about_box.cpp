#include "common/win/about_box.h"

#include "common/version.h"
#include "common/win/face_brush.h"
#include "resources/about_ids.h"

namespace {

// The small font of the shortcut keys' line; freed with the box's state.
class SmallFont {
 public:
  SmallFont() = default;
  ~SmallFont() { Reset(); }
  SmallFont(const SmallFont&) = delete;
  SmallFont& operator=(const SmallFont&) = delete;
  HFONT Make(HWND dialog) {
    Reset();
    HDC dc = GetDC(dialog);
    const int height = -MulDiv(7, dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96, 72);
    if (dc) ReleaseDC(dialog, dc);
    font_ = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    return font_;
  }
  void Reset() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
  }

 private:
  HFONT font_ = nullptr;
};

struct AboutBoxState {
  const char* caption;
  FaceBrush face;
  SmallFont keysFont;
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
  if (HWND keys = GetDlgItem(dialog, IDC_ABOUT_KEYS))
    if (HFONT font = state->keysFont.Make(dialog))
      SendMessageA(keys, WM_SETFONT, WPARAM(font), FALSE);
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
