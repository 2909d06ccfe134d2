// The record form: the VDDetail window that shows one record of the open
// database as a two-column table (label, value) and scrolls by field rows.
// This module makes the window, paints it and owns the current record; what
// the form does with commands, clicks and the search navigator is in
// ui/form/form_commands.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "resources/resource.h"

// The form's window, or null while it is closed.
extern HWND recordForm;
// The slot of the record the form shows, and its record number (-1 when the
// slot is not active), recomputed at every paint.
extern int32_t currentSlot;
extern int32_t currentRecordNumber;
// The part of the form below its top band that moves when the form scrolls,
// in the form's pixels.
extern RECT formScrollRect;

// The form's own state, kept for the life of the program.
extern uint32_t firstRow;          // field rows scrolled off the top
extern uint32_t pageRows;          // client height / row height
extern uint32_t formClientWidth;   // the client size from the last WM_SIZE
extern uint32_t formClientHeight;
extern HWND formToolbar;

constexpr char kFormClassName[] = "VDDetail";
constexpr char kFormCaption[] = VELDRANA_VERSION_TEXT;

// Layout of the painted table, in pixels at 96 DPI: the form scales them to
// its own DPI (ui/dpi.h), and so the row height of the settings.
constexpr int kFormHeaderX = 5;
constexpr int kFormHeaderY = 30;
constexpr int kFormFirstRowY = 60;   // also the top of formScrollRect
constexpr int kFormLabelX = 5;
constexpr int kFormValueX = 150;
constexpr int kFormToolbarId = 1;

// Opens the form on currentSlot at its remembered placement, or, when it is
// open, repaints it with the record in currentSlot (scrolled as before).
void ShowRecordForm();
// Makes a record the current one without showing it: currentSlot := slot
// and its record number.
void SelectRecord(int32_t slot);
// Makes a record the current one and shows it: currentSlot := slot, its
// record number, the form opened or repainted, the status bar.
void ShowRecord(int32_t slot);
// After the database changed: the current record's number again, the status
// bar, and the form repainted when it is open.
void RefreshRecordForm();
// Closes the form, when it is open, as its close box does.
void CloseRecordForm();
// The field (from 1) whose row lies at client height y of the form, or 0.
uint32_t FieldAtY(int y);

// The messages this module handles for the form (creation, size, paint,
// scrolling keys and wheel, close, destruction); the others go to
// DefWindowProcA.
LRESULT RecordFormDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The text output the form paints with: TextOutA, unless a test has put a
// recorder in its place.
extern BOOL(WINAPI* formTextOut)(HDC dc, int x, int y, LPCSTR text, int length);
