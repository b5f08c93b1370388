#include "common/win/picture_paint.h"

#include <cstring>

namespace {

COLORREF Rgb(Colour c) { return RGB(c.r, c.g, c.b); }

class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class Painter {
 public:
  Painter(HDC dc, const PictureScale& s) : dc_(dc), s_(s) {}

  int X(int x) const { return s_.originX + RoundToInt(x * s_.scale); }
  int Y(int y) const { return s_.originY + RoundToInt(y * s_.scale); }
  RECT Rect(const PictureItem& i) const { return {X(i.x0), Y(i.y0), X(i.x1), Y(i.y1)}; }

  void Fill(const RECT& r, Colour c) {
    SetDCBrushColor(dc_, Rgb(c));
    FillRect(dc_, &r, HBRUSH(GetStockObject(DC_BRUSH)));
  }

  // A pen of the picture's width scaled to the device; plain one-pixel pens need no object.
  void Line(const PictureItem& i, int style) {
    int width = RoundToInt(i.width * s_.scale);
    if (width < 1) width = 1;
    GdiObject pen;
    if (style != PS_SOLID || width > 1) {
      pen.Reset(CreatePen(style, style == PS_SOLID ? width : 1, Rgb(i.colour)));
      if (!pen.Get()) return;
    } else {
      SetDCPenColor(dc_, Rgb(i.colour));
    }
    SelectedObject selection(dc_, pen.Get() ? pen.Get() : GetStockObject(DC_PEN));
    MoveToEx(dc_, X(i.x0), Y(i.y0), nullptr);
    LineTo(dc_, X(i.x1), Y(i.y1));
  }

  void Hatch(const PictureItem& i) {
    const RECT r = Rect(i);
    const int step = RoundToInt(6 * s_.scale) > 2 ? RoundToInt(6 * s_.scale) : 3;
    const int saved = SaveDC(dc_);
    IntersectClipRect(dc_, r.left, r.top, r.right, r.bottom);
    SetDCPenColor(dc_, Rgb(i.colour));
    SelectedObject selection(dc_, GetStockObject(DC_PEN));
    const int h = r.bottom - r.top;
    for (int x = r.left - h; x < r.right; x += step) {
      MoveToEx(dc_, x, r.bottom, nullptr);
      LineTo(dc_, x + h, r.top);
    }
    RestoreDC(dc_, saved);
  }

  void Frame(const PictureItem& i) {
    SetDCBrushColor(dc_, Rgb(i.colour));
    const RECT r = Rect(i);
    FrameRect(dc_, &r, HBRUSH(GetStockObject(DC_BRUSH)));
  }

  void Ellipse(const PictureItem& i) {
    SetDCPenColor(dc_, Rgb(i.colour));
    SelectedObject pen(dc_, GetStockObject(DC_PEN));
    SelectedObject brush(dc_, GetStockObject(NULL_BRUSH));
    ::Ellipse(dc_, X(i.x0), Y(i.y0), X(i.x1), Y(i.y1));
  }

  void Disc(const PictureItem& i) {
    SetDCPenColor(dc_, Rgb(i.colour));
    SetDCBrushColor(dc_, Rgb(i.colour));
    SelectedObject pen(dc_, GetStockObject(DC_PEN));
    SelectedObject brush(dc_, GetStockObject(DC_BRUSH));
    ::Ellipse(dc_, X(i.x0), Y(i.y0), X(i.x1), Y(i.y1));
  }

  // One polygon, so that a hundred symbols cost a hundred calls, not four hundred lines.
  void Diamond(const PictureItem& i, bool filled) {
    SetDCPenColor(dc_, Rgb(i.colour));
    SetDCBrushColor(dc_, Rgb(i.colour));
    SelectedObject pen(dc_, GetStockObject(DC_PEN));
    SelectedObject brush(dc_, GetStockObject(filled ? DC_BRUSH : NULL_BRUSH));
    const int x = (X(i.x0) + X(i.x1)) / 2, y = (Y(i.y0) + Y(i.y1)) / 2;
    const POINT points[4] = {{x, Y(i.y0)}, {X(i.x1) - 1, y}, {x, Y(i.y1) - 1}, {X(i.x0), y}};
    Polygon(dc_, points, 4);
  }

