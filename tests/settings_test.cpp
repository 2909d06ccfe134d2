// The settings file: its layout, the headers that are read or refused, short
// and damaged files, and the rule that keeps windows usable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/settings.h"
#include "tests/store_test_util.h"

#ifdef _WIN32
#include "ui/placement.h"
#endif

using namespace testutil;

namespace {

#ifdef _WIN32
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";
#endif

WindowPlacement Placement(uint32_t show, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  WindowPlacement p = {};
  p.length = 44;
  p.showCommand = show;
  p.minimizedX = p.minimizedY = -1;
  p.maximizedX = p.maximizedY = -1;
  p.normalLeft = left;
  p.normalTop = top;
  p.normalRight = right;
  p.normalBottom = bottom;
  return p;
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string folder = dir.Path("") + kSeparator;
    SetFolders(folder.c_str(), folder.c_str());
    path = folder + kSettingsFileName;
    std::memset(&settings, 0, sizeof settings);
  }
  void TearDown() override { platform::FailWritesAfter(-1); }

  // A file image: the header, then the words and placements given.
  std::vector<uint8_t> Image(const char* header, const std::vector<uint32_t>& words) {
    std::vector<uint8_t> bytes(header, header + 8);
    bytes.resize(kSettingsFileSize, 0);
    for (size_t i = 0; i < words.size(); ++i) PutWord(bytes, 8 + 4 * i, words[i]);
    return bytes;
  }

  ScratchDir dir;
  std::string path;
};

TEST_F(SettingsFile, MissingFileGivesDefaults) {
  settings.mainPlacement = Placement(1, 1, 2, 3, 4);
  EXPECT_EQ(LoadSettings(), 1);
  EXPECT_EQ(settings.indexColumnWidth, 50u);
  EXPECT_EQ(settings.recordColumnWidth, 50u);
  EXPECT_EQ(settings.recStatColumnWidth, 50u);
  EXPECT_EQ(settings.rowHeight, 20u);
  // SetDefaultSettings leaves the placements alone.
  EXPECT_EQ(settings.mainPlacement.normalRight, 3);
}

