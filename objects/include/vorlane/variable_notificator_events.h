#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// __VariableNotificator: the outgoing interface of a process's
// VariableNotificator. Events are raised synchronously, inside the call that
// changed the data, after the data is written. A sink is any dispatch object
// that answers these dispatch IDs; a C++ sink can derive from this interface.
class VariableNotificatorEvents : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{CDF72669-775E-4BAD-875C-6EC9FB374E9A}"};
  static constexpr com::DispId kValueChanged = 1;
  static constexpr com::DispId kVariableRemoved = 2;
  static const com::TypeInfo& DispatchInfo();

  // The value of the variable changed (for a multi-valued variable: one of
  // its values, or the list of them). `variable_id` is the variable's ID.
  virtual void ValueChanged(const std::string& variable_id) = 0;
  // The variable was removed from the process's variables.
  virtual void VariableRemoved(const std::string& variable_id) = 0;
};

}  // namespace vorlane
