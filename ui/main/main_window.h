// The main window (class VDMain): a toolbar, a band naming the open file and
// its template, the record list (ui/main/record_list.h) and a status bar
// (ui/main/status_bar.h). This module makes the window and its controls,
// lays them out and paints the band; what the window does with commands and
// notifications is in ui/main/main_commands.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "resources/resource.h"

extern HWND mainWindow;  // null before it is made and after it is destroyed
extern HMENU mainMenu;   // the menu resource "Menu"
extern HWND toolbar;     // control id kToolbarId
extern uint32_t clientWidth;  // the client size from the last WM_SIZE
extern uint32_t clientHeight;

constexpr char kMainClassName[] = "VDMain";
constexpr char kMainCaption[] = VELDRANA_VERSION_TEXT;
constexpr int kToolbarId = 1;
// Once the message loop runs, timer 1 offers back work an earlier session
// left and opens the database named on the command line; timer 2 does the
// first alone, when no database was named.
constexpr UINT_PTR kOpenTimerId = 1;
constexpr UINT_PTR kStartTimerId = 2;
constexpr UINT kOpenTimerDelayMs = 10;

// Client layout, in pixels at 96 DPI (scaled to the window's, ui/dpi.h): the
// band's two lines, and the list below them; the status bar takes the last
// kListBottomMargin pixels.
constexpr int kBandFileLineY = 30;
constexpr int kBandSourceLineY = 50;
constexpr int kBandLabelX = 5;
constexpr int kBandTextX = 80;
constexpr int kBandLabelGap = 4;  // at least this between a label and its name
constexpr int kListTop = 70;
constexpr int kListBottomMargin = 20;

// Makes the main window of class VDMain (registered by start-up) with this
// menu, hidden. With a database file named (the command line's), it becomes
// currentFileName and timer kOpenTimerId starts; without one, the
// file-dependent commands are greyed and timer kStartTimerId starts. False
// when the window was not made.
bool CreateMainWindow(HMENU menu, const char* fileToOpen);

// The messages this module handles for the main window (creation, size,
// paint, destruction); the others go to DefWindowProcA.
LRESULT MainWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Enables or greys the commands that need an open database: toolbar buttons
// 3 to 17, menu items 40003 to 40016, Import (40032), Export As (40033) and
// Filter (40036).
void SetFileItemsEnabled(bool enable);
// Repaints the band, after the file or template it names changed.
void RepaintBand();
// The items that follow the open database's state: Undo and Redo as the
// history is now, each naming its step ("Undo Delete") and greyed when there
// is none; Show All Records greyed while no filter is on.
void UpdateMenuItems();
// "Undo Delete", "Redo Sort", or "Undo" and "Redo" alone when there is no
// step, into text (at least 32 bytes).
void UndoItemText(bool undo, char* text, size_t textSize);
