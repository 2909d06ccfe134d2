// Stepping through active records, record numbers, goto and search.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/record_filter.h"
#include "store/database_file.h"
#include "store/text.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

void SetSearch(DatabaseFile& db, const std::string& text) {
  CopyText(text.c_str(), db.searchText, sizeof db.searchText);
}

// Active records in slots 0, 2 and 5; slot 4 is in use but not active.
class Navigation : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("n.vdr");
    ASSERT_TRUE(WriteDatabase(path_, {11}, 10, {10, 0, 10, 5, 11, 10}));
    ASSERT_TRUE(OpenDatabase(*db_, path_));
    ASSERT_EQ(db_->activeCount, 3u);
  }
  ScratchDir dir_;
  Db db_;
  std::string path_;
};

TEST_F(Navigation, StepsBetweenActiveSlots) {
  struct Case {
    int32_t from, next, previous;
  };
  const Case cases[] = {
      {0, 2, 0}, {1, 2, 0}, {2, 5, 0}, {3, 5, 2}, {4, 5, 2},
      {5, 5, 2}, {9, 9, 5}, {-1, 0, -1}, {40, 40, 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db_->NextActive(c.from), c.next) << c.from;
    EXPECT_EQ(db_->PreviousActive(c.from), c.previous) << c.from;
  }
}

TEST_F(Navigation, RecordNumbersAndGoto) {
  const int32_t numberOf[] = {1, -1, 2, -1, -1, 3, -1, -1, -1, -1};
  for (int32_t s = 0; s < 10; ++s) EXPECT_EQ(db_->RecordNumberOf(s), numberOf[s]) << s;
  EXPECT_EQ(db_->RecordNumberOf(-1), -1);
  EXPECT_EQ(db_->RecordNumberOf(10), -1);

  const int32_t slotOf[] = {-1, 0, 2, 5, -1, -1};
  for (uint32_t n = 0; n < 6; ++n) EXPECT_EQ(db_->SlotOfRecordNumber(n), slotOf[n]) << n;
  EXPECT_EQ(db_->SlotOfRecordNumber(0xFFFFFFFFu), -1);

  // Goto converts the typed text as a number, whatever it holds.
  EXPECT_EQ(db_->SlotOfRecordNumber(TextToNumber("0")), -1);
  EXPECT_EQ(db_->SlotOfRecordNumber(TextToNumber("3")), 5);
  EXPECT_EQ(db_->SlotOfRecordNumber(TextToNumber("03")), 5);
  EXPECT_EQ(db_->SlotOfRecordNumber(TextToNumber("x")), -1);
}

TEST_F(Navigation, NothingIsFoundWithoutActiveRecords) {
  auto check = [](DatabaseFile& db, const char* what) {
    SetSearch(db, "a");
    EXPECT_EQ(db.NextActive(3), 3) << what;
    EXPECT_EQ(db.PreviousActive(3), 3) << what;
    EXPECT_EQ(db.RecordNumberOf(0), -1) << what;
    EXPECT_EQ(db.SlotOfRecordNumber(1), -1) << what;
    EXPECT_EQ(db.SearchFromStart(), -1) << what;
    EXPECT_EQ(db.SearchNext(0), -1) << what;
    EXPECT_EQ(db.SearchPrevious(5), -1) << what;
    EXPECT_EQ(db.RecordMatches(0), -1) << what;
  };
  Db closed;
  check(*closed, "no database");
  for (int32_t s : {0, 2, 5}) db_->SetRecStat(s, kRecDeleted);
  SetText(*db_, 4, 1, "a");
  ASSERT_EQ(db_->activeCount, 0u);
  check(*db_, "no active record");
}

struct ScanCase {
  const char* search;
  const char* text;
  bool found;
};

// The text scan, on a record whose only field is a 64-byte text.
TEST(Search, TextScan) {
  const ScanCase cases[] = {
      {"ab", "cab", true},
      {"ab", "xaBy", true},
      {"ab", "xABy", true},
      {"AB", "xaby", true},
      {"ab", "aab", true},  // after a failed partial match the scan goes back
      {"aab", "aaab", true},
      {"abac", "ababac", true},
      {"ana", "baana", true},
      {"son", "Jacksson", true},
      {"aab", "aaxab", false},
      {"abac", "xabac", true},
      {"ab", "", false},
      {"ab", "a", false},
      {"ab", "ab", true},
      {"ab", "a b", false},
      {"12", "x12", true},
      {"1", "abc", false},
      {"@", "`", false},                   // only letters change case
      {"[", "{", false},
      {"\xC9", "\xE9", false},             // accented capital, small letter
      {"\xE9", "\xC9", false},
      {"\xE9", "caf\xE9", true},           // bytes above 122 still match themselves
      {"a\xE9", "xa\xE9z", true},
      {"ab", "a\xE9" "b", false},          // and otherwise restart the scan
      {"a{", "a{", true},
      {"ab", "a{ab", true},
      {"\x80", "x\x80", true},
      {"{b", "{B", true},
  };
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("s.vdr"), {12}));
  for (const auto& c : cases) {
    SetText(*db, 0, 1, c.text);
    SetSearch(*db, c.search);
    EXPECT_EQ(db->RecordMatches(0), c.found ? 0 : -1) << '"' << c.search << "\" in \"" << c.text << '"';
  }
}

