#pragma once

#include "vorlane/variable.h"

namespace vorlane {

// _Variables: the variables of a process, in row order, keyed by their IDs.
// Rows that cannot be listed (a second row with the same ID) are left out.
class Variables : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{12FD339B-5F4B-49B2-9FD1-C64CE589BD1C}"};
  static constexpr com::Guid kCLSID{"{DACE578E-998D-4B4B-9D46-70989A858C25}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by ID (any case, braces optional, blanks around).
  virtual com::Ref<Variable> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new variable with a new ID and HiddenInParentProcess True; silent.
  virtual com::Ref<Variable> AddNew() = 0;
  // Removes the variable and its row, then raises VariableRemoved with the
  // removed variable's ID.
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
