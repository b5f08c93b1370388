// Weather that follows the aircraft, against devsim flying over the grid of tests/data/live:
// the stations the window shows at three points of the flight, the pressure that reaches
// devsim (the known field, within the transition rates), a manual set load that stops
// following, following off reading no position and sending today's exchanges, a file with
// nothing near and a file that vanishes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "resources/live_window_ids.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/live_data.h"
#include "tests/e2e/ventrel_driver.h"

namespace {

using e2e::DevsimRun;
using e2e::VentrelRun;

enum : int { kLoadAndSet = 40009, kLiveWeather = 45001 };
constexpr unsigned kOneTick = 3000;
// Once the aircraft holds still, the blend is worked out again within 10 s while a station
// fades in or out (and within 60 s otherwise): its distances are then those of the point.
constexpr unsigned kSettled = 16000;
const char kLoadTitle[] = "Load Ventrel Data (VTD/WX)";
const char kWindowTitle[] = "Live weather";

// 1000.0 mb, one wind layer, one cloud deck: the cloud pane then has two rows.
const char kStartWeather[] =
    "pressure qnh=16000 drift=0\n"
    "wind upper=600 speed=10 gust=0 direction=49152 turbulence=0 shear=0\n"
    "cloud upper=1000 lower=500 deviation=0 cover=6 type=8 turbulence=0 icing=0 precipbase=0 "
    "preciptype=0 preciprate=0\n";

// Rates fast enough for a test: 1 mb a step on average.
const char kFastRates[] =
    "TransitionPressure=160\r\nTransitionWindDirection=30\r\nTransitionWindSpeed=5\r\n"
    "TransitionCloudMetres=300\r\nTransitionCoverEvery=1\r\nTransitionLayerMetres=300\r\n";

// --- The grid (tests/data/live/README.md) ---

struct Point {
  double latitude, longitude;
};

struct GridStation {
  std::string icao;
  Point at;
};

constexpr double kColumnDegrees = 0.7071068;  // 30 nm along 45N
Point GridPoint(double row, double column) { return {44.0 + 0.5 * row, -10.0 + (column - 2) * kColumnDegrees}; }
// QNH in hPa at a station: 1000 + 2c + r.
double GridQnh(double row, double column) { return 1000 + 2 * column + row; }

std::vector<GridStation> GridStations() {
  std::vector<GridStation> out;
  const std::string text = e2e::ReadTextFile(e2e::LiveDataPath("grid-stations.txt"));
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    char icao[8] = "";
    double lat = 0, lon = 0;
    if (line[0] != '#' && std::sscanf(line.c_str(), "%7s %lf %lf", icao, &lat, &lon) == 3)
      out.push_back({icao, {lat, lon}});
  }
  return out;
}

// Great circle, one minute of arc a nautical mile.
double DistanceNm(Point a, Point b) {
  const double r = 3.14159265358979323846 / 180;
  const double dLat = (b.latitude - a.latitude) * r, dLon = (b.longitude - a.longitude) * r;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(a.latitude * r) * std::cos(b.latitude * r) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2 * std::asin(std::sqrt(h)) / r * 60;
}

// The stations the blend should take at p, nearest first: up to `count` within the radius,
// only the nearest when it is within 2 nm.
std::vector<std::string> ExpectedStations(Point p, double radiusNm, int count) {
  std::vector<std::pair<double, std::string>> inRange;
  for (const GridStation& s : GridStations()) {
    const double d = DistanceNm(p, s.at);
    if (d <= radiusNm) inRange.push_back({d, s.icao});
  }
  std::sort(inRange.begin(), inRange.end());
  std::vector<std::string> out;
  for (const auto& n : inRange) {
    if (int(out.size()) == count || (!out.empty() && inRange[0].first < 2)) break;
    out.push_back(n.second);
  }
  return out;
}

std::string FlightPoint(Point p) {
  char text[64];
  std::snprintf(text, sizeof text, "%.7f,%.7f,3000", p.latitude, p.longitude);
  return text;
}

// "N45 45.00' W008 56.36'", minutes to hundredths.
std::string PositionText(Point p) {
  auto angle = [](double degrees, char positive, char negative, int digits) {
    const long long hundredths = std::llround(std::fabs(degrees) * 6000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%c%0*lld %02d.%02d'", degrees < 0 ? negative : positive, digits,
                  hundredths / 6000, int(hundredths % 6000) / 100, int(hundredths % 100));
    return std::string(text);
  };
  return angle(p.latitude, 'N', 'S', 2) + " " + angle(p.longitude, 'E', 'W', 3);
}

