// libFuzzer target for the record store: any bytes as a database file.
//
// The input is written to a file of this process's own and opened read-only;
// when it opens, every read operation walks it. Then a second copy is opened
// for writing and changed: allocation (with the resizes it brings), copying,
// deleting, compaction and sorting. Besides memory safety (ASan, UBSan), the
// walks check what must hold: the counts and record numbers agree with the
// RecStat words, a new record takes the lowest free slot, values read back
// as written, lookups agree with each other, and, where every field lies
// inside its slot, compaction leaves no free slot before an in-use one,
// sorting leaves every record in order in front of the free slots, and a
// file the store changed still opens; and the history takes all the changes
// back and makes them again exactly. A broken rule aborts.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/history.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "store/database_file.h"
#include "store/store_inside.h"
#include "store/text.h"

namespace fs = std::filesystem;

namespace {

// Walks of every slot stop here; inputs are at most -max_len bytes, so only
// files of 4-byte slots come near it.
constexpr uint32_t kSlotWalkLimit = 1u << 16;
// Slots whose every field is read, and slots stepped through one by one.
constexpr uint32_t kFieldReadSlots = 64;
// Sorting compares records pairwise in the worst case; keep it quick.
constexpr uint32_t kSortSlotLimit = 4096;

class Scratch {
 public:
  Scratch() {
    const char* tmp = std::getenv("TMPDIR");
    fs::path base = tmp != nullptr && *tmp != 0 ? fs::path(tmp)
                    : access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                    : fs::path("/tmp");
    RemoveLeftovers(base);
    dir_ = base / ("vdr-fuzz-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    input_ = (dir_ / "input.vdr").string();
    copy_ = (dir_ / "copy.vdr").string();
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  const std::string& input() const { return input_; }
  const std::string& copy() const { return copy_; }

 private:
  // A crash ends a process without removing its folder; those of processes
  // that are gone are removed here.
  static void RemoveLeftovers(const fs::path& base) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(base, ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("vdr-fuzz-", 0) != 0) continue;
      const long pid = std::strtol(name.c_str() + 9, nullptr, 10);
      if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        fs::remove_all(entry.path(), ec);
    }
  }

  fs::path dir_;
  std::string input_, copy_;
};

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  CHECK(f != nullptr);
  CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
  CHECK(std::fclose(f) == 0);
}

bool OpenAt(DatabaseFile& db, const std::string& path, bool writable) {
  return db.OpenFile(path.c_str(), writable) == 1;
}

uint32_t WalkLimit(const DatabaseFile& db) {
  return db.slotCount < kSlotWalkLimit ? db.slotCount : kSlotWalkLimit;
}

// Whether every field lies inside its slot, after the RecStat word. The
// store takes the directory's offsets as they are, so in other files a field
// can lie over RecStat words or in other slots, and writing it or moving
// records changes what other slots hold; there only memory safety is checked.
bool FieldsInsideSlots(const DatabaseFile& db) {
  for (uint32_t f = 1; f <= db.fieldCount; ++f) {
    uint32_t offset;
    std::memcpy(&offset, db.view + db.directoryOffset + store::kFieldDefSize * (f - 1) + 4, 4);
    const int64_t inSlot = int64_t{offset} - db.recordAreaOffset;
    if (inSlot < 4 || inSlot + FieldTypeWidth(db.FieldTypeOf(f)) > db.recordSize) return false;
  }
  return true;
}

// The counts the store keeps must be those of the RecStat words, and the
// record numbers those of a walk over them.
void CheckCounts(DatabaseFile& db) {
  if (db.view == nullptr || db.slotCount > kSlotWalkLimit) return;
  db.CountActive();
  uint32_t active = 0, inUse = 0;
  for (uint32_t s = 0; s < db.slotCount; ++s) {
    uint32_t stat = StoreInside::RecStatAt(db, s);
    active += stat == kRecActive;
    inUse += IsInUse(stat);
    CHECK(db.RecordNumberOf(static_cast<int32_t>(s)) == (stat == kRecActive ? static_cast<int32_t>(active) : -1));
    if (stat == kRecActive) CHECK(db.SlotOfRecordNumber(active) == static_cast<int32_t>(s));
  }
  CHECK(db.CountActive() == active);
  CHECK(db.CountInUse() == inUse);
}

