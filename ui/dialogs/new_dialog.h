// The New dialog (resource IDD_NEW, caption "New Veldrana"), in which the
// user picks a template by its display name from StyleLst.txt and types a
// name. File > New (ui/main/file_menu.h) makes the database from them.
//
// The dialog counts itself in promptOpen while it is open, so the main
// window refuses a second New meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>

// The text the Name edit starts with.
constexpr char kNewDialogDefaultName[] = "Veldrana";

// Runs the New dialog modally over owner. OK sets templateFileName,
// templateNumber and newDatabaseName (core/templates/new_database.h) and gives 1;
// Cancel, Escape, and OK with no template to choose give 2 and set
// templateNumber to 0. The answer is also left in promptResult.
uint32_t ShowNewDialog(HWND owner);
