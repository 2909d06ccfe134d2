#include "core/csv_export.h"

#include <cstring>
#include <vector>

#include "core/safe_copy.h"
#include "platform/platform.h"

namespace {

// Output is gathered here and written in large pieces.
class CsvWriter {
 public:
  explicit CsvWriter(platform::FileHandle file) : file_(file), buffer_(kSize) {}

  // Room for n more bytes, flushing first when needed; n never exceeds kSize.
  char* Reserve(size_t n) {
    if (used_ + n > buffer_.size()) Flush();
    return buffer_.data() + used_;
  }
  void Commit(size_t n) { used_ += n; }
  void Put(char c) { *Reserve(1) = c, Commit(1); }

  bool Flush() {
    if (used_ > 0 && ok_) ok_ = platform::WriteExact(file_, buffer_.data(), used_);
    used_ = 0;
    return ok_;
  }

  // A whole value: quote, text with every quote doubled, quote, ", ".
  void PutText(const char* text, size_t length) {
    char* out = Reserve(2 * length + 4);
    char* p = out;
    *p++ = '"';
    const char* end = text + length;
    while (text < end) {
      const char* quote = static_cast<const char*>(std::memchr(text, '"', end - text));
      const char* stop = quote == nullptr ? end : quote + 1;
      std::memcpy(p, text, stop - text);
      p += stop - text;
      if (quote != nullptr) *p++ = '"';
      text = stop;
    }
    std::memcpy(p, "\", ", 3);
    Commit(p + 3 - out);
  }

  // Large enough for the widest text value with every byte a quote.
  static constexpr size_t kSize = 1 << 20;

 private:
  platform::FileHandle file_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  bool ok_ = true;
};

void WriteSlot(const DatabaseFile& db, int32_t slot, CsvWriter* out) {
  char digits[12];
  for (uint32_t f = 1; f <= db.fieldCount; ++f) {
    const char* text;
    const size_t length = db.DisplayText(slot, f, digits, &text);
    out->PutText(text, length);
  }
}

}  // namespace

int WriteCsvFile(const DatabaseFile& db, const char* path) {
  char side[store::kPathSize + 16];
  if (!SideFilePath(path, side, sizeof side)) return 0;
  platform::FileHandle file = platform::CreateAlways(side);
  if (file == platform::kNoFile) return 0;
  CsvWriter out(file);
  const bool open = db.view != nullptr;
  // At least one line, even for no slots or no database.
  const uint32_t lines = db.slotCount == 0 ? 1 : db.slotCount;
  for (uint32_t s = 0; s < lines; ++s) {
    if (open && s < db.slotCount && db.GetRecStat(static_cast<int32_t>(s)) == kRecActive)
      WriteSlot(db, static_cast<int32_t>(s), &out);
    out.Put('\r');
  }
  bool ok = out.Flush();
  platform::CloseFile(file);
  ok = ok && platform::ReplaceFileWith(side, path);
  if (!ok) platform::DeleteFileAt(side);
  return ok ? 1 : 0;
}

int ExportCsv(const DatabaseFile& db) { return WriteCsvFile(db, kCsvFileName); }
