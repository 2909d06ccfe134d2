// The record form under Wine, opened in the program started by its own
// start-up code on real databases: what it paints (read back through the
// form's text output), resizing and scrolling by keys and wheel, editing a
// field with a Shift-click through the real prompt, the right-click menu,
// closing, every command of its toolbar and menu, and the search navigator
// on its own thread.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/folders.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/shell_open.h"
#include "ui/placement.h"
#include "core/settings.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "ui/main/file_menu.h"
#include "tests/gui/dialog_steps.h"
#include "tests/gui/program_test_util.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/form_commands.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"
#include "ui/views.h"

using namespace programtest;
using Strings = std::vector<std::string>;

namespace {

constexpr uint32_t kNumber8 = 0, kNumber16 = 1, kNumber32 = 2, kText16 = 11, kText64 = 12;
constexpr char kPromptCaption[] = "Veldrana 1.0";

// What the form drew, text by text, while the recorder was in place.
struct Drawn {
  int x, y;
  std::string text;
};
std::vector<Drawn> drawn;
BOOL WINAPI RecordText(HDC dc, int x, int y, LPCSTR text, int length) {
  drawn.push_back({x, y, std::string(text, static_cast<size_t>(length))});
  return TextOutA(dc, x, y, text, length);
}

// A painted field row: the label at x 5 and the value at x 150 of one y.
struct Row {
  int y;
  std::string label, value;
  bool operator==(const Row& o) const { return y == o.y && label == o.label && value == o.value; }
};
std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << "{" << row.y << ", " << row.label << ", " << row.value << "}";
}

using Prompts = PromptAnswers;

// Rows of text fields, texts "r<record>f<field>".
std::vector<std::vector<std::string>> NumberedRows(size_t records, size_t fields) {
  std::vector<std::vector<std::string>> rows(records);
  for (size_t r = 0; r < records; ++r)
    for (size_t f = 0; f < fields; ++f)
      rows[r].push_back("r" + std::to_string(r + 1) + "f" + std::to_string(f + 1));
  return rows;
}

// The test's windows live on a desktop of their own (ProgramTest). The
// program's second thread, the search navigator's, would start on the
// process's first desktop, where the test cannot reach it; in the program
// every thread shares one desktop. So while a test runs, each new thread of
// the process is put on the test's desktop before it starts.
HDESK testDesktop;
void NTAPI PutThreadOnTestDesktop(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH && testDesktop) SetThreadDesktop(testDesktop);
}
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK threadDesktopCallback =
    PutThreadOnTestDesktop;

// A navigator: a prompt of this process on a thread of its own.
HWND FindNavigator() { return guitest::FindOtherThreadDialog(kPromptCaption); }

class RecordFormTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    drawn.clear();
    formTextOut = RecordText;
    testDesktop = GetThreadDesktop(GetCurrentThreadId());
  }
  void TearDown() override {
    if (navigator && IsWindow(navigator)) {
      guitest::PostCommand(navigator, IDCANCEL);
      PumpUntil([] { return promptOpen.load() == 0; });
    }
    ProgramTest::TearDown();
    formTextOut = TextOutA;
    testDesktop = nullptr;
  }

  // A database in the scratch folder, opened from the command line.
  void StartOn(const std::vector<uint32_t>& types, const std::vector<std::vector<std::string>>& rows) {
    ASSERT_TRUE(MakeDatabase(Path("form.vdr"), types, rows, "Form"));
    ASSERT_EQ(Start("Veldrana.exe \"" + Path("form.vdr") + "\""), StartResult::kStarted);
    ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  }
  // Another database opened in the running program, as Open does it.
  void OpenOther(const std::string& name, const std::vector<uint32_t>& types,
                 const std::vector<std::vector<std::string>>& rows) {
    ASSERT_TRUE(MakeDatabase(Path(name), types, rows, "Other"));
    databaseChanged = 0;
    CopyText(Path(name).c_str(), currentFileName, sizeof currentFileName);
    OpenDatabase(currentFileName);
    ASSERT_NE(databaseFile.view, nullptr);
  }
  void OpenForm(int32_t slot) {
    currentSlot = slot;
    ShowRecordForm();
    ASSERT_NE(recordForm, nullptr);
    Pump(30);
  }
  // Gives the form a client area of this height.
  void SetClientHeight(int height) {
    RECT window, client;
    GetWindowRect(recordForm, &window);
    GetClientRect(recordForm, &client);
    const int frame = (window.bottom - window.top) - client.bottom;
    SetWindowPos(recordForm, nullptr, 0, 0, window.right - window.left, height + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(formClientHeight, static_cast<uint32_t>(height));
  }

  // What one whole paint of the form draws now.
  std::vector<Drawn> Paint() {
    drawn.clear();
    RedrawWindow(recordForm, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return drawn;
  }
  std::string Header() {
    const std::vector<Drawn> texts = Paint();
    for (const Drawn& text : texts)
      if (text.x == kFormHeaderX && text.y == kFormHeaderY) return text.text;
    return "(no header)";
  }
  // The field rows of the last paint, top down.
  static std::vector<Row> RowsOf(const std::vector<Drawn>& texts) {
    std::vector<Row> rows;
    for (const Drawn& text : texts) {
      if (text.y < kFormFirstRowY) continue;
      if (rows.empty() || rows.back().y != text.y) rows.push_back({text.y, "", ""});
      (text.x == kFormLabelX ? rows.back().label : rows.back().value) = text.text;
    }
    return rows;
  }
  std::vector<Row> Rows() { return RowsOf(Paint()); }

  void Command(int id) { SendMessageA(recordForm, WM_COMMAND, id, 0); }
  void Key(UINT key) {
    PostKeyMessage(recordForm, WM_KEYDOWN, key);
    PostKeyMessage(recordForm, WM_KEYUP, key);
    Pump(20);
  }
  void Wheel(int distance) {
    SendMessageA(recordForm, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(distance)), MAKELPARAM(200, 200));
  }
  void ShiftClick(int y) {
    SendMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(200, y));
  }
  // Scrolls to this first row from the top, one row at a time.
  void ScrollTo(uint32_t row) {
    SendMessageA(recordForm, WM_VSCROLL, SB_TOP, 0);
    for (uint32_t i = 0; i < row; ++i) SendMessageA(recordForm, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(firstRow, row);
  }
  HWND WaitForNavigator() {
    PumpUntil([&] { return (navigator = FindNavigator()) != nullptr; });
    return navigator;
  }
  // Waits until the navigator has asked for a record and shows its status.
  bool NavigatorStatus(const char* status) {
    Pump(150);
    return PumpUntil([&] {
      return guitest::ItemShown(navigator, IDC_PROMPT_LINE1) &&
             guitest::ItemText(navigator, IDC_PROMPT_LINE1) == status;
    });
  }

  HWND navigator = nullptr;
};

