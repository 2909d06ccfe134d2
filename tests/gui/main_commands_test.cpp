// The main window's commands under Wine, sent as the menu, the toolbar, the
// keyboard filter and the right-click menu send them, with every prompt shown
// for real and answered from the CBT hook: the guards, Add, Copy (also of a
// record that the allocation moves), Name, Search, Goto, Delete, Export,
// Sort, and View > Next and Previous.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/folders.h"
#include "resources/resource.h"
#include "platform/platform.h"
#include "store/database_file.h"
#include "core/csv_export.h"
#include "ui/main/file_menu.h"
#include "tests/gui/program_test_util.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_commands.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"
#include "ui/views.h"

using namespace programtest;
using Strings = std::vector<std::string>;

namespace {

constexpr uint32_t kText = 12;     // text of 64
constexpr uint32_t kNumber32 = 9;  // number of 32 bits

// Field 1 and field 2 sort these three records in different orders.
const std::vector<uint32_t> kTypes = {kText, kNumber32};
const std::vector<std::vector<std::string>> kRows = {{"pear", "1"}, {"apple", "3"}, {"Banana", "2"}};

using Answer = PromptAnswer;
using Prompts = PromptAnswers;

class MainCommandsTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    sortField = 0;
    gotoText[0] = 0;
  }
  // A database of these rows, opened from the command line.
  void StartOn(const std::vector<std::vector<std::string>>& rows, const char* longName = "Fruit") {
    ASSERT_TRUE(MakeDatabase(Path("fruit.vdr"), kTypes, rows, longName));
    ASSERT_EQ(Start("Veldrana.exe \"" + Path("fruit.vdr") + "\""), StartResult::kStarted);
    ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  }
  void Command(int id) { SendMessageA(mainWindow, WM_COMMAND, id, 0); }
  // A key pressed (with Ctrl when asked) and handled by the program's loop.
  void PressKey(UINT key, bool ctrl = false) {
    if (ctrl) PostKeyMessage(recordList, WM_KEYDOWN, VK_CONTROL);
    PostKeyMessage(recordList, WM_KEYDOWN, key);
    PostKeyMessage(recordList, WM_KEYUP, key);
    if (ctrl) PostKeyMessage(recordList, WM_KEYUP, VK_CONTROL);
    Pump(150);
  }
  // Closes the record form, if it is open, as its close box does.
  void CloseForm() {
    if (recordForm) SendMessageA(recordForm, WM_CLOSE, 0, 0);
    ASSERT_EQ(recordForm, nullptr);
  }
  // The slot of the last row, as the list shows it.
  int32_t LastRowSlot() { return static_cast<int32_t>(TextToNumber(Cell(RowCount() - 1, 0).c_str())); }
  // The status bar as it reads with the form closed or open.
  std::string ExpectedStatus() {
    const std::string count = std::to_string(databaseFile.activeCount);
    if (recordForm == nullptr) return count + " Records in DB";
    return "Record " + std::to_string(currentRecordNumber) + " of " + count;
  }
};

// Every command that needs a database does nothing without one, and asks
// nothing.
TEST_F(MainCommandsTest, WithoutADatabaseTheCommandsDoNothing) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  const int ids[] = {CMD_SAVE, IDM_SAVE,   IDM_CLOSE,  CMD_ADD,      IDM_ADD,  CMD_COPY,
                     IDM_COPY, IDM_NAME,   CMD_SEARCH, CMD_GOTO,     IDM_GOTO, CMD_DELETE,
                     IDM_DELETE, IDM_EDIT, IDM_NEXT,   IDM_PREVIOUS, IDM_SORT};
  Prompts prompts;
  currentSlot = -7;
  for (int id : ids) {
    Command(id);
    EXPECT_TRUE(prompts.seen.empty()) << id;
    EXPECT_EQ(databaseFile.view, nullptr) << id;
    EXPECT_EQ(currentSlot, -7) << id;
    EXPECT_EQ(databaseChanged, 0u) << id;
  }
  EXPECT_EQ(StatusText(), "No File!");
}

