#include "weather/pane_layout.h"

namespace {

// x, y, w, h in thousandths, by pane index.
const int thousandths[6][4] = {
    {0, 91, 444, 169},    // visibility
    {0, 0, 444, 91},      // pressure
    {0, 260, 444, 407},   // temperature
    {444, 0, 556, 447},   // winds set
    {0, 667, 1000, 333},  // cloud
    {444, 447, 556, 220}, // winds applied
};

int Share(int t, int whole) { return int(static_cast<long long>(t) * whole / 1000); }

}  // namespace

PaneRect PaneRectangle(int pane, int clientWidth, int clientHeight) {
  if (pane < 0 || pane >= 6) return {0, 0, 0, 0};
  const int* t = thousandths[pane];
  return {Share(t[0], clientWidth), Share(t[1], clientHeight), Share(t[2], clientWidth),
          Share(t[3], clientHeight)};
}
