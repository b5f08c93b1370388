// One repaint of each picture under Wine, wall time: the weather profile with 300 layers (60 in
// each of the visibility, temperature, wind, cloud and applied-wind tables) and the traffic
// scope with 100 aircraft, each laid out and painted off screen into a 900 x 700 window and
// copied to it, as the programs' windows do on every refresh. The scope is timed with
// advisories on (every class, half symbols beyond the range, the filter ALL) and off.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/win/picture_paint.h"
#include "traffic/scope_layout.h"
#include "weather/profile_layout.h"

namespace {

constexpr int kRuns = 100;
constexpr int kWarmUpRuns = 5;
constexpr int kLayersPerTable = 60;
constexpr int kTargets = 100;

WeatherSnapshot snapshot;
std::vector<ScopeTarget> targets;
TextSize textSize;
bool drawScope = false;
bool advisories = false;

void PutTable(int table, size_t recordSize, void (*encode)(uint8_t*, int)) {
  std::vector<uint8_t> block(recordSize * kLayersPerTable);
  for (int i = 0; i < kLayersPerTable; ++i) encode(block.data() + i * recordSize, i);
  snapshot.Table(table).data = TableBlock::Copy(block.data(), block.size());
  snapshot.Table(table).descriptor = MakeDescriptor(uint16_t(recordSize), kLayersPerTable);
}

// Layers 200 m apart and 150 m thick, so that labels crowd as they do in a full table.
void FillTables() {
  PutTable(kVisibilityTable, kVisibilityLayerSize, [](uint8_t* p, int i) {
    EncodeVisibility(p,
                     {{10, 0}, uint16_t(200 * i + 150), uint16_t(200 * i), uint16_t(50 + 20 * i)});
  });
  PutTable(kTemperatureTable, kTemperatureLayerSize, [](uint8_t* p, int i) {
    EncodeTemperature(p, {{12, 0}, uint16_t(200 * i), int16_t(15 - i), 2, int16_t(10 - 2 * i)});
  });
  PutTable(kWindTable, kWindLayerSize, [](uint8_t* p, int i) {
    EncodeWind(p, {{16, 0}, uint16_t(200 * i + 200), uint16_t(5 + i), 0, uint16_t(i * 1000), 0, 0});
  });
  PutTable(kCloudTable, kCloudLayerSize, [](uint8_t* p, int i) {
    EncodeCloud(p, {{24, 0},
                    uint16_t(200 * i + 150),
                    uint16_t(200 * i),
                    30,
                    uint16_t(i % 9),
                    uint16_t(i % 11),
                    0,
                    0,
                    uint16_t(i > 0 ? 200 * i - 100 : 0),
                    uint16_t(i % 3),
                    1});
  });
  PutTable(kAppliedWindTable, kAppliedWindLayerMinSize, [](uint8_t* p, int i) {
    std::memset(p, 0, kAppliedWindLayerMinSize);
    EncodeAppliedWind(p, {{24, 0}, uint16_t(200 * i + 200), 0, 0, 0, float(5 + i), float(i * 5)});
  });
}

void MakeTargets() {
  for (int i = 0; i < kTargets; ++i) {
    ScopeTarget t;
    t.slot = i;
    std::snprintf(t.identifier, sizeof t.identifier, "TGT%03d", i);
    t.bearing = std::fmod(i * 37.0, 360.0);
    t.distance = 1 + (i * 7) % 30;
    t.heightDiff = (i % 40) - 20;
    t.heading = (i * 53) % 360;
    t.verticalSpeed = (i % 3 - 1) * 800;
    // A crowded sky: a TA in ten, a resolution-level threat in fifteen, a third proximate.
    t.level = i % 10 == 0 ? kThreatTraffic
              : i % 15 == 0 ? kThreatResolution
              : i % 3 == 0  ? kThreatProximate
                            : kThreatOther;
    targets.push_back(t);
  }
}

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    RECT client;
    GetClientRect(window, &client);
    if (drawScope) {
      ScopeView view;
      view.rangeNm = 20;  // a third of the aircraft beyond it
      view.advisories = advisories;
      view.filter = kFilterAll;
      PaintWindowPicture(
          window,
          LayoutScopeView(targets, view, -546, 7, client.right, client.bottom, textSize).picture);
    } else
      PaintWindowPicture(
          window,
          LayoutProfile(ProfileInputFrom(snapshot), client.right, client.bottom, textSize).picture);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

double MedianRepaintMs(HWND window, double* worst) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  for (int i = 0; i < kWarmUpRuns + kRuns; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    GdiFlush();
    QueryPerformanceCounter(&end);
    if (i >= kWarmUpRuns)
      ms.push_back(double(end.QuadPart - start.QuadPart) * 1e3 / double(frequency.QuadPart));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  std::sort(ms.begin(), ms.end());
  *worst = ms.back();
  return ms[ms.size() / 2];
}

}  // namespace

int main() {
  FillTables();
  MakeTargets();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = BenchProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "PictureBench";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowExA(0, "PictureBench", "picture bench", WS_OVERLAPPEDWINDOW, 0, 0, 900,
                                700, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  textSize = PictureTextSize(window);
  double worst = 0;
  const double profile = MedianRepaintMs(window, &worst);
  std::printf("profile_paint_ms: %.3g ms\n", profile);
  std::printf("profile_paint_max_ms: %.3g ms\n", worst);
  drawScope = true;
  const double plain = MedianRepaintMs(window, &worst);
  std::printf("scope_plain_paint_ms: %.3g ms\n", plain);
  std::printf("scope_plain_paint_max_ms: %.3g ms\n", worst);
  advisories = true;
  const double scope = MedianRepaintMs(window, &worst);
  std::printf("scope_paint_ms: %.3g ms\n", scope);
  std::printf("scope_paint_max_ms: %.3g ms\n", worst);
  std::printf("picture_paint: %s\n", profile < 15 && scope < 10 && plain < 10 ? "within targets" : "OVER TARGET");
  DestroyWindow(window);
  return 0;
}