std::string TooltipOf(HWND bar, int command) {
  HWND tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
  char text[256] = "";
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = bar;
  tool.uId = command;
  tool.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

int FormCount() {
  int count = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, "VDDetail", nullptr); w;
       w = FindWindowExA(nullptr, w, "VDDetail", nullptr))
    ++count;
  return count;
}

TEST_F(RecordFormTest, OpensAtItsPlaceWithItsToolbarAndClosesKeepingThePlace) {
  StartOn({kText64}, {{"one"}, {"two"}, {"three"}});
  WINDOWPLACEMENT place = {};
  place.length = sizeof place;
  place.showCmd = SW_SHOWNORMAL;
  SetRect(&place.rcNormalPosition, 300, 200, 800, 600);
  FromNativePlacement(place, &settings.formPlacement);
  OpenForm(1);

  EXPECT_EQ(guitest::ClassOf(recordForm), "VDDetail");
  EXPECT_EQ(guitest::WindowText(recordForm), "Veldrana 0.93");
  RECT rect;
  GetWindowRect(recordForm, &rect);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 200);
  EXPECT_EQ(rect.right, 800);
  EXPECT_EQ(rect.bottom, 600);
  // The vertical bar shows only when there is something to scroll (see the
  // scrolling tests); the horizontal one would do nothing and never shows.
  const LONG style = GetWindowLongA(recordForm, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_FALSE(style & WS_HSCROLL);
  EXPECT_TRUE(IsWindowVisible(recordForm));
  EXPECT_EQ(GetWindow(recordForm, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(recordForm), nullptr);
  EXPECT_EQ(GetMenu(recordForm), nullptr);
  EXPECT_EQ(StatusText(), "Record 2 of 3");

  // The toolbar: buttons, images, separators and tooltips in order.
  ASSERT_EQ(GetDlgItem(recordForm, 1), formToolbar);
  EXPECT_EQ(guitest::ClassOf(formToolbar), "ToolbarWindow32");
  const struct {
    int command, image;
    const char* tip;
  } buttons[] = {
      {CMD_ADD, 3, "Add New Record"},  {CMD_COPY, 4, "Copy This Record"},
      {CMD_DELETE, 5, "Delete This Record"}, {0, 0, nullptr},
      {CMD_PREVIOUS, 9, "Previous Record"}, {CMD_NEXT, 10, "Next Record"},
      {CMD_GOTO, 11, "Goto Record"},   {0, 0, nullptr},
      {CMD_SEARCH, 12, "Search Veldrana"}, {0, 0, nullptr},
      {CMD_HELP, 13, "Open ReadMe"},
  };
  ASSERT_EQ(SendMessageA(formToolbar, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(std::size(buttons)));
  for (int i = 0; i < static_cast<int>(std::size(buttons)); ++i) {
    TBBUTTON button = {};
    ASSERT_TRUE(SendMessageA(formToolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
    if (buttons[i].tip == nullptr) {
      EXPECT_TRUE(button.fsStyle & BTNS_SEP) << i;
      continue;
    }
    EXPECT_EQ(button.idCommand, buttons[i].command) << i;
    EXPECT_EQ(button.iBitmap, buttons[i].image) << i;
    EXPECT_TRUE(button.fsState & TBSTATE_ENABLED) << i;
    EXPECT_EQ(TooltipOf(formToolbar, buttons[i].command), buttons[i].tip) << i;
  }
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(formToolbar, TB_GETIMAGELIST, 0, 0));
  EXPECT_EQ(ImageList_GetImageCount(images), 14);

  // Asked again, the open form shows the new record; no second form.
  HWND form = recordForm;
  currentSlot = 2;
  ShowRecordForm();
  EXPECT_EQ(recordForm, form);
  EXPECT_EQ(FormCount(), 1);
  EXPECT_EQ(Header(), "Record 3, Index 2");
  EXPECT_EQ(StatusText(), "Record 3 of 3");

  // Closing keeps where the form was; it opens there again.
  SetWindowPos(recordForm, nullptr, 250, 150, 600, 450, SWP_NOZORDER);
  SendMessageA(recordForm, WM_CLOSE, 0, 0);
  EXPECT_EQ(recordForm, nullptr);
  EXPECT_FALSE(IsWindow(form));
  EXPECT_EQ(FormCount(), 0);
  EXPECT_EQ(StatusText(), "3 Records in DB");
  EXPECT_EQ(settings.formPlacement.normalLeft, 250);
  EXPECT_EQ(settings.formPlacement.normalBottom, 600);
  OpenForm(0);
  GetWindowRect(recordForm, &rect);
  EXPECT_EQ(rect.left, 250);
  EXPECT_EQ(rect.right, 850);

  // A form closed minimised comes back where the user sees it.
  ShowWindow(recordForm, SW_MINIMIZE);
  SendMessageA(recordForm, WM_CLOSE, 0, 0);
  EXPECT_EQ(settings.formPlacement.showCommand, static_cast<uint32_t>(SW_SHOWMINIMIZED));
  OpenForm(0);
  EXPECT_FALSE(IsIconic(recordForm));
  EXPECT_TRUE(IsWindowVisible(recordForm));

  // Closing the database closes the form, which keeps its place.
  SetWindowPos(recordForm, nullptr, 120, 130, 500, 400, SWP_NOZORDER);
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_EQ(recordForm, nullptr);
  EXPECT_EQ(FormCount(), 0);
  EXPECT_EQ(settings.formPlacement.normalLeft, 120);
  EXPECT_EQ(settings.formPlacement.normalTop, 130);
  // Without a database there is nothing to show.
  ShowRecordForm();
  EXPECT_EQ(recordForm, nullptr);
}

TEST_F(RecordFormTest, PaintsTheHeaderTheLabelsAndTheValues) {
  StartOn({kText64, kNumber8, kNumber32, kText16},
          {{"pear", "7", "4294967295", "a"}, {"b1"}, {"b2"}, {"b3"}, {"b4"}, {"b5"}, {"b6"},
           {"fig", "255", "0", "z"}});
  DatabaseFile& db = databaseFile;
  for (int32_t slot : {1, 3, 4, 5, 6}) db.SetRecStat(slot, kRecDeleted);
  OpenForm(7);
  const std::vector<Drawn> texts = Paint();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0].x, 5);
  EXPECT_EQ(texts[0].y, 30);
  EXPECT_EQ(texts[0].text, "Record 3, Index 7");
  EXPECT_EQ(RowsOf(texts), (std::vector<Row>{{60, "Field 1", "fig"}, {80, "Field 2", "255"},
                                             {100, "Field 3", "0"}, {120, "Field 4", "z"}}));
  EXPECT_EQ(StatusText(), "Record 3 of 3");
  // The table is drawn on white, whatever the window colour is.
  HDC dc = GetDC(recordForm);
  EXPECT_EQ(GetPixel(dc, 400, 300), RGB(255, 255, 255));
  ReleaseDC(recordForm, dc);

  // Numbers as unsigned text with every digit.
  currentSlot = 0;
  EXPECT_EQ(Rows()[2], (Row{100, "Field 3", "4294967295"}));

  // A slot that holds no record shows as record -1, its fields still read.
  currentSlot = 3;
  EXPECT_EQ(Header(), "Record -1, Index 3");
  EXPECT_EQ(Rows()[0], (Row{60, "Field 1", "b3"}));

  // The row height comes from the settings.
  settings.rowHeight = 25;
  currentSlot = 7;
  std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3].y, 135);
  settings.rowHeight = 20;
}

