#include "weather/files/wx_browse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "weather_files_fakes.h"
#include "wx_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr const char kPath[] = "C:\\Weather\\a.wx";

struct Browser : FileBench {
  WxBrowseState state;

  explicit Browser(const Bytes& file) { files.files[kPath] = file; }
  bool Load(WxLoad mode, int step, int station = 0) {
    return LoadWxEntry(context, state, kPath, mode, step, station);
  }
  bool PageDown() { return Load(WxLoad::kBrowse, +1); }
  bool PageUp() { return Load(WxLoad::kBrowse, -1); }
  std::string Browsing() const {
    char text[64], airport[96];
    FormatWxCaptionTexts(state, nullptr, 0, text, sizeof text, airport, sizeof airport);
    return text;
  }
  // Cloud layers of the entry on show: the test files give each entry its own count.
  size_t Clouds() const { return weather.snapshot.Table(kCloudTable).data.Size() / 24; }
};

const Bytes kThreeEntries = WxFile({{-1, 1, 1, 1, 1}, {419, 2, 0, 2, 0}, {700, 1, 0, 3, 0}});

TEST(WxBrowse, ThreeEntriesPageDownAndUp) {
  Browser b(kThreeEntries);
  ASSERT_TRUE(b.Load(WxLoad::kShow, -1));
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=0");
  EXPECT_EQ(b.Clouds(), 1u);
  EXPECT_TRUE(b.view.findAirportEnabled);

  b.PageDown();
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x01A3]");
  EXPECT_EQ(b.Clouds(), 2u);
  b.PageDown();
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=2 [0x02BC]");
  EXPECT_EQ(b.Clouds(), 3u);
  const int opened = b.files.opened;
  b.PageDown();  // past the last entry: nothing changes
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=2 [0x02BC]");
  EXPECT_EQ(b.Clouds(), 3u);
  EXPECT_EQ(b.files.opened, opened + 1);

  b.PageUp();  // from the start, skipping one entry
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x01A3]");
  EXPECT_EQ(b.state.wxCursor.passed, 2);
  b.PageUp();
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=0");
  b.PageUp();  // the first entry stays the first
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=0");
  EXPECT_EQ(b.Clouds(), 1u);
  EXPECT_TRUE(b.view.errors.empty());
  EXPECT_EQ(b.view.refreshesWhileBusy, 0);
}

TEST(WxBrowse, OneEntryOffersNoBrowsing) {
  Browser b(WxFile({{-1, 1, 0, 2, 0}}));
  ASSERT_TRUE(b.Load(WxLoad::kShow, -1));
  EXPECT_EQ(b.state.wxShownIndex, 0);
  EXPECT_EQ(b.Browsing(), "");
  EXPECT_FALSE(b.view.findAirportEnabled);
  EXPECT_EQ(b.Clouds(), 2u);
  EXPECT_EQ(b.view.refreshes, 1);
}

TEST(WxBrowse, ShownEntryCanBeSavedAgain) {
  Browser b(kThreeEntries);
  b.Load(WxLoad::kShow, -1);
  b.PageDown();
  SaveWxFile(b.context, "C:\\out.wx");
  const Bytes& saved = b.files.files["C:\\out.wx"];
  WxEntryHeader h = DecodeWxHeader(saved.data());
  EXPECT_EQ(h.windsMinusOne, 1u);
  EXPECT_EQ(h.cloudCount, 2u);
  EXPECT_EQ(saved.size(), size_t(WxEntryLength(h)));
}

TEST(WxStationSearch, FindsForwardBackwardAndBeepsForMissing) {
  Browser b(WxFile({{-1}, {10}, {20}, {30}, {40}}));
  b.Load(WxLoad::kShow, -1);
  ASSERT_TRUE(b.Load(WxLoad::kShow, 0, 30));
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=3 [0x001E]");
  ASSERT_TRUE(b.Load(WxLoad::kShow, 0, 40));  // onward from the cursor
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=4 [0x0028]");
  ASSERT_TRUE(b.Load(WxLoad::kShow, 0, 10));  // behind: from the start
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x000A]");
  ASSERT_TRUE(b.Load(WxLoad::kShow, 0, 10));  // the one on show: read again
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x000A]");
  EXPECT_EQ(b.view.beeps, 0);

  for (int missing : {25, 50, 5}) {
    const WxCursor before = b.state.wxCursor;
    ASSERT_TRUE(b.Load(WxLoad::kShow, 0, missing));
    EXPECT_EQ(b.view.beeps, 1) << missing;
    b.view.beeps = 0;
    EXPECT_EQ(b.state.wxCursor.offset, before.offset);
    EXPECT_EQ(b.state.wxCursor.passed, before.passed);
    EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x000A]");
  }
  b.PageDown();
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=2 [0x0014]");
}

