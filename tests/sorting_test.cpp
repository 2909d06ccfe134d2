// Sorting by one field: compaction, then records in locale order of their
// keys, stable. The store sorts its own way; the random tests compare its
// files byte for byte with the described bubble sort (tests/store_reference).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "platform/platform.h"
#include "store/database_file.h"
#include "store/store_inside.h"
#include "tests/store_reference.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

std::vector<std::string> Texts(DatabaseFile& db, uint32_t field) {
  std::vector<std::string> out;
  for (int32_t s = db.FindRecStat(kRecActive, 0); s >= 0; s = db.NextActive(s)) {
    out.push_back(GetText(db, s, field));
    if (db.NextActive(s) == s) break;
  }
  return out;
}

std::vector<uint32_t> Numbers(DatabaseFile& db, uint32_t field) {
  std::vector<uint32_t> out;
  for (int32_t s = db.FindRecStat(kRecActive, 0); s >= 0; s = db.NextActive(s)) {
    out.push_back(GetNumber(db, s, field));
    if (db.NextActive(s) == s) break;
  }
  return out;
}

// A database of 10 slots with one active record per value, in slots 0 on.
class Sorting : public ::testing::Test {
 protected:
  void Make(const std::vector<uint32_t>& types, size_t records) {
    path_ = dir_.Path("s.vdr");
    ASSERT_TRUE(WriteDatabase(path_, types, 10, std::vector<uint32_t>(records, kRecActive)));
    ASSERT_TRUE(OpenDatabase(*db_, path_));
  }
  ScratchDir dir_;
  Db db_;
  std::string path_;
};

TEST_F(Sorting, TextsInLocaleOrder) {
  Make({12, 2}, 3);
  const char* words[] = {"pear", "Banana", "apple"};
  for (int32_t s = 0; s < 3; ++s) {
    SetText(*db_, s, 1, words[s]);
    SetNumber(*db_, s, 2, static_cast<uint32_t>(s));
  }
  EXPECT_EQ(db_->SortByField(1), 1);
  EXPECT_EQ(Texts(*db_, 1), (std::vector<std::string>{"apple", "Banana", "pear"}));
  // Whole records move: the number field went along.
  EXPECT_EQ(Numbers(*db_, 2), (std::vector<uint32_t>{2, 1, 0}));
  EXPECT_EQ(db_->RecordNumberOf(1), 2);
  EXPECT_EQ(db_->activeCount, 3u);
}

TEST_F(Sorting, NumbersByTheirValue) {
  // As text they would go 100, 20, 3.
  Make({2, 0, 1}, 3);
  const uint32_t values[] = {20, 100, 3};
  for (int32_t s = 0; s < 3; ++s) {
    SetNumber(*db_, s, 1, values[s]);
    SetNumber(*db_, s, 2, values[s]);
    SetNumber(*db_, s, 3, values[s]);
  }
  for (uint32_t field : {1u, 2u, 3u}) {
    EXPECT_EQ(db_->SortByField(field), 1);
    EXPECT_EQ(Numbers(*db_, field), (std::vector<uint32_t>{3, 20, 100})) << field;
  }
}

TEST_F(Sorting, LargeNumbersSortAsTheListShowsThem) {
  // Read as signed, 3000000000 would be -1294967296 and come first.
  Make({2}, 4);
  const uint32_t values[] = {2000000000u, 3000000000u, 1300000000u, 4294967295u};
  for (int32_t s = 0; s < 4; ++s) SetNumber(*db_, s, 1, values[s]);
  EXPECT_EQ(db_->SortByField(1), 1);
  EXPECT_EQ(Numbers(*db_, 1), (std::vector<uint32_t>{1300000000u, 2000000000u, 3000000000u, 4294967295u}));
}

