#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// Calls of the workflow server's extensions by name
// (Session.GetExtensionManager), e.g. "WorkflowExtension" with the methods
// "GetIsWFCreator" and "Running".
class ExtensionManager : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{943764BF-A677-4939-A93D-8C724B804549}"};
  static const com::TypeInfo& DispatchInfo();

  // The method's result. `parameters` is the method's argument (Missing for
  // none). Fails with 0x80020006 for an unknown extension or method.
  virtual com::Variant ExecuteMethod(const std::string& extension, const std::string& method,
                                     const com::Variant& parameters) = 0;
};

}  // namespace ostrel
