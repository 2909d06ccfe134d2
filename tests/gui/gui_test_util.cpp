#include "tests/gui/gui_test_util.h"

#include <algorithm>

namespace guitest {

namespace {
// The innermost answerer of this thread; answerers nest like scopes.
thread_local DialogAnswerer* currentAnswerer = nullptr;
}  // namespace

DialogAnswerer::DialogAnswerer(const char* caption, Handler handler)
    : caption_(caption), handler_(std::move(handler)) {
  previous_ = currentAnswerer;
  currentAnswerer = this;
  hook_ = SetWindowsHookExA(WH_CBT, HookProc, nullptr, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer() {
  if (hook_) UnhookWindowsHookEx(hook_);
  currentAnswerer = previous_;
}

LRESULT CALLBACK DialogAnswerer::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  DialogAnswerer* self = currentAnswerer;
  if (self && code == HCBT_ACTIVATE) {
    HWND window = (HWND)wParam;
    if (ClassOf(window) == "#32770" &&
        std::find(self->seen_.begin(), self->seen_.end(), window) == self->seen_.end()) {
      self->seen_.push_back(window);
      if (WindowText(window) == self->caption_) {
        self->answered_++;
        self->handler_(window);
      } else {
        self->others_++;
      }
    }
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

void PostCommand(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void PostKey(HWND window, UINT virtualKey) {
  UINT scan = MapVirtualKeyA(virtualKey, 0);
  PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

std::string WindowText(HWND window) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool ItemShown(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ItemFont(HWND dialog, int id, LOGFONTA* font) {
  HFONT handle = (HFONT)SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0);
  return handle && GetObjectA(handle, sizeof *font, font) == sizeof *font;
}

bool IsTopmost(HWND window) {
  return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

SIZE TextExtent(HWND control) {
  std::string text = WindowText(control);
  SIZE size = {0, 0};
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
  GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), (POINT*)&rect, 2);
  return rect;
}

RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height) {
  // Position and size are converted each on its own, as the dialog manager
  // does when it creates the controls.
  RECT rect = {x, y, width, height};
  MapDialogRect(dialog, &rect);
  rect.right += rect.left;
  rect.bottom += rect.top;
  return rect;
}

namespace {
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto proc = (WNDPROC)GetWindowLongPtrA(window, GWLP_USERDATA);
  if (proc) return proc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

HWND CreateTestWindow(const char* title, WNDPROC wndProc) {
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "VeldranaTestWindow";
    atom = RegisterClassA(&windowClass);
  }
  HWND window = CreateWindowExA(0, "VeldranaTestWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  if (window && wndProc) SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)wndProc);
  return window;
}

void PumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    PumpMessages(10);
  }
  return true;
}

namespace {
struct DialogSearch {
  const char* caption;
  HWND found;
};
BOOL CALLBACK CheckTopWindow(HWND window, LPARAM parameter) {
  auto* search = (DialogSearch*)parameter;
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && thread != GetCurrentThreadId() &&
      ClassOf(window) == "#32770" && IsWindowVisible(window) &&
      WindowText(window) == search->caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindOtherThreadDialog(const char* caption) {
  DialogSearch search = {caption, nullptr};
  EnumWindows(CheckTopWindow, (LPARAM)&search);
  return search.found;
}

}  // namespace guitest
