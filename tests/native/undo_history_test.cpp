#include "weather/undo_history.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/native/weather_files_fakes.h"

namespace {

// A snapshot whose table t holds `count` records of its size, each byte `fill`.
void SetTable(WeatherSnapshot& snapshot, int t, int count, uint8_t fill) {
  WeatherTableEntry& entry = snapshot.Table(t);
  const size_t size = TableRecordSize(t);
  entry.descriptor = MakeDescriptor(uint16_t(size), count);
  entry.byteLength = int32_t(size * size_t(count));
  entry.data = TableBlock();
  if (count == 0) return;
  std::vector<uint8_t> bytes(size * size_t(count), fill);
  PutU32(bytes.data(), entry.descriptor);
  entry.data = TableBlock::Copy(bytes.data(), bytes.size());
}

// Every table read from the simulator, and empty.
WeatherSnapshot ReadAndEmpty() {
  WeatherSnapshot snapshot;
  for (int t = kVisibilityTable; t <= kAppliedWindTable; ++t) SetTable(snapshot, t, 0, 0);
  return snapshot;
}

uint8_t FirstFill(const KeptTables& kept, int t) {
  return kept.blocks[t].Empty() ? 0 : kept.blocks[t].Bytes()[4];
}

struct History : ::testing::Test {
  WeatherSnapshot snapshot;
  UndoHistory history;

  // Change number n: the cloud table holds n layers before it.
  void Change(int n, uintptr_t owner = 7) {
    SetTable(snapshot, kCloudTable, 1, uint8_t(n));
    const std::string label = "change " + std::to_string(n);
    ASSERT_TRUE(history.Keep(snapshot, TableBit(kCloudTable), label.c_str(), owner));
  }
};

TEST_F(History, KeepsAtMostItsDepthDroppingTheOldest) {
  for (int n = 1; n <= kUndoDepth + 5; ++n) Change(n);
  EXPECT_GE(kUndoDepth, 20);
  EXPECT_EQ(history.UndoCount(), kUndoDepth);
  EXPECT_STREQ(history.UndoLabel(), ("change " + std::to_string(kUndoDepth + 5)).c_str());
  // Undo to the bottom: the oldest left is change 6.
  for (int i = 0; i < kUndoDepth - 1; ++i) history.Undone(KeptTables());
  EXPECT_STREQ(history.UndoLabel(), "change 6");
  EXPECT_EQ(FirstFill(*history.NextUndo(), kCloudTable), 6);
}

TEST_F(History, UndoAndRedoMoveStepsWithTheReplacedTables) {
  Change(1);
  Change(2);
  EXPECT_FALSE(history.CanRedo());
  SetTable(snapshot, kCloudTable, 1, 99);  // what the simulator held when undo was sent
  KeptTables replaced;
  ASSERT_TRUE(KeepTables(snapshot, history.NextUndo()->tables, replaced));
  history.Undone(std::move(replaced));
  EXPECT_STREQ(history.UndoLabel(), "change 1");
  EXPECT_STREQ(history.RedoLabel(), "change 2");
  EXPECT_EQ(FirstFill(*history.NextRedo(), kCloudTable), 99);

  SetTable(snapshot, kCloudTable, 1, 2);
  ASSERT_TRUE(KeepTables(snapshot, history.NextRedo()->tables, replaced));
  history.Redone(std::move(replaced));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_STREQ(history.UndoLabel(), "change 2");
  EXPECT_EQ(FirstFill(*history.NextUndo(), kCloudTable), 2);
  EXPECT_STREQ(history.RedoLabel(), "");
  EXPECT_EQ(history.NextRedo(), nullptr);
}

TEST_F(History, ANewChangeEmptiesTheRedoSide) {
  Change(1);
  Change(2);
  history.Undone(KeptTables());
  history.Undone(KeptTables());
  EXPECT_EQ(history.RedoCount(), 2);
  Change(3);
  EXPECT_EQ(history.RedoCount(), 0);
  EXPECT_EQ(history.UndoCount(), 1);
}

TEST_F(History, DroppedWhenAnotherSimulatorWindowKeepsAndOnDrop) {
  Change(1, 7);
  Change(2, 7);
  history.Undone(KeptTables());
  Change(3, 8);
  EXPECT_EQ(history.UndoCount(), 1);
  EXPECT_EQ(history.RedoCount(), 0);
  EXPECT_EQ(history.Owner(), uintptr_t(8));
  history.Drop();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.Owner(), uintptr_t(0));
}

TEST_F(History, WithdrawTakesBackOnlyTheStepJustKept) {
  Change(1);
  Change(2);
  history.Withdraw();
  EXPECT_STREQ(history.UndoLabel(), "change 1");
  history.Withdraw();  // a second withdraw has nothing of its own to take
  EXPECT_EQ(history.UndoCount(), 1);
  history.Undone(KeptTables());
  history.Withdraw();
  EXPECT_EQ(history.RedoCount(), 1);
}

