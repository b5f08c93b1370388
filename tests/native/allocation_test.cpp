// Running out of memory at every allocation a file command makes, in turn: the command ends
// quietly (or with its error box for a save) and the program goes on.
#include "weather/allocation.h"

#include <gtest/gtest.h>

#include <vector>

#include "weather/files/file_system.h"
#include "weather/files/file_commands.h"
#include "weather/files/wx_browse.h"
#include "weather_files_fakes.h"
#include "wx_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Turns the failures off again whatever the test does.
struct FailingFrom {
  explicit FailingFrom(unsigned long n) { FailAllocationsFrom(n); }
  ~FailingFrom() { FailAllocationsFrom(0); }
};

TEST(AllocationFailure, SeamFailsTheNthAllocationAndAllAfter) {
  FailingFrom failing(2);
  EXPECT_NE(AllocateBytes(8), nullptr);
  EXPECT_EQ(AllocateBytes(8), nullptr);
  EXPECT_EQ(AllocateBytes(8), nullptr);
  FailAllocationsFrom(0);
  EXPECT_NE(AllocateBytes(8), nullptr);
  EXPECT_TRUE(TableBlock::Allocate(0).Empty());
}

TEST(AllocationFailure, WxShowAtEveryAllocationKeepsTheGroupsBefore) {
  const Bytes file = WxFile({{-1, 3, 2, 4, 5}, {419, 1, 0, 0, 0}});
  for (unsigned long n = 1;; ++n) {
    FileBench bench;
    bench.files.files["a.wx"] = file;
    WxBrowseState browse;
    const unsigned long before = AllocationsAsked();
    bool ok;
    {
      FailingFrom failing(n);
      ok = LoadWxEntry(bench.context, browse, "a.wx", WxLoad::kShow, -1, 0);
    }
    SCOPED_TRACE(n);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(bench.view.errors.empty());
    // Groups come in file order; the first one refused and all after it are missing.
    const int order[] = {kWindTable, kVisibilityTable, kCloudTable, kTemperatureTable,
                         kPressureTable};
    bool missing = false;
    for (int t : order) {
      const bool has = !bench.weather.snapshot.Table(t).data.Empty();
      if (missing) {
        EXPECT_FALSE(has) << "table " << t;
      }
      missing = missing || !has;
    }
    if (AllocationsAsked() - before < n) {
      EXPECT_FALSE(missing);  // nothing failed: the whole entry is there
      break;
    }
  }
}

TEST(AllocationFailure, SavesThatFindNoMemoryKeepTheOldFile) {
  const Bytes old = WxFile({{-1, 1, 0, 0, 0}, {5, 1, 0, 0, 0}});
  for (unsigned long n : {1ul, 2ul}) {
    FileBench bench;
    bench.files.files["c.wx"] = old;
    {
      FailingFrom failing(n);
      SaveWxFile(bench.context, "c.wx");
    }
    EXPECT_EQ(bench.files.files["c.wx"], old) << n;
    ASSERT_EQ(bench.view.errors.size(), 1u) << n;
    EXPECT_EQ(bench.view.errors[0], "0 creating WX file!");
    EXPECT_EQ(bench.files.files.size(), 1u) << "no temporary left behind";
  }
}

}  // namespace

namespace {

TEST(AllocationFailure, DataFileShowStopsAtTheBlockWithoutMemory) {
  // Pressure, then a visibility block: the second allocation fails.
  const Bytes file = {0x22, 0x22, 0x08, 0x00, 0x08, 0x00, 0x00, 0x00, 0x53, 0x3F, 0x00, 0x00,
                      0x11, 0x11, 0x0A, 0x00, 0x0A, 0x00, 0x00, 0x00, 1, 0, 2, 0, 3, 0};
  for (unsigned long n : {1ul, 2ul, 3ul}) {
    FileBench bench;
    bench.files.files["a.vtd"] = file;
    {
      FailingFrom failing(n);
      EXPECT_TRUE(LoadDataFile(bench.context, "a.vtd", false));
    }
    EXPECT_TRUE(bench.view.errors.empty());
    EXPECT_EQ(bench.weather.snapshot.Table(kPressureTable).data.Empty(), n == 1) << n;
    EXPECT_EQ(bench.weather.snapshot.Table(kVisibilityTable).data.Empty(), n <= 2) << n;
  }
}

}  // namespace

namespace {

// A source whose reads stop after `readable` bytes, as a failing disk does.
class CutSource : public ByteSource {
 public:
  CutSource(const Bytes& bytes, size_t readable) : bytes_(bytes), readable_(readable) {}
  uint64_t Size() const override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override {
    if (offset >= readable_) return 0;
    return MemorySource(bytes_.data(), readable_).ReadAt(offset, out, n);
  }

 private:
  const Bytes& bytes_;
  size_t readable_;
};

TEST(AllocationFailure, ReadWholeRefusesWithoutMemoryOrWithAShortRead) {
  const Bytes file = {'M', 'E', 'T', 'A', 'R', ' ', 'E', 'G', 'L', 'L'};
  const struct {
    size_t readable;
    unsigned long failFrom;
    bool whole;
  } cases[] = {{10, 0, true}, {10, 1, false}, {9, 0, false}, {0, 0, false}};
  for (const auto& c : cases) {
    CutSource source(file, c.readable);
    ByteBuffer read = ByteBuffer::Allocate(4);
    bool ok;
    {
      FailingFrom failing(c.failFrom);
      ok = ReadWhole(source, read);
    }
    SCOPED_TRACE(c.readable * 10 + c.failFrom);
    EXPECT_EQ(ok, c.whole);
    if (c.whole) {
      ASSERT_EQ(read.Size(), file.size());
      EXPECT_EQ(Bytes(read.Bytes(), read.Bytes() + read.Size()), file);
    } else {
      EXPECT_TRUE(read.Empty());
    }
  }
  const Bytes empty;
  MemorySource none(empty.data(), 0);
  ByteBuffer read = ByteBuffer::Allocate(4);
  EXPECT_TRUE(ReadWhole(none, read));
  EXPECT_TRUE(read.Empty());
}

}  // namespace
