#pragma once

#include <vector>

#include "platform/com/events.h"
#include "vorlane/variable_notificator.h"

namespace vorlane {

class VariableNotificatorObject final : public com::Object<VariableNotificator, com::ConnectionPointContainer> {
 public:
  void NotifyValueChange(const std::string& variable_id) override;
  void NotifyVariableRemove(const std::string& variable_id) override;

  // The one outgoing interface, __VariableNotificator; 0x80040200 for any other.
  com::Ref<com::ConnectionPoint> FindConnectionPoint(const com::Guid& iid) override;
  std::vector<com::Guid> ConnectionInterfaces() override { return {VariableNotificatorEvents::kIID}; }

  // Connects a sink of the library's own (the process's listener) and
  // returns its cookie; the notificator holds the sink, as for any client.
  uint32_t Connect(com::Ref<com::Dispatch> sink) { return events_->Advise(std::move(sink)); }

 private:
  void Raise(com::DispId event, const std::string& variable_id);

  com::Ref<com::EventSource> events_ = com::Make<com::EventSource>(VariableNotificatorEvents::DispatchInfo());
};

}  // namespace vorlane
