// Open, save and close under Wine: the open and save dialogs answered from a
// hook, the save question with each of its answers, rejected and missing
// files, saves that fail, and the end of a Windows session; Import and
// Export As through their dialogs.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "ui/main/file_menu.h"
#include "tests/gui/program_test_util.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/main/status_bar.h"

using namespace programtest;
using Strings = std::vector<std::string>;

namespace {

const std::vector<uint32_t> kTypes = {12, 9};
const std::vector<std::vector<std::string>> kRows = {{"one", "1"}, {"two", "2"}};

class FileCommandsTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    user = Path("user.vdr");
    ASSERT_TRUE(MakeDatabase(user, kTypes, kRows, "Numbers"));
    original = FileBytes(user);
    ASSERT_EQ(Start(), StartResult::kStarted);
  }
  void TearDown() override {
    platform::FailWritesAfter(-1);
    ProgramTest::TearDown();
  }

  void OpenUserFile() {
    CopyText(user.c_str(), currentFileName, sizeof currentFileName);
    OpenDatabase(currentFileName);
    ASSERT_NE(databaseFile.view, nullptr);
  }
  // A change in the working copy, as an edit makes it.
  void Change(const char* text) {
    CopyText(text, databaseFile.textValue, sizeof databaseFile.textValue);
    ASSERT_GE(databaseFile.WriteField(0, 1), 0);
    databaseChanged = 1;
  }
  void Command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }

  std::string user;
  std::vector<uint8_t> original;
};

TEST_F(FileCommandsTest, OpenShowsTheOpenDialogAndOpensTheChosenFile) {
  FileDialogAnswer dialog("Open", user);
  Command(IDM_OPEN);
  ASSERT_EQ(dialog.shown(), 1);
  EXPECT_EQ(dialog.fileTypes, (Strings{"Veldrana Files", "All Files"}));
  ASSERT_NE(databaseFile.view, nullptr);
  EXPECT_STREQ(currentFileName, user.c_str());
  EXPECT_STREQ(databaseFile.path, workingCopyPath);
  EXPECT_EQ(FileBytes(workingCopyPath), original);
  EXPECT_EQ(Caption(), "Numbers");
  EXPECT_EQ(ColumnTexts(3), (Strings{"one", "two"}));
  EXPECT_EQ(StatusText(), "2 Records in DB");
  EXPECT_EQ(hasUserFile, 1u);
  EXPECT_EQ(databaseChanged, 0u);
  EXPECT_TRUE(FileItemsEnabled());
}

TEST_F(FileCommandsTest, CancellingTheOpenDialogLeavesNothingOpen) {
  OpenUserFile();
  FileDialogAnswer dialog("Open", "");
  Command(CMD_OPEN);
  ASSERT_EQ(dialog.shown(), 1);
  // The dialog starts with the current file's name.
  EXPECT_NE(dialog.startName.find("user"), std::string::npos) << dialog.startName;
  EXPECT_EQ(databaseFile.view, nullptr);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_TRUE(ColumnTitles().empty());
  // And the window says so.
  EXPECT_EQ(StatusText(), "No File!");
  EXPECT_FALSE(FileItemsEnabled());
}

TEST_F(FileCommandsTest, AFileThatIsNoDatabaseIsRejected) {
  OpenUserFile();
  {
    std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    testutil::WriteBytes(Path("notes.vdr"), text);
  }
  PromptAnswers prompts({IDOK});
  FileDialogAnswer dialog("Open", Path("notes.vdr"));
  Command(IDM_OPEN);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line2, "Not a Veldrana file");
  EXPECT_FALSE(prompts.seen[0].cancelShown);
  EXPECT_EQ(databaseFile.view, nullptr);
  EXPECT_EQ(hasUserFile, 0u);
  EXPECT_EQ(StatusText(), "No File!");
  EXPECT_EQ(RowCount(), 0);
  EXPECT_TRUE(ColumnTitles().empty());
  // Nothing is open, so nothing that needs a database is offered.
  EXPECT_FALSE(FileItemsEnabled());
}

