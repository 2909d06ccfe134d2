// The record list's rows and columns. The control holds no data: it is an
// owner-data list that asks for the texts of the rows it shows, and they are
// read from the store then, so that filling the list costs nothing however
// many records there are.
#include "ui/main/record_list.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "core/record_filter.h"
#include "core/settings.h"
#include "core/templates/template_labels.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/views.h"
#include "ui/dpi.h"

HWND recordList;

namespace {

// The rows the list has: every active record, or those the filter shows.
uint32_t Rows() { return recordFilter.On() ? recordFilter.RowCount() : databaseFile.activeCount; }

// The slot shown in a row, or -1 when the row has no record (the list is
// being refilled, or no database is open). Row r shows record r + 1, which
// the store finds without a walk, at any row.
int32_t SlotOfRow(int row) {
  DatabaseFile& db = databaseFile;
  if (row < 0 || !DatabaseOpen() || static_cast<uint32_t>(row) >= Rows()) return -1;
  if (recordFilter.On()) {
    const int32_t slot = recordFilter.SlotOfRow(static_cast<uint32_t>(row));
    return db.GetRecStat(slot) == kRecActive ? slot : -1;
  }
  return db.SlotOfRecordNumber(static_cast<uint32_t>(row) + 1);
}

// Under Wine a column inserted into or deleted from a list that redraws
// scrolls and repaints it at once, about 20 ms a column: 0.6 s for the world
// table's 44 fields, a minute for 4,096. With the redraw held, the list and
// its heading are painted once, after the last column.
void HoldRedraw() { SendMessageA(recordList, WM_SETREDRAW, FALSE, 0); }

void RedrawOnce() {
  SendMessageA(recordList, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(recordList, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The text of a cell, as the list shows it: the slot ("Index"), the record
// number, the RecStat, then the fields.
void CellText(int row, int column, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  const int32_t slot = SlotOfRow(row);
  if (slot < 0) return;
  if (column <= 2) {
    // A filtered list shows each record's own number, not its row's.
    const int64_t number = recordFilter.On() ? databaseFile.RecordNumberOf(slot) : row + 1;
    const int64_t value = column == 0 ? slot : column == 1 ? number : databaseFile.GetRecStat(slot);
    NumberToSignedText(static_cast<uint32_t>(value), text, size);
    return;
  }
  if (FieldText(slot, static_cast<uint32_t>(column - 2)) >= 0) CopyText(databaseFile.textValue, text, size);
}

// The list asks an ANSI window for ANSI texts.
void AnswerDisplayInfo(NMLVDISPINFOA* info) {
  LVITEMA& item = info->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  CellText(item.iItem, item.iSubItem, item.pszText, static_cast<size_t>(item.cchTextMax));
}

// Typing in the list goes to the next row whose Index begins with what was
// typed, from the row the list names, round to the top. Wine asks with the
// typed text in UTF-16 whatever the window, Windows an ANSI window in ANSI.
int FindRow(const NMLVFINDITEMA* find, bool wide) {
  char typed[64] = "";
  if (!DatabaseOpen() || (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find->lvfi.psz == nullptr)
    return -1;
  if (wide) {
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(find->lvfi.psz), -1, typed, sizeof typed,
                        nullptr, nullptr);
    typed[sizeof typed - 1] = 0;
  } else {
    CopyText(find->lvfi.psz, typed, sizeof typed);
  }
  const size_t length = TextLength(typed);
  const int rows = static_cast<int>(Rows());
  const int start = find->iStart >= 0 && find->iStart < rows ? find->iStart : 0;
  for (int k = 0; k < rows; ++k) {
    const int row = (start + k) % rows;
    if (row < start && (find->lvfi.flags & LVFI_WRAP) == 0) break;
    // An Index is digits only, which have no case.
    char index[12];
    CellText(row, 0, index, sizeof index);
    const bool partial = (find->lvfi.flags & LVFI_PARTIAL) != 0;
    if (partial ? std::strncmp(index, typed, length) == 0 : std::strcmp(index, typed) == 0) return row;
  }
  return -1;
}

}  // namespace

void CreateRecordList(HWND parent) {
  recordList = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SHAREIMAGELISTS |
                                   LVS_OWNERDATA,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(kRecordListId),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(recordList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
}

void ForgetRecordList() { recordList = nullptr; }

void RebuildRecordList(int32_t touched, bool select) {
  if (recordList == nullptr) return;
  // Emptied first, as a list filled anew would be: no row keeps the focus or
  // a selection, and the view goes back to the top.
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  if (!DatabaseOpen()) return;
  SendMessageA(recordList, LVM_SETITEMCOUNT, Rows(), 0);
  if (!select) return;
  const int32_t row = recordFilter.On() ? recordFilter.RowOfSlot(touched) : databaseFile.RecordNumberOf(touched) - 1;
  if (row >= 0) {
    LVITEMA item = {};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(recordList, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(recordList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }
}

bool AnswerRecordList(NMHDR* header, LRESULT* result) {
  if (header->hwndFrom != recordList) return false;
  *result = 0;
  switch (header->code) {
    case LVN_GETDISPINFOA:
      AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOA*>(header));
      return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
      *result = FindRow(reinterpret_cast<NMLVFINDITEMA*>(header), header->code == LVN_ODFINDITEMW);
      return true;
    default:
      return false;
  }
}

int LoadStyleColumns(uint32_t fieldCount) {
  std::vector<ListColumn> columns;
  if (!ReadListColumns(fieldCount, &columns)) return 0;
  HoldRedraw();
  for (size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    // Widths are kept at 96 DPI, the settings' and the templates' alike.
    column.cx = Scale(recordList, static_cast<int>(columns[i].width));
    column.pszText = columns[i].label;
    SendMessageA(recordList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  RedrawOnce();
  return 1;
}

int RecordListColumnCount() {
  HWND header = reinterpret_cast<HWND>(SendMessageA(recordList, LVM_GETHEADER, 0, 0));
  if (header == nullptr) return 0;
  return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

void ClearRecordList() {
  // The widths the user dragged are kept, when the columns are there to
  // tell them.
  const int columns = RecordListColumnCount();
  if (columns >= 3) {
    uint32_t widths[3] = {};
    for (int i = 0; i < 3; ++i) {
      const LRESULT width = SendMessageA(recordList, LVM_GETCOLUMNWIDTH, i, 0);
      if (width > 0) widths[i] = static_cast<uint32_t>(Unscale(recordList, static_cast<int>(width)));
    }
    KeepColumnWidths(widths[0], widths[1], widths[2]);
  }
  HoldRedraw();
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  // From the last: each deletion of the first column moves all the others.
  for (int i = columns - 1; i >= 0; --i) SendMessageA(recordList, LVM_DELETECOLUMN, i, 0);
  RedrawOnce();
}

int32_t FocusedRecordSlot() {
  const LRESULT row = SendMessageA(recordList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
  if (row == -1) return -1;
  // Under Wine an owner-data list may focus a row of its own accord when it
  // takes the focus; a row the user chose (a click, the keys) is selected too.
  if ((SendMessageA(recordList, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) == 0)
    return -1;
  return SlotOfRow(static_cast<int>(row));
}

void RescaleRecordListColumns(int fromDpi, int toDpi) {
  if (fromDpi <= 0 || fromDpi == toDpi) return;
  const int columns = RecordListColumnCount();
  for (int i = 0; i < columns; ++i) {
    const LRESULT width = SendMessageA(recordList, LVM_GETCOLUMNWIDTH, i, 0);
    if (width > 0)
      SendMessageA(recordList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(MulDiv(static_cast<int>(width), toDpi, fromDpi), 0));
  }
}
