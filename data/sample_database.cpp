#include "data/sample_database.h"

#include <fstream>
#include <vector>

#include "store/database_file.h"
#include "store/text.h"
#include "core/templates/template_database.h"

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

bool WriteValue(DatabaseFile& db, int32_t slot, uint32_t field, const std::string& value,
                std::string* error) {
  const uint32_t code = db.FieldTypeOf(field);
  if (IsNumberType(code)) {
    db.numberValue = TextToNumber(value.c_str());
  } else {
    if (value.size() + 1 > FieldTypeWidth(code)) {
      *error = "\"" + value + "\" is too long for field " + std::to_string(field);
      return false;
    }
    CopyText(value.c_str(), db.textValue, sizeof db.textValue);
  }
  return db.WriteField(slot, field) >= 0;
}

}  // namespace

bool MakeSampleDatabase(const char* templatePath, const char* recordsPath, const char* outputPath,
                        const char* longName, std::string* error) {
  std::ifstream records(recordsPath, std::ios::binary);
  if (!records) {
    *error = std::string("cannot read ") + recordsPath;
    return false;
  }
  ResetDatabaseFile(&databaseFile);
  DatabaseFile& db = databaseFile;
  if (!CreateDatabaseFromTemplate(&db, templatePath, outputPath, longName)) {
    *error = std::string("cannot make ") + outputPath + " from " + templatePath;
    return false;
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
      *error = std::to_string(values.size()) + " values for " + std::to_string(db.fieldCount) +
               " fields: " + line;
      db.Close();
      return false;
    }
    if (!first) slot = db.AddRecord();
    first = false;
    if (slot < 0) {
      *error = "no room for another record";
      db.Close();
      return false;
    }
    for (uint32_t f = 1; f <= db.fieldCount; ++f) {
      if (!WriteValue(db, slot, f, values[f - 1], error)) {
        db.Close();
        return false;
      }
    }
  }
  db.Close();
  return true;
}
