// The StyleFile tag reader and the template lookup.
#include "core/templates/style_file.h"

#include <cstring>
#include <new>

#include "core/folders.h"
#include "store/text.h"

namespace {

// The next byte of the file, or -1 at its end (a read error ends it too).
int NextByte(StyleFile* file) {
  if (file->next == file->end) {
    if (file->handle == platform::kNoFile) return -1;
    long got = platform::ReadSome(file->handle, file->buffer, sizeof file->buffer);
    if (got <= 0) return -1;
    file->next = 0;
    file->end = static_cast<size_t>(got);
  }
  return file->data[file->next++];
}

bool Rewind(StyleFile* file) {
  file->next = 0;
  if (file->handle == platform::kNoFile) return true;
  file->end = 0;
  return platform::Seek(file->handle, 0);
}

// Keeps the file only when its first tag is the version tag.
StyleFile* CheckVersionTag(StyleFile* file) {
  char tag[kTagTextSize];
  if (!ReadNextTag(file, tag, sizeof tag) || std::strcmp(tag, kStyleVersionTag) != 0) {
    CloseStyleFile(file);
    return nullptr;
  }
  return file;
}

}  // namespace

void LocateDataFile(const char* name, char* path, size_t pathSize) {
  if (JoinPath(dataFolder, name, path, pathSize)) {
    platform::FileHandle probe = platform::OpenExclusive(path);
    if (probe != platform::kNoFile) {
      platform::CloseFile(probe);
      return;
    }
  }
  JoinPath(programFolder, name, path, pathSize);
}

StyleFile* OpenStyleFile(const char* path) {
  if (path[0] == 0) return nullptr;
  platform::FileHandle handle = platform::OpenExclusive(path);
  if (handle == platform::kNoFile) return nullptr;
  StyleFile* file = new (std::nothrow) StyleFile;
  if (file == nullptr) {
    platform::CloseFile(handle);
    return nullptr;
  }
  file->handle = handle;
  file->data = file->buffer;
  file->next = file->end = 0;
  return CheckVersionTag(file);
}

StyleFile* OpenStyleText(const char* text, size_t size) {
  StyleFile* file = new (std::nothrow) StyleFile;
  if (file == nullptr) return nullptr;
  file->handle = platform::kNoFile;
  file->data = reinterpret_cast<const unsigned char*>(text);
  file->next = 0;
  file->end = size;
  return CheckVersionTag(file);
}

void CloseStyleFile(StyleFile* file) {
  if (file == nullptr) return;
  platform::CloseFile(file->handle);
  delete file;
}

bool ReadNextTag(StyleFile* file, char* tag, size_t tagSize) {
  int c;
  do {
    c = NextByte(file);
    if (c < 0) return false;
  } while (c != '<');
  size_t n = 0;
  // A tag longer than the buffer keeps its first tagSize - 1 characters; the
  // rest, up to its ">", is read and dropped.
  while ((c = NextByte(file)) >= 0 && c != '>') {
    if (c == '/') continue;
    if (n + 1 < tagSize) tag[n++] = static_cast<char>(c);
  }
  if (tagSize > 0) tag[n] = 0;
  return true;
}

int SplitTagPath(char* path, char* first, size_t firstSize) {
  if (path[0] == 0) return 0;
  const char* start = path + 1;
  const char* close = std::strchr(start, '>');
  if (close == nullptr) return 0;
  CopyBytes(start, first, firstSize, static_cast<size_t>(close - start));
  if (close[1] == 0) return 2;
  std::memmove(path, close + 1, std::strlen(close + 1) + 1);
  return 1;
}

bool FindTagValue(StyleFile* file, const char* tagPath, char* value, size_t valueSize) {
  if (file == nullptr || !Rewind(file)) return false;
  char path[kTagTextSize];
  char parent[kTagTextSize];
  char component[kTagTextSize];
  char tag[kTagTextSize];
  CopyText(tagPath, path, sizeof path);
  if (!ReadNextTag(file, parent, sizeof parent)) return false;
  for (;;) {
    int result = SplitTagPath(path, component, sizeof component);
    if (result == 0) return false;
    for (;;) {
      if (!ReadNextTag(file, tag, sizeof tag)) return false;
      if (std::strcmp(tag, component) == 0) break;
      // The parent's closing tag: the child is not inside it.
      if (std::strcmp(tag, parent) == 0) return false;
    }
    if (result == 2) break;
    CopyText(component, parent, sizeof parent);
  }
  char found[kTagTextSize];
  size_t n = 0;
  int c;
  while ((c = NextByte(file)) >= 0 && c != '<' && c != '\r' && c != '\n' && n + 1 < sizeof found)
    found[n++] = static_cast<char>(c);
  found[n] = 0;
  CopyText(found, value, valueSize);
  return true;
}

uint32_t FindTagNumber(StyleFile* file, const char* tagPath) {
  char value[kTagTextSize] = "";
  FindTagValue(file, tagPath, value, sizeof value);
  return TextToNumber(value);
}

void FieldTagPath(uint32_t field, const char* child, char* path, size_t pathSize) {
  char number[12];
  NumberToUnsignedText(field, number, sizeof number);
  CopyText("<StyleFile><Rec", path, pathSize);
  AppendText(path, pathSize, number);
  AppendText(path, pathSize, ">");
  AppendText(path, pathSize, child);
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