TEST_F(RecordFormTest, FieldsWithoutALabelShowTheirNumbers) {
  // 66 fields under a template of 64 labels (and a spare, empty label slot):
  // the last field has no label slot and shows its number.
  StartOn(std::vector<uint32_t>(66, kText64), {{"first"}});
  OpenForm(0);
  SetClientHeight(200);
  std::vector<Row> rows = Rows();
  ASSERT_EQ(rows.size(), 66u);  // every row is drawn, also those below the edge
  EXPECT_EQ(rows[0], (Row{60, "Field 1", "first"}));
  EXPECT_EQ(rows[63].label, "Field 64");
  EXPECT_EQ(rows[64].label, "");  // the template's one spare label slot
  EXPECT_EQ(rows[65], (Row{60 + 65 * 20, "66", ""}));
  SendMessageA(recordForm, WM_CLOSE, 0, 0);

  // A database opened without records has its labels all the same: its
  // first record, added now, shows them.
  OpenOther("empty.vdr", {kNumber16, kText16, kText64}, {});
  EXPECT_EQ(databaseFile.activeCount, 0u);
  AddRecordCommand();
  ASSERT_NE(recordForm, nullptr);
  EXPECT_EQ(Header(), "Record 1, Index 0");
  EXPECT_EQ(Rows(), (std::vector<Row>{{60, "Field 1", "0"}, {80, "Field 2", ""}, {100, "Field 3", ""}}));
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_EQ(RowCount(), 1);
}

// A label longer than its column stops short of the value, which starts at
// x 150 as always.
TEST_F(RecordFormTest, ALongLabelStopsShortOfTheValue) {
  // 44 fields: the world template, whose field 23 is "Independence or founding".
  StartOn(std::vector<uint32_t>(44, kText64), NumberedRows(1, 44));
  OpenForm(0);
  SetClientHeight(200);
  ScrollTo(22);
  const std::vector<Row> rows = Rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], (Row{60, "Independence or founding", "r1f23"}));
  HDC dc = GetDC(recordForm);
  int inked = 0, inGap = 0;
  for (int y = 60; y < 80; ++y) {
    for (int x = 5; x < 144; ++x) inked += GetPixel(dc, x, y) != RGB(255, 255, 255);
    for (int x = 144; x < 150; ++x) inGap += GetPixel(dc, x, y) != RGB(255, 255, 255);
  }
  ReleaseDC(recordForm, dc);
  EXPECT_GT(inked, 50);   // the label is there
  EXPECT_EQ(inGap, 0);    // and a clear gap before the value
}

// Resizing: pageRows, the scroll range, and when the rows go back to the top.
TEST_F(RecordFormTest, ResizeSetsThePageAndTheRangeAndResetsTheRowsWhenAllFit) {
  StartOn(std::vector<uint32_t>(30, kText64), NumberedRows(1, 30));
  OpenForm(0);
  SetClientHeight(200);
  struct Case {
    int height;
    uint32_t pageRows;
    uint32_t firstRow;  // from 5 before the resize
  } cases[] = {
      {200, 10, 5},  {640, 32, 5},  // 32 - 2 = 30 fields: not more
      {660, 33, 0},  {700, 35, 0},  // room for all fields and more than two to spare
      {40, 2, 5},    {39, 1, 0},    // fewer than two rows: the difference wraps
      {20, 1, 0},    {0, 0, 0},
  };
  for (const Case& c : cases) {
    SetClientHeight(200);
    ScrollTo(5);
    SetClientHeight(c.height);
    EXPECT_EQ(pageRows, c.pageRows) << c.height;
    EXPECT_EQ(firstRow, c.firstRow) << c.height;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(recordForm, SB_VERT, &info);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 32);
    // The system keeps the page within the range's 33 positions.
    EXPECT_EQ(info.nPage, std::min(c.pageRows, 33u)) << c.height;
  }
  RECT client;
  GetClientRect(recordForm, &client);
  EXPECT_EQ(formClientWidth, static_cast<uint32_t>(client.right));

  // Three fields in a tall window: nothing scrolls, all show from y 60.
  SendMessageA(recordForm, WM_CLOSE, 0, 0);
  OpenOther("three.vdr", {kText64, kText64, kText64}, NumberedRows(2, 3));
  OpenForm(0);
  SetClientHeight(400);
  for (UINT key : {VK_END, VK_NEXT, VK_DOWN}) {
    Key(key);
    EXPECT_EQ(firstRow, 0u) << key;
  }
  Wheel(-600);
  EXPECT_EQ(firstRow, 0u);
  EXPECT_EQ(Rows(), (std::vector<Row>{{60, "Field 1", "r1f1"}, {80, "Field 2", "r1f2"},
                                      {100, "Field 3", "r1f3"}}));
}