TEST_F(Sorting, EqualKeysKeepTheirOrder) {
  Make({11, 2}, 7);
  const char* keys[] = {"b", "a", "b", "c", "a", "b", "a"};
  for (int32_t s = 0; s < 7; ++s) {
    SetText(*db_, s, 1, keys[s]);
    SetNumber(*db_, s, 2, static_cast<uint32_t>(s));
  }
  EXPECT_EQ(db_->SortByField(1), 1);
  EXPECT_EQ(Numbers(*db_, 2), (std::vector<uint32_t>{1, 4, 6, 0, 2, 5, 3}));
  // By the number field as well: all keys differ.
  EXPECT_EQ(db_->SortByField(2), 1);
  EXPECT_EQ(Numbers(*db_, 2), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(Sorting, SortedDatabaseStaysAsItIs) {
  Make({11, 0}, 5);
  const char* keys[] = {"apple", "apple", "berry", "cherry", "date"};
  for (int32_t s = 0; s < 5; ++s) {
    SetText(*db_, s, 1, keys[s]);
    SetNumber(*db_, s, 2, static_cast<uint32_t>(9 - s));
  }
  auto before = ViewBytes(*db_);
  EXPECT_EQ(db_->SortByField(1), 1);
  EXPECT_EQ(ViewBytes(*db_), before);
}

TEST_F(Sorting, DeletedRecordBetweenLiveOnesMovesBehind) {
  path_ = dir_.Path("d.vdr");
  ASSERT_TRUE(WriteDatabase(path_, {11}, 10, {10, 5, 10, 0, 11}));
  ASSERT_TRUE(OpenDatabase(*db_, path_));
  SetText(*db_, 0, 1, "pear");
  SetText(*db_, 1, 1, "aaa-deleted");
  SetText(*db_, 2, 1, "fig");
  SetText(*db_, 4, 1, "apple");
  EXPECT_EQ(db_->SortByField(1), 1);
  EXPECT_EQ(Statuses(*db_), (std::vector<uint32_t>{11, 10, 10, 5, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(GetText(*db_, 0, 1), "apple");
  EXPECT_EQ(GetText(*db_, 1, 1), "fig");
  EXPECT_EQ(GetText(*db_, 2, 1), "pear");
  EXPECT_EQ(db_->activeCount, 2u);
  EXPECT_EQ(db_->holdRecount, 0u);
  EXPECT_EQ(db_->RecordNumberOf(2), 2);
  // The allocator sees the slots the compaction freed.
  EXPECT_EQ(db_->AllocateSlot(), 3);
}

TEST_F(Sorting, EveryRecordInOrderAfterACompactionBeyondItsBudget) {
  // With the first 60 of 10,000 records deleted the compaction takes 596,400
  // moves, more than its budget of 500,000.
  path_ = dir_.Path("long.vdr");
  std::vector<uint32_t> statuses(10000, kRecActive);
  std::fill(statuses.begin(), statuses.begin() + 60, kRecDeleted);
  ASSERT_TRUE(WriteDatabase(path_, {2}, 10000, statuses, [](uint32_t slot, uint8_t* f, uint32_t) {
    const uint32_t value = (slot * 7919u) % 10007u;
    std::memcpy(f, &value, 4);
  }));
  ASSERT_TRUE(OpenDatabase(*db_, path_));
  EXPECT_EQ(db_->SortByField(1), 1);
  const std::vector<uint32_t> numbers = Numbers(*db_, 1);
  EXPECT_EQ(numbers.size(), 9940u);
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
  EXPECT_EQ(db_->SlotOfRecordNumber(9940), 9939);
}

TEST_F(Sorting, RefusedCasesChangeNothing) {
  Db closed;
  EXPECT_EQ(closed->SortByField(1), 0);

  Make({11, 2}, 3);
  SetText(*db_, 0, 1, "c");
  SetText(*db_, 1, 1, "b");
  SetText(*db_, 2, 1, "a");
  db_->SetRecStat(1, kRecDeleted);
  auto before = ViewBytes(*db_);
  EXPECT_EQ(db_->SortByField(0), 0);
  EXPECT_EQ(db_->SortByField(3), 0);
  EXPECT_EQ(ViewBytes(*db_), before);
  db_->Close();

  ASSERT_TRUE(OpenDatabase(*db_, path_, false));
  EXPECT_EQ(db_->SortByField(1), 0);  // read-only
  db_->Close();
  EXPECT_EQ(ReadBytes(path_), before);

  struct Case {
    const char* name;
    uint32_t slots;
    std::vector<uint32_t> statuses;
  };
  const Case cases[] = {
      {"two slots", 2, {10, 10}},
      {"one slot", 1, {10}},
      {"no slot", 0, {}},
      {"no active record", 10, {11, 0, 11, 5, 11}},
  };
  for (const auto& c : cases) {
    std::string path = dir_.Path("x.vdr");
    ASSERT_TRUE(WriteDatabase(path, {11}, c.slots, c.statuses,
                              [](uint32_t slot, uint8_t* f, uint32_t) { f[0] = uint8_t('z' - slot); }));
    auto image = ReadBytes(path);
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path)) << c.name;
    EXPECT_EQ(db->SortByField(1), 0) << c.name;
    db->Close();
    EXPECT_EQ(ReadBytes(path), image) << c.name;
  }
}

// Words that sort differently by bytes, by case, by accents and by the
// locale's treatment of hyphens, apostrophes and blanks; Windows-1252 bytes.
const char* const kWords[] = {
    "apple", "Apple", "APPLE", "banana", "Banana", "pear", "Pear", "peach", "co-op", "coop",
    "co op", "re-enter", "reenter", "a-b", "ab", "a", "A", "", "", "z", "Zebra", "zebra",
    "\xE9" "clair", "\xC9" "clair", "eclair", "Eclair", "\xFC" "ber", "uber", "Uber",
    "stra\xDF" "e", "strasse", "\xC6" "ble", "aeble", "\xF8" "nske", "onske", "zoo", "Zoo",
    "10", "9", "100", "-5", "5", "x-1", "x1", "x 1", "na\xEF" "ve", "naive", "r\xE9sum\xE9",
    "resume", "\xC7" "a", "ca", "\xE7" "a", "O'Brien", "OBrien", "o'brien", "{brace}", "~tilde",
    "\x80" "uro", "\x8C" "uvre", "oeuvre", "Ol\xE9", "ole", "\xD1" "and\xFA", "nandu", "12-b",
    "12b", "--", "-", "'", "a'", "a-", "0", "00", "007", "7",
};

std::string RandomWord(std::mt19937& rng) {
  if (rng() % 3 != 0) return kWords[rng() % (sizeof kWords / sizeof kWords[0])];
  if (rng() % 4 == 0) {
    // Any byte at all, controls and unassigned code points included.
    std::string bytes;
    for (uint32_t n = rng() % 6; n > 0; --n) bytes += static_cast<char>(1 + rng() % 255);
    return bytes;
  }
  static const std::string alphabet =
      "abcABCxyzXYZ0129-' \xE9\xC9\xE0\xC0\xFC\xDC\xDF\xE6\xF8\xE5\xF1.,";
  std::string word;
  for (uint32_t n = rng() % 9; n > 0; --n) word += alphabet[rng() % alphabet.size()];
  return word;
}

uint32_t RandomNumber(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0: return 0;
    case 1: return rng() % 10;
    case 2: return rng() % 1000;
    case 3: return 0x80000000u + rng() % 1000;  // negative as signed text
    case 4: return 1000000 * (rng() % 5000);
    default: return rng();
  }
}

// Kinds of text key: words of every sort; a few words over and over, so
// that most keys are equal; words behind a common prefix, short or longer
// than some fields hold, and now and then a word without it.
using KeyMaker = std::string (*)(std::mt19937&);
const KeyMaker kKeyKinds[] = {
    RandomWord,
    [](std::mt19937& rng) { return std::string(kWords[rng() % 8]); },
    [](std::mt19937& rng) {
      if (rng() % 40 == 0) return RandomWord(rng);
      return std::string(rng() % 2 ? "Department of " : "Department of the Interior and ") + RandomWord(rng);
    },
};

// The bytes of key a sort may hold for one group: as the program has it,
// and so few that groups are told apart a few bytes at a time.
const size_t kGroupKeyBytes[] = {store::sortGroupKeyBytes, 400, 24};

struct SortLayout {
  std::vector<uint32_t> types;
  std::vector<uint32_t> keyFields;
};

TEST(SortingReference, MatchesTheBubbleSortOnRandomDatabases) {
  const SortLayout layouts[] = {
      {{12}, {1}},
      {{2}, {1}},
      {{11, 2, 0}, {1, 2, 3}},
      {{10, 1}, {1, 2}},
      {{3, 17, 16}, {1, 2, 3}},
      {{13, 2}, {1, 2}},
  };
  ScratchDir dir;
  std::string path = dir.Path("r.vdr");
  std::mt19937 rng(424242);
  const size_t groupKeyBytes = store::sortGroupKeyBytes;
  for (int round = 0; round < 100; ++round) {
    const auto& layout = layouts[rng() % (sizeof layouts / sizeof layouts[0])];
    const uint32_t field = layout.keyFields[rng() % layout.keyFields.size()];
    const KeyMaker keyText = kKeyKinds[rng() % (sizeof kKeyKinds / sizeof kKeyKinds[0])];
    store::sortGroupKeyBytes = kGroupKeyBytes[rng() % (sizeof kGroupKeyBytes / sizeof kGroupKeyBytes[0])];
    // Now and then more free slots in front than the compaction's budget of
    // moves would clear (600 records behind 1,000 free slots).
    const bool longCompaction = round % 25 == 12;
    const uint32_t records = longCompaction ? 600 : round % 6 == 0 ? 100 + rng() % 200 : 3 + rng() % 40;
    // Records in a row with a few free slots among them, and some at 11.
    std::vector<uint32_t> statuses(longCompaction ? 1000 : 0, kRecDeleted);
    for (uint32_t i = 0; i < records; ++i) {
      if (rng() % 8 == 0) statuses.push_back(rng() % 2 ? 5 : 3);
      statuses.push_back(rng() % 10 == 0 ? 11 : 10);
    }
    const uint32_t slots = static_cast<uint32_t>(statuses.size()) + rng() % 10;
    std::vector<uint32_t> types = layout.types;
    ASSERT_TRUE(WriteDatabase(path, types, slots, statuses, [&](uint32_t, uint8_t* f, uint32_t size) {
      for (uint32_t i = 0; i < size; ++i) f[i] = static_cast<uint8_t>(rng());
    }));
    {
      Db db;
      ASSERT_TRUE(OpenDatabase(*db, path));
      for (uint32_t s = 0; s < slots; ++s) {
        for (uint32_t i = 1; i <= types.size(); ++i) {
          if (IsNumberType(types[i - 1])) SetNumber(*db, static_cast<int32_t>(s), i, RandomNumber(rng));
          else SetText(*db, static_cast<int32_t>(s), i, keyText(rng));
        }
      }
    }
    auto image = reference::Image::FromBytes(ReadBytes(path));
    const int expected = reference::Sort(image, field);
    ASSERT_NE(expected, -1) << "the bubble sort did not end: the order is inconsistent";

    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path));
    EXPECT_EQ(db->SortByField(field), expected) << round;
    db->Close();
    auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), image.bytes.size());
    if (bytes != image.bytes) {
      auto got = reference::Image::FromBytes(bytes);
      std::string report;
      for (uint32_t s = 0; s < image.slotCount; ++s) {
        if (std::memcmp(got.Slot(s), image.Slot(s), image.recordSize) == 0) continue;
        report += "\n slot " + std::to_string(s) + ": store \"" + reference::SortKey(got, s, field) +
                  "\", described \"" + reference::SortKey(image, s, field) + "\"";
      }
      ADD_FAILURE() << "round " << round << ", field " << field << ", " << records << " records:" << report;
    }
  }
  store::sortGroupKeyBytes = groupKeyBytes;
}

