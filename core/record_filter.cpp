#include "core/record_filter.h"

#include <algorithm>

RecordFilter recordFilter;

std::vector<uint32_t> FilterSlots(const DatabaseFile& db, const std::string& text) {
  std::vector<uint32_t> slots;
  db.MatchingSlots(text.data(), text.size(), &slots);
  return slots;
}

void RecordFilter::Set(const DatabaseFile& db, const std::string& text) {
  text_ = text.substr(0, kFilterTextLength);
  on_ = !text_.empty();
  Apply(db, -1);
}

void RecordFilter::Clear() {
  on_ = false;
  text_.clear();
  std::vector<uint32_t>().swap(rows_);
}

void RecordFilter::Apply(const DatabaseFile& db, int32_t touched) {
  if (!on_) return;
  rows_ = FilterSlots(db, text_);
  if (touched >= 0) Keep(db, {static_cast<uint32_t>(touched)});
}

void RecordFilter::Follow(const DatabaseFile& db, const History& history, int32_t touched) {
  if (!on_) return;
  history.FollowLastStep(&rows_);
  std::vector<uint32_t> extra = history.MadeByLastStep();
  if (touched >= 0) extra.push_back(static_cast<uint32_t>(touched));
  Keep(db, std::move(extra));
}

// The rows with these slots added, in order, each once, active ones only.
void RecordFilter::Keep(const DatabaseFile& db, std::vector<uint32_t> extra) {
  std::sort(extra.begin(), extra.end());
  std::vector<uint32_t> merged;
  merged.reserve(rows_.size() + extra.size());
  std::merge(rows_.begin(), rows_.end(), extra.begin(), extra.end(), std::back_inserter(merged));
  merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
  merged.erase(std::remove_if(merged.begin(), merged.end(),
                              [&db](uint32_t slot) { return db.GetRecStat(static_cast<int32_t>(slot)) != kRecActive; }),
               merged.end());
  rows_.swap(merged);
}

int32_t RecordFilter::RowOfSlot(int32_t slot) const {
  if (slot < 0) return -1;
  const auto at = std::lower_bound(rows_.begin(), rows_.end(), static_cast<uint32_t>(slot));
  return at != rows_.end() && *at == static_cast<uint32_t>(slot) ? static_cast<int32_t>(at - rows_.begin()) : -1;
}
