#include "core/history.h"

#include <cstring>

History history;

namespace {

constexpr uint32_t kNameSize = store::kLongNameSize;

void PutU32(std::vector<uint8_t>* out, uint32_t value) {
  const size_t at = out->size();
  out->resize(at + 4);
  std::memcpy(out->data() + at, &value, 4);
}

uint32_t GetU32(const uint8_t* p) {
  uint32_t value;
  std::memcpy(&value, p, 4);
  return value;
}

void PutCount(std::vector<uint8_t>* out, size_t value) {
  while (value >= 0x80) {
    out->push_back(static_cast<uint8_t>(value | 0x80));
    value >>= 7;
  }
  out->push_back(static_cast<uint8_t>(value));
}

size_t GetCount(const uint8_t** p) {
  size_t value = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t byte = *(*p)++;
    value |= static_cast<size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return value;
  }
}

// Record bytes are mostly zeros (the ends of text fields): kept as runs of
// zeros and of other bytes, each run's length first.
void Pack(const uint8_t* bytes, size_t length, std::vector<uint8_t>* out) {
  size_t i = 0;
  while (i < length) {
    size_t zeros = 0;
    while (i + zeros < length && bytes[i + zeros] == 0) ++zeros;
    // Other bytes up to a run of four zeros or the end; shorter runs of
    // zeros cost less kept among them.
    size_t j = i + zeros;
    while (j < length) {
      if (bytes[j] != 0) {
        ++j;
        continue;
      }
      size_t k = j;
      while (k < length && bytes[k] == 0 && k - j < 4) ++k;
      if (k - j >= 4 || k == length) break;
      j = k;
    }
    PutCount(out, zeros);
    PutCount(out, j - i - zeros);
    out->insert(out->end(), bytes + i + zeros, bytes + j);
    i = j;
  }
}

void Unpack(const uint8_t* packed, uint8_t* bytes, size_t length) {
  size_t i = 0;
  while (i < length) {
    const size_t zeros = GetCount(&packed);
    const size_t others = GetCount(&packed);
    std::memset(bytes + i, 0, zeros);
    std::memcpy(bytes + i + zeros, packed, others);
    packed += others;
    i += zeros + others;
  }
}

}  // namespace

const char* StepName(StepKind kind) {
  switch (kind) {
    case StepKind::kAdd: return "Add";
    case StepKind::kCopy: return "Copy";
    case StepKind::kDelete: return "Delete";
    case StepKind::kEdit: return "Edit";
    case StepKind::kSort: return "Sort";
    case StepKind::kImport: return "Import";
    case StepKind::kRename: return "Rename";
  }
  return "";
}

struct History::Op {
  enum Type : uint8_t { kStatus, kBytes, kCopy, kName, kCount, kCompaction, kPermutation, kImage };
  Type type;
  // kStatus, kBytes, kImage: the slot; kCopy: the target; kCount: the count
  // before; kCompaction, kPermutation: the first slot.
  uint32_t slot;
  // kStatus, kCopy: the status before; kBytes: the offset in the slot;
  // kCount: the count after; kCompaction: the end of its slots;
  // kPermutation: how many slots.
  uint32_t a;
  // kStatus: the status after; kBytes: the length; kCopy: the source;
  // kCompaction: the records moved.
  uint32_t b;
  // The op's data in the step's data: from `at`, the first `split` bytes
  // its state before (kBytes, and the record kept by kStatus or kCopy),
  // then its state after.
  uint64_t at;
  uint32_t split;
};

struct History::Step {
  StepKind kind;
  int32_t touched = -1;
  std::vector<Op> ops;
  std::vector<uint8_t> data;
  bool failed = false;    // a change that cannot be taken back was made
  bool tooLarge = false;  // keeps only what taking it back needs
  bool layout = false;    // added, deleted or moved records
  size_t Bytes() const { return sizeof(Step) + ops.capacity() * sizeof(Op) + data.capacity(); }
};

History::History() = default;
History::~History() = default;

size_t History::Budget() const {
  const size_t records = db_ != nullptr && db_->view != nullptr ? db_->activeCount : 0;
  return fixedBudget_ + kBytesPerRecord * records;
}

