// The program at a display scale: ctest runs these tests once for each of
// 96, 144 and 192 DPI, each in a Wine prefix of its own whose LogPixels is
// that DPI (tests/gui/scale-prefix), and names the DPI in VELDRANA_TEST_DPI.
// What the user sees is read back from the windows: the toolbar's buttons,
// the band's pixels, the list's rows and columns, the form's painted rows
// (through the form's text output, in the program's own process), every
// dialog's texts against their controls. A monitor of another scale, which
// Wine cannot give, is a WM_DPICHANGED sent to the windows.
#include "store/text.h"

#include <windows.h>
#include <commctrl.h>

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
#include "ui/main/file_menu.h"
#include "ui/main/main_window.h"

using namespace programtest;

namespace {

// What the user sees at each scale, in pixels. The list's rows follow the
// system's font, so only their least height is known.
struct ScaleCase {
  int dpi;
  int image;           // a toolbar picture
  SIZE button;         // a toolbar button
  int text;            // the Arial of the band and the form
  int bandY[2];        // the band's two lines
  int bandX[2];        // its labels and its names
  int listTop;
  int listRowAtLeast;
  int formFirstRowY;
  int formRow;
  int formValueX;
  int dragged;         // a column dragged to 101 pixels is kept as this
};
const ScaleCase kScales[] = {
    {96, 16, {23, 22}, 18, {30, 50}, {5, 80}, 70, 13, 60, 20, 150, 101},
    {144, 24, {31, 30}, 27, {45, 75}, {8, 120}, 105, 19, 90, 30, 225, 67},
    {192, 32, {39, 38}, 36, {60, 100}, {10, 160}, 140, 26, 120, 40, 300, 51},
};

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

const ScaleCase* CaseOfDpi(int dpi) {
  for (const ScaleCase& c : kScales)
    if (c.dpi == dpi) return &c;
  return nullptr;
}

// Another of the scales, for a window moved to a monitor of that scale.
const ScaleCase& OtherScale(const ScaleCase& now) {
  return now.dpi == 96 ? kScales[2] : now.dpi == 144 ? kScales[0] : kScales[1];
}

// What the form drew while the recorder was in place, and the height of the
// font it drew with.
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

// The pixels of a client rectangle as the window shows it, or as a memory
// DC holds them.
std::vector<uint32_t> Pixels(HDC from, const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(from, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(from);
  HGDIOBJ old = SelectObject(dc, section);
  BitBlt(dc, 0, 0, width, height, from, area.left, area.top, SRCCOPY);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(width) * height);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(section);
  for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

// The band as the main window shows it, and as it should look at a scale:
// the two labels and the file's and the template's names in Arial of the
// scale's height at the scale's places.
std::vector<uint32_t> BandShown(const RECT& area) {
  RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  HDC dc = GetDC(mainWindow);
  std::vector<uint32_t> pixels = Pixels(dc, area);
  ReleaseDC(mainWindow, dc);
  return pixels;
}
std::vector<uint32_t> BandExpected(const ScaleCase& at, const RECT& area) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT all = {0, 0, area.right, area.bottom};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HFONT font = CreateFontA(at.text, 0, 0, 0, 50, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  TextOutA(dc, at.bandX[0], at.bandY[0], "Filename:", 9);
  TextOutA(dc, at.bandX[0], at.bandY[1], "Source:", 7);
  TextOutA(dc, at.bandX[1], at.bandY[0], currentFileName, static_cast<int>(std::strlen(currentFileName)));
  TextOutA(dc, at.bandX[1], at.bandY[1], sourceName, static_cast<int>(std::strlen(sourceName)));
  std::vector<uint32_t> pixels = Pixels(dc, area);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The height of the characters of Arial made this high, as the system
// measures them.
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

SIZE ButtonSize(HWND bar) {
  const LRESULT size = SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
  return {LOWORD(size), HIWORD(size)};
}
int ImageSize(HWND bar) {
  int width = 0, height = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(bar, TB_GETIMAGELIST, 0, 0)), &width, &height);
  return width == height ? width : -1;
}
int ListRowHeight() {
  RECT row = {};
  row.left = LVIR_BOUNDS;
  SendMessageA(recordList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  return row.bottom - row.top;
}
RECT WindowRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

// The size of the picture an icon control shows, or 0.
int IconShown(HWND control) {
  HICON icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

SIZE ExtentIn(HWND control, const std::string& text) {
  SIZE size = {0, 0};
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

// The rows of a text's cell, in a control's font, that hold ink: the first
// and one past the last.
struct Ink {
  int top, bottom;
};
Ink InkRows(HWND control, const std::string& text, SIZE cell) {
  Ink ink = {cell.cy, 0};
  HDC screen = GetDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, cell.cx, -cell.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ oldBitmap = SelectObject(dc, section);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT all = {0, 0, cell.cx, cell.cy};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
  GdiFlush();
  const uint32_t* pixels = static_cast<const uint32_t*>(bits);
  for (int y = 0; y < cell.cy; ++y)
    for (int x = 0; x < cell.cx; ++x)
      if ((pixels[size_t(y) * cell.cx + x] & 0xFFFFFF) != 0xFFFFFF) {
        if (y < ink.top) ink.top = y;
        ink.bottom = y + 1;
        break;
      }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  DeleteObject(section);
  ReleaseDC(nullptr, screen);
  return ink;
}

// What of a dialog the user cannot see whole: the dialog beyond its
// monitor's work area, a control beyond the dialog, a text in its control's
// own font wider than the room the control gives it or with ink above or
// below it (a text's cell may be taller than its line while its letters fit),
// an icon not drawn for the dialog's scale. Empty when everything shows.
std::vector<std::string> CutOff(HWND dialog, int dpi) {
  std::vector<std::string> problems;
  const std::string caption = guitest::WindowText(dialog);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT outer = WindowRect(dialog);
  const RECT& work = monitor.rcWork;
  if (outer.left < work.left || outer.top < work.top || outer.right > work.right || outer.bottom > work.bottom)
    problems.push_back(caption + ": the dialog reaches beyond the screen");
  RECT client;
  GetClientRect(dialog, &client);
  const int edgeX = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0) continue;
    const std::string kind = guitest::ClassOf(child), text = guitest::WindowText(child);
    const std::string name = caption + ": " + kind + " \"" + text + "\"";
    const RECT place = guitest::RectInParent(child);
    if (place.left < 0 || place.top < 0 || place.right > client.right || place.bottom > client.bottom)
      problems.push_back(name + " lies beyond the dialog");
    // The room for the text across, and the rows it may take down; the
    // text's cell lies centred between them, or at their top.
    int roomX = place.right - place.left;
    int top = 0, bottom = place.bottom - place.top;
    bool centred = true, cellFits = false;
    std::vector<std::string> texts = {text};
    if (kind == "Button") {
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) {
        roomX -= GetSystemMetrics(SM_CXMENUCHECK) + edgeX;
      } else {
        roomX -= 2 * edgeX;
        top += edgeY;
        bottom -= edgeY;
      }
    } else if (kind == "Static") {
      const LONG type = style & SS_TYPEMASK;
      if (type == SS_ICON) {
        const int size = IconShown(child);
        if (size != MulDiv(32, dpi, 96)) problems.push_back(name + " shows an icon of " + std::to_string(size));
        continue;
      }
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;
      centred = (style & SS_CENTERIMAGE) != 0;
    } else if (kind == "ComboBox") {
      // Every entry of the list, in the box beside its button.
      roomX -= GetSystemMetrics(SM_CXVSCROLL) + 2 * edgeX;
      texts.clear();
      const int count = static_cast<int>(SendMessageA(child, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        char entry[256] = "";
        SendMessageA(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        texts.push_back(entry);
      }
      bottom = static_cast<int>(SendMessageA(child, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
      cellFits = true;
    } else if (kind == "Edit") {
      // A one-line edit scrolls its text sideways; its height must hold it.
      if (style & ES_MULTILINE) continue;
      RECT inside;
      GetClientRect(child, &inside);
      roomX = 1 << 20;
      bottom = inside.bottom;
      cellFits = true;
    } else {
      continue;
    }
    for (const std::string& each : texts) {
      if (each.empty() || each == " ") continue;
      const SIZE size = ExtentIn(child, each);
      const Ink ink = InkRows(child, each, size);
      const int cellTop = centred ? top + (bottom - top - size.cy) / 2 : top;
      const bool fitsDown = cellFits ? size.cy <= bottom - top
                                     : cellTop + ink.top >= top && cellTop + ink.bottom <= bottom;
      if (size.cx > roomX || !fitsDown)
        problems.push_back(name + ": \"" + each + "\" needs " + std::to_string(size.cx) + " across and rows " +
                           std::to_string(cellTop + ink.top) + " to " + std::to_string(cellTop + ink.bottom) +
                           "; has " + std::to_string(roomX) + " across and rows " + std::to_string(top) + " to " +
                           std::to_string(bottom));
    }
  }
  return problems;
}

// Any dialog of this caption: a look at it, then a button pressed.
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
    const char* named = std::getenv("VELDRANA_TEST_DPI");
    const int dpi = SystemDpi();
    if (named && std::atoi(named) != dpi) FAIL() << "the prefix gives " << dpi << " DPI, not " << named;
    scale = CaseOfDpi(dpi);
    if (!scale) GTEST_SKIP() << "no expectations at " << dpi << " DPI";
    ProgramTest::SetUp();
    drawn.clear();
    formTextOut = RecordText;
  }
  void TearDown() override {
    if (!scale) return;
    ProgramTest::TearDown();
    formTextOut = TextOutA;
  }

  // The sample database, opened from the command line.
  void StartOnSample() {
    ASSERT_TRUE(CopyFileA(VELDRANA_SAMPLE_DATABASE, Path("Sample.vdr").c_str(), FALSE));
    ASSERT_EQ(Start("Veldrana.exe \"" + Path("Sample.vdr") + "\""), StartResult::kStarted);
    ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  }
  std::vector<Drawn> PaintForm() {
    drawn.clear();
    RedrawWindow(recordForm, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return drawn;
  }
  // The band between the toolbar and the list.
  RECT BandArea(const ScaleCase& at) const { return {0, at.bandY[0] - 2, static_cast<LONG>(clientWidth), at.listTop}; }

  // The main window and the form as they should be at a scale.
  void ExpectLaidOutFor(const ScaleCase& at) {
    SCOPED_TRACE("laid out for " + std::to_string(at.dpi) + " DPI");
    const SIZE button = ButtonSize(toolbar);
    EXPECT_EQ(button.cx, at.button.cx);
    EXPECT_EQ(button.cy, at.button.cy);
    EXPECT_EQ(ImageSize(toolbar), at.image);
    EXPECT_EQ(ImageSize(formToolbar), at.image);
    EXPECT_TRUE(BandShown(BandArea(at)) == BandExpected(at, BandArea(at))) << "the band's text";
    RECT client;
    GetClientRect(mainWindow, &client);
    const RECT list = guitest::RectInParent(recordList);
    EXPECT_EQ(list.top, at.listTop);
    EXPECT_EQ(list.bottom, client.bottom - MulDiv(20, at.dpi, 96));
    EXPECT_GE(ListRowHeight(), at.listRowAtLeast);

    const std::vector<Drawn> texts = PaintForm();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts[0].x, at.bandX[0]);
    EXPECT_EQ(texts[0].y, at.bandY[0]);  // the header
    EXPECT_EQ(texts[1].y, at.formFirstRowY);
    EXPECT_EQ(texts[2].x, at.formValueX);
    EXPECT_EQ(texts[3].y, at.formFirstRowY + at.formRow);
    for (const Drawn& text : texts) EXPECT_EQ(text.height, ArialHeight(at.text)) << text.text;
    EXPECT_EQ(pageRows, formClientHeight / static_cast<uint32_t>(at.formRow));
  }

  const ScaleCase* scale = nullptr;
};

TEST_F(ScaleTest, TheWindowsAreLaidOutForTheScale) {
  StartOnSample();
  const ScaleCase& at = *scale;
  // The first place and size, scaled.
  const RECT main = WindowRect(mainWindow);
  EXPECT_EQ(main.left, MulDiv(100, at.dpi, 96));
  EXPECT_EQ(main.right - main.left, MulDiv(520, at.dpi, 96));
  EXPECT_EQ(main.bottom - main.top, MulDiv(400, at.dpi, 96));
  // Every column at its width of 96 DPI scaled: the settings' three, then
  // the template's.
  std::vector<ListColumn> columns;
  ASSERT_TRUE(ReadListColumns(databaseFile.fieldCount, &columns));
  std::vector<int> widths;
  for (const ListColumn& column : columns) widths.push_back(MulDiv(static_cast<int>(column.width), at.dpi, 96));
  EXPECT_EQ(widths[0], MulDiv(50, at.dpi, 96));
  EXPECT_EQ(ColumnWidths(), widths);

  ShowRecord(0);
  ASSERT_NE(recordForm, nullptr);
  // The form opens the first time over the main window, as large.
  const RECT form = WindowRect(recordForm);
  EXPECT_EQ(form.right - form.left, main.right - main.left);
  ExpectLaidOutFor(at);
}

TEST_F(ScaleTest, AShiftClickEditsTheFieldUnderTheCursor) {
  ASSERT_TRUE(MakeDatabase(Path("form.vdr"), {11, 11, 11, 11}, {{"one", "two", "three", "four"}}));
  ASSERT_EQ(Start("Veldrana.exe \"" + Path("form.vdr") + "\""), StartResult::kStarted);
  ASSERT_TRUE(PumpUntil([] { return databaseFile.view != nullptr; }));
  ShowRecord(0);
  ASSERT_NE(recordForm, nullptr);
  const ScaleCase& at = *scale;
  // Just inside each edge of a row, and its middle.
  const struct {
    int y;
    uint32_t field;  // 0: none
  } clicks[] = {
      {at.formFirstRowY, 0},
      {at.formFirstRowY + 1, 1},
      {at.formFirstRowY + at.formRow - 1, 1},
      {at.formFirstRowY + at.formRow, 2},
      {at.formFirstRowY + 2 * at.formRow + at.formRow / 2, 3},
      {at.formFirstRowY + 4 * at.formRow - 1, 4},
      {at.formFirstRowY + 4 * at.formRow, 0},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE("y " + std::to_string(click.y));
    const std::string typed = "edited " + std::to_string(click.y);
    PromptAnswers prompts({{IDOK, typed.c_str()}});
    PostMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(MulDiv(200, at.dpi, 96), click.y));
    Pump(100);
    if (click.field == 0) {
      EXPECT_TRUE(prompts.seen.empty());
      continue;
    }
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].line1, "Text, 16 Chars");
    EXPECT_EQ(Cell(0, 2 + static_cast<int>(click.field)), typed.substr(0, 15));
  }
}