// With one record, the commands that need two do nothing; Add and Copy work.
TEST_F(MainCommandsTest, WithOneRecordOnlyAddAndCopyWork) {
  StartOn({{"only", "5"}});
  FocusRow(0);
  Prompts prompts;
  currentSlot = -7;
  for (int id : {CMD_SEARCH, CMD_GOTO, IDM_GOTO, CMD_DELETE, IDM_DELETE, IDM_EDIT, IDM_NEXT,
                 IDM_PREVIOUS, IDM_SORT}) {
    Command(id);
    EXPECT_TRUE(prompts.seen.empty()) << id;
    EXPECT_EQ(currentSlot, -7) << id;
    EXPECT_EQ(RowCount(), 1) << id;
  }
  PressKey(VK_F3);
  PressKey(VK_DELETE, true);
  EXPECT_TRUE(prompts.seen.empty());
  EXPECT_EQ(databaseChanged, 0u);

  // The record can still be opened with a double click.
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = recordList;
  click.hdr.code = NM_DBLCLK;
  SendMessageA(mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(currentSlot, 0);
  EXPECT_NE(recordForm, nullptr);
  // The form names its record in the status bar when it paints.
  EXPECT_TRUE(PumpUntil([] { return StatusText() == "Record 1 of 1"; }));

  Command(CMD_COPY);
  ASSERT_EQ(RowCount(), 2);
  EXPECT_EQ(Cell(1, 3), "only");
  EXPECT_EQ(currentSlot, 1);
  Command(CMD_ADD);
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(currentSlot, 2);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_TRUE(prompts.seen.empty());
}

// Add from the toolbar, the menu and Ctrl+N: a new empty record, shown.
TEST_F(MainCommandsTest, AddMakesAnEmptyRecordAndShowsIt) {
  StartOn(kRows);
  struct Source {
    const char* name;
    std::function<void()> send;
  };
  const Source sources[] = {
      {"toolbar", [this] { Command(CMD_ADD); }},
      {"menu", [this] { Command(IDM_ADD); }},
      {"Ctrl+N", [this] { PressKey('N', true); }},
  };
  int rows = 3;
  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    databaseChanged = 0;
    CloseForm();
    source.send();
    ASSERT_EQ(RowCount(), ++rows);
    EXPECT_EQ(Cell(rows - 1, 1), std::to_string(rows));
    EXPECT_EQ(Cell(rows - 1, 3), "");
    EXPECT_EQ(Cell(rows - 1, 4), "0");
    EXPECT_EQ(currentSlot, LastRowSlot());
    EXPECT_EQ(currentRecordNumber, rows);
    EXPECT_EQ(databaseChanged, 1u);
    EXPECT_NE(recordForm, nullptr);
    EXPECT_EQ(StatusText(), "Record " + std::to_string(rows) + " of " + std::to_string(rows));
  }
}

TEST_F(MainCommandsTest, CopyDuplicatesTheFocusedRecord) {
  StartOn(kRows);
  // No focused row: nothing.
  Command(CMD_COPY);
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(databaseChanged, 0u);

  FocusRow(1);
  Command(IDM_COPY);
  ASSERT_EQ(RowCount(), 4);
  EXPECT_EQ(Cell(3, 3), "apple");
  EXPECT_EQ(Cell(3, 4), "3");
  EXPECT_EQ(currentSlot, LastRowSlot());
  EXPECT_EQ(currentRecordNumber, 4);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_NE(recordForm, nullptr);
  EXPECT_EQ(StatusText(), "Record 4 of 4");
  // The original is unchanged.
  EXPECT_EQ(ColumnTexts(3), (Strings{"pear", "apple", "Banana", "apple"}));
}

