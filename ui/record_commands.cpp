#include "ui/record_commands.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/record_changes.h"
#include "core/typed_number.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/views.h"

char gotoText[kPromptTextSize];
uint32_t sortField;
bool sortInProgress;

namespace {

constexpr char kConfirmMessage[] = "Confirm?";
constexpr char kGotoCaption[] = "Goto";
constexpr char kSearchCaption[] = "Search for...";
constexpr char kNamePrompt[] = "Database Name";
constexpr char kMovedMessage[] = "The records changed meanwhile:";
constexpr char kNothingDeleted[] = "nothing was deleted.";
constexpr char kNothingStored[] = "nothing was stored.";

// After a prompt: the database may have been closed meanwhile, and a record
// form that asked may have been closed with it.
bool StillShowing(HWND owner) {
  return DatabaseOpen() && (owner == mainWindow || owner == recordForm);
}

// A record asked about: its slot, and the history's count of moves then.
// While the count is the same, no record was added, deleted or moved, and
// the slot holds the same record.
struct RecordMark {
  int32_t slot;
  uint64_t layout;
};

RecordMark MarkRecord(int32_t slot) { return {slot, history.LayoutVersion()}; }

bool SameRecord(const RecordMark& mark) {
  return DatabaseOpen() && history.LayoutVersion() == mark.layout && databaseFile.RecordNumberOf(mark.slot) > 0;
}

// A record just made by Add or Copy, shown.
void AddWith(StepKind kind, int32_t (*make)(int32_t), int32_t source) {
  int32_t slot = -1;
  if (!ChangeRecords(kind, [&] {
        slot = make(source);
        return StepResult{slot >= 0, slot};
      }))
    return;
  ViewUpdate update;
  update.touched = slot;
  update.show = slot;
  RefreshViews(update);
}

int32_t AddOne(int32_t) { return databaseFile.AddRecord(); }
int32_t CopyOf(int32_t source) { return databaseFile.DuplicateRecord(source); }

// Whether the typed value is what the field holds already.
bool Unchanged(int32_t slot, uint32_t field, uint32_t type, const char* typed, uint32_t number) {
  DatabaseFile& db = databaseFile;
  if (db.ReadField(slot, field) < 0) return false;
  if (IsNumberType(type)) return db.numberValue == number;
  const size_t width = FieldTypeWidth(type) - 1;
  return strnlen(typed, width + 1) <= width && std::strcmp(typed, db.textValue) == 0;
}

}  // namespace

void AddRecordCommand() {
  if (DatabaseOpen()) AddWith(StepKind::kAdd, AddOne, -1);
}

void CopyRecordCommand(int32_t source) {
  if (DatabaseOpen() && source != -1) AddWith(StepKind::kCopy, CopyOf, source);
}

void DeleteRecordCommand(HWND owner, int32_t slot) {
  DatabaseFile& db = databaseFile;
  // A slot that holds no record (deleted meanwhile) has nothing to delete.
  if (db.RecordNumberOf(slot) < 0) return;
  const RecordMark mark = MarkRecord(slot);
  if (ShowConfirmation(owner, kConfirmMessage) != kPromptOk) return;
  if (!StillShowing(owner)) return;
  if (!SameRecord(mark)) {
    ShowMessage(owner, kMovedMessage, kNothingDeleted);
    return;
  }
  const int32_t number = db.RecordNumberOf(slot);
  ChangeRecords(StepKind::kDelete, [&] { return StepResult{db.SetRecStat(slot, kRecDeleted) == 1, slot}; });
  ViewUpdate update;
  update.touched = slot;
  // The form that deleted its record shows a neighbour; with none left it
  // closes, as does a form whose record the main window deleted.
  if (owner == recordForm && db.activeCount > 0)
    update.show = number == 1 || db.activeCount == 2 ? db.SlotOfRecordNumber(1) : db.PreviousActive(slot);
  RefreshViews(update);
}

void GotoCommand(HWND owner) {
  DatabaseFile& db = databaseFile;
  NumberToSignedText(static_cast<uint32_t>(db.RecordNumberOf(currentSlot)), gotoText, sizeof gotoText);
  if (ShowInput(owner, kPromptInput, kGotoCaption, gotoText) != kPromptOk || !StillShowing(owner))
    return;
  // Only a record number goes anywhere; anything else leaves the record.
  uint32_t number = 0;
  if (!ParseWholeNumber(gotoText, 0xFFFFFFFFu, &number)) return;
  const int32_t slot = db.SlotOfRecordNumber(number);
  if (slot != -1) ShowRecord(slot);
}