TEST(WxStationSearch, HighStationsUseTheLow16Bits) {
  Browser b(WxFile({{-1}, {0x10005}, {0xFFFF}}));
  b.Load(WxLoad::kShow, -1);
  ASSERT_TRUE(b.Load(WxLoad::kShow, 0, 5));
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x10005]");
}

TEST(WxLoad, SetQueuesClearAndTablesInFileOrderLeavingTheSnapshot) {
  Browser b(kThreeEntries);
  b.weather.busy = true;  // the File command holds it
  ASSERT_TRUE(b.Load(WxLoad::kSet, -1));
  ASSERT_EQ(b.batch.writes.size(), 6u);
  const uint32_t selectors[] = {0x50000, 0x460000, 0x160000, 0x560000, 0x360000, 0x260000};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.batch.writes[size_t(i)].selector, selectors[i]) << i;
  EXPECT_EQ(b.batch.writes[1].bytes.size(), 16u);
  EXPECT_EQ(b.batch.writes[5].bytes.size(), 8u);
  EXPECT_EQ(b.batch.processed, 1);
  EXPECT_EQ(b.view.refreshes, 0);
  EXPECT_TRUE(b.weather.busy);
  EXPECT_TRUE(b.weather.snapshot.Table(kCloudTable).data.Empty());
  EXPECT_EQ(b.state.wxShownIndex, 0);
}

TEST(WxLoad, SetTooLargeShowsAnErrorAndSendsNothing) {
  Browser b(WxFile({{-1, 1, 0, 1400, 0}}));  // 33600 bytes of cloud layers
  ASSERT_TRUE(b.Load(WxLoad::kSet, -1));
  EXPECT_TRUE(b.batch.writes.empty());
  EXPECT_EQ(b.batch.processed, 0);
  ASSERT_EQ(b.view.errors.size(), 1u);
  EXPECT_EQ(b.view.errors[0], "0 WX entry too large to send!");
}

TEST(WxLoad, MissingFileChangesNothing) {
  Browser b(kThreeEntries);
  b.Load(WxLoad::kShow, -1);
  b.PageDown();
  b.files.files.clear();
  EXPECT_FALSE(b.PageDown());
  ASSERT_EQ(b.view.errors.size(), 1u);
  EXPECT_EQ(b.view.errors[0], "0 opening WX file!");
  EXPECT_EQ(b.Browsing(), ": Showing .WX at index=1 [0x01A3]");
}

TEST(WxCaption, AirportTextFollowsTheBrowsingText) {
  uint8_t airports[16 * 420] = {};
  std::memcpy(airports + 16 * 419, "EGLL", 4);
  PutWxF32(airports + 16 * 419 + 4, 51.4775f);
  PutWxF32(airports + 16 * 419 + 8, -0.4614f);
  PutWxF32(airports + 16 * 419 + 12, 100.0f);
  WxBrowseState state;
  state.wxShownIndex = 2;
  state.wxShowing = true;
  state.shownStation = 419;
  char browsing[64], airport[96];
  FormatWxCaptionTexts(state, airports, sizeof airports, browsing, sizeof browsing, airport,
                       sizeof airport);
  EXPECT_STREQ(browsing, ": Showing .WX at index=1 [0x01A3]");
  EXPECT_STREQ(airport, " ICAO=EGLL (Alt 328ft, Lat 51.4775, Long -0.4614)");

  state.wxShowing = false;  // the simulator is shown again
  FormatWxCaptionTexts(state, airports, sizeof airports, browsing, sizeof browsing, airport,
                       sizeof airport);
  EXPECT_STREQ(browsing, "");
  EXPECT_STREQ(airport, "");
}

}  // namespace
