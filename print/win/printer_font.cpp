#include "print/win/printer_font.h"

#include <cstdio>

#include "print/printer_font_size.h"

HFONT CreatePrinterFont(HDC dc, const char* face, int height, int width, int style,
                        bool useLogicalResolution) {
  const int saved = SaveDC(dc);
  SetGraphicsMode(dc, GM_ADVANCED);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);

  const int logX = GetDeviceCaps(dc, LOGPIXELSX);
  const int logY = GetDeviceCaps(dc, LOGPIXELSY);
  const FontResolution resolution =
      useLogicalResolution
          ? LogicalFontResolution(logX, logY)
          : PhysicalFontResolution(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, HORZSIZE),
                                   GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, VERTSIZE),
                                   logX, logY);
  const FontTenths size = FontSizeInTenths(height, width, resolution);
  POINT point = {size.x, size.y};
  DPtoLP(dc, &point, 1);

  LOGFONTA description = {};
  const FontStyle fontStyle = FontStyleFromBits(style);
  description.lfHeight = FontCharacterHeight(point.y);
  description.lfWeight = fontStyle.weight;
  description.lfItalic = fontStyle.italic;
  description.lfUnderline = fontStyle.underline;
  description.lfStrikeOut = fontStyle.strikeOut;
  snprintf(description.lfFaceName, sizeof description.lfFaceName, "%s", face);
  HFONT font = CreateFontIndirectA(&description);

  if (width != 0 && font) {
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    DeleteObject(font);
    description.lfWidth = CorrectedFontWidth(metrics.tmAveCharWidth, point.x, point.y);
    font = CreateFontIndirectA(&description);
  }
  RestoreDC(dc, saved);
  return font;
}
