// The New dialog and the New command.
#include "ui/dialogs/new_dialog.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "core/templates/new_database.h"
#include "core/templates/style_file.h"
#include "resources/resource.h"
#include "ui/dialogs/prompt_dialog.h"

namespace {

// What one New dialog holds while it is open: the template list it shows
// (the file name of entry k in files[k]), made when it opens and freed when
// it closes, and whether it counted itself in promptOpen.
struct NewDialogState {
  std::unique_ptr<TemplateList> list;
  bool counted = false;
};

void FillTemplateList(HWND dialog, NewDialogState* state) {
  state->list.reset(new (std::nothrow) TemplateList);
  if (!state->list) return;  // no table: the list stays empty
  ReadTemplateList(state->list.get());
  HWND combo = GetDlgItem(dialog, IDC_NEW_TEMPLATE);
  // In file order: each name goes in at its own position.
  for (uint32_t k = 0; k < state->list->nameCount; ++k)
    SendMessageA(combo, CB_INSERTSTRING, k, reinterpret_cast<LPARAM>(state->list->names[k]));
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

// The dialog over the middle of its owner, kept inside the owner's screen:
// its template gives no place of its own, which would put it over the
// owner's caption and menu.
void CentreOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT area, box;
  if (owner == nullptr || !GetWindowRect(owner, &area)) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  GetWindowRect(dialog, &box);
  const int width = box.right - box.left, height = box.bottom - box.top;
  int x = (area.left + area.right - width) / 2;
  int y = (area.top + area.bottom - height) / 2;
  MONITORINFO screen = {};
  screen.cbSize = sizeof screen;
  if (GetMonitorInfoA(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &screen)) {
    const RECT& work = screen.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EndNewDialog(HWND dialog, NewDialogState* state, uint32_t answer) {
  state->list.reset();
  EndDialog(dialog, answer);
}

INT_PTR CALLBACK NewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<NewDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<NewDialogState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      NotePromptOpened();
      state->counted = true;
      SetDlgItemTextA(dialog, IDC_NEW_NAME, kNewDialogDefaultName);
      FillTemplateList(dialog, state);
      CentreOverOwner(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wParam) == IDOK) {
        const LRESULT selection = SendDlgItemMessageA(dialog, IDC_NEW_TEMPLATE, CB_GETCURSEL, 0, 0);
        char name[sizeof newDatabaseName] = "";
        GetDlgItemTextA(dialog, IDC_NEW_NAME, name, sizeof name);
        EndNewDialog(dialog, state,
                     AcceptNewChoice(state->list.get(), static_cast<int32_t>(selection), name));
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndNewDialog(dialog, state, CancelNewChoice());
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      // Every way out passes here, a dialog destroyed with its owner too.
      if (state && state->counted) {
        state->counted = false;
        NotePromptClosed();
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

uint32_t ShowNewDialog(HWND owner) {
  NewDialogState state;
  const INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_NEW), owner,
                                         NewDialogProc, reinterpret_cast<LPARAM>(&state));
  const uint32_t result = answer == static_cast<INT_PTR>(kNewAccepted) ? kNewAccepted
                                                                       : CancelNewChoice();
  NotePromptAnswer(result);
  return result;
}
