// Slot allocation, growing and shrinking the record area, and compaction.
#include <cstring>
#include <vector>

#include "store/database_file.h"

using namespace store;

namespace {

// The resize rule for `used` slots in use of `slots`: grow when fewer than
// 10 are free or more than 90 % are in use; shrink below 70 % when there
// are more than 50.
bool NeedsGrowth(uint64_t used, uint64_t slots) {
  return slots - used < 10 || used * 100 / slots > 90;
}
bool MayShrink(uint64_t used, uint64_t slots) { return used * 100 / slots < 70 && slots > 50; }
// A growth adds a sixteenth of the slots in use, at least 10.
uint32_t GrowthStep(uint32_t used) { return used / 16 < 10 ? 10 : used / 16; }
// A shrink cuts three sixteenths of the slots above 100, 10 below.
uint32_t ShrinkStep(uint32_t slots) { return slots > 100 ? slots * 3 / 16 : 10; }

}  // namespace

int32_t DatabaseFile::AllocateSlot() {
  if (view == nullptr || !writable) return -1;
  resizeFailed = false;
  if (!ResizeIfNeeded() || resizeFailed) return -1;
  // The lowest slot whose RecStat is 0 or 5.
  const int64_t s = reusableSlots.Nth(0);
  if (s >= 0) PutRecStat(static_cast<uint32_t>(s), kRecActive);
  if (!holdRecount) CountActive();
  return static_cast<int32_t>(s);
}

int32_t DatabaseFile::AddRecord() {
  int32_t slot = AllocateSlot();
  if (slot >= 0) ClearFields(slot);
  return slot;
}

// Allocation may compact the records before it shrinks the file, moving the
// source; compaction keeps the order of the active records, so the source is
// found again by its record number, one further on when the new record took a
// slot in front of it.
int32_t DatabaseFile::DuplicateRecord(int32_t sourceSlot) {
  const int32_t sourceNumber = RecordNumberOf(sourceSlot);
  if (sourceNumber < 0) return -1;
  const int32_t target = AllocateSlot();
  if (target < 0) return -1;
  const int32_t targetNumber = RecordNumberOf(target);
  const int32_t source =
      SlotOfRecordNumber(static_cast<uint32_t>(targetNumber <= sourceNumber ? sourceNumber + 1 : sourceNumber));
  if (source < 0 || !CopySlot(source, target)) return -1;
  return target;
}

int DatabaseFile::OpenStream() {
  if (view != nullptr || fileHandle != platform::kNoFile) return 0;
  fileHandle = platform::OpenExisting(path, writable != 0);
  if (fileHandle == platform::kNoFile) return 0;
  char signature[8];
  uint32_t counts[2];
  bool ok = platform::ReadExact(fileHandle, signature, 8) &&
            std::memcmp(signature, "DATA1000", 8) == 0 &&
            platform::Seek(fileHandle, kFieldCountOffset) &&
            platform::ReadExact(fileHandle, counts, sizeof counts) && counts[0] <= kMaxFieldCount;
  std::vector<uint32_t> directory;
  if (ok) {
    directory.resize(size_t{counts[0]} * 2);
    ok = platform::Seek(fileHandle, kHeaderSize) &&
         (directory.empty() ||
          platform::ReadExact(fileHandle, directory.data(), directory.size() * 4));
  }
  if (!ok) {
    platform::CloseFile(fileHandle);
    fileHandle = platform::kNoFile;
    return 0;
  }
  fieldCount = counts[0];
  slotCount = counts[1];
  directoryOffset = kHeaderSize;
  recordAreaOffset = kHeaderSize + kFieldDefSize * fieldCount;
  uint32_t size = 4;
  for (uint32_t i = 0; i < fieldCount; ++i) size += FieldTypeWidth(directory[2 * i]);
  recordSize = size;
  return 1;
}

// Adds k empty slots at the end of the file; false when a write failed. A
// failed write leaves the header's count as it was and cuts the file back, so
// the file stays a valid database of the old size. A file that cannot be
// opened for plain writes is left as it is, like the resize never happened.
bool DatabaseFile::Grow() {
  const uint32_t k = GrowthStep(CountInUse());
  if (uint64_t{slotCount} + k > 0x7FFFFFFFu) return false;
  Close();
  writable = 1;
  if (!OpenStream()) return true;
  uint64_t end = 0;
  bool ok = platform::SeekToEnd(fileHandle, &end);
  if (ok) NoteZerosFrom(end);
  if (ok && AppendEmptySlots(k)) {
    uint32_t grown = slotCount + k;
    if (platform::Seek(fileHandle, kSlotCountOffset) && platform::WriteExact(fileHandle, &grown, 4)) {
      slotCount = grown;
      Close();
      return true;
    }
  }
  if (ok) platform::Truncate(fileHandle, end);
  Close();
  return false;
}

