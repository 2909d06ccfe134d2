// The open database as an SQL script for a server database (vdrtool sql):
// standard enough that both the sqlite3 shell and PostgreSQL's psql load it
// unchanged. One transaction holds a CREATE TABLE with the column names as
// quoted identifiers (BIGINT for number fields, which hold unsigned 32-bit
// values; TEXT for text fields) and an INSERT per active record in
// record-number order. Text is UTF-8; strings are standard literals with
// quotes doubled, and a text holding CR LF is split there into two literals
// joined with || (the sqlite3 shell would drop a CR at a line's end).
#pragma once

#include <string>

#include "core/chunked_output.h"
#include "store/database_file.h"

// The script for a table of this name (a text of the code page); false when
// a piece could not be written.
bool WriteSqlScript(const DatabaseFile& db, const char* table, const ChunkedOutput::Sink& sink);

// A name as an SQL identifier: UTF-8 in double quotes, quotes doubled.
std::string SqlIdentifier(const std::string& name);
