#include "objects/variables/value_row_wrapper.h"

#include "common/escape_codes.h"
#include "objects/core/card_layout.h"
#include "platform/com/text.h"
#include "platform/ostrel/field_type_codes.h"

namespace vorlane {
namespace {

bool TakesTextPath(VarTypeEnum type) { return type == VarTypeEnum::Generic || type == VarTypeEnum::String; }

bool Differ(const com::Variant& before, const com::Variant& after) {
  if (before.IsNull() != after.IsNull()) return true;
  if (before.IsNull()) return false;
  return com::Compare(before, after) != com::Comparison::Equal;
}

}  // namespace

com::Variant ValueRowWrapper::SpareText() const {
  return com::Variant(UnescapeLongText(FieldToString(SubRow(spare_section_)->GetField("Value"))));
}

com::Variant ValueRowWrapper::FieldValue(VarTypeEnum type) const {
  if (type == VarTypeEnum::String) return com::Variant(GetText("Value"));
  return Get("Value");
}

com::Variant ValueRowWrapper::ReadValue() {
  if (GetUseSparedValue()) return SpareText();
  return FieldValue(ValueType());
}

bool ValueRowWrapper::WriteValue(const com::Variant& value) {
  const bool spared = GetUseSparedValue();
  const com::Variant before = spared ? SpareText() : FieldValue(ValueType());
  const VarTypeEnum type = ValueType();

  if (const std::string* given = value.TryText(); given && TakesTextPath(type)) {
    std::string stored = EscapeLongText(*given);
    com::Ref<ostrel::RowEx> row_ex = com::Query<ostrel::RowEx>(&row());
    if (text::Length(stored) <= layout::kSpareThreshold) {
      row_ex->SetFieldOfType("Value", com::Variant(std::move(stored)), ostrel::field_type::kString);
      SetUseSparedValue(false);
    } else {
      SubRow(spare_section_)->SetField("Value", com::Variant(stored));
      row_ex->SetFieldOfType("Value", com::Variant(text::Left(stored, layout::kSpareThreshold)),
                             ostrel::field_type::kString);
      SetUseSparedValue(true);
    }
  } else {
    Put("Value", value);
    // The value just written is the one in force: a spare text left from an
    // earlier long write must no longer be read in its place.
    if (spared) SetUseSparedValue(false);
  }
  return Differ(before, value);
}

}  // namespace vorlane
