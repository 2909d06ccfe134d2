// Opening, validating and creating database files, and reading and writing
// their headers, RecStat words and field values in the mapped view.
#include "store/database_file.h"

#include <cstring>
#include <system_error>
#include <thread>

#include "store/text.h"

using namespace store;

DatabaseFile databaseFile;

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the file's words are read in place as host integers");

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void StoreU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

bool WriteWord(platform::FileHandle file, uint32_t value) {
  return platform::WriteExact(file, &value, 4);
}

bool WriteZeros(platform::FileHandle file, uint64_t count) {
  static const uint8_t zeros[65536] = {};
  while (count > 0) {
    size_t chunk = count > sizeof zeros ? sizeof zeros : static_cast<size_t>(count);
    if (!platform::WriteExact(file, zeros, chunk)) return false;
    count -= chunk;
  }
  return true;
}

}  // namespace

void ResetDatabaseFile(DatabaseFile* db) {
  db->Close();
  std::memset(static_cast<void*>(db), 0, sizeof *db);
}

uint8_t* DatabaseFile::SlotAt(uint32_t slot) const {
  return view + recordAreaOffset + static_cast<size_t>(slot) * recordSize;
}

uint32_t DatabaseFile::RecStatAt(uint32_t slot) const { return LoadU32(SlotAt(slot)); }

void DatabaseFile::NoteRecStatChange(uint32_t slot, uint32_t before, uint32_t after) {
  liveActive += (after == kRecActive) - (before == kRecActive);
  liveInUse += IsInUse(after) - IsInUse(before);
  activeSlots.Put(slot, after == kRecActive);
  reusableSlots.Put(slot, IsReusable(after));
}

void DatabaseFile::PutRecStat(uint32_t slot, uint32_t value) {
  uint8_t* p = SlotAt(slot);
  const uint32_t before = LoadU32(p);
  if (StoreJournal* listener = Listener()) listener->StatusChanging(slot, before, value, p);
  NoteRecStatChange(slot, before, value);
  StoreU32(p, value);
}

namespace {

struct StatusCounts {
  uint32_t active = 0;
  uint32_t inUse = 0;
};

// Counts the slots [from, to) and sets their bits in the two sets' words;
// from is a multiple of 64, so that no word is shared with another range.
StatusCounts CountStatuses(const uint8_t* first, uint32_t recordSize, uint32_t from, uint32_t to,
                           uint64_t* activeWords, uint64_t* reusableWords) {
  StatusCounts counts;
  const uint8_t* p = first + static_cast<size_t>(from) * recordSize;
  for (uint32_t word = from; word < to; word += 64) {
    uint64_t active = 0, reusable = 0;
    const uint32_t end = to - word < 64 ? to : word + 64;
    for (uint32_t s = word; s < end; ++s, p += recordSize) {
      // The status words are a record apart: fetch ahead of the walk.
      __builtin_prefetch(p + 24 * static_cast<size_t>(recordSize));
      const uint32_t stat = LoadU32(p);
      active |= uint64_t{stat == kRecActive} << (s - word);
      reusable |= uint64_t{IsReusable(stat)} << (s - word);
      counts.inUse += IsInUse(stat);
    }
    counts.active += static_cast<uint32_t>(__builtin_popcountll(active));
    activeWords[word / 64] = active;
    reusableWords[word / 64] = reusable;
  }
  return counts;
}

// Below this many slots a second thread costs more than it saves.
constexpr uint32_t kParallelRecountSlots = 1u << 18;

}  // namespace

bool DatabaseFile::RecountLive() {
  if (!activeSlots.Resize(slotCount, false) || !reusableSlots.Resize(slotCount, false)) {
    FreeIndex();
    return false;
  }
  const uint8_t* first = view + recordAreaOffset;
  uint64_t* activeWords = activeSlots.Words();
  uint64_t* reusableWords = reusableSlots.Words();
  StatusCounts low, high;
  const uint32_t half = slotCount / 2 / 64 * 64;
  bool split = false;
  if (slotCount >= kParallelRecountSlots && std::thread::hardware_concurrency() > 1) {
    // A large file is counted in two halves at once: the walk is bound by
    // memory and page faults, which one core alone does not saturate.
    try {
      std::thread other(
          [&] { high = CountStatuses(first, recordSize, half, slotCount, activeWords, reusableWords); });
      low = CountStatuses(first, recordSize, 0, half, activeWords, reusableWords);
      other.join();
      split = true;
    } catch (const std::system_error&) {
      split = false;  // no thread to be had: count alone
    }
  }
  if (!split) {
    low = CountStatuses(first, recordSize, 0, slotCount, activeWords, reusableWords);
    high = StatusCounts();
  }
  liveActive = low.active + high.active;
  liveInUse = low.inUse + high.inUse;
  activeSlots.Recount();
  reusableSlots.Recount();
  zerosFrom = mapping.size;
  return true;
}