// A change not sent after all (a file that cannot be opened, a question answered No) leaves
// both sides as they were before its Keep.
TEST_F(History, WithdrawLeavesTheRedoSideAsItWas) {
  Change(1);
  Change(2);
  Change(3);
  history.Undone(KeptTables());
  history.Undone(KeptTables());
  ASSERT_EQ(history.RedoCount(), 2);
  Change(4);
  EXPECT_EQ(history.RedoCount(), 0);
  history.Withdraw();
  EXPECT_EQ(history.UndoCount(), 1);
  EXPECT_STREQ(history.UndoLabel(), "change 1");
  ASSERT_EQ(history.RedoCount(), 2);
  EXPECT_STREQ(history.RedoLabel(), "change 2");
  history.Redone(KeptTables());
  EXPECT_STREQ(history.RedoLabel(), "change 3");
}

TEST_F(History, WithdrawAtFullDepthBringsTheOldestStepBack) {
  for (int n = 1; n <= kUndoDepth; ++n) Change(n);
  Change(kUndoDepth + 1);
  history.Withdraw();
  ASSERT_EQ(history.UndoCount(), kUndoDepth);
  EXPECT_STREQ(history.UndoLabel(), ("change " + std::to_string(kUndoDepth)).c_str());
  for (int i = 0; i < kUndoDepth - 1; ++i) history.Undone(KeptTables());
  EXPECT_STREQ(history.UndoLabel(), "change 1");
  EXPECT_EQ(FirstFill(*history.NextUndo(), kCloudTable), 1);
}

TEST_F(History, ASentChangeCanNoLongerBeWithdrawn) {
  Change(1);
  Change(2);
  history.Undone(KeptTables());
  Change(3);
  history.Sent();
  history.Withdraw();
  EXPECT_EQ(history.UndoCount(), 2);
  EXPECT_STREQ(history.UndoLabel(), "change 3");
  EXPECT_EQ(history.RedoCount(), 0);
}

TEST(KeepTables, CopiesOnlyTheTablesAskedForAndEmptyOnesStayEmpty) {
  WeatherSnapshot snapshot = ReadAndEmpty();
  SetTable(snapshot, kVisibilityTable, 2, 1);
  SetTable(snapshot, kWindTable, 3, 4);
  SetTable(snapshot, kAppliedWindTable, 3, 6);
  KeptTables kept;
  ASSERT_TRUE(KeepTables(snapshot, TableBit(kWindTable) | TableBit(kCloudTable) |
                                       TableBit(kAppliedWindTable), kept));
  EXPECT_EQ(kept.tables, TableBit(kWindTable) | TableBit(kCloudTable));
  EXPECT_TRUE(kept.blocks[kVisibilityTable].Empty());
  EXPECT_EQ(kept.blocks[kWindTable].Size(), 3 * kWindLayerSize);
  EXPECT_TRUE(kept.blocks[kCloudTable].Empty());
  // A copy: the snapshot may change after it.
  SetTable(snapshot, kWindTable, 1, 9);
  EXPECT_EQ(FirstFill(kept, kWindTable), 4);
}

// What a table never read held is not known: sending the copy back must not clear it.
TEST(KeepTables, ATableNeverReadIsLeftOutAndItsUndoRestoresNothingForIt) {
  WeatherSnapshot snapshot;
  SetTable(snapshot, kVisibilityTable, 1, 1);
  SetTable(snapshot, kPressureTable, 1, 2);
  SetTable(snapshot, kTemperatureTable, 0, 0);  // read, and empty
  SetTable(snapshot, kWindTable, 2, 4);
  snapshot.Table(kCloudTable).data = TableBlock::Allocate(24);
  snapshot.Table(kCloudTable).byteLength = -1;
  KeptTables kept;
  ASSERT_TRUE(KeepTables(snapshot, kAllSetTables, kept));
  EXPECT_EQ(kept.tables, kAllSetTables & ~TableBit(kCloudTable));
  EXPECT_TRUE(kept.blocks[kCloudTable].Empty());
  RecordingBatch batch;
  ASSERT_TRUE(QueueKeptTables(kept, batch));
  std::vector<uint32_t> selectors;
  for (const auto& w : batch.writes) selectors.push_back(w.selector);
  // No clear of everything: each kept table is cleared, the cloud table is not touched.
  const std::vector<uint32_t> expected = {0x00150000u, 0x00160000u, 0x00250000u, 0x00260000u,
                                          0x00350000u, 0x00450000u, 0x00460000u};
  EXPECT_EQ(selectors, expected);

  // Only unread tables: nothing to send at all.
  WeatherSnapshot unread;
  ASSERT_TRUE(KeepTables(unread, TableBit(kCloudTable) | TableBit(kWindTable), kept));
  EXPECT_EQ(kept.tables, 0u);
  RecordingBatch none;
  EXPECT_FALSE(QueueKeptTables(kept, none));
  EXPECT_TRUE(none.writes.empty());
}

