// File > New under Wine: the real New dialog, answered from the CBT hook,
// over templates written by the test; the database it makes, the window that
// shows it, and what is left when the dialog is cancelled, the template list
// is empty or the chosen template cannot be read or written.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

#include "core/folders.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "ui/main/file_menu.h"
#include "core/templates/new_database.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"
#include "tests/gui/program_test_util.h"
#include "ui/dialogs/new_dialog.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"

using namespace programtest;
using Strings = std::vector<std::string>;

namespace {

// Templates the tests choose from. Lines end with CR LF, as an editor on
// Windows writes them.
constexpr char kThreeFields[] =
    "<Veldrana version=\"1.0\">\r\n<StyleFile>\r\n<LongName>Three fields</LongName>\r\n"
    "<Ver>7</Ver>\r\n<Records>3</Records>\r\n"
    "<Rec1><Label>Name</Label><Type>12</Type><Width>120</Width></Rec1>\r\n"
    "<Rec2><Label>Count</Label><Type>9</Type><Width>60</Width></Rec2>\r\n"
    "<Rec3><Label>Note</Label><Type>11</Type><Width>90</Width></Rec3>\r\n"
    "</StyleFile>\r\n</Veldrana>\r\n";
constexpr char kTwoFields[] =
    "<Veldrana version=\"1.0\">\r\n<StyleFile>\r\n<LongName>Second</LongName>\r\n"
    "<Ver>2</Ver>\r\n<Records>2</Records>\r\n"
    "<Rec1><Label>Title</Label><Type>13</Type><Width>100</Width></Rec1>\r\n"
    "<Rec2><Label>Year</Label><Type>1</Type><Width>50</Width></Rec2>\r\n"
    "</StyleFile>\r\n</Veldrana>\r\n";
// No Ver, and the last field has no Type.
constexpr char kNoTypeNoVer[] =
    "<Veldrana version=\"1.0\">\r\n<StyleFile>\r\n<LongName>Sparse</LongName>\r\n"
    "<Records>2</Records>\r\n"
    "<Rec1><Label>A</Label><Type>12</Type><Width>80</Width></Rec1>\r\n"
    "<Rec2><Label>B</Label><Width>80</Width></Rec2>\r\n"
    "</StyleFile>\r\n</Veldrana>\r\n";
// A declaration before the version tag: no template.
constexpr char kNotATemplate[] =
    "<?xml version=\"1.0\"?>\r\n<Veldrana version=\"1.0\">\r\n<StyleFile>\r\n"
    "<Records>2</Records>\r\n</StyleFile>\r\n</Veldrana>\r\n";

// The New dialog ("New Veldrana"): records what it shows, may choose another
// entry and type a name, may do something while it is open, and then presses
// a button (or Escape, VK_ESCAPE).
class NewDialogAnswer : public DialogResponder {
 public:
  explicit NewDialogAnswer(int button) : DialogResponder("New Veldrana"), button_(button) {}
  void Respond(HWND dialog) override {
    ++shown;
    HWND combo = GetDlgItem(dialog, IDC_NEW_TEMPLATE);
    entries.clear();
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[kTagTextSize] = "";
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    selection = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    name = guitest::ItemText(dialog, IDC_NEW_NAME);
    openCount = promptOpen.load();
    GetWindowRect(dialog, &box);
    if (during) during();
    if (choose >= 0) SendMessageA(combo, CB_SETCURSEL, choose, 0);
    if (!typeName.empty()) SetDlgItemTextA(dialog, IDC_NEW_NAME, typeName.c_str());
    if (button_ == VK_ESCAPE)
      guitest::PostKey(dialog, VK_ESCAPE);
    else
      guitest::PostCommand(dialog, button_);
  }

  int choose = -1;       // the entry to choose, or -1 to keep the first
  std::string typeName;  // the name to type, or empty to keep it
  std::function<void()> during;
  int shown = 0;
  Strings entries;
  int selection = -2;
  std::string name;
  uint32_t openCount = 0;
  RECT box = {};

 private:
  int button_;
};

// The navigator: a prompt of another thread of this process. That thread
// sits on the process's first desktop, not on the test's own, so the windows
// of every other thread's desktop are looked through.
BOOL CALLBACK TakeOtherThreadPrompt(HWND window, LPARAM found) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() &&
      guitest::ClassOf(window) == "#32770" && guitest::WindowText(window) == "Veldrana 1.0") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}
HWND FindNavigator() {
  HWND found = nullptr;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more && !found;
       more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    if (HDESK desktop = GetThreadDesktop(entry.th32ThreadID))
      EnumDesktopWindows(desktop, TakeOtherThreadPrompt, reinterpret_cast<LPARAM>(&found));
  }
  CloseHandle(snapshot);
  return found;
}

class NewDatabaseTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    WriteText("Three.xml", kThreeFields);
    WriteText("Two.xml", kTwoFields);
    WriteText("Sparse.xml", kNoTypeNoVer);
    WriteText("NotATemplate.xml", kNotATemplate);
    WriteText("StyleLst.txt", "Three fields\rThree.xml\rSecond template\rTwo.xml\r");
    ASSERT_EQ(Start(), StartResult::kStarted);
  }
  void TearDown() override {
    platform::FailWritesAfter(-1);
    ProgramTest::TearDown();
  }

  void WriteText(const std::string& name, const std::string& text) {
    testutil::WriteBytes(Path(name), std::vector<uint8_t>(text.begin(), text.end()));
  }
  void Command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }

  // The window and the globals as they are with no database.
  void ExpectNothingOpen(const char* context) {
    SCOPED_TRACE(context);
    EXPECT_EQ(databaseFile.view, nullptr);
    EXPECT_EQ(templateNumber, 0u);
    EXPECT_EQ(columnLabels, nullptr);
    EXPECT_TRUE(ColumnTitles().empty());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(StatusText(), "No File!");
    EXPECT_FALSE(FileItemsEnabled());
    EXPECT_EQ(promptOpen.load(), 0u);
  }
  // A database to be replaced by New: two records, saved, so closing it asks
  // nothing.
  void OpenOldDatabase() {
    ASSERT_TRUE(MakeDatabase(Path("old.vdr"), {12}, {{"a"}, {"b"}}, "Old"));
    CopyText(Path("old.vdr").c_str(), currentFileName, sizeof currentFileName);
    OpenDatabase(currentFileName);
    ASSERT_NE(databaseFile.view, nullptr);
  }
};

TEST_F(NewDatabaseTest, TheDefaultAnswersMakeVeldranaFromTheFirstTemplate) {
  NewDialogAnswer dialog(IDOK);
  Command(IDM_NEW);
  ASSERT_EQ(dialog.shown, 1);
  // The list in file order, the first entry chosen, the name "Veldrana", and
  // the dialog counted as an open prompt.
  EXPECT_EQ(dialog.entries, (Strings{"Three fields", "Second template"}));
  EXPECT_EQ(dialog.selection, 0);
  EXPECT_EQ(dialog.name, "Veldrana");
  EXPECT_EQ(dialog.openCount, 1u);
  EXPECT_EQ(promptOpen.load(), 0u);
  EXPECT_EQ(promptResult, 1u);
  // Over the middle of the main window, not over its caption and menu.
  RECT main;
  GetWindowRect(mainWindow, &main);
  EXPECT_NEAR((dialog.box.left + dialog.box.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((dialog.box.top + dialog.box.bottom) / 2, (main.top + main.bottom) / 2, 1);

  // The working copy, with the template's fields and version, one empty
  // record and the name.
  DatabaseFile& db = databaseFile;
  ASSERT_NE(db.view, nullptr);
  EXPECT_STREQ(db.path, workingCopyPath);
  EXPECT_EQ(db.fieldCount, 3u);
  EXPECT_EQ(db.FieldTypeOf(1), 12u);
  EXPECT_EQ(db.FieldTypeOf(2), 9u);
  EXPECT_EQ(db.FieldTypeOf(3), 11u);
  EXPECT_EQ(testutil::WordAt(testutil::ViewBytes(db), store::kTemplateVersionOffset), 7u);
  EXPECT_EQ(db.activeCount, 1u);
  ASSERT_EQ(db.ReadLongName(), 1);
  EXPECT_STREQ(db.textValue, "Veldrana");
  EXPECT_EQ(hasUserFile, 0u);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_STREQ(templateFileName, "Three.xml");
  EXPECT_EQ(templateNumber, 1u);
  EXPECT_STREQ(sourceName, "Three fields");
  EXPECT_EQ(currentRecordNumber, 1);
  EXPECT_EQ(db.RecordNumberOf(currentSlot), 1);

  // What the window shows: 6 columns, one row of empty fields, the name.
  EXPECT_EQ(Caption(), "Veldrana");
  EXPECT_EQ(ColumnTitles(), (Strings{"Index", "Record ", "RecStat", "Name", "Count", "Note"}));
  EXPECT_EQ(ColumnWidths()[3], 120);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 1), "1");
  EXPECT_EQ(Cell(0, 2), "10");
  EXPECT_EQ(Cell(0, 3), "");
  EXPECT_EQ(Cell(0, 4), "0");
  EXPECT_EQ(StatusText(), "1 Records in DB");
  EXPECT_TRUE(FileItemsEnabled());

  // Nothing was edited, yet closing asks to save.
  PromptAnswers question({IDC_PROMPT_THIRD});
  Command(IDM_CLOSE);
  ASSERT_EQ(question.seen.size(), 1u);
  EXPECT_EQ(question.seen[0].line2, "This Veldrana has been changed.");
  EXPECT_EQ(databaseFile.view, nullptr);
}