// --- devsim's log ---

struct Batch {
  long long ms = -1;
  std::string body;         // the record lines, without the batch line
  bool readsPosition = false;
  int qnh = -1;             // sixteenths of a millibar of a pressure table write, -1 for none
  bool writes = false;
  bool clears = false;      // a ClearTable of all tables: a set load
};

std::vector<Batch> Batches(const DevsimRun& sim, size_t from = 0) {
  const std::string log = sim.Log();
  std::vector<Batch> out;
  Batch current;
  for (size_t at = from; at < log.size();) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) break;  // a line being written
    const std::string line = log.substr(at, end - at);
    at = end + 1;
    unsigned long long n = 0, ms = 0;
    if (std::sscanf(line.c_str(), "batch %llu at %llu ms", &n, &ms) == 2) {
      current = Batch();
      current.ms = (long long)ms;
    } else if (line.compare(0, 4, "end ") == 0) {
      if (current.ms >= 0) out.push_back(current);
      current = Batch();
    } else {
      current.body += line + "\n";
      if (line.compare(0, 15, "  R 00000560 24") == 0) current.readsPosition = true;
      if (line.compare(0, 4, "  W ") == 0) current.writes = true;
      if (line.compare(0, 15, "  W 00050000 0") == 0) current.clears = true;
      // Pressure table, SetTable: "  W 00260000 8 0800 0000 QQQQ 0000" as one hex run.
      unsigned size = 0;
      char hex[64] = "";
      if (std::sscanf(line.c_str(), "  W 00260000 %u %63s", &size, hex) == 2 && size == 8 && std::strlen(hex) == 16) {
        const int lo = int(std::strtoul(std::string(hex + 8, 2).c_str(), nullptr, 16));
        const int hi = int(std::strtoul(std::string(hex + 10, 2).c_str(), nullptr, 16));
        current.qnh = lo | hi << 8;
      }
    }
  }
  return out;
}

int LastQnh(const DevsimRun& sim) {
  int qnh = -1;
  for (const Batch& b : Batches(sim))
    if (b.qnh >= 0) qnh = b.qnh;
  return qnh;
}

// The pressure in force after every write batch (each a step of a change), from `start` on:
// in any ten steps it moves at most `perTenSteps` sixteenths. Returns the worst ten steps seen.
int WorstTenSteps(const std::vector<Batch>& batches, int start) {
  std::vector<int> inForce(1, start);
  for (const Batch& b : batches)
    if (b.writes) inForce.push_back(b.qnh >= 0 ? b.qnh : inForce.back());
  int worst = 0;
  for (size_t i = 0; i < inForce.size(); ++i)
    for (size_t j = i + 1; j < inForce.size() && j <= i + 10; ++j) worst = std::max(worst, std::abs(inForce[j] - inForce[i]));
  return worst;
}

std::string Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  std::string s;
  for (const std::string& x : v) s += x + " ";
  return s;
}

// --- Ventrel with its settings, devsim flying ---

struct LiveOptions {
  std::string reports;          // "" for no live keys at all
  int radius = 25;
  int count = 4;
  bool follow = true;
  const char* rates = kFastRates;
};

void WriteSettings(const LiveOptions& o) {
  std::string ini = "[Settings]\r\nTransitions=1\r\n";
  ini += o.rates;
  if (!o.reports.empty()) {
    ini += "LiveReports=" + o.reports + "\r\nLiveStations=" + e2e::LiveDataPath("grid-stations.txt") +
           "\r\nLiveRadius=" + std::to_string(o.radius) + "\r\nLiveStationCount=" + std::to_string(o.count) +
           "\r\nLiveFollow=" + (o.follow ? "1" : "0") + "\r\n";
  }
  REQUIRE(e2e::WriteVentrelIni(ini));
}

struct Live {
  DevsimRun sim;
  VentrelRun app;
  HWND window = nullptr;

