#include "core/spreadsheet_export.h"

#include <cstring>
#include <string>

#include "core/chunked_output.h"
#include "core/column_names.h"
#include "core/folders.h"
#include "core/safe_copy.h"
#include "platform/platform.h"
#include "store/text.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kDefaultName[] = "Veldrana";
constexpr char kExtension[] = ".csv";
// What Windows refuses in a file name, besides the control characters.

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A value needs quotes when it holds a separator, a quote or a line break,
// and when it begins or ends with a blank, which readers take off an
// unquoted value.
bool NeedsQuotes(const char* text, size_t length) {
  if (length > 0 && (IsBlank(text[0]) || IsBlank(text[length - 1]))) return true;
  for (size_t i = 0; i < length; ++i)
    if (text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n') return true;
  return false;
}

// One value in UTF-8, in quotes when it needs them.
void PutValue(const char* text, size_t length, std::string* utf8, ChunkedOutput* out) {
  utf8->clear();
  platform::AppendUtf8FromCodePage(text, length, utf8);
  if (!NeedsQuotes(utf8->data(), utf8->size())) {
    out->Append(*utf8);
    return;
  }
  out->Put('"');
  for (char c : *utf8) {
    if (c == '"') out->Put('"');
    out->Put(c);
  }
  out->Put('"');
}

bool IsAscii(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

void WriteRows(const DatabaseFile& db, const std::vector<uint32_t>* slots, ChunkedOutput* out) {
  std::string utf8;
  out->Append(kByteOrderMark, 3);
  for (uint32_t f = 1; f <= db.fieldCount; ++f) {
    if (f > 1) out->Put(',');
    const std::string name = ColumnName(f);
    PutValue(name.data(), name.size(), &utf8, out);
  }
  out->Append("\r\n", 2);
  char digits[12];
  const uint32_t count = slots != nullptr ? static_cast<uint32_t>(slots->size()) : db.slotCount;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t s = slots != nullptr ? (*slots)[i] : i;
    if (db.GetRecStat(static_cast<int32_t>(s)) != kRecActive) continue;
    for (uint32_t f = 1; f <= db.fieldCount; ++f) {
      if (f > 1) out->Put(',');
      const char* text;
      const size_t length = db.DisplayText(static_cast<int32_t>(s), f, digits, &text);
      // Most values need neither converting nor quoting.
      if (IsAscii(text, length) && !NeedsQuotes(text, length))
        out->Append(text, length);
      else
        PutValue(text, length, &utf8, out);
    }
    out->Append("\r\n", 2);
  }
}

}  // namespace

void SpreadsheetFileName(const char* databaseName, char* fileName, size_t fileNameSize) {
  char cleaned[kFolderSize];
  CleanFileName(databaseName, cleaned, sizeof cleaned);
  std::string name = cleaned;
  // Windows drops them from the end of a name.
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  if (name.empty()) name = kDefaultName;
  const size_t room = fileNameSize > sizeof kExtension ? fileNameSize - sizeof kExtension : 0;
  if (name.size() > room) name.resize(room);
  CopyText((name + kExtension).c_str(), fileName, fileNameSize);
}

int WriteSpreadsheetCsv(const DatabaseFile& db, const char* path, const std::vector<uint32_t>* slots) {
  char side[kSideFilePathSize];
  if (!SideFilePath(path, side, sizeof side)) return 0;
  platform::FileHandle file = platform::CreateAlways(side);
  if (file == platform::kNoFile) return 0;
  ChunkedOutput out([file](const char* data, size_t size) { return platform::WriteExact(file, data, size); });
  WriteRows(db, slots, &out);
  const bool written = out.Finish();
  platform::CloseFile(file);
  if (written && platform::ReplaceFileWith(side, path)) return 1;
  platform::DeleteFileAt(side);
  return 0;
}
