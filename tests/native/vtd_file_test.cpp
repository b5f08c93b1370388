#include "weather/files/vtd_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "weather/files/file_commands.h"
#include "weather_files_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kPressureOnlyFile = {0x22, 0x22, 0x08, 0x00, 0x08, 0x00,
                                 0x00, 0x00, 0x53, 0x3F, 0x00, 0x00};

// A whole-table block of `count` records of `size` bytes, each filled with its index.
Bytes TableBlockBytes(int size, int count) {
  Bytes block(size_t(size) * count);
  for (int i = 0; i < count; ++i) {
    uint8_t* r = &block[size_t(i) * size];
    for (int b = 4; b < size; ++b) r[b] = uint8_t(i + 1);
    PutU16(r, uint16_t(size));
    PutU16(r + 2, uint16_t(count - 1 - i));
  }
  return block;
}

void AppendBlock(Bytes& file, uint32_t tagLow, const Bytes& block) {
  uint8_t tag[4];
  PutU32(tag, tagLow | uint32_t(block.size()) << 16);
  file.insert(file.end(), tag, tag + 4);
  file.insert(file.end(), block.begin(), block.end());
}

void PutTable(WeatherSnapshot& snapshot, int table, const Bytes& block) {
  WeatherTableEntry& e = snapshot.Table(table);
  e.data = TableBlock::Copy(block.data(), block.size());
  e.descriptor = GetU32(block.data());
  e.byteLength = int32_t(block.size());
}

Bytes Stored(const WeatherTableEntry& e) {
  return Bytes(e.data.Bytes(), e.data.Bytes() + e.data.Size());
}

TEST(DataFileWrite, PressureOnlyIsTwelveBytes) {
  WeatherSnapshot snapshot;
  PutTable(snapshot, kPressureTable, Bytes(kPressureOnlyFile.begin() + 4, kPressureOnlyFile.end()));
  EXPECT_EQ(EncodeDataFile(snapshot).bytes, kPressureOnlyFile);
}

TEST(DataFileWrite, LeavesOutEmptyUnreadAndUnsavedTables) {
  WeatherSnapshot snapshot;
  EXPECT_TRUE(EncodeDataFile(snapshot).bytes.empty());
  snapshot.Table(kVisibilityTable).byteLength = 0;  // empty in the simulator
  PutTable(snapshot, kAppliedWindTable, TableBlockBytes(24, 2));
  PutTable(snapshot, kStationTable, TableBlockBytes(8, 1));
  EXPECT_TRUE(EncodeDataFile(snapshot).bytes.empty());
}

TEST(DataFileWrite, TablesInOrderOneToFive) {
  WeatherSnapshot snapshot;
  PutTable(snapshot, kCloudTable, TableBlockBytes(24, 2));
  PutTable(snapshot, kVisibilityTable, TableBlockBytes(10, 3));
  Bytes expected;
  AppendBlock(expected, 0x1111, TableBlockBytes(10, 3));
  AppendBlock(expected, 0x5555, TableBlockBytes(24, 2));
  EXPECT_EQ(EncodeDataFile(snapshot).bytes, expected);
}

TEST(DataFileWrite, TableTooLongForTheTagIsLeftOutAndReported) {
  WeatherSnapshot snapshot;
  PutTable(snapshot, kCloudTable, TableBlockBytes(24, 3000));  // 72000 bytes
  PutTable(snapshot, kPressureTable, TableBlockBytes(8, 1));
  DataFileImage image = EncodeDataFile(snapshot);
  EXPECT_FALSE(image.complete);
  EXPECT_EQ(image.bytes.size(), 12u);
}

TEST(DataFileShow, BlocksInAnyOrderAndLaterOneWins) {
  Bytes file;
  AppendBlock(file, 0x5555, TableBlockBytes(24, 2));
  AppendBlock(file, 0x1111, TableBlockBytes(10, 1));
  AppendBlock(file, 0x1111, TableBlockBytes(10, 4));
  WeatherSnapshot snapshot;
  PutTable(snapshot, kTemperatureTable, TableBlockBytes(12, 1));  // forgotten by the reset
  DataFileShow shown = ShowDataFile(file.data(), file.size(), snapshot);
  EXPECT_TRUE(shown.complete);
  EXPECT_EQ(shown.tables, 3);
  EXPECT_EQ(Stored(snapshot.Table(kCloudTable)), TableBlockBytes(24, 2));
  EXPECT_EQ(Stored(snapshot.Table(kVisibilityTable)), TableBlockBytes(10, 4));
  EXPECT_EQ(snapshot.Table(kVisibilityTable).descriptor, 0x0003000Au);
  EXPECT_EQ(snapshot.Table(kVisibilityTable).byteLength, 40);
  EXPECT_TRUE(snapshot.Table(kTemperatureTable).data.Empty());
  EXPECT_EQ(snapshot.Table(kTemperatureTable).byteLength, -1);
}

