// What the record form does: its window procedure, which takes the commands
// of its toolbar and right-click menu, Shift-clicks, the search navigator's
// requests and its tooltips, and hands the rest to ui/form/record_form.h.
// Every command works on the record shown (currentSlot).
#pragma once

#include <windows.h>

// The VDDetail window procedure.
LRESULT CALLBACK RecordFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the command in the low word of wParam; other ids are ignored.
void DispatchFormCommand(HWND form, WPARAM wParam);

// kSearchNextMessage or kSearchPreviousMessage from a search navigator:
// searches on from the record shown and shows the hit, or tells the
// navigator "No Match Found" through its status text.
void HandleNavigatorRequest(UINT message);