TEST_F(ScaleTest, ColumnWidthsAreKeptInUnitsOf96Dpi) {
  // A settings file as every version wrote it, in pixels of 96 DPI.
  SetDefaultSettings();
  KeepColumnWidths(50, 80, 133);
  SetFolders(Folder().c_str(), Folder().c_str());
  ASSERT_EQ(SaveSettings(), 1);
  StartOnSample();
  const ScaleCase& at = *scale;
  std::vector<int> shown = ColumnWidths();
  shown.resize(3);
  EXPECT_EQ(shown, (std::vector<int>{MulDiv(50, at.dpi, 96), MulDiv(80, at.dpi, 96), MulDiv(133, at.dpi, 96)}));

  // Dragged to 120 at 96 DPI scaled, and to 101 pixels: kept in 96-DPI units.
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 0, MulDiv(120, at.dpi, 96));
  SendMessageA(recordList, LVM_SETCOLUMNWIDTH, 1, 101);
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_EQ(settings.indexColumnWidth, 120u);
  EXPECT_EQ(settings.recordColumnWidth, static_cast<uint32_t>(at.dragged));
  EXPECT_EQ(settings.recStatColumnWidth, 133u);
  ASSERT_EQ(SaveSettings(), 1);
  const std::vector<uint8_t> bytes = FileBytes(Path(kSettingsFileName));
  ASSERT_EQ(bytes.size(), kSettingsFileSize);
  EXPECT_EQ(bytes[8], 120);
  EXPECT_EQ(bytes[12], at.dragged);
  EXPECT_EQ(bytes[16], 133);
}

