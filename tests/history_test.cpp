// The history of changes: random steps of every kind on small and growing
// stores, mixed with Undo and Redo, each checked against snapshots of the
// records taken as the steps were made; and the history's memory bound.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/history.h"
#include "store/database_file.h"
#include "store/text.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

// What the records are: every slot's status, the bytes of the slots in use,
// the slot count and the long name. Bytes of free slots mean nothing.
struct Snapshot {
  uint32_t slotCount = 0;
  std::vector<uint32_t> statuses;
  std::vector<std::vector<uint8_t>> records;
  std::string name;
  bool operator==(const Snapshot& other) const {
    return slotCount == other.slotCount && statuses == other.statuses && records == other.records &&
           name == other.name;
  }
};

Snapshot Take(DatabaseFile& db) {
  Snapshot snapshot;
  snapshot.slotCount = db.slotCount;
  for (uint32_t s = 0; s < db.slotCount; ++s) {
    const uint8_t* bytes = db.SlotBytes(static_cast<int32_t>(s));
    uint32_t status;
    std::memcpy(&status, bytes, 4);
    snapshot.statuses.push_back(status);
    if (IsInUse(status)) snapshot.records.emplace_back(bytes, bytes + db.recordSize);
  }
  db.ReadLongName();
  snapshot.name = db.textValue;
  return snapshot;
}

// Text 64, number 32, text 16, number 8, text 300.
const std::vector<uint32_t> kTypes = {12, 2, 11, 0, 13};

class Steps {
 public:
  Steps(DatabaseFile& db, History& history, uint32_t seed) : db_(db), history_(history), random_(seed) {}

  uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(random_() % n); }

  int32_t AnyActive() {
    if (db_.activeCount == 0) return -1;
    return db_.SlotOfRecordNumber(1 + Below(db_.activeCount));
  }

  void WriteRandom(int32_t slot, uint32_t field) {
    if (IsNumberType(kTypes[field - 1])) {
      db_.numberValue = Below(4) == 0 ? 0 : static_cast<uint32_t>(random_());
    } else {
      std::string text;
      const uint32_t length = Below(4) == 0 ? 0 : 1 + Below(Below(3) == 0 ? 200 : 12);
      for (uint32_t i = 0; i < length; ++i) text += static_cast<char>('a' + Below(26));
      CopyText(text.c_str(), db_.textValue, sizeof db_.textValue);
    }
    db_.WriteField(slot, field);
  }

  // One step of a random kind; false when it was taken back at its end (a
  // failed import).
  bool Make(std::string* what) {
    const uint32_t kind = Below(db_.activeCount < 3 ? 3 : 10);
    int32_t touched = -1;
    bool keep = true;
    switch (kind) {
      case 0:
      case 1: {
        *what = "add";
        history_.Begin(StepKind::kAdd);
        touched = db_.AddRecord();
        if (touched >= 0 && Below(2) == 0) WriteRandom(touched, 1 + Below(5));
        break;
      }
      case 2:
      case 3: {
        *what = "import";
        history_.Begin(StepKind::kImport);
        const uint32_t count = 1 + Below(Below(4) == 0 ? 60 : 6);
        if (Below(2) == 0) db_.ReserveForAdds(count);
        for (uint32_t i = 0; i < count; ++i) {
          const int32_t slot = db_.AddRecord();
          if (slot < 0) break;
          for (uint32_t f = 1; f <= 5; ++f)
            if (Below(3) != 0) WriteRandom(slot, f);
        }
        keep = Below(5) != 0;
        break;
      }
      case 4: {
        *what = "copy";
        history_.Begin(StepKind::kCopy);
        touched = db_.DuplicateRecord(AnyActive());
        break;
      }
      case 5:
      case 6: {
        *what = "delete";
        history_.Begin(StepKind::kDelete);
        touched = AnyActive();
        db_.SetRecStat(touched, Below(8) == 0 ? 11u : static_cast<uint32_t>(kRecDeleted));
        break;
      }
      case 7: {
        *what = "edit";
        history_.Begin(StepKind::kEdit);
        touched = AnyActive();
        WriteRandom(touched, 1 + Below(5));
        break;
      }
      case 8: {
        *what = "sort";
        history_.Begin(StepKind::kSort);
        db_.SortByField(1 + Below(5));
        break;
      }
      default: {
        *what = "rename";
        history_.Begin(StepKind::kRename);
        db_.SetLongName(("name " + std::to_string(random_())).c_str());
        break;
      }
    }
    history_.End(keep, touched);
    return keep;
  }

 private:
  DatabaseFile& db_;
  History& history_;
  std::mt19937 random_;
};

