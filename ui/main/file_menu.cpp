#include "ui/main/file_menu.h"

#include <commdlg.h>

#include <cstddef>
#include <string>

#include "core/folders.h"
#include "core/record_changes.h"
#include "core/templates/new_database.h"
#include "core/templates/template_labels.h"
#include "core/working_copy.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/dialogs/new_dialog.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/main/status_bar.h"
#include "ui/record_commands.h"
#include "ui/views.h"

namespace {

constexpr char kRejectedMessage[] = "Not a Veldrana file";
constexpr char kWorkingCopyMessage[] = "The working copy could not be written:";
constexpr char kDialogFailedMessage[] = "The file dialog could not be shown.";
constexpr char kLeftWorkMessage[] = "Veldrana was not closed properly.";
constexpr char kSaveFailedMessage[] = "The file could not be saved:";
constexpr char kChangedMessage[] = "This Veldrana has been changed.";
constexpr char kSaveQuestion[] = "Save Current File Now?";

// The structure as the systems before Windows 2000 knew it: the members
// after lpTemplateName are left out (76 bytes in a 32-bit program, 136 in a
// 64-bit one).
constexpr DWORD kFileDialogSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
OPENFILENAMEA fileDialog;

// The user is told which file was not written; the file keeps its old
// contents.
void ReportSaveFailure() { ShowMessage(mainWindow, kSaveFailedMessage, currentFileName); }

void ShowOpenedDatabase() {
  UseTemplateOfDatabase(databaseFile);
  MarkSaved();
  ShowDatabase();
}

}  // namespace

int ChooseFile(HWND owner, char* fileName, uint32_t filterIndex, FileDialog kind) {
  fileDialog = OPENFILENAMEA();
  fileDialog.lStructSize = kFileDialogSize;
  fileDialog.hwndOwner = owner;
  fileDialog.hInstance = GetModuleHandleA(nullptr);
  fileDialog.lpstrFilter = "Veldrana Files\0*.vdr\0All Files\0*.*\0";
  fileDialog.nFilterIndex = filterIndex;
  fileDialog.lpstrFile = fileName;
  fileDialog.nMaxFile = kFolderSize;
  // No OFN_NOCHANGEDIR: the export goes to the folder last chosen here.
  fileDialog.Flags =
      OFN_EXPLORER | OFN_LONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (kind == FileDialog::kOpen) fileDialog.Flags |= OFN_FILEMUSTEXIST;
  if (filterIndex == 0) fileDialog.lpstrDefExt = "vdr";
  const BOOL chosen =
      kind == FileDialog::kOpen ? GetOpenFileNameA(&fileDialog) : GetSaveFileNameA(&fileDialog);
  if (chosen) return 1;
  // Cancel leaves no error; a dialog that could not be shown does.
  if (CommDlgExtendedError() == 0) return 0;
  ShowMessage(owner, kDialogFailedMessage);
  return -1;
}

void OpenDatabase(const char* path) {
  // The callers close first; whatever is still open goes without a question.
  if (DatabaseOpen()) ReleaseDatabase();
  const OpenResult result = OpenWorkingCopyOf(path);
  if (result == OpenResult::kOpened) {
    ShowOpenedDatabase();
    return;
  }
  ReleaseWorkingCopy();
  ShowDatabase();
  if (result == OpenResult::kNotWritten)
    ShowMessage(mainWindow, kWorkingCopyMessage, workingCopyPath);
  else
    ShowMessage(mainWindow, kRejectedMessage);
}

int SaveDatabase() {
  if (!DatabaseOpen()) return 0;
  if (hasUserFile) {
    if (SaveWorkingCopyTo(currentFileName, false) != SaveResult::kSaved) {
      ReportSaveFailure();
      return 0;
    }
    MarkSaved();
    return 1;
  }
  // A database with no file of the user's yet: its long name, as a file
  // name, is the suggested one.
  databaseFile.ReadLongName();
  char suggested[kFolderSize];
  CleanFileName(databaseFile.textValue, suggested, sizeof suggested);
  SetCurrentFileName(suggested);
  char chosen[kFolderSize];
  CopyText(currentFileName, chosen, sizeof chosen);
  if (ChooseFile(mainWindow, chosen, 0, FileDialog::kSave) != 1) return 0;
  SetCurrentFileName(chosen);
  switch (SaveWorkingCopyTo(currentFileName, true)) {
    case SaveResult::kWorkingCopyLost:
      // The working copy itself is gone: nothing is left open.
      ReleaseDatabase();
      ShowDatabase();
      ShowMessage(mainWindow, kRejectedMessage);
      return 0;
    case SaveResult::kNotWritten:
      ReportSaveFailure();
      return 0;
    case SaveResult::kSaved:
      break;
  }
  MarkSaved();
  return 1;
}