TEST_F(ScaleTest, MovingToAMonitorOfAnotherScaleLaysBothWindowsOutAgain) {
  StartOnSample();
  ShowRecord(0);
  ASSERT_NE(recordForm, nullptr);
  const ScaleCase& at = *scale;
  const ScaleCase& other = OtherScale(at);
  const std::vector<int> before = ColumnWidths();

  // The system suggests a rectangle for the new scale; each window takes it.
  for (HWND window : {mainWindow, recordForm}) {
    const RECT was = WindowRect(window);
    RECT suggested = {was.left, was.top, was.left + MulDiv(was.right - was.left, other.dpi, at.dpi),
                      was.top + MulDiv(was.bottom - was.top, other.dpi, at.dpi)};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(other.dpi, other.dpi), reinterpret_cast<LPARAM>(&suggested));
    const RECT now = WindowRect(window);
    EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
    EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);
  }
  ExpectLaidOutFor(other);
  std::vector<int> widths;
  for (int width : before) widths.push_back(MulDiv(width, other.dpi, at.dpi));
  EXPECT_EQ(ColumnWidths(), widths);
  EXPECT_EQ(ButtonEnabled(CMD_SAVE), true) << "the remade toolbar keeps its buttons' states";
  // A Shift-click finds its row at the new scale.
  {
    PromptAnswers prompts({IDCANCEL});
    SendMessageA(recordForm, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
                 MAKELPARAM(10, other.formFirstRowY + other.formRow + other.formRow / 2));
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].edit, (FieldText(0, 2), std::string(databaseFile.textValue)));
  }
  // A prompt moved to that monitor takes caption fonts and icons of its scale.
  {
    LONG captionHeight = 0;
    std::vector<std::string> problems;
    LookAt prompt("Veldrana 1.0", IDCANCEL, [&](HWND dialog) {
      SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(other.dpi, other.dpi), 0);
      LOGFONTA font = {};
      if (guitest::ItemFont(dialog, IDC_PROMPT_LINE1, &font)) captionHeight = font.lfHeight;
      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && guitest::ClassOf(child) == "Static" &&
            IconShown(child) != MulDiv(32, other.dpi, 96))
          problems.push_back("an icon of " + std::to_string(IconShown(child)));
    });
    char name[kPromptTextSize] = "x";
    ShowInput(mainWindow, kPromptInput, "Database Name", name);
    ASSERT_EQ(prompt.shown, 1);
    EXPECT_EQ(captionHeight, MulDiv(20, other.dpi, 96));
    EXPECT_TRUE(problems.empty()) << problems[0];
  }
  // Closed there, the widths are kept in 96-DPI units all the same.
  SendMessageA(mainWindow, WM_COMMAND, IDM_CLOSE, 0);
  EXPECT_EQ(settings.indexColumnWidth, 50u);
}

