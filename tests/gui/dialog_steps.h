// Small helpers shared by the Options and About tests: steps run later inside
// a modal dialog's own message loop, and a recorder for what the program
// hands to the shell.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/dialogs/options_dialog.h"
#include "ui/shell_open.h"

namespace dialogsteps {

// Puts the test's windows on a desktop of their own. Wine shows it as one
// window of the X display, inside which dialogs come and go at once, where
// each top-level window of the X display itself takes the X server a moment
// to map and unmap.
class TestDesktop : public ::testing::Environment {
 public:
  void SetUp() override {
    static const char kName[] = "Veldrana dialog tests";
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      const char size[] = "1024x768";
      RegSetValueExA(key, kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof size);
      RegCloseKey(key);
    }
    HDESK desktop = CreateDesktopA(kName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desktop) SetThreadDesktop(desktop);
  }
};

// Runs step once, after `milliseconds`, from a thread timer: inside whatever
// message loop runs then, a modal dialog's included.
inline std::map<UINT_PTR, std::function<void()>>& PendingSteps() {
  static std::map<UINT_PTR, std::function<void()>> steps;
  return steps;
}

inline void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  auto found = PendingSteps().find(timer);
  if (found == PendingSteps().end()) return;
  std::function<void()> step = std::move(found->second);
  PendingSteps().erase(found);
  step();
}

inline void Later(DWORD milliseconds, std::function<void()> step) {
  const UINT_PTR timer = SetTimer(nullptr, 0, milliseconds, RunStep);
  PendingSteps()[timer] = std::move(step);
}

// While it lives, ShellOpen records its targets instead of starting programs.
class ShellOpenRecorder {
 public:
  ShellOpenRecorder() {
    opened().clear();
    previous_ = shellOpenHandler;
    shellOpenHandler = [](const char* target) { opened().push_back(target); };
  }
  ~ShellOpenRecorder() { shellOpenHandler = previous_; }
  ShellOpenRecorder(const ShellOpenRecorder&) = delete;
  ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;

  static std::vector<std::string>& opened() {
    static std::vector<std::string> targets;
    return targets;
  }

 private:
  void (*previous_)(const char*);
};

}  // namespace dialogsteps
