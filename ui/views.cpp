#include "ui/views.h"

#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"

void RefreshViews() {
  RebuildRecordList();
  RefreshRecordForm();
}

void ShowNoDatabase() {
  SetFileItemsEnabled(false);
  RepaintBand();
  UpdateStatusBar();
}
