#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devsim/module.h"
#include "devsim_test_batch.h"
#include "weather/records.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return text;
  char buffer[1024];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

// A block of `size` bytes with guard bytes on both sides that the module must never touch.
struct GuardedBlock {
  static constexpr size_t kGuard = 64;
  std::vector<uint8_t> bytes;
  explicit GuardedBlock(size_t size) : bytes(size + 2 * kGuard, 0xEE) {
    std::fill(bytes.begin() + kGuard, bytes.end() - kGuard, 0);
  }
  uint8_t* Data() { return bytes.data() + kGuard; }
  size_t Size() const { return bytes.size() - 2 * kGuard; }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (bytes[i] != 0xEE || bytes[bytes.size() - 1 - i] != 0xEE) return false;
    return true;
  }
};

// Each call a later time: the module takes 5000 as its start, then one reading per batch.
uint64_t TestClock() {
  static const uint64_t kTimes[] = {5000, 6000, 8500};
  static int next = 0;
  return kTimes[next++ % 3];
}

}  // namespace

TEST(DevsimModule, LogsEveryBatchInTheAgreedFormat) {
  std::string path = ::testing::TempDir() + "devsim_module_test.log";
  std::remove(path.c_str());
  DevsimOptions o;
  o.logFile = path;
  DevsimModule m(o);
  ASSERT_TRUE(m.Error().empty());
  m.SetClock(TestClock);

  uint8_t signature[2], unknown[4] = {1, 2, 3, 4};
  uint8_t visibility[10] = {0x0A, 0, 0, 0, 0, 0, 0xE8, 0x03, 0x64, 0};
  DevsimTestBatch b;
  b.Read(0x04D6, 2, signature);
  b.Write(0x160000, 10, visibility);
  b.Read(0xABCD, 4, unknown);
  b.Write(0x50000, 0);
  EXPECT_EQ(b.Run(m), 1u);
  EXPECT_EQ(GetU32(unknown), 0u);

  DevsimOptions zero = m.Options();
  ASSERT_TRUE(ParseDevsimOptions("--answer=0", zero));
  m.Apply(zero);
  DevsimTestBatch empty;
  EXPECT_EQ(empty.Run(m), 0u);

  EXPECT_EQ(ReadFile(path),
            "batch 1 at 1000 ms\n"
            "  R 000004D6 2\n"
            "  W 00160000 10 0A0000000000E8036400\n"
            "  R 0000ABCD 4 unknown\n"
            "  W 00050000 0\n"
            "end 1 answer 1\n"
            "batch 2 at 3500 ms\n"
            "end 2 answer 0\n");
  EXPECT_EQ(m.Batches(), 2u);
  EXPECT_EQ(m.Reads(), 2u);
  EXPECT_EQ(m.Writes(), 2u);
  EXPECT_EQ(m.LastAnswer(), 0u);
  std::remove(path.c_str());
}

TEST(DevsimModule, NoModuleDoesNothing) {
  std::string path = ::testing::TempDir() + "devsim_nomodule_test.log";
  std::remove(path.c_str());
  DevsimOptions o;
  o.logFile = path;
  o.noModule = true;
  DevsimModule m(o);
  uint8_t signature[2] = {0, 0};
  DevsimTestBatch b;
  b.Read(0x04D6, 2, signature);
  EXPECT_EQ(b.Run(m), 0u);
  EXPECT_EQ(GetU16(signature), 0);
  EXPECT_EQ(m.Batches(), 0u);
  EXPECT_EQ(ReadFile(path), "");
  std::remove(path.c_str());
}

TEST(DevsimModule, LeavesRecordHeadersAsTheyWere) {
  DevsimModule m;
  uint8_t table[64];
  uint8_t record[8] = {8, 0, 0, 0, 0x53, 0x3F, 0, 0};
  DevsimTestBatch b;
  b.Read(WeatherSelector(kCloudTable, kReadTable), 64, table);
  b.Write(WeatherSelector(kPressureTable, kReplaceLayer, kNoAltitude), 8, record);
  b.Read(0x02A0, 2, table);
  b.block.EndList();
  std::vector<uint8_t> before = b.bytes;
  m.Execute(b.bytes.data(), b.bytes.size());
  for (size_t at : {0u, 4u, 8u, 12u, 80u, 84u, 88u, 100u, 104u, 108u, 112u, 118u})
    EXPECT_EQ(GetU32(b.bytes.data() + at), GetU32(before.data() + at)) << at;
}

