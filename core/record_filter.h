// The filter of the record list: the records whose fields match a text, by
// the rule of the search (the text anywhere in a text field, ASCII letters
// without regard to case; a whole number equal to a number field). This
// module owns the filter and the rows it shows; the list, the status bar and
// the band read them here, and vdrtool uses the same matching.
//
// While a filter is on, the rows are the slots of the records it shows, in
// slot order: those that matched when it was set or last applied, the
// records a change made or was about (the user sees what was done), less
// the ones deleted since. Setting it again, or a sort, applies it afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/history.h"
#include "store/database_file.h"

// The longest filter text.
constexpr size_t kFilterTextLength = 255;

// The slots, in increasing order, of the active records that match text.
std::vector<uint32_t> FilterSlots(const DatabaseFile& db, const std::string& text);

class RecordFilter {
 public:
  bool On() const { return on_; }
  const std::string& Text() const { return text_; }
  // The filter set to text (cut to kFilterTextLength) and applied; an empty
  // text turns it off.
  void Set(const DatabaseFile& db, const std::string& text);
  void Clear();
  // Applied afresh, keeping `touched` (-1: none) in view.
  void Apply(const DatabaseFile& db, int32_t touched);
  // After a change (history's last step): the rows follow the records the
  // step moved, the records it made and the touched one come into view,
  // records no longer active leave.
  void Follow(const DatabaseFile& db, const History& history, int32_t touched);

  // The rows while the filter is on.
  uint32_t RowCount() const { return static_cast<uint32_t>(rows_.size()); }
  // The slot of a row, or -1.
  int32_t SlotOfRow(uint32_t row) const { return row < rows_.size() ? static_cast<int32_t>(rows_[row]) : -1; }
  // The row of a slot, or -1 when it does not show.
  int32_t RowOfSlot(int32_t slot) const;
  const std::vector<uint32_t>& Slots() const { return rows_; }

 private:
  void Keep(const DatabaseFile& db, std::vector<uint32_t> extra);
  bool on_ = false;
  std::string text_;
  std::vector<uint32_t> rows_;
};

// The program's list filter.
extern RecordFilter recordFilter;
