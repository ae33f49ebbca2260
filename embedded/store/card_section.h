#pragma once

#include "embedded/store/open_card.h"
#include "platform/ostrel/section.h"

namespace embedded {

// A section of an open card: a card-level section, or the rows of a
// sub-section type under every parent row.
class CardSection final : public com::Object<ostrel::Section> {
 public:
  CardSection(com::Ref<OpenCard> card, const SectionDef& section) : card_(std::move(card)), section_(section) {}

  std::string GetID() override { return section_.id_text; }
  com::Ref<ostrel::RowCollection> GetRows() override;
  void SetSectionMode(int32_t mode) override;
  int32_t GetSectionMode() override;
  com::Ref<ostrel::RowCollection> SelectRows(int32_t flags, int32_t limit) override;
  com::Ref<ostrel::Row> GetFirstRow() override;
  com::Ref<ostrel::SectionType> GetSchema() override;
  void Refresh(bool deep) override;
  com::Ref<ostrel::SectionReader> OpenReader(int32_t flags, int32_t skip, int32_t limit) override;

 private:
  com::Ref<OpenCard> card_;
  const SectionDef& section_;
};

}  // namespace embedded
