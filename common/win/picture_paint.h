// Paints a Picture with GDI: onto a window through an off-screen bitmap (no flicker while the
// data change every second or two), or onto a printer page, scaled.
#pragma once

#include <windows.h>

#include "common/picture.h"

// One GDI object (font, pen, brush, bitmap), deleted by its one owner.
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = other.object_;
      other.object_ = nullptr;
    }
    return *this;
  }
  HGDIOBJ Get() const { return object_; }
  void Reset(HGDIOBJ object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

 private:
  HGDIOBJ object_ = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Where the picture's pixels land: device = origin + picture * scale.
struct PictureScale {
  int originX = 0;
  int originY = 0;
  double scale = 1.0;
};

// The font the pictures are drawn in on the screen (a stock object: nobody frees it), and
// its character cell.
HFONT PictureScreenFont();
TextSize PictureTextSize(HWND window);

// Draws every item; the font is selected for the texts (scaled text needs a scaled font).
void PaintPicture(HDC dc, const Picture& picture, HFONT font, const PictureScale& scale);

// The whole WM_PAINT of a picture window: BeginPaint, the picture drawn off screen in the
// screen font, one copy to the window, EndPaint.
void PaintWindowPicture(HWND window, const Picture& picture);
