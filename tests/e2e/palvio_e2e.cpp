// Palvio beside devsim: start-up failures, the list after the first refresh, sorting by column,
// AutoRefresh, and the failure messages of a simulator that answers wrongly or not at all.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "link/win/ipc_client.h"
#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "traffic/traffic_table.h"

namespace {

constexpr int kExit = 101;
constexpr int kRefresh = 102;
constexpr int kAbout = 103;
constexpr int kAutoRefresh = 105;
constexpr int kListColumns = 13;
constexpr const char* kInstallationMessage =
    "Error: IPC message failure: not correct Korvel installation?";

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Occupied rows first, ordered by `less`; every empty row after them.
template <typename Less>
bool OrderedWithEmptiesLast(const std::vector<std::string>& ids,
                            const std::vector<std::string>& keys, Less less) {
  bool seenEmpty = false;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i].empty()) {
      seenEmpty = true;
      continue;
    }
    if (seenEmpty) return false;
    if (i > 0 && less(keys[i], keys[i - 1])) return false;
  }
  return true;
}

struct DialogSearch {
  const char* title;
  DWORD processId;
  int count;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char text[128] = "", cls[64] = "";
  GetWindowTextA(window, text, sizeof text);
  GetClassNameA(window, cls, sizeof cls);
  if (pid == s->processId && std::string(cls) == "#32770" && std::string(text) == s->title) ++s->count;
  return TRUE;
}

// Dialogs of the process with this caption.
int CountDialogs(const char* title, DWORD processId) {
  DialogSearch search = {title, processId, 0};
  EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

// The test's own reading of the same three areas, formatted by the same rules.
class OwnFetch : public IpcTransport {
 public:
  explicit OwnFetch(HWND simulator) {
    IpcConfigure(kPalvioIpcSettings);
    open_ = IpcOpen(simulator, kTrafficBlockSize, kTrafficTimeoutMs);
  }
  ~OwnFetch() override { IpcClose(true); }
  bool Fetch() { return open_ && table.FetchTraffic(IpcView(), IpcViewSize(), *this); }
  bool Send() override { return IpcSend(); }
  void Pause(unsigned ms) override { Sleep(ms); }
  TrafficTable table;

 private:
  bool open_ = false;
};

// Every row's twelve texts as the test works them out from its own fetch; the mismatches.
int RowsDiffering(HWND list, OwnFetch& own, std::string* first) {
  const OwnPosition position = own.table.DecodeOwnPosition();
  int differing = 0;
  for (int row = 0; row < e2e::LvRowCount(list); ++row) {
    LPARAM slot = -1;
    if (!e2e::LvItemData(list, row, &slot)) return -1;
    SlotTexts texts;
    own.table.FormatSlot(int(slot), position, texts);
    char slotText[8];
    std::snprintf(slotText, sizeof slotText, "%02d", int(slot));
    bool same = e2e::LvCell(list, row, 0) == slotText;
    for (int column = 1; column < kListColumns; ++column)
      same = same && e2e::LvCell(list, row, column) == texts.cell[column - 1];
    if (!same && differing++ == 0 && first) *first = "row " + std::to_string(row);
  }
  return differing;
}

E2E_TEST(PalvioStart, NoSimulatorShowsTheBoxAndEndsWithCode2) {
  REQUIRE(e2e::FindTopWindow("FS98MAIN", nullptr) == nullptr);
  e2e::PalvioRun palvio;
  REQUIRE(palvio.process.Start("\"" + e2e::ExeFolder() + "Palvio.exe\""));
  HWND box = e2e::WaitForWindow("#32770", "Palvio Error", 10000, palvio.process.Id());
  REQUIRE(box != nullptr);
  const std::string texts = e2e::BoxTexts(box);
  CHECK(texts.find("Error: not able to find FS: please run it first") != std::string::npos);
  HWND main = e2e::FindTopWindow("Palvio", nullptr, palvio.process.Id());
  CHECK(main == nullptr || !IsWindowVisible(main));
  e2e::PressOk(box);
  REQUIRE(palvio.process.Wait(10000));
  CHECK_EQ(palvio.process.ExitCode(), DWORD(2));
}

E2E_TEST(PalvioList, FirstRefreshMatchesTheScenarioNearestFirst) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start());
  e2e::PalvioRun palvio;
  const ULONGLONG started = GetTickCount64();
  REQUIRE(palvio.Start());
  CHECK(palvio.List() == nullptr);  // nothing before the first tick, 2 s after start-up
  RECT frame;
  GetWindowRect(palvio.window, &frame);
  CHECK_EQ(frame.right - frame.left, 995);
  // A desktop lower than the window caps its height, as it would on Windows.
  CHECK_EQ(frame.bottom - frame.top, std::min(800, GetSystemMetrics(SM_CYMAXTRACK)));

  HWND list = palvio.WaitForList(10000);
  REQUIRE(list != nullptr);
  CHECK(GetTickCount64() - started >= 1900);

  const struct {
    const char* header;
    int width;
  } columns[] = {{"Slot", 40},     {"ID", 160},      {"Distance", 70},  {"Bearing(M)", 70},
                 {"AltDiff(FL)", 70}, {"Latitude", 120}, {"Longitude", 120}, {"Altitude", 70},
                 {"Hdg(M)", 55},   {"GS", 40},       {"VS", 50},        {"COM1", 50},
                 {"Ref", 50}};
  const std::vector<e2e::LvColumn> shown = e2e::LvColumns(list);
  REQUIRE(shown.size() == 13);
  for (int k = 0; k < kListColumns; ++k) {
    CHECK_EQ(shown[k].header, std::string(columns[k].header));
    CHECK_EQ(shown[k].width, columns[k].width);
  }
  DevsimModule scenario;
  CHECK_EQ(e2e::LvRowCount(list), scenario.Traffic().SlotCount());

  // Held still: then every text must be what the same fetch gives the test, within one of
  // devsim's one-second steps.
  palvio.CommandNow(kAutoRefresh);
  OwnFetch own(sim.window);
  int differing = -1;
  std::string first;
  for (int attempt = 0; attempt < 5 && differing != 0; ++attempt) {
    palvio.CommandNow(kRefresh);
    REQUIRE(own.Fetch());
    differing = RowsDiffering(list, own, &first);
  }
  CHECK_EQ(differing, 0);
  if (differing) e2e::ReportFailure(__FILE__, __LINE__, "first difference: " + first);

  const std::vector<std::string> ids = palvio.Column(1);
  const std::vector<std::string> distances = palvio.Column(2);
  CHECK(OrderedWithEmptiesLast(ids, distances, [](const std::string& a, const std::string& b) {
    return std::atoi(a.c_str()) < std::atoi(b.c_str());
  }));
  CHECK(std::count(ids.begin(), ids.end(), "") ==
        scenario.Traffic().SlotCount() - scenario.Traffic().AircraftCount());
}

