#pragma once

#include <memory>

#include "embedded/store/session_state.h"
#include "platform/ostrel/session.h"

namespace embedded {

// A session over an embedded store (embedded::Open).
class StoreSession final : public com::Object<ostrel::Session> {
 public:
  explicit StoreSession(std::shared_ptr<SessionState> state) : state_(std::move(state)) {}
  ~StoreSession() override;

  com::Ref<ostrel::CardManager> GetCardManager() override;
  com::Ref<com::Collection> GetProperties() override;
  std::string GetLastErrorText() override;
  com::Ref<ostrel::ProcessManager> GetProcessManager() override;
  com::Ref<ostrel::ExtensionManager> GetExtensionManager() override;

  const std::shared_ptr<SessionState>& state() const { return state_; }

 private:
  std::shared_ptr<WorkflowServer> Server();

  std::shared_ptr<SessionState> state_;
  com::Ref<ostrel::CardManager> manager_;
};

// The state of a session made by embedded::Open; nullptr for any other.
std::shared_ptr<SessionState> StateOf(ostrel::Session* session);

}  // namespace embedded
