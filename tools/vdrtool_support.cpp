// The pieces every vdrtool command builds on: reporting, argument parsing,
// opening a database read-only or through a copy, creating one the way New
// does, field display text and buffered output.
#include "tools/vdrtool.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "store/database_file.h"
#include "store/text.h"

namespace vdrtool {

int Fail(const char* reason) {
  std::fprintf(stderr, "%s\n", reason);
  return kExitFailed;
}

int Fail(const std::string& reason) { return Fail(reason.c_str()); }

int UsageError(const char* reason) {
  std::fprintf(stderr, "%s\n", reason);
  return kExitUsage;
}

bool ParseCount(const char* text, uint32_t* value) {
  uint64_t v = 0;
  if (*text == 0) return false;
  for (const char* p = text; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint64_t>(*p - '0');
    if (v > 0x7FFFFFFFu) return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

namespace {

// Points databaseFile at path; false when the path does not fit.
bool SetPath(const char* path) {
  if (TextLength(path) >= sizeof databaseFile.path) return false;
  CopyText(path, databaseFile.path, sizeof databaseFile.path);
  return true;
}

}  // namespace

bool OpenForReading(const char* file) {
  databaseFile.Close();
  if (!SetPath(file)) {
    Fail("Path too long");
    return false;
  }
  databaseFile.writable = 0;
  if (databaseFile.Open() != 1) {
    Fail("Not a Veldrana file");
    return false;
  }
  return true;
}

Edit::~Edit() { Abandon(); }

bool Edit::Begin(const char* file) {
  if (!Prepare(file)) return false;
  if (!platform::FileExists(file)) {
    Abandon();
    Fail("Not a Veldrana file");
    return false;
  }
  if (!platform::CopyFileOver(file, temp_.c_str())) {
    Abandon();
    Fail("Cannot write " + temp_);
    return false;
  }
  databaseFile.Close();
  SetPath(temp_.c_str());  // Prepare made sure it fits
  databaseFile.writable = 1;
  if (databaseFile.Open() != 1) {
    Abandon();
    Fail("Not a Veldrana file");
    return false;
  }
  return true;
}

bool Edit::BeginNew(const char* file) {
  if (platform::FileExists(file)) {
    Fail(std::string(file) + " already exists");
    return false;
  }
  return Prepare(file);
}

bool Edit::Prepare(const char* file) {
  Abandon();
  file_ = file;
  temp_ = file_ + ".vdrtool-tmp";
  if (temp_.size() >= sizeof databaseFile.path) {
    Fail("Path too long");
    return false;
  }
  active_ = true;
  return true;
}

int Edit::Commit() {
  if (!active_) return kExitFailed;
  databaseFile.Close();
  if (!platform::ReplaceFileWith(temp_.c_str(), file_.c_str())) {
    Abandon();
    return Fail("Cannot replace " + file_);
  }
  active_ = false;
  return kExitOk;
}

void Edit::Abandon() {
  if (!active_) return;
  active_ = false;
  databaseFile.Close();
  platform::DeleteFileAt(temp_.c_str());
}

bool CreateNewDatabase(const char* path, const uint32_t* types, uint32_t count,
                       const char* longName, uint32_t templateVersion) {
  DatabaseFile& db = databaseFile;
  db.Close();
  if (!SetPath(path)) {
    Fail("Path too long");
    return false;
  }
  const std::string cannot = std::string("Cannot create ") + path;
  db.fieldCount = count;
  db.writable = 1;
  if (db.Create() != 1) {
    Fail(cannot);
    return false;
  }
  bool ok = true;
  for (uint32_t i = 0; i < count && ok; ++i) ok = db.WriteFieldType(i + 1, types[i]) == 1;
  ok = ok && db.LayoutFields() == 1;
  db.Close();
  if (!ok) {
    Fail(cannot);
    return false;
  }
  db.writable = 1;
  if (db.Open() != 1) {
    Fail(cannot);
    return false;
  }
  if (db.AllocateSlot() < 0) {
    Fail("No free slot");
    return false;
  }
  // The name as the New dialog takes it: at most 299 characters.
  char name[store::kLongNameSize];
  CopyText(longName, name, sizeof name);
  if (db.SetLongName(name) != 1 || db.SetTemplateVersion(templateVersion) != 1) {
    Fail(cannot);
    return false;
  }
  return true;
}

size_t FieldDisplayText(int32_t slot, uint32_t field, char (&digits)[12], const char** text) {
  uint32_t code = 0;
  const uint8_t* bytes = databaseFile.FieldBytes(slot, field, &code);
  if (bytes == nullptr) {
    *text = "";
    return 0;
  }
  if (IsNumberType(code)) {
    uint32_t value;
    if (code == kNumber8) {
      value = bytes[0];
    } else if (code == kNumber16) {
      value = static_cast<uint32_t>(bytes[0] | bytes[1] << 8);
    } else {
      std::memcpy(&value, bytes, 4);
    }
    NumberToUnsignedText(value, digits, sizeof digits);
    *text = digits;
    return TextLength(digits);
  }
  *text = reinterpret_cast<const char*>(bytes);
  return strnlen(*text, FieldTypeWidth(code) - 1);
}

OutputBuffer::OutputBuffer() : data_(new char[kCapacity]) {}

OutputBuffer::~OutputBuffer() { delete[] data_; }

void OutputBuffer::Drain() {
  if (used_ > 0 && std::fwrite(data_, 1, used_, stdout) != used_) failed_ = true;
  used_ = 0;
}

void OutputBuffer::Append(const char* text, size_t length) {
  if (length > kCapacity - used_) {
    Drain();
    if (length > kCapacity) {
      if (std::fwrite(text, 1, length, stdout) != length) failed_ = true;
      return;
    }
  }
  std::memcpy(data_ + used_, text, length);
  used_ += length;
}

void OutputBuffer::Append(const char* text) { Append(text, TextLength(text)); }

void OutputBuffer::AppendUnsigned(uint32_t value) {
  char digits[12];
  NumberToUnsignedText(value, digits, sizeof digits);
  Append(digits);
}

void OutputBuffer::AppendSigned(int32_t value) {
  char digits[12];
  NumberToSignedText(static_cast<uint32_t>(value), digits, sizeof digits);
  Append(digits);
}

bool OutputBuffer::Flush() {
  Drain();
  if (std::fflush(stdout) != 0) failed_ = true;
  return !failed_ && !std::ferror(stdout);
}

}  // namespace vdrtool
