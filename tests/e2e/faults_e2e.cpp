// Both programs against a simulator side that goes wrong: a module that hangs past the time-out
// or answers 0, a simulator that vanishes in the middle of a refresh or restarts with a new
// window, no advanced weather interface, and tables that lie. For each: the program keeps
// running and answering, is never blocked longer than its worst case, shows what it should,
// and comes back once devsim is sound again.
#include <cstdio>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "tests/e2e/responsiveness.h"
#include "tests/e2e/soak_run.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using e2e::DevsimRun;
using e2e::PalvioConnected;
using e2e::PalvioRun;
using e2e::ResponsivenessProbe;
using e2e::VentrelRun;

constexpr unsigned kTimeOutMs = 2000;
constexpr unsigned kPauseMs = 200;
constexpr unsigned kVentrelWorstMs = 10 * (kTimeOutMs + kPauseMs);
constexpr unsigned kPalvioWorstMs = 5 * (kTimeOutMs + kPauseMs);
constexpr unsigned kWineSlackMs = 2500;
constexpr unsigned kOneTick = 3000;  // Ventrel's tick is 1 s with AutoRefresh on; room for Wine
constexpr unsigned kPalvioTick = 4000;  // Palvio's is 2 s

constexpr int kExit = 101;
constexpr int kRefresh = 102;
constexpr int kAutoRefresh = 105;
constexpr int kConnect = 40013;
constexpr int kDisconnect = 40014;
constexpr int kCloudPane = 4;
constexpr int kLatitudeColumn = 5;

const char kNotConnected[] = "Nimbrel: Not connected to Korvel";
const char kGlobal[] = "Nimbrel: Global weather: read/write";
const char kNoInterface[] = "Nimbrel: No advanced weather interface! Global weather: read/write";
const char kInstallation[] = "Error: IPC message failure: not correct Korvel installation?";

// devsim's control, waiting as long as a backlog of hung messages ahead of it may take.
bool Control(HWND sim, const char* switches) {
  COPYDATASTRUCT data = {};
  data.dwData = e2e::kDevsimControl;
  data.cbData = DWORD(std::string(switches).size() + 1);
  data.lpData = const_cast<char*>(switches);
  DWORD_PTR reply = 0;
  return SendMessageTimeoutA(sim, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             30000, &reply) != 0 &&
         reply == TRUE;
}

int AnsweredZero(const DevsimRun& sim) {
  const std::string log = sim.Log();
  int count = 0;
  for (size_t at = log.find(" answer 0\n"); at != std::string::npos;
       at = log.find(" answer 0\n", at + 1))
    ++count;
  return count;
}

// Batches answered 0 whose records are not exactly `records`.
int FailedBatchesOtherThan(const DevsimRun& sim, const std::string& records) {
  const std::string log = sim.Log();
  int other = 0;
  for (size_t at = 0; (at = log.find("batch ", at)) != std::string::npos;) {
    if (at > 0 && log[at - 1] != '\n') {
      ++at;
      continue;
    }
    const size_t body = log.find('\n', at) + 1;
    const size_t end = log.find("end ", body);
    if (end == std::string::npos) break;
    const size_t close = log.find('\n', end);
    if (log.compare(close - 9, 9, " answer 0") == 0 && log.compare(body, end - body, records) != 0)
      ++other;
    at = close;
  }
  return other;
}

// Waits until devsim has carried out `count` more batches than it had.
bool WaitForMoreBatches(HWND sim, int count, unsigned timeoutMs) {
  const long long from = e2e::DevsimBatches(sim);
  return from >= 0 &&
         e2e::WaitUntil([&] { return e2e::DevsimBatches(sim) >= from + count; }, timeoutMs);
}

bool NoBox(const char* caption, DWORD processId) {
  return e2e::FindTopWindow("#32770", caption, processId) == nullptr;
}

bool Alive(const e2e::Process& process, HWND window) {
  return process.Running() && e2e::Answers(window, 2000);
}

std::vector<std::vector<std::string>> AllPaneRows(const VentrelRun& app) {
  std::vector<std::vector<std::string>> rows;
  for (HWND pane : app.panes) rows.push_back(e2e::ListRows(pane));
  return rows;
}

