#pragma once

#include "vorlane/value.h"

namespace vorlane {

// _Values: the values of a multi-valued variable, in their stored order,
// keyed by their rows' own identities. Every change of the list reports a
// change of the owning variable (ValueChanged); moves are silent.
class Values : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{52B2C447-7C78-462E-8150-141693DCDADC}"};
  static constexpr com::Guid kCLSID{"{C11AC635-E430-4397-8682-6510A42F45B9}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by row identity (any case, braces optional).
  virtual com::Ref<vorlane::Value> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new value at the end of the list, set to `variable_value`.
  virtual com::Ref<vorlane::Value> AddNew(const com::Variant& variable_value) = 0;
  virtual void Remove(const com::Variant& index) = 0;
  // Removes every value; raises ValueChanged also when there was none.
  virtual void Clear() = 0;
  // Swaps the value at `index` with the one before it; nothing at 1 or below.
  virtual void MoveUp(int32_t index) = 0;
  // Swaps the value at `index` with the one after it; nothing at Count or above.
  virtual void MoveDown(int32_t index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
