// Keeps the Wine desktops the GUI tests use alive for a whole test run; not
// a test.
//
// Under Wine each desktop is drawn by an explorer.exe that the first process
// to use the desktop starts, and that ends about a second after its last user
// leaves. Two things go wrong when a test process starts it:
//  - the explorer inherits the test's standard error, so ctest waits for it
//    as if the test hung, until the explorer ends or the timeout comes;
//  - a process that comes while the old explorer is ending cannot make its
//    windows.
// This program, started with its output on /dev/null, keeps a thread on each
// of the tests' desktops ("Veldrana tests", "Veldrana dialog tests") and on
// its own first desktop (the default one, where the program's process tests
// and Wine's own helper windows go), without a window of its own, until it is
// told to end. So the keeper starts every explorer, and each stays up from the
// first test to the last.
//
//   desktop_keeper.exe          hold the desktops until --end
//   desktop_keeper.exe --default-only
//                               hold the default desktop alone (for a prefix
//                               where only the program makes windows)
//   desktop_keeper.exe --wait   wait (30 s at most) until they are held
//   desktop_keeper.exe --end    tell the holder to end
#include <windows.h>

#include <cstring>

namespace {

constexpr char kReadyEvent[] = "Veldrana test desktops held";
constexpr char kEndEvent[] = "Veldrana test desktops end";
const char* const kDesktops[] = {"Veldrana tests", "Veldrana dialog tests"};
// Their sizes at 96 DPI; a prefix of a larger display scale (the scale
// tests') gets them scaled, as a screen of that scale is larger in pixels.
const SIZE kSizes[] = {{1280, 1024}, {1024, 768}};

HANDLE endEvent;
HANDLE heldEvents[2];

// One thread a desktop: a thread takes one desktop at a time.
DWORD WINAPI HoldDesktop(void* parameter) {
  const size_t k = reinterpret_cast<size_t>(parameter);
  HDESK desktop = CreateDesktopA(kDesktops[k], nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (!desktop || !SetThreadDesktop(desktop)) return 1;
  // The desktop's own window, which starts the desktop; no window of ours,
  // which could take the activation from the tests' windows.
  if (!GetDesktopWindow()) return 1;
  SetEvent(heldEvents[k]);
  WaitForSingleObject(endEvent, INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--wait") == 0) {
    for (int tries = 0; tries < 300; ++tries) {
      if (HANDLE ready = OpenEventA(SYNCHRONIZE, FALSE, kReadyEvent)) {
        const DWORD result = WaitForSingleObject(ready, 30000);
        CloseHandle(ready);
        return result == WAIT_OBJECT_0 ? 0 : 1;
      }
      Sleep(100);
    }
    return 1;
  }
  if (argc > 1 && std::strcmp(argv[1], "--end") == 0) {
    HANDLE end = OpenEventA(EVENT_MODIFY_STATE, FALSE, kEndEvent);
    if (end) SetEvent(end);
    return 0;
  }
  const size_t named = argc > 1 && std::strcmp(argv[1], "--default-only") == 0 ? 0 : 2;
  HKEY key;
  if (named && RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (size_t k = 0; k < 2; ++k) {
      char size[32];
      wsprintfA(size, "%dx%d", MulDiv(kSizes[k].cx, dpi, 96), MulDiv(kSizes[k].cy, dpi, 96));
      RegSetValueExA(key, kDesktops[k], 0, REG_SZ, reinterpret_cast<const BYTE*>(size),
                     static_cast<DWORD>(std::strlen(size) + 1));
    }
    RegCloseKey(key);
  }
  // The default desktop, on this thread; the others on threads of their own.
  if (!GetDesktopWindow()) return 1;
  endEvent = CreateEventA(nullptr, TRUE, FALSE, kEndEvent);
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, kReadyEvent);
  HANDLE threads[2];
  for (size_t k = 0; k < named; ++k) {
    heldEvents[k] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    threads[k] = CreateThread(nullptr, 0, HoldDesktop, reinterpret_cast<void*>(k), 0, nullptr);
  }
  // Ready once both desktops stand; a thread that ends first has failed.
  for (size_t k = 0; k < named; ++k) {
    HANDLE held[] = {heldEvents[k], threads[k]};
    if (WaitForMultipleObjects(2, held, FALSE, 30000) != WAIT_OBJECT_0) return 1;
  }
  SetEvent(ready);
  if (named) WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  else WaitForSingleObject(endEvent, INFINITE);
  return 0;
}