// Ventrel beside devsim's built-in weather (three cloud layers), connected.
struct VentrelConnected {
  DevsimRun sim;
  VentrelRun app;
  explicit VentrelConnected(const std::string& switches = "") {
    e2e::ForgetVentrelSettings();
    REQUIRE(e2e::StartConnected(sim, app, switches, 4));
    REQUIRE(app.WaitForCaption(kGlobal, 8000));
  }
  // Closed through its menu: ends with code 0 and leaves no block or atom behind.
  void CloseCleanly() {
    const DWORD id = app.process.Id();
    CHECK(app.Close());
    CHECK_EQ(app.process.ExitCode(), DWORD(0));
    CHECK(e2e::WaitUntil([&] { return e2e::BlockGone(id); }, 5000));
  }
};

// The aircraft move every second: a refresh that got through changes their latitudes.
bool WaitForNewTexts(const PalvioRun& palvio, unsigned timeoutMs) {
  const std::vector<std::string> before = palvio.Column(kLatitudeColumn);
  return e2e::WaitUntil([&] { return palvio.Column(kLatitudeColumn) != before; }, timeoutMs);
}

bool NoErrorBox(const PalvioRun& palvio) { return NoBox("Palvio Error", palvio.process.Id()); }

void CloseCleanly(PalvioRun& palvio) {
  const DWORD id = palvio.process.Id();
  PostMessageA(palvio.window, WM_COMMAND, kExit, 0);
  CHECK(palvio.process.Wait(5000));
  CHECK_EQ(palvio.process.ExitCode(), DWORD(0));
  CHECK(e2e::WaitUntil([&] { return e2e::BlockGone(id); }, 5000));
  palvio.window = nullptr;
}

// Kills devsim while it holds a batch: it logs the batch, then waits `hang` before answering.
void KillDuringABatch(DevsimRun& sim, const char* hang) {
  const int before = sim.Batches();
  REQUIRE(Control(sim.window, hang));
  REQUIRE(e2e::WaitUntil([&] { return sim.Batches() > before + 1; }, 8000));
  sim.process.Reset();
  REQUIRE(!IsWindow(sim.window));
}

E2E_TEST(VentrelFaults, AHungModuleIsGivenUpWithinTheWorstCase) {
  VentrelConnected c;
  ResponsivenessProbe probe(c.app.window);
  REQUIRE(Control(c.sim.window, "--hang=2500"));
  CHECK(c.app.WaitForCaption(kNotConnected, kOneTick + kVentrelWorstMs + kWineSlackMs));
  // Ten attempts, each waiting out its whole time-out, then given up.
  const unsigned blocked = probe.LongestMs();
  std::printf("ventrel_hung_batch_ms: %u ms\n", blocked);
  CHECK(blocked >= 10 * kTimeOutMs);
  CHECK(blocked <= kVentrelWorstMs + kWineSlackMs);
  CHECK(NoBox("Ventrel Error", c.app.process.Id()));

  REQUIRE(Control(c.sim.window, "--hang=0"));
  CHECK(c.app.WaitForCaption(kGlobal, kVentrelWorstMs));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloudPane]) == 4; }, kOneTick));
  CHECK(probe.LongestMs() <= kVentrelWorstMs + kWineSlackMs);
  probe.Stop();
  c.CloseCleanly();
}

E2E_TEST(VentrelFaults, AModuleAnsweringZeroIsNotConnectedAndSilent) {
  VentrelConnected c;
  const auto rows = AllPaneRows(c.app);
  Sleep(2500);  // timer 1011 has given way to 1012, which does not refresh with AutoRefresh off
  ResponsivenessProbe probe(c.app.window);
  REQUIRE(Control(c.sim.window, "--answer=0"));
  CHECK(c.app.WaitForCaption(kNotConnected, kOneTick + kVentrelWorstMs));
  // A second whole failing refresh: its ten attempts answered at once, 200 ms apart.
  const int failed = AnsweredZero(c.sim);
  REQUIRE(e2e::WaitUntil([&] { return AnsweredZero(c.sim) >= failed + 10; }, kOneTick + 3000));
  const unsigned blocked = probe.LongestMs();
  std::printf("ventrel_answer0_batch_ms: %u ms\n", blocked);
  CHECK(blocked >= 10 * kPauseMs - 100);
  CHECK(blocked <= 10 * kPauseMs + kWineSlackMs);
  // Only the status words were asked for: a refresh stops at its first failed exchange.
  CHECK_EQ(FailedBatchesOtherThan(c.sim, "  R 000004D6 2\n  R 000004DC 2\n"), 0);
  CHECK(NoBox("Ventrel Error", c.app.process.Id()));
  // The panes keep what they showed. Read with AutoRefresh off: every cell read would otherwise
  // wait for a failing refresh to end.
  c.app.CommandNow(kAutoRefresh);
  CHECK(AllPaneRows(c.app) == rows);
  c.app.CommandNow(kAutoRefresh);

  REQUIRE(Control(c.sim.window, "--answer=1"));
  CHECK(c.app.WaitForCaption(kGlobal, kOneTick + 3000));
  CHECK(Alive(c.app.process, c.app.window));
}

