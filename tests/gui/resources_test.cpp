// The compiled resources as the program sees them under Wine: the menu
// loaded by name, the dialogs created from their templates, the toolbar
// bitmaps on a real toolbar, the icons and the manifest.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/gui/gui_test_util.h"

using namespace guitest;

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// ---- Menu ----

struct MenuItem {
  const char* text;  // null: a separator
  UINT id;
  bool grayed = false;
};
struct MenuPopup {
  const char* name;
  std::vector<MenuItem> items;
};

TEST(Resources, MenuHasEveryItemAndId) {
  const MenuPopup expected[] = {
      {"File",
       {{"New", 40001}, {"Open", 40002}, {"Close", 40003}, {nullptr, 0}, {"Save", 40004},
        {"Export", 40005}, {"Import...", 40032}, {"Export As...", 40033}, {nullptr, 0},
        {"Options...", 40030}, {nullptr, 0}, {"Exit", 40031}}},
      {"Edit",
       {{"Undo\tCtrl+Z", 40034, true}, {"Redo\tCtrl+Y", 40035, true}, {nullptr, 0}, {"Add", 40010},
        {"Copy", 40011}, {"Delete", 40009}, {"Name", 40016}}},
      {"View",
       {{"Goto", 40012}, {"Next", 40013}, {"Previous", 40014}, {nullptr, 0}, {"Filter...\tCtrl+L", 40036},
        {"Show All Records\tCtrl+Shift+L", 40037, true}}},
      {"Help", {{"Help", 40027}, {"About", 40028}}},
  };
  HMENU menu = LoadMenuA(Module(), "Menu");
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  for (int p = 0; p < 4; p++) {
    SCOPED_TRACE(expected[p].name);
    char text[64] = {};
    GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, expected[p].name);
    HMENU popup = GetSubMenu(menu, p);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), (int)expected[p].items.size());
    for (size_t i = 0; i < expected[p].items.size(); i++) {
      const MenuItem& want = expected[p].items[i];
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      char itemText[64] = {};
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
      info.dwTypeData = itemText;
      info.cch = sizeof itemText;
      ASSERT_TRUE(GetMenuItemInfoA(popup, (UINT)i, TRUE, &info));
      if (!want.text) {
        EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "item " << i;
        continue;
      }
      EXPECT_STREQ(itemText, want.text) << "item " << i;
      EXPECT_EQ(info.wID, want.id) << want.text;
      // Undo, Redo and Show All wait for something to do.
      EXPECT_EQ((info.fState & MFS_GRAYED) != 0, want.grayed) << want.text;
      EXPECT_EQ(info.fState & MFS_CHECKED, 0u) << want.text;
    }
  }
  DestroyMenu(menu);
}

// ---- Dialog templates ----

constexpr DWORD kBordered = 0x80000000u;  // WS_BORDER, or the client edge dialogs give edits
constexpr DWORD kHidden = 0x40000000u;    // no WS_VISIBLE
constexpr DWORD kNoTabStop = 0x20000000u; // no WS_TABSTOP
constexpr int kAny = -1;
constexpr DWORD kAnyType = 0xFFFFFFFFu;

struct ControlSpec {
  int id;
  const char* className;
  const char* text;  // null: not checked
  int x, y, width, height;
  DWORD type;   // the low type bits (BS_..., SS_...), or kAny
  DWORD flags;  // style bits that must be set, plus kBordered and kHidden
};
struct DialogSpec {
  int id;
  const char* caption;
  int width, height;
  DWORD style;  // bits that must be set
  bool systemMenu;
  std::vector<ControlSpec> controls;  // in template order
};

