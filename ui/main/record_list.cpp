// The record list's rows and columns.
#include "ui/main/record_list.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "core/settings.h"
#include "core/templates/template_labels.h"
#include "store/database_file.h"
#include "store/text.h"

HWND recordList;

namespace {

void SetCell(int row, int column, char* text) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = text;
  SendMessageA(recordList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void CreateRecordList(HWND parent) {
  recordList = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SHAREIMAGELISTS,
                               0, 0, 0, 0, parent, reinterpret_cast<HMENU>(kRecordListId),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(recordList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
}

void ForgetRecordList() { recordList = nullptr; }

int32_t FieldText(int32_t slot, uint32_t field) {
  DatabaseFile& db = databaseFile;
  const int32_t code = db.ReadField(slot, field);
  if (code < 0) {
    db.textValue[0] = 0;
    return -1;
  }
  if (IsNumberType(static_cast<uint32_t>(code)))
    NumberToUnsignedText(db.numberValue, db.textValue, sizeof db.textValue);
  return code;
}

void RebuildRecordList() {
  DatabaseFile& db = databaseFile;
  if (recordList == nullptr) return;
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  if (db.view == nullptr) return;
  int32_t slot = db.FindRecStat(kRecActive, 0);
  if (slot < 0) return;

  // The rows go in unseen, into room made for all of them at once.
  SendMessageA(recordList, WM_SETREDRAW, FALSE, 0);
  SendMessageA(recordList, LVM_SETITEMCOUNT, db.activeCount, LVSICF_NOINVALIDATEALL);
  char number[12];
  for (int32_t row = 0;; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    NumberToSignedText(static_cast<uint32_t>(slot), number, sizeof number);
    item.pszText = number;
    const int inserted = static_cast<int>(SendMessageA(recordList, LVM_INSERTITEMA, 0,
                                                       reinterpret_cast<LPARAM>(&item)));
    if (inserted < 0) break;
    NumberToSignedText(static_cast<uint32_t>(row + 1), number, sizeof number);
    SetCell(inserted, 1, number);
    NumberToSignedText(static_cast<uint32_t>(db.GetRecStat(slot)), number, sizeof number);
    SetCell(inserted, 2, number);
    for (uint32_t field = 1; field <= db.fieldCount; ++field) {
      FieldText(slot, field);
      // A cell never set shows empty already.
      if (db.textValue[0] != 0) SetCell(inserted, static_cast<int>(field) + 2, db.textValue);
    }
    const int32_t next = db.NextActive(slot);
    if (next == slot) break;
    slot = next;
  }
  SendMessageA(recordList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(recordList, nullptr, TRUE);
}

int LoadStyleColumns(uint32_t fieldCount) {
  std::vector<ListColumn> columns;
  if (!ReadListColumns(fieldCount, &columns)) return 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = static_cast<int>(columns[i].width);
    column.pszText = columns[i].label;
    SendMessageA(recordList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  return 1;
}

int RecordListColumnCount() {
  HWND header = reinterpret_cast<HWND>(SendMessageA(recordList, LVM_GETHEADER, 0, 0));
  if (header == nullptr) return 0;
  return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

void ClearRecordList() {
  // The widths the user dragged are kept, when the columns are there to
  // tell them (a database without records has none).
  const int columns = RecordListColumnCount();
  if (columns >= 3) {
    uint32_t widths[3] = {};
    for (int i = 0; i < 3; ++i) {
      const LRESULT width = SendMessageA(recordList, LVM_GETCOLUMNWIDTH, i, 0);
      if (width > 0) widths[i] = static_cast<uint32_t>(width);
    }
    KeepColumnWidths(widths[0], widths[1], widths[2]);
  }
  // The rows go first: each column removed would otherwise visit every row.
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  for (int i = columns - 1; i >= 0; --i) SendMessageA(recordList, LVM_DELETECOLUMN, i, 0);
}

int32_t FocusedRecordSlot() {
  const LRESULT row = SendMessageA(recordList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
  if (row == -1) return -1;
  char text[32] = "";
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(recordList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return static_cast<int32_t>(TextToNumber(text));
}
