// The weather profile and the traffic scope as the user sees them: each window opened beside
// devsim, its client area read back from the screen, and the colours checked at the places the
// layouts put the cloud bands and the aircraft, computed here from the same data.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win/picture_paint.h"
#include "link/win/ipc_client.h"
#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "tests/e2e/ventrel_driver.h"
#include "traffic/scope_layout.h"
#include "weather/profile_layout.h"
#include "weather/units.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

constexpr int kWeatherProfile = 42000;
constexpr int kScope = 42500;
constexpr int kRefresh = 102;
constexpr int kAutoRefresh = 105;
constexpr int kDistanceColumn = 2;
constexpr unsigned kWait = 10000;

// The window's client area as it is on the screen.
class ClientPixels {
 public:
  bool Capture(HWND window) {
    RECT client;
    if (!GetClientRect(window, &client)) return false;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    width_ = client.right;
    height_ = client.bottom;
    if (width_ <= 0 || height_ <= 0) return false;
    pixels_.assign(size_t(width_) * height_, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    const int lines =
        GetDIBits(memory, bitmap, 0, UINT(height_), pixels_.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return lines == height_;
  }
  Colour At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const uint32_t p = pixels_[size_t(y) * width_ + x];
    return {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool operator==(const ClientPixels& o) const { return pixels_ == o.pixels_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

bool Near(Colour a, Colour b) {
  return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
}

std::string Text(Colour c) {
  char t[32];
  std::snprintf(t, sizeof t, "(%d,%d,%d)", c.r, c.g, c.b);
  return t;
}

#define CHECK_COLOUR(pixels, x, y, colour) \
  CHECK_EQ(Text(Near((pixels).At(x, y), colour) ? (colour) : (pixels).At(x, y)), Text(colour))

// Waits for the window to be painted again after a change, and reads it.
bool CaptureWhenPainted(HWND window, ClientPixels& pixels) {
  Sleep(300);
  UpdateWindow(window);
  return pixels.Capture(window);
}

HWND OpenOnTop(DWORD process, HWND main, int command, const char* className) {
  PostMessageA(main, WM_COMMAND, WPARAM(command), 0);
  HWND window = e2e::WaitForWindow(className, nullptr, kWait, process);
  if (!window) return nullptr;
  SetWindowPos(window, HWND_TOPMOST, 20, 20, 700, 560, SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  return window;
}

CloudLayer Deck(int lower, int upper, int cover) {
  CloudLayer c;
  c.lowerAltitude = uint16_t(lower);
  c.upperAltitude = uint16_t(upper);
  c.cover = uint16_t(cover);
  c.cloudType = 1;
  return c;
}

E2E_TEST(WeatherProfile, ShowsTheCloudDeckAndFollowsARefresh) {
  const std::string low =
      e2e::WriteTestFile("low.txt", "cloud upper=1524 lower=914 deviation=0 cover=8 type=1\n");
  const std::string high =
      e2e::WriteTestFile("high.txt", "cloud upper=6100 lower=5000 deviation=0 cover=8 type=1\n");
  DevsimRun sim;
  VentrelRun app;
  e2e::ForgetVentrelSettings();
  REQUIRE(e2e::StartConnected(sim, app, "\"--weather=" + low + "\"", 2));
  HWND profile = OpenOnTop(app.process.Id(), app.window, kWeatherProfile, "VentrelProfile");
  REQUIRE(profile != nullptr);
  CHECK(IsWindowVisible(profile));
  CHECK(GetWindow(profile, GW_OWNER) == app.window);

  ClientPixels before;
  REQUIRE(CaptureWhenPainted(profile, before));
  const TextSize text = PictureTextSize(profile);
  ProfileInput in;
  in.clouds = {Deck(914, 1524, 8)};
  const ProfileLayout l = LayoutProfile(in, before.Width(), before.Height(), text);
  REQUIRE(!l.tooSmall);
  const Box band = l.cloudBands[0].box;
  const int x = band.left + 10, y = (band.top + band.bottom) / 2;
  CHECK_COLOUR(before, x, y, l.cloudBands[0].colour);
  // Sky above the deck, in the cloud column where the next deck will come.
  const int yHigh = l.YOfFeet(FeetFromMetres(5500));
  CHECK_COLOUR(before, x, yHigh, profile_colours::kSky);

  // The layer moves up: the next refresh repaints the picture.
  REQUIRE(e2e::SendDevsimControl(sim.window, ("\"--weather=" + high + "\"").c_str()));
  ClientPixels after;
  REQUIRE(e2e::WaitUntil([&] { return CaptureWhenPainted(profile, after) && !(after == before); },
                         kWait));
  in.clouds = {Deck(5000, 6100, 8)};
  const ProfileLayout moved = LayoutProfile(in, after.Width(), after.Height(), text);
  CHECK_COLOUR(after, x, yHigh, moved.cloudBands[0].colour);
  CHECK_COLOUR(after, x, y, profile_colours::kSky);

  // Closed with the main window, its placement kept under its own key.
  CHECK(app.Close());
  CHECK(!IsWindow(profile));
  char value[80] = "";
  GetPrivateProfileStringA("Settings", "ProfileWindow", "", value, sizeof value, "Ventrel.ini");
  CHECK_EQ(std::string(value), std::string("[20,20,700,560]"));
}

// The test's own fetch of the three areas, formatted by the program's own rules.
class OwnTraffic : public IpcTransport {
 public:
  explicit OwnTraffic(HWND simulator) {
    IpcConfigure(kPalvioIpcSettings);
    open_ = IpcOpen(simulator, kTrafficBlockSize, kTrafficTimeoutMs);
  }
  ~OwnTraffic() override { IpcClose(true); }
  bool Fetch() { return open_ && table.FetchTraffic(IpcView(), IpcViewSize(), *this); }
  bool Send() override { return IpcSend(); }
  void Pause(unsigned ms) override { Sleep(ms); }
  TrafficTable table;

 private:
  bool open_ = false;
};

// Palvio refreshed and the test's own fetch made in the same second: the distances the list
// shows are the ones the test computes.
bool RefreshInStep(e2e::PalvioConnected& run, OwnTraffic& own, std::vector<ScopeTarget>& targets) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    run.palvio.CommandNow(kRefresh);
    if (!own.Fetch()) return false;
    targets = ScopeTargetsFrom(own.table);
    TrafficTable copy = own.table;
    const OwnPosition position = copy.DecodeOwnPosition();
    bool same = true;
    HWND list = run.list;
    for (int row = 0; row < e2e::LvRowCount(list) && same; ++row) {
      LPARAM slot = 0;
      if (!e2e::LvItemData(list, row, &slot)) return false;
      SlotTexts texts;
      copy.FormatSlot(int(slot), position, texts);
      same = e2e::LvCell(list, row, kDistanceColumn) == texts.cell[1];
    }
    if (same) return true;
  }
  return false;
}

E2E_TEST(TrafficScope, TargetsWhereTheirSlotsAreAndSelectionBothWays) {
  e2e::PalvioConnected run("--aircraft=12");
  run.palvio.CommandNow(kAutoRefresh);  // off: the test refreshes
  HWND scope = OpenOnTop(run.palvio.process.Id(), run.palvio.window, kScope, "PalvioScope");
  REQUIRE(scope != nullptr);
  CHECK(GetWindow(scope, GW_OWNER) == run.palvio.window);
  // The longest range shows every aircraft devsim flies.
  for (int i = 0; i < kScopeRangeCount; ++i) PostMessageA(scope, WM_KEYDOWN, VK_ADD, 0);
  OwnTraffic own(run.sim.window);
  std::vector<ScopeTarget> targets;
  REQUIRE(RefreshInStep(run, own, targets));
  ClientPixels pixels;
  REQUIRE(CaptureWhenPainted(scope, pixels));
  const TextSize text = PictureTextSize(scope);
  const int16_t variation = own.table.DecodeOwnPosition().variation;
  ScopeLayout l = LayoutScope(targets, kScopeRangeCount - 1, variation, -1, pixels.Width(),
                              pixels.Height(), text);
  REQUIRE(!l.tooSmall);
  REQUIRE(l.marks.size() >= 5u);
  int matched = 0, inRange = 0;
  for (const ScopeMark& m : l.marks) {
    if (!m.inRange) continue;
    ++inRange;
    if (Near(pixels.At(m.x, m.y), scope_colours::kTarget)) ++matched;
  }
  CHECK(inRange >= 5);
  CHECK(matched * 10 >= inRange * 9);
  // Nothing half way between the centre and the top left corner, inside the first ring.
  CHECK_COLOUR(pixels, l.centreX - l.radius / 10, l.centreY - l.radius / 10 - 10,
               scope_colours::kBackground);

  // A row selected in the list lights its target.
  const ScopeMark& first = l.marks[0];
  int row = -1;
  for (int r = 0; r < e2e::LvRowCount(run.list); ++r) {
    LPARAM slot = 0;
    if (e2e::LvItemData(run.list, r, &slot) && int(slot) == first.slot) row = r;
  }
  REQUIRE(row >= 0);
  e2e::ListSetItemState(run.list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  REQUIRE(CaptureWhenPainted(scope, pixels));
  CHECK_COLOUR(pixels, first.x, first.y, scope_colours::kSelected);

  // Clicking another target selects its row.
  const ScopeMark* other = nullptr;
  for (const ScopeMark& m : l.marks)
    if (m.inRange && m.slot != first.slot && ScopeHitTest(l, m.x, m.y) == m.slot) other = &m;
  REQUIRE(other != nullptr);
  PostMessageA(scope, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(other->x, other->y));
  CHECK(e2e::WaitUntil(
      [&] {
        for (int r = 0; r < e2e::LvRowCount(run.list); ++r) {
          LPARAM slot = 0;
          if (e2e::ListItemState(run.list, r, LVIS_SELECTED) && e2e::LvItemData(run.list, r, &slot))
            return int(slot) == other->slot;
        }
        return false;
      },
      kWait));

  // The aircraft move: a later refresh changes the picture.
  Sleep(1500);
  run.palvio.CommandNow(kRefresh);
  ClientPixels later;
  CHECK(e2e::WaitUntil([&] { return CaptureWhenPainted(scope, later) && !(later == pixels); },
                       kWait));
}

E2E_TEST(TrafficScope, RangeKeysAndWheel) {
  e2e::PalvioConnected run("--aircraft=12");
  HWND scope = OpenOnTop(run.palvio.process.Id(), run.palvio.window, kScope, "PalvioScope");
  REQUIRE(scope != nullptr);
  ClientPixels start, zoomed, back;
  run.palvio.CommandNow(kAutoRefresh);  // off: only the keys change the picture
  REQUIRE(CaptureWhenPainted(scope, start));
  PostMessageA(scope, WM_KEYDOWN, VK_SUBTRACT, 0);
  CHECK(e2e::WaitUntil([&] { return CaptureWhenPainted(scope, zoomed) && !(zoomed == start); },
                       kWait));
  PostMessageA(scope, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  CHECK(e2e::WaitUntil([&] { return CaptureWhenPainted(scope, back) && back == start; }, kWait));
  // Closing and opening again keeps the place it had.
  RECT before;
  GetWindowRect(scope, &before);
  PostMessageA(scope, WM_CLOSE, 0, 0);
  REQUIRE(e2e::WaitUntil([&] { return !IsWindow(scope); }, kWait));
  PostMessageA(run.palvio.window, WM_COMMAND, kScope, 0);
  HWND again = e2e::WaitForWindow("PalvioScope", nullptr, kWait, run.palvio.process.Id());
  REQUIRE(again != nullptr);
  RECT after;
  GetWindowRect(again, &after);
  CHECK_EQ(after.left, before.left);
  CHECK_EQ(after.bottom, before.bottom);
}

}  // namespace