bool DatabaseFile::IndexSlotCount() {
  const uint32_t indexed = activeSlots.Size();
  // Slots are cut off only behind a compaction, which walked them all.
  if (slotCount < indexed) return RecountLive();
  if (slotCount == indexed) return true;
  if (!activeSlots.Resize(slotCount, true) || !reusableSlots.Resize(slotCount, true)) {
    FreeIndex();
    return false;
  }
  // Each new slot is counted as a change from a status that counts nowhere:
  // not active, not in use, not free for reuse. Where the store appended
  // zeros the RecStat is 0 unread (reading it would fault in every page of
  // the new room), unless fields lie over RecStat words and their writes
  // may have reached there.
  constexpr uint32_t kUncounted = 4;
  for (uint32_t s = indexed; s < slotCount; ++s) {
    const bool zero = !fieldsOverStatus && recordAreaOffset + uint64_t{s} * recordSize >= zerosFrom;
    NoteRecStatChange(s, kUncounted, zero ? uint32_t{kRecEmpty} : RecStatAt(s));
  }
  return true;
}

void DatabaseFile::FreeIndex() {
  activeSlots.Free();
  reusableSlots.Free();
}

int DatabaseFile::OpenFile(const char* file, bool forWriting) {
  Close();
  if (TextLength(file) >= sizeof path) return 0;
  CopyText(file, path, sizeof path);
  writable = forWriting ? 1 : 0;
  return Open();
}

int DatabaseFile::Open() {
  if (fileHandle != platform::kNoFile || view != nullptr) {
    uint32_t keep = writable;
    Close();
    writable = keep;
  }
  view = nullptr;
  mappingHandle = nullptr;
  fileHandle = platform::kNoFile;
  openOk = 1;

  fileHandle = platform::OpenExisting(path, writable != 0);
  if (fileHandle == platform::kNoFile) {
    openOk = 0;
    return 0;
  }
  auto fail = [this] {
    openOk = 0;
    platform::Unmap(&mapping);
    platform::CloseFile(fileHandle);
    view = nullptr;
    mappingHandle = nullptr;
    fileHandle = platform::kNoFile;
    return 0;
  };
  if (!platform::MapWholeFile(fileHandle, writable != 0, &mapping)) return fail();
  view = mapping.view;
  mappingHandle = mapping.handle;

  const uint64_t size = mapping.size;
  if (size < kHeaderSize) return fail();
  if (std::memcmp(view, "DATA", 4) != 0) return fail();
  if (std::memcmp(view + 4, "1000", 4) != 0) return fail();
  const uint32_t n = LoadU32(view + kFieldCountOffset);
  const uint32_t s = LoadU32(view + kSlotCountOffset);
  if (n > kMaxFieldCount || s > 0x7FFFFFFFu) return fail();
  const uint64_t areaOffset = kHeaderSize + uint64_t{kFieldDefSize} * n;
  if (areaOffset > size) return fail();
  uint64_t r = 4;
  for (uint32_t i = 0; i < n; ++i) r += FieldTypeWidth(LoadU32(view + kHeaderSize + 8 * i));
  if (areaOffset + uint64_t{s} * r > size) return fail();
  // Every field of every slot must lie inside the file, wherever the
  // directory says the field starts.
  if (s > 0) {
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* def = view + kHeaderSize + 8 * i;
      uint64_t end = uint64_t{LoadU32(def + 4)} + uint64_t{s - 1} * r + FieldTypeWidth(LoadU32(def));
      if (end > size) return fail();
    }
  }
  fieldCount = n;
  slotCount = s;
  directoryOffset = kHeaderSize;
  recordSize = static_cast<uint32_t>(r);
  recordAreaOffset = static_cast<uint32_t>(areaOffset);
  fieldsOverStatus = false;
  const int64_t slotSize = static_cast<int64_t>(r);
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t* def = view + kHeaderSize + 8 * i;
    // Where the field starts within a slot, whatever slot it is in.
    int64_t within = (int64_t{LoadU32(def + 4)} - static_cast<int64_t>(areaOffset)) % slotSize;
    if (within < 0) within += slotSize;
    if (within < 4 || within + FieldTypeWidth(LoadU32(def)) > slotSize) fieldsOverStatus = true;
  }
  // A resize maps the file it changed: the slots it kept are known.
  const bool indexed = reopening && activeSlots.Size() > 0 ? IndexSlotCount() : RecountLive();
  if (!indexed) return fail();
  CountActive();
  return 1;
}