TEST(Search, TextFillingItsFieldIsScannedToTheEnd) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("w.vdr"), {10, 11}));
  SetText(*db, 0, 1, "xyz");  // a 4-byte field: all three characters
  SetText(*db, 0, 2, std::string(13, '-') + "pq");
  const ScanCase cases[] = {
      {"xyz", "", true}, {"XYZ", "", true}, {"yz", "", true}, {"xyzw", "", false},
      {"pq", "", true},  {"-p", "", true},  {"pq-", "", false},
  };
  for (const auto& c : cases) {
    SetSearch(*db, c.search);
    EXPECT_EQ(db->RecordMatches(0), c.found ? 0 : -1) << c.search;
  }
}

// Records over number and text fields: 1 a 32-bit number, 2 a short text,
// 3 an 8-bit number, 4 a 64-byte text.
class RecordSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(dir_.Path("r.vdr"), {2, 11, 0, 12}, 12,
                              {10, 10, 5, 10, 11, 10, 0, 10}));
    ASSERT_TRUE(OpenDatabase(*db_, dir_.Path("r.vdr")));
    Put(0, 7, "alpha", 3, "first");
    Put(1, 12, "beta", 0, "second");
    Put(2, 99, "deleted", 99, "delta");
    Put(3, 0, "x12", 59, "third");
    Put(4, 98, "in use", 0, "delta");
    Put(5, 4294967295u, "gamma", 200, "delta");
    Put(7, 1000, "alphabet", 12, "last");
  }
  void Put(int32_t slot, uint32_t n1, const char* t2, uint32_t n3, const char* t4) {
    SetNumber(*db_, slot, 1, n1);
    SetText(*db_, slot, 2, t2);
    SetNumber(*db_, slot, 3, n3);
    SetText(*db_, slot, 4, t4);
  }
  std::vector<int32_t> AllMatches(const char* text) {
    SetSearch(*db_, text);
    std::vector<int32_t> found;
    for (int32_t s = db_->SearchFromStart(); s >= 0; s = db_->SearchNext(s)) found.push_back(s);
    // Backward from the end finds the same records in reverse.
    std::vector<int32_t> back;
    for (int32_t s = db_->SearchPrevious(12); s >= 0; s = db_->SearchPrevious(s)) back.push_back(s);
    EXPECT_EQ(std::vector<int32_t>(back.rbegin(), back.rend()), found) << text;
    // The list's filter shows the same records.
    const std::vector<uint32_t> filtered = FilterSlots(*db_, text);
    EXPECT_EQ(std::vector<int32_t>(filtered.begin(), filtered.end()), found) << text;
    return found;
  }
  ScratchDir dir_;
  Db db_;
};

