// The record form's commands: its toolbar buttons and right-click menu
// entries (Add, Copy, Delete, Previous, Next, Goto, Search, Help, About,
// Exit), and the requests of the search navigator.
#pragma once

#include <windows.h>

#include <cstdint>

// Runs the command in the low word of wParam; other ids are ignored.
void DispatchFormCommand(HWND form, WPARAM wParam);

// kSearchNextMessage or kSearchPreviousMessage from a search navigator:
// searches on from the record shown and shows the hit, or tells the
// navigator "No Match Found" through its status text.
void HandleNavigatorRequest(UINT message);

// Shows a record that a command has just made (Add, Copy, in either window):
// currentSlot := slot, marks the database changed, opens or repaints the
// form, and refills the main list.
void ShowChangedRecord(int32_t slot);
