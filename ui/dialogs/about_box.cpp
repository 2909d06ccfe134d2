// The About box.
#include "store/text.h"

#include "ui/dialogs/about_box.h"

#include <commctrl.h>

#include <initializer_list>

#include "core/folders.h"
#include "ui/shell_open.h"
#include "resources/resource.h"
#include "ui/dpi.h"

uint32_t aboutOpen = 0;
HWND aboutTooltip = nullptr;

namespace {

constexpr size_t kTextSize = 600;
constexpr char kOpenDirsCaption[] = "Open Dirs";
const char* const kPageNames[] = {"Prog Dirs", "Diagnostics"};
// Where the page text lies once the box is up, in pixels of its client area
// at 96 DPI (scaled to the box's): down to the row of controls at the bottom,
// as the box measures with the usual metrics of its font. A smaller dialog
// font makes a smaller box, and the place is then cut to keep this gap above
// the bottom row and inside the box.
constexpr RECT kPageTextPlace = {5, 190, 5 + 290, 190 + 140};
constexpr int kPageTextGap = 4;
// The long tooltip wraps at this width, at 96 DPI.
constexpr int kTooltipWidth = 300;
// The icon controls, in template order.
constexpr int kAboutIcons[] = {IDI_PROGRAM, IDI_DISCS};

AboutParameter* ParameterOf(HWND dialog) {
  return reinterpret_cast<AboutParameter*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// The tooltip's tool for the action button, one per box.
TTTOOLINFOA ActionTool(HWND dialog) {
  TTTOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, IDC_ABOUT_ACTION));
  tool.lpszText = const_cast<char*>(kOpenDirsTooltip);
  return tool;
}

void RemoveActionTool(HWND dialog) {
  AboutParameter* parameter = ParameterOf(dialog);
  if (!parameter || !parameter->tooltip) return;
  TTTOOLINFOA tool = ActionTool(dialog);
  SendMessageA(parameter->tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void AddActionTool(HWND dialog) {
  AboutParameter* parameter = ParameterOf(dialog);
  if (!parameter || !parameter->tooltip) return;
  // Every showing of the page adds the tool; the old one goes first, so the
  // tooltip holds one tool for the button, not one per page switch.
  RemoveActionTool(dialog);
  TTTOOLINFOA tool = ActionTool(dialog);
  tool.hinst = parameter->instance;
  SendMessageA(parameter->tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(parameter->tooltip, TTM_SETMAXTIPWIDTH, 0, Scale(dialog, kTooltipWidth));
}

RECT PageTextPlace(HWND dialog) {
  auto at = [dialog](LONG pixels96) { return static_cast<LONG>(Scale(dialog, pixels96)); };
  RECT place = {at(kPageTextPlace.left), at(kPageTextPlace.top), at(kPageTextPlace.right),
                at(kPageTextPlace.bottom)};
  RECT row, client;
  HWND selector = GetDlgItem(dialog, IDC_ABOUT_PAGES);
  GetWindowRect(selector, &row);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&row), 2);
  GetClientRect(dialog, &client);
  if (place.bottom > row.top - at(kPageTextGap)) place.bottom = row.top - at(kPageTextGap);
  if (place.right > client.right - place.left) place.right = client.right - place.left;
  return place;
}

void ShowPage(HWND dialog, int page) {
  if (page != kDiagnosticsPage) page = kProgDirsPage;
  const RECT place = PageTextPlace(dialog);
  MoveWindow(GetDlgItem(dialog, IDC_ABOUT_TEXT), place.left, place.top, place.right - place.left,
             place.bottom - place.top, TRUE);
  SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_SETCURSEL, page, 0);
  if (page == kProgDirsPage) {
    SetDlgItemTextA(dialog, IDC_ABOUT_ACTION, kOpenDirsCaption);
    AddActionTool(dialog);
  }
  // The action button has nothing to do on the other page.
  EnableWindow(GetDlgItem(dialog, IDC_ABOUT_ACTION), page == kProgDirsPage);
  char productPage[kTextSize];
  CopyText(kSiteRoot, productPage, sizeof productPage);
  AppendText(productPage, sizeof productPage, "det.php?prog=Veldrana");
  SetDlgItemTextA(dialog, IDC_ABOUT_PAGE_TEXT, productPage);

  char description[kTextSize] = "";
  if (page == kDiagnosticsPage) DescribeThisOs(description, sizeof description);
  char text[3 * kFolderSize];
  AboutPageText(page, description, text, sizeof text);
  SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, text);
}

int SelectedPage(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_GETCURSEL, 0, 0));
}

void InitAbout(HWND dialog, AboutParameter* parameter) {
  aboutOpen = 1;
  SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(parameter));
  ShowDialogIcons(dialog, kAboutIcons, sizeof kAboutIcons / sizeof kAboutIcons[0]);
  SetDlgItemTextA(dialog, IDC_ABOUT_MAIL_TEXT, kSupportMailAddress);
  // Inserted at their positions, so the selector's sort style does not
  // reorder them and a position names a page.
  for (int page : {kProgDirsPage, kDiagnosticsPage})
    SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_INSERTSTRING, page,
                        reinterpret_cast<LPARAM>(kPageNames[page]));
  ShowPage(dialog, kProgDirsPage);
}

