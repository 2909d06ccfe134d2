// Helpers for tests of the whole program under Wine: the real start-up code
// run with the folders in a fresh scratch folder, the real main window driven
// with real messages, and what the user sees read back from its controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/shell.h"
#include "resources/resource.h"
#include "core/working_copy.h"
#include "tests/gui/gui_test_util.h"
#include "tests/store_test_util.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/main/status_bar.h"
#include "ui/record_commands.h"

namespace programtest {

// What a prompt showed, and who owned it.
struct PromptSeen {
  std::string line1, line2, line3, edit;
  std::string box;  // the text box, when it shows the two lines instead
  bool editShown = false, cancelShown = false, thirdShown = false;
  HWND owner = nullptr;
  LONG line1Height = 0;  // the height of the caption line's font
};

// One answer to a prompt: the button (IDOK, IDCANCEL or IDC_PROMPT_THIRD)
// and, when given, the text typed into its edit first. With `meanwhile`,
// the answer waits until that has run while the prompt is open, in the
// prompt's own message loop: what the user does in the other window.
struct PromptAnswer {
  PromptAnswer(int button = IDCANCEL, const char* typed = nullptr, std::function<void()> meanwhile = nullptr)
      : button(button), typed(typed), meanwhile(std::move(meanwhile)) {}
  int button;
  const char* typed;
  std::function<void()> meanwhile;
};

// A test with the program's own folders in a fresh scratch folder that holds
// the two templates an opened database can get ("WELT13.xml", "Spare.xml").
// Every global of the program starts as in a new process.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the program's start-up with this command line (argument 0 first).
  StartResult Start(const std::string& commandLine = "Veldrana.exe");
  // Runs the program's own message handling (HandleMessage, so keys pass the
  // keyboard filter) until done() holds or the time is up.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
  void Pump(DWORD milliseconds);

  std::string Folder() const { return folder_; }  // ends with a backslash
  std::string Path(const std::string& name) const { return folder_ + name; }
  std::string mutexName;

 private:
  std::unique_ptr<testutil::ScratchDir> scratch_;
  std::string folder_;
  HHOOK dialogHook_ = nullptr;
};

// Modal dialogs shown on the test's thread are answered from one WH_CBT hook,
// installed for the whole test by ProgramTest: when a dialog activates, the
// latest-made answerer for its caption takes it. A dialog nobody answers is
// cancelled and fails the test, so a test never hangs on one.
class DialogResponder {
 public:
  explicit DialogResponder(std::string caption);
  virtual ~DialogResponder();
  DialogResponder(const DialogResponder&) = delete;
  DialogResponder& operator=(const DialogResponder&) = delete;
  const std::string& caption() const { return caption_; }
  virtual void Respond(HWND dialog) = 0;

 private:
  std::string caption_;
};

// Answers prompts ("Veldrana 1.0") in order: records what each showed, and
// gives the next answer in the queue; with the queue empty, it presses
// IDCANCEL and counts the prompt as unexpected.
class PromptAnswers : public DialogResponder {
 public:
  explicit PromptAnswers(std::vector<PromptAnswer> answers = {});
  void Respond(HWND dialog) override;
  std::vector<PromptSeen> seen;
  int unexpected = 0;

 private:
  static void Later(HWND dialog, const PromptAnswer& answer);
  std::vector<PromptAnswer> answers_;
};

// Any dialog with this caption, closed with this button; counts them.
class ButtonAnswer : public DialogResponder {
 public:
  ButtonAnswer(const char* caption, int button) : DialogResponder(caption), button_(button) {}
  void Respond(HWND dialog) override;
  int shown = 0;

 private:
  int button_;
};

// A file dialog ("Open" or "Save As") answered with a file name, or
// cancelled when the name is empty. Records the dialog's file types and the
// name it started with, once the dialog has filled them in.
class FileDialogAnswer : public DialogResponder {
 public:
  FileDialogAnswer(const char* caption, std::string fileName);
  ~FileDialogAnswer() override;
  void Respond(HWND dialog) override;
  int shown() const { return shown_; }
  std::vector<std::string> fileTypes;
  std::string startName;

 private:
  static void CALLBACK AnswerLater(HWND, UINT, UINT_PTR timer, DWORD);
  std::string fileName_;
  int shown_ = 0;
};

// What the main window shows.
std::vector<std::string> ColumnTitles();
std::vector<int> ColumnWidths();
int RowCount();
std::string Cell(int row, int column);
std::vector<std::string> ColumnTexts(int column);
std::string StatusText();
std::string Caption();
bool ButtonEnabled(int command);
bool MenuItemEnabled(int command);
// The file-dependent commands: toolbar 3, 4, 5, 6, 9, 10, menu 40003 to 40016,
// 40032 and 40033.
// true when every one of them is enabled, false when every one is greyed;
// a test failure when they disagree.
bool FileItemsEnabled();

// Clicks a column header of the record list, as the mouse does.
void ClickColumnHeader(int column);
// Gives row `row` the focus as a click would.
void FocusRow(int row);
// The thread's key state for one key, as the keyboard sets it.
void SetKeyDown(UINT virtualKey, bool down);
// Posts a key press (or release) to a window, as the keyboard would; the
// test's pump (ProgramTest::PumpUntil) sets the key state of Ctrl as it takes
// the message.
void PostKeyMessage(HWND window, UINT message, UINT virtualKey);
// Sends WM_DROPFILES with these files to the main window.
void DropFiles(const std::vector<std::string>& files);

// Databases for the tests, written with the store (own DatabaseFile, closed
// afterwards): fields of the given types, and one record per row of texts
// (number fields take the text as a number).
bool MakeDatabase(const std::string& path, const std::vector<uint32_t>& types,
                  const std::vector<std::vector<std::string>>& rows,
                  const char* longName = "Test database");
// The file's bytes.
std::vector<uint8_t> FileBytes(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace programtest
