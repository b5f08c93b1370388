// Brushes with one owner. The face brush is the 3-D face colour that the dialogs draw their
// static texts and read-only fields on: made when a dialog opens and again on every system
// colour change.
#pragma once

#include <windows.h>

class SolidBrush {
 public:
  SolidBrush() = default;
  explicit SolidBrush(COLORREF colour) : brush_(CreateSolidBrush(colour)) {}
  ~SolidBrush() { Reset(); }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;

  HBRUSH Get() const { return brush_; }
  void Reset(HBRUSH brush = nullptr) {
    if (brush_) DeleteObject(brush_);
    brush_ = brush;
  }

 private:
  HBRUSH brush_ = nullptr;
};

class FaceBrush : public SolidBrush {
 public:
  void Make() { Reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))); }

  // WM_CTLCOLORSTATIC: face background, button-text colour, the pattern starting at the
  // dialog's corner whichever control paints with it.
  INT_PTR ColorStatic(HWND dialog, HDC dc, HWND control) const {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    POINT origin = {0, 0};
    MapWindowPoints(dialog, control, &origin, 1);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    return reinterpret_cast<INT_PTR>(Get());
  }
};
