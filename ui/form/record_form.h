// The record form: the VDDetail window that shows and edits one record.
// So far only what the rest of the program reads of it exists: the current
// record and the form's window. The form itself, ShowRecordForm and its
// window procedure are still to be built; until then the form never opens.
#pragma once

#include <windows.h>

#include <cstdint>

// The form's window, or null while it is closed.
extern HWND recordForm;
// The slot of the record the form shows, and its record number (-1 when the
// slot is not active).
extern int32_t currentSlot;
extern int32_t currentRecordNumber;
// The part of the form below its top band that moves when the form scrolls.
extern RECT formScrollRect;

// Opens the form on currentSlot, or shows that record in the open form.
void ShowRecordForm();
// The VDDetail window procedure.
LRESULT CALLBACK RecordFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
