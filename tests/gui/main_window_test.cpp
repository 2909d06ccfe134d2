// The main window under Wine, made by the program's own start-up code: what
// it shows without a database and with one, the command line, the band, the
// toolbar and its tooltips, sorting by a header click, dropped files, the
// keyboard filter, the ways out, and the one-instance rule.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/folders.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/shell_open.h"
#include "ui/placement.h"
#include "core/settings.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "ui/main/file_menu.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"
#include "tests/gui/program_test_util.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"

using namespace programtest;
using Strings = std::vector<std::string>;

namespace {

constexpr uint32_t kText = 12;      // text of 64
constexpr uint32_t kNumber32 = 9;   // number of 32 bits

// Three records with a text, a number and a short text each.
const std::vector<uint32_t> kTypes = {kText, kNumber32, 11};
const std::vector<std::vector<std::string>> kRows = {
    {"pear", "100", "z"}, {"apple", "0", "y"}, {"Banana", "4294967295", "x"}};

class MainWindowTest : public ProgramTest {
 protected:
  // A database of kRows in the scratch folder, opened from the command line.
  void StartOn(const std::string& name, const char* longName = "Fruit") {
    ASSERT_TRUE(MakeDatabase(Path(name), kTypes, kRows, longName));
    ASSERT_EQ(Start("Veldrana.exe \"" + Path(name) + "\""), StartResult::kStarted);
    ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  }
};

RECT WindowRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

std::string TooltipOf(int command) {
  HWND tips = reinterpret_cast<HWND>(SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0));
  char text[256] = "";
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = toolbar;
  tool.uId = command;
  tool.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

TEST_F(MainWindowTest, StartsWithoutADatabase) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_EQ(guitest::ClassOf(mainWindow), "VDMain");
  EXPECT_EQ(Caption(), "Veldrana 0.93");
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  EXPECT_TRUE(GetWindowLongA(mainWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  const RECT rect = WindowRect(mainWindow);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 100);
  EXPECT_EQ(rect.right - rect.left, 520);
  EXPECT_EQ(rect.bottom - rect.top, 400);
  // The first run gives the record form the main window's first place.
  EXPECT_EQ(settings.formPlacement.normalLeft, 100);
  EXPECT_EQ(settings.formPlacement.normalRight, 620);
  EXPECT_EQ(settings.formPlacement.showCommand, static_cast<uint32_t>(SW_SHOWNORMAL));
  EXPECT_EQ(settings.indexColumnWidth, 50u);
  EXPECT_EQ(settings.rowHeight, 20u);

  EXPECT_EQ(StatusText(), "No File!");
  EXPECT_TRUE(ColumnTitles().empty());
  EXPECT_EQ(RowCount(), 0);
  EXPECT_FALSE(FileItemsEnabled());
  for (int command : {CMD_NEW, CMD_OPEN, CMD_HELP}) EXPECT_TRUE(ButtonEnabled(command)) << command;
  for (int command : {IDM_NEW, IDM_OPEN, IDM_OPTIONS, IDM_EXIT, IDM_HELP, IDM_ABOUT})
    EXPECT_TRUE(MenuItemEnabled(command)) << command;

  // The controls with their ids and the list's styles.
  EXPECT_EQ(GetDlgCtrlID(toolbar), 1);
  EXPECT_EQ(GetDlgCtrlID(statusBar), 60);
  EXPECT_EQ(GetDlgCtrlID(recordList), 0);
  EXPECT_EQ(GetWindowLongA(recordList, GWL_STYLE) & (LVS_TYPEMASK | LVS_SINGLESEL | LVS_OWNERDATA),
            LVS_REPORT | LVS_OWNERDATA);
  const LRESULT extended = SendMessageA(recordList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(extended & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP),
            LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  // The list fills the client area below the band, above the status bar.
  RECT client;
  GetClientRect(mainWindow, &client);
  const RECT list = guitest::RectInParent(recordList);
  EXPECT_EQ(list.left, 0);
  EXPECT_EQ(list.top, 70);
  EXPECT_EQ(list.right, client.right);
  EXPECT_EQ(list.bottom, client.bottom - 20);
  EXPECT_EQ(clientWidth, static_cast<uint32_t>(client.right));
}

TEST_F(MainWindowTest, ToolbarButtonsAndTooltips) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  struct Expected {
    int command;
    int image;
    const char* tip;
  };
  const Expected buttons[] = {
      {CMD_NEW, 0, "Create New Veldrana"}, {CMD_OPEN, 1, "Open Existing Veldrana"},
      {CMD_SAVE, 2, "Save this Veldrana"}, {0, 0, nullptr},
      {CMD_ADD, 3, "Add New Record"},      {CMD_COPY, 4, "Copy This Record"},
      {CMD_DELETE, 5, "Delete This Record"}, {0, 0, nullptr},
      {CMD_GOTO, 11, "Goto Record"},       {CMD_SEARCH, 12, "Search Veldrana"},
      {0, 0, nullptr},                     {CMD_HELP, 13, "Open ReadMe"},
  };
  const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  ASSERT_EQ(count, static_cast<int>(std::size(buttons)));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button = {};
    ASSERT_TRUE(SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
    const Expected& e = buttons[i];
    EXPECT_EQ(button.idCommand, e.command) << "position " << i;
    if (e.tip == nullptr) {
      EXPECT_TRUE(button.fsStyle & BTNS_SEP) << "position " << i;
      continue;
    }
    EXPECT_EQ(button.iBitmap, e.image) << "position " << i;
    // The text the tooltip shows, asked of the toolbar's own tooltip window.
    EXPECT_EQ(TooltipOf(e.command), e.tip) << "position " << i;
  }
  // 14 images, one per bitmap 100 to 113.
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
  EXPECT_EQ(ImageList_GetImageCount(images), 14);

  // The same handler serves the record form's toolbar, whose Previous and
  // Next have texts too; an id without a text gets none.
  for (const auto& [command, tip] : std::vector<std::pair<UINT_PTR, const char*>>{
           {CMD_PREVIOUS, "Previous Record"}, {CMD_NEXT, "Next Record"}, {CMD_SAVE, "Save this Veldrana"}, {99, nullptr}}) {
    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = nullptr;
    info.hdr.idFrom = command;
    info.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    if (tip) {
      ASSERT_NE(info.lpszText, nullptr);
      EXPECT_STREQ(info.lpszText, tip);
    } else {
      EXPECT_EQ(info.lpszText, nullptr);
    }
  }
}

TEST_F(MainWindowTest, RemembersWhereTheWindowWas) {
  // A settings file from an earlier run: the window comes back there.
  SetFolders(Folder().c_str(), Folder().c_str());
  SetDefaultSettings();
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWNORMAL;
  SetRect(&placement.rcNormalPosition, 200, 150, 900, 650);
  FromNativePlacement(placement, &settings.mainPlacement);
  SetRect(&placement.rcNormalPosition, 300, 250, 700, 550);
  FromNativePlacement(placement, &settings.formPlacement);
  settings.indexColumnWidth = 77;
  ASSERT_EQ(SaveSettings(), 1);
  std::memset(&settings, 0, sizeof settings);

  ASSERT_EQ(Start(), StartResult::kStarted);
  const RECT rect = WindowRect(mainWindow);
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, 150);
  EXPECT_EQ(rect.right, 900);
  EXPECT_EQ(rect.bottom, 650);
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  // The form keeps its own place, and the widths are the file's.
  EXPECT_EQ(settings.formPlacement.normalLeft, 300);
  EXPECT_EQ(settings.indexColumnWidth, 77u);
}

