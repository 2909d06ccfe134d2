// The About box: the program's name and version, two information pages
// ("Prog Dirs": the program and data folders; "Diagnostics": a description of
// the operating system) and three actions: a support mail that carries that
// description, the product's web page, and opening both folders in the shell.
//
// Both top-level windows open it with their "About" command:
//
//     ShowAbout(window that received the command);
//
// ShowAbout does nothing while a box is open (aboutOpen), so "About" from
// the record form while the main window's box is open, or a second click,
// opens no second box. Start-up makes the box's tooltip window
// (CreateAboutTooltip) before the main window; ShowAbout makes it itself if
// start-up did not.
//
// The box closes only through "Close" or Enter; Escape leaves it open.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/dialogs/describe_os.h"

// The support mail address and the product's web site (its root ends in a
// slash; the product page is the root + "det.php?prog=Veldrana").
constexpr char kSupportMailAddress[] = "support@vdr.example";
constexpr char kSiteRoot[] = "https://vdr.example/";

// The pages, by their position in the page selector.
constexpr int kProgDirsPage = 0;
constexpr int kDiagnosticsPage = 1;

// The tooltip the action button shows on the "Prog Dirs" page.
constexpr char kOpenDirsTooltip[] =
    "Opens the directory where the program was installed as well as the directory where the "
    "program data is stored.";

// 1 while an About box is open, else 0.
extern uint32_t aboutOpen;
// The tooltip window of the About box, made once at start-up; null before.
extern HWND aboutTooltip;

// What the box gets as its creation parameter and keeps in its user data.
struct AboutParameter {
  HWND tooltip;
  HINSTANCE instance;
};

// Makes aboutTooltip: a topmost "Tooltips_class32" window, always tipping,
// with no owner. Returns it.
HWND CreateAboutTooltip(HINSTANCE instance);

// Runs the About box modally over owner, unless one is open already; returns
// when it is closed.
void ShowAbout(HWND owner);

// The running system's version record, read with GetVersionExA (the extended
// record, or the basic one when that fails), and its edition metrics.
void ReadOsVersion(OsVersionRecord* version, OsEditionMetrics* metrics);
// DescribeOs of the running system.
void DescribeThisOs(char* text, size_t textSize);

// The text of a page (CR LF line ends), built on programFolder and dataFolder
// or the system's description; a position that names no page gives the first.
void AboutPageText(int page, const char* osDescription, char* text, size_t textSize);
// The link "EMail Us" opens: "mailto:" + the support address +
// "?subject=Veldrana&body=v0920 " + the description + " ".
void SupportMailLink(const char* osDescription, char* link, size_t linkSize);
