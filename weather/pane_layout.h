// Where the six panes sit in the main window's client area.
#pragma once

struct PaneRect {
  int left, top, width, height;
};

// In thousandths of the client width and height, truncated; an unknown pane gets an empty
// rectangle.
PaneRect PaneRectangle(int pane, int clientWidth, int clientHeight);