// Command lines, and what start-up makes of them.
struct CommandLineCase {
  const char* name;
  const char* argument;  // after the program; %s stands for the database's path
  bool opens;
  bool refused;  // "Not a Veldrana file"
};

class CommandLineTest : public MainWindowTest,
                        public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, OpensOnlyAWholeFirstArgument) {
  const CommandLineCase& c = GetParam();
  CreateDirectoryA(Path("My Data").c_str(), nullptr);
  const std::string database = Path("My Data\\Fruit list.vdr");
  ASSERT_TRUE(MakeDatabase(database, kTypes, kRows, "Fruit"));
  std::string argument = c.argument;
  const size_t at = argument.find("%s");
  if (at != std::string::npos) argument.replace(at, 2, database);

  PromptAnswers prompts({IDOK});
  ASSERT_EQ(Start("\"" + Folder() + "Veldrana.exe\" " + argument), StartResult::kStarted);
  // Nothing is opened while the window is being made; the timer does it.
  EXPECT_EQ(databaseFile.view, nullptr);
  Pump(300);
  EXPECT_EQ(databaseFile.view != nullptr, c.opens);
  EXPECT_EQ(prompts.seen.size(), c.refused ? 1u : 0u);
  if (c.refused && !prompts.seen.empty()) {
    EXPECT_EQ(prompts.seen[0].line2, "Not a Veldrana file");
  }
  EXPECT_EQ(FileItemsEnabled(), c.opens);
  if (c.opens) {
    EXPECT_STREQ(currentFileName, database.c_str());
    EXPECT_EQ(Caption(), "Fruit");
    EXPECT_EQ(StatusText(), "3 Records in DB");
    EXPECT_EQ(RowCount(), 3);
  } else {
    EXPECT_EQ(Caption(), "Veldrana 0.93");
    EXPECT_EQ(StatusText(), "No File!");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(CommandLineCase{"Quoted", "\"%s\"", true, false},
                      CommandLineCase{"QuotedThenMore", "\"%s\" second third", true, false},
                      CommandLineCase{"Unquoted", "%s", false, true},
                      CommandLineCase{"EmptyQuotes", "\"\" \"%s\"", false, false},
                      CommandLineCase{"Unbalanced", "\"%s", false, false},
                      CommandLineCase{"None", "", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ListsTheRecordsUnderTheTemplatesColumns) {
  // Slots 0, 2 and 5 active; the others free or deleted.
  ASSERT_TRUE(testutil::WriteDatabase(Path("gaps.vdr"), kTypes, 8, {10, 0, 10, 5, 0, 10},
                                      [](uint32_t slot, uint8_t* fields, uint32_t) {
                                        std::string text = "slot " + std::to_string(slot);
                                        std::memcpy(fields, text.c_str(), text.size());
                                        const uint32_t numbers[] = {0, 0, 100, 0, 0, 4294967295u};
                                        std::memcpy(fields + 64, &numbers[slot % 6], 4);
                                      }));
  ASSERT_EQ(Start("Veldrana.exe " + Path("gaps.vdr")), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));

  // Three fields give the spare template: a column for each of the three
  // fields after the fixed three, and no more.
  const Strings titles = ColumnTitles();
  EXPECT_EQ(titles, (Strings{"Index", "Record ", "RecStat", "Field 1", "Field 2", "Field 3"}));
  const std::vector<int> widths = ColumnWidths();
  EXPECT_EQ(std::vector<int>(widths.begin(), widths.begin() + 4), (std::vector<int>{50, 50, 50, 80}));
  EXPECT_EQ(templateNumber, 4u);
  EXPECT_STREQ(templateFileName, "Spare.xml");

  EXPECT_EQ(ColumnTexts(0), (Strings{"0", "2", "5"}));
  EXPECT_EQ(ColumnTexts(1), (Strings{"1", "2", "3"}));
  EXPECT_EQ(ColumnTexts(2), (Strings{"10", "10", "10"}));
  EXPECT_EQ(ColumnTexts(3), (Strings{"slot 0", "slot 2", "slot 5"}));
  EXPECT_EQ(ColumnTexts(4), (Strings{"0", "100", "4294967295"}));
  EXPECT_EQ(ColumnTexts(5), (Strings{"", "", ""}));
  EXPECT_EQ(StatusText(), "3 Records in DB");
  EXPECT_EQ(currentRecordNumber, 1);
}

// Open makes the first active record the current one, wherever it lies.
TEST_F(MainWindowTest, OpenMakesTheFirstRecordCurrent) {
  ASSERT_TRUE(testutil::WriteDatabase(Path("late.vdr"), kTypes, 8, {5, 0, 10, 10},
                                      [](uint32_t, uint8_t*, uint32_t) {}));
  currentSlot = 7;
  ASSERT_EQ(Start("Veldrana.exe " + Path("late.vdr")), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  EXPECT_EQ(currentSlot, 2);
  EXPECT_EQ(currentRecordNumber, 1);
}

TEST_F(MainWindowTest, TheSampleDatabaseGetsTheWorldTemplate) {
  ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, Path("Sample.vdr").c_str(), FALSE));
  ASSERT_EQ(Start("Veldrana.exe " + Path("Sample.vdr")), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  EXPECT_EQ(databaseFile.fieldCount, 44u);
  EXPECT_STREQ(templateFileName, "WELT13.xml");
  EXPECT_EQ(templateNumber, 3u);
  EXPECT_STREQ(sourceName, "World countries");
  EXPECT_STREQ(FieldLabel(1), "Country");
  const Strings titles = ColumnTitles();
  ASSERT_EQ(titles.size(), 47u);
  EXPECT_EQ(Strings(titles.begin() + 3, titles.begin() + 6),
            (Strings{"Country", "Official name", "Capital"}));
  EXPECT_EQ(RowCount(), static_cast<int>(databaseFile.activeCount));
  EXPECT_EQ(Cell(0, 3), "Germany");
  EXPECT_EQ(Cell(0, 5), "Berlin");
  EXPECT_EQ(StatusText(), std::to_string(databaseFile.activeCount) + " Records in DB");
}

// A database without records gets its columns and labels at once, so that a
// record added later is seen under them.
TEST_F(MainWindowTest, ADatabaseWithoutRecordsGetsItsColumns) {
  ASSERT_TRUE(MakeDatabase(Path("empty.vdr"), kTypes, {}, "Nothing yet"));
  ASSERT_EQ(Start("Veldrana.exe " + Path("empty.vdr")), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  EXPECT_EQ(StatusText(), "No Records!");
  const Strings titles = ColumnTitles();
  ASSERT_GE(titles.size(), 6u);
  EXPECT_EQ(titles[3], "Field 1");
  EXPECT_EQ(RowCount(), 0);
  EXPECT_NE(templateNumber, 0u);
  EXPECT_EQ(Caption(), "Nothing yet");
  EXPECT_TRUE(FileItemsEnabled());
  EXPECT_EQ(hasUserFile, 1u);
  SendMessageA(mainWindow, WM_COMMAND, CMD_ADD, 0);
  EXPECT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 1), "1");
  PostMessageA(recordForm, WM_CLOSE, 0, 0);
  Pump(50);

  // Closing it (without saving the record) keeps the column widths the list
  // had.
  PromptAnswers discard({IDC_PROMPT_THIRD});
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_EQ(databaseFile.view, nullptr);
  EXPECT_EQ(settings.indexColumnWidth, 50u);
  EXPECT_EQ(settings.recordColumnWidth, 50u);
  EXPECT_EQ(settings.recStatColumnWidth, 50u);
}

// Dark pixels (text, not the light grid lines) in the list's rows below its
// heading, as the screen shows them after every pending paint.
int TextPixelsInRows() {
  RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT list, heading;
  GetClientRect(recordList, &list);
  GetWindowRect(reinterpret_cast<HWND>(SendMessageA(recordList, LVM_GETHEADER, 0, 0)), &heading);
  HDC dc = GetDC(recordList);
  int dark = 0;
  for (LONG y = heading.bottom - heading.top + 2; y < list.bottom && y < 60; ++y)
    for (LONG x = 0; x < list.right; ++x) dark += GetGValue(GetPixel(dc, x, y)) < 128;
  ReleaseDC(recordList, dc);
  return dark;
}

// The columns of the widest database are made, and removed on Close, with the
// list's redraw held; the list is painted once after each, with its rows and
// then without them.
TEST_F(MainWindowTest, TheListIsPaintedOnceItsColumnsAreMadeOrRemoved) {
  const std::vector<uint32_t> types(store::kMaxFieldCount, 11);
  ASSERT_TRUE(MakeDatabase(Path("wide.vdr"), types, {{"first", "row"}, {"second", "row"}}));
  ASSERT_EQ(Start("Veldrana.exe " + Path("wide.vdr")), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  const Strings titles = ColumnTitles();
  ASSERT_EQ(titles.size(), store::kMaxFieldCount + 3);
  EXPECT_EQ(titles.back(), std::to_string(store::kMaxFieldCount));
  EXPECT_EQ(Cell(1, 3), "second");
  EXPECT_GT(TextPixelsInRows(), 0);

  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  ASSERT_EQ(databaseFile.view, nullptr);
  EXPECT_TRUE(ColumnTitles().empty());
  EXPECT_EQ(TextPixelsInRows(), 0);

  OpenDatabase(Path("wide.vdr").c_str());
  EXPECT_EQ(ColumnTitles().size(), store::kMaxFieldCount + 3);
  EXPECT_GT(TextPixelsInRows(), 0);
}

TEST_F(MainWindowTest, AnEmptyLongNameLeavesTheProgramsCaption) {
  StartOn("unnamed.vdr", "");
  EXPECT_EQ(Caption(), "Veldrana 0.93");
}

// The band as the screen shows it, against the same texts drawn by the test.
class BandTest : public MainWindowTest {
 protected:
  static constexpr int kTop = 28, kBottom = 70;

  // The band's pixels as the window shows them.
  std::vector<uint32_t> Shown() {
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC window = GetDC(mainWindow);
    std::vector<uint32_t> bits = Capture(window);
    ReleaseDC(mainWindow, window);
    return bits;
  }

  // The band drawn from these texts the way the program should draw it.
  std::vector<uint32_t> Expected(const char* file, const char* source, const char* filter = nullptr) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, static_cast<int>(clientWidth), kBottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, static_cast<LONG>(clientWidth), kBottom};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontA(18, 0, 0, 0, 50, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    TextOutA(dc, 5, 30, "Filename:", 9);
    TextOutA(dc, 5, 50, "Source:", 7);
    if (file) TextOutA(dc, 80, 30, file, static_cast<int>(strlen(file)));
    if (source) TextOutA(dc, 80, 50, source, static_cast<int>(strlen(source)));
    if (filter) {
      SetTextAlign(dc, TA_RIGHT | TA_TOP);
      TextOutA(dc, static_cast<int>(clientWidth) - 5, 50, filter, static_cast<int>(strlen(filter)));
    }
    std::vector<uint32_t> bits = Capture(dc);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bits;
  }

 private:
  std::vector<uint32_t> Capture(HDC from) {
    const int width = static_cast<int>(clientWidth), height = kBottom - kTop;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pixels = nullptr;
    HBITMAP section = CreateDIBSection(from, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HDC dc = CreateCompatibleDC(from);
    HGDIOBJ old = SelectObject(dc, section);
    BitBlt(dc, 0, 0, width, height, from, 0, kTop, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> bits(static_cast<const uint32_t*>(pixels),
                               static_cast<const uint32_t*>(pixels) + size_t(width) * height);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(section);
    for (uint32_t& bit : bits) bit &= 0xFFFFFF;
    return bits;
  }
};

TEST_F(BandTest, ShowsTheFileAndItsSourceOnlyWhileTheUserHasAFile) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  EXPECT_EQ(Shown(), Expected(nullptr, nullptr)) << "only the two labels";

  ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, Path("Sample.vdr").c_str(), FALSE));
  CopyText(Path("Sample.vdr").c_str(), currentFileName, sizeof currentFileName);
  OpenDatabase(currentFileName);
  ASSERT_NE(databaseFile.view, nullptr);
  const std::vector<uint32_t> open = Shown();
  EXPECT_EQ(open, Expected(currentFileName, "World countries"));
  EXPECT_NE(open, Expected(nullptr, nullptr));

  // A filter names itself at the right of the Source line.
  PromptAnswers filter({{IDOK, "land"}});
  SendMessageA(mainWindow, WM_COMMAND, IDM_FILTER, 0);
  EXPECT_EQ(Shown(), Expected(currentFileName, "World countries", "Filter: land"));

  // Closed: the labels alone again.
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_EQ(Shown(), Expected(nullptr, nullptr));
}

