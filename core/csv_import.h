// Import: the rows of a CSV file added as new records to a database, all or
// nothing. The file is read as it is, whether a spreadsheet wrote it (comma,
// semicolon or tab; UTF-8 with or without a byte-order mark, or the system
// code page) or Veldrana's own Export did (core/csv_reader.h). Values map to
// fields 1, 2, 3, ... in order; missing ones leave their fields empty (0 for
// numbers), as does an empty value. A number field takes a whole number it
// can hold (core/typed_number.h); a text field at most its width less one
// characters of the code page.
//
// The steps, for File > Import and vdrtool import alike:
//
//     CsvImport import;
//     if (!import.Open(path)) ...                      the file cannot be read
//     header = import.FirstLineNamesColumns(db) or the user's answer;
//     if (!import.Check(db, header, &problem, progress)) ...   nothing changed
//     if (!import.Add(&db, progress)) ...              no room: nothing added
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/csv_reader.h"
#include "platform/platform.h"
#include "store/database_file.h"

// What stopped an import: where (line and field from 1; field 0 when no
// field is to blame) and why.
struct ImportProblem {
  uint32_t line = 0;
  uint32_t field = 0;
  std::string reason;
};
// "Not imported: line 12, field 3".
std::string ImportProblemPlace(const ImportProblem& problem);

// Called as the work goes on: which pass (checking, then adding) and how
// far it is, 0 to 100. A percentage is reported once.
using ImportProgress = std::function<void(bool adding, uint32_t percent)>;

class CsvImport {
 public:
  CsvImport() = default;
  ~CsvImport();
  CsvImport(const CsvImport&) = delete;
  CsvImport& operator=(const CsvImport&) = delete;

  // Reads the file: its encoding, its separator and its first line. False
  // when it cannot be read.
  bool Open(const char* path);
  // Whether the file has a line that is not empty.
  bool HasLines() const { return !firstLine_.empty(); }
  // Whether the first line names the database's columns: its values are
  // the first of the database's column names (core/column_names.h), each
  // compared without regard to case and blanks around it.
  bool FirstLineNamesColumns(const DatabaseFile& db) const;
  // The first line's values, each in the code page as far as it can hold
  // them, joined by ", " and cut to at most maxLength characters ("..." at
  // the end of a cut text), for a question about it.
  std::string FirstLineText(size_t maxLength) const;

  // Checks every line, but the first when it is a header, against the
  // database's fields; false with the first problem found.
  bool Check(const DatabaseFile& db, bool header, ImportProblem* problem,
             const ImportProgress& progress = nullptr);
  // The records the last Check found.
  uint32_t RecordCount() const { return records_; }
  // Adds the lines the last Check passed as new records, in the file's
  // order, each in the slot the next Add command would give it. False when
  // the database had no room for all of them: then none was added. While a
  // history records the store's changes (the program's Import), the caller
  // ends its step and so takes them back; otherwise Add does.
  bool Add(DatabaseFile* db, const ImportProgress& progress = nullptr);

 private:
  // A value in the code page (converted from UTF-8 into scratch_ when the
  // file is UTF-8 and the value is not plain ASCII); false when it holds a
  // character the code page lacks.
  bool InCodePage(const CsvValue& value, CsvValue* converted);
  void Report(const ImportProgress& progress, bool adding, const CsvReader& reader);
  bool AddAll(DatabaseFile* db, const ImportProgress& progress);

  platform::FileHandle file_ = platform::kNoFile;
  platform::Mapping mapping_;
  const char* text_ = "";
  size_t size_ = 0;
  bool utf8_ = false;
  char separator_ = ',';
  std::vector<std::string> firstLine_;
  bool header_ = false;  // of the last Check
  uint32_t records_ = 0;
  int lastPercent_ = -1;
  std::string scratch_;
};
