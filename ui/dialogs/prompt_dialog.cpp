// The prompt dialog and the search navigator (see prompt_dialog.h).
//
// Each open prompt keeps what it shows in a PromptState of its own: the
// request is copied into it before the dialog starts, so the dialog procedure
// never reads the shared request, and the fonts live and die with the window.

#include "store/text.h"

#include "ui/dialogs/prompt_dialog.h"

#include <cstring>
#include <mutex>
#include <string>

#include "resources/resource.h"
#include "ui/dpi.h"

uint32_t promptMode = 0;
const char* promptCaption = nullptr;
const char* promptMessage = nullptr;
char* promptText = nullptr;
size_t promptInputLimit = 0;
uintptr_t promptResult = 0;
std::atomic<uint32_t> promptOpen{0};
namespace {
// The prompts open now that wait for an answer (navigators do not).
uint32_t questionsOpen = 0;
}  // namespace

namespace {

// Heights at 96 DPI, scaled to the prompt's.
constexpr int kCaptionFontHeight = 20;
constexpr int kSmallCaptionFontHeight = 16;
// The icon controls, in template order.
constexpr int kPromptIcons[] = {IDI_PROGRAM, IDI_DISCS};

struct PromptState {
  uint32_t mode = 0;  // reduced to below kPromptSmallCaption
  bool smallCaption = false;
  bool hasCaption = false, hasMessage = false, hasSecondLine = false;
  char caption[kPromptTextSize] = {};
  char message[kPromptTextSize] = {};
  char secondLine[kPromptTextSize] = {};
  char* buffer = nullptr;  // input modes: the caller's buffer
  size_t inputLimit = kPromptTextSize - 1;  // it holds inputLimit + 1 bytes at least
  HWND target = nullptr;   // navigator: where the requests go
  HFONT captionFont = nullptr;
  HFONT smallCaptionFont = nullptr;
};

std::mutex statusMutex;
char statusText[kPromptTextSize];

bool IsInputMode(uint32_t mode) { return mode == kPromptFieldInput || mode == kPromptInput; }

// Copies an optional text; returns whether there was one.
bool TakeText(const char* text, char* destination) {
  if (!text) return false;
  CopyText(text, destination, kPromptTextSize);
  return true;
}

void FillState(uint32_t mode, const char* caption, const char* message, const char* secondLine,
               PromptState* state) {
  state->smallCaption = mode >= kPromptSmallCaption;
  state->mode = state->smallCaption ? mode - kPromptSmallCaption : mode;
  state->hasCaption = TakeText(caption, state->caption);
  state->hasMessage = TakeText(message, state->message);
  state->hasSecondLine = !IsInputMode(state->mode) && TakeText(secondLine, state->secondLine);
}

HFONT MakeCaptionFont(int height) {
  return CreateFontA(height, 0, 0, 0, 50, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                     "Arial");
}

void ShowLine(HWND dialog, int id, bool show, const char* text) {
  HWND line = GetDlgItem(dialog, id);
  SetWindowTextA(line, show ? text : "");
  ShowWindow(line, show ? SW_SHOWNA : SW_HIDE);
}

// Whether a line's text is wider than the line.
bool Overflows(HWND dialog, int id, const char* text) {
  HWND line = GetDlgItem(dialog, id);
  RECT rect;
  GetClientRect(line, &rect);
  HDC dc = GetDC(line);
  HGDIOBJ font = (HGDIOBJ)SendMessageA(line, WM_GETFONT, 0, 0);
  HGDIOBJ before = font ? SelectObject(dc, font) : nullptr;
  SIZE size = {};
  GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
  if (before) SelectObject(dc, before);
  ReleaseDC(line, dc);
  return size.cx > rect.right - rect.left;
}

// A message or second line too long for its line (a file's path) shows
// whole in the text box instead, wrapped, with the other one.
void ShowLongLines(HWND dialog, const PromptState* state) {
  if (!(state->hasMessage && Overflows(dialog, IDC_PROMPT_LINE2, state->message)) &&
      !(state->hasSecondLine && Overflows(dialog, IDC_PROMPT_LINE3, state->secondLine)))
    return;
  std::string text = state->hasMessage ? state->message : "";
  if (state->hasSecondLine) text += (text.empty() ? "" : "\r\n") + std::string(state->secondLine);
  ShowLine(dialog, IDC_PROMPT_LINE2, false, "");
  ShowLine(dialog, IDC_PROMPT_LINE3, false, "");
  HWND box = GetDlgItem(dialog, IDC_PROMPT_BOX);
  SetWindowTextA(box, text.c_str());
  ShowWindow(box, SW_SHOWNA);
}

void SetButton(HWND dialog, int id, const char* caption) {
  HWND button = GetDlgItem(dialog, id);
  if (caption) SetWindowTextA(button, caption);
  ShowWindow(button, caption ? SW_SHOWNA : SW_HIDE);
}

void SetupButtons(HWND dialog, uint32_t mode) {
  const char* third = nullptr;
  const char* ok = "OK";
  const char* cancel = nullptr;
  switch (mode) {
    case kPromptConfirm:
    case kPromptFieldInput:
    case kPromptInput:
      cancel = "Cancel";
      break;
    case kPromptSave:
      third = "Discard";
      ok = "Save";
      cancel = "Cancel";
      break;
    case kPromptQuestion:
      third = "No";
      ok = "Yes";
      cancel = "Cancel";
      break;
    case kPromptNavigator:
      third = "Previous";
      ok = "Next";
      cancel = "Close";
      break;
    default:
      break;
  }
  SetButton(dialog, IDC_PROMPT_THIRD, third);
  SetButton(dialog, IDOK, ok);
  SetButton(dialog, IDCANCEL, cancel);
}

void ApplyFonts(HWND dialog, PromptState* state) {
  state->captionFont = MakeCaptionFont(Scale(dialog, kCaptionFontHeight));
  state->smallCaptionFont = MakeCaptionFont(Scale(dialog, kSmallCaptionFontHeight));
  for (int id : {IDOK, IDCANCEL, IDC_PROMPT_THIRD})
    SendDlgItemMessageA(dialog, id, WM_SETFONT, (WPARAM)state->captionFont, FALSE);
  HFONT lineFont = state->smallCaption ? state->smallCaptionFont : state->captionFont;
  SendDlgItemMessageA(dialog, IDC_PROMPT_LINE1, WM_SETFONT, (WPARAM)lineFont, FALSE);
}

BOOL InitPrompt(HWND dialog, PromptState* state) {
  promptOpen.fetch_add(1);
  if (state->mode != kPromptNavigator) ++questionsOpen;
  SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)state);
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  bool input = IsInputMode(state->mode);
  bool navigator = state->mode == kPromptNavigator;
  // The navigator's first line is its status, empty until the first request.
  ShowLine(dialog, IDC_PROMPT_LINE1, !navigator && state->hasCaption, state->caption);
  ShowLine(dialog, IDC_PROMPT_LINE2, !navigator && state->hasMessage, state->message);
  ShowLine(dialog, IDC_PROMPT_LINE3, navigator ? state->hasMessage : state->hasSecondLine,
           navigator ? state->message : state->secondLine);
  ShowLine(dialog, IDC_PROMPT_LINE4, false, "");
  SetupButtons(dialog, state->mode);
  ApplyFonts(dialog, state);
  ShowDialogIcons(dialog, kPromptIcons, sizeof kPromptIcons / sizeof kPromptIcons[0]);

  HWND edit = GetDlgItem(dialog, IDC_PROMPT_EDIT);
  if (input) {
    // The caller's buffer may lack a terminator; take at most what the line
    // takes.
    std::string start;
    if (state->buffer) start.assign(state->buffer, strnlen(state->buffer, state->inputLimit));
    SetWindowTextA(edit, start.c_str());
    SendMessageA(edit, EM_LIMITTEXT, state->inputLimit, 0);
    ShowWindow(edit, SW_SHOWNA);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
  } else {
    if (!navigator) ShowLongLines(dialog, state);
    SetFocus(GetDlgItem(dialog, IDOK));
  }
  return FALSE;  // the focus is set
}

