// Sorting the records by one field, ascending and stable: text fields in the
// locale's order, number fields by their unsigned value.
//
// The compaction runs to its end first, so the in-use records stand in one
// run from slot 0. The result is that of a stable adjacent-swap sort of that
// run. Each record gets a 24-byte entry; the entries are sorted by plain byte
// comparison of collation keys, which the platform makes in parts, each
// continuing the last. Records whose keys agree as far as they were made form
// a group (at first the whole run), which is told apart by the next parts of
// their keys: in a group of many records 11 more bytes each, held in the
// entries, past any bytes a sample of the group all begin with; in a smaller
// one as many bytes each as fit sortGroupKeyBytes (16 MB), in an arena that
// holds the keys of that one group only. A group whose texts are equal byte
// for byte needs no keys at all. So nothing collates text on a comparison,
// however long the common prefixes or however many the equal keys. The extra
// memory is 25 bytes a record (24 more for the records without the bytes a
// sample had in common, a few where the sample is fair) and the arena. The
// records are then moved into place along the cycles of the permutation,
// each once.
#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "store/database_file.h"
#include "store/text.h"

using namespace store;

namespace store {
// The bytes of key one group may hold (store_inside.h lets tests change it).
extern size_t sortGroupKeyBytes;
size_t sortGroupKeyBytes = size_t{16} << 20;
}  // namespace store