// 120 slots with 60 records in every other slot: the allocation for the copy
// compacts them first, so the chosen record moves from slot 78 to slot 39
// before it is copied. The copy is still of the record the user chose.
TEST_F(MainCommandsTest, CopyFollowsARecordThatTheAllocationMoves) {
  {
    testutil::Db db;
    ASSERT_TRUE(testutil::CreateAndOpen(*db, Path("spread.vdr"), kTypes));
    std::vector<uint32_t> statuses(120, kRecDeleted);
    for (size_t s = 0; s < 120; s += 2) statuses[s] = kRecActive;
    testutil::SetStatuses(*db, statuses);
    for (int32_t s = 0; s < 120; s += 2)
      testutil::SetText(*db, s, 1, "record " + std::to_string(s / 2 + 1));
    db->Close();
  }
  ASSERT_EQ(Start("Veldrana.exe \"" + Path("spread.vdr") + "\""), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  ASSERT_EQ(RowCount(), 60);
  FocusRow(39);
  ASSERT_EQ(FocusedRecordSlot(), 78);
  Command(CMD_COPY);
  ASSERT_EQ(RowCount(), 61);
  // The records were packed into slots 0 to 59, and the copy went after them.
  EXPECT_EQ(Cell(39, 0), "39");
  EXPECT_EQ(Cell(39, 3), "record 40");
  EXPECT_EQ(Cell(60, 0), "60");
  EXPECT_EQ(Cell(60, 3), "record 40");
  EXPECT_EQ(currentSlot, 60);
  EXPECT_EQ(currentRecordNumber, 61);
  EXPECT_NE(recordForm, nullptr);
}

// Every kind of step, made in either window, is taken back and made again by
// Ctrl+Z and Ctrl+Y (Ctrl+Shift+Z), by the Edit menu and from the record
// form, which is what its right-click menu sends: the list, the status bar,
// the caption and the Undo and Redo items follow, and Save writes what shows.
TEST_F(MainCommandsTest, EveryStepIsUndoneAndRedoneInBothWindows) {
  enum How { kKeys, kShiftKeys, kMenu, kForm };
  const struct {
    const char* name;  // what the Undo item names
    std::function<void()> step;
    std::vector<Answer> answers;
    How undo, redo;
  } steps[] = {
      {"Add", [this] { Command(CMD_ADD); }, {}, kKeys, kKeys},
      {"Copy", [] { FocusRow(1); SendMessageA(mainWindow, WM_COMMAND, CMD_COPY, 0); }, {}, kForm, kMenu},
      {"Delete", [] { FocusRow(0); SendMessageA(mainWindow, WM_COMMAND, CMD_DELETE, 0); }, {IDOK}, kMenu, kShiftKeys},
      {"Edit",
       [] {
         ShowRecord(2);
         SendMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(200, 61));
       },
       {{IDOK, "kiwi"}}, kForm, kForm},
      {"Sort", [] { ClickColumnHeader(3); }, {}, kMenu, kMenu},
      {"Import",
       [this] {
         testutil::WriteBytes(Path("more.csv"), {'f', 'i', 'g', ',', '7', '\n'});
         FileDialogAnswer dialog("Open", Path("more.csv"));
         Command(IDM_IMPORT);
       },
       {IDC_PROMPT_THIRD}, kKeys, kMenu},
      {"Rename", [this] { Command(IDM_NAME); }, {{IDOK, "Vegetables"}}, kKeys, kShiftKeys},
  };
  StartOn(kRows);
  auto menuText = [](int id) {
    char text[64] = "";
    GetMenuStringA(mainMenu, id, text, sizeof text, MF_BYCOMMAND);
    return std::string(text);
  };
  auto send = [this](How how, bool undo) {
    switch (how) {
      case kKeys:
      case kShiftKeys:
        SetKeyDown(VK_SHIFT, how == kShiftKeys);
        PressKey(undo ? 'Z' : how == kShiftKeys ? 'Z' : 'Y', true);
        SetKeyDown(VK_SHIFT, false);
        break;
      case kMenu:
        Command(undo ? IDM_UNDO : IDM_REDO);
        break;
      case kForm:
        ShowRecordForm();
        SendMessageA(recordForm, WM_COMMAND, undo ? IDM_UNDO : IDM_REDO, 0);
        break;
    }
  };
  struct State {
    std::vector<Strings> cells;
    std::string status, caption;
    bool operator==(const State& o) const { return cells == o.cells && status == o.status && caption == o.caption; }
  };
  auto state = [] {
    State now;
    for (int column = 0; column < 5; ++column) now.cells.push_back(ColumnTexts(column));
    CloseRecordForm();
    now.status = StatusText();
    now.caption = Caption();
    return now;
  };
  EXPECT_FALSE(MenuItemEnabled(IDM_UNDO));
  EXPECT_FALSE(MenuItemEnabled(IDM_REDO));
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    CloseRecordForm();
    const State before = state();
    {
      Prompts prompts(step.answers);
      step.step();
      ASSERT_EQ(prompts.seen.size(), step.answers.size());
    }
    const State after = state();
    ASSERT_FALSE(after == before);
    EXPECT_EQ(menuText(IDM_UNDO), std::string("Undo ") + step.name + "\tCtrl+Z");
    EXPECT_TRUE(MenuItemEnabled(IDM_UNDO));
    EXPECT_FALSE(MenuItemEnabled(IDM_REDO));
    send(step.undo, true);
    EXPECT_TRUE(state() == before);
    EXPECT_EQ(menuText(IDM_REDO), std::string("Redo ") + step.name + "\tCtrl+Y");
    EXPECT_TRUE(MenuItemEnabled(IDM_REDO));
    send(step.redo, false);
    EXPECT_TRUE(state() == after);
    EXPECT_FALSE(MenuItemEnabled(IDM_REDO));
  }
  // Save writes the records as they show, then the steps can still be taken
  // back, and taking back every one of them gives the file as it was.
  Command(CMD_SAVE);
  EXPECT_EQ(databaseChanged, 0u);
  const std::vector<std::vector<std::string>> shown = {ColumnTexts(3), ColumnTexts(4)};
  testutil::Db saved;
  ASSERT_TRUE(testutil::OpenDatabase(*saved, Path("fruit.vdr"), false));
  Strings names;
  for (uint32_t n = 1; n <= saved->activeCount; ++n) names.push_back(testutil::GetText(*saved, saved->SlotOfRecordNumber(n), 1));
  EXPECT_EQ(names, shown[0]);
  saved->Close();
  {
    // While a question is open, Undo waits for the answer.
    Prompts question({{IDCANCEL, nullptr, [this] { Command(IDM_UNDO); }}});
    FocusRow(0);
    Command(CMD_DELETE);
    ASSERT_EQ(question.seen.size(), 1u);
  }
  EXPECT_EQ(ColumnTexts(3), shown[0]);
  for (size_t i = 0; i < std::size(steps); ++i) Command(IDM_UNDO);
  EXPECT_FALSE(MenuItemEnabled(IDM_UNDO));
  EXPECT_EQ(ColumnTexts(3), (Strings{"pear", "apple", "Banana"}));
  EXPECT_EQ(Caption(), "Fruit");
  EXPECT_EQ(databaseChanged, 1u);
}

