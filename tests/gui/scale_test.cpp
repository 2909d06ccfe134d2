// The program at a display scale: ctest runs these tests once for each of
// 96, 144 and 192 DPI, each in a Wine prefix of its own whose LogPixels is
// that DPI (tests/gui/scale-prefix), and names the DPI in VELDRANA_TEST_DPI.
// What the user sees is read back: the toolbar's buttons, the band's pixels,
// the list's rows and columns, the form's rows (through its text output),
// every dialog's texts against their controls. A monitor of another scale,
// which Wine cannot give, is a WM_DPICHANGED sent to the windows.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/settings.h"
#include "core/templates/template_labels.h"
#include "resources/resource.h"
#include "store/database_file.h"
#include "tests/gui/program_test_util.h"
#include "ui/dialogs/prompt_dialog.h"
#include "ui/form/record_form.h"
#include "ui/main/main_window.h"

using namespace programtest;

namespace {

// What the user sees at each scale, in pixels. The list's rows follow the
// system's font, so only their least height is known.
struct ScaleCase {
  int dpi;
  int image;           // a toolbar picture
  SIZE button;         // a toolbar button
  int text;            // the Arial of the band and the form, as made
  int lineY[2];        // the band's lines; the form's header is on the first
  int textX[2];        // the band's labels and names; the header's x
  int listTop;
  int listRowAtLeast;
  int firstRowY;       // the form's rows
  int row;
  int valueX;
  int dragged;         // a column dragged to 101 pixels is kept as this
};
const ScaleCase kScales[] = {
    {96, 16, {23, 22}, 18, {30, 50}, {5, 80}, 70, 13, 60, 20, 150, 101},
    {144, 24, {31, 30}, 27, {45, 75}, {8, 120}, 105, 19, 90, 30, 225, 67},
    {192, 32, {39, 38}, 36, {60, 100}, {10, 160}, 140, 26, 120, 40, 300, 51},
};
// The scale a window is moved to from each: another of the three, where the
// window still fits the test's desktop.
const ScaleCase& OtherScale(const ScaleCase& now) { return kScales[now.dpi == 144 ? 0 : 1]; }
int At(const ScaleCase& scale, int pixels96) { return MulDiv(pixels96, scale.dpi, 96); }

// What the form drew while the recorder was in place, with its font's height.
struct Drawn {
  int x, y;
  std::string text;
  LONG height;
};
std::vector<Drawn> drawn;
BOOL WINAPI RecordText(HDC dc, int x, int y, LPCSTR text, int length) {
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  drawn.push_back({x, y, std::string(text, static_cast<size_t>(length)), metrics.tmHeight});
  return TextOutA(dc, x, y, text, length);
}

LONG ArialHeight(int height) {
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontA(height, 0, 0, 0, 50, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return metrics.tmHeight;
}

// The pixels of the band (from its first line to the list) as the main
// window shows them, or, with `as` given, as the band should look at that
// scale: labels and names in Arial of its height at its places.
std::vector<uint32_t> Band(const ScaleCase& at, const ScaleCase* as = nullptr) {
  const int top = at.lineY[0] - 2, width = static_cast<int>(clientWidth), height = at.listTop - top;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, section);
  if (as) {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontA(as->text, 0, 0, 0, 50, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    const char* texts[2][2] = {{"Filename:", currentFileName}, {"Source:", sourceName}};
    for (int line = 0; line < 2; ++line)
      for (int column = 0; column < 2; ++column)
        TextOutA(dc, as->textX[column], as->lineY[line] - top, texts[line][column],
                 static_cast<int>(std::strlen(texts[line][column])));
    DeleteObject(SelectObject(dc, oldFont));
  } else {
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC window = GetDC(mainWindow);
    BitBlt(dc, 0, 0, width, height, window, 0, top, SRCCOPY);
    ReleaseDC(mainWindow, window);
  }
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(width) * height);
  for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  DeleteObject(section);
  return pixels;
}

int ImageSize(HWND bar) {
  int width = 0, height = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(bar, TB_GETIMAGELIST, 0, 0)), &width, &height);
  return width == height ? width : -1;
}
RECT WindowRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}
// The size of the picture an icon control shows, or 0.
int IconShown(HWND control) {
  ICONINFO info = {};
  if (!GetIconInfo(reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0)), &info)) return 0;
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// The rows of a text's cell, in the font selected into dc, that hold ink:
// the first and one past the last.
std::pair<int, int> InkRows(HDC dc, const std::string& text, SIZE cell) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, cell.cx, -cell.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ oldBitmap = SelectObject(memory, section);
  HGDIOBJ oldFont = SelectObject(memory, GetCurrentObject(dc, OBJ_FONT));
  PatBlt(memory, 0, 0, cell.cx, cell.cy, WHITENESS);
  TextOutA(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
  GdiFlush();
  std::pair<int, int> ink = {cell.cy, 0};
  for (int y = 0; y < cell.cy; ++y)
    for (int x = 0; x < cell.cx; ++x)
      if ((static_cast<uint32_t*>(bits)[size_t(y) * cell.cx + x] & 0xFFFFFF) != 0xFFFFFF) {
        ink = {std::min(ink.first, y), y + 1};
        break;
      }
  SelectObject(memory, oldFont);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
  DeleteObject(section);
  return ink;
}

