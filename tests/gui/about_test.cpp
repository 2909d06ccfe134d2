// The About box under Wine: the real dialog over real owners, read back as
// the user sees it, its buttons pressed through WM_COMMAND and keys through
// its own loop, and what it hands to the shell recorded. Also the system
// description against what Wine reports.
#include "ui/dialogs/about_box.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/folders.h"
#include "resources/resource.h"
#include "tests/gui/dialog_steps.h"
#include "tests/gui/gui_test_util.h"

using namespace guitest;
using dialogsteps::Later;
using dialogsteps::ShellOpenRecorder;

namespace {

constexpr char kCaption[] = "About Veldrana";
constexpr char kProgram[] = "C:\\Program Files\\Veldrana\\";
constexpr char kData[] = "C:\\users\\tester\\Application Data\\Morvel\\Veldrana\\";
// What this Wine's test prefix reports (a Windows 7 workstation with its
// first service pack).
constexpr char kWineSystem[] = "Windows 7 Professional, Service Pack 1";
constexpr char kProgDirsText[] =
    "Location of program:\r\nC:\\Program Files\\Veldrana\\\r\n\r\n"
    "Where program stores user data:\r\nC:\\users\\tester\\Application Data\\Morvel\\Veldrana\\";

std::vector<std::string> PageNames(HWND dialog) {
  std::vector<std::string> names;
  const int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = "";
    SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    names.push_back(text);
  }
  return names;
}

int SelectedPage(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_GETCURSEL, 0, 0));
}

// Picks a page as the user does: the selection changes and the selector
// notifies its dialog.
void ChoosePage(HWND dialog, int page) {
  HWND selector = GetDlgItem(dialog, IDC_ABOUT_PAGES);
  SendMessageA(selector, CB_SETCURSEL, page, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_PAGES, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector));
}

// The tools the shared tooltip window holds: (window of the tool, text).
std::vector<std::pair<HWND, std::string>> Tools() {
  std::vector<std::pair<HWND, std::string>> tools;
  const int count = static_cast<int>(SendMessageA(aboutTooltip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    if (!SendMessageA(aboutTooltip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool))) continue;
    // The whole text: the ANSI messages give at most 80 characters.
    WCHAR wide[512] = L"";
    TTTOOLINFOW toolW = {};
    toolW.cbSize = sizeof toolW;
    toolW.hwnd = tool.hwnd;
    toolW.uId = tool.uId;
    toolW.lpszText = wide;
    SendMessageW(aboutTooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&toolW));
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    tools.emplace_back(reinterpret_cast<HWND>(tool.uId), text);
  }
  return tools;
}

class AboutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mainStandIn = CreateTestWindow("Main window stand-in");
    formStandIn = CreateTestWindow("Record form stand-in");
    if (!aboutTooltip) CreateAboutTooltip(GetModuleHandleA(nullptr));
  }
  static void TearDownTestSuite() {
    DestroyWindow(mainStandIn);
    DestroyWindow(formStandIn);
    mainStandIn = formStandIn = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(mainStandIn, nullptr);
    ASSERT_NE(aboutTooltip, nullptr);
    SetFolders(kProgram, kData);
    aboutOpen = 0;
  }
  // Shows the box over owner; step runs once it is up, inside its loop,
  // and must close it.
  void Show(HWND owner, std::function<void(HWND)> step) {
    DialogAnswerer answerer(kCaption, [&](HWND dialog) {
      Later(10, [&, dialog] { step(dialog); });
    });
    ShowAbout(owner);
    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_EQ(answerer.others(), 0);
    EXPECT_EQ(aboutOpen, 0u);
  }
  static HWND mainStandIn;
  static HWND formStandIn;
};
HWND AboutTest::mainStandIn = nullptr;
HWND AboutTest::formStandIn = nullptr;

TEST(AboutSystem, DescribesWhatWineReports) {
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)));
  OsVersionRecord version;
  OsEditionMetrics metrics;
  ReadOsVersion(&version, &metrics);
  EXPECT_TRUE(version.extended);
  EXPECT_EQ(version.platformId, info.dwPlatformId);
  EXPECT_EQ(version.majorVersion, info.dwMajorVersion);
  EXPECT_EQ(version.minorVersion, info.dwMinorVersion);
  EXPECT_EQ(version.productType, info.wProductType);
  EXPECT_EQ(version.suiteMask, info.wSuiteMask);
  EXPECT_STREQ(version.servicePack, info.szCSDVersion);

  char text[600];
  DescribeThisOs(text, sizeof text);
  EXPECT_STREQ(text, kWineSystem);
}