TEST_F(MainWindowTest, AHeaderClickOnAFieldSortsByThatField) {
  StartOn("fruit.vdr");
  ASSERT_EQ(ColumnTexts(3), (Strings{"pear", "apple", "Banana"}));
  // The fixed columns do not sort.
  for (int column : {0, 1, 2}) {
    ClickColumnHeader(column);
    EXPECT_EQ(ColumnTexts(3), (Strings{"pear", "apple", "Banana"})) << column;
  }
  EXPECT_EQ(databaseChanged, 0u);

  ClickColumnHeader(3);
  EXPECT_EQ(ColumnTexts(3), (Strings{"apple", "Banana", "pear"}));
  // The records moved: the rows are in slot order again, with their numbers.
  EXPECT_EQ(ColumnTexts(0), (Strings{"0", "1", "2"}));
  EXPECT_EQ(ColumnTexts(1), (Strings{"1", "2", "3"}));
  EXPECT_EQ(ColumnTexts(4), (Strings{"0", "4294967295", "100"}));
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_FALSE(sortInProgress);

  // By the third field.
  ClickColumnHeader(5);
  EXPECT_EQ(ColumnTexts(5), (Strings{"x", "y", "z"}));
  EXPECT_EQ(ColumnTexts(3), (Strings{"Banana", "apple", "pear"}));
  EXPECT_EQ(RowCount(), 3);
}

