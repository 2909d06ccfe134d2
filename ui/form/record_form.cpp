#include "ui/form/record_form.h"

HWND recordForm;
int32_t currentSlot;
int32_t currentRecordNumber = -1;
RECT formScrollRect;

void ShowRecordForm() {
  // The form is not built yet: the record stays only in currentSlot.
}

LRESULT CALLBACK RecordFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