// What of a dialog the user cannot see whole: the dialog beyond its
// monitor's work area, a control beyond the dialog, an icon not drawn for the
// scale, a text in its control's own font wider than the room the control
// gives it, or with ink above or below that room: the prompt's lines are no
// higher than their font's cells, which the controls centre, but hold their
// letters.
std::vector<std::string> CutOff(HWND dialog, int dpi) {
  std::vector<std::string> problems;
  const std::string caption = guitest::WindowText(dialog);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT outer = WindowRect(dialog), client, both;
  if (!IntersectRect(&both, &outer, &monitor.rcWork) || !EqualRect(&both, &outer))
    problems.push_back(caption + ": beyond the screen");
  GetClientRect(dialog, &client);
  const int edgeX = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0) continue;
    const std::string kind = guitest::ClassOf(child);
    const std::string name = caption + ": " + kind + " \"" + guitest::WindowText(child) + "\"";
    RECT place = guitest::RectInParent(child);
    if (!IntersectRect(&both, &place, &client) || !EqualRect(&both, &place)) problems.push_back(name + " beyond the dialog");
    // The room for the text; its cell lies centred in it, or at its top, or
    // must fit whole (lists and edits).
    SIZE room = {place.right - place.left, place.bottom - place.top};
    bool centred = true, wholeCell = false;
    std::vector<std::string> texts = {guitest::WindowText(child)};
    const LONG button = style & BS_TYPEMASK, picture = style & SS_TYPEMASK;
    if (kind == "Button" && (button == BS_AUTOCHECKBOX || button == BS_CHECKBOX)) {
      room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + edgeX;
    } else if (kind == "Button") {
      room = {room.cx - 2 * edgeX, room.cy - 2 * edgeY};
    } else if (kind == "Static" && picture == SS_ICON) {
      if (IconShown(child) != MulDiv(32, dpi, 96)) problems.push_back(name + ": an icon of " + std::to_string(IconShown(child)));
      continue;
    } else if (kind == "Static" && picture != SS_LEFT && picture != SS_CENTER) {
      continue;
    } else if (kind == "Static") {
      centred = (style & SS_CENTERIMAGE) != 0;
    } else if (kind == "ComboBox") {
      // Every entry, beside the button.
      room = {room.cx - GetSystemMetrics(SM_CXVSCROLL) - 2 * edgeX,
              static_cast<LONG>(SendMessageA(child, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0))};
      texts.clear();
      for (int i = 0; i < SendMessageA(child, CB_GETCOUNT, 0, 0); ++i) {
        char entry[256] = "";
        SendMessageA(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        texts.push_back(entry);
      }
      wholeCell = true;
    } else if (kind == "Edit" && (style & ES_MULTILINE) == 0) {
      // It scrolls sideways; its height must hold the text.
      RECT inside;
      GetClientRect(child, &inside);
      room = {1 << 20, inside.bottom};
      wholeCell = true;
    } else {
      continue;
    }
    HDC dc = GetDC(child);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
    for (const std::string& text : texts) {
      SIZE size = {};
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      if (text.find_first_not_of(' ') == std::string::npos) continue;
      const std::pair<int, int> ink = InkRows(dc, text, size);
      const int cell = centred ? (room.cy - size.cy) / 2 : 0;
      if (size.cx > room.cx || (wholeCell ? size.cy > room.cy : cell + ink.first < 0 || cell + ink.second > room.cy))
        problems.push_back(name + ": \"" + text + "\" is cut off in " + std::to_string(room.cx) + " x " +
                           std::to_string(room.cy));
    }
    SelectObject(dc, old);
    ReleaseDC(child, dc);
  }
  return problems;
}

