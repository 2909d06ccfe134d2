// Shows the program's pictures and prompts so that they can be looked at and
// photographed; not a test. Run under Wine with a virtual desktop:
//   gui_showcase.exe images                 the 14 toolbar bitmaps, enlarged and
//                                           on two real toolbars, enabled and
//                                           disabled, and the icons
//   gui_showcase.exe prompt KIND            one prompt: message, confirm, input,
//                                           field, save or navigator
// It ends by itself after 60 seconds, or after the seconds given last:
//   gui_showcase.exe prompt save 8
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "resources/resource.h"
#include "ui/dialogs/prompt_dialog.h"

namespace {

constexpr int kScale = 4;

LRESULT CALLBACK ImagesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HDC memory = CreateCompatibleDC(dc);
      HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
      HGDIOBJ oldFont = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      for (int n = 0; n < TOOLBAR_IMAGE_COUNT; n++) {
        HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TOOLBAR_FIRST + n));
        HGDIOBJ old = SelectObject(memory, bitmap);
        int x = 10 + (n % 7) * (16 * kScale + 16);
        int y = 60 + (n / 7) * (16 * kScale + 30);
        StretchBlt(dc, x, y, 16 * kScale, 16 * kScale, memory, 0, 0, 16, 16, SRCCOPY);
        char label[8];
        wsprintfA(label, "%d", IDB_TOOLBAR_FIRST + n);
        TextOutA(dc, x + 20, y + 16 * kScale + 2, label, lstrlenA(label));
        SelectObject(memory, old);
        DeleteObject(bitmap);
      }
      const int icons[3] = {IDI_PROGRAM, IDI_DISCS, IDI_DOCUMENT};
      for (int n = 0; n < 3; n++) {
        for (int size : {16, 32}) {
          HICON icon = (HICON)LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icons[n]),
                                         IMAGE_ICON, size, size, 0);
          int x = 10 + n * 130 + (size == 16 ? 0 : 30);
          DrawIconEx(dc, x, 260, icon, size, size, 0, nullptr, DI_NORMAL);
          DrawIconEx(dc, x, 300, icon, size * 2, size * 2, 0, nullptr, DI_NORMAL);
          DestroyIcon(icon);
        }
        char label[8];
        wsprintfA(label, "%d", icons[n]);
        TextOutA(dc, 10 + n * 130, 370, label, lstrlenA(label));
      }
      SelectObject(dc, oldFont);
      DeleteObject(font);
      DeleteDC(memory);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ShowImages() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ImagesProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  windowClass.lpszClassName = "VeldranaImages";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "VeldranaImages", "Veldrana images", WS_OVERLAPPEDWINDOW,
                                10, 10, 600, 440, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  // Toolbars made the way the program makes its own, every image once: the
  // first with its buttons enabled, the second below it with them disabled.
  for (int row = 0; row < 2; row++) {
    const BYTE state = row == 0 ? TBSTATE_ENABLED : 0;
    const DWORD place = row == 0 ? 0 : CCS_NOPARENTALIGN | CCS_NORESIZE;
    TBBUTTON first = {0, 100, state, BTNS_BUTTON, {}, 0, 0};
    HWND toolbar = CreateToolbarEx(window, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | place,
                                   1 + row, 1, GetModuleHandleA(nullptr), IDB_TOOLBAR_FIRST, &first, 1,
                                   16, 16, 16, 16, sizeof(TBBUTTON));
    for (int n = 1; n < TOOLBAR_IMAGE_COUNT; n++) {
      TBADDBITMAP bitmap = {GetModuleHandleA(nullptr), (UINT_PTR)(IDB_TOOLBAR_FIRST + n)};
      int image = (int)SendMessageA(toolbar, TB_ADDBITMAP, 1, (LPARAM)&bitmap);
      TBBUTTON button = {image, 100 + n, state, BTNS_BUTTON, {}, 0, 0};
      SendMessageA(toolbar, TB_ADDBUTTONS, 1, (LPARAM)&button);
    }
    if (row == 1) MoveWindow(toolbar, 0, 28, 580, 26, TRUE);
  }
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void ShowOnePrompt(const char* kind) {
  static char buffer[kPromptTextSize];
  if (!strcmp(kind, "message")) {
    ShowMessage(nullptr, "Not a Veldrana file");
  } else if (!strcmp(kind, "confirm")) {
    ShowConfirmation(nullptr, "Confirm?");
  } else if (!strcmp(kind, "input")) {
    strcpy(buffer, "Addresses 2026");
    ShowInput(nullptr, kPromptInput, "Database Name", buffer);
  } else if (!strcmp(kind, "field")) {
    strcpy(buffer, "4294967295");
    ShowInput(nullptr, kPromptFieldInput + kPromptSmallCaption, "Number (0 - 4294967295)", buffer);
  } else if (!strcmp(kind, "save")) {
    ShowSaveQuestion(nullptr, "This Veldrana has been changed.", "Save Current File Now?");
  } else if (!strcmp(kind, "navigator")) {
    SetPromptStatus("No Match Found");
    promptMode = kPromptNavigator;
    promptMessage = "apple";
    promptResult = 0;
    ShowPrompt(nullptr);
  }
}

void CALLBACK EndAfterTimeout(HWND, UINT, UINT_PTR, DWORD) { ExitProcess(0); }

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
  int seconds = argc >= 3 ? atoi(argv[argc - 1]) : 0;
  SetTimer(nullptr, 0, (seconds > 0 ? seconds : 60) * 1000, EndAfterTimeout);
  if (argc >= 2 && !strcmp(argv[1], "images")) {
    ShowImages();
  } else if (argc >= 3 && !strcmp(argv[1], "prompt")) {
    ShowOnePrompt(argv[2]);
  } else {
    return 2;
  }
  return 0;
}