TEST_F(FileCommandsTest, AFileThatCannotBeCopiedIsRejectedAndNoOldWorkingCopyOpens) {
  // The working copy of an earlier run lies in the data folder.
  ASSERT_TRUE(CopyFileA(user.c_str(), workingCopyPath, FALSE));
  struct Case {
    const char* name;
    std::function<HANDLE()> prepare;  // returns a handle to close afterwards, or null
  };
  const std::string locked = Path("locked.vdr");
  ASSERT_TRUE(CopyFileA(user.c_str(), locked.c_str(), FALSE));
  const Case cases[] = {
      {"missing", [] { return HANDLE(nullptr); }},
      {"locked", [&] {
         return CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
       }},
  };
  for (const Case& c : cases) {
    HANDLE hold = c.prepare();
    const std::string path = std::string(c.name) == "missing" ? Path("no such.vdr") : locked;
    PromptAnswers prompts({IDOK});
    OpenDatabase(path.c_str());
    if (hold) CloseHandle(hold);
    ASSERT_EQ(prompts.seen.size(), 1u) << c.name;
    EXPECT_EQ(prompts.seen[0].line2, "Not a Veldrana file") << c.name;
    EXPECT_EQ(databaseFile.view, nullptr) << c.name;
    EXPECT_EQ(RowCount(), 0) << c.name;
    EXPECT_EQ(StatusText(), "No File!") << c.name;
  }
  // A good file whose working copy cannot be written is no bad file: the
  // message says what could not be written.
  ASSERT_TRUE(DeleteFileA(workingCopyPath));
  ASSERT_TRUE(CreateDirectoryA(workingCopyPath, nullptr));
  PromptAnswers prompts({IDOK});
  OpenDatabase(user.c_str());
  RemoveDirectoryA(workingCopyPath);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line2, "The working copy could not be written:");
  EXPECT_EQ(prompts.seen[0].line3, workingCopyPath);
  EXPECT_EQ(databaseFile.view, nullptr);
}

TEST_F(FileCommandsTest, SaveCopiesTheWorkingCopyOverTheUsersFile) {
  OpenUserFile();
  Change("uno");
  PromptAnswers prompts;
  Command(CMD_SAVE);
  EXPECT_EQ(databaseChanged, 0u);
  const std::vector<uint8_t> saved = FileBytes(user);
  EXPECT_NE(saved, original);
  EXPECT_EQ(saved, FileBytes(workingCopyPath));
  EXPECT_FALSE(FileExists(user + ".saving"));
  // Save, then Close: no question.
  Command(IDM_CLOSE);
  EXPECT_TRUE(prompts.seen.empty());
  EXPECT_EQ(databaseFile.view, nullptr);
  // Without a database, Save and Close do nothing.
  Command(IDM_SAVE);
  Command(IDM_CLOSE);
  EXPECT_TRUE(prompts.seen.empty());
  EXPECT_EQ(FileBytes(user), saved);
}

// Close with unsaved changes, and each answer to the question.
struct AnswerCase {
  const char* name;
  int button;
  bool closes;
  bool saves;
};

