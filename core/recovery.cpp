#include "core/recovery.h"

#include <cstring>
#include <vector>

#include "core/folders.h"
#include "core/safe_copy.h"
#include "platform/platform.h"
#include "store/text.h"

namespace {

constexpr char kMagic[] = "VDRRECOV";
constexpr uint32_t kVersion = 1;
constexpr uint32_t kUnsaved = 1, kUserFile = 2;
// The largest file a valid record can be.
constexpr size_t kMaxSize = 8 + 4 + 4 + 2 * (4 + kRecoveryTextSize - 1) + 4;

uint32_t Checksum(const uint8_t* bytes, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
  return hash;
}

void PutWord(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>* out, const char* text) {
  const size_t length = strnlen(text, kRecoveryTextSize - 1);
  PutWord(out, static_cast<uint32_t>(length));
  out->insert(out->end(), text, text + length);
}

// Reads from a byte range, refusing to run past its end.
struct Reader {
  const uint8_t* at;
  const uint8_t* end;
  bool Word(uint32_t* value) {
    if (end - at < 4) return false;
    *value = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
             static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
    at += 4;
    return true;
  }
  bool Text(char* text) {
    uint32_t length = 0;
    if (!Word(&length) || length >= kRecoveryTextSize || static_cast<size_t>(end - at) < length) return false;
    CopyBytes(reinterpret_cast<const char*>(at), text, kRecoveryTextSize, length);
    at += length;
    return std::strlen(text) == length;  // no zero inside the text
  }
};

bool RecordPath(const char* name, char* path, size_t pathSize) {
  return JoinPath(dataFolder, name, path, pathSize);
}

}  // namespace

bool WriteRecoveryRecord(const RecoveryRecord& record, const char* name) {
  std::vector<uint8_t> bytes(kMagic, kMagic + 8);
  PutWord(&bytes, kVersion);
  PutWord(&bytes, (record.unsaved ? kUnsaved : 0) | (record.hasUserFile ? kUserFile : 0));
  PutText(&bytes, record.userFile);
  PutText(&bytes, record.templateName);
  PutWord(&bytes, Checksum(bytes.data(), bytes.size()));
  char path[kFolderSize], side[kFolderSize + 16];
  if (!RecordPath(name, path, sizeof path) || !SideFilePath(path, side, sizeof side)) return false;
  platform::FileHandle file = platform::CreateAlways(side);
  if (file == platform::kNoFile) return false;
  bool ok = platform::WriteExact(file, bytes.data(), bytes.size());
  platform::CloseFile(file);
  ok = ok && platform::ReplaceFileWith(side, path);
  if (!ok) platform::DeleteFileAt(side);
  return ok;
}

bool ReadRecoveryRecord(RecoveryRecord* record, const char* name) {
  *record = RecoveryRecord();
  char path[kFolderSize];
  if (!RecordPath(name, path, sizeof path)) return false;
  platform::FileHandle file = platform::OpenExisting(path, false);
  if (file == platform::kNoFile) return false;
  std::vector<uint8_t> bytes(kMaxSize + 1);
  const long got = platform::ReadSome(file, bytes.data(), bytes.size());
  platform::CloseFile(file);
  if (got < 4 + 8 || static_cast<size_t>(got) > kMaxSize) return false;
  bytes.resize(static_cast<size_t>(got));
  Reader reader{bytes.data(), bytes.data() + bytes.size() - 4};
  uint32_t version = 0, flags = 0, checksum = 0;
  if (std::memcmp(bytes.data(), kMagic, 8) != 0) return false;
  reader.at += 8;
  const bool parsed = reader.Word(&version) && version == kVersion && reader.Word(&flags) &&
                      (flags & ~(kUnsaved | kUserFile)) == 0 && reader.Text(record->userFile) &&
                      reader.Text(record->templateName) && reader.at == reader.end;
  Reader tail{reader.end, reader.end + 4};
  if (!parsed || !tail.Word(&checksum) || checksum != Checksum(bytes.data(), bytes.size() - 4)) {
    *record = RecoveryRecord();
    return false;
  }
  record->unsaved = (flags & kUnsaved) != 0;
  record->hasUserFile = (flags & kUserFile) != 0;
  return true;
}

void RemoveRecoveryRecord(const char* name) {
  char path[kFolderSize];
  if (RecordPath(name, path, sizeof path)) platform::DeleteFileAt(path);
}
