#include "core/working_copy.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "core/folders.h"
#include "core/history.h"
#include "core/safe_copy.h"
#include "core/templates/template_labels.h"
#include "platform/platform.h"
#include "store/database_file.h"
#include "store/text.h"

uint32_t hasUserFile;
uint32_t databaseChanged;

namespace {

// Each step of the flush writes at most this much of the file, so that the
// program stays quick to answer while a large file is written.
constexpr uint64_t kFlushStep = uint64_t{8} << 20;

bool flushPending;
uint64_t flushPosition;

// The copy of the user's file to the working copy, made on a thread of its
// own for a large file while the database shows from the user's file.
struct BackgroundCopy {
  std::thread thread;
  std::atomic<bool> cancel{false};
  std::atomic<bool> done{false};
  std::atomic<bool> ok{false};
  std::atomic<uint64_t> copied{0};
  uint64_t size = 0;
  // The finished copy opened and mapped for writing on the copy's thread;
  // none when it could not be mapped beside the user's file (a 32-bit
  // process may lack the room for both).
  platform::FileHandle file = platform::kNoFile;
  platform::Mapping mapping;
};
BackgroundCopy* copying;  // null when no copy runs or waits to be taken
bool copyFailed;  // the last copy failed; the database shows from the user's file
void (*copyDoneNotice)() = nullptr;
// Files up to this size are copied before they show.
uint64_t backgroundFromBytes = uint64_t{16} << 20;
// Tests slow the copy down: bytes a step, and a pause after each.
size_t copyStepBytes = size_t{8} << 20;
uint32_t copyPauseMs = 0;
// The copy is written in pieces of this size. Under Wine on Linux a large
// write leaves the copy in the page cache as large folios, and every first
// write to a page of such a folio through the mapping costs as much as the
// whole folio: a sort of 1,000,000 world records took 70 to 90 s after 8 MB
// writes, 12 s after 64 kB ones (as after a copy by CopyFileA).
constexpr long kWritePiece = 64 << 10;

// Copies `from` over `to` in steps, until done or told to stop; a file left
// half-copied is removed.
bool CopyInSteps(const std::string& from, const std::string& to, BackgroundCopy* state) {
  platform::FileHandle in = platform::OpenExisting(from.c_str(), false);
  if (in == platform::kNoFile) return false;
  platform::FileHandle out = platform::CreateAlways(to.c_str());
  bool ok = out != platform::kNoFile;
  std::vector<char> buffer(copyStepBytes);
  while (ok && !state->cancel.load()) {
    const long got = platform::ReadSome(in, buffer.data(), buffer.size());
    if (got < 0) ok = false;
    if (got <= 0) break;
    for (long at = 0; ok && at < got; at += kWritePiece)
      ok = platform::WriteExact(out, buffer.data() + at, static_cast<size_t>(std::min(kWritePiece, got - at)));
    state->copied += static_cast<uint64_t>(got);
    if (copyPauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(copyPauseMs));
  }
  platform::CloseFile(in);
  if (out != platform::kNoFile) platform::CloseFile(out);
  if (!ok || state->cancel.load()) {
    platform::DeleteFileAt(to.c_str());
    return false;
  }
  return true;
}

void MapCopy(const std::string& path, BackgroundCopy* state) {
  state->file = platform::OpenExisting(path.c_str(), true);
  if (state->file == platform::kNoFile) return;
  if (!platform::MapWholeFile(state->file, true, &state->mapping)) {
    platform::CloseFile(state->file);
    state->file = platform::kNoFile;
  }
}

// The copy's thread ended: waited for and forgotten, and with `adopt` the
// database moved into the copy. True when it copied and the database moved.
bool JoinCopy(bool adopt) {
  if (copying == nullptr) return false;
  if (copying->thread.joinable()) copying->thread.join();
  bool ok = adopt && copying->ok.load();
  if (ok) {
    ok = copying->file != platform::kNoFile
             ? databaseFile.AdoptCopy(workingCopyPath, copying->file, copying->mapping) == 1
             : databaseFile.SwitchToCopy(workingCopyPath) == 1;
  } else if (copying->file != platform::kNoFile) {
    platform::Unmap(&copying->mapping);
    platform::CloseFile(copying->file);
  }
  delete copying;
  copying = nullptr;
  return ok;
}

// The recovery record as the flags are now.
void UpdateRecoveryRecord() {
  RecoveryRecord record;
  record.unsaved = databaseChanged != 0;
  record.hasUserFile = hasUserFile != 0;
  if (hasUserFile) CopyText(currentFileName, record.userFile, sizeof record.userFile);
  if (templateNumber != 0) CopyText(templateFileName, record.templateName, sizeof record.templateName);
  WriteRecoveryRecord(record);
}

}  // namespace