const DialogSpec kDialogs[] = {
    {IDD_NEW, "New Veldrana", 200, 101, DS_MODALFRAME | WS_POPUP | WS_CAPTION, false,
     {{-1, "Static", "Template", 3, 9, 30, 8, SS_LEFT, 0},
      {1000, "ComboBox", nullptr, 47, 7, 150, kAny, CBS_DROPDOWNLIST, WS_TABSTOP},
      {-1, "Static", "Name", 3, 28, 20, 8, SS_LEFT, 0},
      {1027, "Edit", "", 47, 26, 150, 14, kAnyType, ES_AUTOHSCROLL | kBordered},
      {IDCANCEL, "Button", "Cancel", 95, 83, 50, 14, BS_PUSHBUTTON, 0},
      {IDOK, "Button", "OK", 148, 83, 50, 14, BS_DEFPUSHBUTTON, 0}}},
    {IDD_OPTIONS, "Veldrana Options", 352, 181, DS_MODALFRAME | WS_POPUP | WS_CAPTION, true,
     {{1001, "Button", "One", 9, 10, 29, 10, BS_AUTOCHECKBOX, 0},
      {1002, "Button", "Two", 9, 26, 30, 10, BS_AUTOCHECKBOX, 0},
      {1003, "Button", "Three", 9, 42, 35, 10, BS_AUTOCHECKBOX, 0},
      {1026, "Button", "Set File Associations", 9, 58, 100, 14, BS_PUSHBUTTON, 0},
      {9, "Button", "Help", 190, 164, 50, 14, BS_PUSHBUTTON, 0},
      {IDCANCEL, "Button", "Cancel", 245, 164, 50, 14, BS_PUSHBUTTON, 0},
      {IDOK, "Button", "OK", 299, 164, 50, 14, BS_DEFPUSHBUTTON, 0}}},
    {IDD_PROMPT, "Veldrana 1.0", 190, 72,
     DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION, false,
     {{850, "Static", " ", 34, 8, 156, 12, SS_CENTER, 0},
      {851, "Static", " ", 34, 16, 156, 12, SS_CENTER, 0},
      {852, "Static", " ", 34, 28, 156, 12, SS_CENTER, 0},
      {853, "Static", " ", 34, 36, 156, 12, SS_CENTER, 0},
      {1001, "Edit", "", 33, 33, 156, 12, kAnyType, ES_AUTOHSCROLL | kBordered | kHidden},
      {3, "Button", nullptr, 33, 52, 50, 14, BS_PUSHBUTTON, kHidden},
      {IDOK, "Button", "OK", 85, 52, 50, 14, BS_DEFPUSHBUTTON, 0},
      {IDCANCEL, "Button", "Cancel", 138, 52, 50, 14, BS_PUSHBUTTON, kHidden},
      {600, "Static", nullptr, 30, 5, 1, 65, SS_BLACKRECT, 0},
      {-1, "Static", nullptr, 5, 10, kAny, kAny, SS_ICON, 0},
      {-1, "Static", nullptr, 5, 40, kAny, kAny, SS_ICON, 0},
      {1014, "Edit", "", 35, 5, 153, 45, kAnyType, ES_MULTILINE | ES_READONLY | WS_VSCROLL | kBordered | kHidden}}},
    {IDD_ABOUT, "About Veldrana", 200, 226,
     DS_MODALFRAME | DS_CENTER | DS_SYSMODAL | WS_POPUP | WS_CAPTION, false,
     {{IDOK, "Button", "Close", 146, 208, 50, 14, BS_DEFPUSHBUTTON, WS_TABSTOP},
      {1000, "Button", "EMail Us", 158, 79, 40, 14, BS_PUSHBUTTON, WS_TABSTOP},
      {1002, "Button", "Go to Site", 158, 99, 40, 14, BS_PUSHBUTTON, WS_TABSTOP},
      {850, "Edit", "", 5, 80, 145, 12, kAnyType, ES_READONLY | ES_AUTOHSCROLL | kNoTabStop},
      {851, "Edit", "", 5, 100, 145, 12, kAnyType, ES_READONLY | ES_AUTOHSCROLL | kNoTabStop},
      {1015, "Edit", "", 5, 118, 192, 53, kAnyType,
       ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL | WS_TABSTOP | kBordered},
      {1003, "ComboBox", nullptr, 5, 208, 85, kAny, CBS_DROPDOWNLIST,
       CBS_SORT | WS_TABSTOP},
      {3, "Button", "", 93, 208, 50, 14, BS_PUSHBUTTON, WS_TABSTOP},
      {-1, "Static", nullptr, 5, 5, kAny, kAny, SS_ICON, 0},
      {-1, "Static", nullptr, 5, 40, kAny, kAny, SS_ICON, 0},
      {-1, "Static", "Veldrana 0.93", 40, 5, 155, 8, SS_LEFT, WS_GROUP},
      {-1, "Static", nullptr, 40, 18, 155, 8, SS_LEFT, WS_GROUP}}},
};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(Resources, DialogTemplatesHaveTheirControlsPlacesAndStyles) {
  for (const DialogSpec& spec : kDialogs) {
    SCOPED_TRACE(spec.caption);
    HWND dialog = CreateDialogParamA(Module(), MAKEINTRESOURCEA(spec.id), nullptr,
                                     PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), spec.caption);
    DWORD style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & spec.style, spec.style);
    EXPECT_EQ((style & WS_SYSMENU) != 0, spec.systemMenu);
    RECT client;
    GetClientRect(dialog, &client);
    RECT size = DialogUnitsToPixels(dialog, 0, 0, spec.width, spec.height);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    LOGFONTA font = {};
    ASSERT_TRUE(GetObjectA((HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0), sizeof font, &font));
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlSpec& c : spec.controls) {
      SCOPED_TRACE("control " + std::to_string(c.id) + " at " + std::to_string(c.x) + "," +
                   std::to_string(c.y));
      ASSERT_NE(child, nullptr);
      EXPECT_EQ(GetDlgCtrlID(child), c.id == -1 ? 0xFFFF : c.id);
      EXPECT_STREQ(ClassOf(child).c_str(), c.className);
      if (c.text) {
        EXPECT_EQ(WindowText(child), c.text);
      }
      RECT want = DialogUnitsToPixels(dialog, c.x, c.y, c.width == kAny ? 0 : c.width,
                                      c.height == kAny ? 0 : c.height);
      RECT have = RectInParent(child);
      EXPECT_EQ(have.left, want.left);
      EXPECT_EQ(have.top, want.top);
      if (c.width != kAny) {
        EXPECT_EQ(have.right, want.right);
      }
      if (c.height != kAny) {
        EXPECT_EQ(have.bottom, want.bottom);
      }
      DWORD childStyle = GetWindowLongA(child, GWL_STYLE);
      DWORD childExStyle = GetWindowLongA(child, GWL_EXSTYLE);
      if (c.type != kAnyType) {
        DWORD mask = !strcmp(c.className, "Static") ? SS_TYPEMASK
                     : !strcmp(c.className, "ComboBox") ? 3 : BS_TYPEMASK;
        EXPECT_EQ(childStyle & mask, c.type);
      }
      DWORD bits = c.flags & ~(kBordered | kHidden | kNoTabStop);
      EXPECT_EQ(childStyle & bits, bits);
      EXPECT_EQ((childStyle & WS_VISIBLE) == 0, (c.flags & kHidden) != 0);
      bool bordered = (childStyle & WS_BORDER) || (childExStyle & WS_EX_CLIENTEDGE);
      if (!strcmp(c.className, "Edit")) {
        EXPECT_EQ(bordered, (c.flags & kBordered) != 0);
      }
      if (c.flags & kNoTabStop) {
        EXPECT_EQ(childStyle & WS_TABSTOP, 0u);
      }
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than expected";
    DestroyWindow(dialog);
  }
}