TEST_F(MainWindowTest, ADropOpensOnlyTheFirstFile) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  ASSERT_TRUE(MakeDatabase(Path("one.vdr"), kTypes, kRows, "First"));
  ASSERT_TRUE(MakeDatabase(Path("two.vdr"), kTypes, {{"x"}}, "Second"));
  ASSERT_TRUE(MakeDatabase(Path("three.vdr"), kTypes, {{"y"}}, "Third"));
  PromptAnswers prompts;
  DropFiles({Path("one.vdr"), Path("two.vdr"), Path("three.vdr")});
  EXPECT_TRUE(prompts.seen.empty());
  EXPECT_STREQ(currentFileName, Path("one.vdr").c_str());
  EXPECT_EQ(Caption(), "First");
  EXPECT_EQ(RowCount(), 3);
  EXPECT_TRUE(FileItemsEnabled());

  // A drop on a changed database asks first; Cancel keeps it and the drop
  // is ignored.
  databaseChanged = 1;
  {
    PromptAnswers cancel({IDCANCEL});
    DropFiles({Path("two.vdr")});
    ASSERT_EQ(cancel.seen.size(), 1u);
    EXPECT_EQ(cancel.seen[0].line2, "This Veldrana has been changed.");
  }
  EXPECT_EQ(Caption(), "First");
  EXPECT_STREQ(currentFileName, Path("one.vdr").c_str());
  EXPECT_EQ(databaseChanged, 1u);

  // Discarding the changes lets the drop through.
  {
    PromptAnswers discard({IDC_PROMPT_THIRD});
    DropFiles({Path("two.vdr")});
    EXPECT_EQ(discard.seen.size(), 1u);
  }
  EXPECT_EQ(Caption(), "Second");
  EXPECT_EQ(RowCount(), 1);
}