TEST_F(RecordFormTest, KeysScrollByRowsAndPagesAsFarAsTheRangeAllows) {
  StartOn(std::vector<uint32_t>(30, kText64), NumberedRows(1, 30));
  OpenForm(0);
  SetClientHeight(200);
  ASSERT_EQ(pageRows, 10u);  // a page step of 6
  EXPECT_TRUE(GetWindowLongA(recordForm, GWL_STYLE) & WS_VSCROLL);
  // With 30 fields the range is 0 to 32 and the page 10: at most row 23.
  const struct {
    UINT key;
    uint32_t firstRow;
  } steps[] = {
      {VK_NEXT, 7},  {VK_NEXT, 14}, {VK_NEXT, 21}, {VK_NEXT, 23}, {VK_PRIOR, 17},
      {VK_UP, 16},   {VK_DOWN, 17}, {VK_HOME, 0},  {VK_UP, 0},    {VK_END, 23},
      {VK_DOWN, 23}, {'A', 23},     {VK_PRIOR, 17}, {VK_HOME, 0}, {VK_PRIOR, 0},
  };
  for (const auto& step : steps) {
    drawn.clear();
    Key(step.key);
    EXPECT_EQ(firstRow, step.firstRow) << "key " << step.key;
    EXPECT_EQ(GetScrollPos(recordForm, SB_VERT), static_cast<int>(step.firstRow));
    // What the user sees: the first row now holds field firstRow + 1.
    const std::vector<Row> rows = Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], (Row{60, "Field " + std::to_string(step.firstRow + 1),
                            "r1f" + std::to_string(step.firstRow + 1)}));
  }
}

TEST_F(RecordFormTest, TheWheelMovesARowPerNotchAndAPageOnAFastTurn) {
  StartOn(std::vector<uint32_t>(30, kText64), NumberedRows(1, 30));
  OpenForm(0);
  SetClientHeight(200);
  const struct {
    int distance;  // the high word of wParam, as a signed or unsigned 16-bit value
    uint32_t firstRow;  // from 10
  } turns[] = {
      {120, 9},     {119, 10},   {500, 9},     {501, 4},    {600, 4},   {29999, 4},
      {30000, 10},  {35000, 10}, {40000, 10},  {40001, 17},
      {-1, 10},     {-119, 10},  {-120, 11},   {-550, 11},  {-599, 11}, {-600, 17},
      {-2000, 17},
  };
  for (const auto& turn : turns) {
    ScrollTo(10);
    Wheel(turn.distance);
    EXPECT_EQ(firstRow, turn.firstRow) << "distance " << turn.distance;
  }
}

TEST_F(RecordFormTest, ShiftClickOpensTheFieldUnderTheCursor) {
  StartOn({kNumber8, kNumber16, kText16, kText64}, {{"7", "65535", "sixteen", "long text"}});
  OpenForm(0);
  SetClientHeight(300);
  const struct {
    int y;
    const char* caption;  // null: no prompt
    const char* value;
  } clicks[] = {
      {0, nullptr, nullptr},
      {60, nullptr, nullptr},
      {61, "Number (0 - 255)", "7"},
      {79, "Number (0 - 255)", "7"},
      {80, "Number (0 - 65535)", "65535"},
      {100, "Text, 16 Chars", "sixteen"},
      {139, "Text, 64 Chars", "long text"},
      {140, nullptr, nullptr},  // below the last field
      {299, nullptr, nullptr},
  };
  for (const auto& click : clicks) {
    Prompts prompts({IDCANCEL});
    ShiftClick(click.y);
    if (click.caption == nullptr) {
      EXPECT_TRUE(prompts.seen.empty()) << "y " << click.y;
      continue;
    }
    ASSERT_EQ(prompts.seen.size(), 1u) << "y " << click.y;
    const PromptSeen& seen = prompts.seen[0];
    EXPECT_EQ(seen.line1, click.caption) << "y " << click.y;
    EXPECT_EQ(seen.line1Height, 16);  // the small caption font
    EXPECT_TRUE(seen.editShown);
    EXPECT_EQ(seen.edit, click.value);
    EXPECT_EQ(seen.owner, recordForm);
  }
  // Cancelled: nothing changed.
  EXPECT_EQ(databaseChanged, 0u);
  EXPECT_EQ(Rows()[0].value, "7");

  // Without Shift a click does nothing.
  {
    Prompts prompts;
    SendMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 70));
    EXPECT_TRUE(prompts.seen.empty());
  }
  // Scrolled down a row, y 61 is field 2; and a click from the message loop.
  SetClientHeight(60);
  ScrollTo(1);
  Prompts prompts({IDCANCEL});
  PostMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 61));
  Pump(100);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].line1, "Number (0 - 65535)");
}

TEST_F(RecordFormTest, AnEditedValueIsStoredCutToItsFieldAndShownEverywhere) {
  StartOn({kNumber8, kNumber16, kText16, kNumber32}, {{"1", "2", "three", "4"}, {"5"}});
  OpenForm(0);
  SetClientHeight(300);
  // A number the field cannot hold is refused with a message naming what it
  // can hold, and nothing is stored.
  const struct {
    int y;
    const char* typed;
    const char* stored;
    const char* message;
  } edits[] = {
      {61, "255", "255", nullptr},
      {61, "300", "255", "Enter a whole number from 0 to 255."},
      {81, " 70 ", "70", nullptr},
      {81, "70000", "70", "Enter a whole number from 0 to 65535."},
      {101, "abcdefghijklmnopqrst", "abcdefghijklmno", nullptr},
      {121, "12x", "4", "Enter a whole number from 0 to 4294967295."},
      {121, "-1", "4", "Enter a whole number from 0 to 4294967295."},
      {121, "4294967295", "4294967295", nullptr},
  };
  for (const auto& edit : edits) {
    databaseChanged = 0;
    Prompts prompts({{IDOK, edit.typed}, {IDOK}});
    ShiftClick(edit.y);
    ASSERT_EQ(prompts.seen.size(), edit.message ? 2u : 1u) << edit.typed;
    if (edit.message) {
      EXPECT_EQ(prompts.seen[1].line2, edit.message);
    }
    const size_t field = static_cast<size_t>(edit.y - 60) / 20;
    EXPECT_EQ(Rows()[field].value, edit.stored) << edit.typed;
    EXPECT_EQ(Cell(0, static_cast<int>(field) + 3), edit.stored) << edit.typed;  // the main list
    EXPECT_EQ(databaseChanged, edit.message ? 0u : 1u) << edit.typed;
  }
  EXPECT_EQ(RowCount(), 2);
  // The other record kept its values.
  currentSlot = 1;
  EXPECT_EQ(Rows()[0].value, "5");
}

// The right-click menu, read when it shows; an entry chosen with the keys.
struct MenuWatch {
  std::vector<std::pair<UINT, std::string>> items;
  std::vector<UINT> keys;  // pressed once the menu waits for input
};
MenuWatch* menuWatch;
WNDPROC formProcedure;
LRESULT CALLBACK WatchFormMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITMENUPOPUP && menuWatch) {
    HMENU menu = reinterpret_cast<HMENU>(wParam);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[64] = "";
      GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
      menuWatch->items.emplace_back(GetMenuItemID(menu, i), text);
    }
  }
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU && menuWatch) {
    if (menuWatch->keys.empty()) {
      EndMenu();
    } else {
      for (UINT key : menuWatch->keys) PostKeyMessage(window, WM_KEYDOWN, key);
      menuWatch->keys.clear();
    }
  }
  return CallWindowProcA(formProcedure, window, message, wParam, lParam);
}

