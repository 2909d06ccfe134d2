// A set of slots, one bit each, with the number of members of every block of
// 512 slots summed in a Fenwick tree, so that "how many members lie below
// this slot" and "which slot is the n-th member" take O(log n), and so does
// a change. The store keeps two: the active slots, which give record numbers,
// and the slots a new record may take.
//
// Its memory is held through plain pointers, so that a DatabaseFile stays a
// record that zeros describe as empty: zeros are an empty set, and Free
// gives the memory back.
#pragma once

#include <cstdint>

namespace store {

class SlotBits {
 public:
  // An empty set of `size` slots; keeps the members below `size` instead
  // when `keep` is set. False, and an empty set of no slots, when the memory
  // cannot be had.
  bool Resize(uint32_t size, bool keep);
  void Free();

  uint32_t Size() const { return size_; }
  uint32_t Count() const { return count_; }
  bool Has(uint32_t slot) const { return (words_[slot >> 6] >> (slot & 63)) & 1; }
  // The slot must lie below Size().
  void Put(uint32_t slot, bool member);
  // Members below slot (slot at most Size()).
  uint32_t CountBelow(uint32_t slot) const;
  // The member with n members below it; -1 when there are not that many.
  int64_t Nth(uint32_t n) const;
  // The first member at or after slot, the last one before it; -1 for none.
  int64_t NextFrom(uint32_t slot) const;
  int64_t LastBefore(uint32_t slot) const;

  // For filling the set a word at a time: bits 0 to 63 of word k are slots
  // 64k to 64k + 63, and no bit at or past Size() may be set. Recount then
  // makes the counts agree.
  uint64_t* Words() { return words_; }
  void Recount();

 private:
  static constexpr uint32_t kWordsPerBlock = 8;  // 512 slots
  uint32_t Words(uint32_t size) const { return (size + 63) / 64; }
  void AddToBlock(uint32_t block, int32_t delta);

  uint64_t* words_;
  uint32_t* tree_;  // Fenwick tree over the blocks' counts, from index 1
  uint32_t size_;
  uint32_t blocks_;
  uint32_t count_;
};

}  // namespace store