// ---- Toolbar bitmaps ----

// The 16 x 16 pixels of a bitmap resource as 0x00RRGGBB values.
std::vector<DWORD> BitmapPixels(int id) {
  std::vector<DWORD> pixels;
  HBITMAP bitmap = LoadBitmapA(Module(), MAKEINTRESOURCEA(id));
  if (!bitmap) return pixels;
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  if (info.bmWidth == 16 && info.bmHeight == 16) {
    BITMAPINFO request = {};
    request.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels.resize(256);
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, bitmap, 0, 16, pixels.data(), &request, DIB_RGB_COLORS) != 16)
      pixels.clear();
    ReleaseDC(nullptr, screen);
  }
  DeleteObject(bitmap);
  return pixels;
}

TEST(Resources, ToolbarBitmapsArePalettedSixteenBySixteenPictures) {
  std::vector<std::vector<DWORD>> images;
  for (int id = IDB_TOOLBAR_FIRST; id <= IDB_TOOLBAR_LAST; id++) {
    SCOPED_TRACE(id);
    std::vector<DWORD> pixels = BitmapPixels(id);
    ASSERT_EQ(pixels.size(), 256u) << "not a 16 x 16 bitmap";
    std::vector<DWORD> colours(pixels);
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    EXPECT_GE(colours.size(), 3u) << "hardly a picture";
    // Some background around the picture: a disabled button shows the shape
    // the background leaves, and without any it is a grey square.
    EXPECT_GE(std::count(pixels.begin(), pixels.end(), 0xC0C0C0u), 16) << "no background";
    for (size_t other = 0; other < images.size(); other++)
      EXPECT_NE(images[other], pixels) << "the same picture as bitmap " << IDB_TOOLBAR_FIRST + other;
    images.push_back(pixels);
    // A colour table, so that the toolbar can map the grey background to the
    // button face.
    HRSRC resource = FindResourceA(Module(), MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
    ASSERT_NE(resource, nullptr);
    auto* header = (const BITMAPINFOHEADER*)LockResource(LoadResource(Module(), resource));
    EXPECT_EQ(header->biBitCount, 8);
  }
}

// The same pictures for larger scales: 20, 24 and 32 pixels, each its own
// paletted picture with a background.
TEST(Resources, ToolbarBitmapsOfLargerScalesArePalettedPicturesOfTheirSize) {
  for (const auto& set : {std::make_pair(IDB_TOOLBAR20_FIRST, 20), std::make_pair(IDB_TOOLBAR24_FIRST, 24),
                          std::make_pair(IDB_TOOLBAR32_FIRST, 32)}) {
    for (int n = 0; n < TOOLBAR_IMAGE_COUNT; n++) {
      const int id = set.first + n, size = set.second;
      SCOPED_TRACE(id);
      HBITMAP bitmap = LoadBitmapA(Module(), MAKEINTRESOURCEA(id));
      ASSERT_NE(bitmap, nullptr);
      BITMAP info;
      GetObjectA(bitmap, sizeof info, &info);
      EXPECT_EQ(info.bmWidth, size);
      EXPECT_EQ(info.bmHeight, size);
      DeleteObject(bitmap);
      auto* header = (const BITMAPINFOHEADER*)LockResource(
          LoadResource(Module(), FindResourceA(Module(), MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP)));
      EXPECT_EQ(header->biBitCount, 8);
      // Its top left corner is the background grey the toolbar leaves out.
      const BYTE* bits = (const BYTE*)header + header->biSize + 4 * header->biClrUsed;
      const RGBQUAD* colours = (const RGBQUAD*)((const BYTE*)header + header->biSize);
      const RGBQUAD corner = colours[bits[(size - 1) * ((size + 3) / 4 * 4)]];
      EXPECT_EQ(RGB(corner.rgbRed, corner.rgbGreen, corner.rgbBlue), RGB(192, 192, 192));
    }
  }
}

TEST(Resources, ToolbarTakesTheFourteenImagesWithTransparentBackground) {
  HWND window = CreateTestWindow("Toolbar");
  TBBUTTON first = {0, CMD_NEW, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0};
  HWND toolbar = CreateToolbarEx(window, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                                 1, 1, Module(), IDB_TOOLBAR_FIRST, &first, 1, 16, 16, 16, 16,
                                 sizeof(TBBUTTON));
  ASSERT_NE(toolbar, nullptr);
  for (int n = 1; n < TOOLBAR_IMAGE_COUNT; n++) {
    TBADDBITMAP bitmap = {Module(), (UINT_PTR)(IDB_TOOLBAR_FIRST + n)};
    EXPECT_EQ(SendMessageA(toolbar, TB_ADDBITMAP, 1, (LPARAM)&bitmap), n);
  }
  auto images = (HIMAGELIST)SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), TOOLBAR_IMAGE_COUNT);

  // Image 0 drawn over magenta: the grey corner lets the magenta through, the
  // white page does not.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all = {0, 0, 16, 16};
  HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(dc, &all, magenta);
  EXPECT_TRUE(ImageList_Draw(images, 0, dc, 0, 0, ILD_TRANSPARENT));
  EXPECT_EQ(GetPixel(dc, 0, 15), RGB(255, 0, 255));
  EXPECT_EQ(GetPixel(dc, 15, 15), RGB(255, 0, 255));
  EXPECT_EQ(GetPixel(dc, 4, 7), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(magenta);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DestroyWindow(window);
}