int DatabaseFile::SwitchToCopy(const char* copy) {
  if (view == nullptr || TextLength(copy) >= sizeof path) return 0;
  platform::FileHandle file = platform::OpenExisting(copy, true);
  if (file == platform::kNoFile) return 0;
  uint64_t size = 0;
  if (!platform::GetSize(file, &size) || size != mapping.size) {
    platform::CloseFile(file);
    return 0;
  }
  // One mapping at a time, so that a large file fits a 32-bit process: the
  // old one goes first, and comes back if the new one cannot be made.
  platform::Unmap(&mapping);
  platform::Mapping moved;
  if (!platform::MapWholeFile(file, true, &moved)) {
    platform::CloseFile(file);
    if (!platform::MapWholeFile(fileHandle, writable != 0, &mapping)) {
      Close();
      return 0;
    }
    view = mapping.view;
    mappingHandle = mapping.handle;
    return 0;
  }
  TakeCopy(copy, file, moved);
  return 1;
}

int DatabaseFile::AdoptCopy(const char* copy, platform::FileHandle file, const platform::Mapping& mapped) {
  platform::Mapping adopted = mapped;
  if (view == nullptr || TextLength(copy) >= sizeof path || adopted.size != mapping.size) {
    platform::Unmap(&adopted);
    platform::CloseFile(file);
    return 0;
  }
  platform::Unmap(&mapping);
  TakeCopy(copy, file, adopted);
  return 1;
}

void DatabaseFile::TakeCopy(const char* copy, platform::FileHandle file, const platform::Mapping& mapped) {
  platform::CloseFile(fileHandle);
  mapping = mapped;
  view = mapping.view;
  mappingHandle = mapping.handle;
  fileHandle = file;
  CopyText(copy, path, sizeof path);
  writable = 1;
}

void DatabaseFile::Close() {
  // Room reserved for adds that did not come is given back.
  const bool trim = reservedSlots > slotCount && mapping.view != nullptr && writable;
  const uint64_t trimmedSize = trim ? mapping.size - uint64_t{reservedSlots - slotCount} * recordSize : 0;
  if (mapping.view != nullptr || mapping.handle != nullptr) platform::Unmap(&mapping);
  if (trim) platform::Truncate(fileHandle, trimmedSize);
  reservedSlots = 0;
  if (fileHandle != platform::kNoFile) platform::CloseFile(fileHandle);
  if (!reopening) FreeIndex();
  view = nullptr;
  mappingHandle = nullptr;
  fileHandle = platform::kNoFile;
  writable = 0;
}

bool DatabaseFile::FlushStep(uint64_t* position, uint64_t length) {
  if (view == nullptr) return true;
  if (*position < mapping.size) {
    platform::FlushMappedRange(mapping, *position, length);
    *position += length;
    if (*position < mapping.size) return false;
  }
  platform::FlushFile(fileHandle);
  return true;
}

int DatabaseFile::Create() {
  if (view != nullptr || fileHandle != platform::kNoFile) Close();
  if (fieldCount > kMaxFieldCount) return 0;
  fileHandle = platform::CreateAlways(path);
  if (fileHandle == platform::kNoFile) return 0;
  writable = 1;
  slotCount = kNewSlotCount;
  platform::FileHandle f = fileHandle;
  bool ok = platform::WriteExact(f, "DATA1000", 8) && WriteZeros(f, 600) && WriteWord(f, 1) &&
            WriteZeros(f, 64) && WriteWord(f, 0) && WriteZeros(f, 64) && WriteWord(f, 0) &&
            WriteWord(f, 0) && WriteZeros(f, 600) && WriteWord(f, 2) && WriteWord(f, fieldCount) &&
            WriteWord(f, slotCount) && WriteWord(f, 2) && WriteZeros(f, 64) && WriteWord(f, 0) &&
            WriteWord(f, 0) && WriteWord(f, 0) && WriteZeros(f, kCreationPadding);
  if (!ok) {
    Close();
    platform::DeleteFileAt(path);
    return 0;
  }
  directoryOffset = kHeaderSize;
  recordAreaOffset = kHeaderSize + kFieldDefSize * fieldCount;
  return 1;
}