struct DamageCase {
  const char* name;
  Bytes tail;  // appended after a good visibility block
};

class DataFileDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DataFileDamage, StopsThereKeepingTheBlocksBefore) {
  Bytes file;
  AppendBlock(file, 0x1111, TableBlockBytes(10, 2));
  const Bytes& tail = GetParam().tail;
  file.insert(file.end(), tail.begin(), tail.end());
  AppendBlock(file, 0x3333, TableBlockBytes(12, 1));  // never reached

  WeatherSnapshot snapshot;
  DataFileShow shown = ShowDataFile(file.data(), file.size(), snapshot);
  EXPECT_FALSE(shown.complete);
  EXPECT_EQ(Stored(snapshot.Table(kVisibilityTable)), TableBlockBytes(10, 2));
  EXPECT_TRUE(snapshot.Table(kTemperatureTable).data.Empty());
  EXPECT_TRUE(snapshot.Table(kPressureTable).data.Empty());

  RecordingBatch batch;
  EXPECT_EQ(QueueDataFileSet(file.data(), file.size(), batch), DataFileSet::kQueued);
  ASSERT_GE(batch.writes.size(), 2u);
  EXPECT_EQ(batch.writes[0].selector, 0x50000u);
  EXPECT_EQ(batch.writes[1].selector, 0x160000u);
}