// Any dialog of this caption: looked at, then a button pressed.
class LookAt : public DialogResponder {
 public:
  LookAt(const char* caption, int button, std::function<void(HWND)> look)
      : DialogResponder(caption), button_(button), look_(std::move(look)) {}
  void Respond(HWND dialog) override {
    ++shown;
    look_(dialog);
    guitest::PostCommand(dialog, button_);
  }
  int shown = 0;

 private:
  int button_;
  std::function<void(HWND)> look_;
};

class ScaleTest : public ProgramTest {
 protected:
  void SetUp() override {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const char* named = std::getenv("VELDRANA_TEST_DPI");
    if (named && std::atoi(named) != dpi) FAIL() << "the prefix gives " << dpi << " DPI, not " << named;
    for (const ScaleCase& each : kScales)
      if (each.dpi == dpi) scale = &each;
    if (!scale) GTEST_SKIP() << "no expectations at " << dpi << " DPI";
    ProgramTest::SetUp();
    formTextOut = RecordText;
  }
  void TearDown() override {
    if (!scale) return;
    ProgramTest::TearDown();
    formTextOut = TextOutA;
  }

  // A database opened from the command line: the sample, or one made.
  void StartOn(const std::vector<uint32_t>& types = {}, const std::vector<std::vector<std::string>>& rows = {}) {
    if (types.empty())
      ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, Path("db.vdr").c_str(), FALSE));
    else
      ASSERT_TRUE(MakeDatabase(Path("db.vdr"), types, rows));
    ASSERT_EQ(Start("Veldrana.exe \"" + Path("db.vdr") + "\""), StartResult::kStarted);
    ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
    ShowRecord(0);
    ASSERT_NE(recordForm, nullptr);
  }

  // Both windows as they should be at a scale.
  void ExpectLaidOutFor(const ScaleCase& at) {
    SCOPED_TRACE("laid out for " + std::to_string(at.dpi) + " DPI");
    const LRESULT button = SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(LOWORD(button), at.button.cx);
    EXPECT_EQ(HIWORD(button), at.button.cy);
    EXPECT_EQ(ImageSize(toolbar), at.image);
    EXPECT_EQ(ImageSize(formToolbar), at.image);
    EXPECT_TRUE(Band(at) == Band(at, &at)) << "the band's text";
    RECT client, row = {LVIR_BOUNDS, 0, 0, 0};
    GetClientRect(mainWindow, &client);
    const RECT list = guitest::RectInParent(recordList);
    EXPECT_EQ(list.top, at.listTop);
    EXPECT_EQ(list.bottom, client.bottom - At(at, 20));
    SendMessageA(recordList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_GE(row.bottom - row.top, at.listRowAtLeast);

    drawn.clear();
    RedrawWindow(recordForm, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_GE(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].x, at.textX[0]);  // the header
    EXPECT_EQ(drawn[0].y, at.lineY[0]);
    EXPECT_EQ(drawn[1].y, at.firstRowY);
    EXPECT_EQ(drawn[2].x, at.valueX);
    EXPECT_EQ(drawn[3].y, at.firstRowY + at.row);
    for (const Drawn& text : drawn) EXPECT_EQ(text.height, ArialHeight(at.text)) << text.text;
    EXPECT_EQ(pageRows, formClientHeight / static_cast<uint32_t>(at.row));
  }

  const ScaleCase* scale = nullptr;
};