TEST_F(ScaleTest, EveryDialogShowsItsWholeText) {
  ASSERT_TRUE(CopyFileA(VELDRANA_SOURCE_DIR "/data/StyleLst.txt", Path("StyleLst.txt").c_str(), FALSE));
  ASSERT_EQ(Start(), StartResult::kStarted);
  const int dpi = scale->dpi;
  char text[kPromptTextSize];
  auto input = [&](uint32_t mode, const char* caption, const char* start) {
    CopyText(start, text, sizeof text);
    ShowInput(mainWindow, mode, caption, text);
  };
  const struct {
    const char* caption;
    int button;
    std::function<void()> open;
  } dialogs[] = {
      {"New Veldrana", IDCANCEL, [] { SendMessageA(mainWindow, WM_COMMAND, IDM_NEW, 0); }},
      {"Veldrana Options", IDCANCEL, [] { SendMessageA(mainWindow, WM_COMMAND, IDM_OPTIONS, 0); }},
      {"About Veldrana", IDOK, [] { SendMessageA(mainWindow, WM_COMMAND, IDM_ABOUT, 0); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowMessage(mainWindow, "Not a Veldrana file"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowConfirmation(mainWindow, "Confirm?"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowSaveQuestion(mainWindow, "This Veldrana has been changed.", "Save Current File Now?"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowQuestion(mainWindow, "First line: Country,Official name,Capi", "Are these the column names?"); }},
      {"Veldrana 1.0", IDCANCEL, [] { ShowMessage(mainWindow, "Not imported: there is no room", "for the records in the database."); }},
      {"Veldrana 1.0", IDCANCEL, [&] { input(kPromptInput, "Database Name", "World countries"); }},
      {"Veldrana 1.0", IDCANCEL, [&] { input(kPromptInput, "Search for...", ""); }},
      {"Veldrana 1.0", IDCANCEL, [&] { input(kPromptFieldInput + kPromptSmallCaption, "Number (0 - 4294 Mil)", "4294967295"); }},
      {"Veldrana 1.0", IDCANCEL, [] {
         // The search navigator, here on the test's own thread.
         SetPromptStatus("No Match Found");
         promptMode = kPromptNavigator;
         promptMessage = "apple";
         promptResult = reinterpret_cast<uintptr_t>(mainWindow);
         ShowPrompt(nullptr);
       }},
  };
  for (const auto& dialog : dialogs) {
    std::vector<std::string> problems;
    LookAt look(dialog.caption, dialog.button, [&](HWND shown) { problems = CutOff(shown, dpi); });
    dialog.open();
    EXPECT_EQ(look.shown, 1) << dialog.caption;
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
  }
}

}  // namespace
