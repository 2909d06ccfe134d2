// The main window's commands: every WM_COMMAND of the main window, from its
// menu bar, toolbar, keyboard filter and right-click menu.
#pragma once

#include <windows.h>

// Runs the command in the low word of wParam, if its guard allows it.
void DispatchMainCommand(HWND window, WPARAM wParam);
