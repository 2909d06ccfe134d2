// The record form's command handler and the search navigator's requests.
// Every command works on the record shown (currentSlot) and ends by
// repainting the form; commands that change the database mark it changed
// and refill the main list.

#include "store/text.h"

#include "ui/form/form_commands.h"

#include <commctrl.h>

#include "app/options.h"
#include "app/shell.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "templates/file_commands.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"

namespace {

constexpr char kConfirmMessage[] = "Confirm?";
constexpr char kGotoCaption[] = "Goto";
constexpr char kSearchCaption[] = "Search for...";
constexpr char kNoMatchMessage[] = "No Match Found";

bool DatabaseOpen() { return databaseFile.view != nullptr; }

// After a prompt: the form may have been closed meanwhile, for instance by
// closing the database from the main window.
bool StillShowing(HWND form) { return recordForm == form && DatabaseOpen(); }

void RefillList() {
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  RebuildRecordList();
}

void AddCommand() {
  if (!DatabaseOpen()) return;
  const int32_t slot = databaseFile.AddRecord();
  if (slot == -1) return;
  ShowChangedRecord(slot);
}

// The copy is made of the record shown, wherever the allocation moves it.
void CopyCommand() {
  if (!DatabaseOpen()) return;
  const int32_t slot = databaseFile.DuplicateRecord(currentSlot);
  if (slot == -1) return;
  ShowChangedRecord(slot);
}

// After the delete the form shows the first record when the first was
// deleted or two remain, otherwise the one before the deleted record. When
// none remains, the form closes: there is no record left to show.
void DeleteCommand(HWND form) {
  DatabaseFile& db = databaseFile;
  const int32_t slot = currentSlot;
  // A slot that holds no record (deleted from the main window meanwhile)
  // has nothing to delete.
  if (db.RecordNumberOf(slot) < 0) return;
  if (ShowConfirmation(form, kConfirmMessage) != kPromptOk) return;
  if (!StillShowing(form)) return;
  // The number the record has now: the main window may have changed the
  // records while the question was open.
  const int32_t number = db.RecordNumberOf(slot);
  if (number < 0) return;
  db.SetRecStat(slot, kRecDeleted);
  databaseChanged = 1;
  RefillList();
  if (db.activeCount == 0) {
    SendMessageA(form, WM_CLOSE, 0, 0);
    return;
  }
  currentSlot = number == 1 || db.activeCount == 2 ? db.SlotOfRecordNumber(1) : db.PreviousActive(slot);
  ShowRecordForm();
}

void PreviousCommand() {
  currentSlot = databaseFile.PreviousActive(currentSlot);
  ShowRecordForm();
}

void NextCommand() {
  currentSlot = databaseFile.NextActive(currentSlot);
  ShowRecordForm();
}

void GotoCommand(HWND form) {
  DatabaseFile& db = databaseFile;
  char input[kPromptTextSize];
  currentRecordNumber = db.RecordNumberOf(currentSlot);
  NumberToSignedText(static_cast<uint32_t>(currentRecordNumber), input, sizeof input);
  if (ShowInput(form, kPromptInput, kGotoCaption, input) != kPromptOk) return;
  if (!StillShowing(form)) return;
  const int32_t slot = db.SlotOfRecordNumber(TextToNumber(input));
  if (slot == -1) return;
  currentSlot = slot;
  ShowRecordForm();
}

// A search from the start; a hit is shown and a navigator opens to step on
// through the others.
void SearchCommand(HWND form) {
  DatabaseFile& db = databaseFile;
  if (!DatabaseOpen()) return;
  char input[kPromptTextSize] = "";
  if (ShowInput(form, kPromptInput, kSearchCaption, input) != kPromptOk) return;
  if (!StillShowing(form)) return;
  CopyText(input, db.searchText, sizeof db.searchText);
  if (input[0] == 0) return;
  const int32_t slot = db.SearchFromStart();
  if (slot == -1) {
    ShowMessage(mainWindow, kNoMatchMessage);
    return;
  }
  currentSlot = slot;
  ShowRecordForm();
  StartSearchNavigator(form, db.searchText);
}

// Exit from the form's menu ends the program the way Exit in the main window
// does: the save question first, which the user may cancel.
void ExitCommand() { PostMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0); }

}  // namespace

void ShowChangedRecord(int32_t slot) {
  currentSlot = slot;
  databaseChanged = 1;
  ShowRecordForm();
  RefillList();
}

void DispatchFormCommand(HWND form, WPARAM wParam) {
  const int id = LOWORD(wParam);
  auto is = [id](int a, int b = -1) { return id == a || id == b; };

  if (is(CMD_ADD, IDM_ADD)) return AddCommand();
  if (is(CMD_COPY, IDM_COPY)) return CopyCommand();
  if (is(CMD_DELETE, IDM_DELETE)) return DeleteCommand(form);
  if (is(CMD_PREVIOUS, IDM_PREVIOUS)) return PreviousCommand();
  if (is(CMD_NEXT, IDM_NEXT)) return NextCommand();
  if (is(CMD_GOTO, IDM_GOTO)) return GotoCommand(form);
  if (is(CMD_SEARCH)) return SearchCommand(form);
  if (is(CMD_HELP, IDM_HELP)) return OpenHelpPage();
  if (is(IDM_ABOUT)) {
    if (!aboutOpen) ShowAbout(form);
    return;
  }
  if (is(IDM_EXIT)) return ExitCommand();
}

void HandleNavigatorRequest(UINT message) {
  SetPromptStatus(nullptr);
  DatabaseFile& db = databaseFile;
  int32_t slot = -1;
  // An empty search text would match every record; it finds nothing.
  if (DatabaseOpen() && db.searchText[0] != 0)
    slot = message == kSearchNextMessage ? db.SearchNext(currentSlot) : db.SearchPrevious(currentSlot);
  if (slot == -1) {
    SetPromptStatus(kNoMatchMessage);
    return;
  }
  currentSlot = slot;
  ShowRecordForm();
}
