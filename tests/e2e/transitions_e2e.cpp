// Weather changes as transitions, against devsim: every step devsim logs (each batch carries
// its time) stays within the rates set in Ventrel.ini, only changed tables are sent, the last
// step is the target byte for byte; Finish now, Hold, undo mid-way, devsim vanishing mid-way,
// and transitions off sending exactly today's single exchange.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/metar_dialog_ids.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : int {
  kLoadAndSet = 40009,
  kLoadMetar = 41001,
  kUndo = 43000,
  kRedo = 43001,
  kFinish = 44001,
  kHold = 44002,
};
enum Pane : int { kVisibility, kPressure, kTemperature, kWinds, kCloud, kApplied };

constexpr unsigned kOneTick = 3000;
const char kLoadTitle[] = "Load Ventrel Data (VTD/WX)";

// 1000.0 mb; wind 270 degrees (49152) at 10 kt up to 600 m; a cloud deck of 6/8.
const char kStartWeather[] =
    "pressure qnh=16000 drift=0\n"
    "wind upper=600 speed=10 gust=0 direction=49152 turbulence=0 shear=0\n"
    "cloud upper=1000 lower=500 deviation=0 cover=6 type=8 turbulence=0 icing=0 precipbase=0 "
    "preciptype=0 preciprate=0\n";

// Test rates: 1 mb, 30 degrees, 5 kt, 100 m of cloud and one eighth of cover every step.
const char kFastRates[] =
    "TransitionPressure=160\nTransitionWindDirection=30\nTransitionWindSpeed=5\n"
    "TransitionCloudMetres=100\nTransitionCoverEvery=1\nTransitionLayerMetres=100\n";
// The same with 2/16 mb a step: the pressure takes 80 steps, long enough to act mid-way.
const char kSlowRates[] =
    "TransitionPressure=20\nTransitionWindDirection=30\nTransitionWindSpeed=5\n"
    "TransitionCloudMetres=100\nTransitionCoverEvery=1\nTransitionLayerMetres=100\n";

std::vector<uint8_t> Words(std::initializer_list<int> words) {
  std::vector<uint8_t> out;
  for (int w : words) {
    out.push_back(uint8_t(w & 0xFF));
    out.push_back(uint8_t((w >> 8) & 0xFF));
  }
  return out;
}

// The target: 1010.0 mb; wind 090 degrees at 30 kt; the deck at 800-1300 m with 4/8.
const std::vector<uint8_t> kTargetPressure = Words({8, 0, 16160, 0});
const std::vector<uint8_t> kTargetWind = Words({16, 0, 600, 30, 0, 16384, 0, 0});
const std::vector<uint8_t> kTargetCloud = Words({24, 0, 1300, 800, 0, 4, 8, 0, 0, 0, 0, 0});

std::string TargetFile() {
  std::string vtd;
  auto block = [&](int table, const std::vector<uint8_t>& bytes) {
    const uint32_t tag = uint32_t(table) * 0x1111u | uint32_t(bytes.size()) << 16;
    for (int i = 0; i < 4; ++i) vtd += char((tag >> (8 * i)) & 0xFF);
    vtd.append(bytes.begin(), bytes.end());
  };
  block(2, kTargetPressure);
  block(4, kTargetWind);
  block(5, kTargetCloud);
  return e2e::WriteTestFile("target.vtd", vtd);
}

struct Write {
  uint32_t selector;
  std::vector<uint8_t> bytes;
};
struct Batch {
  long long ms;
  std::vector<Write> writes;
};

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(uint8_t(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  return out;
}

// The batches of devsim's log from byte `from` on that carry writes.
std::vector<Batch> WriteBatches(const DevsimRun& sim, size_t from = 0) {
  const std::string log = sim.Log();
  std::vector<Batch> batches;
  Batch current{-1, {}};
  size_t at = from;
  while (at < log.size()) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(at, end - at);
    at = end + 1;
    unsigned long long n = 0, ms = 0;
    if (std::sscanf(line.c_str(), "batch %llu at %llu ms", &n, &ms) == 2) {
      current = Batch{(long long)ms, {}};
    } else if (line.compare(0, 4, "  W ") == 0) {
      char hex[40000] = "";
      unsigned selector = 0, size = 0;
      if (std::sscanf(line.c_str(), "  W %8X %u %39999s", &selector, &size, hex) >= 2)
        current.writes.push_back({selector, FromHex(hex)});
    } else if (line.compare(0, 4, "end ") == 0 && !current.writes.empty()) {
      batches.push_back(current);
    }
  }
  return batches;
}

