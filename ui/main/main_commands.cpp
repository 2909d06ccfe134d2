#include "ui/main/main_commands.h"

#include <commctrl.h>
#include <shellapi.h>

#include "core/folders.h"
#include "core/record_filter.h"
#include "core/settings.h"
#include "core/working_copy.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/command_bars.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/file_menu.h"
#include "ui/main/import_export.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/placement.h"
#include "ui/record_commands.h"
#include "ui/shell_open.h"
#include "ui/views.h"

namespace {

constexpr char kFilterCaption[] = "Filter";

// View > Filter...: the records that match the text typed; an empty text
// shows them all.
void FilterCommand(HWND window) {
  char text[kPromptTextSize] = "";
  CopyText(recordFilter.Text().c_str(), text, sizeof text);
  if (ShowInput(window, kPromptInput, kFilterCaption, text, kFilterTextLength) != kPromptOk || !DatabaseOpen())
    return;
  recordFilter.Set(databaseFile, text);
  ShowFilter();
}

void ShowAllCommand() {
  if (!recordFilter.On()) return;
  recordFilter.Clear();
  ShowFilter();
}

// The focused row's record, shown.
void EditCommand() {
  const int32_t slot = FocusedRecordSlot();
  if (slot != -1) ShowRecord(slot);
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
  const uint32_t field = sortField >= 1 && sortField <= databaseFile.fieldCount ? sortField : 1;
  SortRecords(field);
}

// Only the first of the dropped files is opened, as Open would open it.
void OnDropFiles(HDROP drop) {
  char name[kFolderSize] = "";
  const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
  const bool fits = length > 0 && length < sizeof name &&
                    DragQueryFileA(drop, 0, name, sizeof name) == length;
  DragFinish(drop);
  if (fits) OpenDroppedFile(name);
}

// Double clicks and header clicks in the list, and the tooltips of both
// toolbars (the record form passes its own on).
LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  LRESULT answer = 0;
  if (AnswerRecordList(header, &answer)) return answer;
  if (header->hwndFrom == recordList && header->code == NM_DBLCLK) {
    const int32_t slot = FocusedRecordSlot();
    if (slot != -1) ShowRecord(slot);
    return 0;
  }
  if (header->hwndFrom == recordList && header->code == LVN_COLUMNCLICK) {
    // A click on a field's column header sorts by that field.
    const int column = reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem;
    if (column >= 3) SortRecords(static_cast<uint32_t>(column - 2));
    return 0;
  }
  if (AnswerTooltip(header)) return 0;
  return DefWindowProcA(window, WM_NOTIFY, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      DispatchMainCommand(window, wParam);
      return 0;
    case WM_TIMER:
      if (wParam == kOpenTimerId || wParam == kStartTimerId) {
        KillTimer(window, wParam);
        // The question about left work comes first; work given back stays
        // open, in place of the named file.
        char named[kFolderSize];
        CopyText(currentFileName, named, sizeof named);
        if (!OfferLeftWork() && wParam == kOpenTimerId) {
          SetCurrentFileName(named);
          OpenDatabase(currentFileName);
        }
      }
      return 0;
    case WM_NOTIFY:
      return OnNotify(window, wParam, lParam);
    case kCopyDoneMessage:
      WorkingCopyDone();
      return 0;
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP:
      ShowPopupMenu(window, PopupVariant::kMain, FocusedRecordSlot() != -1);
      return 0;
    case WM_INITMENUPOPUP:
      UpdateMenuItems();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      EndProgram();
      return 0;
    case WM_QUERYENDSESSION:
      // Unsaved changes the user chose to keep hold the session open.
      return EndProgram() ? TRUE : FALSE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return MainWindowDefault(window, message, wParam, lParam);
  }
}

bool EndProgram() {
  if (CloseDatabase() != 0) return false;
  WindowPlacement placement;
  if (CaptureWindowPlacement(mainWindow, &placement)) KeepMainPlacement(placement);
  DestroyWindow(mainWindow);
  return true;
}

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
  if (is(IDM_EXPORT)) return ExportCommand();
  if (is(IDM_IMPORT)) return ImportCommand(window);
  if (is(IDM_EXPORT_AS)) return ExportAsCommand(window);
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
  if (is(IDM_UNDO)) return UndoCommand();
  if (is(IDM_REDO)) return RedoCommand();
  if (is(CMD_ADD, IDM_ADD)) return AddRecordCommand();
  if (is(CMD_COPY, IDM_COPY)) return CopyRecordCommand(FocusedRecordSlot());
  if (is(CMD_OPEN, IDM_OPEN)) return OpenCommand(window);
  if (is(IDM_FILTER)) {
    if (DatabaseOpen()) FilterCommand(window);
    return;
  }
  if (is(IDM_SHOW_ALL)) return ShowAllCommand();
  if (is(IDM_NAME)) {
    if (DatabaseOpen()) RenameCommand(window);
    return;
  }

  // The commands below need an open database of at least two records (a
  // closed one keeps its last count, so the count alone would not do).
  if (!DatabaseOpen() || databaseFile.activeCount < 2) return;
  if (is(CMD_SEARCH)) return SearchCommand(window);
  if (is(CMD_GOTO, IDM_GOTO)) return GotoCommand(window);
  if (is(CMD_DELETE, IDM_DELETE)) return DeleteRecordCommand(window, FocusedRecordSlot());
  if (is(IDM_EDIT)) return EditCommand();
  if (is(IDM_NEXT)) return StepCommand(true);
  if (is(IDM_PREVIOUS)) return StepCommand(false);
  if (is(IDM_SORT)) return SortCommand();
}
