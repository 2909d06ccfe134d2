#include "ui/record_commands.h"

#include "core/typed_number.h"
#include "core/working_copy.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/views.h"

char gotoText[kPromptTextSize];
uint32_t sortField;
bool sortInProgress;

namespace {

constexpr char kConfirmMessage[] = "Confirm?";
constexpr char kGotoCaption[] = "Goto";
constexpr char kSearchCaption[] = "Search for...";
constexpr char kNoMatchMessage[] = "No Match Found";

// After a prompt: the database may have been closed meanwhile, and a record
// form that asked may have been closed with it.
bool StillShowing(HWND owner) {
  return DatabaseOpen() && (owner == mainWindow || owner == recordForm);
}

// A record just made by Add or Copy.
void ShowNewRecord(int32_t slot) {
  MarkChanged();
  ShowRecord(slot);
  RefreshViews();
}

}  // namespace

void AddRecordCommand() {
  if (!DatabaseOpen()) return;
  const int32_t slot = databaseFile.AddRecord();
  if (slot != -1) ShowNewRecord(slot);
}

void CopyRecordCommand(int32_t source) {
  if (!DatabaseOpen() || source == -1) return;
  const int32_t copy = databaseFile.DuplicateRecord(source);
  if (copy != -1) ShowNewRecord(copy);
}

void DeleteRecordCommand(HWND owner, int32_t slot) {
  DatabaseFile& db = databaseFile;
  // A slot that holds no record (deleted meanwhile) has nothing to delete.
  if (db.RecordNumberOf(slot) < 0) return;
  if (ShowConfirmation(owner, kConfirmMessage) != kPromptOk) return;
  if (!StillShowing(owner)) return;
  // The number the record has now: the other window may have changed the
  // records while the question was open.
  const int32_t number = db.RecordNumberOf(slot);
  if (number < 0) return;
  db.SetRecStat(slot, kRecDeleted);
  MarkChanged();
  // A form that shows the record the main window deleted has nothing left to
  // show.
  if (owner != recordForm && slot == currentSlot) CloseRecordForm();
  if (owner == recordForm) {
    if (db.activeCount == 0) {
      RebuildRecordList();
      CloseRecordForm();  // no record is left to show
      return;
    }
    ShowRecord(number == 1 || db.activeCount == 2 ? db.SlotOfRecordNumber(1) : db.PreviousActive(slot));
  }
  RefreshViews();
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
  const int32_t type = FieldText(slot, field);
  if (type < 0) return;  // no such record
  char buffer[kPromptTextSize];
  CopyText(db.textValue, buffer, sizeof buffer);
  if (ShowInput(form, kPromptFieldInput + kPromptSmallCaption, FieldTypeName(static_cast<uint32_t>(type)),
                buffer) != kPromptOk)
    return;
  if (recordForm != form || !DatabaseOpen()) return;
  if (IsNumberType(static_cast<uint32_t>(type))) {
    // A number the field cannot hold is not stored: the user is told what it
    // can hold.
    if (!ReadTypedNumber(buffer, static_cast<uint32_t>(type), &db.numberValue)) {
      char message[64];
      TypedNumberMessage(static_cast<uint32_t>(type), message, sizeof message);
      ShowMessage(form, message);
      return;
    }
  } else {
    CopyText(buffer, db.textValue, sizeof db.textValue);
  }
  if (db.WriteField(slot, field) < 0) return;
  MarkChanged();
  RefreshViews();
}

void SortRecords(uint32_t field) {
  if (sortInProgress) return;
  sortInProgress = true;
  if (field >= 1 && field <= databaseFile.fieldCount) sortField = field;
  if (databaseFile.SortByField(field) == 1) {
    MarkChanged();
    RefreshViews();
  }
  sortInProgress = false;
}

void ForgetSortField() { sortField = 0; }
