#include "embedded/server/process_manager_object.h"

#include "embedded/server/acting_session.h"
#include "embedded/server/process_control_object.h"
#include "embedded/server/server_rules.h"
#include "embedded/server/workflow_service.h"
#include "embedded/store/session_state.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/card_types.h"

namespace embedded::server {
namespace {

// The card type of process templates and instances.
constexpr com::Guid kProcessCardType{ostrel::card_type::kProcess};

}  // namespace

com::Ref<ostrel::ProcessControl> ProcessManagerObject::GetProcessControl(const std::string& card_id) {
  session_->Use();
  service_->CheckRunning(*session_);
  ActingSession acting(session_);
  std::string id = acting.Run([&] {
    com::Ref<ostrel::CardData> card = acting.Card(card_id);
    if (com::Guid(card->GetCardType()->GetID()) != kProcessCardType) {
      Refuse(*session_, subcode::kNotInstance, "The card " + card->GetID() + " is no process card.");
    }
    return card->GetID();
  });
  return com::Make<ProcessControlObject>(service_, session_, std::move(id));
}

}  // namespace embedded::server