int U16(const std::vector<uint8_t>& b, size_t at) {
  return at + 1 < b.size() ? b[at] | b[at + 1] << 8 : -1;
}

// Ventrel.ini with the switch on (or off) and the rates.
void WriteSettings(bool on, const char* rates) {
  std::string ini = std::string("[Settings]\r\nTransitions=") + (on ? "1" : "0") + "\r\n";
  for (const char* p = rates; *p; ++p) ini += *p == '\n' ? std::string("\r\n") : std::string(1, *p);
  REQUIRE(e2e::WriteVentrelIni(ini));
}

struct Connected {
  DevsimRun sim;
  VentrelRun app;
  Connected(bool on, const char* rates) {
    e2e::ForgetVentrelSettings();
    DeleteFileA((e2e::TestFolder() + "devsim.log").c_str());
    WriteSettings(on, rates);
    REQUIRE(e2e::StartConnected(
        sim, app, "\"--weather=" + e2e::WriteTestFile("start.txt", kStartWeather) + "\"", 2));
  }
  size_t LogSize() const { return sim.Log().size(); }
  void LoadAndSet(const std::string& path) const {
    app.Command(kLoadAndSet);
    HWND dialog = e2e::WaitForWindow("#32770", kLoadTitle, 10000, app.process.Id());
    REQUIRE(dialog && e2e::WaitUntil([&] {
      return IsWindowVisible(dialog) && GetDlgItem(dialog, 0x47C) != nullptr;
    }, 5000));
    SendMessageA(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    e2e::Click(dialog, IDOK);
    REQUIRE(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  }
  bool WaitForWriteBatches(size_t from, size_t count, unsigned timeoutMs) const {
    return e2e::WaitUntil([&] { return WriteBatches(sim, from).size() >= count; }, timeoutMs);
  }
};

// Every step within the test's rates, from `pressure`, `direction` and `speed` on, one table
// write at most per table and batch, no clear, no table sent unchanged, a second between steps.
void CheckSteps(const std::vector<Batch>& steps, int pressure, int direction, int speed,
                int pressureStep) {
  std::vector<uint8_t> last[6];
  long long lastMs = -1;
  for (const Batch& b : steps) {
    if (lastMs >= 0) CHECK(b.ms - lastMs >= 700);
    lastMs = b.ms;
    for (const Write& w : b.writes) {
      const int table = int(w.selector >> 20);
      CHECK_EQ(w.selector & 0xFFFFF, 0x60000u);  // SetTable, never a clear
      if (table < 1 || table > 5) continue;
      CHECK(w.bytes != last[table]);
      last[table] = w.bytes;
      if (table == 2) {
        CHECK(std::abs(U16(w.bytes, 4) - pressure) <= pressureStep);
        pressure = U16(w.bytes, 4);
      }
      if (table == 4 && w.bytes.size() == 16) {
        int turn = std::abs(U16(w.bytes, 10) - direction);
        if (turn > 32768) turn = 65536 - turn;
        CHECK(turn <= 30 * 65536 / 360 + 1);
        CHECK(std::abs(U16(w.bytes, 6) - speed) <= 5);
        direction = U16(w.bytes, 10);
        speed = U16(w.bytes, 6);
      }
    }
  }
}

// The last block sent for each table.
std::vector<uint8_t> LastSent(const std::vector<Batch>& batches, int table) {
  std::vector<uint8_t> last;
  for (const Batch& b : batches)
    for (const Write& w : b.writes)
      if (int(w.selector >> 20) == table) last = w.bytes;
  return last;
}

bool NoWritesFor(const DevsimRun& sim, size_t from, unsigned ms) {
  Sleep(ms);
  return WriteBatches(sim, from).empty();
}

}  // namespace

E2E_TEST(Transitions, OffSetLoadIsTodaysSingleExchange) {
  // No key at all, and the switch off with every other key set: the same one exchange.
  for (bool withKeys : {false, true}) {
    Connected c(false, withKeys ? kFastRates : "");
    if (!withKeys) DeleteFileA(e2e::VentrelIniPath().c_str());
    const size_t from = c.LogSize();
    c.LoadAndSet(TargetFile());
    REQUIRE(c.WaitForWriteBatches(from, 1, kOneTick));
    Sleep(2500);
    const std::vector<Batch> batches = WriteBatches(c.sim, from);
    REQUIRE(batches.size() == size_t(1));
    const std::vector<Write>& w = batches[0].writes;
    REQUIRE(w.size() == size_t(4));
    CHECK_EQ(w[0].selector, 0x50000u);
    CHECK(w[0].bytes.empty());
    CHECK_EQ(w[1].selector, 0x260000u);
    CHECK(w[1].bytes == kTargetPressure);
    CHECK_EQ(w[2].selector, 0x460000u);
    CHECK(w[2].bytes == kTargetWind);
    CHECK_EQ(w[3].selector, 0x560000u);
    CHECK(w[3].bytes == kTargetCloud);
    CHECK(e2e::MenuGrayed(c.app.window, kFinish));
    CHECK(e2e::MenuGrayed(c.app.window, kHold));
  }
}

E2E_TEST(Transitions, VtdSetLoadArrivesStepByStepWithinTheRates) {
  Connected c(true, kFastRates);
  CHECK(e2e::MenuGrayed(c.app.window, kFinish));
  const size_t from = c.LogSize();
  c.LoadAndSet(TargetFile());
  CHECK(e2e::WaitUntil([&] { return c.app.Caption().find("  [changing ") != std::string::npos; },
                       kOneTick));
  CHECK(!e2e::MenuGrayed(c.app.window, kFinish));
  CHECK(!e2e::MenuGrayed(c.app.window, kHold));
  // 10 mb at 1 mb a step: ten steps, then nothing more.
  REQUIRE(c.WaitForWriteBatches(from, 10, 20000));
  CHECK(e2e::WaitUntil([&] { return e2e::MenuGrayed(c.app.window, kFinish); }, kOneTick));
  CHECK(NoWritesFor(c.sim, c.LogSize(), 2500));
  const std::vector<Batch> steps = WriteBatches(c.sim, from);
  CHECK_EQ(steps.size(), size_t(10));
  CheckSteps(steps, 16000, 49152, 10, 16);
  CHECK(LastSent(steps, 2) == kTargetPressure);
  CHECK(LastSent(steps, 4) == kTargetWind);
  CHECK(LastSent(steps, 5) == kTargetCloud);
  CHECK(e2e::WaitUntil([&] {
    return e2e::LvCell(c.app.panes[kPressure], 0, 1).rfind("1010.0mb", 0) == 0;
  }, kOneTick));
  CHECK(c.app.Caption().find('[') == std::string::npos);
  // One undo step for the whole transition.
  CHECK_EQ(e2e::MenuText(c.app.window, kUndo), std::string("&Undo load and set target.vtd\tCtrl+Z"));
}

E2E_TEST(Transitions, MetarSetArrivesStepByStep) {
  Connected c(true, kFastRates);
  const size_t from = c.LogSize();
  c.app.Command(kLoadMetar);
  HWND dialog = e2e::WaitForWindow("#32770", "Load METAR", 10000, c.app.process.Id());
  REQUIRE(dialog);
  REQUIRE(e2e::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_METAR_SET)) != 0; },
                         kOneTick));
  e2e::SetField(dialog, IDC_METAR_TEXT, "EGLL 081250Z 09020KT 9999 SCT030 12/08 Q1004");
  Sleep(300);
  e2e::Click(dialog, IDC_METAR_SET);
  REQUIRE(c.WaitForWriteBatches(from, 3, 10000));
  e2e::Click(dialog, IDCANCEL);
  // 1000 to 1004 mb: 64 sixteenths at 16 a step, the slowest field but the wind's turn.
  CHECK(e2e::WaitUntil([&] { return e2e::MenuGrayed(c.app.window, kFinish); }, 20000));
  const std::vector<Batch> steps = WriteBatches(c.sim, from);
  CHECK(steps.size() >= 4);
  CheckSteps(steps, 16000, 49152, 10, 16);
  const std::vector<uint8_t> pressure = LastSent(steps, 2);
  CHECK_EQ(U16(pressure, 4), 16064);
  CHECK(e2e::WaitUntil([&] {
    return e2e::LvCell(c.app.panes[kWinds], 0, 3) == "90T";
  }, kOneTick));
}

