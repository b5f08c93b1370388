// Values whose shown text is an exact decimal tie print rounded half to even, as the C runtime
// the programs are built with does (the deliverables use the runtime's own printf family, not
// the system's). Runs in the 64-bit and the 32-bit suite: x87 arithmetic must reach the same tie.
#include <gtest/gtest.h>

#include <string>

#include "weather/pane_format.h"
#include "weather/records.h"

namespace {

struct TieCase {
  const char* what;
  int pane;
  int column;  // data column, from 0
  const char* shown;
};

std::string Cell(const TieCase& c) {
  uint8_t b[32] = {};
  switch (c.pane) {
    case 0: EncodeVisibility(b, {{10, 0}, 12500, 0, 621}); break;
    case 1: EncodePressure(b, {{8, 0}, 16212, 4}); break;
    case 2: EncodeTemperature(b, {{12, 0}, 12500, 15, 20, -10}); break;
    case 3: EncodeWind(b, {{16, 0}, 12500, 20, 5, 16384, 2, 1}); break;
    case 4: EncodeCloud(b, {{24, 0}, 12500, 500, 100, 5, 8, 1, 2, 300, 1, 3}); break;
    default: {
      AppliedWindLayer a;
      a.prefix = {24, 0};
      a.upperAltitude = 12500;
      a.appliedSpeed = 12.25f;
      a.appliedDirection = 271.25f;
      EncodeAppliedWind(b, a);
    }
  }
  CellText cells[kMaxPaneColumns];
  FormatPaneRow(c.pane, b, cells);
  return cells[c.column];
}

TEST(PrintedTies, ExactDecimalTiesRoundHalfToEven) {
  const TieCase cases[] = {
      {"visibility upper altitude 12500 m = 41010.5 ft", 0, 1, "41010ft"},
      {"QNH 16212 = 1013.25 mb", 1, 0, "1013.2mb (29.92\")"},
      {"drift 4 = 0.25 mb", 1, 1, "0.2mb"},
      {"temperature layer at 12500 m", 2, 0, "41010ft"},
      {"wind layer top at 12500 m", 3, 0, "41010ft"},
      {"cloud top at 12500 m", 4, 1, "41010ft"},
      {"applied wind 12.25 kn", 5, 1, "12.2kn"},
      {"applied wind from 271.25 degrees", 5, 2, "271.2T"},
  };
  for (const TieCase& c : cases) EXPECT_EQ(Cell(c), c.shown) << c.what;
}

}  // namespace
