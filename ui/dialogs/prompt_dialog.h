// The prompt dialog: every message, confirmation, save question and one-line
// input of the program, and the search navigator of the record form. The
// program shows no message box of the system; it shows these.
//
// A prompt is described in one shared request (the globals below), shown
// modally over an owner window with ShowPrompt, and answered in promptResult:
//
//     promptMode = kPromptConfirm;
//     promptMessage = "Confirm?";
//     ShowPrompt(mainWindow);
//     if (promptResult == 1) ...
//
// Set only the texts the mode uses; every prompt ends by resetting the
// request (mode 0, every text none), so nothing carries over to the next one.
// The Show... helpers at the end do the setting for the common cases.
//
// Threads. Prompts are shown on the user-interface thread; the request
// globals and promptResult belong to it. The search navigator runs on a
// thread of its own (StartSearchNavigator) and shares none of them: it gets
// its own copy of the target window and of its texts when it starts, it hands
// the user's next/previous requests to the target as posted messages, and it
// reads the status text back through SetPromptStatus's locked holder. So a
// prompt on the user-interface thread can open and end while a navigator is
// open without touching the navigator's texts, and no text is read after it
// is freed.
//
// The record form drives a navigator like this:
//
//     Search:  StartSearchNavigator(recordForm, what it searched for);
//     on kSearchNextMessage / kSearchPreviousMessage (on the form's thread):
//              SetPromptStatus(nullptr);
//              slot = SearchNext / SearchPrevious from currentSlot;
//              if (slot == -1) SetPromptStatus("No Match Found");
//              else { currentSlot = slot; ShowRecordForm(); }
//
// Every prompt window, the navigator included, is resource IDD_PROMPT: a
// topmost window centred on the screen, caption "Veldrana 1.0". Lines and
// buttons by mode:
//
//   mode  line 1    line 2    line 3       edit   buttons (third, OK, Cancel)
//   0     caption   message   second line  -      -, "OK", -
//   1     caption   message   second line  -      -, "OK", "Cancel"
//   4, 7  caption   message   -            text   -, "OK", "Cancel"
//   5     caption   message   second line  -      "Discard", "Save", "Cancel"
//   6     caption   message   second line  -      "No", "Yes", "Cancel"
//   8     status    -         message      -      "Previous", "Next", "Close"
//
// A line shows only when its text is given; lines without text are hidden, so
// that the overlapping lines never paint over each other. A message or second
// line wider than its line (a long file path) shows whole instead, with the
// other, wrapped in the multi-line box. Line 1, in the
// large caption font, overlaps line 2, so a prompt gives a caption or a
// message, not both: messages and questions use the message (and the second
// line), inputs the caption. Mode + 10 shows the caption line in the small
// caption font. Other modes behave as mode 0.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

// Prompt modes.
constexpr uint32_t kPromptMessage = 0;       // OK gives 1
constexpr uint32_t kPromptConfirm = 1;       // OK 1, Cancel 2
constexpr uint32_t kPromptFieldInput = 4;    // input; the record form uses it + 10
constexpr uint32_t kPromptSave = 5;          // Save 1, Cancel 2, Discard 3
constexpr uint32_t kPromptQuestion = 6;      // Yes 1, Cancel 2, No 3
constexpr uint32_t kPromptInput = 7;         // input: OK 1, Cancel 2
constexpr uint32_t kPromptNavigator = 8;     // the search navigator
constexpr uint32_t kPromptSmallCaption = 10; // added to a mode

// Answers in promptResult.
constexpr uintptr_t kPromptOk = 1;       // OK, Save, yes
constexpr uintptr_t kPromptCancel = 2;   // Cancel, Escape, and a prompt that could not be shown
constexpr uintptr_t kPromptDontSave = 3; // the save question's third answer
constexpr uintptr_t kPromptNo = 3;       // the question's third answer

// The size of an input buffer: the typed text comes back as at most
// kPromptTextSize - 1 characters and a terminating zero, unless the line is
// given a longer limit (promptInputLimit) and the buffer that many bytes
// and one more.
constexpr size_t kPromptTextSize = 600;

