// The Options dialog (File > Options...) and the .vdr file association it
// writes.
//
// The dialog offers "Set File Associations", which makes this program the
// handler of .vdr files, and "Help"; its three check boxes hold no setting.
// The main window opens it with ShowOptions(mainWindow); ShowOptions does
// nothing while a dialog is already open (optionsOpen), so a second request
// from the record form or a second menu click is ignored.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// 1 while the Options dialog is open, else 0.
extern uint32_t optionsOpen;

// Runs the Options dialog modally over owner, unless one is open already;
// returns when it is closed. Nothing the user does in it is stored, apart
// from the registry entries of "Set File Associations".
void ShowOptions(HWND owner);

// Writes the eight registry values that make programFolder + "Veldrana.exe"
// the handler of .vdr files, with an Open verb and the document icon
// ("Veldrana.exe,2"), in this order:
//   HKCR Applications\Veldrana.exe\shell                     "&Open"
//   HKLM Software\Applications\Veldrana.exe\shell\Open\Command  command
//   HKCR Applications\Veldrana.exe\shell\Open\Command        command
//   HKCR .vdr                                                "Veldrana"
//   HKCR Veldrana\shell\Open\Command                         command
//   HKCU Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.vdr
//        value "Application"                                 "Veldrana.exe"
//   HKCR Veldrana\DefaultIcon                                icon
//   HKCR Applications\Veldrana.exe\DefaultIcon               icon
// All but the sixth are the key's unnamed value. command is the program's
// path, a blank and "%1" in double quotes; a program path that holds a blank
// is put in double quotes as well. A value that cannot be written
// (HKLM and HKCR need administrator rights) is skipped and the rest are still
// written; nothing is reported.
void SetFileAssociations();
// The same for the program in folder (ending in a backslash) instead of
// programFolder.
void SetFileAssociationsFor(const char* folder);

// Takes back what SetFileAssociations wrote for the program in folder (ending
// in a backslash), as the program's uninstall does: the "Applications"
// keys of Veldrana.exe in HKCR and HKLM, each when its open command starts
// that program; the "Veldrana" file type when its command does, and then
// .vdr's unnamed value and the user's "Application" choice when they name
// it. An association of a copy in another folder stays as it is. Commands
// are compared without case; failures are not reported.
void RemoveFileAssociations(const char* folder);
// Whether the "Veldrana" file type opens .vdr files with the program in
// folder, compared as RemoveFileAssociations compares.
bool FileAssociationPointsAt(const char* folder);

// The open command and the icon text stored by SetFileAssociations, built on
// programFolder (each buffer kAssociationTextSize bytes; programFolder always
// fits): C:\Tools\Veldrana.exe "%1" and C:\Tools\Veldrana.exe,2, or
// "C:\Program Files\Veldrana\Veldrana.exe" "%1" for a folder with a blank.
constexpr size_t kAssociationTextSize = 640;
void AssociationCommand(char* command, size_t commandSize);
void AssociationIcon(char* icon, size_t iconSize);

// Creates or opens root\keyPath and sets its value valueName (null for the
// key's unnamed value) to text as REG_SZ, with its terminating zero. true
// when the value was written.
bool WriteRegistryText(HKEY root, const char* keyPath, const char* valueName, const char* text);
