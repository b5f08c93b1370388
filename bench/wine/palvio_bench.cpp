// One Palvio refresh under Wine, wall time: the menu's Refresh sent to a running Palvio beside
// devsim with 99 aircraft (the most whole records the table holds): the exchange, the twelve
// texts of every row and the re-sort. The repaint that follows runs in the pause between
// refreshes and is not included.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"

namespace {

constexpr int kRuns = 100;
constexpr int kWarmUpRuns = 5;
constexpr int kRefresh = 102;
constexpr int kAutoRefresh = 105;
constexpr int kExit = 101;

bool SendCommand(HWND window, int id) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_COMMAND, WPARAM(id), 0, SMTO_BLOCK, 30000, &result) != 0;
}

int Fail(const char* why) {
  std::fprintf(stderr, "palvio_bench: %s\n", why);
  return 1;
}

}  // namespace

int main() {
  e2e::Process devsim, palvio;
  if (!devsim.Start("\"" + e2e::ExeFolder() + "devsim.exe\" --aircraft=99"))
    return Fail("devsim.exe does not start");
  HWND simulator = e2e::WaitForWindow("FS98MAIN", nullptr, 10000, devsim.Id());
  if (!simulator) return Fail("no devsim window");
  if (!palvio.Start("\"" + e2e::ExeFolder() + "Palvio.exe\"")) return Fail("Palvio.exe does not start");
  HWND window = e2e::WaitForWindow("Palvio", "Rennavik", 10000, palvio.Id());
  if (!window) return Fail("no Palvio window");
  if (!e2e::WaitUntil([&] { return e2e::LvFindChild(window) != nullptr; }, 10000))
    return Fail("no list after the first refresh");
  SendCommand(window, kAutoRefresh);  // off: only the refreshes measured
  const int rows = e2e::LvRowCount(e2e::LvFindChild(window));

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  for (int i = 0; i < kWarmUpRuns + kRuns; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!SendCommand(window, kRefresh)) return Fail("refresh not answered");
    QueryPerformanceCounter(&end);
    if (i >= kWarmUpRuns) ms.push_back(double(end.QuadPart - start.QuadPart) * 1e3 / double(frequency.QuadPart));
    Sleep(100);  // the repaint runs between refreshes, as it does between timer ticks
  }
  std::sort(ms.begin(), ms.end());
  std::printf("palvio_refresh_ms: %.3g ms\n", ms[ms.size() / 2]);
  std::printf("palvio_refresh_max_ms: %.3g ms\n", ms.back());
  std::printf("palvio_refresh_rows: %d rows\n", rows);

  PostMessageA(window, WM_COMMAND, kExit, 0);
  palvio.Wait(5000);
  PostMessageA(simulator, WM_CLOSE, 0, 0);
  devsim.Wait(3000);
  return 0;
}
