// Veldrana.exe: start, run the message loop, end.
#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A second instance ends here, silently, and the first is not told.
  if (StartProgram() != StartResult::kStarted) return 0;
  return RunMessageLoop();
}
