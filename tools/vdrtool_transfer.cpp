// vdrtool's ways in and out for other programs: a CSV file imported as new
// records, and the database as an SQL script for a server database.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/csv_import.h"
#include "core/sql_export.h"
#include "store/database_file.h"
#include "tools/vdrtool.h"

namespace vdrtool {
namespace {

constexpr char kNoRoom[] = "Not imported: there is no room for the records";

// The file's name without its folder and its last extension.
std::string TableNameOf(const char* file) {
  std::string name = file;
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

// import FILE CSV [--header | --no-header]: without an option, the first
// line is a header when it names the database's columns.
int CommandImport(int argc, char** argv) {
  enum { kByNames, kHeader, kNoHeader } rule = kByNames;
  if (argc == 3) {
    if (std::strcmp(argv[2], "--header") == 0) {
      rule = kHeader;
    } else if (std::strcmp(argv[2], "--no-header") == 0) {
      rule = kNoHeader;
    } else {
      std::fprintf(stderr, "unknown option %s\n", argv[2]);
      return kExitUsage;
    }
  }
  CsvImport import;
  if (!import.Open(argv[1])) return Fail(std::string("Cannot read ") + argv[1]);
  Edit edit;
  if (!edit.Begin(argv[0]) || !LoadLabelsAsOpenDoes()) return kExitFailed;
  const bool header = rule == kHeader || (rule == kByNames && import.FirstLineNamesColumns(databaseFile));
  ImportProblem problem;
  if (!import.Check(databaseFile, header, &problem))
    return Fail(ImportProblemPlace(problem) + ": " + problem.reason);
  if (!import.Add(&databaseFile)) return Fail(kNoRoom);
  if (edit.Commit() != kExitOk) return kExitFailed;
  OutputBuffer out;
  out.AppendUnsigned(import.RecordCount());
  out.Newline();
  return out.Flush() ? kExitOk : Fail("Cannot write the output");
}

// sql FILE [TABLE]: TABLE defaults to the file's name.
int CommandSql(int argc, char** argv) {
  const std::string table = argc > 1 ? argv[1] : TableNameOf(argv[0]);
  if (table.empty()) return UsageError("the table name is empty");
  if (!OpenForReading(argv[0])) return kExitFailed;
  if (databaseFile.fieldCount == 0) return Fail("The database has no fields");
  if (!LoadLabelsAsOpenDoes()) return kExitFailed;
  bool ok = WriteSqlScript(databaseFile, table.c_str(), [](const char* data, size_t size) {
    return std::fwrite(data, 1, size, stdout) == size;
  });
  if (std::fflush(stdout) != 0) ok = false;
  return ok ? kExitOk : Fail("Cannot write the output");
}

}  // namespace vdrtool