TEST_F(RecordFormTest, TheRightClickMenuSendsItsEntriesToTheForm) {
  StartOn({kText64}, {{"one"}, {"two"}});
  OpenForm(1);
  formProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(recordForm, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchFormMenu)));
  MenuWatch watch;
  menuWatch = &watch;
  SendMessageA(recordForm, WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
  using Items = std::vector<std::pair<UINT, std::string>>;
  EXPECT_EQ(watch.items, (Items{{IDM_ABOUT, "About"}, {IDM_HELP, "Help"}, {IDM_ADD, "Add Entry"},
                                {IDM_DELETE, "Delete"}, {0, ""}, {IDM_UNDO, "Undo"}, {IDM_REDO, "Redo"},
                                {0, ""}, {IDM_EXIT, "Exit"}}));
  // "Add Entry", the third entry, chosen with the keys: the form adds a record.
  MenuWatch choose;
  choose.keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
  menuWatch = &choose;
  SendMessageA(recordForm, WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
  Pump(100);
  menuWatch = nullptr;
  EXPECT_EQ(databaseFile.activeCount, 3u);
  EXPECT_EQ(Header(), "Record 3, Index 2");
  // The menu then offers to take the Add back.
  MenuWatch after;
  menuWatch = &after;
  SendMessageA(recordForm, WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
  menuWatch = nullptr;
  ASSERT_GE(after.items.size(), 7u);
  EXPECT_EQ(after.items[5], (std::pair<UINT, std::string>{IDM_UNDO, "Undo Add"}));
  SetWindowLongPtrA(recordForm, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProcedure));
}

// Exit in the form's menu ends the program as Exit in the main window does.
TEST_F(RecordFormTest, ExitFromTheFormAsksToSaveAndEndsTheProgram) {
  StartOn({kText64}, {{"one"}, {"two"}});
  const std::vector<uint8_t> before = FileBytes(Path("form.vdr"));
  OpenForm(0);
  databaseChanged = 1;
  {
    Prompts prompts({IDCANCEL});
    Command(IDM_EXIT);
    Pump(100);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line2, "This Veldrana has been changed.");
    EXPECT_NE(mainWindow, nullptr);  // cancelled: the program runs on
    EXPECT_NE(recordForm, nullptr);
  }
  SetWindowPos(recordForm, nullptr, 140, 160, 500, 400, SWP_NOZORDER);
  Prompts prompts({IDC_PROMPT_THIRD});  // do not save
  Command(IDM_EXIT);
  EXPECT_TRUE(PumpUntil([] { return mainWindow == nullptr; }));
  EXPECT_EQ(recordForm, nullptr);
  EXPECT_EQ(FormCount(), 0);
  EXPECT_EQ(settings.formPlacement.normalLeft, 140);
  EXPECT_EQ(databaseFile.view, nullptr);
  EXPECT_EQ(FileBytes(Path("form.vdr")), before);
}

// Delete asks first, then shows the first record when the first was deleted
// or two remain, else the record before the deleted one.
TEST_F(RecordFormTest, DeleteAsksAndChoosesTheRecordToShowNext) {
  StartOn({kText64}, {{"x"}});
  const struct {
    size_t records;
    int32_t deleted;  // record number = slot + 1
    const char* header;
  } cases[] = {
      {5, 0, "Record 1, Index 1"},  // the former second record
      {3, 2, "Record 1, Index 0"},  // two remain: the first, not the second
      {6, 3, "Record 3, Index 2"},  // the one before
      {5, 4, "Record 4, Index 3"},
      {2, 1, "Record 1, Index 0"},
  };
  int n = 0;
  for (const auto& c : cases) {
    OpenOther("delete" + std::to_string(++n) + ".vdr", {kText64}, NumberedRows(c.records, 1));
    OpenForm(c.deleted);
    Prompts prompts({IDOK});
    Command(CMD_DELETE);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line2, "Confirm?");
    EXPECT_EQ(prompts.seen[0].owner, recordForm);
    EXPECT_EQ(databaseFile.GetRecStat(c.deleted), kRecDeleted);
    EXPECT_EQ(Header(), c.header) << c.records << " records, slot " << c.deleted;
    EXPECT_EQ(StatusText(),
              "Record " + std::string(c.header).substr(7, 1) + " of " + std::to_string(c.records - 1));
    EXPECT_EQ(RowCount(), static_cast<int>(c.records - 1));
    EXPECT_EQ(databaseChanged, 1u);
  }

  // Cancel keeps the record; the menu's id asks the same question.
  OpenOther("keep.vdr", {kText64}, NumberedRows(3, 1));
  OpenForm(1);
  {
    Prompts prompts({IDCANCEL});
    Command(IDM_DELETE);
    EXPECT_EQ(prompts.seen.size(), 1u);
  }
  EXPECT_EQ(databaseFile.activeCount, 3u);
  EXPECT_EQ(databaseChanged, 0u);
  // A record the main window deleted meanwhile: nothing to delete, no question.
  databaseFile.SetRecStat(1, kRecDeleted);
  {
    Prompts prompts;
    Command(CMD_DELETE);
    EXPECT_TRUE(prompts.seen.empty());
  }
  EXPECT_EQ(databaseFile.GetRecStat(1), kRecDeleted);
}

TEST_F(RecordFormTest, DeletingTheLastRecordClosesTheForm) {
  StartOn({kText64, kNumber8}, {{"only", "9"}});
  OpenForm(0);
  Prompts prompts({IDOK});
  drawn.clear();
  Command(CMD_DELETE);
  Pump(50);
  EXPECT_EQ(databaseFile.activeCount, 0u);
  EXPECT_EQ(recordForm, nullptr);
  EXPECT_EQ(FormCount(), 0);
  EXPECT_TRUE(drawn.empty());  // nothing was painted from the empty slot
  EXPECT_EQ(StatusText(), "No Records!");
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(databaseChanged, 1u);
}

