// File > Export As: the open database as a CSV file a spreadsheet opens as
// it is (RFC 4180): a header line of the column names, then the active
// records in record-number order; comma-separated, a value quoted when it
// holds a comma, a quote or a line break, quotes doubled, lines ended with
// CRLF; numbers as the list shows them; text as UTF-8 after a byte-order
// mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/database_file.h"

// The file name Export As suggests for a database of this name: the name as
// CleanFileName makes it, without blanks and dots at its end, and ".csv";
// "Veldrana.csv" when nothing of the name is left.
void SpreadsheetFileName(const char* databaseName, char* fileName, size_t fileNameSize);

// Writes the file beside path (SideFilePath) and then puts it in path's
// place: every active record, or with slots only the records in those slots
// (in increasing order; a filter's rows). 1 written; 0 not, with path as it
// was.
int WriteSpreadsheetCsv(const DatabaseFile& db, const char* path, const std::vector<uint32_t>* slots = nullptr);