void History::Attach(DatabaseFile* db, bool saved) {
  if (db_ != nullptr && db_->journal == this) db_->journal = nullptr;
  db_ = db;
  Clear();
  savePoint_ = saved ? 0 : -1;
  if (db_ != nullptr) db_->journal = this;
}

void History::Clear() {
  undo_.clear();
  redo_.clear();
  current_.reset();
  made_.clear();
  lastMoves_.clear();
  lastMade_.clear();
  bytes_ = 0;
  dropped_ = 0;
  savePoint_ = -1;
  ++layoutVersion_;
}

StepKind History::UndoKind() const { return undo_.empty() ? StepKind::kAdd : undo_.back()->kind; }
StepKind History::RedoKind() const { return redo_.empty() ? StepKind::kAdd : redo_.back()->kind; }

void History::SetSavePoint() { savePoint_ = dropped_ + static_cast<int64_t>(undo_.size()); }

bool History::AtSavePoint() const {
  return savePoint_ >= 0 && savePoint_ == dropped_ + static_cast<int64_t>(undo_.size());
}

bool History::Made(uint32_t slot) const {
  return slot / 64 < made_.size() && (made_[slot / 64] >> (slot % 64) & 1) != 0;
}

void History::SetMade(uint32_t slot, bool made) {
  if (slot / 64 >= made_.size()) {
    if (!made) return;
    made_.resize(slot / 64 + 1);
  }
  if (made) made_[slot / 64] |= uint64_t{1} << (slot % 64);
  else made_[slot / 64] &= ~(uint64_t{1} << (slot % 64));
}

void History::Begin(StepKind kind) {
  current_.reset(new Step);
  current_->kind = kind;
  made_.clear();
  lastMoves_.clear();
  lastMade_.clear();
}

// A change while no step records: the history no longer matches the
// records, and is forgotten.
bool History::Recording() {
  if (current_) return true;
  if (!undo_.empty() || !redo_.empty()) Clear();
  return false;
}

void History::StatusChanging(uint32_t slot, uint32_t before, uint32_t after, const uint8_t* bytes) {
  if (!Recording() || before == after) return;
  Step& step = *current_;
  Op op = {Op::kStatus, slot, before, after, step.data.size(), 0};
  const bool wasInUse = IsInUse(before), inUse = IsInUse(after);
  if (wasInUse != inUse) step.layout = true;
  if (wasInUse && !inUse) {
    // A record that goes keeps its bytes here, unless the step made it:
    // a later step may write over them.
    if (Made(slot)) {
      SetMade(slot, false);
    } else {
      Pack(bytes + 4, db_->recordSize - 4, &step.data);
      op.split = static_cast<uint32_t>(step.data.size() - op.at);
    }
  } else if (!wasInUse && inUse) {
    SetMade(slot, true);
  }
  step.ops.push_back(op);
}

void History::BytesChanging(uint32_t slot, uint32_t offset, uint32_t length, const uint8_t* bytes) {
  if (!Recording()) return;
  // Only the bytes of records that were there before the step count; the
  // bytes of free slots mean nothing, and a record the step makes is kept
  // as it is at the step's end.
  const uint8_t* status = bytes - offset;
  if (Made(slot) || !IsInUse(GetU32(status))) return;
  Step& step = *current_;
  Op op = {Op::kBytes, slot, offset, length, step.data.size(), 0};
  Pack(bytes, length, &step.data);
  op.split = static_cast<uint32_t>(step.data.size() - op.at);
  step.ops.push_back(op);
}

void History::BytesChanged(uint32_t slot, uint32_t offset, uint32_t length, const uint8_t* bytes) {
  if (!current_ || current_->ops.empty()) return;
  Step& step = *current_;
  const Op& op = step.ops.back();
  if (op.type != Op::kBytes || op.slot != slot || op.a != offset || op.at + op.split != step.data.size()) return;
  if (!step.tooLarge) Pack(bytes, length, &step.data);
}