// Messages the search navigator posts to its target window, wParam and
// lParam 0: search forward from the record shown, search backward.
constexpr UINT kSearchNextMessage = WM_USER + 9;
constexpr UINT kSearchPreviousMessage = WM_USER + 16;

// The shared request. User-interface thread only.
extern uint32_t promptMode;          // a kPrompt... mode, + kPromptSmallCaption for the small caption font
extern const char* promptCaption;    // line 1: an input's prompt, or a question's first line
extern const char* promptMessage;    // line 2: the message
extern char* promptText;             // line 3 (a question's second line); in the input
                                     // modes the caller's kPromptTextSize buffer: its text
                                     // starts the edit and the typed text comes back in it,
                                     // whichever button ends the prompt
// In the input modes, the most characters the line takes; 0 for
// kPromptTextSize - 1. The buffer holds at least this many and one more.
extern size_t promptInputLimit;
// The answer of the last prompt (kPromptOk, kPromptCancel or kPromptDontSave);
// it keeps its value until the next prompt. For a navigator run through
// ShowPrompt, the caller stores the target window here first.
extern uintptr_t promptResult;

// The number of prompt dialogs open right now on any thread, navigators
// included (it is 1 during a single prompt and 0 when none is open). The main
// window refuses New while it is not 0. The New dialog counts itself here as
// well: ++ when it starts, -- when it ends.
extern std::atomic<uint32_t> promptOpen;
// Whether a prompt that waits for an answer is open on the user-interface
// thread (a navigator does not count): Undo and Redo wait for it.
bool QuestionOpen();

// Shows the prompt the request describes, modally over owner (which may be
// null), and returns when the user has answered. Reads the request, stores
// the answer in promptResult (kPromptCancel when the dialog cannot be shown)
// and resets the request. Returns promptResult.
uintptr_t ShowPrompt(HWND owner);

// Starts a search navigator on a thread of its own: a prompt of mode 8 with
// no owner that stays open beside the program's windows until its Close
// button or Escape. Its "Next" button sends kSearchNextMessage and its
// "Previous" button kSearchPreviousMessage to target, waits until target has
// handled it, however long that takes, and then shows the status text
// (SetPromptStatus) on its first line. message, if not null,
// is copied and shown on its third line (the record form passes what it
// searches for). Clears the status text first. Neither reads nor changes the
// request globals or promptResult, and the caller keeps no reference to the
// thread. Returns false if the thread could not be started.
bool StartSearchNavigator(HWND target, const char* message);

// The navigator's status text, set by the navigator's target as it handles
// each request: "No Match Found", or null for none. The text is copied under
// a lock, so any thread may set it while navigators read it.
void SetPromptStatus(const char* text);
// Copies the status text (empty for none) into destination, cut to fit.
void CopyPromptStatus(char* destination, size_t destinationSize);

// Helpers that set the request for the common prompts and show it.
// Mode 0, with a second line when one is given.
uintptr_t ShowMessage(HWND owner, const char* message, const char* secondLine = nullptr);
// Mode 1, with a second line when one is given.
uintptr_t ShowConfirmation(HWND owner, const char* message, const char* secondLine = nullptr);
// An input prompt: mode is kPromptInput or kPromptFieldInput (+ kPromptSmallCaption);
// maxLength: the most characters the line takes; buffer holds at least
// kPromptTextSize bytes, and maxLength + 1.
uintptr_t ShowInput(HWND owner, uint32_t mode, const char* caption, char* buffer,
                    size_t maxLength = kPromptTextSize - 1);
// The save question: kPromptOk save, kPromptCancel cancel, kPromptDontSave go on without saving.
uintptr_t ShowSaveQuestion(HWND owner, const char* message, const char* secondLine);
// A question: kPromptOk yes, kPromptNo no, kPromptCancel neither (go no further).
uintptr_t ShowQuestion(HWND owner, const char* message, const char* secondLine);

// The program's other modal dialog that counts as a prompt (the New dialog):
// it counts itself in promptOpen while it is open, and leaves its answer in
// promptResult as a prompt does.
void NotePromptOpened();
void NotePromptClosed();
void NotePromptAnswer(uintptr_t answer);
