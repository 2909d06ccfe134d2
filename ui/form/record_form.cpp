// The record form's window: creation with its toolbar, resizing, painting the
// record, scrolling by field rows, and closing.
#include "ui/form/record_form.h"

#include <commctrl.h>

#include "core/settings.h"
#include "core/templates/template_labels.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/command_bars.h"
#include "ui/dpi.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/main/status_bar.h"
#include "ui/views.h"
#include "ui/painting.h"
#include "ui/placement.h"

HWND recordForm;
int32_t currentSlot;
int32_t currentRecordNumber = -1;
RECT formScrollRect = {0, kFormFirstRowY, 4000, 4000};

uint32_t firstRow;
uint32_t pageRows;
uint32_t formClientWidth;
uint32_t formClientHeight;
HWND formToolbar;

BOOL(WINAPI* formTextOut)(HDC, int, int, LPCSTR, int) = TextOutA;

namespace {

constexpr int kFormLabelGap = 6;  // pixels kept clear before the value column

// The form's toolbar, left to right. The tooltips come from
// ui/command_bars.h.
constexpr ToolbarButton kFormToolbar[] = {
    {3, CMD_ADD},      {4, CMD_COPY},  {5, CMD_DELETE}, {kToolbarSeparator, 0},
    {9, CMD_PREVIOUS}, {10, CMD_NEXT}, {11, CMD_GOTO},  {kToolbarSeparator, 0},
    {12, CMD_SEARCH},  {kToolbarSeparator, 0},
    {13, CMD_HELP},
};

// A settings record that was never loaded holds 0; the form never divides
// by it.
uint32_t RowHeight() { return settings.rowHeight != 0 ? settings.rowHeight : kDefaultRowHeight; }
// The row height and the top of the rows, in the form's pixels.
uint32_t RowPixels(HWND window) { return static_cast<uint32_t>(Scale(window, static_cast<int>(RowHeight()))); }
int FirstRowY(HWND window) { return Scale(window, kFormFirstRowY); }

// The part that scrolls lies below the header, at the form's scale.
void FitScrollRectToDpi(HWND window) {
  formScrollRect = {0, FirstRowY(window), Scale(window, 4000), Scale(window, 4000)};
}

void OnCreate(HWND window) {
  recordForm = window;
  firstRow = 0;
  NoteWindowDpi(window, WindowDpi(window));
  FitScrollRectToDpi(window);
  formToolbar = CreateCommandToolbar(window, kFormToolbarId, kFormToolbar,
                                     sizeof kFormToolbar / sizeof kFormToolbar[0]);
  // The form scrolls only vertically: the horizontal bar would do nothing,
  // so it is not shown.
  ShowScrollBar(window, SB_HORZ, FALSE);
}

void OnSize(HWND window, WPARAM wParam, LPARAM lParam) {
  formClientWidth = LOWORD(lParam);
  formClientHeight = HIWORD(lParam);
  SendMessageA(formToolbar, WM_SIZE, wParam, lParam);
  pageRows = formClientHeight / RowPixels(window);
  // Room for every field with rows to spare shows them from the first;
  // so does a window with room for fewer than two rows (the difference wraps).
  const uint32_t fieldCount = databaseFile.fieldCount;
  if (pageRows - 2 > fieldCount) firstRow = 0;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = static_cast<int>(fieldCount + 2);
  info.nPage = pageRows;
  SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void PutText(HDC dc, int x, int y, const char* text) {
  formTextOut(dc, x, y, text, static_cast<int>(TextLength(text)));
}

// The whole record, every time: the header, then one row per field from the
// first row not scrolled off the top; rows below the bottom edge are clipped.
void OnPaint(HWND window) {
  WhitePage page(window, static_cast<LONG>(formClientWidth), static_cast<LONG>(formClientHeight));
  HDC dc = page.dc();

  DatabaseFile& db = databaseFile;
  currentRecordNumber = db.RecordNumberOf(currentSlot);
  UpdateStatusBar();

  char header[64] = "Record ";
  char number[12];
  NumberToSignedText(static_cast<uint32_t>(currentRecordNumber), number, sizeof number);
  AppendText(header, sizeof header, number);
  AppendText(header, sizeof header, ", Index ");
  NumberToUnsignedText(static_cast<uint32_t>(currentSlot), number, sizeof number);
  AppendText(header, sizeof header, number);
  auto at = [window](int pixels96) { return Scale(window, pixels96); };
  PutText(dc, at(kFormHeaderX), at(kFormHeaderY), header);

  if (db.view != nullptr) {
    const int rowHeight = static_cast<int>(RowPixels(window));
    int y = FirstRowY(window);
    for (uint32_t field = firstRow + 1; field <= db.fieldCount && field > firstRow; ++field) {
      const char* label = templateNumber != 0 ? FieldLabel(field) : nullptr;
      if (label == nullptr) {
        NumberToUnsignedText(field, number, sizeof number);
        label = number;
      }
      // A long label stops short of the value column, so that the two read
      // apart.
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, 0, 0, at(kFormValueX - kFormLabelGap), static_cast<int>(formClientHeight));
      PutText(dc, at(kFormLabelX), y, label);
      RestoreDC(dc, saved);
      FieldText(currentSlot, field);
      PutText(dc, at(kFormValueX), y, db.textValue);
      y += rowHeight;
    }
  }
}

// One scroll request (an SB_ code): moves the rows by whole fields, as far as
// the scroll bar's range allows.
void OnVerticalScroll(HWND window, int request) {
  const uint32_t step = pageRows > 4 ? pageRows - 4 : 1;
  const uint32_t fieldCount = databaseFile.fieldCount;
  uint32_t n = firstRow;
  switch (request) {
    case SB_LINEUP:
      n = firstRow == 0 ? 0 : firstRow - 1;
      break;
    case SB_LINEDOWN:
      n = firstRow + 1;
      break;
    case SB_PAGEUP:
      n = firstRow > step ? firstRow - step : 0;
      break;
    case SB_PAGEDOWN:
      n = firstRow + step + 1;
      if (n > fieldCount) n = fieldCount;
      break;
    case SB_THUMBTRACK: {
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(window, SB_VERT, &info);
      n = static_cast<uint32_t>(info.nTrackPos);
      break;
    }
    case SB_TOP:
      n = 0;
      break;
    case SB_BOTTOM:
      n = fieldCount;
      break;
    default:
      break;
  }
  if (n == firstRow) return;
  const int before = GetScrollPos(window, SB_VERT);
  SetScrollPos(window, SB_VERT, static_cast<int>(n), TRUE);
  const int position = GetScrollPos(window, SB_VERT);
  if (position == before) return;
  const int distance = (static_cast<int>(firstRow) - position) * static_cast<int>(RowPixels(window));
  ScrollWindow(window, 0, distance, &formScrollRect, &formScrollRect);
  firstRow = static_cast<uint32_t>(position);
  UpdateWindow(window);
}

void Scroll(HWND window, int request) { SendMessageA(window, WM_VSCROLL, MAKEWPARAM(request, 0), 0); }

void OnKeyDown(HWND window, WPARAM key) {
  switch (key) {
    case VK_HOME: return Scroll(window, SB_TOP);
    case VK_END: return Scroll(window, SB_BOTTOM);
    case VK_UP: return Scroll(window, SB_LINEUP);
    case VK_DOWN: return Scroll(window, SB_LINEDOWN);
    case VK_PRIOR: return Scroll(window, SB_PAGEUP);
    case VK_NEXT: return Scroll(window, SB_PAGEDOWN);
    default: return;
  }
}

// A notch (120) moves a row; a fast turn of more than 500 away from the user,
// or of 600 or more towards the user, moves a page.
void OnMouseWheel(HWND window, WPARAM wParam) {
  const uint32_t u = HIWORD(wParam);
  if (u < 30000) {
    if (u > 500) Scroll(window, SB_PAGEUP);
    else if (u >= 120) Scroll(window, SB_LINEUP);
  } else if (u > 40000) {
    const int32_t d = static_cast<int32_t>(u) - 65536;
    if (d <= -600) Scroll(window, SB_PAGEDOWN);
    else if (d <= -120) Scroll(window, SB_LINEDOWN);
  }
}

// The form moved to a monitor of another scale: the toolbar's pictures and
// the rows for the new DPI, then the rectangle the system suggests, and the
// rows' page for the new DPI (also when the rectangle stays as it was, and
// no WM_SIZE comes).
void OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  NoteWindowDpi(window, LOWORD(wParam));
  formToolbar = RemakeCommandToolbar(formToolbar, kFormToolbar, sizeof kFormToolbar / sizeof kFormToolbar[0]);
  FitScrollRectToDpi(window);
  TakeSuggestedRect(window, lParam);
  RECT client;
  GetClientRect(window, &client);
  OnSize(window, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  InvalidateRect(window, nullptr, TRUE);
}

void OnClose(HWND window) {
  WindowPlacement placement;
  if (CaptureWindowPlacement(window, &placement)) KeepFormPlacement(placement);
  recordForm = nullptr;
  UpdateStatusBar();
  DestroyWindow(window);
}

}  // namespace

