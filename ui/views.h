// What both windows show of the open database, brought up to date in one
// place. A command that changes the records runs the change through
// ChangeRecords (core/record_changes.h) and then calls RefreshViews once; a
// command that opens, makes or closes a database ends with ShowDatabase.
// No command refills the list, paints the band or sets the status bar on
// its own.
#pragma once

#include <cstdint>

// What a change means for the views.
struct ViewUpdate {
  // The record the change was about: the list keeps it in view (-1: none).
  int32_t touched = -1;
  // The list selects the touched record and scrolls to it.
  bool select = false;
  // A record to show in the record form, opening the form (-1: none).
  int32_t show = -1;
  // The form's record is followed where the change's compactions moved it;
  // without this the form stays on its slot (a sort puts other records
  // there on purpose). Either way a form whose record is gone closes.
  bool follow = true;
  // The caption shows the long name as stored (after a rename).
  bool caption = false;
  // A filter is applied afresh (after a sort, Undo and Redo); otherwise the
  // rows it shows follow their records, with the records the change made or
  // touched.
  bool refilter = false;
};

// After a change of the records: the form's record (followed, shown, or
// the form closed), the list filled again, the status bar, the form
// repainted.
void RefreshViews(const ViewUpdate& update = ViewUpdate());

// After a database was opened, made, given back or closed: the filter off,
// the commands that need a database enabled or greyed, and with a database
// the first record current, the caption (`caption`, or the long name, or the
// program's name), the list's columns and rows; the band and the status bar.
void ShowDatabase(const char* caption = nullptr);
// After the filter was set or turned off: the list, the band and the status
// bar.
void ShowFilter();

// Reads field `field` (from 1) of a slot into databaseFile.textValue as the
// program shows it: number fields as unsigned decimal text with every digit,
// texts as stored. Returns the field's type code, or -1 (and an empty text)
// when there is no such field or record.
int32_t FieldText(int32_t slot, uint32_t field);
