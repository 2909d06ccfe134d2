// Start-up, folders, the message loop with its keyboard filter, and the end.
#include "app/shell.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "core/command_line.h"
#include "core/folders.h"
#include "core/settings.h"
#include "core/working_copy.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "store/text.h"
#include "ui/dialogs/about_box.h"
#include "ui/form/form_commands.h"
#include "ui/form/record_form.h"
#include "ui/main/file_menu.h"
#include "ui/main/main_commands.h"
#include "ui/main/main_window.h"
#include "ui/placement.h"

bool ctrlHeld;
const char* programCommandLine;

namespace {

HANDLE instanceMutex;

constexpr char kMarkerFileName[] = "DefSet.txt";

bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = name;
  // A second start in the same process (the tests) finds the class made.
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM parameter) {
  auto* screens = reinterpret_cast<std::vector<ScreenArea>*>(parameter);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    screens->push_back(WorkspaceArea({m.left, m.top, m.right, m.bottom}, {w.left, w.top, w.right, w.bottom}));
  }
  return TRUE;
}

// Shows the main window where it was last closed, or at its first place.
void ShowMainWindow(int loadResult) {
  std::vector<ScreenArea> screens;
  EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&screens));
  const StartPlacement start = ChooseStartPlacement(loadResult, screens.data(), screens.size());
  if (start.applyMain) {
    WINDOWPLACEMENT placement;
    ToNativePlacement(settings.mainPlacement, &placement);
    SetWindowPlacement(mainWindow, &placement);
  } else {
    ShowWindow(mainWindow, SW_SHOWNORMAL);
  }
  if (start.formFromMain) {
    // The record form opens for the first time over the main window.
    WindowPlacement main = {};
    CaptureWindowPlacement(mainWindow, &main);
    TakeFormPlacementFrom(main);
  }
}

// The commands the keyboard filter gives. While the record form is the
// active window, the commands it has itself act on the record it shows, as
// its own buttons do; the others go to the main window.
void PostKeyCommand(int command) {
  const bool formHasIt = command == CMD_ADD || command == CMD_DELETE || command == CMD_SEARCH;
  HWND target = formHasIt && recordForm != nullptr && GetActiveWindow() == recordForm ? recordForm
                                                                                    : mainWindow;
  PostMessageA(target, WM_COMMAND, command, 0);
}

// While a dialog runs its own message loop, the idle flush of
// RunMessageLoop waits; this timer, which every loop dispatches, writes the
// changes meanwhile.
constexpr UINT kFlushTimerMs = 1000;
// The parts written at one tick: enough to finish a small file, short
// enough not to hold up the dialog.
constexpr int kFlushStepsPerTick = 4;

void CALLBACK FlushTimer(HWND, UINT, UINT_PTR, DWORD) {
  for (int i = 0; i < kFlushStepsPerTick && FlushWorkingCopyStep(); ++i) {
  }
}

// The command of a key pressed with Ctrl, or 0. Shift is read from the key
// state: Ctrl+Shift+Z redoes, Ctrl+Shift+L shows every record.
int CtrlCommand(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case 'S': return CMD_SAVE;
    case 'F': return CMD_SEARCH;
    case 'O': return CMD_OPEN;
    case 'N': return CMD_ADD;
    case 'Z': return shift ? IDM_REDO : IDM_UNDO;
    case 'Y': return IDM_REDO;
    case 'L': return shift ? IDM_SHOW_ALL : IDM_FILTER;
    case VK_DELETE: return CMD_DELETE;
    default: return 0;
  }
}

}  // namespace

void FindFolders() {
  // The folder of the running program, whatever its file is called.
  char found[kFolderSize] = "";
  if (!platform::ProgramFilePath(found, sizeof found)) found[0] = 0;
  char program[kFolderSize];
  FolderOfPath(found, program, sizeof program);

  // A copy on a removable drive keeps everything beside itself.
  char root[4];
  CopyBytes(program, root, sizeof root, TextLength(program) < 3 ? TextLength(program) : 3);
  if (GetDriveTypeA(root) == DRIVE_REMOVABLE) {
    SetFolders(program, program);
    return;
  }
  // "DefSet.txt" beside the program marks an installed copy, whose data
  // lives in the user's own folder.
  char marker[kFolderSize];
  HANDLE file = INVALID_HANDLE_VALUE;
  if (JoinPath(program, kMarkerFileName, marker, sizeof marker))
    file = CreateFileA(marker, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetFolders(program, program);
    return;
  }
  CloseHandle(file);

  char data[MAX_PATH + kFolderSize] = "";
  if (!SHGetSpecialFolderPathA(nullptr, data, CSIDL_APPDATA, FALSE) || data[0] == 0) {
    SetFolders(program, program);
    return;
  }
  AppendText(data, sizeof data, "\\Morvel");
  CreateDirectoryA(data, nullptr);
  AppendText(data, sizeof data, "\\Veldrana");
  CreateDirectoryA(data, nullptr);
  AppendText(data, sizeof data, "\\");
  SetFolders(program, TextLength(data) < kFolderSize ? data : program);
}

