// The one open database: a .vdr file mapped whole into memory, and every
// operation on its records. Values pass in and out through numberValue and
// textValue.
//
// File layout: a 1444-byte header ("DATA1000", long name, counts), a field
// directory of 8 bytes per field (type code, absolute offset of the field in
// slot 0), then slotCount record slots of recordSize bytes, each a RecStat
// word followed by the fields packed in directory order.
//
// Conventions: slots count from 0, fields and record numbers from 1. An
// operation that yields a slot, a record number or a type code returns -1
// for nothing found or failure; the others return 1 for success, 0 for
// failure. Nothing here shows a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "store/field_type.h"
#include "store/slot_bits.h"
#include "store/store_journal.h"

namespace store {

constexpr uint32_t kHeaderSize = 1444;
constexpr uint32_t kLongNameOffset = 8;
constexpr uint32_t kLongNameSize = 300;
constexpr uint32_t kTemplateVersionOffset = 608;
// The file name of the template a database was made from, zero-terminated,
// in a header area other readers leave alone; zeros when unknown.
constexpr uint32_t kTemplateNameOffset = 752;
constexpr uint32_t kTemplateNameSize = 600;
constexpr uint32_t kFieldCountOffset = 1356;
constexpr uint32_t kSlotCountOffset = 1360;
constexpr uint32_t kFieldDefSize = 8;
constexpr uint32_t kNewSlotCount = 10;
constexpr uint32_t kNewAppendedSlots = 15;
constexpr uint32_t kCreationPadding = 5000;
// Files with more fields are not databases this program made or can show.
constexpr uint32_t kMaxFieldCount = 4096;
constexpr int32_t kCompactBudget = 500000;
constexpr size_t kTextValueSize = 5000;
constexpr size_t kSearchTextSize = 31;
constexpr size_t kPathSize = 600;

}  // namespace store

struct DatabaseFile {
  char path[store::kPathSize];
  uint8_t* view;  // null while no database is open
  platform::FileHandle fileHandle;
  void* mappingHandle;
  uint32_t fieldCount;
  uint32_t slotCount;
  uint32_t activeCount;
  uint32_t directoryOffset;
  uint32_t recordAreaOffset;
  uint32_t recordSize;
  uint32_t numberValue;
  char textValue[store::kTextValueSize];
  char searchText[store::kSearchTextSize];
  uint32_t openOk;
  uint32_t writable;
  // 1: the store's own loops keep activeCount as it is until they recount.
  uint32_t holdRecount;
  // Told of every change before it is made, when set (core/history.h sets
  // it); null when nobody listens.
  StoreJournal* journal;

  // Opening, creating and closing.
  // Opens `path` (at most 599 characters) for reading, or reading and
  // writing, and validates it; 0 when it cannot be opened or is no database.
  int OpenFile(const char* path, bool forWriting);
  int Open();  // the same for the path and writable already set
  void Close();
  // The open database moves to a byte-for-byte copy of its file at `copy`,
  // opened for writing: counts and slots stay as they are, nothing is read
  // again. 0 when the copy cannot be opened or mapped, or is not the same
  // size; the database is then as it was.
  int SwitchToCopy(const char* copy);
  // The same with the copy already open for writing and mapped: the file
  // and its mapping become the database's (0, and both closed, when the
  // sizes differ).
  int AdoptCopy(const char* copy, platform::FileHandle file, const platform::Mapping& mapped);
  // Writes the changed pages of the mapped file to the disk, a part at a
  // time: at most `length` bytes from *position on, and *position moves past
  // them. True when the end of the file has been reached; the file's buffers
  // are then written through as well.
  bool FlushStep(uint64_t* position, uint64_t length);
  // Makes a database at `path` (replacing any file there) the way New makes
  // one: a field of each type code, one active empty record, the long name
  // (cut to 299 characters) and the template's version; leaves it open for
  // writing. 0 when any step fails; what was written is then removed.
  int CreateWithFields(const char* path, const uint32_t* typeCodes, uint32_t count,
                       const char* longName, uint32_t templateVersion);
  // Its first part: the file with its fields and its first empty slots, no
  // record and no name, left closed.
  int CreateEmpty(const char* path, const uint32_t* typeCodes, uint32_t count);
  // The steps CreateEmpty takes: Create writes the header of fieldCount
  // fields, WriteFieldType fills the directory, LayoutFields places the
  // fields and appends the first empty slots. The file is not mapped yet.
  int Create();
  int WriteFieldType(uint32_t field, uint32_t typeCode);
  int LayoutFields();
  int AppendEmptySlots(uint32_t count);

