// The toolbars, their tooltips and the right-click menus of both windows,
// built from tables.
#pragma once

#include <windows.h>

#include <cstddef>

// One button of a toolbar: image n is bitmap IDB_TOOLBAR_FIRST + n.
struct ToolbarButton {
  int image;  // kToolbarSeparator for a separator
  int command;
};
constexpr int kToolbarSeparator = -1;

// A flat toolbar with tooltips along the top of parent (control id `id`),
// holding every toolbar bitmap in its image list and the given buttons, all
// enabled, left to right. Its pictures are those drawn for the parent's scale
// (ToolbarImageSize, ui/dpi.h).
HWND CreateCommandToolbar(HWND parent, int id, const ToolbarButton* buttons, size_t count);
// The same toolbar made anew for the parent's DPI (after WM_DPICHANGED), each
// button in the state it had; the old one is destroyed. Returns the new one,
// or the old one when no new one could be made.
HWND RemakeCommandToolbar(HWND old, const ToolbarButton* buttons, size_t count);
// The first toolbar bitmap drawn at this size (16, 20, 24 or 32): image n is
// that bitmap + n.
int ToolbarBitmapFirst(int imageSize);

// The tooltip of a toolbar command of either toolbar, or null.
const char* TooltipText(UINT_PTR command);
// Answers TTN_GETDISPINFOA for a toolbar's tooltip; false for any other
// notification.
bool AnswerTooltip(NMHDR* header);

enum class PopupVariant { kMain, kForm };
// The right-click menu at the cursor, its command sent to owner: About,
// Help, then for the main window Sort and (withEdit) Edit, for the record
// form Add Entry, Delete, and Undo and Redo; a separator and Exit last.
void ShowPopupMenu(HWND owner, PopupVariant variant, bool withEdit);