void History::SlotCopying(uint32_t source, uint32_t target, const uint8_t* targetBytes) {
  if (!Recording()) return;
  Step& step = *current_;
  const uint32_t before = GetU32(targetBytes);
  const uint32_t after = static_cast<uint32_t>(db_->GetRecStat(static_cast<int32_t>(source)));
  Op op = {Op::kCopy, target, before, source, step.data.size(), 0};
  if (IsInUse(before) && !Made(target)) {
    Pack(targetBytes + 4, db_->recordSize - 4, &step.data);
    op.split = static_cast<uint32_t>(step.data.size() - op.at);
  }
  if (IsInUse(before) != IsInUse(after)) step.layout = true;
  if (!IsInUse(before) && IsInUse(after)) SetMade(target, true);
  if (IsInUse(before) && !IsInUse(after)) SetMade(target, false);
  step.ops.push_back(op);
}

void History::LongNameChanging(const uint8_t* name) {
  if (!Recording()) return;
  Step& step = *current_;
  step.ops.push_back({Op::kName, 0, 0, 0, step.data.size(), kNameSize});
  step.data.insert(step.data.end(), name, name + kNameSize);
}

void History::LongNameChanged(const uint8_t* name) {
  if (!current_ || current_->ops.empty() || current_->ops.back().type != Op::kName) return;
  current_->data.insert(current_->data.end(), name, name + kNameSize);
}

void History::SlotCountChanging(uint32_t before, uint32_t after) {
  if (!Recording()) return;
  Step& step = *current_;
  step.ops.push_back({Op::kCount, before, after, 0, step.data.size(), 0});
  // The statuses of the slots cut off, to give them back.
  for (uint32_t s = after; s < before; ++s)
    PutU32(&step.data, static_cast<uint32_t>(db_->GetRecStat(static_cast<int32_t>(s))));
}

void History::Compacting(int64_t budget, uint32_t first, uint32_t end) {
  if (!Recording()) return;
  Step& step = *current_;
  step.ops.push_back({Op::kCompaction, first, end, 0, step.data.size(), 0});
  const size_t at = step.data.size();
  step.data.resize(at + sizeof budget);
  std::memcpy(step.data.data() + at, &budget, sizeof budget);
  for (uint32_t s = first; s < end; ++s)
    PutU32(&step.data, static_cast<uint32_t>(db_->GetRecStat(static_cast<int32_t>(s))));
  lastMoves_.emplace_back();
}

void History::RecordMoving(uint32_t from, uint32_t to) {
  if (!current_ || current_->ops.empty() || current_->ops.back().type != Op::kCompaction) return;
  Step& step = *current_;
  step.layout = true;
  PutU32(&step.data, from);
  PutU32(&step.data, to);
  ++step.ops.back().b;
  if (Made(from)) {
    SetMade(from, false);
    SetMade(to, true);
  }
  if (!lastMoves_.empty()) lastMoves_.back().emplace_back(from, to);
}

void History::Permuting(uint32_t first, const uint32_t* order, uint32_t count) {
  if (!Recording()) return;
  Step& step = *current_;
  step.layout = true;
  step.ops.push_back({Op::kPermutation, first, count, 0, step.data.size(), 0});
  const size_t at = step.data.size();
  step.data.resize(at + size_t{count} * 4);
  std::memcpy(step.data.data() + at, order, size_t{count} * 4);
  // Records the step made move with the others.
  std::vector<uint32_t> moved;
  for (uint32_t i = 0; i < count; ++i)
    if (Made(first + order[i])) moved.push_back(first + i);
  for (uint32_t i = 0; i < count; ++i) SetMade(first + i, false);
  for (uint32_t slot : moved) SetMade(slot, true);
}

void History::ChangeFailed() {
  if (Recording()) current_->failed = true;
}

