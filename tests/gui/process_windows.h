// Finding the windows of another process (Veldrana.exe started by a test).
#pragma once

#include <windows.h>

#include <cstring>

struct ClassSearch {
  DWORD process;
  const char* className;
  bool visibleOnly;
  HWND found;
};

inline BOOL CALLBACK CheckClass(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<ClassSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[32] = "";
  GetClassNameA(window, name, sizeof name);
  if (owner != search->process || std::strcmp(name, search->className) != 0 ||
      (search->visibleOnly && !IsWindowVisible(window)))
    return TRUE;
  search->found = window;
  return FALSE;
}

// A top-level window of a process with this class, or null.
inline HWND FindWindowOf(DWORD process, const char* className, bool visibleOnly) {
  ClassSearch search = {process, className, visibleOnly, nullptr};
  EnumWindows(CheckClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The VDMain window of a process, shown or not yet, or null.
inline HWND MainWindowOf(DWORD process) { return FindWindowOf(process, "VDMain", false); }

// A visible top-level window of a process with this class, or null.
inline HWND WindowOf(DWORD process, const char* className) { return FindWindowOf(process, className, true); }
