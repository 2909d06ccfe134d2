// What both windows show of the open database, brought up to date in one
// place: every command that changes the database ends with RefreshViews.
#pragma once

// The record list filled again from the store, the current record's number,
// the status bar, and the record form repainted.
void RefreshViews();
// The main window as it is without a database: the file commands greyed,
// the band without names, "No File!".
void ShowNoDatabase();
