// Saving over the user's file: the file is either replaced whole or left as
// it was, and no side file is left behind.
#include "core/safe_copy.h"

#include "core/folders.h"
#include "core/working_copy.h"
#include "store/database_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "tests/store_test_util.h"

using testutil::ReadBytes;
using testutil::ScratchDir;
using testutil::WriteBytes;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class SafeCopy : public ::testing::Test {
 protected:
  void TearDown() override { platform::FailWritesAfter(-1); }
  ScratchDir dir;
};

TEST_F(SafeCopy, ReplacesTheTargetWhole) {
  const std::string from = dir.Path("Temp.dat"), to = dir.Path("user.vdr");
  WriteBytes(from, Bytes("new contents, longer than the old"));
  WriteBytes(to, Bytes("old"));
  ASSERT_TRUE(CopyFileSafely(from.c_str(), to.c_str()));
  EXPECT_EQ(ReadBytes(to), Bytes("new contents, longer than the old"));
  EXPECT_EQ(ReadBytes(from), Bytes("new contents, longer than the old"));
  EXPECT_FALSE(platform::FileExists((to + ".saving").c_str()));
}

TEST_F(SafeCopy, MakesATargetThatDidNotExist) {
  const std::string from = dir.Path("Temp.dat"), to = dir.Path("fresh.vdr");
  WriteBytes(from, Bytes("data"));
  ASSERT_TRUE(CopyFileSafely(from.c_str(), to.c_str()));
  EXPECT_EQ(ReadBytes(to), Bytes("data"));
}

TEST_F(SafeCopy, AFailedWriteLeavesTheTargetAsItWas) {
  const std::string from = dir.Path("Temp.dat"), to = dir.Path("user.vdr");
  WriteBytes(from, Bytes("new"));
  WriteBytes(to, Bytes("old and precious"));
  platform::FailWritesAfter(0);
  EXPECT_FALSE(CopyFileSafely(from.c_str(), to.c_str()));
  platform::FailWritesAfter(-1);
  EXPECT_EQ(ReadBytes(to), Bytes("old and precious"));
  EXPECT_FALSE(platform::FileExists((to + ".saving").c_str()));
}

TEST_F(SafeCopy, AMissingSourceOrFolderFailsWithoutTouchingAnything) {
  const std::string to = dir.Path("user.vdr");
  WriteBytes(to, Bytes("old"));
  EXPECT_FALSE(CopyFileSafely(dir.Path("no such file").c_str(), to.c_str()));
  EXPECT_EQ(ReadBytes(to), Bytes("old"));
  EXPECT_FALSE(platform::FileExists((to + ".saving").c_str()));

  WriteBytes(dir.Path("Temp.dat"), Bytes("new"));
  const std::string gone = dir.Path("gone") + "/user.vdr";
  EXPECT_FALSE(CopyFileSafely(dir.Path("Temp.dat").c_str(), gone.c_str()));
}

TEST_F(SafeCopy, SideFileNameMustFit) {
  char side[32];
  EXPECT_TRUE(SideFilePath("C:\\a\\b.vdr", side, sizeof side));
  EXPECT_STREQ(side, "C:\\a\\b.vdr.saving");
  const std::string longName(30, 'n');
  EXPECT_FALSE(SideFilePath(longName.c_str(), side, sizeof side));
  EXPECT_STREQ(side, "");
  EXPECT_FALSE(SideFilePath("", side, sizeof side));
  EXPECT_FALSE(CopyFileSafely("a", ""));
}

}  // namespace

