// Ventrel against devsim: the CPU it takes idling with AutoRefresh on, the wall time of one
// refresh (the "&Refresh" command, sent, so it returns when the refresh is done) with the
// tables as full as devsim makes them, and one tick of the one-second timer with a weather
// transition's step against the same tick with none.
#include <algorithm>
#include <initializer_list>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

// Five tables of 300 layers, with the applied winds devsim derives: about 26 KB of the
// 32700-byte block, so the refresh moves nearly a full block.
constexpr int kLayers = 300;
constexpr int kRuns = 50;
constexpr unsigned kIdleSeconds = 60;
constexpr WPARAM kRefresh = 102;
constexpr WPARAM kAutoRefresh = 105;
constexpr WPARAM kExit = 101;
constexpr WPARAM kFinishNow = 44001;

std::string CaptionOf(HWND window) {
  char text[300] = "";
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_BLOCK, 5000, nullptr);
  return text;
}

std::string WriteWeather(const std::string& path, int shift) {
  std::string text;
  char line[256];
  for (int i = 0; i < kLayers; ++i) {
    const int base = i * 100 + shift;
    std::snprintf(line, sizeof line, "visibility upper=%d lower=%d range=%d\n", base + 100, base,
                  500 + i);
    text += line;
    std::snprintf(line, sizeof line, "temperature altitude=%d day=%d variation=3 dew=%d\n", base,
                  15 - i / 4, 5 - i / 4);
    text += line;
    std::snprintf(line, sizeof line,
                  "wind upper=%d speed=%d gust=%d direction=%d turbulence=1 shear=0\n", base + 100,
                  10 + i % 50, i % 7, (i * 997) & 0xFFFF);
    text += line;
    std::snprintf(line, sizeof line,
                  "cloud upper=%d lower=%d deviation=50 cover=%d type=%d turbulence=1 icing=0 "
                  "precipbase=%d preciptype=%d preciprate=1\n",
                  base + 90, base, i % 9, i % 11, base, i % 3);
    text += line;
  }
  text += "pressure qnh=16211 drift=0\n";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
  return path;
}

double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(ticks) * 1e3 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

double CommandMs(HWND window, WPARAM id) {
  LARGE_INTEGER start, end;
  DWORD_PTR result = 0;
  QueryPerformanceCounter(&start);
  SendMessageTimeoutA(window, WM_COMMAND, id, 0, SMTO_BLOCK, 60000, &result);
  QueryPerformanceCounter(&end);
  return Milliseconds(end.QuadPart - start.QuadPart);
}

