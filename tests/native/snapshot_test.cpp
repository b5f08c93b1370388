#include "weather/snapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "devsim/loopback.h"
#include "devsim/module.h"
#include "devsim/options.h"

namespace {

class RecordingView : public WeatherReactions {
 public:
  void RefillPane(int pane) override { refills.push_back(pane); }
  void UpdateCaption() override { ++connectedCaptions; }
  void ShowUnreachableCaption() override { ++unreachableCaptions; }
  void EndWxShow() override { ++wxShowEnded; }
  void SetWeatherCommands(bool enable) override { menuSwitches.push_back(enable); }
  void GrayFindAirport() override { ++findAirportGrayed; }
  void ActivateCurrentPane() override { ++activations; }

  void Forget() { *this = RecordingView(); }

  std::vector<int> refills;
  std::vector<bool> menuSwitches;
  int connectedCaptions = 0;
  int unreachableCaptions = 0;
  int wxShowEnded = 0;
  int findAirportGrayed = 0;
  int activations = 0;
};

void Switch(DevsimModule& module, const char* switches) {
  DevsimOptions options = module.Options();
  options.given = 0;
  ASSERT_TRUE(ParseDevsimOptions(switches, options)) << switches;
  module.Apply(options);
}

struct RefreshFixture : ::testing::Test {
  DevsimModule module;
  LoopbackBatch link{module};
  WeatherState state;
  RecordingView view;

