// The CSV export, compared byte for byte with expected files, and read back;
// the CSV reader and the import; the export for spreadsheets.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/database_file.h"
#include "core/csv_export.h"
#include "core/csv_import.h"
#include "core/csv_reader.h"
#include "core/spreadsheet_export.h"
#include "store/field_type.h"
#include "store/text.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

const std::string kExpected = std::string(VELDRANA_SOURCE_DIR) + "/tests/data/";

std::string FileText(const std::string& path) {
  auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string Export(DatabaseFile& db, const ScratchDir& dir) {
  const std::string out = dir.Path("out.csv");
  EXPECT_EQ(WriteCsvFile(db, out.c_str()), 1);
  return FileText(out);
}

// Writes raw bytes over a field of a slot, past what WriteField allows.
void PutRaw(DatabaseFile& db, int32_t slot, uint32_t field, const std::string& bytes) {
  uint32_t code = 0;
  uint8_t* p = const_cast<uint8_t*>(db.FieldBytes(slot, field, &code));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, bytes.data(), bytes.size());
}

TEST(CsvExport, StorageOrderQuotesAndNumbers) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("a.vdr"), {2, 12, 0, 1, 13}));
  SetStatuses(*db, {10, 10, 10, 10});
  const std::vector<std::vector<std::string>> rows = {
      {"apple", "Red, ripe"},
      {"gone", "deleted record"},
      {"say \"hi\"", "line1\r\nline2"},
      {"", "\"\""},
  };
  const uint32_t numbers[4][3] = {{12, 255, 65535}, {99, 1, 1}, {3000000000u, 0, 1},
                                  {4294967295u, 7, 300}};
  for (int32_t s = 0; s < 4; ++s) {
    SetNumber(*db, s, 1, numbers[s][0]);
    SetText(*db, s, 2, rows[s][0]);
    SetNumber(*db, s, 3, numbers[s][1]);
    SetNumber(*db, s, 4, numbers[s][2]);
    SetText(*db, s, 5, rows[s][1]);
  }
  SetStatuses(*db, {10, 5, 10, 10});
  ASSERT_EQ(db->slotCount, 10u);
  EXPECT_EQ(Export(*db, dir), FileText(kExpected + "mixed.csv"));
}

TEST(CsvExport, EveryFieldIsWritten) {
  ScratchDir dir;
  Db db;
  // One field: its value is on every active line.
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("one.vdr"), {11}));
  SetStatuses(*db, {10, 0, 10});
  SetText(*db, 0, 1, "a");
  SetText(*db, 2, 1, "b,c");
  EXPECT_EQ(Export(*db, dir), FileText(kExpected + "one_field.csv"));
}

TEST(CsvExport, EveryTypeAsStored) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("types.vdr"), {3, 9, 10, 17, 99, 14}));
  SetNumber(*db, 0, 1, 4000000000u);
  SetNumber(*db, 0, 2, 123);
  PutRaw(*db, 0, 3, "wxyz");  // no terminator: the last byte is never text
  SetText(*db, 0, 4, "undefined");
  SetText(*db, 0, 5, "odd type");
  PutRaw(*db, 0, 6, std::string(1000, 'q'));
  EXPECT_EQ(Export(*db, dir), FileText(kExpected + "types.csv"));
}

TEST(CsvExport, NoDatabaseOpen) {
  ScratchDir dir;
  Db db;
  EXPECT_EQ(Export(*db, dir), FileText(kExpected + "no_database.csv"));
  // An open database with no active record: an empty line per slot.
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("e.vdr"), {12}));
  SetStatuses(*db, {5});
  EXPECT_EQ(Export(*db, dir), std::string(10, '\r'));
}

TEST(CsvExport, VeldranaCsvInTheCurrentFolderReplaced) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("a.vdr"), {12}));
  SetStatuses(*db, std::vector<uint32_t>(40, 10));
  for (int32_t s = 0; s < 40; ++s) SetText(*db, s, 1, "long enough to be longer");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path(""));
  EXPECT_EQ(ExportCsv(*db), 1);
  const std::string first = FileText(dir.Path("Veldrana.CSV"));
  SetStatuses(*db, std::vector<uint32_t>(db->slotCount, 0));
  SetStatuses(*db, {10});
  EXPECT_EQ(ExportCsv(*db), 1);
  const std::string second = FileText(dir.Path("Veldrana.CSV"));
  std::filesystem::current_path(previous);
  EXPECT_EQ(first.substr(0, 30), "\"long enough to be longer\", \r\"");
  EXPECT_EQ(second, "\"long enough to be longer\", \r" + std::string(db->slotCount - 1, '\r'));
}