  Live(const LiveOptions& o, Point at) {
    e2e::ForgetVentrelSettings();
    DeleteFileA((e2e::TestFolder() + "devsim.log").c_str());
    WriteSettings(o);
    const std::string weather = e2e::WriteTestFile("start.txt", kStartWeather);
    REQUIRE(e2e::StartConnected(sim, app, "\"--weather=" + weather + "\" --flight=" + FlightPoint(at), 2));
  }
  HWND Open() {
    app.Command(kLiveWeather);
    window = e2e::WaitForWindow("#32770", kWindowTitle, 10000, app.process.Id());
    REQUIRE(window != nullptr);
    REQUIRE(e2e::WaitUntil([&] { return IsWindowVisible(window) != 0; }, 5000));
    return window;
  }
  std::string Text(int id) const { return e2e::FieldText(window, id); }
  std::vector<std::vector<std::string>> Blend() const {
    return e2e::LvCells(GetDlgItem(window, IDC_LIVE_BLEND), 5);
  }
  // The window shows the aircraft at p.
  bool WaitArrived(Point p, unsigned ms) const {
    return e2e::WaitUntil([&] { return Text(IDC_LIVE_POSITION).find(PositionText(p)) != std::string::npos; }, ms);
  }
  // The stations within the radius come in these groups, nearest group first, the order within
  // a group (as far as each other) left open; each about `nm` away. On failure, says what the
  // list showed.
  bool WaitForBlend(const std::vector<std::vector<std::string>>& groups, double radiusNm, double nm,
                    unsigned ms) const {
    std::string want, seen;
    for (const auto& g : groups) want += Sorted(g) + "| ";
    auto shown = [&] {
      std::vector<std::vector<std::string>> rows;
      for (const auto& row : Blend())
        if (std::atof(row[1].c_str()) <= radiusNm) rows.push_back(row);
      std::string got;
      seen.clear();
      size_t at = 0;
      bool close = true;
      for (const auto& g : groups) {
        std::vector<std::string> names;
        for (size_t i = 0; i < g.size() && at < rows.size(); ++i, ++at) {
          names.push_back(rows[at][0]);
          close = close && std::fabs(std::atof(rows[at][1].c_str()) - nm) <= 0.6;
        }
        got += Sorted(names) + "| ";
      }
      for (const auto& row : Blend()) seen += row[0] + " " + row[1] + " nm " + row[2] + "%; ";
      return got == want && at == rows.size() && close;
    };
    if (e2e::WaitUntil(shown, ms)) return true;
    e2e::ReportFailure(__FILE__, __LINE__, "wanted " + want + "within " + std::to_string(radiusNm) + " nm, saw " + seen);
    return false;
  }
  void Fly(const std::string& plan) const { REQUIRE(e2e::SendDevsimControl(sim.window, ("--flight=" + plan).c_str())); }
  void FlyTo(Point from, Point to, int seconds) const {
    Fly("@0," + FlightPoint(from) + ";@" + std::to_string(seconds) + "," + FlightPoint(to));
  }
  bool WaitForQnh(int sixteenths, int tolerance, unsigned ms) const {
    return e2e::WaitUntil([&] { return std::abs(LastQnh(sim) - sixteenths) <= tolerance; }, ms);
  }
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
};

// Three points: on ZQAG (used alone), halfway between ZQAM and ZQAN, in the middle of the cell
// of ZQAS, ZQAT, ZQAX and ZQAY.
const Point kOnStation = GridPoint(1, 1);
const Point kBetweenTwo = {45.0, -10.0 + 0.5 * kColumnDegrees};
const Point kAmongFour = {45.75, -10.0 + 1.5 * kColumnDegrees};

}  // namespace

E2E_TEST(Live, RestampKeepsEveryReportsAge) {
  const std::string text = e2e::ReadTextFile(e2e::LiveDataPath("mixed-reports.txt"));
  REQUIRE(!text.empty());
  SYSTEMTIME now = {};
  now.wYear = 2027;
  now.wMonth = 3;
  now.wDay = 1;
  now.wHour = 0;
  now.wMinute = 10;
  const std::string out = e2e::RestampReports(text, now);
  // The newest (the SPECI of 08 12:12) becomes 01 00:10; the rest keep their age, into February.
  const char* const kWant[] = {
      "2027/02/28 23:48\nZQAA 282348Z ",  "2027/02/28 23:18\nMETAR ZQAB 282318Z ",
      "METAR ZQAC 282348Z ",               "SPECI ZQAC 010010Z ",
      "ZQZZ 282348Z ",                     "ZQAE 282348Z !!!!! ?????",
      "ZQAF 281548Z 19009KT",              "      NSC 15/11 Q1002=\n",
  };
  for (const char* want : kWant)
    if (out.find(want) == std::string::npos) e2e::ReportFailure(__FILE__, __LINE__, std::string("missing: ") + want);
  CHECK_EQ(out.size(), text.size());
  const std::string grid = e2e::ReadTextFile(e2e::LiveDataPath("grid-reports.txt"));
  const std::string restamped = e2e::RestampReports(grid, now);
  CHECK_EQ(e2e::CountLinesStartingWith(restamped, "ZQA"), 25);
  CHECK(restamped.find("ZQAA 010010Z 18006KT") != std::string::npos);
  CHECK(restamped.find("ZQAB 282340Z 20007KT") != std::string::npos);
}

