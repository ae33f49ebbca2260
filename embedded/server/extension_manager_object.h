#pragma once

#include <memory>
#include <string>

#include "platform/ostrel/extension_manager.h"

namespace embedded {
class SessionState;
}

namespace embedded::server {

class WorkflowService;

// The server's extensions as one session calls them. "WorkflowExtension"
// (names compare without regard to case) has two methods, neither taking
// a parameter: "GetIsWFCreator" answers whether the session's account
// belongs to the workflow process creators group, "Running" whether the
// service runs instances. Every call fails while the service cannot be
// reached.
class ExtensionManagerObject final : public com::Object<ostrel::ExtensionManager> {
 public:
  ExtensionManagerObject(std::shared_ptr<const WorkflowService> service, std::shared_ptr<SessionState> session)
      : service_(std::move(service)), session_(std::move(session)) {}

  com::Variant ExecuteMethod(const std::string& extension, const std::string& method,
                             const com::Variant& parameters) override;

 private:
  std::shared_ptr<const WorkflowService> service_;
  std::shared_ptr<SessionState> session_;
};

}  // namespace embedded::server
