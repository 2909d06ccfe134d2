// The slot sets behind record numbers and the choice of a free slot.
#include "store/slot_bits.h"

#include <cstdlib>
#include <cstring>

namespace store {

bool SlotBits::Resize(uint32_t size, bool keep) {
  const uint32_t wordCount = Words(size);
  const uint32_t blocks = (wordCount + kWordsPerBlock - 1) / kWordsPerBlock;
  const uint32_t oldWords = keep ? Words(size_) : 0;
  // Whole blocks of words, so that a block's words can be read without
  // looking where the set ends; one more word at least, so that an empty set
  // has memory too.
  const size_t wordBytes = (size_t{blocks} * kWordsPerBlock + 1) * sizeof(uint64_t);
  // The same number of blocks needs no new memory, so that counting a set
  // again cannot fail.
  if (words_ == nullptr || blocks != blocks_) {
    auto* words = static_cast<uint64_t*>(std::realloc(words_, wordBytes));
    auto* tree = words == nullptr ? nullptr : static_cast<uint32_t*>(std::realloc(tree_, (size_t{blocks} + 1) * 4));
    if (words == nullptr || tree == nullptr) {
      words_ = words != nullptr ? words : words_;
      Free();
      return false;
    }
    words_ = words;
    tree_ = tree;
  }
  const uint32_t kept = oldWords < wordCount ? oldWords : wordCount;
  std::memset(words_ + kept, 0, wordBytes - size_t{kept} * sizeof(uint64_t));
  // The last kept word loses the bits past the new end.
  if (kept > 0 && kept == wordCount && (size & 63) != 0) words_[kept - 1] &= (uint64_t{1} << (size & 63)) - 1;
  size_ = size;
  blocks_ = blocks;
  Recount();
  return true;
}

void SlotBits::Free() {
  std::free(words_);
  std::free(tree_);
  words_ = nullptr;
  tree_ = nullptr;
  size_ = blocks_ = count_ = 0;
}

void SlotBits::Recount() {
  count_ = 0;
  std::memset(tree_, 0, (size_t{blocks_} + 1) * 4);
  for (uint32_t b = 0; b < blocks_; ++b) {
    uint32_t n = 0;
    for (uint32_t w = 0; w < kWordsPerBlock; ++w) n += static_cast<uint32_t>(__builtin_popcountll(words_[b * kWordsPerBlock + w]));
    count_ += n;
    // Each node adds itself to its parent once it is complete.
    const uint32_t i = b + 1;
    tree_[i] += n;
    const uint32_t parent = i + (i & (0u - i));
    if (parent <= blocks_) tree_[parent] += tree_[i];
  }
}

void SlotBits::AddToBlock(uint32_t block, int32_t delta) {
  for (uint32_t i = block + 1; i <= blocks_; i += i & (0u - i)) tree_[i] += static_cast<uint32_t>(delta);
  count_ += static_cast<uint32_t>(delta);
}

void SlotBits::Put(uint32_t slot, bool member) {
  uint64_t& word = words_[slot >> 6];
  const uint64_t bit = uint64_t{1} << (slot & 63);
  if (((word & bit) != 0) == member) return;
  word ^= bit;
  AddToBlock(slot / (64 * kWordsPerBlock), member ? 1 : -1);
}

uint32_t SlotBits::CountBelow(uint32_t slot) const {
  const uint32_t block = slot / (64 * kWordsPerBlock);
  uint32_t n = 0;
  for (uint32_t i = block; i > 0; i -= i & (0u - i)) n += tree_[i];
  const uint32_t word = slot >> 6;
  for (uint32_t w = block * kWordsPerBlock; w < word; ++w) n += static_cast<uint32_t>(__builtin_popcountll(words_[w]));
  if ((slot & 63) != 0) n += static_cast<uint32_t>(__builtin_popcountll(words_[word] << (64 - (slot & 63))));
  return n;
}

int64_t SlotBits::Nth(uint32_t n) const {
  if (n >= count_) return -1;
  // Down the tree to the block that holds it, n becoming its place there.
  uint32_t block = 0;
  uint32_t step = 1;
  while (step * 2 <= blocks_) step *= 2;
  for (; step > 0; step /= 2) {
    if (block + step <= blocks_ && tree_[block + step] <= n) {
      block += step;
      n -= tree_[block];
    }
  }
  for (uint32_t w = block * kWordsPerBlock;; ++w) {
    uint64_t word = words_[w];
    const uint32_t here = static_cast<uint32_t>(__builtin_popcountll(word));
    if (n >= here) {
      n -= here;
      continue;
    }
    for (; n > 0; --n) word &= word - 1;
    return int64_t{w} * 64 + __builtin_ctzll(word);
  }
}

int64_t SlotBits::NextFrom(uint32_t slot) const {
  if (slot >= size_) return -1;
  // Most steps find a member in the same word.
  const uint64_t rest = words_[slot >> 6] >> (slot & 63);
  if (rest != 0) return int64_t{slot} + __builtin_ctzll(rest);
  return Nth(CountBelow(slot));
}

int64_t SlotBits::LastBefore(uint32_t slot) const {
  if (slot > size_) slot = size_;
  if (slot == 0) return -1;
  const uint32_t last = slot - 1;
  const uint64_t below = words_[last >> 6] << (63 - (last & 63));
  if (below != 0) return int64_t{last} - __builtin_clzll(below);
  const uint32_t n = CountBelow(slot);
  return n == 0 ? -1 : Nth(n - 1);
}

}  // namespace store
