#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "weather/files/vtd_file.h"
#include "weather/transition_control/capture.h"
#include "weather/transition_control/settings.h"
#include "weather/undo_history.h"
#include "weather_files_fakes.h"

namespace {

TableBlock Pressure(uint16_t qnh, int16_t drift) {
  TableBlock b = TableBlock::Allocate(kPressureRecordSize);
  EncodePressure(b.Bytes(), PressureRecord{{8, 0}, qnh, drift});
  return b;
}

TableBlock Winds(std::vector<WindLayer> layers) {
  TableBlock b = TableBlock::Allocate(layers.size() * kWindLayerSize);
  for (size_t i = 0; i < layers.size(); ++i) {
    layers[i].prefix = {uint16_t(kWindLayerSize), uint16_t(layers.size() - 1 - i)};
    EncodeWind(b.Bytes() + i * kWindLayerSize, layers[i]);
  }
  return b;
}

std::vector<uint8_t> Bytes(const TableBlock& b) {
  return std::vector<uint8_t>(b.Bytes(), b.Bytes() + b.Size());
}

TransitionTables Base() {
  TransitionTables t;
  t.table[kPressureTable] = Pressure(15840, 3);
  t.table[kWindTable] = Winds({{{}, 1000, 10, 0, 49152, 0, 0}});
  return t;
}

}  // namespace

// What a set load, an undo and a clear queue, captured as the weather they would set.
TEST(TransitionCapture, SetLoadClearsEveryTableThenSetsThoseItHas) {
  TransitionCapture capture(Base(), 32700);
  const TableBlock pressure = Pressure(16400, 0);
  capture.Write(WeatherSelector(0, kClearTable), 0, nullptr);
  capture.Write(WeatherSelector(kPressureTable, kSetTable), 8, pressure.Bytes());
  EXPECT_TRUE(capture.Process());
  EXPECT_FALSE(capture.Refused());
  EXPECT_EQ(capture.Writes(), 2);
  EXPECT_EQ(capture.Touched(), kAllSetTables);
  const TransitionTables& target = capture.Target();
  EXPECT_EQ(Bytes(target.table[kPressureTable]), Bytes(pressure));
  EXPECT_TRUE(target.table[kWindTable].Empty());
  EXPECT_TRUE(target.table[kCloudTable].Empty());
}

TEST(TransitionCapture, ClearOfOneTableKeepsTheOthersAndPressureGoesToStandard) {
  TransitionCapture capture(Base(), 32700);
  capture.Write(WeatherSelector(kPressureTable, kClearTable), 0, nullptr);
  EXPECT_TRUE(capture.Process());
  EXPECT_EQ(capture.Touched(), TransitionTableBit(kPressureTable));
  EXPECT_EQ(Bytes(capture.Target().table[kPressureTable]), Bytes(Pressure(16211, 0)));
  EXPECT_EQ(Bytes(capture.Target().table[kWindTable]), Bytes(Base().table[kWindTable]));
}

TEST(TransitionCapture, EmptyBlockOrEmptyDescriptorEmptiesTheTable) {
  const uint8_t emptyDescriptor[4] = {0x00, 0x00, 0xFF, 0xFF};
  for (uint32_t size : {0u, 4u}) {
    TransitionCapture capture(Base(), 32700);
    capture.Write(WeatherSelector(kWindTable, kSetTable), size, size ? emptyDescriptor : nullptr);
    EXPECT_TRUE(capture.Process());
    EXPECT_TRUE(capture.Target().table[kWindTable].Empty()) << size;
  }
}

