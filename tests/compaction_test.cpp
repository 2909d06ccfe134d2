// Compaction: in-use records walk toward slot 0 one slot per move, within a
// budget of moves. The store computes the result without the walk; these
// tests compare whole files with the walk itself (tests/store_reference).
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "store/database_file.h"
#include "tests/store_reference.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

// Field layouts small enough to make many files quickly, from 4-byte slots
// (no fields) to a few hundred bytes.
const std::vector<std::vector<uint32_t>> kLayouts = {
    {}, {0}, {10, 1}, {2, 11}, {12, 0, 3}, {13},
};

uint32_t RandomStatus(std::mt19937& rng) {
  // Mostly free and active slots, some of the values only other programs
  // write: 3 is free, 11 is in use without being active.
  static const uint32_t kStatuses[] = {0, 0, 5, 5, 10, 10, 10, 10, 11, 3};
  return kStatuses[rng() % 10];
}

SlotFiller RandomBytes(std::mt19937& rng) {
  return [&rng](uint32_t, uint8_t* fields, uint32_t size) {
    for (uint32_t i = 0; i < size; ++i) fields[i] = static_cast<uint8_t>(rng());
  };
}

TEST(Compaction, RecordBehindTwoFreeSlotsTakesTwoMoves) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("c.vdr");
  ASSERT_TRUE(WriteDatabase(path, {11, 2}, 10, {10, 0, 5, 10}));
  ASSERT_TRUE(OpenDatabase(*db, path));
  SetText(*db, 0, 1, "first");
  SetText(*db, 3, 1, "second");
  SetNumber(*db, 3, 2, 77);

  EXPECT_EQ(db->Compact(), store::kCompactBudget - 2);
  EXPECT_EQ(Statuses(*db), (std::vector<uint32_t>{10, 10, 5, 5, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(GetText(*db, 0, 1), "first");
  EXPECT_EQ(GetText(*db, 1, 1), "second");
  EXPECT_EQ(GetNumber(*db, 1, 2), 77u);
  // The vacated slots keep stale copies of the record that walked through.
  EXPECT_EQ(GetText(*db, 2, 1), "second");
  EXPECT_EQ(GetText(*db, 3, 1), "second");
  EXPECT_EQ(db->activeCount, 2u);

  // Nothing left to move: the whole budget comes back and nothing changes.
  auto before = ViewBytes(*db);
  EXPECT_EQ(db->Compact(), store::kCompactBudget);
  EXPECT_EQ(ViewBytes(*db), before);
}

TEST(Compaction, KeepsOrderStatusesAndCounts) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("c.vdr");
  // 11 is in use and moves like an active record, keeping its value; 3 is
  // a free slot like 0 and 5.
  ASSERT_TRUE(WriteDatabase(path, {2}, 12, {3, 10, 0, 11, 5, 10, 0, 0, 10}));
  ASSERT_TRUE(OpenDatabase(*db, path));
  const uint32_t ids[] = {0, 101, 0, 103, 0, 105, 0, 0, 108};
  for (uint32_t s = 0; s < 9; ++s)
    if (ids[s]) SetNumber(*db, static_cast<int32_t>(s), 1, ids[s]);
  db->holdRecount = 0;

  // Moves: 101 one, 103 two, 105 three, 108 five.
  EXPECT_EQ(db->Compact(), store::kCompactBudget - 11);
  auto statuses = Statuses(*db);
  EXPECT_EQ(std::vector<uint32_t>(statuses.begin(), statuses.begin() + 4),
            (std::vector<uint32_t>{10, 11, 10, 10}));
  for (uint32_t s = 4; s < 12; ++s) EXPECT_LT(statuses[s], 10u) << s;
  EXPECT_EQ(GetNumber(*db, 0, 1), 101u);
  EXPECT_EQ(GetNumber(*db, 1, 1), 103u);
  EXPECT_EQ(GetNumber(*db, 2, 1), 105u);
  EXPECT_EQ(GetNumber(*db, 3, 1), 108u);
  EXPECT_EQ(db->activeCount, 3u);
  EXPECT_EQ(db->CountInUse(), 4u);
  EXPECT_EQ(db->holdRecount, 0u);  // restored

  db->holdRecount = 1;
  db->Compact();
  EXPECT_EQ(db->holdRecount, 1u);
}

TEST(Compaction, NothingMovesWithoutAnActiveRecord) {
  ScratchDir dir;
  Db db;
  EXPECT_EQ(db->Compact(), store::kCompactBudget);  // no database at all

  std::string path = dir.Path("c.vdr");
  ASSERT_TRUE(WriteDatabase(path, {2}, 10, {0, 11, 5, 11}));
  ASSERT_TRUE(OpenDatabase(*db, path));
  ASSERT_EQ(db->activeCount, 0u);
  auto before = ViewBytes(*db);
  EXPECT_EQ(db->Compact(), store::kCompactBudget);
  EXPECT_EQ(ViewBytes(*db), before);
}

// A database open for reading only cannot move anything; the result still
// says whether its records stand at the front.
TEST(Compaction, ReadOnlyDatabaseIsLeftAlone) {
  ScratchDir dir;
  std::string path = dir.Path("ro.vdr");
  struct Case {
    std::vector<uint32_t> statuses;
    int32_t result;
  };
  const Case cases[] = {
      {{10, 0, 10}, 0},
      {{0, 11, 10}, 0},
      {{10, 11, 10, 5, 0}, store::kCompactBudget},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteDatabase(path, {2}, 10, c.statuses));
    const auto before = ReadBytes(path);
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path, false));
    EXPECT_EQ(db->Compact(), c.result) << ::testing::PrintToString(c.statuses);
    db->Close();
    EXPECT_EQ(ReadBytes(path), before);
  }
}