// A filter shows the records that match, with their own numbers and a
// count; the list works on what it shows, and changes keep in view what the
// user did.
TEST_F(MainCommandsTest, AFilterShowsTheMatchingRecordsAndTheListWorksOnThem) {
  StartOn({{"Lyon", "5"}, {"Paris", "2"}, {"lyonnais", "3"}, {"Nice", "4"}, {"Lyon Part-Dieu", "1"}, {"x", "6"}});
  EXPECT_FALSE(MenuItemEnabled(IDM_SHOW_ALL));
  {
    Prompts filter({{IDOK, "LYON"}});
    PressKey('L', true);
    ASSERT_EQ(filter.seen.size(), 1u);
    EXPECT_EQ(filter.seen[0].line1, "Filter");
  }
  EXPECT_EQ(ColumnTexts(3), (Strings{"Lyon", "lyonnais", "Lyon Part-Dieu"}));
  EXPECT_EQ(ColumnTexts(1), (Strings{"1", "3", "5"}));  // their own record numbers
  EXPECT_EQ(ColumnTexts(0), (Strings{"0", "2", "4"}));
  EXPECT_EQ(StatusText(), "3 of 6 Records shown");
  EXPECT_TRUE(MenuItemEnabled(IDM_SHOW_ALL));
  EXPECT_EQ(databaseChanged, 0u);

  // Typing an Index goes to its row among those shown.
  SetFocus(recordList);
  SendMessageA(recordList, WM_CHAR, '4', 1);
  EXPECT_EQ(FocusedRecordSlot(), 4);

  // A sort sorts the database and applies the filter to the new order.
  ClickColumnHeader(4);
  EXPECT_EQ(ColumnTexts(3), (Strings{"Lyon Part-Dieu", "lyonnais", "Lyon"}));
  EXPECT_EQ(ColumnTexts(1), (Strings{"1", "3", "5"}));

  // A record added or edited stays in view, matching or not.
  Command(CMD_ADD);
  CloseForm();
  EXPECT_EQ(ColumnTexts(3), (Strings{"Lyon Part-Dieu", "lyonnais", "Lyon", ""}));
  EXPECT_EQ(StatusText(), "4 of 7 Records shown");

  // Delete and Copy act on the rows shown; a deleted record leaves.
  {
    Prompts confirm({IDOK});
    FocusRow(1);
    Command(CMD_DELETE);
    ASSERT_EQ(confirm.seen.size(), 1u);
  }
  EXPECT_EQ(ColumnTexts(3), (Strings{"Lyon Part-Dieu", "Lyon", ""}));
  FocusRow(1);
  Command(CMD_COPY);
  CloseForm();
  EXPECT_EQ(ColumnTexts(3), (Strings{"Lyon Part-Dieu", "Lyon", "Lyon", ""}));  // in the deleted one's slot
  EXPECT_EQ(StatusText(), "4 of 7 Records shown");

  // Export As asks; Yes writes only the records shown.
  {
    Prompts question({IDOK});
    FileDialogAnswer dialog("Save As", Path("shown.csv"));
    Command(IDM_EXPORT_AS);
    ASSERT_EQ(question.seen.size(), 1u);
    EXPECT_EQ(question.seen[0].line2, "A filter is on.");
    EXPECT_EQ(question.seen[0].line3, "Export only the 4 records shown?");
  }
  const std::vector<uint8_t> sheet = FileBytes(Path("shown.csv"));
  EXPECT_EQ(std::count(sheet.begin(), sheet.end(), '\n'), 5);

  // Show All (Ctrl+Shift+L) shows every record again.
  SetKeyDown(VK_SHIFT, true);
  PressKey('L', true);
  SetKeyDown(VK_SHIFT, false);
  EXPECT_EQ(RowCount(), 7);
  EXPECT_EQ(StatusText(), "7 Records in DB");
  EXPECT_FALSE(MenuItemEnabled(IDM_SHOW_ALL));
  // An empty filter does the same; Close forgets the filter.
  {
    Prompts filter({{IDOK, "paris"}, {IDOK, ""}});
    Command(IDM_FILTER);
    EXPECT_EQ(RowCount(), 1);
    Command(IDM_FILTER);
    EXPECT_EQ(RowCount(), 7);
  }
}