// Next or previous in the navigator: hand the request to the target, wait
// until it has been handled, show its status. The dialog stays open.
void NavigatorRequest(HWND dialog, PromptState* state, UINT message) {
  SendMessageA(state->target, message, 0, 0);
  char status[kPromptTextSize];
  CopyPromptStatus(status, sizeof status);
  ShowLine(dialog, IDC_PROMPT_LINE1, true, status);
}

// On a monitor of another scale the dialog manager scales the template's
// controls; the caption fonts and the icons are the prompt's own.
void FitPromptToDpi(HWND dialog, PromptState* state, int dpi) {
  NoteWindowDpi(dialog, dpi);
  HFONT oldCaption = state->captionFont, oldSmall = state->smallCaptionFont;
  ApplyFonts(dialog, state);
  DeleteObject(oldCaption);
  DeleteObject(oldSmall);
  ShowDialogIcons(dialog, kPromptIcons, sizeof kPromptIcons / sizeof kPromptIcons[0]);
}

void EndPrompt(HWND dialog, PromptState* state, uintptr_t answer) {
  if (IsInputMode(state->mode) && state->buffer)
    GetDlgItemTextA(dialog, IDC_PROMPT_EDIT, state->buffer, (int)(state->inputLimit + 1));
  EndDialog(dialog, (INT_PTR)answer);
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = (PromptState*)GetWindowLongPtrA(dialog, DWLP_USER);
  switch (message) {
    case WM_INITDIALOG:
      return InitPrompt(dialog, (PromptState*)lParam);
    case WM_COMMAND: {
      if (!state) return FALSE;
      int id = LOWORD(wParam);
      if (state->mode == kPromptNavigator && (id == IDOK || id == IDC_PROMPT_THIRD)) {
        NavigatorRequest(dialog, state, id == IDOK ? kSearchNextMessage : kSearchPreviousMessage);
        return TRUE;
      }
      if (id == IDOK) EndPrompt(dialog, state, kPromptOk);
      else if (id == IDCANCEL) EndPrompt(dialog, state, kPromptCancel);
      else if (id == IDC_PROMPT_THIRD) EndPrompt(dialog, state, kPromptDontSave);
      return TRUE;
    }
    case WM_CLOSE:  // Alt+F4: the same as Escape
      if (state) EndPrompt(dialog, state, kPromptCancel);
      return TRUE;
    case WM_DPICHANGED:
      if (state) FitPromptToDpi(dialog, state, LOWORD(wParam));
      return FALSE;  // the dialog manager goes on with its own scaling
    case WM_DESTROY:
      // Every way out passes here, also a dialog destroyed with its owner.
      ForgetWindowDpi(dialog);
      if (state) {
        DeleteObject(state->captionFont);
        DeleteObject(state->smallCaptionFont);
        state->captionFont = state->smallCaptionFont = nullptr;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        promptOpen.fetch_sub(1);
        if (state->mode != kPromptNavigator) --questionsOpen;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR RunPrompt(HWND owner, PromptState* state) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROMPT), owner,
                         PromptProc, (LPARAM)state);
}

