#include "link/request_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Answers every exchange with a scripted result and lets a test play the module's part.
class ScriptedTransport : public IpcTransport {
 public:
  explicit ScriptedTransport(RequestBlock& block) : block_(block) {}
  bool Send() override {
    ++sends;
    if (module) module(block_.Base());
    return sends > failFirst;
  }
  void Pause(unsigned ms) override { pauses.push_back(ms); }

  int failFirst = 0;
  int sends = 0;
  std::vector<unsigned> pauses;
  void (*module)(uint8_t*) = nullptr;

 private:
  RequestBlock& block_;
};

struct BlockFixture : ::testing::Test {
  BlockFixture() : bytes(256, 0xCC) { block.Attach(bytes.data(), bytes.size()); }
  std::vector<uint8_t> bytes;
  RequestBlock block;
};

using RequestBlockLayout = BlockFixture;

TEST_F(RequestBlockLayout, EmptyBatchIsJustTheEndWord) {
  ScriptedTransport transport(block);
  EXPECT_TRUE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(GetU32(bytes.data()), 0u);
  EXPECT_EQ(transport.sends, 1);
}

TEST_F(RequestBlockLayout, ReadsFollowEachOtherWithoutGaps) {
  uint16_t a = 0, b = 0;
  block.QueueRead(0x04D6, 2, &a);
  block.QueueRead(0x04DC, 2, &b);
  block.EndList();
  EXPECT_EQ(GetU32(&bytes[0]), kRecordRead);
  EXPECT_EQ(GetU32(&bytes[4]), 0x04D6u);
  EXPECT_EQ(GetU32(&bytes[8]), 2u);
  EXPECT_EQ(GetU16(&bytes[16]), 0u);  // data area zeroed
  EXPECT_EQ(GetU32(&bytes[18]), kRecordRead);
  EXPECT_EQ(GetU32(&bytes[22]), 0x04DCu);
  EXPECT_EQ(GetU16(&bytes[34]), 0u);
  EXPECT_EQ(GetU32(&bytes[36]), kRecordEnd);
}

TEST_F(RequestBlockLayout, WritesCarryTheirDataAndSizeZeroIsTwelveBytes) {
  const uint8_t record[3] = {0xAB, 0xCD, 0xEF};
  block.QueueWrite(0x50000, 0, nullptr);
  block.QueueWrite(0x360000, 3, record);
  block.EndList();
  EXPECT_EQ(GetU32(&bytes[0]), kRecordWrite);
  EXPECT_EQ(GetU32(&bytes[4]), 0x50000u);
  EXPECT_EQ(GetU32(&bytes[8]), 0u);
  EXPECT_EQ(GetU32(&bytes[12]), kRecordWrite);
  EXPECT_EQ(GetU32(&bytes[16]), 0x360000u);
  EXPECT_EQ(0, std::memcmp(&bytes[24], record, 3));
  EXPECT_EQ(GetU32(&bytes[27]), kRecordEnd);
}

TEST_F(RequestBlockLayout, DetachedBuildersQueueNothingAndProcessFails) {
  uint32_t value = 7;
  block.Detach();
  block.QueueRead(0x10, 4, &value);
  block.QueueWrite(0x10, 4, &value);
  ScriptedTransport transport(block);
  EXPECT_FALSE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(transport.sends, 0);
  EXPECT_EQ(bytes[0], 0xCC);
}

TEST_F(RequestBlockLayout, RecordThatWouldNotFitSpoilsTheBatch) {
  uint8_t big[300];
  block.QueueRead(0x10, 240, big);  // 16 + 240 leaves no room for the end word
  EXPECT_TRUE(block.Overflowed());
  ScriptedTransport transport(block);
  EXPECT_FALSE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(transport.sends, 0);
  EXPECT_FALSE(block.Overflowed());  // the next batch starts clean
}

using ReplyWalk = BlockFixture;

