// Templates: the tag-structured StyleFile that gives a database its fields,
// labels and column widths, the template list StyleLst.txt, and the lookup
// of both beside the program. The template in use and its labels are in
// core/templates/template_labels.h.
//
// The reader is deliberately simple: a tag's name is its text between "<" and
// ">" with every "/" dropped (so "</Label>" reads as Label), nesting is not
// tracked, and every lookup searches the file again from its start.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// Tag texts, values and template file names: at most 599 characters.
constexpr size_t kTagTextSize = 600;
// The text of the first tag of every StyleFile.
constexpr char kStyleVersionTag[] = "Veldrana version=\"1.0\"";

// An open StyleFile, read a byte at a time through a buffer of its own; or a
// text in memory read the same way.
struct StyleFile {
  platform::FileHandle handle;
  const unsigned char* data;
  size_t next;
  size_t end;
  unsigned char buffer[4096];
};

// path := dataFolder + name when that file can be opened, else
// programFolder + name (untested).
void LocateDataFile(const char* name, char* path, size_t pathSize);

// Opens a StyleFile for reading, held exclusively, and checks that its first
// tag is the version tag; null when it cannot be opened or is no template.
StyleFile* OpenStyleFile(const char* path);
// The same over a text in memory, which must outlive the result.
StyleFile* OpenStyleText(const char* text, size_t size);
void CloseStyleFile(StyleFile* file);

// Reads on to the next tag and copies its name, "/" left out and cut to
// tagSize - 1 characters, into tag. False at the end of the file.
bool ReadNextTag(StyleFile* file, char* tag, size_t tagSize);

// Takes the first tag of a tag path such as "<StyleFile><Records>":
// 0 malformed (no ">"), 2 it was the last, 1 more follow, and the path is
// replaced by the rest ("<Records>").
int SplitTagPath(char* path, char* first, size_t firstSize);

// Searches the value of a tag path from the start of the file. Found: the
// value (up to "<", CR, LF or the end, cut to valueSize - 1) is copied into
// value. Not found: value keeps its contents.
bool FindTagValue(StyleFile* file, const char* tagPath, char* value, size_t valueSize);
// The value of a tag path as a number; 0 when it is absent.
uint32_t FindTagNumber(StyleFile* file, const char* tagPath);
// "<StyleFile><Rec" + field + ">" + child, e.g. "<StyleFile><Rec3><Width>".
void FieldTagPath(uint32_t field, const char* child, char* path, size_t pathSize);

// The template list StyleLst.txt: display names and StyleFile names in file
// order, entry k's file in files[k].
constexpr size_t kMaxTemplates = 100;
struct TemplateList {
  uint32_t nameCount;  // display names: fileCount, or one more when the
                       // last name has no file line after it
  uint32_t fileCount;
  char names[kMaxTemplates][kTagTextSize];
  char files[kMaxTemplates][kTagTextSize];
};

// Reads the list in pieces: lines end with CR, LF is ignored, a line of two
// characters or fewer is skipped, a line is cut to 599 characters, and
// entries after the hundredth are ignored. An unterminated last line never
// counts.
struct TemplateListReader {
  TemplateList* list;
  size_t length;
  bool nextIsName;
  char line[kTagTextSize];
};
void StartTemplateList(TemplateListReader* reader, TemplateList* list);
void FeedTemplateList(TemplateListReader* reader, const char* bytes, size_t size);

// Reads StyleLst.txt found by LocateDataFile; an empty list when there is
// none. Returns 1 when the file was read.
int ReadTemplateList(TemplateList* list);
int ReadTemplateListFile(const char* path, TemplateList* list);