E2E_TEST(Transitions, FinishNowSendsTheRestInOneExchange) {
  Connected c(true, kSlowRates);
  const size_t from = c.LogSize();
  c.LoadAndSet(TargetFile());
  REQUIRE(c.WaitForWriteBatches(from, 2, 5000));
  c.app.CommandNow(kFinish);
  const std::vector<Batch> steps = WriteBatches(c.sim, from);
  REQUIRE(steps.size() >= 3);
  CHECK(LastSent(steps, 2) == kTargetPressure);
  CHECK(LastSent(steps, 4) == kTargetWind);
  CHECK(LastSent(steps, 5) == kTargetCloud);
  CHECK(e2e::MenuGrayed(c.app.window, kFinish));
  CHECK(e2e::MenuGrayed(c.app.window, kHold));
  CHECK(NoWritesFor(c.sim, c.LogSize(), 2500));
}

E2E_TEST(Transitions, HoldKeepsWhatIsInForce) {
  Connected c(true, kSlowRates);
  const size_t from = c.LogSize();
  c.LoadAndSet(TargetFile());
  REQUIRE(c.WaitForWriteBatches(from, 2, 5000));
  c.app.CommandNow(kHold);
  const size_t held = c.LogSize();
  CHECK(NoWritesFor(c.sim, held, 2500));
  const int qnh = U16(LastSent(WriteBatches(c.sim, from), 2), 4);
  CHECK(qnh > 16000 && qnh < 16160);
  CHECK(e2e::MenuGrayed(c.app.window, kFinish));
  CHECK(c.app.Caption().find('[') == std::string::npos);
}