// A long text key: most of it the same, the difference far behind.
TEST(SortingReference, LongTextKeys) {
  ScratchDir dir;
  std::string path = dir.Path("l.vdr");
  std::mt19937 rng(5);
  ASSERT_TRUE(WriteDatabase(path, {15}, 40, std::vector<uint32_t>(36, kRecActive)));
  {
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path));
    const std::string common(4990, 'k');
    for (int32_t s = 0; s < 36; ++s) SetText(*db, s, 1, common.substr(0, 4980 + rng() % 10) + RandomWord(rng));
  }
  const auto unsorted = ReadBytes(path);
  auto image = reference::Image::FromBytes(unsorted);
  ASSERT_EQ(reference::Sort(image, 1), 1);
  const size_t groupKeyBytes = store::sortGroupKeyBytes;
  // The whole keys at once, or 55 bytes of each at a time.
  for (size_t bytes : {groupKeyBytes, size_t{2000}}) {
    store::sortGroupKeyBytes = bytes;
    WriteBytes(path, unsorted);
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path));
    EXPECT_EQ(db->SortByField(1), 1);
    db->Close();
    EXPECT_TRUE(ReadBytes(path) == image.bytes) << bytes;
  }
  store::sortGroupKeyBytes = groupKeyBytes;
}

}  // namespace
