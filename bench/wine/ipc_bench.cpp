// One IpcProcess exchange (the two status-word reads every refresh starts with) against a bare
// SendMessageTimeoutA round trip to the same devsim window.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "link/win/ipc_client.h"
#include "tests/e2e/harness.h"
#include "weather/records.h"

namespace {

constexpr int kRuns = 2000;
constexpr int kWarmUpRuns = 50;

double MedianMicroseconds(std::vector<LONGLONG>& ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::nth_element(ticks.begin(), ticks.begin() + ticks.size() / 2, ticks.end());
  return double(ticks[ticks.size() / 2]) * 1e6 / double(frequency.QuadPart);
}

template <typename Run>
bool Measure(Run run, std::vector<LONGLONG>& ticks) {
  for (int i = 0; i < kWarmUpRuns; ++i)
    if (!run()) return false;
  ticks.clear();
  for (int i = 0; i < kRuns; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const bool ok = run();
    QueryPerformanceCounter(&end);
    if (!ok) return false;
    ticks.push_back(end.QuadPart - start.QuadPart);
  }
  return true;
}

}  // namespace

int main() {
  e2e::Process devsim;
  if (!devsim.Start("\"" + e2e::ExeFolder() + "devsim.exe\"")) {
    std::fprintf(stderr, "ipc_bench: devsim.exe does not start\n");
    return 1;
  }
  HWND window = e2e::WaitForWindow("FS98MAIN", nullptr, 10000, devsim.Id());
  if (!window) {
    std::fprintf(stderr, "ipc_bench: no devsim window\n");
    return 1;
  }
  IpcConfigure(kVentrelIpcSettings);
  if (!IpcOpen(window, 32700, 2000)) {
    std::fprintf(stderr, "ipc_bench: IpcOpen failed\n");
    return 1;
  }

  uint16_t signature = 0, status = 0;
  std::vector<LONGLONG> exchange, bare;
  const bool exchangeOk = Measure(
      [&] {
        IpcRead(kInterfaceSignatureOffset, 2, &signature);
        IpcRead(kWeatherStatusOffset, 2, &status);
        return IpcProcess();
      },
      exchange);
  const bool bareOk = Measure(
      [&] {
        DWORD_PTR reply = 0;
        return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &reply) != 0;
      },
      bare);
  IpcClose(true);
  PostMessageA(window, WM_CLOSE, 0, 0);
  devsim.Wait(3000);
  if (!exchangeOk || !bareOk) {
    std::fprintf(stderr, "ipc_bench: an exchange failed\n");
    return 1;
  }

  const double exchangeUs = MedianMicroseconds(exchange);
  const double bareUs = MedianMicroseconds(bare);
  std::printf("ipc_exchange_median_us: %.1f us\n", exchangeUs);
  std::printf("sendmessage_median_us: %.1f us\n", bareUs);
  std::printf("ipc_exchange_ratio: %.2f x\n", bareUs > 0 ? exchangeUs / bareUs : 0.0);
  return 0;
}
