#pragma once

#include <memory>

#include "embedded/store/open_card.h"
#include "platform/ostrel/sub_section_collection.h"

namespace embedded {

// The sub-sections of one row (Row.GetSubSections).
class RowSubSections final : public com::Object<ostrel::SubSectionCollection> {
 public:
  RowSubSections(com::Ref<OpenCard> card, std::shared_ptr<RowNode> row) : card_(std::move(card)), row_(std::move(row)) {}

  int32_t Count() override;
  com::Ref<ostrel::SubSection> Item(const std::string& section_id) override;

 private:
  com::Ref<OpenCard> card_;
  std::shared_ptr<RowNode> row_;
};

}  // namespace embedded
