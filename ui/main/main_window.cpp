// The main window: creation, layout, the band, notifications, dropped files,
// the status bar, the enabling of the file commands and the right-click menu.
#include "ui/main/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/folders.h"
#include "app/shell.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "templates/file_commands.h"
#include "templates/style_file.h"
#include "ui/form/record_form.h"
#include "ui/main/main_commands.h"
#include "ui/main/record_list.h"

HWND toolbar;
HWND statusBar;
HWND recordList;
uint32_t clientWidth;
uint32_t clientHeight;
bool sortInProgress;
uint32_t sortField;

namespace {

constexpr int kSeparator = -1;

// The main toolbar, left to right: image n is bitmap IDB_TOOLBAR_FIRST + n.
struct ToolbarButton {
  int image;  // kSeparator for a separator
  int command;
};
constexpr ToolbarButton kMainToolbar[] = {
    {0, CMD_NEW},  {1, CMD_OPEN},   {2, CMD_SAVE},   {kSeparator, 0},
    {3, CMD_ADD},  {4, CMD_COPY},   {5, CMD_DELETE}, {kSeparator, 0},
    {11, CMD_GOTO}, {12, CMD_SEARCH}, {kSeparator, 0},
    {13, CMD_HELP},
};

// Tooltips of both toolbars: the main one and the record form's.
struct Tooltip {
  UINT_PTR command;
  const char* text;
};
constexpr Tooltip kTooltips[] = {
    {CMD_NEW, "Create New Veldrana"},
    {CMD_OPEN, "Open Existing Veldrana"},
    {CMD_SAVE, "Save this Veldrana"},
    {CMD_ADD, "Add New Record"},
    {CMD_COPY, "Copy This Record"},
    {CMD_DELETE, "Delete This Record"},
    {CMD_GOTO, "Goto Record"},
    {CMD_SEARCH, "Search Veldrana"},
    {CMD_HELP, "Open ReadMe"},
    {CMD_PREVIOUS, "Previous Record"},
    {CMD_NEXT, "Next Record"},
};

// The commands that need an open database.
constexpr int kFirstFileButton = 3, kLastFileButton = 17;
constexpr int kFirstFileMenuItem = IDM_CLOSE, kLastFileMenuItem = IDM_NAME;

TBBUTTON MakeButton(const ToolbarButton& button) {
  TBBUTTON made = {};
  const bool separator = button.image == kSeparator;
  made.iBitmap = separator ? 0 : button.image;
  made.idCommand = button.command;
  made.fsState = TBSTATE_ENABLED;
  made.fsStyle = separator ? BTNS_SEP : BTNS_BUTTON;
  return made;
}

void CreateToolbar(HWND window) {
  TBBUTTON first = MakeButton(kMainToolbar[0]);
  toolbar = CreateToolbarEx(window, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                            kToolbarId, 1, instance, IDB_TOOLBAR_FIRST, &first, 1, 0, 0, 16, 16,
                            sizeof(TBBUTTON));
  for (int id = IDB_TOOLBAR_FIRST + 1; id <= IDB_TOOLBAR_LAST; ++id) {
    TBADDBITMAP bitmap = {instance, static_cast<UINT_PTR>(id)};
    SendMessageA(toolbar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&bitmap));
  }
  for (size_t i = 1; i < sizeof kMainToolbar / sizeof kMainToolbar[0]; ++i) {
    TBBUTTON button = MakeButton(kMainToolbar[i]);
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
  }
}

void CreateRecordList(HWND window) {
  recordList = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SHAREIMAGELISTS,
                               0, 0, 0, 0, window, reinterpret_cast<HMENU>(kRecordListId), instance,
                               nullptr);
  SendMessageA(recordList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
}

void OnCreate(HWND window) {
  mainWindow = window;
  CreateToolbar(window);
  statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, kMainCaption, window, kStatusBarId);
  UpdateStatusBar();
  CreateRecordList(window);
  // The file named on the command line opens once the message loop runs.
  if (GetCommandArgument(1, currentFileName, sizeof currentFileName) == 1)
    SetTimer(window, kOpenTimerId, kOpenTimerDelayMs, nullptr);
  else
    SetFileItemsEnabled(false);
}

void OnSize(WPARAM wParam, LPARAM lParam) {
  clientWidth = LOWORD(lParam);
  clientHeight = HIWORD(lParam);
  SendMessageA(toolbar, WM_SIZE, wParam, lParam);
  SendMessageA(statusBar, WM_SIZE, wParam, lParam);
  const int height = static_cast<int>(clientHeight) - kListTop - kListBottomMargin;
  MoveWindow(recordList, 0, kListTop, static_cast<int>(clientWidth), height > 0 ? height : 0, TRUE);
}

void PutText(HDC dc, int x, int y, const char* text) {
  TextOutA(dc, x, y, text, static_cast<int>(TextLength(text)));
}