int DatabaseFile::CreateEmpty(const char* file, const uint32_t* typeCodes, uint32_t count) {
  Close();
  if (TextLength(file) >= sizeof path || count > kMaxFieldCount) return 0;
  CopyText(file, path, sizeof path);
  fieldCount = count;
  writable = 1;
  if (!Create()) return 0;
  bool ok = true;
  for (uint32_t i = 0; i < count && ok; ++i) ok = WriteFieldType(i + 1, typeCodes[i]) == 1;
  ok = ok && LayoutFields() == 1;
  Close();
  if (!ok) platform::DeleteFileAt(file);
  return ok ? 1 : 0;
}

int DatabaseFile::CreateWithFields(const char* file, const uint32_t* typeCodes, uint32_t count,
                                   const char* longName, uint32_t templateVersion) {
  if (!CreateEmpty(file, typeCodes, count)) return 0;
  // The name as the New dialog takes it: at most 299 characters.
  char name[kLongNameSize];
  CopyText(longName, name, sizeof name);
  writable = 1;
  if (Open() == 1 && AllocateSlot() >= 0 && SetLongName(name) == 1 &&
      SetTemplateVersion(templateVersion) == 1)
    return 1;
  Close();
  platform::DeleteFileAt(file);
  return 0;
}

int DatabaseFile::WriteFieldType(uint32_t field, uint32_t typeCode) {
  if (field == 0 || fileHandle == platform::kNoFile || view != nullptr) return 0;
  uint32_t entry[2] = {typeCode, 0};
  if (!platform::Seek(fileHandle, directoryOffset + uint64_t{kFieldDefSize} * (field - 1))) return 0;
  return platform::WriteExact(fileHandle, entry, sizeof entry) ? 1 : 0;
}

int DatabaseFile::LayoutFields() {
  if (fileHandle == platform::kNoFile || view != nullptr) return 0;
  uint64_t size = 4;
  uint64_t offset = recordAreaOffset + uint64_t{4};
  if (!platform::Seek(fileHandle, directoryOffset)) return 0;
  for (uint32_t i = 0; i < fieldCount; ++i) {
    uint32_t code = 0;
    if (!platform::ReadExact(fileHandle, &code, 4)) return 0;
    // The read leaves the position on the entry's offset word.
    if (!WriteWord(fileHandle, static_cast<uint32_t>(offset))) return 0;
    size += FieldTypeWidth(code);
    offset += FieldTypeWidth(code);
  }
  recordSize = static_cast<uint32_t>(size);
  return AppendEmptySlots(kNewAppendedSlots);
}

int DatabaseFile::AppendEmptySlots(uint32_t count) {
  if (fileHandle == platform::kNoFile || view != nullptr) return 0;
  return WriteZeros(fileHandle, uint64_t{count} * recordSize) ? 1 : 0;
}

int DatabaseFile::SetLongName(const char* text) {
  if (view == nullptr || !writable) return 0;
  // Exactly 300 bytes from a 300-byte title buffer; a shorter text is padded
  // with zeros rather than followed by whatever lies behind it.
  uint8_t name[kLongNameSize] = {};
  const size_t n = FitText(text, strnlen(text, kLongNameSize + 1), kLongNameSize);
  std::memcpy(name, text, n);
  StoreJournal* listener = Listener();
  if (listener) listener->LongNameChanging(view + kLongNameOffset);
  std::memcpy(view + kLongNameOffset, name, kLongNameSize);
  if (listener) listener->LongNameChanged(view + kLongNameOffset);
  return 1;
}

int DatabaseFile::ReadLongName() {
  if (view == nullptr) return 0;
  CopyBytes(reinterpret_cast<const char*>(view + kLongNameOffset), textValue, sizeof textValue,
            kLongNameSize);
  return 1;
}