// The keyboard filter, through the program's own message handling.
TEST_F(MainWindowTest, CtrlSSavesOncePerCtrlPress) {
  StartOn("fruit.vdr");
  auto change = [](const char* text) {
    CopyText(text, databaseFile.textValue, sizeof databaseFile.textValue);
    ASSERT_GE(databaseFile.WriteField(0, 1), 0);
    databaseChanged = 1;
  };
  change("plum");
  PostKeyMessage(recordList, WM_KEYDOWN, VK_CONTROL);
  PostKeyMessage(recordList, WM_KEYDOWN, 'S');
  PostKeyMessage(recordList, WM_KEYUP, 'S');
  ASSERT_TRUE(PumpUntil([] { return databaseChanged == 0; }));
  const std::vector<uint8_t> saved = FileBytes(Path("fruit.vdr"));
  EXPECT_EQ(saved, FileBytes(workingCopyPath));

  // S again with Ctrl still down and no new Ctrl press: no second save.
  change("quince");
  PostKeyMessage(recordList, WM_KEYDOWN, 'S');
  PostKeyMessage(recordList, WM_KEYUP, 'S');
  Pump(200);
  EXPECT_EQ(databaseChanged, 1u);
  EXPECT_EQ(FileBytes(Path("fruit.vdr")), saved);

  // A new press saves again.
  PostKeyMessage(recordList, WM_KEYUP, VK_CONTROL);
  PostKeyMessage(recordList, WM_KEYDOWN, VK_CONTROL);
  PostKeyMessage(recordList, WM_KEYDOWN, 'S');
  ASSERT_TRUE(PumpUntil([] { return databaseChanged == 0; }));
  EXPECT_EQ(FileBytes(Path("fruit.vdr")), FileBytes(workingCopyPath));
}