E2E_TEST(Transitions, UndoMidWayReturnsByATransition) {
  Connected c(true, kSlowRates);
  const std::vector<std::string> clouds = e2e::ListRows(c.app.panes[kCloud]);
  const size_t from = c.LogSize();
  c.LoadAndSet(TargetFile());
  REQUIRE(c.WaitForWriteBatches(from, 3, 6000));
  c.app.CommandNow(kUndo);
  const size_t undone = c.LogSize();
  // Back at 2/16 mb a step from at most 8 above, the wind turned back, the deck restored.
  CHECK(e2e::WaitUntil([&] { return e2e::MenuGrayed(c.app.window, kFinish); }, 20000));
  const std::vector<Batch> back = WriteBatches(c.sim, undone);
  CHECK(back.size() >= 2);
  CheckSteps(WriteBatches(c.sim, from), 16000, 49152, 10, 2);
  CHECK(LastSent(back, 2) == Words({8, 0, 16000, 0}));
  CHECK(LastSent(back, 4) == Words({16, 0, 600, 10, 0, 49152, 0, 0}));
  CHECK(e2e::WaitUntil([&] { return e2e::ListRows(c.app.panes[kCloud]) == clouds; }, kOneTick));
  // The history held one step for the whole transition: nothing more to undo, one to redo.
  CHECK(e2e::MenuGrayed(c.app.window, kUndo));
  CHECK(!e2e::MenuGrayed(c.app.window, kRedo));
}

