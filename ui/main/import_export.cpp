#include "ui/main/import_export.h"

#include <commdlg.h>

#include <string>

#include "core/csv_export.h"
#include "core/csv_import.h"
#include "core/folders.h"
#include "core/record_changes.h"
#include "core/record_filter.h"
#include "core/spreadsheet_export.h"
#include "core/templates/template_labels.h"
#include "core/working_copy.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/main/main_window.h"
#include "ui/main/status_bar.h"
#include "ui/views.h"

namespace {

constexpr char kUnreadMessage[] = "The file could not be read:";
constexpr char kExportFailedMessage[] = "The export could not be written:";
constexpr char kFilterOnMessage[] = "A filter is on.";
constexpr char kUnwrittenMessage[] = "The file could not be written:";
constexpr char kNoRoomMessage[] = "Not imported: there is no room";
constexpr char kNoRoomDetail[] = "for the records in the database.";
constexpr char kFirstLinePrefix[] = "First line: ";
constexpr char kHeaderQuestion[] = "Are these the column names?";
// What of the first line fits the prompt's line with the prefix.
constexpr size_t kFirstLineShown = 24;

enum class CsvDialog { kOpen, kSave };

// The system's open or save dialog for a CSV file, in the database's folder
// when it has a file; path (kFolderSize bytes) holds the name it starts
// with and receives the chosen path.
bool ChooseCsvFile(HWND owner, char* path, CsvDialog kind) {
  char folder[kFolderSize] = "";
  if (hasUserFile) FolderOfPath(currentFileName, folder, sizeof folder);
  OPENFILENAMEA dialog = {};
  dialog.lpstrInitialDir = folder[0] != 0 ? folder : nullptr;
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hInstance = GetModuleHandleA(nullptr);
  dialog.lpstrFilter = kind == CsvDialog::kOpen
                           ? "CSV and Text Files\0*.csv;*.txt\0All Files\0*.*\0"
                           : "CSV Files\0*.csv\0All Files\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = kFolderSize;
  dialog.lpstrDefExt = "csv";
  // Like the program's other file dialogs, these change the current folder.
  dialog.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (kind == CsvDialog::kOpen) dialog.Flags |= OFN_FILEMUSTEXIST;
  return (kind == CsvDialog::kOpen ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog)) != 0;
}

void ShowImportProgress(bool adding, uint32_t percent) {
  const std::string text = (adding ? "Importing: " : "Checking the file: ") + std::to_string(percent) + "%";
  ShowStatusText(text.c_str());
}

}  // namespace

void ImportCommand(HWND owner) {
  if (!DatabaseOpen()) return;
  char path[kFolderSize] = "";
  if (!ChooseCsvFile(owner, path, CsvDialog::kOpen)) return;
  CsvImport import;
  if (!import.Open(path)) {
    ShowMessage(mainWindow, kUnreadMessage, path);
    return;
  }
  bool header = import.FirstLineNamesColumns(databaseFile);
  if (!header && import.HasLines()) {
    const std::string firstLine = kFirstLinePrefix + import.FirstLineText(kFirstLineShown);
    const uintptr_t answer = ShowQuestion(mainWindow, firstLine.c_str(), kHeaderQuestion);
    if (answer == kPromptCancel || !DatabaseOpen()) return;
    header = answer == kPromptOk;
  }
  ImportProblem problem;
  const bool checked = import.Check(databaseFile, header, &problem, ShowImportProgress);
  bool noRoom = false;
  if (checked && import.RecordCount() > 0) {
    ChangeRecords(StepKind::kImport, [&] {
      noRoom = !import.Add(&databaseFile, ShowImportProgress);
      return StepResult{!noRoom, -1};
    });
  }
  // Whatever happened, the status bar leaves the progress, and the list and
  // the form show the records as they are.
  RefreshViews();
  if (!checked) ShowMessage(mainWindow, ImportProblemPlace(problem).c_str(), problem.reason.c_str());
  else if (noRoom) ShowMessage(mainWindow, kNoRoomMessage, kNoRoomDetail);
}

void ExportAsCommand(HWND owner) {
  if (!DatabaseOpen()) return;
  // With a filter on, the user chooses: the records shown, or all of them.
  bool shownOnly = false;
  if (recordFilter.On()) {
    const std::string question = "Export only the " + std::to_string(recordFilter.RowCount()) + " records shown?";
    const uintptr_t answer = ShowQuestion(owner, kFilterOnMessage, question.c_str());
    if (answer == kPromptCancel || !DatabaseOpen()) return;
    shownOnly = answer == kPromptOk;
  }
  databaseFile.ReadLongName();
  char path[kFolderSize];
  SpreadsheetFileName(databaseFile.textValue, path, sizeof path);
  if (!ChooseCsvFile(owner, path, CsvDialog::kSave)) return;
  if (!WriteSpreadsheetCsv(databaseFile, path, shownOnly ? &recordFilter.Slots() : nullptr))
    ShowMessage(mainWindow, kUnwrittenMessage, path);
}

void ExportCommand() {
  if (ExportCsv(databaseFile) == 1) return;
  char path[kFolderSize] = "";
  const DWORD length = GetFullPathNameA(kCsvFileName, sizeof path, path, nullptr);
  if (length == 0 || length >= sizeof path) CopyText(kCsvFileName, path, sizeof path);
  ShowMessage(mainWindow, kExportFailedMessage, path);
}