void History::End(bool keep, int32_t touched) {
  if (!current_) return;
  std::unique_ptr<Step> step = std::move(current_);
  step->touched = touched;
  if (!keep) {
    // Taken back at once, and gone: as if the step had never been.
    TakeBack(*step);
    if (step->failed) Clear();
    made_.clear();
    lastMoves_.clear();
    lastMade_.clear();
    return;
  }
  // The records the step made, as they are now, to make them again; a
  // step too large for the history is not kept.
  const size_t budget = Budget();
  for (size_t word = 0; word < made_.size() && !step->failed; ++word) {
    for (uint64_t bits = made_[word]; bits != 0; bits &= bits - 1) {
      const uint32_t slot = static_cast<uint32_t>(word * 64 + __builtin_ctzll(bits));
      const uint8_t* bytes = db_->SlotBytes(static_cast<int32_t>(slot));
      if (bytes == nullptr || !IsInUse(GetU32(bytes))) continue;
      lastMade_.push_back(slot);
      if (step->tooLarge) continue;
      Op op = {Op::kImage, slot, 0, 0, step->data.size(), 0};
      Pack(bytes + 4, db_->recordSize - 4, &step->data);
      step->ops.push_back(op);
      if (step->data.size() + step->ops.size() * sizeof(Op) > budget) step->tooLarge = true;
    }
  }
  made_.clear();
  if (step->layout) ++layoutVersion_;
  if (step->ops.empty() && !step->failed) return;  // nothing changed
  if (step->failed || step->tooLarge || step->Bytes() > budget) {
    Clear();
    return;
  }
  redo_.clear();
  // The saved state, if it was among the steps taken back, is out of reach.
  if (savePoint_ > dropped_ + static_cast<int64_t>(undo_.size())) savePoint_ = -1;
  bytes_ += step->Bytes();
  undo_.push_back(std::move(step));
  Trim();
}

void History::Trim() {
  const size_t budget = Budget();
  while (undo_.size() + redo_.size() > kMostSteps || (bytes_ > budget && undo_.size() + redo_.size() > 1)) {
    // The oldest steps go first; steps to make again only when no older
    // one is left.
    if (!undo_.empty()) Drop(&undo_, true);
    else Drop(&redo_, true);
  }
  if (bytes_ > budget) Clear();
}

void History::Drop(std::deque<std::unique_ptr<Step>>* steps, bool oldest) {
  Step& step = oldest ? *steps->front() : *steps->back();
  bytes_ -= step.Bytes();
  if (oldest) {
    steps->pop_front();
    if (steps == &undo_) ++dropped_;
  } else {
    steps->pop_back();
  }
}

bool History::Undo(int32_t* touched) { return Replay(&undo_, &redo_, true, touched); }

bool History::Redo(int32_t* touched) { return Replay(&redo_, &undo_, false, touched); }

// The last step of from, taken back or made again, goes to the end of to; a
// step that cannot be replayed leaves the history empty.
bool History::Replay(std::deque<std::unique_ptr<Step>>* from, std::deque<std::unique_ptr<Step>>* to,
                     bool back, int32_t* touched) {
  *touched = -1;
  if (from->empty() || current_) return false;
  std::unique_ptr<Step> step = std::move(from->back());
  from->pop_back();
  lastMoves_.clear();
  lastMade_.clear();
  if (!(back ? TakeBack(*step) : MakeAgain(*step))) {
    Clear();
    return false;
  }
  if (step->layout) ++layoutVersion_;
  *touched = step->touched;
  to->push_back(std::move(step));
  return true;
}

