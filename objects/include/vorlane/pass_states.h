#pragma once

#include "vorlane/pass_state.h"

namespace vorlane {

// _PassStates: the pass states of one function, in row order.
class PassStates : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{396A27F5-5D6A-4722-9581-1B9E0D07D3D5}"};
  static constexpr com::Guid kCLSID{"{0EF15874-D8D3-4CF0-9343-D249330061EA}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position or by key (an ID, in any case, braces optional).
  virtual com::Ref<PassState> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new pass state: NonActive, numbered after those listed, with the
  // function's settings text as it was when its States were first read.
  virtual com::Ref<PassState> AddNew() = 0;
  virtual void Remove(const com::Variant& index) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