Bytes Tag(uint32_t tag) {
  Bytes b(4);
  PutU32(b.data(), tag);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, DataFileDamage,
    ::testing::Values(DamageCase{"DigitsDiffer", Tag(0x00081112)},
                      DamageCase{"TableSix", Tag(0x00080006)},
                      DamageCase{"TableZero", Tag(0x00000000)},
                      DamageCase{"TableSeven", Tag(0x00087777)},
                      DamageCase{"ShortTag", Bytes{0x22, 0x22, 0x08}},
                      DamageCase{"BlockCutShort", Bytes{0x22, 0x22, 0x08, 0x00, 0x08, 0x00}}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

// A tagged visibility block of two records whose first record claims `following` after it.
Bytes VisibilityBlockClaiming(uint16_t following) {
  Bytes block = TableBlockBytes(10, 2);
  PutU16(&block[2], following);
  Bytes file;
  AppendBlock(file, 0x1111, block);
  return file;
}

TEST(DataFileShow, RefusesBlocksThePanesCannotWalk) {
  // Shorter than a descriptor, or longer or shorter than the descriptor says.
  const Bytes bad[] = {{0x22, 0x22, 0x02, 0x00, 0x08, 0x00}, VisibilityBlockClaiming(2),
                       VisibilityBlockClaiming(0), VisibilityBlockClaiming(0xFFFF)};
  for (const Bytes& block : bad) {
    Bytes file;
    AppendBlock(file, 0x5555, TableBlockBytes(24, 1));
    file.insert(file.end(), block.begin(), block.end());
    WeatherSnapshot snapshot;
    DataFileShow shown = ShowDataFile(file.data(), file.size(), snapshot);
    EXPECT_FALSE(shown.complete);
    EXPECT_EQ(shown.tables, 1);
    EXPECT_FALSE(snapshot.Table(kCloudTable).data.Empty());
    EXPECT_TRUE(snapshot.Table(kVisibilityTable).data.Empty());
    EXPECT_TRUE(snapshot.Table(kPressureTable).data.Empty());
  }
}

TEST(DataFileSet, ClearThenOneSetTablePerBlockInFileOrder) {
  Bytes file;
  AppendBlock(file, 0x5555, TableBlockBytes(24, 2));
  AppendBlock(file, 0x1111, TableBlockBytes(10, 1));
  RecordingBatch batch;
  ASSERT_EQ(QueueDataFileSet(file.data(), file.size(), batch), DataFileSet::kQueued);
  ASSERT_EQ(batch.writes.size(), 3u);
  EXPECT_EQ(batch.writes[0].selector, 0x50000u);
  EXPECT_TRUE(batch.writes[0].bytes.empty());
  EXPECT_EQ(batch.writes[1].selector, 0x560000u);
  EXPECT_EQ(batch.writes[1].bytes, TableBlockBytes(24, 2));
  EXPECT_EQ(batch.writes[2].selector, 0x160000u);
}

TEST(DataFileSet, RefusedWhenTheBatchCannotHoldIt) {
  // Clear (12) + end word (4) + one write (12 + L): exactly full, then one byte too many.
  Bytes block = TableBlockBytes(10, 100);  // 1000 bytes
  Bytes file;
  AppendBlock(file, 0x1111, block);
  const size_t needed = 12 + 4 + 12 + block.size();
  RecordingBatch fits(needed);
  EXPECT_EQ(QueueDataFileSet(file.data(), file.size(), fits), DataFileSet::kQueued);
  RecordingBatch tight(needed - 1);
  EXPECT_EQ(QueueDataFileSet(file.data(), file.size(), tight), DataFileSet::kTooLarge);
  EXPECT_TRUE(tight.writes.empty());
}

TEST(LoadDataFile, SetTooLargeShowsAnErrorAndSendsNothing) {
  FileBench bench;
  Bytes file;
  for (int t = 1; t <= 5; ++t)
    AppendBlock(file, uint32_t(t) * 0x1111,
                TableBlockBytes(int(TableRecordSize(t)), t == 2 ? 1 : 1000));
  bench.files.files["C:\\big.vtd"] = file;
  EXPECT_TRUE(LoadDataFile(bench.context, "C:\\big.vtd", true));
  EXPECT_TRUE(bench.batch.writes.empty());
  EXPECT_EQ(bench.batch.processed, 0);
  ASSERT_EQ(bench.view.errors.size(), 1u);
  EXPECT_EQ(bench.view.errors[0], "0 VTD file too large to send!");
}

TEST(LoadDataFile, MissingFileFailsWithTheErrorBox) {
  FileBench bench;
  EXPECT_FALSE(LoadDataFile(bench.context, "C:\\none.vtd", false));
  ASSERT_EQ(bench.view.errors.size(), 1u);
  EXPECT_EQ(bench.view.errors[0], "0 opening VTD file!");
  EXPECT_EQ(bench.view.refreshes, 0);
}

TEST(LoadDataFile, EmptyFileSetClearsEverythingShowShowsNothing) {
  FileBench bench;
  bench.files.files["e.vtd"] = {};
  EXPECT_TRUE(LoadDataFile(bench.context, "e.vtd", true));
  ASSERT_EQ(bench.batch.writes.size(), 1u);
  EXPECT_EQ(bench.batch.writes[0].selector, 0x50000u);
  EXPECT_EQ(bench.batch.processed, 1);

  PutTable(bench.weather.snapshot, kCloudTable, TableBlockBytes(24, 1));
  bench.weather.busy = true;
  EXPECT_TRUE(LoadDataFile(bench.context, "e.vtd", false));
  EXPECT_TRUE(bench.weather.snapshot.Table(kCloudTable).data.Empty());
  EXPECT_EQ(bench.view.refreshes, 1);
  EXPECT_EQ(bench.view.refreshesWhileBusy, 0);
  EXPECT_EQ(bench.view.activations, 2);
}

TEST(SaveDataFile, WeatherShownFromAFileSavesAgain) {
  FileBench bench;
  Bytes file;
  AppendBlock(file, 0x1111, TableBlockBytes(10, 2));
  file.insert(file.end(), kPressureOnlyFile.begin(), kPressureOnlyFile.end());
  AppendBlock(file, 0x5555, TableBlockBytes(24, 3));
  bench.files.files["in.vtd"] = file;
  ASSERT_TRUE(LoadDataFile(bench.context, "in.vtd", false));
  SaveDataFile(bench.context, "out.vtd");
  EXPECT_TRUE(bench.view.errors.empty());
  EXPECT_EQ(bench.files.files["out.vtd"], file);
}

TEST(SaveDataFile, EmptySnapshotSavesAZeroByteFile) {
  FileBench bench;
  SaveDataFile(bench.context, "C:\\empty.vtd");
  ASSERT_EQ(bench.files.files.count("C:\\empty.vtd"), 1u);
  EXPECT_TRUE(bench.files.files["C:\\empty.vtd"].empty());
  EXPECT_EQ(bench.files.files.size(), 1u);  // no temporary left behind
}

TEST(SaveDataFile, FailureNeverDestroysTheOldFile) {
  const Bytes old = {1, 2, 3, 4, 5};
  struct Case {
    const char* name;
    void (*arm)(MemoryFiles&);
  };
  const Case cases[] = {
      {"create", [](MemoryFiles& f) { f.failCreate = true; }},
      {"write midway", [](MemoryFiles& f) { f.failWriteAfter = 6; }},
      {"replace", [](MemoryFiles& f) { f.failReplace = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileBench bench;
    PutTable(bench.weather.snapshot, kVisibilityTable, TableBlockBytes(10, 3));
    bench.files.files["w.vtd"] = old;
    c.arm(bench.files);
    SaveDataFile(bench.context, "w.vtd");
    EXPECT_EQ(bench.files.files["w.vtd"], old);
    EXPECT_EQ(bench.files.files.size(), 1u);
    ASSERT_EQ(bench.view.errors.size(), 1u);
    EXPECT_EQ(bench.view.errors[0], "0 creating VTD file!");
  }
}

}  // namespace