// A layer edit, a read or a write elsewhere is not a table the capture can aim at: the command
// then goes as it is, every write replayed in order.
TEST(TransitionCapture, OtherWritesAreRefusedAndReplayedAsTheyCame) {
  const uint8_t record[16] = {16, 0};
  struct Case {
    uint32_t selector;
  } cases[] = {{WeatherSelector(kWindTable, kReplaceLayer, 1000)},
               {WeatherSelector(kWindTable, kInsertLayer, 0xFFFF)},
               {WeatherSelector(kWindTable, kDeleteLayer, 1000)},
               {WeatherSelector(kAppliedWindTable, kSetTable)},
               {WeatherSelector(0, kSetTable)},
               {0x04D6}};
  for (const Case& c : cases) {
    TransitionCapture capture(Base(), 32700);
    capture.Write(WeatherSelector(0, kClearTable), 0, nullptr);
    capture.Write(c.selector, 16, record);
    EXPECT_TRUE(capture.Refused()) << std::hex << c.selector;
    EXPECT_FALSE(capture.Process());
    RecordingBatch sent;
    EXPECT_TRUE(capture.Replay(sent));
    ASSERT_EQ(sent.writes.size(), 2u);
    EXPECT_EQ(sent.writes[0].selector, WeatherSelector(0, kClearTable));
    EXPECT_TRUE(sent.writes[0].bytes.empty());
    EXPECT_EQ(sent.writes[1].selector, c.selector);
    EXPECT_EQ(sent.writes[1].bytes, std::vector<uint8_t>(record, record + 16));
  }
}

TEST(TransitionCapture, ADataFileSetLoadIsCapturedWhole) {
  TransitionTables target;
  target.table[kPressureTable] = Pressure(16000, -2);
  target.table[kWindTable] = Winds({{{}, 600, 5, 0, 0, 1, 0}, {{}, 3000, 25, 30, 16384, 0, 2}});
  std::vector<uint8_t> file;
  for (int t : {kPressureTable, kWindTable}) {
    const TableBlock& b = target.table[t];
    const size_t at = file.size();
    file.resize(at + kBlockTagSize + b.Size());
    PutU32(&file[at], BlockTag(t, uint32_t(b.Size())));
    std::memcpy(&file[at + kBlockTagSize], b.Bytes(), b.Size());
  }
  TransitionCapture capture(Base(), 32700);
  ASSERT_EQ(QueueDataFileSet(file.data(), file.size(), capture), DataFileSet::kQueued);
  EXPECT_TRUE(capture.Process());
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    EXPECT_EQ(Bytes(capture.Target().table[t]), Bytes(target.table[t])) << t;
}

TEST(TransitionStep, OnlyTheChangedTablesAreSetAndAnEmptyOneIsCleared) {
  TransitionTables step = Base();
  RecordingBatch batch;
  ASSERT_TRUE(QueueTransitionStep(
      step, TransitionTableBit(kPressureTable) | TransitionTableBit(kCloudTable), batch));
  ASSERT_EQ(batch.writes.size(), 2u);
  EXPECT_EQ(batch.writes[0].selector, 0x260000u);
  EXPECT_EQ(batch.writes[0].bytes, Bytes(step.table[kPressureTable]));
  EXPECT_EQ(batch.writes[1].selector, 0x550000u);
  EXPECT_TRUE(batch.writes[1].bytes.empty());
}

TEST(TransitionStep, NothingQueuedWhenItWouldNotFitOrNotConnected) {
  TransitionTables step = Base();
  RecordingBatch small(kEndWordSize + kWriteHeaderSize + 7);
  EXPECT_FALSE(QueueTransitionStep(step, TransitionTableBit(kPressureTable), small));
  RecordingBatch closed(0);
  EXPECT_FALSE(QueueTransitionStep(step, TransitionTableBit(kPressureTable), closed));
  RecordingBatch fits(kEndWordSize + kWriteHeaderSize + 8);
  EXPECT_TRUE(QueueTransitionStep(step, TransitionTableBit(kPressureTable), fits));
  EXPECT_TRUE(small.writes.empty() && closed.writes.empty());
  EXPECT_EQ(fits.writes.size(), 1u);
}

