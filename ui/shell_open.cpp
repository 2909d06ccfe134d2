#include "ui/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "core/folders.h"

namespace {

constexpr char kHelpFileName[] = "ReadMe.htm";

void ShellExecuteOpen(const char* target) {
  ShellExecuteA(nullptr, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void (*shellOpenHandler)(const char* target) = ShellExecuteOpen;

void ShellOpen(const char* target) { shellOpenHandler(target); }

void OpenHelpPage() {
  char path[kFolderSize];
  if (JoinPath(programFolder, kHelpFileName, path, sizeof path)) ShellOpen(path);
}
