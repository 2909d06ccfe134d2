// Large benchmark tables, made fast: the file a database grows into after
// many AddRecord calls, written in one pass instead, and the same rows as
// CSV for other programs to load.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "store/field_type.h"

namespace bench {

// The table: three text fields and a number. Each text field is a kind of
// sort key: a holds random words (few repeat), b values that all begin with
// the same 14 characters ("Department of " and words), c one of 5,000
// distinct words, each repeated over the table (as a city or a category).
constexpr uint32_t kTableTypes[] = {kText16, kText64, kText16, kNumber32};
constexpr uint32_t kTableFieldCount = 4;
constexpr uint32_t kRepeatedWords = 5000;
constexpr char kCommonPrefix[] = "Department of ";

// One row. The words use no z, q, x or j, so a search for "zzqxj" finds
// nothing in any text field.
struct Row {
  char a[16];
  char b[64];
  char c[16];
  uint32_t n;
};

// The same rows for the same seed, on every platform.
class RowSource {
 public:
  explicit RowSource(uint64_t seed);
  void Next(Row* row);

 private:
  // A plain stream of words, without the repeated ones.
  RowSource(uint64_t seed, int) : state_(seed) {}
  uint64_t Random();
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Random() % bound); }
  // Appends one word of 2 to 4 syllables at text[*length], within size.
  void Word(char* text, size_t size, size_t* length);

  uint64_t state_;
  std::vector<std::string> repeated_;  // kRepeatedWords distinct words
};

// The slot count a database of this many records has after growing by
// AddRecord: the records and about a sixteenth more, at least 10 free.
uint32_t GrownSlotCount(uint32_t records);

// Writes a database of `records` active records in slots 0 onward (free
// slots after them) to path, and, when csv is not null, the same rows as
// CSV lines "a,b,c,n" (no header; no field needs quoting). False on a write
// failure.
bool WriteTable(const std::string& path, uint32_t records, uint64_t seed, std::FILE* csv);

// Writes a database of `records` active records with the fields of the
// database at `like` (its directory as it is), whose active records it takes
// over and over, in slots 0 onward. False when `like` has no active record
// or a read or write failed.
bool WriteTableLike(const std::string& path, uint32_t records, const std::string& like);

}  // namespace bench
