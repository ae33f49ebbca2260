#pragma once

#include <memory>
#include <string>

#include "platform/ostrel/process_manager.h"

namespace embedded {
class SessionState;
}

namespace embedded::server {

class WorkflowService;

// The server's process manager as one session reaches it
// (Session.GetProcessManager).
class ProcessManagerObject final : public com::Object<ostrel::ProcessManager> {
 public:
  ProcessManagerObject(std::shared_ptr<const WorkflowService> service, std::shared_ptr<SessionState> session)
      : service_(std::move(service)), session_(std::move(session)) {}

  // A new control of the card's instance on every call. Fails with the
  // store's error for an unknown or deleted card, and is refused with
  // subcode::kNotInstance for a card that is no process card. A process
  // template is given a control, whose GetState answers and whose
  // transitions are refused.
  com::Ref<ostrel::ProcessControl> GetProcessControl(const std::string& card_id) override;

 private:
  std::shared_ptr<const WorkflowService> service_;
  std::shared_ptr<SessionState> session_;
};

}  // namespace embedded::server