TEST_F(RecordFormTest, PreviousAndNextStepOverDeletedSlotsAndStopAtTheEnds) {
  StartOn({kText64}, NumberedRows(4, 1));
  databaseFile.SetRecStat(1, kRecDeleted);
  OpenForm(0);
  const struct {
    int command;
    const char* header;
  } steps[] = {
      {CMD_PREVIOUS, "Record 1, Index 0"},  // the first stays
      {CMD_NEXT, "Record 2, Index 2"},      {IDM_NEXT, "Record 3, Index 3"},
      {CMD_NEXT, "Record 3, Index 3"},      // the last stays
      {IDM_PREVIOUS, "Record 2, Index 2"},  {CMD_PREVIOUS, "Record 1, Index 0"},
  };
  for (const auto& step : steps) {
    Command(step.command);
    EXPECT_EQ(Header(), step.header) << step.command;
  }
  EXPECT_EQ(databaseChanged, 0u);
}

TEST_F(RecordFormTest, GotoShowsTheRecordWithTheTypedNumber) {
  StartOn({kText64}, NumberedRows(5, 1));
  OpenForm(1);
  const struct {
    int button;
    const char* typed;  // null: the number as the prompt gives it
    const char* header;
  } steps[] = {
      {IDOK, "4", "Record 4, Index 3"},   {IDOK, nullptr, "Record 4, Index 3"},
      {IDOK, "0", "Record 4, Index 3"},   {IDOK, "6", "Record 4, Index 3"},
      {IDCANCEL, "1", "Record 4, Index 3"}, {IDOK, "5", "Record 5, Index 4"},
      {IDOK, "1", "Record 1, Index 0"},
  };
  std::string shown = "2";
  for (const auto& step : steps) {
    Prompts prompts({{step.button, step.typed}});
    Command(CMD_GOTO);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line1, "Goto");
    EXPECT_EQ(prompts.seen[0].edit, shown);  // starts with the record shown
    EXPECT_EQ(prompts.seen[0].owner, recordForm);
    const std::string header = Header();
    EXPECT_EQ(header, step.header) << (step.typed ? step.typed : "(as given)");
    shown = header.substr(7, 1);
  }
  Prompts prompts({{IDOK, "2"}});
  Command(IDM_GOTO);
  EXPECT_EQ(Header(), "Record 2, Index 1");
}

TEST_F(RecordFormTest, SearchShowsTheFirstHitAndTheNavigatorStepsThroughTheOthers) {
  StartOn({kText64, kNumber32},
          {{"apple pie", "1"}, {"pear", "2"}, {"crab APPLE", "3"}, {"Apple", "4"}, {"plum", "5"}});
  OpenForm(4);
  {
    // Empty input: nothing happens and nothing is said.
    Prompts prompts({{IDOK, ""}});
    Command(CMD_SEARCH);
    EXPECT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line1, "Search for...");
    EXPECT_EQ(prompts.seen[0].edit, "");
    EXPECT_EQ(prompts.seen[0].owner, recordForm);
    Pump(100);
    EXPECT_EQ(FindNavigator(), nullptr);
  }
  {
    // No match: a message owned by the main window; the record stays.
    Prompts prompts({{IDOK, "cherry"}, {IDOK}});
    Command(CMD_SEARCH);
    ASSERT_EQ(prompts.seen.size(), 2u);
    EXPECT_EQ(prompts.seen[1].line2, "No Match Found");
    EXPECT_EQ(prompts.seen[1].owner, mainWindow);
    EXPECT_EQ(Header(), "Record 5, Index 4");
    // Cancelled: the search text is not touched.
    Prompts cancel({{IDCANCEL, "pear"}});
    Command(CMD_SEARCH);
    EXPECT_STREQ(databaseFile.searchText, "cherry");
  }
  {
    // A 40-character text searches for its first 30 characters.
    const char* longText = "pear and a very long text that is cut here";
    Prompts prompts({{IDOK, longText}});
    Command(CMD_SEARCH);
    EXPECT_STREQ(databaseFile.searchText, std::string(longText).substr(0, 30).c_str());
    EXPECT_EQ(Header(), "Record 5, Index 4");  // no record holds all of it
  }
  {
    // And the line takes no more than 30 typed characters: the user sees the
    // limit instead of a search for less than was typed.
    struct Typist : DialogResponder {
      Typist() : DialogResponder(kPromptCaption) {}
      void Respond(HWND dialog) override {
        HWND edit = GetDlgItem(dialog, IDC_PROMPT_EDIT);
        for (char c : std::string(40, 'q')) SendMessageA(edit, WM_CHAR, c, 0);
        shown = guitest::ItemText(dialog, IDC_PROMPT_EDIT);
        guitest::PostCommand(dialog, IDCANCEL);
      }
      std::string shown;
    } typist;
    Command(CMD_SEARCH);
    EXPECT_EQ(typist.shown, std::string(30, 'q'));
  }

  Prompts prompts({{IDOK, "apple"}});
  Command(CMD_SEARCH);
  EXPECT_EQ(Header(), "Record 1, Index 0");
  ASSERT_NE(WaitForNavigator(), nullptr);
  EXPECT_EQ(GetWindow(navigator, GW_OWNER), nullptr);
  EXPECT_NE(GetWindowThreadProcessId(navigator, nullptr), GetCurrentThreadId());
  EXPECT_EQ(guitest::ItemText(navigator, IDC_PROMPT_LINE3), "apple");
  EXPECT_GE(promptOpen.load(), 1u);

  // Next through the hits, until there is none after the last.
  const struct {
    int button;
    const char* status;
    const char* header;
  } presses[] = {
      {IDOK, "", "Record 3, Index 2"},
      {IDOK, "", "Record 4, Index 3"},
      {IDOK, "No Match Found", "Record 4, Index 3"},
      {IDC_PROMPT_THIRD, "", "Record 3, Index 2"},
      {IDC_PROMPT_THIRD, "", "Record 1, Index 0"},
      {IDC_PROMPT_THIRD, "No Match Found", "Record 1, Index 0"},
  };
  for (const auto& press : presses) {
    guitest::PostCommand(navigator, press.button);
    EXPECT_TRUE(NavigatorStatus(press.status)) << press.header;
    EXPECT_EQ(Header(), press.header);
  }
  // A prompt of the form while the navigator is open leaves it alone.
  {
    Prompts gotoPrompt({{IDOK, "2"}});
    Command(CMD_GOTO);
    EXPECT_EQ(Header(), "Record 2, Index 1");
  }
  EXPECT_EQ(guitest::ItemText(navigator, IDC_PROMPT_LINE3), "apple");
  guitest::PostCommand(navigator, IDOK);
  EXPECT_TRUE(NavigatorStatus(""));
  EXPECT_EQ(Header(), "Record 3, Index 2");
  // A step the program takes long to make: the navigator shows its status,
  // not the one before.
  guitest::PostCommand(navigator, IDOK);
  guitest::PostCommand(navigator, IDOK);
  EXPECT_TRUE(NavigatorStatus("No Match Found"));
  guitest::PostCommand(navigator, IDC_PROMPT_THIRD);
  Sleep(400);  // the program's thread is busy
  EXPECT_TRUE(NavigatorStatus(""));
  EXPECT_EQ(Header(), "Record 3, Index 2");

  guitest::PostCommand(navigator, IDCANCEL);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(navigator) && promptOpen.load() == 0; }));
}