TEST_F(NewDatabaseTest, AnotherTemplateAndATypedNameFromTheToolbarButton) {
  OpenOldDatabase();
  NewDialogAnswer dialog(IDOK);
  dialog.choose = 1;
  dialog.typeName = "My films";
  Command(CMD_NEW);
  ASSERT_EQ(dialog.shown, 1);
  ASSERT_NE(databaseFile.view, nullptr);
  EXPECT_EQ(databaseFile.fieldCount, 2u);
  EXPECT_EQ(databaseFile.FieldTypeOf(1), 13u);
  EXPECT_EQ(templateNumber, 2u);
  EXPECT_STREQ(templateFileName, "Two.xml");
  EXPECT_EQ(Caption(), "My films");
  EXPECT_EQ(ColumnTitles(), (Strings{"Index", "Record ", "RecStat", "Title", "Year"}));
  EXPECT_EQ(RowCount(), 1);
  // The band names no file: the new database has none yet.
  EXPECT_EQ(hasUserFile, 0u);

  // Saved, closed and opened again, it has its template's labels again.
  {
    FileDialogAnswer save("Save As", Path("films.vdr"));
    Command(IDM_SAVE);
    ASSERT_EQ(save.shown(), 1);
  }
  Command(IDM_CLOSE);
  ASSERT_EQ(databaseFile.view, nullptr);
  OpenDatabase(Path("films.vdr").c_str());
  ASSERT_NE(databaseFile.view, nullptr);
  EXPECT_STREQ(templateFileName, "Two.xml");
  EXPECT_EQ(ColumnTitles(), (Strings{"Index", "Record ", "RecStat", "Title", "Year"}));
}

TEST_F(NewDatabaseTest, ALongNameIsCutTo299Characters) {
  NewDialogAnswer dialog(IDOK);
  dialog.typeName = std::string(250, 'a') + std::string(100, 'b');
  Command(IDM_NEW);
  ASSERT_NE(databaseFile.view, nullptr);
  const std::string expected = std::string(250, 'a') + std::string(49, 'b');
  EXPECT_EQ(std::string(newDatabaseName), expected);
  EXPECT_EQ(Caption(), expected);
  ASSERT_EQ(databaseFile.ReadLongName(), 1);
  EXPECT_EQ(std::string(databaseFile.textValue), expected);
}

TEST_F(NewDatabaseTest, AMissingTypeOrVersionCountsAsZero) {
  WriteText("StyleLst.txt", "Sparse one\rSparse.xml\r");
  NewDialogAnswer dialog(IDOK);
  Command(IDM_NEW);
  ASSERT_NE(databaseFile.view, nullptr);
  EXPECT_EQ(databaseFile.fieldCount, 2u);
  EXPECT_EQ(databaseFile.FieldTypeOf(1), 12u);
  EXPECT_EQ(databaseFile.FieldTypeOf(2), 0u);  // "Number (0 - 255)"
  EXPECT_EQ(testutil::WordAt(testutil::ViewBytes(databaseFile), store::kTemplateVersionOffset), 0u);
  EXPECT_EQ(RowCount(), 1);
}

// Cancel and Escape: the database before is closed, and nothing is open.
TEST_F(NewDatabaseTest, CancelAndEscapeLeaveNothingOpen) {
  for (int button : {IDCANCEL, static_cast<int>(VK_ESCAPE)}) {
    SCOPED_TRACE(button);
    OpenOldDatabase();
    templateNumber = 4;
    NewDialogAnswer dialog(button);
    dialog.typeName = "never";
    Command(IDM_NEW);
    ASSERT_EQ(dialog.shown, 1);
    EXPECT_EQ(promptResult, 2u);
    ExpectNothingOpen("cancelled");
    EXPECT_EQ(Caption(), "Old");  // the caption is left as it was
  }
}

