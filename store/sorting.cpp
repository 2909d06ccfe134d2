// Sorting the records by one field, ascending, in the locale's order.
//
// The result is that of a stable adjacent-swap sort after compaction: every
// run of adjacent in-use slots is put in key order on its own, records with
// equal keys keep their order, and free slots stay where they are. Keys are
// read in place; where the platform has collation keys, a short prefix of
// each is computed once, so most comparisons are a memcmp. The records are
// then moved into place along the cycles of the permutation, each once.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "store/database_file.h"
#include "store/text.h"

using namespace store;

namespace {

constexpr size_t kPrefixSize = 11;

struct SortEntry {
  uint8_t prefix[kPrefixSize];
  uint8_t complete;  // the prefix is the whole key
  uint32_t slot;
};
static_assert(sizeof(SortEntry) == 16, "16 bytes per record");

// The key of one record: the field's text, or a number as signed decimal.
class KeyReader {
 public:
  KeyReader(const DatabaseFile& db, uint32_t field) : db_(db), field_(field) {}

  // Points at a zero-terminated key; buffer holds the key when it cannot be
  // used in place.
  const char* Key(uint32_t slot, char* buffer, size_t bufferSize, size_t* length) const {
    uint32_t code = 0;
    const uint8_t* bytes = db_.FieldBytes(static_cast<int32_t>(slot), field_, &code);
    if (IsNumberType(code)) {
      NumberToSignedText(DecodeNumber(bytes, code), buffer, bufferSize);
      *length = std::strlen(buffer);
      return buffer;
    }
    const uint32_t limit = FieldTypeWidth(code) - 1;
    const char* text = reinterpret_cast<const char*>(bytes);
    *length = strnlen(text, limit);
    if (*length < limit) return text;  // terminated inside the field
    std::memcpy(buffer, text, *length);
    buffer[*length] = 0;
    return buffer;
  }

 private:
  const DatabaseFile& db_;
  uint32_t field_;
};

}  // namespace

int DatabaseFile::SortByField(uint32_t field) {
  if (view == nullptr || !writable || slotCount <= 2 || field == 0 || field > fieldCount ||
      activeCount == 0)
    return 0;
  Compact();
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[recordSize]());
  if (!scratch) return 0;
  const uint32_t savedHold = holdRecount;
  holdRecount = 1;

  KeyReader keys(*this, field);
  std::vector<SortEntry> entries;
  std::vector<uint32_t> order;
  static char bufferA[kTextValueSize + 16], bufferB[kTextValueSize + 16];

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

    // Key order, stable: b goes before a only when a sorts after b.
    auto after = [&](uint32_t a, uint32_t b) {
      size_t la, lb;
      const char* ka = keys.Key(a, bufferA, sizeof bufferA, &la);
      const char* kb = keys.Key(b, bufferB, sizeof bufferB, &lb);
      return platform::CompareText(ka, kb) > 0;
    };
    entries.resize(runLength);
    bool haveKeys = true;
    for (uint32_t i = 0; i < runLength && haveKeys; ++i) {
      SortEntry& e = entries[i];
      e.slot = runStart + i;
      size_t length;
      const char* key = keys.Key(e.slot, bufferA, sizeof bufferA, &length);
      bool complete = false;
      haveKeys = platform::CollationKeyPrefix(key, length, e.prefix, kPrefixSize, &complete);
      e.complete = complete;
    }
    order.resize(runLength);
    if (haveKeys) {
      std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry& x, const SortEntry& y) {
        int c = std::memcmp(x.prefix, y.prefix, kPrefixSize);
        if (c != 0) return c < 0;
        if (x.complete && y.complete) return false;
        return after(y.slot, x.slot);
      });
      for (uint32_t i = 0; i < runLength; ++i) order[i] = entries[i].slot;
    } else {
      for (uint32_t i = 0; i < runLength; ++i) order[i] = runStart + i;
      std::stable_sort(order.begin(), order.end(),
                       [&](uint32_t x, uint32_t y) { return after(y, x); });
    }
    std::vector<SortEntry>().swap(entries);

    // Position runStart + i receives the record now in order[i]. Follow each
    // cycle with the scratch record, marking filled positions with ~0u.
    for (uint32_t i = 0; i < runLength; ++i) {
      if (order[i] == ~0u || order[i] == runStart + i) continue;
      std::memcpy(scratch.get(), SlotAt(runStart + i), recordSize);
      uint32_t at = i;
      for (;;) {
        const uint32_t from = order[at];
        order[at] = ~0u;
        if (from == runStart + i) {
          std::memcpy(SlotAt(runStart + at), scratch.get(), recordSize);
          break;
        }
        std::memcpy(SlotAt(runStart + at), SlotAt(from), recordSize);
        at = from - runStart;
      }
    }
  }
  holdRecount = savedHold;
  return 1;
}
