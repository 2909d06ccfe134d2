// A new database made from a StyleFile: its fields' type codes, the
// template's version and file name, a long name and one empty active record.
#pragma once

#include "store/database_file.h"

// The name New gives a database when the user types none.
constexpr char kDefaultDatabaseName[] = "Veldrana";

// Creates the database at dbPath (replacing any file there) from the
// template at templatePath, the way New does, and leaves it open for writing
// in db. longName is cut to 299 characters. Returns 1; 0 when the template
// cannot be read, declares more fields than a database can have, or the
// database cannot be written (db is then closed).
int CreateDatabaseFromTemplate(DatabaseFile* db, const char* templatePath, const char* dbPath,
                               const char* longName);
