// The pieces every vdrtool command builds on: reporting, argument parsing,
// opening a database read-only or through a copy, and buffered output.
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

bool TakeFilterOption(int* argc, char** argv, std::string* text, bool* given) {
  *given = false;
  for (int i = 0; i < *argc; ++i) {
    if (std::strcmp(argv[i], "--filter") != 0) continue;
    if (*given || i + 1 >= *argc) {
      UsageError(*given ? "one --filter at most" : "--filter needs a text");
      return false;
    }
    *given = true;
    *text = argv[i + 1];
    for (int k = i; k + 2 < *argc; ++k) argv[k] = argv[k + 2];
    *argc -= 2;
    --i;
  }
  return true;
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

bool OpenForReading(const char* file) {
  databaseFile.Close();
  if (TextLength(file) >= sizeof databaseFile.path) {
    Fail("Path too long");
    return false;
  }
  if (databaseFile.OpenFile(file, false) != 1) {
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
  if (databaseFile.OpenFile(temp_.c_str(), true) != 1) {  // Prepare made sure the path fits
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
