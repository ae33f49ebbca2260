#pragma once

#include <string>

#include "vorlane/log_value.h"

namespace vorlane {

// _LogValues: the history of a variable's values, one LogValue per row of
// the variable's log-values sub-section, in row order, keyed by row ID. The
// object model keeps it for its clients and never fills it itself: a change
// of the variable's value adds nothing here. Handed out by
// Variable.LogValues; creatable, but a list made by a client has no rows
// and fails on every member with 0x800A005B.
class LogValues : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{61F78370-A039-4D45-A2BD-8496BB989AD7}"};
  static constexpr com::Guid kCLSID{"{60FB2939-09EB-4FD3-BA1F-07324F163541}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position, or by row ID (any case, braces optional).
  virtual com::Ref<LogValue> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new value dated now. The variable's own value is not changed and no
  // change is announced.
  virtual com::Ref<LogValue> AddNew(const std::string& value) = 0;
  // Removes the item and its row; a missing one fails before anything changes.
  virtual void Remove(const com::Variant& index) = 0;
  // Re-reads the card and drops the list.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