TEST(QueueKeptTables, OneTableIsClearedThenSet) {
  WeatherSnapshot snapshot = ReadAndEmpty();
  SetTable(snapshot, kCloudTable, 2, 5);
  KeptTables kept;
  ASSERT_TRUE(KeepTables(snapshot, TableBit(kCloudTable) | TableBit(kWindTable), kept));
  RecordingBatch batch;
  ASSERT_TRUE(QueueKeptTables(kept, batch));
  ASSERT_EQ(batch.writes.size(), 3u);
  EXPECT_EQ(batch.writes[0].selector, 0x00450000u);  // wind table cleared, no layers to set
  EXPECT_EQ(batch.writes[1].selector, 0x00550000u);
  EXPECT_EQ(batch.writes[2].selector, 0x00560000u);
  EXPECT_EQ(batch.writes[2].bytes.size(), 2 * kCloudLayerSize);
  EXPECT_EQ(GetU32(batch.writes[2].bytes.data()), MakeDescriptor(24, 2));
}

TEST(QueueKeptTables, AllFiveAreOneClearOfEverythingAsASetLoad) {
  WeatherSnapshot snapshot = ReadAndEmpty();
  SetTable(snapshot, kPressureTable, 1, 2);
  SetTable(snapshot, kTemperatureTable, 2, 3);
  KeptTables kept;
  ASSERT_TRUE(KeepTables(snapshot, kAllSetTables, kept));
  RecordingBatch batch;
  ASSERT_TRUE(QueueKeptTables(kept, batch));
  ASSERT_EQ(batch.writes.size(), 3u);
  EXPECT_EQ(batch.writes[0].selector, 0x00050000u);
  EXPECT_EQ(batch.writes[1].selector, 0x00260000u);
  EXPECT_EQ(batch.writes[2].selector, 0x00360000u);
}

TEST(QueueKeptTables, RefusesWhatDoesNotFitOneBatchOrNoConnection) {
  WeatherSnapshot snapshot;
  SetTable(snapshot, kCloudTable, 10, 5);  // 240 bytes
  KeptTables kept;
  ASSERT_TRUE(KeepTables(snapshot, TableBit(kCloudTable), kept));
  const size_t exact = kWriteHeaderSize * 2 + 240 + kEndWordSize;
  RecordingBatch fits(exact);
  EXPECT_TRUE(QueueKeptTables(kept, fits));
  RecordingBatch tooSmall(exact - 1);
  EXPECT_FALSE(QueueKeptTables(kept, tooSmall));
  EXPECT_TRUE(tooSmall.writes.empty());
  RecordingBatch closed(0);
  EXPECT_FALSE(QueueKeptTables(kept, closed));
  EXPECT_TRUE(closed.writes.empty());
}

TEST(UndoLabels, NameTheChange) {
  char text[kUndoLabelSize];
  struct {
    int table;
    LayerChange change;
    const char* label;
  } layers[] = {{kCloudTable, LayerChange::kEdit, "edit cloud layer"},
                {kWindTable, LayerChange::kInsert, "insert wind layer"},
                {kVisibilityTable, LayerChange::kDelete, "delete visibility layer"},
                {kTemperatureTable, LayerChange::kEdit, "edit temperature layer"},
                {kPressureTable, LayerChange::kInsert, "edit pressure"}};
  for (const auto& c : layers) {
    LayerChangeLabel(c.table, c.change, text, sizeof text);
    EXPECT_STREQ(text, c.label);
  }
  const char* clears[] = {"clear all",          "clear visibilities", "set standard pressure",
                          "clear temperatures", "clear all winds",    "clear all clouds"};
  for (int t = 0; t <= kCloudTable; ++t) {
    ClearLabel(t, text, sizeof text);
    EXPECT_STREQ(text, clears[t]);
  }
  SetLoadLabel("C:\\Pilots\\Storm front.VTD", text, sizeof text);
  EXPECT_STREQ(text, "load and set Storm front.VTD");
  SetLoadLabel("Z:/tmp/a.wx", text, sizeof text);
  EXPECT_STREQ(text, "load and set a.wx");
  SetLoadLabel(("C:\\" + std::string(200, 'x')).c_str(), text, sizeof text);
  EXPECT_EQ(std::strlen(text), kUndoLabelSize - 1);
}

TEST(UndoLabels, MenuTextDoublesAmpersandsAndStaysInItsBuffer) {
  char text[64];
  EditMenuText("&Undo", "clear all clouds", "Ctrl+Z", text, sizeof text);
  EXPECT_STREQ(text, "&Undo clear all clouds\tCtrl+Z");
  EditMenuText("&Redo", "", "Ctrl+Y", text, sizeof text);
  EXPECT_STREQ(text, "&Redo\tCtrl+Y");
  EditMenuText("&Undo", "load and set R&D.VTD", nullptr, text, sizeof text);
  EXPECT_STREQ(text, "&Undo load and set R&&D.VTD");
  char small[8];
  EditMenuText("&Undo", "a&b", "Ctrl+Z", small, sizeof small);
  EXPECT_STREQ(small, "&Undo a");  // never half of a doubled '&'
}

}  // namespace