int DatabaseFile::SetTemplateVersion(uint32_t version) {
  if (view == nullptr || !writable) return 0;
  StoreU32(view + kTemplateVersionOffset, version);
  return 1;
}

int DatabaseFile::SetTemplateName(const char* name) {
  if (view == nullptr || !writable) return 0;
  const size_t n = strnlen(name, kTemplateNameSize);
  if (n >= kTemplateNameSize) return 0;
  std::memset(view + kTemplateNameOffset, 0, kTemplateNameSize);
  std::memcpy(view + kTemplateNameOffset, name, n);
  return 1;
}

int DatabaseFile::ReadTemplateName(char* name, size_t nameSize) const {
  if (nameSize == 0) return 0;
  name[0] = 0;
  if (view == nullptr) return 0;
  const char* area = reinterpret_cast<const char*>(view + kTemplateNameOffset);
  const size_t n = strnlen(area, kTemplateNameSize);
  if (n == 0 || n == kTemplateNameSize || n >= nameSize) return 0;
  CopyBytes(area, name, nameSize, n);
  return 1;
}

uint32_t DatabaseFile::CountActive() {
  activeCount = view == nullptr ? 0 : liveActive;
  return activeCount;
}

uint32_t DatabaseFile::CountInUse() { return view == nullptr ? 0 : liveInUse; }

int64_t DatabaseFile::GetRecStat(int32_t slot) const {
  if (view == nullptr || activeCount == 0 || slot < 0 || static_cast<uint32_t>(slot) >= slotCount)
    return -1;
  return RecStatAt(static_cast<uint32_t>(slot));
}

int DatabaseFile::SetRecStat(int32_t slot, uint32_t value) {
  if (view == nullptr || !writable || slot < 0 || static_cast<uint32_t>(slot) >= slotCount) return 0;
  PutRecStat(static_cast<uint32_t>(slot), value);
  if (!holdRecount) CountActive();
  return 1;
}

bool DatabaseFile::ReadFieldDef(uint32_t field, uint32_t* typeCode, uint32_t* offset) const {
  if (view == nullptr || field == 0 || field > fieldCount) return false;
  const uint8_t* def = view + directoryOffset + kFieldDefSize * (field - 1);
  *typeCode = LoadU32(def);
  *offset = LoadU32(def + 4);
  return true;
}

uint32_t DatabaseFile::FieldTypeOf(uint32_t field) const {
  uint32_t code = kTextUndefined, offset = 0;
  ReadFieldDef(field, &code, &offset);
  return code;
}

const uint8_t* DatabaseFile::FieldBytes(int32_t slot, uint32_t field, uint32_t* typeCode) const {
  uint32_t offset = 0;
  if (slot < 0 || static_cast<uint32_t>(slot) >= slotCount || !ReadFieldDef(field, typeCode, &offset))
    return nullptr;
  return view + offset + static_cast<size_t>(slot) * recordSize;
}

size_t DatabaseFile::DisplayText(int32_t slot, uint32_t field, char (&digits)[12],
                                 const char** text) const {
  uint32_t code = 0;
  const uint8_t* bytes = FieldBytes(slot, field, &code);
  if (bytes == nullptr) {
    *text = "";
    return 0;
  }
  if (IsNumberType(code)) {
    NumberToUnsignedText(DecodeNumber(bytes, code), digits, sizeof digits);
    *text = digits;
    return TextLength(digits);
  }
  *text = reinterpret_cast<const char*>(bytes);
  return strnlen(*text, FieldTypeWidth(code) - 1);
}

int32_t DatabaseFile::ReadField(int32_t slot, uint32_t field) {
  if (activeCount == 0) return -1;
  uint32_t code = 0;
  const uint8_t* bytes = FieldBytes(slot, field, &code);
  if (bytes == nullptr) return -1;
  if (IsNumberType(code)) {
    numberValue = DecodeNumber(bytes, code);
  } else {
    uint32_t width = FieldTypeWidth(code);
    std::memcpy(textValue, bytes, width - 1);
    textValue[width - 1] = 0;
  }
  return code < kFieldTypeCount ? static_cast<int32_t>(code) : static_cast<int32_t>(kTextUndefined);
}

