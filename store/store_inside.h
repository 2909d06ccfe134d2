// A look inside the store for the tests and the fuzzers, which check the
// store's own bookkeeping against the file. The program never includes this.
#pragma once

#include <cstddef>
#include <cstdint>

#include "store/database_file.h"

struct StoreInside {
  // The RecStat word of a slot below slotCount, unchecked.
  static uint32_t RecStatAt(const DatabaseFile& db, uint32_t slot) { return db.RecStatAt(slot); }
  // The bytes of a slot below slotCount, unchecked.
  static const uint8_t* SlotAt(const DatabaseFile& db, uint32_t slot) { return db.SlotAt(slot); }
  // The size of the mapped file.
  static uint64_t MappedSize(const DatabaseFile& db) { return db.mapping.size; }
};

namespace store {
// The bytes of collation key a sort holds for one group of records whose
// first key bytes agree (16 MB); the tests make it small to reach both ways
// of telling a group apart.
extern size_t sortGroupKeyBytes;
}  // namespace store
