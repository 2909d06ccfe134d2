#include "core/working_copy.h"

#include "core/folders.h"
#include "core/safe_copy.h"
#include "core/templates/template_labels.h"
#include "platform/platform.h"
#include "store/database_file.h"

uint32_t hasUserFile;
uint32_t databaseChanged;

void MarkChanged() { databaseChanged = 1; }

void MarkSaved() {
  hasUserFile = 1;
  databaseChanged = 0;
}

void MarkMadeNew() {
  hasUserFile = 0;
  databaseChanged = 1;
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
  databaseFile.Close();
  FreeColumnLabels();
  hasUserFile = 0;
}
