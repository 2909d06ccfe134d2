#include "core/settings.h"

#include <cstring>

#include "core/folders.h"
#include "store/text.h"

Settings settings;

namespace {

constexpr char kHeader[] = "DATA0900";

bool SettingsPath(char* path, size_t pathSize) {
  return JoinPath(dataFolder, kSettingsFileName, path, pathSize);
}

uint32_t Sane(uint32_t value, uint32_t low, uint32_t high, uint32_t fallback) {
  return value < low || value > high ? fallback : value;
}

}  // namespace

void SetDefaultSettings() {
  settings.indexColumnWidth = kDefaultColumnWidth;
  settings.recordColumnWidth = kDefaultColumnWidth;
  settings.recStatColumnWidth = kDefaultColumnWidth;
  settings.rowHeight = kDefaultRowHeight;
}

void KeepColumnWidths(uint32_t index, uint32_t record, uint32_t recStat) {
  if (index != 0) settings.indexColumnWidth = index;
  if (record != 0) settings.recordColumnWidth = record;
  if (recStat != 0) settings.recStatColumnWidth = recStat;
}

void KeepMainPlacement(const WindowPlacement& placement) { settings.mainPlacement = placement; }

void KeepFormPlacement(const WindowPlacement& placement) { settings.formPlacement = placement; }

int CheckSettingsHeader(platform::FileHandle file) {
  char magic[6] = {};
  char version[4] = {};
  if (!platform::ReadExact(file, magic, 5) || !platform::ReadExact(file, version, 3)) return 1001;
  if (std::memcmp(magic, kHeader, 5) != 0) return 1001;
  if (std::memcmp(version, kHeader + 5, 3) == 0) return 1000;
  return static_cast<int>(TextToNumber(version));
}

int LoadSettings() {
  char path[kFolderSize];
  if (!SettingsPath(path, sizeof path)) {
    SetDefaultSettings();
    return 1;
  }
  platform::FileHandle file = platform::OpenExclusive(path);
  if (file == platform::kNoFile) {
    SetDefaultSettings();
    return 1;
  }
  int result = CheckSettingsHeader(file);
  Settings body;
  // A short file would leave zero widths and empty placements: it counts as
  // missing, and so does one whose version reads as 101.
  bool read = result != 101 && platform::ReadExact(file, &body, sizeof body);
  platform::CloseFile(file);
  if (!read) {
    SetDefaultSettings();
    return 1;
  }
  settings = body;
  settings.indexColumnWidth = Sane(settings.indexColumnWidth, 1, kMaxColumnWidth, kDefaultColumnWidth);
  settings.recordColumnWidth = Sane(settings.recordColumnWidth, 1, kMaxColumnWidth, kDefaultColumnWidth);
  settings.recStatColumnWidth =
      Sane(settings.recStatColumnWidth, 1, kMaxColumnWidth, kDefaultColumnWidth);
  settings.rowHeight = Sane(settings.rowHeight, kMinRowHeight, kMaxRowHeight, kDefaultRowHeight);
  return 0;
}

int SaveSettings() {
  char path[kFolderSize];
  if (!SettingsPath(path, sizeof path)) return 0;
  platform::FileHandle file = platform::CreateAlways(path);
  if (file == platform::kNoFile) return 0;
  char image[kSettingsFileSize];
  std::memcpy(image, kHeader, 8);
  std::memcpy(image + 8, &settings, sizeof settings);
  bool ok = platform::WriteExact(file, image, sizeof image);
  platform::CloseFile(file);
  return ok ? 1 : 0;
}

bool PlacementUsable(const WindowPlacement& p, const ScreenArea* screens, size_t count) {
  if (p.length != sizeof(WindowPlacement)) return false;
  if (p.showCommand < 1 || p.showCommand > 3) return false;
  // In 64 bits: the corners of a damaged file may be anywhere.
  const int64_t width = int64_t{p.normalRight} - p.normalLeft;
  const int64_t height = int64_t{p.normalBottom} - p.normalTop;
  if (width < kMinWindowWidth || height < kMinWindowHeight) return false;
  if (width > kMaxWindowSize || height > kMaxWindowSize) return false;
  if (count == 0) return true;
  for (size_t i = 0; i < count; ++i) {
    const ScreenArea& s = screens[i];
    const int64_t left = p.normalLeft > s.left ? p.normalLeft : s.left;
    const int64_t right = p.normalRight < s.right ? p.normalRight : s.right;
    if (p.normalTop >= s.top && int64_t{p.normalTop} + kGripHeight <= s.bottom &&
        right - left >= kGripWidth)
      return true;
  }
  return false;
}

StartPlacement ChooseStartPlacement(int loadResult, const ScreenArea* screens, size_t count) {
  StartPlacement start;
  const bool read = loadResult == 0;
  start.applyMain = read && PlacementUsable(settings.mainPlacement, screens, count);
  start.formFromMain = !read || !PlacementUsable(settings.formPlacement, screens, count);
  return start;
}

ScreenArea WorkspaceArea(const ScreenArea& screen, const ScreenArea& work) {
  return ScreenArea{screen.left, screen.top, screen.left + (work.right - work.left),
                    screen.top + (work.bottom - work.top)};
}

void TakeFormPlacementFrom(const WindowPlacement& main) {
  settings.formPlacement = main;
  settings.formPlacement.showCommand = 1;  // SW_SHOWNORMAL
}