int CloseDatabase() {
  if (!DatabaseOpen()) return 0;
  int cancelled = 0;
  if (databaseChanged) {
    const uintptr_t answer = ShowSaveQuestion(mainWindow, kChangedMessage, kSaveQuestion);
    if (answer == kPromptOk) {
      if (SaveDatabase() != 1) cancelled = 1;
    } else if (answer == kPromptCancel) {
      cancelled = 1;
    }
  }
  if (DatabaseOpen() && cancelled == 0) ReleaseDatabase();
  return cancelled;
}

void ReleaseDatabase() {
  ClearRecordList();
  CloseRecordForm();
  ReleaseWorkingCopy();
  ForgetSortField();
}

void NewCommand() {
  if (CloseDatabase() != 0) return;
  if (ShowNewDialog(mainWindow) != kNewAccepted) {
    // The database before was closed all the same.
    if (!DatabaseOpen()) ShowDatabase();
    return;
  }
  // The list's columns and the labels come from the chosen template; a
  // template that cannot be read makes nothing, and leaves nothing behind.
  ForgetSourceName();
  if (CreateWorkingCopyFromTemplate(&databaseFile, workingCopyPath) != 1 ||
      LoadStyleColumns(databaseFile.fieldCount) != 1) {
    ReleaseDatabase();
    ForgetTemplate();
    ShowDatabase();
    return;
  }
  MarkMadeNew();
  // The band has no file to name yet.
  ShowDatabase(newDatabaseName);
}

void OpenCommand(HWND owner) {
  if (CloseDatabase() != 0) return;
  char chosen[kFolderSize];
  CopyText(currentFileName, chosen, sizeof chosen);
  if (ChooseFile(owner, chosen, 0, FileDialog::kOpen) == 1) {
    SetCurrentFileName(chosen);
    OpenDatabase(currentFileName);
  } else {
    ShowDatabase();  // the database before was closed all the same
  }
}

void CloseCommand() {
  if (CloseDatabase() != 0) return;
  ShowDatabase();
}

namespace {

void NoticeCopyDone() {
  if (mainWindow != nullptr) PostMessageA(mainWindow, kCopyDoneMessage, 0, 0);
}

// A change waits for the copy; after half a second the status bar shows
// how far it is.
void ShowCopyProgress(uint32_t percent) {
  const std::string text = "Making the working copy: " + std::to_string(percent) + "%";
  ShowStatusText(text.c_str());
}

}  // namespace

void WatchWorkingCopy() {
  SetCopyDoneNotice(NoticeCopyDone);
  SetCopyWaitProgress(ShowCopyProgress);
}

void WorkingCopyDone() {
  if (WorkingCopyState() == CopyState::kDone) FinishWorkingCopy();
  if (WorkingCopyState() != CopyState::kFailed) return;
  ReleaseDatabase();
  ShowDatabase();
  ShowMessage(mainWindow, kWorkingCopyMessage, workingCopyPath);
}

bool OfferLeftWork() {
  for (const LeftWork& work : FindLeftWork()) {
    std::string question = "Restore the unsaved changes to ";
    question += work.record.hasUserFile ? work.record.userFile : "the new database " + work.longName;
    question += "?";
    const uintptr_t answer = ShowQuestion(mainWindow, kLeftWorkMessage, question.c_str());
    if (answer == kPromptOk && RestoreLeftWork(work) == 1) {
      UseTemplateNamed(databaseFile, work.record.templateName);
      ShowDatabase();
      return true;
    }
    if (answer == kPromptNo) {
      DiscardLeftWork(work);
    } else if (!KeepLeftWork(work)) {
      // It stays where it is, so nothing may take the working copy's place.
      return true;
    }
    // The program may have been told to end while it asked.
    if (mainWindow == nullptr) return true;
  }
  return false;
}

void OpenDroppedFile(const char* path) {
  if (CloseDatabase() != 0) return;
  SetCurrentFileName(path);
  OpenDatabase(currentFileName);
}
