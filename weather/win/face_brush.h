// The brush of the 3-D face colour that Ventrel's dialogs draw their static texts and
// read-only fields on: made when a dialog opens and again on every system colour change.
#pragma once

#include <windows.h>

class FaceBrush {
 public:
  FaceBrush() = default;
  ~FaceBrush() { Reset(); }
  FaceBrush(const FaceBrush&) = delete;
  FaceBrush& operator=(const FaceBrush&) = delete;

  void Make() {
    Reset();
    brush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  }
  void Reset() {
    if (brush_) DeleteObject(brush_);
    brush_ = nullptr;
  }
  HBRUSH Get() const { return brush_; }

  // WM_CTLCOLORSTATIC: face background, button-text colour, the pattern starting at the
  // dialog's corner whichever control paints with it.
  INT_PTR ColorStatic(HWND dialog, HDC dc, HWND control) const {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    POINT origin = {0, 0};
    MapWindowPoints(dialog, control, &origin, 1);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    return reinterpret_cast<INT_PTR>(brush_);
  }

 private:
  HBRUSH brush_ = nullptr;
};