TEST_F(RecordSearch, FindsActiveRecordsThroughAnyField) {
  struct Case {
    const char* search;
    std::vector<int32_t> slots;
  };
  const Case cases[] = {
      {"alpha", {0, 7}},
      {"ALPHA", {0, 7}},
      {"first", {0}},
      {"12", {1, 3, 7}},    // numbers 12 in fields 1 and 3, and the text x12
      {" 12 ", {1, 7}},     // blanks around a number are ignored (not in texts)
      {"0", {1, 3}},        // 0 is a number like any other
      {"7", {0}},
      {"1000", {7}},
      {"1a", {}},           // not a number: number fields are not compared
      {"-1", {}},
      {"4294967295", {5}},
      {"200", {5}},
      {"delta", {5}},       // not the deleted record, nor the one at 11
      {"98", {}},
      {"99", {}},
      {"e", {1, 5, 7}},
      {"zzz", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(AllMatches(c.search), c.slots) << c.search;
  // The filter takes texts longer than a search's 30 characters, and longer
  // than any field.
  const std::string forty = "a forty character text in a 64-byte field";
  SetText(*db_, 3, 4, forty);
  const struct {
    std::string text;
    std::vector<uint32_t> slots;
  } longer[] = {
      {forty, {3}},
      {"A FORTY character text IN a 64-byte", {3}},
      {forty + "!", {}},
      {std::string(70, 'a'), {}},
  };
  for (const auto& c : longer) EXPECT_EQ(FilterSlots(*db_, c.text), c.slots) << c.text;
}

// The filter against a plain scan of random records for random texts: a
// text field containing the text, ASCII letters either case, or a number
// field holding it when it is a whole number.
TEST(Filter, FindsWhatAPlainScanFinds) {
  ScratchDir dir;
  Db db;
  const std::vector<uint32_t> types = {2, 11, 0, 12};
  std::mt19937 random(7);
  std::vector<uint32_t> statuses(300);
  for (uint32_t& status : statuses) status = random() % 4 == 0 ? 5 : random() % 9 == 0 ? 11 : 10;
  ASSERT_TRUE(WriteDatabase(dir.Path("f.vdr"), types, 300, statuses));
  ASSERT_TRUE(OpenDatabase(*db, dir.Path("f.vdr")));
  const std::string letters = "aAbB1 2";
  auto word = [&](uint32_t most) {
    std::string text;
    for (uint32_t n = random() % (most + 1); n > 0; --n) text += letters[random() % letters.size()];
    return text;
  };
  std::vector<std::vector<std::string>> values(300);
  for (int32_t s = 0; s < 300; ++s) {
    for (uint32_t f = 1; f <= 4; ++f) {
      if (IsNumberType(types[f - 1])) {
        const uint32_t n = random() % 20;
        SetNumber(*db, s, f, n);
        values[s].push_back(std::to_string(n));
      } else {
        values[s].push_back(word(f == 2 ? 15 : 20));
        SetText(*db, s, f, values[s].back());
      }
    }
  }
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  for (int round = 0; round < 400; ++round) {
    const std::string text = round % 3 == 0 ? std::to_string(random() % 22) : word(3);
    uint32_t number = 0;
    const bool isNumber = ParseWholeNumber(text.c_str(), 0xFFFFFFFFu, &number);
    std::vector<uint32_t> expected;
    for (uint32_t s = 0; s < 300; ++s) {
      if (statuses[s] != 10) continue;
      bool match = false;
      for (uint32_t f = 1; f <= 4 && !match; ++f) {
        if (IsNumberType(types[f - 1])) match = isNumber && values[s][f - 1] == std::to_string(number);
        else match = lower(values[s][f - 1]).find(lower(text)) != std::string::npos;
      }
      if (match) expected.push_back(s);
    }
    ASSERT_EQ(FilterSlots(*db, text), expected) << "\"" << text << "\"";
  }
}

TEST_F(RecordSearch, DoesNotWrap) {
  SetSearch(*db_, "alpha");
  EXPECT_EQ(db_->SearchFromStart(), 0);
  EXPECT_EQ(db_->SearchNext(-1), 0);
  EXPECT_EQ(db_->SearchNext(0), 7);
  EXPECT_EQ(db_->SearchNext(7), -1);  // from the last active record
  EXPECT_EQ(db_->SearchNext(11), -1);
  EXPECT_EQ(db_->SearchPrevious(7), 0);
  EXPECT_EQ(db_->SearchPrevious(1), 0);  // from the second active record
  EXPECT_EQ(db_->SearchPrevious(0), -1);
  SetSearch(*db_, "gamma");
  EXPECT_EQ(db_->SearchNext(5), -1);
  EXPECT_EQ(db_->SearchPrevious(5), -1);
  EXPECT_EQ(db_->SearchPrevious(40), 5);
  EXPECT_EQ(db_->RecordMatches(5), 5);
  EXPECT_EQ(db_->RecordMatches(0), -1);
  EXPECT_EQ(db_->RecordMatches(12), -1);
  SetSearch(*db_, "delta");
  EXPECT_EQ(db_->RecordMatches(4), 4);  // the record itself, whatever its status
  EXPECT_EQ(db_->RecordMatches(2), 2);
}

// A search reads the fields of each record it passes from the last to the
// first, and stops at the first that matches; numberValue and textValue are
// left as those reads left them.
TEST_F(RecordSearch, LeavesTheValuesOfTheLastFieldsRead) {
  struct Case {
    const char* name;
    const char* search;
    int direction;  // 0 from the start, 1 next, -1 previous, 2 RecordMatches
    int32_t from;
    int32_t result;
    uint32_t number;
    const char* text;
  };
  const Case cases[] = {
      // Slot 0 read in full (field 1 last), then slot 1 stops at field 2,
      // after reading number field 3.
      {"stop at a text field", "beta", 0, -1, 1, 0, "beta"},
      // Slot 0 stops at field 4: no number field read.
      {"stop at the last field", "first", 0, -1, 0, 12345, "first"},
      {"stop at a number field", "3", 0, -1, 0, 3, "first"},
      // Every active record read in full: the last one's fields 1 and 2.
      {"no match", "zzz", 0, -1, -1, 1000, "alphabet"},
      {"no match forward", "zzz", 1, 3, -1, 1000, "alphabet"},
      // Backward from 7: slot 5 and 3 read in full, slot 1 stops at field 2.
      {"backward", "beta", -1, 7, 1, 0, "beta"},
      {"backward, no match", "zzz", -1, 7, -1, 7, "alpha"},
      {"one record", "x12", 2, 3, 3, 59, "x12"},
      {"one record, no match", "zzz", 2, 3, -1, 0, "x12"},
  };
  for (const auto& c : cases) {
    db_->numberValue = 12345;
    CopyText("before", db_->textValue, sizeof db_->textValue);
    SetSearch(*db_, c.search);
    int32_t result = c.direction == 0   ? db_->SearchFromStart()
                     : c.direction == 1 ? db_->SearchNext(c.from)
                     : c.direction == -1 ? db_->SearchPrevious(c.from)
                                         : db_->RecordMatches(c.from);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(db_->numberValue, c.number) << c.name;
    EXPECT_STREQ(db_->textValue, c.text) << c.name;
  }
}

}  // namespace
