// The record commands both windows offer, each written once and called by
// both dispatchers: Add, Copy, Delete, Goto, Search, Rename, Undo and Redo;
// and the Shift-click edit of a field and the sort by a column, which change
// records too. A command that picks a record makes it the current one
// (ShowRecord); a command that changes the records runs the change through
// ChangeRecords (core/record_changes.h), which makes it one step of the
// history and marks the database changed, and ends with RefreshViews.
//
// `owner` is the window the command came from: its prompts are owned by it,
// and after a prompt the command goes on only while that window still shows
// the open database. A command that asked about a record acts on that
// record or on none: if records were added, deleted or moved while the
// question was open (in the other window), the answer changes nothing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/dialogs/prompt_dialog.h"

constexpr char kNoMatchMessage[] = "No Match Found";

// The Goto prompt's text: the current record number it starts with, and the
// number typed.
extern char gotoText[kPromptTextSize];
// The field (from 1) the last header click or Sort command sorted by; 0
// before the first.
extern uint32_t sortField;
extern bool sortInProgress;  // set while a sort runs

// A new empty record, shown.
void AddRecordCommand();
// A copy of the record in `source` (-1: nothing), shown. Making room may
// move the records; the copy is still made of the record the user chose.
void CopyRecordCommand(int32_t source);
// "Confirm?", then the record in `slot` (-1: nothing) deleted. From the
// record form, the form then shows the first record when the first was
// deleted or two remain, otherwise the one before; with none left it
// closes. From the main window, a form that shows the deleted record closes.
void DeleteRecordCommand(HWND owner, int32_t slot);
// The Goto prompt, starting with the current record's number; the record of
// the number typed is shown.
void GotoCommand(HWND owner);
// The search prompt; the first record that matches is shown, or "No Match
// Found" said. From the record form, a search navigator then opens to step
// through the other hits.
void SearchCommand(HWND owner);
// Shift-click on the record form at client height y: the field's value in
// an input prompt captioned with the field's type, its line as long as the
// field; OK stores what was typed into the record the form showed, unless
// it is what the field holds already. A number field takes only a whole
// number it can hold; anything else is refused with a message.
void EditFieldCommand(HWND form, int y);
// The "Database Name" prompt; OK stores the name typed as the long name,
// which the caption then shows.
void RenameCommand(HWND owner);
// Sorts the database by a field (from 1), as a click on its column header
// does, and remembers the field in sortField; when the order changed, the
// database is marked changed and both windows show it. Nothing while a sort
// runs.
void SortRecords(uint32_t field);
// sortField := 0, when a database is released: a column clicked in one
// database means nothing in the next.
void ForgetSortField();
// Edit > Undo and Edit > Redo: the last step taken back, or made again;
// both windows then show the store as it is, the list on the record the
// step was about. Nothing while a question is open in either window.
void UndoCommand();
void RedoCommand();