TEST_F(ReplyWalk, CopiesEachReplyToItsOwnDestination) {
  uint16_t a = 0, c = 0;
  uint8_t unused[4] = {9, 9, 9, 9};
  block.QueueRead(1, 2, &a);
  block.QueueWrite(2, 4, unused);
  block.QueueRead(3, 0, unused);       // size 0: nothing to copy
  block.QueueRead(4, 4, nullptr);      // no destination: stepped over
  block.QueueRead(5, 2, &c);
  ScriptedTransport transport(block);
  transport.module = [](uint8_t* p) {
    // Records at 0 (read 2), 18 (write 4), 34 (read 0), 50 (read 4), 70 (read 2).
    PutU16(p + 16, 0xFADE);
    PutU32(p + 66, 0x11223344);
    PutU16(p + 86, 0x4000);
  };
  ASSERT_TRUE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(a, 0xFADE);
  EXPECT_EQ(c, 0x4000);
  EXPECT_EQ(unused[0], 9);
  EXPECT_EQ(block.Cursor(), 0u);
}

TEST_F(ReplyWalk, UnknownKindIsZeroedAndStopsTheWalk) {
  uint16_t a = 0, b = 0;
  block.QueueRead(1, 2, &a);
  block.QueueRead(2, 2, &b);
  ScriptedTransport transport(block);
  transport.module = [](uint8_t* p) {
    PutU16(p + 16, 0x1234);
    PutU32(p + 18, 7);  // the module scribbled over the second kind word
    PutU16(p + 34, 0x5678);
  };
  ASSERT_TRUE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(a, 0x1234);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(GetU32(&bytes[18]), 0u);
}

TEST_F(ReplyWalk, HeaderChangedByTheModuleNeverOverrunsADestination) {
  uint16_t a = 0;
  uint16_t guard = 0xBEEF;
  block.QueueRead(1, 2, &a);
  ScriptedTransport transport(block);
  transport.module = [](uint8_t* p) { PutU32(p + 8, 200); };  // claims a larger reply
  ASSERT_TRUE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(guard, 0xBEEF);

  transport.module = [](uint8_t* p) { PutU32(p + 8, 0xFFFFFFF0u); };  // past the block
  block.QueueRead(1, 2, &a);
  ASSERT_TRUE(ProcessBatch(block, transport, 10, 200));
  EXPECT_EQ(a, 0);
}

TEST(ProcessBatchAttempts, RetriesWithAPauseAfterEveryFailure) {
  std::vector<uint8_t> bytes(64);
  RequestBlock block;
  block.Attach(bytes.data(), bytes.size());
  uint16_t a = 0;

  ScriptedTransport failing(block);
  failing.failFirst = 100;
  block.QueueRead(1, 2, &a);
  EXPECT_FALSE(ProcessBatch(block, failing, 10, 200));
  EXPECT_EQ(failing.sends, 10);
  EXPECT_EQ(failing.pauses, std::vector<unsigned>(10, 200));
  EXPECT_EQ(block.Cursor(), 0u);  // the queued records are dropped

  ScriptedTransport third(block);
  third.failFirst = 2;
  block.QueueRead(1, 2, &a);
  EXPECT_TRUE(ProcessBatch(block, third, 5, 200));
  EXPECT_EQ(third.sends, 3);
  EXPECT_EQ(third.pauses.size(), 2u);
}

TEST(RequestBlockDestinations, SideListKeepsFullWidthPointers) {
  std::vector<uint8_t> bytes(128);
  RequestBlock block;
  block.Attach(bytes.data(), bytes.size());
  std::vector<uint32_t> far(4, 0);
  block.QueueRead(1, 4, &far[3]);
  // The wire field holds the low 32 bits only; delivery must not depend on it.
  PutU32(&bytes[12], 0);
  block.EndList();
  PutU32(&bytes[16], 0xCAFEF00D);
  block.DeliverReplies();
  EXPECT_EQ(far[3], 0xCAFEF00Du);
}

}  // namespace
