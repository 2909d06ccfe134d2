// A template's list columns and field labels, and the template list.
#include <cstdlib>
#include <cstring>

#include "app/settings.h"
#include "store/database_file.h"
#include "store/text.h"
#include "templates/style_file.h"

namespace {

ListColumn Column(const char* label, uint32_t width) {
  ListColumn column;
  CopyText(label, column.label, sizeof column.label);
  column.width = width;
  return column;
}

}  // namespace

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

void StartTemplateList(TemplateListReader* reader, TemplateList* list) {
  reader->list = list;
  reader->length = 0;
  reader->nextIsName = true;
  list->nameCount = 0;
  list->fileCount = 0;
  std::memset(list->names, 0, sizeof list->names);
  std::memset(list->files, 0, sizeof list->files);
}

void FeedTemplateList(TemplateListReader* reader, const char* bytes, size_t size) {
  TemplateList* list = reader->list;
  for (size_t i = 0; i < size; ++i) {
    const char c = bytes[i];
    if (c == '\n') continue;
    if (c != '\r') {
      // A line longer than the buffer keeps its first 599 characters.
      if (reader->length + 1 < sizeof reader->line) reader->line[reader->length] = c;
      ++reader->length;
      continue;
    }
    size_t kept = reader->length < sizeof reader->line ? reader->length : sizeof reader->line - 1;
    reader->line[kept] = 0;
    // Lines of two characters or fewer do not count; a full list takes no more.
    if (reader->length > 2 && list->fileCount < kMaxTemplates) {
      if (reader->nextIsName) {
        CopyText(reader->line, list->names[list->fileCount], kTagTextSize);
        list->nameCount = list->fileCount + 1;
      } else {
        CopyText(reader->line, list->files[list->fileCount], kTagTextSize);
        ++list->fileCount;
      }
      reader->nextIsName = !reader->nextIsName;
    }
    reader->length = 0;
  }
}

int ReadTemplateListFile(const char* path, TemplateList* list) {
  TemplateListReader reader;
  StartTemplateList(&reader, list);
  platform::FileHandle file = platform::OpenExclusive(path);
  if (file == platform::kNoFile) return 0;
  char buffer[4096];
  long got;
  while ((got = platform::ReadSome(file, buffer, sizeof buffer)) > 0)
    FeedTemplateList(&reader, buffer, static_cast<size_t>(got));
  platform::CloseFile(file);
  return 1;
}

int ReadTemplateList(TemplateList* list) {
  char path[kTagTextSize];
  LocateDataFile("StyleLst.txt", path, sizeof path);
  return ReadTemplateListFile(path, list);
}
