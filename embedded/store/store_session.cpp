#include "embedded/store/store_session.h"

#include "embedded/store/open.h"
#include "embedded/store/store_card_manager.h"
#include "platform/ostrel/errors.h"

namespace embedded {

com::Ref<ostrel::Session> Open(const SessionOptions& options) {
  std::shared_ptr<Store> store = options.store ? options.store : Store::Open({.path = options.store_file});
  auto state = std::make_shared<SessionState>(std::move(store), options.account, options.locale,
                                              options.client_version, options.groups);
  state->Use();
  return com::Make<StoreSession>(std::move(state));
}

std::shared_ptr<SessionState> StateOf(ostrel::Session* session) {
  auto* s = dynamic_cast<StoreSession*>(session);
  return s ? s->state() : nullptr;
}

StoreSession::~StoreSession() { state_->DropPins(); }

com::Ref<ostrel::CardManager> StoreSession::GetCardManager() {
  state_->Use();
  if (!manager_) manager_ = com::Make<StoreCardManager>(state_);
  return manager_;
}

com::Ref<com::Collection> StoreSession::GetProperties() {
  state_->Use();
  auto props = com::Make<com::KeyedList>();
  props->Add(com::Variant(state_->locale()), "LocaleID");
  props->Add(com::Variant(state_->account()), "AccountName");
  props->Add(com::Variant(state_->client_version()), "ClientVersion");
  return props;
}

std::string StoreSession::GetLastErrorText() {
  state_->Use();
  return state_->last_error();
}

std::shared_ptr<WorkflowServer> StoreSession::Server() {
  state_->Use();
  std::shared_ptr<WorkflowServer> server = state_->store().workflow_server();
  if (!server) {
    state_->Raise(ostrel::err::kServiceUnavailable, "The workflow service is not running on this store.");
  }
  return server;
}

com::Ref<ostrel::ProcessManager> StoreSession::GetProcessManager() { return Server()->ProcessManagerFor(state_); }

com::Ref<ostrel::ExtensionManager> StoreSession::GetExtensionManager() {
  return Server()->ExtensionManagerFor(state_);
}

}  // namespace embedded
