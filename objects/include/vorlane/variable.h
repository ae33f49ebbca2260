#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "vorlane/enum_values.h"
#include "vorlane/enums.h"
#include "vorlane/log_values.h"
#include "vorlane/values.h"

namespace vorlane {

// _Variable: one process variable, a live wrapper over one row of the
// process card's variables section. Handed out by Variables.
class Variable : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{2157B978-4083-4C86-ACE0-ED85ED5BEE4F}"};
  static constexpr com::Guid kCLSID{"{ED947F9C-E297-482D-9B66-B0144295623B}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  virtual std::string Name() = 0;
  virtual void SetName(const std::string& value) = 0;
  virtual std::string Description() = 0;
  virtual void SetDescription(const std::string& value) = 0;
  // Fails on an empty field (Null does not convert to a number); so do
  // Value, DefaultValue and the first request of Values, which need it.
  virtual VarTypeEnum VarType() = 0;
  virtual void SetVarType(VarTypeEnum value) = 0;
  // An empty field reads 0.
  virtual int32_t TypeID() = 0;
  virtual void SetTypeID(int32_t value) = 0;
  // An empty field reads ""; any other normalised. Stored as given.
  virtual std::string GateID() = 0;
  virtual void SetGateID(const std::string& value) = 0;
  // Text given to a Generic or String variable is stored as text, whole up
  // to 1024 characters and in the spare row beyond; any other value is
  // stored as it is given. A String variable reads text; the others read the
  // stored value as it is. A write that changes the value raises ValueChanged.
  virtual com::Variant Value() = 0;
  virtual void SetValue(const com::Variant& value) = 0;
  virtual std::string DisplayValue() = 0;
  virtual void SetDisplayValue(const std::string& value) = 0;
  // Stored as invariant text of the variable's type ("." for decimals, dates
  // as day serials, Booleans as "1"/"0").
  virtual com::Variant DefaultValue() = 0;
  virtual void SetDefaultValue(const com::Variant& value) = 0;
  // The child collections: made on first request, then the same object.
  virtual com::Ref<vorlane::EnumValues> EnumValues() = 0;
  // The value history, which the object model never fills itself.
  virtual com::Ref<vorlane::LogValues> LogValues() = 0;
  virtual com::Ref<vorlane::Values> Values() = 0;
  // The "IsRequired" field.
  virtual bool IsRequered() = 0;
  virtual void SetIsRequered(bool value) = 0;
  virtual bool IsAdditive() = 0;
  virtual void SetIsAdditive(bool value) = 0;
  virtual bool IsAdded() = 0;
  virtual void SetIsAdded(bool value) = 0;
  virtual bool IsDefault() = 0;
  virtual void SetIsDefault(bool value) = 0;
  virtual bool IsMultipleValued() = 0;
  virtual void SetIsMultipleValued(bool value) = 0;
  virtual bool CreateCopy() = 0;
  virtual void SetCreateCopy(bool value) = 0;
  virtual bool HiddenInParentProcess() = 0;
  virtual void SetHiddenInParentProcess(bool value) = 0;
  // Re-reads the card; drops EnumValues and LogValues (Values stays).
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