// Search needs an open database: a navigator left open after the database
// closed finds nothing, and the form's search asks nothing without one.
TEST_F(RecordFormTest, SearchWithoutAnOpenDatabaseFindsNothing) {
  StartOn({kText64}, {{"apple"}, {"apple"}, {"apple"}});
  OpenForm(0);
  Prompts prompts({{IDOK, "apple"}});
  Command(CMD_SEARCH);
  ASSERT_NE(WaitForNavigator(), nullptr);
  HWND form = recordForm;
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  ASSERT_EQ(databaseFile.view, nullptr);
  EXPECT_FALSE(IsWindow(form));
  HandleNavigatorRequest(kSearchNextMessage);
  char status[64];
  CopyPromptStatus(status, sizeof status);
  EXPECT_STREQ(status, "No Match Found");
  HWND stray = guitest::CreateTestWindow("stray");
  DispatchFormCommand(stray, CMD_SEARCH);
  DestroyWindow(stray);
  EXPECT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.unexpected, 0);
}

TEST_F(RecordFormTest, AddAndCopyShowTheNewRecord) {
  StartOn({kText64, kNumber16}, {{"one", "1"}, {"two", "2"}});
  OpenForm(1);
  Command(CMD_ADD);
  EXPECT_EQ(Header(), "Record 3, Index 2");
  EXPECT_EQ(Rows(), (std::vector<Row>{{60, "Field 1", ""}, {80, "Field 2", "0"}}));
  EXPECT_EQ(RowCount(), 3);
  EXPECT_EQ(StatusText(), "Record 3 of 3");
  EXPECT_EQ(databaseChanged, 1u);

  currentSlot = 0;
  Command(CMD_COPY);
  EXPECT_EQ(Header(), "Record 4, Index 3");
  EXPECT_EQ(Rows(), (std::vector<Row>{{60, "Field 1", "one"}, {80, "Field 2", "1"}}));
  EXPECT_EQ(RowCount(), 4);
  EXPECT_EQ(Cell(3, 3), "one");
  EXPECT_EQ(databaseFile.GetRecStat(3), kRecActive);
  // The menu's ids too.
  Command(IDM_ADD);
  Command(IDM_COPY);
  EXPECT_EQ(databaseFile.activeCount, 6u);
}

// 60 records in every other one of 120 slots: the next allocation compacts
// them (record 40 moves from slot 78 to 39) and shrinks the file.
TEST_F(RecordFormTest, CopyDuplicatesTheRecordShownEvenWhenItMoves) {
  const std::string path = Path("scattered.vdr");
  {
    testutil::Db db;
    ASSERT_TRUE(testutil::CreateAndOpen(*db, path, {kText64}));
    std::vector<uint32_t> statuses(120, kRecDeleted);
    for (size_t s = 0; s < 120; s += 2) statuses[s] = kRecActive;
    testutil::SetStatuses(*db, statuses);
    for (int32_t s = 0; s < 120; s += 2) testutil::SetText(*db, s, 1, "record " + std::to_string(s / 2 + 1));
    db->Close();
  }
  ASSERT_EQ(Start("Veldrana.exe \"" + path + "\""), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  OpenForm(78);
  ASSERT_EQ(Rows()[0].value, "record 40");
  Command(CMD_COPY);
  EXPECT_EQ(databaseFile.slotCount, 98u);
  EXPECT_EQ(Header(), "Record 61, Index 60");
  EXPECT_EQ(Rows()[0].value, "record 40");
  EXPECT_EQ(RowCount(), 61);
  EXPECT_EQ(Cell(60, 3), "record 40");
}

// What the main window does to the records shows in the form at once: a
// header click's sort repaints it, and deleting the record it shows closes it.
TEST_F(RecordFormTest, TheMainWindowsSortAndDeleteShowInTheForm) {
  StartOn({kText64}, {{"pear"}, {"apple"}, {"Banana"}});
  OpenForm(0);
  ValidateRect(recordForm, nullptr);
  ClickColumnHeader(3);
  RECT pending;
  EXPECT_TRUE(GetUpdateRect(recordForm, &pending, FALSE));  // a paint is on its way
  EXPECT_EQ(Rows()[0].value, "apple");
  EXPECT_EQ(StatusText(), "Record 1 of 3");
  Prompts prompts({IDOK});
  FocusRow(0);
  SendMessageA(mainWindow, WM_COMMAND, CMD_DELETE, 0);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(recordForm, nullptr);
  EXPECT_EQ(StatusText(), "2 Records in DB");
}

// A question left open in one window while the other moves the records: the
// answer acts on the record it was about, or on none, and says so.
struct Crossing {
  const char* name;
  bool formAsks;        // the form asks (else the main window, for row 0)
  int command;          // CMD_DELETE, or 0 for a Shift-click edit of field 1
  int meanwhileAnswers; // prompts the other window's action shows
  std::function<void()> meanwhile;
};

TEST_F(RecordFormTest, AnAnswerActsOnTheRecordItWasAboutOrOnNone) {
  const Crossing crossings[] = {
      {"the form deletes; a sort moves another record into its slot", true, CMD_DELETE, 0,
       [] { ClickColumnHeader(3); }},
      {"the form edits; a sort moves another record into its slot", true, 0, 0, [] { ClickColumnHeader(3); }},
      {"the main window deletes; the form deletes that record and adds one in its slot", false, CMD_DELETE, 1,
       [] {
         SendMessageA(recordForm, WM_COMMAND, CMD_DELETE, 0);
         SendMessageA(recordForm, WM_COMMAND, CMD_ADD, 0);
       }},
      {"the form deletes; the main window adds, which compacts", true, CMD_DELETE, 0,
       [] { SendMessageA(mainWindow, WM_COMMAND, CMD_ADD, 0); }},
      {"the form deletes; the main window copies, which compacts", true, CMD_DELETE, 0, [] {
         FocusRow(1);
         SendMessageA(mainWindow, WM_COMMAND, CMD_COPY, 0);
       }},
      {"the form deletes; the main window imports, which compacts", true, CMD_DELETE, 1, [this] {
         testutil::WriteBytes(Path("more.csv"), {'x', '\n', 'y', '\n'});
         FileDialogAnswer dialog("Open", Path("more.csv"));
         SendMessageA(mainWindow, WM_COMMAND, IDM_IMPORT, 0);
       }},
  };
  for (const Crossing& c : crossings) {
    SCOPED_TRACE(c.name);
    // 60 records in every other slot of 120: the next allocation compacts.
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 3; ++i) rows.push_back({std::string(1, static_cast<char>('c' - i))});
    StartOn({kText64}, rows);
    std::vector<uint32_t> statuses(120, kRecDeleted);
    for (size_t s = 0; s < 120; s += 2) statuses[s] = kRecActive;
    testutil::SetStatuses(databaseFile, statuses);
    for (int32_t s = 6; s < 120; s += 2) testutil::SetText(databaseFile, s, 1, "r" + std::to_string(s));
    ShowDatabase();
    OpenForm(0);
    FocusRow(0);
    std::vector<PromptAnswer> answers = {{IDOK, c.command == 0 ? "kiwi" : nullptr, c.meanwhile}};
    for (int i = 0; i < c.meanwhileAnswers; ++i) answers.insert(answers.begin() + 1, PromptAnswer(IDOK));
    answers.push_back(IDOK);  // the message that nothing was changed
    const std::vector<std::string> before = ColumnTexts(3);
    Prompts prompts(answers);
    if (c.command == 0) ShiftClick(61);
    else SendMessageA(c.formAsks ? recordForm : mainWindow, WM_COMMAND, c.command, 0);
    ASSERT_EQ(prompts.seen.size(), answers.size());
    EXPECT_EQ(prompts.seen.back().line2, "The records changed meanwhile:");
    EXPECT_EQ(prompts.seen.back().line3, c.command == 0 ? "nothing was stored." : "nothing was deleted.");
    // What the other window did, and nothing else: only the form's own
    // delete of "c", when the main window asked, took a record.
    std::vector<std::string> texts = ColumnTexts(3);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "kiwi"), 0);
    for (const std::string& text : before) {
      const bool gone = std::find(texts.begin(), texts.end(), text) == texts.end();
      EXPECT_EQ(gone, !c.formAsks && text == "c") << text;
    }
    ProgramTest::TearDown();
    ProgramTest::SetUp();
  }
}