int GetCommandArgument(int number, char* buffer, size_t bufferSize) {
  return CommandArgument(programCommandLine ? programCommandLine : GetCommandLineA(), number, buffer,
                         bufferSize);
}

StartResult StartProgram(const StartOptions& options) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  programCommandLine = options.commandLine;
  if (options.programFolder && options.dataFolder)
    SetFolders(options.programFolder, options.dataFolder);
  else
    FindFolders();

  HANDLE mutex = CreateMutexA(nullptr, FALSE, options.mutexName);
  if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return StartResult::kAlreadyRunning;
  }
  instanceMutex = mutex;

  // The date classes, and the bars and the list the main window is made of.
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_DATE_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES;
  InitCommonControlsEx(&controls);

  const int loadResult = LoadSettings();

  if (!RegisterWindowClass(instance, kMainClassName, MainWindowProc) ||
      !RegisterWindowClass(instance, kFormClassName, RecordFormProc))
    return StartResult::kFailed;
  // The About box's tooltip window, made once.
  if (!aboutTooltip || !IsWindow(aboutTooltip)) CreateAboutTooltip(instance);

  // The database named on the command line opens once the loop runs.
  char file[kFolderSize];
  const bool named = GetCommandArgument(1, file, sizeof file) == kArgumentFound;
  if (!CreateMainWindow(LoadMenuA(instance, "Menu"), named ? file : nullptr))
    return StartResult::kFailed;
  ShowMainWindow(loadResult);

  SetWorkingCopyPath();
  WatchWorkingCopy();
  static UINT_PTR flushTimer = 0;
  if (flushTimer == 0) flushTimer = SetTimer(nullptr, 0, kFlushTimerMs, FlushTimer);
  return StartResult::kStarted;
}

void ReleaseInstanceMutex() {
  if (instanceMutex) CloseHandle(instanceMutex);
  instanceMutex = nullptr;
}

void FilterKey(MSG* message) {
  const bool down = message->message == WM_KEYDOWN;
  const WPARAM key = message->wParam;
  if (down && key == VK_ESCAPE) {
    // Exactly as a click on the close box, whichever window has the focus.
    SendMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    return;
  }
  if (key == VK_CONTROL) {
    ctrlHeld = down;
    return;
  }
  // Ctrl may have been let go while another window had the keyboard (a
  // dialog, another program); the key state tells.
  if (GetKeyState(VK_CONTROL) >= 0) ctrlHeld = false;
  if (down && key == VK_F1) {
    PostKeyCommand(CMD_HELP);
    return;
  }
  if (down && key == VK_F3) {
    PostKeyCommand(CMD_SEARCH);
    return;
  }
  if (ctrlHeld) {
    // One Ctrl press gives at most one command; other keys are dropped.
    const int command = CtrlCommand(key);
    if (command != 0) {
      PostKeyCommand(command);
      ctrlHeld = false;
    }
    return;
  }
  if (!IsDialogMessageA(mainWindow, message)) {
    TranslateMessage(message);
    DispatchMessageA(message);
  }
}

void HandleMessage(MSG* message) {
  if (message->message == WM_KEYDOWN || message->message == WM_KEYUP) {
    FilterKey(message);
    return;
  }
  if (!IsDialogMessageA(mainWindow, message)) {
    TranslateMessage(message);
    DispatchMessageA(message);
  }
}

int RunMessageLoop() {
  MSG message = {};
  for (;;) {
    // Idle: the working copy's changes go to the disk, a part at a time,
    // for as long as nothing else waits.
    while (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && FlushWorkingCopyStep()) {
    }
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
    HandleMessage(&message);
  }
  SaveSettings();
  return static_cast<int>(message.wParam);
}