E2E_TEST(VentrelFaults, ASimulatorVanishingMidRefreshIsDroppedAndTakenBack) {
  VentrelConnected c;
  ResponsivenessProbe probe(c.app.window);
  KillDuringABatch(c.sim, "--hang=1500");
  CHECK(c.app.WaitForCaption(kNotConnected, kOneTick + kVentrelWorstMs));
  CHECK(Alive(c.app.process, c.app.window));
  // A window that has gone fails every attempt at once: no time-outs to wait for.
  const unsigned blocked = probe.LongestMs();
  std::printf("ventrel_vanished_batch_ms: %u ms\n", blocked);
  CHECK(blocked <= 1500 + 10 * kPauseMs + kWineSlackMs);
  CHECK(e2e::WaitUntil([&] { return e2e::MenuGrayed(c.app.window, kDisconnect); }, kOneTick));
  CHECK(!e2e::MenuGrayed(c.app.window, kConnect));
  CHECK(NoBox("Ventrel Error", c.app.process.Id()));

  DevsimRun again;
  REQUIRE(again.Start("--mode=2"));
  CHECK(c.app.WaitForCaption("Nimbrel: Local weather: not available", kOneTick));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloudPane]) == 4; }, kOneTick));
  CHECK(!e2e::MenuGrayed(c.app.window, kDisconnect));
  probe.Stop();
  c.CloseCleanly();
}

E2E_TEST(VentrelFaults, ASimulatorRestartedWhileHungIsTakenOnceTheBatchEnds) {
  VentrelConnected c;
  ResponsivenessProbe probe(c.app.window);
  KillDuringABatch(c.sim, "--hang=2500");
  DevsimRun second;
  REQUIRE(second.Start("--mode=3 --icao=EDDF --empty-weather"));
  CHECK(c.app.WaitForCaption("Nimbrel: Local weather: read only  ICAO=EDDF",
                             2500 + 10 * kPauseMs + kOneTick + kWineSlackMs));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloudPane]) == 1; }, kOneTick));
  CHECK(probe.LongestMs() <= 2500 + 10 * kPauseMs + kWineSlackMs);
  CHECK(Alive(c.app.process, c.app.window));
}

E2E_TEST(VentrelFaults, NoAdvancedWeatherInterfaceKeepsThePanesUntilItIsBack) {
  VentrelConnected c;
  const auto rows = AllPaneRows(c.app);
  REQUIRE(Control(c.sim.window, "--signature=0"));
  CHECK(c.app.WaitForCaption(kNoInterface, kOneTick));
  CHECK(e2e::WaitUntil([&] { return e2e::MenuGrayed(c.app.window, kRefresh); }, kOneTick));
  // The weather changes meanwhile, but no table is read without the interface.
  REQUIRE(Control(c.sim.window, "--empty-weather"));
  REQUIRE(WaitForMoreBatches(c.sim.window, 3, kOneTick * 2));
  CHECK(AllPaneRows(c.app) == rows);
  CHECK_EQ(c.app.Caption(), std::string(kNoInterface));
  CHECK(Alive(c.app.process, c.app.window));

  REQUIRE(Control(c.sim.window, "--signature=FADE"));
  CHECK(c.app.WaitForCaption(kGlobal, kOneTick));
  CHECK(e2e::WaitUntil([&] { return e2e::LvRowCount(c.app.panes[kCloudPane]) == 1; }, kOneTick));
  CHECK(!e2e::MenuGrayed(c.app.window, kRefresh));
}

