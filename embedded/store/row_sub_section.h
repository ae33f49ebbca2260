#pragma once

#include <memory>

#include "embedded/store/open_card.h"
#include "platform/ostrel/sub_section.h"

namespace embedded {

// The rows of one sub-section type under one row.
class RowSubSection final : public com::Object<ostrel::SubSection> {
 public:
  RowSubSection(com::Ref<OpenCard> card, std::shared_ptr<RowNode> row, const SectionDef& section)
      : card_(std::move(card)), row_(std::move(row)), section_(section) {}

  std::string GetID() override { return section_.id_text; }
  com::Ref<ostrel::RowCollection> GetRows() override;
  com::Ref<ostrel::Row> GetFirstRow() override;
  com::Ref<ostrel::SectionType> GetSchema() override;
  void Refresh(bool deep) override;

 private:
  com::Ref<OpenCard> card_;
  std::shared_ptr<RowNode> row_;
  const SectionDef& section_;
};

}  // namespace embedded
