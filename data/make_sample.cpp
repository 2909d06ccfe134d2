// Builds the sample database at build time: a database made from a template
// as New makes it, filled with the records of a tab-separated text file (one
// record per line, the fields in order; lines starting with "#" are notes).
//
//   make_sample TEMPLATE RECORDS OUTPUT NAME
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "store/database_file.h"
#include "store/text.h"
#include "templates/template_database.h"

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> values;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    values.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return values;
    start = tab + 1;
  }
}

bool WriteValue(DatabaseFile& db, int32_t slot, uint32_t field, const std::string& value) {
  const uint32_t code = db.FieldTypeOf(field);
  if (IsNumberType(code)) {
    db.numberValue = TextToNumber(value.c_str());
  } else {
    if (value.size() + 1 > FieldTypeWidth(code)) {
      std::fprintf(stderr, "make_sample: \"%s\" is too long for field %u\n", value.c_str(), field);
      return false;
    }
    CopyText(value.c_str(), db.textValue, sizeof db.textValue);
  }
  return db.WriteField(slot, field) >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_sample TEMPLATE RECORDS OUTPUT NAME\n");
    return 2;
  }
  std::ifstream records(argv[2], std::ios::binary);
  if (!records) {
    std::fprintf(stderr, "make_sample: cannot read %s\n", argv[2]);
    return 1;
  }
  ResetDatabaseFile(&databaseFile);
  DatabaseFile& db = databaseFile;
  if (!CreateDatabaseFromTemplate(&db, argv[1], argv[3], argv[4])) {
    std::fprintf(stderr, "make_sample: cannot make %s from %s\n", argv[3], argv[1]);
    return 1;
  }
  // New leaves one empty record in slot 0: the first line fills it.
  int32_t slot = 0;
  bool first = true;
  std::string line;
  while (std::getline(records, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> values = SplitTabs(line);
    if (values.size() != db.fieldCount) {
      std::fprintf(stderr, "make_sample: %zu values for %u fields: %s\n", values.size(),
                   db.fieldCount, line.c_str());
      db.Close();
      return 1;
    }
    if (!first) slot = db.AddRecord();
    first = false;
    if (slot < 0) {
      db.Close();
      return 1;
    }
    for (uint32_t f = 1; f <= db.fieldCount; ++f) {
      if (!WriteValue(db, slot, f, values[f - 1])) {
        db.Close();
        return 1;
      }
    }
  }
  db.Close();
  return 0;
}