TEST(CsvExport, Failures) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("a.vdr"), {12}));
  EXPECT_EQ(WriteCsvFile(*db, dir.Path("missing/out.csv").c_str()), 0);
  // A write that fails half-way leaves the last good export, and no side file.
  const std::string out = dir.Path("out.csv");
  ASSERT_EQ(WriteCsvFile(*db, out.c_str()), 1);
  const std::string good = FileText(out);
  SetText(*db, 0, 1, "changed");
  platform::FailWritesAfter(0);
  EXPECT_EQ(WriteCsvFile(*db, out.c_str()), 0);
  EXPECT_EQ(ExportCsv(*db), 0);  // and the program is told
  platform::FailWritesAfter(-1);
  EXPECT_EQ(FileText(out), good);
  EXPECT_FALSE(platform::FileExists((out + ".saving").c_str()));
}

// Reads the export back: per line, the quoted values, quotes undoubled.
std::vector<std::vector<std::string>> ReadBack(const std::string& text) {
  std::vector<std::vector<std::string>> lines(1);
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r') {
      lines.emplace_back();
      ++i;
      continue;
    }
    EXPECT_EQ(text[i], '"') << i;
    std::string value;
    for (++i;; ++i) {
      if (i >= text.size()) return {};
      if (text[i] == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          value += '"';
          ++i;
          continue;
        }
        break;
      }
      value += text[i];
    }
    EXPECT_EQ(text.compare(i + 1, 2, ", "), 0) << i;
    i += 3;
    lines.back().push_back(value);
  }
  lines.pop_back();  // after the last CR
  return lines;
}

TEST(CsvExport, ReadsBackIntoTheSameValues) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("r.vdr"), {12, 15, 2}));
  std::mt19937 random(7);
  const int kRecords = 600;
  std::vector<uint32_t> statuses(kRecords);
  for (auto& s : statuses) s = random() % 3 == 0 ? 5 : 10;
  SetStatuses(*db, statuses);
  std::vector<std::vector<std::string>> expected;
  const char alphabet[] = "\"\",\r\n ab\x01\xff";
  for (int s = 0; s < kRecords; ++s) {
    std::string small, large;
    for (size_t n = random() % 64; n > 0; --n) small += alphabet[random() % (sizeof alphabet - 1)];
    // Some values all quotes, to fill the writer's buffer many times over.
    size_t length = s % 3 == 0 ? 4999 : random() % 200;
    for (size_t n = 0; n < length; ++n)
      large += s % 3 == 0 ? '"' : alphabet[random() % (sizeof alphabet - 1)];
    const uint32_t number = static_cast<uint32_t>(random());
    SetText(*db, s, 1, small);
    SetText(*db, s, 2, large);
    SetNumber(*db, s, 3, number);
    if (statuses[s] == 10)
      expected.push_back({small, large, std::to_string(number)});
    else
      expected.emplace_back();
  }
  for (uint32_t s = kRecords; s < db->slotCount; ++s) expected.emplace_back();
  const std::string text = Export(*db, dir);
  EXPECT_GT(text.size(), size_t{1} << 20);  // more than the writer holds at once
  auto lines = ReadBack(text);
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t s = 0; s < lines.size(); ++s) ASSERT_EQ(lines[s], expected[s]) << s;
}

}  // namespace

// ---- Import, and the export for spreadsheets ----

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ReadAll(const std::string& text, char separator, CsvReader* reader = nullptr) {
  CsvReader own(text.data(), text.size(), separator);
  if (reader == nullptr) reader = &own;
  Rows rows;
  std::vector<CsvValue> values;
  while (reader->Next(&values)) {
    rows.emplace_back();
    for (const CsvValue& v : values) rows.back().emplace_back(v.text, v.length);
  }
  return rows;
}