TEST_F(MainWindowTest, KeysWithCtrlThatMeanNothingAreSwallowed) {
  StartOn("fruit.vdr");
  SetFocus(recordList);
  ASSERT_EQ(FocusedRecordSlot(), -1);
  // With Ctrl down, a typed "2" (or C) never reaches the list.
  PostKeyMessage(recordList, WM_KEYDOWN, VK_CONTROL);
  for (UINT key : {'C', '2'}) {
    PostKeyMessage(recordList, WM_KEYDOWN, key);
    PostKeyMessage(recordList, WM_KEYUP, key);
  }
  Pump(200);
  EXPECT_EQ(FocusedRecordSlot(), -1);
  EXPECT_TRUE(ctrlHeld);
  // Without Ctrl the list takes it and goes to the row whose Index is 2.
  PostKeyMessage(recordList, WM_KEYUP, VK_CONTROL);
  PostKeyMessage(recordList, WM_KEYDOWN, '2');
  PostKeyMessage(recordList, WM_KEYUP, '2');
  EXPECT_TRUE(PumpUntil([] { return FocusedRecordSlot() == 2; }));
  EXPECT_FALSE(ctrlHeld);
  // Ctrl let go while another window had the keyboard: the list never sees
  // the release, and takes the next keys all the same.
  Pump(1100);  // the list's type-ahead of "2" is over
  PostKeyMessage(recordList, WM_KEYDOWN, VK_CONTROL);
  Pump(50);
  ASSERT_TRUE(ctrlHeld);
  SetKeyDown(VK_CONTROL, false);
  PostKeyMessage(recordList, WM_KEYDOWN, '1');
  PostKeyMessage(recordList, WM_KEYUP, '1');
  EXPECT_TRUE(PumpUntil([] { return FocusedRecordSlot() == 1; }));
}

TEST_F(MainWindowTest, CtrlOShowsTheOpenDialog) {
  StartOn("fruit.vdr");
  FileDialogAnswer open("Open", "");
  PostKeyMessage(recordList, WM_KEYDOWN, VK_CONTROL);
  PostKeyMessage(recordList, WM_KEYDOWN, 'O');
  ASSERT_TRUE(PumpUntil([&] { return open.shown() == 1; }));
  // Cancelled: the database was closed before the dialog, and nothing opens.
  EXPECT_EQ(databaseFile.view, nullptr);
  EXPECT_FALSE(ctrlHeld);
}

TEST_F(MainWindowTest, EscapeEndsTheProgramAndTheSettingsAreWritten) {
  StartOn("fruit.vdr");
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 0, 120);
  PostKeyMessage(recordList, WM_KEYDOWN, VK_ESCAPE);
  // The program's own loop: it ends with WM_QUIT and writes the settings.
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(mainWindow, nullptr);
  EXPECT_EQ(databaseFile.view, nullptr);

  const std::vector<uint8_t> file = FileBytes(Path("dVeldrana.dat"));
  ASSERT_EQ(file.size(), 1008u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 8), "DATA0900");
  Settings written;
  std::memcpy(&written, file.data() + 8, sizeof written);
  EXPECT_EQ(written.indexColumnWidth, 120u);
  EXPECT_EQ(written.recordColumnWidth, 50u);
  EXPECT_EQ(written.recStatColumnWidth, 50u);
  EXPECT_EQ(written.rowHeight, 20u);
  EXPECT_EQ(written.mainPlacement.length, 44u);
  EXPECT_EQ(written.mainPlacement.showCommand, static_cast<uint32_t>(SW_SHOWNORMAL));
  EXPECT_EQ(written.mainPlacement.normalLeft, 100);
  EXPECT_EQ(written.mainPlacement.normalTop, 100);
  EXPECT_EQ(written.mainPlacement.normalRight, 620);
  EXPECT_EQ(written.mainPlacement.normalBottom, 500);
  // The form was never moved: it keeps the main window's first place.
  EXPECT_EQ(written.formPlacement.normalLeft, 100);
  EXPECT_EQ(written.formPlacement.normalBottom, 500);
}

