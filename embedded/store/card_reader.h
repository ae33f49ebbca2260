#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "embedded/store/card_rows.h"
#include "platform/ostrel/section_reader.h"

namespace embedded {

// A forward-only reader over rows of a section (Section.OpenReader). It
// walks the rows where they are: the live container of a card-level
// section, or the collected list of a sub-section type or tree.
class CardReader final : public com::Object<ostrel::SectionReader> {
 public:
  CardReader(com::Ref<OpenCard> card, com::Ref<CardRows> rows, int32_t skip, int32_t limit)
      : card_(std::move(card)), rows_(std::move(rows)), skip_(skip), limit_(limit) {}

  bool ReadNext() override;
  com::Variant GetField(const std::string& name) override;
  void Close() override;

 private:
  // The position of field `name` in the rows' section. A reader reads the
  // same few fields of every row: each name is looked up in the schema once
  // per reader, as spelled by the caller.
  size_t PositionOf(const std::string& name);

  std::vector<std::pair<std::string, size_t>> positions_;  // the names asked so far
  com::Ref<OpenCard> card_;
  com::Ref<CardRows> rows_;  // null once closed
  int32_t skip_;
  int32_t limit_;
  int32_t read_ = 0;
  size_t next_ = 0;  // position of the next row
  std::shared_ptr<RowNode> current_;
};

}  // namespace embedded
