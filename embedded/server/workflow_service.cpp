#include "embedded/server/workflow_service.h"

#include "embedded/server/extension_manager_object.h"
#include "embedded/server/process_manager_object.h"
#include "embedded/store/session_state.h"
#include "embedded/store/store.h"
#include "platform/ostrel/errors.h"

namespace embedded::server {

std::shared_ptr<WorkflowService> WorkflowService::Of(const Store& store) {
  return std::dynamic_pointer_cast<WorkflowService>(store.workflow_server());
}

com::Ref<ostrel::ProcessManager> WorkflowService::ProcessManagerFor(const std::shared_ptr<SessionState>& session) {
  CheckReachable(*session);
  return com::Make<ProcessManagerObject>(shared_from_this(), session);
}

com::Ref<ostrel::ExtensionManager> WorkflowService::ExtensionManagerFor(
    const std::shared_ptr<SessionState>& session) {
  CheckReachable(*session);
  return com::Make<ExtensionManagerObject>(shared_from_this(), session);
}

void WorkflowService::CheckReachable(SessionState& session) const {
  if (mode() == ServiceMode::kUnreachable) {
    session.Raise(ostrel::err::kServiceUnavailable, "The workflow service cannot be reached.");
  }
}

void WorkflowService::CheckRunning(SessionState& session) const {
  CheckReachable(session);
  if (mode() == ServiceMode::kStopped) {
    session.Raise(ostrel::err::kServiceUnavailable, "The workflow service is not running.");
  }
}

}  // namespace embedded::server
