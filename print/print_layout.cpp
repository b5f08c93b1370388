#include "print/print_layout.h"

PrintLayout MakePrintLayout(const DeviceMetrics& device, const TextMetrics& plainFont) {
  PrintLayout layout;
  layout.lineHeight = plainFont.height + plainFont.externalLeading;
  layout.charWidth = plainFont.aveCharWidth;
  layout.leftMargin = device.logPixelsX * 2 / 3;
  layout.rightEdge = device.horzRes - device.logPixelsX * 2 / 3;
  layout.topMargin = device.logPixelsY * 2 / 3;
  layout.bottomLimit = device.vertRes - device.logPixelsY * 2 / 3 - layout.lineHeight;
  layout.y = layout.topMargin;
  return layout;
}
