// Large benchmark tables, made fast: the file a database grows into after
// many AddRecord calls, written in one pass instead, and the same rows as
// CSV for other programs to load.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "store/field_type.h"

namespace bench {

// The table: three text fields and a number.
constexpr uint32_t kTableTypes[] = {kText16, kText64, kText16, kNumber32};
constexpr uint32_t kTableFieldCount = 4;

// One row of random words. The words use no z, q, x or j, so a search for
// "zzqxj" finds nothing in any text field.
struct Row {
  char a[16];
  char b[64];
  char c[16];
  uint32_t n;
};

// The same rows for the same seed, on every platform.
class RowSource {
 public:
  explicit RowSource(uint64_t seed) : state_(seed) {}
  void Next(Row* row);

 private:
  uint64_t Random();
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Random() % bound); }
  // Appends one word of 2 to 4 syllables at text[*length], within size.
  void Word(char* text, size_t size, size_t* length);

  uint64_t state_;
};

// The slot count a database of this many records has after growing by
// AddRecord: the records and about a sixteenth more, at least 10 free.
uint32_t GrownSlotCount(uint32_t records);

// Writes a database of `records` active records in slots 0 onward (free
// slots after them) to path, and, when csv is not null, the same rows as
// CSV lines "a,b,c,n" (no header; no field needs quoting). False on a write
// failure.
bool WriteTable(const std::string& path, uint32_t records, uint64_t seed, std::FILE* csv);

}  // namespace bench