void MarkChanged() {
  flushPending = true;
  flushPosition = 0;
  if (databaseChanged) return;
  databaseChanged = 1;
  UpdateRecoveryRecord();
}

void MarkUnchanged() {
  if (!databaseChanged) return;
  databaseChanged = 0;
  UpdateRecoveryRecord();
}

void MarkSaved() {
  hasUserFile = 1;
  databaseChanged = 0;
  history.SetSavePoint();
  // The record names only a whole working copy.
  if (copying == nullptr) UpdateRecoveryRecord();
}

void MarkMadeNew() {
  history.Attach(&databaseFile, false);
  hasUserFile = 0;
  databaseChanged = 1;
  flushPending = true;
  flushPosition = 0;
  UpdateRecoveryRecord();
}

namespace {

// The files of a working copy kept aside: "Left<n>.dat" and its record
// "Left<n>.rec" in the data folder.
std::string KeptName(int kept, const char* extension) { return "Left" + std::to_string(kept) + extension; }

bool KeptPath(int kept, const char* extension, char* path, size_t pathSize) {
  return JoinPath(dataFolder, KeptName(kept, extension).c_str(), path, pathSize);
}

// Whether a file is a database, and its long name.
bool ReadsAsDatabase(const char* path, std::string* longName) {
  if (databaseFile.OpenFile(path, false) != 1) return false;
  databaseFile.ReadLongName();
  *longName = databaseFile.textValue;
  databaseFile.Close();
  return true;
}

}  // namespace

std::vector<LeftWork> FindLeftWork() {
  std::vector<LeftWork> found;
  // With a database open, the working copy's record is this session's own.
  if (DatabaseOpen()) return found;
  for (int kept = 0; kept <= kMostKeptWork; ++kept) {
    LeftWork work;
    work.kept = kept;
    const std::string record = kept == 0 ? std::string(kRecoveryFileName) : KeptName(kept, ".rec");
    char copy[kFolderSize];
    if (kept == 0) CopyText(workingCopyPath, copy, sizeof copy);
    else if (!KeptPath(kept, ".dat", copy, sizeof copy)) continue;
    const bool readable = ReadRecoveryRecord(&work.record, record.c_str());
    if (readable && work.record.unsaved && ReadsAsDatabase(copy, &work.longName)) {
      found.push_back(work);
      continue;
    }
    // No record, or nothing left to give back: its files go.
    if (platform::FileExists((std::string(dataFolder) + record).c_str())) {
      RemoveRecoveryRecord(record.c_str());
      if (kept > 0) platform::DeleteFileAt(copy);
    }
  }
  return found;
}

int RestoreLeftWork(const LeftWork& work) {
  if (DatabaseOpen()) return 0;
  if (work.kept > 0) {
    // Copied, not moved: until the working copy's own record is written,
    // the kept copy and its record are what the next start finds.
    char copy[kFolderSize];
    if (!KeptPath(work.kept, ".dat", copy, sizeof copy) || !platform::CopyFileOver(copy, workingCopyPath))
      return 0;
  }
  if (OpenWorkingCopy() != 1) {
    databaseFile.Close();
    return 0;
  }
  if (work.record.hasUserFile) SetCurrentFileName(work.record.userFile);
  history.Attach(&databaseFile, false);
  hasUserFile = work.record.hasUserFile ? 1 : 0;
  databaseChanged = 1;
  UpdateRecoveryRecord();
  if (work.kept > 0) DiscardLeftWork(work);
  return 1;
}

void DiscardLeftWork(const LeftWork& work) {
  if (work.kept == 0) {
    RemoveRecoveryRecord();
    return;
  }
  char copy[kFolderSize];
  RemoveRecoveryRecord(KeptName(work.kept, ".rec").c_str());
  if (KeptPath(work.kept, ".dat", copy, sizeof copy)) platform::DeleteFileAt(copy);
}

bool KeepLeftWork(const LeftWork& work) {
  if (work.kept > 0) return true;  // aside already
  for (int kept = 1; kept <= kMostKeptWork; ++kept) {
    char copy[kFolderSize], record[kFolderSize];
    if (!KeptPath(kept, ".dat", copy, sizeof copy) || !KeptPath(kept, ".rec", record, sizeof record)) return false;
    if (platform::FileExists(copy) || platform::FileExists(record)) continue;
    // The record first, then the copy, then the working copy's record: a
    // start after any of these steps finds the work, once or twice.
    if (!WriteRecoveryRecord(work.record, KeptName(kept, ".rec").c_str())) return false;
    if (!platform::ReplaceFileWith(workingCopyPath, copy)) {
      platform::DeleteFileAt(record);
      return false;
    }
    RemoveRecoveryRecord();
    return true;
  }
  return false;
}

