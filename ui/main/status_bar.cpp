#include "ui/main/status_bar.h"

#include <commctrl.h>

#include "core/record_filter.h"
#include "store/database_file.h"
#include "store/text.h"
#include "ui/form/record_form.h"

HWND statusBar;

void CreateStatusBar(HWND parent, const char* text) {
  statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, text, parent, kStatusBarId);
}

void ForgetStatusBar() { statusBar = nullptr; }

void ShowStatusText(const char* text) {
  SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  UpdateWindow(statusBar);
}

void UpdateStatusBar() {
  const bool formOpen = recordForm != nullptr;
  const int32_t recordNumber = currentRecordNumber;
  char text[64];
  if (databaseFile.view == nullptr) {
    CopyText("No File!", text, sizeof text);
  } else if (databaseFile.activeCount == 0) {
    CopyText("No Records!", text, sizeof text);
  } else {
    char count[12];
    NumberToSignedText(databaseFile.activeCount, count, sizeof count);
    if (!formOpen && recordFilter.On()) {
      // "12 of 3400 Records shown"
      NumberToSignedText(recordFilter.RowCount(), text, sizeof text);
      AppendText(text, sizeof text, " of ");
      AppendText(text, sizeof text, count);
      AppendText(text, sizeof text, " Records shown");
    } else if (!formOpen) {
      CopyText(count, text, sizeof text);
      AppendText(text, sizeof text, " Records in DB");
    } else {
      char number[12];
      NumberToSignedText(static_cast<uint32_t>(recordNumber), number, sizeof number);
      CopyText("Record ", text, sizeof text);
      AppendText(text, sizeof text, number);
      AppendText(text, sizeof text, " of ");
      AppendText(text, sizeof text, count);
    }
  }
  SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}
