#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "vorlane/constraints.h"
#include "vorlane/enums.h"

namespace vorlane {

// _PassState: the record of one pass of a function (its number, state,
// error and warning flags and its own copy of the function's settings), a
// live wrapper over one row of the function's pass-state sub-section.
class PassState : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{68A7D6E9-1C8B-412D-BEB7-494F84B674B8}"};
  static constexpr com::Guid kCLSID{"{FAA2692A-6032-4C31-8183-AA1D1B69F54B}"};
  static const com::TypeInfo& DispatchInfo();

  // Normalised; an empty field reads "{}".
  virtual std::string ID() = 0;
  virtual int32_t Pass() = 0;
  // Texts over 1024 characters live in the pass state's spare row.
  virtual std::string Data() = 0;
  virtual void SetData(const std::string& value) = 0;
  virtual bool HasErrors() = 0;
  virtual void SetHasErrors(bool value) = 0;
  virtual bool HasWarnings() = 0;
  virtual void SetHasWarnings(bool value) = 0;
  virtual FuncStateEnum State() = 0;
  virtual void SetState(FuncStateEnum value) = 0;
  // The functions that gate this pass: made on first request, the same
  // object until Refresh.
  virtual com::Ref<vorlane::Constraints> Constraints() = 0;
  // Re-reads the card and drops the Constraints.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
