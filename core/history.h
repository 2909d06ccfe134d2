// The history of the open database's changes, for Undo and Redo. Every
// change a command makes is one step: Begin, the store's operations, End.
// The store tells the history of each change before it makes it
// (store/store_journal.h), so a command cannot change the records without
// its step hearing of it; a step takes back exactly what it changed, and
// makes it again exactly as it was.
//
// What a step keeps: the statuses it changed; the bytes of a record it
// deleted and of fields it wrote over in records that were there before it;
// the new bytes of records it made (an Add, a Copy, an Import); for a
// compaction the statuses it moved records over and where each went; for a
// sort the order it replaced (4 bytes a record); the long name before and
// after. Records are never kept whole for a sort or a compaction.
//
// The history holds at most kFixedBudget plus kBytesPerRecord for each
// record of the database; older steps are dropped whole to stay within it.
// A step larger than the whole budget is done, and the history is emptied:
// no step is ever taken back in part.
//
// Nothing of the history is written into the database file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "store/database_file.h"

enum class StepKind : uint8_t { kAdd, kCopy, kDelete, kEdit, kSort, kImport, kRename };
// "Add", "Copy", "Delete", "Edit", "Sort", "Import", "Rename": what the Undo
// and Redo items name.
const char* StepName(StepKind kind);

class History final : public StoreJournal {
 public:
  static constexpr size_t kFixedBudget = size_t{64} << 20;
  static constexpr size_t kBytesPerRecord = 8;
  // However small the steps, no more than this many are kept.
  static constexpr size_t kMostSteps = 10000;

  History();
  ~History() override;
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  // Starts an empty history of a database's changes (null: of none) and
  // listens to its store. A fresh database's history starts at its saved
  // state unless `saved` is false (a new database that was never saved).
  void Attach(DatabaseFile* db, bool saved = true);
  // Forgets every step; the database stays attached.
  void Clear();

  // One step of the given kind: the store's changes between Begin and End.
  // End with keep = false takes back everything the step changed (a command
  // that failed halfway leaves the records as they were). `touched` is the
  // slot of the record the step was about (-1 for none): Undo and Redo give
  // it back so that the views can show it.
  void Begin(StepKind kind);
  void End(bool keep, int32_t touched);
  bool InStep() const { return current_ != nullptr; }

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  StepKind UndoKind() const;  // of the step Undo would take back
  StepKind RedoKind() const;
  // Takes the last step back, or makes the last step taken back again.
  // False when there is none. *touched: the slot of the record the step
  // was about, -1 for none.
  bool Undo(int32_t* touched);
  bool Redo(int32_t* touched);

  // The database was saved as it is now; AtSavePoint tells whether Undo and
  // Redo have brought it back to exactly that.
  void SetSavePoint();
  bool AtSavePoint() const;

  // Counts every step, Undo and Redo that added, deleted or moved records,
  // and every database attached: while it stays the same, each record is
  // in the slot it was in.
  uint64_t LayoutVersion() const { return layoutVersion_; }
  // Slots, in increasing order, of records before the last step: each
  // replaced by the slot its record was moved to by the step's compactions
  // (sorts are not followed). The order stays increasing.
  void FollowLastStep(std::vector<uint32_t>* slots) const;
  int32_t FollowLastStep(int32_t slot) const;
  // The slots, in increasing order, of the records the last step made (an
  // Add, a Copy, an Import).
  const std::vector<uint32_t>& MadeByLastStep() const { return lastMade_; }

  // What the history holds now, and may hold, in bytes.
  size_t Bytes() const { return bytes_; }
  size_t Budget() const;
  // Tests make the fixed part small.
  void SetFixedBudget(size_t bytes) { fixedBudget_ = bytes; }

 private:
  struct Op;
  struct Step;

  // StoreJournal.
  void StatusChanging(uint32_t slot, uint32_t before, uint32_t after, const uint8_t* bytes) override;
  void BytesChanging(uint32_t slot, uint32_t offset, uint32_t length, const uint8_t* bytes) override;
  void BytesChanged(uint32_t slot, uint32_t offset, uint32_t length, const uint8_t* bytes) override;
  void SlotCopying(uint32_t source, uint32_t target, const uint8_t* targetBytes) override;
  void LongNameChanging(const uint8_t* name) override;
  void LongNameChanged(const uint8_t* name) override;
  void SlotCountChanging(uint32_t before, uint32_t after) override;
  void Compacting(int64_t budget, uint32_t first, uint32_t end) override;
  void RecordMoving(uint32_t from, uint32_t to) override;
  void Permuting(uint32_t first, const uint32_t* order, uint32_t count) override;
  void ChangeFailed() override;

  // Undo and Redo: the last step of from replayed onto to.
  bool Replay(std::deque<std::unique_ptr<Step>>* from, std::deque<std::unique_ptr<Step>>* to, bool back,
              int32_t* touched);
  // A step's changes taken back, or made again, on the database.
  bool TakeBack(const Step& step);
  bool MakeAgain(const Step& step);
  // A change outside any step: the steps kept no longer fit the records.
  bool Recording();
  bool Made(uint32_t slot) const;
  void SetMade(uint32_t slot, bool made);
  void Drop(std::deque<std::unique_ptr<Step>>* steps, bool oldest);
  void Trim();

  DatabaseFile* db_ = nullptr;
  std::deque<std::unique_ptr<Step>> undo_;  // oldest first
  std::deque<std::unique_ptr<Step>> redo_;  // the next to make again last
  std::unique_ptr<Step> current_;
  // Slots made in the current step (allocated from free ones): their bytes
  // are kept once, as they are at its end.
  std::vector<uint64_t> made_;
  // Each compaction of the last step: where its records moved.
  std::vector<std::vector<std::pair<uint32_t, uint32_t>>> lastMoves_;
  std::vector<uint32_t> lastMade_;
  size_t bytes_ = 0;
  size_t fixedBudget_ = kFixedBudget;
  uint64_t layoutVersion_ = 0;
  // Steps dropped from the oldest end, and the saved state's place as the
  // number of steps from the first (-1 when no step reaches it).
  int64_t dropped_ = 0;
  int64_t savePoint_ = 0;
};

// The history of the program's open database.
extern History history;
