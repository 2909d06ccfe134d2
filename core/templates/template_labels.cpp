// The template in use: its list columns and field labels.
#include "core/templates/template_labels.h"

#include <cstdlib>

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

void FreeColumnLabels() {
  std::free(columnLabels);
  columnLabels = nullptr;
  columnLabelSlots = 0;
}

const char* FieldLabel(uint32_t field) {
  if (columnLabels == nullptr || field == 0 || field > columnLabelSlots) return nullptr;
  return columnLabels + size_t{field - 1} * kLabelSize;
}

