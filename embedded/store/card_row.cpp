#include "embedded/store/card_row.h"

#include "embedded/store/card_rows.h"
#include "embedded/store/card_section.h"
#include "embedded/store/row_sub_sections.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {

void CardRow::Deleted() const {
  throw com::Error(ostrel::err::kRowDeleted, std::string(ostrel::err::kSource),
                   "Row " + IdText(node_->id).str() + " has been deleted");
}

com::Variant CardRow::GetField(const std::string& name) {
  Enter();
  return node_->fields[FieldIndex(name)];
}

void CardRow::SetField(const std::string& name, com::Variant value) {
  Enter();
  card_->SetField(*node_, FieldIndex(name), std::move(value));
}

void CardRow::SetFieldOfType(const std::string& name, const com::Variant& value, int32_t type_code) {
  Enter();
  if (!ostrel::FindFieldTypeCode(type_code)) {
    throw com::Error(com::hr::kInvalidArg, std::string(ostrel::err::kSource),
                     "Unknown field type code " + std::to_string(type_code));
  }
  com::Variant converted = ostrel::ConvertToFieldType(value, type_code);
  card_->SetField(*node_, FieldIndex(name), std::move(converted));
}

void CardRow::SetFieldAt(int32_t position, com::Variant value) {
  Enter();
  if (position < 0 || static_cast<size_t>(position) >= node_->section->fields.size()) {
    throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource),
                     "No field at position " + std::to_string(position) + " of section \"" + node_->section->name + "\"");
  }
  card_->SetField(*node_, static_cast<size_t>(position), std::move(value));
}

com::Ref<ostrel::Section> CardRow::GetSection() {
  Enter();
  return com::Make<CardSection>(card_, *node_->section);
}

com::Ref<ostrel::RowCollection> CardRow::GetChildRows() {
  Enter();
  return CardRows::Container(card_, node_, *node_->section);
}

com::Ref<ostrel::SubSectionCollection> CardRow::GetSubSections() {
  Enter();
  return com::Make<RowSubSections>(card_, node_);
}

void CardRow::Refresh(bool deep) {
  card_->Refresh(deep);
}

}  // namespace embedded