  void Triangle(const PictureItem& i) {
    SetDCPenColor(dc_, Rgb(i.colour));
    SetDCBrushColor(dc_, Rgb(i.colour));
    SelectedObject pen(dc_, GetStockObject(DC_PEN));
    SelectedObject brush(dc_, GetStockObject(DC_BRUSH));
    const POINT points[3] = {{X(i.x0), Y(i.y0)}, {X(i.x1), Y(i.y1)}, {X(i.x2), Y(i.y2)}};
    Polygon(dc_, points, 3);
  }

  void Text(const PictureItem& i, int textHeight) {
    const UINT align = i.anchor == TextAnchor::kLeft    ? TA_LEFT
                       : i.anchor == TextAnchor::kRight ? TA_RIGHT
                                                        : TA_CENTER;
    SetTextAlign(dc_, align | TA_TOP);
    SetTextColor(dc_, Rgb(i.colour));
    const int length = int(strnlen(i.text, sizeof i.text));
    TextOutA(dc_, X(i.x0), Y(i.y0) - textHeight / 2, i.text, length);
  }

 private:
  HDC dc_;
  PictureScale s_;
};

}  // namespace

HFONT PictureScreenFont() { return HFONT(GetStockObject(DEFAULT_GUI_FONT)); }

TextSize PictureTextSize(HWND window) {
  TextSize size;
  HDC dc = GetDC(window);
  if (!dc) return size;
  {
    SelectedObject font(dc, PictureScreenFont());
    TEXTMETRICA metrics = {};
    if (GetTextMetricsA(dc, &metrics)) {
      // Labels are measured as whole cells: the average width undersizes digits and capitals.
      size.charWidth = int(metrics.tmAveCharWidth + 1);
      size.height = int(metrics.tmHeight);
    }
  }
  ReleaseDC(window, dc);
  return size;
}

void PaintPicture(HDC dc, const Picture& picture, HFONT font, const PictureScale& scale) {
  Painter painter(dc, scale);
  SelectedObject fontSelection(dc, font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  const int mode = SetBkMode(dc, TRANSPARENT);
  painter.Fill({painter.X(0), painter.Y(0), painter.X(picture.width), painter.Y(picture.height)},
               picture.background);
  for (const PictureItem& item : picture.items) {
    switch (item.kind) {
      case ItemKind::kFill:
        painter.Fill(painter.Rect(item), item.colour);
        break;
      case ItemKind::kHatch:
        painter.Hatch(item);
        break;
      case ItemKind::kFrame:
        painter.Frame(item);
        break;
      case ItemKind::kLine:
        painter.Line(item, PS_SOLID);
        break;
      case ItemKind::kDashLine:
        painter.Line(item, PS_DOT);
        break;
      case ItemKind::kText:
        painter.Text(item, int(metrics.tmHeight));
        break;
      case ItemKind::kEllipse:
        painter.Ellipse(item);
        break;
      case ItemKind::kTriangle:
        painter.Triangle(item);
        break;
      case ItemKind::kDisc:
        painter.Disc(item);
        break;
      case ItemKind::kDiamond:
      case ItemKind::kFilledDiamond:
        painter.Diamond(item, item.kind == ItemKind::kFilledDiamond);
        break;
    }
  }
  SetBkMode(dc, mode);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
}

void PaintWindowPicture(HWND window, const Picture& picture) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  RECT client;
  GetClientRect(window, &client);
  const int w = client.right > 0 ? client.right : 1;
  const int h = client.bottom > 0 ? client.bottom : 1;
  {
    MemoryDc memory(dc);
    GdiObject bitmap(memory.Get() ? CreateCompatibleBitmap(dc, w, h) : nullptr);
    if (bitmap.Get()) {
      SelectedObject selection(memory.Get(), bitmap.Get());
      PaintPicture(memory.Get(), picture, PictureScreenFont(), PictureScale());
      BitBlt(dc, 0, 0, w, h, memory.Get(), 0, 0, SRCCOPY);
    } else {
      PaintPicture(dc, picture, PictureScreenFont(), PictureScale());  // drawn straight on
    }
  }
  EndPaint(window, &paint);
}
