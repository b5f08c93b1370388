// Palvio's traffic advisories against devsim's scripted encounters: the alert at the time worked
// out from the thresholds, the caption, the class columns and coloured rows, the scope's
// symbols read back from the screen, the settings file, and nothing of it while switched off.
#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win/picture_paint.h"
#include "devsim/encounter.h"
#include "link/win/ipc_client.h"
#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/listview.h"
#include "traffic/scope_layout.h"

namespace {

constexpr int kExit = 101;
constexpr int kScope = 42500;
constexpr int kAdvisories = 42600;
constexpr int kFilterAllCommand = 42604;
constexpr int kMute = 42605;
constexpr int kSpecifiedColumns = 13;
constexpr int kClassColumn = 13;
constexpr unsigned kWait = 10000;
// Within one refresh (1 s) of the computed time, give or take this much of Wine's scheduling
// on a loaded machine: a late refresh, or a reply timed late or early by the tracks.
constexpr double kRefreshSlack = 1.0;

std::string PalvioIniPath() {
  char folder[MAX_PATH] = "";
  GetWindowsDirectoryA(folder, sizeof folder);
  return std::string(folder) + "\\Palvio.ini";
}

void ForgetPalvioSettings() { DeleteFileA(PalvioIniPath().c_str()); }

// Advisories on from the start, silent (the tests need no sound).
void AdvisoriesOnInTheSettings() {
  ForgetPalvioSettings();
  WritePrivateProfileStringA("Settings", "Advisories", "1", "Palvio.ini");
  WritePrivateProfileStringA("Settings", "Mute", "1", "Palvio.ini");
}

std::string IniValue(const char* key) {
  char value[80] = "";
  GetPrivateProfileStringA("Settings", key, "", value, sizeof value, "Palvio.ini");
  return value;
}

std::string Caption(HWND window) {
  char text[128] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The row that shows this slot, or -1.
int RowOfSlot(HWND list, int slot) {
  for (int row = 0; row < e2e::LvRowCount(list); ++row) {
    LPARAM data = -1;
    if (e2e::LvItemData(list, row, &data) && int(data) == slot) return row;
  }
  return -1;
}

// Seconds from the start of an encounter to the advisory against an aircraft closing head-on
// at `closing` kt with the closest approach at 60 s: TA tau 40 s and DMOD 0.75 nm at 7,000 ft,
// resolution level 25 s and 0.55 nm.
double SecondsHeadOn(double closing, double tau, double dmod) {
  const double c = closing * tau / 3600;
  const double range = (c + std::sqrt(c * c + 4 * dmod * dmod)) / 2;  // r - DMOD^2/r = c
  return 60 - range / closing * 3600;
}

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
  // Pixels of about this colour within `radius` of (x, y).
  int CountNear(int x, int y, int radius, Colour c) const {
    int n = 0;
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx) {
        const Colour p = At(x + dx, y + dy);
        n += std::abs(p.r - c.r) <= 8 && std::abs(p.g - c.g) <= 8 && std::abs(p.b - c.b) <= 8;
      }
    return n;
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// The test's own fetch of the three areas, laid out as Palvio lays out its scope.
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

// One block for the test's fetches: a block closed and opened again at once would find its name
// still held by devsim for half a second.
// The encounter's own clock, from where devsim has the user now: in the air it flies east at
// 200 kt and is over the reference point at 60 s. -1000 when it cannot be read.
double EncounterClock(OwnTraffic& own) {
  if (!own.Fetch()) return -1000;
  const OwnPosition p = own.table.DecodeOwnPosition();
  const double east = (p.longitude - -0.45) * 60 * std::cos(51.47 * 3.14159265358979 / 180);
  return kEncounterClosestSeconds + east / 200 * 3600;
}

HWND OpenScope(const e2e::PalvioRun& palvio) {
  PostMessageA(palvio.window, WM_COMMAND, kScope, 0);
  HWND scope = e2e::WaitForWindow("PalvioScope", nullptr, kWait, palvio.process.Id());
  if (!scope) return nullptr;
  SetWindowPos(scope, HWND_TOPMOST, 20, 20, 600, 600, SWP_SHOWWINDOW);
  PostMessageA(scope, WM_KEYDOWN, VK_SUBTRACT, 0);  // 10 nm
  return scope;
}

// Where the scope draws the slot now, by the test's own fetch; false when it cannot tell.
bool ScopeSpot(OwnTraffic& own, HWND scope, int slot, ThreatLevel level, double rangeNm, int* x,
               int* y) {
  if (!own.Fetch()) return false;
  std::vector<ScopeTarget> targets = ScopeTargetsFrom(own.table);
  for (ScopeTarget& t : targets) t.level = t.slot == slot ? level : kThreatOther;
  RECT client;
  GetClientRect(scope, &client);
  ScopeView view;
  view.rangeNm = rangeNm;
  view.advisories = true;
  view.filter = AltitudeFilter::kFilterAll;
  const ScopeLayout l = LayoutScopeView(targets, view, own.table.DecodeOwnPosition().variation, -1,
                                        client.right, client.bottom, PictureTextSize(scope));
  for (const ScopeMark& m : l.marks)
    if (m.slot == slot) {
      *x = m.x;
      *y = m.y;
      return true;
    }
  return false;
}

E2E_TEST(Advisories, HeadOnAlertOnTimeWithCaptionColumnsRowsAndScope) {
  AdvisoriesOnInTheSettings();
  e2e::DevsimRun sim;
  REQUIRE(sim.Start());
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  HWND list = palvio.WaitForList(kWait);
  REQUIRE(list != nullptr);
  const std::vector<e2e::LvColumn> columns = e2e::LvColumns(list);
  REQUIRE(columns.size() == 16u);
  CHECK_EQ(columns[13].header, std::string("Class"));
  CHECK_EQ(columns[14].header, std::string("Closest"));
  CHECK_EQ(columns[15].header, std::string("In"));
  HWND scope = OpenScope(palvio);
  REQUIRE(scope != nullptr);

  // The encounter starts when devsim takes the switch.
  OwnTraffic own(sim.window);
  REQUIRE(e2e::SendDevsimControl(sim.window, "--encounter=head-on"));
  const ULONGLONG start = GetTickCount64();
  const double expected = SecondsHeadOn(400, 40, 0.75);  // 18.9 s: 4.57 nm, 41.1 s before
  REQUIRE(e2e::WaitUntil([&] { return Caption(palvio.window).rfind("TRAFFIC", 0) == 0; }, 40000));
  // By the encounter's clock, read at once: the refresh that raised it came between the
  // computed time and one refresh (1 s) later.
  const double clock = EncounterClock(own);
  const double seen = (GetTickCount64() - start) / 1000.0;
  CHECK(clock >= expected - kRefreshSlack);
  CHECK(clock <= expected + 1.0 + kRefreshSlack);
  std::printf("  TA seen at %.2f s of the encounter (%.2f s by the test's clock), computed %.2f s\n",
              clock, seen, expected);
  // Dead ahead: 090 true, 093 magnetic with devsim's 3 degrees west; the same level.
  CHECK_EQ(Caption(palvio.window), std::string("TRAFFIC 093 00"));

  const int row = RowOfSlot(list, kEncounterMainSlot);
  REQUIRE(row >= 0);
  CHECK_EQ(e2e::LvCell(list, row, kClassColumn), std::string("TA"));
  CHECK_EQ(e2e::LvCell(list, row, kClassColumn + 1), std::string("0.0 nm"));
  const int in = std::atoi(e2e::LvCell(list, row, kClassColumn + 2).c_str());
  CHECK(in >= 38 && in <= 42);
  // The others are never a threat.
  for (int slot : {0, 2}) {
    const std::string cls = e2e::LvCell(list, RowOfSlot(list, slot), kClassColumn);
    CHECK(cls == "Other");
  }

  // The row is amber (the main window brought over the scope for a moment), then the class
  // column sorts it first.
  SetWindowPos(scope, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(palvio.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const RECT r = e2e::ListItemRect(list, row);
  ClientPixels rows;
  Sleep(300);
  UpdateWindow(list);
  REQUIRE(rows.Capture(list));
  CHECK(rows.CountNear(35, (r.top + r.bottom) / 2, 2, {255, 200, 90}) >= 20);
  SetWindowPos(palvio.window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(scope, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  REQUIRE(e2e::LvClickColumn(list, kClassColumn));
  CHECK(e2e::WaitUntil([&] { return RowOfSlot(list, kEncounterMainSlot) == 0; }, kWait));

  // The scope: an amber disc where the target is.
  ClientPixels pixels;
  int x = 0, y = 0;
  REQUIRE(ScopeSpot(own, scope, kEncounterMainSlot, kThreatTraffic, 10, &x, &y));
  UpdateWindow(scope);
  REQUIRE(pixels.Capture(scope));
  CHECK(pixels.CountNear(x, y, 7, scope_colours::kTrafficAdvisory) >= 25);

  // Closer in it becomes a resolution-level threat (25.9 s before): a red square.
  REQUIRE(e2e::WaitUntil([&] {
    const int now = RowOfSlot(list, kEncounterMainSlot);
    return e2e::LvCell(list, now, kClassColumn) == "RA-level";
  }, 25000));
  const double raSeen = EncounterClock(own), raExpected = SecondsHeadOn(400, 25, 0.55);
  CHECK(raSeen >= raExpected - kRefreshSlack && raSeen <= raExpected + 1.0 + kRefreshSlack);
  std::printf("  RA-level seen at %.2f s of the encounter, computed %.2f s\n", raSeen, raExpected);
  REQUIRE(ScopeSpot(own, scope, kEncounterMainSlot, kThreatResolution, 10, &x, &y));
  UpdateWindow(scope);
  REQUIRE(pixels.Capture(scope));
  CHECK(pixels.CountNear(x, y, 7, scope_colours::kResolution) >= 25);
  CHECK(Caption(palvio.window).rfind("TRAFFIC 093", 0) == 0);

  // The simulator stops answering in time: the alert ends with the failed refresh, never stuck.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--hang=2500"));
  CHECK(e2e::WaitUntil([&] { return Caption(palvio.window) == "Rennavik"; }, 30000));
  REQUIRE(e2e::SendDevsimControl(sim.window, "--hang=0"));
  PostMessageA(palvio.window, WM_COMMAND, kExit, 0);
  CHECK(palvio.process.Wait(3 * kWait));
  ForgetPalvioSettings();
}

E2E_TEST(Advisories, NoneInTheDivergingParallelAndGroundEncounters) {
  AdvisoriesOnInTheSettings();
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--encounter=diverging"));
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  HWND list = palvio.WaitForList(kWait);
  REQUIRE(list != nullptr);
  for (const char* encounter : {"diverging", "parallel", "ground"}) {
    REQUIRE(e2e::SendDevsimControl(sim.window, (std::string("--encounter=") + encounter).c_str()));
    // The user's aircraft jumped back to the encounter's start: advisories off and on again,
    // so that no track spans the jump.
    palvio.CommandNow(kAdvisories);
    palvio.CommandNow(kAdvisories);
    bool alerted = false, classed = false;
    std::string cls;
    const ULONGLONG end = GetTickCount64() + 10000;
    while (GetTickCount64() < end) {
      alerted = alerted || Caption(palvio.window) != "Rennavik";
      for (int row = 0; row < e2e::LvRowCount(list); ++row) {
        const std::string c = e2e::LvCell(list, row, kClassColumn);
        if (c == "TA" || c == "RA-level") alerted = true;
        if (!c.empty()) classed = true, cls = c;
      }
      Sleep(100);
    }
    CHECK(!alerted);
    if (alerted) e2e::ReportFailure(__FILE__, __LINE__, std::string("alert in ") + encounter);
    CHECK(classed);  // tracked and judged all the same
  }
  // The parallel aircraft 1,000 ft above, 0.5 nm beside: proximate, never more.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--encounter=parallel"));
  palvio.CommandNow(kAdvisories);
  palvio.CommandNow(kAdvisories);
  CHECK(e2e::WaitUntil([&] {
    return e2e::LvCell(list, RowOfSlot(list, kEncounterMainSlot), kClassColumn) == "Proximate";
  }, kWait));
  ForgetPalvioSettings();
}

E2E_TEST(Advisories, OffShowsTodaysListThenSwitchedOnAlertsAndIsRemembered) {
  ForgetPalvioSettings();
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--encounter=crossing"));
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  HWND list = palvio.WaitForList(kWait);
  REQUIRE(list != nullptr);
  // Past the time the crossing aircraft would be a TA (17.8 s): nothing of it while off.
  const int batches = sim.Batches();
  Sleep(21000);
  CHECK_EQ(Caption(palvio.window), std::string("Rennavik"));
  REQUIRE(e2e::LvColumns(list).size() == size_t(kSpecifiedColumns));
  // Refreshed every 2 s while off.
  const int refreshes = sim.Batches() - batches;
  CHECK(refreshes >= 9 && refreshes <= 12);

  palvio.CommandNow(kAdvisories);
  CHECK_EQ(IniValue("Advisories"), std::string("1"));
  CHECK_EQ(e2e::LvColumns(list).size(), 16u);
  palvio.CommandNow(kMute);
  // The aircraft is still closing: the TA comes once the track has its samples.
  CHECK(e2e::WaitUntil([&] { return Caption(palvio.window).rfind("TRAFFIC", 0) == 0; }, 8000));
  // Every second while on.
  const int on = sim.Batches();
  Sleep(5000);
  CHECK(sim.Batches() - on >= 4);

  palvio.CommandNow(kFilterAllCommand);
  CHECK_EQ(IniValue("Filter"), std::string("ALL"));
  CHECK_EQ(IniValue("Mute"), std::string("1"));
  HWND scope = OpenScope(palvio);
  REQUIRE(scope != nullptr);
  SetWindowPos(scope, HWND_TOP, 40, 30, 500, 520, SWP_SHOWWINDOW | SWP_NOZORDER);
  PostMessageA(palvio.window, WM_COMMAND, kExit, 0);
  REQUIRE(palvio.process.Wait(kWait));
  CHECK_EQ(IniValue("ScopeWindow"), std::string("[40,30,500,520]"));

  // Started again: on, with the class columns at once; switched off: today's list.
  e2e::PalvioRun again;
  REQUIRE(again.Start());
  list = again.WaitForList(kWait);
  REQUIRE(list != nullptr);
  CHECK_EQ(e2e::LvColumns(list).size(), 16u);
  again.CommandNow(kAdvisories);
  CHECK_EQ(e2e::LvColumns(list).size(), size_t(kSpecifiedColumns));
  CHECK_EQ(Caption(again.window), std::string("Rennavik"));
  CHECK_EQ(IniValue("Advisories"), std::string("0"));
  ForgetPalvioSettings();
}

E2E_TEST(Advisories, UnreadableSettingsFileTakesTheDefaults) {
  ForgetPalvioSettings();
  // A folder where the file should be: nothing can be read or written.
  REQUIRE(CreateDirectoryA(PalvioIniPath().c_str(), nullptr));
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--encounter=head-on"));
  e2e::PalvioRun palvio;
  REQUIRE(palvio.Start());
  HWND list = palvio.WaitForList(kWait);
  REQUIRE(list != nullptr);
  CHECK_EQ(e2e::LvColumns(list).size(), size_t(kSpecifiedColumns));
  palvio.CommandNow(kAdvisories);  // still switches on, for this run
  CHECK_EQ(e2e::LvColumns(list).size(), 16u);
  PostMessageA(palvio.window, WM_COMMAND, kExit, 0);
  CHECK(palvio.process.Wait(kWait));
  CHECK_EQ(palvio.process.ExitCode(), DWORD(0));
  RemoveDirectoryA(PalvioIniPath().c_str());
}

}  // namespace
