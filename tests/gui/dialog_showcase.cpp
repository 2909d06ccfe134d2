// Not a test: shows the Options dialog or the About box for screenshots,
//   wine explorer /desktop=shot,800x600 dialog_showcase.exe options
//   wine explorer /desktop=shot,800x600 dialog_showcase.exe about [diagnostics]
// with the folders of an installed copy. Links and folders are not opened.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "core/folders.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/shell_open.h"
#include "resources/resource.h"
#include "ui/dialogs/about_box.h"

namespace {

bool showDiagnostics = false;

LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && showDiagnostics) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    HWND selector = GetDlgItem(dialog, IDC_ABOUT_PAGES);
    if (selector) {
      showDiagnostics = false;
      SendMessageA(selector, CB_SETCURSEL, kDiagnosticsPage, 0);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_PAGES, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(selector));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  SetFolders("C:\\Program Files\\Veldrana\\",
             "C:\\users\\Public\\Application Data\\Morvel\\Veldrana\\");
  shellOpenHandler = [](const char*) {};
  if (std::strstr(commandLine, "options")) {
    ShowOptions(nullptr);
    return 0;
  }
  showDiagnostics = std::strstr(commandLine, "diagnostics") != nullptr;
  SetWindowsHookExA(WH_CBT, WatchDialogs, nullptr, GetCurrentThreadId());
  CreateAboutTooltip(instance);
  ShowAbout(nullptr);
  return 0;
}