  // The header.
  int SetLongName(const char* text);
  int ReadLongName();  // into textValue
  int SetTemplateVersion(uint32_t version);
  // The template's file name, zero-padded; 0 when it does not fit with its
  // terminator.
  int SetTemplateName(const char* name);
  // The template's file name into name: 1 when the area holds a non-empty
  // text that ends inside it and fits name, else 0 and name empty.
  int ReadTemplateName(char* name, size_t nameSize) const;

  // Fields and record statuses.
  uint32_t CountActive();
  uint32_t CountInUse();
  int64_t GetRecStat(int32_t slot) const;
  int SetRecStat(int32_t slot, uint32_t value);
  // A field's value into numberValue or textValue; its type code, or -1.
  int32_t ReadField(int32_t slot, uint32_t field);
  // numberValue or textValue into a field (texts cut to the field's width
  // less one); its type code, or -1.
  int32_t WriteField(int32_t slot, uint32_t field);
  int CopySlot(int32_t source, int32_t target);
  int ClearFields(int32_t slot);
  int32_t FindRecStat(uint32_t value, int32_t start);
  // A field's directory entry: its type code and the file offset of the
  // field in slot 0. False when there is no such field.
  bool ReadFieldDef(uint32_t field, uint32_t* typeCode, uint32_t* offset) const;
  // The type code of a field; a 64-byte text for a field that does not exist.
  uint32_t FieldTypeOf(uint32_t field) const;
  // Where the bytes of a field lie, and its type, for code that reads values
  // in place. Null when the slot or field does not exist.
  const uint8_t* FieldBytes(int32_t slot, uint32_t field, uint32_t* typeCode) const;
  // A field as the program shows it, read in place: numbers as unsigned
  // decimal (written into digits), texts as stored up to the field's width
  // less one. Sets *text and returns its length; 0 and "" when the slot or
  // the field does not exist.
  size_t DisplayText(int32_t slot, uint32_t field, char (&digits)[12], const char** text) const;

  // Allocation, resizing and compaction.
  int32_t AllocateSlot();
  int32_t AddRecord();
  // Makes room at once for count AddRecord calls in a row, which then take
  // the same slots and leave the same file as without it, only without
  // growing the file one step at a time. The room they did not use is cut
  // off again when the database is closed. 0 when the file could not grow;
  // it is then as it was.
  int ReserveForAdds(uint32_t count);
  // A copy of the active record in sourceSlot in a newly allocated slot; the
  // new slot, or -1.
  int32_t DuplicateRecord(int32_t sourceSlot);
  int ResizeIfNeeded();
  int OpenStream();
  // Compaction within kCompactBudget moves; what is left of the budget, 0
  // when it ran out before every in-use record stood at the front.
  int32_t Compact();
  // The same with a budget of any size.
  int64_t CompactWithin(int64_t budget);

  // What taking a change back and making it again needs beyond the
  // operations above; none of them is told to the journal.
  // A slot's bytes, its status word first (recordSize of them); null when
  // there is no such slot.
  const uint8_t* SlotBytes(int32_t slot) const;
  // Bytes into a slot, past its status word.
  int PutSlotBytes(int32_t slot, uint32_t offset, const uint8_t* bytes, uint32_t length);
  // The record area made `slots` slots long. Fewer slots keep the file's
  // room, as room made for adds is kept; more take that room first and
  // otherwise grow the file with empty slots. 0 when the file could not
  // grow; it is then as it was.
  int ResizeRecordArea(uint32_t slots);
  // Slots first .. first + order.size() - 1 put in a new order: slot
  // first + i gets the record in slot first + order[i]. The order is used
  // up. False, and nothing moved, when there is no memory for one record.
  bool PermuteSlots(uint32_t first, std::vector<uint32_t>* order);

