// Slot allocation: the lowest free slot becomes active, after the record area
// grows when nearly full or is compacted and shrunk when mostly empty. Each
// case is checked against the described steps run on the file's bytes
// (tests/store_reference), down to the last byte of the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>

#include "store/database_file.h"
#include "store/store_inside.h"
#include "tests/store_reference.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

uint64_t FileSize(const std::string& path) { return ReadBytes(path).size(); }

TEST(Allocation, NewDatabaseTakesSlotZeroWithoutResizing) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("n.vdr");
  ASSERT_TRUE(CreateDatabase(*db, path, {12, 2}));
  const uint64_t created = FileSize(path);
  ASSERT_TRUE(OpenDatabase(*db, path));
  EXPECT_EQ(db->slotCount, 10u);
  EXPECT_EQ(db->AllocateSlot(), 0);
  EXPECT_EQ(db->activeCount, 1u);
  EXPECT_EQ(db->slotCount, 10u);
  db->Close();
  EXPECT_EQ(FileSize(path), created);
}

TEST(Allocation, TenSlotsWithOneInUseGrowByTen) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("g.vdr");
  ASSERT_TRUE(CreateAndOpen(*db, path, {12, 2}));
  SetText(*db, 0, 1, "kept");
  const uint64_t before = FileSize(path);
  EXPECT_EQ(db->AddRecord(), 1);
  EXPECT_EQ(db->slotCount, 20u);
  EXPECT_EQ(db->activeCount, 2u);
  EXPECT_EQ(GetText(*db, 0, 1), "kept");
  db->Close();
  auto bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), before + 10 * (4 + 64 + 4));
  EXPECT_EQ(WordAt(bytes, 1360), 20u);
}

// A file of `slots` slots in which `used` records stand either at the front
// or spread over the whole area, each record numbered in its field.
struct ResizeCase {
  const char* name;
  uint32_t slots;
  uint32_t used;
  bool scattered;
  uint32_t expectedSlots;
  int32_t expectedSlot;
};

std::vector<uint32_t> Layout(uint32_t slots, uint32_t used, bool scattered) {
  std::vector<uint32_t> statuses(slots, 0);
  for (uint32_t i = 0; i < used; ++i) {
    uint32_t at = scattered ? static_cast<uint32_t>(uint64_t{i} * slots / used) : i;
    statuses[at] = i % 9 == 4 ? 11 : 10;  // one in nine in use but not active
  }
  for (uint32_t s = 0; s < slots; ++s)
    if (statuses[s] == 0 && s % 3 == 1) statuses[s] = 5;
  if (statuses[0] != 10) statuses[0] = 10;  // at least one active record
  return statuses;
}

