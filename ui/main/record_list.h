// The rows and columns of the main window's record list: one row per active
// record, in slot order, with its slot number ("Index"), its record number
// ("Record "), its RecStat and its fields as text; the columns come from the
// template.
#pragma once

#include <cstdint>

// Reads field `field` (from 1) of a slot into databaseFile.textValue as the
// program shows it: number fields as unsigned decimal text with every digit,
// texts as stored. Returns the field's type code, or -1 (and an empty text)
// when there is no such field or record.
int32_t FieldText(int32_t slot, uint32_t field);

// Fills the record list from the open database; the caller empties it first
// (LVM_DELETEALLITEMS).
void RebuildRecordList();

// Reads the template named by templateFileName (ReadStyleColumns) and inserts
// its columns into the record list: "Index", "Record ", "RecStat" and one per
// field. Returns 1; 0 when the template could not be read (no column is
// inserted then).
int LoadStyleColumns();

// The number of columns the record list has.
int RecordListColumnCount();
