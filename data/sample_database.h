// The sample database: a database made from a template as New makes it,
// filled with the records of a tab-separated text file (one record per line,
// the fields in order; lines starting with "#" are notes). The build makes
// it with a native program; the tests make it again in every build and
// compare the bytes, so that each build is seen to write what the others
// read.
#pragma once

#include <string>

// Makes the database at outputPath; false with the reason in *error.
bool MakeSampleDatabase(const char* templatePath, const char* recordsPath, const char* outputPath,
                        const char* longName, std::string* error);
