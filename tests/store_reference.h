// Plain, slow re-statements of how the store moves records, working on the
// bytes of a whole database file. The tests run the store and these side by
// side and compare the files byte for byte; these walk the slots exactly the
// way the store's operations are described and keep no counts or shortcuts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reference {

constexpr int32_t kBudget = 500000;

// A database file as bytes, with the header's counts read out of it.
struct Image {
  std::vector<uint8_t> bytes;
  uint32_t fieldCount = 0;
  uint32_t slotCount = 0;
  uint32_t recordSize = 0;
  uint32_t areaOffset = 0;

  static Image FromBytes(std::vector<uint8_t> bytes);
  uint8_t* Slot(uint32_t slot);
  uint32_t Status(uint32_t slot);
  void SetStatus(uint32_t slot, uint32_t value);
  void CopySlot(uint32_t from, uint32_t to);
  uint32_t TypeOf(uint32_t field);
  uint8_t* Field(uint32_t slot, uint32_t field);
  void SetSlotCount(uint32_t count);
  uint32_t CountActive();
  uint32_t CountInUse();
};

// Compaction as described: scan from slot 0, remember the last free slot,
// move the next in-use record into it, mark the source deleted, and start
// again from slot 0 after every move, until the scan passes the last slot or
// 500000 moves are spent. Returns what is left of the budget. O(moves * n).
int32_t Compact(Image& image);

// The same walk within `budget` moves, but after a move the scan starts again two slots before
// the moved record's source instead of at slot 0. The first free slot that
// is directly followed by an in-use one is always found at or after that
// point, since nothing before it changed, so the moves are the same;
// checked against Compact on many files.
int32_t CompactQuick(Image& image, int64_t budget = kBudget);

// AllocateSlot (and with clearFields AddRecord) as described: grow or shrink
// first, then the lowest slot with RecStat 0 or 5 becomes active. Growing
// appends k slots of zeros at the end of the file and shrinking cuts the
// file right after the last slot. Uses CompactQuick.
int32_t Allocate(Image& image, bool clearFields);

// The sort key of a slot as text: the text, or a number as unsigned decimal.
std::string SortKey(Image& image, uint32_t slot, uint32_t field);
// Whether the key of slot a sorts after that of slot b: numbers by their
// unsigned value, texts by CompareText.
bool SortsAfter(Image& image, uint32_t a, uint32_t b, uint32_t field);

// SortByField as described: a compaction with no budget, then a bubble sort
// over adjacent in-use pairs with the bound at the last swap, swapping when
// the first sorts after the second. Returns 1 when the sort ran, 0 when it
// does not apply, -1 when it did not end within a generous number of passes
// (the order is not consistent).
int Sort(Image& image, uint32_t field, uint32_t* passes = nullptr);

}  // namespace reference
