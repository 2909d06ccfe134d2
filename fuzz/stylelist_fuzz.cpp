// libFuzzer target for the StyleLst.txt reader: any bytes as the template
// list, fed whole and in pieces of every size from 1 to 8. Besides memory
// safety: the list holds at most 100 entries, a file name for each display
// name except perhaps the last, no text longer than 599 characters or holding
// a line end, and the same list however the bytes arrive.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_support.h"
#include "core/templates/style_file.h"

namespace {

void CheckText(const char* text) {
  size_t n = strnlen(text, kTagTextSize);
  CHECK(n < kTagTextSize);
  CHECK(std::memchr(text, '\r', n) == nullptr);
  CHECK(std::memchr(text, '\n', n) == nullptr);
}

bool SameList(const TemplateList& a, const TemplateList& b) {
  return a.nameCount == b.nameCount && a.fileCount == b.fileCount &&
         std::memcmp(a.names, b.names, sizeof a.names) == 0 &&
         std::memcmp(a.files, b.files, sizeof a.files) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  static auto whole = std::make_unique<TemplateList>();
  static auto pieces = std::make_unique<TemplateList>();
  TemplateListReader reader;
  StartTemplateList(&reader, whole.get());
  FeedTemplateList(&reader, bytes, size);

  CHECK(whole->fileCount <= kMaxTemplates);
  CHECK(whole->nameCount == whole->fileCount || whole->nameCount == whole->fileCount + 1);
  CHECK(whole->nameCount <= kMaxTemplates);
  for (uint32_t i = 0; i < whole->nameCount; ++i) CheckText(whole->names[i]);
  for (uint32_t i = 0; i < whole->fileCount; ++i) CheckText(whole->files[i]);
  for (uint32_t i = whole->fileCount; i < kMaxTemplates; ++i) CHECK(whole->files[i][0] == 0);

  for (size_t piece = 1; piece <= 8; ++piece) {
    StartTemplateList(&reader, pieces.get());
    for (size_t i = 0; i < size; i += piece)
      FeedTemplateList(&reader, bytes + i, size - i < piece ? size - i : piece);
    CHECK(SameList(*whole, *pieces));
  }
  return 0;
}
