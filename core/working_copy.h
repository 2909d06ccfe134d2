// The open database's working copy. The program never edits the user's
// file: opening copies it to workingCopyPath and opens that with the store,
// every change goes into the copy, and saving copies the copy back over the
// user's file through a side file, so that the user's file is never
// half-written. This module also owns the two flags of the open database;
// the windows show and ask, and call these to do the work.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
// Opens the user's file through a fresh working copy, with an empty history.
// A small file is copied first and the copy opened. A large one shows at
// once from the user's file itself, opened to read, which no other program
// may write meanwhile, and is copied on a thread of its own; every change
// waits for the copy (FinishWorkingCopy), so none goes into the user's file.
// An older working copy is never opened in place of a file that cannot be
// copied.
OpenResult OpenWorkingCopyOf(const char* userFile);

enum class CopyState {
  kReady,    // no copy is being made: the working copy is open, or none
  kCopying,  // the copy is being made
  kDone,     // the copy ended and waits for FinishWorkingCopy
  kFailed,   // the copy failed: the database cannot be changed
};
CopyState WorkingCopyState();
// How far the copy is, 0 to 100.
uint32_t WorkingCopyPercent();
// Waits for a copy being made, telling progress how far it is every few
// hundredths of a second after the first half second, then opens the
// working copy in the store's place (the records as they were, now
// writable) and writes the recovery record. True when the working copy is
// open; false when the copy failed (nothing was changed: the caller closes
// the database and tells the user).
bool FinishWorkingCopy(const std::function<void(uint32_t)>& progress = nullptr);
// Stops a copy being made and removes what it wrote.
void CancelWorkingCopy();
// Called on the copy's own thread when it ends (the windows post themselves
// a message).
void SetCopyDoneNotice(void (*notice)());
// Tests: files above fromBytes are copied in the background, stepBytes at a
// time with a pause of pauseMs after each step.
void SetBackgroundCopyForTests(uint64_t fromBytes, size_t stepBytes, uint32_t pauseMs);
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
