#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class ProcessControl;

// The workflow server's side of running process instances
// (Session.GetProcessManager).
class ProcessManager : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{7846ED3F-7DE9-41DD-B3B0-A8B9B5B626C5}"};
  static const com::TypeInfo& DispatchInfo();

  // The control of the process instance of that card.
  virtual com::Ref<ProcessControl> GetProcessControl(const std::string& card_id) = 0;
};

}  // namespace ostrel
