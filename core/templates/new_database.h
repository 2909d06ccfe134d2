// File > New without its windows: what the New dialog's OK and Cancel take
// from the dialog, and the new database made from the chosen template as the
// working copy. The dialog and the command itself are in
// ui/dialogs/new_dialog.h.
#pragma once

#include <cstdint>

#include "store/database_file.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"

// The name typed in the New dialog, at most 299 characters: the new
// database's long name and the main window's caption.
extern char newDatabaseName[store::kLongNameSize];

// The New dialog's answers.
constexpr uint32_t kNewAccepted = 1;
constexpr uint32_t kNewCancelled = 2;

// OK in the New dialog with entry `selection` of the template list chosen
// and `name` typed: templateFileName := the entry's file name (empty for a
// last name that had no file line), templateNumber := selection + 1,
// newDatabaseName := name cut to 299 characters; returns kNewAccepted.
// A selection that names no entry (an empty list has none, and a list that
// could not be made is null) is taken as Cancel.
uint32_t AcceptNewChoice(const TemplateList* list, int32_t selection, const char* name);
// Cancel: templateNumber := 0; returns kNewCancelled.
uint32_t CancelNewChoice();

// Makes the working copy at workingPath anew from the StyleFile named by
// templateFileName (found by LocateDataFile): its fields' types, the
// template's version, the long name newDatabaseName and one empty active
// record. A missing Type or Ver counts as 0. Returns 1 with the database
// open for writing in db. Returns 0 with db closed when the template cannot
// be read (the working copy is then not touched) or the working copy could
// not be made (what was written of it is removed).
int CreateWorkingCopyFromTemplate(DatabaseFile* db, const char* workingPath);