TEST_F(MainCommandsTest, NameRenamesTheDatabase) {
  StartOn(kRows, "Fruit");
  {
    Prompts cancel({{IDCANCEL, "Never"}});
    Command(IDM_NAME);
    ASSERT_EQ(cancel.seen.size(), 1u);
    EXPECT_EQ(cancel.seen[0].line1, "Database Name");
    EXPECT_EQ(cancel.seen[0].edit, "Fruit");
  }
  EXPECT_EQ(Caption(), "Fruit");
  EXPECT_EQ(databaseChanged, 0u);

  {
    Prompts rename({{IDOK, "Vegetables"}});
    Command(IDM_NAME);
    ASSERT_EQ(rename.seen.size(), 1u);
  }
  EXPECT_EQ(Caption(), "Vegetables");
  ASSERT_EQ(databaseFile.ReadLongName(), 1);
  EXPECT_STREQ(databaseFile.textValue, "Vegetables");
  EXPECT_EQ(databaseChanged, 1u);

  {
    // An empty name empties the caption; the next prompt starts empty.
    Prompts empty({{IDOK, ""}, {IDCANCEL}});
    Command(IDM_NAME);
    EXPECT_EQ(Caption(), "");
    Command(IDM_NAME);
    ASSERT_EQ(empty.seen.size(), 2u);
    EXPECT_EQ(empty.seen[1].edit, "");
  }
  // Renaming alone is a change: closing asks to save.
  Prompts question({Answer{IDC_PROMPT_THIRD}});
  Command(IDM_CLOSE);
  ASSERT_EQ(question.seen.size(), 1u);
  EXPECT_EQ(question.seen[0].line2, "This Veldrana has been changed.");
}

