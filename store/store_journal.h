// Someone told of every change the store makes to the open database, just
// before it is made (and, for written bytes, just after), so that the change
// can be taken back and made again: the history of core/history.h. The store
// tells the changes of its own operations; a compaction and a sort are told
// as a whole, and the copies and status changes inside them are not told one
// by one.
#pragma once

#include <cstdint>

class StoreJournal {
 public:
  virtual ~StoreJournal() = default;
  // A slot's status word goes from `before` to `after`; `slot` points at the
  // slot's bytes as they are (its status word first).
  virtual void StatusChanging(uint32_t slot, uint32_t before, uint32_t after, const uint8_t* bytes) = 0;
  // `length` bytes from `offset` within a slot (never its status word) are
  // about to be written, and have been: `bytes` points at them.
  virtual void BytesChanging(uint32_t slot, uint32_t offset, uint32_t length, const uint8_t* bytes) = 0;
  virtual void BytesChanged(uint32_t slot, uint32_t offset, uint32_t length, const uint8_t* bytes) = 0;
  // Slot `target` is about to become a copy of slot `source`, status word
  // included; `targetBytes` points at the target as it is.
  virtual void SlotCopying(uint32_t source, uint32_t target, const uint8_t* targetBytes) = 0;
  // The header's long name (its 300 bytes at `name`) is about to change.
  virtual void LongNameChanging(const uint8_t* name) = 0;
  virtual void LongNameChanged(const uint8_t* name) = 0;
  // The record area is about to go from `before` slots to `after`. Before
  // fewer slots, the ones cut off can still be read.
  virtual void SlotCountChanging(uint32_t before, uint32_t after) = 0;
  // A compaction with this budget of moves is about to move records within
  // slots [first, end); then each record it moves is told as it moves.
  virtual void Compacting(int64_t budget, uint32_t first, uint32_t end) = 0;
  virtual void RecordMoving(uint32_t from, uint32_t to) = 0;
  // Slots first .. first + count - 1 are about to be put in a new order:
  // slot first + i gets the record now in slot first + order[i].
  virtual void Permuting(uint32_t first, const uint32_t* order, uint32_t count) = 0;
  // A change the store could not finish as it was told (a resize whose
  // write failed): what was told cannot be taken back.
  virtual void ChangeFailed() = 0;
};
