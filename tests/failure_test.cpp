// Failed writes (a full disk) while the record area grows or shrinks and
// while a file is created, through the platform's fault-injection seam.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "store/database_file.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

// Turns the seam off again however the test ends.
class Failures : public ::testing::Test {
 protected:
  void TearDown() override { platform::FailWritesAfter(-1); }
  ScratchDir dir_;
};

struct GrowCase {
  const char* name;
  std::vector<uint32_t> types;
  long writesBeforeFailure;
};

// Ten slots, one record in use: the next allocation must grow the area.
TEST_F(Failures, FailedGrowthLeavesTheFileAsItWas) {
  const GrowCase cases[] = {
      {"the new slots cannot be written", {11, 2}, 0},
      {"the count cannot be written", {11, 2}, 1},
      // 10 slots of 10004 bytes are written in two pieces.
      {"the second piece of the new slots fails", {15, 15}, 1},
  };
  for (const auto& c : cases) {
    std::string path = dir_.Path("g.vdr");
    Db db;
    ASSERT_TRUE(CreateAndOpen(*db, path, c.types)) << c.name;
    SetText(*db, 0, 1, "the one record");
    const auto before = ViewBytes(*db);

    platform::FailWritesAfter(c.writesBeforeFailure);
    EXPECT_EQ(db->AllocateSlot(), -1) << c.name;
    platform::FailWritesAfter(-1);

    // Mapped again, with the same count, the same record and every byte
    // the file had; a piece of new slots that could not be taken back is
    // zeros after the last slot, which readers ignore.
    ASSERT_NE(db->view, nullptr) << c.name;
    EXPECT_EQ(db->writable, 1u) << c.name;
    EXPECT_EQ(db->slotCount, 10u) << c.name;
    EXPECT_EQ(db->activeCount, 1u) << c.name;
    EXPECT_EQ(GetText(*db, 0, 1), "the one record") << c.name;
    auto now = ViewBytes(*db);
    ASSERT_GE(now.size(), before.size()) << c.name;
    EXPECT_TRUE(std::equal(before.begin(), before.end(), now.begin())) << c.name;
    for (size_t i = before.size(); i < now.size(); ++i) ASSERT_EQ(now[i], 0) << c.name;
    if (c.writesBeforeFailure == 0) {
      EXPECT_EQ(now.size(), before.size()) << c.name;
    }

    // The next allocation, with the disk writable again, grows as usual.
    EXPECT_EQ(db->AllocateSlot(), 1) << c.name;
    EXPECT_EQ(db->slotCount, 20u) << c.name;
    EXPECT_EQ(GetText(*db, 0, 1), "the one record") << c.name;
    db->Close();
    auto bytes = ReadBytes(path);
    EXPECT_EQ(WordAt(bytes, 1360), 20u) << c.name;
    ASSERT_TRUE(OpenDatabase(*db, path)) << c.name;
    EXPECT_EQ(db->activeCount, 2u) << c.name;
  }
}

// 60 slots, 40 records spread out: the allocation compacts, then cuts 10
// slots. Compaction works in the mapping; only the cut needs writes.
TEST_F(Failures, FailedShrinkKeepsEveryRecord) {
  for (long writes : {0L, 1L}) {
    std::string path = dir_.Path("s.vdr");
    std::vector<uint32_t> statuses(60, 0);
    for (uint32_t i = 0; i < 40; ++i) statuses[i * 3 / 2] = 10;
    ASSERT_TRUE(WriteDatabase(path, {2}, 60, statuses));
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path));
    for (uint32_t s = 0, id = 1; s < 60; ++s)
      if (statuses[s] == 10) SetNumber(*db, static_cast<int32_t>(s), 1, id++);

    platform::FailWritesAfter(writes);
    const int32_t slot = db->AllocateSlot();
    platform::FailWritesAfter(-1);

    // The records stand compacted in slots 0 to 39 whatever happened to the
    // cut, and the new one after them.
    ASSERT_NE(db->view, nullptr) << writes;
    EXPECT_EQ(slot, 40) << writes;
    for (uint32_t s = 0; s < 40; ++s) EXPECT_EQ(GetNumber(*db, static_cast<int32_t>(s), 1), s + 1) << writes;
    EXPECT_EQ(db->activeCount, 41u) << writes;
    // Either the count was not written and nothing was cut, or the count
    // was written and the cut failed, leaving ignored bytes at the end.
    EXPECT_EQ(db->slotCount, writes == 0 ? 60u : 50u) << writes;
    db->Close();
    auto bytes = ReadBytes(path);
    EXPECT_EQ(WordAt(bytes, 1360), writes == 0 ? 60u : 50u) << writes;
    EXPECT_EQ(bytes.size(), 1444 + 8 + 60 * 8u) << writes;
    ASSERT_TRUE(OpenDatabase(*db, path)) << writes;
    EXPECT_EQ(db->activeCount, 41u) << writes;
  }
}

// Every write of Create in turn fails: nothing stays open and no partial
// file stays behind. Past the last write, Create succeeds.
TEST_F(Failures, FailedCreateLeavesNothing) {
  std::string path = dir_.Path("c.vdr");
  long failures = 0;
  for (long writes = 0;; ++writes) {
    ASSERT_LT(writes, 200);
    Db db;
    std::snprintf(db->path, sizeof db->path, "%s", path.c_str());
    db->fieldCount = 2;
    platform::FailWritesAfter(writes);
    const int created = db->Create();
    platform::FailWritesAfter(-1);
    if (created == 1) {
      db->Close();
      EXPECT_EQ(ReadBytes(path).size(), 1444u + 5000u);
      break;
    }
    ++failures;
    EXPECT_EQ(created, 0) << writes;
    EXPECT_EQ(db->view, nullptr) << writes;
    EXPECT_EQ(db->fileHandle, platform::kNoFile) << writes;
    EXPECT_FALSE(platform::FileExists(path.c_str())) << writes;
  }
  EXPECT_GE(failures, 10);

  // The directory writes report their failure as well.
  Db db;
  std::snprintf(db->path, sizeof db->path, "%s", path.c_str());
  db->fieldCount = 1;
  ASSERT_EQ(db->Create(), 1);
  platform::FailWritesAfter(0);
  EXPECT_EQ(db->WriteFieldType(1, 11), 0);
  EXPECT_EQ(db->LayoutFields(), 0);
  platform::FailWritesAfter(-1);
}

TEST_F(Failures, OpeningAMissingFileFails) {
  Db db;
  std::string path = dir_.Path("missing.vdr");
  for (bool writable : {true, false}) {
    db->openOk = 1;
    EXPECT_FALSE(OpenDatabase(*db, path, writable));
    EXPECT_EQ(db->openOk, 0u);
    EXPECT_EQ(db->view, nullptr);
    EXPECT_EQ(db->fileHandle, platform::kNoFile);
    EXPECT_EQ(db->mappingHandle, nullptr);
  }
  // A database that was open is closed by the failed open.
  std::string good = dir_.Path("good.vdr");
  ASSERT_TRUE(CreateAndOpen(*db, good, {11}));
  std::snprintf(db->path, sizeof db->path, "%s", path.c_str());
  EXPECT_EQ(db->Open(), 0);
  EXPECT_EQ(db->view, nullptr);
  EXPECT_TRUE(platform::DeleteFileAt(good.c_str()));
}

}  // namespace