TEST(Allocation, GrowsAndShrinksAtTheThresholds) {
  const ResizeCase cases[] = {
      {"200 slots, 185 in use (92 %): 185 / 16 = 11 more", 200, 185, false, 211, 185},
      {"400 slots, 370 in use: 23 more", 400, 370, false, 423, 370},
      {"100 slots, 91 in use (91 %): at least 10 more", 100, 91, false, 110, 91},
      {"100 slots, 90 in use: 90 % and 10 free, no change", 100, 90, false, 100, 90},
      {"20 slots, 11 in use: 9 free", 20, 11, false, 30, 11},
      {"20 slots, 10 in use: 10 free, no change", 20, 10, false, 20, 10},
      {"120 slots, 60 scattered: compacted, 22 fewer", 120, 60, true, 98, 60},
      {"60 slots, 40 in use (66 %): 10 fewer", 60, 40, true, 50, 40},
      {"50 slots never shrink (nor compact)", 50, 10, true, 50, 1},
      {"51 slots, 21 in use: down to 41", 51, 21, true, 41, 21},
      {"101 slots, 50 in use: 101 * 3 / 16 = 18 fewer", 101, 50, true, 83, 50},
      {"100 slots, 50 in use: 10 fewer", 100, 50, true, 90, 50},
      {"100 slots, 69 in use: 10 fewer", 100, 69, true, 90, 69},
      {"100 slots, 70 in use (70 %): no change", 100, 70, false, 100, 70},
  };
  ScratchDir dir;
  std::string path = dir.Path("r.vdr");
  for (const auto& c : cases) {
    auto statuses = Layout(c.slots, c.used, c.scattered);
    ASSERT_TRUE(WriteDatabase(path, {2, 11}, c.slots, statuses,
                              [](uint32_t slot, uint8_t* f, uint32_t) { std::memcpy(f, &slot, 4); f[4] = 'x'; }))
        << c.name;
    auto image = reference::Image::FromBytes(ReadBytes(path));
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path)) << c.name;
    const int32_t slot = db->AllocateSlot();
    EXPECT_EQ(slot, c.expectedSlot) << c.name;
    EXPECT_EQ(db->slotCount, c.expectedSlots) << c.name;
    EXPECT_EQ(reference::Allocate(image, false), slot) << c.name;
    // Records keep their order whether or not they moved.
    std::vector<uint32_t> order;
    for (uint32_t s = 0; s < db->slotCount; ++s)
      if (StoreInside::RecStatAt(*db, s) > 9 && static_cast<int32_t>(s) != slot) order.push_back(GetNumber(*db, s, 1));
    EXPECT_EQ(order.size(), c.used) << c.name;
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << c.name;
    db->Close();
    auto bytes = ReadBytes(path);
    EXPECT_EQ(WordAt(bytes, 1360), c.expectedSlots) << c.name;
    EXPECT_EQ(bytes.size(), 1444 + 16 + uint64_t{c.expectedSlots} * (4 + 4 + 16)) << c.name;
    EXPECT_TRUE(bytes == image.bytes) << c.name;
  }
}

// Compaction before a shrink that runs out of budget leaves the area as it
// is: the records have moved as far as the budget allowed, and the lowest
// free slot is taken.
TEST(Allocation, NoShrinkWhenCompactionRunsOutOfBudget) {
  ScratchDir dir;
  std::string path = dir.Path("b.vdr");
  std::vector<uint32_t> statuses(3, 10);
  statuses.resize(1003, 0);
  statuses.resize(1603, 10);
  ASSERT_TRUE(WriteDatabase(path, {0}, 1700, statuses,
                            [](uint32_t slot, uint8_t* f, uint32_t) { f[0] = uint8_t(slot); }));
  auto image = reference::Image::FromBytes(ReadBytes(path));
  Db db;
  ASSERT_TRUE(OpenDatabase(*db, path));
  const int32_t slot = db->AllocateSlot();
  EXPECT_EQ(slot, reference::Allocate(image, false));
  EXPECT_EQ(db->slotCount, 1700u);
  EXPECT_EQ(db->activeCount, 604u);
  EXPECT_TRUE(ViewBytes(*db) == image.bytes);
}

struct LowestCase {
  std::vector<uint32_t> statuses;
  int32_t expected;
};

TEST(Allocation, LowestDeletedOrEmptySlotWins) {
  // 20 slots with few in use: no resize, so only the choice of slot shows.
  const LowestCase cases[] = {
      {{10, 0, 5}, 1},
      {{10, 5, 0}, 1},
      {{10, 10, 10, 5}, 3},
      {{10, 3, 11, 0}, 3},  // 3 and 11 are never reused
      {{10, 3, 3, 3, 11, 11, 5}, 6},
      {{5, 10}, 0},
  };
  ScratchDir dir;
  std::string path = dir.Path("l.vdr");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteDatabase(path, {11}, 20, c.statuses));
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path));
    EXPECT_EQ(db->AllocateSlot(), c.expected) << ::testing::PrintToString(c.statuses);
    EXPECT_EQ(db->slotCount, 20u);
    EXPECT_EQ(db->GetRecStat(c.expected), 10);
  }
}

