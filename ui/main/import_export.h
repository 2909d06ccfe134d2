// File > Import, File > Export and File > Export As: a CSV file's rows added
// to the open database, the records written as "Veldrana.CSV", and the
// database written for a spreadsheet through the system's file dialog. The
// work is in core/csv_import.h, core/csv_export.h and
// core/spreadsheet_export.h.
#pragma once

#include <windows.h>

// The open dialog for CSV and text files, then the chosen file's rows added
// as new records, all or nothing. When the first line does not name the
// columns, the user says whether it is a header; a problem is told with its
// line, field and reason. The status bar shows how far a long import is.
void ImportCommand(HWND owner);
// The save dialog, suggesting the database's name with ".csv", then the
// file written in its place; a failure is told. With a filter on, the user
// is first asked whether to write only the records shown (Yes) or all of
// them (No).
void ExportAsCommand(HWND owner);
// File > Export: "Veldrana.CSV" in the current folder; a failure is told,
// naming the file.
void ExportCommand();
