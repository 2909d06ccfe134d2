#include "ui/form/form_commands.h"

#include <windowsx.h>

#include "resources/resource.h"
#include "store/database_file.h"
#include "ui/command_bars.h"
#include "ui/dialogs/about_box.h"
#include "ui/shell_open.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/record_commands.h"

namespace {

void PreviousCommand() { ShowRecord(databaseFile.PreviousActive(currentSlot)); }

void NextCommand() { ShowRecord(databaseFile.NextActive(currentSlot)); }

// Exit from the form's menu ends the program the way Exit in the main window
// does: the save question first, which the user may cancel.
void ExitCommand() { PostMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0); }

}  // namespace

LRESULT CALLBACK RecordFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      DispatchFormCommand(window, wParam);
      return 0;
    case kSearchNextMessage:
    case kSearchPreviousMessage:
      HandleNavigatorRequest(message);
      return 0;
    case WM_LBUTTONDOWN:
      if (wParam & MK_SHIFT) EditFieldCommand(window, GET_Y_LPARAM(lParam));
      return 0;
    case WM_RBUTTONUP:
      ShowPopupMenu(window, PopupVariant::kForm, false);
      return 0;
    case WM_NOTIFY:
      if (AnswerTooltip(reinterpret_cast<NMHDR*>(lParam))) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return RecordFormDefault(window, message, wParam, lParam);
  }
}

void DispatchFormCommand(HWND form, WPARAM wParam) {
  const int id = LOWORD(wParam);
  auto is = [id](int a, int b = -1) { return id == a || id == b; };

  if (is(IDM_UNDO)) return UndoCommand();
  if (is(IDM_REDO)) return RedoCommand();
  if (is(CMD_ADD, IDM_ADD)) return AddRecordCommand();
  if (is(CMD_COPY, IDM_COPY)) return CopyRecordCommand(currentSlot);
  if (is(CMD_DELETE, IDM_DELETE)) return DeleteRecordCommand(form, currentSlot);
  if (is(CMD_PREVIOUS, IDM_PREVIOUS)) return PreviousCommand();
  if (is(CMD_NEXT, IDM_NEXT)) return NextCommand();
  if (is(CMD_GOTO, IDM_GOTO)) return GotoCommand(form);
  if (is(CMD_SEARCH)) {
    if (DatabaseOpen()) SearchCommand(form);
    return;
  }
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
  ShowRecord(slot);
}
