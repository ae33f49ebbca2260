#include "embedded/store/card_reader.h"

#include <algorithm>

#include "platform/ostrel/errors.h"

namespace embedded {

bool CardReader::ReadNext() {
  if (!rows_) return false;
  card_->Enter();
  const RowList& rows = rows_->Rows();
  // Rows added or removed before the position move it: find the current
  // row again; when it went, the row after it now holds its place.
  if (current_) {
    if (next_ == 0 || next_ > rows.size() || rows[next_ - 1] != current_) {
      auto it = std::find(rows.begin(), rows.end(), current_);
      if (it != rows.end()) {
        next_ = static_cast<size_t>(it - rows.begin()) + 1;
      } else if (next_ > 0) {
        --next_;
      }
    }
  }
  while (skip_ > 0 && next_ < rows.size()) {
    ++next_;
    --skip_;
  }
  if (next_ >= rows.size() || (limit_ > 0 && read_ >= limit_)) {
    current_.reset();
    return false;
  }
  current_ = rows[next_++];
  ++read_;
  return true;
}

com::Variant CardReader::GetField(const std::string& name) {
  if (!current_) {
    throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource), "The reader has no current row");
  }
  card_->Enter();
  if (name == "RowID") return com::Variant(IdText(current_->id).str());
  return current_->fields[PositionOf(name)];
}

size_t CardReader::PositionOf(const std::string& name) {
  for (const auto& [asked, position] : positions_) {
    if (asked == name) return position;
  }
  size_t position = card_->FieldIndex(*current_->section, name);
  positions_.emplace_back(name, position);
  return position;
}

void CardReader::Close() {
  rows_.reset();
  current_.reset();
}

}  // namespace embedded
