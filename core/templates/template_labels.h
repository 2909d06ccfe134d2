// The template in use: its file name, its long name ("Source:" in the main
// window), its field labels and the list columns it gives, loaded when a
// database is made or opened and freed when it is closed. Only this module
// changes these; the others read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/templates/style_file.h"

// A field label: at most 99 characters.
constexpr size_t kLabelSize = 100;

extern char templateFileName[kTagTextSize];
extern char sourceName[kTagTextSize];
extern uint32_t styleFieldCount;
// (styleFieldCount + 1) label slots of kLabelSize bytes, the label of field i
// in slot i - 1, the last slot spare; null when no template is loaded.
extern char* columnLabels;
extern uint32_t columnLabelSlots;
// 0 when no template labels are loaded; else the template's place in the
// New dialog's list, from 1, or the number of the template Open chose.
extern uint32_t templateNumber;

// templateFileName := fileName, templateNumber := number. The labels are
// loaded by ReadStyleColumns.
void UseTemplate(const char* fileName, uint32_t number);
// templateNumber := 0: no template labels.
void ForgetTemplate();
// sourceName := "".
void ForgetSourceName();

// The template Open gives a database it did not make itself, by its number
// of fields: 44 fields the world table ("WELT13.xml", number 3), any other
// number "Spare.xml" (number 4), whose fields are "Field 1", "Field 2", ...
void UseTemplateForFieldCount(uint32_t fieldCount);
// The template Open gives a database: the one it was made from, when the
// file remembers it by a plain file name (no folder, no "..", at most 260
// bytes) that LocateDataFile finds and that declares as many fields as the
// database has; otherwise the one UseTemplateForFieldCount gives.
struct DatabaseFile;
void UseTemplateOfDatabase(const DatabaseFile& db);
// The same for a template named elsewhere (a recovery record).
void UseTemplateNamed(const DatabaseFile& db, const char* name);

// One column of the record list: its title and width in pixels at 96 DPI.
struct ListColumn {
  char label[kLabelSize];
  uint32_t width;
};

// The part of loading a template that needs no window: reads the template
// named by templateFileName into sourceName, styleFieldCount and
// columnLabels, and gives the record list's columns in order: "Index",
// "Record " and "RecStat" at their settings widths, then one per field (at
// least one, even for a template of no fields). Returns 1; returns 0 and
// changes nothing when the template cannot be read or declares more fields
// than a database can have.
int ReadStyleColumns(std::vector<ListColumn>* columns);
// The same, with one column per field of a database of fieldCount fields:
// the template's first fieldCount columns, and for fields it has no label
// for, the field's number at the width of its last column.
int ReadListColumns(uint32_t fieldCount, std::vector<ListColumn>* columns);
// Frees the label block (closing a database).
void FreeColumnLabels();
// The label slot of a field (from 1), or null when there is none.
const char* FieldLabel(uint32_t field);

