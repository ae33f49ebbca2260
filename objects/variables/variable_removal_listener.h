#pragma once

#include <string>

#include "vorlane/process.h"
#include "vorlane/variable_notificator_events.h"

namespace vorlane {

// The process's own sink on its notificator. When a variable is removed it
// strips the variable's ID from the settings of the process's sub-process
// functions, which name the variables they pass on.
//
// The notificator holds this sink; the sink does not hold the process (that
// would be a cycle through the process's notificator). It keeps a plain
// pointer that the process clears with Detach when it is released; a
// detached sink ignores every event.
class VariableRemovalListener final : public com::Object<VariableNotificatorEvents> {
 public:
  explicit VariableRemovalListener(Process* process) : process_(process) {}
  void Detach() { process_ = nullptr; }

  void ValueChanged(const std::string& /*variable_id: not listened to*/) override {}
  void VariableRemoved(const std::string& variable_id) override;

 private:
  Process* process_;
};

// `data` with every occurrence of `id` removed, compared without regard to
// case. `id` must not be empty.
std::string RemoveIDText(const std::string& data, const std::string& id);

}  // namespace vorlane