namespace {

constexpr size_t kPartSize = 11;
// A group takes parts of keys from the arena when each of its records can
// have this many bytes there (at most kLongestPart); with fewer, 11 bytes at
// a time in the entries, whose sorting is the faster.
constexpr size_t kArenaPart = 48;
constexpr size_t kLongestPart = 1024;
// The most bytes a group's records may all begin with and be skipped at once.
constexpr size_t kSampleBytes = 64;
// Below this many records a second thread making keys costs more than it
// saves.
constexpr uint32_t kParallelParts = 1u << 14;

struct SortEntry {
  // The part of the key last made, zero after its end, then how many bytes
  // of it the key has (fewer than kPartSize: it ends there). In a group
  // sorted from the arena: the first 8 bytes of the record's arena row, then
  // the row's number.
  uint8_t part[kPartSize + 1];
  uint32_t index;  // the record's place in the run before the sort
  platform::CollationKeyState next;  // where the key's next part begins
};
static_assert(sizeof(SortEntry) == 24, "24 bytes per record");

// The part as two numbers that compare as its bytes do.
uint64_t High(const SortEntry& e) {
  uint64_t v;
  std::memcpy(&v, e.part, 8);
  return __builtin_bswap64(v);
}
uint32_t Low(const SortEntry& e) {
  uint32_t v;
  std::memcpy(&v, e.part + 8, 4);
  return __builtin_bswap32(v);
}

// Key order of two entries whose keys agree before their parts (a key that
// ends first goes first); equal keys keep the order of the run.
bool PartLess(const SortEntry& x, const SortEntry& y) {
  const uint64_t hx = High(x), hy = High(y);
  if (hx != hy) return hx < hy;
  const uint32_t lx = Low(x), ly = Low(y);
  if (lx != ly) return lx < ly;
  return x.index < y.index;
}

bool SamePart(const SortEntry& x, const SortEntry& y) {
  return std::memcmp(x.part, y.part, sizeof x.part) == 0;
}

uint8_t Used(const SortEntry& e) { return e.part[kPartSize]; }

// A number's key: its unsigned value, most significant byte first.
void NumberPart(uint32_t value, SortEntry* e) {
  std::memset(e->part, 0, sizeof e->part);
  for (int i = 0; i < 4; ++i) e->part[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  e->part[kPartSize] = 4;
}

// Entries [begin, end) whose keys agree as far as they were made, none of
// them ending there.
struct Group {
  uint32_t begin, end;
};

class RunSorter {
 public:
  RunSorter(const DatabaseFile& db, uint32_t field, uint32_t runStart, std::vector<SortEntry>* entries)
      : db_(db), field_(field), runStart_(runStart), entries_(*entries) {}

  // Puts the entries in key order; false when a collation key could not be
  // made.
  bool Sort() {
    const uint32_t n = static_cast<uint32_t>(entries_.size());
    for (uint32_t i = 0; i < n; ++i) {
      entries_[i].index = i;
      entries_[i].next = platform::CollationKeyState();
    }
    uint32_t code = 0;
    db_.FieldBytes(static_cast<int32_t>(runStart_), field_, &code);
    if (IsNumberType(code)) {
      // A number's key is whole in its part.
      for (SortEntry& e : entries_)
        NumberPart(DecodeNumber(db_.FieldBytes(static_cast<int32_t>(runStart_ + e.index), field_, &code), code), &e);
      std::sort(entries_.begin(), entries_.end(), PartLess);
      return true;
    }
    // Most keys differ in their first bytes: the first parts are short.
    const Group run = {0, n};
    if (AllTextsEqual(run)) return true;
    if (!RefineInEntries(run)) return false;
    while (!groups_.empty()) {
      const Group g = groups_.back();
      groups_.pop_back();
      if (AllTextsEqual(g)) continue;
      const size_t m = g.end - g.begin;
      const bool ok = sortGroupKeyBytes / m < kArenaPart ? RefineInEntries(g) : RefineInArena(g);
      if (!ok) return false;
    }
    return true;
  }

 private:
  // The key text of an entry's record, in place.
  const char* TextOf(const SortEntry& e, size_t* length) {
    uint32_t code = 0;
    const char* text =
        reinterpret_cast<const char*>(db_.FieldBytes(static_cast<int32_t>(runStart_ + e.index), field_, &code));
    *length = strnlen(text, FieldTypeWidth(code) - 1);
    return text;
  }

  // Equal bytes make equal keys, and a group is in run order among equal
  // keys already.
  bool AllTextsEqual(const Group& g) {
    size_t firstLength;
    const char* first = TextOf(entries_[g.begin], &firstLength);
    for (uint32_t i = g.begin + 1; i < g.end; ++i) {
      size_t length;
      const char* text = TextOf(entries_[i], &length);
      if (length != firstLength || std::memcmp(text, first, length) != 0) return false;
    }
    return true;
  }

  // Runs make(i) for every i in [begin, end); a large range in two halves at
  // once, since making keys is most of a sort's work. False when any failed.
  template <typename Make>
  static bool ForEach(uint32_t begin, uint32_t end, const Make& make) {
    auto range = [&make](uint32_t from, uint32_t to) {
      for (uint32_t i = from; i < to; ++i)
        if (!make(i)) return false;
      return true;
    };
    if (end - begin >= kParallelParts && std::thread::hardware_concurrency() > 1) {
      const uint32_t half = begin + (end - begin) / 2;
      bool high = false;
      try {
        std::thread other([&] { high = range(half, end); });
        const bool low = range(begin, half);
        other.join();
        return low && high;
      } catch (const std::system_error&) {
        // No thread to be had: one range after the other.
      }
    }
    return range(begin, end);
  }

  // The bytes that the next parts of the keys of a few records spread over
  // the group all begin with, into common; how many.
  size_t SampleCommonBytes(const Group& g, uint8_t* common) {
    constexpr uint32_t kSample = 16;
    const uint32_t m = g.end - g.begin;
    const uint32_t count = std::min(m, kSample);
    uint8_t bytes[kSampleBytes];
    long agreed = 0;
    for (uint32_t k = 0; k < count; ++k) {
      const SortEntry& e = entries_[g.begin + static_cast<uint64_t>(k) * m / count];
      size_t length;
      const char* text = TextOf(e, &length);
      platform::CollationKeyState state = e.next;
      const long got = platform::CollationKeyPart(text, length, &state, k == 0 ? common : bytes, kSampleBytes);
      if (got < 0) return 0;
      if (k == 0) {
        agreed = got;
        continue;
      }
      long same = 0;
      while (same < agreed && same < got && bytes[same] == common[same]) ++same;
      agreed = same;
    }
    return static_cast<size_t>(agreed);
  }

  // Each record's next 11 key bytes into its entry. Bytes that a sample of
  // the group all begin with (a common prefix) would tell nothing: records
  // whose keys begin with them too take the 11 bytes after them, and the few
  // others, which sort before or after them all, the 11 bytes from where the
  // group stood.
  bool RefineInEntries(const Group& g) {
    uint8_t common[kSampleBytes];
    const size_t skip = SampleCommonBytes(g, common);
    const uint32_t m = g.end - g.begin;
    if (classes_.size() < m) classes_.resize(m);
    const bool made = ForEach(g.begin, g.end, [&](uint32_t i) {
      SortEntry& e = entries_[i];
      size_t length;
      const char* text = TextOf(e, &length);
      const platform::CollationKeyState before = e.next;
      uint8_t bytes[kSampleBytes + kPartSize];
      long got = platform::CollationKeyPart(text, length, &e.next, bytes, skip + kPartSize);
      if (got < 0) return false;
      int order = 0;  // of the key against the common bytes
      for (size_t k = 0; k < skip && order == 0; ++k)
        order = k >= static_cast<size_t>(got) ? -1 : bytes[k] < common[k] ? -1 : bytes[k] > common[k] ? 1 : 0;
      classes_[i - g.begin] = static_cast<uint8_t>(order + 1);
      std::memset(e.part, 0, kPartSize);
      if (order == 0) {
        got -= static_cast<long>(skip);
        std::memcpy(e.part, bytes + skip, static_cast<size_t>(got));
      } else {
        e.next = before;
        got = platform::CollationKeyPart(text, length, &e.next, e.part, kPartSize);
      }
      e.part[kPartSize] = static_cast<uint8_t>(got);
      return got >= 0;
    });
    if (!made) return false;
    // Those before the common bytes, those with them, those after them.
    uint32_t bounds[4] = {g.begin, g.end, g.end, g.end};
    if (skip > 0) {
      std::vector<SortEntry> before, after;
      uint32_t w = g.begin;
      for (uint32_t i = g.begin; i < g.end; ++i) {
        const uint8_t c = classes_[i - g.begin];
        if (c == 1) entries_[w++] = entries_[i];
        else (c == 0 ? before : after).push_back(entries_[i]);
      }
      std::move_backward(entries_.begin() + g.begin, entries_.begin() + w, entries_.begin() + w + before.size());
      std::copy(before.begin(), before.end(), entries_.begin() + g.begin);
      std::copy(after.begin(), after.end(), entries_.begin() + w + before.size());
      bounds[1] = g.begin + static_cast<uint32_t>(before.size());
      bounds[2] = static_cast<uint32_t>(w + before.size());
    }
    for (int k = 0; k < 3; ++k) {
      const uint32_t begin = bounds[k], end = bounds[k + 1];
      // A range whose parts all agree is in order already.
      if (!std::is_sorted(entries_.begin() + begin, entries_.begin() + end, PartLess))
        std::sort(entries_.begin() + begin, entries_.begin() + end, PartLess);
      for (uint32_t i = begin; i < end;) {
        uint32_t j = i + 1;
        while (j < end && SamePart(entries_[i], entries_[j])) ++j;
        if (j - i > 1 && Used(entries_[i]) == kPartSize) groups_.push_back({i, j});
        i = j;
      }
    }
    return true;
  }

  bool RefineInArena(const Group& g) {
    const uint32_t m = g.end - g.begin;
    const size_t width = std::min(sortGroupKeyBytes / m, kLongestPart);
    // Grown, never shrunk: growing zeroes the new bytes.
    if (arena_.size() < size_t{m} * width) arena_.resize(size_t{m} * width);
    if (lengths_.size() < m) lengths_.resize(m);
    const bool made = ForEach(0, m, [&](uint32_t row) {
      SortEntry& e = entries_[g.begin + row];
      size_t length;
      const char* text = TextOf(e, &length);
      const long got = platform::CollationKeyPart(text, length, &e.next, &arena_[size_t{row} * width], width);
      lengths_[row] = static_cast<uint32_t>(got);
      return got >= 0;
    });
    if (!made) return false;
    // The rows may all begin alike; comparisons start after that, with the
    // next bytes kept in the entries, where most of them end.
    size_t common = lengths_[0];
    for (uint32_t row = 1; row < m && common > 0; ++row) {
      const uint8_t* a = &arena_[0];
      const uint8_t* b = &arena_[size_t{row} * width];
      size_t k = 0;
      const size_t limit = std::min<size_t>(common, lengths_[row]);
      while (k < limit && a[k] == b[k]) ++k;
      common = k;
    }
    for (uint32_t row = 0; row < m; ++row) {
      SortEntry& e = entries_[g.begin + row];
      std::memset(e.part, 0, 8);
      std::memcpy(e.part, &arena_[size_t{row} * width + common], std::min<size_t>(8, lengths_[row] - common));
      std::memcpy(e.part + 8, &row, sizeof row);
    }
    auto rowOf = [](const SortEntry& e) {
      uint32_t row;
      std::memcpy(&row, e.part + 8, sizeof row);
      return row;
    };
    auto compare = [&](const SortEntry& x, const SortEntry& y) {
      const uint64_t hx = High(x), hy = High(y);
      if (hx != hy) return hx < hy ? -1 : 1;
      const uint32_t rx = rowOf(x), ry = rowOf(y);
      const uint32_t lx = lengths_[rx], ly = lengths_[ry];
      const int c = std::memcmp(&arena_[size_t{rx} * width + common], &arena_[size_t{ry} * width + common],
                                std::min(lx, ly) - common);
      if (c != 0) return c;
      return lx == ly ? 0 : lx < ly ? -1 : 1;
    };
    std::sort(entries_.begin() + g.begin, entries_.begin() + g.end,
              [&](const SortEntry& x, const SortEntry& y) {
                const int c = compare(x, y);
                return c != 0 ? c < 0 : x.index < y.index;
              });
    for (uint32_t i = g.begin; i < g.end;) {
      uint32_t j = i + 1;
      while (j < g.end && compare(entries_[i], entries_[j]) == 0) ++j;
      if (j - i > 1 && lengths_[rowOf(entries_[i])] == width) groups_.push_back({i, j});
      i = j;
    }
    return true;
  }

  const DatabaseFile& db_;
  uint32_t field_;
  uint32_t runStart_;
  std::vector<SortEntry>& entries_;
  std::vector<Group> groups_;
  std::vector<uint8_t> arena_;
  std::vector<uint32_t> lengths_;
  std::vector<uint8_t> classes_;
};

}  // namespace

int DatabaseFile::SortByField(uint32_t field) {
  if (view == nullptr || !writable || slotCount <= 2 || field == 0 || field > fieldCount ||
      activeCount == 0)
    return 0;
  // A sort leaves every record in order, so its compaction runs to the end.
  CompactWithin(INT64_MAX);
  const uint32_t savedHold = holdRecount;
  holdRecount = 1;

  std::vector<SortEntry> entries;
  uint32_t s = 0;
  while (s < slotCount) {
    if (!IsInUse(RecStatAt(s))) {
      ++s;
      continue;
    }
    const uint32_t runStart = s;
    while (s < slotCount && IsInUse(RecStatAt(s))) ++s;
    const uint32_t runLength = s - runStart;
    if (runLength < 2) continue;

    entries.resize(runLength);
    RunSorter sorter(*this, field, runStart, &entries);
    if (!sorter.Sort()) {
      // No collation keys: the texts are compared themselves.
      static char bufferA[kTextValueSize + 16], bufferB[kTextValueSize + 16];
      auto key = [&](uint32_t slot, char* buffer) {
        uint32_t code = 0;
        const char* text = reinterpret_cast<const char*>(FieldBytes(static_cast<int32_t>(slot), field, &code));
        const size_t length = strnlen(text, FieldTypeWidth(code) - 1);
        std::memcpy(buffer, text, length);
        buffer[length] = 0;
        return buffer;
      };
      for (uint32_t i = 0; i < runLength; ++i) entries[i].index = i;
      std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry& x, const SortEntry& y) {
        return platform::CompareText(key(runStart + y.index, bufferA), key(runStart + x.index, bufferB)) > 0;
      });
    }

