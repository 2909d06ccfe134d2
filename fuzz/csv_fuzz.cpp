// libFuzzer target for the CSV reader and the import: any bytes as a CSV
// file. Besides memory safety: the reader ends at the end of the text unless
// it names a problem; what it read, written again as plain RFC 4180 CSV,
// reads back the same; code-page text goes to UTF-8 and back unchanged; and
// an import into a small database either adds every record it checked or
// leaves the database exactly as it was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "core/csv_import.h"
#include "core/csv_reader.h"
#include "platform/platform.h"
#include "store/database_file.h"
#include "store/store_inside.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Reads the whole text; false when the reader named a problem.
bool ReadAll(const char* text, size_t size, char separator, Rows* rows) {
  CsvReader reader(text, size, separator);
  std::vector<CsvValue> values;
  uint32_t line = 0;
  size_t position = 0;
  while (reader.Next(&values)) {
    CHECK(!values.empty());
    CHECK(reader.line() > line);
    CHECK(reader.position() > position && reader.position() <= size);
    line = reader.line();
    position = reader.position();
    rows->emplace_back();
    for (const CsvValue& v : values) rows->back().emplace_back(v.text, v.length);
  }
  if (reader.problem() != CsvProblem::kNone) {
    CHECK(reader.problemField() >= 1);
    return false;
  }
  CHECK(reader.position() == size);
  return true;
}

std::string Written(const Rows& rows, char separator) {
  std::string text;
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += separator;
      text += '"';
      for (char c : row[i]) {
        if (c == '"') text += '"';
        text += c;
      }
      text += '"';
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const char separator = DetectSeparator(text, size);
  CHECK(separator == ',' || separator == ';' || separator == '\t');
  Rows rows;
  if (ReadAll(text, size, separator, &rows)) {
    const std::string again = Written(rows, separator);
    Rows reread;
    CHECK(ReadAll(again.data(), again.size(), separator, &reread));
    CHECK(reread == rows);
  }

  std::string utf8, back;
  platform::AppendUtf8FromCodePage(text, size, &utf8);
  bool nonAscii = false;
  CHECK(IsUtf8(utf8.data(), utf8.size(), &nonAscii));
  CHECK(platform::AppendCodePageFromUtf8(utf8.data(), utf8.size(), &back));
  CHECK(back == std::string(text, size));
  back.clear();
  if (platform::AppendCodePageFromUtf8(text, size, &back)) CHECK(IsUtf8(text, size, &nonAscii));

  const std::string folder = ScratchFolder("csv_fuzz");
  const std::string csv = folder + "in.csv";
  FILE* f = std::fopen(csv.c_str(), "wb");
  CHECK(f != nullptr);
  CHECK(std::fwrite(data, 1, size, f) == size);
  CHECK(std::fclose(f) == 0);
  static DatabaseFile db;
  const uint32_t types[] = {kNumber8, kNumber32, kText4, kText64};
  CHECK(db.CreateWithFields((folder + "db.vdr").c_str(), types, 4, "fuzz", 1) == 1);
  const std::vector<uint8_t> before(db.view, db.view + StoreInside::MappedSize(db));
  const uint32_t active = db.activeCount;
  CsvImport import;
  CHECK(import.Open(csv.c_str()));
  ImportProblem problem;
  if (import.Check(db, import.FirstLineNamesColumns(db), &problem)) {
    CHECK(import.Add(&db));
    CHECK(db.activeCount == active + import.RecordCount());
  } else {
    CHECK(problem.line >= 1 && !problem.reason.empty());
    CHECK(db.activeCount == active);
    CHECK(StoreInside::MappedSize(db) == before.size());
    CHECK(std::memcmp(db.view, before.data(), before.size()) == 0);
  }
  db.Close();
  return 0;
}
