// vdrtool's template commands: a database made from a template as New makes
// it, the column headings Open gives a database, and the two CSV exports,
// the second with those headings. Data files are looked for beside vdrtool,
// the way the program looks for them beside itself.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/folders.h"
#include "platform/platform.h"
#include "store/database_file.h"
#include "store/text.h"
#include "core/csv_export.h"
#include "core/record_filter.h"
#include "core/spreadsheet_export.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"
#include "core/templates/template_database.h"
#include "tools/vdrtool.h"

namespace vdrtool {

void UseToolFolder() {
  char path[kFolderSize] = "";
  char folder[kFolderSize] = "";
  if (platform::ProgramFilePath(path, sizeof path)) FolderOfPath(path, folder, sizeof folder);
  SetFolders(folder, folder);
}

namespace {

bool HasFolder(const char* name) {
  char folder[kFolderSize];
  FolderOfPath(name, folder, sizeof folder);
  return folder[0] != 0;
}

}  // namespace

// new FILE TEMPLATE [NAME]
int CommandNew(int argc, char** argv) {
  const char* file = argv[0];
  const char* name = argc > 2 ? argv[2] : kDefaultDatabaseName;
  // A template named without a folder and not in the current folder is the
  // one beside vdrtool.
  char templatePath[kFolderSize];
  CopyText(argv[1], templatePath, sizeof templatePath);
  if (!platform::FileExists(argv[1]) && !HasFolder(argv[1])) {
    UseToolFolder();
    LocateDataFile(argv[1], templatePath, sizeof templatePath);
  }
  StyleFile* style = OpenStyleFile(templatePath);
  if (style == nullptr) return Fail(std::string("Not a template: ") + argv[1]);
  CloseStyleFile(style);

  Edit edit;
  if (!edit.BeginNew(file)) return kExitFailed;
  if (!CreateDatabaseFromTemplate(&databaseFile, templatePath, edit.TempPath(), name))
    return Fail(std::string("Cannot make a database from ") + argv[1]);
  return edit.Commit();
}

namespace {

// The columns Open gives the open database, with its labels loaded.
bool ReadColumnsAsOpenDoes(std::vector<ListColumn>* columns) {
  columns->clear();
  FreeColumnLabels();
  UseToolFolder();
  UseTemplateOfDatabase(databaseFile);
  if (ReadListColumns(databaseFile.fieldCount, columns)) return true;
  Fail(std::string("Cannot read the template ") + templateFileName);
  return false;
}

}  // namespace

bool LoadLabelsAsOpenDoes() {
  std::vector<ListColumn> columns;
  return ReadColumnsAsOpenDoes(&columns);
}

// labels FILE
int CommandLabels(int, char** argv) {
  if (!OpenForReading(argv[0])) return kExitFailed;
  std::vector<ListColumn> columns;
  if (!ReadColumnsAsOpenDoes(&columns)) return kExitFailed;
  FreeColumnLabels();
  OutputBuffer out;
  for (const ListColumn& column : columns) {
    out.Append(column.label);
    out.Newline();
  }
  return out.Flush() ? kExitOk : Fail("Cannot write the output");
}

// export FILE [OUT] [--spreadsheet]
int CommandExport(int argc, char** argv) {
  std::string filter;
  bool filtered = false;
  if (!TakeFilterOption(&argc, argv, &filter, &filtered)) return kExitUsage;
  bool spreadsheet = false;
  const char* out = kCsvFileName;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--spreadsheet") == 0) spreadsheet = true;
    else if (i == 1) out = argv[i];
    else return UsageError("one OUT at most");
  }
  // The plain export writes every slot, as File > Export does.
  if (filtered && !spreadsheet) return UsageError("--filter goes with --spreadsheet");
  if (!OpenForReading(argv[0])) return kExitFailed;
  if (!spreadsheet) {
    if (!WriteCsvFile(databaseFile, out)) return Fail(std::string("Cannot write ") + out);
    return kExitOk;
  }
  if (!LoadLabelsAsOpenDoes()) return kExitFailed;
  const std::vector<uint32_t> shown = filtered ? FilterSlots(databaseFile, filter) : std::vector<uint32_t>();
  if (!WriteSpreadsheetCsv(databaseFile, out, filtered ? &shown : nullptr))
    return Fail(std::string("Cannot write ") + out);
  return kExitOk;
}

}  // namespace vdrtool