E2E_TEST(PalvioSort, ClickingIdOrdersByIdentifierAtEveryRefresh) {
  e2e::PalvioConnected c;
  REQUIRE(e2e::LvClickColumn(c.list, 1));
  auto byId = [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); };
  std::vector<std::string> ids;
  CHECK(e2e::WaitUntil(
      [&] { return ids = c.palvio.Column(1), OrderedWithEmptiesLast(ids, ids, byId); }, 3000));

  const int before = c.sim.Batches();
  REQUIRE(c.sim.WaitForBatches(before + 1, 5000));
  Sleep(300);
  ids = c.palvio.Column(1);
  CHECK(OrderedWithEmptiesLast(ids, ids, byId));
}

E2E_TEST(PalvioSort, ClickingSlotStopsTheResorting) {
  // Six aircraft in seven slots, slot 3 empty; later five aircraft in five slots.
  e2e::PalvioConnected c("--aircraft=6");
  REQUIRE(e2e::LvClickColumn(c.list, 0));
  const std::vector<std::string> order = {"00", "01", "02", "04", "05", "06", "03"};
  CHECK(e2e::WaitUntil([&] { return c.palvio.Column(0) == order; }, 3000));

  REQUIRE(e2e::SendDevsimControl(c.sim.window, "--aircraft=5"));
  const int before = c.sim.Batches();
  REQUIRE(c.sim.WaitForBatches(before + 2, 8000));
  Sleep(300);
  // Slot 3 now has an aircraft and slots 5 and 6 none: a re-sort would have moved them.
  CHECK(c.palvio.Column(0) == order);
  const std::vector<std::string> ids = c.palvio.Column(1);
  REQUIRE(ids.size() == 7);
  CHECK(!ids[6].empty());
  CHECK(ids[4].empty() && ids[5].empty());
}