TEST_F(ScaleTest, TheWindowsAreLaidOutForTheScale) {
  StartOn();
  // The first place and size, scaled; the form's first is the main window's.
  const RECT main = WindowRect(mainWindow), form = WindowRect(recordForm);
  EXPECT_EQ(main.left, At(*scale, 100));
  EXPECT_EQ(main.right - main.left, At(*scale, 520));
  EXPECT_EQ(main.bottom - main.top, At(*scale, 400));
  EXPECT_EQ(form.right - form.left, main.right - main.left);
  // Every column at its width at 96 DPI, scaled: the settings' three, then
  // the template's.
  std::vector<ListColumn> columns;
  ASSERT_TRUE(ReadListColumns(databaseFile.fieldCount, &columns));
  std::vector<int> widths;
  for (const ListColumn& column : columns) widths.push_back(At(*scale, static_cast<int>(column.width)));
  EXPECT_EQ(widths[0], At(*scale, 50));
  EXPECT_EQ(ColumnWidths(), widths);
  ExpectLaidOutFor(*scale);
}

TEST_F(ScaleTest, AShiftClickEditsTheFieldUnderTheCursor) {
  StartOn({11, 11, 11, 11}, {{"one", "two", "three", "four"}});
  const ScaleCase& at = *scale;
  // Just inside each edge of a row, and its middle; 0 for no field.
  const struct {
    int y;
    int field;
  } clicks[] = {{at.firstRowY, 0}, {at.firstRowY + 1, 1}, {at.firstRowY + at.row - 1, 1},
                {at.firstRowY + at.row, 2}, {at.firstRowY + 2 * at.row + at.row / 2, 3},
                {at.firstRowY + 4 * at.row - 1, 4}, {at.firstRowY + 4 * at.row, 0}};
  for (const auto& click : clicks) {
    SCOPED_TRACE("y " + std::to_string(click.y));
    const std::string typed = "y" + std::to_string(click.y);
    PromptAnswers prompts({{IDOK, typed.c_str()}});
    PostMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(At(at, 200), click.y));
    Pump(100);
    ASSERT_EQ(prompts.seen.size(), click.field ? 1u : 0u);
    if (click.field) {
      EXPECT_EQ(Cell(0, 2 + click.field), typed);
    }
  }
}

TEST_F(ScaleTest, ColumnWidthsAreKeptInUnitsOf96Dpi) {
  // A settings file as every version wrote it, in pixels of 96 DPI.
  SetDefaultSettings();
  KeepColumnWidths(50, 80, 133);
  SetFolders(Folder().c_str(), Folder().c_str());
  ASSERT_EQ(SaveSettings(), 1);
  StartOn();
  std::vector<int> shown = ColumnWidths();
  shown.resize(3);
  EXPECT_EQ(shown, (std::vector<int>{At(*scale, 50), At(*scale, 80), At(*scale, 133)}));

  // Dragged to 120 at 96 DPI scaled, and to 101 pixels.
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 0, At(*scale, 120));
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 1, 101);
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  ASSERT_EQ(SaveSettings(), 1);
  const std::vector<uint8_t> bytes = FileBytes(Path(kSettingsFileName));
  ASSERT_EQ(bytes.size(), kSettingsFileSize);
  EXPECT_EQ(bytes[8], 120);
  EXPECT_EQ(bytes[12], scale->dragged);
  EXPECT_EQ(bytes[16], 133);
}