TEST_F(MainCommandsTest, SearchFindsTheFirstMatchOrSaysThereIsNone) {
  const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
  StartOn({{"pear", "1"}, {"apple", "3"}, {thirty + " and more", "2"}});
  struct Case {
    const char* name;
    Answer answer;
    int32_t slot;         // currentSlot afterwards
    const char* message;  // the message shown after the prompt, or null
    std::string searchText;
  };
  const std::string forty = thirty + "XXXXXXXXXX";
  const Case cases[] = {
      {"case does not matter", {IDOK, "APP"}, 1, nullptr, "APP"},
      {"a number", {IDOK, "1"}, 0, nullptr, "1"},
      {"the first 30 characters of 40", {IDOK, forty.c_str()}, 2, nullptr, thirty},
      {"no match", {IDOK, "plum"}, -7, "No Match Found", "plum"},
      {"cancelled with a text typed", {IDCANCEL, "pear"}, -7, nullptr, "unchanged"},
      {"empty input", {IDOK, ""}, -7, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CloseForm();
    currentSlot = -7;
    CopyText("unchanged", databaseFile.searchText, sizeof databaseFile.searchText);
    std::vector<Answer> answers = {c.answer};
    if (c.message) answers.push_back({IDOK});
    Prompts prompts(answers);
    Command(CMD_SEARCH);
    ASSERT_EQ(prompts.seen.size(), c.message ? 2u : 1u);
    EXPECT_EQ(prompts.seen[0].line1, "Search for...");
    EXPECT_TRUE(prompts.seen[0].editShown);
    EXPECT_EQ(prompts.seen[0].edit, "");
    if (c.message) {
      EXPECT_EQ(prompts.seen[1].line2, c.message);
      EXPECT_FALSE(prompts.seen[1].cancelShown);
    }
    EXPECT_EQ(currentSlot, c.slot);
    EXPECT_EQ(recordForm != nullptr, c.slot != -7);
    EXPECT_EQ(std::string(databaseFile.searchText), c.searchText);
    EXPECT_EQ(prompts.unexpected, 0);
  }
  EXPECT_EQ(databaseChanged, 0u);
}

// F3 and Ctrl+F search; after Close there is nothing to search, and F3 does
// nothing, though the closed database had records.
TEST_F(MainCommandsTest, SearchKeysNeedAnOpenDatabase) {
  StartOn(kRows);
  {
    Prompts prompts({{IDOK, "banana"}, {IDCANCEL}});
    PressKey(VK_F3);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(currentSlot, 2);
    PressKey('F', true);
    ASSERT_EQ(prompts.seen.size(), 2u);
    EXPECT_EQ(prompts.seen[1].line1, "Search for...");
  }
  Command(IDM_CLOSE);
  ASSERT_EQ(databaseFile.view, nullptr);
  ASSERT_GE(databaseFile.activeCount, 2u);  // the closed database's count stays
  Prompts none;
  PressKey(VK_F3);
  PressKey('F', true);
  Command(CMD_SEARCH);
  EXPECT_TRUE(none.seen.empty());
}

TEST_F(MainCommandsTest, GotoShowsTheRecordOfTheTypedNumber) {
  StartOn({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  // Record 2 deleted: the third record is in slot 3.
  databaseFile.SetRecStat(1, kRecDeleted);
  struct Case {
    const char* name;
    int id;
    Answer answer;
    const char* prefilled;
    int32_t slot;  // currentSlot afterwards
    bool shows;    // a record is shown in the form
  };
  const Case cases[] = {
      {"record 3", CMD_GOTO, {IDOK, "3"}, "1", 3, true},
      {"starts with the current number", IDM_GOTO, {IDOK}, "3", 3, true},
      {"record 1", IDM_GOTO, {IDOK, "1"}, "3", 0, true},
      {"0", CMD_GOTO, {IDOK, "0"}, "1", 0, false},
      {"beyond the count", CMD_GOTO, {IDOK, "4"}, "1", 0, false},
      {"negative", CMD_GOTO, {IDOK, "-1"}, "1", 0, false},
      {"cancelled", CMD_GOTO, {IDCANCEL, "2"}, "1", 0, false},
      {"record 2", CMD_GOTO, {IDOK, "2"}, "1", 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CloseForm();
    Prompts prompts({c.answer});
    Command(c.id);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line1, "Goto");
    EXPECT_EQ(prompts.seen[0].edit, c.prefilled);
    EXPECT_EQ(currentSlot, c.slot);
    EXPECT_EQ(currentRecordNumber, databaseFile.RecordNumberOf(c.slot));
    EXPECT_EQ(recordForm != nullptr, c.shows);
  }
  EXPECT_EQ(databaseChanged, 0u);
}

TEST_F(MainCommandsTest, DeleteAsksAndRemovesTheFocusedRecord) {
  StartOn({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  Prompts prompts({{IDCANCEL}, {IDOK}, {IDOK}});
  // No focused row: no question.
  Command(CMD_DELETE);
  PressKey(VK_DELETE, true);
  EXPECT_TRUE(prompts.seen.empty());

  // Cancel keeps the record.
  FocusRow(1);
  Command(IDM_DELETE);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line2, "Confirm?");
  EXPECT_TRUE(prompts.seen[0].cancelShown);
  EXPECT_EQ(RowCount(), 4);
  EXPECT_EQ(databaseChanged, 0u);

  // OK removes it; the rows after it are numbered again.
  Command(CMD_DELETE);
  ASSERT_EQ(prompts.seen.size(), 2u);
  EXPECT_EQ(ColumnTexts(3), (Strings{"a", "c", "d"}));
  EXPECT_EQ(ColumnTexts(1), (Strings{"1", "2", "3"}));
  EXPECT_EQ(ColumnTexts(0), (Strings{"0", "2", "3"}));
  EXPECT_EQ(databaseFile.GetRecStat(1), kRecDeleted);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_EQ(StatusText(), ExpectedStatus());
  // The list lost its focus with the rebuild: nothing more is deleted.
  Command(CMD_DELETE);
  EXPECT_EQ(prompts.seen.size(), 2u);

  // Ctrl+Delete on a focused row.
  FocusRow(2);
  PressKey(VK_DELETE, true);
  ASSERT_EQ(prompts.seen.size(), 3u);
  EXPECT_EQ(ColumnTexts(3), (Strings{"a", "c"}));
  EXPECT_EQ(prompts.unexpected, 0);
}

// Export writes "Veldrana.CSV" into the current folder.
TEST_F(MainCommandsTest, ExportWritesTheCsvFileInTheCurrentFolder) {
  StartOn(kRows);
  char before[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof before, before);
  ASSERT_TRUE(CreateDirectoryA(Path("out").c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA(Path("out").c_str()));
  Command(IDM_EXPORT);
  SetCurrentDirectoryA(before);
  const std::vector<uint8_t> bytes = FileBytes(Path("out\\Veldrana.CSV"));
  // A line per slot: the three records, then an empty line per free slot.
  const std::string expected = "\"pear\", \"1\", \r\"apple\", \"3\", \r\"Banana\", \"2\", \r" +
                               std::string(databaseFile.slotCount - 3, '\r');
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
  EXPECT_FALSE(FileExists(Path("Veldrana.CSV")));
  EXPECT_EQ(databaseChanged, 0u);
  // A write that fails says so, naming the file, and the last export stays.
  ASSERT_TRUE(SetCurrentDirectoryA(Path("out").c_str()));
  Prompts prompts({IDOK});
  platform::FailWritesAfter(0);
  Command(IDM_EXPORT);
  platform::FailWritesAfter(-1);
  SetCurrentDirectoryA(before);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line2, "The export could not be written:");
  EXPECT_EQ(prompts.seen[0].line3, Path("out\\Veldrana.CSV"));
  EXPECT_EQ(FileBytes(Path("out\\Veldrana.CSV")), bytes);
}

// The right-click menu's Sort, chosen in the real menu with the keyboard:
// by field 1 at first, then by the field whose header was clicked last.
LRESULT CALLBACK ChooseSortInMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC mainProcedure;
int menuKeysPosted;
LRESULT CALLBACK ChooseSortInMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU && menuKeysPosted == 0) {
    // About, Help, Sort: three steps down, then Enter.
    HWND menu = reinterpret_cast<HWND>(lParam);
    for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
      PostKeyMessage(menu, WM_KEYDOWN, key);
      PostKeyMessage(menu, WM_KEYUP, key);
    }
    menuKeysPosted = 1;
  }
  return CallWindowProcA(mainProcedure, window, message, wParam, lParam);
}

TEST_F(MainCommandsTest, SortFromTheRightClickMenu) {
  StartOn(kRows);
  mainProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChooseSortInMenu)));
  // The menu posts the chosen command to the window.
  auto sortFromMenu = [this] {
    menuKeysPosted = 0;
    SendMessageA(mainWindow, WM_RBUTTONUP, 0, MAKELPARAM(50, 40));
    Pump(100);
  };
  sortFromMenu();
  EXPECT_EQ(menuKeysPosted, 1);
  EXPECT_EQ(ColumnTexts(3), (Strings{"apple", "Banana", "pear"}));
  EXPECT_EQ(databaseChanged, 1u);

  ClickColumnHeader(4);
  EXPECT_EQ(ColumnTexts(3), (Strings{"pear", "Banana", "apple"}));
  // A new record goes last; Sort puts it in its place by field 2.
  Command(CMD_ADD);
  ASSERT_EQ(ColumnTexts(3), (Strings{"pear", "Banana", "apple", ""}));
  sortFromMenu();
  EXPECT_EQ(ColumnTexts(3), (Strings{"", "pear", "Banana", "apple"}));
  EXPECT_EQ(ColumnTexts(4), (Strings{"0", "1", "2", "3"}));
  EXPECT_FALSE(sortInProgress);
  // The column clicked belongs to the database it was clicked in: after
  // Close and Open, Sort goes by field 1 again.
  {
    Prompts discard({IDC_PROMPT_THIRD});
    Command(IDM_CLOSE);
  }
  OpenDatabase(currentFileName);
  ASSERT_EQ(ColumnTexts(3), (Strings{"pear", "apple", "Banana"}));
  sortFromMenu();
  EXPECT_EQ(ColumnTexts(3), (Strings{"apple", "Banana", "pear"}));
  SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProcedure));
}

