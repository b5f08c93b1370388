// Sizes that only a 32-bit build gets wrong: files of 4 GiB and more (served by a sparse
// stand-in, nothing that large is ever held), counts whose products pass 2^32, and records
// whose length comes near 4 GiB. The same tests run in the 64-bit and the 32-bit suite.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/request_block.h"
#include "weather/files/file_commands.h"
#include "weather/files/wx_browse.h"
#include "weather/files/wx_file.h"
#include "weather_files_fakes.h"
#include "wx_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint64_t k4GiB = uint64_t(1) << 32;

// 429,496,730 visibility records: 10-byte table records make 2^32 + 4 bytes, which a 32-bit
// size_t takes for 4; the 12-byte file records make about 4.8 GiB.
Bytes HugeVisibilityHeader() {
  Bytes entry = WxEntryBytes({-1, 2, 0, 0, 0});
  PutU32(&entry[4], 429496730u);
  return entry;
}

TEST(WxLargeFiles, GroupTooLargeToAddressIsRefusedWhole) {
  Bytes start = HugeVisibilityHeader();
  const uint64_t size = 28 + 2 * 28 + 429496730ull * 12 + 12;
  SparseSource file(start, size);
  WxEntryTables read;
  ASSERT_TRUE(ReadWxEntry(file, 0, read));
  EXPECT_FALSE(read.complete);
  EXPECT_EQ(read.blocks[kWindTable].Size(), 32u);  // the group before stays
  for (int t : {kVisibilityTable, kCloudTable, kTemperatureTable, kPressureTable})
    EXPECT_TRUE(read.blocks[t].Empty()) << "table " << t;
  EXPECT_LE(read.end, uint64_t(28 + 2 * 28));
}

TEST(WxLargeFiles, ShowOfTheHugeGroupKeepsTheWindsAndRuns) {
  FileBench bench;
  bench.files.sparse["huge.wx"] = {HugeVisibilityHeader(), 28 + 2 * 28 + 429496730ull * 12 + 12};
  WxBrowseState browse;
  EXPECT_TRUE(LoadWxEntry(bench.context, browse, "huge.wx", WxLoad::kShow, -1, 0));
  EXPECT_TRUE(bench.view.errors.empty());
  EXPECT_EQ(bench.weather.snapshot.Table(kWindTable).data.Size(), 32u);
  EXPECT_TRUE(bench.weather.snapshot.Table(kVisibilityTable).data.Empty());
  EXPECT_EQ(bench.view.refreshes, 1);
}

TEST(WxLargeFiles, SaveOverA4GiBFileNeverKeepsPartOfItsStations) {
  // A one-wind first entry of 68 bytes, then 4 GiB + 100 bytes of station entries.
  for (uint64_t tail : {k4GiB, k4GiB + 100, 3 * k4GiB}) {
    FileBench bench;
    bench.files.sparse["big.wx"] = {WxEntryBytes({-1, 1, 0, 0, 0}), 68 + tail};
    SaveWxFile(bench.context, "big.wx");
    ASSERT_EQ(bench.view.errors.size(), 1u) << tail;
    EXPECT_EQ(bench.view.errors[0], "0 creating WX file!");
    EXPECT_TRUE(bench.files.files.empty()) << "nothing written, nothing left behind";
  }
}

TEST(RequestBlockLargeRecords, LengthsNear4GiBNeverFit) {
  const uint32_t sizes[] = {0xFFFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFF4u, 0xFFFFFFF0u, 0xFFFFFFE0u,
                            0x80000000u};
  std::vector<uint8_t> view(256, 0xAB);
  uint8_t reply[16];
  for (uint32_t size : sizes) {
    RequestBlock block;
    block.Attach(view.data(), view.size());
    block.QueueRead(0x3000, 4, reply);
    const size_t cursor = block.Cursor();
    block.QueueRead(0x3000, size, reply);
    EXPECT_TRUE(block.Overflowed()) << std::hex << size;
    EXPECT_EQ(block.Cursor(), cursor);
    block.Rewind();
    block.QueueWrite(0x3000, size, view.data());
    EXPECT_TRUE(block.Overflowed()) << std::hex << size;
    EXPECT_EQ(block.Cursor(), 0u);
  }
}

}  // namespace

namespace {

// A .VTD file of 5 GiB: one pressure block, then nothing but zeros (a tag naming no table).
TEST(VtdLargeFiles, ReadBlockByBlockNeverWhole) {
  const Bytes start = {0x22, 0x22, 0x08, 0x00, 0x08, 0x00, 0x00, 0x00, 0x53, 0x3F, 0x00, 0x00};
  for (bool set : {false, true}) {
    FileBench bench;
    bench.files.sparse["big.vtd"] = {start, 5 * k4GiB / 4};
    EXPECT_TRUE(LoadDataFile(bench.context, "big.vtd", set));
    EXPECT_TRUE(bench.view.errors.empty());
    if (set) {
      ASSERT_EQ(bench.batch.writes.size(), 2u);  // the clear and the pressure block
      EXPECT_EQ(bench.batch.writes[1].bytes.size(), 8u);
      EXPECT_EQ(bench.batch.processed, 1);
    } else {
      EXPECT_EQ(bench.weather.snapshot.Table(kPressureTable).data.Size(), 8u);
      EXPECT_EQ(bench.view.refreshes, 1);
    }
  }
}

}  // namespace
