// The main window (class VDMain): a toolbar, a band naming the open file and
// its template, the record list, and a status bar. Its commands are
// dispatched by DispatchMainCommand (ui/main/main_commands.h); its rows are
// filled by RebuildRecordList (ui/main/record_list.h).
#pragma once

#include <windows.h>

#include <cstdint>

// The main window's controls and state.
extern HWND toolbar;     // control id kToolbarId
extern HWND statusBar;   // control id kStatusBarId
extern HWND recordList;  // control id kRecordListId
extern uint32_t clientWidth;   // the client size from the last WM_SIZE
extern uint32_t clientHeight;
extern bool sortInProgress;  // set while a sort from a header click runs
// The field (from 1) the last header click or Sort command sorted by; 0
// before the first.
extern uint32_t sortField;

constexpr int kRecordListId = 0;
constexpr int kToolbarId = 1;
constexpr int kStatusBarId = 60;
// Timer 1: opens the database named on the command line once the loop runs.
constexpr UINT_PTR kOpenTimerId = 1;
constexpr UINT kOpenTimerDelayMs = 10;

// Client layout: the band's two lines, and the list below them; the status
// bar takes the last kListBottomMargin pixels.
constexpr int kBandFileLineY = 30;
constexpr int kBandSourceLineY = 50;
constexpr int kBandLabelX = 5;
constexpr int kBandTextX = 80;
constexpr int kListTop = 70;
constexpr int kListBottomMargin = 20;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The status bar from the current state: "No File!", "No Records!",
// "12 Records in DB", or with the record form open "Record 3 of 12".
void UpdateStatusBar();
// Enables or greys the commands that need an open database: toolbar buttons
// 3 to 17 and menu items 40003 to 40016.
void SetFileItemsEnabled(bool enable);
// The slot of the list's focused row, or -1 when no row has the focus.
int32_t FocusedRecordSlot();
// Sorts the database by a field (from 1) as a click on its column header
// does, and remembers the field in sortField; when the order changed, the
// database is marked changed and the list rebuilt. Nothing while a sort runs.
void SortRecords(uint32_t field);

enum class PopupVariant { kMain, kForm };
// The right-click menu at the cursor; its command goes to owner.
void ShowPopupMenu(HWND owner, PopupVariant variant);

// WM_NOTIFY of the main window, which the record form passes on for its
// own toolbar's tooltips: double clicks and header clicks in the list, and
// the tooltip texts of both toolbars.
LRESULT HandleNotify(HWND window, WPARAM wParam, LPARAM lParam);
// The tooltip of a toolbar command of either toolbar, or null.
const char* TooltipText(UINT_PTR command);
