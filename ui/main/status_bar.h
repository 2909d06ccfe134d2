// The main window's status bar: "No File!", "No Records!", "12 Records in
// DB", or, while the record form shows a record, "Record 3 of 12".
#pragma once

#include <windows.h>

#include <cstdint>

extern HWND statusBar;  // control id kStatusBarId, null before it is made
constexpr int kStatusBarId = 60;

// Makes the status bar along the bottom of parent, showing `text`.
void CreateStatusBar(HWND parent, const char* text);
// statusBar := null, once the control is destroyed with its window.
void ForgetStatusBar();
// Shows the open database's state; with formOpen, the position of the
// record the form shows (recordNumber, -1 when it is not active).
void ShowDatabaseStatus(bool formOpen, int32_t recordNumber);
// Shows a text at once, painted before the caller goes on: how far a long
// command has come.
void ShowStatusText(const char* text);