E2E_TEST(Transitions, DevsimVanishingStopsItForGood) {
  Connected c(true, kSlowRates);
  const size_t from = c.LogSize();
  c.LoadAndSet(TargetFile());
  REQUIRE(c.WaitForWriteBatches(from, 2, 5000));
  c.sim.Close();
  CHECK(c.app.WaitForCaption("Nimbrel: Not connected to Korvel  [change stopped]", 5000));
  CHECK(e2e::MenuGrayed(c.app.window, kFinish));
  // A simulator that comes back gets no step: it may have been restarted.
  REQUIRE(c.sim.Start("\"--weather=" + e2e::TestFolder() + "start.txt\""));
  const size_t restarted = c.LogSize();
  CHECK(e2e::WaitUntil([&] {
    return c.app.Caption() == "Nimbrel: Global weather: read/write  [change stopped]";
  }, 8000));
  CHECK(NoWritesFor(c.sim, restarted, 3000));
}

// The dialog shows what Ventrel.ini holds (defaults for what it lacks), refuses a rate out of
// its range and keeps the switch and the rates it accepts.
E2E_TEST(Transitions, DialogKeepsTheSwitchAndTheRates) {
  e2e::ForgetVentrelSettings();
  WritePrivateProfileStringA("Settings", "TransitionWindSpeed", "7", "Ventrel.ini");
  WritePrivateProfileStringA("Settings", "TransitionCloudMetres", "lots", "Ventrel.ini");
  VentrelRun app;
  REQUIRE(app.Start());
  app.Command(44003);
  HWND dialog = e2e::WaitForWindow("#32770", "Transitions", 10000, app.process.Id());
  REQUIRE(dialog && e2e::WaitUntil([&] { return IsWindowVisible(dialog) != 0; }, 5000));
  CHECK(SendMessageA(GetDlgItem(dialog, 44101), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
  CHECK(SendMessageA(GetDlgItem(dialog, 44102), BM_GETCHECK, 0, 0) == BST_CHECKED);
  CHECK(SendMessageA(GetDlgItem(dialog, 44104), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
  CHECK_EQ(e2e::FieldText(dialog, 44110), std::string("Pressure, 1/16 mb per 10 s"));
  CHECK_EQ(e2e::FieldText(dialog, 44130), std::string("16"));
  CHECK_EQ(e2e::FieldText(dialog, 44132), std::string("7"));
  CHECK_EQ(e2e::FieldText(dialog, 44137), std::string("30"));  // unreadable: the default
  CHECK(GetDlgItem(dialog, 44139) != nullptr && GetDlgItem(dialog, IDOK) != nullptr);

  e2e::SetField(dialog, 44131, "500");  // beyond 180 degrees: refused, the dialog stays
  e2e::Click(dialog, IDOK);
  Sleep(500);
  CHECK(IsWindow(dialog) != 0);
  e2e::SetField(dialog, 44131, "45");
  SendMessageA(GetDlgItem(dialog, 44101), BM_SETCHECK, BST_CHECKED, 0);
  e2e::Click(dialog, IDOK);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  // The keys are written once the dialog has closed: wait for the last of them.
  auto key = [](const char* name) {
    char value[16] = "";
    GetPrivateProfileStringA("Settings", name, "", value, sizeof value, "Ventrel.ini");
    return std::string(value);
  };
  CHECK(e2e::WaitUntil([&] { return key("TransitionLayerMetres") == "30"; }, 5000));
  CHECK_EQ(key("Transitions"), std::string("1"));
  CHECK_EQ(key("TransitionWindDirection"), std::string("45"));
  CHECK_EQ(key("TransitionWindSpeed"), std::string("7"));
  CHECK_EQ(key("TransitionCloudMetres"), std::string("30"));
}