// A Shift-click edit's line holds the field's whole value: OK on it as it is
// changes nothing, and a longer text is cut to what the field holds.
TEST_F(RecordFormTest, AnEditLineHoldsTheWholeValueOfALongField) {
  constexpr uint32_t kText1000 = 14, kText5000 = 15;
  const std::string long800(800, 'a'), long4999 = std::string(4998, 'b') + "e";
  StartOn({kText1000, kText5000}, {{long800, long4999}});
  OpenForm(0);
  for (int y : {61, 81}) {
    const std::string& value = y == 61 ? long800 : long4999;
    databaseChanged = 0;
    Prompts prompts({IDOK});
    ShiftClick(y);
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_TRUE(prompts.seen[0].edit == value) << prompts.seen[0].edit.size();
    EXPECT_EQ(databaseChanged, 0u);
    EXPECT_TRUE(testutil::GetText(databaseFile, 0, y == 61 ? 1 : 2) == value);
  }
  const std::string typed(10000, 'z');
  Prompts prompts({{IDOK, typed.c_str()}});
  ShiftClick(81);
  EXPECT_TRUE(testutil::GetText(databaseFile, 0, 2) == std::string(4999, 'z'));
  EXPECT_EQ(databaseChanged, 1u);
}

// While the form is the active window, the keys the program takes for
// itself act on the record the form shows, as its buttons do.
TEST_F(RecordFormTest, CtrlDeleteInTheFormDeletesTheRecordItShows) {
  StartOn({kText64}, {{"a"}, {"b"}, {"c"}});
  FocusRow(0);  // the main list's row is another record
  OpenForm(1);
  SetActiveWindow(recordForm);
  ASSERT_EQ(GetActiveWindow(), recordForm);
  Prompts prompts({IDOK});
  PostKeyMessage(recordForm, WM_KEYDOWN, VK_CONTROL);
  PostKeyMessage(recordForm, WM_KEYDOWN, VK_DELETE);
  PostKeyMessage(recordForm, WM_KEYUP, VK_DELETE);
  PostKeyMessage(recordForm, WM_KEYUP, VK_CONTROL);
  Pump(150);
  ASSERT_EQ(prompts.seen.size(), 1u);
  EXPECT_EQ(prompts.seen[0].owner, recordForm);
  EXPECT_EQ(databaseFile.GetRecStat(1), kRecDeleted);
  EXPECT_EQ(databaseFile.GetRecStat(0), kRecActive);
  EXPECT_EQ(ColumnTexts(3), (std::vector<std::string>{"a", "c"}));
}

TEST_F(RecordFormTest, HelpAndAboutFromTheForm) {
  StartOn({kText64}, {{"one"}});
  OpenForm(0);
  {
    dialogsteps::ShellOpenRecorder shell;
    Command(CMD_HELP);
    Command(IDM_HELP);
    EXPECT_EQ(dialogsteps::ShellOpenRecorder::opened(), (Strings{Path("ReadMe.htm"), Path("ReadMe.htm")}));
  }
  HWND aboutOwner = nullptr;
  struct AboutAnswer : DialogResponder {
    explicit AboutAnswer(HWND* owner) : DialogResponder("About Veldrana"), owner_(owner) {}
    void Respond(HWND dialog) override {
      ++shown;
      *owner_ = GetWindow(dialog, GW_OWNER);
      guitest::PostCommand(dialog, IDOK);
    }
    int shown = 0;
    HWND* owner_;
  } about(&aboutOwner);
  Command(IDM_ABOUT);
  EXPECT_EQ(about.shown, 1);
  EXPECT_EQ(aboutOwner, recordForm);
  // Ids the form has no command for do nothing.
  Prompts none;
  for (int id : {CMD_NEW, CMD_OPEN, CMD_SAVE, IDM_SORT, IDM_EDIT, IDM_NAME, 9999}) Command(id);
  Pump(50);
  EXPECT_TRUE(none.seen.empty());
  EXPECT_EQ(databaseFile.activeCount, 1u);
  EXPECT_NE(recordForm, nullptr);
  EXPECT_NE(mainWindow, nullptr);
}

}  // namespace
