#pragma once

#include "vorlane/dict_gate.h"

namespace vorlane {

// _DictGates: the gate types of the dictionary, with the rules of
// DictFunctions.
class DictGates : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{DD0FEFA8-6935-4DDC-BD4F-4D6BEED0DFD4}"};
  static constexpr com::Guid kCLSID{"{3849C1E9-7818-452A-A68E-DE1B0E6CE610}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by type ID (any case, braces optional, blanks around).
  virtual com::Ref<DictGate> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // Re-reads the dictionary card and drops the list.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
