#include "embedded/server/extension_manager_object.h"

#include "embedded/server/server_rules.h"
#include "embedded/server/workflow_service.h"
#include "embedded/store/session_state.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"

namespace embedded::server {
namespace {

constexpr std::string_view kWorkflowExtension = "WorkflowExtension";

[[noreturn]] void UnknownName(const std::string& what) {
  throw com::Error(com::hr::kUnknownName, std::string(ostrel::err::kSource), "Unknown " + what);
}

}  // namespace

com::Variant ExtensionManagerObject::ExecuteMethod(const std::string& extension, const std::string& method,
                                                   const com::Variant& /*parameters: none of its methods takes one*/) {
  session_->Use();
  service_->CheckReachable(*session_);
  if (!text::EqualNoCase(extension, kWorkflowExtension)) UnknownName("extension: " + extension);
  if (text::EqualNoCase(method, "GetIsWFCreator")) return com::Variant(InGroup(*session_, kCreatorsGroup));
  if (text::EqualNoCase(method, "Running")) return com::Variant(service_->mode() == ServiceMode::kRunning);
  UnknownName("method of " + std::string(kWorkflowExtension) + ": " + method);
}

}  // namespace embedded::server