TEST(Compaction, WholeFileMatchesTheWalkOnRandomDatabases) {
  ScratchDir dir;
  std::mt19937 rng(20240611);
  std::string path = dir.Path("r.vdr");
  for (int round = 0; round < 400; ++round) {
    const auto& types = kLayouts[rng() % kLayouts.size()];
    const uint32_t slots = rng() % 70;
    std::vector<uint32_t> statuses(slots);
    for (auto& s : statuses) s = RandomStatus(rng);
    ASSERT_TRUE(WriteDatabase(path, types, slots, statuses, RandomBytes(rng)));

    auto image = reference::Image::FromBytes(ReadBytes(path));
    auto quick = image;
    const int32_t expected = reference::Compact(image);
    // The quick walk used by the allocation tests makes the same moves.
    ASSERT_EQ(reference::CompactQuick(quick), expected) << round;
    ASSERT_EQ(quick.bytes, image.bytes) << round;

    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path)) << round;
    ASSERT_EQ(db->Compact(), expected) << round;
    EXPECT_EQ(db->activeCount, image.CountActive()) << round;
    EXPECT_EQ(db->CountInUse(), image.CountInUse()) << round;
    db->Close();
    ASSERT_EQ(ReadBytes(path), image.bytes) << "round " << round << ", " << slots << " slots";
  }
}

// A file that needs more moves than the budget: 1000 free slots, then 600
// records, each of which has to walk 1000 slots. The budget runs out in the
// 500th record's walk; the next call goes on from there and finishes.
TEST(Compaction, BudgetRunsOutLikeTheWalk) {
  ScratchDir dir;
  std::string path = dir.Path("b.vdr");
  std::vector<uint32_t> statuses;
  for (int i = 0; i < 3; ++i) statuses.push_back(10);
  for (int i = 0; i < 1000; ++i) statuses.push_back(i % 3 == 0 ? 5 : 0);
  for (int i = 0; i < 600; ++i) statuses.push_back(i % 7 == 0 ? 11 : 10);
  const uint32_t slots = static_cast<uint32_t>(statuses.size()) + 20;
  ASSERT_TRUE(WriteDatabase(path, {0, 1}, slots, statuses, [](uint32_t slot, uint8_t* f, uint32_t) {
    f[0] = static_cast<uint8_t>(slot);
    f[1] = static_cast<uint8_t>(slot >> 8);
    f[2] = static_cast<uint8_t>(slot * 7);
  }));
  auto image = reference::Image::FromBytes(ReadBytes(path));

  Db db;
  ASSERT_TRUE(OpenDatabase(*db, path));
  ASSERT_EQ(reference::Compact(image), 0);
  EXPECT_EQ(db->Compact(), 0);
  EXPECT_EQ(db->activeCount, image.CountActive());
  EXPECT_EQ(ViewBytes(*db), image.bytes);

  // 600 * 1000 moves in all: the second call needs 100000 of its budget.
  ASSERT_EQ(reference::Compact(image), reference::kBudget - 100000);
  EXPECT_EQ(db->Compact(), store::kCompactBudget - 100000);
  db->Close();
  EXPECT_EQ(ReadBytes(path), image.bytes);
}

}  // namespace
