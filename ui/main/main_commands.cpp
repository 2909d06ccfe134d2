// The dispatcher of the main window's commands. The ids are tried in a fixed
// order, and the first that matches runs; ids of one row are synonyms.
// Commands whose guard fails do nothing and say nothing.
#include "ui/main/main_commands.h"

#include "app/folders.h"
#include "app/options.h"
#include "app/shell.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "templates/file_commands.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"

namespace {

bool DatabaseOpen() { return databaseFile.view != nullptr; }

// The window as it is without a database.
void ShowNoDatabase() {
  SetFileItemsEnabled(false);
  // The band loses the file and template names.
  InvalidateRect(mainWindow, nullptr, FALSE);
  UpdateStatusBar();
}

void CloseCommand() {
  if (CloseDatabase() != 0) return;
  ShowNoDatabase();
}

void OpenCommand(HWND window) {
  if (CloseDatabase() != 0) return;
  if (ChooseFile(window, currentFileName, 0, FileDialog::kOpen) == 1)
    OpenDatabase(currentFileName);
  else
    ShowNoDatabase();  // the database before was closed all the same
}

void EditCommand() {
  const int32_t slot = FocusedRecordSlot();
  if (slot == -1) return;
  currentSlot = slot;
  ShowRecordForm();
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
  if (is(IDM_EXPORT)) return;  // the export: not built yet
  if (is(CMD_SAVE, IDM_SAVE)) {
    if (DatabaseOpen()) SaveDatabase();
    return;
  }
  if (is(IDM_CLOSE)) {
    if (DatabaseOpen()) CloseCommand();
    return;
  }
  if (is(CMD_NEW, IDM_NEW)) return;  // New: not built yet (refused while promptOpen)
  if (is(CMD_ADD, IDM_ADD)) return;    // Add: not built yet (needs an open database)
  if (is(CMD_COPY, IDM_COPY)) return;  // Copy: not built yet (needs an open database)
  if (is(CMD_OPEN, IDM_OPEN)) return OpenCommand(window);
  if (is(IDM_NAME)) return;  // Name: not built yet

  // The commands below need at least two active records.
  if (databaseFile.activeCount < 2) return;
  if (is(CMD_SEARCH)) return;             // Search: not built yet
  if (is(CMD_GOTO, IDM_GOTO)) return;     // Goto: not built yet
  if (is(CMD_DELETE, IDM_DELETE)) return; // Delete: not built yet (needs an open database)
  if (is(IDM_EDIT)) return EditCommand();
}
