// A variable of a process.
#include "common/escape_codes.h"
#include "common/typed_text.h"
#include "objects/core/card_layout.h"
#include "objects/variables/variable_object.h"
#include "platform/com/describe.h"

namespace vorlane {

VariableObject::VariableObject() : ValueRowWrapper(layout::kVariableSpare) {}

void VariableObject::Attach(com::Ref<ostrel::Row> row, com::Ref<VariableNotificator> notificator) {
  SetRow(std::move(row));
  notificator_ = std::move(notificator);
}

// Read without a check for Null: a variable must have a type to hold a value.
VarTypeEnum VariableObject::VarType() { return static_cast<VarTypeEnum>(Get("VarType").ToI4()); }

int32_t VariableObject::TypeID() {
  com::Variant v = Get("TypeID");
  return v.IsNull() ? 0 : v.ToI4();
}

std::string VariableObject::GateID() {
  com::Variant v = Get("GateID");
  if (v.IsNull() || v.IsEmpty()) return std::string();
  return NormalizeID(v.ToText());
}

void VariableObject::SetValue(const com::Variant& value) {
  if (WriteValue(value)) notificator_->NotifyValueChange(ID());
}

std::string VariableObject::DisplayValue() { return UnescapeLongText(GetText("DisplayValue")); }
void VariableObject::SetDisplayValue(const std::string& value) { PutText("DisplayValue", EscapeLongText(value)); }

com::Variant VariableObject::DefaultValue() {
  std::string stored = GetText("DefaultValue");
  return TextToValue(stored, VarType());
}

void VariableObject::SetDefaultValue(const com::Variant& value) {
  // Converted before anything is written: a value that does not fit the
  // type fails and leaves the field as it was.
  std::string stored = ValueToText(VarType(), value);
  PutText("DefaultValue", stored);
}

com::Ref<vorlane::EnumValues> VariableObject::EnumValues() {
  if (!enum_values_) {
    // Stored before it is attached: when the sub-section cannot be reached,
    // later requests get the unattached list, which fails on every use.
    enum_values_ = com::Make<EnumValuesObject>();
    enum_values_->Attach(RowContainer::Of(row().GetSubSections()->Item(layout::kEnumValues)));
  }
  return enum_values_;
}

com::Ref<vorlane::LogValues> VariableObject::LogValues() {
  if (!log_values_) {
    // Stored before it is attached, as EnumValues.
    log_values_ = com::Make<LogValuesObject>();
    log_values_->Attach(RowContainer::Of(row().GetSubSections()->Item(layout::kLogValues)));
  }
  return log_values_;
}

com::Ref<vorlane::Values> VariableObject::Values() {
  if (!values_) {
    // Stored before it is attached, as EnumValues.
    values_ = com::Make<ValuesObject>();
    com::Ref<ostrel::SubSection> sub = row().GetSubSections()->Item(layout::kValues);
    std::string id = ID();
    values_->Attach(RowContainer::Of(std::move(sub)), notificator_, std::move(id), VarType());
  }
  return values_;
}

void VariableObject::Refresh(bool) {
  row().Refresh(false);
  // The values list stays: it holds the type the values were made with.
  enum_values_.reset();
  log_values_.reset();
}

const com::TypeInfo& Variable::DispatchInfo() {
  using V = Variable;
  static const com::TypeInfo info =
      com::Describe<V>("_Variable")
          .Get("ID", &V::ID)
          .GetLet("Name", &V::Name, &V::SetName)
          .GetLet("Description", &V::Description, &V::SetDescription)
          .GetLet("VarType", &V::VarType, &V::SetVarType)
          .GetLet("TypeID", &V::TypeID, &V::SetTypeID)
          .GetLet("GateID", &V::GateID, &V::SetGateID)
          .GetLet("Value", &V::Value, &V::SetValue)
          .GetLet("DisplayValue", &V::DisplayValue, &V::SetDisplayValue)
          .GetLet("DefaultValue", &V::DefaultValue, &V::SetDefaultValue)
          .Get("EnumValues", &V::EnumValues)
          .Get("LogValues", &V::LogValues)
          .Get("Values", &V::Values)
          .GetLet("IsRequered", &V::IsRequered, &V::SetIsRequered)
          .GetLet("IsAdditive", &V::IsAdditive, &V::SetIsAdditive)
          .GetLet("IsAdded", &V::IsAdded, &V::SetIsAdded)
          .GetLet("IsDefault", &V::IsDefault, &V::SetIsDefault)
          .GetLet("IsMultipleValued", &V::IsMultipleValued, &V::SetIsMultipleValued)
          .GetLet("CreateCopy", &V::CreateCopy, &V::SetCreateCopy)
          .GetLet("HiddenInParentProcess", &V::HiddenInParentProcess, &V::SetHiddenInParentProcess)
          .Method("Refresh", &V::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
}

}  // namespace vorlane
