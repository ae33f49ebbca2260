#pragma once

#include "embedded/store/open_card.h"
#include "platform/ostrel/section_collection.h"

namespace embedded {

// The sections of an open card (CardData.GetSections).
class CardSections final : public com::Object<ostrel::SectionCollection> {
 public:
  explicit CardSections(com::Ref<OpenCard> card) : card_(std::move(card)) {}

  int32_t Count() override;
  com::Ref<ostrel::Section> Item(const std::string& section_id) override;

 private:
  com::Ref<OpenCard> card_;
};

}  // namespace embedded
