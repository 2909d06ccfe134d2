// The template in use: its list columns and field labels.
#include "core/templates/template_labels.h"

#include <cstdlib>
#include <cstring>

#include "core/settings.h"
#include "store/database_file.h"
#include "store/text.h"

char templateFileName[kTagTextSize];
char sourceName[kTagTextSize];
uint32_t styleFieldCount;
char* columnLabels;
uint32_t columnLabelSlots;
uint32_t templateNumber;

namespace {

constexpr uint32_t kWorldFieldCount = 44;
constexpr char kWorldTemplate[] = "WELT13.xml";
constexpr uint32_t kWorldTemplateNumber = 3;
constexpr char kSpareTemplate[] = "Spare.xml";
constexpr uint32_t kSpareTemplateNumber = 4;

ListColumn Column(const char* label, uint32_t width) {
  ListColumn column;
  CopyText(label, column.label, sizeof column.label);
  column.width = width;
  return column;
}

}  // namespace

void UseTemplate(const char* fileName, uint32_t number) {
  CopyText(fileName, templateFileName, sizeof templateFileName);
  templateNumber = number;
}

void ForgetTemplate() { templateNumber = 0; }

void ForgetSourceName() { sourceName[0] = 0; }

void UseTemplateForFieldCount(uint32_t fieldCount) {
  if (fieldCount == kWorldFieldCount)
    UseTemplate(kWorldTemplate, kWorldTemplateNumber);
  else
    UseTemplate(kSpareTemplate, kSpareTemplateNumber);
}

namespace {

constexpr size_t kMaxTemplateNameLength = 260;

// A file name with no way out of the folders it is looked for in.
bool PlainFileName(const char* name) {
  const size_t length = TextLength(name);
  if (length == 0 || length > kMaxTemplateNameLength) return false;
  for (const char* c = name; *c != 0; ++c)
    if (*c == '\\' || *c == '/' || *c == ':' || (c[0] == '.' && c[1] == '.')) return false;
  return true;
}

// The number Open gives a template: the world table's and the spare
// template's own, else its place in the template list, from 1, or the spare
// number when it is not listed.
uint32_t TemplateNumberOf(const char* name) {
  if (std::strcmp(name, kWorldTemplate) == 0) return kWorldTemplateNumber;
  if (std::strcmp(name, kSpareTemplate) == 0) return kSpareTemplateNumber;
  std::vector<TemplateList> list(1);
  ReadTemplateList(&list[0]);
  for (uint32_t k = 0; k < list[0].fileCount; ++k)
    if (std::strcmp(list[0].files[k], name) == 0) return k + 1;
  return kSpareTemplateNumber;
}

}  // namespace

void UseTemplateOfDatabase(const DatabaseFile& db) {
  char name[store::kTemplateNameSize];
  db.ReadTemplateName(name, sizeof name);
  UseTemplateNamed(db, name);
}

void UseTemplateNamed(const DatabaseFile& db, const char* name) {
  if (PlainFileName(name)) {
    char path[kTagTextSize];
    LocateDataFile(name, path, sizeof path);
    if (StyleFile* file = OpenStyleFile(path)) {
      const uint32_t fields = FindTagNumber(file, "<StyleFile><Records>");
      CloseStyleFile(file);
      if (fields == db.fieldCount) {
        UseTemplate(name, TemplateNumberOf(name));
        return;
      }
    }
  }
  UseTemplateForFieldCount(db.fieldCount);
}

int ReadStyleColumns(std::vector<ListColumn>* columns) {
  columns->clear();
  char path[kTagTextSize];
  LocateDataFile(templateFileName, path, sizeof path);
  StyleFile* file = OpenStyleFile(path);
  if (file == nullptr) return 0;
  const uint32_t n = FindTagNumber(file, "<StyleFile><Records>");
  // No block is sized from a count no database can have.
  if (n > store::kMaxFieldCount) {
    CloseStyleFile(file);
    return 0;
  }
  const uint32_t slots = n + 1;
  char* labels = static_cast<char*>(std::calloc(slots, kLabelSize));
  if (labels == nullptr) {
    CloseStyleFile(file);
    return 0;
  }
  FindTagValue(file, "<StyleFile><LongName>", sourceName, sizeof sourceName);
  styleFieldCount = n;
  FreeColumnLabels();
  columnLabels = labels;
  columnLabelSlots = slots;

  columns->reserve(size_t{n} + 3);
  columns->push_back(Column("Index", settings.indexColumnWidth));
  columns->push_back(Column("Record ", settings.recordColumnWidth));
  columns->push_back(Column("RecStat", settings.recStatColumnWidth));
  const uint32_t last = n == 0 ? 1 : n;
  for (uint32_t i = 1; i <= last; ++i) {
    char tagPath[kTagTextSize];
    char label[kTagTextSize] = "";
    FieldTagPath(i, "<Label>", tagPath, sizeof tagPath);
    FindTagValue(file, tagPath, label, sizeof label);
    CopyText(label, columnLabels + size_t{i - 1} * kLabelSize, kLabelSize);
    FieldTagPath(i, "<Width>", tagPath, sizeof tagPath);
    columns->push_back(Column(label, FindTagNumber(file, tagPath)));
  }
  CloseStyleFile(file);
  return 1;
}

int ReadListColumns(uint32_t fieldCount, std::vector<ListColumn>* columns) {
  if (!ReadStyleColumns(columns)) return 0;
  const size_t wanted = size_t{fieldCount} + 3;
  const uint32_t width = columns->back().width;
  columns->resize(wanted < columns->size() ? wanted : columns->size());
  for (size_t field = columns->size() - 2; columns->size() < wanted; ++field) {
    char number[12];
    NumberToUnsignedText(static_cast<uint32_t>(field), number, sizeof number);
    columns->push_back(Column(number, width));
  }
  return 1;
}

void FreeColumnLabels() {
  std::free(columnLabels);
  columnLabels = nullptr;
  columnLabelSlots = 0;
}

const char* FieldLabel(uint32_t field) {
  if (columnLabels == nullptr || field == 0 || field > columnLabelSlots) return nullptr;
  return columnLabels + size_t{field - 1} * kLabelSize;
}

