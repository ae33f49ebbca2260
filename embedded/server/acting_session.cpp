#include "embedded/server/acting_session.h"

#include "embedded/server/server_rules.h"
#include "embedded/store/session_state.h"
#include "embedded/store/store_session.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"

namespace embedded::server {

ActingSession::ActingSession(std::shared_ptr<SessionState> requester) : requester_(std::move(requester)) {
  auto state = std::make_shared<SessionState>(requester_->store_ptr(), requester_->account(), requester_->locale(),
                                              requester_->client_version(), requester_->groups());
  state->ActForAccount();
  session_ = com::Make<StoreSession>(std::move(state));
}

ActingSession::~ActingSession() {
  library_.reset();
  session_.reset();
  requester_->Use();
}

com::Ref<ostrel::CardData> ActingSession::Card(const std::string& card_id) {
  return session_->GetCardManager()->GetCardData(card_id);
}

com::Ref<vorlane::Process> ActingSession::Process(const std::string& card_id) {
  if (!library_) {
    library_ = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library_->SetConnection(com::Variant(session_));
  }
  return library_->GetProcess(card_id, false);
}

void ActingSession::Pass(const com::Error& e) {
  // Only locks refuse the server's own calls; its own refusals carry their
  // sub-code already.
  if (e.code() == ostrel::err::kRefused && !IsServerRefusal(e.description())) {
    Refuse(*requester_, subcode::kLockedByOther, e.description());
  }
  requester_->Note(e);
  throw;
}

}  // namespace embedded::server