// The band: "Filename:" and "Source:", and once the database has a file of
// the user's, that file's name and its template's long name.
void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT all = {0, 0, static_cast<LONG>(clientWidth), static_cast<LONG>(clientHeight)};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &all, white);
  DeleteObject(white);
  HFONT font = CreateFontA(18, 0, 0, 0, 50, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  PutText(dc, kBandLabelX, kBandFileLineY, "Filename:");
  PutText(dc, kBandLabelX, kBandSourceLineY, "Source:");
  if (hasUserFile) {
    PutText(dc, kBandTextX, kBandFileLineY, currentFileName);
    PutText(dc, kBandTextX, kBandSourceLineY, sourceName);
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  EndPaint(window, &paint);
}

// Only the first of the dropped files is opened, as Open would open it.
void OnDropFiles(HDROP drop) {
  char name[kFolderSize] = "";
  const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
  const bool fits = length > 0 && length < sizeof name &&
                    DragQueryFileA(drop, 0, name, sizeof name) == length;
  DragFinish(drop);
  if (!fits) return;
  if (CloseDatabase() != 0) return;
  CopyText(name, currentFileName, sizeof currentFileName);
  OpenDatabase(currentFileName);
}

// A click on a field's column header sorts the database by that field.
void OnColumnClick(int column) {
  if (column >= 3) SortRecords(static_cast<uint32_t>(column - 2));
}

}  // namespace

const char* TooltipText(UINT_PTR command) {
  for (const Tooltip& tip : kTooltips)
    if (tip.command == command) return tip.text;
  return nullptr;
}

LRESULT HandleNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  switch (header->code) {
    case NM_DBLCLK:
      if (header->hwndFrom == recordList) {
        const int32_t slot = FocusedRecordSlot();
        if (slot != -1) {
          currentSlot = slot;
          ShowRecordForm();
        }
      }
      return 0;
    case LVN_COLUMNCLICK:
      if (header->hwndFrom == recordList)
        OnColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
      return 0;
    case TTN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
      if (const char* text = TooltipText(header->idFrom)) info->lpszText = const_cast<char*>(text);
      return 0;
    }
    default:
      return DefWindowProcA(window, WM_NOTIFY, wParam, lParam);
  }
}

void UpdateStatusBar() {
  char text[64];
  if (databaseFile.view == nullptr) {
    CopyText("No File!", text, sizeof text);
  } else if (databaseFile.activeCount == 0) {
    CopyText("No Records!", text, sizeof text);
  } else {
    char count[12];
    NumberToSignedText(databaseFile.activeCount, count, sizeof count);
    if (recordForm == nullptr) {
      CopyText(count, text, sizeof text);
      AppendText(text, sizeof text, " Records in DB");
    } else {
      char number[12];
      NumberToSignedText(static_cast<uint32_t>(currentRecordNumber), number, sizeof number);
      CopyText("Record ", text, sizeof text);
      AppendText(text, sizeof text, number);
      AppendText(text, sizeof text, " of ");
      AppendText(text, sizeof text, count);
    }
  }
  SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void SetFileItemsEnabled(bool enable) {
  for (int id = kFirstFileButton; id <= kLastFileButton; ++id)
    SendMessageA(toolbar, TB_ENABLEBUTTON, id, MAKELPARAM(enable ? TRUE : FALSE, 0));
  for (int id = kFirstFileMenuItem; id <= kLastFileMenuItem; ++id)
    EnableMenuItem(mainMenu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

int32_t FocusedRecordSlot() {
  const LRESULT row = SendMessageA(recordList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
  if (row == -1) return -1;
  char text[kFolderSize] = "";
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(recordList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return static_cast<int32_t>(TextToNumber(text));
}

void SortRecords(uint32_t field) {
  if (sortInProgress) return;
  sortInProgress = true;
  if (field >= 1 && field <= databaseFile.fieldCount) sortField = field;
  if (databaseFile.SortByField(field) == 1) {
    databaseChanged = 1;
    SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
    RebuildRecordList();
  }
  sortInProgress = false;
}

void ShowPopupMenu(HWND owner, PopupVariant variant) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, IDM_ABOUT, "About");
  AppendMenuA(menu, MF_STRING, IDM_HELP, "Help");
  if (variant == PopupVariant::kMain) {
    AppendMenuA(menu, MF_STRING, IDM_SORT, "Sort");
    if (SendMessageA(recordList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) != -1)
      AppendMenuA(menu, MF_STRING, IDM_EDIT, "Edit");
  } else {
    AppendMenuA(menu, MF_STRING, IDM_ADD, "Add Entry");
    AppendMenuA(menu, MF_STRING, IDM_DELETE, "Delete");
  }
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_EXIT, "Exit");
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  TrackPopupMenuEx(menu, TPM_RIGHTALIGN, cursor.x, cursor.y, owner, nullptr);
  DestroyMenu(menu);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_COMMAND:
      DispatchMainCommand(window, wParam);
      return 0;
    case WM_TIMER:
      if (wParam == kOpenTimerId) {
        KillTimer(window, kOpenTimerId);
        OpenDatabase(currentFileName);
      }
      return 0;
    case WM_SIZE:
      OnSize(wParam, lParam);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_NOTIFY:
      return HandleNotify(window, wParam, lParam);
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP:
      ShowPopupMenu(window, PopupVariant::kMain);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      EndProgram();
      return 0;
    case WM_QUERYENDSESSION:
      // Unsaved changes the user chose to keep hold the session open.
      return EndProgram() ? TRUE : FALSE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      if (window == mainWindow) mainWindow = toolbar = statusBar = recordList = nullptr;
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