// ---- Icons ----

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
  GroupIconEntry entries[1];
};
#pragma pack(pop)

TEST(Resources, IconsHoldAnImageForEveryScale) {
  // Largest first; a group entry gives 256 as 0.
  const int sizes[] = {256, 48, 40, 32, 24, 20, 16};
  for (int id : {IDI_PROGRAM, IDI_DISCS, IDI_DOCUMENT}) {
    SCOPED_TRACE(id);
    HRSRC resource = FindResourceA(Module(), MAKEINTRESOURCEA(id), (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(resource, nullptr);
    auto* group = (const GroupIconHeader*)LockResource(LoadResource(Module(), resource));
    ASSERT_EQ(group->count, 7);
    for (int i = 0; i < 7; i++) EXPECT_EQ(group->entries[i].width, sizes[i] % 256);
    for (int i = 0; i < 7; i++) EXPECT_EQ(group->entries[i].bitCount, 32);
    for (int size : sizes) {
      HICON icon = (HICON)LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
      EXPECT_NE(icon, nullptr) << size;
      DestroyIcon(icon);
    }
  }
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
  ((std::vector<int>*)list)->push_back(IS_INTRESOURCE(name) ? (int)(UINT_PTR)name : -1);
  return TRUE;
}

std::vector<BYTE> IconColourBits(HICON icon) {
  ICONINFO info = {};
  std::vector<BYTE> bits;
  if (!GetIconInfo(icon, &info)) return bits;
  BITMAP bitmap;
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  bits.resize(bitmap.bmWidthBytes * bitmap.bmHeight);
  GetBitmapBits(info.hbmColor, (LONG)bits.size(), bits.data());
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bits;
}

TEST(Resources, DocumentIconIsIconIndexTwoOfTheProgramFile) {
  std::vector<int> groups;
  EnumResourceNamesA(Module(), (LPCSTR)RT_GROUP_ICON, CollectName, (LONG_PTR)&groups);
  EXPECT_EQ(groups, (std::vector<int>{IDI_PROGRAM, IDI_DISCS, IDI_DOCUMENT}));

  // What the shell does with "Veldrana.exe,2".
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  EXPECT_EQ((UINT_PTR)ExtractIconA(Module(), path, (UINT)-1), 3u);
  HICON extracted = ExtractIconA(Module(), path, DOCUMENT_ICON_INDEX);
  ASSERT_NE(extracted, nullptr);
  HICON document =
      (HICON)LoadImageA(Module(), MAKEINTRESOURCEA(IDI_DOCUMENT), IMAGE_ICON, 32, 32, 0);
  HICON program = (HICON)LoadImageA(Module(), MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, 0);
  EXPECT_EQ(IconColourBits(extracted), IconColourBits(document));
  EXPECT_NE(IconColourBits(extracted), IconColourBits(program));
  DestroyIcon(extracted);
  DestroyIcon(document);
  DestroyIcon(program);
}

// ---- Manifest ----

TEST(Resources, ManifestAsksForCommonControlsSixAsInvoker) {
  HRSRC resource = FindResourceA(Module(), MAKEINTRESOURCEA(1), (LPCSTR)RT_MANIFEST);
  ASSERT_NE(resource, nullptr);
  std::string text((const char*)LockResource(LoadResource(Module(), resource)),
                   SizeofResource(Module(), resource));
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(text.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  EXPECT_NE(text.find(">true/pm</dpiAware>"), std::string::npos);
#ifdef _WIN64
  EXPECT_EQ(text.find("processorArchitecture=\"x86\""), std::string::npos);
  EXPECT_NE(text.find("processorArchitecture=\"amd64\""), std::string::npos);
#else
  EXPECT_EQ(text.find("processorArchitecture=\"amd64\""), std::string::npos);
#endif

  // And the loader honoured it: this program's common controls are the
  // side-by-side version 6 assembly, not the system folder's library.
  HMODULE controls = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      (LPCSTR)(void*)&InitCommonControlsEx, &controls));
  char path[MAX_PATH] = {};
  GetModuleFileNameA(controls, path, sizeof path);
  CharLowerA(path);
  EXPECT_NE(strstr(path, "microsoft.windows.common-controls_"), nullptr) << path;
  EXPECT_NE(strstr(path, "_6.0."), nullptr) << path;
}

}  // namespace
