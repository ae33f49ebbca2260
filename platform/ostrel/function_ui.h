#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// The user-interface class of a function type: each function type of the
// dictionary names one by ProgID (its "UIClass"), and clients create it with
// com::CreateObject of that ProgID.
class FunctionUI : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{516A93B2-A9E5-4488-83AF-FA7E1F05AA8D}"};
  static const com::TypeInfo& DispatchInfo();

  // The gate types that functions of this type depend on: their IDs, each
  // "{UPPER-CASE}", joined by ";" ("" when there are none). A client that
  // keeps only part of a process keeps these gates with its functions.
  virtual std::string GetDependentGates() = 0;
};

}  // namespace ostrel
