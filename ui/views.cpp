#include "ui/views.h"

#include "core/history.h"
#include "core/record_filter.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/main/status_bar.h"

void RefreshViews(const ViewUpdate& update) {
  DatabaseFile& db = databaseFile;
  if (update.show >= 0) {
    ShowRecord(update.show);
  } else {
    SelectRecord(update.follow ? history.FollowLastStep(currentSlot) : currentSlot);
    if (currentRecordNumber < 0) CloseRecordForm();
  }
  if (update.caption) {
    db.ReadLongName();
    SetWindowTextA(mainWindow, db.textValue);
  }
  if (update.refilter) recordFilter.Apply(db, update.touched);
  else recordFilter.Follow(db, history, update.touched);
  RebuildRecordList(update.touched, update.select);
  RefreshRecordForm();
  UpdateMenuItems();
}

void ShowFilter() {
  RebuildRecordList();
  RepaintBand();
  UpdateStatusBar();
  UpdateMenuItems();
}

void ShowDatabase(const char* caption) {
  DatabaseFile& db = databaseFile;
  recordFilter.Clear();
  SetFileItemsEnabled(DatabaseOpen());
  if (DatabaseOpen()) {
    const int32_t first = db.SlotOfRecordNumber(1);
    SelectRecord(first >= 0 ? first : 0);
    if (caption == nullptr) {
      db.ReadLongName();
      caption = db.textValue[0] != 0 ? db.textValue : kMainCaption;
    }
    SetWindowTextA(mainWindow, caption);
    // The columns are there from the start, also for a database without
    // records: the first record added is shown under them.
    if (RecordListColumnCount() == 0) LoadStyleColumns(db.fieldCount);
  }
  RebuildRecordList();
  RepaintBand();
  UpdateStatusBar();
  UpdateMenuItems();
}

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