class SaveQuestionTest : public FileCommandsTest,
                         public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(SaveQuestionTest, CloseAsksAndDoesWhatTheAnswerSays) {
  const AnswerCase& c = GetParam();
  OpenUserFile();
  Change("uno");
  const std::vector<uint8_t> changed = FileBytes(workingCopyPath);
  PromptAnswers prompts({c.button});
  Command(IDM_CLOSE);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line2, "This Veldrana has been changed.");
  EXPECT_EQ(prompts.seen[0].line3, "Save Current File Now?");
  EXPECT_TRUE(prompts.seen[0].cancelShown);
  EXPECT_TRUE(prompts.seen[0].thirdShown);
  EXPECT_EQ(databaseFile.view == nullptr, c.closes);
  EXPECT_EQ(FileBytes(user), c.saves ? changed : original);
  if (c.closes) {
    EXPECT_EQ(StatusText(), "No File!");
    EXPECT_FALSE(FileItemsEnabled());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(hasUserFile, 0u);
  } else {
    EXPECT_EQ(databaseChanged, 1u);
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(StatusText(), "2 Records in DB");
    EXPECT_TRUE(FileItemsEnabled());
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, SaveQuestionTest,
                         ::testing::Values(AnswerCase{"Save", IDOK, true, true},
                                           AnswerCase{"Cancel", IDCANCEL, false, false},
                                           AnswerCase{"Discard", IDC_PROMPT_THIRD, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileCommandsTest, ASaveThatCannotWriteSaysSoAndKeepsTheChanges) {
  OpenUserFile();
  Change("uno");
  // The writes fail: the user's file must stay whole.
  platform::FailWritesAfter(0);
  {
    PromptAnswers prompts({IDOK});
    Command(CMD_SAVE);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line2, "The file could not be saved:");
    EXPECT_EQ(prompts.seen[0].line3, user);
  }
  platform::FailWritesAfter(-1);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_EQ(FileBytes(user), original);
  EXPECT_FALSE(FileExists(user + ".saving"));

  // The user's folder is gone: the save fails, and so does a close that
  // wanted to save first.
  ASSERT_TRUE(CreateDirectoryA(Path("gone").c_str(), nullptr));
  const std::string inGone = Path("gone\\user.vdr");
  ASSERT_TRUE(CopyFileA(user.c_str(), inGone.c_str(), FALSE));
  CopyText(inGone.c_str(), currentFileName, sizeof currentFileName);
  ASSERT_TRUE(DeleteFileA(inGone.c_str()));
  ASSERT_TRUE(RemoveDirectoryA(Path("gone").c_str()));
  {
    PromptAnswers prompts({IDOK, IDOK});
    Command(IDM_CLOSE);
    ASSERT_EQ(prompts.seen.size(), 2u);
    EXPECT_EQ(prompts.seen[0].line3, "Save Current File Now?");
    EXPECT_EQ(prompts.seen[1].line2, "The file could not be saved:");
  }
  EXPECT_NE(databaseFile.view, nullptr);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_EQ(RowCount(), 2);
  EXPECT_TRUE(FileItemsEnabled());
}

TEST_F(FileCommandsTest, ADatabaseWithoutAFileAsksWhereToSave) {
  OpenUserFile();
  // As a database made by New: open, but no file of the user's yet.
  hasUserFile = 0;
  Change("uno");
  const std::string target = Path("saved.vdr");
  {
    FileDialogAnswer cancel("Save As", "");
    EXPECT_EQ(SaveDatabase(), 0);
    ASSERT_EQ(cancel.shown(), 1);
    // The long name is the suggested file name.
    EXPECT_EQ(cancel.startName, "Numbers");
  }
  {
    // With the characters a file name cannot hold made harmless.
    databaseFile.SetLongName("Recipes: Italian <best>");
    FileDialogAnswer cancel("Save As", "");
    EXPECT_EQ(SaveDatabase(), 0);
    ASSERT_EQ(cancel.shown(), 1);
    EXPECT_EQ(cancel.startName, "Recipes_ Italian _best_");
    databaseFile.SetLongName("Numbers");
  }
  EXPECT_FALSE(FileExists(target));
  EXPECT_EQ(databaseChanged, 1u);
  {
    FileDialogAnswer save("Save As", target);
    EXPECT_EQ(SaveDatabase(), 1);
    EXPECT_EQ(save.shown(), 1);
  }
  EXPECT_STREQ(currentFileName, target.c_str());
  EXPECT_EQ(FileBytes(target), FileBytes(workingCopyPath));
  EXPECT_EQ(hasUserFile, 1u);
  EXPECT_EQ(databaseChanged, 0u);
  // The database is open again on the working copy, with its change.
  ASSERT_NE(databaseFile.view, nullptr);
  EXPECT_STREQ(databaseFile.path, workingCopyPath);
  ASSERT_GE(databaseFile.ReadField(0, 1), 0);
  EXPECT_STREQ(databaseFile.textValue, "uno");
  EXPECT_EQ(RowCount(), 2);
}

TEST_F(FileCommandsTest, TheEndOfTheSessionWaitsForAnUnsavedDatabase) {
  OpenUserFile();
  Change("uno");
  {
    PromptAnswers cancel({IDCANCEL});
    EXPECT_EQ(SendMessageA(mainWindow, WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(cancel.seen.size(), 1u);
  }
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_NE(databaseFile.view, nullptr);
  EXPECT_EQ(databaseChanged, 1u);

  PromptAnswers save({IDOK});
  EXPECT_EQ(SendMessageA(mainWindow, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(save.seen.size(), 1u);
  EXPECT_EQ(mainWindow, nullptr);
  EXPECT_EQ(FileBytes(user), FileBytes(workingCopyPath));
  // The loop ends and the settings are written.
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(FileBytes(Path("dVeldrana.dat")).size(), 1008u);
}

TEST_F(FileCommandsTest, ExitAndTheCloseBoxAskFirstAndMayBeCancelled) {
  OpenUserFile();
  Change("uno");
  for (UINT message : {static_cast<UINT>(WM_COMMAND), static_cast<UINT>(WM_CLOSE)}) {
    PromptAnswers cancel({IDCANCEL});
    SendMessageA(mainWindow, message, message == WM_COMMAND ? IDM_EXIT : 0, 0);
    EXPECT_EQ(cancel.seen.size(), 1u);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_NE(databaseFile.view, nullptr);
  }
  PromptAnswers discard({IDC_PROMPT_THIRD});
  SendMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(mainWindow, nullptr);
  EXPECT_EQ(FileBytes(user), original);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(FileBytes(Path("dVeldrana.dat")).size(), 1008u);
}

// The rows of a CSV file added through the open dialog: the header
// question and its answers, a problem told with its place, the list and the
// status bar brought up to date once.
TEST_F(FileCommandsTest, ImportAddsAFilesRowsThroughTheOpenDialog) {
  OpenUserFile();
  const struct {
    std::string text;
    std::vector<PromptAnswer> answers;
    Strings told;  // what each prompt's message line said
    Strings rows;  // the first column afterwards
  } steps[] = {
      {"Name;Count\r\nthree;3\r\nZ\xC3\xBCrich;4\r\n", {IDOK}, {"First line: Name, Count"},
       {"one", "two", "three", "Z\xFCrich"}},
      {"Name;Count\nfive;5", {IDC_PROMPT_THIRD, IDOK}, {"First line: Name, Count", "Not imported: line 1, field 2"},
       {"one", "two", "three", "Z\xFCrich"}},
      {" field 1 ,FIELD 2\nsix,6", {}, {}, {"one", "two", "three", "Z\xFCrich", "six"}},
      {"seven,7", {IDCANCEL}, {"First line: seven, 7"}, {"one", "two", "three", "Z\xFCrich", "six"}},
      {"eight,8", {IDC_PROMPT_THIRD}, {"First line: eight, 8"},
       {"one", "two", "three", "Z\xFCrich", "six", "eight"}},
  };
  const std::string csv = Path("more.csv");
  for (const auto& step : steps) {
    testutil::WriteBytes(csv, std::vector<uint8_t>(step.text.begin(), step.text.end()));
    PromptAnswers prompts(step.answers);
    FileDialogAnswer dialog("Open", csv);
    Command(IDM_IMPORT);
    ASSERT_EQ(dialog.shown(), 1);
    EXPECT_EQ(dialog.fileTypes, (Strings{"CSV and Text Files", "All Files"}));
    Strings told;
    for (const PromptSeen& seen : prompts.seen) told.push_back(seen.line2);
    EXPECT_EQ(told, step.told) << step.text;
    if (!prompts.seen.empty()) {
      EXPECT_EQ(prompts.seen[0].line3, "Are these the column names?");
      EXPECT_TRUE(prompts.seen[0].thirdShown && prompts.seen[0].cancelShown);
    }
    if (step.told.size() == 2) {
      EXPECT_EQ(prompts.seen[1].line3, "not a whole number 0 - 4294967295");
    }
    EXPECT_EQ(prompts.unexpected, 0);
    EXPECT_EQ(ColumnTexts(3), step.rows) << step.text;
    EXPECT_EQ(StatusText(), std::to_string(step.rows.size()) + " Records in DB");
  }
  EXPECT_EQ(ColumnTexts(4), (Strings{"1", "2", "3", "4", "6", "8"}));
  EXPECT_EQ(databaseChanged, 1u);
}

// A long import says how far it is in the status bar; the bar's own window
// procedure hears every text it is given.
WNDPROC statusBarProcedure;
Strings statusTexts;
LRESULT CALLBACK RecordStatusText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SB_SETTEXTA) statusTexts.push_back(reinterpret_cast<const char*>(lParam));
  return CallWindowProcA(statusBarProcedure, window, message, wParam, lParam);
}

TEST_F(FileCommandsTest, ALongImportShowsHowFarItIs) {
  OpenUserFile();
  std::string text;
  for (int i = 0; i < 50000; ++i) text += "row " + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  const std::string csv = Path("long.csv");
  testutil::WriteBytes(csv, std::vector<uint8_t>(text.begin(), text.end()));
  statusTexts.clear();
  statusBarProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordStatusText)));
  {
    PromptAnswers prompts({IDC_PROMPT_THIRD});
    FileDialogAnswer dialog("Open", csv);
    Command(IDM_IMPORT);
  }
  SetWindowLongPtrA(statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(statusBarProcedure));
  auto seen = [](const std::string& prefix) {
    return std::count_if(statusTexts.begin(), statusTexts.end(),
                         [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
  };
  EXPECT_GE(seen("Checking the file: "), 5);
  EXPECT_GE(seen("Importing: "), 5);
  ASSERT_FALSE(statusTexts.empty());
  EXPECT_EQ(statusTexts.back(), "50002 Records in DB");
  EXPECT_EQ(RowCount(), 50002);
  EXPECT_EQ(Cell(50001, 3), "row 49999");
}

TEST_F(FileCommandsTest, ExportAsWritesForSpreadsheetsThroughTheSaveDialog) {
  OpenUserFile();
  const std::string sheet = Path("sheet.csv");
  {
    FileDialogAnswer dialog("Save As", sheet);
    Command(IDM_EXPORT_AS);
    ASSERT_EQ(dialog.shown(), 1);
    EXPECT_EQ(dialog.startName, "Numbers.csv");
    EXPECT_EQ(dialog.fileTypes, (Strings{"CSV Files", "All Files"}));
  }
  const std::vector<uint8_t> bytes = FileBytes(sheet);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\xEF\xBB\xBF" "Field 1,Field 2\r\none,1\r\ntwo,2\r\n");
  EXPECT_EQ(databaseChanged, 0u);

  // A file that cannot be written is told, and none is left behind.
  const std::string other = Path("other.csv");
  PromptAnswers prompts({IDOK});
  FileDialogAnswer dialog("Save As", other);
  platform::FailWritesAfter(0);
  Command(IDM_EXPORT_AS);
  platform::FailWritesAfter(-1);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line2, "The file could not be written:");
  EXPECT_EQ(prompts.seen[0].line3, other);
  EXPECT_FALSE(FileExists(other));
  EXPECT_FALSE(FileExists(other + ".saving"));
}

// After an import, done or refused, both windows show the records as they
// are: on a file whose first add compacts, the form keeps its record where
// the compaction moved it, and the list reads the store.
TEST_F(FileCommandsTest, AfterAnImportTheViewsShowTheRecordsAsTheyAre) {
  OpenUserFile();
  // 60 records in every other slot of 120: the next add compacts.
  std::vector<uint32_t> statuses(120, kRecDeleted);
  for (size_t s = 0; s < 120; s += 2) statuses[s] = kRecActive;
  testutil::SetStatuses(databaseFile, statuses);
  for (int32_t s = 0; s < 120; s += 2) testutil::SetText(databaseFile, s, 1, "r" + std::to_string(s));
  currentSlot = 100;
  ShowRecordForm();
  const std::string csv = Path("more.csv");
  const struct {
    const char* text;
    std::vector<PromptAnswer> answers;
    int rows;
    int32_t formSlot;
  } imports[] = {
      {"a,1\nb,2\nc,3\nd,4\ne,x\nf,6\n", {IDC_PROMPT_THIRD, IDOK}, 60, 100},  // refused at line 5
      {"a,1\nb,2\nc,3\n", {IDC_PROMPT_THIRD}, 63, 50},
  };
  for (const auto& step : imports) {
    SCOPED_TRACE(step.text);
    testutil::WriteBytes(csv, std::vector<uint8_t>(step.text, step.text + strlen(step.text)));
    PromptAnswers prompts(step.answers);
    FileDialogAnswer dialog("Open", csv);
    Command(IDM_IMPORT);
    EXPECT_EQ(prompts.seen.size(), step.answers.size());
    EXPECT_EQ(RowCount(), step.rows);
    ASSERT_NE(recordForm, nullptr);
    EXPECT_EQ(currentSlot, step.formSlot);
    EXPECT_EQ(testutil::GetText(databaseFile, currentSlot, 1), "r100");
    EXPECT_EQ(StatusText(), "Record 51 of " + std::to_string(step.rows));
    // Row by row, what the list shows is what the store holds.
    for (int row : {0, 50, step.rows - 1}) {
      const int32_t slot = databaseFile.SlotOfRecordNumber(static_cast<uint32_t>(row + 1));
      EXPECT_EQ(Cell(row, 0), std::to_string(slot));
      EXPECT_EQ(Cell(row, 3), testutil::GetText(databaseFile, slot, 1));
    }
  }
}

// A change made while a dialog runs its own loop reaches the disk without
// waiting for the dialog to close: the About box stays open until the change
// made from it is written.
struct WriteWhileOpen : DialogResponder {
  WriteWhileOpen() : DialogResponder("About Veldrana") {}
  void Respond(HWND dialog) override {
    about = dialog;
    SetTimer(nullptr, 0, 50, Tick);
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    WriteWhileOpen& self = *current;
    ++self.ticks;
    if (self.ticks == 1) {
      SendMessageA(mainWindow, WM_COMMAND, CMD_ADD, 0);
      self.pendingAfterChange = FlushPending();
    } else if (!FlushPending() || self.ticks > 100) {
      self.written = !FlushPending();
      KillTimer(nullptr, timer);
      guitest::PostCommand(self.about, IDOK);
    }
  }
  static WriteWhileOpen* current;
  HWND about = nullptr;
  int ticks = 0;
  bool pendingAfterChange = false, written = false;
};
WriteWhileOpen* WriteWhileOpen::current;

TEST_F(FileCommandsTest, ChangesReachTheDiskWhileADialogIsOpen) {
  OpenUserFile();
  WriteWhileOpen watch;
  WriteWhileOpen::current = &watch;
  Command(IDM_ABOUT);
  EXPECT_TRUE(watch.pendingAfterChange);
  EXPECT_TRUE(watch.written);
  EXPECT_EQ(RowCount(), 3);
}

// A large file (any file, here, and a slow copy) shows before its working
// copy is made: a change waits for the copy and goes into the working copy,
// never into the user's file; Close stops the copy and leaves no working
// copy; a copy that fails is told, and the database closes.
TEST_F(FileCommandsTest, ALargeFileShowsBeforeItsWorkingCopyIsMade) {
  SetBackgroundCopyForTests(0, 256, 15);
  OpenUserFile();
  EXPECT_EQ(WorkingCopyState(), CopyState::kCopying);
  EXPECT_EQ(ColumnTexts(3), (Strings{"one", "two"}));
  EXPECT_EQ(StatusText(), "2 Records in DB");
  Command(CMD_ADD);
  EXPECT_EQ(WorkingCopyState(), CopyState::kReady);
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(FileBytes(user), original);
  EXPECT_EQ(FileBytes(Path("Temp.dat")).size(), original.size());
  Command(CMD_SAVE);
  EXPECT_EQ(FileBytes(user), FileBytes(Path("Temp.dat")));
  const std::vector<uint8_t> saved = FileBytes(user);

  OpenUserFile();
  ASSERT_EQ(WorkingCopyState(), CopyState::kCopying);
  Command(IDM_CLOSE);
  EXPECT_FALSE(FileExists(Path("Temp.dat")));
  EXPECT_FALSE(FileExists(Path("Recovery.dat")));

  PromptAnswers told({IDOK});
  platform::FailWritesAfter(3);
  OpenUserFile();
  EXPECT_TRUE(PumpUntil([&] { return told.seen.size() == 1; }));
  platform::FailWritesAfter(-1);
  ASSERT_EQ(told.seen.size(), 1u);
  EXPECT_EQ(told.seen[0].line2, "The working copy could not be written:");
  EXPECT_EQ(databaseFile.view, nullptr);
  EXPECT_EQ(StatusText(), "No File!");
  EXPECT_EQ(FileBytes(user), saved);
  SetBackgroundCopyForTests(16 << 20, 8 << 20, 0);
}

}  // namespace
