// The dispatcher of the main window's commands, one named function per
// command; the order of the tests and the guards are described in
// main_commands.h.
#include "ui/main/main_commands.h"

#include <commctrl.h>

#include "app/folders.h"
#include "app/options.h"
#include "app/shell.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "templates/csv_export.h"
#include "templates/file_commands.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/new_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"

char gotoText[kPromptTextSize];

namespace {

constexpr char kNamePrompt[] = "Database Name";
constexpr char kSearchPrompt[] = "Search for...";
constexpr char kGotoPrompt[] = "Goto";
constexpr char kConfirmMessage[] = "Confirm?";
constexpr char kNoMatchMessage[] = "No Match Found";

bool DatabaseOpen() { return databaseFile.view != nullptr; }

// The window as it is without a database.
void ShowNoDatabase() {
  SetFileItemsEnabled(false);
  // The band loses the file and template names.
  InvalidateRect(mainWindow, nullptr, FALSE);
  UpdateStatusBar();
}

// The list again from the database, and the count or position in the bar.
void RefreshList() {
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  RebuildRecordList();
  currentRecordNumber = databaseFile.RecordNumberOf(currentSlot);
  UpdateStatusBar();
}

// Makes a record the current one and shows it in the record form.
void ShowRecord(int32_t slot) {
  currentSlot = slot;
  currentRecordNumber = databaseFile.RecordNumberOf(slot);
  ShowRecordForm();
  UpdateStatusBar();
}

// A record just made by Add or Copy: shown, and the database changed.
void ShowNewRecord(int32_t slot) {
  databaseChanged = 1;
  ShowRecord(slot);
  RefreshList();
}

void CloseCommand() {
  if (CloseDatabase() != 0) return;
  ShowNoDatabase();
}

void NewCommand() {
  if (CloseDatabase() != 0) return;
  NewDatabase();
}

void OpenCommand(HWND window) {
  if (CloseDatabase() != 0) return;
  if (ChooseFile(window, currentFileName, 0, FileDialog::kOpen) == 1)
    OpenDatabase(currentFileName);
  else
    ShowNoDatabase();  // the database before was closed all the same
}

void AddCommand() {
  const int32_t slot = databaseFile.AddRecord();
  if (slot != -1) ShowNewRecord(slot);
}

// Copies the focused row's record. Making room may move the records; the
// copy is still made of the record the user chose.
void CopyCommand() {
  const int32_t source = FocusedRecordSlot();
  if (source == -1) return;
  const int32_t copy = databaseFile.DuplicateRecord(source);
  if (copy != -1) ShowNewRecord(copy);
}

void RenameCommand(HWND window) {
  char name[kPromptTextSize] = "";
  databaseFile.ReadLongName();
  CopyText(databaseFile.textValue, name, sizeof name);
  if (ShowInput(window, kPromptInput, kNamePrompt, name) != kPromptOk || !DatabaseOpen()) return;
  // The header holds 299 characters; the caption shows what was stored.
  databaseFile.SetLongName(name);
  databaseFile.ReadLongName();
  databaseChanged = 1;
  SetWindowTextA(mainWindow, databaseFile.textValue);
}

void SearchCommand(HWND window) {
  char input[kPromptTextSize] = "";
  // A cancelled prompt searches for nothing, whatever was typed.
  if (ShowInput(window, kPromptInput, kSearchPrompt, input) != kPromptOk || !DatabaseOpen()) return;
  CopyText(input, databaseFile.searchText, sizeof databaseFile.searchText);
  if (input[0] == 0) return;
  const int32_t slot = databaseFile.SearchFromStart();
  if (slot == -1) {
    ShowMessage(window, kNoMatchMessage);
    return;
  }
  ShowRecord(slot);
}

void GotoCommand(HWND window) {
  NumberToSignedText(static_cast<uint32_t>(currentRecordNumber), gotoText, sizeof gotoText);
  if (ShowInput(window, kPromptInput, kGotoPrompt, gotoText) != kPromptOk || !DatabaseOpen()) return;
  const int32_t slot = databaseFile.SlotOfRecordNumber(TextToNumber(gotoText));
  if (slot != -1) ShowRecord(slot);
}

void DeleteCommand(HWND window) {
  const int32_t slot = FocusedRecordSlot();
  if (slot == -1) return;
  if (ShowConfirmation(window, kConfirmMessage) != kPromptOk) return;
  // The record may have gone while the question was open.
  if (!DatabaseOpen() || databaseFile.RecordNumberOf(slot) == -1) return;
  databaseFile.SetRecStat(slot, kRecDeleted);
  databaseChanged = 1;
  RefreshList();
  // A form that shows the deleted record shows it as deleted at once.
  if (recordForm != nullptr) InvalidateRect(recordForm, nullptr, TRUE);
}

void EditCommand() {
  const int32_t slot = FocusedRecordSlot();
  if (slot == -1) return;
  ShowRecord(slot);
}

// View > Next and Previous: the current record is the one the form shows,
// or with the form closed the one last shown.
void StepCommand(bool forward) {
  DatabaseFile& db = databaseFile;
  int32_t from = recordForm != nullptr ? currentSlot
                                       : db.SlotOfRecordNumber(static_cast<uint32_t>(currentRecordNumber));
  if (db.RecordNumberOf(from) == -1) {
    // Nothing to step from: the first record.
    ShowRecord(db.SlotOfRecordNumber(1));
    return;
  }
  ShowRecord(forward ? db.NextActive(from) : db.PreviousActive(from));
}

// Sort from the right-click menu: by the field last sorted by, else field 1.
void SortCommand() {
  const uint32_t field =
      sortField >= 1 && sortField <= databaseFile.fieldCount ? sortField : 1;
  SortRecords(field);
  currentRecordNumber = databaseFile.RecordNumberOf(currentSlot);
  UpdateStatusBar();
  if (recordForm != nullptr) InvalidateRect(recordForm, nullptr, TRUE);
}

}  // namespace

