#include "weather/live/live_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

class FakeStore : public LiveStore {
 public:
  void Get(const char* key, char* value, size_t size) override {
    value[0] = 0;
    for (const auto& kv : values)
      if (kv.first == key) std::snprintf(value, size, "%s", kv.second.c_str());
  }
  void Set(const char* key, const char* value) override {
    for (auto& kv : values)
      if (kv.first == key) {
        kv.second = value;
        return;
      }
    values.emplace_back(key, value);
  }
  std::vector<std::pair<std::string, std::string>> values;
};

TEST(LiveChoicesTest, MissingAndUnreadableValuesTakeDefaults) {
  struct Case {
    const char* radius;
    const char* count;
    const char* follow;
    int wantRadius;
    int wantCount;
    bool wantFollow;
  } cases[] = {
      {nullptr, nullptr, nullptr, 60, 4, false},
      {"120", "8", "1", 120, 8, true},
      {" 10 ", "1", "0", 10, 1, false},
      {"9", "0", "2", 60, 4, false},       // below the ranges, and not a switch
      {"301", "9", "-1", 60, 4, false},    // above
      {"60nm", "four", "yes", 60, 4, false},
      {"", "", "", 60, 4, false},
      {"99999999999999", "4", "1", 60, 4, true},
  };
  for (const Case& c : cases) {
    FakeStore store;
    if (c.radius) store.Set(kLiveRadiusKey, c.radius);
    if (c.count) store.Set(kLiveStationCountKey, c.count);
    if (c.follow) store.Set(kLiveFollowKey, c.follow);
    const LiveChoices got = ReadLiveChoices(store);
    EXPECT_EQ(got.radiusNm, c.wantRadius) << (c.radius ? c.radius : "missing");
    EXPECT_EQ(got.stationCount, c.wantCount) << (c.count ? c.count : "missing");
    EXPECT_EQ(got.followAtStartup, c.wantFollow) << (c.follow ? c.follow : "missing");
    EXPECT_STREQ(got.reports, "");
    EXPECT_STREQ(got.stations, "");
  }
}

TEST(LiveChoicesTest, WrittenChoicesReadBackUnderTheirKeys) {
  LiveChoices c;
  std::snprintf(c.reports, sizeof c.reports, "C:\\Reports\\now folder");
  std::snprintf(c.stations, sizeof c.stations, "D:\\stations.txt");
  c.radiusNm = 250;
  c.stationCount = 7;
  c.followAtStartup = true;
  FakeStore store;
  WriteLiveChoices(store, c);
  ASSERT_EQ(store.values.size(), 5u);
  EXPECT_EQ(store.values[0].first, "LiveReports");
  EXPECT_EQ(store.values[1].first, "LiveStations");
  EXPECT_EQ(store.values[2].first, "LiveRadius");
  EXPECT_EQ(store.values[3].first, "LiveStationCount");
  EXPECT_EQ(store.values[4].first, "LiveFollow");
  const LiveChoices back = ReadLiveChoices(store);
  EXPECT_STREQ(back.reports, c.reports);
  EXPECT_STREQ(back.stations, c.stations);
  EXPECT_EQ(back.radiusNm, 250);
  EXPECT_EQ(back.stationCount, 7);
  EXPECT_TRUE(back.followAtStartup);
}

TEST(LiveChoicesTest, ALongPathIsCutNotOverrun) {
  FakeStore store;
  store.Set(kLiveReportsKey, std::string(600, 'x').c_str());
  const LiveChoices got = ReadLiveChoices(store);
  EXPECT_EQ(std::strlen(got.reports), kLivePathSize - 1);
}

TEST(LiveTextsTest, PositionInDegreesAndMinutes) {
  struct Case {
    double latitude, longitude, feet;
    const char* want;
  } cases[] = {
      {51.47, -0.45, 3500, "Aircraft: N51 28.20' W000 27.00', 3500 ft"},
      {-33.9461, 151.1772, 21, "Aircraft: S33 56.77' E151 10.63', 21 ft"},
      {0, 0, 0, "Aircraft: N00 00.00' E000 00.00', 0 ft"},
      // 59.9999 minutes rounds into the next degree, not to "60.00".
      {10.9999999, -179.9999999, -12.4, "Aircraft: N11 00.00' W180 00.00', -12 ft"},
      {90, 180, 45000, "Aircraft: N90 00.00' E180 00.00', 45000 ft"},
      {-89.99, -0.0001, 10, "Aircraft: S89 59.40' W000 00.01', 10 ft"},
      {NAN, 0, 0, "Aircraft: position unknown"},
      {91, 0, 0, "Aircraft: position unknown"},
      {0, 181, 0, "Aircraft: position unknown"},
      {0, 0, INFINITY, "Aircraft: position unknown"},
  };
  for (const Case& c : cases) {
    AircraftPosition p;
    p.latitude = c.latitude;
    p.longitude = c.longitude;
    p.altitudeFeet = c.feet;
    char text[64];
    LivePositionText(p, text, sizeof text);
    EXPECT_STREQ(text, c.want);
  }
}

