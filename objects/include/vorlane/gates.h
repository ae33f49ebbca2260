#pragma once

#include "vorlane/gate.h"

namespace vorlane {

// _Gates: the gates of a process, in row order. The list is read on first use and
// kept until Refresh; rows added or removed elsewhere show after Refresh.
class Gates : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{8847A059-5CDC-4BE6-BB48-48077B55DBCA}"};
  static constexpr com::Guid kCLSID{"{26145A77-30DB-4F61-9C9B-F72F459B9480}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by ID (any case, braces optional, blanks around).
  virtual com::Ref<Gate> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new gate with a new ID; nothing else is set.
  virtual com::Ref<Gate> AddNew() = 0;
  // Removes the item and its row; rows that name its ID stay as they are.
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
