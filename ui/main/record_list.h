// The main window's record list: one row per active record, in slot order,
// with its slot number ("Index"), its record number ("Record "), its RecStat
// and its fields as text; the columns come from the template. This module
// makes the list control and is the only one that fills it and answers it.
#pragma once

#include <windows.h>

#include <cstdint>

// The list control (control id kRecordListId), null before it is made.
extern HWND recordList;
constexpr int kRecordListId = 0;

// Makes the list control, a child of parent, with no columns or rows.
void CreateRecordList(HWND parent);
// recordList := null, once the control is destroyed with its window.
void ForgetRecordList();

// Empties the list and fills it again from the open database. With select,
// the row of the record in slot `touched` is then focused, selected and
// scrolled into view. Only ui/views.h calls it: the views are brought up to
// date together.
void RebuildRecordList(int32_t touched = -1, bool select = false);
// Answers the list's requests for the texts it shows and for the row that
// typing goes to; false for notifications of other kinds or other controls.
bool AnswerRecordList(NMHDR* header, LRESULT* result);

// Reads the template named by templateFileName and inserts the columns of a
// database of fieldCount fields into the record list (ReadListColumns):
// "Index", "Record ", "RecStat" and one per field, their widths (96-DPI
// units) scaled to the list's DPI. Returns 1; 0 when the
// template could not be read (no column is inserted then).
int LoadStyleColumns(uint32_t fieldCount);
// The number of columns the record list has.
int RecordListColumnCount();
// Keeps the widths of the first three columns in the settings, when the
// list has them, then removes every row and column.
void ClearRecordList();
// Every column's width, as the user left it, taken from one DPI to another
// (the main window moved to a monitor of another scale).
void RescaleRecordListColumns(int fromDpi, int toDpi);

// The slot of the row the user chose, the list's focused row when it is
// selected too; -1 when there is none.
int32_t FocusedRecordSlot();
