// libFuzzer target for the StyleFile reader: any bytes as a template.
//
// The input is read twice: from memory, where every tag is walked and the
// values New and Open look up are searched, and from a file, through
// ReadStyleColumns and the making of a database. Besides memory safety, the
// two readings must agree, every text must fit its buffer, and a template
// that loads must give one column per field (at least one) after the three
// fixed ones.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "core/folders.h"
#include "core/settings.h"
#include "store/database_file.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"
#include "core/templates/template_database.h"

namespace {

// Fields whose values are searched; the reader starts again from the top of
// the file for each lookup, so more would only be slower.
constexpr uint32_t kFieldLimit = 24;

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

std::string Value(StyleFile* file, const char* path, bool* found) {
  char value[kTagTextSize] = "";
  *found = FindTagValue(file, path, value, sizeof value);
  CHECK(std::strlen(value) < kTagTextSize);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  StyleFile* memory = OpenStyleText(text, size);

  // Every tag of the input, through a small buffer and a full one.
  if (memory != nullptr) {
    char tag[kTagTextSize];
    size_t tags = 0;
    while (ReadNextTag(memory, tag, sizeof tag)) {
      CHECK(std::strlen(tag) < kTagTextSize);
      CHECK(std::strchr(tag, '/') == nullptr);
      ++tags;
    }
    CHECK(tags <= size);
  }

  const std::string folder = ScratchFolder("templates_fuzz");
  SetFolders(folder.c_str(), folder.c_str());
  const std::string path = folder + "t.xml";
  CHECK(WriteFile(path, data, size));
  StyleFile* file = OpenStyleFile(path.c_str());
  CHECK((file == nullptr) == (memory == nullptr));
  if (memory == nullptr) return 0;

  // The same values from memory and from the file.
  const char* const paths[] = {"<StyleFile><LongName>", "<StyleFile><Records>", "<StyleFile><Ver>",
                               "<StyleFile>", "<Records>", "<StyleFile><Rec1><Label><x>", "<", ""};
  for (const char* p : paths) {
    bool inMemory = false, inFile = false;
    CHECK(Value(memory, p, &inMemory) == Value(file, p, &inFile));
    CHECK(inMemory == inFile);
  }
  const uint32_t n = FindTagNumber(memory, "<StyleFile><Records>");
  std::vector<std::string> labels;
  for (uint32_t i = 1; i <= (n == 0 ? 1 : n) && i <= kFieldLimit; ++i) {
    char tagPath[kTagTextSize];
    FieldTagPath(i, "<Label>", tagPath, sizeof tagPath);
    bool found = false;
    std::string label = Value(memory, tagPath, &found);
    labels.push_back(label.substr(0, kLabelSize - 1));
    FieldTagPath(i, "<Width>", tagPath, sizeof tagPath);
    CHECK(FindTagNumber(memory, tagPath) == FindTagNumber(file, tagPath));
  }
  CloseStyleFile(memory);
  CloseStyleFile(file);

  // The list columns and labels Open would give; every field is looked up
  // from the top of the file, so large counts are only checked for refusal.
  if (n > 256 && n <= store::kMaxFieldCount) return 0;
  std::memset(&settings, 0, sizeof settings);
  SetDefaultSettings();
  std::strcpy(templateFileName, "t.xml");
  std::vector<ListColumn> columns;
  const int read = ReadStyleColumns(&columns);
  CHECK(read == (n <= store::kMaxFieldCount ? 1 : 0));
  if (read == 1) {
    CHECK(styleFieldCount == n);
    CHECK(columns.size() == size_t{n == 0 ? 1 : n} + 3);
    CHECK(std::strcmp(columns[1].label, "Record ") == 0);
    for (const ListColumn& c : columns) CHECK(std::strlen(c.label) < kLabelSize);
    for (size_t i = 0; i < labels.size(); ++i) {
      CHECK(labels[i] == FieldLabel(static_cast<uint32_t>(i + 1)));
      CHECK(labels[i] == columns[i + 3].label);
    }
    CHECK(FieldLabel(n + 2) == nullptr);
  }
  FreeColumnLabels();

  // New from it: the database opens with the template's field count and one
  // active record.
  if (read == 1) {
    DatabaseFile* db = new DatabaseFile();
    std::memset(static_cast<void*>(db), 0, sizeof *db);
    const std::string vdr = folder + "t.vdr";
    const int made = CreateDatabaseFromTemplate(db, path.c_str(), vdr.c_str(), "fuzz");
    CHECK(made == 1);
    CHECK(db->fieldCount == n);
    CHECK(db->activeCount == 1);
    db->Close();
    delete db;
  }
  return 0;
}
