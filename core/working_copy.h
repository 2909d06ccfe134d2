// The open database's working copy. The program never edits the user's
// file: opening copies it to workingCopyPath and opens that with the store,
// every change goes into the copy, and saving copies the copy back over the
// user's file through a side file, so that the user's file is never
// half-written. This module also owns the two flags of the open database;
// the windows show and ask, and call these to do the work.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/recovery.h"

// 1 while the open database has a file of the user's, currentFileName: it
// was opened from it or saved to it.
extern uint32_t hasUserFile;
// 1 when the working copy holds changes not yet saved to the user's file.
extern uint32_t databaseChanged;

// databaseChanged := 1, after any change to the working copy; the changes
// are to be written to the disk (FlushWorkingCopyStep).
void MarkChanged();
// databaseChanged := 0, when Undo and Redo have brought the records back to
// exactly what was saved.
void MarkUnchanged();
// The flags of a database just opened from, or saved to, the user's file:
// hasUserFile := 1, databaseChanged := 0; the history's saved state.
void MarkSaved();
// The flags of a database New just made: no file of the user's, changed; its
// history starts.
void MarkMadeNew();

enum class OpenResult {
  kOpened,        // the working copy is open for writing in databaseFile
  kNotCopied,     // the user's file could not be read
  kNotWritten,    // the user's file reads, but the working copy could not be written
  kNotADatabase,  // the copy was made but is no database; nothing is open
};
// Copies the user's file over the working copy and opens the copy, with an
// empty history. An older working copy is never opened in place of a file
// that cannot be copied.
OpenResult OpenWorkingCopyOf(const char* userFile);
// Opens the working copy as it is, for writing; 1 opened, 0 not.
int OpenWorkingCopy();

enum class SaveResult {
  kSaved,
  kNotWritten,       // target is exactly as it was
  kWorkingCopyLost,  // with closeForCopy: the working copy did not open again
};
// Copies the working copy over target (CopyFileSafely). With closeForCopy
// the database is closed for the copy and opened again afterwards. The flags
// are not changed.
SaveResult SaveWorkingCopyTo(const char* target, bool closeForCopy);

// Closes the working copy and frees the template's labels; hasUserFile := 0.
// The recovery record and the history go with it.
void ReleaseWorkingCopy();

// Work an earlier session left: a working copy with unsaved changes, left
// by a session that ended without closing its database (kept 0: the one at
// workingCopyPath), or kept aside at an earlier start (kept n: "Left<n>.dat"
// with its record "Left<n>.rec" in the data folder).
struct LeftWork {
  RecoveryRecord record;
  int kept = 0;
  std::string longName;
};
constexpr int kMostKeptWork = 20;
// The work left, the working copy's first, then what was kept aside, each
// found to open as a database. Files that hold nothing to give back (no
// unsaved changes, no database) are removed. Nothing while a database is
// open: the working copy's record is then this session's own.
std::vector<LeftWork> FindLeftWork();
// Opens a left work as the working copy (a kept one is copied into its
// place first), its user's file currentFileName, changed, with a fresh
// history: 1 opened, 0 not.
int RestoreLeftWork(const LeftWork& work);
// Forgets it, so that no start offers it again.
void DiscardLeftWork(const LeftWork& work);
// Keeps it for the next start: the working copy and its record move aside,
// out of the way of whatever this session opens. False when they could not.
bool KeepLeftWork(const LeftWork& work);

// Writes a part of the working copy's changes to the disk, so that a power
// cut loses nothing already shown; the program calls it while it is idle,
// and on a timer while a dialog is open. True while there is more to write.
bool FlushWorkingCopyStep();
// Whether changes wait to be written.
bool FlushPending();
