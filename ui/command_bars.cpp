#include "ui/command_bars.h"

#include <commctrl.h>

#include <initializer_list>

#include "resources/resource.h"
#include "ui/main/main_window.h"
#include "ui/dpi.h"

namespace {

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

TBBUTTON MakeButton(const ToolbarButton& button) {
  TBBUTTON made = {};
  const bool separator = button.image == kToolbarSeparator;
  made.iBitmap = separator ? 0 : button.image;
  made.idCommand = button.command;
  made.fsState = TBSTATE_ENABLED;
  made.fsStyle = separator ? BTNS_SEP : BTNS_BUTTON;
  return made;
}

}  // namespace

HWND CreateCommandToolbar(HWND parent, int id, const ToolbarButton* buttons, size_t count) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  // The pictures drawn for the parent's scale; the buttons take their size
  // from them.
  const int size = ToolbarImageSize(parent);
  const int firstBitmap = ToolbarBitmapFirst(size);
  TBBUTTON first = MakeButton(buttons[0]);
  HWND toolbar = CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                                 id, 1, module, firstBitmap, &first, 1, 0, 0, size, size,
                                 sizeof(TBBUTTON));
  for (int n = 1; n < TOOLBAR_IMAGE_COUNT; ++n) {
    TBADDBITMAP added = {module, static_cast<UINT_PTR>(firstBitmap + n)};
    SendMessageA(toolbar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&added));
  }
  for (size_t i = 1; i < count; ++i) {
    TBBUTTON button = MakeButton(buttons[i]);
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
  }
  return toolbar;
}

HWND RemakeCommandToolbar(HWND old, const ToolbarButton* buttons, size_t count) {
  HWND parent = GetParent(old);
  HWND made = CreateCommandToolbar(parent, GetDlgCtrlID(old), buttons, count);
  if (!made) return old;
  // The buttons keep what they were: enabled or greyed, pressed or not.
  for (size_t i = 0; i < count; ++i) {
    if (buttons[i].image == kToolbarSeparator) continue;
    const LRESULT state = SendMessageA(old, TB_GETSTATE, buttons[i].command, 0);
    if (state != -1) SendMessageA(made, TB_SETSTATE, buttons[i].command, MAKELPARAM(state, 0));
  }
  DestroyWindow(old);
  return made;
}

int ToolbarBitmapFirst(int imageSize) {
  switch (imageSize) {
    case 20: return IDB_TOOLBAR20_FIRST;
    case 24: return IDB_TOOLBAR24_FIRST;
    case 32: return IDB_TOOLBAR32_FIRST;
    default: return IDB_TOOLBAR_FIRST;
  }
}

const char* TooltipText(UINT_PTR command) {
  for (const Tooltip& tip : kTooltips)
    if (tip.command == command) return tip.text;
  return nullptr;
}

bool AnswerTooltip(NMHDR* header) {
  if (header->code != TTN_GETDISPINFOA) return false;
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
  if (const char* text = TooltipText(header->idFrom)) info->lpszText = const_cast<char*>(text);
  return true;
}

void ShowPopupMenu(HWND owner, PopupVariant variant, bool withEdit) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, IDM_ABOUT, "About");
  AppendMenuA(menu, MF_STRING, IDM_HELP, "Help");
  if (variant == PopupVariant::kMain) {
    AppendMenuA(menu, MF_STRING, IDM_SORT, "Sort");
    if (withEdit) AppendMenuA(menu, MF_STRING, IDM_EDIT, "Edit");
  } else {
    AppendMenuA(menu, MF_STRING, IDM_ADD, "Add Entry");
    AppendMenuA(menu, MF_STRING, IDM_DELETE, "Delete");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    for (bool undo : {true, false}) {
      char text[48];
      UndoItemText(undo, text, sizeof text);
      const bool can = text[4] != 0;  // a step is named
      AppendMenuA(menu, MF_STRING | (can ? MF_ENABLED : MF_GRAYED), undo ? IDM_UNDO : IDM_REDO, text);
    }
  }
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_EXIT, "Exit");
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  TrackPopupMenuEx(menu, TPM_RIGHTALIGN, cursor.x, cursor.y, owner, nullptr);
  DestroyMenu(menu);
}
