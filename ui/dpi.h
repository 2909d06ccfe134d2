// Sizes on the screen. Every pixel size the program fixes (places, fonts, row
// heights, column widths, pictures) is written as a size at 96 DPI, 100 %,
// and scaled to the DPI of the window it is for at its point of use, with
// Scale. The program is per-monitor DPI-aware (its manifest), so each window
// has the DPI of the monitor it is on, and a window moved to a monitor of
// another scale is told so by WM_DPICHANGED and lays itself out anew.
//
// The functions Windows 7 and 8 lack (GetDpiForWindow and its kin, 10 and
// later; GetDpiForMonitor, 8.1 and later) are looked up at run time; without
// them every window has the system's DPI, which is what those systems give a
// DPI-aware program.
#pragma once

#include <windows.h>

constexpr int kBaseDpi = 96;

// The DPI of a window: the one its top-level window is laid out for, as
// noted when it was made and at each WM_DPICHANGED (NoteWindowDpi), else the
// one the system tells. A null window has the system's DPI, which is the
// primary monitor's.
int WindowDpi(HWND window);
// A size at 96 DPI, in pixels at this DPI or this window's, and back (a width
// the user dragged, kept in 96-DPI units). Both round to the nearest pixel, so
// a size scaled up and back at 100 % or more is the size it was.
int ScaleToDpi(int pixels96, int dpi);
int UnscaleFromDpi(int pixels, int dpi);
int Scale(HWND window, int pixels96);
int Unscale(HWND window, int pixels);

// The top-level window is laid out for this DPI: the one it was made with,
// then each one WM_DPICHANGED gives (its wParam). Windows tells a window its
// new DPI before the message comes, so what the window was laid out for
// would be lost without this; and Windows 8.1 tells a window only through
// the message. ForgetWindowDpi as the window is destroyed.
void NoteWindowDpi(HWND window, int dpi);
void ForgetWindowDpi(HWND window);
// WM_DPICHANGED's second half: the window takes the rectangle the system
// suggests (the message's lParam), which sends it WM_SIZE.
void TakeSuggestedRect(HWND window, LPARAM suggested);

// The size of the toolbar pictures for a window: the largest of 16, 20, 24
// and 32 that is no larger than 16 scaled, so a picture is always shown at
// the size it was drawn for, never stretched.
int ToolbarImageSize(HWND window);

// The system's fonts at a DPI, for the common controls the program gives a
// font of their DPI: the icon title font (the record list) and the status
// font (the status bar). Made once per DPI and kept for the whole run.
enum class SystemFont { kIconTitle, kStatus };
HFONT SystemFontForDpi(SystemFont which, int dpi);

// The program's icon `id` at `size96` scaled to the window's DPI, made from
// the icon's image of that size. Made once per size and kept for the run.
HICON IconForWindow(HWND window, int id, int size96);
// Gives a dialog's icon controls (static SS_ICON, in template order) the
// icons `ids` at 32 scaled to the dialog's DPI.
void ShowDialogIcons(HWND dialog, const int* ids, size_t count);