TEST(Allocation, ElevenCountsAsInUseAndThreeAsFree) {
  ScratchDir dir;
  std::string path = dir.Path("e.vdr");
  // One active record and ten slots at 11: 11 in use, 9 free, so it grows.
  std::vector<uint32_t> elevens(11, 11);
  elevens[0] = 10;
  ASSERT_TRUE(WriteDatabase(path, {2}, 20, elevens));
  {
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, path));
    EXPECT_EQ(db->activeCount, 1u);
    EXPECT_EQ(db->CountInUse(), 11u);
    EXPECT_EQ(db->AllocateSlot(), 11);
    EXPECT_EQ(db->slotCount, 30u);
    EXPECT_EQ(db->activeCount, 2u);
  }
  // The same with 3: one slot in use, nothing grows, and the 3s are skipped.
  std::vector<uint32_t> threes(11, 3);
  threes[0] = 10;
  ASSERT_TRUE(WriteDatabase(path, {2}, 20, threes));
  Db db;
  ASSERT_TRUE(OpenDatabase(*db, path));
  EXPECT_EQ(db->CountInUse(), 1u);
  EXPECT_EQ(db->AllocateSlot(), 11);
  EXPECT_EQ(db->slotCount, 20u);
}

TEST(Allocation, DeletedSlotIsReusedWithItsFieldsCleared) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("d.vdr"), {11, 2, 0}));
  for (int32_t s = 1; s < 6; ++s) ASSERT_EQ(db->AddRecord(), s);
  for (int32_t s = 0; s < 6; ++s) {
    SetText(*db, s, 1, "rec" + std::to_string(s));
    SetNumber(*db, s, 2, 1000 + s);
    SetNumber(*db, s, 3, 200);
  }
  ASSERT_EQ(db->SetRecStat(3, kRecDeleted), 1);
  EXPECT_EQ(db->activeCount, 5u);
  EXPECT_EQ(db->AddRecord(), 3);
  EXPECT_EQ(db->GetRecStat(3), 10);
  EXPECT_EQ(GetText(*db, 3, 1), "");
  EXPECT_EQ(GetNumber(*db, 3, 2), 0u);
  EXPECT_EQ(GetNumber(*db, 3, 3), 0u);
  auto view = ViewBytes(*db);
  for (uint32_t i = 4; i < db->recordSize; ++i)
    EXPECT_EQ(view[db->recordAreaOffset + 3 * db->recordSize + i], 0) << i;
  EXPECT_EQ(GetText(*db, 4, 1), "rec4");
  EXPECT_EQ(GetNumber(*db, 4, 2), 1004u);

  // AllocateSlot alone only marks the slot; the Copy command fills it.
  ASSERT_EQ(db->SetRecStat(2, kRecDeleted), 1);
  EXPECT_EQ(db->AllocateSlot(), 2);
  EXPECT_EQ(GetText(*db, 2, 1), "rec2");
}

TEST(Allocation, RefusedWithoutAWritableDatabaseOrAFreeSlot) {
  ScratchDir dir;
  Db db;
  EXPECT_EQ(db->AllocateSlot(), -1);
  EXPECT_EQ(db->AddRecord(), -1);

  std::string path = dir.Path("f.vdr");
  ASSERT_TRUE(WriteDatabase(path, {2}, 10, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10}));
  auto before = ReadBytes(path);
  ASSERT_TRUE(OpenDatabase(*db, path, false));
  EXPECT_EQ(db->AllocateSlot(), -1);
  EXPECT_EQ(db->AddRecord(), -1);
  db->Close();
  EXPECT_EQ(ReadBytes(path), before);

  // No active record means no resize; with every slot in use there is no
  // free slot, and nothing changes.
  ASSERT_TRUE(WriteDatabase(path, {2}, 10, std::vector<uint32_t>(10, 11)));
  before = ReadBytes(path);
  ASSERT_TRUE(OpenDatabase(*db, path));
  EXPECT_EQ(db->AllocateSlot(), -1);
  EXPECT_EQ(db->slotCount, 10u);
  db->Close();
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(Allocation, HoldRecountLeavesActiveCountAlone) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(WriteDatabase(dir.Path("h.vdr"), {2}, 20, {10, 10}));
  ASSERT_TRUE(OpenDatabase(*db, dir.Path("h.vdr")));
  db->holdRecount = 1;
  EXPECT_EQ(db->AllocateSlot(), 2);
  EXPECT_EQ(db->activeCount, 2u);
  db->holdRecount = 0;
  EXPECT_EQ(db->CountActive(), 3u);
}