// View > Next and Previous step the current record and show it; at the ends
// it stays. A current record that is gone gives the first record.
TEST_F(MainCommandsTest, NextAndPreviousFromTheViewMenu) {
  StartOn({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  databaseFile.SetRecStat(1, kRecDeleted);  // active slots 0, 2, 3
  ASSERT_EQ(currentRecordNumber, 1);        // Open shows record 1
  struct Step {
    int id;
    int32_t slot;
  };
  const Step steps[] = {{IDM_NEXT, 2},     {IDM_NEXT, 3},     {IDM_NEXT, 3},    {IDM_PREVIOUS, 2},
                        {IDM_PREVIOUS, 0}, {IDM_PREVIOUS, 0}, {IDM_NEXT, 2}};
  for (const Step& step : steps) {
    Command(step.id);
    EXPECT_EQ(currentSlot, step.slot) << step.id;
    EXPECT_EQ(currentRecordNumber, databaseFile.RecordNumberOf(step.slot));
    EXPECT_NE(recordForm, nullptr);
  }
  // With the form open, the steps start from the record it shows.
  SendMessageA(recordForm, WM_COMMAND, CMD_NEXT, 0);
  ASSERT_EQ(currentSlot, 3);
  Command(IDM_PREVIOUS);
  EXPECT_EQ(currentSlot, 2);
  EXPECT_EQ(StatusText(), "Record 2 of 3");
  EXPECT_EQ(databaseChanged, 0u);

  // Record 2 (slot 2) is the current one; deleting it leaves nothing to step
  // from.
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  RebuildRecordList();
  FocusRow(1);
  ASSERT_EQ(FocusedRecordSlot(), 2);
  Prompts confirm({Answer{IDOK}});
  Command(IDM_DELETE);
  ASSERT_EQ(databaseFile.GetRecStat(2), kRecDeleted);
  Command(IDM_NEXT);
  EXPECT_EQ(currentSlot, 0);
  EXPECT_EQ(currentRecordNumber, 1);
}

}  // namespace