  bool Refresh(bool force = false) { return RefreshWeather(state, link, view, force); }
};

using RefreshWeatherTest = RefreshFixture;

TEST_F(RefreshWeatherTest, FirstRefreshReadsEverythingAndRefillsAllSixPanes) {
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(link.batches, 3);
  EXPECT_EQ(view.refills, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(view.menuSwitches, std::vector<bool>{true});
  EXPECT_EQ(view.findAirportGrayed, 1);
  EXPECT_EQ(view.activations, 1);
  EXPECT_FALSE(state.busy);
  EXPECT_TRUE(state.interfaceFlag);
  EXPECT_EQ(state.weatherStatus, 1);
  for (int t = kFirstTable; t <= kAppliedWindTable; ++t) {
    const WeatherTableEntry& e = state.snapshot.Table(t);
    std::vector<uint8_t> expected = module.Weather().TableBytes(t);
    EXPECT_EQ(e.descriptor, module.Weather().Descriptor(t)) << t;
    ASSERT_EQ(e.byteLength, int32_t(expected.size())) << t;
    EXPECT_TRUE(expected.empty() || std::memcmp(e.data.Bytes(), expected.data(), expected.size()) == 0);
  }
}

TEST_F(RefreshWeatherTest, EmptyTableStillRefillsItsPaneTheFirstTime) {
  Switch(module, "--empty-weather");
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(view.refills.size(), 6u);
  EXPECT_EQ(state.snapshot.Table(kCloudTable).byteLength, 0);
  EXPECT_TRUE(state.snapshot.Table(kCloudTable).data.Empty());
}

TEST_F(RefreshWeatherTest, UnchangedTablesRefillNothingAndOneChangedByteRefillsOnlyItsPane) {
  ASSERT_TRUE(Refresh());
  view.Forget();
  ASSERT_TRUE(Refresh());
  EXPECT_TRUE(view.refills.empty());
  EXPECT_TRUE(view.menuSwitches.empty());

  // Same length, one byte different: the cover of the first cloud layer.
  std::vector<uint8_t> clouds = module.Weather().TableBytes(kCloudTable);
  ASSERT_GE(clouds.size(), kCloudLayerSize);
  clouds[10] = uint8_t(clouds[10] == 8 ? 7 : clouds[10] + 1);
  ASSERT_TRUE(module.Weather().Write(WeatherSelector(kCloudTable, kSetTable), clouds.data(), clouds.size()));
  view.Forget();
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(view.refills, std::vector<int>{4});
}

TEST_F(RefreshWeatherTest, FailedTableExchangeKeepsTheSnapshotWhole) {
  ASSERT_TRUE(Refresh());
  const uint8_t* before = state.snapshot.Table(kWindTable).data.Bytes();
  uint32_t descriptor = state.snapshot.Table(kWindTable).descriptor;
  ASSERT_TRUE(module.Weather().Write(WeatherSelector(kWindTable, kClearTable), nullptr, 0));

  view.Forget();
  link.FailBatch(3);
  EXPECT_FALSE(Refresh());
  EXPECT_EQ(link.batches, 6);
  EXPECT_TRUE(view.refills.empty());
  EXPECT_EQ(view.unreachableCaptions, 1);
  EXPECT_EQ(state.snapshot.Table(kWindTable).data.Bytes(), before);
  EXPECT_EQ(state.snapshot.Table(kWindTable).descriptor, descriptor);
  EXPECT_FALSE(state.busy);

  view.Forget();
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(view.refills, (std::vector<int>{3, 5}));  // winds set, and the applied winds with them
}

TEST_F(RefreshWeatherTest, LosingTheSignatureGraysOnceAndLeavesThePanes) {
  ASSERT_TRUE(Refresh());
  Switch(module, "--signature=0");
  view.Forget();
  EXPECT_FALSE(Refresh());
  EXPECT_EQ(view.menuSwitches, std::vector<bool>{false});
  EXPECT_FALSE(state.interfaceFlag);
  EXPECT_EQ(view.connectedCaptions, 1);
  EXPECT_TRUE(view.refills.empty());
  EXPECT_EQ(link.batches, 4);  // the status words only

  view.Forget();
  EXPECT_FALSE(Refresh());
  EXPECT_TRUE(view.menuSwitches.empty());

  Switch(module, "--signature=FADE");
  view.Forget();
  EXPECT_TRUE(Refresh());
  EXPECT_EQ(view.menuSwitches, std::vector<bool>{true});
  EXPECT_TRUE(view.refills.empty());  // the tables did not change meanwhile
}

TEST_F(RefreshWeatherTest, UnreachableSimulatorWithAndWithoutForce) {
  ASSERT_TRUE(Refresh());
  link.SetConnected(false);
  view.Forget();
  EXPECT_FALSE(Refresh());
  EXPECT_EQ(view.unreachableCaptions, 1);
  EXPECT_TRUE(view.refills.empty());
  EXPECT_EQ(view.activations, 0);
  EXPECT_TRUE(state.interfaceFlag);  // the supervisor clears it when it notices the loss

  view.Forget();
  EXPECT_TRUE(Refresh(true));
  EXPECT_EQ(view.refills, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(view.activations, 1);
  EXPECT_FALSE(state.snapshot.Table(kCloudTable).data.Empty());
}

TEST_F(RefreshWeatherTest, BusyOrPrintingSkipsTheRefresh) {
  state.busy = true;
  EXPECT_FALSE(Refresh());
  state.busy = false;
  state.printing = true;
  EXPECT_FALSE(Refresh(true));
  EXPECT_EQ(link.batches, 0);
}

TEST_F(RefreshWeatherTest, StationIdentifierFollowsTableSeven) {
  Switch(module, "--mode=3 --icao=LFPG");
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(state.weatherStatus, 3);
  EXPECT_STREQ(state.stationIcao, "LFPG");
  EXPECT_GE(view.connectedCaptions, 2);  // after the status words, and again for the station

  Switch(module, "--mode=1");
  ASSERT_TRUE(Refresh());
  EXPECT_STREQ(state.stationIcao, "");
}

TEST_F(RefreshWeatherTest, ResetSnapshotForgetsTablesOneToSixOnly) {
  Switch(module, "--mode=3");
  ASSERT_TRUE(Refresh());
  ResetSnapshot(state.snapshot);
  for (int t = kFirstTable; t <= kAppliedWindTable; ++t) {
    EXPECT_EQ(state.snapshot.Table(t).byteLength, -1);
    EXPECT_EQ(state.snapshot.Table(t).descriptor, kEmptyDescriptor);
    EXPECT_TRUE(state.snapshot.Table(t).data.Empty());
  }
  EXPECT_FALSE(state.snapshot.Table(kStationTable).data.Empty());
  view.Forget();
  ASSERT_TRUE(Refresh());
  EXPECT_EQ(view.refills.size(), 6u);
}

// A module that answers the descriptors it is told to, to see what the refresh makes of lies.
class LyingModule : public IpcBatch {
 public:
  void Read(uint32_t offset, uint32_t size, void* destination) override {
    reads.push_back({offset, size});
    uint8_t* out = static_cast<uint8_t*>(destination);
    std::memset(out, 0, size);
    if (offset == kInterfaceSignatureOffset) PutU16(out, kInterfaceSignature);
    if (SelectorOperation(offset) == kReadTable && offset > 0xFFFF) {
      int t = SelectorTable(offset);
      if (size == 4) PutU32(out, descriptors.count(t) ? descriptors[t] : kEmptyDescriptor);
    }
    queued += kReadHeaderSize + size;
  }
  void Write(uint32_t, uint32_t, const void*) override {}
  bool Process() override {
    bool fits = queued + kEndWordSize <= Capacity();
    queued = 0;
    return fits;
  }
  size_t Capacity() const override { return 32700; }

  std::map<int, uint32_t> descriptors;
  std::vector<std::pair<uint32_t, uint32_t>> reads;
  size_t queued = 0;
};

TEST(RefreshWeatherHostileModule, LyingDescriptorsGiveEmptyTablesNotOverflows) {
  LyingModule module;
  module.descriptors[kVisibilityTable] = 0x7FFF000A;   // 327680 bytes: more than a batch holds
  module.descriptors[kPressureTable] = 0x00030000;     // record size 0
  module.descriptors[kWindTable] = 0x0000FFFF;         // one record of 0xFFFF bytes
  module.descriptors[kCloudTable] = 0x00020018;        // three clouds, fine
  module.descriptors[kAppliedWindTable] = 0x00010008;  // applied winds shorter than read
  module.descriptors[kStationTable] = 0x00000002;      // a station record of 2 bytes
  WeatherState state;
  RecordingView view;
  ASSERT_TRUE(RefreshWeather(state, module, view, false));

  std::vector<std::pair<uint32_t, uint32_t>> tableReads(module.reads.begin() + 9, module.reads.end());
  EXPECT_EQ(tableReads, (std::vector<std::pair<uint32_t, uint32_t>>{
                            {WeatherSelector(kCloudTable, kReadTable), 72},
                            {WeatherSelector(kAppliedWindTable, kReadTable), 16},
                            {WeatherSelector(kStationTable, kReadTable), 2}}));
  EXPECT_EQ(state.snapshot.Table(kVisibilityTable).byteLength, 0);
  EXPECT_EQ(state.snapshot.Table(kVisibilityTable).descriptor, kEmptyDescriptor);
  EXPECT_EQ(state.snapshot.Table(kWindTable).byteLength, 0);
  EXPECT_EQ(RecordsOf(state.snapshot.Table(kCloudTable), kCloudLayerSize).count, 3);
  EXPECT_EQ(RecordsOf(state.snapshot.Table(kAppliedWindTable), kAppliedWindLayerMinSize).count, 0);
  EXPECT_STREQ(state.stationIcao, "");  // too short to hold an identifier
}

TEST(TableRecordsTest, CountIsCutToTheBlock) {
  WeatherTableEntry entry;
  entry.descriptor = 0x00090018;  // claims ten clouds
  entry.data = TableBlock::Allocate(3 * 24 + 5);
  EXPECT_EQ(RecordsOf(entry, kCloudLayerSize).count, 3);
  EXPECT_EQ(RecordsOf(entry, 32).count, 0);
  entry.descriptor = kEmptyDescriptor;
  EXPECT_EQ(RecordsOf(entry, kCloudLayerSize).count, 0);
}

}  // namespace