  // Navigation and search.
  int32_t NextActive(int32_t slot);
  int32_t PreviousActive(int32_t slot);
  int32_t RecordNumberOf(int32_t slot);
  int32_t SlotOfRecordNumber(uint32_t recordNumber);
  // searchText := text, cut to 30 characters.
  void SetSearchText(const char* text);
  int32_t SearchNext(int32_t slot);
  int32_t SearchFromStart();
  int32_t SearchPrevious(int32_t slot);
  int32_t RecordMatches(int32_t slot);
  // The slots, in increasing order, of the active records that match a text
  // of any length by the same rule as the search (appended to slots); the
  // current-value members are left alone.
  void MatchingSlots(const char* text, size_t length, std::vector<uint32_t>* slots) const;

  // Sorting.
  int SortByField(uint32_t field);

 private:
  friend struct StoreInside;

  // Kept alongside the members above so that no operation walks every slot:
  // true counts of the slots at or above 10 and exactly 10, whatever
  // holdRecount says; the active slots, which give record numbers; and the
  // slots whose RecStat is 0 or 5, the lowest of which a new record takes.
  // Every change of a RecStat word passes through NoteRecStatChange, which
  // keeps them current; only opening a file counts them from its slots.
  platform::Mapping mapping;
  uint32_t liveActive;
  uint32_t liveInUse;
  store::SlotBits activeSlots;
  store::SlotBits reusableSlots;
  // Set while a resize closes the file and maps it again: the counts and
  // sets stay, and the new mapping's slots past them are added.
  bool reopening;
  // From this file offset on, whatever lies past the counted slots is zeros
  // the store appended (the file's end when it was counted): the RecStat
  // words of slots added there need not be read.
  uint64_t zerosFrom;
  bool resizeFailed;
  // Slots the file holds beyond slotCount, zeros made by ReserveForAdds for
  // the growth to come: up to here slotCount grows without a new mapping.
  uint32_t reservedSlots;
  // Some field of the directory lies over the RecStat words, so writing it
  // can change statuses behind the counts' back.
  bool fieldsOverStatus;

  // Unchecked access for the store's own loops: the slot must be below
  // slotCount and a database must be mapped.
  uint32_t RecStatAt(uint32_t slot) const;
  void PutRecStat(uint32_t slot, uint32_t value);
  uint8_t* SlotAt(uint32_t slot) const;
  void NoteRecStatChange(uint32_t slot, uint32_t before, uint32_t after);
  // Counts every slot's RecStat into the counts and sets; false when the
  // sets' memory cannot be had.
  bool RecountLive();
  // The counts and sets follow slotCount: slots past them are added as the
  // file holds them, and slots cut off are counted out. False as above.
  bool IndexSlotCount();
  void FreeIndex();
  // The store appends zeros at this offset, the file's end.
  void NoteZerosFrom(uint64_t end) { zerosFrom = end < zerosFrom ? end : zerosFrom; }
  // What a search looks for: the text, and the number it is when it is a
  // whole number (only then are number fields compared).
  struct SearchFor {
    const char* text = "";
    size_t length = 0;
    bool numberGiven = false;
    uint32_t number = 0;
  };
  static SearchFor Looking(const char* text, size_t length);
  bool MatchesText(const uint8_t* bytes, uint32_t width, const SearchFor& find) const;
  // The last number field and the last text field a search looked at.
  struct FieldsRead {
    uint32_t numberSlot = 0, numberField = 0;
    uint32_t textSlot = 0, textField = 0;
  };
  bool ScanRecord(uint32_t slot, const SearchFor& find, FieldsRead* read) const;
  void LoadFieldsRead(const FieldsRead& read);
  bool Grow();
  void Shrink();
  // Maps the file again after a resize closed it; no database is open when
  // that fails.
  void Reopen();
  // The database's file and mapping are now these, of a copy of its file,
  // opened for writing; the old mapping is gone already, the old file goes.
  void TakeCopy(const char* copy, platform::FileHandle file, const platform::Mapping& mapped);
  // The journal, unless a compaction or a sort is telling its changes as a
  // whole.
  StoreJournal* Listener() const { return journalQuiet ? nullptr : journal; }
  bool journalQuiet;
};

extern DatabaseFile databaseFile;

// Whether the program's database is open.
inline bool DatabaseOpen() { return databaseFile.view != nullptr; }

// Sets every member to its closed state; the program starts with this.
void ResetDatabaseFile(DatabaseFile* db);
