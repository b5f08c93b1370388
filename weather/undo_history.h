// Undo and redo of the weather changes the station sends: before each change the tables it
// touches are kept as the last refresh read them; an undo sends them back in one exchange
// (clear, then set, as a set load does) and keeps the state it replaced for a redo.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/request_block.h"
#include "weather/snapshot.h"

constexpr int kUndoDepth = 32;
constexpr size_t kUndoLabelSize = 64;

// Bit t stands for table t; only the five tables a set load writes are kept.
constexpr unsigned TableBit(int table) { return 1u << table; }
constexpr unsigned kAllSetTables = TableBit(kVisibilityTable) | TableBit(kPressureTable) |
                                   TableBit(kTemperatureTable) | TableBit(kWindTable) |
                                   TableBit(kCloudTable);

// Tables 1 to 5 (those in `tables`) as whole blocks; an empty block is an empty table.
struct KeptTables {
  unsigned tables = 0;
  TableBlock blocks[kCloudTable + 1];
};

// A copy of the snapshot's tables in `tables` (bits outside tables 1 to 5 are ignored). A table
// never read (byteLength -1) is left out of the copy's `tables`: what it held is not known, so
// sending the copy back leaves it alone. False when the memory for a copy is not there.
bool KeepTables(const WeatherSnapshot& snapshot, unsigned tables, KeptTables& out);

// Queues the kept tables: ClearTable (of all tables when all five are kept, else of each one
// kept), then SetTable for each that holds records, in table order. Nothing is queued and false
// comes back when that would not fit one batch; a batch of capacity 0, or kept tables that hold
// no table at all, queue nothing either.
bool QueueKeptTables(const KeptTables& kept, IpcBatch& batch);

struct UndoStep {
  char label[kUndoLabelSize] = "";
  KeptTables kept;
};

class UndoHistory {
 public:
  // Before a change: keeps the tables it touches, empties the redo side and lets the oldest
  // step go beyond kUndoDepth. A history of another owner (simulator window) is dropped
  // first. False when the copy failed: then the whole history is dropped, since later undos
  // would no longer fit the simulator's tables.
  bool Keep(const WeatherSnapshot& snapshot, unsigned tables, const char* label,
            uintptr_t owner);
  // Takes back the step Keep just added, when its change was not sent after all: the redo
  // side it emptied and the oldest step it let go come back, as if nothing had been kept.
  void Withdraw();
  // The change Keep was called for has gone: it can no longer be withdrawn.
  void Sent();

  bool CanUndo() const { return undoCount_ > 0; }
  bool CanRedo() const { return redoCount_ > 0; }
  int UndoCount() const { return undoCount_; }
  int RedoCount() const { return redoCount_; }
  // Label of the step the next undo or redo would send; "" when there is none.
  const char* UndoLabel() const { return undoCount_ ? undo_[undoCount_ - 1].label : ""; }
  const char* RedoLabel() const { return redoCount_ ? redo_[redoCount_ - 1].label : ""; }
  // The tables the next undo or redo sends; null when there is none.
  const KeptTables* NextUndo() const { return undoCount_ ? &undo_[undoCount_ - 1].kept : nullptr; }
  const KeptTables* NextRedo() const { return redoCount_ ? &redo_[redoCount_ - 1].kept : nullptr; }
  // After the next undo (redo) was sent: the step moves to the other side, holding `replaced`,
  // the tables as they were before it was sent.
  void Undone(KeptTables&& replaced);
  void Redone(KeptTables&& replaced);

  void Drop();
  uintptr_t Owner() const { return owner_; }

 private:
  UndoStep undo_[kUndoDepth];
  UndoStep redo_[kUndoDepth];
  int undoCount_ = 0;
  int redoCount_ = 0;
  bool withdrawable_ = false;
  // What the last Keep let go, held until it is withdrawn or sent: the redo steps stay in
  // redo_[0, hiddenRedo_) while redoCount_ is 0.
  int hiddenRedo_ = 0;
  UndoStep withdrawnOldest_;
  bool oldestWithdrawn_ = false;
  uintptr_t owner_ = 0;

  void ForgetWithdrawn();
};

// The labels the Edit menu shows after "&Undo " and "&Redo ".
enum class LayerChange { kEdit, kInsert, kDelete };
// The change of one layer of table 1 to 5 ("edit cloud layer", "delete wind layer", and for
// the pressure table "edit pressure").
void LayerChangeLabel(int table, LayerChange change, char* out, size_t size);
// A clear command: table 0 is "clear all".
void ClearLabel(int table, char* out, size_t size);
// A set load of a file: "load and set " and the file's name without its folder.
void SetLoadLabel(const char* path, char* out, size_t size);
// "&Undo <label>\tCtrl+Z" and the like; the bare verb when the label is empty.
void EditMenuText(const char* verb, const char* label, const char* key, char* out, size_t size);