// The working copy: the user's file opened through a copy, and saved back.
TEST_F(SafeCopy, WorkingCopyOpensOnlyACopiedDatabaseAndSavesItBack) {
  std::string folder = dir.Path("x");
  folder.pop_back();  // the folder and its separator
  SetFolders(folder.c_str(), folder.c_str());
  const std::string user = dir.Path("user.vdr");
  ASSERT_TRUE(testutil::WriteDatabase(user, {11}, 12, {10, 10}, {}));
  WriteBytes(dir.Path("text.vdr"), Bytes("not a database"));
  const struct {
    std::string file;
    OpenResult result;
  } cases[] = {
      {user, OpenResult::kOpened},
      {dir.Path("missing.vdr"), OpenResult::kNotCopied},
      {dir.Path("text.vdr"), OpenResult::kNotADatabase},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OpenWorkingCopyOf(c.file.c_str()), c.result) << c.file;
    EXPECT_EQ(DatabaseOpen(), c.result == OpenResult::kOpened) << c.file;
  }
  // The working copy of a good file is its copy; changes stay in it until a
  // save, with or without closing for the copy.
  ASSERT_EQ(OpenWorkingCopyOf(user.c_str()), OpenResult::kOpened);
  EXPECT_STREQ(databaseFile.path, workingCopyPath);
  const std::vector<uint8_t> before = ReadBytes(user);
  ASSERT_GE(databaseFile.AddRecord(), 0);
  EXPECT_EQ(ReadBytes(user), before);
  for (bool close : {false, true}) {
    ASSERT_EQ(SaveWorkingCopyTo(user.c_str(), close), SaveResult::kSaved);
    EXPECT_TRUE(DatabaseOpen());
    EXPECT_EQ(ReadBytes(user), ReadBytes(workingCopyPath));
  }
  EXPECT_EQ(SaveWorkingCopyTo(dir.Path("no folder/x.vdr").c_str(), false), SaveResult::kNotWritten);
  ReleaseWorkingCopy();
  EXPECT_FALSE(DatabaseOpen());
}

namespace {

// A large file shows at once from the user's file, read only, while the
// working copy is made on its own thread (slowed down here): a change waits
// for it and goes into the working copy; a copy that fails, or is stopped by
// a close, leaves no working copy behind and the user's file as it was.
TEST_F(SafeCopy, ALargeFileShowsAtOnceWhileItsWorkingCopyIsMade) {
  std::string folder = dir.Path("x");
  folder.pop_back();
  SetFolders(folder.c_str(), folder.c_str());
  const std::string user = dir.Path("user.vdr");
  ASSERT_TRUE(testutil::WriteDatabase(user, {13}, 120, std::vector<uint32_t>(100, 10)));
  const std::vector<uint8_t> before = ReadBytes(user);
  SetBackgroundCopyForTests(0, 1024, 20);  // about a second for 38 kB
  const struct {
    const char* name;
    long failWritesAfter;  // -1: none
    bool close;            // closed while the copy is made
    bool saveElsewhere;    // saved to another file while the copy is made
  } cases[] = {{"copied", -1, false, false},
               {"a write fails halfway", 10, false, false},
               {"closed meanwhile", -1, true, false},
               {"saved elsewhere meanwhile", -1, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DeleteFileAt(workingCopyPath);
    ASSERT_EQ(OpenWorkingCopyOf(user.c_str()), OpenResult::kOpened);
    EXPECT_EQ(WorkingCopyState(), CopyState::kCopying);
    EXPECT_EQ(databaseFile.activeCount, 100u);  // shown at once
    EXPECT_STREQ(databaseFile.path, user.c_str());
    EXPECT_LT(databaseFile.AddRecord(), 0);  // the user's file takes no change
    if (c.close) {
      ReleaseWorkingCopy();
    } else if (c.saveElsewhere) {
      const std::string other = dir.Path("other.vdr");
      EXPECT_EQ(SaveWorkingCopyTo(other.c_str(), false), SaveResult::kSaved);  // waits for the copy
      EXPECT_EQ(ReadBytes(other), before);
      EXPECT_STREQ(databaseFile.path, workingCopyPath);
      ReleaseWorkingCopy();
    } else {
      platform::FailWritesAfter(c.failWritesAfter);
      uint32_t lastPercent = 0, reports = 0;
      const bool opened = FinishWorkingCopy([&](uint32_t percent) {
        EXPECT_GE(percent, lastPercent);
        lastPercent = percent;
        ++reports;
      });
      platform::FailWritesAfter(-1);
      EXPECT_EQ(opened, c.failWritesAfter < 0);
      if (opened) {
        EXPECT_GT(reports, 0u);  // it took longer than half a second
        EXPECT_STREQ(databaseFile.path, workingCopyPath);
        ASSERT_GE(databaseFile.AddRecord(), 0);
        EXPECT_EQ(databaseFile.activeCount, 101u);
        EXPECT_EQ(WorkingCopyState(), CopyState::kReady);
      } else {
        EXPECT_EQ(WorkingCopyState(), CopyState::kFailed);
      }
      ReleaseWorkingCopy();
    }
    EXPECT_EQ(ReadBytes(user), before);
    EXPECT_EQ(platform::FileExists(workingCopyPath), c.failWritesAfter < 0 && !c.close);
  }
  SetBackgroundCopyForTests(16 << 20, 8 << 20, 0);
}

}  // namespace
