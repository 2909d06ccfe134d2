#include "ui/main/main_window.h"

#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <algorithm>

#include "core/folders.h"
#include "core/history.h"
#include "core/record_filter.h"
#include "core/templates/template_labels.h"
#include "core/working_copy.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/command_bars.h"
#include "ui/dpi.h"
#include "ui/main/record_list.h"
#include "ui/main/status_bar.h"
#include "ui/painting.h"

HWND mainWindow;
HMENU mainMenu;
HWND toolbar;
uint32_t clientWidth;
uint32_t clientHeight;

namespace {

constexpr ToolbarButton kMainToolbar[] = {
    {0, CMD_NEW},   {1, CMD_OPEN},    {2, CMD_SAVE},     {kToolbarSeparator, 0},
    {3, CMD_ADD},   {4, CMD_COPY},    {5, CMD_DELETE},   {kToolbarSeparator, 0},
    {11, CMD_GOTO}, {12, CMD_SEARCH}, {kToolbarSeparator, 0},
    {13, CMD_HELP},
};

// The commands that need an open database.
constexpr int kFirstFileButton = 3, kLastFileButton = 17;
constexpr int kFirstFileMenuItem = IDM_CLOSE, kLastFileMenuItem = IDM_NAME;
constexpr int kLaterFileMenuItems[] = {IDM_IMPORT, IDM_EXPORT_AS, IDM_FILTER};

// The list and the status bar in the system's fonts at the window's DPI.
void FitControlsToDpi(HWND window) {
  const int dpi = WindowDpi(window);
  SendMessageA(recordList, WM_SETFONT, reinterpret_cast<WPARAM>(SystemFontForDpi(SystemFont::kIconTitle, dpi)),
               TRUE);
  SendMessageA(statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(SystemFontForDpi(SystemFont::kStatus, dpi)),
               TRUE);
}

void OnCreate(HWND window, const CREATESTRUCTA* create) {
  mainWindow = window;
  NoteWindowDpi(window, WindowDpi(window));
  toolbar = CreateCommandToolbar(window, kToolbarId, kMainToolbar,
                                 sizeof kMainToolbar / sizeof kMainToolbar[0]);
  CreateStatusBar(window, kMainCaption);
  UpdateStatusBar();
  CreateRecordList(window);
  FitControlsToDpi(window);
  // The file named on the command line opens once the message loop runs.
  const char* file = static_cast<const char*>(create->lpCreateParams);
  if (file != nullptr) {
    SetCurrentFileName(file);
    SetTimer(window, kOpenTimerId, kOpenTimerDelayMs, nullptr);
  } else {
    SetFileItemsEnabled(false);
    SetTimer(window, kStartTimerId, kOpenTimerDelayMs, nullptr);
  }
}

void OnSize(HWND window, WPARAM wParam, LPARAM lParam) {
  clientWidth = LOWORD(lParam);
  clientHeight = HIWORD(lParam);
  SendMessageA(toolbar, WM_SIZE, wParam, lParam);
  SendMessageA(statusBar, WM_SIZE, wParam, lParam);
  const int top = Scale(window, kListTop);
  const int height = static_cast<int>(clientHeight) - top - Scale(window, kListBottomMargin);
  MoveWindow(recordList, 0, top, static_cast<int>(clientWidth), height > 0 ? height : 0, TRUE);
}

void PutText(HDC dc, int x, int y, const char* text) {
  TextOutA(dc, x, y, text, static_cast<int>(TextLength(text)));
}

int TextWidth(HDC dc, const char* text) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, text, static_cast<int>(TextLength(text)), &size);
  return size.cx;
}

