// What the main window does: its window procedure, which takes the commands,
// notifications, dropped files and the ways the program ends, and hands the
// rest to ui/main/main_window.h; and the dispatcher of every WM_COMMAND of
// the main window, from its menu bar, toolbar, keyboard filter and
// right-click menu.
//
// The ids are tried in a fixed order and the first that matches runs; ids of
// one row are synonyms (toolbar and keyboard id, menu id). Commands whose
// guard fails do nothing and say nothing:
//   About, Options        while their dialog is open
//   New                   while a prompt or the New dialog is open
//   Save, Close, Add,
//   Copy, Name            without an open database
//   Search, Goto, Delete,
//   Edit, Next, Previous,
//   Sort                  without an open database of at least two records
//
// Every prompt here is owned by the main window. A command that picks a
// record makes it the current record (currentSlot) and shows it in the record
// form, opening the form when it is closed.
//
// The main window's own Next and Previous (View menu) step the current record
// as the form's Next and Previous do: from the record the form shows, or,
// with the form closed, from the record last shown (record 1 after Open or
// New); at the last or first record it stays. The right-click menu's Sort
// sorts by the field whose column header was clicked last, or by field 1.
#pragma once

#include <windows.h>

// The VDMain window procedure.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the command in the low word of wParam, if its guard allows it.
void DispatchMainCommand(HWND window, WPARAM wParam);

// The ending path shared by the close box, Escape, Exit and the end of the
// Windows session: close the database (which may ask to save, and may be
// cancelled), keep the main window's placement, destroy the window. False
// when the database stayed open and the program runs on.
bool EndProgram();