// The directory may place a field anywhere inside the file, even over the
// RecStat words; writing such a field changes statuses, and the counts and
// the choice of slot follow what the file holds.
TEST(Allocation, FieldPlacedOverTheStatusWords) {
  ScratchDir dir;
  std::string path = dir.Path("o.vdr");
  ASSERT_TRUE(WriteDatabase(path, {2, 2}, 20, {10, 10, 10}));
  auto bytes = ReadBytes(path);
  PutWord(bytes, 1444 + 8 + 4, 1444 + 16);  // field 2 over each slot's RecStat
  WriteBytes(path, bytes);
  Db db;
  ASSERT_TRUE(OpenDatabase(*db, path));
  ASSERT_EQ(db->AllocateSlot(), 3);
  SetNumber(*db, 1, 2, 0);   // slot 1 becomes empty
  SetNumber(*db, 7, 2, 10);  // slots 7 and 9 active
  SetNumber(*db, 9, 2, 10);
  SetNumber(*db, 8, 2, 11);  // and slot 8 in use
  EXPECT_EQ(db->GetRecStat(1), 0);
  EXPECT_EQ(db->CountActive(), 5u);
  EXPECT_EQ(db->CountInUse(), 6u);
  EXPECT_EQ(db->AllocateSlot(), 1);
  EXPECT_EQ(db->activeCount, 6u);
  EXPECT_EQ(db->NextActive(3), 7);
}

// 100000 records added one after the other land in slots 0, 1, 2, ... and
// the area grows exactly as the thresholds say, never more often.
TEST(Allocation, HundredThousandAddsInARow) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("big.vdr");
  ASSERT_TRUE(CreateDatabase(*db, path, {2}));
  uint64_t size = FileSize(path);
  ASSERT_TRUE(OpenDatabase(*db, path));
  const uint32_t r = 8, area = 1444 + 8;
  uint32_t slots = 10;
  int resizes = 0;
  for (uint32_t i = 0; i < 100000; ++i) {
    if (i > 0) {
      const uint32_t free = slots - i;
      const uint64_t percent = uint64_t{i} * 100 / slots;
      if (percent > 90 || free < 10) {
        const uint32_t k = std::max(10u, i / 16);
        slots += k;
        size += uint64_t{k} * r;
        ++resizes;
      } else if (percent < 70 && slots > 50) {
        slots -= slots > 100 ? slots * 3 / 16 : 10;
        size = area + uint64_t{slots} * r;
        ++resizes;
      }
    }
    const int32_t slot = db->AddRecord();
    ASSERT_EQ(slot, static_cast<int32_t>(i));
    ASSERT_EQ(db->slotCount, slots) << i;
    SetNumber(*db, slot, 1, i * 7);
  }
  EXPECT_EQ(db->activeCount, 100000u);
  EXPECT_GT(resizes, 50);
  EXPECT_LT(resizes, 200);
  db->Close();
  auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), size);
  EXPECT_EQ(WordAt(bytes, 1360), slots);
  for (uint32_t s = 0; s < slots; ++s) {
    ASSERT_EQ(WordAt(bytes, area + s * r), s < 100000 ? 10u : 0u) << s;
    ASSERT_EQ(WordAt(bytes, area + s * r + 4), s < 100000 ? s * 7 : 0u) << s;
  }
}

