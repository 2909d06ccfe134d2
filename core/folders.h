// The folders every part of the program builds its paths on, and the path of
// the user's database. programFolder and dataFolder end with the system's
// folder separator (a backslash on Windows), so a path is the folder followed
// directly by a file name; an empty folder makes such paths relative to the
// current folder.
#pragma once

#include <cstddef>

constexpr size_t kFolderSize = 600;

extern char programFolder[kFolderSize];
extern char dataFolder[kFolderSize];
// dataFolder + "Temp.dat": the working copy of the open database.
extern char workingCopyPath[kFolderSize];
// The database the user asked for: from the command line, a dropped file or
// the open and save dialogs.
extern char currentFileName[kFolderSize];

// A file name made from a text (a database's long name), as a save dialog
// suggests it: each character a file name cannot hold (\ / : * ? " < > |
// and control characters) becomes "_".
void CleanFileName(const char* text, char* name, size_t nameSize);

// currentFileName := path, cut to fit.
void SetCurrentFileName(const char* path);

// Sets both folders (each cut to fit) and the working copy's path.
void SetFolders(const char* program, const char* data);
// workingCopyPath := dataFolder + "Temp.dat".
void SetWorkingCopyPath();
// Copies the folder part of a file's path, up to and including its last
// separator (a backslash, or a slash outside Windows), into folder; an empty
// text when the path has none.
void FolderOfPath(const char* path, char* folder, size_t folderSize);
// folder + name into path. A path that would not fit is left empty (and
// false returned) rather than cut, since a cut path may name another file.
bool JoinPath(const char* folder, const char* name, char* path, size_t pathSize);