TEST(DevsimModule, HostileBlocksNeverReachOutsideTheBuffer) {
  DevsimModule m;
  // A read whose size runs past the block: the walk stops, nothing outside is written.
  GuardedBlock past(100);
  PutU32(past.Data(), kRecordRead);
  PutU32(past.Data() + 4, 0xF000);
  PutU32(past.Data() + 8, 4096);
  EXPECT_EQ(m.Execute(past.Data(), past.Size()), 1u);
  EXPECT_TRUE(past.GuardsIntact());

  // Sizes that would wrap a 32-bit sum.
  for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u}) {
    GuardedBlock huge(64);
    PutU32(huge.Data(), kRecordWrite);
    PutU32(huge.Data() + 4, 0x160000);
    PutU32(huge.Data() + 8, size);
    m.Execute(huge.Data(), huge.Size());
    EXPECT_TRUE(huge.GuardsIntact());
  }

  // A header cut off by the end of the block, and a block too small for even a kind word.
  GuardedBlock cut(24);
  PutU32(cut.Data(), kRecordRead);
  PutU32(cut.Data() + 4, 0x04D6);
  PutU32(cut.Data() + 8, 2);
  PutU32(cut.Data() + 18, kRecordRead);  // only 6 bytes of its header fit
  m.Execute(cut.Data(), cut.Size());
  EXPECT_EQ(GetU16(cut.Data() + 16), 0xFADE);
  EXPECT_TRUE(cut.GuardsIntact());
  GuardedBlock tiny(3);
  tiny.Data()[0] = 1;
  m.Execute(tiny.Data(), tiny.Size());
  EXPECT_TRUE(tiny.GuardsIntact());

  // A block filled to the last byte with no room for an end word.
  GuardedBlock full(16 + 4096);
  PutU32(full.Data(), kRecordRead);
  PutU32(full.Data() + 4, 0xF000);
  PutU32(full.Data() + 8, 4096);
  m.Execute(full.Data(), full.Size());
  EXPECT_NE(GetU16(full.Data() + 16), 0);
  EXPECT_TRUE(full.GuardsIntact());
}

TEST(DevsimModule, AnUnknownKindEndsTheWalk) {
  DevsimModule m;
  uint8_t before[2], after[2] = {0x11, 0x11};
  DevsimTestBatch b;
  b.Read(0x04D6, 2, before);
  b.Write(WeatherSelector(kCloudTable, kClearTable), 0);
  size_t stop = b.block.Cursor();
  b.Write(WeatherSelector(kWindTable, kClearTable), 0);
  b.Read(0x04D6, 2, after);
  b.block.EndList();
  PutU32(b.bytes.data() + stop, 7);
  EXPECT_EQ(m.Execute(b.bytes.data(), b.bytes.size()), 1u);
  EXPECT_EQ(GetU16(b.bytes.data() + 16), 0xFADE);
  EXPECT_EQ(m.Weather().Count(kCloudTable), 0u);
  EXPECT_NE(m.Weather().Count(kWindTable), 0u);
  EXPECT_EQ(GetU16(b.bytes.data() + stop + 12 + 16), 0) << "the read after the bad kind stays unfilled";
}

TEST(DevsimModule, AnswerAndUnknownOffsets) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("--answer=7", o));
  DevsimModule m(o);
  std::vector<uint8_t> junk(40, 0xAA);
  DevsimTestBatch b;
  b.Read(0x12345678, 40, junk.data());          // nothing there
  b.Read(WeatherSelector(8, kReadTable), 4, junk.data());  // table 8: no such table
  b.block.EndList();
  EXPECT_EQ(m.Execute(b.bytes.data(), b.bytes.size()), 7u);
  EXPECT_EQ(std::vector<uint8_t>(b.bytes.begin() + 16, b.bytes.begin() + 56), std::vector<uint8_t>(40, 0));
  EXPECT_EQ(GetU32(b.bytes.data() + 72), 0u);
}

// Random blocks whose kind words are mostly read or write, in buffers of exactly their size:
// under a sanitizer build any access outside them is reported.
TEST(DevsimModule, RandomBlocksStayInside) {
  DevsimModule m;
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  const uint32_t offsets[] = {0x04D6, 0x04DC, 0x02A0, 0x0560, 0xF000, 0x140000, 0x560000, 0x1603E8,
                              0x50000, 0x460000, 0x330000, 0x720000, 0xFFFFFFFF};
  for (int round = 0; round < 3000; ++round) {
    size_t size = next() % 300;
    std::vector<uint8_t> block(size);
    for (uint8_t& b : block) b = uint8_t(next());
    for (size_t at = 0; at + 12 <= size; at += 4 + next() % 40) {
      PutU32(block.data() + at, 1 + next() % 2);
      PutU32(block.data() + at + 4, offsets[next() % 13]);
      PutU32(block.data() + at + 8, next() % 4 ? next() % 64 : next() << 8);
    }
    m.Execute(block.data(), block.size());
  }
  EXPECT_EQ(m.Batches(), 3000u);
  EXPECT_EQ(m.Weather().Count(kPressureTable), 1u);
}
