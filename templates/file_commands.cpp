// Open, save and close through the working copy, and the file dialogs.
#include "templates/file_commands.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>

#include "app/folders.h"
#include "app/settings.h"
#include "app/shell.h"
#include "platform/platform.h"
#include "store/database_file.h"
#include "store/text.h"
#include "templates/safe_copy.h"
#include "templates/style_file.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"

uint32_t hasUserFile;
uint32_t databaseChanged;

namespace {

// The template of an opened database, chosen by its number of fields.
constexpr uint32_t kWorldFieldCount = 44;
constexpr char kWorldTemplate[] = "WELT13.xml";
constexpr uint32_t kWorldTemplateNumber = 3;
constexpr char kSpareTemplate[] = "Spare.xml";
constexpr uint32_t kSpareTemplateNumber = 4;

constexpr char kRejectedMessage[] = "Not a Veldrana file";
constexpr char kSaveFailedMessage[] = "The file could not be saved:";
constexpr char kChangedMessage[] = "This Veldrana has been changed.";
constexpr char kSaveQuestion[] = "Save Current File Now?";

// The structure as the systems before Windows 2000 knew it: the members
// after lpTemplateName are left out (76 bytes in a 32-bit program, 136 in a
// 64-bit one).
constexpr DWORD kFileDialogSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
OPENFILENAMEA fileDialog;

bool DatabaseOpen() { return databaseFile.view != nullptr; }

// Opens the working copy with the store.
int OpenWorkingCopy() {
  CopyText(workingCopyPath, databaseFile.path, sizeof databaseFile.path);
  databaseFile.writable = 1;
  return databaseFile.Open();
}

// The user is told which file was not written; the file keeps its old
// contents.
void ReportSaveFailure() {
  promptMode = kPromptMessage;
  promptMessage = kSaveFailedMessage;
  promptText = currentFileName;
  ShowPrompt(mainWindow);
}

void ShowOpenedDatabase() {
  DatabaseFile& db = databaseFile;
  SetFileItemsEnabled(true);
  // The first record becomes the current one.
  currentSlot = db.SlotOfRecordNumber(1);
  if (currentSlot < 0) currentSlot = 0;
  currentRecordNumber = db.RecordNumberOf(currentSlot);
  db.ReadLongName();
  SetWindowTextA(mainWindow, db.textValue[0] != 0 ? db.textValue : kMainCaption);
  templateNumber = 0;
  if (db.activeCount > 0) {
    const bool world = db.fieldCount == kWorldFieldCount;
    CopyText(world ? kWorldTemplate : kSpareTemplate, templateFileName, sizeof templateFileName);
    templateNumber = world ? kWorldTemplateNumber : kSpareTemplateNumber;
    LoadStyleColumns();
    SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
    RebuildRecordList();
  }
  hasUserFile = 1;
  databaseChanged = 0;
}

}  // namespace

int ChooseFile(HWND owner, char* fileName, uint32_t filterIndex, FileDialog kind) {
  fileDialog = OPENFILENAMEA();
  fileDialog.lStructSize = kFileDialogSize;
  fileDialog.hwndOwner = owner;
  fileDialog.hInstance = instance;
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
  return chosen ? 1 : 0;
}

void OpenDatabase(const char* path) {
  // The callers close first; whatever is still open goes without a question.
  if (DatabaseOpen()) ReleaseDatabase();
  // A file that cannot be copied is refused like a file that is no
  // database: an older working copy is never opened in its place.
  const bool copied = platform::CopyFileOver(path, workingCopyPath);
  if (copied && OpenWorkingCopy() == 1) {
    ShowOpenedDatabase();
  } else {
    databaseFile.Close();
    hasUserFile = 0;
    SetFileItemsEnabled(false);
    ShowMessage(mainWindow, kRejectedMessage);
  }
  InvalidateRect(mainWindow, nullptr, TRUE);
  UpdateStatusBar();
}

int SaveDatabase() {
  if (!DatabaseOpen()) return 0;
  if (hasUserFile) {
    if (!CopyFileSafely(workingCopyPath, currentFileName)) {
      ReportSaveFailure();
      return 0;
    }
    databaseChanged = 0;
    return 1;
  }
  // A database with no file of the user's yet: its long name is the
  // suggested file name.
  databaseFile.ReadLongName();
  CopyText(databaseFile.textValue, currentFileName, sizeof currentFileName);
  if (ChooseFile(mainWindow, currentFileName, 0, FileDialog::kSave) != 1) return 0;
  databaseFile.Close();
  const bool saved = CopyFileSafely(workingCopyPath, currentFileName);
  if (OpenWorkingCopy() != 1) {
    // The working copy itself is gone: nothing is left open.
    ReleaseDatabase();
    SetFileItemsEnabled(false);
    InvalidateRect(mainWindow, nullptr, TRUE);
    UpdateStatusBar();
    ShowMessage(mainWindow, kRejectedMessage);
    return 0;
  }
  if (!saved) {
    ReportSaveFailure();
    return 0;
  }
  hasUserFile = 1;
  databaseChanged = 0;
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
  // The widths the user dragged are kept, when the columns are there to
  // tell them (a database without records has none).
  const int columns = RecordListColumnCount();
  if (columns >= 3) {
    uint32_t* widths[3] = {&settings.indexColumnWidth, &settings.recordColumnWidth,
                           &settings.recStatColumnWidth};
    for (int i = 0; i < 3; ++i) {
      const LRESULT width = SendMessageA(recordList, LVM_GETCOLUMNWIDTH, i, 0);
      if (width > 0) *widths[i] = static_cast<uint32_t>(width);
    }
  }
  // The rows go first: each column removed would otherwise visit every row.
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  for (int i = columns - 1; i >= 0; --i) SendMessageA(recordList, LVM_DELETECOLUMN, i, 0);
  if (recordForm != nullptr) SendMessageA(recordForm, WM_CLOSE, 0, 0);
  databaseFile.Close();
  FreeColumnLabels();
  hasUserFile = 0;
}
