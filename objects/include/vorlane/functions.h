#pragma once

#include "vorlane/proc_function.h"

namespace vorlane {

// _Functions: the functions of a process, in row order. The list is read on first use and
// kept until Refresh; rows added or removed elsewhere show after Refresh.
class Functions : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{BF8613C7-5277-4C1A-BC42-A32B79055A2B}"};
  static constexpr com::Guid kCLSID{"{1493958B-9181-44D8-8C6C-2AFEF6B22FF6}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by ID (any case, braces optional, blanks around).
  virtual com::Ref<ProcFunction> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new function with a new ID and ReuseStep True; nothing else is set.
  virtual com::Ref<ProcFunction> AddNew() = 0;
  // Removes the item and its row; rows that name its ID stay as they are.
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
