#pragma once

#include "objects/log/log_values_object.h"
#include "objects/variables/enum_values_object.h"
#include "objects/variables/value_row_wrapper.h"
#include "objects/variables/values_object.h"
#include "vorlane/variable.h"
#include "vorlane/variable_notificator.h"

namespace vorlane {

class VariableObject final : public com::Object<Variable>, public ValueRowWrapper {
 public:
  VariableObject();
  // The row and the process's notificator (never null).
  void Attach(com::Ref<ostrel::Row> row, com::Ref<VariableNotificator> notificator);

  std::string ID() override { return GetStrictID("ID"); }
  std::string Name() override { return GetText("Name"); }
  void SetName(const std::string& v) override { PutText("Name", v); }
  std::string Description() override { return GetText("Description"); }
  void SetDescription(const std::string& v) override { PutText("Description", v); }
  VarTypeEnum VarType() override;
  void SetVarType(VarTypeEnum v) override { PutLong("VarType", static_cast<int32_t>(v)); }
  int32_t TypeID() override;
  void SetTypeID(int32_t v) override { PutLong("TypeID", v); }
  std::string GateID() override;
  void SetGateID(const std::string& v) override { PutText("GateID", v); }
  com::Variant Value() override { return ReadValue(); }
  void SetValue(const com::Variant& value) override;
  std::string DisplayValue() override;
  void SetDisplayValue(const std::string& value) override;
  com::Variant DefaultValue() override;
  void SetDefaultValue(const com::Variant& value) override;
  com::Ref<vorlane::EnumValues> EnumValues() override;
  com::Ref<vorlane::LogValues> LogValues() override;
  com::Ref<vorlane::Values> Values() override;
  bool IsRequered() override { return GetBool("IsRequired"); }
  void SetIsRequered(bool v) override { PutBool("IsRequired", v); }
  bool IsAdditive() override { return GetBool("IsAdditive"); }
  void SetIsAdditive(bool v) override { PutBool("IsAdditive", v); }
  bool IsAdded() override { return GetBool("IsAdded"); }
  void SetIsAdded(bool v) override { PutBool("IsAdded", v); }
  bool IsDefault() override { return GetBool("IsDefault"); }
  void SetIsDefault(bool v) override { PutBool("IsDefault", v); }
  bool IsMultipleValued() override { return GetBool("IsMultipleValued"); }
  void SetIsMultipleValued(bool v) override { PutBool("IsMultipleValued", v); }
  bool CreateCopy() override { return GetBool("CreateCopy"); }
  void SetCreateCopy(bool v) override { PutBool("CreateCopy", v); }
  bool HiddenInParentProcess() override { return GetBool("HiddenInParentProcess"); }
  void SetHiddenInParentProcess(bool v) override { PutBool("HiddenInParentProcess", v); }
  void Refresh(bool deep_refresh) override;

 private:
  VarTypeEnum ValueType() override { return VarType(); }

  com::Ref<VariableNotificator> notificator_;
  com::Ref<EnumValuesObject> enum_values_;
  com::Ref<LogValuesObject> log_values_;
  com::Ref<ValuesObject> values_;
};

}  // namespace vorlane
