// The settings the program keeps between runs, in "dVeldrana.dat" in the
// data folder: 8 header bytes "DATA0900" and the 1000-byte Settings record as
// it lies in memory (little-endian words).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// The system's window placement record, byte for byte: on Windows it is
// copied to and from WINDOWPLACEMENT with memcpy (app/placement_win32.h).
struct WindowPlacement {
  uint32_t length;
  uint32_t flags;
  uint32_t showCommand;
  int32_t minimizedX;
  int32_t minimizedY;
  int32_t maximizedX;
  int32_t maximizedY;
  int32_t normalLeft;
  int32_t normalTop;
  int32_t normalRight;
  int32_t normalBottom;
};
static_assert(sizeof(WindowPlacement) == 44, "the file holds 44-byte placements");

// The widths and the row height are in pixels at 96 DPI (100 %), whatever
// the screen's scale, as every earlier file holds them; the windows scale
// them at use. The placements are the system's, in its workspace pixels.
struct Settings {
  uint32_t indexColumnWidth;
  uint32_t recordColumnWidth;
  uint32_t recStatColumnWidth;
  uint32_t rowHeight;
  WindowPlacement mainPlacement;
  WindowPlacement formPlacement;
  uint8_t reserved[896];
};
static_assert(sizeof(Settings) == 1000, "the file's body is the record itself");

extern Settings settings;

constexpr char kSettingsFileName[] = "dVeldrana.dat";
constexpr size_t kSettingsFileSize = 1008;

// Limits outside which a value read from the file is replaced by its default.
constexpr uint32_t kDefaultColumnWidth = 50;
constexpr uint32_t kMaxColumnWidth = 2000;
constexpr uint32_t kDefaultRowHeight = 20;
constexpr uint32_t kMinRowHeight = 8;
constexpr uint32_t kMaxRowHeight = 200;
// A placement's normal size must lie within these, in pixels.
constexpr int32_t kMinWindowWidth = 200;
constexpr int32_t kMinWindowHeight = 120;
constexpr int32_t kMaxWindowSize = 16384;
// This much of a window's top edge must lie on a screen for the user to take
// hold of its title bar.
constexpr int32_t kGripWidth = 60;
constexpr int32_t kGripHeight = 20;

// 0 when the file was read, 1 when the defaults were set: the file is missing,
// shorter than 1008 bytes, or its version characters read as 101. Column
// widths of 0 or above kMaxColumnWidth, and a row height outside
// kMinRowHeight..kMaxRowHeight, read from a file become their defaults.
int LoadSettings();
// Writes the file; 1 written, 0 not (nothing is reported).
int SaveSettings();
// The three column widths 50 and the row height 20; nothing else changes.
void SetDefaultSettings();

// What the user changed, kept for the settings file: the widths of the
// record list's first three columns (a width of 0 leaves that one as it
// is), and the windows' placements.
void KeepColumnWidths(uint32_t index, uint32_t record, uint32_t recStat);
void KeepMainPlacement(const WindowPlacement& placement);
void KeepFormPlacement(const WindowPlacement& placement);
// Reads the 8 header bytes: 1000 for "DATA0900", 1001 when the first five
// are not "DATA0" (or the file is shorter than 8 bytes), else the three
// version characters read as a number.
int CheckSettingsHeader(platform::FileHandle file);

// A screen's rectangle in the coordinates of the placements.
struct ScreenArea {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// A screen's work area (the screen less the taskbar) in the coordinates of
// the placements, which count from the work area's top-left corner, from the
// screen's and the work area's rectangles in screen coordinates.
ScreenArea WorkspaceArea(const ScreenArea& screen, const ScreenArea& work);

// A placement is usable when it was captured from a window (length 44), shows
// the window normal, minimised or maximised (show command 1 to 3), its
// normal size lies within kMinWindowWidth x kMinWindowHeight and
// kMaxWindowSize, and (when any screens are given) the top kGripHeight pixels
// of its normal rectangle lie on one screen over at least kGripWidth pixels.
bool PlacementUsable(const WindowPlacement& placement, const ScreenArea* screens, size_t count);

// What start-up does with the placements after LoadSettings:
// applyMain: SetWindowPlacement of the main window with mainPlacement, else
// show it at its default place; formFromMain: then take the main window's
// placement as the form's (TakeFormPlacementFrom), because the defaults were
// set or the form's own placement is not usable.
struct StartPlacement {
  bool applyMain;
  bool formFromMain;
};
StartPlacement ChooseStartPlacement(int loadResult, const ScreenArea* screens, size_t count);
// formPlacement := the main window's placement, shown normal.
void TakeFormPlacementFrom(const WindowPlacement& main);
