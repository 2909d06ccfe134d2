// libFuzzer target for the settings loader: any bytes as "dVeldrana.dat".
// Besides memory safety: defaults exactly when the file is short or its
// version reads as 101; column widths and the row height always within
// their limits after a load; a placement judged usable is of usable size;
// and what is saved loads back unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "core/folders.h"
#include "core/settings.h"
#include "store/text.h"

namespace {

void CheckPlacement(const WindowPlacement& p, const ScreenArea* screens, size_t count) {
  if (!PlacementUsable(p, screens, count)) return;
  const int64_t width = int64_t{p.normalRight} - p.normalLeft;
  const int64_t height = int64_t{p.normalBottom} - p.normalTop;
  CHECK(width >= kMinWindowWidth && width <= kMaxWindowSize);
  CHECK(height >= kMinWindowHeight && height <= kMaxWindowSize);
  CHECK(p.showCommand >= 1 && p.showCommand <= 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = ScratchFolder("settings_fuzz");
  SetFolders(folder.c_str(), folder.c_str());
  const std::string path = folder + kSettingsFileName;
  FILE* f = std::fopen(path.c_str(), "wb");
  CHECK(f != nullptr);
  CHECK(std::fwrite(data, 1, size, f) == size);
  CHECK(std::fclose(f) == 0);

  std::memset(&settings, 0, sizeof settings);
  const int result = LoadSettings();
  // Refused: the version characters read as the number 101, the way the
  // text-to-number routine reads them (up to a zero byte, any byte a digit).
  char version[4] = {};
  if (size >= 8) std::memcpy(version, data + 5, 3);
  const bool refused = size >= 8 && std::memcmp(data, "DATA0", 5) == 0 &&
                       std::memcmp(version, "900", 3) != 0 && TextToNumber(version) == 101;
  CHECK(result == (size < kSettingsFileSize || refused ? 1 : 0));
  CHECK(settings.indexColumnWidth >= 1 && settings.indexColumnWidth <= kMaxColumnWidth);
  CHECK(settings.recordColumnWidth >= 1 && settings.recordColumnWidth <= kMaxColumnWidth);
  CHECK(settings.recStatColumnWidth >= 1 && settings.recStatColumnWidth <= kMaxColumnWidth);
  CHECK(settings.rowHeight >= kMinRowHeight && settings.rowHeight <= kMaxRowHeight);
  if (result == 0) {
    CHECK(std::memcmp(&settings.mainPlacement, data + 24, 44) == 0);
    CHECK(std::memcmp(settings.reserved, data + 112, sizeof settings.reserved) == 0);
  }

  const ScreenArea screens[] = {{0, 0, 1280, 1024}, {-1920, -300, 0, 780}};
  for (size_t count = 0; count <= 2; ++count) {
    CheckPlacement(settings.mainPlacement, screens, count);
    CheckPlacement(settings.formPlacement, screens, count);
    StartPlacement start = ChooseStartPlacement(result, screens, count);
    if (start.applyMain) CHECK(PlacementUsable(settings.mainPlacement, screens, count));
    if (!start.formFromMain) CHECK(PlacementUsable(settings.formPlacement, screens, count));
  }

  const Settings loaded = settings;
  CHECK(SaveSettings() == 1);
  std::memset(&settings, 0, sizeof settings);
  CHECK(LoadSettings() == 0);
  CHECK(std::memcmp(&settings, &loaded, sizeof settings) == 0);
  return 0;
}