TEST(LiveTextsTest, AgesAndWhyAStationIsListed) {
  struct AgeCase {
    int minutes;
    bool old;
    const char* want;
  } ages[] = {
      {0, false, "0:00"},     {65, false, "1:05"},  {192, true, "3:12 old"},
      {kUnknownAge, false, "?"}, {-20, false, "ahead"}, {1500, true, "25:00 old"},
  };
  for (const AgeCase& c : ages) {
    char text[16];
    LiveAgeText(c.minutes, c.old, text, sizeof text);
    EXPECT_STREQ(text, c.want);
  }
  struct ReasonCase {
    StationState state;
    int age;
    bool partly;
    const char* want;
  } reasons[] = {
      {StationState::kUsable, 30, false, ""},
      {StationState::kUsable, 30, true, "partly read"},
      {StationState::kOld, 200, false, "old"},
      {StationState::kOld, 200, true, "old, partly read"},
      {StationState::kStale, 400, false, "older than 6 hours"},
      {StationState::kStale, kUnknownAge, false, "no time"},
      {StationState::kStale, -90, false, "ahead of the clock"},
      {StationState::kUnreadable, 10, false, "unreadable"},
  };
  for (const ReasonCase& c : reasons) {
    LiveStation s;
    s.state = c.state;
    s.ageMinutes = c.age;
    s.partlyRead = c.partly;
    EXPECT_STREQ(LiveSkipReason(s), c.want);
  }
}

TEST(LiveTextsTest, FileStatusSaysWhatIsInUse) {
  LiveFileStatus read;
  read.chosen = true;
  read.haveIndex = true;
  read.hour = 16;
  read.minute = 42;
  read.second = 10;
  read.reports = 8123;
  read.placed = 7900;
  read.unplaced = 223;
  LiveFileStatus gone = read;
  gone.failure = "it is not there";
  LiveFileStatus again = read;
  again.readingPercent = 40;
  LiveFileStatus first;
  first.chosen = true;
  first.readingPercent = 5;
  LiveFileStatus never = first;
  never.readingPercent = -1;
  never.failure = "access denied";
  struct Case {
    LiveFileStatus status;
    const char* want;
  } cases[] = {
      {LiveFileStatus(), "No report file chosen."},
      {read, "Read 16:42:10 UTC: 8123 reports, 7900 stations placed, 223 without a position"},
      {gone, "The file cannot be read (it is not there): the reports read at 16:42:10 UTC stay in use."},
      {again, "Read 16:42:10 UTC: 8123 reports, 7900 stations placed, 223 without a position "
              "(reading again: 40%)"},
      {first, "Reading the file: 5%"},
      {never, "The file cannot be read: access denied."},
  };
  for (const Case& c : cases) {
    char text[160];
    LiveFileStatusText(c.status, text, sizeof text);
    EXPECT_STREQ(text, c.want);
  }
  char small[8];
  LiveFileStatusText(read, small, sizeof small);
  EXPECT_STREQ(small, "Read 16");
}

TEST(LiveTextsTest, StatusAndNextUpdate) {
  char text[128];
  LiveStatusText(LiveState::kNothingNear, 60, 0, text, sizeof text);
  EXPECT_STREQ(text, "No usable station within 60 nm: the weather is left as it is.");
  LiveStatusText(LiveState::kStoppedByPilot, 60, 0, text, sizeof text);
  EXPECT_STREQ(text, "Following stopped: you set the weather yourself.");
  LiveStatusText(LiveState::kFollowing, 60, 1, text, sizeof text);
  EXPECT_STREQ(text, "Following the aircraft (1 station); closing this window does not stop it.");
  LiveStatusText(LiveState::kFollowing, 60, 4, text, sizeof text);
  EXPECT_STREQ(text, "Following the aircraft (4 stations); closing this window does not stop it.");
  LiveStatusText(LiveState::kOff, 60, 4, text, sizeof text);
  EXPECT_STREQ(text, "Not following.");

  struct Case {
    bool counting;
    double seconds;
    const char* want;
  } cases[] = {
      {true, 41.2, "Next update in 42 s"}, {true, 60, "Next update in 60 s"},
      {true, 0, "Next update now"},        {true, -3, "Next update now"},
      {true, NAN, "Next update now"},      {true, 1e12, "Next update in 3600 s"},
      {false, 30, ""},
  };
  for (const Case& c : cases) {
    LiveNextText(c.counting, c.seconds, text, sizeof text);
    EXPECT_STREQ(text, c.want);
  }
}