// Room reserved ahead of many adds changes nothing but the speed: the same
// slots and, once closed, the same file as the adds made one at a time,
// also when fewer adds come than were reserved for or the file shrinks
// first; a reservation that cannot be written leaves the file as it was.
TEST(Allocation, ReservedRoomLeavesTheSameFile) {
  struct Case {
    const char* name;
    uint32_t slots, used;  // 0 slots: a database as New makes it
    bool scattered;
    uint32_t reserve, adds;
  } cases[] = {
      {"new database, 5000 adds", 0, 0, false, 5000, 5000},
      {"fewer adds than reserved for", 0, 0, false, 5000, 1200},
      {"nearly full, 1000 adds", 200, 185, false, 1000, 1000},
      {"mostly empty: shrinks first", 120, 40, true, 300, 300},
      {"no room asked for", 100, 50, false, 0, 30},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    std::vector<int32_t> slots[2];
    std::vector<uint8_t> files[2];
    for (int reserved = 0; reserved < 2; ++reserved) {
      const std::string path = dir.Path(reserved ? "reserved.vdr" : "stepwise.vdr");
      Db db;
      if (c.slots == 0) {
        ASSERT_TRUE(CreateAndOpen(*db, path, {2, 11})) << c.name;
      } else {
        ASSERT_TRUE(WriteDatabase(path, {2, 11}, c.slots, Layout(c.slots, c.used, c.scattered))) << c.name;
        ASSERT_TRUE(OpenDatabase(*db, path)) << c.name;
      }
      if (reserved) {
        ASSERT_EQ(db->ReserveForAdds(c.reserve), 1) << c.name;
      }
      for (uint32_t i = 0; i < c.adds; ++i) {
        slots[reserved].push_back(db->AddRecord());
        SetNumber(*db, slots[reserved].back(), 1, i + 1);
      }
      db->Close();
      files[reserved] = ReadBytes(path);
    }
    EXPECT_EQ(slots[1], slots[0]) << c.name;
    EXPECT_TRUE(files[1] == files[0]) << c.name << ": " << files[1].size() << " bytes, not "
                                      << files[0].size();
  }

  const std::string path = dir.Path("full-disk.vdr");
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, path, {2, 11}));
  const auto before = ViewBytes(*db);
  platform::FailWritesAfter(0);
  EXPECT_EQ(db->ReserveForAdds(100000), 0);
  platform::FailWritesAfter(-1);
  EXPECT_TRUE(ViewBytes(*db) == before);
  EXPECT_EQ(db->AddRecord(), 1);
}

// Adds, deletes and stray status values in random phases (filling up,
// thinning out), against the described allocation run on the file's bytes:
// the same slot every time and the same file after every step.
TEST(Allocation, MatchesTheDescribedStepsUnderRandomAddsAndDeletes) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("m.vdr");
  ASSERT_TRUE(CreateDatabase(*db, path, {2, 10}));
  ASSERT_TRUE(OpenDatabase(*db, path));
  auto image = reference::Image::FromBytes(ReadBytes(path));
  std::mt19937 rng(77);
  uint32_t nextId = 1, adds = 0, shrinks = 0, grows = 0;
  auto inUse = [&] {
    std::vector<int32_t> slots;
    for (uint32_t s = 0; s < image.slotCount; ++s)
      if (image.Status(s) > 9) slots.push_back(static_cast<int32_t>(s));
    return slots;
  };
  for (int phase = 0; adds < 3000; ++phase) {
    const bool thinning = phase % 2 == 1;
    const int steps = 150 + static_cast<int>(rng() % 300);
    for (int step = 0; step < steps && adds < 3000; ++step) {
      const uint32_t roll = rng() % 100;
      auto used = inUse();
      if (roll < (thinning ? 70u : 15u) && !used.empty()) {
        const int32_t s = used[rng() % used.size()];
        ASSERT_EQ(db->SetRecStat(s, kRecDeleted), 1);
        image.SetStatus(static_cast<uint32_t>(s), kRecDeleted);
      } else if (roll < (thinning ? 73u : 17u) && image.slotCount > 0) {
        const int32_t s = static_cast<int32_t>(rng() % image.slotCount);
        const uint32_t odd = rng() % 2 ? 11 : 3;
        ASSERT_EQ(db->SetRecStat(s, odd), 1);
        image.SetStatus(static_cast<uint32_t>(s), odd);
      } else {
        const bool clear = rng() % 4 != 0;
        const uint32_t slotsBefore = image.slotCount;
        const int32_t expected = reference::Allocate(image, clear);
        const int32_t got = clear ? db->AddRecord() : db->AllocateSlot();
        ASSERT_EQ(got, expected) << "add " << adds;
        ASSERT_EQ(db->slotCount, image.slotCount) << "add " << adds;
        grows += image.slotCount > slotsBefore;
        shrinks += image.slotCount < slotsBefore;
        ++adds;
        if (got >= 0) {
          SetNumber(*db, got, 1, nextId);
          std::memcpy(image.Field(static_cast<uint32_t>(got), 1), &nextId, 4);
          ++nextId;
        }
      }
      ASSERT_EQ(db->activeCount, image.CountActive());
      ASSERT_TRUE(ViewBytes(*db) == image.bytes) << "after add " << adds;
    }
  }
  EXPECT_GT(grows, 5u);
  EXPECT_GT(shrinks, 5u);
  db->Close();
  EXPECT_TRUE(ReadBytes(path) == image.bytes);
}