TEST_F(MainWindowTest, TheWidthsOfTheLastRunAreUsedAtTheNextOpen) {
  StartOn("fruit.vdr");
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 0, 120);
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 2, 33);
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_TRUE(ColumnTitles().empty());
  EXPECT_EQ(settings.indexColumnWidth, 120u);
  EXPECT_EQ(settings.recStatColumnWidth, 33u);
  OpenDatabase(Path("fruit.vdr").c_str());
  EXPECT_EQ(ColumnWidths()[0], 120);
  EXPECT_EQ(ColumnWidths()[1], 50);
  EXPECT_EQ(ColumnWidths()[2], 33);
  // And after a restart, from the settings file.
  SendMessageA(mainWindow, WM_COMMAND, IDM_EXIT, 0);
  RunMessageLoop();
  ReleaseInstanceMutex();
  std::memset(&settings, 0, sizeof settings);
  ASSERT_EQ(Start("Veldrana.exe " + Path("fruit.vdr")), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  EXPECT_EQ(ColumnWidths()[0], 120);
  EXPECT_EQ(ColumnWidths()[2], 33);
}

TEST_F(MainWindowTest, ASecondInstanceEndsAtOnceAndLeavesTheFirstAlone) {
  StartOn("fruit.vdr");
  HWND first = mainWindow;
  PromptAnswers prompts;
  ASSERT_TRUE(MakeDatabase(Path("other.vdr"), kTypes, {{"x"}}, "Other"));
  EXPECT_EQ(Start("Veldrana.exe " + Path("other.vdr")), StartResult::kAlreadyRunning);
  Pump(200);
  EXPECT_EQ(mainWindow, first);
  EXPECT_EQ(FindWindowExA(nullptr, first, "VDMain", nullptr), nullptr);
  EXPECT_EQ(Caption(), "Fruit");
  EXPECT_TRUE(prompts.seen.empty());
}

TEST_F(MainWindowTest, TheStatusBarFollowsTheRecordForm) {
  StartOn("fruit.vdr");
  EXPECT_EQ(StatusText(), "3 Records in DB");
  // While a form is open the bar names its record.
  HWND form = guitest::CreateTestWindow("form");
  recordForm = form;
  currentRecordNumber = 2;
  UpdateStatusBar();
  EXPECT_EQ(StatusText(), "Record 2 of 3");
  recordForm = nullptr;
  DestroyWindow(form);
  UpdateStatusBar();
  EXPECT_EQ(StatusText(), "3 Records in DB");
}

TEST_F(MainWindowTest, DoubleClickAndEditPickTheFocusedRow) {
  StartOn("fruit.vdr");
  currentSlot = -7;
  // No focused row: nothing happens.
  SendMessageA(mainWindow, WM_COMMAND, IDM_EDIT, 0);
  EXPECT_EQ(currentSlot, -7);
  FocusRow(2);
  EXPECT_EQ(FocusedRecordSlot(), 2);
  SendMessageA(mainWindow, WM_COMMAND, IDM_EDIT, 0);
  EXPECT_EQ(currentSlot, 2);
  currentSlot = -7;
  FocusRow(1);
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = recordList;
  click.hdr.idFrom = 0;
  click.hdr.code = NM_DBLCLK;
  SendMessageA(mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(currentSlot, 1);
}

Strings shellOpened;
void RecordShellOpen(const char* target) { shellOpened.push_back(target); }

TEST_F(MainWindowTest, F1AndHelpOpenTheHelpPageOncePerPress) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  shellOpened.clear();
  auto* previous = shellOpenHandler;
  shellOpenHandler = RecordShellOpen;
  PostKeyMessage(recordList, WM_KEYDOWN, VK_F1);
  PostKeyMessage(recordList, WM_KEYUP, VK_F1);
  Pump(200);
  EXPECT_EQ(shellOpened, Strings{Folder() + "ReadMe.htm"});
  SendMessageA(mainWindow, WM_COMMAND, IDM_HELP, 0);
  SendMessageA(mainWindow, WM_COMMAND, CMD_HELP, 0);
  shellOpenHandler = previous;
  EXPECT_EQ(shellOpened.size(), 3u);
}