void MailSupport() {
  char description[kTextSize];
  DescribeThisOs(description, sizeof description);
  char link[2 * kTextSize];
  SupportMailLink(description, link, sizeof link);
  ShellOpen(link);
}

void GoToSite(HWND dialog) {
  char address[kTextSize] = "";
  GetDlgItemTextA(dialog, IDC_ABOUT_PAGE_TEXT, address, sizeof address);
  ShellOpen(address);
}

void OpenFolders(HWND dialog) {
  if (SelectedPage(dialog) != kProgDirsPage) return;
  // An empty folder (the program file was not found) names nothing to open.
  for (const char* folder : {programFolder, dataFolder})
    if (folder[0]) ShellOpen(folder);
  ShowPage(dialog, kProgDirsPage);
}

void AboutCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:  // "Close", also Enter
      aboutOpen = 0;
      EndDialog(dialog, IDOK);
      break;
    case IDC_ABOUT_MAIL:
      MailSupport();
      break;
    case IDC_ABOUT_SITE:
      GoToSite(dialog);
      break;
    case IDC_ABOUT_PAGES:
      ShowPage(dialog, SelectedPage(dialog));
      break;
    case IDC_ABOUT_ACTION:
      OpenFolders(dialog);
      break;
    default:  // Escape's IDCANCEL among them: the box stays open
      break;
  }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitAbout(dialog, reinterpret_cast<AboutParameter*>(lParam));
      return TRUE;
    case WM_COMMAND:
      AboutCommand(dialog, LOWORD(wParam));
      return TRUE;
    case WM_DPICHANGED:
      // On a monitor of another scale the dialog manager scales the box and
      // places its controls anew; the icons are drawn for the new size.
      NoteWindowDpi(dialog, LOWORD(wParam));
      ShowDialogIcons(dialog, kAboutIcons, sizeof kAboutIcons / sizeof kAboutIcons[0]);
      return FALSE;
    case WM_DESTROY:
      ForgetWindowDpi(dialog);
      // Also when the owner goes away with the box open (the record form
      // closed from the main window): the flag must not outlive the box.
      RemoveActionTool(dialog);
      aboutOpen = 0;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND CreateAboutTooltip(HINSTANCE instance) {
  aboutTooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 nullptr, nullptr, instance, nullptr);
  if (aboutTooltip) SendMessageA(aboutTooltip, TTM_SETMAXTIPWIDTH, 0, Scale(nullptr, kTooltipWidth));
  return aboutTooltip;
}

void ShowAbout(HWND owner) {
  if (aboutOpen) return;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!aboutTooltip || !IsWindow(aboutTooltip)) CreateAboutTooltip(instance);
  AboutParameter parameter = {aboutTooltip, instance};
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&parameter));
}

void ReadOsVersion(OsVersionRecord* version, OsEditionMetrics* metrics) {
  *version = OsVersionRecord();
  *metrics = OsEditionMetrics();
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    version->extended = true;
    version->productType = info.wProductType;
    version->suiteMask = info.wSuiteMask;
  } else {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return;
  }
  version->platformId = info.dwPlatformId;
  version->majorVersion = info.dwMajorVersion;
  version->minorVersion = info.dwMinorVersion;
  version->buildNumber = info.dwBuildNumber;
  static_assert(sizeof version->servicePack == sizeof info.szCSDVersion, "service-pack text");
  CopyBytes(info.szCSDVersion, version->servicePack, sizeof version->servicePack,
            sizeof info.szCSDVersion - 1);
  metrics->tabletPc = GetSystemMetrics(SM_TABLETPC);
  metrics->mediaCenter = GetSystemMetrics(SM_MEDIACENTER);
}

void DescribeThisOs(char* text, size_t textSize) {
  OsVersionRecord version;
  OsEditionMetrics metrics;
  ReadOsVersion(&version, &metrics);
  DescribeOs(version, metrics, text, textSize);
}

void AboutPageText(int page, const char* osDescription, char* text, size_t textSize) {
  if (textSize == 0) return;
  if (page == kDiagnosticsPage) {
    CopyText(osDescription, text, textSize);
    AppendText(text, textSize, "\r\n\r\n");
    return;
  }
  CopyText("Location of program:\r\n", text, textSize);
  AppendText(text, textSize, programFolder);
  AppendText(text, textSize, "\r\n\r\nWhere program stores user data:\r\n");
  AppendText(text, textSize, dataFolder);
}

void SupportMailLink(const char* osDescription, char* link, size_t linkSize) {
  CopyText("mailto:", link, linkSize);
  AppendText(link, linkSize, kSupportMailAddress);
  AppendText(link, linkSize, "?subject=Veldrana&body=v0920 ");
  AppendText(link, linkSize, osDescription);
  AppendText(link, linkSize, " ");
}