void ShowRecordForm() {
  if (recordForm != nullptr) {
    InvalidateRect(recordForm, nullptr, FALSE);
    return;
  }
  // The form shows records of an open database only.
  if (databaseFile.view == nullptr) return;
  // Its first place (until a placement is kept) at the main window's scale.
  HWND form = CreateWindowExA(0, kFormClassName, kFormCaption, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                              Scale(mainWindow, 100), Scale(mainWindow, 100), Scale(mainWindow, 520),
                              Scale(mainWindow, 400), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (form == nullptr) return;
  WINDOWPLACEMENT placement;
  ToNativePlacement(settings.formPlacement, &placement);
  placement.length = sizeof placement;
  // A form closed while minimised opens normal again, where the user can see
  // it; one closed maximised opens maximised.
  if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = SW_SHOWNORMAL;
  if (!SetWindowPlacement(form, &placement) || !IsWindowVisible(form)) ShowWindow(form, SW_SHOWNORMAL);
}

void SelectRecord(int32_t slot) {
  currentSlot = slot;
  currentRecordNumber = databaseFile.RecordNumberOf(slot);
}

void ShowRecord(int32_t slot) {
  SelectRecord(slot);
  ShowRecordForm();
  UpdateStatusBar();
}

void RefreshRecordForm() {
  currentRecordNumber = databaseFile.RecordNumberOf(currentSlot);
  UpdateStatusBar();
  if (recordForm != nullptr) InvalidateRect(recordForm, nullptr, TRUE);
}

void CloseRecordForm() {
  if (recordForm != nullptr) SendMessageA(recordForm, WM_CLOSE, 0, 0);
}

uint32_t FieldAtY(int y) {
  // The rows as the form paints them, at its scale.
  const int top = FirstRowY(recordForm);
  if (y <= top) return 0;
  const uint32_t field = static_cast<uint32_t>(y - top) / RowPixels(recordForm) + firstRow + 1;
  return field <= databaseFile.fieldCount ? field : 0;
}

LRESULT RecordFormDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_SIZE:
      OnSize(window, wParam, lParam);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_VSCROLL:
      OnVerticalScroll(window, LOWORD(wParam));
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(window, wParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(window, wParam);
      return 0;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(window, wParam, lParam);
      return 0;
    case WM_NCDESTROY:
      ForgetWindowDpi(window);
      // However the window goes, nobody keeps its handle.
      if (recordForm == window) recordForm = nullptr;
      formToolbar = nullptr;
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