// A new record takes the lowest slot whose RecStat was 0 or 5.
void CheckLowestFree(DatabaseFile& db, int32_t taken) {
  if (taken < 0 || db.slotCount > kSlotWalkLimit) return;
  for (uint32_t s = 0; s < static_cast<uint32_t>(taken); ++s) CHECK(!IsReusable(StoreInside::RecStatAt(db, s)));
}

// The key SortByField orders by: the text, or the number.
struct SortKey {
  bool isNumber = false;
  uint32_t number = 0;
  std::string text;
};

SortKey KeyOf(DatabaseFile& db, int32_t slot, uint32_t field) {
  int32_t code = db.ReadField(slot, field);
  CHECK(code >= 0);
  SortKey key;
  key.isNumber = IsNumberType(static_cast<uint32_t>(code));
  if (key.isNumber) key.number = db.numberValue;
  else key.text = db.textValue;
  return key;
}

bool SortsAfter(const SortKey& a, const SortKey& b) {
  if (a.isNumber) return a.number > b.number;
  return platform::CompareText(a.text.c_str(), b.text.c_str()) > 0;
}

const char* const kSearchTexts[] = {"a", "aB", "12", "0", "-1", "zzqxj", "\xC4", "{", " "};

void ReadWalk(DatabaseFile& db, const uint8_t* data, size_t size) {
  const uint32_t slots = WalkLimit(db);
  CheckCounts(db);
  db.CountInUse();
  db.ReadLongName();
  CHECK(std::strlen(db.textValue) <= store::kLongNameSize);

  for (uint32_t s = 0; s < slots; ++s) {
    int64_t stat = db.GetRecStat(static_cast<int32_t>(s));
    CHECK(db.activeCount == 0 ? stat == -1 : stat == StoreInside::RecStatAt(db, s));
  }
  CHECK(db.GetRecStat(-1) == -1);
  CHECK(db.GetRecStat(static_cast<int32_t>(db.slotCount)) == -1);

  // Every field of the first slots and of the last one, and fields that do
  // not exist.
  for (uint32_t s = 0; s <= kFieldReadSlots && s < db.slotCount; ++s) {
    const int32_t slot = static_cast<int32_t>(s == kFieldReadSlots ? db.slotCount - 1 : s);
    for (uint32_t f = 0; f <= db.fieldCount + 1; ++f) {
      int32_t code = db.ReadField(slot, f);
      if (f == 0 || f > db.fieldCount || db.activeCount == 0) {
        CHECK(code == -1);
        continue;
      }
      CHECK(code >= 0 && code < static_cast<int32_t>(kFieldTypeCount));
      if (!IsNumberType(static_cast<uint32_t>(code)))
        CHECK(std::strlen(db.textValue) < FieldTypeWidth(db.FieldTypeOf(f)));
    }
  }
  CHECK(db.ReadField(-1, 1) == -1);
  CHECK(db.ReadField(static_cast<int32_t>(db.slotCount), 1) == -1);

  // Stepping, record numbers and their inverse.
  // No probe far below -1: NextActive walks up from there one step at a time.
  const int32_t probes[] = {-5, -1, 0, 1, static_cast<int32_t>(db.slotCount) - 1,
                            static_cast<int32_t>(db.slotCount), INT32_MAX};
  for (int32_t p : probes) {
    db.NextActive(p);
    db.PreviousActive(p);
    db.RecordNumberOf(p);
  }
  for (uint32_t s = 0; s < slots && s < kFieldReadSlots; ++s) {
    const int32_t slot = static_cast<int32_t>(s);
    int32_t next = db.NextActive(slot), previous = db.PreviousActive(slot);
    CHECK(next == slot || (next > slot && StoreInside::RecStatAt(db, static_cast<uint32_t>(next)) == kRecActive));
    CHECK(previous == slot ||
          (previous < slot && previous >= 0 && StoreInside::RecStatAt(db, static_cast<uint32_t>(previous)) == kRecActive));
    int32_t number = db.RecordNumberOf(slot);
    if (number > 0) CHECK(db.SlotOfRecordNumber(static_cast<uint32_t>(number)) == slot);
  }
  db.SlotOfRecordNumber(0);
  db.SlotOfRecordNumber(db.activeCount);
  CHECK(db.SlotOfRecordNumber(db.activeCount + 1) == -1);
  db.SlotOfRecordNumber(UINT32_MAX);

  // Searches with fixed texts and with the last bytes of the input.
  char fromInput[store::kSearchTextSize] = {};
  const size_t take = size < 8 ? size : 8;
  std::memcpy(fromInput, data + size - take, take);
  for (size_t i = 0; i <= sizeof kSearchTexts / sizeof kSearchTexts[0]; ++i) {
    const char* text = i < sizeof kSearchTexts / sizeof kSearchTexts[0] ? kSearchTexts[i] : fromInput;
    CopyText(text, db.searchText, sizeof db.searchText);
    int32_t hit = db.SearchFromStart();
    if (hit >= 0) {
      CHECK(StoreInside::RecStatAt(db, static_cast<uint32_t>(hit)) == kRecActive);
      CHECK(db.RecordMatches(hit) == hit);
      db.SearchNext(hit);
      db.SearchPrevious(hit);
    }
    db.SearchNext(static_cast<int32_t>(db.slotCount));
    db.SearchPrevious(static_cast<int32_t>(db.slotCount));
    db.SearchPrevious(INT32_MAX);
    db.RecordMatches(0);
    db.RecordMatches(-1);
  }

  for (uint32_t value : {0u, 5u, 10u, 11u}) {
    for (int32_t start : {-1, 0, static_cast<int32_t>(db.slotCount / 2), static_cast<int32_t>(db.slotCount)}) {
      int32_t found = db.FindRecStat(value, start);
      if (found >= 0) CHECK(StoreInside::RecStatAt(db, static_cast<uint32_t>(found)) == value);
    }
  }
}