void DispatchMainCommand(HWND window, WPARAM wParam) {
  const int id = LOWORD(wParam);
  auto is = [id](int a, int b = -1) { return id == a || id == b; };

  if (is(IDM_ABOUT)) {
    if (!aboutOpen) ShowAbout(window);
    return;
  }
  if (is(IDM_OPTIONS)) {
    if (!optionsOpen) ShowOptions(window);
    return;
  }
  if (is(IDM_HELP, CMD_HELP)) return OpenHelpPage();
  if (is(IDM_EXIT)) {
    EndProgram();
    return;
  }
  if (is(IDM_EXPORT)) {
    ExportCsv(databaseFile);
    return;
  }
  if (is(CMD_SAVE, IDM_SAVE)) {
    if (DatabaseOpen()) SaveDatabase();
    return;
  }
  if (is(IDM_CLOSE)) {
    if (DatabaseOpen()) CloseCommand();
    return;
  }
  if (is(CMD_NEW, IDM_NEW)) {
    if (promptOpen.load() == 0) NewCommand();
    return;
  }
  if (is(CMD_ADD, IDM_ADD)) {
    if (DatabaseOpen()) AddCommand();
    return;
  }
  if (is(CMD_COPY, IDM_COPY)) {
    if (DatabaseOpen()) CopyCommand();
    return;
  }
  if (is(CMD_OPEN, IDM_OPEN)) return OpenCommand(window);
  if (is(IDM_NAME)) {
    if (DatabaseOpen()) RenameCommand(window);
    return;
  }

  // The commands below need an open database of at least two records (a
  // closed one keeps its last count, so the count alone would not do).
  if (!DatabaseOpen() || databaseFile.activeCount < 2) return;
  if (is(CMD_SEARCH)) return SearchCommand(window);
  if (is(CMD_GOTO, IDM_GOTO)) return GotoCommand(window);
  if (is(CMD_DELETE, IDM_DELETE)) return DeleteCommand(window);
  if (is(IDM_EDIT)) return EditCommand();
  if (is(IDM_NEXT)) return StepCommand(true);
  if (is(IDM_PREVIOUS)) return StepCommand(false);
  if (is(IDM_SORT)) return SortCommand();
}