TEST_F(NewDatabaseTest, OkWithAnEmptyTemplateListActsAsCancel) {
  struct Case {
    const char* name;
    const char* list;  // null: no StyleLst.txt at all
  };
  const Case cases[] = {
      {"no list file", nullptr},
      {"line feeds only", "Three fields\nThree.xml\n"},
      {"nothing but short lines", "ab\r\r\rx\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(Path("StyleLst.txt").c_str());
    if (c.list) WriteText("StyleLst.txt", c.list);
    const std::vector<uint8_t> before = FileBytes(workingCopyPath);
    NewDialogAnswer dialog(IDOK);
    Command(IDM_NEW);
    ASSERT_EQ(dialog.shown, 1);
    EXPECT_TRUE(dialog.entries.empty());
    EXPECT_EQ(dialog.selection, CB_ERR);
    EXPECT_EQ(promptResult, 2u);
    ExpectNothingOpen(c.name);
    EXPECT_EQ(FileBytes(workingCopyPath), before);
  }
}

// A template that cannot be read: no database, no columns or labels, and the
// working copy left by the database before is not touched.
TEST_F(NewDatabaseTest, AnUnreadableTemplateMakesNothing) {
  struct Case {
    const char* name;
    const char* list;
    int choose;
  };
  const Case cases[] = {
      {"missing file", "Gone\rGone.xml\r", 0},
      {"not a template", "Declared\rNotATemplate.xml\r", 0},
      {"a name without a file line", "Three fields\rThree.xml\rHalf\r", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText("StyleLst.txt", c.list);
    OpenOldDatabase();
    const std::vector<uint8_t> before = FileBytes(workingCopyPath);
    NewDialogAnswer dialog(IDOK);
    dialog.choose = c.choose;
    Command(IDM_NEW);
    ASSERT_EQ(dialog.shown, 1);
    EXPECT_EQ(promptResult, 1u);
    ExpectNothingOpen(c.name);
    EXPECT_EQ(FileBytes(workingCopyPath), before);
  }
}

// Writes that fail at every point of making the working copy, one point per
// run, until New gets through: no database, and no half-made working copy
// left to be opened later.
TEST_F(NewDatabaseTest, AWorkingCopyThatCannotBeWrittenIsRemoved) {
  long writes = 0;
  for (;; ++writes) {
    ASSERT_LT(writes, 500) << "New never got through";
    SCOPED_TRACE(writes);
    NewDialogAnswer dialog(IDOK);
    dialog.during = [writes] { platform::FailWritesAfter(writes); };
    Command(IDM_NEW);
    platform::FailWritesAfter(-1);
    ASSERT_EQ(dialog.shown, 1);
    if (databaseFile.view != nullptr) break;
    ExpectNothingOpen("failed writes");
    EXPECT_FALSE(FileExists(workingCopyPath));
  }
  // Creating the file alone takes more than one write.
  EXPECT_GT(writes, 2);
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(databaseFile.activeCount, 1u);
}

// The New dialog, a prompt and a search navigator each count as an open
// prompt, and New is refused while one is open.
TEST_F(NewDatabaseTest, NewIsRefusedWhileAPromptOrTheNewDialogIsOpen) {
  {
    NewDialogAnswer dialog(IDCANCEL);
    dialog.during = [] { SendMessageA(mainWindow, WM_COMMAND, IDM_NEW, 0); };
    Command(IDM_NEW);
    EXPECT_EQ(dialog.shown, 1);  // no second dialog from inside the first
  }
  OpenOldDatabase();
  {
    // Inside the rename prompt.
    struct NewInside : DialogResponder {
      NewInside() : DialogResponder("Veldrana 1.0") {}
      void Respond(HWND dialog) override {
        ++shown;
        SendMessageA(mainWindow, WM_COMMAND, CMD_NEW, 0);
        guitest::PostCommand(dialog, IDCANCEL);
      }
      int shown = 0;
    } prompt;
    NewDialogAnswer dialog(IDOK);
    Command(IDM_NAME);
    EXPECT_EQ(prompt.shown, 1);
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_NE(databaseFile.view, nullptr);
  }
  {
    // While a navigator is open on a thread of its own.
    ASSERT_TRUE(StartSearchNavigator(mainWindow, "a"));
    ASSERT_TRUE(PumpUntil([] { return promptOpen.load() == 1; }));
    NewDialogAnswer dialog(IDOK);
    Command(IDM_NEW);
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_NE(databaseFile.view, nullptr);
    HWND navigator = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (navigator = FindNavigator()) != nullptr; }));
    PostMessageA(navigator, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([] { return promptOpen.load() == 0; }));
    Command(IDM_NEW);
    EXPECT_EQ(dialog.shown, 1);
  }
}

TEST_F(NewDatabaseTest, NewOverAChangedDatabaseAsksFirstAndCancelKeepsIt) {
  OpenOldDatabase();
  databaseChanged = 1;
  PromptAnswers question({IDCANCEL});
  NewDialogAnswer dialog(IDOK);
  Command(IDM_NEW);
  ASSERT_EQ(question.seen.size(), 1u);
  EXPECT_EQ(question.seen[0].line3, "Save Current File Now?");
  EXPECT_EQ(dialog.shown, 0);
  EXPECT_NE(databaseFile.view, nullptr);
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(Caption(), "Old");
}

}  // namespace