void SearchCommand(HWND owner) {
  DatabaseFile& db = databaseFile;
  char input[kPromptTextSize] = "";
  // A cancelled prompt searches for nothing, whatever was typed. The line
  // takes no more than the search uses.
  if (ShowInput(owner, kPromptInput, kSearchCaption, input, store::kSearchTextSize - 1) != kPromptOk ||
      !StillShowing(owner))
    return;
  db.SetSearchText(input);
  if (input[0] == 0) return;
  const int32_t slot = db.SearchFromStart();
  if (slot == -1) {
    ShowMessage(mainWindow, kNoMatchMessage);
    return;
  }
  ShowRecord(slot);
  if (owner == recordForm) StartSearchNavigator(recordForm, db.searchText);
}

void EditFieldCommand(HWND form, int y) {
  DatabaseFile& db = databaseFile;
  const uint32_t field = FieldAtY(y);
  if (field == 0) return;
  // The value goes into the record the user clicked, even if another window
  // picks another record while the prompt is open.
  const int32_t slot = currentSlot;
  const int32_t code = FieldText(slot, field);
  if (code < 0) return;  // no such record
  const uint32_t type = static_cast<uint32_t>(code);
  const RecordMark mark = MarkRecord(slot);
  // The line takes as much as the field holds, so that an unchanged value
  // comes back whole.
  const size_t longest = IsNumberType(type) ? kPromptTextSize - 1 : std::max<size_t>(FieldTypeWidth(type) - 1, 1);
  std::vector<char> buffer(std::max(kPromptTextSize, longest + 1), 0);
  CopyText(db.textValue, buffer.data(), buffer.size());
  if (ShowInput(form, kPromptFieldInput + kPromptSmallCaption, FieldTypeName(type), buffer.data(), longest) !=
      kPromptOk)
    return;
  if (recordForm != form || !DatabaseOpen()) return;
  if (!SameRecord(mark)) {
    ShowMessage(form, kMovedMessage, kNothingStored);
    return;
  }
  uint32_t number = 0;
  // A number the field cannot hold is not stored: the user is told what it
  // can hold.
  if (IsNumberType(type) && !ReadTypedNumber(buffer.data(), type, &number)) {
    char message[64];
    TypedNumberMessage(type, message, sizeof message);
    ShowMessage(form, message);
    return;
  }
  if (Unchanged(slot, field, type, buffer.data(), number)) return;
  if (!ChangeRecords(StepKind::kEdit, [&] {
        if (IsNumberType(type)) db.numberValue = number;
        else CopyText(buffer.data(), db.textValue, sizeof db.textValue);
        return StepResult{db.WriteField(slot, field) >= 0, slot};
      }))
    return;
  ViewUpdate update;
  update.touched = slot;
  RefreshViews(update);
}

void RenameCommand(HWND owner) {
  DatabaseFile& db = databaseFile;
  char name[kPromptTextSize] = "";
  db.ReadLongName();
  CopyText(db.textValue, name, sizeof name);
  if (ShowInput(owner, kPromptInput, kNamePrompt, name) != kPromptOk || !StillShowing(owner)) return;
  // The header holds 299 characters; the caption shows what was stored.
  if (!ChangeRecords(StepKind::kRename, [&] { return StepResult{db.SetLongName(name) == 1, -1}; })) return;
  ViewUpdate update;
  update.caption = true;
  RefreshViews(update);
}

void SortRecords(uint32_t field) {
  if (sortInProgress || !DatabaseOpen()) return;
  sortInProgress = true;
  if (field >= 1 && field <= databaseFile.fieldCount) sortField = field;
  const bool sorted = ChangeRecords(StepKind::kSort, [field] {
    return StepResult{databaseFile.SortByField(field) == 1, databaseFile.SlotOfRecordNumber(1)};
  });
  if (sorted) {
    // The form stays on its slot and shows the record the sort put there;
    // a filter is applied to the new order.
    ViewUpdate update;
    update.follow = false;
    update.refilter = true;
    RefreshViews(update);
  }
  sortInProgress = false;
}

void ForgetSortField() { sortField = 0; }

namespace {

void UndoOrRedo(bool undo) {
  if (!DatabaseOpen() || QuestionOpen()) return;
  const StepKind kind = undo ? history.UndoKind() : history.RedoKind();
  int32_t touched = -1;
  if (!(undo ? UndoChange(&touched) : RedoChange(&touched))) return;
  ViewUpdate update;
  // Sort and Import go to the first record; the others to theirs.
  update.touched = kind == StepKind::kSort || kind == StepKind::kImport ? databaseFile.SlotOfRecordNumber(1) : touched;
  update.select = true;
  update.follow = false;
  update.caption = kind == StepKind::kRename;
  update.refilter = true;
  RefreshViews(update);
}

}  // namespace

void UndoCommand() { UndoOrRedo(true); }
void RedoCommand() { UndoOrRedo(false); }
