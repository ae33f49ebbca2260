#pragma once

#include "vorlane/constraint.h"

namespace vorlane {

// _Constraints: the constraints of one pass state, in row order, keyed by
// their rows' own identities; a constraint added here takes that identity
// as its ID, so it is found by its ID as a constraint read from rows is.
class Constraints : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{B09FF9DC-AFC4-40AB-B406-B3BB5F5F2B42}"};
  static constexpr com::Guid kCLSID{"{63A64AD5-3B9B-4E22-B617-4538F4941ED5}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by key (any case, braces optional, blanks around).
  virtual com::Ref<Constraint> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new constraint on the function `prev_function` (stored as given), not
  // completed.
  virtual com::Ref<Constraint> AddNew(const std::string& prev_function) = 0;
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
