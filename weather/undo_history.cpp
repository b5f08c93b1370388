#include "weather/undo_history.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

void CopyLabel(char* out, const char* label) {
  std::snprintf(out, kUndoLabelSize, "%s", label ? label : "");
}

// Moves steps [1, count) one place down; the oldest (index 0) goes.
void DropOldest(UndoStep* steps, int count) {
  for (int i = 1; i < count; ++i) steps[i - 1] = std::move(steps[i]);
  steps[count - 1] = UndoStep();
}

void Push(UndoStep* steps, int& count, UndoStep&& step) {
  if (count == kUndoDepth) {
    DropOldest(steps, count);
    --count;
  }
  steps[count++] = std::move(step);
}

// The top step moves from one side to the other, its tables replaced by `replaced`.
void Move(UndoStep* from, int& fromCount, UndoStep* to, int& toCount, KeptTables&& replaced) {
  if (fromCount == 0) return;
  UndoStep step = std::move(from[--fromCount]);
  from[fromCount] = UndoStep();
  step.kept = std::move(replaced);
  Push(to, toCount, std::move(step));
}

const char* const kTableNames[kCloudTable + 1] = {"", "visibility", "pressure", "temperature",
                                                  "wind", "cloud"};

}  // namespace

bool KeepTables(const WeatherSnapshot& snapshot, unsigned tables, KeptTables& out) {
  out = KeptTables();
  out.tables = tables & kAllSetTables;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    if (!(out.tables & TableBit(t))) continue;
    const WeatherTableEntry& entry = snapshot.Table(t);
    if (entry.byteLength < 0) {
      out.tables &= ~TableBit(t);
      continue;
    }
    if (entry.data.Empty() || entry.byteLength == 0) continue;
    size_t length = size_t(entry.byteLength);
    if (length > entry.data.Size()) length = entry.data.Size();
    out.blocks[t] = TableBlock::Copy(entry.data.Bytes(), length);
    if (out.blocks[t].Empty()) return false;
  }
  return true;
}

bool QueueKeptTables(const KeptTables& kept, IpcBatch& batch) {
  const size_t capacity = batch.Capacity();
  if (capacity == 0 || kept.tables == 0) return false;
  const bool all = (kept.tables & kAllSetTables) == kAllSetTables;
  uint64_t total = kEndWordSize + (all ? kWriteHeaderSize : 0);
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    if (!(kept.tables & TableBit(t))) continue;
    if (!all) total += kWriteHeaderSize;
    if (!kept.blocks[t].Empty()) total += kWriteHeaderSize + kept.blocks[t].Size();
  }
  if (total > capacity) return false;
  if (all) batch.Write(WeatherSelector(0, kClearTable), 0, nullptr);
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    if (!(kept.tables & TableBit(t))) continue;
    if (!all) batch.Write(WeatherSelector(t, kClearTable), 0, nullptr);
    const TableBlock& block = kept.blocks[t];
    if (!block.Empty())
      batch.Write(WeatherSelector(t, kSetTable), uint32_t(block.Size()), block.Bytes());
  }
  return true;
}

bool UndoHistory::Keep(const WeatherSnapshot& snapshot, unsigned tables, const char* label,
                       uintptr_t owner) {
  if (owner != owner_) {
    Drop();
    owner_ = owner;
  }
  UndoStep step;
  CopyLabel(step.label, label);
  if (!KeepTables(snapshot, tables, step.kept)) {
    Drop();
    return false;
  }
  ForgetWithdrawn();
  // Hidden rather than freed: a change that is not sent after all brings them back.
  hiddenRedo_ = redoCount_;
  redoCount_ = 0;
  if (undoCount_ == kUndoDepth) {
    withdrawnOldest_ = std::move(undo_[0]);
    oldestWithdrawn_ = true;
  }
  Push(undo_, undoCount_, std::move(step));
  withdrawable_ = true;
  return true;
}

void UndoHistory::Withdraw() {
  if (!withdrawable_ || undoCount_ == 0) return;
  undo_[--undoCount_] = UndoStep();
  if (oldestWithdrawn_) {
    for (int i = undoCount_; i > 0; --i) undo_[i] = std::move(undo_[i - 1]);
    undo_[0] = std::move(withdrawnOldest_);
    ++undoCount_;
  }
  redoCount_ = hiddenRedo_;
  hiddenRedo_ = 0;
  ForgetWithdrawn();
}

void UndoHistory::Sent() { ForgetWithdrawn(); }

void UndoHistory::ForgetWithdrawn() {
  withdrawable_ = false;
  while (hiddenRedo_ > redoCount_) redo_[--hiddenRedo_] = UndoStep();
  hiddenRedo_ = 0;
  withdrawnOldest_ = UndoStep();
  oldestWithdrawn_ = false;
}

void UndoHistory::Undone(KeptTables&& replaced) {
  ForgetWithdrawn();
  Move(undo_, undoCount_, redo_, redoCount_, std::move(replaced));
}

void UndoHistory::Redone(KeptTables&& replaced) {
  ForgetWithdrawn();
  Move(redo_, redoCount_, undo_, undoCount_, std::move(replaced));
}

void UndoHistory::Drop() {
  while (undoCount_ > 0) undo_[--undoCount_] = UndoStep();
  while (redoCount_ > 0) redo_[--redoCount_] = UndoStep();
  ForgetWithdrawn();
  owner_ = 0;
}

void LayerChangeLabel(int table, LayerChange change, char* out, size_t size) {
  if (size == 0) return;
  const char* name = table >= kVisibilityTable && table <= kCloudTable ? kTableNames[table] : "";
  if (table == kPressureTable) {
    std::snprintf(out, size, "edit pressure");
    return;
  }
  const char* verb = change == LayerChange::kInsert   ? "insert"
                     : change == LayerChange::kDelete ? "delete"
                                                      : "edit";
  std::snprintf(out, size, "%s %s layer", verb, name);
}

void ClearLabel(int table, char* out, size_t size) {
  static const char* const texts[kCloudTable + 1] = {
      "clear all", "clear visibilities", "set standard pressure", "clear temperatures",
      "clear all winds", "clear all clouds"};
  if (size == 0) return;
  std::snprintf(out, size, "%s", table >= 0 && table <= kCloudTable ? texts[table] : "clear");
}

void SetLoadLabel(const char* path, char* out, size_t size) {
  if (size == 0) return;
  const char* name = path ? path : "";
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  std::snprintf(out, size, "load and set %s", name);
}

void EditMenuText(const char* verb, const char* label, const char* key, char* out, size_t size) {
  if (size == 0) return;
  size_t at = 0;
  auto put = [&](char c) {
    if (at + 1 < size) out[at++] = c;
  };
  for (const char* p = verb; *p; ++p) put(*p);
  if (label && label[0]) {
    put(' ');
    // A file name may hold '&': doubled, it shows as itself instead of underlining.
    for (const char* p = label; *p; ++p) {
      if (*p == '&' && at + 2 >= size) break;
      if (*p == '&') put('&');
      put(*p);
    }
  }
  if (key && key[0]) {
    put('\t');
    for (const char* p = key; *p; ++p) put(*p);
  }
  out[at] = 0;
}