// The band: "Filename:" and "Source:", and once the database has a file of
// the user's, that file's name and its template's long name.
void OnPaint(HWND window) {
  WhitePage page(window, static_cast<LONG>(clientWidth), static_cast<LONG>(clientHeight));
  HDC dc = page.dc();
  auto at = [window](int pixels96) { return Scale(window, pixels96); };
  PutText(dc, at(kBandLabelX), at(kBandFileLineY), "Filename:");
  PutText(dc, at(kBandLabelX), at(kBandSourceLineY), "Source:");
  if (hasUserFile) {
    // Text does not grow quite in step with its height (at 125 % "Filename:"
    // is wider than 80 scaled), so the names keep clear of the labels.
    const int textX = std::max(at(kBandTextX), at(kBandLabelX) + TextWidth(dc, "Filename:") + at(kBandLabelGap));
    PutText(dc, textX, at(kBandFileLineY), currentFileName);
    PutText(dc, textX, at(kBandSourceLineY), sourceName);
  }
  if (DatabaseOpen() && recordFilter.On()) {
    // At the right of the Source line, in view whatever the list shows.
    const std::string filter = "Filter: " + recordFilter.Text();
    const UINT align = SetTextAlign(dc, TA_RIGHT | TA_TOP);
    PutText(dc, static_cast<int>(clientWidth) - at(kBandLabelX), at(kBandSourceLineY), filter.c_str());
    SetTextAlign(dc, align);
  }
}

// The window moved to a monitor of another scale: the toolbar's pictures,
// the controls' fonts and the list's columns for the new DPI, then the
// rectangle the system suggests, and the layout for the new DPI (also when
// the rectangle stays as it was, and no WM_SIZE comes).
void OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  const int before = WindowDpi(window);
  NoteWindowDpi(window, LOWORD(wParam));
  toolbar = RemakeCommandToolbar(toolbar, kMainToolbar, sizeof kMainToolbar / sizeof kMainToolbar[0]);
  FitControlsToDpi(window);
  RescaleRecordListColumns(before, WindowDpi(window));
  TakeSuggestedRect(window, lParam);
  RECT client;
  GetClientRect(window, &client);
  OnSize(window, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

bool CreateMainWindow(HMENU menu, const char* fileToOpen) {
  mainMenu = menu;
  // The first place, on the primary monitor at its scale.
  CreateWindowExA(WS_EX_ACCEPTFILES, kMainClassName, kMainCaption, WS_OVERLAPPEDWINDOW, Scale(nullptr, 100),
                  Scale(nullptr, 100), Scale(nullptr, 520), Scale(nullptr, 400), nullptr, menu,
                  GetModuleHandleA(nullptr), const_cast<char*>(fileToOpen));
  return mainWindow != nullptr;
}

LRESULT MainWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
      return 0;
    case WM_SIZE:
      OnSize(window, wParam, lParam);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(window, wParam, lParam);
      return 0;
    case WM_NCDESTROY:
      ForgetWindowDpi(window);
      if (window == mainWindow) {
        mainWindow = toolbar = nullptr;
        ForgetStatusBar();
        ForgetRecordList();
      }
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void SetFileItemsEnabled(bool enable) {
  for (int id = kFirstFileButton; id <= kLastFileButton; ++id)
    SendMessageA(toolbar, TB_ENABLEBUTTON, id, MAKELPARAM(enable ? TRUE : FALSE, 0));
  for (int id = kFirstFileMenuItem; id <= kLastFileMenuItem; ++id)
    EnableMenuItem(mainMenu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  for (int id : kLaterFileMenuItems)
    EnableMenuItem(mainMenu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void RepaintBand() { InvalidateRect(mainWindow, nullptr, TRUE); }

void UndoItemText(bool undo, char* text, size_t textSize) {
  const bool can = DatabaseOpen() && (undo ? history.CanUndo() : history.CanRedo());
  CopyText(undo ? "Undo" : "Redo", text, textSize);
  if (can) {
    AppendText(text, textSize, " ");
    AppendText(text, textSize, StepName(undo ? history.UndoKind() : history.RedoKind()));
  }
}

void UpdateMenuItems() {
  for (bool undo : {true, false}) {
    char text[48];
    UndoItemText(undo, text, sizeof text);
    AppendText(text, sizeof text, undo ? "\tCtrl+Z" : "\tCtrl+Y");
    const bool can = DatabaseOpen() && (undo ? history.CanUndo() : history.CanRedo());
    const UINT id = undo ? IDM_UNDO : IDM_REDO;
    ModifyMenuA(mainMenu, id, MF_BYCOMMAND | MF_STRING | (can ? MF_ENABLED : MF_GRAYED), id, text);
  }
  EnableMenuItem(mainMenu, IDM_SHOW_ALL,
                 MF_BYCOMMAND | (DatabaseOpen() && recordFilter.On() ? MF_ENABLED : MF_GRAYED));
}