TEST(AboutTexts, PagesAndMailLink) {
  SetFolders(kProgram, kData);
  char text[2000];
  AboutPageText(kProgDirsPage, "ignored", text, sizeof text);
  EXPECT_STREQ(text, kProgDirsText);
  AboutPageText(kDiagnosticsPage, "Windows XP Home Edition, Service Pack 3", text, sizeof text);
  EXPECT_STREQ(text, "Windows XP Home Edition, Service Pack 3\r\n\r\n");
  AboutPageText(7, "ignored", text, sizeof text);
  EXPECT_STREQ(text, kProgDirsText);

  SupportMailLink(kWineSystem, text, sizeof text);
  EXPECT_STREQ(text,
               "mailto:support@vdr.example?subject=Veldrana&body=v0920 "
               "Windows 7 Professional, Service Pack 1 ");
  SupportMailLink("", text, 20);
  EXPECT_STREQ(text, "mailto:support@vdr.");
}

TEST_F(AboutTest, FirstPageShowsBothFolders) {
  Show(mainStandIn, [&](HWND dialog) {
    EXPECT_EQ(aboutOpen, 1u);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), mainStandIn);
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_MAIL_TEXT), "support@vdr.example");
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_PAGE_TEXT),
              "https://vdr.example/det.php?prog=Veldrana");
    EXPECT_EQ(PageNames(dialog), (std::vector<std::string>{"Prog Dirs", "Diagnostics"}));
    EXPECT_EQ(SelectedPage(dialog), kProgDirsPage);
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_TEXT), kProgDirsText);
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_ACTION), "Open Dirs");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_ABOUT_ACTION)));
    EXPECT_EQ(ItemText(dialog, IDOK), "Close");
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    // The page text lies at 5, 190 and fills the space down to the bottom
    // row of controls: 290 by 140 pixels where the dialog font has its usual
    // metrics; Wine's smaller stand-in for "MS Sans Serif" makes a smaller
    // box, and the text stops a little above the bottom row.
    const RECT text = RectInParent(GetDlgItem(dialog, IDC_ABOUT_TEXT));
    const RECT row = RectInParent(GetDlgItem(dialog, IDC_ABOUT_PAGES));
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(text.left, 5);
    EXPECT_EQ(text.top, 190);
    EXPECT_EQ(text.right, std::min<LONG>(5 + 290, client.right - 5));
    EXPECT_EQ(text.bottom, std::min<LONG>(190 + 140, row.top - 4));
    for (int id : {IDOK, IDC_ABOUT_ACTION, IDC_ABOUT_PAGES})
      EXPECT_LT(text.bottom, RectInParent(GetDlgItem(dialog, id)).top) << "control " << id;
    EXPECT_GE(text.top, RectInParent(GetDlgItem(dialog, IDC_ABOUT_PAGE_TEXT)).bottom);
    // The action button's tooltip, once.
    const auto tools = Tools();
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(tools[0].first, GetDlgItem(dialog, IDC_ABOUT_ACTION));
    EXPECT_EQ(tools[0].second,
              "Opens the directory where the program was installed as well as the directory "
              "where the program data is stored.");
    PostCommand(dialog, IDOK);
  });
  // The closed box leaves no tool behind.
  EXPECT_TRUE(Tools().empty());
}

TEST_F(AboutTest, DiagnosticsPageAndBack) {
  ShellOpenRecorder recorder;
  Show(formStandIn, [&](HWND dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), formStandIn);
    ChoosePage(dialog, kDiagnosticsPage);
    EXPECT_EQ(SelectedPage(dialog), kDiagnosticsPage);
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_TEXT), std::string(kWineSystem) + "\r\n\r\n");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_ABOUT_ACTION)));
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_PAGE_TEXT),
              "https://vdr.example/det.php?prog=Veldrana");
    // The action has no function on this page, even when it arrives.
    PostCommand(dialog, IDC_ABOUT_ACTION);
    Later(10, [&, dialog] {
      EXPECT_TRUE(recorder.opened().empty());
      EXPECT_EQ(SelectedPage(dialog), kDiagnosticsPage);
      // Back and forth: the page returns, with one tool for the button.
      ChoosePage(dialog, kProgDirsPage);
      ChoosePage(dialog, kDiagnosticsPage);
      ChoosePage(dialog, kProgDirsPage);
      EXPECT_EQ(ItemText(dialog, IDC_ABOUT_TEXT), kProgDirsText);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_ABOUT_ACTION)));
      EXPECT_EQ(Tools().size(), 1u);
      PostCommand(dialog, IDOK);
    });
  });
}

