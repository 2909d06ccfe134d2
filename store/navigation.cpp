// Stepping through the active records, record numbers, goto and search.
#include <cstring>

#include "store/database_file.h"
#include "store/text.h"

using namespace store;

int32_t DatabaseFile::NextActive(int32_t slot) {
  if (view == nullptr || activeCount == 0) return slot;
  if (int64_t{slot} + 1 >= slotCount) return slot;
  const int64_t next = activeSlots.NextFrom(slot < 0 ? 0 : static_cast<uint32_t>(slot) + 1);
  return next < 0 ? slot : static_cast<int32_t>(next);
}

int32_t DatabaseFile::PreviousActive(int32_t slot) {
  if (view == nullptr || activeCount == 0 || slot <= 0) return slot;
  const int64_t previous = activeSlots.LastBefore(static_cast<uint32_t>(slot));
  return previous < 0 ? slot : static_cast<int32_t>(previous);
}

// A record number is the count of active slots up to the record's own; the
// set of active slots counts them without a walk.
int32_t DatabaseFile::RecordNumberOf(int32_t slot) {
  if (view == nullptr || activeCount == 0 || slot < 0 || static_cast<uint32_t>(slot) >= slotCount)
    return -1;
  if (!activeSlots.Has(static_cast<uint32_t>(slot))) return -1;
  return static_cast<int32_t>(activeSlots.CountBelow(static_cast<uint32_t>(slot))) + 1;
}

int32_t DatabaseFile::SlotOfRecordNumber(uint32_t recordNumber) {
  if (view == nullptr || activeCount == 0 || recordNumber == 0 || recordNumber > activeCount)
    return -1;
  return static_cast<int32_t>(activeSlots.Nth(recordNumber - 1));
}

// The text scan: the text looked for anywhere in the field's text. ASCII
// letters match without regard to case; every other byte matches only itself.
bool DatabaseFile::MatchesText(const uint8_t* bytes, uint32_t width, const SearchFor& find) const {
  const uint8_t* search = reinterpret_cast<const uint8_t*>(find.text);
  const size_t length = find.length;
  if (length == 0) return true;
  // A text field holds at most width - 1 bytes; the text ends at its zero.
  const size_t end = strnlen(reinterpret_cast<const char*>(bytes), width - 1);
  auto same = [](uint8_t text, uint8_t wanted) {
    if (text == wanted) return true;
    if (text >= 'a' && text <= 'z') return text - 32 == wanted;
    if (text >= 'A' && text <= 'Z') return text + 32 == wanted;
    return false;
  };
  // Only the first search character, or its other case when it is an ASCII
  // letter, can start a match: jump from one of them to the next.
  const uint8_t first = search[0];
  uint8_t other = first;
  if (first >= 'a' && first <= 'z') other = static_cast<uint8_t>(first - 32);
  else if (first >= 'A' && first <= 'Z') other = static_cast<uint8_t>(first + 32);
  for (size_t v = 0; v + length <= end;) {
    const void* a = std::memchr(bytes + v, first, end - v);
    const void* b = other == first ? nullptr : std::memchr(bytes + v, other, end - v);
    if (a == nullptr && b == nullptr) return false;
    const uint8_t* at = static_cast<const uint8_t*>(a == nullptr ? b : b == nullptr ? a : a < b ? a : b);
    const size_t start = static_cast<size_t>(at - bytes);
    if (start + length > end) return false;
    size_t t = 1;
    while (t < length && same(bytes[start + t], search[t])) ++t;
    if (t == length) return true;
    // A failed partial match: go on from the character after its start.
    v = start + 1;
  }
  return false;
}

// Looks at the fields of a slot from the last to the first and stops at the
// first that matches. Reading the fields in that order would leave the last
// number field and the last text field looked at in numberValue and
// textValue; *read notes which they were.
DatabaseFile::SearchFor DatabaseFile::Looking(const char* text, size_t length) {
  SearchFor find;
  find.text = text;
  find.length = length;
  find.numberGiven = ParseWholeNumber(text, length, 0xFFFFFFFFu, &find.number);
  return find;
}

bool DatabaseFile::ScanRecord(uint32_t slot, const SearchFor& find, FieldsRead* read) const {
  bool matched = false;
  for (uint32_t field = fieldCount; field >= 1 && !matched; --field) {
    uint32_t code = 0;
    const uint8_t* bytes = FieldBytes(static_cast<int32_t>(slot), field, &code);
    if (IsNumberType(code)) {
      matched = find.numberGiven && DecodeNumber(bytes, code) == find.number;
      read->numberSlot = slot;
      read->numberField = field;
    } else {
      matched = MatchesText(bytes, FieldTypeWidth(code), find);
      read->textSlot = slot;
      read->textField = field;
    }
  }
  return matched;
}

// The values are looked at in place; at the end numberValue and textValue
// get what reading every field looked at in turn would have left in them.
void DatabaseFile::LoadFieldsRead(const FieldsRead& read) {
  if (read.numberField > 0) ReadField(static_cast<int32_t>(read.numberSlot), read.numberField);
  if (read.textField > 0) ReadField(static_cast<int32_t>(read.textSlot), read.textField);
}

int32_t DatabaseFile::RecordMatches(int32_t slot) {
  if (view == nullptr || activeCount == 0 || slot < 0 || static_cast<uint32_t>(slot) >= slotCount)
    return -1;
  FieldsRead read;
  bool matched = ScanRecord(static_cast<uint32_t>(slot), Looking(searchText, strnlen(searchText, sizeof searchText)), &read);
  LoadFieldsRead(read);
  return matched ? slot : -1;
}

void DatabaseFile::SetSearchText(const char* text) { CopyText(text, searchText, sizeof searchText); }

int32_t DatabaseFile::SearchFromStart() { return SearchNext(-1); }

int32_t DatabaseFile::SearchNext(int32_t slot) {
  if (view == nullptr || activeCount == 0) return -1;
  const SearchFor find = Looking(searchText, strnlen(searchText, sizeof searchText));
  FieldsRead read;
  for (int64_t s = slot < 0 ? 0 : int64_t{slot} + 1; s < slotCount; ++s) {
    if (RecStatAt(static_cast<uint32_t>(s)) != kRecActive) continue;
    if (ScanRecord(static_cast<uint32_t>(s), find, &read)) {
      LoadFieldsRead(read);
      return static_cast<int32_t>(s);
    }
  }
  LoadFieldsRead(read);
  return -1;
}

int32_t DatabaseFile::SearchPrevious(int32_t slot) {
  if (view == nullptr || activeCount == 0 || slot <= 0) return -1;
  const SearchFor find = Looking(searchText, strnlen(searchText, sizeof searchText));
  FieldsRead read;
  int64_t s = int64_t{slot} - 1;
  if (s >= slotCount) s = int64_t{slotCount} - 1;
  for (; s >= 0; --s) {
    if (RecStatAt(static_cast<uint32_t>(s)) != kRecActive) continue;
    if (ScanRecord(static_cast<uint32_t>(s), find, &read)) {
      LoadFieldsRead(read);
      return static_cast<int32_t>(s);
    }
  }
  LoadFieldsRead(read);
  return -1;
}

void DatabaseFile::MatchingSlots(const char* text, size_t length, std::vector<uint32_t>* slots) const {
  if (view == nullptr || activeCount == 0) return;
  const SearchFor find = Looking(text, length);
  FieldsRead read;
  for (uint32_t s = 0; s < slotCount; ++s)
    if (RecStatAt(s) == kRecActive && ScanRecord(s, find, &read)) slots->push_back(s);
}