namespace {

class MapStore : public SettingsStore {
 public:
  void Get(const char* key, char (&value)[kSettingValueSize]) override {
    auto it = values.find(key);
    std::snprintf(value, sizeof value, "%s", it == values.end() ? "" : it->second.c_str());
  }
  void Set(const char* key, const char* value) override { values[key] = value; }
  std::map<std::string, std::string> values;
};

}  // namespace

TEST(TransitionSettings, MissingFileGivesOffAndTheDefaults) {
  MapStore store;
  const TransitionSettings s = ReadTransitionSettings(store);
  EXPECT_FALSE(s.on);
  EXPECT_EQ(s.commands, kSmoothSetLoads | kSmoothUndo);
  const TransitionRates defaults;
  for (const TransitionRateItem& item : kTransitionRateItems)
    EXPECT_EQ(item.get(s.rates), item.get(defaults)) << item.key;
  EXPECT_EQ(kTransitionRateItems[6].get(defaults), 5);  // 1.05 as per cent
}

TEST(TransitionSettings, UnreadableValuesTakeTheirDefaultEach) {
  struct Case {
    const char* text;
    bool valid;
    int value;
  } cases[] = {{"1", true, 1},      {" 7 ", true, 7},   {"+3", true, 3},   {"", false, 0},
               {"abc", false, 0},   {"4x", false, 0},   {"0", false, 0},   {"-2", false, 0},
               {"181", false, 0},   {"99999999999999", false, 0},          {"180", true, 180}};
  for (const Case& c : cases) {
    MapStore store;
    store.values["TransitionWindDirection"] = c.text;
    store.values["TransitionWindSpeed"] = "9";
    const TransitionSettings s = ReadTransitionSettings(store);
    EXPECT_EQ(s.rates.windDirectionDegrees, c.valid ? c.value : 2) << c.text;
    EXPECT_EQ(s.rates.windSpeedKnots, 9) << c.text;
  }
  MapStore store;
  store.values[kTransitionsKey] = "yes";
  store.values[kTransitionCommandsKey] = "99";
  const TransitionSettings s = ReadTransitionSettings(store);
  EXPECT_FALSE(s.on);
  EXPECT_EQ(s.commands, kDefaultSmoothed);
}

TEST(TransitionSettings, WrittenValuesReadBackTheSame) {
  TransitionSettings s;
  s.on = true;
  s.commands = kSmoothClears | kSmoothStartup;
  for (int i = 0; i < kTransitionRateCount; ++i)
    kTransitionRateItems[i].set(s.rates, kTransitionRateItems[i].least + i % 3);
  MapStore store;
  WriteTransitionSettings(store, s);
  EXPECT_EQ(store.values["Transitions"], "1");
  EXPECT_EQ(store.values["TransitionVisibility"], "1");
  const TransitionSettings back = ReadTransitionSettings(store);
  EXPECT_TRUE(back.on);
  EXPECT_EQ(back.commands, s.commands);
  for (const TransitionRateItem& item : kTransitionRateItems)
    EXPECT_EQ(item.get(back.rates), item.get(s.rates)) << item.key;
}

TEST(TransitionProgress, PercentAndTimeLeftOrStopped) {
  struct Case {
    bool running, stopped;
    int done, left;
    const char* text;
  } cases[] = {{true, false, 0, 350, "  [changing 0%, 5:50 left]"},
               {true, false, 35, 65, "  [changing 35%, 1:05 left]"},
               {true, false, 10, 0, "  [changing 100%, 0:00 left]"},
               {true, false, 0, 0, "  [changing 0%, 0:00 left]"},
               {true, false, -3, -1, "  [changing 0%, 0:00 left]"},
               {false, true, 5, 5, "  [change stopped]"},
               {false, false, 5, 5, ""}};
  for (const Case& c : cases) {
    char text[64];
    TransitionProgressText(c.running, c.stopped, c.done, c.left, text, sizeof text);
    EXPECT_STREQ(text, c.text);
  }
  char tiny[8];
  TransitionProgressText(true, false, 1, 1, tiny, sizeof tiny);
  EXPECT_EQ(std::string(tiny).size(), 7u);
}
