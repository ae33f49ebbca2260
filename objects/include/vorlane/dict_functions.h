#pragma once

#include "vorlane/dict_function.h"

namespace vorlane {

// _DictFunctions: the function types of the dictionary, in row order, keyed
// by ID. Reading the list never fails: it holds what could be read (nothing
// when the dictionary card cannot be read). Item of an unknown type ID fails,
// which is how callers find a function of an unknown type.
class DictFunctions : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{F8F7B4A8-0F57-4A5D-80EC-7F820615BEC2}"};
  static constexpr com::Guid kCLSID{"{6A7FBCAF-C34A-4202-9851-495E6078AB58}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by type ID (any case, braces optional, blanks around).
  virtual com::Ref<DictFunction> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // Re-reads the dictionary card and drops the list.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
