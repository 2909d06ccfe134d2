// The CSV export: every record slot of the open database in storage order,
// one line each, ended by a lone CR; an active slot's values each in double
// quotes and followed by ", ", other slots as empty lines. Number fields are
// written unsigned, as the list shows them; a double quote inside a text is
// doubled; text is written as stored.
#pragma once

#include "store/database_file.h"

constexpr char kCsvFileName[] = "Veldrana.CSV";

// Writes "Veldrana.CSV" in the current folder, also when no database is open.
// 1 written, 0 not (the caller tells the user).
int ExportCsv(const DatabaseFile& db);
// The same into any file. The file is written beside path first and then
// replaces it, so a failure leaves the last good export as it was. 1 written,
// 0 when it could not be written.
int WriteCsvFile(const DatabaseFile& db, const char* path);
