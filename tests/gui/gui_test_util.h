// Helpers for GUI tests under Wine, in the manner of Wine's conformance
// tests: real windows, real messages, modal dialogs answered from a WH_CBT
// hook when they activate, and what the user sees read back from the controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace guitest {

// Answers modal dialogs shown on the calling thread. While it lives, a WH_CBT
// hook on this thread watches for dialogs (class "#32770") being activated;
// for each new one whose caption is `caption`, it calls the handler once with
// the dialog's window, after WM_INITDIALOG and before the dialog's own loop
// runs. The handler checks what it needs and answers by posting: PostCommand,
// PostKey. Dialogs with another caption are counted in others().
class DialogAnswerer {
 public:
  using Handler = std::function<void(HWND dialog)>;
  DialogAnswerer(const char* caption, Handler handler);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  int answered() const { return answered_; }  // dialogs the handler ran for
  int others() const { return others_; }      // other dialogs that activated

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  std::string caption_;
  Handler handler_;
  HHOOK hook_ = nullptr;
  std::vector<HWND> seen_;
  int answered_ = 0;
  int others_ = 0;
  DialogAnswerer* previous_ = nullptr;
};

// Presses a button the way a click does: WM_COMMAND with BN_CLICKED, posted.
void PostCommand(HWND dialog, int id);
// A key press and release posted to a window (the dialog's loop passes it
// through IsDialogMessage, so Escape and Enter act as they do for the user).
void PostKey(HWND window, UINT virtualKey);

// What a control shows.
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
std::string ClassOf(HWND window);
// WS_VISIBLE of the control itself (the dialog may not be shown yet).
bool ItemShown(HWND dialog, int id);
// The font a control draws with (WM_GETFONT), read back with GetObjectA;
// returns false if the control has no font or the font is gone.
bool ItemFont(HWND dialog, int id, LOGFONTA* font);
bool IsTopmost(HWND window);
// The size of a control's own text drawn in its own font.
SIZE TextExtent(HWND control);
// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// A rectangle in dialog units converted to the dialog's pixels.
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height);

// An ordinary visible top-level window to own prompts; wndProc, if given,
// gets its messages instead of DefWindowProcA.
HWND CreateTestWindow(const char* title, WNDPROC wndProc = nullptr);

// Runs the thread's message loop for the given time.
void PumpMessages(DWORD milliseconds);
// Pumps messages until done() is true or the timeout passes; returns done().
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// A visible dialog with this caption that belongs to another thread, or null.
HWND FindOtherThreadDialog(const char* caption);

}  // namespace guitest