// Writes a value made from the input into every field of the slot and reads
// each back. Outside well-formed files the store may refuse such writes.
void FillSlot(DatabaseFile& db, int32_t slot, const uint8_t* data, size_t size, bool wellFormed) {
  for (uint32_t f = 1; f <= db.fieldCount && f <= 32; ++f) {
    const uint32_t code = db.FieldTypeOf(f);
    const uint32_t width = FieldTypeWidth(code);
    if (IsNumberType(code)) {
      uint32_t value = 0x9E3779B9u * f;
      if (size >= 4) std::memcpy(&value, data + (f * 7) % (size - 3), 4);
      db.numberValue = value;
      const int32_t written = db.WriteField(slot, f);
      CHECK(written >= 0 || !wellFormed);
      if (written < 0) continue;
      db.numberValue = ~value;
      CHECK(db.ReadField(slot, f) >= 0);
      const uint32_t mask = code == kNumber8 ? 0xFFu : code == kNumber16 ? 0xFFFFu : 0xFFFFFFFFu;
      CHECK(db.numberValue == (value & mask));
    } else {
      // A text from the input, cut at its first zero, maybe longer than the field.
      std::string text;
      for (size_t i = f; i < size && text.size() < width + 3; ++i) {
        if (data[i] == 0) break;
        text.push_back(static_cast<char>(data[i]));
      }
      CopyText(text.c_str(), db.textValue, sizeof db.textValue);
      const int32_t written = db.WriteField(slot, f);
      CHECK(written >= 0 || !wellFormed);
      if (written < 0) continue;
      CHECK(db.textValue[0] == 0);
      CHECK(db.ReadField(slot, f) >= 0);
      CHECK(text.compare(0, width - 1, db.textValue) == 0);
    }
  }
}