// What the store answers from its sets of slots, against a walk of the
// described file's RecStat words: record numbers both ways, and the steps.
void ExpectNumbersOfTheWalk(DatabaseFile& db, reference::Image& image, int step) {
  int32_t count = 0, previous = -1;
  for (uint32_t s = 0; s < image.slotCount; ++s) {
    const int32_t slot = static_cast<int32_t>(s);
    const bool active = image.Status(s) == kRecActive;
    count += active;
    ASSERT_EQ(db.RecordNumberOf(slot), active ? count : -1) << "step " << step << ", slot " << s;
    if (active) {
      ASSERT_EQ(db.SlotOfRecordNumber(static_cast<uint32_t>(count)), slot) << "step " << step;
    }
    ASSERT_EQ(db.PreviousActive(slot), previous < 0 ? slot : previous) << "step " << step << ", slot " << s;
    if (active) previous = slot;
  }
  ASSERT_EQ(db.SlotOfRecordNumber(static_cast<uint32_t>(count) + 1), -1) << "step " << step;
  int32_t next = -1;
  for (int32_t s = static_cast<int32_t>(image.slotCount) - 1; s >= -1; --s) {
    ASSERT_EQ(db.NextActive(s), next < 0 ? s : next) << "step " << step << ", slot " << s;
    if (s >= 0 && image.Status(static_cast<uint32_t>(s)) == kRecActive) next = s;
    ASSERT_EQ(db.FindRecStat(kRecActive, s), next) << "step " << step << ", slot " << s;
  }
}

// Adds, copies' allocations, deletes, stray statuses, sorts, compactions and
// room reserved ahead, in phases that fill the area and thin it out (so it
// grows and shrinks), against the described steps on the file's bytes: the
// same slot for every new record, the same bytes, and after every step the
// record numbers and steps of a walk. The file holds statuses past its last
// slot, which the first growths take in as slots.
TEST(Allocation, RecordNumbersAndFreeSlotsFollowEveryChange) {
  ScratchDir dir;
  Db db;
  const std::string path = dir.Path("i.vdr");
  ASSERT_TRUE(CreateDatabase(*db, path, {2, 2}));
  std::mt19937 rng(2027);
  auto bytes = ReadBytes(path);
  for (size_t at = 1444 + 16 + 10 * 12; at + 12 <= bytes.size(); at += 12)
    PutWord(bytes, at, std::array<uint32_t, 5>{0, 5, 10, 11, 3}[rng() % 5]);
  WriteBytes(path, bytes);
  ASSERT_TRUE(OpenDatabase(*db, path));
  auto image = reference::Image::FromBytes(ReadBytes(path));
  uint32_t nextId = 1, sorts = 0, shrinks = 0, reserved = 0;
  for (int step = 0; step < 6000; ++step) {
    const bool thinning = step / 500 % 2 == 1;
    const uint32_t roll = rng() % 100;
    const uint32_t deletes = thinning ? 70 : 12;
    if (roll < deletes && image.CountActive() > 0) {
      const int32_t s = db->SlotOfRecordNumber(1 + rng() % image.CountActive());
      ASSERT_EQ(db->SetRecStat(s, kRecDeleted), 1);
      image.SetStatus(static_cast<uint32_t>(s), kRecDeleted);
    } else if (roll < deletes + 3 && image.slotCount > 0) {
      const int32_t s = static_cast<int32_t>(rng() % image.slotCount);
      const uint32_t odd = std::array<uint32_t, 4>{3, 11, 10, 0}[rng() % 4];
      ASSERT_EQ(db->SetRecStat(s, odd), 1);
      image.SetStatus(static_cast<uint32_t>(s), odd);
    } else if (roll < deletes + 5) {
      const uint32_t field = 1 + rng() % 2;
      ASSERT_EQ(db->SortByField(field), reference::Sort(image, field)) << "step " << step;
      ++sorts;
    } else if (roll < deletes + 7) {
      ASSERT_EQ(db->Compact(), reference::CompactQuick(image)) << "step " << step;
    } else if (roll < deletes + 8) {
      ASSERT_EQ(db->ReserveForAdds(rng() % 400), 1);
      ++reserved;
    } else {
      const bool clear = rng() % 4 != 0;
      const uint32_t slotsBefore = image.slotCount;
      const int32_t expected = reference::Allocate(image, clear);
      ASSERT_EQ(clear ? db->AddRecord() : db->AllocateSlot(), expected) << "step " << step;
      shrinks += image.slotCount < slotsBefore;
      if (expected >= 0) {
        const uint32_t values[2] = {nextId++, static_cast<uint32_t>(rng() % 500)};
        for (uint32_t f = 1; f <= 2; ++f) {
          SetNumber(*db, expected, f, values[f - 1]);
          std::memcpy(image.Field(static_cast<uint32_t>(expected), f), &values[f - 1], 4);
        }
      }
    }
    ASSERT_EQ(db->slotCount, image.slotCount) << "step " << step;
    ASSERT_EQ(db->activeCount, image.CountActive()) << "step " << step;
    ASSERT_EQ(db->CountInUse(), image.CountInUse()) << "step " << step;
    // Room reserved ahead lies past the described file's end.
    const auto view = ViewBytes(*db);
    ASSERT_GE(view.size(), image.bytes.size());
    ASSERT_TRUE(std::equal(image.bytes.begin(), image.bytes.end(), view.begin())) << "step " << step;
    ExpectNumbersOfTheWalk(*db, image, step);
  }
  EXPECT_GT(sorts, 50u);
  EXPECT_GT(shrinks, 5u);
  EXPECT_GT(reserved, 20u);
  db->Close();
  EXPECT_TRUE(ReadBytes(path) == image.bytes);
}

}  // namespace

