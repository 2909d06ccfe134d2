// The main window's status bar: "No File!", "No Records!", "12 Records in
// DB", with a filter on "12 of 3400 Records shown", or, while the record form
// shows a record, "Record 3 of 12".
#pragma once

#include <windows.h>

#include <cstdint>

extern HWND statusBar;  // control id kStatusBarId, null before it is made
constexpr int kStatusBarId = 60;

// Makes the status bar along the bottom of parent, showing `text`.
void CreateStatusBar(HWND parent, const char* text);
// statusBar := null, once the control is destroyed with its window.
void ForgetStatusBar();
// Shows the open database's state; while the record form is open, the
// position of the record it shows ("Record 3 of 12").
void UpdateStatusBar();
// Shows a text at once, painted before the caller goes on: how far a long
// command has come.
void ShowStatusText(const char* text);
