#pragma once

#include <atomic>
#include <memory>

#include "embedded/store/workflow_server.h"

namespace embedded {
class Store;
}

namespace embedded::server {

// How the workflow service answers, so that clients' probes can be tried
// on every path.
enum class ServiceMode {
  // Runs process instances; "Running" answers True.
  kRunning,
  // Reachable but not running instances: "Running" answers False,
  // "GetIsWFCreator" answers, and every process manager and process
  // control call fails with ostrel::err::kServiceUnavailable.
  kStopped,
  // Cannot be reached: every call fails with ostrel::err::kServiceUnavailable,
  // Session.GetProcessManager and GetExtensionManager included.
  kUnreachable,
};

// The embedded platform's workflow server: it starts, pauses, resumes and
// stops process instances for the accounts that may control them, and
// answers the "WorkflowExtension" extension. Every store has one
// (Store::Open attaches it); its mode may change at any time, and objects
// already handed out follow the new mode at their next call.
//
// The server changes an instance through the object model, as any client
// of the platform would, in a session of its own for the requesting
// account (see ActingSession). A failure sets the requesting session's
// last error text.
class WorkflowService final : public WorkflowServer, public std::enable_shared_from_this<WorkflowService> {
 public:
  explicit WorkflowService(ServiceMode mode = ServiceMode::kRunning) : mode_(mode) {}

  // The service attached to the store; null when the store has none or
  // another kind of server.
  static std::shared_ptr<WorkflowService> Of(const Store& store);

  ServiceMode mode() const { return mode_.load(); }
  void SetMode(ServiceMode mode) { mode_.store(mode); }

  com::Ref<ostrel::ProcessManager> ProcessManagerFor(const std::shared_ptr<SessionState>& session) override;
  com::Ref<ostrel::ExtensionManager> ExtensionManagerFor(const std::shared_ptr<SessionState>& session) override;

  // Fails, setting the session's last error text, when the service cannot
  // be reached.
  void CheckReachable(SessionState& session) const;
  // Fails the same way when it cannot be reached or is stopped: the check
  // of every call that runs instances.
  void CheckRunning(SessionState& session) const;

 private:
  std::atomic<ServiceMode> mode_;
};

}  // namespace embedded::server
