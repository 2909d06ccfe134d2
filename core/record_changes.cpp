#include "core/record_changes.h"

#include "core/working_copy.h"
#include "store/database_file.h"

namespace {
std::function<void(uint32_t)> copyWaitProgress;
}  // namespace

void SetCopyWaitProgress(std::function<void(uint32_t percent)> progress) { copyWaitProgress = std::move(progress); }

bool ChangeRecords(StepKind kind, const std::function<StepResult()>& change) {
  if (!DatabaseOpen() || history.InStep() || !FinishWorkingCopy(copyWaitProgress)) return false;
  history.Begin(kind);
  const StepResult result = change();
  history.End(result.keep, result.touched);
  if (result.keep) MarkChanged();
  return result.keep;
}

namespace {

bool Step(bool undo, int32_t* touched) {
  *touched = -1;
  if (!DatabaseOpen() || !FinishWorkingCopy(copyWaitProgress)) return false;
  if (!(undo ? history.Undo(touched) : history.Redo(touched))) return false;
  if (history.AtSavePoint()) MarkUnchanged();
  else MarkChanged();
  return true;
}

}  // namespace

bool UndoChange(int32_t* touched) { return Step(true, touched); }
bool RedoChange(int32_t* touched) { return Step(false, touched); }