E2E_TEST(PalvioAutoRefresh, OffStopsTheRefreshesAndOnWaitsTwoSeconds) {
  e2e::PalvioConnected c;
  c.palvio.CommandNow(kAutoRefresh);
  const int stopped = c.sim.Batches();
  Sleep(4500);
  CHECK_EQ(c.sim.Batches(), stopped);

  const ULONGLONG on = GetTickCount64();
  c.palvio.CommandNow(kAutoRefresh);
  Sleep(1000);
  CHECK_EQ(c.sim.Batches(), stopped);
  REQUIRE(c.sim.WaitForBatches(stopped + 1, 5000));
  CHECK(GetTickCount64() - on >= 1900);
}

E2E_TEST(PalvioFailure, WrongAnswerShowsTheMessageOncePerRefresh) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--answer=0"));
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  for (int box = 0; box < 2; ++box) {
    HWND error = e2e::WaitForWindow("#32770", "Palvio Error", 10000, palvio.process.Id());
    REQUIRE(error != nullptr);
    CHECK(e2e::BoxTexts(error).find(kInstallationMessage) != std::string::npos);
    if (box == 0) {
      // Left open across two ticks: the refreshes wait, no box comes on top of it.
      const int batches = sim.Batches();
      Sleep(4500);
      CHECK_EQ(CountDialogs("Palvio Error", palvio.process.Id()), 1);
      CHECK_EQ(sim.Batches(), batches);
    }
    CHECK(e2e::PressOk(error));
  }
  CHECK(palvio.List() == nullptr);
}

E2E_TEST(PalvioFailure, AfterATimeOutFailuresAreSilent) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--hang=2500"));
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  REQUIRE(sim.WaitForBatches(1, 10000));
  Sleep(2500);  // the first attempt has timed out by now
  REQUIRE(e2e::SendDevsimControl(sim.window, "--hang=0 --answer=0"));
  const int batches = sim.Batches();
  e2e::DialogCloser closer("Palvio Error", 9000, palvio.process.Id());
  CHECK(!closer.Seen());
  CHECK(sim.Batches() > batches + 5);  // refreshes went on failing
}

E2E_TEST(PalvioWindow, ListCoversTheClientAreaAfterMinimiseAndRestore) {
  e2e::PalvioConnected c;
  auto covers = [&] {
    RECT client, child;
    GetClientRect(c.palvio.window, &client);
    GetWindowRect(c.list, &child);
    MapWindowPoints(nullptr, c.palvio.window, reinterpret_cast<POINT*>(&child), 2);
    return child.left == 0 && child.top == 0 && child.right == client.right &&
           child.bottom == client.bottom && client.right > 0;
  };
  CHECK(covers());
  ShowWindow(c.palvio.window, SW_MINIMIZE);
  ShowWindow(c.palvio.window, SW_RESTORE);
  CHECK(e2e::WaitUntil(covers, 2000));
  SetWindowPos(c.palvio.window, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
  CHECK(e2e::WaitUntil(covers, 2000));
}

E2E_TEST(PalvioWindow, AboutBoxAndExit) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start());
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  PostMessageA(palvio.window, WM_COMMAND, kAbout, 0);
  HWND about = e2e::WaitForWindow("#32770", "Palvio", 5000, palvio.process.Id());
  REQUIRE(about != nullptr);
  std::string texts;
  e2e::WaitUntil([&] { return (texts = e2e::DialogStaticTexts(about)).find("Version") !=
                              std::string::npos; },
                 2000);
  CHECK(texts.find("Palvio") != std::string::npos);
  CHECK(texts.find("Version 1.0.0") != std::string::npos);
  HWND frame = GetDlgItem(about, 106);
  CHECK(frame != nullptr && !IsWindowEnabled(frame));
  CHECK(e2e::PressOk(about));

  PostMessageA(palvio.window, WM_COMMAND, kExit, 0);
  REQUIRE(palvio.process.Wait(5000));
  CHECK_EQ(palvio.process.ExitCode(), DWORD(0));
}

}  // namespace