DWORD WINAPI NavigatorThread(void* parameter) {
  auto* state = (PromptState*)parameter;
  RunPrompt(nullptr, state);
  delete state;
  return 0;
}

void ResetRequest() {
  promptMode = 0;
  promptCaption = nullptr;
  promptMessage = nullptr;
  promptText = nullptr;
  promptInputLimit = 0;
}

}  // namespace

uintptr_t ShowPrompt(HWND owner) {
  PromptState state;
  FillState(promptMode, promptCaption, promptMessage, promptText, &state);
  if (IsInputMode(state.mode)) {
    state.buffer = promptText;
    if (promptInputLimit > 0) state.inputLimit = promptInputLimit;
  }
  if (state.mode == kPromptNavigator) state.target = (HWND)promptResult;
  // Until the user answers, the answer is Cancel: a prompt that cannot be
  // shown must not leave the previous prompt's OK behind.
  promptResult = kPromptCancel;
  INT_PTR answer = RunPrompt(owner, &state);
  if (answer == (INT_PTR)kPromptOk || answer == (INT_PTR)kPromptCancel ||
      answer == (INT_PTR)kPromptDontSave)
    promptResult = (uintptr_t)answer;
  ResetRequest();
  return promptResult;
}

bool StartSearchNavigator(HWND target, const char* message) {
  auto* state = new PromptState;
  FillState(kPromptNavigator, nullptr, message, nullptr, state);
  state->target = target;
  SetPromptStatus(nullptr);
  HANDLE thread = CreateThread(nullptr, 0, NavigatorThread, state, 0, nullptr);
  if (!thread) {
    delete state;
    return false;
  }
  CloseHandle(thread);
  return true;
}

void SetPromptStatus(const char* text) {
  std::lock_guard<std::mutex> lock(statusMutex);
  CopyText(text ? text : "", statusText, sizeof statusText);
}

void CopyPromptStatus(char* destination, size_t destinationSize) {
  std::lock_guard<std::mutex> lock(statusMutex);
  CopyText(statusText, destination, destinationSize);
}

uintptr_t ShowMessage(HWND owner, const char* message, const char* secondLine) {
  promptMode = kPromptMessage;
  promptMessage = message;
  promptText = const_cast<char*>(secondLine);  // shown only, never written in this mode
  return ShowPrompt(owner);
}

uintptr_t ShowConfirmation(HWND owner, const char* message, const char* secondLine) {
  promptMode = kPromptConfirm;
  promptMessage = message;
  promptText = const_cast<char*>(secondLine);  // shown only, never written in this mode
  return ShowPrompt(owner);
}

uintptr_t ShowInput(HWND owner, uint32_t mode, const char* caption, char* buffer, size_t maxLength) {
  promptMode = mode;
  promptCaption = caption;
  promptText = buffer;
  promptInputLimit = maxLength;
  return ShowPrompt(owner);
}

uintptr_t ShowSaveQuestion(HWND owner, const char* message, const char* secondLine) {
  promptMode = kPromptSave;
  promptMessage = message;
  promptText = const_cast<char*>(secondLine);  // shown only, never written in this mode
  return ShowPrompt(owner);
}

uintptr_t ShowQuestion(HWND owner, const char* message, const char* secondLine) {
  promptMode = kPromptQuestion;
  promptMessage = message;
  promptText = const_cast<char*>(secondLine);  // shown only, never written in this mode
  return ShowPrompt(owner);
}

bool QuestionOpen() { return questionsOpen > 0; }

void NotePromptOpened() { promptOpen.fetch_add(1); }

void NotePromptClosed() { promptOpen.fetch_sub(1); }

void NotePromptAnswer(uintptr_t answer) { promptResult = answer; }
