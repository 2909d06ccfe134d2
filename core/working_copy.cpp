#include "core/working_copy.h"

#include <string>

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
  UpdateRecoveryRecord();
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
  databaseFile.Close();
  if (!platform::CopyFileOver(userFile, workingCopyPath)) {
    // Which side failed: the user's file, or the working copy's folder.
    platform::FileHandle file = platform::OpenExisting(userFile, false);
    if (file == platform::kNoFile) return OpenResult::kNotCopied;
    platform::CloseFile(file);
    return OpenResult::kNotWritten;
  }
  if (OpenWorkingCopy() != 1) {
    databaseFile.Close();
    return OpenResult::kNotADatabase;
  }
  history.Attach(&databaseFile);
  return OpenResult::kOpened;
}

SaveResult SaveWorkingCopyTo(const char* target, bool closeForCopy) {
  if (!closeForCopy) return CopyFileSafely(workingCopyPath, target) ? SaveResult::kSaved : SaveResult::kNotWritten;
  databaseFile.Close();
  const bool saved = CopyFileSafely(workingCopyPath, target);
  if (OpenWorkingCopy() != 1) return SaveResult::kWorkingCopyLost;
  return saved ? SaveResult::kSaved : SaveResult::kNotWritten;
}

void ReleaseWorkingCopy() {
  history.Attach(nullptr);
  databaseFile.Close();
  FreeColumnLabels();
  hasUserFile = 0;
  flushPending = false;
  RemoveRecoveryRecord();
}
