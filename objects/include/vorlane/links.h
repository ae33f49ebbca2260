#pragma once

#include "vorlane/link.h"

namespace vorlane {

// _Links: the links of a process, in row order. The list is read on first use and
// kept until Refresh; rows added or removed elsewhere show after Refresh.
class Links : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{13023AAA-C6C0-4C42-A9CE-2AE94CCC7337}"};
  static constexpr com::Guid kCLSID{"{89AFDE64-0ADF-4E5F-ADFD-9CF1B162F8DD}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by ID (any case, braces optional, blanks around).
  virtual com::Ref<Link> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new link with a new ID; nothing else is set.
  virtual com::Ref<Link> AddNew() = 0;
  // Removes the item and its row; rows that name its ID stay as they are.
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
