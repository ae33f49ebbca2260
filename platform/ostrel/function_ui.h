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

// Offered by a function type's class that can bring the settings of a
// function written by an older version of the module to its current form.
// Which data it rewrites is the class's own affair.
class FunctionConversion : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{C4E1A7D9-5B20-4F63-8E9A-17D3B6C20F84}"};
  static const com::TypeInfo& DispatchInfo();

  // Converts the function `function_id` of `process`, a process object of
  // the object model, which it reaches by its members' names.
  virtual void ConvertFunction(const com::Variant& process, const std::string& function_id) = 0;
};

// Offered by an object that works in a session its client hands it (a
// Session object), rather than in one it finds for itself.
class SessionUser : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{6F2B8E51-C0A4-4D97-B3E6-29A5D17F0C3B}"};
  static const com::TypeInfo& DispatchInfo();

  virtual void SetSession(const com::Variant& session) = 0;
};

}  // namespace ostrel
