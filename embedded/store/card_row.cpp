#include "embedded/store/card_row.h"

#include <algorithm>

#include "embedded/store/card_rows.h"
#include "embedded/store/card_section.h"
#include "embedded/store/row_sub_sections.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {

void CardRow::Deleted() const {
  throw com::Error(ostrel::err::kRowDeleted, std::string(ostrel::err::kSource),
                   "Row " + node_->id_text.str() + " has been deleted");
}

size_t CardRow::FindField(std::string_view name) {
  const std::vector<FieldDef>& fields = node_->section->fields;
  // A few fields on: the ones in between were left out (an export leaves
  // out fields that hold nothing).
  constexpr size_t kAhead = 6;
  const size_t end = std::min(fields.size(), next_field_ + kAhead);
  for (size_t i = next_field_ + 1; i < end; ++i) {
    if (SectionDef::SameBytes(fields[i].name, name)) {
      next_field_ = i + 1;
      return i;
    }
  }
  const size_t i = card_->FieldIndex(*node_->section, name);
  next_field_ = i + 1;
  return i;
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