// Cuts k free slots off the end. The smaller count is written before the
// file is cut, so a failure at either step leaves a valid file, and the
// allocation goes on in the slots there are.
void DatabaseFile::Shrink() {
  Close();
  writable = 1;
  if (!OpenStream()) return;
  uint32_t shrunk = slotCount - ShrinkStep(slotCount);
  bool ok = platform::Seek(fileHandle, kSlotCountOffset) &&
            platform::WriteExact(fileHandle, &shrunk, 4);
  if (ok) {
    slotCount = shrunk;
    platform::Truncate(fileHandle, recordAreaOffset + uint64_t{slotCount} * recordSize);
  }
  Close();
}

int DatabaseFile::ResizeIfNeeded() {
  if (view == nullptr || activeCount == 0) return view != nullptr;
  const uint32_t used = CountInUse();
  StoreJournal* listener = Listener();
  uint32_t told = slotCount;  // the count the journal was told of
  bool resized = false;
  if (NeedsGrowth(used, slotCount)) {
    const uint32_t k = GrowthStep(used);
    if (listener) listener->SlotCountChanging(slotCount, told = slotCount + k);
    if (uint64_t{slotCount} + k <= reservedSlots) {
      // The zeros are there already: only the header's count grows.
      slotCount += k;
      std::memcpy(view + kSlotCountOffset, &slotCount, 4);
      if (!IndexSlotCount()) {
        Close();
        return 0;
      }
      return 1;
    }
    // The file is closed and mapped again; the counts and sets stay.
    resized = reopening = true;
    if (!Grow()) resizeFailed = true;
  } else if (MayShrink(used, slotCount) && Compact() != 0) {
    resized = reopening = true;
    if (listener) listener->SlotCountChanging(slotCount, told = slotCount - ShrinkStep(slotCount));
    Shrink();
  }
  if (listener && slotCount != told) listener->ChangeFailed();
  if (resized) Reopen();
  return view != nullptr;
}

void DatabaseFile::Reopen() {
  reopening = true;
  writable = 1;
  Open();
  reopening = false;
  if (view == nullptr) FreeIndex();
}

int DatabaseFile::ResizeRecordArea(uint32_t slots) {
  if (view == nullptr || !writable || slots > 0x7FFFFFFFu) return 0;
  if (slots <= reservedSlots || slots <= slotCount) {
    // Within the room the file has: the slots cut off stay as room, their
    // statuses empty, so that a growth into them later finds empty slots.
    const bool quiet = journalQuiet;
    journalQuiet = true;
    for (uint32_t s = slots; s < slotCount; ++s)
      if (RecStatAt(s) != kRecEmpty) PutRecStat(s, kRecEmpty);
    journalQuiet = quiet;
    if (reservedSlots < slotCount) reservedSlots = slotCount;
    slotCount = slots;
    std::memcpy(view + kSlotCountOffset, &slotCount, 4);
    if (!IndexSlotCount()) {
      Close();
      return 0;
    }
    CountActive();
    return 1;
  }
  // Closing gives back the room; the file then grows by empty slots.
  const uint32_t add = slots - slotCount;
  reopening = true;
  Close();
  writable = 1;
  bool ok = OpenStream();
  if (ok) {
    uint64_t end = 0;
    ok = platform::SeekToEnd(fileHandle, &end);
    if (ok) NoteZerosFrom(end);
    ok = ok && AppendEmptySlots(add);
    if (ok && platform::Seek(fileHandle, kSlotCountOffset) && platform::WriteExact(fileHandle, &slots, 4)) {
      slotCount = slots;
    } else {
      if (end > 0) platform::Truncate(fileHandle, end);
      ok = false;
    }
    platform::CloseFile(fileHandle);
    fileHandle = platform::kNoFile;
  }
  Reopen();
  return view != nullptr && ok ? 1 : 0;
}

