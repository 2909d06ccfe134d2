// The CSV export, compared byte for byte with expected files, and read back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/database_file.h"
#include "core/csv_export.h"
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
