#pragma once

#include <string>

#include "platform/com/collection.h"
#include "platform/com/dispatch.h"

namespace ostrel {

class CardManager;
class ExtensionManager;
class ProcessManager;

// A user's connection to the platform: the way to cards, the session's
// properties and the workflow server. Clients receive it from the platform
// (the card host, embedded::Open); any value handed over as "the
// connection" is asked for this interface.
class Session : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{ECFC965D-626F-42EF-8F0A-B0707A6B0089}"};
  static const com::TypeInfo& DispatchInfo();

  // The session's card manager; the same object on every call.
  virtual com::Ref<CardManager> GetCardManager() = 0;
  // The session's properties by name: "LocaleID" (I4), "AccountName"
  // (text), "ClientVersion" (I4). A new collection on every call.
  virtual com::Ref<com::Collection> GetProperties() = 0;
  // The text of the last refusal or storage failure in this session, ""
  // when there was none. Reading it does not clear it.
  virtual std::string GetLastErrorText() = 0;
  // The workflow server's process manager; fails with
  // err::kServiceUnavailable when no workflow server can be reached.
  virtual com::Ref<ProcessManager> GetProcessManager() = 0;
  // The workflow server's extension calls; fails as GetProcessManager.
  virtual com::Ref<ExtensionManager> GetExtensionManager() = 0;
};

}  // namespace ostrel
