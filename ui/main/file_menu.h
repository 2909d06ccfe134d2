// The File menu's commands: New, Open, Save and Close, with their dialogs and
// questions and what the main window then shows. The file work itself is in
// core/working_copy.h.
#pragma once

#include <windows.h>

#include <cstdint>

enum class FileDialog { kOpen, kSave };

// The system's open or save dialog for a .vdr file. fileName (600 bytes)
// holds the name the dialog starts with and receives the chosen path.
// 1 when the user chose a file, 0 when the user cancelled, -1 when the
// dialog could not be shown (the user has then been told).
int ChooseFile(HWND owner, char* fileName, uint32_t filterIndex, FileDialog kind);

// Opens the user's database at path (which may be currentFileName) through a
// fresh working copy, and shows it: caption, columns, rows, status bar. A
// file that cannot be read or is no database gives the message "Not a
// Veldrana file", a working copy that cannot be written a message naming
// it; either leaves nothing open.
void OpenDatabase(const char* path);

// Copies the working copy over the user's file, asking for a file name first
// when the database has none. 1 saved; 0 not saved: the user cancelled the
// save dialog, or the copy failed (the user is told, and databaseChanged
// stays set).
int SaveDatabase();

// Closes the open database, first asking whether to save unsaved changes.
// 0 closed (or none was open); 1 the user cancelled, or the save failed: the
// database stays open and the caller must not go on.
int CloseDatabase();

// Closes the open database without a question: keeps the widths of the list's
// first three columns in the settings, empties the list and removes its
// columns, closes the record form and the working copy, frees the labels.
void ReleaseDatabase();

// The File menu's commands as the main window runs them. Each first closes
// the open database (CloseDatabase) and does nothing more when that is
// cancelled.
void NewCommand();            // the New dialog, then the new database shown
void OpenCommand(HWND owner);  // the open dialog, then the chosen database
void CloseCommand();
void OpenDroppedFile(const char* path);

// The working copy of a large database is made on a thread of its own
// (core/working_copy.h), which then posts kCopyDoneMessage to the main
// window. WatchWorkingCopy sets that up once the main window exists; on the
// message WorkingCopyDone moves the database into the finished copy, or, when
// the copy failed, says so ("The working copy could not be written:") and
// closes the database, which nothing could have changed yet.
constexpr UINT kCopyDoneMessage = WM_APP + 1;
void WatchWorkingCopy();
void WorkingCopyDone();

// At start-up, before a file named on the command line opens: work that
// earlier sessions left with unsaved changes is offered back, one at a time
// ("Restore the unsaved changes to ...?"). Yes opens it as it was (same
// file, template and labels, changed); No discards it; Cancel keeps it,
// moved aside, for the next start. True when the command line's file must
// not open now: a work was given back, or one could not be moved aside.
bool OfferLeftWork();