E2E_TEST(Live, FollowsTheFlightAcrossTheGrid) {
  LiveOptions o;
  o.reports = e2e::RestampedCopy("grid-reports.txt", "grid-reports.txt");
  REQUIRE(!o.reports.empty());
  Live live(o, kOnStation);
  live.Open();

  // On ZQAG: that station alone, its QNH of 1003 hPa.
  CHECK(live.WaitForBlend({{"ZQAG"}}, o.radius, 0, 8000));
  CHECK(live.WaitForQnh(int(GridQnh(1, 1) * 16), 1, 15000));
  CHECK(live.WaitArrived(kOnStation, kOneTick));
  CHECK(live.Text(IDC_LIVE_STATUS).rfind("Following the aircraft (1 station)", 0) == 0);
  CHECK(SendMessageA(GetDlgItem(live.window, IDC_LIVE_FOLLOW), BM_GETCHECK, 0, 0) == BST_CHECKED);

  // Across to halfway between ZQAM and ZQAN: both, 15 nm each; ZQAG fades out beyond the radius.
  live.FlyTo(kOnStation, kBetweenTwo, 12);
  CHECK_EQ(Sorted(ExpectedStations(kBetweenTwo, o.radius, o.count)), std::string("ZQAM ZQAN "));
  CHECK(live.WaitArrived(kBetweenTwo, 25000));
  CHECK(live.WaitForBlend({{"ZQAM", "ZQAN"}}, o.radius, 15.0, kSettled));

  // On to the middle of the cell of ZQAS, ZQAT, ZQAX and ZQAY: the northern two nearer (the
  // columns close in towards the pole), each pair as far as each other.
  live.FlyTo(kBetweenTwo, kAmongFour, 12);
  CHECK_EQ(Sorted(ExpectedStations(kAmongFour, o.radius, o.count)), std::string("ZQAS ZQAT ZQAX ZQAY "));
  CHECK(live.WaitArrived(kAmongFour, 25000));
  CHECK(live.WaitForBlend({{"ZQAX", "ZQAY"}, {"ZQAS", "ZQAT"}}, o.radius, 21.0, kSettled));
  // Following switched off and on again blends at full weight at once: the mean of the four,
  // 1010.5 hPa, within 0.2 hPa.
  e2e::Click(live.window, IDC_LIVE_FOLLOW);
  CHECK(e2e::WaitUntil([&] { return live.Text(IDC_LIVE_STATUS) == "Not following."; }, kOneTick));
  e2e::Click(live.window, IDC_LIVE_FOLLOW);
  CHECK(live.WaitForQnh(int(1010.5 * 16), 3, 20000));

  // Every step within the rate of Ventrel.ini: 160 sixteenths in any ten steps.
  const std::vector<Batch> batches = Batches(live.sim);
  const int worst = WorstTenSteps(batches, 16000);
  std::printf("  live_worst_ten_steps: %d sixteenths of a mb (rate 160)\n", worst);
  CHECK(worst <= 160);
  if (worst > 160) e2e::ReportFailure(__FILE__, __LINE__, "ten steps moved " + std::to_string(worst));
  int reads = 0;
  for (const Batch& b : batches) reads += b.readsPosition;
  CHECK(reads >= 20);
}

E2E_TEST(Live, DefaultRatesHoldWhileFollowing) {
  // The default pressure rate, 16 sixteenths in any ten steps, from 1000.0 towards 1003 hPa.
  LiveOptions o;
  o.reports = e2e::RestampedCopy("grid-reports.txt", "grid-reports.txt");
  o.rates = "";
  Live live(o, kOnStation);
  REQUIRE(e2e::WaitUntil([&] {
    int steps = 0;
    for (const Batch& b : Batches(live.sim)) steps += b.writes;
    return steps >= 12;
  }, 20000));
  const int worst = WorstTenSteps(Batches(live.sim), 16000);
  std::printf("  live_worst_ten_steps: %d sixteenths of a mb (rate 16)\n", worst);
  CHECK(worst <= 16);
  CHECK(LastQnh(live.sim) > 16000);
}