int DatabaseFile::ReserveForAdds(uint32_t count) {
  if (view == nullptr || !writable) return 0;
  // The growth count adds need, by the rule above; shrinking is left to
  // the adds themselves.
  uint64_t used = CountInUse(), slots = slotCount;
  for (uint32_t i = 0; i < count; ++i, ++used)
    if (NeedsGrowth(used, slots)) slots += GrowthStep(static_cast<uint32_t>(used));
  if (slots > 0x7FFFFFFFu) return 0;
  if (slots <= uint64_t{reservedSlots} || slots == slotCount) return 1;
  reopening = true;
  Close();
  writable = 1;
  if (!OpenStream()) {
    Reopen();
    return 0;
  }
  // Appended where Grow appends, after whatever the file holds past its
  // last slot; zeros written, not a hole left, so that a full disk shows
  // here and not later as a failed write through the mapping.
  uint64_t end = 0;
  bool ok = platform::SeekToEnd(fileHandle, &end);
  if (ok) NoteZerosFrom(end);
  ok = ok && AppendEmptySlots(static_cast<uint32_t>(slots) - slotCount);
  if (!ok && end > 0) platform::Truncate(fileHandle, end);
  platform::CloseFile(fileHandle);
  fileHandle = platform::kNoFile;
  Reopen();
  if (view == nullptr) return 0;
  if (ok) reservedSlots = static_cast<uint32_t>(slots);
  return ok ? 1 : 0;
}

int32_t DatabaseFile::Compact() {
  return static_cast<int32_t>(CompactWithin(kCompactBudget));
}

// Moves the in-use records toward slot 0, keeping their order, one slot at a
// time from the first free slot onward, each record walking down through the
// free slots before it, within a budget of moves. The result is computed
// directly: each record is copied once to where its walk ends, and the stale
// copies the walks leave behind are written once at the end, because each
// walk covers every slot the previous one left stale.
int64_t DatabaseFile::CompactWithin(int64_t budget) {
  if (view == nullptr || activeCount == 0) return budget;
  if (!writable) {
    // A read-only mapping cannot be changed: nothing moves, and the result
    // says whether the records already stand at the front.
    bool seenFree = false;
    for (uint32_t s = 0; s < slotCount; ++s) {
      if (!IsInUse(RecStatAt(s))) seenFree = true;
      else if (seenFree) return 0;
    }
    return budget;
  }
  const uint32_t savedHold = holdRecount;
  holdRecount = 1;

  uint32_t target = 0;
  while (target < slotCount && IsInUse(RecStatAt(target))) ++target;
  // The journal hears of the compaction as a whole, and of each record it
  // moves; not of the copies and statuses that make the moves.
  StoreJournal* listener = Listener();
  if (listener) {
    uint32_t end = slotCount;
    while (end > target && !IsInUse(RecStatAt(end - 1))) --end;
    listener->Compacting(budget, target, end);
  }
  const bool quiet = journalQuiet;
  journalQuiet = true;
  int64_t lastFrom = -1, lastTo = -1;  // the last record moved all the way
  int64_t partialFrom = -1, partialSteps = 0;
  for (uint32_t s = target + 1; s < slotCount && budget > 0; ++s) {
    if (!IsInUse(RecStatAt(s))) continue;
    const int64_t distance = s - target;
    if (distance > budget) {
      partialFrom = s;
      partialSteps = budget;
      budget = 0;
      break;
    }
    if (listener) listener->RecordMoving(s, target);
    CopySlot(static_cast<int32_t>(s), static_cast<int32_t>(target));
    budget -= distance;
    lastFrom = s;
    lastTo = target;
    ++target;
  }
  if (lastFrom >= 0) {
    for (int64_t s = lastTo + 1; s <= lastFrom; ++s) {
      CopySlot(static_cast<int32_t>(lastTo), static_cast<int32_t>(s));
      PutRecStat(static_cast<uint32_t>(s), kRecDeleted);
    }
  }
  if (partialFrom >= 0) {
    const int64_t stop = partialFrom - partialSteps;
    if (listener) listener->RecordMoving(static_cast<uint32_t>(partialFrom), static_cast<uint32_t>(stop));
    for (int64_t s = stop; s < partialFrom; ++s)
      CopySlot(static_cast<int32_t>(partialFrom), static_cast<int32_t>(s));
    for (int64_t s = stop + 1; s <= partialFrom; ++s) PutRecStat(static_cast<uint32_t>(s), kRecDeleted);
  }
  journalQuiet = quiet;
  holdRecount = savedHold;
  CountActive();
  return budget;
}