std::string ReadWholeFile(const std::string& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

// Wine does not report another process's CPU times, so they come from Linux: utime + stime
// (in USER_HZ = 100 ticks a second) of every process whose command line names the program.
double UnixCpuSeconds(const char* program) {
  double seconds = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  do {
    if (found.cFileName[0] < '0' || found.cFileName[0] > '9') continue;
    const std::string folder = std::string("Z:\\proc\\") + found.cFileName;
    if (ReadWholeFile(folder + "\\cmdline").find(program) == std::string::npos) continue;
    const std::string stat = ReadWholeFile(folder + "\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    unsigned long long utime = 0, stime = 0;
    // Fields after the command name: state is field 3, utime 14, stime 15.
    if (std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                    &utime, &stime) == 2)
      seconds += double(utime + stime) / 100.0;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return seconds;
}

void AddWords(std::string& out, std::initializer_list<int> words) {
  for (int w : words) {
    out += char(w & 0xFF);
    out += char((w >> 8) & 0xFF);
  }
}

// WriteWeather's tables as a .VTD file, the winds turned round and 40 kt faster, the ranges
// four times as long and the pressure 1020 mb: a transition of about 90 steps in which every
// step sends the visibility, wind and pressure tables.
std::string WriteTransitionTarget(const std::string& path) {
  std::string blocks[6];
  for (int i = 0; i < kLayers; ++i) {
    const int base = i * 100, following = kLayers - 1 - i;
    AddWords(blocks[1], {10, following, base + 100, base, 4 * (500 + i)});
    AddWords(blocks[3], {12, following, base, 15 - i / 4, 3, 5 - i / 4});
    AddWords(blocks[4], {16, following, base + 100, 50 + i % 50, i % 7,
                         ((i * 997) + 32768) & 0xFFFF, 1, 0});
    AddWords(blocks[5], {24, following, base + 90, base, 50, i % 9, i % 11, 1, 0, base, i % 3, 1});
  }
  AddWords(blocks[2], {8, 0, 16320, 0});
  std::string file;
  for (int t = 1; t <= 5; ++t) {
    AddWords(file, {t * 0x1111, int(blocks[t].size())});
    file += blocks[t];
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  return path;
}

// devsim answers WM_APP + 1 with the number of batches it has carried out.
long long BatchesOf(HWND sim) {
  DWORD_PTR batches = 0;
  if (!SendMessageTimeoutA(sim, WM_APP + 1, 0, 0, SMTO_NORMAL, 5000, &batches)) return -1;
  return (long long)batches;
}

// One tick of timer 1010 as the timer gives it, sent so that it returns when the tick is done.
double TickMs(HWND window) {
  LARGE_INTEGER start, end;
  DWORD_PTR result = 0;
  QueryPerformanceCounter(&start);
  SendMessageTimeoutA(window, WM_TIMER, 1010, 0, SMTO_BLOCK, 60000, &result);
  QueryPerformanceCounter(&end);
  return Milliseconds(end.QuadPart - start.QuadPart);
}

int Fail(const char* what) {
  std::fprintf(stderr, "ventrel_bench: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  const std::string folder = e2e::TestFolder();
  const std::string weatherA = WriteWeather(folder + "full-a.txt", 0);
  const std::string weatherB = WriteWeather(folder + "full-b.txt", 1);

  e2e::Process devsim;
  if (!devsim.Start("\"" + e2e::ExeFolder() + "devsim.exe\" \"--weather=" + weatherA + "\""))
    return Fail("devsim.exe does not start");
  HWND sim = e2e::WaitForWindow("FS98MAIN", nullptr, 10000, devsim.Id());
  e2e::Process ventrel;
  if (!sim || !ventrel.Start("\"" + e2e::ExeFolder() + "Ventrel.exe\""))
    return Fail("Ventrel.exe does not start");
  HWND window = e2e::WaitForWindow("Ventrel", nullptr, 10000, ventrel.Id());
  if (!window) return Fail("no Ventrel window");
  // The window is found while it is being made: its panes may come a moment later.
  HWND cloud = nullptr;
  e2e::WaitUntil([&] {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const std::vector<e2e::LvColumn> columns = e2e::LvColumns(child);
      if (!columns.empty() && columns[0].header == "Cloud") cloud = child;
    }
    return cloud != nullptr;
  }, 20000);
  if (!cloud || !e2e::WaitUntil([&] { return e2e::LvRowCount(cloud) == kLayers + 1; }, 60000)) {
    std::fprintf(stderr, "ventrel_bench: caption \"%s\", %d cloud rows\n", CaptionOf(window).c_str(),
                 cloud ? e2e::LvRowCount(cloud) : -1);
    return Fail("the panes do not fill");
  }

  // Idle: AutoRefresh on, weather unchanged.
  Sleep(3000);
  const double cpuStart = UnixCpuSeconds("Ventrel.exe");
  const ULONGLONG wallStart = GetTickCount64();
  Sleep(kIdleSeconds * 1000);
  const double cpu = UnixCpuSeconds("Ventrel.exe") - cpuStart;
  const double wall = double(GetTickCount64() - wallStart) / 1000.0;
  if (cpuStart < 0) return Fail("no CPU times from Z:\\proc");
  std::printf("ventrel_idle_cpu_percent: %.2f %%\n", 100.0 * cpu / wall);
  std::fflush(stdout);

  // Refreshes on demand only, once timer 1011 has given way.
  CommandMs(window, kAutoRefresh);
  Sleep(2500);
  std::vector<double> unchanged, refilled;
  for (int i = 0; i < kRuns; ++i) unchanged.push_back(CommandMs(window, kRefresh));
  for (int i = 0; i < kRuns; ++i) {
    const std::string control = "\"--weather=" + (i % 2 ? weatherA : weatherB) + "\"";
    e2e::SendDevsimControl(sim, control.c_str());
    refilled.push_back(CommandMs(window, kRefresh));
  }
  std::printf("ventrel_refresh_ms: %.2f ms\n", Median(unchanged));
  std::printf("ventrel_refresh_refill_ms: %.2f ms\n", Median(refilled));

  PostMessageA(window, WM_COMMAND, kExit, 0);
  ventrel.Wait(5000);

  // Transitions on and smoothing the start-up file, which is the target. While it runs, ticks of
  // timer 1010 are sent a quarter of a second apart: a tick that sends a step makes four
  // exchanges with devsim (the step, then the refresh's three), one that finds the step not yet
  // due makes the refresh's three alone. Ticks with anything else in between are not counted.
  e2e::SendDevsimControl(sim, ("\"--weather=" + weatherA + "\"").c_str());
  const std::string ini = "[Settings]\r\nTransitions=1\r\nTransitionCommands=7\r\n";
  FILE* settings = std::fopen(e2e::VentrelIniPath().c_str(), "wb");
  if (!settings) return Fail("cannot write Ventrel.ini");
  std::fwrite(ini.data(), 1, ini.size(), settings);
  std::fclose(settings);
  const std::string target = WriteTransitionTarget(folder + "target.vtd");
  e2e::Process smoothed;
  if (!smoothed.Start("\"" + e2e::ExeFolder() + "Ventrel.exe\" \"" + target + "\""))
    return Fail("Ventrel.exe does not start with the target");
  window = e2e::WaitForWindow("Ventrel", nullptr, 10000, smoothed.Id());
  if (!window || !e2e::WaitUntil([&] { return CaptionOf(window).find("[changing") != std::string::npos; },
                                 20000))
    return Fail("the transition does not start");
  std::vector<double> stepping, alone;
  for (int i = 0; i < 400 && (stepping.size() < 20 || alone.size() < 20); ++i) {
    if (CaptionOf(window).find("[changing") == std::string::npos) break;
    const long long before = BatchesOf(sim);
    const double ms = TickMs(window);
    const long long exchanges = BatchesOf(sim) - before;
    if (exchanges == 4) stepping.push_back(ms);
    if (exchanges == 3) alone.push_back(ms);
    Sleep(250);
  }
  if (stepping.size() < 5 || alone.size() < 5) return Fail("too few ticks timed while it ran");
  const double withStep = Median(stepping), without = Median(alone);
  std::printf("transition_tick_ms: %.2f ms (%d ticks)\n", withStep, int(stepping.size()));
  std::printf("refresh_tick_ms: %.2f ms (%d ticks)\n", without, int(alone.size()));
  std::printf("transition_refresh_ratio: %.2f x\n", withStep / without);
  CommandMs(window, kFinishNow);
  PostMessageA(window, WM_COMMAND, kExit, 0);
  smoothed.Wait(5000);
  DeleteFileA(e2e::VentrelIniPath().c_str());

  PostMessageA(sim, WM_CLOSE, 0, 0);
  devsim.Wait(3000);
  return 0;
}
