#include "templates/csv_export.h"

#include <cstring>
#include <vector>

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

  void PutNumber(uint32_t value) {
    char digits[10];
    size_t n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    char* p = Reserve(n + 4);
    char* out = p;
    *p++ = '"';
    while (n > 0) *p++ = digits[--n];
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

struct FieldPlace {
  uint32_t code;
  uint32_t offset;  // from the start of slot 0's record
  uint32_t width;
};

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void WriteSlot(const DatabaseFile& db, const std::vector<FieldPlace>& fields, uint32_t slot,
               CsvWriter* out) {
  const uint8_t* record = db.view + size_t{slot} * db.recordSize;
  for (const FieldPlace& f : fields) {
    const uint8_t* bytes = record + f.offset;
    if (IsNumberType(f.code)) {
      uint32_t value = f.code == kNumber8    ? bytes[0]
                       : f.code == kNumber16 ? static_cast<uint32_t>(bytes[0] | bytes[1] << 8)
                                             : LoadU32(bytes);
      out->PutNumber(value);
    } else {
      const char* text = reinterpret_cast<const char*>(bytes);
      out->PutText(text, strnlen(text, f.width - 1));
    }
  }
}

}  // namespace

int WriteCsvFile(const DatabaseFile& db, const char* path) {
  platform::FileHandle file = platform::CreateAlways(path);
  if (file == platform::kNoFile) return 0;
  CsvWriter out(file);
  const bool open = db.view != nullptr;
  std::vector<FieldPlace> fields;
  if (open) {
    fields.reserve(db.fieldCount);
    for (uint32_t f = 1; f <= db.fieldCount; ++f) {
      const uint8_t* def = db.view + db.directoryOffset + store::kFieldDefSize * (f - 1);
      const uint32_t code = LoadU32(def);
      fields.push_back({code, LoadU32(def + 4), FieldTypeWidth(code)});
    }
  }
  // At least one line, even for no slots or no database.
  const uint32_t lines = db.slotCount == 0 ? 1 : db.slotCount;
  for (uint32_t s = 0; s < lines; ++s) {
    if (open && s < db.slotCount && db.RecStatAt(s) == kRecActive) WriteSlot(db, fields, s, &out);
    out.Put('\r');
  }
  bool ok = out.Flush();
  platform::CloseFile(file);
  return ok ? 1 : 0;
}

int ExportCsv(const DatabaseFile& db) {
  WriteCsvFile(db, kCsvFileName);
  return 1;
}