TEST_F(ScaleTest, MovingToAMonitorOfAnotherScaleLaysBothWindowsOutAgain) {
  StartOn();
  const ScaleCase& other = OtherScale(*scale);
  const std::vector<int> before = ColumnWidths();
  // Each window takes the rectangle the system suggests for the new scale.
  for (HWND window : {mainWindow, recordForm}) {
    RECT suggested = WindowRect(window);
    suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, other.dpi, scale->dpi);
    suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, other.dpi, scale->dpi);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(other.dpi, other.dpi), reinterpret_cast<LPARAM>(&suggested));
    const RECT now = WindowRect(window);
    EXPECT_TRUE(EqualRect(&now, &suggested));
  }
  ExpectLaidOutFor(other);
  std::vector<int> widths;
  for (int width : before) widths.push_back(MulDiv(width, other.dpi, scale->dpi));
  EXPECT_EQ(ColumnWidths(), widths);
  EXPECT_TRUE(ButtonEnabled(CMD_SAVE)) << "the new toolbar's buttons as they were";
  {
    // A Shift-click finds the second row at the new scale.
    PromptAnswers prompts({IDCANCEL});
    SendMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, other.firstRowY + other.row + 1));
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].edit, Cell(0, 4));
  }
  // A prompt moved there takes caption fonts and icons of that scale.
  LONG captionHeight = 0;
  std::vector<std::string> problems;
  LookAt prompt("Veldrana 1.0", IDCANCEL, [&](HWND dialog) {
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(other.dpi, other.dpi), 0);
    LOGFONTA font = {};
    if (guitest::ItemFont(dialog, IDC_PROMPT_LINE1, &font)) captionHeight = font.lfHeight;
    problems = CutOff(dialog, other.dpi);
  });
  ShowConfirmation(mainWindow, "Confirm?");
  EXPECT_EQ(captionHeight, At(other, 20));
  for (const std::string& problem : problems)
    if (problem.find("icon") != std::string::npos) ADD_FAILURE() << problem;
  // Closed there, the widths are kept in 96-DPI units all the same.
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_EQ(settings.indexColumnWidth, 50u);
}

TEST_F(ScaleTest, EveryDialogShowsItsWholeText) {
  ASSERT_TRUE(CopyFileA(VELDRANA_SOURCE_DIR "/data/StyleLst.txt", Path("StyleLst.txt").c_str(), FALSE));
  ASSERT_EQ(Start(), StartResult::kStarted);
  char text[kPromptTextSize];
  auto input = [&](uint32_t mode, const char* caption, const char* start) {
    CopyText(start, text, sizeof text);
    ShowInput(mainWindow, mode, caption, text);
  };
  auto command = [](int id) { return [id] { SendMessageA(mainWindow, WM_COMMAND, id, 0); }; };
  const struct {
    const char* caption;
    int button;
    std::function<void()> open;
  } dialogs[] = {
      {"New Veldrana", IDCANCEL, command(IDM_NEW)},
      {"Veldrana Options", IDCANCEL, command(IDM_OPTIONS)},
      {"About Veldrana", IDOK, command(IDM_ABOUT)},
      {"Veldrana 1.0", IDCANCEL, [] { ShowMessage(mainWindow, "Not a Veldrana file"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowConfirmation(mainWindow, "Confirm?"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowSaveQuestion(mainWindow, "This Veldrana has been changed.", "Save Current File Now?"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowQuestion(mainWindow, "First line: Country,Official name,Capi", "Are these the column names?"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowMessage(mainWindow, "Not imported: there is no room", "for the records in the database."); }},
      {"Veldrana 1.0", IDCANCEL, [&] { input(kPromptInput, "Database Name", "World countries"); }},
      {"Veldrana 1.0", IDCANCEL, [&] { input(kPromptFieldInput + kPromptSmallCaption, "Number (0 - 4294 Mil)", "4294967295"); }},
      {"Veldrana 1.0", IDCANCEL, [] {
         // The search navigator, here on the test's own thread.
         promptMode = kPromptNavigator;
         promptMessage = "apple";
         promptResult = reinterpret_cast<uintptr_t>(mainWindow);
         ShowPrompt(nullptr);
       }},
  };
  for (const auto& dialog : dialogs) {
    std::vector<std::string> problems;
    LookAt look(dialog.caption, dialog.button, [&](HWND shown) { problems = CutOff(shown, scale->dpi); });
    dialog.open();
    EXPECT_EQ(look.shown, 1) << dialog.caption;
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
  }
}

}  // namespace