void CheckCompacted(DatabaseFile& db) {
  bool sawFree = false;
  for (uint32_t s = 0; s < db.slotCount; ++s) {
    const bool inUse = IsInUse(StoreInside::RecStatAt(db, s));
    CHECK(!(inUse && sawFree));
    sawFree = sawFree || !inUse;
  }
}

void CheckSorted(DatabaseFile& db, uint32_t field) {
  CheckCompacted(db);
  SortKey previous;
  for (uint32_t s = 0; s < db.slotCount && IsInUse(StoreInside::RecStatAt(db, s)); ++s) {
    SortKey key = KeyOf(db, static_cast<int32_t>(s), field);
    if (s > 0 && SortsAfter(previous, key)) {
      std::fprintf(stderr, "store_fuzz: slot %u: \"%s\" (%u) sorts before \"%s\" (%u), field %u\n", s,
                   key.text.c_str(), key.number, previous.text.c_str(), previous.number, field);
      std::abort();
    }
    previous = std::move(key);
  }
}

// What Undo must give back: every slot's status, the bytes of the slots in
// use, the slot count and the long name.
std::vector<uint8_t> Records(DatabaseFile& db) {
  std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(&db.slotCount),
                             reinterpret_cast<const uint8_t*>(&db.slotCount) + 4);
  for (uint32_t s = 0; s < db.slotCount && s < kSlotWalkLimit; ++s) {
    const uint8_t* slot = StoreInside::SlotAt(db, s);
    const uint32_t status = StoreInside::RecStatAt(db, s);
    bytes.insert(bytes.end(), slot, slot + (IsInUse(status) ? db.recordSize : 4));
  }
  db.ReadLongName();
  bytes.insert(bytes.end(), db.textValue, db.textValue + std::strlen(db.textValue));
  return bytes;
}

void Changes(DatabaseFile& db, const std::string& path, const uint8_t* data, size_t size);

// Every change below as one step of a history: taken back, it gives the
// records as they were; made again, as they became.
void WriteWalk(DatabaseFile& db, const std::string& path, const uint8_t* data, size_t size) {
  History history;
  history.Attach(&db);
  const std::vector<uint8_t> before = Records(db);
  history.Begin(StepKind::kImport);
  Changes(db, path, data, size);
  history.End(true, -1);
  if (db.view != nullptr && history.CanUndo()) {
    const std::vector<uint8_t> after = Records(db);
    int32_t touched;
    CHECK(history.Undo(&touched) && db.view != nullptr);
    CHECK(Records(db) == before);
    CHECK(history.Redo(&touched) && db.view != nullptr);
    CHECK(Records(db) == after);
  }
  history.Attach(nullptr);
}

