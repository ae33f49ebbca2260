#pragma once

#include <memory>

#include "platform/com/unknown.h"
#include "platform/ostrel/extension_manager.h"
#include "platform/ostrel/process_manager.h"

namespace embedded {

class SessionState;

// The workflow server as a store's sessions reach it
// (Session.GetProcessManager, GetExtensionManager). A store answers those
// calls through the server attached to it (Store::AttachWorkflowServer);
// without one they fail with ostrel::err::kServiceUnavailable, as they do
// on the platform when its service is down.
class WorkflowServer {
 public:
  virtual ~WorkflowServer() = default;
  // Objects that act for `session`: its account and groups decide what the
  // server allows, and a refusal sets its last error text.
  virtual com::Ref<ostrel::ProcessManager> ProcessManagerFor(const std::shared_ptr<SessionState>& session) = 0;
  virtual com::Ref<ostrel::ExtensionManager> ExtensionManagerFor(const std::shared_ptr<SessionState>& session) = 0;
};

}  // namespace embedded