// The ops in reverse order, each undone; the store is not listened to
// meanwhile.
bool History::TakeBack(const Step& step) {
  DatabaseFile& db = *db_;
  db.journal = nullptr;
  bool ok = true;
  std::vector<uint8_t> bytes;
  for (size_t i = step.ops.size(); i-- > 0 && ok;) {
    const Op& op = step.ops[i];
    const uint8_t* data = step.data.data() + op.at;
    const int32_t slot = static_cast<int32_t>(op.slot);
    switch (op.type) {
      case Op::kStatus:
      case Op::kCopy:
        if (op.split != 0) {
          bytes.resize(db.recordSize - 4);
          Unpack(data, bytes.data(), bytes.size());
          ok = db.PutSlotBytes(slot, 4, bytes.data(), static_cast<uint32_t>(bytes.size())) == 1;
        }
        ok = ok && db.SetRecStat(slot, op.a) == 1;
        break;
      case Op::kBytes:
        bytes.resize(op.b);
        Unpack(data, bytes.data(), bytes.size());
        ok = db.PutSlotBytes(slot, op.a, bytes.data(), op.b) == 1;
        break;
      case Op::kName: {
        char name[kNameSize + 1] = {};
        std::memcpy(name, data, kNameSize);
        ok = db.SetLongName(name) == 1;
        break;
      }
      case Op::kCount:
        ok = db.ResizeRecordArea(op.slot) == 1;
        for (uint32_t s = op.a; s < op.slot && ok; ++s)
          ok = db.SetRecStat(static_cast<int32_t>(s), GetU32(data + 4 * size_t{s - op.a})) == 1;
        break;
      case Op::kCompaction: {
        // Each record back where it was, the last moved first, then the
        // statuses of the slots it moved over.
        const uint8_t* statuses = data + sizeof(int64_t);
        const uint8_t* moves = statuses + 4 * size_t{op.a - op.slot};
        for (uint32_t m = op.b; m-- > 0 && ok;)
          ok = db.CopySlot(static_cast<int32_t>(GetU32(moves + 8 * size_t{m} + 4)),
                           static_cast<int32_t>(GetU32(moves + 8 * size_t{m}))) == 1;
        for (uint32_t s = op.slot; s < op.a && ok; ++s)
          ok = db.SetRecStat(static_cast<int32_t>(s), GetU32(statuses + 4 * size_t{s - op.slot})) == 1;
        break;
      }
      case Op::kPermutation: {
        std::vector<uint32_t> back(op.a);
        for (uint32_t k = 0; k < op.a; ++k) back[GetU32(data + 4 * size_t{k})] = k;
        ok = db.PermuteSlots(op.slot, &back);
        break;
      }
      case Op::kImage:
        break;
    }
  }
  db.journal = this;
  return ok;
}

// The ops in order, each made again.
bool History::MakeAgain(const Step& step) {
  DatabaseFile& db = *db_;
  db.journal = nullptr;
  bool ok = true;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < step.ops.size() && ok; ++i) {
    const Op& op = step.ops[i];
    const uint8_t* data = step.data.data() + op.at;
    const int32_t slot = static_cast<int32_t>(op.slot);
    switch (op.type) {
      case Op::kStatus:
        ok = db.SetRecStat(slot, op.b) == 1;
        break;
      case Op::kCopy:
        ok = db.CopySlot(static_cast<int32_t>(op.b), slot) == 1;
        break;
      case Op::kBytes:
        bytes.resize(op.b);
        Unpack(data + op.split, bytes.data(), bytes.size());
        ok = db.PutSlotBytes(slot, op.a, bytes.data(), op.b) == 1;
        break;
      case Op::kName: {
        char name[kNameSize + 1] = {};
        std::memcpy(name, data + kNameSize, kNameSize);
        ok = db.SetLongName(name) == 1;
        break;
      }
      case Op::kCount:
        ok = db.ResizeRecordArea(op.a) == 1;
        break;
      case Op::kCompaction: {
        int64_t budget;
        std::memcpy(&budget, data, sizeof budget);
        db.CompactWithin(budget);
        break;
      }
      case Op::kPermutation: {
        std::vector<uint32_t> order(op.a);
        std::memcpy(order.data(), data, size_t{op.a} * 4);
        ok = db.PermuteSlots(op.slot, &order);
        break;
      }
      case Op::kImage:
        bytes.resize(db.recordSize - 4);
        Unpack(data, bytes.data(), bytes.size());
        ok = db.PutSlotBytes(slot, 4, bytes.data(), static_cast<uint32_t>(bytes.size())) == 1;
        break;
    }
  }
  db.journal = this;
  return ok;
}

void History::FollowLastStep(std::vector<uint32_t>* slots) const {
  for (const auto& moves : lastMoves_) {
    // Both in increasing order: one walk along each.
    size_t m = 0;
    for (uint32_t& slot : *slots) {
      while (m < moves.size() && moves[m].first < slot) ++m;
      if (m < moves.size() && moves[m].first == slot) slot = moves[m].second;
    }
  }
}

int32_t History::FollowLastStep(int32_t slot) const {
  if (slot < 0) return slot;
  std::vector<uint32_t> one(1, static_cast<uint32_t>(slot));
  FollowLastStep(&one);
  return static_cast<int32_t>(one[0]);
}
