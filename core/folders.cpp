#include "core/folders.h"

#include "store/text.h"

char programFolder[kFolderSize];
char dataFolder[kFolderSize];
char workingCopyPath[kFolderSize];
char currentFileName[kFolderSize];

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

}  // namespace

void CleanFileName(const char* text, char* name, size_t nameSize) {
  CopyText(text, name, nameSize);
  for (char* c = name; *c != 0; ++c) {
    if (static_cast<unsigned char>(*c) < 32) *c = '_';
    for (const char* bad = "\\/:*?\"<>|"; *bad != 0; ++bad)
      if (*c == *bad) *c = '_';
  }
}

void SetCurrentFileName(const char* path) { CopyText(path, currentFileName, sizeof currentFileName); }

void SetFolders(const char* program, const char* data) {
  CopyText(program, programFolder, sizeof programFolder);
  CopyText(data, dataFolder, sizeof dataFolder);
  SetWorkingCopyPath();
}

void SetWorkingCopyPath() { JoinPath(dataFolder, "Temp.dat", workingCopyPath, sizeof workingCopyPath); }

void FolderOfPath(const char* path, char* folder, size_t folderSize) {
  size_t cut = 0;
  for (size_t i = 0; path[i] != 0; ++i)
    if (IsSeparator(path[i])) cut = i + 1;
  // A folder that does not fit whole is no folder at all.
  if (cut >= folderSize) cut = 0;
  CopyBytes(path, folder, folderSize, cut);
}

bool JoinPath(const char* folder, const char* name, char* path, size_t pathSize) {
  if (pathSize == 0) return false;
  size_t a = TextLength(folder), b = TextLength(name);
  if (a + b >= pathSize) {
    path[0] = 0;
    return false;
  }
  CopyText(folder, path, pathSize);
  AppendText(path, pathSize, name);
  return true;
}
