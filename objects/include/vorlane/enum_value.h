#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _EnumValue: one allowed value of an enumeration variable (a text and a
// number), a live wrapper over one row of the variable's enumeration-values
// sub-section. Creatable, but an object made by a client has no row and
// fails on every member with 0x800A005B.
class EnumValue : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{08350057-6FB4-457F-A079-D882B26D4B15}"};
  static constexpr com::Guid kCLSID{"{191DF03E-4861-4065-929E-C284A46349D9}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  virtual std::string Value() = 0;
  virtual void SetValue(const std::string& value) = 0;
  // An empty or non-numeric field reads 0.
  virtual int32_t NumericValue() = 0;
  virtual void SetNumericValue(int32_t value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
