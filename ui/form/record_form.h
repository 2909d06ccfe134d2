// The record form: the VDDetail window that shows one record of the open
// database as a two-column table (label, value), scrolls by field rows, and
// edits a field on Shift-click. Its commands are in ui/form/form_commands.h.
//
// The commands that pick a record set currentSlot and call ShowRecordForm;
// closing the database sends the form WM_CLOSE.
#pragma once

#include <windows.h>

#include <cstdint>

// The form's window, or null while it is closed.
extern HWND recordForm;
// The slot of the record the form shows, and its record number (-1 when the
// slot is not active), recomputed at every paint.
extern int32_t currentSlot;
extern int32_t currentRecordNumber;
// The part of the form below its top band that moves when the form scrolls.
extern RECT formScrollRect;

// The form's own state, kept for the life of the program.
extern uint32_t firstRow;          // field rows scrolled off the top
extern uint32_t pageRows;          // client height / row height
extern uint32_t formClientWidth;   // the client size from the last WM_SIZE
extern uint32_t formClientHeight;
extern HWND formToolbar;

// Layout of the painted table.
constexpr int kFormHeaderX = 5;
constexpr int kFormHeaderY = 30;
constexpr int kFormFirstRowY = 60;   // also the top of formScrollRect
constexpr int kFormLabelX = 5;
constexpr int kFormValueX = 150;
constexpr int kFormToolbarId = 1;

// Opens the form on currentSlot at its remembered placement, or, when it is
// open, repaints it with the record in currentSlot (scrolled as before).
void ShowRecordForm();
// The VDDetail window procedure.
LRESULT CALLBACK RecordFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The text output the form paints with: TextOutA, unless a test has put a
// recorder in its place.
extern BOOL(WINAPI* formTextOut)(HDC dc, int x, int y, LPCSTR text, int length);
