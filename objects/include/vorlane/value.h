#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/variant.h"

namespace vorlane {

// _Value: one value of a multi-valued variable, a live wrapper over one row
// of the variable's values sub-section. Handed out by Values.
class Value : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{EA38F674-FFF8-4B53-9853-30343B1276B6}"};
  static constexpr com::Guid kCLSID{"{64E86A61-B520-49B6-B40C-F4A56224380E}"};
  static const com::TypeInfo& DispatchInfo();

  // The Value property (a member cannot carry its class's name in C++).
  // Stored by the rules of Variable.Value, with the variable's type as it
  // was when its Values were made; a change raises ValueChanged for the
  // owning variable.
  virtual com::Variant GetValue() = 0;
  virtual void SetValue(const com::Variant& value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