    std::vector<uint32_t> order(runLength);
    for (uint32_t i = 0; i < runLength; ++i) order[i] = entries[i].index;
    std::vector<SortEntry>().swap(entries);
    StoreJournal* listener = Listener();
    if (listener) listener->Permuting(runStart, order.data(), runLength);
    if (!PermuteSlots(runStart, &order)) {
      // No room for the one record the moves need: nothing moved.
      if (listener) listener->ChangeFailed();
      holdRecount = savedHold;
      return 0;
    }
  }
  holdRecount = savedHold;
  return 1;
}

bool DatabaseFile::PermuteSlots(uint32_t first, std::vector<uint32_t>* order) {
  std::vector<uint32_t>& from = *order;
  const uint32_t count = static_cast<uint32_t>(from.size());
  if (view == nullptr || !writable || first > slotCount || count > slotCount - first) return false;
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[recordSize]);
  if (!scratch) return false;
  // Position i receives the record now at from[i]. Follow each cycle with
  // the scratch record, marking filled positions with ~0u. The records may
  // be in use without being active: each move tells the counts what it put
  // where.
  auto move = [&](uint32_t to, const uint8_t* record) {
    uint32_t stat;
    std::memcpy(&stat, record, 4);
    NoteRecStatChange(first + to, RecStatAt(first + to), stat);
    std::memcpy(SlotAt(first + to), record, recordSize);
  };
  for (uint32_t i = 0; i < count; ++i) {
    if (from[i] == ~0u || from[i] == i) continue;
    std::memcpy(scratch.get(), SlotAt(first + i), recordSize);
    uint32_t at = i;
    for (;;) {
      const uint32_t source = from[at];
      from[at] = ~0u;
      if (source == i) {
        move(at, scratch.get());
        break;
      }
      // The walk jumps about the file: fetch the next step's record ahead.
      const uint32_t after = from[source];
      __builtin_prefetch(&from[after]);
      __builtin_prefetch(SlotAt(first + after));
      __builtin_prefetch(SlotAt(first + after) + 64);
      move(at, SlotAt(first + source));
      at = source;
    }
  }
  return true;
}
