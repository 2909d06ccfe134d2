#include "core/working_copy.h"

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

void MarkRestored(const RecoveryRecord& record) {
  history.Attach(&databaseFile, false);
  hasUserFile = record.hasUserFile ? 1 : 0;
  databaseChanged = 1;
  UpdateRecoveryRecord();
}

int OpenLeftWorkingCopy(RecoveryRecord* record) {
  // With a database open, the record is this session's own.
  if (DatabaseOpen()) return 0;
  if (ReadRecoveryRecord(record) && record->unsaved) {
    if (OpenWorkingCopy() == 1) return 1;
    databaseFile.Close();
  }
  RemoveRecoveryRecord();
  return 0;
}

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