int32_t DatabaseFile::WriteField(int32_t slot, uint32_t field) {
  if (activeCount == 0 || !writable) return -1;
  uint32_t code = 0;
  uint8_t* bytes = const_cast<uint8_t*>(FieldBytes(slot, field, &code));
  // A directory may place a field anywhere inside the file; writing one that
  // lies over the header or the directory would rewrite the layout itself.
  if (bytes == nullptr || bytes < view + recordAreaOffset) return -1;
  const uint32_t width = FieldTypeWidth(code);
  const uint32_t offset = static_cast<uint32_t>(bytes - SlotAt(static_cast<uint32_t>(slot)));
  StoreJournal* listener = Listener();
  if (listener) {
    // A field laid over a status word or into the next slot is no change
    // of one slot's fields.
    if (fieldsOverStatus) listener->ChangeFailed();
    else listener->BytesChanging(static_cast<uint32_t>(slot), offset, width, bytes);
  }
  if (IsNumberType(code)) {
    if (code == kNumber8) {
      bytes[0] = static_cast<uint8_t>(numberValue);
    } else if (code == kNumber16) {
      bytes[0] = static_cast<uint8_t>(numberValue);
      bytes[1] = static_cast<uint8_t>(numberValue >> 8);
    } else {
      StoreU32(bytes, numberValue);
    }
  } else {
    // The text, cut to the field's width less one, and zeros after it.
    const size_t n = FitText(textValue, strnlen(textValue, width), width - 1);
    std::memcpy(bytes, textValue, n);
    std::memset(bytes + n, 0, width - n);
    textValue[0] = 0;
  }
  if (listener && !fieldsOverStatus) listener->BytesChanged(static_cast<uint32_t>(slot), offset, width, bytes);
  if (fieldsOverStatus) RecountLive();  // the same slots: needs no new memory
  return code < kFieldTypeCount ? static_cast<int32_t>(code) : static_cast<int32_t>(kTextUndefined);
}

int DatabaseFile::CopySlot(int32_t source, int32_t target) {
  if (view == nullptr || !writable || source < 0 || target < 0 ||
      static_cast<uint32_t>(source) >= slotCount || static_cast<uint32_t>(target) >= slotCount)
    return 0;
  if (source == target) return 1;
  uint8_t* to = SlotAt(static_cast<uint32_t>(target));
  if (StoreJournal* listener = Listener())
    listener->SlotCopying(static_cast<uint32_t>(source), static_cast<uint32_t>(target), to);
  NoteRecStatChange(static_cast<uint32_t>(target), LoadU32(to),
                    RecStatAt(static_cast<uint32_t>(source)));
  std::memcpy(to, SlotAt(static_cast<uint32_t>(source)), recordSize);
  return 1;
}

int DatabaseFile::ClearFields(int32_t slot) {
  if (view == nullptr || !writable || slot < 0 || static_cast<uint32_t>(slot) >= slotCount) return 0;
  uint8_t* fields = SlotAt(static_cast<uint32_t>(slot)) + 4;
  StoreJournal* listener = Listener();
  if (listener) listener->BytesChanging(static_cast<uint32_t>(slot), 4, recordSize - 4, fields);
  std::memset(fields, 0, recordSize - 4);
  if (listener) listener->BytesChanged(static_cast<uint32_t>(slot), 4, recordSize - 4, fields);
  return 1;
}

const uint8_t* DatabaseFile::SlotBytes(int32_t slot) const {
  if (view == nullptr || slot < 0 || static_cast<uint32_t>(slot) >= slotCount) return nullptr;
  return SlotAt(static_cast<uint32_t>(slot));
}

int DatabaseFile::PutSlotBytes(int32_t slot, uint32_t offset, const uint8_t* bytes, uint32_t length) {
  if (view == nullptr || !writable || slot < 0 || static_cast<uint32_t>(slot) >= slotCount || offset < 4 ||
      offset > recordSize || length > recordSize - offset)
    return 0;
  std::memcpy(SlotAt(static_cast<uint32_t>(slot)) + offset, bytes, length);
  return 1;
}

int32_t DatabaseFile::FindRecStat(uint32_t value, int32_t start) {
  if (view == nullptr || activeCount == 0) return -1;
  if (value == kRecActive)
    return static_cast<int32_t>(activeSlots.NextFrom(start < 0 ? 0 : static_cast<uint32_t>(start)));
  for (uint32_t s = start < 0 ? 0 : static_cast<uint32_t>(start); s < slotCount; ++s)
    if (RecStatAt(s) == value) return static_cast<int32_t>(s);
  return -1;
}