TEST(CsvReader, ValuesSeparatorsAndLineEnds) {
  struct Case {
    const char* name;
    std::string text;
    char separator;
    Rows rows;
  } cases[] = {
      {"quotes and doubled quotes", "a,\"b,c\",\"say \"\"hi\"\"\"\r\n", ',', {{"a", "b,c", "say \"hi\""}}},
      {"line breaks inside quotes", "\"one\r\ntwo\",\"3\n\r4\"\r\ny,z", ',',
       {{"one\r\ntwo", "3\n\r4"}, {"y", "z"}}},
      {"semicolons, LF", "Apfel;1,50;2,30\nBirne;\"0;5\";1\n", ';', {{"Apfel", "1,50", "2,30"}, {"Birne", "0;5", "1"}}},
      {"tabs, CR", "a b\t\"c\"\rd\te", '\t', {{"a b", "c"}, {"d", "e"}}},
      {"Veldrana's Export", "\"12\", \"a, b\", \r\r\r\"3\", \"\"\"q\"\"\", \r", ',',
       {{"12", "a, b"}, {"3", "\"q\""}}},
      {"empty lines and values, a separator ending a line", "\n\r\na,,c,\n\r\n,b, \t\n\"\"", ',',
       {{"a", "", "c"}, {"", "b"}, {""}}},
      {"blanks kept unquoted, dropped around quotes", " a , \"b\" ,c ", ',', {{" a ", "b", "c "}}},
      {"separators in quotes do not count", "\"a;b;c\",d\n", ',', {{"a;b;c", "d"}}},
      {"a tie goes to the first", "a;b,c", ';', {{"a", "b,c"}}},
      {"no separator: one value", "just text\n", ',', {{"just text"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectSeparator(c.text.data(), c.text.size()), c.separator) << c.name;
    CsvReader reader(c.text.data(), c.text.size(), c.separator);
    EXPECT_EQ(ReadAll(c.text, c.separator, &reader), c.rows) << c.name;
    EXPECT_EQ(reader.problem(), CsvProblem::kNone) << c.name;
    EXPECT_EQ(reader.position(), c.text.size()) << c.name;
  }
}

TEST(TypedNumber, WholeNumbersTheFieldHolds) {
  struct Case {
    const char* text;
    uint32_t typeCode;
    bool ok;
    uint32_t value;
  } cases[] = {
      {"0", 0, true, 0},          {"255", 0, true, 255},  {"256", 0, false, 0},
      {" 12\t", 1, true, 12},     {"65536", 1, false, 0}, {"007", 2, true, 7},
      {"4294967295", 9, true, 4294967295u},                {"4294967296", 2, false, 0},
      {"99999999999999999999", 2, false, 0},               {"", 2, false, 0},
      {"  ", 2, false, 0},        {"+1", 2, false, 0},    {"-1", 2, false, 0},
      {"1 2", 2, false, 0},       {"1.0", 2, false, 0},   {"12a", 2, false, 0},
  };
  for (const Case& c : cases) {
    uint32_t value = 12345;
    EXPECT_EQ(ParseWholeNumber(c.text, FieldTypeMaximum(c.typeCode), &value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

// An open database of these fields and no records, and the import of a file
// into it.
class CsvImportTest : public ::testing::Test {
 protected:
  void Make(const std::vector<uint32_t>& types) {
    ASSERT_TRUE(CreateAndOpen(*db_, dir_.Path("db.vdr"), types));
    ASSERT_EQ(db_->SetRecStat(0, kRecDeleted), 1);
  }
  // Imports text; the problem's place and reason, or "" when it went in.
  std::string Import(const std::string& text, bool header = false) {
    const std::string path = dir_.Path("in.csv");
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    CsvImport import;
    if (!import.Open(path.c_str())) return "cannot read";
    ImportProblem problem;
    if (!import.Check(*db_, header, &problem)) return ImportProblemPlace(problem) + ": " + problem.reason;
    return import.Add(&*db_) ? "" : "no room";
  }
  Rows Records() {
    Rows rows;
    char digits[12];
    for (uint32_t s = 0; s < db_->slotCount; ++s) {
      if (db_->GetRecStat(static_cast<int32_t>(s)) != kRecActive) continue;
      rows.emplace_back();
      for (uint32_t f = 1; f <= db_->fieldCount; ++f) {
        const char* text;
        const size_t n = db_->DisplayText(static_cast<int32_t>(s), f, digits, &text);
        rows.back().emplace_back(text, n);
      }
    }
    return rows;
  }

  ScratchDir dir_;
  Db db_;
};

TEST_F(CsvImportTest, ValuesGoIntoTheFieldsInOrder) {
  Make({0, 2, 10, 12});
  EXPECT_EQ(Import(" 42 ,007,abc,\"x, y\"\n,,,\n255\n1,4294967295,,\"two\nlines\"\n"), "");
  EXPECT_EQ(Records(), (Rows{{"42", "7", "abc", "x, y"},
                             {"0", "0", "", ""},
                             {"255", "0", "", ""},
                             {"1", "4294967295", "", "two\nlines"}}));
  EXPECT_EQ(db_->activeCount, 4u);
}

TEST_F(CsvImportTest, TextEncodings) {
  Make({12});
  struct Case {
    const char* name;
    std::string file, stored;
  } cases[] = {
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFZ\xC3\xBCrich \xE2\x82\xAC", "Z\xFCrich \x80"},
      {"UTF-8 without one", "Z\xC3\xBCrich", "Z\xFCrich"},
      {"the code page", "Z\xFCrich \x80", "Z\xFCrich \x80"},
      {"a mark before plain ASCII", "\xEF\xBB\xBFplain", "plain"},
      {"not UTF-8 throughout: the code page", "\xC3\xBC and \xFC", "\xC3\xBC and \xFC"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Import(c.file), "") << c.name;
    ASSERT_FALSE(Records().empty()) << c.name;
    EXPECT_EQ(Records().back()[0], c.stored) << c.name;
  }
}

TEST_F(CsvImportTest, AHeaderLineOrNone) {
  Make({2, 11});
  // Without labels the names are field1, field2, ...
  EXPECT_EQ(Import(" FIELD1 ,field2\n1,a\n", true), "");
  EXPECT_EQ(Import("field1,field2\n2,b\n", false), "Not imported: line 1, field 1: not a whole number 0 - 4294967295");
  EXPECT_EQ(Records(), (Rows{{"1", "a"}}));
  const std::string path = dir_.Path("h.csv");
  for (auto [text, names] : {std::pair<std::string, bool>{"Field1;FIELD2\r\n1;2", true},
                             {"\xEF\xBB\xBF" "field1", true},
                             {"field1,field3\n", false},
                             {"field1,field2,field3\n", false},
                             {"", false}}) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
    CsvImport import;
    ASSERT_TRUE(import.Open(path.c_str()));
    EXPECT_EQ(import.FirstLineNamesColumns(*db_), names) << text;
    EXPECT_EQ(import.HasLines(), !text.empty()) << text;
  }
}

// Any problem stops the import before the first record is added, naming the
// line, the field and the reason; the database stays as it was.
TEST_F(CsvImportTest, AllOrNothing) {
  Make({0, 1, 2, 10, 12});
  EXPECT_EQ(Import("1,2,3,abc,kept\n"), "");
  std::string manyGood;
  for (int i = 0; i < 4999; ++i) manyGood += "1,2,3,x,y\n";
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {"1,2,3,a,b\n256", "line 2, field 1: not a whole number 0 - 255"},
      {"1,65536", "line 1, field 2: not a whole number 0 - 65535"},
      {"1,2,4294967296", "line 1, field 3: not a whole number 0 - 4294967295"},
      {"1,2,-3", "line 1, field 3: not a whole number 0 - 4294967295"},
      {"1,2,3,abcd", "line 1, field 4: longer than 3 characters"},
      {"1,2,3,a,b,extra", "line 1, field 6: the database has only 5 fields"},
      {"1,2,3,a,\xCE\xA9", "line 1, field 5: a character Veldrana cannot store"},
      {std::string("1,2,3,a,b\0c", 11), "line 1, field 5: a zero byte: not a text file"},
      {"1\n\"2\n", "line 2, field 1: a quoted value has no closing quote"},
      {"1,\"2\"3", "line 1, field 2: text after a closing quote"},
      {"1,2,3,a,\"x\r\ny\"\r1\r\n1,2,3,a,\"d\"e", "line 4, field 5: text after a closing quote"},
      {manyGood + std::string(63, 'x') + "\n", nullptr},  // the first field's number
      {manyGood + "1,2,3,x," + std::string(64, 'y'), "line 5000, field 5: longer than 63 characters"},
  };
  const auto before = ViewBytes(*db_);
  for (const auto& c : cases) {
    const std::string result = Import(c.text);
    if (c.expected != nullptr) {
      EXPECT_EQ(result, std::string("Not imported: ") + c.expected);
    } else {
      EXPECT_EQ(result, "Not imported: line 5000, field 1: not a whole number 0 - 255");
    }
    EXPECT_TRUE(ViewBytes(*db_) == before) << c.text.substr(0, 40);
  }
  EXPECT_EQ(Records(), (Rows{{"1", "2", "3", "abc", "kept"}}));

  // No room for the records: none is added.
  platform::FailWritesAfter(0);
  EXPECT_EQ(Import(manyGood), "no room");
  platform::FailWritesAfter(-1);
  EXPECT_EQ(Records(), (Rows{{"1", "2", "3", "abc", "kept"}}));
}

TEST_F(CsvImportTest, ExportsImportBackIntoTheSameRecords) {
  Make({12, 2, 11, 0, 14});
  const Rows rows = {{"Z\xFCrich, \"CH\"", "4294967295", "a\r\nb", "255", std::string(999, '\xE9')},
                     {"", "0", "", "0", ""},
                     {" blanks ", "7", ";\t", "1", "x"},
                     // Blanks, quotes, separators and line breaks first, in the middle and last.
                     {"   ", "1", "\"", "2", "   "},
                     {",", "3", " \n ", "4", "a,\"b\"\r\n"},
                     {"\t", "5", "  x  ", "6", " "},
                     {"\"q\" ", "8", ",", "9", "\r"}};
  for (size_t r = 0; r < rows.size(); ++r) {
    const int32_t slot = db_->AddRecord();
    ASSERT_GE(slot, 0);
    for (uint32_t f = 1; f <= 5; ++f) {
      if (IsNumberType(db_->FieldTypeOf(f)))
        SetNumber(*db_, slot, f, static_cast<uint32_t>(std::stoul(rows[r][f - 1])));
      else
        SetText(*db_, slot, f, rows[r][f - 1]);
    }
  }
  ASSERT_EQ(Records(), rows);
  // Export As, with its header.
  ASSERT_EQ(WriteSpreadsheetCsv(*db_, dir_.Path("sheet.csv").c_str()), 1);
  const auto sheet = ReadBytes(dir_.Path("sheet.csv"));
  // Veldrana's own Export, with the free slots' empty lines.
  ASSERT_EQ(WriteCsvFile(*db_, dir_.Path("own.csv").c_str()), 1);
  const auto own = ReadBytes(dir_.Path("own.csv"));
  for (const auto& [file, header] : {std::pair<std::vector<uint8_t>, bool>{sheet, true}, {own, false}}) {
    Make({12, 2, 11, 0, 14});
    EXPECT_EQ(Import(std::string(file.begin(), file.end()), header), "");
    EXPECT_EQ(Records(), rows);
  }
}

TEST(SpreadsheetExport, HeaderQuotingLineEndsAndUtf8) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("s.vdr"), {12, 2, 11}));
  SetStatuses(*db, {10, 5, 10});
  SetText(*db, 0, 1, "Z\xFCrich");
  SetNumber(*db, 0, 2, 4294967295u);
  SetText(*db, 0, 3, "a,b");
  SetText(*db, 1, 1, "deleted");
  SetText(*db, 2, 1, "say \"hi\"");
  SetText(*db, 2, 3, "two\r\nlines");
  const std::string out = dir.Path("out.csv");
  WriteBytes(out, {'o', 'l', 'd'});
  ASSERT_EQ(WriteSpreadsheetCsv(*db, out.c_str()), 1);
  EXPECT_EQ(FileText(out),
            "\xEF\xBB\xBF" "field1,field2,field3\r\n"
            "Z\xC3\xBCrich,4294967295,\"a,b\"\r\n"
            "\"say \"\"hi\"\"\",0,\"two\r\nlines\"\r\n");
  EXPECT_FALSE(std::filesystem::exists(out + ".saving"));

  // A failed write leaves the file before as it was.
  platform::FailWritesAfter(1);
  EXPECT_EQ(WriteSpreadsheetCsv(*db, out.c_str()), 0);
  platform::FailWritesAfter(-1);
  EXPECT_EQ(FileText(out).substr(0, 9), "\xEF\xBB\xBF" "field1");
  EXPECT_FALSE(std::filesystem::exists(out + ".saving"));
  EXPECT_EQ(WriteSpreadsheetCsv(*db, dir.Path("missing/out.csv").c_str()), 0);
}

TEST(SpreadsheetExport, SuggestedFileNames) {
  const struct {
    const char* name;
    const char* file;
  } cases[] = {
      {"Books", "Books.csv"},      {"My: Books?", "My_ Books_.csv"}, {"a/b\\c|d", "a_b_c_d.csv"},
      {" Notes. . ", "Notes.csv"}, {"<>\"*", "____.csv"},          {"", "Veldrana.csv"},
      {"tab\there", "tab_here.csv"}, {"Caf\xE9", "Caf\xE9.csv"},
  };
  for (const auto& c : cases) {
    char file[600];
    SpreadsheetFileName(c.name, file, sizeof file);
    EXPECT_STREQ(file, c.file) << c.name;
  }
  char small[10];
  SpreadsheetFileName("A long database name", small, sizeof small);
  EXPECT_STREQ(small, "A lon.csv");
}

}  // namespace