bool FlushPending() { return flushPending; }

bool FlushWorkingCopyStep() {
  if (!flushPending) return false;
  if (!DatabaseOpen() || databaseFile.FlushStep(&flushPosition, kFlushStep)) {
    flushPending = false;
    return false;
  }
  return true;
}

int OpenWorkingCopy() { return databaseFile.OpenFile(workingCopyPath, true); }

OpenResult OpenWorkingCopyOf(const char* userFile) {
  CancelWorkingCopy();
  databaseFile.Close();
  uint64_t size = 0;
  platform::FileHandle file = platform::OpenExisting(userFile, false);
  if (file == platform::kNoFile) return OpenResult::kNotCopied;
  platform::GetSize(file, &size);
  platform::CloseFile(file);
  if (size <= backgroundFromBytes) {
    if (!platform::CopyFileOver(userFile, workingCopyPath)) return OpenResult::kNotWritten;
    if (OpenWorkingCopy() != 1) {
      databaseFile.Close();
      return OpenResult::kNotADatabase;
    }
    history.Attach(&databaseFile);
    return OpenResult::kOpened;
  }
  // A large file shows at once from the user's own file, read only, which
  // no other program may write meanwhile; the copy is made beside it.
  if (databaseFile.OpenFile(userFile, false) != 1) {
    databaseFile.Close();
    return OpenResult::kNotADatabase;
  }
  copying = new BackgroundCopy;
  copying->size = size;
  const std::string from = userFile, to = workingCopyPath;
  BackgroundCopy* state = copying;
  try {
    copying->thread = std::thread([from, to, state] {
      state->ok = CopyInSteps(from, to, state);
      if (state->ok) MapCopy(to, state);
      state->done = true;
      if (copyDoneNotice != nullptr) copyDoneNotice();
    });
  } catch (const std::system_error&) {
    // No thread to be had: the copy is made here.
    state->ok = CopyInSteps(from, to, state);
    state->done = true;
  }
  history.Attach(&databaseFile);
  return OpenResult::kOpened;
}

CopyState WorkingCopyState() {
  if (copyFailed) return CopyState::kFailed;
  if (copying == nullptr) return CopyState::kReady;
  return copying->done.load() ? CopyState::kDone : CopyState::kCopying;
}

uint32_t WorkingCopyPercent() {
  if (copying == nullptr || copying->size == 0) return 100;
  return static_cast<uint32_t>(copying->copied.load() * 100 / copying->size);
}

bool FinishWorkingCopy(const std::function<void(uint32_t)>& progress) {
  if (copying == nullptr) return DatabaseOpen() && !copyFailed;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  while (!copying->done.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (progress && Clock::now() - start > std::chrono::milliseconds(500)) progress(WorkingCopyPercent());
  }
  // The same bytes in the working copy: the store moves there, writable,
  // and the recovery record names it from now on.
  if (!JoinCopy(true)) {
    copyFailed = true;
    return false;
  }
  UpdateRecoveryRecord();
  return true;
}

void CancelWorkingCopy() {
  copyFailed = false;
  if (copying == nullptr) return;
  copying->cancel = true;
  JoinCopy(false);
  // Whatever the copy wrote goes: the working copy never holds half a file.
  platform::DeleteFileAt(workingCopyPath);
}

void SetCopyDoneNotice(void (*notice)()) { copyDoneNotice = notice; }

void SetBackgroundCopyForTests(uint64_t fromBytes, size_t stepBytes, uint32_t pauseMs) {
  backgroundFromBytes = fromBytes;
  copyStepBytes = stepBytes;
  copyPauseMs = pauseMs;
}

SaveResult SaveWorkingCopyTo(const char* target, bool closeForCopy) {
  // While the copy is made nothing has changed: the user's file, which the
  // store reads, is saved as it is. Another target waits for the copy.
  if (copying != nullptr && !databaseChanged && std::strcmp(target, currentFileName) == 0)
    return SaveResult::kSaved;
  if (copying != nullptr && !FinishWorkingCopy()) return SaveResult::kNotWritten;
  if (!closeForCopy) return CopyFileSafely(workingCopyPath, target) ? SaveResult::kSaved : SaveResult::kNotWritten;
  databaseFile.Close();
  const bool saved = CopyFileSafely(workingCopyPath, target);
  if (OpenWorkingCopy() != 1) return SaveResult::kWorkingCopyLost;
  return saved ? SaveResult::kSaved : SaveResult::kNotWritten;
}

void ReleaseWorkingCopy() {
  history.Attach(nullptr);
  // A copy still being made is stopped and removed, never opened.
  CancelWorkingCopy();
  databaseFile.Close();
  FreeColumnLabels();
  hasUserFile = 0;
  flushPending = false;
  RemoveRecoveryRecord();
}