TEST_F(AboutTest, OpenDirsOpensProgramFolderThenDataFolder) {
  ShellOpenRecorder recorder;
  Show(mainStandIn, [&](HWND dialog) {
    // Moved off the page and back by hand first: the box shows the first
    // page again after opening the folders.
    SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, "scribbled");
    PostCommand(dialog, IDC_ABOUT_ACTION);
    Later(10, [&, dialog] {
      EXPECT_EQ(recorder.opened(), (std::vector<std::string>{kProgram, kData}));
      EXPECT_EQ(ItemText(dialog, IDC_ABOUT_TEXT), kProgDirsText);
      EXPECT_EQ(SelectedPage(dialog), kProgDirsPage);
      PostCommand(dialog, IDOK);
    });
  });
}

TEST_F(AboutTest, EmptyProgramFolderIsNotOpened) {
  SetFolders("", "");
  ShellOpenRecorder recorder;
  Show(mainStandIn, [&](HWND dialog) {
    PostCommand(dialog, IDC_ABOUT_ACTION);
    Later(10, [&, dialog] {
      EXPECT_TRUE(recorder.opened().empty());
      PostCommand(dialog, IDOK);
    });
  });
}

TEST_F(AboutTest, MailAndSiteLinks) {
  ShellOpenRecorder recorder;
  Show(mainStandIn, [&](HWND dialog) {
    PostCommand(dialog, IDC_ABOUT_MAIL);
    PostCommand(dialog, IDC_ABOUT_SITE);
    Later(10, [&, dialog] {
      EXPECT_EQ(recorder.opened(),
                (std::vector<std::string>{
                    "mailto:support@vdr.example?subject=Veldrana&body=v0920 "
                    "Windows 7 Professional, Service Pack 1 ",
                    "https://vdr.example/det.php?prog=Veldrana"}));
      // "Go to Site" opens what the address line shows.
      SetDlgItemTextA(dialog, IDC_ABOUT_PAGE_TEXT, "https://vdr.example/other");
      PostCommand(dialog, IDC_ABOUT_SITE);
      Later(10, [&, dialog] {
        ASSERT_EQ(recorder.opened().size(), 3u);
        EXPECT_EQ(recorder.opened()[2], "https://vdr.example/other");
        EXPECT_TRUE(IsWindow(dialog));
        PostCommand(dialog, IDOK);
      });
    });
  });
}

TEST_F(AboutTest, EnterClosesAndEscapeDoesNot) {
  int steps = 0;
  Show(mainStandIn, [&](HWND dialog) {
    PostKey(dialog, VK_ESCAPE);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4 asks the same
    Later(30, [&, dialog] {
      EXPECT_TRUE(IsWindow(dialog));
      EXPECT_EQ(aboutOpen, 1u);
      ++steps;
      PostKey(dialog, VK_RETURN);
    });
  });
  EXPECT_EQ(steps, 1);
}

TEST_F(AboutTest, AboutFromBothWindowsOpensOneBox) {
  int returned = 0;
  Show(mainStandIn, [&](HWND dialog) {
    // "About" of the record form and of the main window again, while the
    // box is open: both come back at once.
    ShowAbout(formStandIn);
    ++returned;
    ShowAbout(mainStandIn);
    ++returned;
    EXPECT_EQ(aboutOpen, 1u);
    PostCommand(dialog, IDOK);
  });
  EXPECT_EQ(returned, 2);
  // Closed, it opens again, from either window.
  Show(formStandIn, [](HWND dialog) { PostCommand(dialog, IDOK); });
  Show(mainStandIn, [](HWND dialog) { PostCommand(dialog, IDOK); });
}

TEST_F(AboutTest, ClosingTheOwnerUnderTheBoxLeavesNoFlagBehind) {
  // The record form can be closed from the main window while its box is up.
  HWND form = CreateTestWindow("Closing record form");
  ASSERT_NE(form, nullptr);
  Show(form, [form](HWND) { DestroyWindow(form); });
  EXPECT_TRUE(Tools().empty());
  Show(mainStandIn, [](HWND dialog) { PostCommand(dialog, IDOK); });
}

TEST_F(AboutTest, MakesItsTooltipWhenStartUpDidNot) {
  HWND made = aboutTooltip;
  aboutTooltip = nullptr;
  Show(mainStandIn, [&](HWND dialog) {
    EXPECT_NE(aboutTooltip, nullptr);
    EXPECT_EQ(ClassOf(aboutTooltip), "tooltips_class32");
    EXPECT_TRUE(IsTopmost(aboutTooltip));
    EXPECT_EQ(Tools().size(), 1u);
    PostCommand(dialog, IDOK);
  });
  DestroyWindow(aboutTooltip);
  aboutTooltip = made;
}

}  // namespace
