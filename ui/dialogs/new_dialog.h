// File > New: the New dialog (resource IDD_NEW, caption "New Veldrana"), in
// which the user picks a template by its display name from StyleLst.txt and
// types a name, and the command that makes the new database from them.
//
// The dialog counts itself in promptOpen while it is open, so the main
// window refuses a second New meanwhile. The database it makes is the
// working copy, with no file of the user's yet (hasUserFile 0) and marked
// changed, holding one empty record.
#pragma once

#include <windows.h>

#include <cstdint>

// The text the Name edit starts with.
constexpr char kNewDialogDefaultName[] = "Veldrana";

// Runs the New dialog modally over owner. OK sets templateFileName,
// templateNumber and newDatabaseName (templates/new_database.h) and gives 1;
// Cancel, Escape, and OK with no template to choose give 2 and set
// templateNumber to 0. The answer is also left in promptResult.
uint32_t ShowNewDialog(HWND owner);

// The New command, called with no database open: the dialog over the main
// window, then the new database shown in the main window (columns from the
// template, one row, the typed name as caption, the file commands enabled,
// the status bar). When the dialog is cancelled or the template cannot be
// read, nothing is open afterwards and the window says so.
void NewDatabase();