void Changes(DatabaseFile& db, const std::string& path, const uint8_t* data, size_t size) {
  const uint32_t fieldCount = db.fieldCount;
  const bool wellFormed = FieldsInsideSlots(db);
  CheckCounts(db);
  auto checkCounts = [&] {
    if (wellFormed) CheckCounts(db);
  };
  db.ReadLongName();
  CHECK(db.SetLongName(db.textValue) == 1);
  CHECK(db.SetTemplateVersion(7) == 1);

  // A new record, filled; a copy of it; a deleted one in the middle.
  int32_t added = db.AddRecord();
  if (db.view == nullptr) return;  // the resize could not map the file again
  checkCounts();
  CheckLowestFree(db, added);
  if (added >= 0) {
    CHECK(static_cast<uint32_t>(added) < db.slotCount && StoreInside::RecStatAt(db, static_cast<uint32_t>(added)) == kRecActive);
    FillSlot(db, added, data, size, wellFormed);
    int32_t copy = db.AllocateSlot();
    if (db.view == nullptr) return;
    CheckLowestFree(db, copy);
    // The allocation may have compacted and shrunk the area, so the added
    // record may have moved, even past the end.
    if (copy >= 0) {
      CHECK(db.CopySlot(added, copy) == (static_cast<uint32_t>(added) < db.slotCount ? 1 : 0));
      checkCounts();
    }
  }
  if (db.slotCount > 0) {
    db.SetRecStat(static_cast<int32_t>(db.slotCount / 2), kRecDeleted);
    checkCounts();
  }

  // Deleting most records makes the next allocation compact and shrink.
  if (db.slotCount <= kSlotWalkLimit) {
    for (uint32_t s = 0; s < db.slotCount; ++s)
      if (s % 4 != 0 && StoreInside::RecStatAt(db, s) == kRecActive) db.SetRecStat(static_cast<int32_t>(s), kRecDeleted);
    checkCounts();
    const uint32_t slotsBefore = db.slotCount;
    added = db.AddRecord();
    if (db.view == nullptr) return;
    checkCounts();
    CheckLowestFree(db, added);
    if (added >= 0) {
      CHECK(StoreInside::RecStatAt(db, static_cast<uint32_t>(added)) == kRecActive);
      if (db.slotCount < slotsBefore) CHECK(slotsBefore > 50 && db.slotCount >= 41);
    }
  }

  const uint32_t activeBefore = db.activeCount;
  // With no active record Compact does nothing, whatever else is in use.
  if (db.Compact() > 0 && wellFormed && activeBefore > 0 && db.slotCount <= kSlotWalkLimit)
    CheckCompacted(db);
  CHECK(db.activeCount == activeBefore);
  checkCounts();

  if (db.slotCount <= kSortSlotLimit) {
    // Groups of records with equal key prefixes told apart from the whole
    // keys, or a few bytes at a time.
    const size_t groupKeyBytes = store::sortGroupKeyBytes;
    const size_t groupBytes[] = {groupKeyBytes, 400, 24};
    store::sortGroupKeyBytes = groupBytes[size > 0 ? data[0] % 3 : 0];
    for (uint32_t f = 1; f <= fieldCount && f <= 4; ++f) {
      const uint32_t active = db.activeCount;
      if (db.SortByField(f) == 1) {
        CHECK(db.activeCount == active);
        checkCounts();
        if (wellFormed) CheckSorted(db, f);
      }
    }
    store::sortGroupKeyBytes = groupKeyBytes;
  }
  CHECK(db.SortByField(0) == 0);

  // What the store leaves behind is a database again.
  const uint32_t slots = db.slotCount, active = db.activeCount;
  db.Close();
  if (wellFormed) {
    CHECK(OpenAt(db, path, false));
    CHECK(db.slotCount == slots && db.activeCount == active);
    db.Close();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  static DatabaseFile db;

  ResetDatabaseFile(&db);
  WriteFile(scratch.input(), data, size);
  if (OpenAt(db, scratch.input(), false)) {
    CHECK(db.view != nullptr && db.openOk == 1);
    ReadWalk(db, data, size);
    CHECK(db.AllocateSlot() == -1);  // read-only
    CHECK(db.SetRecStat(0, kRecActive) == 0);
    db.Close();
  } else {
    CHECK(db.view == nullptr && db.fileHandle == platform::kNoFile && db.openOk == 0);
    // Nothing is open, so every operation must say so.
    CHECK(db.CountActive() == 0 && db.SearchFromStart() == -1 && db.ReadField(0, 1) == -1);
    return 0;
  }

  ResetDatabaseFile(&db);
  WriteFile(scratch.copy(), data, size);
  if (OpenAt(db, scratch.copy(), true)) WriteWalk(db, scratch.copy(), data, size);
  db.Close();
  return 0;
}
