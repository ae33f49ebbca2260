#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "vorlane/variable_notificator_events.h"

namespace vorlane {

// _VariableNotificator: the one carrier of change events about the variables
// of one Process object. The variable objects call it; it raises the matching
// event of __VariableNotificator (VariableNotificatorEvents) to every sink
// connected through its connection point. Made by the Process only.
class VariableNotificator : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{A27956EE-30D7-4A67-B6BB-8103C923F6A8}"};
  static constexpr com::Guid kCLSID{"{E430F44F-F21C-4F38-904A-94FED82FD578}"};
  static const com::TypeInfo& DispatchInfo();

  // Raises ValueChanged(variable_id) before returning; nothing without sinks.
  virtual void NotifyValueChange(const std::string& variable_id) = 0;
  // Raises VariableRemoved(variable_id) the same way.
  virtual void NotifyVariableRemove(const std::string& variable_id) = 0;
};

}  // namespace vorlane
