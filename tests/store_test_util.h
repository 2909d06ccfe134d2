// Helpers shared by the store tests: scratch folders, databases made the way
// New makes them, and raw access to the bytes of a file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/database_file.h"

namespace testutil {

// A fresh folder removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string Path(const std::string& name) const;

 private:
  std::string dir_;
};

// A zero-initialised DatabaseFile of the test's own, closed at the end.
struct Db {
  Db();
  ~Db();
  DatabaseFile* operator->() { return db.get(); }
  DatabaseFile& operator*() { return *db; }
  std::unique_ptr<DatabaseFile> db;
};

// Creates a database with fields of these type codes exactly as New does
// (Create, WriteFieldType, LayoutFields, Close) and leaves it closed.
bool CreateDatabase(DatabaseFile& db, const std::string& path, const std::vector<uint32_t>& types);
// Creates, opens for writing and allocates the first record.
bool CreateAndOpen(DatabaseFile& db, const std::string& path, const std::vector<uint32_t>& types);
bool OpenDatabase(DatabaseFile& db, const std::string& path, bool writable = true);

// Writes a database of exactly slotCount slots, the file ending right after
// the last one: the directory as New lays it out, the given RecStat words (0
// for the slots after them) and, when fill is given, the field bytes it puts
// into each slot.
using SlotFiller = std::function<void(uint32_t slot, uint8_t* fields, uint32_t size)>;
bool WriteDatabase(const std::string& path, const std::vector<uint32_t>& types, uint32_t slotCount,
                   const std::vector<uint32_t>& statuses, const SlotFiller& fill = {});
// The whole file as the store sees it through its mapping.
std::vector<uint8_t> ViewBytes(const DatabaseFile& db);

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset);
void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

// Field values through the store's current-value members.
void SetText(DatabaseFile& db, int32_t slot, uint32_t field, const std::string& text);
std::string GetText(DatabaseFile& db, int32_t slot, uint32_t field);
void SetNumber(DatabaseFile& db, int32_t slot, uint32_t field, uint32_t value);
uint32_t GetNumber(DatabaseFile& db, int32_t slot, uint32_t field);

// Lays out RecStat words slot by slot (the rest of each slot untouched),
// growing the file first when more slots are asked for than it has.
void SetStatuses(DatabaseFile& db, const std::vector<uint32_t>& statuses);
std::vector<uint32_t> Statuses(DatabaseFile& db);

}  // namespace testutil