namespace {

// A copy duplicates the record the user chose, even when the allocation
// compacts the records and moves it, or reuses a free slot in front of it.
TEST(Allocation, DuplicateFollowsTheSourceRecord) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("dup.vdr"), {12}));
  // 120 slots, 60 active records scattered over every other slot: the next
  // allocation compacts them (record 40 moves from slot 78 to 39) and shrinks.
  std::vector<uint32_t> statuses(120, kRecDeleted);
  for (size_t s = 0; s < 120; s += 2) statuses[s] = kRecActive;
  SetStatuses(*db, statuses);
  for (int32_t s = 0; s < 120; s += 2) SetText(*db, s, 1, "record " + std::to_string(s / 2 + 1));
  const int32_t copy = db->DuplicateRecord(78);
  ASSERT_EQ(copy, 60);
  EXPECT_EQ(db->slotCount, 98u);
  EXPECT_EQ(GetText(*db, copy, 1), "record 40");
  EXPECT_EQ(GetText(*db, 39, 1), "record 40");

  // A deleted slot in front of the source is reused (the file grows, nothing
  // moves): record numbers after it shift by one, and the copy still takes
  // the chosen record.
  Db small;
  ASSERT_TRUE(CreateAndOpen(*small, dir.Path("front.vdr"), {12}));
  std::vector<uint32_t> front(20, kRecEmpty);
  for (size_t s = 0; s < 15; ++s) front[s] = s == 3 ? kRecDeleted : kRecActive;
  SetStatuses(*small, front);
  for (int32_t s = 0; s < 15; ++s) SetText(*small, s, 1, "row " + std::to_string(s));
  const int32_t again = small->DuplicateRecord(10);
  EXPECT_EQ(again, 3);
  EXPECT_EQ(small->slotCount, 30u);
  EXPECT_EQ(GetText(*small, again, 1), "row 10");
  EXPECT_EQ(GetText(*small, 10, 1), "row 10");
  EXPECT_EQ(small->DuplicateRecord(200), -1);  // no such slot
  small->SetRecStat(7, kRecDeleted);
  EXPECT_EQ(small->DuplicateRecord(7), -1);  // not an active record
}

}  // namespace
