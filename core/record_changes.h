// The one way the records of the open database change. A command runs its
// change through ChangeRecords: the change is one step of the history
// (core/history.h), and the database is marked changed. Undo and Redo take
// steps back and make them again the same way. The windows then show the
// result (ui/views.h).
//
//     int32_t slot = -1;
//     if (ChangeRecords(StepKind::kAdd, [&] {
//           slot = databaseFile.AddRecord();
//           return StepResult{slot >= 0, slot};
//         })) ...
#pragma once

#include <cstdint>
#include <functional>

#include "core/history.h"

// What a change did: whether it is kept (false: it failed, and whatever it
// had changed is taken back), and the slot of the record it was about (-1:
// none).
struct StepResult {
  bool keep = false;
  int32_t touched = -1;
};

// Runs change on the open database as one step of the given kind. True when
// the change was kept; the database is then marked changed. A change first
// waits for the working copy while it is being made (core/working_copy.h),
// and is not made when the copy failed.
bool ChangeRecords(StepKind kind, const std::function<StepResult()>& change);
// What a change waiting for the working copy shows of the copy's progress
// (the windows: the status bar).
void SetCopyWaitProgress(std::function<void(uint32_t percent)> progress);

// Takes the last step back, or makes the last one taken back again; false
// when there is none. The database is marked changed, or unchanged when it
// is back where it was saved. *touched: the record the step was about.
bool UndoChange(int32_t* touched);
bool RedoChange(int32_t* touched);