TEST_F(SettingsFile, RoundTripIsByteExact) {
  SetDefaultSettings();
  settings.indexColumnWidth = 120;
  settings.rowHeight = 24;
  settings.mainPlacement = Placement(3, 100, 100, 620, 500);
  settings.formPlacement = Placement(1, 300, 200, 700, 650);
  settings.reserved[0] = 0xAB;
  settings.reserved[895] = 0xCD;
  ASSERT_EQ(SaveSettings(), 1);

  auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 1008u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "DATA0900");
  EXPECT_EQ(WordAt(bytes, 8), 120u);
  EXPECT_EQ(WordAt(bytes, 12), 50u);
  EXPECT_EQ(WordAt(bytes, 16), 50u);
  EXPECT_EQ(WordAt(bytes, 20), 24u);
  // Each placement: length, flags, show command, min x/y, max x/y, normal
  // left/top/right/bottom.
  EXPECT_EQ(WordAt(bytes, 24), 44u);
  EXPECT_EQ(WordAt(bytes, 32), 3u);
  EXPECT_EQ(WordAt(bytes, 52), 100u);
  EXPECT_EQ(WordAt(bytes, 64), 500u);
  EXPECT_EQ(WordAt(bytes, 68), 44u);
  EXPECT_EQ(WordAt(bytes, 76), 1u);
  EXPECT_EQ(WordAt(bytes, 96), 300u);
  EXPECT_EQ(WordAt(bytes, 108), 650u);
  EXPECT_EQ(bytes[112], 0xAB);
  EXPECT_EQ(bytes[1007], 0xCD);

  const Settings saved = settings;
  std::memset(&settings, 0, sizeof settings);
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_EQ(std::memcmp(&settings, &saved, sizeof settings), 0);
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(SettingsFile, Headers) {
  struct Case {
    const char* header;
    int check;
    int load;
  } cases[] = {
      {"DATA0900", 1000, 0},
      {"DATA0800", 800, 0},   // another version is read all the same
      {"XATA0900", 1001, 0},  // and so is a wrong magic
      {"DATA1900", 1001, 0},
      {"DATA0101", 101, 1},  // only 101 is refused
      {"DATA0abc", static_cast<int>(49 * 100 + 50 * 10 + 51), 0},
  };
  for (const Case& c : cases) {
    WriteBytes(path, Image(c.header, {77, 78, 79, 30}));
    platform::FileHandle file = platform::OpenExclusive(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    EXPECT_EQ(CheckSettingsHeader(file), c.check) << c.header;
    platform::CloseFile(file);

    std::memset(&settings, 0, sizeof settings);
    EXPECT_EQ(LoadSettings(), c.load) << c.header;
    const uint32_t width = c.load == 0 ? 77 : 50;
    EXPECT_EQ(settings.indexColumnWidth, width) << c.header;
    EXPECT_EQ(settings.rowHeight, c.load == 0 ? 30u : 20u) << c.header;
  }
}

TEST_F(SettingsFile, ShortFilesCountAsMissing) {
  for (size_t size : {size_t{0}, size_t{5}, size_t{8}, size_t{24}, size_t{111}, size_t{1007}}) {
    auto bytes = Image("DATA0900", {77, 78, 79, 30});
    bytes.resize(size);
    WriteBytes(path, bytes);
    std::memset(&settings, 0, sizeof settings);
    settings.mainPlacement = Placement(1, 5, 5, 500, 500);
    EXPECT_EQ(LoadSettings(), 1) << size;
    EXPECT_EQ(settings.indexColumnWidth, 50u) << size;
    EXPECT_EQ(settings.rowHeight, 20u) << size;
    EXPECT_EQ(settings.mainPlacement.normalRight, 500) << size;  // not overwritten
  }
  // A longer file is read for its first 1008 bytes.
  auto bytes = Image("DATA0900", {77, 78, 79, 30});
  bytes.resize(2000, 0xFF);
  WriteBytes(path, bytes);
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_EQ(settings.indexColumnWidth, 77u);
  EXPECT_EQ(settings.reserved[895], 0);
}

TEST_F(SettingsFile, UnusableValuesBecomeDefaults) {
  struct Case {
    std::vector<uint32_t> words;  // three widths and the row height
    std::vector<uint32_t> expected;
  } cases[] = {
      {{0, 0, 0, 0}, {50, 50, 50, 20}},
      {{1, 2000, 1999, 8}, {1, 2000, 1999, 8}},
      {{2001, 0xFFFFFFFF, 0x80000000, 7}, {50, 50, 50, 20}},
      {{120, 80, 60, 200}, {120, 80, 60, 200}},
      {{120, 80, 60, 201}, {120, 80, 60, 20}},
  };
  for (const Case& c : cases) {
    WriteBytes(path, Image("DATA0900", c.words));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ((std::vector<uint32_t>{settings.indexColumnWidth, settings.recordColumnWidth,
                                     settings.recStatColumnWidth, settings.rowHeight}),
              c.expected)
        << c.words[0] << " " << c.words[3];
  }
}

TEST_F(SettingsFile, FailedWrites) {
  SetDefaultSettings();
  settings.indexColumnWidth = 99;
  platform::FailWritesAfter(0);
  EXPECT_EQ(SaveSettings(), 0);
  platform::FailWritesAfter(-1);
  EXPECT_FALSE(platform::FileExists(path.c_str()));
  // Created, but the write fails: the empty file left behind reads as missing.
  platform::FailWritesAfter(1);
  EXPECT_EQ(SaveSettings(), 0);
  platform::FailWritesAfter(-1);
  EXPECT_TRUE(platform::FileExists(path.c_str()));
  EXPECT_EQ(LoadSettings(), 1);
  EXPECT_EQ(settings.indexColumnWidth, 50u);
  // A settings folder that does not exist.
  SetFolders("", (dir.Path("missing") + kSeparator).c_str());
  EXPECT_EQ(SaveSettings(), 0);
  EXPECT_EQ(LoadSettings(), 1);
}

TEST(Placements, UsableRule) {
  const ScreenArea one[] = {{0, 0, 1280, 1024}};
  const ScreenArea two[] = {{0, 0, 1280, 1024}, {-1920, -200, 0, 880}};
  // A taskbar 40 pixels high along the top: placements count from the work
  // area's corner, so the area is compared in the same coordinates.
  const ScreenArea taskbarOnTop[] = {WorkspaceArea({0, 0, 1280, 1024}, {0, 40, 1280, 1024})};
  struct Case {
    const char* what;
    WindowPlacement p;
    const ScreenArea* screens;
    size_t count;
    bool usable;
  } cases[] = {
      {"the first place", Placement(1, 100, 100, 620, 500), one, 1, true},
      {"maximised", Placement(3, 100, 100, 620, 500), one, 1, true},
      {"minimised", Placement(2, 100, 100, 620, 500), one, 1, true},
      {"all zero", WindowPlacement{}, one, 1, false},
      {"hidden", Placement(0, 100, 100, 620, 500), one, 1, false},
      {"odd show command", Placement(11, 100, 100, 620, 500), one, 1, false},
      {"no length", [] { auto p = Placement(1, 100, 100, 620, 500); p.length = 0; return p; }(), one, 1, false},
      {"zero size", Placement(1, 100, 100, 100, 100), one, 1, false},
      {"inside out", Placement(1, 620, 500, 100, 100), one, 1, false},
      {"199 wide", Placement(1, 100, 100, 299, 500), one, 1, false},
      {"200 wide", Placement(1, 100, 100, 300, 500), one, 1, true},
      {"too low", Placement(1, 100, 100, 620, 219), one, 1, false},
      {"smallest", Placement(1, 100, 100, 300, 220), one, 1, true},
      {"absurdly large", Placement(1, 0, 0, 40000, 500), one, 1, false},
      {"corners at the ends of the range",
       Placement(1, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), one, 1, false},
      {"off to the right", Placement(1, 1300, 100, 1800, 500), one, 1, false},
      {"off the top", Placement(1, 100, -50, 620, 400), one, 1, false},
      {"title strip just on", Placement(1, 100, 1004, 620, 1400), one, 1, true},
      {"title strip partly off", Placement(1, 100, 1005, 620, 1400), one, 1, false},
      {"a sliver on the left", Placement(1, -460, 100, 59, 500), one, 1, false},
      {"enough on the left", Placement(1, -460, 100, 60, 500), one, 1, true},
      {"on the second screen", Placement(1, -1500, -100, -900, 400), two, 2, true},
      {"between the screens' tops", Placement(1, -1500, -250, -900, 400), two, 2, false},
      {"no screens known", Placement(1, 5000, 5000, 5600, 5400), nullptr, 0, true},
      {"at the top, taskbar above", Placement(1, 100, 0, 620, 400), taskbarOnTop, 1, true},
      {"at the bottom, taskbar above", Placement(1, 100, 965, 620, 1300), taskbarOnTop, 1, false},
  };
  for (const Case& c : cases) EXPECT_EQ(PlacementUsable(c.p, c.screens, c.count), c.usable) << c.what;
}

TEST(Placements, StartUpChoice) {
  const ScreenArea screen[] = {{0, 0, 1280, 1024}};
  const WindowPlacement good = Placement(1, 100, 100, 620, 500);
  const WindowPlacement offScreen = Placement(1, 3000, 100, 3520, 500);
  struct Case {
    int loadResult;
    WindowPlacement main;
    WindowPlacement form;
    bool applyMain;
    bool formFromMain;
  } cases[] = {
      {0, good, good, true, false},
      {1, good, good, false, true},  // defaults: the form starts over the main window
      {0, offScreen, good, false, false},
      {0, good, WindowPlacement{}, true, true},
      {0, WindowPlacement{}, offScreen, false, true},
  };
  for (const Case& c : cases) {
    settings.mainPlacement = c.main;
    settings.formPlacement = c.form;
    StartPlacement start = ChooseStartPlacement(c.loadResult, screen, 1);
    EXPECT_EQ(start.applyMain, c.applyMain);
    EXPECT_EQ(start.formFromMain, c.formFromMain);
  }
  TakeFormPlacementFrom(Placement(3, 1, 2, 300, 400));
  EXPECT_EQ(settings.formPlacement.showCommand, 1u);
  EXPECT_EQ(settings.formPlacement.normalBottom, 400);
  EXPECT_TRUE(PlacementUsable(settings.formPlacement, screen, 1));
}

#ifdef _WIN32
TEST(Placements, SameBytesAsTheSystemRecord) {
  WINDOWPLACEMENT native = {};
  native.length = sizeof native;
  native.flags = 2;
  native.showCmd = SW_SHOWMAXIMIZED;
  native.ptMinPosition = {-1, -2};
  native.ptMaxPosition = {-3, -4};
  native.rcNormalPosition = {10, 20, 530, 420};
  WindowPlacement p;
  FromNativePlacement(native, &p);
  EXPECT_EQ(p.length, 44u);
  EXPECT_EQ(p.flags, 2u);
  EXPECT_EQ(p.showCommand, 3u);
  EXPECT_EQ(p.minimizedY, -2);
  EXPECT_EQ(p.maximizedX, -3);
  EXPECT_EQ(p.normalLeft, 10);
  EXPECT_EQ(p.normalBottom, 420);
  WINDOWPLACEMENT back = {};
  ToNativePlacement(p, &back);
  EXPECT_EQ(std::memcmp(&back, &native, sizeof native), 0);
}
#endif

}  // namespace