TEST(LiveFolderTest, TheNewestRegularFileWithSomethingInIt) {
  auto file = [](const char* name, uint64_t time, uint64_t size, bool directory = false) {
    LiveFolderFile f;
    f.name = name;
    f.writeTime = time;
    f.size = size;
    f.directory = directory;
    return f;
  };
  struct Case {
    std::vector<LiveFolderFile> files;
    int want;
  } cases[] = {
      {{}, -1},
      {{file("a.txt", 5, 100)}, 0},
      {{file("a.txt", 5, 100), file("b.txt", 9, 100), file("c.txt", 7, 100)}, 1},
      // A newer folder, or a file just made and still empty, does not count.
      {{file("a.txt", 5, 100), file("sub", 9, 0, true), file("new.txt", 12, 0)}, 0},
      // Of equal times the last name: files named by their time sort that way.
      {{file("r1200.txt", 5, 10), file("r1300.txt", 5, 10), file("r1100.txt", 5, 10)}, 1},
      {{file("sub", 9, 0, true)}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(NewestLiveFile(c.files), c.want);
}

// A small index built the way the window's is: stations from a list, reports of several ages
// and states, one code without a position.
class LiveRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char list[] =
        "AAAA 50.0 0.0 0\nBBBB 50.1 0.0 0\nCCCC 50.2 0.0 0\nDDDD 50.3 0.0 0\nEEEE 50.05 0.1 0\n";
    places.AddStationList(list, sizeof list - 1);
    const std::string text =
        "METAR AAAA 081200Z 24010KT 9999 FEW030 12/07 Q1012\n"
        "METAR BBBB 080850Z 24010KT 9999 FEW030 12/07 Q1010\n"   // 3:10 old
        "METAR CCCC 080500Z 24010KT 9999 FEW030 12/07 Q1011\n"   // 7 hours: not used
        "METAR DDDD 081130Z 24010KT 9999 XYZ123 12/07 Q1013\n"   // partly read
        "METAR EEEE 081200Z QQQQ ZZZZ\n"                          // nothing read
        "METAR ZZZZ 081200Z 24010KT 9999 12/07 Q1012\n"          // no position
        "METAR YYYY 081200Z 24010KT 9999 12/07 Q1012\n";
    UtcClock now;
    now.year = 2026;
    now.month = 12;
    now.day = 8;
    now.hour = 12;
    now.minute = 0;
    index.Build(text.data(), text.size(), places, now);
    LiveSettings settings;
    settings.radiusNm = 60;
    settings.stations = 8;
    blender.Blend(index, 49.95, 0.0, 0, settings, weather);  // 3 nm south of AAAA
  }
  const LiveRow* Find(const std::vector<LiveRow>& rows, const char* station) {
    for (const LiveRow& r : rows)
      if (r.cell[0] == station) return &r;
    return nullptr;
  }
  StationPlaces places;
  StationIndex index;
  LiveBlender blender;
  LiveWeather weather;
};

TEST_F(LiveRowsTest, TheBlendListsEachStationWithItsDistanceShareAgeAndReport) {
  std::vector<LiveRow> rows;
  LiveBlendRows(weather, index, rows);
  ASSERT_EQ(rows.size(), weather.entries.size());
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0].cell[0], "AAAA");  // nearest first
  EXPECT_EQ(rows[0].cell[1], "3.0");
  EXPECT_EQ(rows[0].cell[3], "0:00");
  EXPECT_EQ(rows[0].cell[4], "METAR AAAA 081200Z 24010KT 9999 FEW030 12/07 Q1012");
  const LiveRow* old = Find(rows, "BBBB");
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->cell[1], "9.0");
  EXPECT_EQ(old->cell[3], "3:10 old");
  EXPECT_EQ(Find(rows, "CCCC"), nullptr);
  EXPECT_EQ(Find(rows, "EEEE"), nullptr);
  int percent = 0;
  for (const LiveRow& r : rows) percent += std::atoi(r.cell[2].c_str());
  EXPECT_NEAR(percent, 100, int(rows.size()));  // each share rounded on its own
}

TEST_F(LiveRowsTest, SkippedListsWhyAndCutsTheUnplacedCodes) {
  std::vector<LiveRow> rows;
  LiveSkippedRows(&weather, index, 100, rows);
  struct Want {
    const char* station;
    const char* why;
  } wants[] = {{"CCCC", "older than 6 hours"}, {"EEEE", "unreadable"}, {"BBBB", "old"},
               {"DDDD", "partly read"},        {"ZZZZ", "no position"}, {"YYYY", "no position"}};
  for (const Want& w : wants) {
    const LiveRow* row = Find(rows, w.station);
    ASSERT_NE(row, nullptr) << w.station;
    EXPECT_EQ(row->cell[1], w.why) << w.station;
  }
  EXPECT_EQ(Find(rows, "AAAA"), nullptr);
  LiveSkippedRows(&weather, index, 1, rows);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows.back().cell[0], "1 more");
  EXPECT_EQ(rows.back().cell[1], "no position");
  // A blend of nothing still lists the codes without a position.
  LiveSkippedRows(nullptr, index, 100, rows);
  ASSERT_EQ(rows.size(), 2u);
}

}  // namespace