E2E_TEST(Live, ManualSetLoadStopsFollowing) {
  LiveOptions o;
  o.reports = e2e::RestampedCopy("grid-reports.txt", "grid-reports.txt");
  Live live(o, kOnStation);
  live.Open();
  REQUIRE(live.WaitForQnh(int(GridQnh(1, 1) * 16), 1, 15000));

  // 995.0 mb (15920) in a data file of one pressure block: below every station of the grid.
  std::string vtd;
  const uint8_t block[] = {0x22, 0x22, 8, 0, 8, 0, 0, 0, 0x30, 0x3E, 0, 0};
  vtd.assign(reinterpret_cast<const char*>(block), sizeof block);
  live.LoadAndSet(e2e::WriteTestFile("pilot.vtd", vtd));
  CHECK(e2e::WaitUntil([&] { return live.Text(IDC_LIVE_STATUS) == "Following stopped: you set the weather yourself."; },
                       kOneTick));
  CHECK(SendMessageA(GetDlgItem(live.window, IDC_LIVE_FOLLOW), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
  // The aircraft flies on across the grid, where every QNH is higher: no position is read, the
  // pressure only goes down to the pilot's.
  const size_t from = live.sim.Log().size();
  live.FlyTo(kOnStation, kAmongFour, 4);
  CHECK(e2e::WaitUntil([&] { return LastQnh(live.sim) == 15920; }, 20000));
  Sleep(2000);
  int last = 16048 + 1;
  for (const Batch& b : Batches(live.sim, from)) {
    CHECK(!b.readsPosition);
    if (b.qnh < 0) continue;
    CHECK(b.qnh <= last);
    last = b.qnh;
  }
  CHECK_EQ(last, 15920);
}

E2E_TEST(Live, OffReadsNoPositionAndSendsTodaysExchanges) {
  const std::string reports = e2e::RestampedCopy("grid-reports.txt", "grid-reports.txt");
  std::vector<std::string> bodies[2];
  for (int run = 0; run < 2; ++run) {
    LiveOptions o;
    o.reports = run == 0 ? "" : reports;  // no live keys, then the keys with following off
    o.follow = false;
    Live live(o, kOnStation);
    if (run == 1) live.Open();
    REQUIRE(live.sim.WaitForBatches(14, 20000));
    for (const Batch& b : Batches(live.sim)) {
      CHECK(!b.readsPosition);
      CHECK(!b.writes);
      if (bodies[run].size() < 12) bodies[run].push_back(b.body);
    }
    if (run == 1) CHECK_EQ(live.Text(IDC_LIVE_STATUS), std::string("Not following."));
  }
  CHECK(bodies[0] == bodies[1]);
}

E2E_TEST(Live, NothingWithinTheRadiusLeavesTheWeather) {
  // Only ZQAY's report, 130 nm from ZQAA where the aircraft is.
  const std::string grid = e2e::ReadTextFile(e2e::RestampedCopy("grid-reports.txt", "all.txt"));
  const size_t at = grid.find("ZQAY ");
  REQUIRE(at != std::string::npos);
  LiveOptions o;
  o.reports = e2e::WriteTestFile("far.txt", grid.substr(at));
  Live live(o, GridPoint(0, 0));
  live.Open();
  CHECK(e2e::WaitUntil([&] {
    return live.Text(IDC_LIVE_STATUS) == "No usable station within 25 nm: the weather is left as it is.";
  }, 8000));
  Sleep(3000);
  for (const Batch& b : Batches(live.sim)) CHECK(!b.writes);
  CHECK_EQ(e2e::LvRowCount(GetDlgItem(live.window, IDC_LIVE_BLEND)), 0);
}

E2E_TEST(Live, VanishedFileKeepsTheReportsReadAndSaysSo) {
  LiveOptions o;
  o.reports = e2e::RestampedCopy("grid-reports.txt", "grid-reports.txt");
  Live live(o, kOnStation);
  live.Open();
  REQUIRE(live.WaitForBlend({{"ZQAG"}}, o.radius, 0, 8000));
  REQUIRE(DeleteFileA(o.reports.c_str()));
  CHECK(e2e::WaitUntil([&] { return live.Text(IDC_LIVE_FILE_STATUS).find("cannot be read") != std::string::npos; },
                       10000));
  // Still following on what was read: flown over to ZQAM and ZQAN, the blend moves with it.
  live.FlyTo(kOnStation, kBetweenTwo, 4);
  CHECK(live.WaitArrived(kBetweenTwo, 15000));
  CHECK(live.WaitForBlend({{"ZQAM", "ZQAN"}}, o.radius, 15.0, kSettled));
  DWORD_PTR result = 0;
  CHECK(SendMessageTimeoutA(live.app.window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result) != 0);
  CHECK(live.app.process.Running());
}