// After any number of Undos the records read as they did before the steps
// taken back, and Redo brings back each later state; a step taken back at
// its end leaves nothing behind. Steps run on a store that grows past its
// first slots and shrinks again, with compactions along the way.
TEST(History, UndoAndRedoGiveBackEveryEarlierState) {
  ScratchDir dir;
  // Fewer under Wine, where every file operation costs more.
#ifdef _WIN32
  const uint32_t kSequences = 150;
#else
  const uint32_t kSequences = 1500;
#endif
  for (uint32_t seed = 1; seed <= kSequences; ++seed) {
    Db db;
    const std::string path = dir.Path("h" + std::to_string(seed % 4) + ".vdr");
    ASSERT_TRUE(CreateAndOpen(*db, path, kTypes));
    History history;
    history.Attach(&*db);
    Steps steps(*db, history, seed);
    std::vector<Snapshot> done = {Take(*db)};  // the state after each step kept
    std::vector<Snapshot> undone;
    int64_t saved = 0;  // the state saved, as an index into done; -1 none
    const uint32_t count = seed % 10 == 0 ? 400 : 60;
    for (uint32_t i = 0; i < count; ++i) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(i));
      const uint32_t choice = steps.Below(100);
      int32_t touched;
      if (choice < 20 && history.CanUndo()) {
        ASSERT_TRUE(history.Undo(&touched));
        undone.push_back(done.back());
        done.pop_back();
        ASSERT_TRUE(Take(*db) == done.back()) << "undo";
      } else if (choice < 30 && history.CanRedo()) {
        ASSERT_TRUE(history.Redo(&touched));
        done.push_back(undone.back());
        undone.pop_back();
        ASSERT_TRUE(Take(*db) == done.back()) << "redo";
      } else if (choice < 33) {
        history.SetSavePoint();
        saved = static_cast<int64_t>(done.size()) - 1;
      } else {
        std::string what;
        if (steps.Make(&what)) {
          done.push_back(Take(*db));
          if (saved >= static_cast<int64_t>(done.size()) - 1) saved = -1;
          undone.clear();
          ASSERT_FALSE(history.CanRedo());
        } else {
          ASSERT_TRUE(Take(*db) == done.back()) << what << " taken back";
        }
        ASSERT_EQ(history.CanRedo(), !undone.empty());
      }
      ASSERT_EQ(history.CanUndo(), done.size() > 1);
      ASSERT_EQ(history.AtSavePoint(), saved == static_cast<int64_t>(done.size()) - 1);
      ASSERT_EQ(db->activeCount, db->CountActive());
    }
    // Everything taken back, in one go, gives the start.
    int32_t touched;
    while (history.Undo(&touched)) done.pop_back();
    ASSERT_EQ(done.size(), 1u) << "seed " << seed;
    ASSERT_TRUE(Take(*db) == done.back()) << "seed " << seed;
  }
}

// Many edits of long texts: the history never holds more than its budget,
// dropping the oldest steps whole; those it keeps still take back exactly.
TEST(History, StaysWithinItsBudgetByDroppingTheOldestSteps) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("b.vdr"), {15}));
  History history;
  history.Attach(&*db);
  history.SetFixedBudget(64 * 1024);
  std::vector<Snapshot> states = {Take(*db)};
  for (int i = 0; i < 200; ++i) {
    history.Begin(StepKind::kEdit);
    std::string text(4000 + i, static_cast<char>('a' + i % 26));
    for (size_t k = 0; k < text.size(); k += 7) text[k] = static_cast<char>('0' + (i + k) % 10);
    SetText(*db, 0, 1, text);
    history.End(true, 0);
    states.push_back(Take(*db));
    ASSERT_LE(history.Bytes(), history.Budget());
  }
  int undone = 0;
  int32_t touched;
  while (history.Undo(&touched)) {
    ++undone;
    ASSERT_TRUE(Take(*db) == states[states.size() - 1 - undone]);
    ASSERT_EQ(touched, 0);
  }
  EXPECT_GT(undone, 3);
  EXPECT_LT(undone, 200);
}

// A step larger than the whole budget is done, and the history before it is
// dropped with it: nothing is left to take back, not even part of it.
TEST(History, AStepLargerThanTheBudgetIsDoneAndDropsTheHistory) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("l.vdr"), {13}));
  History history;
  history.Attach(&*db);
  history.SetFixedBudget(16 * 1024);
  history.Begin(StepKind::kAdd);
  ASSERT_GE(db->AddRecord(), 0);
  history.End(true, 1);
  ASSERT_TRUE(history.CanUndo());
  history.Begin(StepKind::kImport);
  for (int i = 0; i < 200; ++i) SetText(*db, db->AddRecord(), 1, std::string(250, 'x'));
  history.End(true, -1);
  EXPECT_EQ(db->activeCount, 202u);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_LE(history.Bytes(), history.Budget());
}

}  // namespace
