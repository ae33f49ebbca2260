#pragma once

#include <memory>

#include "embedded/store/open_card.h"
#include "platform/ostrel/row.h"

namespace embedded {

// One row of an open card, with its RowEx.
class CardRow final : public com::Object<ostrel::Row, ostrel::RowEx> {
 public:
  CardRow(com::Ref<OpenCard> card, std::shared_ptr<RowNode> node) : card_(std::move(card)), node_(std::move(node)) {}

  std::string GetID() override { return IdText(node_->id).str(); }
  com::Variant GetField(const std::string& name) override;
  void SetField(const std::string& name, com::Variant value) override;
  com::Ref<ostrel::Section> GetSection() override;
  com::Ref<ostrel::RowCollection> GetChildRows() override;
  com::Ref<ostrel::SubSectionCollection> GetSubSections() override;
  void Refresh(bool deep) override;

  void SetFieldOfType(const std::string& name, const com::Variant& value, int32_t type_code) override;
  void SetFieldAt(int32_t position, com::Variant value) override;

  const std::shared_ptr<RowNode>& node() const { return node_; }

 private:
  // The card's Enter, and a removed row fails with ostrel::err::kRowDeleted.
  // Inline, as every field read and set passes here.
  void Enter() {
    card_->Enter();
    if (node_->deleted) Deleted();
  }
  [[noreturn]] void Deleted() const;
  // The field's index in the row's section; an unknown name fails with
  // ostrel::err::kUnknownSchemaItem.
  size_t FieldIndex(std::string_view name) const { return card_->FieldIndex(*node_->section, name); }

  com::Ref<OpenCard> card_;
  std::shared_ptr<RowNode> node_;
};

}  // namespace embedded
