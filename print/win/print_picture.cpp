#include "print/win/print_picture.h"

#include <algorithm>

#include "common/win/picture_paint.h"
#include "print/win/print_job.h"

namespace {

struct PictureJob {
  const Picture* picture;
  TextSize text;
};

bool PrintPicturePage(PrintSurface& surface, PrintLayout& layout, void* context) {
  const PictureJob& job = *static_cast<PictureJob*>(context);
  const Picture& picture = *job.picture;
  if (!surface.StartPage()) return false;
  if (picture.width <= 0 || picture.height <= 0) return true;
  const double across = double(layout.rightEdge - layout.leftMargin) / picture.width;
  const double down =
      double(layout.bottomLimit + layout.lineHeight - layout.topMargin) / picture.height;
  const double scale = std::max(std::min(across, down), 0.01);
  HDC dc = PrintJobDc(surface);
  GdiObject font(CreateFontA(-RoundToInt(job.text.height * 0.8 * scale), 0, 0, 0, FW_NORMAL, FALSE,
                             FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial"));
  PaintPicture(dc, picture, font.Get() ? HFONT(font.Get()) : PictureScreenFont(),
               {layout.leftMargin, layout.topMargin, scale});
  return true;
}

}  // namespace

void PrintPicture(HWND owner, const char* documentName, const char* boxCaption,
                  const Picture& picture, const TextSize& text) {
  PictureJob job = {&picture, text};
  const PrintJobSettings settings = {owner, 100, documentName, boxCaption, nullptr};
  RunPrintJob(settings, PrintPicturePage, &job);
}