TEST_F(MainWindowTest, AboutAndOptionsOpenFromTheMenu) {
  ASSERT_EQ(Start(), StartResult::kStarted);
  ButtonAnswer about("About Veldrana", IDOK);
  ButtonAnswer options("Veldrana Options", IDCANCEL);
  SendMessageA(mainWindow, WM_COMMAND, IDM_ABOUT, 0);
  SendMessageA(mainWindow, WM_COMMAND, IDM_OPTIONS, 0);
  EXPECT_EQ(about.shown, 1);
  EXPECT_EQ(options.shown, 1);
}

// The right-click menu, read when it is about to show and then dismissed.
struct PopupItems {
  std::vector<std::pair<UINT, std::string>> items;  // id and text; separators 0, ""
};
PopupItems* popupSeen;
WNDPROC mainProcedure;
LRESULT CALLBACK WatchPopup(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITMENUPOPUP && popupSeen) {
    HMENU menu = reinterpret_cast<HMENU>(wParam);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[64] = "";
      GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
      popupSeen->items.emplace_back(GetMenuItemID(menu, i), text);
    }
  }
  if (message == WM_ENTERIDLE && wParam == MSGF_MENU) EndMenu();
  return CallWindowProcA(mainProcedure, window, message, wParam, lParam);
}

TEST_F(MainWindowTest, TheRightClickMenuOffersEditOnlyForAFocusedRow) {
  StartOn("fruit.vdr");
  mainProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchPopup)));
  using Items = std::vector<std::pair<UINT, std::string>>;
  PopupItems without, with;
  popupSeen = &without;
  SendMessageA(mainWindow, WM_RBUTTONUP, 0, MAKELPARAM(50, 40));
  EXPECT_EQ(without.items, (Items{{IDM_ABOUT, "About"}, {IDM_HELP, "Help"}, {IDM_SORT, "Sort"},
                                  {0, ""}, {IDM_EXIT, "Exit"}}));
  FocusRow(0);
  popupSeen = &with;
  SendMessageA(mainWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(recordList), MAKELPARAM(50, 40));
  EXPECT_EQ(with.items, (Items{{IDM_ABOUT, "About"}, {IDM_HELP, "Help"}, {IDM_SORT, "Sort"},
                               {IDM_EDIT, "Edit"}, {0, ""}, {IDM_EXIT, "Exit"}}));
  popupSeen = nullptr;
  SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProcedure));
}

// Only a row the user chose, focused and selected, is one Edit, Delete and a
// double click act on; a row the list focuses of its own accord is not.
TEST_F(MainWindowTest, OnlyAChosenRowEnablesEditAndDelete) {
  StartOn("fruit.vdr");
  mainProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchPopup)));
  const struct {
    const char* name;
    UINT state;  // given to row 1; 0 with click: a click on it
    bool click;
    bool chosen;
  } cases[] = {
      {"no row", 0, false, false},
      {"focused only", LVIS_FOCUSED, false, false},
      {"selected only", LVIS_SELECTED, false, false},
      {"focused and selected", LVIS_FOCUSED | LVIS_SELECTED, false, true},
      {"clicked", 0, true, true},
  };
  for (const auto& c : cases) {
    LVITEMA item = {};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(recordList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = c.state;
    SendMessageA(recordList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    if (c.click) {
      RECT row = {LVIR_BOUNDS, 0, 0, 0};
      SendMessageA(recordList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
      const LPARAM at = MAKELPARAM(row.left + 60, (row.top + row.bottom) / 2);
      SendMessageA(recordList, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageA(recordList, WM_LBUTTONUP, 0, at);
    }
    PopupItems popup;
    popupSeen = &popup;
    SendMessageA(mainWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(recordList), MAKELPARAM(50, 40));
    popupSeen = nullptr;
    const bool editOffered = std::find(popup.items.begin(), popup.items.end(),
                                       std::make_pair(UINT{IDM_EDIT}, std::string("Edit"))) != popup.items.end();
    EXPECT_EQ(editOffered, c.chosen) << c.name;
    currentSlot = -7;
    SendMessageA(mainWindow, WM_COMMAND, IDM_EDIT, 0);
    EXPECT_EQ(currentSlot, c.chosen ? 1 : -7) << c.name;
    if (recordForm) SendMessageA(recordForm, WM_CLOSE, 0, 0);
    PromptAnswers prompts({IDCANCEL});
    SendMessageA(mainWindow, WM_COMMAND, CMD_DELETE, 0);
    EXPECT_EQ(prompts.seen.size(), c.chosen ? 1u : 0u) << c.name;
    EXPECT_EQ(RowCount(), 3) << c.name;
  }
  SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProcedure));
}

}  // namespace