E2E_TEST(VentrelFaults, LyingDescriptorsNeverReachPastTheirBlocks) {
  VentrelConnected c;
  const auto rows = AllPaneRows(c.app);
  struct Case {
    const char* lie;
    int visibilityRows;  // -1: as before the lie
    int cloudRows;
  };
  const Case cases[] = {
      {"--traffic-slots=500 --traffic-record-size=4000", -1, -1},  // not Ventrel's business
      {"--lie-descriptors=more", 3 + 40 + 1, 3 + 40 + 1},  // zero records after the true ones
      {"--lie-descriptors=huge", 1, 1},   // far more than a batch can carry: empty
      {"--lie-descriptors=size0", 1, 1},  // record size 0: empty
      // Records too short to hold a layer, over the same bytes as before: the tables count as
      // unchanged and the panes keep their rows.
      {"--lie-descriptors=small", -1, -1},
  };
  for (const Case& k : cases) {
    REQUIRE(Control(c.sim.window, k.lie));
    REQUIRE(WaitForMoreBatches(c.sim.window, 6, kOneTick * 2));  // two whole refreshes
    CHECK(Alive(c.app.process, c.app.window));
    CHECK_EQ(c.app.Caption(), std::string(kGlobal));
    const int visibility = k.visibilityRows < 0 ? int(rows[0].size()) : k.visibilityRows;
    const int cloud = k.cloudRows < 0 ? int(rows[kCloudPane].size()) : k.cloudRows;
    if (!CHECK_EQ(e2e::LvRowCount(c.app.panes[0]), visibility) ||
        !CHECK_EQ(e2e::LvRowCount(c.app.panes[kCloudPane]), cloud))
      e2e::ReportFailure(__FILE__, __LINE__, std::string("with ") + k.lie);
    REQUIRE(Control(c.sim.window, "--lie-descriptors=none --traffic-slots=-1 --traffic-record-size=-1"));
    CHECK(e2e::WaitUntil([&] { return AllPaneRows(c.app) == rows; }, kOneTick));
  }
  CHECK(NoBox("Ventrel Error", c.app.process.Id()));
  c.CloseCleanly();
}

E2E_TEST(PalvioFaults, AHungModuleIsGivenUpWithinTheWorstCaseSilently) {
  PalvioConnected c;
  ResponsivenessProbe probe(c.palvio.window);
  REQUIRE(Control(c.sim.window, "--hang=2500"));
  // Five attempts, each waiting out its whole time-out, then given up.
  CHECK(e2e::WaitUntil([&] { return probe.LongestAnsweredMs() >= 5 * kTimeOutMs; },
                       kPalvioTick + kPalvioWorstMs + kWineSlackMs));
  const unsigned blocked = probe.LongestMs();
  std::printf("palvio_hung_batch_ms: %u ms\n", blocked);
  CHECK(blocked <= kPalvioWorstMs + kWineSlackMs);
  CHECK(NoErrorBox(c.palvio));

  // A time-out has happened: later failures of any kind stay silent.
  REQUIRE(Control(c.sim.window, "--hang=0 --answer=0"));
  const int failed = AnsweredZero(c.sim);
  CHECK(e2e::WaitUntil([&] { return AnsweredZero(c.sim) >= failed + 10; }, kPalvioWorstMs));
  CHECK(NoErrorBox(c.palvio));

  REQUIRE(Control(c.sim.window, "--answer=1"));
  CHECK(WaitForNewTexts(c.palvio, kPalvioTick + kPalvioWorstMs));
  CHECK(NoErrorBox(c.palvio));
  CHECK(probe.LongestMs() <= kPalvioWorstMs + kWineSlackMs);
  probe.Stop();
  CloseCleanly(c.palvio);
}

E2E_TEST(PalvioFaults, AModuleAnsweringZeroShowsTheBoxOncePerRefresh) {
  PalvioConnected c;
  ResponsivenessProbe probe(c.palvio.window);
  const int before = AnsweredZero(c.sim);
  REQUIRE(Control(c.sim.window, "--answer=0"));
  HWND box = e2e::WaitForWindow("#32770", "Palvio Error", kPalvioTick + kPalvioWorstMs,
                                c.palvio.process.Id());
  REQUIRE(box != nullptr);
  CHECK(e2e::BoxTexts(box).find(kInstallation) != std::string::npos);
  CHECK_EQ(AnsweredZero(c.sim) - before, 5);  // one refresh: five attempts
  // While the box is open no refresh gets through to the module and no box comes on top.
  Sleep(2500);
  CHECK_EQ(AnsweredZero(c.sim) - before, 5);
  CHECK(Alive(c.palvio.process, c.palvio.window));

  e2e::PressOk(box);
  box = e2e::WaitForWindow("#32770", "Palvio Error", kPalvioTick + kPalvioWorstMs,
                           c.palvio.process.Id());
  REQUIRE(box != nullptr);
  CHECK_EQ(AnsweredZero(c.sim) - before, 10);

  REQUIRE(Control(c.sim.window, "--answer=1"));
  e2e::PressOk(box);
  CHECK(WaitForNewTexts(c.palvio, kPalvioTick * 2));
  CHECK(NoErrorBox(c.palvio));
  CHECK(probe.LongestMs() <= 5 * kPauseMs + kWineSlackMs);
}

E2E_TEST(PalvioFaults, AVanishedOrRestartedSimulatorFailsSilently) {
  PalvioConnected c;
  ResponsivenessProbe probe(c.palvio.window);
  KillDuringABatch(c.sim, "--hang=1500");
  HWND list = c.palvio.List();
  const std::vector<std::string> rows = e2e::ListRows(list);
  Sleep(2 * 2000 + 500);  // two refreshes, both failing
  CHECK(Alive(c.palvio.process, c.palvio.window));
  CHECK(NoErrorBox(c.palvio));
  CHECK(e2e::ListRows(list) == rows);
  const unsigned blocked = probe.LongestMs();
  std::printf("palvio_vanished_batch_ms: %u ms\n", blocked);
  CHECK(blocked <= 1500 + 5 * kPauseMs + kWineSlackMs);

  // A new simulator window: Palvio links once, at start-up, so it goes on failing quietly...
  DevsimRun again;
  REQUIRE(again.Start(""));
  Sleep(kPalvioTick);
  CHECK_EQ(e2e::DevsimBatches(again.window), 0LL);
  CHECK(NoErrorBox(c.palvio));
  CHECK(e2e::ListRows(list) == rows);
  probe.Stop();
  CloseCleanly(c.palvio);
  // ...and a new start shows the traffic again.
  PalvioRun fresh;
  REQUIRE(fresh.Start());
  CHECK(fresh.WaitForList(10000) != nullptr);
}

E2E_TEST(PalvioFaults, ALyingTrafficTableShowsNothingBeyondWhatWasRead) {
  DevsimRun sim;
  REQUIRE(sim.Start("--traffic-slots=500 --traffic-record-size=4000"));
  PalvioRun palvio;
  REQUIRE(palvio.Start());
  // Records of 4000 bytes do not fit in the 4096 read: nothing to show, the list is not made.
  REQUIRE(e2e::WaitUntil([&] { return sim.Batches() >= 2; }, 2 * kPalvioTick));
  CHECK(palvio.List() == nullptr);
  CHECK(Alive(palvio.process, palvio.window));
  CHECK(NoErrorBox(palvio));

  REQUIRE(Control(sim.window, "--traffic-slots=-1 --traffic-record-size=-1"));
  HWND list = palvio.WaitForList(2 * kPalvioTick);
  REQUIRE(list != nullptr);
  const int slots = DevsimModule().Traffic().SlotCount();
  CHECK_EQ(e2e::LvRowCount(list), slots);

  const struct {
    const char* lie;
    bool refreshes;  // whether the rows still get new texts
  } lies[] = {
      {"--traffic-slots=500 --traffic-record-size=4000", false},
      {"--traffic-slots=500 --traffic-record-size=-1", true},  // cut to what 4096 bytes hold
      {"--traffic-slots=-1 --traffic-record-size=65535", false},
      {"--signature=0 --lie-descriptors=huge", true},  // weather faults are not Palvio's
  };
  for (const auto& k : lies) {
    REQUIRE(Control(sim.window, k.lie));
    const std::vector<std::string> rows = e2e::ListRows(list);
    const int before = sim.Batches();
    REQUIRE(e2e::WaitUntil([&] { return sim.Batches() >= before + 2; }, 2 * kPalvioTick));
    Sleep(300);
    CHECK(Alive(palvio.process, palvio.window));
    if (!CHECK_EQ(e2e::ListRows(list) != rows, k.refreshes))
      e2e::ReportFailure(__FILE__, __LINE__, std::string("with ") + k.lie);
    CHECK_EQ(e2e::LvRowCount(list), slots);  // the rows made at first stay
    REQUIRE(Control(sim.window,
                    "--traffic-slots=-1 --traffic-record-size=-1 --signature=FADE "
                    "--lie-descriptors=none"));
    CHECK(WaitForNewTexts(palvio, 2 * kPalvioTick));
  }
  CHECK(NoErrorBox(palvio));
  CloseCleanly(palvio);
}

}  // namespace
